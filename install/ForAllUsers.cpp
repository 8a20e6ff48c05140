#include "install/ForAllUsers.h"

#include "config/Vars.h"
#include "install/PathOps.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

// "4,0,0,<n>": Active Setup compares the machine's version with the user's, part by part.
std::string NextVersion(toolkit::RegistryCursor& component) {
  unsigned run = 0;
  try {
    const std::string version = component.ReadString("Version");
    const std::size_t comma = version.find_last_of(',');
    if (comma != std::string::npos) {
      for (const char c : version.substr(comma + 1)) {
        if (c < '0' || c > '9' || run > 100000) break;
        run = run * 10 + unsigned(c - '0');
      }
    }
  } catch (const toolkit::ERegistryException&) {
  }
  return "4,0,0," + std::to_string(run + 1);
}

void RaiseVersion() {
  toolkit::RegistryCursor component;
  if (!component.OpenKey(kActiveSetupKey)) throw toolkit::ERegistryException(kActiveSetupKey);
  component.WriteString("Version", NextVersion(component));
}

}  // namespace

std::string UserPartFolder() {
  return JoinPath(toolkit::Fs().MachineDir(toolkit::MachineFolder::kProgramFiles), "Tolvek");
}

std::string MachineBundleBase() {
  return toolkit::Fs().MachineDir(toolkit::MachineFolder::kProgramFiles);
}

void RegisterForUsers(toolkit::ChangeRecorder& recorder) {
  const std::string folder = UserPartFolder();
  if (!toolkit::Fs().DirExists(folder)) {
    recorder.FolderCreated(folder);
    toolkit::fs::MkDir(folder);
  }
  const std::string program = JoinPath(folder, kUserPartProgram);
  const bool existed = toolkit::Fs().FileExists(program);
  if (!existed) {
    toolkit::fs::File source;
    source.Open(toolkit::Fs().ProgramPath(), toolkit::OpenMode::kRead);
    recorder.FileCreated(program, source.Size());
  }
  const std::uint32_t crc = toolkit::CopyFileSummed(toolkit::Fs().ProgramPath(), program);
  if (!existed) recorder.FileChecksum(program, crc);

  toolkit::RegistryCursor component;
  if (!component.OpenExistingKey(kActiveSetupKey)) recorder.KeyCreated(kActiveSetupKey);
  if (!component.OpenKey(kActiveSetupKey)) throw toolkit::ERegistryException(kActiveSetupKey);
  component.WriteString("", config::Vars.ProductTitle);
  component.WriteString("StubPath", "\"" + program + "\" /USER /S");
  if (!component.WriteNumber("IsInstalled", 1)) throw toolkit::ERegistryException("IsInstalled");
  RaiseVersion();
}

void HandOverToUsers() { RaiseVersion(); }

}  // namespace install
