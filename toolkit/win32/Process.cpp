// The Win32 backend's process services: the command line, %TEMP%, the local time, named mutexes
// in the global namespace, the programs it starts and the programs running beside it.
#include <windows.h>

#include <tlhelp32.h>

#include "toolkit/FileSystem.h"
#include "toolkit/Process.h"
#include "toolkit/Registry.h"
#include "toolkit/win32/Handles.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit {
namespace {

using win32::Ansi;
using win32::FromAnsi;
using win32::FromWide;
using win32::IsNt;
using win32::SystemFunction;
using win32::Wide;

// Windows 9x has no sessions and no ProcessIdToSessionId, and an import of it would keep the
// program from starting there: it is looked up at run time.
using SessionOfProcess = BOOL(WINAPI*)(DWORD, DWORD*);

SessionOfProcess FindSessionLookup() {
  return SystemFunction<SessionOfProcess>("kernel32.dll", "ProcessIdToSessionId");
}

// The file name of a process's program: Windows 9x lists the whole path, NT the name alone.
std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Every process's id and program file name, through the wide snapshot calls on the NT family.
template <typename Visit>
void ForEachProcess(Visit visit) {
  win32::UniqueHandle snapshot(
      win32::NullIfInvalid(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
  if (!snapshot) return;
  if (IsNt()) {
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
      if (visit(entry.th32ProcessID, FileNameOf(FromWide(entry.szExeFile)))) return;
    }
    return;
  }
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    if (visit(entry.th32ProcessID, FileNameOf(FromAnsi(entry.szExeFile)))) return;
  }
}

// The command line as the process received it.
std::string CommandLine() {
  return IsNt() ? FromWide(GetCommandLineW()) : FromAnsi(GetCommandLineA());
}

class Win32Process : public ProcessServices {
 public:
  std::string Arguments() override {
    const std::string whole = CommandLine();
    const char* line = whole.c_str();
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
    if (IsNt()) {
      wchar_t buffer[MAX_PATH + 1] = {};
      DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
      if (length == 0 || length > MAX_PATH) return {};
      return fs::StripTrailingBackslash(FromWide({buffer, length}));
    }
    char buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return fs::StripTrailingBackslash(FromAnsi({buffer, length}));
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
    const std::string global = "Global\\" + name;
    win32::UniqueHandle handle(IsNt() ? CreateMutexW(nullptr, FALSE, Wide(global).c_str())
                                      : CreateMutexA(nullptr, FALSE, Ansi(global).c_str()));
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
    const std::string line = "\"" + program + "\" " + arguments;
    PROCESS_INFORMATION started{};
    BOOL ok = FALSE;
    if (IsNt()) {
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      std::wstring wideLine = Wide(line);
      ok = CreateProcessW(Wide(program).c_str(), wideLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &started);
    } else {
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      std::string ansiLine = Ansi(line);
      ok = CreateProcessA(Ansi(program).c_str(), ansiLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &started);
    }
    if (!ok) return GetLastError();
    win32::UniqueHandle process(started.hProcess);
    win32::UniqueHandle thread(started.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) return GetLastError();
    exitCode = code;
    return 0;
  }

  std::uint32_t DeleteAtRestart(const std::string& path) override {
    if (IsNt() && MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return 0;
    // Only an administrator may have the system delete a file as it starts; the user's own
    // start-up commands run at the next logon.
    RegKeyId key = 0;
    std::uint32_t status =
        Reg().CreateKey("Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", key);
    if (status != 0) return status;
    status = Reg().WriteString(key, "TolvekCleanup", "cmd.exe /c del /f /q \"" + path + "\"");
    Reg().CloseKey(key);
    return status;
  }

  bool IsAdministrator() override {
    if (!IsNt()) return true;
    // CheckTokenMembership is Windows 2000's: looked up, so that the program still starts on NT 4,
    // where nobody is asked for it.
    using CheckMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    const auto check = SystemFunction<CheckMembership>("advapi32.dll", "CheckTokenMembership");
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
    const SessionOfProcess sessionOf = FindSessionLookup();
    DWORD ourSession = 0;
    const bool bySession = sessionOf != nullptr && sessionOf(GetCurrentProcessId(), &ourSession);
    const std::string wanted = fs::FoldCase(fileName);
    bool running = false;
    ForEachProcess([&](DWORD id, const std::string& name) {
      if (fs::FoldCase(name) != wanted) return false;
      // Another user's program, in a session of its own, keeps its settings in that user's
      // registry, not in ours; one whose session cannot be read is such a one.
      DWORD session = 0;
      running = !bySession || (sessionOf(id, &session) && session == ourSession);
      return running;
    });
    return running;
  }

  std::optional<std::string> InAnsiCodePage(std::string_view utf8) override {
    return win32::ExactAnsi(utf8);
  }

  std::uint64_t UnguessableNumber() override {
    // The system's generator (RtlGenRandom, exported as SystemFunction036 from Windows XP on):
    // looked up, since an import would keep the program from starting on Windows 9x.
    using GenRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);
    std::uint64_t number = 0;
    const auto generate = SystemFunction<GenRandom>("advapi32.dll", "SystemFunction036");
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
