// The uninstaller's look for a running AutoCAD, after its question and before it removes
// anything: AutoCAD would write its profile back as it exits, with the trusted path the removal
// took out (install::EnsureAutoCadClosed). With a person at the machine the box asks to close it,
// with Retry and Cancel; with /S nobody can, and the log says why the run did nothing.
#pragma once

#include <optional>

namespace app {

struct Session;

// Nothing once no AutoCAD runs; otherwise the exit code of a removal that changed nothing: 1602
// when the user cancelled, 1618 (try again later) for a run with /S.
std::optional<int> CloseAutoCadBeforeRemoval(Session& session);

}  // namespace app
