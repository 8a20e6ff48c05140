#include "install/Repair.h"

#include <algorithm>
#include <map>

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
#include "install/Undo.h"
#include "install/UserPart.h"
#include "toolkit/Crc32.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;
using toolkit::PathKind;

// What the installations chose and how they wire it, looked up afresh. The check and the repair
// walk the one plan, so that what the check finds lacking is what the repair adds.
struct WiringPlan {
  std::vector<cad::AcadProduct> products;
  // The AutoCAD folders the installations chose, as the entry lists them.
  std::vector<std::string> chosen;
  // Every chosen folder is a release's before 2004: the installations wired its start-up files
  // only (and its own menu, in AutoCAD's folder, which no profile reset touches).
  bool before2004 = false;
  cad::WiringScope scope;
  // For one user, the support folders of the chosen folders' products, which take the product's
  // files, the menu's toolbar and the command alias; each ends with a backslash.
  std::vector<std::string> mainSupports;
};

bool Before2004(const std::vector<cad::AcadProduct>& products, const std::string& folder) {
  const cad::AcadProduct* product = cad::ProductInstalledIn(products, folder);
  if (product == nullptr || product->lt) return false;
  const auto release = cad::ParseReleaseKey(product->release);
  return release && release->first < 16;
}

WiringPlan PlanWiring(bool forAllUsers) {
  WiringPlan plan;
  plan.products = cad::FindAcadProducts();
  plan.chosen = RegisteredAcadFolders(forAllUsers);
  plan.scope = forAllUsers ? cad::WiringScope{MachineBundleBase(), false}
                           : cad::WiringScope{toolkit::Fs().AppDataDir(), true};
  plan.before2004 = !plan.chosen.empty() && std::all_of(plan.chosen.begin(), plan.chosen.end(),
                                                        [&](const std::string& folder) {
                                                          return Before2004(plan.products, folder);
                                                        });
  // The menu and the command alias are each user's, done at the logon for every user.
  if (forAllUsers) return plan;
  for (const std::string& folder : plan.chosen) {
    if (Before2004(plan.products, folder)) continue;
    const std::optional<std::string> support = FindMainSupportFolder(folder);
    if (!support || !toolkit::Fs().DirExists(*support)) continue;
    const std::string named = fs::StripTrailingBackslash(*support) + "\\";
    const auto same = [&](const std::string& other) {
      return fs::FoldCase(other) == fs::FoldCase(named);
    };
    if (std::none_of(plan.mainSupports.begin(), plan.mainSupports.end(), same)) {
      plan.mainSupports.push_back(named);
    }
  }
  return plan;
}

std::vector<std::string> Lacks(const WiringPlan& plan) {
  std::vector<std::string> lacks;
  const auto add = [&](const std::vector<std::string>& more) {
    lacks.insert(lacks.end(), more.begin(), more.end());
  };
  for (const std::string& folder : plan.chosen) add(cad::LispCandidatesLackingLine(folder));
  if (plan.before2004) return lacks;
  add(cad::WhatEachProductLacks(plan.products, plan.scope));
  for (const std::string& support : plan.mainSupports) {
    add(cad::MissingProductFiles(support));
    if (cad::MenuLacksToolbar(support, "acad.mns")) lacks.push_back(support + "acad.mns");
    if (cad::PgpLacksCommand(support, "acad.pgp")) lacks.push_back(support + "acad.pgp");
  }
  return lacks;
}

void Rewire(const WiringPlan& plan, const cad::PlaceProductFiles& place,
            toolkit::ChangeRecorder& recorder) {
  for (const std::string& folder : plan.chosen) {
    if (cad::AnyLispCandidatePresent(folder)) cad::PatchAcadLisp(folder, recorder);
  }
  if (plan.before2004) return;
  cad::LispWiring wiring;
  cad::WireEachProduct(plan.products, plan.scope, place, recorder, wiring);
  for (const std::string& support : plan.mainSupports) {
    place(support);
    if (cad::MenuLacksToolbar(support, "acad.mns")) {
      cad::PatchAcadMenu(cad::kMenuAddToolbar, support, "acad.mns", recorder);
    }
    cad::PatchAcadPgp(1, support, "acad.pgp", recorder);
  }
}

