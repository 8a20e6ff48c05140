// The file-system service on the real Win32 calls. Each failure's code is read on the very next
// line after the call that failed.
#include <shlobj.h>
#include <windows.h>
#include <memory>

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

// Whether the reparse point at `path` leads elsewhere: a junction, a mount point or a symbolic
// link. Microsoft's own tags that are no name surrogates (files kept in the cloud or deduplicated,
// compressed system files) are files and folders as any other; a tag that cannot be read, or one
// that is not Microsoft's, counts as a link.
// Only the NT family has reparse points.
bool IsLinkTag(const std::string& path) {
  WIN32_FIND_DATAW found;
  win32::UniqueFind search(win32::NullIfInvalid(FindFirstFileW(Wide(path).c_str(), &found)));
  if (!search || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  const DWORD tag = found.dwReserved0;
  const bool microsofts = (tag & 0x80000000u) != 0;
  const bool nameSurrogate = (tag & 0x20000000u) != 0;
  return !microsofts || nameSurrogate;
}

// A folder held open by PinFolder.
class HeldFolder : public FileSystem::Pin {
 public:
  explicit HeldFolder(HANDLE handle) : handle_(handle) {}

 private:
  win32::UniqueHandle handle_;
};

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

  std::string LocalAppDataDir() override {
    return ShellFolder(CSIDL_LOCAL_APPDATA, "LOCALAPPDATA");
  }

  std::string MachineDir(MachineFolder which) override {
    static_cast<void>(which);
    // A 32-bit program is given "Program Files (x86)" by the shell, and is refused the known
    // folder of the 64-bit one; 64-bit Windows names it in a variable for every process.
    const std::string wide = Variable("ProgramW6432");
    return wide.empty() ? ShellFolder(CSIDL_PROGRAM_FILES, "ProgramFiles") : wide;
  }

  std::uint32_t Open(const std::string& path, OpenMode mode, FileId& file) override {
    // A device is no file: opening a serial port can wait for ever.
    const std::size_t slash = path.find_last_of("\\/:");
    if (fs::IsDeviceName(slash == std::string::npos ? path : path.substr(slash + 1))) {
      return kErrBadPathName;
    }
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (mode == OpenMode::kReadWrite) access = GENERIC_READ | GENERIC_WRITE;
    if (mode == OpenMode::kCreate || mode == OpenMode::kCreateNew) {
      access = GENERIC_WRITE;
      // A new file never writes through a link or over a file someone put in its place.
      disposition = mode == OpenMode::kCreate ? CREATE_ALWAYS : CREATE_NEW;
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

  std::uint32_t CreatePrivateDir(const std::string& path) override {
    if (path.empty()) return kErrPathNotFound;
    return win32::CreatePrivateDir(path);
  }

  PathKind KindOf(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNone;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkTag(path)) return PathKind::kLink;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
  }

  bool HoldsLink(const std::string& folder) override { return win32::HoldsLink(folder); }

  std::uint32_t PinFolder(const std::string& folder, std::unique_ptr<Pin>& pin) override {
    // Windows 9x shares no folder handles; it has nobody else to keep out either.
    if (!IsNt()) {
      pin = std::make_unique<Pin>();
      return 0;
    }
    // Without FILE_SHARE_DELETE nobody may rename or remove the folder while it is held. Opened
    // as itself: a link at its end is held, not what it leads to, and then found by KindOf.
    HANDLE handle = CreateFileW(Wide(folder).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    auto held = std::make_unique<HeldFolder>(handle);
    // Where the system tells it from the handle, what is held must be no link either.
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(handle, &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkTag(folder)) {
      return kErrLinkInTheWay;
    }
    pin = std::move(held);
    return 0;
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
