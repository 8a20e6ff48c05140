// FileSpec decides whether a member is one the caller asked for: a specification matches the
// member's whole name or its base name, without regard to case, with '*' for any run of
// characters and '?' for one. '/' and '\' are the same separator on both sides.
#pragma once

#include <string_view>

namespace unzip {

bool MatchesWildcard(std::string_view pattern, std::string_view text);

bool MatchesFileSpec(std::string_view spec, std::string_view memberName);

}  // namespace unzip
