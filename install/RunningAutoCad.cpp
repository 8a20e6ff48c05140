#include "install/RunningAutoCad.h"

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/Errors.h"
#include "toolkit/Process.h"

namespace install {

void EnsureAutoCadClosed(config::FrontEnd& frontEnd) {
  const config::ConfigurationBlock& v = config::Vars;
  while (toolkit::Proc().IsProgramRunning(kAutoCadProgram)) {
    if (!frontEnd.Ask(config::Question::kCloseAutoCad, v.MsgCloseAutoCad)) {
      throw toolkit::EAbort(v.MsgAutoCadRunning);
    }
  }
}

}  // namespace install
