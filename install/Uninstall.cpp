#include "install/Uninstall.h"

#include <algorithm>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/ForAllUsers.h"
#include "install/Journal.h"
#include "install/PathOps.h"
#include "install/RecordBounds.h"
#include "install/Registration.h"
#include "install/Rollback.h"
#include "install/Undo.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Process.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;
using fs::Check;

// The name the running uninstaller is moved to when it cannot be deleted where it stands.
constexpr const char* kAsideUninstallerName = "TolvekUn.old";

// The entry at `key` names this destination.
bool EntryNames(const std::string& key, const std::string& destination) {
  toolkit::RegistryCursor entry;
  if (!entry.OpenExistingKey(key) || !entry.HasValue("InstallLocation")) return false;
  try {
    return fs::FoldCase(entry.ReadString("InstallLocation")) == fs::FoldCase(destination);
  } catch (const toolkit::ERegistryException&) {
    return false;
  }
}

// Tells the log each step, and the report what stays and what failed.
class Reported : public UndoReport {
 public:
  Reported(config::FrontEnd& frontEnd, UninstallReport& report)
      : frontEnd_(frontEnd), report_(report) {}

  void Done(const std::string& what, const std::string& path) override {
    frontEnd_.Note(what + " " + path);
  }
  void Left(const std::string& path, const std::string& reason) override {
    const std::string entry = path + " (" + reason + ")";
    frontEnd_.Note(config::Vars.LogLeft + " " + entry);
    report_.left.push_back(entry);
  }
  void Failed(const std::string& path, const std::string& reason) override {
    report_.failed = true;
    Left(path, reason);
  }

 private:
  config::FrontEnd& frontEnd_;
  UninstallReport& report_;
};

// The record as a person reads it: its kind's word and what it names.
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

// The entry (with the keys the runs made), the uninstaller, then `folders` when empty.
void FinishRemoval(Undo& undo, UndoReport& report, const std::string& destination,
                   std::vector<std::string> keys, const std::vector<std::string>& folders,
                   const std::string& asideFolder) {
  // The product's entry goes too when it names this destination though no run recorded making
  // it (it was there already, left by an installation whose record is gone): once this
  // installation is gone it would point at nothing.
  for (const std::string& entry : ProductKeys()) {
    if (EntryNames(entry, destination) &&
        std::find(keys.begin(), keys.end(), entry) == keys.end()) {
      keys.push_back(entry);
    }
  }
  for (const std::string& key : keys) {
    // Each user's part goes at the user's next logon, by the program Active Setup runs again.
    if (fs::FoldCase(key) == fs::FoldCase(kActiveSetupKey)) {
      HandOverToUsers();
    } else {
      undo.Key(key);
    }
  }
  const std::string uninstaller = JoinPath(destination, kUninstallerName);
  if (toolkit::Fs().FileExists(uninstaller)) {
    fs::Erase(uninstaller, Check::kRecord);
    // A running program cannot be deleted, but it can be moved out of the folder, and deleted
    // when the system next starts.
    if (fs::IoResult() != 0) {
      const std::string aside = JoinPath(asideFolder, kAsideUninstallerName);
      fs::Erase(aside, Check::kRecord);
      fs::IoResult();
      fs::Rename(uninstaller, aside, Check::kRecord);
      if (fs::IoResult() != 0) {
        // Run again, it finds no record beside itself and finishes the end.
        report.Left(uninstaller, config::Vars.ReasonNotOpened);
      } else {
        toolkit::Proc().DeleteAtRestart(aside);
      }
    }
  }
  for (const std::string& folder : folders) undo.Folder(folder, true, config::Vars.ReasonNotEmpty);
}

}  // namespace

