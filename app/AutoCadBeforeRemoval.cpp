#include "app/AutoCadBeforeRemoval.h"

#include "app/LoggedFrontEnd.h"
#include "app/Questions.h"
#include "app/Session.h"
#include "app/SilentFrontEnd.h"
#include "config/Vars.h"
#include "install/RunningAutoCad.h"
#include "toolkit/Errors.h"

namespace app {
namespace {

// The uninstaller's front end for the engine: nothing shown, as in a run with /S, but with a
// person at the machine its questions go into boxes, as the uninstaller's own question does.
class RemovalFrontEnd : public SilentFrontEnd {
 public:
  explicit RemovalFrontEnd(const Options& options)
      : SilentFrontEnd(options), silent_(options.silent) {}

  bool Ask(config::Question question, const std::string& text) override {
    return silent_ ? SilentFrontEnd::Ask(question, text) : AskInABox(question, text);
  }

 private:
  bool silent_;
};

}  // namespace

std::optional<int> CloseAutoCadBeforeRemoval(Session& session) {
  RemovalFrontEnd shown(session.options);
  LoggedFrontEnd frontEnd(shown, session.log);
  try {
    install::EnsureAutoCadClosed(frontEnd);
    return std::nullopt;
  } catch (const toolkit::EAbort& abort) {
    if (!session.options.silent) return kExitUserExit;
    session.log.Write(LogLevel::kError, abort.Reason());
    return kExitAlreadyRunning;
  }
}

}  // namespace app
