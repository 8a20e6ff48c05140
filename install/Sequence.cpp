#include "install/Sequence.h"

#include "cad/AcadFiles.h"
#include "cad/MenuLines.h"
#include "cad/Patchers.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/Extraction.h"
#include "extract/PackageTable.h"
#include "install/AutoCadWiring.h"
#include "install/EarlierRecord.h"
#include "install/FolderTree.h"
#include "install/ForAllUsers.h"
#include "install/Journal.h"
#include "install/LogonRepair.h"
#include "install/Messages.h"
#include "install/NotedRecorder.h"
#include "install/PathOps.h"
#include "install/Preflight.h"
#include "install/ProgramGroup.h"
#include "install/RecordBounds.h"
#include "install/RecordFolder.h"
#include "install/Registration.h"
#include "install/Rollback.h"
#include "install/RunningAutoCad.h"
#include "install/SharedProduct.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

using cad::kProductFiles;

void ExtractCadFile(config::FrontEnd& frontEnd, std::string_view file, const std::string& folder,
                    toolkit::ChangeRecorder& recorder) {
  extract::ExtractPackage(frontEnd, config::Vars.SourceDir + extract::kCadPackage, folder,
                          std::string(file), recorder);
}

// The product's files AutoCAD's folders take, kept in the destination's "AutoCAD" folder: each
// user's support folder gets them from there at the logon of an installation for every user, and
// the repair without the medium (install/Repair.h) places them again from there where a profile
// reset or a release installed later lacks them. The destination is the copy to keep: it is the
// product's own folder, which only the installation may change, and what the record says of its
// files is checked before a copy is used; a profile's support folder is what a reset empties, and
// the bundle is there only beside AutoCAD 2012 and later.
void KeepCadFiles(config::FrontEnd& frontEnd, toolkit::ChangeRecorder& recorder) {
  const std::string folder = JoinPath(frontEnd.Destination(), kUserFilesFolder) + "\\";
  if (!toolkit::Fs().DirExists(folder)) {
    recorder.FolderCreated(StripTrailingBackslash(folder));
    toolkit::fs::MkDir(StripTrailingBackslash(folder));
  }
  for (std::string_view file : kProductFiles) ExtractCadFile(frontEnd, file, folder, recorder);
}

// The product's toolbar bitmaps and AutoLISP file go into AutoCAD's support folder: the
// "support" folder of a release before 2004 (and the AutoLISP file also beside AutoCAD itself),
// otherwise the current profile's folder from the registry, looked up anew for each file. For
// 2004 and later the destination keeps a copy, unless the product there is another user's
// (`shared`), which this user may not add to.
void ExtractCadFiles(config::FrontEnd& frontEnd, bool release14, bool shared,
                     toolkit::ChangeRecorder& recorder) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string& acad = frontEnd.State().workDir;
  if (!release14 && !shared) KeepCadFiles(frontEnd, recorder);
  // Each user's support folder gets them at the user's logon, from the destination.
  if (!release14 && frontEnd.ForAllUsers()) return;
  if (release14) {
    frontEnd.Note(v.LogSupportFolder + " " + acad + "\\support\\");
    ExtractCadFile(frontEnd, kProductFiles[0], acad + "\\support\\", recorder);
    ExtractCadFile(frontEnd, kProductFiles[1], acad + "\\support\\", recorder);
    ExtractCadFile(frontEnd, kProductFiles[2], acad + "\\", recorder);
    ExtractCadFile(frontEnd, kProductFiles[2], acad + "\\support\\", recorder);
    return;
  }
  for (std::string_view file : kProductFiles) {
    const std::string support = MainSupportFolder(acad);
    if (file == kProductFiles[0]) frontEnd.Note(v.LogRegistrySupportFolder + " " + support);
    ExtractCadFile(frontEnd, file, support, recorder);
  }
}

// An AutoCAD file that could not be patched was left as it was. (The journal tells the front end
// of every file it rewrote or found already patched.)
void NotePatch(config::FrontEnd& frontEnd, bool patched, const std::string& file,
               const std::string& /*backup*/) {
  if (!patched) frontEnd.Note(config::Vars.LogFileNotOpened + " " + file);
}

bool PatchMenu(config::FrontEnd& frontEnd, const std::string& folder, const std::string& name,
               toolkit::ChangeRecorder& recorder) {
  const bool patched = cad::PatchAcadMenu(1, folder, name, recorder);
  NotePatch(frontEnd, patched, folder + name,
            StripTrailingBackslash(folder) + std::string(cad::kMenuBackupName));
  return patched;
}

