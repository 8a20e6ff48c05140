#include "tests/wine/support/Driver.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>

namespace winetest {

std::string BuiltFile(const std::string& name) { return std::string(WINE_BUILD_DIR) + "\\" + name; }

InstallerProcess::InstallerProcess(const std::string& exe, const std::string& folder,
                                   const std::string& arguments) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
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
  EndProgramManagers();
}

void EndProgramManagers() {
  for (DWORD id : ProcessesNamed("progman.exe")) {
    toolkit::win32::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) continue;
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 5000);
  }
}

std::optional<DWORD> RunToTheEnd(const std::string& exe, const std::string& arguments) {
  InstallerProcess process(exe, "C:\\", arguments);
  if (!process.WaitForExit(120s)) return std::nullopt;
  return process.ExitCode();
}

std::pair<std::string, std::string> SplitCommand(const std::string& command) {
  const std::size_t close = command.find('"', 1);
  return {command.substr(1, close - 1), command.substr(std::min(command.size(), close + 2))};
}

std::optional<DWORD> RunCommand(const std::string& command) {
  const auto [exe, arguments] = SplitCommand(command);
  return RunToTheEnd(exe, arguments);
}

std::vector<DWORD> ProcessesNamed(const std::string& name) {
  std::vector<DWORD> ids;
  toolkit::win32::UniqueHandle snapshot(
      toolkit::win32::NullIfInvalid(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
  if (!snapshot) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, name.c_str()) == 0) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

StandInAutoCad::StandInAutoCad(const std::string& program)
    : process_(BuiltFile("tests\\wine\\acad\\" + program), "") {
  if (process_.Id() == 0) return;
  listed_ = WaitUntil([&] {
    const std::vector<DWORD> ids = ProcessesNamed(program);
    return std::find(ids.begin(), ids.end(), process_.Id()) != ids.end();
  });
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

namespace winetest {

namespace {

// Calls `visit` for every entry of a folder but "." and "..".
template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAA found;
  toolkit::win32::UniqueFind search(
      toolkit::win32::NullIfInvalid(FindFirstFileA((folder + "\\*").c_str(), &found)));
  if (!search) return;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") visit(name, found);
  } while (FindNextFileA(search.Get(), &found));
}

}  // namespace

void RemoveTree(const std::string& folder) {
  ForEachEntry(folder, [&](const std::string& name, const WIN32_FIND_DATAA& found) {
    std::string path = folder + "\\" + name;
    // Wine's calls go through a link to what it leads to: the link goes as itself.
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      RemoveLink(path);
      return;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(path);
    } else {
      DeleteFileA(path.c_str());
    }
  });
  RemoveDirectoryA(folder.c_str());
}

void MakeTree(const std::string& folder) {
  for (std::size_t at = folder.find('\\', 3); at != std::string::npos;
       at = folder.find('\\', at + 1)) {
    CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryA(folder.c_str(), nullptr);
}

void WriteFile(const std::string& path, const std::string& content) {
  toolkit::win32::UniqueHandle file(toolkit::win32::NullIfInvalid(CreateFileA(
      path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file) return;
  DWORD written = 0;
  ::WriteFile(file.Get(), content.data(), DWORD(content.size()), &written, nullptr);
}

std::optional<std::string> ReadFile(const std::string& path) {
  toolkit::win32::UniqueHandle file(toolkit::win32::NullIfInvalid(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr)));
  if (!file) return std::nullopt;
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    content.append(buffer, got);
  return content;
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  GetTempPathA(sizeof buffer, buffer);
  std::string folder = buffer;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string UserRecordFolder() {
  char buffer[MAX_PATH + 1] = {};
  SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
  return std::string(buffer) + "\\Tolvek";
}

namespace {

// The Unix path of a Windows one, through Wine's own export; empty outside Wine.
std::string UnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return {};
  std::wstring wide(path.begin(), path.end());
  char* unix = toUnix(wide.c_str());
  if (unix == nullptr) return {};
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

}  // namespace

// Starts a Unix program of /bin with `arguments`; Wine gives no handle to wait on for one.
bool StartUnixProgram(const std::string& program, const std::string& arguments) {
  std::string command = "Z:\\bin\\" + program + " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// The Unix path of a Windows path whose last part may not exist yet.
std::string UnixPathOfNew(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  const std::string folder = UnixPath(path.substr(0, slash));
  return folder.empty() ? folder : folder + "/" + path.substr(slash + 1);
}

bool MakeLink(const std::string& path, const std::string& target) {
  const std::string from = UnixPath(target);
  const std::string to = UnixPathOfNew(path);
  if (from.empty() || to.empty() || !StartUnixProgram("ln", "-s \"" + from + "\" \"" + to + "\"")) {
    return false;
  }
  return WaitUntil([&] {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  });
}

void RemoveLink(const std::string& path) {
  const std::string link = UnixPathOfNew(path);
  if (link.empty() || !StartUnixProgram("rm", "-f \"" + link + "\"")) return;
  WaitUntil([&] { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

std::optional<std::string> ReadLog(const std::string& path) {
  const std::string mark = "\xEF\xBB\xBF";
  const std::optional<std::string> bytes = ReadFile(path);
  if (!bytes || !bytes->starts_with(mark)) return std::nullopt;
  const std::string utf8 = bytes->substr(mark.size());
  if (utf8.empty()) return std::string();
  const int size = int(utf8.size());
  const int wide =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (wide == 0) return std::nullopt;
  std::wstring text(std::size_t(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, text.data(), wide);
  std::string cp1252(std::size_t(wide) * 2, '\0');
  BOOL lost = FALSE;
  const int written = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text.data(), wide,
                                          cp1252.data(), int(cp1252.size()), nullptr, &lost);
  if (written == 0 || lost) return std::nullopt;
  cp1252.resize(std::size_t(written));
  return cp1252;
}

namespace {
void ListInto(const std::string& folder, const std::string& prefix,
              std::vector<std::pair<std::string, std::uint64_t>>& out) {
  ForEachEntry(folder, [&](const std::string& name, const WIN32_FIND_DATAA& found) {
    bool isDir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::uint64_t time = (std::uint64_t(found.ftLastWriteTime.dwHighDateTime) << 32) |
                         found.ftLastWriteTime.dwLowDateTime;
    out.emplace_back(prefix + name + (isDir ? "\\" : ""), time);
    if (isDir) ListInto(folder + "\\" + name, prefix + name + "\\", out);
  });
}
}  // namespace

std::vector<std::pair<std::string, std::uint64_t>> Listing(const std::string& folder) {
  std::vector<std::pair<std::string, std::uint64_t>> out;
  ListInto(folder, "", out);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace winetest
