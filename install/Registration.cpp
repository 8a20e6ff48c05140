#include "install/Registration.h"

#include <algorithm>

#include "config/Vars.h"
#include "install/PathOps.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

using toolkit::OpenMode;

constexpr const char* kUninstallerTempName = "UNINSTAL.NEW";

// A string value of the entry, when the entry and the value are there.
std::optional<std::string> EntryText(const std::string& name) {
  for (const std::string& key : ProductKeys()) {
    toolkit::RegistryCursor entry;
    if (!entry.OpenExistingKey(key) || !entry.HasValue(name)) continue;
    try {
      return entry.ReadString(name);
    } catch (const toolkit::ERegistryException&) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// The ";"-separated list with `folder` added unless it names it already.
std::string WithFolder(const std::string& list, const std::string& folder) {
  const std::string wanted = toolkit::fs::FoldCase(StripTrailingBackslash(folder));
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = std::min(list.find(';', at), list.size());
    if (toolkit::fs::FoldCase(StripTrailingBackslash(list.substr(at, end - at))) == wanted) {
      return list;
    }
    at = end + 1;
  }
  return list.empty() ? folder : list + ";" + folder;
}

}  // namespace

std::string EntryKey(bool forAllUsers) {
  return forAllUsers ? toolkit::kMachineHive + std::string(kUninstallKey) : kUninstallKey;
}

std::vector<std::string> ProductKeys() { return {EntryKey(true), EntryKey(false)}; }

std::string UninstallCommand(const std::string& recordFolder) {
  return "\"" + JoinPath(recordFolder, kUninstallerName) + "\" /UNINSTALL";
}

std::string QuietUninstallCommand(const std::string& recordFolder) {
  return UninstallCommand(recordFolder) + " /S";
}

std::string RepairCommand(const std::string& recordFolder) {
  return "\"" + JoinPath(recordFolder, kUninstallerName) + "\" /REPAIR";
}

void PlaceUninstaller(toolkit::ChangeRecorder& recorder, const std::string& recordFolder) {
  const std::string program = toolkit::Fs().ProgramPath();
  const std::string target = JoinPath(recordFolder, kUninstallerName);
  // The uninstaller itself, run as an installer, has nothing to copy.
  if (toolkit::fs::FoldCase(program) == toolkit::fs::FoldCase(target)) return;
  if (!toolkit::Fs().FileExists(target)) {
    toolkit::fs::File source;
    source.Open(program, OpenMode::kRead);
    recorder.FileCreated(target, source.Size());
    source.Close();
    recorder.FileChecksum(target, toolkit::CopyFileSummed(program, target));
    return;
  }
  const std::string temp = toolkit::fs::FreeName(JoinPath(recordFolder, kUninstallerTempName));
  toolkit::CopyFileSummed(program, temp);
  toolkit::fs::Erase(target);
  toolkit::fs::Rename(temp, target);
}

void RegisterProduct(toolkit::ChangeRecorder& recorder, const std::string& destination,
                     const std::string& recordFolder, const std::string& acadFolder,
                     bool newJournal, bool forAllUsers) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string uninstaller = JoinPath(recordFolder, kUninstallerName);
  const std::string entry = EntryKey(forAllUsers);
  toolkit::RegistryCursor key;
  // On the record before it exists: a killed installation still leaves it to be removed.
  if (!key.OpenExistingKey(entry)) recorder.KeyCreated(entry);
  if (!key.OpenKey(entry)) throw toolkit::ERegistryException(entry);
  const std::string folders =
      key.HasValue(kAcadFoldersValue) ? key.ReadString(kAcadFoldersValue) : std::string();
  const std::pair<const char*, std::string> texts[] = {
      {"DisplayName", v.ProductTitle},
      {"DisplayVersion", v.ProductVersion},
      {"Publisher", v.Publisher},
      {"InstallLocation", destination},
      {"DisplayIcon", uninstaller},
      {"UninstallString", UninstallCommand(recordFolder)},
      {"QuietUninstallString", QuietUninstallCommand(recordFolder)},
      {"ModifyPath", RepairCommand(recordFolder)},
      {kAcadFoldersValue, WithFolder(folders, acadFolder)},
  };
  for (const auto& [name, text] : texts) key.WriteString(name, text);
  // NoModify would hide the Modify command; an earlier installation wrote it as 1.
  if (key.HasValue("NoModify") && !key.DeleteValue("NoModify")) {
    throw toolkit::ERegistryException("NoModify");
  }
  if (!key.WriteNumber("NoRepair", 1)) throw toolkit::ERegistryException("NoRepair");
  if (newJournal && key.HasValue(kJournalSizeValue) && !key.DeleteValue(kJournalSizeValue)) {
    throw toolkit::ERegistryException(kJournalSizeValue);
  }
}

