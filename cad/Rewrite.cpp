#include "cad/Rewrite.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "cad/LineEnds.h"
#include "cad/Marker.h"
#include "toolkit/Errors.h"

namespace cad {
namespace {

using toolkit::OpenMode;
using toolkit::fs::File;

constexpr std::size_t kScanBufferSize = 64 * 1024;

// Reads the whole file and says whether any line holds the marker. A marker holds no line end,
// so it occurs in a line exactly when it occurs in the file's bytes: the bytes are searched a
// buffer at a time, each buffer preceded by the tail of the one before, where a marker may start.
bool HoldsMarker(File& target, std::string_view marker) {
  const Marker test(marker);
  const std::size_t overlap = marker.empty() ? 0 : marker.size() - 1;
  std::vector<char> buffer(kScanBufferSize + overlap);
  std::size_t kept = 0;
  std::uint64_t total = 0;
  bool found = false;
  for (;;) {
    const std::size_t read = target.Read(buffer.data() + kept, buffer.size() - kept);
    if (read == 0) break;
    total += read;
    const std::size_t filled = kept + read;
    if (!found && test.FoundIn(std::string_view(buffer.data(), filled))) found = true;
    kept = std::min(overlap, filled);
    std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
  }
  // An empty marker is in every line, and only an empty file has none.
  return marker.empty() ? total > 0 : found;
}

// Writes the copy, and describes both texts and the lines the copy added in `swap`.
void WriteCopy(File& target, File& temp, const CopyRule& copyRule,
               std::initializer_list<std::string_view> trailer, toolkit::FileSwap& swap) {
  LineReader reader(target);
  LineWriter copy(temp);
  std::string ends;
  std::string_view line;
  while (reader.NextLine(line)) {
    ends += static_cast<char>(reader.LastLineEnd());
    copy.StartSourceLine();
    copyRule(line, copy);
  }
  for (std::string_view extra : trailer) copy.WriteLine(extra);
  copy.Flush();
  swap.original = reader.BytesRead();
  swap.written = copy.Written();
  swap.lineEnds = EncodeLineEnds(ends);
  swap.inserted = copy.Inserted();
}

}  // namespace

bool SwapIn(const toolkit::FileSwap& swap, const toolkit::fs::RootedPaths& where) {
  // A rename never replaces a file, and the backup's name was free: should anything have taken
  // it meanwhile, the swap stops here with every file as it was.
  if (const toolkit::fs::IoStatus moved = where.Rename(swap.target, swap.backup); moved.Failed()) {
    // The copy is this run's own, and of no use now.
    toolkit::fs::IgnoreFailure(where.Erase(swap.temp));
    // Another program holds the file: the user can close it and patch it by hand.
    if (moved.IsHeld()) return false;
    moved.OrRaise();
  }
  if (const toolkit::fs::IoStatus placed = where.Rename(swap.temp, swap.target); placed.Failed()) {
    // AutoCAD must not start without its file: the old text goes back under its name, and the
    // error that stopped the swap is the one reported, whether or not this repair succeeds (the
    // journal's record lets the next run finish it).
    toolkit::fs::IgnoreFailure(where.Rename(swap.backup, swap.target));
    placed.OrRaise();
  }
  return true;
}

bool RewriteWouldAdd(const std::string& targetPath, std::string_view marker,
                     std::span<const std::string_view> insertionPoints, bool appends) {
  File target;
  if (target.TryOpen(targetPath, OpenMode::kReadWrite).Failed()) return false;
  const Marker product(marker);
  std::vector<Marker> points(insertionPoints.begin(), insertionPoints.end());
  LineReader reader(target);
  bool adds = appends;
  std::string_view line;
  while (reader.NextLine(line)) {
    if (product.FoundIn(line)) return false;
    if (!adds) {
      adds = std::any_of(points.begin(), points.end(),
                         [&](const Marker& point) { return point.FoundIn(line); });
    }
  }
  return adds;
}

std::string AsideNameOf(const std::string& backupPath) { return backupPath + "~"; }

bool RewriteWithBackup(const std::string& targetPath, const std::string& tempPath,
                       const std::string& backupPath, std::string_view marker,
                       const CopyRule& copyRule, std::initializer_list<std::string_view> trailer,
                       toolkit::ChangeRecorder& recorder) {
  File target;
  if (target.TryOpen(targetPath, OpenMode::kReadWrite).Failed()) return false;

  const bool alreadyPatched = HoldsMarker(target, marker);
  // Opened again so that the copy starts from the first byte.
  target.Open(targetPath, OpenMode::kReadWrite);
  if (alreadyPatched) {
    recorder.LeftAsItWas(targetPath, toolkit::LeftReason::kAlreadyThere);
    return true;
  }

  toolkit::FileSwap swap;
  swap.target = targetPath;
  // The copy and the backup take names of their own: a file the user keeps under either name (a
  // backup of his own, an earlier installation's) stays exactly as it is.
  swap.temp = toolkit::fs::FreeName(tempPath);
  swap.backup = toolkit::fs::FreeName(backupPath);
  swap.aside = AsideNameOf(swap.backup);
  const auto dropCopy = [&] {
    toolkit::fs::IgnoreFailure(target.TryClose());
    // Only a copy this run made goes; a name that was taken meanwhile is not this run's.
    toolkit::fs::IgnoreFailure(toolkit::fs::TryErase(swap.temp));
  };
  File temp;
  // Created where nothing stands, so that it never writes through a link or over a file.
  temp.Open(swap.temp, OpenMode::kCreateNew);
  try {
    WriteCopy(target, temp, copyRule, trailer, swap);
    target.Close();
    // On the disk before the renames: a power cut after them must not find an empty copy.
    temp.Flush();
    temp.Close();
  } catch (const toolkit::EInOutError&) {
    // An unfinished copy is of no use to anybody: it goes, and the target was never touched.
    toolkit::fs::IgnoreFailure(temp.TryClose());
    dropCopy();
    throw;
  }
  // A copy that adds nothing would only change the file's line ends and make a needless backup.
  if (swap.inserted.empty()) {
    dropCopy();
    recorder.LeftAsItWas(targetPath, toolkit::LeftReason::kNothingToAdd);
    return true;
  }

  recorder.SwapStarts(swap);
  // The copy and the backup may lie a folder above the file (a release 14's menu).
  const std::string folder = toolkit::fs::CommonFolder({swap.target, swap.temp, swap.backup});
  if (!SwapIn(swap, toolkit::fs::RootedPaths(folder))) return false;
  recorder.Rewritten(swap);
  return true;
}

}  // namespace cad
