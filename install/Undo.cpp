#include "install/Undo.h"

#include <algorithm>
#include <vector>

#include "cad/AcadFiles.h"
#include "cad/Bundle.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/ForAllUsers.h"
#include "install/ProgramGroup.h"
#include "install/Registration.h"
#include "toolkit/Crc32.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;
using toolkit::PathKind;

// The file's size and CRC, read through `where`; nothing when it cannot be read.
std::optional<toolkit::FileSum> SumOf(const fs::RootedPaths& where, const std::string& path) {
  fs::File file;
  toolkit::FileSum sum;
  if (where.Open(file, path, toolkit::OpenMode::kRead).Failed() ||
      !toolkit::SumOpenFile(file, sum.size, sum.crc)) {
    return std::nullopt;
  }
  return sum;
}

// Whether the file is there with these bytes; without a record of them (an older journal's
// swap), whether it is there at all.
bool Holds(const fs::RootedPaths& where, const std::string& path, const toolkit::FileSum& sum,
           bool summed) {
  if (where.KindOf(path) != PathKind::kFile) return false;
  return !summed || SumOf(where, path) == sum;
}

std::string Shown(const std::string& key) {
  const std::string rest = !key.empty() && key.front() == '\\' ? key.substr(1) : key;
  return rest.starts_with(toolkit::kMachineHive) ? rest : "HKCU\\" + rest;
}

