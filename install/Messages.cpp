#include "install/Messages.h"

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/Utf8.h"

namespace install {

std::string JoinLines(Lines lines) {
  std::string text;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) text += "\r\n";
    first = false;
    text += line;
  }
  return toolkit::Utf8FromCp1252(text);
}

void ShowManualEditMessage(config::FrontEnd& frontEnd, const ManualEditMessage& message) {
  using config::Notice;
  if (config::Vars.Language == 1) frontEnd.Tell(Notice::kPlain, JoinLines(message.italian));
  if (config::Vars.Language == 2) frontEnd.Tell(Notice::kPlain, JoinLines(message.english));
}

}  // namespace install
