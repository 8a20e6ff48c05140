// The Win32 backend's registry service: the real HKEY_CURRENT_USER, and HKEY_LOCAL_MACHINE in the
// view 64-bit programs have of it.
#include <windows.h>

#include <map>
#include <vector>

#include "toolkit/Registry.h"
#include "toolkit/win32/Handles.h"

namespace toolkit {
namespace {

RegValueType TypeOf(DWORD type) {
  switch (type) {
    case REG_SZ:
      return RegValueType::kString;
    case REG_EXPAND_SZ:
      return RegValueType::kExpandString;
    case REG_DWORD:
      return RegValueType::kNumber;
    case REG_BINARY:
      return RegValueType::kBinary;
    default:
      return RegValueType::kOther;
  }
}

// A key's hive and its name relative to it. A leading backslash only says "from the root";
// "HKLM\" names the machine's hive.
struct HivePath {
  HKEY hive;
  std::string relative;
};

HivePath Locate(const std::string& path) {
  std::string relative = !path.empty() && path.front() == '\\' ? path.substr(1) : path;
  if (relative.size() >= 5 && _strnicmp(relative.c_str(), "HKLM\\", 5) == 0) {
    return {HKEY_LOCAL_MACHINE, relative.substr(5)};
  }
  return {HKEY_CURRENT_USER, relative};
}

// A 32-bit program on 64-bit Windows sees the machine's software keys of 32-bit programs unless it
// asks for the 64-bit view, where 64-bit AutoCAD registers itself. Older systems, without WoW64,
// may refuse the flag, so it is asked for only under WoW64.
REGSAM View(HKEY hive) {
  static const bool underWow64 = [] {
    using IsWow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = reinterpret_cast<IsWow64Function>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
  }();
  return hive == HKEY_LOCAL_MACHINE && underWow64 ? KEY_WOW64_64KEY : 0;
}

class Win32Registry : public Registry {
 public:
  std::uint32_t CreateKey(const std::string& path, RegKeyId& key) override {
    key = 0;
    HKEY opened = nullptr;
    const HivePath where = Locate(path);
    LONG status =
        RegCreateKeyExA(where.hive, where.relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | View(where.hive), nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    return Keep(opened, key);
  }

  std::uint32_t OpenKey(const std::string& path, RegKeyId& key) override {
    key = 0;
    HKEY opened = nullptr;
    const HivePath where = Locate(path);
    LONG status = RegOpenKeyExA(where.hive, where.relative.c_str(), 0,
                                KEY_ALL_ACCESS | View(where.hive), &opened);
    // A user may read much of the machine's hive that only an administrator may change.
    if (status == ERROR_ACCESS_DENIED) {
      status = RegOpenKeyExA(where.hive, where.relative.c_str(), 0, KEY_READ | View(where.hive),
                             &opened);
    }
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    return Keep(opened, key);
  }

  std::uint32_t CloseKey(RegKeyId key) override {
    return keys_.erase(key) == 1 ? 0 : ERROR_INVALID_HANDLE;
  }

  std::uint32_t QueryValueInfo(RegKeyId key, const std::string& name, RegValueType& type,
                               std::uint32_t& size) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    DWORD rawType = 0;
    DWORD rawSize = 0;
    LONG status =
        RegQueryValueExA(found->second.Get(), name.c_str(), nullptr, &rawType, nullptr, &rawSize);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    type = TypeOf(rawType);
    size = rawSize;
    return 0;
  }

  std::uint32_t QueryValue(RegKeyId key, const std::string& name, RegValueType& type,
                           std::string& data) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    DWORD rawType = 0;
    DWORD rawSize = 0;
    LONG status =
        RegQueryValueExA(found->second.Get(), name.c_str(), nullptr, &rawType, nullptr, &rawSize);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    std::vector<BYTE> buffer(rawSize + 1);
    rawSize = static_cast<DWORD>(buffer.size());
    status = RegQueryValueExA(found->second.Get(), name.c_str(), nullptr, &rawType, buffer.data(),
                              &rawSize);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    type = TypeOf(rawType);
    data.assign(reinterpret_cast<const char*>(buffer.data()), rawSize);
    return 0;
  }

  std::uint32_t SubKeyNames(RegKeyId key, std::vector<std::string>& names) override {
    names.clear();
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    // A key name is at most 255 characters.
    char name[256];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      LONG status = RegEnumKeyExA(found->second.Get(), index, name, &length, nullptr, nullptr,
                                  nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) return 0;
      if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
      names.emplace_back(name, length);
    }
  }

  std::uint32_t WriteString(RegKeyId key, const std::string& name,
                            const std::string& text) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    return static_cast<std::uint32_t>(RegSetValueExA(found->second.Get(), name.c_str(), 0, REG_SZ,
                                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                                     DWORD(text.size() + 1)));
  }

  std::uint32_t WriteNumber(RegKeyId key, const std::string& name, std::uint32_t number) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    const DWORD value = number;
    return static_cast<std::uint32_t>(
        RegSetValueExA(found->second.Get(), name.c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value));
  }

  std::uint32_t DeleteKey(const std::string& path) override {
    const HivePath where = Locate(path);
    // RegDeleteKeyExA, which takes the view, exists from 64-bit XP on.
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    static const auto deleteKeyEx = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    if (View(where.hive) != 0 && deleteKeyEx != nullptr) {
      return static_cast<std::uint32_t>(
          deleteKeyEx(where.hive, where.relative.c_str(), View(where.hive), 0));
    }
    return static_cast<std::uint32_t>(RegDeleteKeyA(where.hive, where.relative.c_str()));
  }

  std::uint32_t DeleteValue(RegKeyId key, const std::string& name) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    return static_cast<std::uint32_t>(RegDeleteValueA(found->second.Get(), name.c_str()));
  }

 private:
  std::uint32_t Keep(HKEY opened, RegKeyId& key) {
    key = nextId_++;
    keys_.emplace(key, win32::UniqueKey(opened));
    return 0;
  }

  std::map<RegKeyId, win32::UniqueKey> keys_;
  RegKeyId nextId_ = 1;
};

}  // namespace

Registry& Reg() {
  static Win32Registry registry;
  return registry;
}

}  // namespace toolkit
