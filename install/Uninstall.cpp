#include "install/Uninstall.h"

#include <algorithm>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/ForAllUsers.h"
#include "install/Journal.h"
#include "install/PathOps.h"
#include "install/RecordBounds.h"
#include "install/RecordFolder.h"
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

// The name the running uninstaller is moved to when it cannot be deleted where it stands.
constexpr const char* kAsideUninstallerName = "UNINSTAL.OLD";

// The entry at `key` names this destination.
bool EntryNames(const std::string& key, const std::string& destination) {
  toolkit::RegistryCursor entry;
  if (!entry.OpenExistingKey(key) || !entry.HasValue("InstallLocation")) return false;
  try {
    return ComparablePath(entry.ReadString("InstallLocation")) == ComparablePath(destination);
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
    report_.retryHelps = true;
    Left(path, reason);
  }
  void Refused(const std::string& path, const std::string& reason) override {
    report_.failed = true;
    Left(path, reason);
  }

 private:
  config::FrontEnd& frontEnd_;
  UninstallReport& report_;
};

// The journal of the record's folder, and the one an earlier version kept in the destination,
// moved beside it.
struct Records {
  std::string journalPath;
  std::string movedPath;
  std::string endedPath;
  JournalFile own;
  JournalFile moved;
};

Records ReadRecords(const std::string& recordFolder) {
  Records records;
  records.journalPath = JoinPath(recordFolder, kJournalName);
  records.movedPath = JoinPath(recordFolder, kMovedJournalName);
  records.endedPath = JoinPath(recordFolder, kEndedJournalName);
  records.own = ReadJournal(records.journalPath);
  records.moved = ReadJournal(records.movedPath);
  return records;
}

