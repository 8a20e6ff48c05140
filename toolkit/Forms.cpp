#include "toolkit/Forms.h"

#include "toolkit/Backend.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Errors.h"

namespace toolkit {

Form::Form(std::string name) : Control(nullptr, std::move(name)) {
  // A form is created hidden and shows when asked to.
  SetVisible(false);
}

Form::~Form() { DoDestroy(); }

void Form::DoDestroy() {
  if (!created_ || destroyed_) return;
  destroyed_ = true;
  if (OnDestroy) App().Dispatch(OnDestroy);
}

void Form::SetWindowState(TWindowState state) {
  windowState_ = state;
  Changed(Property::kAppearance);
}

void Form::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  SetBounds(Left(), Top(), width, height);
}

void Form::SetOuterSize(int width, int height) {
  outerWidth_ = width;
  outerHeight_ = height;
  // Without a frame of its own to measure, the client area is taken as the whole; a backend with
  // real frames corrects it when the window exists.
  SetClientSize(width, height);
}

void Form::Create() {
  TheBackend().CreatePeers(*this);
  created_ = true;
  if (OnCreate) App().Dispatch(OnCreate);
}

void Form::DoShow() {
  if (OnShow) App().Dispatch(OnShow);
}

void Form::DoActivate() {
  if (OnActivate) App().Dispatch(OnActivate);
}

void Form::DoResize(int clientWidth, int clientHeight) {
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  SetBounds(Left(), Top(), clientWidth, clientHeight);
}

void Form::Show() {
  SetVisible(true);
  TheBackend().ShowForm(*this);
}

void Form::Hide() {
  TheBackend().HideForm(*this);
  SetVisible(false);
}

int Form::ShowModal() {
  modal_ = true;
  modalResult_ = mrNone;
  SetVisible(true);
  TheBackend().RunModal(*this);
  SetVisible(false);
  modal_ = false;
  return modalResult_;
}

void Form::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
  } else if (App().MainForm() == this) {
    Hide();
    App().Terminate();
  } else {
    Hide();
  }
}

Application& App() {
  static Application application;
  return application;
}

void Application::SetTitle(const std::string& title) {
  title_ = title;
  TheBackend().SetApplicationTitle(title);
}

void Application::Run() {
  if (mainForm_ == nullptr) return;
  mainForm_->Show();
  TheBackend().RunMainLoop();
}

void Application::ProcessMessages() { TheBackend().ProcessMessages(); }

void Application::Dispatch(const std::function<void()>& action) {
  try {
    action();
  } catch (const EAbort&) {
    // The user abandoned: nothing to say.
  } catch (const std::exception& error) {
    HandleException(error);
  }
}

void Application::HandleException(const std::exception& error) { ShowErrorBox(error.what()); }

void Application::Reset() {
  title_.clear();
  mainForm_ = nullptr;
  terminated_ = false;
}

void ShowMessage(const std::string& text) {
  TheBackend().MessageBox(BoxKind::kPlain, text, App().Title(), mbOK);
}

int MessageDlg(const std::string& text, unsigned buttons) {
  return TheBackend().MessageBox(BoxKind::kInformation, text, "Information", buttons);
}

void ShowErrorBox(const std::string& text) {
  TheBackend().MessageBox(BoxKind::kError, text, App().Title(), mbOK);
}

bool SelectDirectory(const std::string& start, std::string& chosen) {
  return TheBackend().BrowseForFolder(start, chosen);
}

}  // namespace toolkit
