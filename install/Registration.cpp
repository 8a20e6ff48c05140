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

// Copies the program; an uninstaller an earlier installation left is replaced.
void CopyProgram(Journal& journal, const std::string& target) {
  const std::string program = toolkit::Fs().ProgramPath();
  const bool existed = toolkit::Fs().FileExists(target);
  if (existed) {
    toolkit::fs::Erase(target);
  } else {
    toolkit::fs::File source;
    source.Open(program, toolkit::OpenMode::kRead);
    journal.FileCreated(target, source.Size());
  }
  const std::uint32_t crc = toolkit::CopyFileSummed(program, target);
  if (!existed) journal.FileChecksum(target, crc);
}

}  // namespace

std::string UninstallCommand(const std::string& destination) {
  return "\"" + JoinPath(destination, kUninstallerName) + "\" /UNINSTALL";
}

std::string QuietUninstallCommand(const std::string& destination) {
  return UninstallCommand(destination) + " /S";
}

void RegisterProduct(Journal& journal, const std::string& destination) {
  const config::ConfigurationBlock& v = config::Vars;
  const std::string uninstaller = JoinPath(destination, kUninstallerName);
  CopyProgram(journal, uninstaller);

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
