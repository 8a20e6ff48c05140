#include "install/Rollback.h"

#include "install/Undo.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

namespace fs = toolkit::fs;

// Keeps the paths of whatever did not go back, or of whatever was done.
class Collected : public UndoReport {
 public:
  explicit Collected(bool done) : keepDone_(done) {}
  void Done(const std::string&, const std::string& path) override {
    if (keepDone_) paths_.push_back(path);
  }
  void Left(const std::string& path, const std::string&) override {
    if (!keepDone_) paths_.push_back(path);
  }
  void Failed(const std::string& path, const std::string& reason) override { Left(path, reason); }
  void Refused(const std::string& path, const std::string& reason) override { Left(path, reason); }
  std::vector<std::string> Take() { return std::move(paths_); }

 private:
  bool keepDone_;
  std::vector<std::string> paths_;
};

}  // namespace

std::vector<std::string> RollBack(config::FrontEnd& frontEnd, Journal& journal,
                                  const TrustedRoots& roots) {
  // The process's current folder is inside the tree; a folder in use cannot be removed.
  const std::string& destination = roots.destination;
  if (destination.size() >= 2 && destination[1] == ':') {
    fs::IgnoreFailure(fs::TryChDir(destination.substr(0, 2) + "\\"));
  }
  Collected notUndone(false);
  JournalRun run;
  run.changes = journal.ThisRun();
  // The rollback's own renames are the run's: they need no record.
  Undo undo(kRollBackPolicy, roots, notUndone, toolkit::NoRecording(), frontEnd);
  const LeftForTheEnd left = undo.Replay({{&run}}, true);
  journal.Forget();
  // Folders last, deepest first: one that still holds something (not the run's) stays.
  for (const FolderToRemove& folder : left.folders) undo.Folder(folder, false, {});
  return notUndone.Take();
}

std::vector<std::string> RepairInterruptedRuns(config::FrontEnd& frontEnd,
                                               const JournalFile& journal,
                                               const TrustedRoots& roots, RecordTrust trust) {
  Collected repaired(true);
  if (journal.state != JournalState::kRead) return repaired.Take();
  std::vector<RunToUndo> runs;
  for (const JournalRun& run : journal.contents.runs) runs.push_back({&run, trust});
  Undo undo(kRepairPolicy, roots, repaired, toolkit::NoRecording(), frontEnd);
  undo.Replay(runs);
  return repaired.Take();
}

}  // namespace install
