#include "cad/Rewrite.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

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

void WriteCopy(File& target, File& temp, const CopyRule& copyRule,
               std::initializer_list<std::string_view> trailer) {
  LineReader reader(target);
  LineWriter copy(temp);
  std::string line;
  while (reader.NextLine(line)) copyRule(line, copy);
  for (std::string_view extra : trailer) copy.WriteLine(extra);
  copy.Flush();
}

// Puts the finished copy in the target's place, the old file becoming the backup.
void SwapIn(const std::string& targetPath, const std::string& tempPath,
            const std::string& backupPath) {
  // A rename never replaces a file, so an old backup has to go first.
  File oldBackup;
  oldBackup.Open(backupPath, OpenMode::kRead, Check::kRecord);
  if (toolkit::fs::IoResult() == 0) {
    oldBackup.Close();
    toolkit::fs::Erase(backupPath);
  }
  toolkit::fs::Rename(targetPath, backupPath);
  try {
    toolkit::fs::Rename(tempPath, targetPath);
  } catch (const toolkit::EInOutError&) {
    // AutoCAD must not start without its file: the old text goes back under its name, and the
    // error that stopped the swap is the one reported, whether or not this repair succeeds.
    toolkit::fs::Rename(backupPath, targetPath, Check::kRecord);
    toolkit::fs::IoResult();
    throw;
  }
}

}  // namespace

bool RewriteWithBackup(const std::string& targetPath, const std::string& tempPath,
                       const std::string& backupPath, std::string_view marker,
                       const CopyRule& copyRule, std::initializer_list<std::string_view> trailer) {
  // A code left behind by someone else's unchecked operation must not pass for this open's.
  toolkit::fs::IoResult();
  File target;
  target.Open(targetPath, OpenMode::kReadWrite, Check::kRecord);
  if (toolkit::fs::IoResult() != 0) return false;

  const bool alreadyPatched = HoldsMarker(target, marker);
  // Opened again so that the copy starts from the first byte.
  target.Open(targetPath, OpenMode::kReadWrite);
  if (alreadyPatched) return true;

  File temp;
  temp.Open(tempPath, OpenMode::kCreate);
  WriteCopy(target, temp, copyRule, trailer);
  target.Close();
  temp.Close();

  SwapIn(targetPath, tempPath, backupPath);
  return true;
}

}  // namespace cad