// A file an installation placed, as the record tells it, with the trusted folder it is reached
// below.
struct Placed {
  const Change* change;
  RecordTrust trust;
  std::string root;
};

// Every file the installations placed with its CRC known, within the record's bounds: the
// latest record of each path.
std::vector<Placed> PlacedFiles(const std::vector<RunToUndo>& runs, const TrustedRoots& roots) {
  std::map<std::string, Placed> latest;
  for (const RunToUndo& run : runs) {
    if (run.run->kind != RunKind::kInstall) continue;
    for (const Change& change : run.run->changes) {
      if (change.kind != Change::Kind::kFile || !change.crc) continue;
      const std::optional<std::string> path = ComparablePath(change.path);
      const std::optional<std::string> root = RootOf(change, run.run->kind, roots, run.trust);
      if (path && root) latest[*path] = {&change, run.trust, *root};
    }
  }
  std::vector<Placed> placed;
  for (const auto& [path, file] : latest) placed.push_back(file);
  return placed;
}

// The file still has the size and CRC it was placed with, looked at below its root, never
// through a link.
bool AsPlaced(const Placed& file) {
  const fs::RootedPaths where(file.root);
  fs::File opened;
  toolkit::FileSum sum;
  return where.KindOf(file.change->path) == PathKind::kFile &&
         where.Open(opened, file.change->path, toolkit::OpenMode::kRead).Done() &&
         toolkit::SumOpenFile(opened, sum.size, sum.crc) &&
         sum == toolkit::FileSum{file.change->size, *file.change->crc};
}

std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The product's files in the destination that are missing or changed. The programs of the
// record's own folder, there too where the record lies in the destination, are the running one.
std::vector<std::string> ChangedProductFiles(const std::vector<Placed>& placed,
                                             const TrustedRoots& roots) {
  std::vector<std::string> changed;
  for (const Placed& file : placed) {
    if (file.root != roots.destination ||
        ComparablePath(FolderOfPath(file.change->path)) == ComparablePath(roots.recordFolder)) {
      continue;
    }
    if (!AsPlaced(file)) changed.push_back(file.change->path);
  }
  return changed;
}

// A copy of one of the product's files that the record vouches for.
struct Copy {
  std::string path;
  std::string root;
  toolkit::FileSum sum;
};

// For each of the product's files (by its folded name), a copy an installation of this record
// placed and that is still as placed: the destination's first, then any other. A record an
// earlier version kept where others could write vouches for nothing that is placed in AutoCAD.
std::map<std::string, Copy> VouchedCopies(const std::vector<Placed>& placed,
                                          const TrustedRoots& roots) {
  std::map<std::string, Copy> copies;
  for (const bool inDestination : {true, false}) {
    for (const Placed& file : placed) {
      if (file.trust != RecordTrust::kOwn || (file.root == roots.destination) != inDestination) {
        continue;
      }
      const std::string& path = file.change->path;
      const std::string name = fs::FoldCase(path.substr(path.find_last_of('\\') + 1));
      const bool product = std::any_of(cad::kProductFiles.begin(), cad::kProductFiles.end(),
                                       [&](std::string_view p) { return p == name; });
      if (!product || copies.contains(name) || !AsPlaced(file)) continue;
      copies[name] = {path, file.root, {file.change->size, *file.change->crc}};
    }
  }
  return copies;
}

// A product's file the wiring needs and no copy vouched for offers: the medium is needed.
class ENoCopy : public toolkit::Exception {
 public:
  using toolkit::Exception::Exception;
};

