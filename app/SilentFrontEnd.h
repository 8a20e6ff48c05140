// The install engine's front end for a run without a person: no window at all, the choices taken
// from the command line (or the dialog's defaults), every question answered as the options say,
// and nothing shown. Wrapped in a LoggedFrontEnd, every message, question and event goes to the
// log instead.
#pragma once

#include <memory>
#include <optional>

#include "app/Options.h"
#include "config/FrontEnd.h"
#include "toolkit/Dde.h"

namespace app {

class SilentFrontEnd : public config::FrontEnd {
 public:
  explicit SilentFrontEnd(const Options& options);

  bool CadFolderAsked() const override;
  std::string CadFolder() const override;
  void SetCadFolder(const std::string& folder) override { cadFolder_ = folder; }
  std::string Destination() const override;
  bool Release14() const override { return options_.release14; }
  bool ForAllUsers() const override { return options_.allUsers; }
  bool RestartNoticeWanted() const override;

  // Nobody reads a status line: the log has the events that matter.
  void SetStatus(const std::string&) override {}
  void ShowStatus(const std::string&) override {}
  // Nobody watches a bar.
  void ShowProgress(const config::ExtractionProgress&) override {}
  void ProcessMessages() override {}

  void Tell(config::Notice, const std::string&) override {}
  bool Ask(config::Question question, const std::string& text) override;

  toolkit::DdeConversation& ProgramManager() override;
  config::RunState& State() override { return state_; }

 private:
  const Options& options_;
  std::optional<std::string> cadFolder_;
  std::unique_ptr<toolkit::DdeConversation> programManager_;
  config::RunState state_;
};

}  // namespace app
