#include "install/ProgramGroup.h"

#include <array>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/Dde.h"

namespace install {
namespace {

// Sends one command from a 256-byte buffer. A command too long for it is not sent cut short,
// which could create a wrong group or item: it counts as a command that failed.
bool Send(toolkit::DdeConversation& conversation, const std::string& command) {
  std::array<char, 256> buffer{};
  if (command.size() >= buffer.size()) return false;
  command.copy(buffer.data(), command.size());
  return conversation.ExecuteMacro(buffer.data());
}

// Sends the command and notes it with its result.
bool Execute(config::FrontEnd& frontEnd, toolkit::DdeConversation& conversation,
             const std::string& command) {
  const config::ConfigurationBlock& v = config::Vars;
  const bool sent = Send(conversation, command);
  frontEnd.Note((sent ? v.LogGroupCommandSent : v.LogGroupCommandFailed) + " " + command);
  return sent;
}

}  // namespace

std::string CreateGroupCommand(const std::string& groupName) {
  return "[CreateGroup(" + groupName + ")]";
}

std::string DeleteGroupCommand(const std::string& groupName) {
  return "[DeleteGroup(" + groupName + ")]";
}

std::string AddItemCommand(const std::string& destination, const std::string& itemFile,
                           const std::string& itemCaption, const std::string& iconFile) {
  return "[AddItem(" + destination + "\\" + itemFile + "," + itemCaption + "," + destination +
         "\\" + iconFile + ")]";
}

void CreateProgramGroup(config::FrontEnd& frontEnd, const std::string& groupName,
                        const std::string& itemFile, const std::string& itemCaption,
                        const std::string& iconFile, toolkit::ChangeRecorder& recorder) {
  using config::Notice;
  const config::ConfigurationBlock& v = config::Vars;
  if (!frontEnd.Ask(config::Question::kCreateGroup, v.MsgAskGroup)) return;
  toolkit::DdeConversation& conversation = frontEnd.ProgramManager();
  conversation.Open();
  if (!Execute(frontEnd, conversation, CreateGroupCommand(groupName))) {
    frontEnd.Tell(Notice::kInformation, v.MsgGroupFailed);
  } else {
    recorder.GroupCreated(groupName);
  }
  const std::string destination = frontEnd.Destination();
  if (!Execute(frontEnd, conversation,
               AddItemCommand(destination, itemFile, itemCaption, iconFile))) {
    frontEnd.Tell(Notice::kInformation, v.MsgItemFailed);
  }
  conversation.Close();
}

bool DeleteProgramGroup(config::FrontEnd& frontEnd, const std::string& groupName) {
  toolkit::DdeConversation& conversation = frontEnd.ProgramManager();
  conversation.Open();
  const bool sent = Execute(frontEnd, conversation, DeleteGroupCommand(groupName));
  conversation.Close();
  return sent;
}

}  // namespace install
