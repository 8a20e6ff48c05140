#include "install/Uninstall.h"

#include <algorithm>
#include <optional>

#include "cad/Bundle.h"
#include "cad/Unpatch.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/Journal.h"
#include "install/PathOps.h"
#include "install/ProgramGroup.h"
#include "install/Registration.h"
#include "install/Rollback.h"
#include "toolkit/Crc32.h"
#include "toolkit/Dde.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;
using fs::Check;

bool EntryNames(const std::string& destination) {
  toolkit::RegistryCursor entry;
  return entry.OpenExistingKey(kUninstallKey) &&
         fs::FoldCase(entry.ReadString("InstallLocation")) == fs::FoldCase(destination);
}

class Undo {
 public:
  Undo(config::FrontEnd& frontEnd, UninstallReport& report)
      : frontEnd_(frontEnd), report_(report), v_(config::Vars) {}

  void Done(const std::string& what, const std::string& path) { frontEnd_.Note(what + " " + path); }

  void Left(const std::string& path, const std::string& reason) {
    const std::string entry = path + " (" + reason + ")";
    frontEnd_.Note(v_.LogLeft + " " + entry);
    report_.left.push_back(entry);
  }

  void Patch(const Change& change) {
    if (change.inserted.empty()) return;
    switch (cad::RemoveInsertedLines(change.rewrite, change.inserted)) {
      case cad::UnpatchResult::kRemoved:
        return Done(v_.LogLinesRemoved, change.path);
      case cad::UnpatchResult::kNotThere:
        return Done(v_.LogLeft, change.path + " (" + v_.ReasonLinesGone + ")");
      case cad::UnpatchResult::kMissing:
        return Done(v_.LogLeft, change.path + " (" + v_.ReasonMissing + ")");
      case cad::UnpatchResult::kNotOpened:
        report_.failed = true;
        return Left(change.path, v_.ReasonNotOpened);
    }
  }

  void File(const Change& change) {
    if (!toolkit::Fs().FileExists(change.path)) return;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    if (!toolkit::SumFile(change.path, size, crc)) {
      report_.failed = true;
      return Left(change.path, v_.ReasonNotOpened);
    }
    if (size != change.size || (change.crc && crc != *change.crc)) {
      return Left(change.path, v_.ReasonChanged);
    }
    Erase(change.path);
  }

  void Erase(const std::string& path) {
    fs::Erase(path, Check::kRecord);
    if (fs::IoResult() == 0) return Done(v_.LogRemoved, path);
    report_.failed = true;
    Left(path, v_.ReasonNotOpened);
  }

  // The entry the run added goes from the list; the rest of the list, the user's, stays.
  void TrustedPath(const Change& change) {
    toolkit::RegistryCursor key;
    if (!key.OpenExistingKey(change.path) || !key.HasValue(change.valueName)) return;
    const std::string list = key.ReadString(change.valueName);
    std::string kept = cad::WithoutTrustedPath(list, change.added);
    if (kept == list) return;
    // Untouched since: the value gets back exactly what it held.
    if (change.before && cad::WithTrustedPath(*change.before, change.added) == list) {
      kept = *change.before;
    }
    if (kept.empty() && !change.before) {
      key.DeleteValue(change.valueName);
    } else {
      key.WriteString(change.valueName, kept);
    }
    Done(v_.LogRemoved, change.path + "\\" + change.valueName + " " + change.added);
  }

  void Group(const std::string& name) {
    if (!DeleteProgramGroup(frontEnd_, name)) Left(name, v_.ReasonNotOpened);
  }

  void Key(const std::string& path) {
    const std::uint32_t code = toolkit::Reg().DeleteKey(path);
    if (code == 0) return Done(v_.LogRemoved, "HKCU\\" + path);
    if (code == toolkit::kErrFileNotFound) return;
    report_.failed = true;
    Left("HKCU\\" + path, v_.ReasonNotOpened);
  }

  // Each folder once, deepest (latest made) first; one that still holds something stays.
  void Folders(const std::vector<std::string>& folders, bool last) {
    for (const std::string& folder : folders) {
      if (!toolkit::Fs().DirExists(folder)) continue;
      fs::RmDir(folder, Check::kRecord);
      if (fs::IoResult() == 0) {
        Done(v_.LogRemoved, folder);
      } else if (last) {
        Left(folder, v_.ReasonNotEmpty);
      }
    }
  }

 private:
  config::FrontEnd& frontEnd_;
  UninstallReport& report_;
  const config::ConfigurationBlock& v_;
};

