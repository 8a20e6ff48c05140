// The access lists the installer gives its folders on Windows NT. The destination is made at the
// root of drive C:, where Windows lets every authenticated user change what a new folder holds;
// the installation's journal there tells the uninstaller, which an administrator or a deployment
// tool may run, what to remove. So the folder gets a list of its own: full control for the
// system, the administrators and the user who installs, read and run for every other user, and
// the folder of the users' own parts change for every user as well.
#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "toolkit/win32/FolderAccess.h"
#include "toolkit/win32/Handles.h"

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

}  // namespace

std::uint32_t SetFolderAccess(const std::string& path, FolderAccess access) {
  // Windows 9x keeps no access lists.
  if ((GetVersion() & 0x80000000) != 0) return 0;
  // Each ACE the folder hands down to what it holds, folders and files alike. (Looked up: the
  // function is Windows 2000's.)
  using AddAceEx = BOOL(WINAPI*)(PACL, DWORD, DWORD, DWORD, PSID);
  const auto addAce = reinterpret_cast<AddAceEx>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("advapi32.dll"), "AddAccessAllowedAceEx")));
  if (addAce == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  const DWORD everything = FILE_ALL_ACCESS;
  const DWORD readAndRun = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
  const DWORD change = readAndRun | FILE_GENERIC_WRITE | DELETE;
  const std::vector<std::pair<std::vector<BYTE>, DWORD>> entries = {
      {WellKnownSid(SECURITY_LOCAL_SYSTEM_RID), everything},
      {WellKnownSid(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS), everything},
      {ProcessUserSid(), everything},
      {WellKnownSid(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS),
       access == FolderAccess::kShared ? change : readAndRun},
  };
  DWORD size = sizeof(ACL);
  for (const auto& [sid, mask] : entries) {
    if (sid.empty()) return ERROR_INVALID_SID;
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + DWORD(sid.size());
  }
  std::vector<BYTE> buffer(size);
  const PACL acl = reinterpret_cast<PACL>(buffer.data());
  if (!InitializeAcl(acl, size, ACL_REVISION)) return GetLastError();
  for (const auto& [sid, mask] : entries) {
    if (!addAce(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, mask,
                const_cast<BYTE*>(sid.data()))) {
      return GetLastError();
    }
  }
  // Protected: the root's list, which lets every user add and change, no longer flows in.
  return SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, acl, nullptr);
}

}  // namespace toolkit::win32