namespace {

// The removal from `destination`, whose records are acted on within bounds only when the
// destination is one the installer trusts.
UninstallReport Remove(config::FrontEnd& frontEnd, const std::string& destination,
                       const std::string& asideFolder, bool ownDestination) {
  const config::ConfigurationBlock& v = config::Vars;
  UninstallReport report;
  Reported reported(frontEnd, report);
  const std::string journalPath = JoinPath(destination, kJournalName);
  const std::string uninstaller = JoinPath(destination, kUninstallerName);
  const JournalFile journal = ReadJournal(journalPath);
  if (journal.state == JournalState::kMissing) {
    // Without a record but beside its uninstaller, a removal was cut short after the record
    // went: only the end is left to do.
    if (!toolkit::Fs().FileExists(uninstaller)) return report;
    report.recordFound = true;
    Undo undo(kUninstallPolicy, reported, toolkit::NoRecording(), frontEnd);
    FinishRemoval(undo, reported, destination, {}, {destination}, asideFolder);
    return report;
  }
  report.recordFound = true;
  if (journal.state != JournalState::kRead) {
    report.journalProblem = WhatIsWrongWith(journal);
    report.failed = true;
    return report;
  }
  const JournalContents& contents = journal.contents;
  const std::optional<std::uint64_t> completedSize = RegisteredJournalSize();
  report.recordIncomplete =
      contents.damaged || (completedSize && contents.wholeBytes < *completedSize);

  // A folder in use cannot be removed, and the process's current one may be in the tree.
  if (destination.size() >= 2 && destination[1] == ':') {
    fs::ChDir(destination.substr(0, 2) + "\\", Check::kRecord);
    fs::IoResult();
  }

  // Before anything is touched, every record is checked against what the product owns.
  const TrustedRoots roots = GatherTrustedRoots(destination);
  std::vector<std::vector<bool>> allowed;
  for (const JournalRun& run : contents.runs) {
    std::vector<bool>& runAllowed = allowed.emplace_back();
    for (const Change& change : run.changes) {
      runAllowed.push_back(ownDestination && InBounds(change, run.kind, roots));
      if (runAllowed.back()) continue;
      report.refused.push_back(Described(change));
      frontEnd.Note(v.LogRefused + " " + Described(change));
    }
  }
  if (!report.refused.empty()) report.failed = true;

  // What a killed installer or uninstaller left half done is settled first.
  RepairInterruptedRuns(frontEnd, journal, ownDestination ? roots : TrustedRoots{});

  // The uninstallation's own rewrites go on the record too, so that one cut short in the middle
  // of its renames is settled by the next run. A damaged journal cannot be added to: a reader
  // would stop before the addition.
  std::optional<Journal> record;
  if (!contents.damaged) {
    record.emplace(v.ProductTitle, RunKind::kRemoval);
    record->Open(journalPath, journal);
  }
  Undo undo(kUninstallPolicy, reported,
            record ? static_cast<toolkit::ChangeRecorder&>(*record) : toolkit::NoRecording(),
            frontEnd);

  std::vector<std::string> folders;
  std::vector<std::string> keys;
  std::vector<std::string> groups;
  for (std::size_t r = contents.runs.size(); r-- > 0;) {
    const JournalRun& run = contents.runs[r];
    // A removal's own records are settled above: there is nothing of the product in them.
    if (run.kind == RunKind::kRemoval) continue;
    for (std::size_t i = run.changes.size(); i-- > 0;) {
      const Change& change = run.changes[i];
      if (!allowed[r][i]) continue;
      try {
        switch (change.kind) {
          case Change::Kind::kFolder:
            if (ComparablePath(change.path) != ComparablePath(UserPartFolder())) {
              folders.push_back(change.path);
            }
            break;
          case Change::Kind::kKey:
            keys.push_back(change.path);
            break;
          case Change::Kind::kSwap:
            break;
          case Change::Kind::kFile:
            // The uninstaller goes last, whatever copy of it an installation left; the program
            // of the users' part stays, to take each user's part away at the next logon.
            if (fs::FoldCase(change.path) != fs::FoldCase(uninstaller) &&
                ComparablePath(change.path) !=
                    ComparablePath(JoinPath(UserPartFolder(), kUserPartProgram))) {
              undo.Change(change, !run.complete);
            }
            break;
          case Change::Kind::kGroup:
            // Each installation that sent the group records it; it goes once.
            if (std::find(groups.begin(), groups.end(), change.path) != groups.end()) break;
            groups.push_back(change.path);
            undo.Change(change, !run.complete);
            break;
          default:
            undo.Change(change, !run.complete);
            break;
        }
      } catch (const toolkit::Exception& error) {
        reported.Failed(change.path, error.what());
      }
    }
  }
  for (const std::string& folder : folders) undo.Folder(folder, false, {});
  if (report.recordIncomplete) {
    // What the record does not name stays: it may well be the product's, but nothing proves it.
    for (const std::string& folder : folders) undo.Folder(folder, true, v.ReasonNotOnRecord);
    report.failed = true;
  }
  // A failure leaves the way back in place: the entry, the uninstaller and the record.
  if (report.failed) return report;
  // The end goes in the order that always leaves a way to finish it: the record first (an
  // uninstaller that finds none beside itself only finishes the end), then the entry, then the
  // uninstaller itself, and the folders that held them last.
  record.reset();
  fs::Erase(journalPath, Check::kRecord);
  if (fs::IoResult() != 0) {
    reported.Failed(journalPath, v.ReasonNotOpened);
    return report;
  }
  reported.Done(v.LogRemoved, journalPath);
  Undo ending(kUninstallPolicy, reported, toolkit::NoRecording(), frontEnd);
  FinishRemoval(ending, reported, destination, keys, folders, asideFolder);
  return report;
}

}  // namespace

UninstallReport Uninstall(config::FrontEnd& frontEnd, const std::string& destination,
                          const std::string& asideFolder) {
  // The destination is the one the product's entry names, or the one the installer is built
  // with: a journal anywhere else is no record of this product.
  const auto same = [&](const std::optional<std::string>& folder) {
    return folder && ComparablePath(*folder) &&
           ComparablePath(*folder) == ComparablePath(destination);
  };
  const bool own = same(RegisteredDestination()) || same(config::Vars.DestFolder);
  return Remove(frontEnd, destination, asideFolder, own);
}

UninstallReport RemoveUserPart(config::FrontEnd& frontEnd, const std::string& userFolder) {
  return Remove(frontEnd, userFolder, userFolder, true);
}

}  // namespace install
