// Everything an installation needs, looked at before it changes anything: the unzip library,
// AutoCAD's profile for this user (2004 and later), the destination's path, the packages of the
// installer's own folder and the room their files add (a file a re-install replaces adds only by
// how much it grows). A run that would fail half-way for one of these reasons fails here
// instead, with a message that says what to do, and nothing changed.
#pragma once

#include <optional>
#include <string>

namespace config {
class FrontEnd;
}

namespace install {

// The message that tells what is missing, or nothing when the installation can start.
std::optional<std::string> FindWhatIsMissing(config::FrontEnd& frontEnd);

}  // namespace install
