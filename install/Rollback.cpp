#include "install/Rollback.h"

#include <set>

#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;
using toolkit::fs::Check;

bool Rename(const std::string& from, const std::string& to) {
  fs::Rename(from, to, Check::kRecord);
  return fs::IoResult() == 0;
}

bool Erase(const std::string& path) {
  fs::Erase(path, Check::kRecord);
  return fs::IoResult() == 0;
}

// A swap cut short: the target is back under its name, with the complete copy when `finish`
// (and the copy is there) or else with its old text, and an old backup left aside is back too.
// False when the target still has no file.
bool SettleSwap(const cad::RewritePaths& paths, bool finish) {
  toolkit::FileSystem& files = toolkit::Fs();
  if (!files.FileExists(paths.target)) {
    const bool haveCopy = files.FileExists(paths.temp);
    if (finish && haveCopy) {
      Rename(paths.temp, paths.target);
    } else if (files.FileExists(paths.backup)) {
      Rename(paths.backup, paths.target);
    }
  }
  if (files.FileExists(paths.temp) && files.FileExists(paths.target)) Erase(paths.temp);
  if (files.FileExists(paths.aside)) {
    if (!files.FileExists(paths.backup)) {
      Rename(paths.aside, paths.backup);
    } else {
      Erase(paths.aside);
    }
  }
  return files.FileExists(paths.target);
}

// The copy gives way to the old text, which was the backup.
bool UndoPatch(const cad::RewritePaths& paths) {
  toolkit::FileSystem& files = toolkit::Fs();
  if (!files.FileExists(paths.backup)) return false;
  // Moved out of the way first, so that the file's name is never without one of the two texts
  // for longer than a rename.
  if (files.FileExists(paths.temp)) Erase(paths.temp);
  if (!Rename(paths.target, paths.temp)) return false;
  if (!Rename(paths.backup, paths.target)) {
    Rename(paths.temp, paths.target);
    return false;
  }
  return Erase(paths.temp);
}

// A file the run created goes, unless it is no longer the one the run made.
bool UndoFile(const Change& change) {
  toolkit::fs::File file;
  file.Open(change.path, toolkit::OpenMode::kRead, Check::kRecord);
  // A member that was never written leaves nothing to undo.
  if (fs::IoResult() != 0) return !toolkit::Fs().FileExists(change.path);
  const std::uint64_t size = file.Size(Check::kRecord);
  const bool same = fs::IoResult() == 0 && size == change.size;
  file.Close(Check::kRecord);
  fs::IoResult();
  return same && Erase(change.path);
}

// The value gets back what it held before the run.
bool UndoRegistryValue(const Change& change) {
  toolkit::RegistryCursor key;
  if (!key.OpenExistingKey(change.path)) return false;
  if (!change.before) return key.DeleteValue(change.valueName);
  try {
    key.WriteString(change.valueName, *change.before);
    return true;
  } catch (const toolkit::ERegistryException&) {
    return false;
  }
}

// The last change of the run that concerns each AutoCAD file decides how it is undone.
std::set<std::string> PatchedTargets(const std::vector<Change>& changes) {
  std::set<std::string> patched;
  for (const Change& change : changes) {
    if (change.kind == Change::Kind::kPatch) patched.insert(fs::FoldCase(change.path));
  }
  return patched;
}

}  // namespace

std::vector<std::string> RollBack(Journal& journal, const std::string& destination) {
  // The process's current folder is inside the tree; a folder in use cannot be removed.
  if (destination.size() >= 2 && destination[1] == ':') {
    fs::ChDir(destination.substr(0, 2) + "\\", Check::kRecord);
    fs::IoResult();
  }
  const std::vector<Change>& changes = journal.ThisRun();
  const std::set<std::string> patched = PatchedTargets(changes);
  std::vector<std::string> notUndone;
  for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
    switch (change->kind) {
      case Change::Kind::kPatch:
        if (!UndoPatch(change->rewrite)) notUndone.push_back(change->path);
        break;
      case Change::Kind::kSwap:
        if (patched.count(fs::FoldCase(change->path)) == 0 && !SettleSwap(change->rewrite, false)) {
          notUndone.push_back(change->path);
        }
        break;
      case Change::Kind::kFile:
        if (!UndoFile(*change)) notUndone.push_back(change->path);
        break;
      case Change::Kind::kRegistry:
        if (!UndoRegistryValue(*change))
          notUndone.push_back(change->path + "\\" + change->valueName);
        break;
      case Change::Kind::kKey:
        // The product's entry in Add or Remove Programs, which must not outlive the product.
        toolkit::Reg().DeleteKey(change->path);
        break;
      case Change::Kind::kFolder:
      case Change::Kind::kGroup:
        break;
    }
  }
  journal.Forget();
  // Folders last, deepest first: one that still holds something (not the run's) stays.
  for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
    if (change->kind != Change::Kind::kFolder) continue;
    fs::RmDir(change->path, Check::kRecord);
    const std::uint32_t code = fs::IoResult();
    if (code != 0 && code != toolkit::kErrDirNotEmpty && code != toolkit::kErrFileNotFound) {
      notUndone.push_back(change->path);
    }
  }
  return notUndone;
}

std::vector<std::string> RepairInterruptedSwaps(const std::string& journalPath) {
  std::vector<std::string> repaired;
  const std::optional<JournalContents> journal = ReadJournal(journalPath);
  if (!journal) return repaired;
  for (const JournalRun& run : journal->runs) {
    const std::set<std::string> patched = PatchedTargets(run.changes);
    for (const Change& change : run.changes) {
      if (change.kind != Change::Kind::kSwap || patched.count(fs::FoldCase(change.path)) != 0)
        continue;
      const cad::RewritePaths& paths = change.rewrite;
      toolkit::FileSystem& files = toolkit::Fs();
      const bool needsRepair = !files.FileExists(paths.target) || files.FileExists(paths.aside);
      if (needsRepair && SettleSwap(paths, true)) repaired.push_back(paths.target);
    }
  }
  return repaired;
}

}  // namespace install
