#include "unzip/win32/Win32Storage.h"

namespace unzip {
namespace {

// True on the NT family, whose wide calls take any name; Windows 9x has the ANSI calls only.
bool IsNt() { return (::GetVersion() & 0x80000000) == 0; }

std::wstring WideFrom(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(std::size_t(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    ::MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), length);
  }
  return wide;
}

// The current folder as the disk spells its names, ending with a backslash; empty when it cannot
// be told. The installer enters the target folder by the name its tables give ("parts\kx" for
// "Parts\Kx"), and a file system that does not fold case itself (Wine's on Linux) then looks each
// mismatched folder up again, by listing it, for every file created below it.
std::wstring ExactCurrentFolderWide() {
  wchar_t current[MAX_PATH];
  DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
  if (length == 0 || length >= MAX_PATH) return {};
  using GetLongPathNameFunction = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
  const auto getLongPathName = reinterpret_cast<GetLongPathNameFunction>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetLongPathNameW")));
  if (getLongPathName == nullptr) return {};
  wchar_t exact[MAX_PATH];
  length = getLongPathName(current, exact, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring folder(exact, length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::string ExactCurrentFolder() {
  char current[MAX_PATH];
  DWORD length = ::GetCurrentDirectoryA(MAX_PATH, current);
  if (length == 0 || length >= MAX_PATH) return {};
  // Windows 95 has no GetLongPathName: there the output paths simply stay relative.
  using GetLongPathNameFunction = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  const auto getLongPathName = reinterpret_cast<GetLongPathNameFunction>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetLongPathNameA")));
  if (getLongPathName == nullptr) return {};
  char exact[MAX_PATH];
  length = getLongPathName(current, exact, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string folder(exact, length);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

Win32Storage::Win32Storage(bool utf8ArchiveName) : nt_(IsNt()), utf8ArchiveName_(utf8ArchiveName) {
  if (nt_) {
    outputFolderWide_ = ExactCurrentFolderWide();
  } else {
    outputFolder_ = ExactCurrentFolder();
  }
}

std::string Win32Storage::WindowsPath(const std::string& path) const {
  std::string result = outputFolder_ + path;
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  return result;
}

std::wstring Win32Storage::WidePath(const std::string& path) const {
  // Member names are code page 1252, whatever the system's ANSI page.
  std::wstring result = outputFolderWide_ + WideFrom(1252, path);
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  return result;
}

Status Win32Storage::OpenArchive(const std::string& path) {
  const HANDLE handle =
      nt_ ? ::CreateFileW(WideFrom(utf8ArchiveName_ ? CP_UTF8 : CP_ACP, path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                          nullptr)
          : ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  archive_.Reset(win32::OrNull(handle));
  return archive_ ? kOk : ::GetLastError();
}

Status Win32Storage::ArchiveSize(std::uint64_t& size) {
  DWORD high = 0;
  const DWORD low = ::GetFileSize(archive_.Get(), &high);
  if (low == INVALID_FILE_SIZE) {
    const DWORD error = ::GetLastError();
    if (error != NO_ERROR) return error;
  }
  size = (std::uint64_t(high) << 32) | low;
  return kOk;
}

Status Win32Storage::ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                                 std::size_t& done) {
  done = 0;
  // SetFilePointer, not SetFilePointerEx: the latter is missing from Windows 95 and 98.
  LONG high = LONG(offset >> 32);
  if (::SetFilePointer(archive_.Get(), LONG(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
      INVALID_SET_FILE_POINTER) {
    const DWORD error = ::GetLastError();
    if (error != NO_ERROR) return error;
  }
  DWORD got = 0;
  if (!::ReadFile(archive_.Get(), buffer, DWORD(size), &got, nullptr)) return ::GetLastError();
  done = got;
  return kOk;
}

void Win32Storage::CloseArchive() { archive_.Reset(); }

Status Win32Storage::CreateFolder(const std::string& path) {
  const std::string native = nt_ ? std::string() : WindowsPath(path);
  const std::wstring wide = nt_ ? WidePath(path) : std::wstring();
  if (nt_ ? ::CreateDirectoryW(wide.c_str(), nullptr)
          : ::CreateDirectoryA(native.c_str(), nullptr)) {
    return kOk;
  }
  const DWORD error = ::GetLastError();
  const DWORD attributes =
      nt_ ? ::GetFileAttributesW(wide.c_str()) : ::GetFileAttributesA(native.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return kOk;
  }
  return error;
}

Status Win32Storage::CreateOutput(const std::string& path, OutputFile& file) {
  const HANDLE handle = nt_ ? ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)
                            : ::CreateFileA(WindowsPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return ::GetLastError();
  file = reinterpret_cast<OutputFile>(handle);
  return kOk;
}

Status Win32Storage::WriteOutput(OutputFile file, const void* data, std::size_t size) {
  DWORD put = 0;
  if (!::WriteFile(reinterpret_cast<HANDLE>(file), data, DWORD(size), &put, nullptr)) {
    return ::GetLastError();
  }
  return put == size ? kOk : ERROR_DISK_FULL;
}

Status Win32Storage::SetOutputTime(OutputFile file, DosDateTime stamp) {
  FILETIME local{};
  FILETIME utc{};
  if (!::DosDateTimeToFileTime(stamp.date, stamp.time, &local) ||
      !::LocalFileTimeToFileTime(&local, &utc) ||
      !::SetFileTime(reinterpret_cast<HANDLE>(file), nullptr, nullptr, &utc)) {
    return ::GetLastError();
  }
  return kOk;
}

Status Win32Storage::CloseOutput(OutputFile file) {
  return ::CloseHandle(reinterpret_cast<HANDLE>(file)) ? kOk : ::GetLastError();
}

Status Win32Storage::RemoveFile(const std::string& path) {
  const BOOL deleted =
      nt_ ? ::DeleteFileW(WidePath(path).c_str()) : ::DeleteFileA(WindowsPath(path).c_str());
  return deleted ? kOk : ::GetLastError();
}

Status Win32Storage::RenameOver(const std::string& from, const std::string& to) {
  if (nt_) {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      ::SetFileAttributesW(target.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    }
    return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)
               ? kOk
               : ::GetLastError();
  }
  const std::string source = WindowsPath(from);
  const std::string target = WindowsPath(to);
  // A read-only file left by an earlier installation must still be replaced.
  const DWORD attributes = ::GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetFileAttributesA(target.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  }
  if (::MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return kOk;
  const DWORD error = ::GetLastError();
  // Windows 95 and 98 have no MoveFileEx: delete the old file, then rename.
  if (error != ERROR_CALL_NOT_IMPLEMENTED) return error;
  if (!::DeleteFileA(target.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
    return ::GetLastError();
  }
  return ::MoveFileA(source.c_str(), target.c_str()) ? kOk : ::GetLastError();
}

}  // namespace unzip
