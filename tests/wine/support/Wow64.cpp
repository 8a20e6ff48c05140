#include "tests/wine/support/Wow64.h"

#include <shlobj.h>

#include <vector>

#include "toolkit/win32/Handles.h"

namespace winetest::wow64 {

namespace {

using toolkit::win32::UniqueKey;

REGSAM Flag(View view) { return view == View::k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

std::optional<UniqueKey> Open(HKEY root, View view, const std::string& key, REGSAM access) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, access | Flag(view), &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return UniqueKey(opened);
}

std::vector<std::string> SubKeys(HKEY key) {
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace

LONG WriteString(HKEY root, View view, const std::string& key, const std::string& name,
                 const std::string& value) {
  HKEY created = nullptr;
  LONG result = RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | Flag(view),
                                nullptr, &created, nullptr);
  if (result != ERROR_SUCCESS) return result;
  UniqueKey owned(created);
  return RegSetValueExA(owned.Get(), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
}

std::optional<std::string> ReadString(HKEY root, View view, const std::string& key,
                                      const std::string& name) {
  std::optional<UniqueKey> opened = Open(root, view, key, KEY_QUERY_VALUE);
  if (!opened) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(opened->Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  std::string value(size, '\0');
  if (RegQueryValueExA(opened->Get(), name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // The stored string usually, but not always, carries its terminating null.
  value.resize(size);
  while (!value.empty() && value.back() == '\0') value.pop_back();
  return value;
}

bool KeyExists(HKEY root, View view, const std::string& key) {
  return Open(root, view, key, KEY_QUERY_VALUE).has_value();
}

LONG DeleteTree(HKEY root, View view, const std::string& key) {
  // Every sub-key is named by its full path with the view's flag, so that no step depends on how a
  // path relative to a handle opened in one view is redirected.
  std::vector<std::string> children;
  {
    std::optional<UniqueKey> opened = Open(root, view, key, KEY_ENUMERATE_SUB_KEYS);
    if (!opened) return ERROR_SUCCESS;
    children = SubKeys(opened->Get());
  }
  for (const std::string& child : children) {
    if (LONG result = DeleteTree(root, view, key + "\\" + child); result != ERROR_SUCCESS) {
      return result;
    }
  }
  LONG result = RegDeleteKeyExA(root, key.c_str(), Flag(view), 0);
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string ProgramFiles32() {
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  return folder;
}

std::string AppData() {
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  return folder;
}

std::optional<std::string> ProgramFiles64() {
  char folder[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA("ProgramW6432", folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return std::nullopt;
  return std::string(folder, length);
}

}  // namespace winetest::wow64
