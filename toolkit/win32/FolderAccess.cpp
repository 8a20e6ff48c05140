// The access lists the installer gives its folders on Windows NT. The destination is made at the
// root of drive C:, where Windows lets every authenticated user change what a new folder holds;
// the installation's journal there tells the uninstaller, which an administrator or a deployment
// tool may run, what to remove. So the folder gets a list of its own: full control for the
// system, the administrators and the user who installs, read and run for every other user, and
// the folder of the users' own parts change for every user as well. An installation for every
// user, run as an administrator or as SYSTEM, makes the folder the administrators' alone, and
// takes over what it already holds: a user who made the folder, or anything in it, before the
// installation would otherwise remain its owner, and an owner may always grant himself access
// again, to replace a program or a script every other user runs. A run's private folder (where
// the uninstaller runs its copy from) is made with a list of its own from the start: the
// temporary folder of SYSTEM lets every user add to what any folder in it holds.
#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "toolkit/win32/FolderAccess.h"
#include "toolkit/win32/FolderListing.h"
#include "toolkit/win32/Handles.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

struct SidFree {
  static void Close(PSID sid) { FreeSid(sid); }
};

// A well-known SID of the NT authority: SYSTEM (one RID), or a built-in group (two).
std::vector<BYTE> WellKnownSid(DWORD first, DWORD second = 0) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&nt, second == 0 ? 1 : 2, first, second, 0, 0, 0, 0, 0, 0, &sid)) {
    return {};
  }
  std::vector<BYTE> copy(GetLengthSid(sid));
  CopySid(DWORD(copy.size()), copy.data(), sid);
  FreeSid(sid);
  return copy;
}

// The SID of the user this process runs as.
std::vector<BYTE> ProcessUserSid() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
  UniqueHandle token(opened);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) {
    return {};
  }
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  std::vector<BYTE> copy(GetLengthSid(sid));
  CopySid(DWORD(copy.size()), copy.data(), sid);
  return copy;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Calls `visit` with every folder and file below `folder`, each folder before what it holds;
// false as soon as one is a link (or a folder cannot be listed), without going through it.
template <typename Visit>
bool WalkWithoutLinks(const std::string& folder, Visit visit) {
  const std::uint32_t result = ListFolder(folder + "\\*", [&](const FolderEntry& found) {
    if (found.name == "." || found.name == "..") return true;
    if (IsLink(found.attributes)) return false;
    const std::string path = folder + "\\" + found.name;
    if (!visit(path)) return false;
    return (found.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || WalkWithoutLinks(path, visit);
  });
  return result == ERROR_NO_MORE_FILES || result == ERROR_FILE_NOT_FOUND;
}

// The list and owner of a file or folder by its name. Called on the NT family only, where the
// wide call is (looked up, since Windows 9x's advapi32 need not have it).
DWORD SetNamedSecurity(const std::string& path, SECURITY_INFORMATION what, PSID owner, PACL acl) {
  using SetInfo =
      DWORD(WINAPI*)(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);
  static const auto setInfo = SystemFunction<SetInfo>("advapi32.dll", "SetNamedSecurityInfoW");
  if (setInfo == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  std::wstring name = Wide(path);
  return setInfo(name.data(), SE_FILE_OBJECT, what, owner, nullptr, acl, nullptr);
}

// Turns on the privileges with which an administrator or SYSTEM may make the administrators the
// owner of what another user owns.
void EnableOwnershipPrivileges() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
    return;
  }
  UniqueHandle token(opened);
  for (const char* name : {SE_TAKE_OWNERSHIP_NAME, SE_RESTORE_NAME}) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) {
      AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    }
  }
}

