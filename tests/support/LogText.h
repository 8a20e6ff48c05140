// The installer writes its logs in UTF-8 after a byte-order mark, while the tests state what they
// expect in the program's own code page 1252, as the configuration block holds it. This reads a
// log back into that code page, and says so plainly when the file is not a UTF-8 log at all.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "toolkit/Utf8.h"

namespace testing_support {

inline const std::string kNotAUtf8Log = "(not UTF-8 after a byte-order mark)";

// The log's text in code page 1252: empty when there is no file, kNotAUtf8Log when it does not
// start with the mark or holds a sequence that no byte of the code page is written as.
inline std::string LogText(const std::optional<std::string>& bytes) {
  if (!bytes) return "";
  const std::string_view mark = toolkit::kUtf8ByteOrderMark;
  if (!bytes->starts_with(mark)) return kNotAUtf8Log;
  static const std::map<std::string, char> kBytes = [] {
    std::map<std::string, char> table;
    for (int byte = 0x80; byte < 0x100; ++byte) {
      table[toolkit::Utf8FromCp1252(std::string(1, char(byte)))] = char(byte);
    }
    return table;
  }();
  std::string text;
  for (std::size_t at = mark.size(); at < bytes->size();) {
    const auto lead = static_cast<unsigned char>((*bytes)[at]);
    if (lead < 0x80) {
      text += char(lead);
      ++at;
      continue;
    }
    const auto found = kBytes.find(bytes->substr(at, lead >= 0xE0 ? 3 : 2));
    if (found == kBytes.end()) return kNotAUtf8Log;
    text += found->second;
    at += found->first.size();
  }
  return text;
}

}  // namespace testing_support
