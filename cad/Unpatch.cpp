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
using fs::Check;
using toolkit::FileSum;
using toolkit::FileSwap;

// A text file as lines, each with its own end, and the sum of its bytes.
struct Text {
  std::vector<std::string> lines;
  std::string ends;  // one LineEnd character a line
  FileSum sum;
};

// The file's text, or nothing when it cannot be opened or read.
std::optional<Text> ReadText(const std::string& path) {
  fs::IoResult();
  fs::File file;
  file.Open(path, toolkit::OpenMode::kRead, Check::kRecord);
  if (fs::IoResult() != 0) return std::nullopt;
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
std::optional<std::string> BytesIfSum(const std::string& path, const FileSum& sum) {
  if (!toolkit::Fs().FileExists(path)) return std::nullopt;
  std::optional<Text> text = ReadText(path);
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

// The text without the inserted lines, each run of consecutive numbers found as one block; the
// other lines keep their ends. Nothing when no block is found.
std::optional<std::string> WithoutInsertedLines(
    const Text& current, const std::vector<toolkit::InsertedLine>& inserted) {
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
  std::vector<bool> keep(taken.size());
  std::transform(taken.begin(), taken.end(), keep.begin(), [](bool t) { return !t; });
  std::string ends;
  for (std::size_t i = 0; i < keep.size(); ++i) {
    if (keep[i]) ends += current.ends[i];
  }
  return Join(current.lines, keep, ends);
}

// Writes `bytes` under the temporary name and swaps them in for the target, which waits under
// the safety name until the copy has its name and then goes. False when another program holds
// the target.
bool Replace(const FileSwap& installed, const FileSum& current, const std::string& bytes,
             toolkit::ChangeRecorder& recorder) {
  const std::string safety = SafetyNameOf(installed.target);
  FileSwap own;
  own.target = installed.target;
  own.temp = installed.temp;
  own.backup = safety;
  own.aside = AsideNameOf(safety);
  own.original = current;
  own.written = SumOf(bytes);
  try {
    fs::File temp;
    temp.Open(own.temp, toolkit::OpenMode::kCreate);
    temp.Write(bytes);
    temp.Flush();
    temp.Close();
  } catch (const toolkit::EInOutError&) {
    fs::Erase(own.temp, Check::kRecord);
    fs::IoResult();
    throw;
  }
  recorder.SwapStarts(own);
  if (!SwapIn(own)) return false;
  recorder.Rewritten(own);
  fs::Erase(safety, Check::kRecord);
  fs::IoResult();
  return true;
}

// The run's own backup takes the file's name again; the file waits under the temporary name
// meanwhile, so that the name is never without one of the two texts for longer than a rename.
bool RenameBackupBack(const FileSwap& swap) {
  auto rename = [](const std::string& from, const std::string& to) {
    fs::Rename(from, to, Check::kRecord);
    return fs::IoResult() == 0;
  };
  if (toolkit::Fs().FileExists(swap.temp)) {
    fs::Erase(swap.temp, Check::kRecord);
    fs::IoResult();
  }
  if (!rename(swap.target, swap.temp)) return false;
  if (!rename(swap.backup, swap.target)) {
    rename(swap.temp, swap.target);
    return false;
  }
  fs::Erase(swap.temp, Check::kRecord);
  fs::IoResult();
  return true;
}

UnpatchResult Remove(const FileSwap& swap, const Text& current, toolkit::ChangeRecorder& recorder) {
  const std::optional<std::string> stripped = WithoutInsertedLines(current, swap.inserted);
  if (!stripped) return UnpatchResult::kNotThere;
  return Replace(swap, current.sum, *stripped, recorder) ? UnpatchResult::kRemoved
                                                         : UnpatchResult::kNotOpened;
}

}  // namespace

std::string SafetyNameOf(const std::string& target) { return target + "~"; }

UnpatchResult UndoRewrite(const FileSwap& swap, BackupUse backupUse,
                          toolkit::ChangeRecorder& recorder) {
  if (!toolkit::Fs().FileExists(swap.target)) return UnpatchResult::kMissing;
  const std::optional<Text> current = ReadText(swap.target);
  if (!current) return UnpatchResult::kNotOpened;
  if (current->sum == swap.written) {
    if (backupUse == BackupUse::kRename && BytesIfSum(swap.backup, swap.original)) {
      return RenameBackupBack(swap) ? UnpatchResult::kRestored : UnpatchResult::kNotOpened;
    }
    std::optional<std::string> original = BytesIfSum(swap.backup, swap.original);
    if (!original) original = Rebuild(*current, swap);
    if (original) {
      return Replace(swap, current->sum, *original, recorder) ? UnpatchResult::kRestored
                                                              : UnpatchResult::kNotOpened;
    }
  }
  return Remove(swap, *current, recorder);
}

UnpatchResult RemoveInsertedLines(const FileSwap& swap, toolkit::ChangeRecorder& recorder) {
  if (!toolkit::Fs().FileExists(swap.target)) return UnpatchResult::kMissing;
  const std::optional<Text> current = ReadText(swap.target);
  if (!current) return UnpatchResult::kNotOpened;
  return Remove(swap, *current, recorder);
}

}  // namespace cad
