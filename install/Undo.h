// How a journal is taken back: the one replay used by the rollback of a failed installation, by
// the repair that settles what a killed run left at the start of the next one, and by the
// uninstaller. Where the three differ, UndoPolicy says so, in one place. Nothing is taken on
// trust: a file goes or is put back only while it still is what the installation wrote, every
// path is reached below the trusted folder it lies in and never through a link
// (toolkit::fs::RootedPaths), and a record that names anything the product does not own is
// refused before anything is touched.
#pragma once

#include <string>
#include <vector>

#include "cad/Unpatch.h"
#include "install/JournalFormat.h"
#include "install/RecordBounds.h"
#include "toolkit/ChangeRecorder.h"

namespace config {
class FrontEnd;
}

namespace install {

// Which runs of a journal are taken back.
enum class UndoneRuns {
  kThisRun,            // the failing installation's own, as it knows them: the rollback
  kCutShort,           // every run a kill cut short: the repair before the next run
  kEveryInstallation,  // every installation, newest first: the uninstaller
};

// What a swap a kill cut short between its renames becomes.
enum class CutShortSwap {
  kTakeBack,  // the old text takes the file's name again: the run that made it is being undone
  kFinish,    // the complete copy takes it: the run keeps its changes, or is undone whole later
  kLeave,     // left to the repair, which runs first
};

struct UndoPolicy {
  UndoneRuns runs;
  CutShortSwap cutShortSwaps;
  // The runs' changes are taken back; without it only what a kill left half done is settled
  // (the repair: the installation that follows goes on from there).
  bool undoChanges;
  // The backup of a rewritten AutoCAD file: the run's own, made moments ago, which takes the
  // file's name again (the rollback); or the user's safety copy of the file as it was before the
  // installation, which is read but never moved or overwritten (the uninstaller).
  cad::BackupUse backups;
  // The Program Manager group goes. An installation sends its group only once it can no longer
  // fail, so a rollback never meets one.
  bool removeGroups;
  // The product's entry goes as soon as it is met (the rollback: it must not outlive the run's
  // changes), or is left for the end (the uninstaller: it is the way back until everything else
  // went).
  bool keysAtOnce;
  // The uninstaller and the program of the users' part stay for the end: the way back of this
  // removal and of every user's part.
  bool keepWaysBack;
};

inline constexpr UndoPolicy kRollBackPolicy{.runs = UndoneRuns::kThisRun,
                                            .cutShortSwaps = CutShortSwap::kTakeBack,
                                            .undoChanges = true,
                                            .backups = cad::BackupUse::kRename,
                                            .removeGroups = false,
                                            .keysAtOnce = true,
                                            .keepWaysBack = false};
inline constexpr UndoPolicy kRepairPolicy{.runs = UndoneRuns::kCutShort,
                                          .cutShortSwaps = CutShortSwap::kFinish,
                                          .undoChanges = false,
                                          .backups = cad::BackupUse::kKeep,
                                          .removeGroups = false,
                                          .keysAtOnce = false,
                                          .keepWaysBack = true};
inline constexpr UndoPolicy kUninstallPolicy{.runs = UndoneRuns::kEveryInstallation,
                                             .cutShortSwaps = CutShortSwap::kLeave,
                                             .undoChanges = true,
                                             .backups = cad::BackupUse::kKeep,
                                             .removeGroups = true,
                                             .keysAtOnce = false,
                                             .keepWaysBack = true};

// What became of each change, for the log and the closing report.
class UndoReport {
 public:
  virtual ~UndoReport() = default;
  // Done: `what` is the log's word for it ("Removed:").
  virtual void Done(const std::string& what, const std::string& path) = 0;
  // Left in place on purpose (changed by the user since, not empty), with why.
  virtual void Left(const std::string& path, const std::string& reason) = 0;
  // Could not be undone now (held by another program, refused by the system): running again
  // may finish it.
  virtual void Failed(const std::string& path, const std::string& reason) = 0;
  // Not undone, and running again would not change that: a link stands in the way, and is
  // never followed.
  virtual void Refused(const std::string& path, const std::string& reason) = 0;
};

// A run to take back, with how far its records are trusted.
struct RunToUndo {
  const JournalRun* run;
  RecordTrust trust = RecordTrust::kOwn;
};

// A folder for the end, with the trusted folder it is removed below.
struct FolderToRemove {
  std::string path;
  std::string root;
};

// What the replay leaves for its caller to end with, newest first: the folders (removed once
// nothing else is left in them) and the registry keys.
struct LeftForTheEnd {
  std::vector<FolderToRemove> folders;
  std::vector<std::string> keys;
};

class Undo {
 public:
  // `roots` bound every record read from the disk; `recorder` is told of the undo's own
  // rewrites; `frontEnd` carries the Program Manager conversation that removes a group.
  Undo(const UndoPolicy& policy, const TrustedRoots& roots, UndoReport& report,
       toolkit::ChangeRecorder& recorder, config::FrontEnd& frontEnd);

  // The records of `runs` that name what the product does not own, as a person reads them
  // ("FILE c:\..."): none of them is acted on.
  std::vector<std::string> Refused(const std::vector<RunToUndo>& runs) const;

  // Takes back the runs the policy names among `runs` (given oldest first), newest first, each
  // record within its bounds; records out of bounds are passed over. A run held in memory
  // (`fromMemory`) is the running installation's own and needs no bounds.
  LeftForTheEnd Replay(const std::vector<RunToUndo>& runs, bool fromMemory = false);

  // Removed when empty; one that stays is named when `last`, with `reason`.
  void Folder(const FolderToRemove& folder, bool last, const std::string& reason);
  void Key(const std::string& path);

 private:
  void Change(const install::Change& change, const JournalRun& run, bool cutShortSwap,
              const std::string& root, RecordTrust trust, LeftForTheEnd& left);
  void File(const install::Change& change, const std::string& root, bool cutShort,
            RecordTrust trust);
  void PartialFile(const install::Change& change, const std::string& root);
  void Swap(const install::Change& change, const std::string& root, RunKind kind,
            RecordTrust trust);
  void Patch(const install::Change& change, const std::string& root);
  void StaleSafetyCopy(const install::Change& change, const std::string& root);
  void RegistryValue(const install::Change& change);
  bool IsWayBack(const install::Change& change) const;
  void Erase(const toolkit::fs::RootedPaths& where, const std::string& path);

  const UndoPolicy& policy_;
  const TrustedRoots& roots_;
  UndoReport& report_;
  toolkit::ChangeRecorder& recorder_;
  config::FrontEnd& frontEnd_;
  std::vector<std::string> groupsRemoved_;
};

// The swaps a change list holds that have no patch after them: a kill cut them short.
std::vector<bool> SwapsCutShort(const std::vector<Change>& changes);

// The record as a person reads it: its kind's word and what it names.
std::string Described(const Change& change);

}  // namespace install
