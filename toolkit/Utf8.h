// The program's text is code page 1252; what it writes for other programs to read (the run's log)
// is UTF-8, which editors and log collectors read without guessing a code page. The conversion
// covers all 256 bytes of the page: the five it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the C1 control of the same value, as Windows' own conversion makes them, so that no byte
// is lost or turned into a replacement character.
#pragma once

#include <string>
#include <string_view>

namespace toolkit {

// The byte-order mark that opens a UTF-8 file, by which Windows' editors tell it from an ANSI one.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string Utf8FromCp1252(std::string_view text);

}  // namespace toolkit
