#include "tools/progman-service/ShellStartMenu.h"

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>

#include "toolkit/UniqueHandle.h"
#include "tools/progman-service/ComPtr.h"

namespace progman {
namespace {

void CloseFind(HANDLE search) { FindClose(search); }
using UniqueFind = toolkit::Unique<HANDLE, CloseFind>;

// A search reports failure as INVALID_HANDLE_VALUE; the owner holds null instead.
HANDLE NullIfInvalid(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes the folder and everything below it. A junction is removed as a name, never entered, so
// that a link placed in the Start menu cannot make a group's deletion reach outside it.
bool RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry{};
  UniqueFind search(NullIfInvalid(FindFirstFileA((folder + "\\*").c_str(), &entry)));
  bool removed = true;
  if (search) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      const DWORD attributes = entry.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        removed = RemoveTree(path) && removed;
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        removed = RemoveDirectoryA(path.c_str()) && removed;
      } else {
        // A read-only shortcut is still the group's: the shell deletes it too.
        if (attributes & FILE_ATTRIBUTE_READONLY) {
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        removed = DeleteFileA(path.c_str()) && removed;
      }
    } while (FindNextFileA(search.Get(), &entry));
  }
  search.Reset();
  return RemoveDirectoryA(folder.c_str()) && removed;
}

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(std::size_t(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(std::size_t(length - 1));
  return wide;
}

}  // namespace

std::optional<std::string> ShellStartMenu::GroupFolder(const Group& group) {
  char programs[MAX_PATH] = {};
  const int folder = (group.common ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) | CSIDL_FLAG_CREATE;
  if (FAILED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, programs))) {
    return std::nullopt;
  }
  std::string path = std::string(programs) + "\\" + group.name;
  // Room for "\" and an item's name with ".lnk" is checked when the item is made.
  if (path.size() >= MAX_PATH) return std::nullopt;
  return path;
}

bool ShellStartMenu::CreateGroup(const Group& group) {
  std::optional<std::string> folder = GroupFolder(group);
  if (!folder) return false;
  // A group name may hold subfolders ("Tolvek\Tools"): each level is made in turn.
  std::size_t end = folder->size() - group.name.size();
  for (;;) {
    end = folder->find('\\', end);
    const std::string level = folder->substr(0, end);
    if (!CreateDirectoryA(level.c_str(), nullptr) && !IsFolder(level)) return false;
    if (end == std::string::npos) return true;
    ++end;
  }
}

bool ShellStartMenu::DeleteGroup(const Group& group) {
  std::optional<std::string> folder = GroupFolder(group);
  return folder && IsFolder(*folder) && RemoveTree(*folder);
}

bool ShellStartMenu::CreateShortcut(const Group& group, const Shortcut& shortcut) {
  std::optional<std::string> folder = GroupFolder(group);
  if (!folder || !IsFolder(*folder)) return false;
  const std::string file = *folder + "\\" + shortcut.name + ".lnk";
  if (file.size() >= MAX_PATH) return false;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.Out()))) {
    return false;
  }
  if (FAILED(link->SetPath(shortcut.target.c_str())) ||
      FAILED(link->SetArguments(shortcut.arguments.c_str())) ||
      FAILED(link->SetWorkingDirectory(shortcut.workingFolder.c_str()))) {
    return false;
  }
  if (!shortcut.iconFile.empty() &&
      FAILED(link->SetIconLocation(shortcut.iconFile.c_str(), shortcut.iconIndex))) {
    return false;
  }
  ComPtr<IPersistFile> persist;
  if (FAILED(link->QueryInterface(IID_IPersistFile, persist.Out()))) return false;
  return SUCCEEDED(persist->Save(Wide(file).c_str(), TRUE));
}

bool ShellStartMenu::DeleteShortcut(const Group& group, const std::string& name) {
  std::optional<std::string> folder = GroupFolder(group);
  return folder && DeleteFileA((*folder + "\\" + name + ".lnk").c_str());
}

bool ShellStartMenu::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace progman
