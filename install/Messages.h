// The texts the install sequence shows when it could not change an AutoCAD file, telling the
// user what to do by hand. Each is a list of lines joined with CR LF; an empty entry is an empty
// line. Only Italian (1) and English (2) have them. Constant tables, in the program as they are:
// lists built when the program starts cost the code that builds them, in every file that
// includes this one.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace config {
class FrontEnd;
}

namespace install {

using Lines = std::span<const std::string_view>;

struct ManualEditMessage {
  Lines italian;
  Lines english;
};

inline constexpr std::string_view kLispNotPatchedItalian[] = {
    "Impossibile modificare il file \"acadXXXX.lsp\"",
    "",
    "Sar\xE0 necessario modificare il file AutoLisp di partenza",
    "in modo manuale aggiungendo la seguente linea:",
    "",
    "(autoload \"tolvek\" '(\"tolvek\"))",
    "",
    "Nella sezione:",
    "",
    ";;;===== AutoLoad LISP Applications ====="};
inline constexpr std::string_view kLispNotPatchedEnglish[] = {
    "Install is not able to modify the \"acadXXXX.lsp\" file",
    "",
    "Is needed the manual modify of the AutoLisp start file",
    "adding the line follow:",
    "",
    "(autoload \"tolvek\" '(\"tolvek\"))",
    "",
    "In the section:",
    "",
    ";;;===== AutoLoad LISP Applications ====="};
inline constexpr ManualEditMessage kLispNotPatched{kLispNotPatchedItalian, kLispNotPatchedEnglish};

inline constexpr std::string_view kEnglishMenuNotPatched[] = {
    "Install is not able to modify \"acad.mns\"",
    "",
    "Is possible to create the insertion key",
    "with the \"tkicon1.bmp\" placed in SUPPORT directory",
    "",
    "The macro for this key is: ^C^C^Ctolvek",
    "",
    "Alternate command for insert the element is:",
    "Type TOLVEK [RETURN] in the command line"};

// Releases before 2004.
inline constexpr std::string_view kMenuNotPatchedR14Italian[] = {
    "Impossibile modificare il file \"acad.mns\"",
    "",
    "E' comunque possibile creare il tasto che posiziona",
    "in automatico l'elemento Tolvek utilizzando la Bitmap",
    "\"tkicon1.bmp\" che si trova nella directory SUPPORT",
    "",
    "A questo tasto si dovr\xE0 associare la macro: ^C^C^Ctolvek",
    "",
    "In alternativa, per inserire l'elemento scelto, sar\xE0 sufficiente",
    "digitare TOLVEK [INVIO] nella linea di comando"};
inline constexpr ManualEditMessage kMenuNotPatchedR14{kMenuNotPatchedR14Italian,
                                                      kEnglishMenuNotPatched};

// 2004 and later.
inline constexpr std::string_view kMenuNotPatched2004Italian[] = {
    "Impossibile modificare il file \"acad.mns\"",
    "",
    "Per creare il tasto che posiziona",
    "in automatico l'elemento Tolvek utilizzare la Bitmap",
    "\"tkicon1.bmp\" che si trova nella directory SUPPORT",
    "",
    "A questo tasto si dovr\xE0 associare la macro: ^C^C^Ctolvek",
    "",
    "In alternativa, per inserire l'elemento scelto, sar\xE0 sufficiente",
    "digitare TOLVEK [INVIO] nella linea di comando",
    "",
    "Per creare il tasto che richiama in la libreria Tolvek",
    "utilizzare la Bitmap",
    "\"tkicon2.bmp\" che si trova nella directory SUPPORT",
    "",
    "A questo tasto si dovr\xE0 associare la macro: ^C^C^Cruntolvek",
    "",
    "In alternativa, per richiamare la libreria, sar\xE0 sufficiente",
    "digitare RUNTOLVEK [INVIO] nella linea di comando"};
inline constexpr ManualEditMessage kMenuNotPatched2004{kMenuNotPatched2004Italian,
                                                       kEnglishMenuNotPatched};

inline constexpr std::string_view kPgpNotPatchedItalian[] = {
    "Impossibile modificare il file \"acad.pgp\"",
    "",
    "Per richiamare la libreria parametrica Tolvek",
    "\xE8 sufficiente eseguire il programma:",
    "",
    "c:\\tolvek4\\tolvek.exe"};
inline constexpr std::string_view kPgpNotPatchedEnglish[] = {
    "Install is not able to modify \"acad.pgp\"",
    "",
    "For run Tolvek",
    "must be recall:",
    "",
    "c:\\tolvek4\\tolvek.exe"};
inline constexpr ManualEditMessage kPgpNotPatched{kPgpNotPatchedItalian, kPgpNotPatchedEnglish};

// The message's lines joined with CR LF, in UTF-8 (the lines are written in code page 1252, like
// the configuration block's texts).
std::string JoinLines(Lines lines);

// Shows the message of the current language in a plain box; other languages show nothing.
void ShowManualEditMessage(config::FrontEnd& frontEnd, const ManualEditMessage& message);

}  // namespace install
