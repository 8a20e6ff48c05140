// AutoCAD keeps its profile in memory and writes it back to the registry as it exits, and holds
// its files while it runs: a change made beside a running AutoCAD (a trusted path added or taken
// out, a menu file rewritten) may be put back by its exit, or may find a file held. So neither the
// installation nor the removal changes anything while an AutoCAD of this user runs.
#pragma once

namespace config {
class FrontEnd;
}

namespace install {

// AutoCAD's program, whatever the release.
inline constexpr const char* kAutoCadProgram = "acad.exe";

// Returns once no AutoCAD runs in the user's session. While one does, asks the front end to close
// it (config::Question::kCloseAutoCad) and looks again; a "no" raises the silent abort, with the
// reason a log gives (config::Vars.MsgAutoCadRunning). Called before the first change, so an
// abort leaves everything as it was.
void EnsureAutoCadClosed(config::FrontEnd& frontEnd);

}  // namespace install
