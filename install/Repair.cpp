#include "install/Repair.h"

#include <algorithm>

#include "cad/AcadFiles.h"
#include "cad/AcadProducts.h"
#include "cad/LispPatcher.h"
#include "cad/MenuPatcher.h"
#include "cad/PgpPatcher.h"
#include "cad/StartupLoad.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/AutoCadWiring.h"
#include "install/ForAllUsers.h"
#include "install/Journal.h"
#include "install/NotedRecorder.h"
#include "install/PathOps.h"
#include "install/RecordBounds.h"
#include "install/RecordFolder.h"
#include "install/Registration.h"
#include "install/Rollback.h"
#include "install/UserPart.h"
#include "toolkit/Crc32.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;
using toolkit::PathKind;

// What the user's installations chose and how they wire it, looked up afresh. The check and the
// repair walk the one plan, so that what the check finds lacking is what the repair adds.
struct WiringPlan {
  std::vector<cad::AcadProduct> products;
  // The AutoCAD folders the installations chose, as the entry lists them.
  std::vector<std::string> chosen;
  // Every chosen folder is a release's before 2004: the installations wired its start-up files
  // only (and its own menu, in AutoCAD's folder, which no profile reset touches).
  bool before2004 = false;
  // The support folders of the chosen folders' products, which take the product's files, the
  // menu's toolbar and the command alias; each ends with a backslash.
  std::vector<std::string> mainSupports;
};

bool Before2004(const std::vector<cad::AcadProduct>& products, const std::string& folder) {
  const cad::AcadProduct* product = cad::ProductInstalledIn(products, folder);
  const auto release = product ? cad::ParseReleaseKey(product->release) : std::nullopt;
  return release && !product->lt && release->first < 16;
}

WiringPlan PlanWiring() {
  WiringPlan plan;
  plan.products = cad::FindAcadProducts();
  plan.chosen = RegisteredAcadFolders(false);
  plan.before2004 = !plan.chosen.empty();
  for (const std::string& folder : plan.chosen) {
    if (Before2004(plan.products, folder)) continue;
    plan.before2004 = false;
    const std::optional<std::string> support = FindMainSupportFolder(folder);
    if (!support || !toolkit::Fs().DirExists(*support)) continue;
    const std::string named = fs::StripTrailingBackslash(*support) + "\\";
    if (std::none_of(plan.mainSupports.begin(), plan.mainSupports.end(),
                     [&](const std::string& other) { return SamePath(other, named); })) {
      plan.mainSupports.push_back(named);
    }
  }
  return plan;
}

cad::WiringScope UserScope() { return {toolkit::Fs().AppDataDir(), true}; }

bool Lacks(const WiringPlan& plan) {
  if (std::any_of(plan.chosen.begin(), plan.chosen.end(), cad::AnyLispCandidateLacksLine)) {
    return true;
  }
  if (plan.before2004) return false;
  return cad::AnyProductLacks(plan.products, UserScope()) ||
         std::any_of(plan.mainSupports.begin(), plan.mainSupports.end(),
                     [](const std::string& support) {
                       return cad::AnyProductFileMissing(support) ||
                              cad::MenuLacksToolbar(support, "acad.mns") ||
                              cad::PgpLacksCommand(support, "acad.pgp");
                     });
}

void Rewire(const WiringPlan& plan, const cad::PlaceProductFiles& place,
            toolkit::ChangeRecorder& recorder) {
  for (const std::string& folder : plan.chosen) {
    if (cad::AnyLispCandidatePresent(folder)) cad::PatchAcadLisp(folder, recorder);
  }
  if (plan.before2004) return;
  cad::LispWiring wiring;
  cad::WireEachProduct(plan.products, UserScope(), place, recorder, wiring);
  for (const std::string& support : plan.mainSupports) {
    place(support);
    if (cad::MenuLacksToolbar(support, "acad.mns")) {
      cad::PatchAcadMenu(cad::kMenuAddToolbar, support, "acad.mns", recorder);
    }
    cad::PatchAcadPgp(1, support, "acad.pgp", recorder);
  }
}

