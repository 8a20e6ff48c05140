// The Win32 backend's registry service: the real HKEY_CURRENT_USER.
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

// A leading backslash only says "from the root"; the API wants a name relative to the hive.
std::string RelativeToHive(const std::string& path) {
  return !path.empty() && path.front() == '\\' ? path.substr(1) : path;
}

class Win32Registry : public Registry {
 public:
  std::uint32_t CreateKey(const std::string& path, RegKeyId& key) override {
    key = 0;
    HKEY opened = nullptr;
    LONG status =
        RegCreateKeyExA(HKEY_CURRENT_USER, RelativeToHive(path).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    return Keep(opened, key);
  }

  std::uint32_t OpenKey(const std::string& path, RegKeyId& key) override {
    key = 0;
    HKEY opened = nullptr;
    LONG status =
        RegOpenKeyExA(HKEY_CURRENT_USER, RelativeToHive(path).c_str(), 0, KEY_ALL_ACCESS, &opened);
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
    return static_cast<std::uint32_t>(
        RegDeleteKeyA(HKEY_CURRENT_USER, RelativeToHive(path).c_str()));
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
