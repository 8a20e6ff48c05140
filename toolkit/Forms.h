// Forms (top-level windows) and the application object: its title, the message loop, modal
// showing, and the handler of unhandled errors through which every user action runs.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "toolkit/Controls.h"

namespace toolkit {

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum TPosition { poDesigned, poScreenCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsStayOnTop };

// Modal results, equal to the platform's button identifiers.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrRetry = 4, mrYes = 6, mrNo = 7 };

class Form : public Control {
 public:
  explicit Form(std::string name);
  ~Form() override;
  ControlKind Kind() const override { return ControlKind::kForm; }

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }
  unsigned BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(unsigned icons) { borderIcons_ = icons; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState state);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style) { formStyle_ = style; }
  // The size of the client area; the outer size follows from the border style.
  void SetClientSize(int width, int height);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  // The size with the frame, for forms whose outer size is given; 0 when the client size is.
  void SetOuterSize(int width, int height);
  int OuterWidth() const { return outerWidth_; }
  int OuterHeight() const { return outerHeight_; }

  std::function<void()> OnCreate;
  std::function<void()> OnShow;
  std::function<void()> OnActivate;
  std::function<void()> OnDestroy;

  // Creates the backend's windows (hidden) and runs OnCreate. Called once by CreateForm.
  void Create();
  void Show();
  void Hide();
  // Shows the form modally and returns when it has been closed.
  int ShowModal();
  // A modal form is marked for closing (its modal loop ends when control returns to it); the
  // application's main form ends the program.
  void Close();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // Runs OnDestroy once. A derived form whose handler uses its own members calls it from its
  // destructor, while those members still exist; ~Form calls it for the others.
  void DoDestroy();

  // Called by the backends.
  void DoShow();
  void DoActivate();
  void DoResize(int clientWidth, int clientHeight);

 private:
  TBorderStyle borderStyle_ = bsSizeable;
  unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  int outerWidth_ = 0;
  int outerHeight_ = 0;
  bool created_ = false;
  bool destroyed_ = false;
  bool modal_ = false;
  int modalResult_ = mrNone;
};

class Application {
 public:
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);

  // Creates a form of type T, its windows, and runs its OnCreate. The first becomes the main form.
  template <typename T>
  T& CreateForm(std::unique_ptr<T>& slot) {
    slot = std::make_unique<T>();
    if (mainForm_ == nullptr) mainForm_ = slot.get();
    slot->Create();
    return *slot;
  }
  Form* MainForm() const { return mainForm_; }

  // Shows the main form and runs the message loop until the main form has closed.
  void Run();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // One pass over the message queue.
  void ProcessMessages();

  // Runs a user action: EAbort ends it silently, any other error is shown by HandleException and
  // the program keeps running.
  void Dispatch(const std::function<void()>& action);
  void HandleException(const std::exception& error);

  // Back to a fresh state, for the headless tests.
  void Reset();

 private:
  std::string title_;
  Form* mainForm_ = nullptr;
  bool terminated_ = false;
};

Application& App();

}  // namespace toolkit
