#include "cad/Unpatch.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "cad/LineEnds.h"
#include "cad/LineReader.h"
#include "cad/Rewrite.h"
#include "toolkit/Crc32.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

namespace cad {
namespace {

namespace fs = toolkit::fs;
using toolkit::FileSum;
using toolkit::FileSwap;

// A text file as lines, each with its own end, and the sum of its bytes.
struct Text {
  std::vector<std::string> lines;
  std::string ends;  // one LineEnd character a line
  FileSum sum;
};

// The file's text, or nothing when it cannot be opened or read.
std::optional<Text> ReadText(const fs::RootedPaths& where, const std::string& path) {
  fs::File file;
  if (where.Open(file, path, toolkit::OpenMode::kRead).Failed()) return std::nullopt;
  Text text;
  try {
    LineReader reader(file);
    std::string line;
    while (reader.NextLine(line)) {
      text.lines.push_back(line);
      text.ends += static_cast<char>(reader.LastLineEnd());
    }
    text.sum = reader.BytesRead();
  } catch (const toolkit::EInOutError&) {
    return std::nullopt;
  }
  return text;
}

// The lines whose `keep` is set, each with its end from `ends`, in their order.
std::string Join(const std::vector<std::string>& lines, const std::vector<bool>& keep,
                 const std::string& ends) {
  std::string text;
  for (std::size_t i = 0, end = 0; i < lines.size(); ++i) {
    if (!keep[i]) continue;
    text += lines[i];
    text += LineEndText(LineEnd(ends[end++]));
  }
  return text;
}

FileSum SumOf(const std::string& bytes) {
  return {bytes.size(), toolkit::Crc32(0, bytes.data(), bytes.size())};
}

// The whole file while it has `sum`; nothing otherwise.
std::optional<std::string> BytesIfSum(const fs::RootedPaths& where, const std::string& path,
                                      const FileSum& sum) {
  if (where.KindOf(path) != toolkit::PathKind::kFile) return std::nullopt;
  std::optional<Text> text = ReadText(where, path);
  if (!text || text->sum != sum) return std::nullopt;
  std::vector<bool> keep(text->lines.size(), true);
  return Join(text->lines, keep, text->ends);
}

// The original rebuilt from the installation's own text: the inserted lines out by their
// numbers, every other line with its recorded end; nothing unless the result has the original's
// size and CRC.
std::optional<std::string> Rebuild(const Text& current, const FileSwap& swap) {
  const std::optional<std::string> ends = DecodeLineEnds(swap.lineEnds, current.lines.size());
  if (!ends || ends->size() + swap.inserted.size() != current.lines.size()) return std::nullopt;
  std::vector<bool> keep(current.lines.size(), true);
  for (const toolkit::InsertedLine& line : swap.inserted) {
    if (line.number == 0 || line.number > keep.size() || !keep[line.number - 1] ||
        current.lines[line.number - 1] != line.text) {
      return std::nullopt;
    }
    keep[line.number - 1] = false;
  }
  std::string original = Join(current.lines, keep, *ends);
  if (SumOf(original) != swap.original) return std::nullopt;
  return original;
}

// Where the block stands whole and free in `lines`, nearest to `expected`; npos when nowhere.
std::size_t FindBlock(const std::vector<std::string>& lines, const std::vector<bool>& taken,
                      const std::vector<std::string>& block, std::size_t expected) {
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

// The one line end every line of the original but its last had, when it was not CR LF: the
// rewrite gave each line CR LF, so a line that has CR LF now got it from the installation (or
// from an editor keeping the file's new style), and goes back to the file's own.
std::optional<LineEnd> OwnLineEnd(const FileSwap& swap, std::size_t maxLines) {
  const std::optional<std::string> ends = DecodeLineEnds(swap.lineEnds, maxLines);
  if (!ends || ends->empty()) return std::nullopt;
  const std::size_t whole = ends->back() == char(LineEnd::kNone) ? ends->size() - 1 : ends->size();
  if (whole == 0) return std::nullopt;
  const char first = (*ends)[0];
  if (first == char(LineEnd::kCrLf) || ends->find_first_not_of(first) < whole) return std::nullopt;
  return LineEnd(first);
}

// The text without the inserted lines, each run of consecutive numbers found as one block; the
// other lines keep their ends, save that CR LF goes back to the file's own single line end where
// the original had one. Nothing when no block is found.
std::optional<std::string> WithoutInsertedLines(const Text& current, const FileSwap& swap) {
  const std::vector<toolkit::InsertedLine>& inserted = swap.inserted;
  std::vector<bool> taken(current.lines.size(), false);
  bool any = false;
  // The user may have added or removed lines above a block since: each block is looked for
  // where the one before it was found to have moved.
  long drift = 0;
  for (std::size_t first = 0; first < inserted.size();) {
    std::size_t end = first + 1;
    while (end < inserted.size() && inserted[end].number == inserted[end - 1].number + 1) ++end;
    std::vector<std::string> block;
    for (std::size_t i = first; i < end; ++i) block.push_back(inserted[i].text);
    const long recorded = long(inserted[first].number) - 1;
    const std::size_t at =
        FindBlock(current.lines, taken, block, std::size_t(std::max(0L, recorded + drift)));
    if (at != std::string::npos) {
      for (std::size_t i = 0; i < block.size(); ++i) taken[at + i] = true;
      drift = long(at) - recorded;
      any = true;
    }
    first = end;
  }
  if (!any) return std::nullopt;
  const std::optional<LineEnd> own = OwnLineEnd(swap, current.lines.size());
  std::vector<bool> keep(taken.size());
  std::transform(taken.begin(), taken.end(), keep.begin(), [](bool t) { return !t; });
  std::string ends;
  for (std::size_t i = 0; i < keep.size(); ++i) {
    if (!keep[i]) continue;
    const char end = current.ends[i];
    ends += own && end == char(LineEnd::kCrLf) ? char(*own) : end;
  }
  return Join(current.lines, keep, ends);
}

// Writes `bytes` under a free temporary name and swaps them in for the target, which waits under
// a free safety name (never one the user's file has) until the copy has its name, and then goes.
// kNotOpened when another program holds the target.
UnpatchOutcome Replace(const fs::RootedPaths& where, const FileSwap& installed,
                       const FileSum& current, const std::string& bytes, UnpatchResult done,
                       toolkit::ChangeRecorder& recorder) {
  FileSwap own;
  own.target = installed.target;
  own.temp = fs::FreeName(installed.temp);
  own.backup = fs::FreeName(SafetyNameOf(installed.target));
  own.aside = AsideNameOf(own.backup);
  own.original = current;
  own.written = SumOf(bytes);
  fs::File temp;
  where.Open(temp, own.temp, toolkit::OpenMode::kCreateNew).OrRaise();
  try {
    temp.Write(bytes);
    temp.Flush();
    temp.Close();
  } catch (const toolkit::EInOutError&) {
    fs::IgnoreFailure(temp.TryClose());
    // The copy is this run's own, and unfinished.
    fs::IgnoreFailure(where.Erase(own.temp));
    throw;
  }
  // On the record before the renames: a kill between them is settled by the next run, and the
  // safety copy, should it outlive this run, is known to be the uninstaller's.
  recorder.SwapStarts(own);
  if (!SwapIn(own, where)) return {UnpatchResult::kNotOpened, {}};
  recorder.Rewritten(own);
  if (where.Erase(own.backup).Failed()) return {done, own.backup};
  return {done, {}};
}

// The run's own backup takes the file's name again; the file waits under a free name meanwhile,
// so that the name is never without one of the two texts for longer than a rename.
bool RenameBackupBack(const fs::RootedPaths& where, const FileSwap& swap) {
  const std::string waiting = fs::FreeName(swap.temp);
  if (where.Rename(swap.target, waiting).Failed()) return false;
  if (where.Rename(swap.backup, swap.target).Failed()) {
    fs::IgnoreFailure(where.Rename(waiting, swap.target));
    return false;
  }
  // The installation's copy, made by this run moments ago.
  fs::IgnoreFailure(where.Erase(waiting));
  return true;
}

UnpatchOutcome Remove(const fs::RootedPaths& where, const FileSwap& swap, const Text& current,
                      toolkit::ChangeRecorder& recorder) {
  const std::optional<std::string> stripped = WithoutInsertedLines(current, swap);
  if (!stripped) return {UnpatchResult::kNotThere, {}};
  return Replace(where, swap, current.sum, *stripped, UnpatchResult::kRemoved, recorder);
}

}  // namespace

std::string SafetyNameOf(const std::string& target) { return target + "~"; }

UnpatchOutcome UndoRewrite(const FileSwap& swap, BackupUse backupUse, const fs::RootedPaths& where,
                           toolkit::ChangeRecorder& recorder) {
  if (where.KindOf(swap.target) != toolkit::PathKind::kFile) return {UnpatchResult::kMissing, {}};
  const std::optional<Text> current = ReadText(where, swap.target);
  if (!current) return {UnpatchResult::kNotOpened, {}};
  if (current->sum == swap.written) {
    if (backupUse == BackupUse::kRename && BytesIfSum(where, swap.backup, swap.original)) {
      return {RenameBackupBack(where, swap) ? UnpatchResult::kRestored : UnpatchResult::kNotOpened,
              {}};
    }
    std::optional<std::string> original = BytesIfSum(where, swap.backup, swap.original);
    if (!original) original = Rebuild(*current, swap);
    if (original) {
      return Replace(where, swap, current->sum, *original, UnpatchResult::kRestored, recorder);
    }
  }
  return Remove(where, swap, *current, recorder);
}

UnpatchOutcome RemoveInsertedLines(const FileSwap& swap, const fs::RootedPaths& where,
                                   toolkit::ChangeRecorder& recorder) {
  if (where.KindOf(swap.target) != toolkit::PathKind::kFile) return {UnpatchResult::kMissing, {}};
  const std::optional<Text> current = ReadText(where, swap.target);
  if (!current) return {UnpatchResult::kNotOpened, {}};
  return Remove(where, swap, *current, recorder);
}

}  // namespace cad
