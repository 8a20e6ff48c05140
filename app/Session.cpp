#include "app/Session.h"

#include <exception>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/RunningAutoCad.h"
#include "install/Sequence.h"
#include "toolkit/Errors.h"

namespace app {

void Outcome::Completed(bool restartRequired) {
  code_ = restartRequired ? kExitRestartRequired : kExitSuccess;
  completed_ = true;
}

void Outcome::Abandoned() {
  if (!completed_) code_ = kExitUserExit;
}

void Outcome::StoppedBeforeStart() {
  if (!completed_) code_ = kExitFatalError;
}

Session& TheSession() {
  static Session session;
  return session;
}

void LogChoices(InstallLog& log, const config::FrontEnd& frontEnd, const std::string& group) {
  const config::ConfigurationBlock& v = config::Vars;
  log.Write(LogLevel::kEvent, v.LogCadFolder + " " + frontEnd.CadFolder());
  log.Write(LogLevel::kEvent,
            v.LogCadRelease + " " + (frontEnd.Release14() ? v.CaptionPer14 : v.CaptionPer2000));
  log.Write(LogLevel::kEvent,
            v.LogWindowsFamily + " " +
                (frontEnd.RestartNoticeWanted() ? v.CaptionPerNT : v.CaptionPer95));
  log.Write(LogLevel::kEvent, v.LogGroupChoice + " " + group);
}

void RunRecorded(config::FrontEnd& frontEnd, Session& session, bool silent) {
  try {
    if (install::RunInstall(frontEnd)) {
      session.outcome.Completed(frontEnd.RestartNoticeWanted());
    } else {
      session.outcome.StoppedBeforeStart();
    }
  } catch (const install::EAutoCadRunning& running) {
    if (!silent) {
      session.outcome.Abandoned();
      throw;
    }
    session.log.Write(LogLevel::kError, running.Reason());
    session.outcome.RetryLater();
  } catch (const toolkit::EAbort& abort) {
    if (!silent) {
      session.outcome.Abandoned();
      throw;
    }
    // The abort of a disk prompt has no reason to add: the log holds the question already.
    if (!abort.Reason().empty()) session.log.Write(LogLevel::kError, abort.Reason());
    session.outcome.Failed();
  } catch (const std::exception& error) {
    session.log.Write(LogLevel::kError, error.what());
    session.outcome.Failed();
    if (!silent) throw;
  }
}

}  // namespace app
