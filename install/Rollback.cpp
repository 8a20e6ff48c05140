#include "install/Rollback.h"

#include "install/Undo.h"
#include "toolkit/Crc32.h"
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
  void Failed(const std::string& path, const std::string&) override {
    if (!keepDone_) paths_.push_back(path);
  }
  std::vector<std::string> Take() { return std::move(paths_); }

 private:
  bool keepDone_;
  std::vector<std::string> paths_;
};

bool HoldsSum(const std::string& path, const toolkit::FileSum& sum) {
  toolkit::FileSum found;
  return toolkit::SumFile(path, found.size, found.crc) && found == sum;
}

// A removal rewrites an AutoCAD file through a safety copy of the text it replaces, which goes
// once the copy has the file's name; a kill after the renames (before or after the patch's record)
// leaves the safety copy beside the file. It goes while the file and the copy are still what the
// rewrite made and found. (An installation's backup is the user's and never goes.)
void EraseSafetyCopy(const toolkit::FileSwap& swap) {
  if (!HoldsSum(swap.target, swap.written) || !HoldsSum(swap.backup, swap.original)) return;
  fs::Erase(swap.backup, fs::Check::kRecord);
  fs::IoResult();
}

}  // namespace

std::vector<std::string> RollBack(config::FrontEnd& frontEnd, Journal& journal,
                                  const std::string& destination) {
  // The process's current folder is inside the tree; a folder in use cannot be removed.
  if (destination.size() >= 2 && destination[1] == ':') {
    fs::ChDir(destination.substr(0, 2) + "\\", fs::Check::kRecord);
    fs::IoResult();
  }
  Collected notUndone(false);
  // The rollback's own renames are the run's: they need no record.
  Undo undo(kRollBackPolicy, notUndone, toolkit::NoRecording(), frontEnd);
  const std::vector<Change>& changes = journal.ThisRun();
  const std::vector<bool> swapsCutShort = SwapsCutShort(changes);
  for (std::size_t i = changes.size(); i-- > 0;) {
    const Change& change = changes[i];
    if (change.kind == Change::Kind::kSwap && !swapsCutShort[i]) continue;
    // The product's entry in Add or Remove Programs must not outlive the product.
    if (change.kind == Change::Kind::kKey) undo.Key(change.path);
    undo.Change(change, true);
  }
  journal.Forget();
  // Folders last, deepest first: one that still holds something (not the run's) stays.
  for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
    if (change->kind == Change::Kind::kFolder) undo.Folder(change->path, false, {});
  }
  return notUndone.Take();
}

std::vector<std::string> RepairInterruptedRuns(config::FrontEnd& frontEnd,
                                               const JournalFile& journal,
                                               const TrustedRoots& roots) {
  Collected repaired(true);
  if (journal.state != JournalState::kRead) return repaired.Take();
  Undo undo(kRepairPolicy, repaired, toolkit::NoRecording(), frontEnd);
  for (const JournalRun& run : journal.contents.runs) {
    if (run.complete) continue;
    const std::vector<bool> swapsCutShort = SwapsCutShort(run.changes);
    for (std::size_t i = 0; i < run.changes.size(); ++i) {
      const Change& change = run.changes[i];
      if (!InBounds(change, run.kind, roots)) continue;
      if (change.kind == Change::Kind::kSwap && swapsCutShort[i]) {
        const bool needsRepair = !toolkit::Fs().FileExists(change.swap.target) ||
                                 toolkit::Fs().FileExists(change.swap.aside);
        if (needsRepair) undo.Swap(change);
        if (run.kind == RunKind::kRemoval && change.summed) EraseSafetyCopy(change.swap);
      } else if (change.kind == Change::Kind::kFile) {
        undo.PartialFile(change);
      } else if (change.kind == Change::Kind::kPatch && run.kind == RunKind::kRemoval &&
                 change.summed) {
        EraseSafetyCopy(change.swap);
      }
    }
  }
  return repaired.Take();
}

}  // namespace install
