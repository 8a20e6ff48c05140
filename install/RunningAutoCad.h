// AutoCAD keeps its profile in memory and writes it back to the registry as it exits, and holds
// its files while it runs: a change made beside a running AutoCAD (a trusted path added or taken
// out, a menu file rewritten) may be put back by its exit, or may find a file held. So neither the
// installation nor the removal changes anything while an AutoCAD of this user runs.
#pragma once

#include "toolkit/Errors.h"

namespace config {
class FrontEnd;
}

namespace install {

// AutoCAD's programs, whatever the release: AutoCAD's and AutoCAD LT's, whose profiles the
// installation changes alike.
inline constexpr const char* kAutoCadProgram = "acad.exe";
inline constexpr const char* kAutoCadLtProgram = "acadlt.exe";

// Whether an AutoCAD or an AutoCAD LT runs in the user's session.
bool AutoCadRuns();

// The silent abort of a run that stopped, before any change, because an AutoCAD runs and was not
// closed: a deployment tool may try again later, where any other abort is a failure.
class EAutoCadRunning : public toolkit::EAbort {
 public:
  using toolkit::EAbort::EAbort;
};

// Returns once no AutoCAD runs in the user's session. While one does, asks the front end to close
// it (config::Question::kCloseAutoCad) and looks again; a "no" raises EAutoCadRunning, with the
// reason a log gives (config::Vars.MsgAutoCadRunning). Called before the first change, so an
// abort leaves everything as it was.
void EnsureAutoCadClosed(config::FrontEnd& frontEnd);

}  // namespace install