// Copies `copy` to `target`, where nothing stands, the recorder told before.
void PlaceCopy(const Copy& copy, const std::string& target, toolkit::ChangeRecorder& recorder) {
  fs::File source;
  fs::RootedPaths(copy.root).Open(source, copy.path, toolkit::OpenMode::kRead).OrRaise();
  recorder.FileCreated(target, copy.sum.size);
  fs::File made;
  made.Open(target, toolkit::OpenMode::kCreateNew);
  std::vector<char> buffer(64 * 1024);
  toolkit::FileSum sum;
  while (const std::size_t read = source.Read(buffer.data(), buffer.size())) {
    made.Write(buffer.data(), read);
    sum.size += read;
    sum.crc = toolkit::Crc32(sum.crc, buffer.data(), read);
  }
  made.Close();
  recorder.FileChecksum(target, sum.crc);
  // Changed since it was looked at: the repair is undone rather than place what no record
  // vouches for.
  if (sum != copy.sum) throw ENoCopy(copy.path);
}

// Places the product's files that are missing from `folder`; a file there stays as it is.
void PlaceMissing(const std::map<std::string, Copy>& copies, const std::string& destination,
                  const std::string& folder, toolkit::ChangeRecorder& recorder) {
  for (std::string_view name : cad::kProductFiles) {
    const std::string target = fs::JoinPath(folder, std::string(name));
    if (toolkit::Fs().KindOf(target) != PathKind::kNone) continue;
    const auto copy = copies.find(std::string(name));
    // The copy every installation keeps is the one to name.
    if (copy == copies.end()) {
      throw ENoCopy(fs::JoinPath(fs::JoinPath(destination, kUserFilesFolder), std::string(name)));
    }
    PlaceCopy(copy->second, target, recorder);
  }
}

// A key as a person reads it: with its hive, which a key of the current user's leaves out.
std::string ShownKey(const std::string& key) {
  if (key.starts_with(toolkit::kMachineHive)) return key;
  return "HKCU\\" + (key.starts_with("\\") ? key.substr(1) : key);
}

// What a person reads of each change of a run: the files made or rewritten, the registry values
// extended.
std::vector<std::string> Made(const std::vector<Change>& changes) {
  std::vector<std::string> made;
  for (const Change& change : changes) {
    switch (change.kind) {
      case Change::Kind::kFile:
      case Change::Kind::kPatch:
        made.push_back(AsShown(change.path));
        break;
      case Change::Kind::kRegistry:
        made.push_back(ShownKey(change.path) + "\\" + change.valueName);
        break;
      case Change::Kind::kFolder:
      case Change::Kind::kSwap:
      case Change::Kind::kGroup:
      case Change::Kind::kKey:
        break;
    }
  }
  return made;
}

void NoteEach(config::FrontEnd& frontEnd, const std::string& word,
              const std::vector<std::string>& items) {
  for (const std::string& item : items) frontEnd.Note(word + " " + item);
}

// Wires again what `plan` lacks, journaled as a run of its own in `recordFolder`'s journal.
void RewireJournaled(config::FrontEnd& frontEnd, const WiringPlan& plan,
                     const std::map<std::string, Copy>& copies, const std::string& recordFolder,
                     const TrustedRoots& roots, bool forAllUsers, RepairReport& report) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string journalPath = JoinPath(recordFolder, kJournalName);
  Journal journal(v.ProductTitle, RunKind::kInstall);
  NotedRecorder recorder(journal, frontEnd);
  const auto place = [&](const std::string& folder) {
    PlaceMissing(copies, roots.destination, folder, recorder);
  };
  try {
    journal.Open(journalPath, ReadJournal(journalPath));
    Rewire(plan, place, recorder);
    if (journal.ThisRun().empty()) {
      // Nothing could be added after all: the record gets no empty run.
      journal.Forget();
      return;
    }
    // The entry measures the record again, so that a record cut short later is told.
    toolkit::RegistryCursor entry;
    if (entry.OpenExistingKey(EntryKey(forAllUsers))) {
      CompleteRegistration(journal.PlacedBytes(), journal.FileSize(), forAllUsers);
    }
    journal.Complete();
  } catch (const ENoCopy& missing) {
    report.notUndone = RollBack(frontEnd, journal, roots);
    const auto named = [&](const std::string& file) {
      return fs::FoldCase(file) == fs::FoldCase(missing.what());
    };
    if (std::none_of(report.needsMedium.begin(), report.needsMedium.end(), named)) {
      report.needsMedium.push_back(missing.what());
    }
    return;
  } catch (const toolkit::Exception& error) {
    report.notUndone = RollBack(frontEnd, journal, roots);
    report.failure = error.what();
    frontEnd.Note(v.LogError + " " + error.what());
    return;
  }
  report.repaired = Made(journal.ThisRun());
}

}  // namespace

