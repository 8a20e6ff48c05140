// The demo AutoCAD 2004 or later of tools/demo-autocad, laid onto the Wine machine the way an
// AutoCAD installation and its first start leave it: the AutoCAD folder, with or without the
// session start-up file and, in "support", the document start-up file; a user profile whose
// Support folder holds the menu and command alias files; and the registry values that lead to that
// profile, for the release and product a scene names, with the profiles' variables. Whatever the
// scene made is taken away again (the product's bundle in the user's application data included),
// registry values that were there before put back.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The AutoCAD folder is the one the installer proposes, whatever the release: only the start-up
// files in it and the registry tell the releases apart.
inline const std::string kCadFolder = "C:\\Programmi\\Autocad 2006";
inline const std::string kProfileRoot = "C:\\Profili";
inline const std::string kProfileSupport = "C:\\Profili\\AutoCAD 2006\\R16.2\\ita\\Support";

// A file of tools/demo-autocad as the source tree holds it.
std::string DemoFile(const std::string& name);

enum class StartupFiles { kPresent, kNone };

struct Profile {
  std::string name;
  std::optional<std::string> trustedPaths;  // TRUSTEDPATHS under its Variables, when set
};

struct Scene {
  StartupFiles startupFiles = StartupFiles::kPresent;
  std::string release = "R16.2";
  std::string product = "ACAD-4001:410";
  std::vector<Profile> profiles;
  // The profile's Support folder, below kProfileRoot.
  std::string support = kProfileSupport;
  // An acaddoc.lsp of the user's in that folder, when set.
  std::optional<std::string> acadDoc;
  // False for a user who has never started AutoCAD: the files are there, but no registry key.
  bool registered = true;
};

// AutoCAD 2008 and 2026 as their first start leaves them, without any start-up file the installer
// patches; 2026 with AutoCAD's own profile and one the user made.
Scene AutoCad2008();
Scene AutoCad2026();

// The registry key of a scene's product and of its profile's variables.
std::string ProductKey(const Scene& scene);
std::string VariablesKey(const Scene& scene, const std::string& profile);

// The current user's %APPDATA%, and the bundle's folder in it.
std::string AppData();
std::string BundleFolder();

std::optional<std::string> StringValue(const std::string& key, const std::string& name);

class DemoAutoCad {
 public:
  explicit DemoAutoCad(const Scene& scene = Scene());
  explicit DemoAutoCad(StartupFiles startupFiles);
  ~DemoAutoCad();
  DemoAutoCad(const DemoAutoCad&) = delete;
  DemoAutoCad& operator=(const DemoAutoCad&) = delete;

 private:
  void MakeKey(const std::string& key);
  // Sets the value, or deletes it when `text` is empty, keeping what it held to put back.
  void SetValue(const std::string& key, const std::string& name,
                const std::optional<std::string>& text);

  struct SavedValue {
    std::string key;
    std::string name;
    std::optional<std::string> before;
  };
  std::vector<std::string> createdKeys_;  // outermost first
  std::vector<SavedValue> values_;
  // The installation made the application data's Autodesk folder: it goes too.
  std::optional<std::string> madeFolders_;
};

}  // namespace e2e
