#include "install/RunningAutoCad.h"

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/Errors.h"
#include "toolkit/Process.h"

namespace install {

bool AutoCadRuns() {
  return toolkit::Proc().IsProgramRunning(kAutoCadProgram) ||
         toolkit::Proc().IsProgramRunning(kAutoCadLtProgram);
}

void EnsureAutoCadClosed(config::FrontEnd& frontEnd) {
  const config::ConfigurationBlock& v = config::Vars;
  while (AutoCadRuns()) {
    if (!frontEnd.Ask(config::Question::kCloseAutoCad, v.MsgCloseAutoCad)) {
      throw EAutoCadRunning(v.MsgAutoCadRunning);
    }
  }
}

}  // namespace install
