#include "app/Repairer.h"

#include "app/AutoCadBeforeRemoval.h"
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

// A box shows this many of a list; the log has each one on a line of its own above.
constexpr std::size_t kListedInTheBox = 10;

std::string RecordFolderOf(const Options& options) {
  return options.from.value_or(SourceDirOf(toolkit::Fs().ProgramPath()));
}

void AddList(std::string& text, const std::string& heading, const std::vector<std::string>& items) {
  if (items.empty()) return;
  if (!text.empty()) text += "\r\n\r\n";
  text += heading;
  for (std::size_t i = 0; i < items.size() && i < kListedInTheBox; ++i) text += "\r\n" + items[i];
  if (items.size() > kListedInTheBox) {
    text += "\r\n" + config::FormatMessage(config::Vars.MsgMoreItems,
                                           {std::to_string(items.size() - kListedInTheBox)});
  }
}

std::string ReportText(const install::RepairReport& report, const std::string& recordFolder) {
  const config::ConfigurationBlock& v = config::Vars;
  if (!report.recordFound) return config::FormatMessage(v.MsgNoRecord, {recordFolder});
  if (report.journalProblem) {
    return config::FormatMessage(
        v.MsgJournalBlocksRepair,
        {toolkit::fs::JoinPath(recordFolder, install::kJournalName), *report.journalProblem});
  }
  std::string text;
  if (report.failure) {
    text = v.MsgRepairFailed + "\r\n" + *report.failure;
    AddList(text, v.MsgLeftInPlace, report.notUndone);
  } else {
    AddList(text, v.MsgRepaired, report.repaired);
  }
  AddList(text, v.MsgRepairNeedsMedium, report.needsMedium);
  AddList(text, v.MsgRepairNeedsAdmin, report.needsAdministrator);
  return text.empty() ? v.MsgRepairNothing : text;
}

int ExitCodeOf(const install::RepairReport& report) {
  if (!report.recordFound || report.journalProblem || report.failure ||
      !report.needsAdministrator.empty()) {
    return kExitFatalError;
  }
  return report.needsMedium.empty() ? kExitSuccess : kExitSourceAbsent;
}

}  // namespace

bool LogonRunWanted(const Options& options) {
  if (options.userPart) return !install::UserPartLacks().empty();
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
  session.log.Write(v.LogRepairOf + " " + destination);
  if (!silent) SetApplicationTitle();
  install::RepairReport report;
  if (forAllUsers) {
    // An AutoCAD left running would write back the profile the repair extends.
    if (const std::optional<int> refused = CloseAutoCadBeforeRemoval(session)) return *refused;
    SilentFrontEnd frontEnd(session.options, session.log);
    report = install::Repair(frontEnd, recordFolder, destination, *forAllUsers,
                             toolkit::Proc().IsAdministrator());
  }
  const std::string text = ReportText(report, recordFolder);
  session.log.Write(v.LogMessage + " " + text);
  if (!silent) toolkit::ShowMessage(text);
  return ExitCodeOf(report);
}

}  // namespace app
