#include "app/AutoCadBeforeRemoval.h"

#include "app/Questions.h"
#include "app/Session.h"
#include "app/SilentFrontEnd.h"
#include "config/Vars.h"
#include "install/RunningAutoCad.h"
#include "toolkit/Errors.h"

namespace app {
namespace {

// The uninstaller's front end for the engine: its events go to the log as in a run with /S and,
// with a person at the machine, its questions into boxes, as the uninstaller's own question does.
class RemovalFrontEnd : public SilentFrontEnd {
 public:
  RemovalFrontEnd(const Options& options, InstallLog& log)
      : SilentFrontEnd(options, log), silent_(options.silent), log_(log) {}

  bool Ask(config::Question question, const std::string& text) override {
    if (silent_) return SilentFrontEnd::Ask(question, text);
    const bool yes = AskInABox(question, text);
    LogAnswer(log_, text, yes);
    return yes;
  }

 private:
  bool silent_;
  InstallLog& log_;
};

}  // namespace

std::optional<int> CloseAutoCadBeforeRemoval(Session& session) {
  RemovalFrontEnd frontEnd(session.options, session.log);
  try {
    install::EnsureAutoCadClosed(frontEnd);
    return std::nullopt;
  } catch (const toolkit::EAbort& abort) {
    if (!session.options.silent) return kExitUserExit;
    session.log.Write(config::Vars.LogError + " " + abort.Reason());
    return kExitAlreadyRunning;
  }
}

}  // namespace app
