// The Win32 backend: an application window that carries the task-bar entry, real windows for the
// forms and their controls, the message loop with modal showing, message boxes and the folder
// dialog.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "toolkit/Backend.h"
#include "toolkit/ShortSort.h"
#include "toolkit/win32/Handles.h"
#include "toolkit/win32/Peers.h"
#include "toolkit/win32/SystemText.h"
#include "toolkit/win32/TickClock.h"

namespace toolkit::win32 {
namespace {

constexpr const char* kApplicationClass = "TApplication";

LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    // Closing the task-bar entry closes the main form, which ends the program.
    if (Form* main = App().MainForm()) App().Dispatch([main] { main->Close(); });
    return 0;
  }
  return DefaultProc(window, message, wParam, lParam);
}

void CreatePeersBelow(Control& parent, HWND parentWindow) {
  std::vector<Control*> ordered;
  for (Control* child : parent.Children()) {
    if (child->IsWindowed()) ordered.push_back(child);
  }
  for (Control* child : ordered) {
    auto peer = CreatePeer(*child, parentWindow, nullptr);
    HWND window = peer->Window();
    // Later controls lie above earlier ones, as they are drawn in that order.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    child->AttachPeer(std::move(peer));
    CreatePeersBelow(*child, window);
  }
  // The keyboard visits controls in their tab order, which is the order of the windows.
  std::vector<Control*> tabbed;
  for (Control* child : ordered) {
    if (child->TabOrder() >= 0) tabbed.push_back(child);
  }
  ShortStableSort(tabbed.begin(), tabbed.end(),
                  [](Control* a, Control* b) { return a->TabOrder() < b->TabOrder(); });
  HWND after = HWND_TOP;
  for (Control* child : tabbed) {
    HWND window = WindowOf(*child);
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = window;
  }
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM data) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(data);
  if (IsWindowVisible(window) && IsWindowEnabled(window)) list->push_back(window);
  return TRUE;
}

// The folder dialog starts at the folder whose name `data` points to, in the dialog's form.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    SendText(window, IsNt() ? BFFM_SETSELECTIONW : BFFM_SETSELECTIONA, TRUE, data);
  }
  return 0;
}

// The folder dialog, in the wide form on the NT family (looked up: Windows 95's shell has none).
bool BrowseWide(const std::string& start, std::string& chosen) {
  using Browse = PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOW*);
  using PathOf = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
  const auto browse = SystemFunction<Browse>("shell32.dll", "SHBrowseForFolderW");
  const auto pathOf = SystemFunction<PathOf>("shell32.dll", "SHGetPathFromIDListW");
  if (browse == nullptr || pathOf == nullptr) return false;
  wchar_t display[MAX_PATH] = {};
  const std::wstring startWide = Wide(start);
  BROWSEINFOW info{};
  info.hwndOwner = GetActiveWindow();
  info.pszDisplayName = display;
  info.lpszTitle = L"Select Directory";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(startWide.c_str());
  PIDLIST_ABSOLUTE list = browse(&info);
  if (list == nullptr) return false;
  wchar_t path[MAX_PATH] = {};
  const bool confirmed = pathOf(list, path) != FALSE;
  if (confirmed) chosen = FromWide(path);
  CoTaskMemFree(list);
  return confirmed;
}

class Win32Backend : public Backend {
 public:
  Win32Backend() {
    instance_ = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    RegisterWindowClasses(instance_);
    RegisterWindowClass(instance_, kApplicationClass, ApplicationProc, 0);
  }

  void SetApplicationTitle(const std::string& title) override {
    if (!application_) {
      // A visible window of no size: it is the one task-bar entry, and the forms it owns have none.
      application_.Reset(CreateWindowUtf8(
          0, kApplicationClass, title, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
          GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
          instance_));
      ShowWindow(application_.Get(), SW_SHOWNA);
    }
    SetWindowTextUtf8(application_.Get(), title);
  }

  void CreatePeers(Form& form) override {
    auto peer = CreatePeer(form, nullptr, application_.Get());
    HWND window = peer->Window();
    form.AttachPeer(std::move(peer));
    RECT client;
    GetClientRect(window, &client);
    form.DoResize(client.right, client.bottom);
    CreatePeersBelow(form, window);
  }

