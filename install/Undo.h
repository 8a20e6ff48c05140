// How each kind of change is taken back: one way per kind, used by the rollback of a failed
// installation, by the repair that settles what a killed run left at the start of the next one,
// and by the uninstaller. Where the three differ, UndoPolicy says so, in one place. Nothing is
// taken on trust: a file goes or is put back only while it still is what the installation wrote.
#pragma once

#include <string>

#include "cad/Unpatch.h"
#include "install/JournalFormat.h"
#include "toolkit/ChangeRecorder.h"

namespace config {
class FrontEnd;
}

namespace install {

struct UndoPolicy {
  // A rewrite of an AutoCAD file that a kill cut short between its renames is finished with its
  // complete copy (the run it belongs to keeps its changes, or is about to be undone whole), or
  // taken back to the file's old text (the rollback of the run that was making it).
  bool finishSwaps;
  // The backup of a rewritten AutoCAD file: the run's own, made moments ago, which takes the
  // file's name again (the rollback); or the user's safety copy of the file as it was before the
  // installation, which is read but never moved or overwritten (the uninstaller).
  cad::BackupUse backups;
  // The Program Manager group goes. An installation sends its group only once it can no longer
  // fail, so a rollback never meets one.
  bool removeGroups;
};

inline constexpr UndoPolicy kRollBackPolicy{false, cad::BackupUse::kRename, false};
inline constexpr UndoPolicy kRepairPolicy{true, cad::BackupUse::kKeep, false};
inline constexpr UndoPolicy kUninstallPolicy{true, cad::BackupUse::kKeep, true};

// What became of each change, for the log and the closing report.
class UndoReport {
 public:
  virtual ~UndoReport() = default;
  // Done: `what` is the log's word for it ("Removed:").
  virtual void Done(const std::string& what, const std::string& path) = 0;
  // Left in place on purpose (changed by the user since, not empty), with why.
  virtual void Left(const std::string& path, const std::string& reason) = 0;
  // Could not be undone now (held by another program, refused by the system).
  virtual void Failed(const std::string& path, const std::string& reason) = 0;
};

class Undo {
 public:
  // `recorder` is told of the undo's own rewrites; `frontEnd` carries the Program Manager
  // conversation that removes a group.
  Undo(const UndoPolicy& policy, UndoReport& report, toolkit::ChangeRecorder& recorder,
       config::FrontEnd& frontEnd);

  // Undoes a change of a run that ended (`cutShort` false) or was killed before its end, whose
  // files may be half written. A swap passed here is one without its patch in the run. Folders
  // and keys are left to Folder and Key, which the caller puts in their order.
  void Change(const install::Change& change, bool cutShort);
  // Of a file a killed run made, only what the library had not finished writing (it is smaller
  // than recorded): the repair before an installation leaves the rest to the installation.
  void PartialFile(const install::Change& change);
  // A swap a kill cut short between its renames, settled as the policy says.
  void Swap(const install::Change& change);
  // Removed when empty; one that stays is named when `last`, with `reason`.
  void Folder(const std::string& path, bool last, const std::string& reason);
  void Key(const std::string& path);

 private:
  void File(const install::Change& change, bool cutShort);
  void Patch(const install::Change& change);
  void RegistryValue(const install::Change& change);
  void Erase(const std::string& path);

  const UndoPolicy& policy_;
  UndoReport& report_;
  toolkit::ChangeRecorder& recorder_;
  config::FrontEnd& frontEnd_;
};

// The swaps a change list holds that have no patch after them: a kill cut them short.
std::vector<bool> SwapsCutShort(const std::vector<Change>& changes);

}  // namespace install