// The entry (with the keys the runs made), the uninstaller, then `folders` when empty.
void FinishRemoval(Undo& undo, const std::string& destination, std::vector<std::string> keys,
                   const std::vector<std::string>& folders, const std::string& asideFolder) {
  // The product's entry goes too when it names this destination though no run recorded making
  // it (it was there already, left by an installation whose record is gone): once this
  // installation is gone it would point at nothing.
  if (EntryNames(destination) && std::find(keys.begin(), keys.end(), kUninstallKey) == keys.end()) {
    keys.push_back(kUninstallKey);
  }
  for (const std::string& key : keys) undo.Key(key);
  const std::string uninstaller = JoinPath(destination, kUninstallerName);
  if (toolkit::Fs().FileExists(uninstaller)) {
    fs::Erase(uninstaller, Check::kRecord);
    // A running program cannot be deleted, but it can be moved out of the folder.
    if (fs::IoResult() != 0) {
      const std::string aside = JoinPath(asideFolder, "TolvekUn.old");
      fs::Erase(aside, Check::kRecord);
      fs::IoResult();
      fs::Rename(uninstaller, aside, Check::kRecord);
      if (fs::IoResult() != 0) undo.Left(uninstaller, config::Vars.ReasonNotOpened);
    }
  }
  undo.Folders(folders, true);
}

}  // namespace

UninstallReport Uninstall(config::FrontEnd& frontEnd, const std::string& destination,
                          const std::string& asideFolder) {
  UninstallReport report;
  const std::string journalPath = JoinPath(destination, kJournalName);
  // A swap a killed installer or uninstaller left half done is settled first.
  RepairInterruptedSwaps(journalPath);
  const std::optional<JournalContents> contents = ReadJournal(journalPath);
  const std::string uninstaller = JoinPath(destination, kUninstallerName);
  // Without a record but beside its uninstaller, a removal was cut short after the record went:
  // only the end is left to do.
  if (!contents && !toolkit::Fs().FileExists(uninstaller)) return report;
  report.recordFound = true;
  // A folder in use cannot be removed, and the process's current one may be in the tree.
  if (destination.size() >= 2 && destination[1] == ':') {
    fs::ChDir(destination.substr(0, 2) + "\\", Check::kRecord);
    fs::IoResult();
  }
  Undo undo(frontEnd, report);
  if (!contents) {
    FinishRemoval(undo, destination, {}, {destination}, asideFolder);
    return report;
  }

  // The uninstallation's own rewrites go on the record too, so that one cut short in the middle
  // of its renames is settled by the next run.
  std::optional<Journal> record(std::in_place, config::Vars.ProductTitle + " -");
  record->Open(journalPath);
  std::optional<cad::ScopedRewriteJournal> rewrites(std::in_place, *record);

  std::vector<std::string> folders;
  std::vector<std::string> keys;
  std::vector<std::string> groups;
  for (auto run = contents->runs.rbegin(); run != contents->runs.rend(); ++run) {
    for (auto change = run->changes.rbegin(); change != run->changes.rend(); ++change) {
      try {
        switch (change->kind) {
          case Change::Kind::kPatch:
            undo.Patch(*change);
            break;
          case Change::Kind::kFile:
            // The uninstaller goes last, whatever copy of it an installation left.
            if (fs::FoldCase(change->path) != fs::FoldCase(uninstaller)) undo.File(*change);
            break;
          case Change::Kind::kRegistry:
            undo.TrustedPath(*change);
            break;
          case Change::Kind::kGroup:
            // Each installation that sent the group records it; it goes once.
            if (std::find(groups.begin(), groups.end(), change->path) != groups.end()) break;
            groups.push_back(change->path);
            undo.Group(change->path);
            break;
          case Change::Kind::kKey:
            keys.push_back(change->path);
            break;
          case Change::Kind::kFolder:
            folders.push_back(change->path);
            break;
          case Change::Kind::kSwap:
            break;
        }
      } catch (const toolkit::Exception& error) {
        report.failed = true;
        undo.Left(change->path, error.what());
      }
    }
  }
  undo.Folders(folders, false);
  // A failure leaves the way back in place: the entry, the uninstaller and the record.
  if (report.failed) return report;
  // The end goes in the order that always leaves a way to finish it: the record first (an
  // uninstaller that finds none beside itself only finishes the end), then the entry, then the
  // uninstaller itself, and the folders that held them last.
  rewrites.reset();
  record.reset();
  undo.Erase(journalPath);
  if (report.failed) return report;
  undo.Folders(folders, false);
  FinishRemoval(undo, destination, keys, folders, asideFolder);
  return report;
}

}  // namespace install