std::vector<std::string> WiringLacks(bool forAllUsers) { return Lacks(PlanWiring(forAllUsers)); }

bool RepairWanted(const std::string& recordFolder) {
  const std::optional<bool> forAllUsers = RecordFolderForAllUsers(recordFolder, recordFolder);
  if (!forAllUsers ||
      toolkit::Fs().KindOf(JoinPath(recordFolder, kJournalName)) != PathKind::kFile) {
    return false;
  }
  return !WiringLacks(*forAllUsers).empty() || (*forAllUsers && !UserPartLacks().empty());
}

RepairReport Repair(config::FrontEnd& frontEnd, const std::string& recordFolder,
                    const std::string& destination, bool forAllUsers, bool administrator) {
  const config::ConfigurationBlock& v = config::Vars;
  RepairReport report;
  const JournalFile own = ReadJournal(JoinPath(recordFolder, kJournalName));
  const JournalFile moved = ReadJournal(JoinPath(recordFolder, kMovedJournalName));
  if (own.state == JournalState::kMissing && moved.state == JournalState::kMissing) return report;
  report.recordFound = true;
  for (const JournalFile* journal : {&own, &moved}) {
    if (const std::optional<std::string> wrong = WhatIsWrongWith(*journal)) {
      report.journalProblem = wrong;
      return report;
    }
  }
  const TrustedRoots roots = GatherTrustedRoots(destination, recordFolder);
  std::vector<RunToUndo> runs;
  for (const JournalRun& run : moved.contents.runs) runs.push_back({&run, RecordTrust::kMoved});
  for (const JournalRun& run : own.contents.runs) runs.push_back({&run, RecordTrust::kOwn});
  const std::vector<Placed> placed = PlacedFiles(runs, roots);
  report.needsMedium = ChangedProductFiles(placed, roots);
  NoteEach(frontEnd, v.LogMissingOrChanged, report.needsMedium);

  if (!forAllUsers || administrator) {
    // What a killed run left half done is settled first, as before an installation.
    RepairInterruptedRuns(frontEnd, moved, roots, RecordTrust::kMoved);
    RepairInterruptedRuns(frontEnd, own, roots, RecordTrust::kOwn);
    const WiringPlan plan = PlanWiring(forAllUsers);
    report.lacked = Lacks(plan);
    NoteEach(frontEnd, v.LogLacking, report.lacked);
    if (!report.lacked.empty()) {
      RewireJournaled(frontEnd, plan, VouchedCopies(placed, roots), recordFolder, roots,
                      forAllUsers, report);
    }
  } else {
    report.needsAdministrator = WiringLacks(true);
    NoteEach(frontEnd, v.LogLacking, report.needsAdministrator);
  }
  if (!forAllUsers || report.failure) return report;
  // For every user, the part of the user who runs it, as at the logon.
  const UserPartRepair user = RepairUserPart(frontEnd);
  NoteEach(frontEnd, v.LogLacking, user.lacked);
  report.lacked.insert(report.lacked.end(), user.lacked.begin(), user.lacked.end());
  const std::vector<std::string> made = Made(user.made);
  report.repaired.insert(report.repaired.end(), made.begin(), made.end());
  if (user.failed) report.failure = v.MsgUserPartFailed;
  return report;
}

}  // namespace install
