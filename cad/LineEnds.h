// The line ends of a text as the journal keeps them, so that a file the installation rewrote with
// CR LF everywhere can be given back with each line's own end: one LineEnd character a line,
// coded as runs of a count and the character ("120W1L1N": 120 lines ending with CR LF, one with
// LF alone, and a last line without a line end). An empty text has no lines and an empty code.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cad {

std::string EncodeLineEnds(std::string_view ends);

// The ends again, one character a line; nothing for a text that is not such a code, or that
// would stand for more than `maxLines` lines (the code comes from a file others may write).
std::optional<std::string> DecodeLineEnds(std::string_view coded, std::size_t maxLines);

}  // namespace cad
