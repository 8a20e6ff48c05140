// The installer writes its logs in UTF-8 after a byte-order mark, the program's own encoding. This
// reads a log's text back, and says so plainly when the file is not a UTF-8 log at all.
#pragma once

#include <optional>
#include <string>

#include "toolkit/Utf8.h"

namespace testing_support {

inline const std::string kNotAUtf8Log = "(not UTF-8 after a byte-order mark)";

// The log's text after its mark: empty when there is no file, kNotAUtf8Log when it does not start
// with the mark or holds bytes that are not UTF-8.
inline std::string LogText(const std::optional<std::string>& bytes) {
  if (!bytes) return "";
  const std::string_view mark = toolkit::kUtf8ByteOrderMark;
  if (!bytes->starts_with(mark)) return kNotAUtf8Log;
  const std::string text = bytes->substr(mark.size());
  return toolkit::IsUtf8(text) ? text : kNotAUtf8Log;
}

}  // namespace testing_support
