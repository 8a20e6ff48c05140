#include "install/UserPart.h"

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

// The release's part in the user's profile, for one product the user has started.
void DoProduct(const cad::AcadProduct& product, const std::string& files,
               const std::string& contents, toolkit::ChangeRecorder& recorder) {
  const std::string& support = *product.supportFolder;
  const auto release = cad::ParseReleaseKey(product.release);
  const bool r2004 = !product.lt && product.row == nullptr && release && release->first == 16;
  if (r2004) {
    PlaceFiles(files, support, recorder);
    cad::PatchAcadMenu(cad::kMenuAddToolbar, support, "acad.mns", recorder);
    cad::PatchAcadPgp(1, support, "acad.pgp", recorder);
  } else if (product.row != nullptr && product.row->load == cad::AcadLoad::kAcadDoc) {
    PlaceFiles(files, support, recorder);
    cad::AddLoadBlockToAcadDoc(support, recorder);
  } else if (product.row != nullptr && product.row->load == cad::AcadLoad::kTrustedBundle &&
             product.row->year < 2016) {
    cad::TrustInEveryProfile(product.userKey, contents, recorder);
  }
}

bool DoUserPart(config::FrontEnd& frontEnd, const std::string& machineDestination) {
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
    std::string contents = fs::StripTrailingBackslash(MachineBundleBase());
    for (std::string_view part : cad::kBundleFolders) contents += "\\" + std::string(part);
    for (const cad::AcadProduct& product : cad::FindAcadProducts()) {
      if (product.supportFolder && toolkit::Fs().DirExists(*product.supportFolder)) {
        DoProduct(product, files, contents, recorder);
      }
    }
    journal.Complete();
  } catch (const toolkit::Exception& error) {
    frontEnd.Note(v.LogError + " " + error.what());
    RollBack(frontEnd, journal, roots);
    return false;
  }
  return true;
}

}  // namespace

std::string UserPartJournalFolder() { return JoinPath(toolkit::Fs().AppDataDir(), "Tolvek"); }

bool RunUserPart(config::FrontEnd& frontEnd) {
  if (const std::optional<std::string> destination = MachineDestination()) {
    return DoUserPart(frontEnd, *destination);
  }
  const UninstallReport report = RemoveUserPart(frontEnd, UserPartJournalFolder());
  return !report.failed;
}

}  // namespace install
