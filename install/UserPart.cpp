#include "install/UserPart.h"

#include <algorithm>

#include "cad/AcadDocPatcher.h"
#include "cad/AcadFiles.h"
#include "cad/AcadProducts.h"
#include "cad/Bundle.h"
#include "cad/MenuPatcher.h"
#include "cad/PgpPatcher.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/ForAllUsers.h"
#include "install/Journal.h"
#include "install/NotedRecorder.h"
#include "install/PathOps.h"
#include "install/RecordBounds.h"
#include "install/Registration.h"
#include "install/Rollback.h"
#include "install/Uninstall.h"
#include "toolkit/Crc32.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

namespace fs = toolkit::fs;

// The product's files from the machine's destination into a user's support folder: a file there
// already with the same bytes stays, one that differs is replaced, a new one is journaled.
void PlaceFiles(const std::string& from, const std::string& support,
                toolkit::ChangeRecorder& recorder) {
  for (std::string_view name : cad::kProductFiles) {
    const std::string source = JoinPath(from, std::string(name));
    const std::string target = support + std::string(name);
    toolkit::FileSum have;
    toolkit::FileSum wanted;
    const bool exists = toolkit::Fs().FileExists(target);
    if (exists && toolkit::SumFile(target, have.size, have.crc) &&
        toolkit::SumFile(source, wanted.size, wanted.crc) && have == wanted) {
      continue;
    }
    if (!exists) {
      fs::File file;
      file.Open(source, toolkit::OpenMode::kRead);
      recorder.FileCreated(target, file.Size());
    }
    const std::uint32_t crc = toolkit::CopyFileSummed(source, target);
    if (!exists) recorder.FileChecksum(target, crc);
  }
}

// The machine's bundle's Contents folder, which 2014 and 2015 trust in each profile.
std::string MachineContents() {
  std::string contents = fs::StripTrailingBackslash(MachineBundleBase());
  for (std::string_view part : cad::kBundleFolders) contents += "\\" + std::string(part);
  return contents;
}

// AutoCAD 2004 and 2005 (R16.0, R16.1), which read the menu and the command alias of the user's
// profile.
bool Is2004(const cad::AcadProduct& product) {
  const auto release = cad::ParseReleaseKey(product.release);
  return !product.lt && product.row == nullptr && release && release->first == 16;
}

// Whether DoProduct would add anything for one product the user has started.
bool ProductLacks(const cad::AcadProduct& product, const std::string& contents) {
  const std::string& support = *product.supportFolder;
  if (Is2004(product)) {
    return cad::AnyProductFileMissing(support) || cad::MenuLacksToolbar(support, "acad.mns") ||
           cad::PgpLacksCommand(support, "acad.pgp");
  }
  if (product.row == nullptr) return false;
  if (product.row->load == cad::AcadLoad::kAcadDoc) {
    return cad::AnyProductFileMissing(support) || cad::AcadDocLacksLoad(support);
  }
  return product.row->load == cad::AcadLoad::kTrustedBundle && product.row->year < 2016 &&
         cad::AnyProfileUntrusting(product.userKey, contents);
}

bool Started(const cad::AcadProduct& product) {
  return product.supportFolder && toolkit::Fs().DirExists(*product.supportFolder);
}

// The release's part in the user's profile, for one product the user has started.
void DoProduct(const cad::AcadProduct& product, const std::string& files,
               const std::string& contents, toolkit::ChangeRecorder& recorder) {
  const std::string& support = *product.supportFolder;
  if (Is2004(product)) {
    PlaceFiles(files, support, recorder);
    // Run again at logons: a menu that cannot take the toolbar must not gain its help strings
    // each time.
    if (cad::MenuLacksToolbar(support, "acad.mns")) {
      cad::PatchAcadMenu(cad::kMenuAddToolbar, support, "acad.mns", recorder);
    }
    cad::PatchAcadPgp(1, support, "acad.pgp", recorder);
  } else if (product.row != nullptr && product.row->load == cad::AcadLoad::kAcadDoc) {
    PlaceFiles(files, support, recorder);
    cad::AddLoadBlockToAcadDoc(support, recorder);
  } else if (product.row != nullptr && product.row->load == cad::AcadLoad::kTrustedBundle &&
             product.row->year < 2016) {
    cad::TrustInEveryProfile(product.userKey, contents, recorder);
  }
}

bool DoUserPart(config::FrontEnd& frontEnd, const std::string& machineDestination,
                std::vector<Change>* made) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string folder = UserPartJournalFolder();
  const std::string journalPath = JoinPath(folder, kJournalName);
  const JournalFile earlier = ReadJournal(journalPath);
  if (const std::optional<std::string> wrong = WhatIsWrongWith(earlier)) {
    frontEnd.Note(config::FormatMessage(v.MsgJournalBlocksInstall, {journalPath, *wrong}));
    return false;
  }
  const TrustedRoots roots = GatherTrustedRoots(folder, folder);
  RepairInterruptedRuns(frontEnd, earlier, roots, RecordTrust::kOwn);
  Journal journal(v.ProductTitle, RunKind::kInstall);
  NotedRecorder recorder(journal, frontEnd);
  try {
    if (!toolkit::Fs().DirExists(folder)) {
      journal.FolderCreated(folder);
      fs::MkDir(folder);
    }
    journal.Open(journalPath, ReadJournal(journalPath));
    const std::string files = JoinPath(machineDestination, kUserFilesFolder);
    const std::string contents = MachineContents();
    for (const cad::AcadProduct& product : cad::FindAcadProducts()) {
      if (Started(product)) DoProduct(product, files, contents, recorder);
    }
    journal.Complete();
  } catch (const toolkit::Exception& error) {
    frontEnd.Note(v.LogError + " " + error.what());
    RollBack(frontEnd, journal, roots);
    return false;
  }
  if (made != nullptr) *made = journal.ThisRun();
  return true;
}

}  // namespace

std::string UserPartJournalFolder() { return JoinPath(toolkit::Fs().AppDataDir(), "Tolvek"); }

bool RunUserPart(config::FrontEnd& frontEnd, std::vector<Change>* made) {
  if (const std::optional<std::string> destination = MachineDestination()) {
    return DoUserPart(frontEnd, *destination, made);
  }
  const UninstallReport report = RemoveUserPart(frontEnd, UserPartJournalFolder());
  return !report.failed;
}

bool UserPartLacks() {
  if (!MachineDestination()) return false;
  const std::string contents = MachineContents();
  const std::vector<cad::AcadProduct> products = cad::FindAcadProducts();
  return std::any_of(products.begin(), products.end(), [&](const cad::AcadProduct& product) {
    return Started(product) && ProductLacks(product, contents);
  });
}

}  // namespace install
