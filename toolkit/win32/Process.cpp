// The Win32 backend's process services: the command line, %TEMP%, the local time and named
// mutexes in the global namespace.
#include <windows.h>

#include "toolkit/FileSystem.h"
#include "toolkit/Process.h"
#include "toolkit/win32/Handles.h"

namespace toolkit {
namespace {

class Win32Process : public ProcessServices {
 public:
  std::string Arguments() override {
    const char* line = GetCommandLineA();
    // The program's name comes first, quoted when it holds blanks; what follows is ours.
    if (*line == '"') {
      ++line;
      while (*line != '\0' && *line != '"') ++line;
      if (*line == '"') ++line;
    } else {
      while (*line != '\0' && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
  }

  std::string TempFolder() override {
    char buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return fs::StripTrailingBackslash(std::string(buffer, length));
  }

  LocalTime Now() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear,   now.wMonth,  now.wDay,         now.wHour,
            now.wMinute, now.wSecond, now.wMilliseconds};
  }

  std::uint32_t ClaimMutex(const std::string& name, MutexId& mutex) override {
    mutex = 0;
    // The global namespace reaches every session: a second user's installer, or one run by a
    // deployment service as SYSTEM, would rewrite the same AutoCAD files.
    win32::UniqueHandle handle(CreateMutexA(nullptr, FALSE, ("Global\\" + name).c_str()));
    if (!handle) {
      DWORD error = GetLastError();
      // Made by another user, whose mutex this one may not open: it is held elsewhere.
      return error == ERROR_ACCESS_DENIED ? kErrAlreadyExists : std::uint32_t(error);
    }
    // An abandoned mutex (its holder died) is ours now, like a free one.
    DWORD waited = WaitForSingleObject(handle.Get(), 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return kErrAlreadyExists;
    mutex = reinterpret_cast<MutexId>(handle.Release());
    return 0;
  }

  std::uint32_t RunAndWait(const std::string& program, const std::string& arguments,
                           std::uint32_t& exitCode) override {
    std::string line = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
      return GetLastError();
    }
    win32::UniqueHandle process(started.hProcess);
    win32::UniqueHandle thread(started.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) return GetLastError();
    exitCode = code;
    return 0;
  }

  std::uint32_t DeleteAtRestart(const std::string& path) override {
    if (MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return 0;
    // Only an administrator may have the system delete a file as it starts; the user's own
    // start-up commands run at the next logon.
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExA(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return std::uint32_t(status);
    win32::UniqueKey key(opened);
    const std::string command = "cmd.exe /c del /f /q \"" + path + "\"";
    return std::uint32_t(RegSetValueExA(key.Get(), "TolvekCleanup", 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(command.c_str()),
                                        DWORD(command.size() + 1)));
  }

  void ReleaseMutex(MutexId mutex) override {
    HANDLE handle = reinterpret_cast<HANDLE>(mutex);
    ::ReleaseMutex(handle);
    CloseHandle(handle);
  }
};

}  // namespace

ProcessServices& Proc() {
  static Win32Process process;
  return process;
}

}  // namespace toolkit
