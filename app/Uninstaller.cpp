#include "app/Uninstaller.h"

#include "app/AutoCadBeforeRemoval.h"
#include "app/Session.h"
#include "app/SilentFrontEnd.h"
#include "app/Startup.h"
#include "config/Vars.h"
#include "install/JournalFormat.h"
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

std::string TemporaryCopy() { return toolkit::Proc().TempFolder() + "\\TolvekUn.exe"; }

// The closing report: what happened, then what stays and what was not acted on.
std::string ReportText(const install::UninstallReport& report, const std::string& destination) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string journal = destination + "\\" + install::kJournalName;
  if (report.journalProblem) {
    return config::FormatMessage(v.MsgJournalBlocksRemoval, {journal, *report.journalProblem});
  }
  std::string text = report.recordIncomplete
                         ? config::FormatMessage(v.MsgRecordIncomplete, {journal})
                     : report.failed ? v.MsgUninstallIncomplete
                                     : v.MsgUninstalled;
  if (!report.refused.empty()) text += "\r\n\r\n" + v.MsgRecordsRefused;
  for (const std::string& refused : report.refused) text += "\r\n" + refused;
  if (!report.left.empty()) text += "\r\n\r\n" + v.MsgLeftInPlace;
  for (const std::string& left : report.left) text += "\r\n" + left;
  return text;
}

}  // namespace

std::optional<int> RunTemporaryCopy(const Session& session, const std::string& arguments) {
  if (session.options.from) return std::nullopt;
  const std::string copy = TemporaryCopy();
  try {
    toolkit::CopyFileSummed(toolkit::Fs().ProgramPath(), copy);
  } catch (const toolkit::EInOutError&) {
    return std::nullopt;
  }
  std::uint32_t code = 0;
  const std::string from = SourceDirOf(toolkit::Fs().ProgramPath());
  if (toolkit::Proc().RunAndWait(copy, arguments + " \"/FROM=" + from + "\"", code) != 0) {
    return std::nullopt;
  }
  // The copy has ended, so it can go now; and the destination, should the copy have been stopped
  // after moving this program out of it and before removing it, goes once empty.
  toolkit::fs::Erase(copy, toolkit::fs::Check::kRecord);
  toolkit::fs::RmDir(from, toolkit::fs::Check::kRecord);
  toolkit::fs::IoResult();
  return int(code);
}

int RunUninstall(Session& session) {
  const config::ConfigurationBlock& v = config::Vars;
  const bool silent = session.options.silent;
  const std::string destination =
      session.options.from.value_or(SourceDirOf(toolkit::Fs().ProgramPath()));
  session.log.Write(v.LogUninstallStarted + " " + destination);
  // Installed for every user, the product is the administrators' to remove.
  const std::optional<std::string> machine = install::MachineDestination();
  if (machine && toolkit::fs::FoldCase(*machine) == toolkit::fs::FoldCase(destination) &&
      !toolkit::Proc().IsAdministrator()) {
    session.log.Write(v.LogMessage + " " + v.MsgRemovalNeedsAdministrator);
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
      session.log.Write(v.LogQuestion + " " + v.MsgConfirmUninstall + " -> " + v.LogNo);
      return kExitUserExit;
    }
  }
  // An AutoCAD left running would write back the trusted path the removal takes out.
  if (const std::optional<int> refused = CloseAutoCadBeforeRemoval(session)) return *refused;
  SilentFrontEnd frontEnd(session.options, session.log);
  install::UninstallReport report;
  std::string text;
  try {
    report = install::Uninstall(frontEnd, destination, toolkit::Proc().TempFolder());
  } catch (const toolkit::Exception& error) {
    report.failed = true;
    text = error.what() + std::string("\r\n\r\n");
  }
  if (!report.recordFound && !report.failed) {
    text = config::FormatMessage(v.MsgNoRecord, {destination});
    report.failed = true;
  } else {
    text += ReportText(report, destination);
  }
  session.log.Write(v.LogMessage + " " + text);
  if (!silent) toolkit::ShowMessage(text);
  return report.failed ? kExitFatalError : kExitSuccess;
}

}  // namespace app
