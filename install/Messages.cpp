#include "install/Messages.h"

#include "app/Vars.h"
#include "toolkit/Dialogs.h"

namespace install {

std::string JoinLines(const Lines& lines) {
  std::string text;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) text += "\r\n";
    first = false;
    text += line;
  }
  return text;
}

void ShowManualEditMessage(const ManualEditMessage& message) {
  if (app::Vars.Language == 1) toolkit::ShowMessage(JoinLines(message.italian));
  if (app::Vars.Language == 2) toolkit::ShowMessage(JoinLines(message.english));
}

}  // namespace install
