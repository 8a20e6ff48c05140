// The Win32 backend's registry service: the real HKEY_CURRENT_USER, and HKEY_LOCAL_MACHINE in the
// view 64-bit programs have of it.
#include <windows.h>

#include <map>
#include <vector>

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

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A value's data as stored, its texts in UTF-8 (their terminating zeros kept).
LONG ReadValue(HKEY key, const std::string& name, DWORD& type, std::string& data) {
  DWORD size = 0;
  if (IsNt()) {
    const std::wstring wideName = Wide(name);
    LONG status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    std::vector<BYTE> buffer(size + 2);
    size = DWORD(buffer.size());
    status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, buffer.data(), &size);
    if (status != ERROR_SUCCESS) return status;
    if (IsText(type)) {
      data = FromWide({reinterpret_cast<const wchar_t*>(buffer.data()), size / 2});
    } else {
      data.assign(reinterpret_cast<const char*>(buffer.data()), size);
    }
    return ERROR_SUCCESS;
  }
  const std::string ansiName = Ansi(name);
  LONG status = RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) return status;
  std::vector<BYTE> buffer(size + 1);
  size = DWORD(buffer.size());
  status = RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, buffer.data(), &size);
  if (status != ERROR_SUCCESS) return status;
  const std::string_view raw(reinterpret_cast<const char*>(buffer.data()), size);
  data = IsText(type) ? FromAnsi(raw) : std::string(raw);
  return ERROR_SUCCESS;
}

LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::string& data) {
  if (IsNt()) {
    const std::wstring text = Wide(data);
    const bool isText = IsText(type);
    const BYTE* bytes = isText ? reinterpret_cast<const BYTE*>(text.c_str())
                               : reinterpret_cast<const BYTE*>(data.data());
    const DWORD size = isText ? DWORD((text.size() + 1) * sizeof(wchar_t)) : DWORD(data.size());
    return RegSetValueExW(key, Wide(name).c_str(), 0, type, bytes, size);
  }
  const std::string text = IsText(type) ? Ansi(data) : data;
  const DWORD size = DWORD(text.size() + (IsText(type) ? 1 : 0));
  return RegSetValueExA(key, Ansi(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(text.c_str()), size);
}

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
    const auto isWow64 = SystemFunction<IsWow64Function>("kernel32.dll", "IsWow64Process");
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
    const REGSAM access = KEY_ALL_ACCESS | View(where.hive);
    LONG status = IsNt()
                      ? RegCreateKeyExW(where.hive, Wide(where.relative).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, access, nullptr, &opened, nullptr)
                      : RegCreateKeyExA(where.hive, Ansi(where.relative).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, access, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    return Keep(opened, key);
  }

  std::uint32_t OpenKey(const std::string& path, RegKeyId& key) override {
    key = 0;
    HKEY opened = nullptr;
    const HivePath where = Locate(path);
    const auto open = [&](REGSAM access) {
      return IsNt() ? RegOpenKeyExW(where.hive, Wide(where.relative).c_str(), 0, access, &opened)
                    : RegOpenKeyExA(where.hive, Ansi(where.relative).c_str(), 0, access, &opened);
    };
    LONG status = open(KEY_ALL_ACCESS | View(where.hive));
    // A user may read much of the machine's hive that only an administrator may change.
    if (status == ERROR_ACCESS_DENIED) status = open(KEY_READ | View(where.hive));
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
    LONG status = IsNt() ? RegQueryValueExW(found->second.Get(), Wide(name).c_str(), nullptr,
                                            &rawType, nullptr, &rawSize)
                         : RegQueryValueExA(found->second.Get(), Ansi(name).c_str(), nullptr,
                                            &rawType, nullptr, &rawSize);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    // A text's size is that of its UTF-8, the form the program reads it in.
    if (IsText(rawType)) {
      std::string text;
      status = ReadValue(found->second.Get(), name, rawType, text);
      if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
      rawSize = DWORD(text.size());
    }
    type = TypeOf(rawType);
    size = rawSize;
    return 0;
  }

  std::uint32_t QueryValue(RegKeyId key, const std::string& name, RegValueType& type,
                           std::string& data) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    DWORD rawType = 0;
    LONG status = ReadValue(found->second.Get(), name, rawType, data);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    type = TypeOf(rawType);
    return 0;
  }

  std::uint32_t SubKeyNames(RegKeyId key, std::vector<std::string>& names) override {
    names.clear();
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    // A key name is at most 255 characters.
    for (DWORD index = 0;; ++index) {
      LONG status = 0;
      if (IsNt()) {
        wchar_t name[256];
        DWORD length = 256;
        status = RegEnumKeyExW(found->second.Get(), index, name, &length, nullptr, nullptr, nullptr,
                               nullptr);
        if (status == ERROR_SUCCESS) names.push_back(FromWide({name, length}));
      } else {
        char name[256];
        DWORD length = sizeof name;
        status = RegEnumKeyExA(found->second.Get(), index, name, &length, nullptr, nullptr, nullptr,
                               nullptr);
        if (status == ERROR_SUCCESS) names.push_back(FromAnsi({name, length}));
      }
      if (status == ERROR_NO_MORE_ITEMS) return 0;
      if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    }
  }

  std::uint32_t WriteString(RegKeyId key, const std::string& name,
                            const std::string& text) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    return static_cast<std::uint32_t>(SetValue(found->second.Get(), name, REG_SZ, text));
  }

  std::uint32_t WriteNumber(RegKeyId key, const std::string& name, std::uint32_t number) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    const DWORD value = number;
    return static_cast<std::uint32_t>(
        SetValue(found->second.Get(), name, REG_DWORD,
                 std::string(reinterpret_cast<const char*>(&value), sizeof value)));
  }

  std::uint32_t DeleteKey(const std::string& path) override {
    const HivePath where = Locate(path);
    // RegDeleteKeyExW, which takes the view, exists from 64-bit XP on.
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    static const auto deleteKeyEx = SystemFunction<DeleteKeyEx>("advapi32.dll", "RegDeleteKeyExW");
    if (View(where.hive) != 0 && deleteKeyEx != nullptr) {
      return static_cast<std::uint32_t>(
          deleteKeyEx(where.hive, Wide(where.relative).c_str(), View(where.hive), 0));
    }
    return static_cast<std::uint32_t>(
        IsNt() ? RegDeleteKeyW(where.hive, Wide(where.relative).c_str())
               : RegDeleteKeyA(where.hive, Ansi(where.relative).c_str()));
  }

  std::uint32_t DeleteValue(RegKeyId key, const std::string& name) override {
    auto found = keys_.find(key);
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    return static_cast<std::uint32_t>(
        IsNt() ? RegDeleteValueW(found->second.Get(), Wide(name).c_str())
               : RegDeleteValueA(found->second.Get(), Ansi(name).c_str()));
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
