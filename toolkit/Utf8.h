// Every text inside the program is UTF-8: paths, registry names, what the user typed, and the
// configuration block's texts (written as code page 1252 in the source and converted once, as the
// block is filled). The platform's edges convert: UTF-16 for the NT family's wide calls, the
// system's ANSI code page for Windows 9x, code page 1252 for the texts and names of formats that
// are 1252 (older journals, INSTALL.DLL's member names).
//
// Windows' names are sequences of 16-bit units that need not be valid UTF-16: a lone surrogate is
// a legal character of a file name. So the conversion from UTF-16 writes a lone surrogate as the
// three bytes UTF-8 would give its value (the "WTF-8" of the Rust and Go runtimes), and the
// conversion back turns those bytes into the same unit: every name Windows gives comes back
// unchanged. Bytes that are no UTF-8 at all (a stray continuation byte, an overlong form, a cut
// sequence) become U+FFFD, one for each maximal part of a sequence, as Unicode recommends: such
// text never comes from Windows, only from a file someone wrote, and a name made of it is then
// refused by the file system or names nothing of ours.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

// The byte-order mark that opens a UTF-8 file, by which Windows' editors tell it from an ANSI one.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The code page 1252 text in UTF-8. The conversion covers all 256 bytes of the page: the five it
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same value, as
// Windows' own conversion makes them, so that no byte is lost or turned into a replacement
// character.
std::string Utf8FromCp1252(std::string_view text);

// The UTF-8 text in code page 1252; nothing when a character has no byte there (the five C1
// controls above go back to their bytes) or the text is not UTF-8.
std::optional<std::string> Cp1252FromUtf8(std::string_view utf8);

std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

// Whether the bytes are UTF-8 as Utf8FromUtf16 writes it (lone surrogates included).
bool IsUtf8(std::string_view text);

// The number of bytes of the character that starts at `at`: 1 for a byte that starts none, so
// that a walk over any bytes goes on.
std::size_t CharacterLength(std::string_view text, std::size_t at);

// The number of characters, as CharacterLength steps over them.
std::size_t CharacterCount(std::string_view text);

// The byte offsets at which the characters start, as CharacterLength steps over them.
std::vector<std::size_t> CharacterStarts(std::string_view text);

// The first `count` characters of the text (all of it when it has fewer).
std::string_view FirstCharacters(std::string_view text, std::size_t count);

}  // namespace toolkit
