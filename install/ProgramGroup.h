// The Program Manager group: after asking, a group with one program item that starts the
// installed product is created over DDE. Each command that cannot be sent is reported on its own;
// the installation goes on in any case.
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"

namespace config {
class FrontEnd;
}

namespace install {

// `recorder` learns of the group once its creation was sent, for the uninstaller.
void CreateProgramGroup(config::FrontEnd& frontEnd, const std::string& groupName,
                        const std::string& itemFile, const std::string& itemCaption,
                        const std::string& iconFile, toolkit::ChangeRecorder& recorder);

// Removes the group with its items; false when the command could not be sent.
bool DeleteProgramGroup(config::FrontEnd& frontEnd, const std::string& groupName);

// The Program Manager commands, built from their pieces as they are, with no quoting.
std::string CreateGroupCommand(const std::string& groupName);
std::string DeleteGroupCommand(const std::string& groupName);
std::string AddItemCommand(const std::string& destination, const std::string& itemFile,
                           const std::string& itemCaption, const std::string& iconFile);

}  // namespace install