void PointEntryAt(const std::string& recordFolder, bool forAllUsers) {
  toolkit::RegistryCursor key;
  const std::string entry = EntryKey(forAllUsers);
  if (!key.OpenExistingKey(entry)) throw toolkit::ERegistryException(entry);
  key.WriteString("DisplayIcon", JoinPath(recordFolder, kUninstallerName));
  key.WriteString("UninstallString", UninstallCommand(recordFolder));
  key.WriteString("QuietUninstallString", QuietUninstallCommand(recordFolder));
  key.WriteString("ModifyPath", RepairCommand(recordFolder));
  if (key.HasValue(kJournalSizeValue) && !key.DeleteValue(kJournalSizeValue)) {
    throw toolkit::ERegistryException(kJournalSizeValue);
  }
}

void CompleteRegistration(std::uint64_t placedBytes, std::uint64_t journalBytes, bool forAllUsers) {
  toolkit::RegistryCursor key;
  const std::string entry = EntryKey(forAllUsers);
  if (!key.OpenExistingKey(entry)) throw toolkit::ERegistryException(entry);
  if (!key.WriteNumber("EstimatedSize", std::uint32_t((placedBytes + 1023) / 1024))) {
    throw toolkit::ERegistryException("EstimatedSize");
  }
  key.WriteString(kJournalSizeValue, std::to_string(journalBytes));
}

std::optional<std::string> RegisteredDestination() { return EntryText("InstallLocation"); }

std::optional<std::string> MachineDestination() {
  toolkit::RegistryCursor entry;
  if (!entry.OpenExistingKey(EntryKey(true)) || !entry.HasValue("InstallLocation")) {
    return std::nullopt;
  }
  try {
    return entry.ReadString("InstallLocation");
  } catch (const toolkit::ERegistryException&) {
    return std::nullopt;
  }
}

std::optional<std::uint64_t> RegisteredJournalSize(bool forAllUsers) {
  toolkit::RegistryCursor entry;
  if (!entry.OpenExistingKey(EntryKey(forAllUsers)) || !entry.HasValue(kJournalSizeValue)) {
    return std::nullopt;
  }
  std::optional<std::string> text;
  try {
    text = entry.ReadString(kJournalSizeValue);
  } catch (const toolkit::ERegistryException&) {
    return std::nullopt;
  }
  if (!text || text->empty()) return std::nullopt;
  std::uint64_t size = 0;
  for (const char c : *text) {
    if (c < '0' || c > '9' || size > (std::uint64_t(1) << 60)) return std::nullopt;
    size = size * 10 + std::uint64_t(c - '0');
  }
  return size;
}

std::string EntryDestination(bool forAllUsers) {
  toolkit::RegistryCursor entry;
  if (entry.OpenExistingKey(EntryKey(forAllUsers)) && entry.HasValue("InstallLocation")) {
    try {
      return entry.ReadString("InstallLocation");
    } catch (const toolkit::ERegistryException&) {
    }
  }
  return config::Vars.DestFolder;
}

std::vector<std::string> RegisteredAcadFolders(bool forAllUsers) {
  std::vector<std::string> folders;
  toolkit::RegistryCursor entry;
  std::string list;
  if (!entry.OpenExistingKey(EntryKey(forAllUsers))) return folders;
  try {
    list = entry.ReadString(kAcadFoldersValue);
  } catch (const toolkit::ERegistryException&) {
    return folders;
  }
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = std::min(list.find(';', at), list.size());
    if (end > at) folders.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  return folders;
}

}  // namespace install
