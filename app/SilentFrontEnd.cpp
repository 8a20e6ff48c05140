#include "app/SilentFrontEnd.h"

#include "config/Vars.h"

namespace app {

using config::Question;

SilentFrontEnd::SilentFrontEnd(const Options& options)
    : options_(options), cadFolder_(options.cadFolder) {}

// As the dialog: product codes 11 and 30 hide the AutoCAD folder, so it is not checked.
bool SilentFrontEnd::CadFolderAsked() const {
  return config::Vars.ProductCode != 11 && config::Vars.ProductCode != 30;
}

std::string SilentFrontEnd::CadFolder() const {
  return cadFolder_.value_or(config::Vars.DefaultCadFolder);
}

std::string SilentFrontEnd::Destination() const { return config::Vars.DestFolder; }

// As the dialog, where the Windows NT family is chosen unless the user picks 98/ME.
bool SilentFrontEnd::RestartNoticeWanted() const {
  return config::Vars.ShowPerNT && !options_.win9x;
}

bool SilentFrontEnd::Ask(Question question, const std::string&) {
  bool yes = false;
  switch (question) {
    case Question::kInsertDisk:
      // No disk will come: every package must be in the installer's folder. Cancel, then Yes,
      // abandons, and the silent run takes that for the error it is.
      yes = false;
      break;
    case Question::kConfirmAbandon:
      yes = true;
      break;
    case Question::kCreateGroup:
      yes = !options_.noGroup;
      break;
    case Question::kCloseAutoCad:
      // Nobody is there to close it: the run changes nothing and fails, saying why.
      yes = false;
      break;
  }
  return yes;
}

toolkit::DdeConversation& SilentFrontEnd::ProgramManager() {
  if (!programManager_) programManager_ = toolkit::CreateDdeConversation("ProgMan", "");
  return *programManager_;
}

}  // namespace app
