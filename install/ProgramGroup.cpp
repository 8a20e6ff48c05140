#include "install/ProgramGroup.h"

#include <array>

#include "app/MainDlg.h"
#include "app/Vars.h"
#include "toolkit/Dde.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Forms.h"

namespace install {
namespace {

// Sends one command from a 256-byte buffer. A command too long for it is not sent cut short,
// which could create a wrong group or item: it counts as a command that failed.
bool Execute(toolkit::DdeConversation& conversation, const std::string& command) {
  std::array<char, 256> buffer{};
  if (command.size() >= buffer.size()) return false;
  command.copy(buffer.data(), command.size());
  return conversation.ExecuteMacro(buffer.data());
}

}  // namespace

std::string CreateGroupCommand(const std::string& groupName) {
  return "[CreateGroup(" + groupName + ")]";
}

std::string AddItemCommand(const std::string& destination, const std::string& itemFile,
                           const std::string& itemCaption, const std::string& iconFile) {
  return "[AddItem(" + destination + "\\" + itemFile + "," + itemCaption + "," + destination +
         "\\" + iconFile + ")]";
}

void CreateProgramGroup(const std::string& groupName, const std::string& itemFile,
                        const std::string& itemCaption, const std::string& iconFile) {
  const app::ConfigurationBlock& v = app::Vars;
  if (toolkit::MessageDlg(v.MsgAskGroup, toolkit::mbYes | toolkit::mbNo) != toolkit::mrYes) return;
  app::TMainDlg& dialog = *app::MainDlg;
  toolkit::DdeConversation& conversation = dialog.DdeClient();
  conversation.Open();
  if (!Execute(conversation, CreateGroupCommand(groupName))) {
    toolkit::MessageDlg(v.MsgGroupFailed, toolkit::mbOK);
  }
  const std::string destination = dialog.DestDir.Text();
  if (!Execute(conversation, AddItemCommand(destination, itemFile, itemCaption, iconFile))) {
    toolkit::MessageDlg(v.MsgItemFailed, toolkit::mbOK);
  }
  conversation.Close();
}

}  // namespace install
