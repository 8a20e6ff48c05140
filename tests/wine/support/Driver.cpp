#include "tests/wine/support/Driver.h"

namespace winetest {

std::string BuiltFile(const std::string& name) { return std::string(WINE_BUILD_DIR) + "\\" + name; }

InstallerProcess::InstallerProcess(const std::string& exe, const std::string& folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + exe + "\"";
  if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    process_.Reset(info.hProcess);
    thread_.Reset(info.hThread);
    id_ = info.dwProcessId;
  }
}

InstallerProcess::~InstallerProcess() {
  if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), 5000);
  }
}

bool InstallerProcess::WaitForExit(std::chrono::milliseconds timeout) {
  return process_ && WaitForSingleObject(process_.Get(), DWORD(timeout.count())) == WAIT_OBJECT_0;
}

std::optional<DWORD> InstallerProcess::ExitCode() const {
  DWORD code = 0;
  if (!process_ || !GetExitCodeProcess(process_.Get(), &code) || code == STILL_ACTIVE) {
    return std::nullopt;
  }
  return code;
}

namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Text(HWND window) {
  char buffer[1024] = {};
  // WM_GETTEXT reads the text of a window in another process too.
  SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

std::string ClassOf(HWND window) {
  char buffer[256] = {};
  GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

std::string ControlName(HWND window) {
  auto atom = ATOM(reinterpret_cast<ULONG_PTR>(GetPropA(window, "ControlName")));
  if (atom == 0) return {};
  char buffer[256] = {};
  GlobalGetAtomNameA(atom, buffer, sizeof buffer);
  return buffer;
}

std::vector<HWND> Descendants(HWND root) {
  std::vector<HWND> windows;
  EnumChildWindows(root, CollectChild, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindControl(HWND root, const std::string& name) {
  for (HWND window : Descendants(root)) {
    if (ControlName(window) == name) return window;
  }
  return nullptr;
}

bool Checked(HWND radio) { return SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Press(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageA(window, WM_MOUSEMOVE, 0, at);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(window, WM_LBUTTONUP, 0, at);
}

std::optional<MessageBoxView> WaitForMessageBox(DWORD processId,
                                                std::chrono::milliseconds timeout) {
  HWND box = WaitForWindow(
      processId, [](HWND window) { return ClassOf(window) == "#32770"; }, timeout);
  if (box == nullptr) return std::nullopt;
  MessageBoxView view;
  view.window = box;
  view.title = Text(box);
  for (HWND child : Descendants(box)) {
    std::string cls = ClassOf(child);
    if (cls == "Button") view.buttons.push_back(Text(child));
    // The message text is the static control with the box's text identifier.
    if (cls == "Static" && GetDlgCtrlID(child) == 0xFFFF) view.text = Text(child);
  }
  return view;
}

void Answer(const MessageBoxView& box, const std::string& button) {
  for (HWND child : Descendants(box.window)) {
    if (ClassOf(child) == "Button" && Text(child) == button) {
      PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                   reinterpret_cast<LPARAM>(child));
      return;
    }
  }
}

}  // namespace winetest
