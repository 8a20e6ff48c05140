#include "cad/Unpatch.h"

#include <algorithm>
#include <string>

#include "toolkit/FileSystem.h"

namespace cad {
namespace {

using Lines = std::vector<std::string>;

// The lines as the rewrite reads them, a last one without a line end included.
bool ReadLines(const std::string& path, Lines& lines) {
  toolkit::fs::IoResult();
  toolkit::fs::File file;
  file.Open(path, toolkit::OpenMode::kRead, toolkit::fs::Check::kRecord);
  if (toolkit::fs::IoResult() != 0) return false;
  LineReader reader(file);
  std::string line;
  while (reader.NextLine(line)) lines.push_back(line);
  return true;
}

// Where the block stands whole and free in `lines`, nearest to `expected`; npos when nowhere.
std::size_t FindBlock(const Lines& lines, const std::vector<bool>& taken, const Lines& block,
                      std::size_t expected) {
  std::size_t best = std::string::npos;
  for (std::size_t at = 0; at + block.size() <= lines.size(); ++at) {
    std::size_t i = 0;
    while (i < block.size() && !taken[at + i] && lines[at + i] == block[i]) ++i;
    if (i != block.size()) continue;
    const auto distance = [&](std::size_t p) { return p > expected ? p - expected : expected - p; };
    if (best == std::string::npos || distance(at) < distance(best)) best = at;
  }
  return best;
}

}  // namespace

UnpatchResult RemoveInsertedLines(const RewritePaths& paths,
                                  const std::vector<InsertedLine>& inserted) {
  if (!toolkit::Fs().FileExists(paths.target)) return UnpatchResult::kMissing;
  Lines lines;
  if (!ReadLines(paths.target, lines)) return UnpatchResult::kNotOpened;
  std::vector<bool> taken(lines.size(), false);
  bool any = false;
  // The user may have added or removed lines above a block since: each block is looked for
  // where the one before it was found to have moved.
  long drift = 0;
  for (std::size_t first = 0; first < inserted.size();) {
    std::size_t end = first + 1;
    while (end < inserted.size() && inserted[end].number == inserted[end - 1].number + 1) ++end;
    Lines block;
    for (std::size_t i = first; i < end; ++i) block.push_back(inserted[i].text);
    const long recorded = long(inserted[first].number) - 1;
    const std::size_t at =
        FindBlock(lines, taken, block, std::size_t(std::max(0L, recorded + drift)));
    if (at != std::string::npos) {
      for (std::size_t i = 0; i < block.size(); ++i) taken[at + i] = true;
      drift = long(at) - recorded;
      any = true;
    }
    first = end;
  }
  if (!any) return UnpatchResult::kNotThere;
  std::size_t index = 0;
  const bool rewritten = RewriteLines(paths.target, paths.temp, paths.backup,
                                      [&](std::string_view line, LineWriter& copy) {
                                        if (index >= taken.size() || !taken[index])
                                          copy.WriteLine(line);
                                        ++index;
                                      });
  return rewritten ? UnpatchResult::kRemoved : UnpatchResult::kNotOpened;
}

}  // namespace cad
