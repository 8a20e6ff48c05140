#include "app/Repairer.h"

#include <cstdint>

#include "app/AutoCadBeforeRemoval.h"
#include "app/LoggedFrontEnd.h"
#include "app/Session.h"
#include "app/SilentFrontEnd.h"
#include "app/Startup.h"
#include "config/Vars.h"
#include "install/JournalFormat.h"
#include "install/RecordFolder.h"
#include "install/Registration.h"
#include "install/Repair.h"
#include "install/UserPart.h"
#include "toolkit/Dialogs.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Process.h"

namespace app {
namespace {

// A box shows this many of a list, and "..." for the rest; the log has them all.
constexpr std::size_t kListedInTheBox = 10;

std::string RecordFolderOf(const Options& options) {
  return options.from.value_or(SourceDirOf(toolkit::Fs().ProgramPath()));
}

void AddList(std::string& text, const std::string& heading, const std::vector<std::string>& items,
             std::size_t listed) {
  if (items.empty()) return;
  if (!text.empty()) text += "\r\n\r\n";
  text += heading;
  for (std::size_t i = 0; i < items.size() && i <= listed; ++i) {
    text += "\r\n" + (i < listed ? items[i] : std::string("..."));
  }
}

// What the repair did, each list cut after `listed` items.
std::string ReportText(const install::RepairReport& report, const std::string& recordFolder,
                       std::size_t listed) {
  const config::ConfigurationBlock& v = config::Vars;
  if (!report.recordFound) return config::FormatMessage(v.MsgNoRecord, {recordFolder});
  if (report.journalProblem) {
    return config::FormatMessage(
        v.MsgJournalBlocksInstall,
        {toolkit::fs::JoinPath(recordFolder, install::kJournalName), *report.journalProblem});
  }
  std::string text;
  if (report.failure) {
    text = v.MsgRepairFailed + (report.failure->empty() ? "" : "\r\n" + *report.failure);
    AddList(text, v.MsgLeftInPlace, report.notUndone, listed);
  } else {
    AddList(text, v.MsgRepaired, report.repaired, listed);
  }
  AddList(text, v.MsgRepairNeedsMedium, report.needsMedium, listed);
  return text.empty() ? v.MsgRepairNothing : text;
}

int ExitCodeOf(const install::RepairReport& report) {
  if (!report.recordFound || report.journalProblem || report.failure) return kExitFatalError;
  return report.needsMedium.empty() ? kExitSuccess : kExitSourceAbsent;
}

}  // namespace

bool LogonRunWanted(const Options& options) {
  if (options.userPart) return install::UserPartLacks();
  return install::RepairWanted(RecordFolderOf(options));
}

int RunRepair(Session& session) {
  const config::ConfigurationBlock& v = config::Vars;
  const bool silent = session.options.silent;
  const std::string recordFolder = RecordFolderOf(session.options);
  // The record's folder says whose installation this is, as for the removal.
  const std::optional<bool> forAllUsers =
      install::RecordFolderForAllUsers(recordFolder, recordFolder);
  const std::string destination = install::EntryDestination(forAllUsers.value_or(false));
  session.log.Write(LogLevel::kEvent, v.LogRepairOf + " " + destination);
  if (!silent) SetApplicationTitle();
  install::RepairReport report;
  if (forAllUsers) {
    // An AutoCAD left running would write back the profile the repair extends.
    if (const std::optional<int> refused = CloseAutoCadBeforeRemoval(session)) return *refused;
    SilentFrontEnd shown(session.options);
    LoggedFrontEnd frontEnd(shown, session.log);
    report = install::Repair(frontEnd, recordFolder, destination, *forAllUsers);
  }
  session.log.Write(LogLevel::kMessage, ReportText(report, recordFolder, SIZE_MAX));
  if (!silent) toolkit::ShowMessage(ReportText(report, recordFolder, kListedInTheBox));
  return ExitCodeOf(report);
}

}  // namespace app
