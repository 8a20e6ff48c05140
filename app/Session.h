// One run of the installer as the program that started it sees it: the options of its command
// line, the log it writes, and the outcome that becomes its exit code. The codes are the Windows
// Installer's, which the deployment tools (Intune, Configuration Manager, PDQ Deploy, Ansible)
// read to tell success, a needed restart, a retry later and a failure apart.
#pragma once

#include <string>

#include "app/InstallLog.h"
#include "app/Options.h"
#include "config/RunState.h"

namespace config {
class FrontEnd;
}

namespace app {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitRestartRequired = 3010,  // the NT family: the restart notice was shown
  kExitUserExit = 1602,         // abandoned, or left before an installation completed
  kExitFatalError = 1603,       // an error, a missing package or AutoCAD folder
  // Try again later: another installation holds the machine's mutex, or, in a run with /S, an
  // AutoCAD runs (nothing was changed). Intune and Configuration Manager retry on it by default.
  kExitAlreadyRunning = 1618,
  kExitInvalidCommandLine = 1639  // an unknown option or a wrong value
};

// The outcome of the installations of a run, the last one deciding; an installation abandoned
// by the user or stopped before it touched anything does not undo one completed earlier in the
// same run, whose files are in place.
class Outcome {
 public:
  void Completed(bool restartRequired);
  void Abandoned();
  void StoppedBeforeStart();
  void Failed() { code_ = kExitFatalError; }
  void RetryLater() { code_ = kExitAlreadyRunning; }
  ExitCode Code() const { return code_; }

 private:
  ExitCode code_ = kExitUserExit;
  bool completed_ = false;
};

struct Session {
  Options options;
  InstallLog log;
  Outcome outcome;
  // The dialog's run: the readme at exit and the install button read it too.
  config::RunState state;
};

// The run of this process.
Session& TheSession();

// The machine-wide mutex held for the whole run, interactive or not: two installers rewriting
// the same AutoCAD files at once could lose a user's lines.
inline constexpr const char* kInstallerMutex = "TolvekInstaller";

// Logs the choices the installation is about to run with: the AutoCAD folder, the generation,
// the Windows family and, as `group` says, whether the Program Manager group is made.
void LogChoices(InstallLog& log, const config::FrontEnd& frontEnd, const std::string& group);

// Runs the install sequence and records its outcome. An interactive run lets the error go on to
// the application's handler, which shows it (or nothing, for an abandon); a silent run logs it.
// In a silent run nobody can abandon: an abort there means that a disk was asked for, that is, a
// package is missing, which is an error, or that AutoCAD runs, which is a reason to try again
// later (1618); the log has the abort's reason.
void RunRecorded(config::FrontEnd& frontEnd, Session& session, bool silent);

}  // namespace app
