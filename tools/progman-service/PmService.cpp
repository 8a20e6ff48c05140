// PMSERVICE.EXE: a Program Manager service for Wine prefixes. Wine's shell serves Program
// Manager's DDE commands only to clients that name its topic; the installer names none, as the
// Windows shell allows, and so would find no Program Manager to create its group. This is the
// project's demo and test tool, not part of the product.
//
//   PMSERVICE.EXE [/log=FILE]   serves until asked to stop; with /log, appends every command
//                               string it receives and what became of it to FILE
//   PMSERVICE.EXE /wait[=SEC]   waits up to SEC seconds (10) until a service answers a
//                               connection made as the installer makes it
//   PMSERVICE.EXE /stop         asks the running service to stop and waits until it has
//
// The service has no visible window. It stops on WM_CLOSE or WM_ENDSESSION to its hidden window
// (class "TolvekProgManService"), on /stop, or when killed: it holds nothing a kill would leave
// half done, since each shortcut is written whole by the shell. Exit codes: 0 done, 1 could not
// serve (or the wait or the stop timed out), 2 a bad option, 3 another service of ours serves.
#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/UniqueHandle.h"
#include "tools/progman-service/DdeServer.h"
#include "tools/progman-service/ProgramManager.h"
#include "tools/progman-service/ShellStartMenu.h"

namespace {

constexpr const char* kWindowClass = "TolvekProgManService";
// Held by the serving process alone, so that a second one leaves and /stop can wait for its end.
constexpr const char* kRunningMutex = "TolvekProgManService.Running";
constexpr const char* kStopEvent = "TolvekProgManService.Stop";

void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
using UniqueHandle = toolkit::Unique<HANDLE, CloseKernelHandle>;
void CloseWindowHandle(HWND window) { DestroyWindow(window); }
using UniqueWindow = toolkit::Unique<HWND, CloseWindowHandle>;

enum ExitCode { kDone = 0, kCannotServe = 1, kBadOption = 2, kAlreadyServing = 3 };

class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Initialised() const { return initialised_; }

 private:
  bool initialised_;
};

// Appends one line per transaction, opening the file each time so that a reader sees every line
// at once and a killed service leaves none half written.
class TransactionLog {
 public:
  explicit TransactionLog(std::string path) : path_(std::move(path)) {}
  void Write(std::string_view text, progman::Outcome outcome) const {
    if (path_.empty()) return;
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path_.c_str(), "ab"),
                                                            &std::fclose);
    if (!file) return;
    text = text.substr(0, text.find('\0'));
    std::fprintf(file.get(), "%.*s -> %s\r\n", int(text.size()), text.data(),
                 progman::Describe(outcome));
  }

 private:
  std::string path_;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_ENDSESSION:
      if (wParam) PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// A top-level window that is never shown, rather than a message-only one: WM_CLOSE from a task
// killer and the end of the session reach only top-level windows.
UniqueWindow CreateHiddenWindow(HINSTANCE module) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  return UniqueWindow(CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "Program Manager service",
                                      WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module, nullptr));
}

// Dispatches messages, DDE's among them, until WM_QUIT or the stop event.
void RunUntilStopped(HANDLE stop) {
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 + 1) return;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

// Serves from the registration of the name until the stop event, WM_CLOSE or the end of the
// session; the name is withdrawn again when it returns.
int ServeUntilStopped(HINSTANCE module, const std::string& logPath, HANDLE stop) {
  ComApartment com;
  if (!com.Initialised()) return kCannotServe;
  UniqueWindow window = CreateHiddenWindow(module);
  if (!window) return kCannotServe;
  progman::ShellStartMenu startMenu;
  progman::ProgramManager programManager(startMenu);
  const TransactionLog log(logPath);
  progman::DdeServer server([&](std::string_view text) {
    const progman::Outcome outcome = programManager.Execute(text);
    log.Write(text, outcome);
    return outcome == progman::Outcome::kDone;
  });
  if (!server.Serving()) return kCannotServe;
  RunUntilStopped(stop);
  return kDone;
}

int Serve(HINSTANCE module, const std::string& logPath) {
  // The event first: a /stop that finds it finds a service that will look at it.
  UniqueHandle stop(CreateEventA(nullptr, TRUE, FALSE, kStopEvent));
  UniqueHandle running(CreateMutexA(nullptr, TRUE, kRunningMutex));
  const DWORD mutexError = GetLastError();
  if (!stop || !running) return kCannotServe;
  if (mutexError == ERROR_ALREADY_EXISTS) return kAlreadyServing;
  // A stop asked of a service that has gone since must not end this one.
  ResetEvent(stop.Get());
  const int exitCode = ServeUntilStopped(module, logPath, stop.Get());
  // Only with the name withdrawn may a /stop waiting for the mutex report the service gone, and a
  // new service take its place.
  ReleaseMutex(running.Get());
  return exitCode;
}

int Stop() {
  UniqueHandle stop(OpenEventA(EVENT_MODIFY_STATE, FALSE, kStopEvent));
  if (!stop) return kDone;
  UniqueHandle running(OpenMutexA(SYNCHRONIZE, FALSE, kRunningMutex));
  SetEvent(stop.Get());
  if (!running) return kDone;
  // The mutex comes free, or abandoned, when the service has gone.
  const DWORD waited = WaitForSingleObject(running.Get(), 10000);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    ReleaseMutex(running.Get());
    return kDone;
  }
  return kCannotServe;
}

std::optional<DWORD> Seconds(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  DWORD seconds = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    seconds = seconds * 10 + DWORD(c - '0');
  }
  return seconds;
}

bool StartsWithOption(std::string_view argument, std::string_view option) {
  return argument.size() >= option.size() &&
         lstrcmpiA(std::string(argument.substr(0, option.size())).c_str(),
                   std::string(option).c_str()) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int) {
  std::string logPath;
  for (int i = 1; i < __argc; ++i) {
    const std::string_view argument = __argv[i];
    if (lstrcmpiA(__argv[i], "/stop") == 0) return Stop();
    if (lstrcmpiA(__argv[i], "/wait") == 0) {
      return progman::WaitForProgramManager(10000) ? kDone : kCannotServe;
    }
    if (StartsWithOption(argument, "/wait=")) {
      const std::optional<DWORD> seconds = Seconds(argument.substr(6));
      if (!seconds) return kBadOption;
      return progman::WaitForProgramManager(*seconds * 1000) ? kDone : kCannotServe;
    }
    if (StartsWithOption(argument, "/log=") && argument.size() > 5) {
      logPath = argument.substr(5);
      continue;
    }
    return kBadOption;
  }
  return Serve(module, logPath);
}
