// The file-system service on the real Win32 calls. Each failure's code is read on the very next
// line after the call that failed.
#include <shlobj.h>
#include <windows.h>

#include "toolkit/FileSystem.h"
#include "toolkit/win32/FolderAccess.h"
#include "toolkit/win32/FolderListing.h"
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

HANDLE AsHandle(FileId file) { return reinterpret_cast<HANDLE>(file); }

std::uint32_t Result(BOOL ok) { return ok ? 0 : GetLastError(); }

std::string Variable(const char* name) {
  if (IsNt()) {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetEnvironmentVariableW(Wide(name).c_str(), buffer, MAX_PATH + 1);
    return length == 0 || length > MAX_PATH ? std::string() : FromWide({buffer, length});
  }
  char buffer[MAX_PATH + 1] = {};
  DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length == 0 || length >= sizeof buffer ? std::string() : FromAnsi({buffer, length});
}

DWORD Attributes(const std::string& path) {
  return IsNt() ? GetFileAttributesW(Wide(path).c_str()) : GetFileAttributesA(Ansi(path).c_str());
}

// A folder the shell knows. Looked up at run time: shell32 has the call only from Windows 2000 on,
// and an import would keep the installer from starting on the Windows 9x it also serves. The
// variable is the fallback where the call is missing (and is empty where the folder is unknown).
std::string ShellFolder(int csidl, const char* variable) {
  if (IsNt()) {
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    const auto getFolderPath = SystemFunction<GetFolderPath>("shell32.dll", "SHGetFolderPathW");
    wchar_t buffer[MAX_PATH + 1] = {};
    if (getFolderPath != nullptr &&
        SUCCEEDED(getFolderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
      return FromWide(buffer);
    }
    return Variable(variable);
  }
  using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  const auto getFolderPath = SystemFunction<GetFolderPath>("shell32.dll", "SHGetFolderPathA");
  char buffer[MAX_PATH + 1] = {};
  if (getFolderPath != nullptr &&
      SUCCEEDED(getFolderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return FromAnsi(buffer);
  }
  return Variable(variable);
}

class Win32FileSystem : public FileSystem {
 public:
  std::string CurrentDir() override {
    if (IsNt()) {
      wchar_t buffer[MAX_PATH + 1];
      DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
      return length == 0 || length > MAX_PATH ? std::string() : FromWide({buffer, length});
    }
    char buffer[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length == 0 || length > MAX_PATH ? std::string() : FromAnsi({buffer, length});
  }

  std::uint32_t ChangeDir(const std::string& path) override {
    // An empty name is no folder; Windows would take it as "stay here".
    if (path.empty()) return kErrPathNotFound;
    return Result(IsNt() ? SetCurrentDirectoryW(Wide(path).c_str())
                         : SetCurrentDirectoryA(Ansi(path).c_str()));
  }

  std::uint32_t CreateDir(const std::string& path) override {
    if (path.empty()) return kErrPathNotFound;
    return Result(IsNt() ? CreateDirectoryW(Wide(path).c_str(), nullptr)
                         : CreateDirectoryA(Ansi(path).c_str(), nullptr));
  }

  std::uint32_t RemoveDir(const std::string& path) override {
    return Result(IsNt() ? RemoveDirectoryW(Wide(path).c_str())
                         : RemoveDirectoryA(Ansi(path).c_str()));
  }

  bool FileExists(const std::string& path) override {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool DirExists(const std::string& path) override {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  std::vector<std::string> FileNames(const std::string& folder) override {
    std::vector<std::string> names;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != ':') pattern += '\\';
    win32::ListFolder(pattern + "*", [&](const win32::FolderEntry& found) {
      if (found.attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
      names.push_back(found.name);
      if (!found.shortName.empty()) names.push_back(found.shortName);
      return true;
    });
    return names;
  }

  std::string ProgramPath() override {
    if (IsNt()) {
      wchar_t buffer[MAX_PATH + 1];
      DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
      return FromWide({buffer, length});
    }
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return FromAnsi({buffer, length});
  }

  std::string AppDataDir() override { return ShellFolder(CSIDL_APPDATA, "APPDATA"); }

  std::string MachineDir(MachineFolder which) override {
    static_cast<void>(which);
    // A 32-bit program is given "Program Files (x86)" by the shell, and is refused the known
    // folder of the 64-bit one; 64-bit Windows names it in a variable for every process.
    const std::string wide = Variable("ProgramW6432");
    return wide.empty() ? ShellFolder(CSIDL_PROGRAM_FILES, "ProgramFiles") : wide;
  }

  std::uint32_t Open(const std::string& path, OpenMode mode, FileId& file) override {
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (mode == OpenMode::kReadWrite) access = GENERIC_READ | GENERIC_WRITE;
    if (mode == OpenMode::kCreate) {
      access = GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      share = FILE_SHARE_READ;
    }
    // Windows refuses write access to a read-only file; Wine run as root would grant it, since
    // it keeps the attribute as permission bits, so the refusal is made here for both.
    if (access & GENERIC_WRITE) {
      DWORD attributes = Attributes(path);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ERROR_ACCESS_DENIED;
    }
    HANDLE handle = IsNt() ? CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)
                           : CreateFileA(Ansi(path).c_str(), access, share, nullptr, disposition,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    file = reinterpret_cast<FileId>(handle);
    return 0;
  }

  std::uint32_t Read(FileId file, void* buffer, std::size_t size, std::size_t& done) override {
    DWORD got = 0;
    BOOL ok = ReadFile(AsHandle(file), buffer, DWORD(size), &got, nullptr);
    std::uint32_t code = Result(ok);
    done = got;
    return code;
  }

  std::uint32_t Write(FileId file, const void* data, std::size_t size) override {
    DWORD written = 0;
    BOOL ok = WriteFile(AsHandle(file), data, DWORD(size), &written, nullptr);
    if (!ok) return GetLastError();
    return written < size ? ERROR_DISK_FULL : 0;
  }

  std::uint32_t Size(FileId file, std::uint64_t& size) override {
    LARGE_INTEGER value{};
    BOOL ok = GetFileSizeEx(AsHandle(file), &value);
    std::uint32_t code = Result(ok);
    size = std::uint64_t(value.QuadPart);
    return code;
  }

  std::uint32_t Seek(FileId file, std::uint64_t position) override {
    LARGE_INTEGER to{};
    to.QuadPart = LONGLONG(position);
    return Result(SetFilePointerEx(AsHandle(file), to, nullptr, FILE_BEGIN));
  }

  std::uint32_t SetTime(FileId file, DosDateTime stamp) override {
    FILETIME local;
    FILETIME utc;
    if (!DosDateTimeToFileTime(stamp.date, stamp.time, &local)) return GetLastError();
    if (!LocalFileTimeToFileTime(&local, &utc)) return GetLastError();
    return Result(SetFileTime(AsHandle(file), nullptr, nullptr, &utc));
  }

  std::uint32_t Close(FileId file) override { return Result(CloseHandle(AsHandle(file))); }

  std::uint32_t Flush(FileId file) override { return Result(FlushFileBuffers(AsHandle(file))); }

  std::uint32_t Rename(const std::string& from, const std::string& to) override {
    // Written through, the rename is on the disk before the call returns, so that a power cut
    // after an AutoCAD file's swap cannot bring back a state the installation has left. Windows
    // 9x has no MoveFileEx: there the plain rename does.
    if (IsNt()) {
      return Result(MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH));
    }
    return Result(MoveFileA(Ansi(from).c_str(), Ansi(to).c_str()));
  }

  std::uint32_t Delete(const std::string& path) override {
    return Result(IsNt() ? DeleteFileW(Wide(path).c_str()) : DeleteFileA(Ansi(path).c_str()));
  }

  std::uint32_t SetFolderAccess(const std::string& path, FolderAccess access) override {
    return win32::SetFolderAccess(path, access);
  }

  std::uint32_t FreeSpace(const std::string& path, std::uint64_t& bytes) override {
    ULARGE_INTEGER available{};
    const BOOL ok = IsNt() ? GetDiskFreeSpaceExW(Wide(path).c_str(), &available, nullptr, nullptr)
                           : GetDiskFreeSpaceExA(Ansi(path).c_str(), &available, nullptr, nullptr);
    if (!ok) return GetLastError();
    bytes = available.QuadPart;
    return 0;
  }
};

}  // namespace

FileSystem& Fs() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace toolkit
