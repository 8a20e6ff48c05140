// The demo AutoCAD 2004 or later of tools/demo-autocad, laid onto the Wine machine the way an
// AutoCAD installation and its first start leave it: the AutoCAD folder with its session start-up
// file and, in "support", its document start-up file; a user profile whose Support folder holds
// the menu and command alias files; and the registry values that lead to that profile. Whatever
// the scene made is taken away again, registry values that were there before put back.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline const std::string kCadFolder = "C:\\Programmi\\Autocad 2006";
inline const std::string kProfileRoot = "C:\\Profili";
inline const std::string kProfileSupport = "C:\\Profili\\AutoCAD 2006\\R16.2\\ita\\Support";

// A file of tools/demo-autocad as the source tree holds it.
std::string DemoFile(const std::string& name);

enum class StartupFiles { kPresent, kNone };

class DemoAutoCad {
 public:
  explicit DemoAutoCad(StartupFiles startupFiles = StartupFiles::kPresent);
  ~DemoAutoCad();
  DemoAutoCad(const DemoAutoCad&) = delete;
  DemoAutoCad& operator=(const DemoAutoCad&) = delete;

 private:
  struct SavedValue {
    std::string key;
    std::string name;
    std::optional<std::string> before;
  };
  std::vector<std::string> createdKeys_;  // outermost first
  std::vector<SavedValue> values_;
};

}  // namespace e2e