bool PatchPgp(config::FrontEnd& frontEnd, const std::string& folder, const std::string& name,
              toolkit::ChangeRecorder& recorder) {
  const bool patched = cad::PatchAcadPgp(1, folder, name, recorder);
  NotePatch(frontEnd, patched, folder + name, StripTrailingBackslash(folder) + "\\pgp.bak");
  return patched;
}

// A main product that gets the toolbar from the bundle's customization file (`wiring`) misses
// none where its menu file cannot take it.
void PatchMenuAndAliases(config::FrontEnd& frontEnd, bool release14, const cad::LispWiring& wiring,
                         toolkit::ChangeRecorder& recorder) {
  frontEnd.ShowStatus("Tolvek toolbar...");
  // The menu and the command alias are each user's: they are done at the user's logon.
  if (!release14 && frontEnd.ForAllUsers()) return;
  if (release14) {
    if (!PatchMenu(frontEnd, frontEnd.State().workDir, "\\support\\acad.mns", recorder)) {
      ShowManualEditMessage(frontEnd, kMenuNotPatchedR14);
    }
    return;
  }
  const std::string& acad = frontEnd.State().workDir;
  if (!PatchMenu(frontEnd, MainSupportFolder(acad), "acad.mns", recorder) &&
      !ToolbarThroughBundle(wiring, MainSupportFolder(acad))) {
    ShowManualEditMessage(frontEnd, kMenuNotPatched2004);
  }
  if (!PatchPgp(frontEnd, MainSupportFolder(acad), "acad.pgp", recorder)) {
    ShowManualEditMessage(frontEnd, kPgpNotPatched);
  }
}

// Everything the installation changes after the destination tree: AutoCAD's files, the
// product's files in AutoCAD's support folder, and the packages in the destination, unless the
// product there is another user's (`shared`), which stays as it is. Returns what the closing
// report adds.
std::string InstallFiles(config::FrontEnd& frontEnd, toolkit::ChangeRecorder& recorder,
                         bool shared) {
  const config::ConfigurationBlock& v = config::Vars;
  std::string& workDir = frontEnd.State().workDir;
  workDir = frontEnd.CadFolder();
  // Each AutoCAD of 2006 to 2011 loads the product from its own support folder, those from 2012
  // from a bundle: both with the files the main support folder gets.
  const auto placeProductFiles = [&](const std::string& folder) {
    for (std::string_view file : kProductFiles) ExtractCadFile(frontEnd, file, folder, recorder);
  };
  const std::vector<cad::AcadProduct> products = cad::FindAcadProducts();
  const cad::WiringScope scope = frontEnd.ForAllUsers()
                                     ? cad::WiringScope{MachineBundleBase(), false}
                                     : cad::WiringScope{toolkit::Fs().AppDataDir(), true};
  const cad::LispWiring wiring = cad::WireProductLisp(workDir, frontEnd.Release14(), products,
                                                      scope, placeProductFiles, recorder);
  const std::string report = NoteWiring(frontEnd, wiring);
  const bool lispPatched = !wiring.NeedsManualEdit();
  frontEnd.Note((lispPatched ? v.LogLispPatched : v.LogLispNotPatched) + " " + workDir);
  if (!lispPatched) ShowManualEditMessage(frontEnd, kLispNotPatched);
  // The generation is read at each step: the user may change it while the files are extracted.
  ExtractCadFiles(frontEnd, frontEnd.Release14(), shared, recorder);
  PatchMenuAndAliases(frontEnd, frontEnd.Release14(), wiring, recorder);

  workDir = frontEnd.Destination();
  if (shared) {
    return report + "\r\n\r\n" + config::FormatMessage(v.MsgSharedProduct, {workDir});
  }
  extract::ExtractPackage(frontEnd, v.SourceDir + extract::kConfigPackage, workDir + "\\cfg\\", "",
                          recorder);
  extract::ExtractPackage(frontEnd, v.SourceDir + extract::kHelpPackage, workDir + "\\help\\", "",
                          recorder);
  extract::ExtractAllPackages(frontEnd, workDir, recorder);
  return report;
}

// The record's folder, made (and journaled) when missing; the end of a removal a kill cut short
// there is a thing of the past once a new installation starts.
void PrepareRecordFolder(toolkit::ChangeRecorder& recorder, const std::string& recordFolder) {
  if (!toolkit::Fs().DirExists(recordFolder)) {
    recorder.FolderCreated(recordFolder);
    toolkit::fs::MkDir(recordFolder);
  }
  const std::string ended = JoinPath(recordFolder, kEndedJournalName);
  if (toolkit::Fs().KindOf(ended) == toolkit::PathKind::kFile) toolkit::fs::Erase(ended);
}

}  // namespace

