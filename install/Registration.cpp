#include "install/Registration.h"

#include "config/Vars.h"
#include "install/Journal.h"
#include "install/PathOps.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

using toolkit::OpenMode;

constexpr const char* kUninstallerTempName = "UNINSTAL.NEW";

}  // namespace

std::string UninstallCommand(const std::string& destination) {
  return "\"" + JoinPath(destination, kUninstallerName) + "\" /UNINSTALL";
}

std::string QuietUninstallCommand(const std::string& destination) {
  return UninstallCommand(destination) + " /S";
}

void PlaceUninstaller(Journal& journal, const std::string& destination) {
  const std::string program = toolkit::Fs().ProgramPath();
  const std::string target = JoinPath(destination, kUninstallerName);
  // The uninstaller itself, run as an installer, has nothing to copy.
  if (toolkit::fs::FoldCase(program) == toolkit::fs::FoldCase(target)) return;
  if (!toolkit::Fs().FileExists(target)) {
    toolkit::fs::File source;
    source.Open(program, OpenMode::kRead);
    journal.FileCreated(target, source.Size());
    source.Close();
    journal.FileChecksum(target, toolkit::CopyFileSummed(program, target));
    return;
  }
  const std::string temp = JoinPath(destination, kUninstallerTempName);
  toolkit::CopyFileSummed(program, temp);
  toolkit::fs::Erase(target);
  toolkit::fs::Rename(temp, target);
}

void RegisterProduct(Journal& journal, const std::string& destination) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string uninstaller = JoinPath(destination, kUninstallerName);

  toolkit::RegistryCursor key;
  // On the record before it exists: a killed installation still leaves it to be removed.
  if (!key.OpenExistingKey(kUninstallKey)) journal.KeyCreated(kUninstallKey);
  if (!key.OpenKey(kUninstallKey)) throw toolkit::ERegistryException(kUninstallKey);
  const std::pair<const char*, std::string> texts[] = {
      {"DisplayName", v.ProductTitle},
      {"DisplayVersion", v.ProductVersion},
      {"Publisher", v.Publisher},
      {"InstallLocation", destination},
      {"DisplayIcon", uninstaller},
      {"UninstallString", UninstallCommand(destination)},
      {"QuietUninstallString", QuietUninstallCommand(destination)},
  };
  for (const auto& [name, text] : texts) key.WriteString(name, text);
  const std::pair<const char*, std::uint32_t> numbers[] = {
      {"EstimatedSize", std::uint32_t((journal.PlacedBytes() + 1023) / 1024)},
      {"NoModify", 1},
      {"NoRepair", 1},
  };
  for (const auto& [name, number] : numbers) {
    if (!key.WriteNumber(name, number)) throw toolkit::ERegistryException(name);
  }
}

}  // namespace install
