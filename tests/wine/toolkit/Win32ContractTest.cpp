// The Win32 file system and registry against the contract the in-memory backend meets natively
// (tests/toolkit/MemoryContractTest.cpp). Under Wine, which is the Windows these tests have, the
// service's answers are the reference the fake is held to. The test works in a scratch folder of
// C: and a scratch key of HKCU\Software, both named after the process and removed afterwards; it
// plays the other program itself, holding a file with CreateFile and writing keys with the API.
#include <windows.h>

#include <vector>

#include "tests/toolkit/contract/FileSystemContract.h"
#include "tests/toolkit/contract/RegistryContract.h"
#include "tests/wine/support/Driver.h"
#include "toolkit/win32/Handles.h"

namespace {

using toolkit::win32::UniqueHandle;
using toolkit::win32::UniqueKey;

std::string ProcessTag() { return std::to_string(GetCurrentProcessId()); }

struct Win32FileSystemBackend {
  void SetUp() {
    char current[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof current, current);
    saved_ = current;
    // The program may have inherited folders per drive from whoever started it; the contract
    // speaks of a program that has entered none.
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      const char name[] = {'=', letter, ':', '\0'};
      SetEnvironmentVariableA(name, nullptr);
    }
    winetest::RemoveTree(Root());
    CreateDirectoryA(Root().c_str(), nullptr);
  }

  void TearDown() {
    held_.clear();
    SetCurrentDirectoryA(saved_.c_str());
    winetest::RemoveTree(Root());
  }

  std::string Root() { return "C:\\TolvekContract-" + ProcessTag(); }

  void SetReadOnly(const std::string& path, bool readOnly) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(),
                                   readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL));
  }

  void HoldWithoutSharing(const std::string& path) {
    UniqueHandle file(toolkit::win32::NullIfInvalid(CreateFileA(
        path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(file) << path << ": " << GetLastError();
    held_.push_back(std::move(file));
  }

  void ReleaseHeld() { held_.clear(); }

  // The folder this program lies in: under Wine a folder of Z:, which maps the Unix root.
  std::string OtherDriveFolder() {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    folder.erase(folder.find_last_of('\\'));
    if (toupper(folder[0]) == 'C') ADD_FAILURE() << "the test program lies on C:";
    return folder;
  }

  std::string MissingDrive() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
      if ((drives & (1u << (letter - 'A'))) == 0) return std::string(1, letter) + ":";
    }
    ADD_FAILURE() << "every drive letter from Q: to Y: is taken";
    return "Q:";
  }

  void MakeLink(const std::string& path, const std::string& target) {
    ASSERT_TRUE(winetest::MakeLink(path, target)) << path;
  }
  std::string saved_;
  std::vector<UniqueHandle> held_;
};

// Deletes a key with every key below it; RegDeleteTree is not in every Windows the installer meets.
// Wide calls: a key the service made under a name beyond the ANSI code page is enumerated and
// deleted by its true name (an ANSI enumeration would give a best fit that names no key).
void DeleteKeyTree(HKEY parent, const std::wstring& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  {
    UniqueKey key(opened);
    wchar_t child[256];
    DWORD length = 256;
    // Always the first child: each one is gone before the next look; one that stays ends the walk.
    while (RegEnumKeyExW(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
      DeleteKeyTree(key.Get(), child);
      HKEY still = nullptr;
      if (RegOpenKeyExW(key.Get(), child, 0, KEY_READ, &still) == ERROR_SUCCESS) {
        RegCloseKey(still);
        break;
      }
      length = 256;
    }
  }
  RegDeleteKeyW(parent, name.c_str());
}

void DeleteKeyTree(HKEY parent, const std::string& asciiName) {
  DeleteKeyTree(parent, std::wstring(asciiName.begin(), asciiName.end()));
}

DWORD RawType(toolkit::RegValueType type) {
  switch (type) {
    case toolkit::RegValueType::kString:
      return REG_SZ;
    case toolkit::RegValueType::kExpandString:
      return REG_EXPAND_SZ;
    case toolkit::RegValueType::kNumber:
      return REG_DWORD;
    case toolkit::RegValueType::kBinary:
      return REG_BINARY;
    case toolkit::RegValueType::kOther:
      break;
  }
  return REG_MULTI_SZ;
}

struct Win32RegistryBackend {
  void SetUp() { DeleteKeyTree(HKEY_CURRENT_USER, Root()); }
  void TearDown() { DeleteKeyTree(HKEY_CURRENT_USER, Root()); }
  std::string Root() { return "Software\\TolvekContract-" + ProcessTag(); }

  void Put(const std::string& path, const std::string& name, toolkit::RegValueType type,
           const std::string& data) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &opened, nullptr),
              ERROR_SUCCESS)
        << path;
    UniqueKey key(opened);
    // RegSetValueExA takes a NUL just past a string's bytes for a terminator the caller forgot to
    // count, and stores it too. A byte that is no NUL there keeps the stored bytes as given.
    std::string guarded = data + 'x';
    ASSERT_EQ(RegSetValueExA(key.Get(), name.c_str(), 0, RawType(type),
                             reinterpret_cast<const BYTE*>(guarded.data()), DWORD(data.size())),
              ERROR_SUCCESS)
        << name;
  }

  bool KeyExists(const std::string& path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
      return false;
    }
    UniqueKey key(opened);
    return true;
  }
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32FileSystemContract, FileSystemContract, Win32FileSystemBackend);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32RegistryContract, RegistryContract, Win32RegistryBackend);
}  // namespace contract
