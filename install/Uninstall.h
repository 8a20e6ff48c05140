// The way back: replays the installations' journal backwards, newest installation first, and
// takes away what they did and nothing else. An AutoCAD file loses exactly the lines inserted
// into it, through the rewrite with backup; a file placed goes only while its size and CRC are
// still the recorded ones, a folder only when empty; the program group, the trusted-path entries
// and the product's entry in Add or Remove Programs go; the uninstaller and the journal last.
// Every step can be met again: a run cut short and run again ends in the same state.
#pragma once

#include <string>
#include <vector>

namespace config {
class FrontEnd;
}

namespace install {

struct UninstallReport {
  bool recordFound = false;
  // What stays, each with why ("c:\Tolvek4\UserParts (holds files Tolvek did not install)").
  std::vector<std::string> left;
  // A step failed: running the uninstaller again is needed to finish.
  bool failed = false;
};

// Removes the installations recorded in destination's journal, telling `frontEnd` each step.
// `asideFolder` (the temporary folder) takes the uninstaller when it is running and so cannot be
// deleted where it stands.
UninstallReport Uninstall(config::FrontEnd& frontEnd, const std::string& destination,
                          const std::string& asideFolder);

}  // namespace install
