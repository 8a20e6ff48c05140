// The one place that decides what of the engine's talk with the user goes to the log: every
// message it shows, every question with the answer given, every event only a log records. It sits
// between the engine and the front end that shows (the dialog, the silent run, the uninstaller's),
// so none of those writes the log itself and each run's log reads the same whatever showed it.
#pragma once

#include "app/InstallLog.h"
#include "config/FrontEnd.h"

namespace app {

class LoggedFrontEnd : public config::FrontEnd {
 public:
  LoggedFrontEnd(config::FrontEnd& shown, InstallLog& log) : shown_(shown), log_(log) {}

  bool CadFolderAsked() const override { return shown_.CadFolderAsked(); }
  std::string CadFolder() const override { return shown_.CadFolder(); }
  void SetCadFolder(const std::string& folder) override { shown_.SetCadFolder(folder); }
  std::string Destination() const override { return shown_.Destination(); }
  bool Release14() const override { return shown_.Release14(); }
  bool RestartNoticeWanted() const override { return shown_.RestartNoticeWanted(); }
  bool ForAllUsers() const override { return shown_.ForAllUsers(); }

  void SetStatus(const std::string& text) override { shown_.SetStatus(text); }
  void ShowStatus(const std::string& text) override { shown_.ShowStatus(text); }
  void ShowProgress(const config::ExtractionProgress& progress) override {
    shown_.ShowProgress(progress);
  }
  void ProcessMessages() override { shown_.ProcessMessages(); }

  void Tell(config::Notice kind, const std::string& text) override {
    log_.Write(LogLevel::kMessage, text);
    shown_.Tell(kind, text);
  }
  bool Ask(config::Question question, const std::string& text) override {
    const bool yes = shown_.Ask(question, text);
    log_.Answer(text, yes);
    return yes;
  }
  void Note(const std::string& event) override { log_.Write(LogLevel::kEvent, event); }

  toolkit::DdeConversation& ProgramManager() override { return shown_.ProgramManager(); }
  config::RunState& State() override { return shown_.State(); }

 private:
  config::FrontEnd& shown_;
  InstallLog& log_;
};

}  // namespace app
