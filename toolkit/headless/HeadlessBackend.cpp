// The headless backend: no operating-system call at all. Forms and controls get recording peers;
// modal loops run the test's queued user actions; message boxes take the test's scripted answers.
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <utility>

#include "toolkit/Backend.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/Headless.h"
#include "toolkit/headless/HeadlessLibraries.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryFileSystem.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace toolkit::headless {
namespace {

// No test shows this many boxes; a test that does is looping on an unexpected one.
constexpr std::size_t kMostBoxes = 10000;

struct ExpectedBox {
  BoxKind kind;
  std::string text;
  int answer;
  std::function<void()> during;
};

struct State {
  std::deque<ExpectedBox> expectedBoxes;
  std::vector<ShownBox> shownBoxes;
  std::deque<std::optional<std::string>> folderAnswers;
  std::vector<std::string> folderStarts;
  std::deque<std::function<void()>> userActions;
  std::deque<std::function<void()>> duringProcessing;
  std::vector<std::string> failures;
  std::map<const Control*, int> updates;
  std::map<const Control*, int> invalidates;
  const Control* focused = nullptr;
  int processMessages = 0;
};

State& S() {
  static State state;
  return state;
}

const char* KindName(BoxKind kind) {
  switch (kind) {
    case BoxKind::kPlain:
      return "plain";
    case BoxKind::kInformation:
      return "information";
    case BoxKind::kError:
      return "error";
  }
  return "?";
}

class RecordingPeer : public ControlPeer {
 public:
  explicit RecordingPeer(const Control& control) : control_(control) {}
  void Changed(Property) override {}
  void Invalidate(const Rect*) override { ++S().invalidates[&control_]; }
  void Update() override { ++S().updates[&control_]; }
  void SetFocus() override { S().focused = &control_; }

 private:
  const Control& control_;
};

void AttachPeers(Control& control) {
  if (control.IsWindowed() && control.Peer() == nullptr) {
    control.AttachPeer(std::make_unique<RecordingPeer>(control));
  }
  for (Control* child : control.Children()) AttachPeers(*child);
}

class HeadlessBackend : public Backend {
 public:
  void SetApplicationTitle(const std::string&) override {}
  void CreatePeers(Form& form) override { AttachPeers(form); }

  void ShowForm(Form& form) override {
    AttachPeers(form);
    form.DoShow();
    form.DoActivate();
  }

  void HideForm(Form&) override {}

  void RunModal(Form& form) override {
    ShowForm(form);
    while (form.ModalResult() == mrNone) {
      if (!RunOneUserAction("modal form " + form.Name())) form.SetModalResult(mrCancel);
    }
  }

  void RunMainLoop() override {
    while (!App().Terminated()) {
      if (!RunOneUserAction("the main loop")) App().Terminate();
    }
  }

  void ProcessMessages() override {
    ++S().processMessages;
    auto pending = std::move(S().duringProcessing);
    S().duringProcessing.clear();
    for (auto& action : pending) action();
  }

  int MessageBox(BoxKind kind, const std::string& text, const std::string& title,
                 unsigned buttons) override {
    State& s = S();
    // An unexpected box is answered so that the action ends rather than loops: Cancel where
    // there is one (a disk prompt), then Yes (confirming to abandon), then OK.
    int answer = (buttons & mbCancel) != 0 ? mrCancel
                 : (buttons & mbYes) != 0  ? mrYes
                 : (buttons & mbOK) != 0   ? mrOk
                                           : mrNo;
    if (s.shownBoxes.size() > kMostBoxes) {
      std::fprintf(stderr, "headless: more than %zu message boxes; the test is looping\n",
                   kMostBoxes);
      std::abort();
    }
    std::function<void()> during;
    if (s.expectedBoxes.empty()) {
      s.failures.push_back(std::string("unexpected ") + KindName(kind) + " box: \"" + text + "\"");
    } else {
      ExpectedBox expected = std::move(s.expectedBoxes.front());
      s.expectedBoxes.pop_front();
      if (expected.kind != kind || expected.text != text) {
        s.failures.push_back(std::string("expected ") + KindName(expected.kind) + " box \"" +
                             expected.text + "\" but got " + KindName(kind) + " box \"" + text +
                             "\"");
      }
      answer = expected.answer;
      during = std::move(expected.during);
    }
    s.shownBoxes.push_back(ShownBox{kind, title, text, buttons, answer});
    if (during) during();
    return answer;
  }

  bool BrowseForFolder(const std::string& start, std::string& chosen) override {
    State& s = S();
    s.folderStarts.push_back(start);
    if (s.folderAnswers.empty()) {
      s.failures.push_back("unexpected folder dialog starting at " + start);
      return false;
    }
    auto answer = std::move(s.folderAnswers.front());
    s.folderAnswers.pop_front();
    if (!answer) return false;
    chosen = *answer;
    return true;
  }

  Rect ScreenRect() override { return Rect{0, 0, 1280, 1024}; }

 private:
  static bool RunOneUserAction(const std::string& who) {
    State& s = S();
    if (s.userActions.empty()) {
      s.failures.push_back(who + " waited for the user and no user action was queued");
      return false;
    }
    auto action = std::move(s.userActions.front());
    s.userActions.pop_front();
    action();
    return true;
  }
};

}  // namespace

void ExpectBox(BoxKind kind, const std::string& text, int answer) {
  S().expectedBoxes.push_back(ExpectedBox{kind, text, answer, nullptr});
}

void ExpectBoxThen(BoxKind kind, const std::string& text, int answer,
                   std::function<void()> during) {
  S().expectedBoxes.push_back(ExpectedBox{kind, text, answer, std::move(during)});
}

const std::vector<ShownBox>& ShownBoxes() { return S().shownBoxes; }
std::size_t PendingBoxes() { return S().expectedBoxes.size(); }

void ExpectFolderDialog(std::optional<std::string> answer) {
  S().folderAnswers.push_back(std::move(answer));
}

const std::vector<std::string>& FolderDialogStarts() { return S().folderStarts; }

void QueueUserAction(std::function<void()> action) { S().userActions.push_back(std::move(action)); }

void QueueDuringProcessing(std::function<void()> action) {
  S().duringProcessing.push_back(std::move(action));
}

int ProcessMessagesCount() { return S().processMessages; }

int UpdateCount(const Control& control) {
  auto it = S().updates.find(&control);
  return it == S().updates.end() ? 0 : it->second;
}

int InvalidateCount(const Control& control) {
  auto it = S().invalidates.find(&control);
  return it == S().invalidates.end() ? 0 : it->second;
}

const Control* FocusedControl() { return S().focused; }

std::vector<std::string> TakeFailures() {
  State& s = S();
  for (const auto& box : s.expectedBoxes) {
    s.failures.push_back("expected box never shown: \"" + box.text + "\"");
  }
  s.expectedBoxes.clear();
  if (!s.folderAnswers.empty()) s.failures.push_back("expected folder dialog never shown");
  s.folderAnswers.clear();
  return std::exchange(s.failures, {});
}

void Reset() {
  S() = State{};
  App().Reset();
  MemFs().Reset();
  MemReg().Reset();
  FakeLibraries().Reset();
  HeadlessProc().Reset();
  ProgramManager() = FakeProgramManager{};
}

}  // namespace toolkit::headless

namespace toolkit {
Backend& TheBackend() {
  static headless::HeadlessBackend backend;
  return backend;
}
}  // namespace toolkit
