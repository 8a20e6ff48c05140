#include "install/NotedRecorder.h"

#include "config/FrontEnd.h"
#include "config/Vars.h"

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
}

void NotedRecorder::LeftAsItWas(const std::string& target, toolkit::LeftReason why) {
  const config::ConfigurationBlock& v = config::Vars;
  frontEnd_.Note(
      (why == toolkit::LeftReason::kAlreadyThere ? v.LogAlreadyPatched : v.LogNothingToAdd) + " " +
      AsShown(target));
}

}  // namespace install
