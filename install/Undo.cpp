#include "install/Undo.h"

#include <vector>

#include "cad/Bundle.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/ProgramGroup.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;
using fs::Check;

bool Rename(const std::string& from, const std::string& to) {
  fs::Rename(from, to, Check::kRecord);
  return fs::IoResult() == 0;
}

// Whether the file is there with these bytes; without a record of them (an older journal's
// swap), whether it is there at all.
bool Holds(const std::string& path, const toolkit::FileSum& sum, bool summed) {
  if (!toolkit::Fs().FileExists(path)) return false;
  if (!summed) return true;
  toolkit::FileSum found;
  return toolkit::SumFile(path, found.size, found.crc) && found == sum;
}

std::string Shown(const std::string& key) {
  const std::string rest = !key.empty() && key.front() == '\\' ? key.substr(1) : key;
  return rest.starts_with(toolkit::kMachineHive) ? rest : "HKCU\\" + rest;
}

}  // namespace

std::vector<bool> SwapsCutShort(const std::vector<install::Change>& changes) {
  std::vector<bool> cut(changes.size(), false);
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (changes[i].kind != Change::Kind::kSwap) continue;
    cut[i] = true;
    for (std::size_t j = i + 1; j < changes.size(); ++j) {
      if (changes[j].kind == Change::Kind::kPatch &&
          fs::FoldCase(changes[j].path) == fs::FoldCase(changes[i].path)) {
        cut[i] = false;
        break;
      }
    }
  }
  return cut;
}

Undo::Undo(const UndoPolicy& policy, UndoReport& report, toolkit::ChangeRecorder& recorder,
           config::FrontEnd& frontEnd)
    : policy_(policy), report_(report), recorder_(recorder), frontEnd_(frontEnd) {}

void Undo::Change(const install::Change& change, bool cutShort) {
  const config::ConfigurationBlock& v = config::Vars;
  switch (change.kind) {
    case Change::Kind::kFile:
      return File(change, cutShort);
    case Change::Kind::kSwap:
      return Swap(change);
    case Change::Kind::kPatch:
      return Patch(change);
    case Change::Kind::kRegistry:
      return RegistryValue(change);
    case Change::Kind::kGroup:
      if (policy_.removeGroups && !DeleteProgramGroup(frontEnd_, change.path)) {
        report_.Left(change.path, v.ReasonNotOpened);
      }
      return;
    case Change::Kind::kFolder:
    case Change::Kind::kKey:
      return;
  }
}

void Undo::Erase(const std::string& path) {
  fs::Erase(path, Check::kRecord);
  if (fs::IoResult() == 0) return report_.Done(config::Vars.LogRemoved, path);
  report_.Failed(path, config::Vars.ReasonNotOpened);
}

void Undo::File(const install::Change& change, bool cutShort) {
  if (!toolkit::Fs().FileExists(change.path)) return;
  toolkit::FileSum found;
  if (!toolkit::SumFile(change.path, found.size, found.crc)) {
    return report_.Failed(change.path, config::Vars.ReasonNotOpened);
  }
  const bool asPlaced = found.size == change.size && (!change.crc || found.crc == *change.crc);
  // A write cut short only ever leaves fewer bytes than the member has: what a killed run left
  // smaller is the library's unfinished work, not the user's.
  const bool halfWritten = cutShort && found.size < change.size;
  if (asPlaced || halfWritten) return Erase(change.path);
  report_.Left(change.path, config::Vars.ReasonChanged);
}

void Undo::PartialFile(const install::Change& change) {
  toolkit::FileSum found;
  if (change.kind == Change::Kind::kFile && toolkit::Fs().FileExists(change.path) &&
      toolkit::SumFile(change.path, found.size, found.crc) && found.size < change.size) {
    Erase(change.path);
  }
}