bool RunInstall(config::FrontEnd& frontEnd) {
  config::ConfigurationBlock& v = config::Vars;
  const std::string destination = frontEnd.Destination();
  const bool forAllUsers = frontEnd.ForAllUsers();
  const std::string recordFolder = RecordFolder(forAllUsers, destination);
  const std::string journalPath = JoinPath(recordFolder, kJournalName);
  // An AutoCAD left running would write its old profile back over the changes as it exits, and
  // holds the files the repair below may have to rename.
  EnsureAutoCadClosed(frontEnd);
  const TrustedRoots roots = GatherTrustedRoots(destination, recordFolder, {frontEnd.CadFolder()});
  // What a killed run left half done is settled before anything looks at the files. The record
  // lies where only its owner writes; an earlier version's, moved beside it, is held to less.
  RepairInterruptedRuns(frontEnd, ReadJournal(journalPath), roots, RecordTrust::kOwn);
  RepairInterruptedRuns(frontEnd, ReadJournal(JoinPath(recordFolder, kMovedJournalName)), roots,
                        RecordTrust::kMoved);
  if (!CheckCadFolder(frontEnd)) return false;
  if (const std::optional<std::string> missing = FindWhatIsMissing(frontEnd)) {
    throw EInstallationRefused(*missing);
  }
  // A product another user installed for himself is taken as it stands, once it checks out.
  const bool shared = !forAllUsers && IsAnotherUsersProduct(destination);
  if (forAllUsers) {
    ClaimMachineDestination(frontEnd);
  } else {
    RefuseLinkedDestination(frontEnd);
  }
  if (shared) CheckProductFiles(frontEnd, destination);
  // Only now, with the destination the installer's, is an earlier record kept there read.
  MoveEarlierRecord(frontEnd, destination, recordFolder, forAllUsers, roots);

  Journal journal(v.ProductTitle, RunKind::kInstall);
  std::string closing;
  NotedRecorder recorder(journal, frontEnd);
  try {
    if (!shared) {
      BuildDestinationTree(frontEnd, journal);
      ProtectDestinationTree(frontEnd);
    }
    PrepareRecordFolder(journal, recordFolder);
    journal.Open(journalPath, ReadJournal(journalPath));
    PlaceUninstaller(recorder, recordFolder);
    RegisterProduct(recorder, destination, recordFolder, frontEnd.CadFolder(),
                    journal.StartedTheFile(), forAllUsers);
    if (forAllUsers) RegisterForUsers(recorder);
    RegisterLogonRepair(recorder, forAllUsers, recordFolder, destination);
    closing = InstallFiles(frontEnd, recorder, shared);
    CompleteRegistration(journal.PlacedBytes(), journal.FileSize(), forAllUsers);
    journal.Complete();
  } catch (const toolkit::EAbort&) {
    RollBack(frontEnd, journal, roots);
    throw;
  } catch (const toolkit::Exception& error) {
    const std::vector<std::string> notUndone = RollBack(frontEnd, journal, roots);
    std::string message = error.what();
    if (notUndone.empty()) {
      message += "\r\n\r\n" + v.MsgNothingChanged;
    } else {
      message += "\r\n\r\n" + v.MsgNotUndone;
      for (const std::string& path : notUndone) message += "\r\n" + path;
    }
    throw EInstallationFailed(message);
  }
  FinishInstall(frontEnd, journal, closing);
  return true;
}

void FinishInstall(config::FrontEnd& frontEnd, toolkit::ChangeRecorder& recorder,
                   const std::string& closing) {
  const config::ConfigurationBlock& v = config::Vars;
  frontEnd.SetStatus(v.MsgCopyDone);
  frontEnd.State().installDone = true;
  // A group belongs to the Start menu of whoever installs: for every user, that is nobody's.
  if (v.OfferProgramGroup && !frontEnd.ForAllUsers()) {
    CreateProgramGroup(frontEnd, v.GroupName, v.GroupItemFile, "", v.GroupItemName, recorder);
  }
  frontEnd.Tell(config::Notice::kInformation, v.MsgSuccess + closing);
  if (frontEnd.RestartNoticeWanted()) frontEnd.Tell(config::Notice::kPlain, v.MsgRebootNotice);
}

}  // namespace install
