#include "install/RecordFolder.h"

#include "install/ForAllUsers.h"
#include "install/JournalFormat.h"
#include "install/RecordBounds.h"
#include "install/Registration.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {

std::string RecordFolder(bool forAllUsers, const std::string& destination) {
  if (forAllUsers) return UserPartFolder();
  const std::string local = toolkit::Fs().LocalAppDataDir();
  return local.empty() ? destination : toolkit::fs::JoinPath(local, "Tolvek");
}

std::optional<bool> RecordFolderForAllUsers(const std::string& folder,
                                            const std::string& destination) {
  if (SamePath(folder, RecordFolder(true, destination))) return true;
  if (SamePath(folder, RecordFolder(false, destination))) return false;
  return std::nullopt;
}

std::optional<std::string> EarlierRecordIn(const std::string& destination, bool forAllUsers) {
  // Where the record is kept in the destination still, it is this version's own.
  if (SamePath(RecordFolder(forAllUsers, destination), destination)) return std::nullopt;
  toolkit::RegistryCursor entry;
  if (!entry.OpenExistingKey(EntryKey(forAllUsers)) || !entry.HasValue("InstallLocation") ||
      !entry.HasValue("DisplayIcon")) {
    return std::nullopt;
  }
  try {
    if (!SamePath(entry.ReadString("InstallLocation"), destination) ||
        !SamePath(entry.ReadString("DisplayIcon"),
                  toolkit::fs::JoinPath(destination, kUninstallerName))) {
      return std::nullopt;
    }
  } catch (const toolkit::ERegistryException&) {
    return std::nullopt;
  }
  const std::string journal = toolkit::fs::JoinPath(destination, kJournalName);
  if (toolkit::Fs().KindOf(journal) == toolkit::PathKind::kNone) return std::nullopt;
  return journal;
}

}  // namespace install
