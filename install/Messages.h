// The texts the install sequence shows when it could not change an AutoCAD file, telling the
// user what to do by hand. Each is a list of lines joined with CR LF; an empty entry is an empty
// line. Only Italian (1) and English (2) have them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace config {
class FrontEnd;
}

namespace install {

using Lines = std::vector<std::string_view>;

struct ManualEditMessage {
  Lines italian;
  Lines english;
};

inline const ManualEditMessage kLispNotPatched{
    {"Impossibile modificare il file \"acadXXXX.lsp\"", "",
     "Sar\xE0 necessario modificare il file AutoLisp di partenza",
     "in modo manuale aggiungendo la seguente linea:", "", "(autoload \"tolvek\" '(\"tolvek\"))",
     "", "Nella sezione:", "", ";;;===== AutoLoad LISP Applications ====="},
    {"Install is not able to modify the \"acadXXXX.lsp\" file", "",
     "Is needed the manual modify of the AutoLisp start file", "adding the line follow:", "",
     "(autoload \"tolvek\" '(\"tolvek\"))", "", "In the section:", "",
     ";;;===== AutoLoad LISP Applications ====="},
};

inline const Lines kEnglishMenuNotPatched{"Install is not able to modify \"acad.mns\"",
                                          "",
                                          "Is possible to create the insertion key",
                                          "with the \"tkicon1.bmp\" placed in SUPPORT directory",
                                          "",
                                          "The macro for this key is: ^C^C^Ctolvek",
                                          "",
                                          "Alternate command for insert the element is:",
                                          "Type TOLVEK [RETURN] in the command line"};

// Releases before 2004.
inline const ManualEditMessage kMenuNotPatchedR14{
    {"Impossibile modificare il file \"acad.mns\"", "",
     "E' comunque possibile creare il tasto che posiziona",
     "in automatico l'elemento Tolvek utilizzando la Bitmap",
     "\"tkicon1.bmp\" che si trova nella directory SUPPORT", "",
     "A questo tasto si dovr\xE0 associare la macro: ^C^C^Ctolvek", "",
     "In alternativa, per inserire l'elemento scelto, sar\xE0 sufficiente",
     "digitare TOLVEK [INVIO] nella linea di comando"},
    kEnglishMenuNotPatched,
};

// 2004 and later.
inline const ManualEditMessage kMenuNotPatched2004{
    {"Impossibile modificare il file \"acad.mns\"", "", "Per creare il tasto che posiziona",
     "in automatico l'elemento Tolvek utilizzare la Bitmap",
     "\"tkicon1.bmp\" che si trova nella directory SUPPORT", "",
     "A questo tasto si dovr\xE0 associare la macro: ^C^C^Ctolvek", "",
     "In alternativa, per inserire l'elemento scelto, sar\xE0 sufficiente",
     "digitare TOLVEK [INVIO] nella linea di comando", "",
     "Per creare il tasto che richiama in la libreria Tolvek", "utilizzare la Bitmap",
     "\"tkicon2.bmp\" che si trova nella directory SUPPORT", "",
     "A questo tasto si dovr\xE0 associare la macro: ^C^C^Cruntolvek", "",
     "In alternativa, per richiamare la libreria, sar\xE0 sufficiente",
     "digitare RUNTOLVEK [INVIO] nella linea di comando"},
    kEnglishMenuNotPatched,
};

inline const ManualEditMessage kPgpNotPatched{
    {"Impossibile modificare il file \"acad.pgp\"", "",
     "Per richiamare la libreria parametrica Tolvek", "\xE8 sufficiente eseguire il programma:", "",
     "c:\\tolvek4\\tolvek.exe"},
    {"Install is not able to modify \"acad.pgp\"", "", "For run Tolvek", "must be recall:", "",
     "c:\\tolvek4\\tolvek.exe"},
};

// The message's lines joined with CR LF, in UTF-8 (the lines are written in code page 1252, like
// the configuration block's texts).
std::string JoinLines(const Lines& lines);

// Shows the message of the current language in a plain box; other languages show nothing.
void ShowManualEditMessage(config::FrontEnd& frontEnd, const ManualEditMessage& message);

}  // namespace install