// The list `access` gives a folder, every entry handed down to what it holds, in `buffer`.
std::uint32_t BuildAcl(FolderAccess access, std::vector<BYTE>& buffer) {
  // Each ACE the folder hands down to what it holds, folders and files alike. (Looked up: the
  // function is Windows 2000's.)
  using AddAceEx = BOOL(WINAPI*)(PACL, DWORD, DWORD, DWORD, PSID);
  const auto addAce = SystemFunction<AddAceEx>("advapi32.dll", "AddAccessAllowedAceEx");
  if (addAce == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  const DWORD everything = FILE_ALL_ACCESS;
  const DWORD readAndRun = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
  const DWORD change = readAndRun | FILE_GENERIC_WRITE | DELETE;
  std::vector<std::pair<std::vector<BYTE>, DWORD>> entries = {
      {WellKnownSid(SECURITY_LOCAL_SYSTEM_RID), everything},
      {WellKnownSid(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS), everything},
  };
  if (access != FolderAccess::kPrivate) {
    entries.push_back({WellKnownSid(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS),
                       access == FolderAccess::kShared ? change : readAndRun});
  }
  if (access != FolderAccess::kMachine) entries.push_back({ProcessUserSid(), everything});
  DWORD size = sizeof(ACL);
  for (const auto& [sid, mask] : entries) {
    if (sid.empty()) return ERROR_INVALID_SID;
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + DWORD(sid.size());
  }
  buffer.assign(size, 0);
  const PACL acl = reinterpret_cast<PACL>(buffer.data());
  if (!InitializeAcl(acl, size, ACL_REVISION)) return GetLastError();
  for (const auto& [sid, mask] : entries) {
    if (!addAce(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, mask,
                const_cast<BYTE*>(sid.data()))) {
      return GetLastError();
    }
  }
  return 0;
}

}  // namespace

std::uint32_t SetFolderAccess(const std::string& path, FolderAccess access) {
  // Windows 9x keeps no access lists.
  if (!IsNt()) return 0;
  std::vector<BYTE> buffer;
  if (const std::uint32_t error = BuildAcl(access, buffer)) return error;
  const PACL acl = reinterpret_cast<PACL>(buffer.data());
  if (access != FolderAccess::kMachine) {
    // Protected: the root's list, which lets every user add and change, no longer flows in.
    return SetNamedSecurity(path, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, acl);
  }

  // Nothing is changed through a link: it could lead anywhere on the machine.
  if (HoldsLink(path)) return kErrLinkInTheWay;
  if (GetFileAttributesW(Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) return GetLastError();
  EnableOwnershipPrivileges();
  std::vector<BYTE> administrators =
      WellKnownSid(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
  const PSID owner = administrators.data();
  if (const DWORD error = SetNamedSecurity(path,
                                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                               PROTECTED_DACL_SECURITY_INFORMATION,
                                           owner, acl)) {
    return error;
  }
  // What it holds keeps no entry of its own: an empty list, not protected, is the folder's.
  ACL inheritOnly;
  if (!InitializeAcl(&inheritOnly, sizeof inheritOnly, ACL_REVISION)) return GetLastError();
  DWORD failed = 0;
  WalkWithoutLinks(path, [&](const std::string& held) {
    failed = SetNamedSecurity(held,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                  UNPROTECTED_DACL_SECURITY_INFORMATION,
                              owner, &inheritOnly);
    return failed == 0;
  });
  return failed;
}

bool HoldsLink(const std::string& folder) {
  const DWORD attributes = IsNt() ? GetFileAttributesW(Wide(folder).c_str())
                                  : GetFileAttributesA(Ansi(folder).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return IsLink(attributes) || !WalkWithoutLinks(folder, [](const std::string&) { return true; });
}

std::uint32_t CreatePrivateDir(const std::string& path) {
  if (!IsNt()) return CreateDirectoryA(Ansi(path).c_str(), nullptr) ? 0 : GetLastError();
  std::vector<BYTE> buffer;
  if (const std::uint32_t error = BuildAcl(FolderAccess::kPrivate, buffer)) return error;
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(buffer.data()),
                                 FALSE)) {
    return GetLastError();
  }
  // Protected, so that the list of the folder above (C:\Windows\Temp lets every user add to
  // what its folders hold) does not flow in. (Looked up: the function is Windows 2000's.)
  using SetControl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                   SECURITY_DESCRIPTOR_CONTROL);
  const auto setControl = SystemFunction<SetControl>("advapi32.dll", "SetSecurityDescriptorControl");
  if (setControl == nullptr || !setControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return ERROR_CALL_NOT_IMPLEMENTED;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  return CreateDirectoryW(Wide(path).c_str(), &attributes) ? 0 : GetLastError();
}

}  // namespace toolkit::win32