  void ShowForm(Form& form) override {
    form.DoShow();
    HWND window = WindowOf(form);
    ShowWindow(window, form.WindowState() == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(window);
  }

  void HideForm(Form& form) override { ShowWindow(WindowOf(form), SW_HIDE); }

  void RunModal(Form& form) override {
    HWND window = WindowOf(form);
    std::vector<HWND> disabled = DisableOtherWindows(window);
    ShowForm(form);
    SetActiveWindow(window);
    while (form.ModalResult() == mrNone) {
      MSG msg;
      BOOL got = NextMessage(msg);
      if (got <= 0) {
        PostQuitMessage(int(msg.wParam));
        App().Terminate();
        form.SetModalResult(mrCancel);
        break;
      }
      Dispatch(msg, window);
    }
    for (HWND other : disabled) EnableWindow(other, TRUE);
    ShowWindow(window, SW_HIDE);
  }

  void RunMainLoop() override {
    MSG msg;
    while (!App().Terminated() && NextMessage(msg) > 0) Dispatch(msg, nullptr);
  }

  // Every look at the queue is a round trip to the Wine server that also pushes what was drawn
  // since to the screen, some 0.35 ms, and an extraction asks for one twice for each file it
  // writes, some thousands of times a second. A queue found empty less than kQueueRecheck ago is
  // taken as still empty: input and paints wait at most that long, which nobody can tell from at
  // once (40 ms, well under the tenth of a second at which a reply stops feeling immediate; the
  // status line changes only ten times a second anyway), and the server and the display are left
  // to the threads that write the files.
  void ProcessMessages() override {
    if (Clock::now() - foundEmpty_ < kQueueRecheck) return;
    MSG msg;
    while (IsNt() ? PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)
                  : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));
        return;
      }
      Dispatch(msg, GetActiveWindow());
    }
    foundEmpty_ = Clock::now();
  }

  int MessageBox(BoxKind kind, const std::string& text, const std::string& title,
                 unsigned buttons) override {
    UINT flags = MB_OK;
    if ((buttons & mbYes) && (buttons & mbNo))
      flags = (buttons & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if ((buttons & mbOK) && (buttons & mbCancel))
      flags = MB_OKCANCEL;
    else if ((buttons & mbRetry) && (buttons & mbCancel))
      flags = MB_RETRYCANCEL;
    if (kind == BoxKind::kInformation) flags |= MB_ICONINFORMATION;
    if (kind == BoxKind::kError) flags |= MB_ICONERROR;
    HWND owner = GetActiveWindow();
    if (owner == nullptr) owner = application_.Get();
    if (IsNt()) return ::MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), flags);
    return ::MessageBoxA(owner, Ansi(text).c_str(), Ansi(title).c_str(), flags);
  }

  bool BrowseForFolder(const std::string& start, std::string& chosen) override {
    CoInitialize(nullptr);
    if (IsNt()) {
      const bool confirmed = BrowseWide(start, chosen);
      CoUninitialize();
      return confirmed;
    }
    const std::string startAnsi = Ansi(start);
    char display[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = GetActiveWindow();
    info.pszDisplayName = display;
    info.lpszTitle = "Select Directory";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(startAnsi.c_str());
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
    bool confirmed = false;
    if (list != nullptr) {
      char path[MAX_PATH] = {};
      confirmed = SHGetPathFromIDListA(list, path) != FALSE;
      if (confirmed) chosen = FromAnsi(path);
      CoTaskMemFree(list);
    }
    CoUninitialize();
    return confirmed;
  }

  Rect ScreenRect() override {
    return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }

 private:
  static BOOL NextMessage(MSG& msg) {
    return IsNt() ? GetMessageW(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0);
  }

  static void Dispatch(MSG& msg, HWND dialog) {
    // The keyboard moves between the dialog's controls as in any dialog.
    if (dialog != nullptr &&
        (IsNt() ? IsDialogMessageW(dialog, &msg) : IsDialogMessageA(dialog, &msg))) {
      return;
    }
    TranslateMessage(&msg);
    if (IsNt()) {
      DispatchMessageW(&msg);
    } else {
      DispatchMessageA(&msg);
    }
  }

  std::vector<HWND> DisableOtherWindows(HWND modal) {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&windows));
    std::erase(windows, modal);
    std::erase(windows, application_.Get());
    for (HWND window : windows) EnableWindow(window, FALSE);
    return windows;
  }

  using Clock = TickClock;
  static constexpr Clock::duration kQueueRecheck = std::chrono::milliseconds(40);

  HINSTANCE instance_ = nullptr;
  UniqueWindow application_;
  Clock::time_point foundEmpty_{};
};

}  // namespace
}  // namespace toolkit::win32

namespace toolkit {
Backend& TheBackend() {
  static win32::Win32Backend backend;
  return backend;
}
}  // namespace toolkit
