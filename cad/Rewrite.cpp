#include "cad/Rewrite.h"

#include "cad/Marker.h"
#include "toolkit/Errors.h"

namespace cad {
namespace {

using toolkit::OpenMode;
using toolkit::fs::Check;
using toolkit::fs::File;

// Reads the whole file, so that the file position ends where the copy pass would end, and says
// whether any line holds the marker.
bool HoldsMarker(File& target, std::string_view marker) {
  const Marker test(marker);
  LineReader reader(target);
  std::string line;
  bool found = false;
  while (reader.NextLine(line)) {
    if (test.FoundIn(line))
      found = true;
  }
  return found;
}

void WriteCopy(File& target, File& temp, const CopyRule& copyRule,
               std::initializer_list<std::string_view> trailer) {
  LineReader reader(target);
  LineWriter copy(temp);
  std::string line;
  while (reader.NextLine(line))
    copyRule(line, copy);
  for (std::string_view extra : trailer)
    copy.WriteLine(extra);
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
  if (toolkit::fs::IoResult() != 0)
    return false;

  const bool alreadyPatched = HoldsMarker(target, marker);
  // Opened again so that the copy starts from the first byte.
  target.Open(targetPath, OpenMode::kReadWrite);
  if (alreadyPatched)
    return true;

  File temp;
  temp.Open(tempPath, OpenMode::kCreate);
  WriteCopy(target, temp, copyRule, trailer);
  target.Close();
  temp.Close();

  SwapIn(targetPath, tempPath, backupPath);
  return true;
}

}  // namespace cad
