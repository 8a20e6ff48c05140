#include "app/Uninstaller.h"

#include "app/AutoCadBeforeRemoval.h"
#include "app/LoggedFrontEnd.h"
#include "app/Session.h"
#include "app/SilentFrontEnd.h"
#include "app/Startup.h"
#include "config/Vars.h"
#include "install/JournalFormat.h"
#include "install/RecordFolder.h"
#include "install/Registration.h"
#include "install/Uninstall.h"
#include "toolkit/Crc32.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Forms.h"
#include "toolkit/Process.h"

namespace app {
namespace {

namespace fs = toolkit::fs;

// The name of the copy that runs the removal, in a folder of its own.
constexpr const char* kCopyName = "TolvekUn.exe";

// A new folder in the temporary folder that only this user may open, under a name nobody can
// have guessed and made first (the temporary folder of SYSTEM lets every user make names in it);
// nothing when none can be made.
std::optional<std::string> MakePrivateFolder() {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::uint64_t number = toolkit::Proc().UnguessableNumber();
    std::string name = "Tolvek-";
    for (int digit = 0; digit < 16; ++digit, number >>= 4) name += kHex[number & 0xF];
    const std::string folder = fs::JoinPath(toolkit::Proc().TempFolder(), name);
    const fs::IoStatus made(toolkit::Fs().CreatePrivateDir(folder));
    if (made.Done()) return folder;
    if (!made.IsAlreadyThere()) return std::nullopt;
  }
  return std::nullopt;
}

// Copies the running uninstaller into `folder` and compares the copy with it: only a copy with
// the same size and CRC is ever started.
std::optional<std::string> CopyUninstaller(const std::string& folder) {
  const std::string program = toolkit::Fs().ProgramPath();
  const std::string copy = fs::JoinPath(folder, kCopyName);
  toolkit::FileSum installed;
  toolkit::FileSum copied;
  try {
    toolkit::CopyFileSummed(program, copy);
  } catch (const toolkit::EInOutError&) {
    return std::nullopt;
  }
  if (!toolkit::SumFile(program, installed.size, installed.crc) ||
      !toolkit::SumFile(copy, copied.size, copied.crc) || copied != installed) {
    return std::nullopt;
  }
  return copy;
}

// Empties and removes the private folder once its copy has ended; the uninstaller the copy moved
// there goes when the system next starts, and the folder with it.
void RemovePrivateFolder(const std::string& folder) {
  fs::IgnoreFailure(fs::TryErase(fs::JoinPath(folder, kCopyName)));
  if (fs::TryRmDir(folder).Done()) return;
  fs::IgnoreFailure(fs::IoStatus(toolkit::Proc().DeleteAtRestart(folder)));
}

// The closing report: what happened, then what stays and what was not acted on.
std::string ReportText(const install::UninstallReport& report, const std::string& recordFolder,
                       const std::string& destination) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string journal = fs::JoinPath(recordFolder, install::kJournalName);
  if (report.journalProblem) {
    return config::FormatMessage(v.MsgJournalBlocksRemoval, {journal, *report.journalProblem});
  }
  if (report.recordMissing) {
    return config::FormatMessage(v.MsgRecordMissing, {recordFolder, destination});
  }
  std::string text = report.recordIncomplete
                         ? config::FormatMessage(v.MsgRecordIncomplete, {journal})
                     : !report.failed ? v.MsgUninstalled
                     // Running again helps only where something was held or refused by the system.
                     : report.retryHelps ? v.MsgUninstallIncomplete
                                         : v.MsgUninstallLeftSome;
  if (!report.refused.empty()) text += "\r\n\r\n" + v.MsgRecordsRefused;
  for (const std::string& refused : report.refused) text += "\r\n" + refused;
  if (!report.left.empty()) text += "\r\n\r\n" + v.MsgLeftInPlace;
  for (const std::string& left : report.left) text += "\r\n" + left;
  return text;
}

}  // namespace

std::optional<int> RunTemporaryCopy(const Session& session, const std::string& arguments) {
  if (session.options.from) return std::nullopt;
  const std::optional<std::string> folder = MakePrivateFolder();
  if (!folder) return std::nullopt;
  const std::optional<std::string> copy = CopyUninstaller(*folder);
  if (!copy) {
    RemovePrivateFolder(*folder);
    return std::nullopt;
  }
  std::uint32_t code = 0;
  const std::string from = SourceDirOf(toolkit::Fs().ProgramPath());
  if (toolkit::Proc().RunAndWait(*copy, arguments + " \"/FROM=" + from + "\"", code) != 0) {
    RemovePrivateFolder(*folder);
    return std::nullopt;
  }
  // The copy has ended, so it can go now; and the record's folder, should the copy have been
  // stopped after moving this program out of it and before removing it, goes once empty.
  RemovePrivateFolder(*folder);
  fs::IgnoreFailure(fs::TryRmDir(from));
  return int(code);
}

int RunUninstall(Session& session) {
  const config::ConfigurationBlock& v = config::Vars;
  const bool silent = session.options.silent;
  const std::string recordFolder =
      session.options.from.value_or(SourceDirOf(toolkit::Fs().ProgramPath()));
  // The record's folder says whose installation this is: the machine's Program Files\Tolvek is
  // every user's, any other the user's own.
  const bool forAllUsers =
      install::RecordFolderForAllUsers(recordFolder, recordFolder).value_or(false);
  const std::string destination = install::EntryDestination(forAllUsers);
  session.log.Write(LogLevel::kEvent, v.LogUninstallStarted + " " + destination);
  // Installed for every user, the product is the administrators' to remove.
  if (forAllUsers && !toolkit::Proc().IsAdministrator()) {
    session.log.Write(LogLevel::kMessage, v.MsgRemovalNeedsAdministrator);
    if (!silent) {
      SetApplicationTitle();
      toolkit::ShowMessage(v.MsgRemovalNeedsAdministrator);
    }
    return kExitFatalError;
  }
  if (!silent) {
    SetApplicationTitle();
    if (toolkit::MessageDlg(v.MsgConfirmUninstall, toolkit::mbYes | toolkit::mbNo) !=
        toolkit::mrYes) {
      session.log.Answer(v.MsgConfirmUninstall, false);
      return kExitUserExit;
    }
  }
  // An AutoCAD left running would write back the trusted path the removal takes out.
  if (const std::optional<int> refused = CloseAutoCadBeforeRemoval(session)) return *refused;
  SilentFrontEnd shown(session.options);
  LoggedFrontEnd frontEnd(shown, session.log);
  install::UninstallReport report;
  std::string text;
  try {
    // The running copy's own folder takes the uninstaller that cannot be deleted while it waits.
    report = install::Uninstall(frontEnd, recordFolder, destination,
                                SourceDirOf(toolkit::Fs().ProgramPath()));
  } catch (const toolkit::Exception& error) {
    report.failed = true;
    report.retryHelps = true;
    text = error.what() + std::string("\r\n\r\n");
  }
  if (!report.recordFound && !report.failed) {
    text = config::FormatMessage(v.MsgNoRecord, {recordFolder});
    report.failed = true;
  } else {
    text += ReportText(report, recordFolder, destination);
  }
  session.log.Write(LogLevel::kMessage, text);
  if (!silent) toolkit::ShowMessage(text);
  return report.failed ? kExitFatalError : kExitSuccess;
}

}  // namespace app
