#include "app/Startup.h"

#include <memory>

#include "app/Lister.h"
#include "app/LoggedFrontEnd.h"
#include "app/MainDlg.h"
#include "app/Options.h"
#include "app/Repairer.h"
#include "app/Session.h"
#include "app/SilentFrontEnd.h"
#include "app/Uninstaller.h"
#include "config/Vars.h"
#include "extract/UnzipBinding.h"
#include "install/CadFolderChoice.h"
#include "install/UserPart.h"
#include "toolkit/Dialogs.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Forms.h"
#include "toolkit/Process.h"
#include "ui/Sfondo.h"

namespace app {

using config::FillConfiguration;
using config::Vars;

std::string SourceDirOf(const std::string& programPath) {
  auto slash = programPath.find_last_of('\\');
  return slash == std::string::npos ? std::string() : programPath.substr(0, slash);
}

void SetStartupValues() {
  Vars.Language = 1;
  Vars.ShowWindowsChoice = true;
  Vars.ProductCode = 1;
  Vars.SourceDir = SourceDirOf(toolkit::Fs().ProgramPath());
}

void StartupFormCreate(TMainDlg& dialog) {
  TheSession().state.cancelRequested = false;
  ResetProgress(dialog);
  extract::LoadUnzipLibrary(dialog.FrontEnd());
  SetStartupValues();
  FillConfiguration();
}

void StartupFormDestroy(TMainDlg&) { extract::UnloadUnzipLibrary(); }

void SetApplicationTitle() {
  toolkit::Application& application = toolkit::App();
  application.SetTitle("Install");
  application.SetTitle("KOVIA Install");
}

void BackgroundFormActivate() {
  FillConfiguration();
  ui::SfondoDlg->SetColor(Vars.BackgroundColor);
  ui::SfondoDlg->LabelEffect1.SetCaption(Vars.BackgroundTitle);
  MainDlg->ShowModal();
  ui::SfondoDlg->Close();
}

namespace {

// The dialog over the background window until the user leaves.
void RunInteractive() {
  SetApplicationTitle();
  toolkit::Application& application = toolkit::App();
  application.CreateForm(ui::SfondoDlg);
  // The dialog is shown once per run. The background is activated again whenever it comes to the
  // front, and an activation arriving while the first is still showing the dialog would show it
  // again, nested in the first.
  ui::SfondoDlg->OnActivate = [activated = false]() mutable {
    if (activated) return;
    activated = true;
    BackgroundFormActivate();
  };
  application.CreateForm(MainDlg);
  application.CreateForm(Lister);
  application.Run();
  // The windows go in reverse order of creation; the main dialog's destruction releases the
  // unzip library.
  Lister.reset();
  MainDlg.reset();
  ui::SfondoDlg.reset();
}

// The installation without a window: what the main dialog's creation and install button do, with
// the silent front end in place of the dialog.
void RunSilent(Session& session) {
  SilentFrontEnd shown(session.options);
  LoggedFrontEnd frontEnd(shown, session.log);
  extract::LoadUnzipLibrary(frontEnd);
  struct UnzipLibraryRelease {
    ~UnzipLibraryRelease() { extract::UnloadUnzipLibrary(); }
  } release;
  SetStartupValues();
  FillConfiguration();
  // A deployment to many machines knows none's AutoCAD folder: the registry knows each one's.
  if (!session.options.cadFolder && frontEnd.CadFolderAsked()) {
    frontEnd.SetCadFolder(install::UnattendedCadFolder(frontEnd));
  }
  LogChoices(session.log, frontEnd, session.options.noGroup ? Vars.LogNo : Vars.LogYes);
  frontEnd.State().diskNumber = 1;
  RunRecorded(frontEnd, session, true);
}

// Each user's part of an installation for every user, as Active Setup runs it at the logon.
int RunUserPartOfInstallation(Session& session) {
  SilentFrontEnd shown(session.options);
  LoggedFrontEnd frontEnd(shown, session.log);
  return install::RunUserPart(frontEnd) ? kExitSuccess : kExitFatalError;
}

// Tells the user, in a box unless the run is silent, and the log in either case.
void Report(const Session& session, InstallLog& log, const std::string& text) {
  log.Write(LogLevel::kMessage, text);
  if (session.options.silent) return;
  SetApplicationTitle();
  toolkit::ShowMessage(text);
}

// The log of a silent run that names none. An uninstallation has its own: opening a log empties
// it, and the installation's may be the one that says why an installation failed.
std::string DefaultLogPath(const Options& options) {
  return toolkit::Proc().TempFolder() + (options.uninstall  ? "\\Tolvek-uninstall.log"
                                         : options.userPart ? "\\Tolvek-user.log"
                                         : options.repair   ? "\\Tolvek-repair.log"
                                                            : "\\Tolvek-install.log");
}

// Opens the log the options ask for; false only when /LOG names a file that cannot be written.
bool OpenLog(Session& session) {
  const Options& options = session.options;
  if (options.logFile) return session.log.Open(*options.logFile);
  if (options.silent) session.log.Open(DefaultLogPath(options));
  return true;
}

int Finish(InstallLog& log, int code) {
  log.Write(LogLevel::kEvent, Vars.LogExitCode + " " + std::to_string(code));
  return code;
}

int RunToTheEnd(Session& session) {
  // The texts of the usage and the log are needed before any window exists.
  SetStartupValues();
  FillConfiguration();
  const std::string arguments = toolkit::Proc().Arguments();
  const ParsedOptions parsed = ParseOptions(arguments);
  session.options = parsed.options;
  InstallLog& log = session.log;
  auto started = [&] {
    const std::string& first = session.options.uninstall  ? Vars.LogUninstallStartedFrom
                               : session.options.userPart ? Vars.LogUserPartStarted
                               : session.options.repair   ? Vars.LogRepairStartedFrom
                                                          : Vars.LogStarted;
    log.Write(LogLevel::kEvent, first + " " + Vars.SourceDir);
    log.Write(LogLevel::kEvent,
              Vars.LogOptions + " " + (arguments.empty() ? Vars.LogNoOptions : arguments));
  };

  if (parsed.error || parsed.options.help) {
    OpenLog(session);
    started();
    if (parsed.error) {
      Report(session, log,
             Vars.MsgBadCommandLine + " " + *parsed.error + "\r\n\r\n" + Vars.UsageText);
      return Finish(log, kExitInvalidCommandLine);
    }
    Report(session, log, Vars.UsageText);
    return Finish(log, kExitSuccess);
  }

  // The uninstaller in the destination hands over to a copy of itself before anything else, and
  // before it opens the log: the copy writes it, and could not while this process held it open.
  if (parsed.options.uninstall) {
    if (const std::optional<int> code = RunTemporaryCopy(session, arguments)) return *code;
  }
  // At a logon where nothing lacks, nothing is written at all, not even the log.
  if (parsed.options.logon && !LogonRunWanted(parsed.options)) return kExitSuccess;

  toolkit::UniqueMutex mutex;
  toolkit::MutexId claimed = 0;
  const toolkit::fs::IoStatus claim(toolkit::Proc().ClaimMutex(kInstallerMutex, claimed));
  mutex.Reset(claimed);
  if (claim.IsAlreadyThere()) {
    // The running installation may be writing this very log: then it stays shut to us, and the
    // exit code alone says why this run did nothing.
    OpenLog(session);
    started();
    Report(session, log, Vars.MsgAnotherInstallation);
    return Finish(log, kExitAlreadyRunning);
  }
  // Any other failure leaves the machine without the mutex: installing unguarded beats never
  // installing at all.

  if (!OpenLog(session)) {
    Report(
        session, log,
        Vars.MsgBadCommandLine + " /LOG=" + *session.options.logFile + "\r\n\r\n" + Vars.UsageText);
    return kExitInvalidCommandLine;
  }
  started();
  if (session.options.uninstall) return Finish(log, RunUninstall(session));
  if (session.options.repair) return Finish(log, RunRepair(session));
  if (session.options.userPart) return Finish(log, RunUserPartOfInstallation(session));
  // The machine's folders and registry are the administrators'.
  if (session.options.allUsers && !toolkit::Proc().IsAdministrator()) {
    Report(session, log, Vars.MsgNeedsAdministrator);
    return Finish(log, kExitFatalError);
  }
  if (session.options.silent) {
    RunSilent(session);
  } else {
    RunInteractive();
  }
  return Finish(log, session.outcome.Code());
}

}  // namespace

int RunInstaller() {
  Session& session = TheSession();
  session = Session{};
  const int code = RunToTheEnd(session);
  session.log.Close();
  return code;
}

}  // namespace app
