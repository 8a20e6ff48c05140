// The tests state many of the program's texts as the configuration block's source writes them, in
// code page 1252 with \xE8 escapes; inside the program every text is UTF-8. This turns such a
// literal into what the program holds, so that a test compares with the text a user reads.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/Utf8.h"

namespace testing_support {

inline std::string Cp1252(std::string_view text) { return toolkit::Utf8FromCp1252(text); }

}  // namespace testing_support
