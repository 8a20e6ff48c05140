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
using toolkit::fs::Check;
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

bool CanBeOpened(const std::string& path) {
  File file;
  file.Open(path, OpenMode::kRead, Check::kRecord);
  if (toolkit::fs::IoResult() != 0) return false;
  file.Close(Check::kRecord);
  toolkit::fs::IoResult();
  return true;
}

// Another program holds the file: the user can close it and patch it by hand.
bool HeldByAnotherProgram(std::uint32_t code) {
  return code == toolkit::kErrAccessDenied || code == toolkit::kErrSharingViolation ||
         code == toolkit::kErrLockViolation;
}

}  // namespace

bool SwapIn(const toolkit::FileSwap& swap) {
  using toolkit::fs::Rename;
  // A rename never replaces a file, so an old backup has to make way first. It waits under the
  // aside name until the target has become the new backup, so that a refused rename can leave
  // it where it was.
  const bool hadBackup = CanBeOpened(swap.backup);
  if (hadBackup) {
    if (CanBeOpened(swap.aside)) toolkit::fs::Erase(swap.aside);
    Rename(swap.backup, swap.aside);
  }
  Rename(swap.target, swap.backup, Check::kRecord);
  if (const std::uint32_t code = toolkit::fs::IoResult(); code != 0) {
    if (hadBackup) Rename(swap.aside, swap.backup, Check::kRecord);
    toolkit::fs::IoResult();
    toolkit::fs::Erase(swap.temp, Check::kRecord);
    toolkit::fs::IoResult();
    if (HeldByAnotherProgram(code)) return false;
    toolkit::fs::Report(code, Check::kRaise);
  }
  try {
    Rename(swap.temp, swap.target);
  } catch (const toolkit::EInOutError&) {
    // AutoCAD must not start without its file: the old text goes back under its name, and the
    // error that stopped the swap is the one reported, whether or not this repair succeeds.
    Rename(swap.backup, swap.target, Check::kRecord);
    toolkit::fs::IoResult();
    if (hadBackup) Rename(swap.aside, swap.backup, Check::kRecord);
    toolkit::fs::IoResult();
    throw;
  }
  if (hadBackup) {
    toolkit::fs::Erase(swap.aside, Check::kRecord);
    toolkit::fs::IoResult();
  }
  return true;
}

std::string AsideNameOf(const std::string& backupPath) { return backupPath + "~"; }

bool RewriteWithBackup(const std::string& targetPath, const std::string& tempPath,
                       const std::string& backupPath, std::string_view marker,
                       const CopyRule& copyRule, std::initializer_list<std::string_view> trailer,
                       toolkit::ChangeRecorder& recorder) {
  // A code left behind by someone else's unchecked operation must not pass for this open's.
  toolkit::fs::IoResult();
  File target;
  target.Open(targetPath, OpenMode::kReadWrite, Check::kRecord);
  if (toolkit::fs::IoResult() != 0) return false;

  const bool alreadyPatched = HoldsMarker(target, marker);
  // Opened again so that the copy starts from the first byte.
  target.Open(targetPath, OpenMode::kReadWrite);
  if (alreadyPatched) {
    recorder.LeftAsItWas(targetPath, toolkit::LeftReason::kAlreadyThere);
    return true;
  }

  toolkit::FileSwap swap;
  swap.target = targetPath;
  swap.temp = tempPath;
  swap.backup = backupPath;
  swap.aside = AsideNameOf(backupPath);
  const auto dropCopy = [&] {
    target.Close(Check::kRecord);
    toolkit::fs::IoResult();
    toolkit::fs::Erase(tempPath, Check::kRecord);
    toolkit::fs::IoResult();
  };
  try {
    File temp;
    temp.Open(tempPath, OpenMode::kCreate);
    WriteCopy(target, temp, copyRule, trailer, swap);
    target.Close();
    // On the disk before the renames: a power cut after them must not find an empty copy.
    temp.Flush();
    temp.Close();
  } catch (const toolkit::EInOutError&) {
    // An unfinished copy is of no use to anybody: it goes, and the target was never touched.
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
  if (!SwapIn(swap)) return false;
  recorder.Rewritten(swap);
  return true;
}

}  // namespace cad
