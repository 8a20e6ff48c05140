#include "install/LogonRepair.h"

#include "install/ForAllUsers.h"
#include "install/RecordBounds.h"
#include "install/Registration.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {

std::string RunKey(bool forAllUsers) {
  return forAllUsers ? toolkit::kMachineHive + std::string(kRunKey) : kRunKey;
}

std::string LogonCommand(bool forAllUsers, const std::string& folder) {
  if (forAllUsers) {
    return "\"" + toolkit::fs::JoinPath(folder, kUserPartProgram) + "\" /USER /LOGON";
  }
  return "\"" + toolkit::fs::JoinPath(folder, kUninstallerName) + "\" /REPAIR /LOGON";
}

void RegisterLogonRepair(toolkit::ChangeRecorder& recorder, bool forAllUsers,
                         const std::string& recordFolder, const std::string& destination) {
  const std::optional<std::string> record = ComparablePath(recordFolder);
  if (!record || record == ComparablePath(destination)) return;
  const std::string key = RunKey(forAllUsers);
  toolkit::RegistryCursor run;
  if (!run.OpenKey(key)) throw toolkit::ERegistryException(key);
  if (run.HasValue(kRunValueName)) return;
  const std::string command = LogonCommand(forAllUsers, recordFolder);
  // On the record first: a kill right after the write still leaves it to be taken away.
  recorder.RegistryValueChanged(key, kRunValueName, command, std::nullopt);
  run.WriteString(kRunValueName, command);
}

}  // namespace install
