#include "cad/Rewrite.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "cad/Marker.h"
#include "toolkit/Errors.h"

namespace cad {
namespace {

using toolkit::OpenMode;
using toolkit::fs::Check;
using toolkit::fs::File;

constexpr std::size_t kScanBufferSize = 64 * 1024;

RewriteJournal* currentJournal = nullptr;

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

// Writes the copy and returns the lines it inserted.
std::vector<InsertedLine> WriteCopy(File& target, File& temp, const CopyRule& copyRule,
                                    std::initializer_list<std::string_view> trailer) {
  LineReader reader(target);
  LineWriter copy(temp);
  std::string line;
  while (reader.NextLine(line)) {
    copy.StartSourceLine();
    copyRule(line, copy);
  }
  for (std::string_view extra : trailer) copy.WriteLine(extra);
  copy.Flush();
  return copy.Inserted();
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

// Puts the finished copy in the target's place, the old file becoming the backup. False, with
// every file as it was, when another program keeps the target from being renamed.
bool SwapIn(const RewritePaths& paths) {
  using toolkit::fs::Rename;
  // A rename never replaces a file, so an old backup has to make way first. It waits under the
  // aside name until the target has become the new backup, so that a refused rename can leave
  // it where it was.
  const bool hadBackup = CanBeOpened(paths.backup);
  if (hadBackup) {
    if (CanBeOpened(paths.aside)) toolkit::fs::Erase(paths.aside);
    Rename(paths.backup, paths.aside);
  }
  Rename(paths.target, paths.backup, Check::kRecord);
  if (const std::uint32_t code = toolkit::fs::IoResult(); code != 0) {
    if (hadBackup) Rename(paths.aside, paths.backup, Check::kRecord);
    toolkit::fs::IoResult();
    toolkit::fs::Erase(paths.temp, Check::kRecord);
    toolkit::fs::IoResult();
    if (HeldByAnotherProgram(code)) return false;
    toolkit::fs::Report(code, Check::kRaise);
  }
  try {
    Rename(paths.temp, paths.target);
  } catch (const toolkit::EInOutError&) {
    // AutoCAD must not start without its file: the old text goes back under its name, and the
    // error that stopped the swap is the one reported, whether or not this repair succeeds.
    Rename(paths.backup, paths.target, Check::kRecord);
    toolkit::fs::IoResult();
    if (hadBackup) Rename(paths.aside, paths.backup, Check::kRecord);
    toolkit::fs::IoResult();
    throw;
  }
  if (hadBackup) {
    toolkit::fs::Erase(paths.aside, Check::kRecord);
    toolkit::fs::IoResult();
  }
  return true;
}

}  // namespace

std::string AsideNameOf(const std::string& backupPath) { return backupPath + "~"; }

RewriteJournal* CurrentRewriteJournal() { return currentJournal; }

ScopedRewriteJournal::ScopedRewriteJournal(RewriteJournal& journal)
    : previous_(std::exchange(currentJournal, &journal)) {}

ScopedRewriteJournal::~ScopedRewriteJournal() { currentJournal = previous_; }

namespace {

// The rewrite, with the marker test when there is a marker.
bool Rewrite(const std::string& targetPath, const std::string& tempPath,
             const std::string& backupPath, const std::string_view* marker,
             const CopyRule& copyRule, std::initializer_list<std::string_view> trailer) {
  // A code left behind by someone else's unchecked operation must not pass for this open's.
  toolkit::fs::IoResult();
  File target;
  target.Open(targetPath, OpenMode::kReadWrite, Check::kRecord);
  if (toolkit::fs::IoResult() != 0) return false;

  if (marker != nullptr) {
    const bool alreadyPatched = HoldsMarker(target, *marker);
    // Opened again so that the copy starts from the first byte.
    target.Open(targetPath, OpenMode::kReadWrite);
    if (alreadyPatched) {
      if (currentJournal != nullptr) currentJournal->AlreadyPatched(targetPath);
      return true;
    }
  }

  std::vector<InsertedLine> inserted;
  try {
    File temp;
    temp.Open(tempPath, OpenMode::kCreate);
    inserted = WriteCopy(target, temp, copyRule, trailer);
    target.Close();
    // On the disk before the renames: a power cut after them must not find an empty copy.
    temp.Flush();
    temp.Close();
  } catch (const toolkit::EInOutError&) {
    // An unfinished copy is of no use to anybody: it goes, and the target was never touched.
    target.Close(Check::kRecord);
    toolkit::fs::IoResult();
    toolkit::fs::Erase(tempPath, Check::kRecord);
    toolkit::fs::IoResult();
    throw;
  }

  const RewritePaths paths{targetPath, tempPath, backupPath, AsideNameOf(backupPath)};
  if (currentJournal != nullptr) currentJournal->SwapStarts(paths);
  if (!SwapIn(paths)) return false;
  if (currentJournal != nullptr) currentJournal->Rewritten(paths, inserted);
  return true;
}

}  // namespace

bool RewriteWithBackup(const std::string& targetPath, const std::string& tempPath,
                       const std::string& backupPath, std::string_view marker,
                       const CopyRule& copyRule, std::initializer_list<std::string_view> trailer) {
  return Rewrite(targetPath, tempPath, backupPath, &marker, copyRule, trailer);
}

bool RewriteLines(const std::string& targetPath, const std::string& tempPath,
                  const std::string& backupPath, const CopyRule& copyRule) {
  return Rewrite(targetPath, tempPath, backupPath, nullptr, copyRule, {});
}

}  // namespace cad
