// The main dialog as the install engine's front end: its status line and progress bar, the
// application's message queue, the toolkit's message boxes, and the choices shown in the dialog.
// /NOGROUP answers the group question before it is asked. What it shows is logged around it
// (LoggedFrontEnd).
#pragma once

#include "config/FrontEnd.h"

namespace app {

class TMainDlg;

class DialogFrontEnd : public config::FrontEnd {
 public:
  explicit DialogFrontEnd(TMainDlg& dialog) : dialog_(dialog) {}

  bool CadFolderAsked() const override;
  std::string CadFolder() const override;
  void SetCadFolder(const std::string& folder) override;
  std::string Destination() const override;
  bool Release14() const override;
  bool RestartNoticeWanted() const override;
  bool ForAllUsers() const override;

  void SetStatus(const std::string& text) override;
  void ShowStatus(const std::string& text) override;
  void ShowProgress(const config::ExtractionProgress& progress) override;
  config::RunState& State() override;
  void ProcessMessages() override;

  void Tell(config::Notice kind, const std::string& text) override;
  bool Ask(config::Question question, const std::string& text) override;

  toolkit::DdeConversation& ProgramManager() override;

 private:
  TMainDlg& dialog_;
};

}  // namespace app