// A file an installation placed, with its size and CRC then, and the trusted folder it is reached
// below.
struct Placed {
  std::string path;
  std::string root;
  toolkit::FileSum sum;
};

// The files the record's installations placed with their CRC known, the latest record of each
// path: those of the destination, and for every user (`machine`) those of the machine's bundle,
// which no user's repair lays again.
std::vector<Placed> PlacedFiles(const JournalContents& record, const TrustedRoots& roots,
                                bool machine) {
  std::vector<Placed> placed;
  for (const JournalRun& run : record.runs) {
    if (run.kind != RunKind::kInstall) continue;
    for (const Change& change : run.changes) {
      const std::optional<std::string> root = RootOf(change, run.kind, roots);
      if (change.kind != Change::Kind::kFile || !change.crc || !root ||
          (!machine && root != roots.destination)) {
        continue;
      }
      std::erase_if(placed, [&](const Placed& file) { return SamePath(file.path, change.path); });
      placed.push_back({change.path, *root, {change.size, *change.crc}});
    }
  }
  return placed;
}

// The file still has the size and CRC it was placed with, looked at below its root, never
// through a link.
bool AsPlaced(const Placed& file) {
  const fs::RootedPaths where(file.root);
  fs::File opened;
  toolkit::FileSum sum;
  return where.KindOf(file.path) == PathKind::kFile &&
         where.Open(opened, file.path, toolkit::OpenMode::kRead).Done() &&
         toolkit::SumOpenFile(opened, sum.size, sum.crc) && sum == file.sum;
}

// Places the product's files missing from `folder` from the copy the destination keeps, each as
// the record says it was placed (`placed`, the files not as placed taken out); a file there stays
// as it is. A file the copy lacks, or one changed since it was looked at, is named in `noCopy`
// and stops the repair, which is then undone.
void PlaceMissing(const std::vector<Placed>& placed, const std::string& kept,
                  const std::string& folder, std::optional<std::string>& noCopy,
                  toolkit::ChangeRecorder& recorder) {
  for (std::string_view name : cad::kProductFiles) {
    const std::string target = fs::JoinPath(folder, std::string(name));
    if (toolkit::Fs().KindOf(target) != PathKind::kNone) continue;
    const std::string source = fs::JoinPath(kept, std::string(name));
    const auto copy = std::find_if(placed.begin(), placed.end(),
                                   [&](const Placed& file) { return SamePath(file.path, source); });
    fs::File from;
    if (copy == placed.end() ||
        fs::RootedPaths(copy->root).Open(from, source, toolkit::OpenMode::kRead).Failed()) {
      noCopy = source;
      throw toolkit::Exception(source);
    }
    recorder.FileCreated(target, copy->sum.size);
    fs::File made;
    made.Open(target, toolkit::OpenMode::kCreateNew);
    std::vector<char> buffer(64 * 1024);
    toolkit::FileSum sum;
    while (const std::size_t read = from.Read(buffer.data(), buffer.size())) {
      made.Write(buffer.data(), read);
      sum.size += read;
      sum.crc = toolkit::Crc32(sum.crc, buffer.data(), read);
    }
    made.Close();
    recorder.FileChecksum(target, sum.crc);
    if (sum != copy->sum) {
      noCopy = source;
      throw toolkit::Exception(source);
    }
  }
}

// What a person reads of each change a run made again: the files placed or rewritten, the
// registry values extended.
std::vector<std::string> Made(const std::vector<Change>& changes) {
  std::vector<std::string> made;
  for (const Change& change : changes) {
    if (change.kind == Change::Kind::kFile || change.kind == Change::Kind::kPatch) {
      made.push_back(AsShown(change.path));
    } else if (change.kind == Change::Kind::kRegistry) {
      made.push_back((change.path.starts_with(toolkit::kMachineHive) ? "" : "HKCU") + change.path +
                     "\\" + change.valueName);
    }
  }
  return made;
}

