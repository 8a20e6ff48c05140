#include "install/NotedRecorder.h"

#include "cad/AcadFiles.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/FileSystem.h"

namespace install {

std::string AsShown(std::string path) {
  for (std::size_t at = path.find("\\\\", 1); at != std::string::npos; at = path.find("\\\\", at)) {
    path.erase(at, 1);
  }
  return path;
}

void NotedRecorder::Rewritten(const toolkit::FileSwap& swap) {
  record_.Rewritten(swap);
  const config::ConfigurationBlock& v = config::Vars;
  frontEnd_.Note(v.LogFilePatched + " " + AsShown(swap.target) + " (" + v.LogBackup + " " +
                 AsShown(swap.backup) + ")");
  // The backup's own name was taken (the user's backup, an earlier installation's): say where
  // this one went, and that the other stays as it is.
  const std::size_t slash = swap.backup.find_last_of('\\');
  const std::string folder = swap.backup.substr(0, slash + 1);
  const std::optional<cad::RewrittenFile> rewrite =
      cad::FindRewrittenFile(swap.target.substr(swap.target.find_last_of('\\') + 1));
  if (rewrite &&
      toolkit::fs::FoldCase(swap.backup) != toolkit::fs::FoldCase(folder + rewrite->backup)) {
    frontEnd_.Note(config::FormatMessage(v.LogOwnBackupKept, {AsShown(folder + rewrite->backup)}) +
                   " " + AsShown(swap.backup));
  }
}

void NotedRecorder::LeftAsItWas(const std::string& target, toolkit::LeftReason why) {
  const config::ConfigurationBlock& v = config::Vars;
  frontEnd_.Note(
      (why == toolkit::LeftReason::kAlreadyThere ? v.LogAlreadyPatched : v.LogNothingToAdd) + " " +
      AsShown(target));
}

}  // namespace install
