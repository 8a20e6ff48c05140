#include "WineSetup.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "toolkit/win32/Handles.h"

namespace cad::wine {
namespace {

using toolkit::win32::UniqueHandle;
using toolkit::win32::UniqueKey;

// CreateFile reports failure as INVALID_HANDLE_VALUE, the owner's "none" is null.
UniqueHandle OwnFile(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + " failed: " + std::to_string(GetLastError()));
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::uint32_t Run(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  Check(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process),
        "CreateProcess " + commandLine);
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  return exitCode;
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  UniqueKey owned(key);
  return true;
}

void SetStringValue(const std::string& path, const std::string& name, const std::string& text) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) throw std::runtime_error("RegCreateKeyEx " + path);
  UniqueKey owned(key);
  status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  if (status != ERROR_SUCCESS) throw std::runtime_error("RegSetValueEx " + name);
}

std::optional<std::string> StringValue(const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  UniqueKey owned(key);
  char buffer[4096] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(buffer);
}

void DeleteTree(const std::string& path) { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

TempFolder::TempFolder() {
  char base[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof base, base);
  Check(length > 0 && length <= MAX_PATH, "GetTempPath");
  char name[MAX_PATH + 1];
  Check(GetTempFileNameA(base, "tkc", 0, name) != 0, "GetTempFileName");
  // The unique name becomes a folder.
  DeleteFileA(name);
  Check(CreateDirectoryA(name, nullptr), "CreateDirectory");
  path_ = std::string(name) + "\\";
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::optional<std::string> ReadFile(const std::string& path) {
  UniqueHandle file =
      OwnFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string content;
  char buffer[65536];
  DWORD done = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &done, nullptr) && done > 0) {
    content.append(buffer, done);
  }
  return content;
}

void WriteFile(const std::string& path, const std::string& content) {
  UniqueHandle file = OwnFile(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  Check(static_cast<bool>(file), "CreateFile " + path);
  DWORD done = 0;
  Check(
      ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &done, nullptr) &&
          done == content.size(),
      "WriteFile " + path);
}

void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void SetReadOnly(const std::string& path, bool readOnly) {
  Check(
      SetFileAttributesA(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL),
      "SetFileAttributes " + path);
}

LockedFile::LockedFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
  Check(handle_ != INVALID_HANDLE_VALUE, "lock " + path);
}

LockedFile::~LockedFile() { CloseHandle(handle_); }

std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace cad::wine