// The entry of the record's scope (with the keys the runs made), the uninstaller, the record of
// the ended removal, then `folders` when empty.
void FinishRemoval(Undo& undo, UndoReport& report, const std::string& recordFolder,
                   const std::string& destination, std::optional<bool> entryForAllUsers,
                   std::vector<std::string> keys, std::vector<FolderToRemove> folders,
                   const std::string& asideFolder) {
  // The product's entry goes too when it names this destination though no run recorded making
  // it (it was there already, left by an installation whose record is gone): once this
  // installation is gone it would point at nothing. Only the entry of this record's scope: the
  // other is another installation's.
  if (entryForAllUsers) {
    const std::string entry = EntryKey(*entryForAllUsers);
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
  const fs::RootedPaths record(recordFolder);
  const std::string uninstaller = JoinPath(recordFolder, kUninstallerName);
  if (record.KindOf(uninstaller) == toolkit::PathKind::kFile &&
      record.Erase(uninstaller).Failed()) {
    // A running program cannot be deleted, but it can be moved into the running copy's own
    // folder, and deleted when the system next starts.
    const std::string aside = fs::FreeName(JoinPath(asideFolder, kAsideUninstallerName));
    if (fs::TryRename(uninstaller, aside).Failed()) {
      // Run again, it finds the ended record beside itself and finishes the end.
      return report.Failed(uninstaller, config::Vars.ReasonNotOpened);
    }
    fs::IgnoreFailure(fs::IoStatus(toolkit::Proc().DeleteAtRestart(aside)));
  }
  const std::string ended = JoinPath(recordFolder, kEndedJournalName);
  if (record.KindOf(ended) == toolkit::PathKind::kFile && record.Erase(ended).Failed()) {
    return report.Failed(ended, config::Vars.ReasonNotOpened);
  }
  // The record's own folder goes when nothing else is in it; the machine's keeps the program
  // of the users' part.
  folders.push_back({recordFolder, recordFolder});
  for (const FolderToRemove& folder : folders) {
    if (ComparablePath(folder.path) == ComparablePath(recordFolder)) {
      undo.Folder(folder, false, {});
    } else {
      undo.Folder(folder, true, config::Vars.ReasonNotEmpty);
    }
  }
}

// The removal of what `recordFolder`'s journals record, whose records are acted on only when
// the folder is one whose record the installer believes (`ownRecord`). `entryForAllUsers` says
// which entry measured the journal at the last completion, where there is one.
UninstallReport Remove(config::FrontEnd& frontEnd, const std::string& recordFolder,
                       const std::string& destination, const std::string& asideFolder,
                       bool ownRecord, std::optional<bool> entryForAllUsers) {
  const config::ConfigurationBlock& v = config::Vars;
  UninstallReport report;
  Reported reported(frontEnd, report);
  const Records records = ReadRecords(recordFolder);
  const TrustedRoots roots = GatherTrustedRoots(destination, recordFolder);
  if (records.own.state == JournalState::kMissing &&
      records.moved.state == JournalState::kMissing) {
    // A removal whose record has ended has only its end left to do.
    if (toolkit::Fs().KindOf(records.endedPath) == toolkit::PathKind::kFile && ownRecord) {
      report.recordFound = true;
      Undo undo(kUninstallPolicy, roots, reported, toolkit::NoRecording(), frontEnd);
      FinishRemoval(undo, reported, recordFolder, destination, entryForAllUsers, {}, {},
                    asideFolder);
      return report;
    }
    // Without a record, nothing proves what is the product's: the entry stays, and the way to
    // remove it is an installation that writes a record again.
    const bool entry = entryForAllUsers && EntryNames(EntryKey(*entryForAllUsers), destination);
    if (entry || toolkit::Fs().FileExists(JoinPath(recordFolder, kUninstallerName))) {
      report.recordFound = true;
      report.recordMissing = true;
      report.failed = true;
    }
    return report;
  }
  report.recordFound = true;
  for (const JournalFile* journal : {&records.own, &records.moved}) {
    if (journal->state == JournalState::kRead || journal->state == JournalState::kMissing) {
      continue;
    }
    report.journalProblem = WhatIsWrongWith(*journal);
    report.failed = true;
    return report;
  }
  const JournalContents& contents = records.own.contents;
  const std::optional<std::uint64_t> completedSize =
      entryForAllUsers ? RegisteredJournalSize(*entryForAllUsers) : std::nullopt;
  report.recordIncomplete = contents.damaged || records.moved.contents.damaged ||
                            (records.own.state == JournalState::kRead && completedSize &&
                             contents.wholeBytes < *completedSize);

  // A folder in use cannot be removed, and the process's current one may be in the tree.
  if (destination.size() >= 2 && destination[1] == ':') {
    fs::IgnoreFailure(fs::TryChDir(destination.substr(0, 2) + "\\"));
  }

  // The earlier version's runs come before this version's, which followed them.
  std::vector<RunToUndo> runs;
  for (const JournalRun& run : records.moved.contents.runs)
    runs.push_back({&run, RecordTrust::kMoved});
  for (const JournalRun& run : contents.runs) runs.push_back({&run, RecordTrust::kOwn});

  // Before anything is touched, every record is checked against what the product owns; a
  // record kept where it cannot be believed is not acted on at all.
  static const TrustedRoots kNothing;
  const TrustedRoots& bounds = ownRecord ? roots : kNothing;
  Undo checking(kUninstallPolicy, bounds, reported, toolkit::NoRecording(), frontEnd);
  for (const RunToUndo& run : runs) {
    for (const std::string& refused : checking.Refused({run})) {
      report.refused.push_back(refused);
      frontEnd.Note(v.LogRefused + " " + refused);
    }
  }
  if (!report.refused.empty()) report.failed = true;
  if (!ownRecord) return report;

  // What a killed installer or uninstaller left half done is settled first.
  RepairInterruptedRuns(frontEnd, records.moved, roots, RecordTrust::kMoved);
  RepairInterruptedRuns(frontEnd, records.own, roots, RecordTrust::kOwn);

  // The uninstallation's own rewrites go on the record too, so that one cut short in the middle
  // of its renames is settled by the next run. A damaged journal cannot be added to: a reader
  // would stop before the addition.
  std::optional<Journal> record;
  if (!contents.damaged) {
    record.emplace(v.ProductTitle, RunKind::kRemoval);
    record->Open(records.journalPath, records.own);
  }
  Undo undo(kUninstallPolicy, roots, reported,
            record ? static_cast<toolkit::ChangeRecorder&>(*record) : toolkit::NoRecording(),
            frontEnd);
  const LeftForTheEnd left = undo.Replay(runs);
  for (const FolderToRemove& folder : left.folders) undo.Folder(folder, false, {});
  if (report.recordIncomplete) {
    // What the record does not name stays: it may well be the product's, but nothing proves it.
    for (const FolderToRemove& folder : left.folders) {
      undo.Folder(folder, true, v.ReasonNotOnRecord);
    }
    report.failed = true;
  }
  // A failure leaves the way back in place: the entry, the uninstaller and the record.
  if (report.failed) return report;
  // The end goes in the order that always leaves a way to finish it: the earlier record, then
  // the record becomes the ended one (an uninstaller that finds it only finishes the end), then
  // the entry, then the uninstaller itself, and the folders that held them last.
  record.reset();
  const fs::RootedPaths recordPaths(recordFolder);
  if (records.moved.state == JournalState::kRead && recordPaths.Erase(records.movedPath).Failed()) {
    reported.Failed(records.movedPath, v.ReasonNotOpened);
    return report;
  }
  if (recordPaths.KindOf(records.journalPath) == toolkit::PathKind::kFile &&
      recordPaths.Rename(records.journalPath, records.endedPath).Failed()) {
    reported.Failed(records.journalPath, v.ReasonNotOpened);
    return report;
  }
  reported.Done(v.LogRemoved, records.journalPath);
  Undo ending(kUninstallPolicy, roots, reported, toolkit::NoRecording(), frontEnd);
  FinishRemoval(ending, reported, recordFolder, destination, entryForAllUsers, left.keys,
                left.folders, asideFolder);
  return report;
}

}  // namespace

UninstallReport Uninstall(config::FrontEnd& frontEnd, const std::string& recordFolder,
                          const std::string& destination, const std::string& asideFolder) {
  // The record is believed only in the folder an installation keeps it in, for every user or for
  // this user: a journal anywhere else is no record of this product.
  const std::optional<bool> forAllUsers = RecordFolderForAllUsers(recordFolder, destination);
  return Remove(frontEnd, recordFolder, destination, asideFolder, forAllUsers.has_value(),
                forAllUsers);
}

UninstallReport RemoveUserPart(config::FrontEnd& frontEnd, const std::string& userFolder) {
  return Remove(frontEnd, userFolder, userFolder, userFolder, true, std::nullopt);
}

}  // namespace install