// The root of a path of the running installation's own that no trusted root holds: its drive.
std::string DriveRootOf(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "\\" : path;
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

std::string Described(const Change& change) {
  switch (change.kind) {
    case Change::Kind::kFolder:
      return "DIR " + change.path;
    case Change::Kind::kFile:
      return "FILE " + change.path;
    case Change::Kind::kSwap:
      return "SWAP " + change.path;
    case Change::Kind::kPatch:
      return "PATCH " + change.path;
    case Change::Kind::kRegistry:
      return "REG " + change.path + "\\" + change.valueName;
    case Change::Kind::kGroup:
      return "GROUP " + change.path;
    case Change::Kind::kKey:
      return "KEY " + change.path;
  }
  return change.path;
}

Undo::Undo(const UndoPolicy& policy, const TrustedRoots& roots, UndoReport& report,
           toolkit::ChangeRecorder& recorder, config::FrontEnd& frontEnd)
    : policy_(policy), roots_(roots), report_(report), recorder_(recorder), frontEnd_(frontEnd) {}

std::vector<std::string> Undo::Refused(const std::vector<RunToUndo>& runs) const {
  std::vector<std::string> refused;
  for (const RunToUndo& run : runs) {
    for (const install::Change& change : run.run->changes) {
      if (!RootOf(change, run.run->kind, roots_, run.trust)) refused.push_back(Described(change));
    }
  }
  return refused;
}

LeftForTheEnd Undo::Replay(const std::vector<RunToUndo>& runs, bool fromMemory) {
  LeftForTheEnd left;
  for (auto each = runs.rbegin(); each != runs.rend(); ++each) {
    const JournalRun& run = *each->run;
    const bool taken =
        policy_.runs == UndoneRuns::kThisRun ||
        (policy_.runs == UndoneRuns::kCutShort && !run.complete) ||
        (policy_.runs == UndoneRuns::kEveryInstallation && run.kind == RunKind::kInstall);
    if (!taken) continue;
    const std::vector<bool> swapsCutShort = SwapsCutShort(run.changes);
    for (std::size_t i = run.changes.size(); i-- > 0;) {
      const install::Change& change = run.changes[i];
      std::optional<std::string> root = RootOf(change, run.kind, roots_, each->trust);
      // The running installation's own records need no bounds; a path no trusted root holds
      // is still never reached through a link from its drive on.
      if (!root && fromMemory) root = DriveRootOf(change.path);
      if (!root) continue;
      try {
        Change(change, run, swapsCutShort[i], *root, each->trust, left);
      } catch (const toolkit::Exception& error) {
        report_.Failed(change.path, error.what());
      }
    }
  }
  return left;
}

void Undo::Change(const install::Change& change, const JournalRun& run, bool cutShortSwap,
                  const std::string& root, RecordTrust trust, LeftForTheEnd& left) {
  const config::ConfigurationBlock& v = config::Vars;
  const bool cutShort = !run.complete;
  switch (change.kind) {
    case Change::Kind::kSwap:
      // A swap whose patch follows was completed: the patch says what to take back.
      if (!cutShortSwap || policy_.cutShortSwaps == CutShortSwap::kLeave) return;
      return Swap(change, root, run.kind, trust);
    case Change::Kind::kPatch:
      // An uninstallation's own rewrites add nothing: only a safety copy a kill left may stay.
      if (run.kind == RunKind::kRemoval) return StaleSafetyCopy(change, root);
      if (policy_.undoChanges) Patch(change, root);
      return;
    case Change::Kind::kFile:
      // What a kill left half done is taken away only on the product's own record.
      if (!policy_.undoChanges) {
        if (trust == RecordTrust::kOwn) PartialFile(change, root);
        return;
      }
      if (policy_.keepWaysBack && IsWayBack(change)) return;
      return File(change, root, cutShort && trust == RecordTrust::kOwn, trust);
    case Change::Kind::kRegistry:
      if (policy_.undoChanges) RegistryValue(change);
      return;
    case Change::Kind::kGroup:
      // Each installation that sent the group records it; it goes once.
      if (!policy_.undoChanges || !policy_.removeGroups ||
          std::find(groupsRemoved_.begin(), groupsRemoved_.end(), change.path) !=
              groupsRemoved_.end()) {
        return;
      }
      groupsRemoved_.push_back(change.path);
      if (!DeleteProgramGroup(frontEnd_, change.path)) report_.Left(change.path, v.ReasonNotOpened);
      return;
    case Change::Kind::kKey:
      if (!policy_.undoChanges) return;
      if (policy_.keysAtOnce) return Key(change.path);
      left.keys.push_back(change.path);
      return;
    case Change::Kind::kFolder:
      if (!policy_.undoChanges) return;
      // The folder of the users' part keeps their program, which takes each part away.
      if (policy_.keepWaysBack && SamePath(change.path, roots_.userPartFolder)) return;
      left.folders.push_back({change.path, root});
      return;
  }
}

bool Undo::IsWayBack(const install::Change& change) const {
  return SamePath(change.path, fs::JoinPath(roots_.recordFolder, kUninstallerName)) ||
         SamePath(change.path, fs::JoinPath(roots_.userPartFolder, kUserPartProgram));
}

void Undo::Erase(const fs::RootedPaths& where, const std::string& path) {
  const fs::IoStatus erased = where.Erase(path);
  if (erased.Done()) return report_.Done(config::Vars.LogRemoved, path);
  if (erased.IsLinkInTheWay()) {
    return report_.Refused(path, config::Vars.ReasonLink);
  }
  report_.Failed(path, config::Vars.ReasonNotOpened);
}

void Undo::File(const install::Change& change, const std::string& root, bool cutShort,
                RecordTrust trust) {
  const config::ConfigurationBlock& v = config::Vars;
  const fs::RootedPaths where(root);
  if (const fs::IoStatus checked = where.Check(change.path); checked.Failed()) {
    if (checked.IsLinkInTheWay()) report_.Refused(change.path, v.ReasonLink);
    return;
  }
  const PathKind kind = toolkit::Fs().KindOf(change.path);
  if (kind == PathKind::kNone) return;
  if (kind != PathKind::kFile) return report_.Left(change.path, v.ReasonChanged);
  const std::optional<toolkit::FileSum> found = SumOf(where, change.path);
  if (!found) return report_.Failed(change.path, v.ReasonNotOpened);
  // A record kept where others could write names its file by its size and CRC both.
  const bool crcKnown = change.crc.has_value();
  if (trust == RecordTrust::kMoved && !crcKnown) return report_.Left(change.path, v.ReasonChanged);
  const bool asPlaced = found->size == change.size && (!crcKnown || found->crc == *change.crc);
  // A write cut short only ever leaves fewer bytes than the member has: what a killed run left
  // smaller is the library's unfinished work, not the user's. The installer writes acaddoc.lsp
  // whole before it takes its name, so that one is never a member cut short.
  const bool member = !cad::IsAcadDocName(change.path);
  const bool halfWritten = cutShort && member && found->size < change.size;
  if (asPlaced || halfWritten) return Erase(where, change.path);
  report_.Left(change.path, v.ReasonChanged);
}

void Undo::PartialFile(const install::Change& change, const std::string& root) {
  if (change.kind != Change::Kind::kFile || cad::IsAcadDocName(change.path)) return;
  const fs::RootedPaths where(root);
  if (where.KindOf(change.path) != PathKind::kFile) return;
  const std::optional<toolkit::FileSum> found = SumOf(where, change.path);
  if (found && found->size < change.size) Erase(where, change.path);
}

void Undo::Swap(const install::Change& change, const std::string& root, RunKind kind,
                RecordTrust trust) {
  const config::ConfigurationBlock& v = config::Vars;
  const toolkit::FileSwap& swap = change.swap;
  const fs::RootedPaths where(root);
  const bool finish = policy_.cutShortSwaps == CutShortSwap::kFinish;
  bool settled = false;
  if (where.KindOf(swap.target) == PathKind::kNone) {
    // Between the renames: the copy or the old text takes the name, as the policy says.
    if (finish && Holds(where, swap.temp, swap.written, change.summed)) {
      settled = where.Rename(swap.temp, swap.target).Done();
    } else if (Holds(where, swap.backup, swap.original, change.summed)) {
      settled = where.Rename(swap.backup, swap.target).Done();
    }
  } else if (!finish && change.summed && Holds(where, swap.target, swap.written, true) &&
             Holds(where, swap.backup, swap.original, true)) {
    // Both renames were done, but not recorded: the run that made them is being undone.
    const std::string waiting = fs::FreeName(swap.temp);
    if (where.Rename(swap.target, waiting).Done()) {
      settled = where.Rename(swap.backup, swap.target).Done();
      if (!settled) fs::IgnoreFailure(where.Rename(waiting, swap.target));
    }
  }
  // The copy under the temporary name is the run's own: its name was free when the run took it,
  // and the record says so. One a record kept where others could write names goes only while
  // it has the copy's bytes.
  if (where.KindOf(swap.target) == PathKind::kFile && where.KindOf(swap.temp) == PathKind::kFile &&
      (trust == RecordTrust::kOwn || Holds(where, swap.temp, swap.written, change.summed))) {
    fs::IgnoreFailure(where.Erase(swap.temp));
  }
  // An older backup an earlier installer moved aside goes back to its name when that is free;
  // otherwise it stays, a file of the user's.
  if (where.KindOf(swap.aside) == PathKind::kFile && where.KindOf(swap.backup) == PathKind::kNone) {
    settled = where.Rename(swap.aside, swap.backup).Done() || settled;
  }
  if (where.KindOf(swap.target) != PathKind::kFile) {
    return report_.Failed(swap.target, v.ReasonMissing);
  }
  if (settled) report_.Done(v.LogRestored, swap.target);
  // An uninstallation's safety copy goes once the file has its name again.
  if (kind == RunKind::kRemoval && finish) StaleSafetyCopy(change, root);
}

void Undo::StaleSafetyCopy(const install::Change& change, const std::string& root) {
  const toolkit::FileSwap& swap = change.swap;
  const fs::RootedPaths where(root);
  // Only while the file is what the uninstallation made of it, and the copy still holds the text
  // it swapped out: a file changed since may need the copy, and anything else under the copy's
  // name is not the uninstaller's.
  if (where.KindOf(swap.target) != PathKind::kFile ||
      !Holds(where, swap.target, swap.written, true) ||
      !Holds(where, swap.backup, swap.original, true)) {
    return;
  }
  Erase(where, swap.backup);
}

void Undo::Patch(const install::Change& change, const std::string& root) {
  const config::ConfigurationBlock& v = config::Vars;
  // An uninstallation's own rewrites add nothing, and there is nothing of them to take back.
  if (change.swap.inserted.empty()) return;
  const fs::RootedPaths where(root);
  const cad::UnpatchOutcome outcome =
      change.summed ? cad::UndoRewrite(change.swap, policy_.backups, where, recorder_)
                    : cad::RemoveInsertedLines(change.swap, where, recorder_);
  switch (outcome.result) {
    case cad::UnpatchResult::kRestored:
      report_.Done(v.LogRestored, change.path);
      break;
    case cad::UnpatchResult::kRemoved:
      report_.Done(v.LogLinesRemoved, change.path);
      break;
    case cad::UnpatchResult::kNotThere:
      report_.Done(v.LogLeft, change.path + " (" + v.ReasonLinesGone + ")");
      break;
    case cad::UnpatchResult::kMissing:
      report_.Done(v.LogLeft, change.path + " (" + v.ReasonMissing + ")");
      break;
    case cad::UnpatchResult::kNotOpened:
      if (where.Check(change.path).IsLinkInTheWay()) {
        report_.Refused(change.path, v.ReasonLink);
      } else {
        report_.Failed(change.path, v.ReasonNotOpened);
      }
      break;
  }
  // The file is as it should be, but its safety copy stayed: the next run takes it away.
  if (!outcome.safetyCopyLeft.empty()) {
    report_.Failed(outcome.safetyCopyLeft, v.ReasonNotOpened);
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

void Undo::Folder(const FolderToRemove& folder, bool last, const std::string& reason) {
  const fs::RootedPaths where(folder.root);
  const PathKind kind = where.KindOf(folder.path);
  const fs::IoStatus checked = where.Check(folder.path);
  if (checked.IsLinkInTheWay() || kind == PathKind::kLink) {
    if (last) report_.Refused(folder.path, config::Vars.ReasonLink);
    return;
  }
  if (kind != PathKind::kFolder) return;
  const fs::IoStatus removed = where.RmDir(folder.path);
  if (removed.Done()) return report_.Done(config::Vars.LogRemoved, folder.path);
  if (!last) return;
  if (removed.IsNotEmpty()) return report_.Left(folder.path, reason);
  report_.Failed(folder.path, config::Vars.ReasonNotOpened);
}

void Undo::Key(const std::string& path) {
  const fs::IoStatus deleted(toolkit::Reg().DeleteKey(path));
  if (deleted.Done()) return report_.Done(config::Vars.LogRemoved, Shown(path));
  if (deleted.IsMissing()) return;
  report_.Failed(Shown(path), config::Vars.ReasonNotOpened);
}

}  // namespace install
