// INSTALL.EXE run as UNINSTAL.EXE /UNINSTALL, from the product's entry in Add or Remove Programs.
// A program cannot delete itself or the folder it runs from, so the copy in the destination only
// copies itself to the temporary folder, runs that copy (with /FROM= naming the destination) and
// passes on its exit code; the copy asks once, removes the product and reports.
#pragma once

#include <optional>
#include <string>

namespace app {

struct Session;

// The first step: the exit code of the temporary copy, or nothing when this run is to remove the
// product itself (it is the copy already, or no copy could be made or started).
std::optional<int> RunTemporaryCopy(const Session& session, const std::string& arguments);

// The removal: the question (none with /S), the journal replayed, the closing box or the log.
// Returns 0, 1602 when the user said No, 1603 on a failure.
int RunUninstall(Session& session);

}  // namespace app