// Wires again what `plan` lacks, journaled as a run of its own in `recordFolder`'s journal.
void RewireJournaled(config::FrontEnd& frontEnd, const WiringPlan& plan,
                     const std::vector<Placed>& intact, const std::string& recordFolder,
                     const TrustedRoots& roots, RepairReport& report) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string journalPath = JoinPath(recordFolder, kJournalName);
  const std::string kept = JoinPath(roots.destination, kUserFilesFolder);
  Journal journal(v.ProductTitle, RunKind::kInstall);
  NotedRecorder recorder(journal, frontEnd);
  std::optional<std::string> noCopy;
  try {
    journal.Open(journalPath, ReadJournal(journalPath));
    Rewire(
        plan,
        [&](const std::string& folder) { PlaceMissing(intact, kept, folder, noCopy, recorder); },
        recorder);
    // The entry measures the record again, so that a record cut short later is told.
    toolkit::RegistryCursor entry;
    if (entry.OpenExistingKey(EntryKey(false))) {
      CompleteRegistration(journal.PlacedBytes(), journal.FileSize(), false);
    }
    journal.Complete();
  } catch (const toolkit::Exception& error) {
    report.notUndone = RollBack(frontEnd, journal, roots);
    if (!noCopy) {
      report.failure = error.what();
      frontEnd.Note(v.LogError + " " + error.what());
    } else if (std::none_of(report.needsMedium.begin(), report.needsMedium.end(),
                            [&](const std::string& file) { return SamePath(file, *noCopy); })) {
      report.needsMedium.push_back(*noCopy);
    }
    return;
  }
  report.repaired = Made(journal.ThisRun());
}

}  // namespace

bool WiringLacks(bool forAllUsers) { return forAllUsers ? UserPartLacks() : Lacks(PlanWiring()); }

bool RepairWanted(const std::string& recordFolder) {
  const std::optional<bool> forAllUsers = RecordFolderForAllUsers(recordFolder, recordFolder);
  return forAllUsers &&
         toolkit::Fs().KindOf(JoinPath(recordFolder, kJournalName)) == PathKind::kFile &&
         WiringLacks(*forAllUsers);
}

RepairReport Repair(config::FrontEnd& frontEnd, const std::string& recordFolder,
                    const std::string& destination, bool forAllUsers) {
  const config::ConfigurationBlock& v = config::Vars;
  RepairReport report;
  const JournalFile record = ReadJournal(JoinPath(recordFolder, kJournalName));
  if (record.state == JournalState::kMissing) return report;
  report.recordFound = true;
  report.journalProblem = WhatIsWrongWith(record);
  if (report.journalProblem) return report;
  const TrustedRoots roots = GatherTrustedRoots(destination, recordFolder);
  // The product's files; the programs of the record's own folder (there too where the record lies
  // in the destination) are the running one's.
  std::vector<Placed> intact;
  for (const Placed& file : PlacedFiles(record.contents, roots, forAllUsers)) {
    const std::string folder = file.path.substr(0, file.path.find_last_of('\\'));
    if (SamePath(folder, recordFolder)) continue;
    if (AsPlaced(file)) {
      intact.push_back(file);
    } else {
      report.needsMedium.push_back(file.path);
      frontEnd.Note(v.LogMissingOrChanged + " " + file.path);
    }
  }
  if (forAllUsers) {
    // The machine's part is the administrators'; what a user's profile lacks is the user's part,
    // done again as at the logon.
    std::vector<Change> made;
    if (!UserPartLacks()) return report;
    if (!RunUserPart(frontEnd, &made)) report.failure = std::string();  // the log has the error
    report.repaired = Made(made);
    return report;
  }
  // What a killed run left half done is settled first, as before an installation.
  RepairInterruptedRuns(frontEnd, record, roots, RecordTrust::kOwn);
  const WiringPlan plan = PlanWiring();
  if (Lacks(plan)) RewireJournaled(frontEnd, plan, intact, recordFolder, roots, report);
  return report;
}

}  // namespace install
