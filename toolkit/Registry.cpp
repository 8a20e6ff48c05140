#include "toolkit/Registry.h"

namespace toolkit {

void CloseRegistryKey(RegKeyId key) { Reg().CloseKey(key); }

bool RegistryCursor::OpenKey(const std::string& path) {
  RegKeyId key = 0;
  if (Reg().CreateKey(path, key) != 0) return false;
  current_.Reset(key);
  return true;
}

bool RegistryCursor::OpenExistingKey(const std::string& path) {
  RegKeyId key = 0;
  if (Reg().OpenKey(path, key) != 0) return false;
  current_.Reset(key);
  return true;
}

std::string RegistryCursor::ReadString(const std::string& name) {
  if (!current_) return {};
  RegValueType type = RegValueType::kString;
  std::uint32_t size = 0;
  // A missing value and a value without data both read as empty text, whatever their type.
  if (Reg().QueryValueInfo(current_.Get(), name, type, size) != 0 || size == 0) return {};
  std::string data;
  if (Reg().QueryValue(current_.Get(), name, type, data) != 0) {
    throw ERegistryException("Failed to get data for '" + name + "'");
  }
  if (type != RegValueType::kString && type != RegValueType::kExpandString) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
  // The stored string carries its terminating NUL, and the text ends at the first one.
  if (auto nul = data.find('\0'); nul != std::string::npos) data.resize(nul);
  return data;
}

void RegistryCursor::WriteString(const std::string& name, const std::string& text) {
  if (!current_ || Reg().WriteString(current_.Get(), name, text) != 0) {
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
}

bool RegistryCursor::HasValue(const std::string& name) {
  RegValueType type = RegValueType::kString;
  std::uint32_t size = 0;
  return current_ && Reg().QueryValueInfo(current_.Get(), name, type, size) == 0;
}

bool RegistryCursor::WriteNumber(const std::string& name, std::uint32_t number) {
  return current_ && Reg().WriteNumber(current_.Get(), name, number) == 0;
}

bool RegistryCursor::DeleteValue(const std::string& name) {
  return current_ && Reg().DeleteValue(current_.Get(), name) == 0;
}

std::vector<std::string> RegistryCursor::SubKeyNames() {
  std::vector<std::string> names;
  if (!current_ || Reg().SubKeyNames(current_.Get(), names) != 0) return {};
  return names;
}

}  // namespace toolkit