void Undo::Swap(const install::Change& change) {
  const toolkit::FileSwap& swap = change.swap;
  toolkit::FileSystem& files = toolkit::Fs();
  bool settled = false;
  if (!files.FileExists(swap.target)) {
    if (policy_.finishSwaps && Holds(swap.temp, swap.written, change.summed)) {
      settled = Rename(swap.temp, swap.target);
    } else if (Holds(swap.backup, swap.original, change.summed)) {
      settled = Rename(swap.backup, swap.target);
    }
  }
  // The copy is the installer's own temporary file, and the aside name only ever holds the
  // backup that waited there.
  if (files.FileExists(swap.temp) && files.FileExists(swap.target)) {
    fs::Erase(swap.temp, Check::kRecord);
    fs::IoResult();
  }
  if (files.FileExists(swap.aside)) {
    settled = true;
    if (!files.FileExists(swap.backup)) {
      Rename(swap.aside, swap.backup);
    } else {
      fs::Erase(swap.aside, Check::kRecord);
      fs::IoResult();
    }
  }
  if (!files.FileExists(swap.target)) {
    report_.Failed(swap.target, config::Vars.ReasonMissing);
  } else if (settled) {
    report_.Done(config::Vars.LogRestored, swap.target);
  }
}

void Undo::Patch(const install::Change& change) {
  const config::ConfigurationBlock& v = config::Vars;
  // An uninstallation's own rewrites add nothing, and there is nothing of them to take back.
  if (change.swap.inserted.empty()) return;
  const cad::UnpatchResult result = change.summed
                                        ? cad::UndoRewrite(change.swap, policy_.backups, recorder_)
                                        : cad::RemoveInsertedLines(change.swap, recorder_);
  switch (result) {
    case cad::UnpatchResult::kRestored:
      return report_.Done(v.LogRestored, change.path);
    case cad::UnpatchResult::kRemoved:
      return report_.Done(v.LogLinesRemoved, change.path);
    case cad::UnpatchResult::kNotThere:
      return report_.Done(v.LogLeft, change.path + " (" + v.ReasonLinesGone + ")");
    case cad::UnpatchResult::kMissing:
      return report_.Done(v.LogLeft, change.path + " (" + v.ReasonMissing + ")");
    case cad::UnpatchResult::kNotOpened:
      return report_.Failed(change.path, v.ReasonNotOpened);
  }
}

// The entry the run added goes from the list; the rest of the list, the user's, stays. A list
// untouched since gets back exactly what it held.
void Undo::RegistryValue(const install::Change& change) {
  toolkit::RegistryCursor key;
  if (!key.OpenExistingKey(change.path) || !key.HasValue(change.valueName)) return;
  const std::string where = change.path + "\\" + change.valueName;
  try {
    const std::string list = key.ReadString(change.valueName);
    std::string kept = cad::WithoutTrustedPath(list, change.added);
    if (kept == list) return;
    if (change.before && cad::WithTrustedPath(*change.before, change.added) == list) {
      kept = *change.before;
    }
    if (kept.empty() && !change.before) {
      if (!key.DeleteValue(change.valueName)) {
        return report_.Failed(where, config::Vars.ReasonNotOpened);
      }
    } else {
      key.WriteString(change.valueName, kept);
    }
  } catch (const toolkit::ERegistryException&) {
    return report_.Failed(where, config::Vars.ReasonNotOpened);
  }
  report_.Done(config::Vars.LogRemoved, where + " " + change.added);
}

void Undo::Folder(const std::string& path, bool last, const std::string& reason) {
  if (!toolkit::Fs().DirExists(path)) return;
  fs::RmDir(path, Check::kRecord);
  const std::uint32_t code = fs::IoResult();
  if (code == 0) return report_.Done(config::Vars.LogRemoved, path);
  if (!last) return;
  if (code == toolkit::kErrDirNotEmpty) return report_.Left(path, reason);
  report_.Failed(path, config::Vars.ReasonNotOpened);
}

void Undo::Key(const std::string& path) {
  const std::uint32_t code = toolkit::Reg().DeleteKey(path);
  if (code == 0) return report_.Done(config::Vars.LogRemoved, Shown(path));
  if (code == toolkit::kErrFileNotFound) return;
  report_.Failed(Shown(path), config::Vars.ReasonNotOpened);
}

}  // namespace install
