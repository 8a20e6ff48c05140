#include "cad/AcadReleases.h"

#include <optional>
#include <utility>

namespace cad {

std::optional<std::pair<int, int>> ParseReleaseKey(std::string_view key) {
  if (key.size() < 2 || (key.front() != 'R' && key.front() != 'r')) return std::nullopt;
  key.remove_prefix(1);
  int parts[2] = {0, 0};
  for (int part = 0; part < 2; ++part) {
    std::size_t digits = 0;
    while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9' && digits < 4) {
      parts[part] = parts[part] * 10 + (key[digits] - '0');
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    key.remove_prefix(digits);
    if (key.empty()) return std::pair{parts[0], parts[1]};
    if (part == 1 || key.front() != '.') return std::nullopt;
    key.remove_prefix(1);
  }
  return std::nullopt;
}

namespace {

template <typename Table>
const AcadRelease* FindIn(const Table& table, std::string_view curVer) {
  const auto wanted = ParseReleaseKey(curVer);
  if (!wanted) return nullptr;
  const AcadRelease* found = nullptr;
  for (const AcadRelease& release : table) {
    if (ParseReleaseKey(release.curVer) > wanted) break;
    found = &release;
  }
  return found;
}

}  // namespace

const AcadRelease* FindAcadRelease(std::string_view curVer) {
  return FindIn(kAcadReleases, curVer);
}

const AcadRelease* FindAcadLtRelease(std::string_view curVer) {
  return FindIn(kAcadLtReleases, curVer);
}

}  // namespace cad
