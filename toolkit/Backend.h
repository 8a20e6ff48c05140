// What a backend provides to the portable toolkit: windows for forms and controls, the message
// loop, message boxes and the folder dialog. toolkit/win32/ implements it with real windows;
// toolkit/headless/ with none, driven by the test's scripted user actions.
#pragma once

#include <string>

#include "toolkit/Dialogs.h"
#include "toolkit/Forms.h"

namespace toolkit {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual void SetApplicationTitle(const std::string& title) = 0;
  // Creates peers for the form and every windowed control in it, all hidden.
  virtual void CreatePeers(Form& form) = 0;
  virtual void ShowForm(Form& form) = 0;
  virtual void HideForm(Form& form) = 0;
  // Shows the form modally; returns once form.ModalResult() is set and the form is hidden.
  virtual void RunModal(Form& form) = 0;
  // Runs until the application is terminated.
  virtual void RunMainLoop() = 0;
  virtual void ProcessMessages() = 0;
  // Returns the TModalResult of the button pressed.
  virtual int MessageBox(BoxKind kind, const std::string& text, const std::string& title,
                         unsigned buttons) = 0;
  virtual bool BrowseForFolder(const std::string& start, std::string& chosen) = 0;
  virtual Rect ScreenRect() = 0;
};

// The backend this program is linked with.
Backend& TheBackend();

}  // namespace toolkit
