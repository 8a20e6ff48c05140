// The Win32 backend's process services: the command line, %TEMP%, the local time, named mutexes
// in the global namespace, the programs it starts and the programs running beside it.
#include <windows.h>

#include <tlhelp32.h>

#include "toolkit/FileSystem.h"
#include "toolkit/Process.h"
#include "toolkit/win32/Handles.h"

namespace toolkit {
namespace {

// Windows 9x has no sessions and no ProcessIdToSessionId, and an import of it would keep the
// program from starting there: it is looked up at run time.
using SessionOfProcess = BOOL(WINAPI*)(DWORD, DWORD*);

SessionOfProcess FindSessionLookup() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<SessionOfProcess>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "ProcessIdToSessionId")));
}

// The file name of a process's program: Windows 9x lists the whole path, NT the name alone.
std::string FileNameOf(const PROCESSENTRY32& entry) {
  const std::string path = entry.szExeFile;
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

  bool IsAdministrator() override {
    if ((GetVersion() & 0x80000000) != 0) return true;
    // CheckTokenMembership is Windows 2000's: looked up, so that the program still starts on NT 4,
    // where nobody is asked for it.
    using CheckMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    const auto check = reinterpret_cast<CheckMembership>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "CheckTokenMembership")));
    if (check == nullptr) return true;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                  0, 0, 0, 0, 0, &administrators)) {
      return false;
    }
    // With User Account Control, an administrator's token that is not elevated holds the group
    // for denying only: the check answers no, as it should.
    BOOL member = FALSE;
    const bool asked = check(nullptr, administrators, &member) != FALSE;
    FreeSid(administrators);
    return asked && member != FALSE;
  }

  bool IsProgramRunning(const std::string& fileName) override {
    win32::UniqueHandle snapshot(
        win32::NullIfInvalid(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
    if (!snapshot) return false;
    const SessionOfProcess sessionOf = FindSessionLookup();
    DWORD ourSession = 0;
    const bool bySession = sessionOf != nullptr && sessionOf(GetCurrentProcessId(), &ourSession);
    const std::string wanted = fs::FoldCase(fileName);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
      if (fs::FoldCase(FileNameOf(entry)) != wanted) continue;
      if (!bySession) return true;
      // Another user's program, in a session of its own, keeps its settings in that user's
      // registry, not in ours; one whose session cannot be read is such a one.
      DWORD session = 0;
      if (sessionOf(entry.th32ProcessID, &session) && session == ourSession) return true;
    }
    return false;
  }

  std::uint64_t UnguessableNumber() override {
    // The system's generator (RtlGenRandom, exported as SystemFunction036 from Windows XP on):
    // looked up, since an import would keep the program from starting on Windows 9x.
    using GenRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);
    std::uint64_t number = 0;
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    const auto generate = advapi == nullptr ? nullptr
                                            : reinterpret_cast<GenRandom>(reinterpret_cast<void*>(
                                                  GetProcAddress(advapi, "SystemFunction036")));
    if (generate != nullptr && generate(&number, sizeof number)) return number;
    // Without it, what an outsider cannot read from here: the clocks to the tick, this process.
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    number = std::uint64_t(counter.QuadPart) * 0x9E3779B97F4A7C15ull;
    number ^= (std::uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime) + GetTickCount();
    number ^= std::uint64_t(GetCurrentProcessId()) << 40 | GetCurrentThreadId();
    return number * 0xBF58476D1CE4E5B9ull;
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
