#include "install/RecordBounds.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

#include "cad/AcadFiles.h"
#include "cad/AcadProducts.h"
#include "cad/Bundle.h"
#include "cad/LispCandidates.h"
#include "cad/Rewrite.h"
#include "cad/Unpatch.h"
#include "config/Vars.h"
#include "install/ForAllUsers.h"
#include "install/LogonRepair.h"
#include "install/Registration.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace install {
namespace {

namespace fs = toolkit::fs;

using Paths = std::vector<std::string>;

bool Within(const std::string& path, const std::string& root) {
  return path == root ||
         (path.size() > root.size() && path.starts_with(root) && path[root.size()] == '\\');
}

// The first of `roots` (as the registry or the shell gives them) that `path` (comparable) lies
// within.
std::optional<std::string> RootAmong(const std::string& path, const Paths& roots) {
  for (const std::string& root : roots) {
    const std::optional<std::string> comparable = ComparablePath(root);
    if (comparable && Within(path, *comparable)) return root;
  }
  return std::nullopt;
}

// The comparable folder of a comparable path, and its last part.
std::pair<std::string, std::string> Split(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return {path.substr(0, slash), path.substr(slash + 1)};
}

// The one of `roots` that is `folder` (comparable).
std::optional<std::string> FolderAmong(const std::string& folder, const Paths& roots) {
  for (const std::string& root : roots) {
    if (ComparablePath(root) == folder) return root;
  }
  return std::nullopt;
}

// The folders of an AutoCAD folder whose start-up files the installer may patch.
Paths StartupFolders(const Paths& acadFolders) {
  Paths folders;
  for (const std::string& acad : acadFolders) {
    for (const cad::LispCandidate& candidate : cad::kLispCandidates) {
      folders.push_back(acad + std::string(candidate.subFolder));
    }
  }
  return folders;
}

Paths Bundles(const TrustedRoots& roots) {
  Paths bundles;
  for (const std::string& plugins : roots.pluginFolders) {
    bundles.push_back(plugins + "\\" + std::string(cad::kBundleFolders[2]));
  }
  return bundles;
}

// A folder acts below itself when it is one the product makes above its trusted roots (the
// destination's parents, the bundle's): nothing above it is the product's to look at.
std::optional<std::string> FolderRoot(const std::string& path, const std::string& original,
                                      const TrustedRoots& roots) {
  const std::optional<std::string> destination = ComparablePath(roots.destination);
  if (destination && Within(path, *destination)) return roots.destination;
  if (destination && Within(*destination, path)) return original;
  for (const std::string& own : {roots.userPartFolder, roots.recordFolder}) {
    if (!own.empty() && ComparablePath(own) == path) return own;
  }
  if (const std::optional<std::string> bundle = RootAmong(path, Bundles(roots))) return bundle;
  // The bundle's own parents, which the first bundle of the user may have made.
  for (const std::string& plugins : roots.pluginFolders) {
    const std::optional<std::string> folder = ComparablePath(plugins);
    if (folder && (*folder == path || Split(*folder).first == path)) return original;
  }
  return std::nullopt;
}

std::optional<std::string> FileRoot(const std::string& path, const TrustedRoots& roots,
                                    RecordTrust trust) {
  const std::optional<std::string> destination = ComparablePath(roots.destination);
  // UserParts holds the users' own parts: nothing of the product is ever placed there.
  if (destination && Within(path, *destination) && !Within(path, *destination + "\\userparts")) {
    return roots.destination;
  }
  if (const std::optional<std::string> bundle = RootAmong(path, Bundles(roots))) return bundle;
  const auto [folder, name] = Split(path);
  if (ComparablePath(roots.userPartFolder) == folder && name == fs::FoldCase(kUserPartProgram)) {
    return roots.userPartFolder;
  }
  if (ComparablePath(roots.recordFolder) == folder && name == fs::FoldCase(kUninstallerName)) {
    return roots.recordFolder;
  }
  // AutoCAD's acaddoc.lsp may have been the user's long before: only the product's own record
  // is believed when it says the installation made it.
  const bool acadDoc = name == cad::kAcadDocName && trust == RecordTrust::kOwn;
  const bool productFile =
      acadDoc || std::find(cad::kProductFiles.begin(), cad::kProductFiles.end(), name) !=
                     cad::kProductFiles.end();
  Paths folders = roots.supportFolders;
  for (const std::string& acad : roots.acadFolders) {
    folders.push_back(acad);
    folders.push_back(acad + "\\support");
  }
  if (!productFile) return std::nullopt;
  return FolderAmong(folder, folders);
}

std::optional<std::string> SwapRoot(const Change& change, RunKind kind, const TrustedRoots& roots) {
  const toolkit::FileSwap& swap = change.swap;
  const std::optional<std::string> target = ComparablePath(swap.target);
  if (!target) return std::nullopt;
  const auto [folder, name] = Split(*target);
  Paths folders = roots.supportFolders;
  const Paths startup = StartupFolders(roots.acadFolders);
  folders.insert(folders.end(), startup.begin(), startup.end());
  const std::optional<cad::RewrittenFile> rewrite = cad::FindRewrittenFile(name);
  const std::optional<std::string> root = FolderAmong(folder, folders);
  if (!rewrite || !root) return std::nullopt;
  // The temporary file and the backup stand beside the file under the installer's names, or the
  // next free ones; a release 14's menu is patched from the AutoCAD folder as "supportcad.mns".
  const auto named = [&](const std::string& path, const std::string& leaf) {
    const std::optional<std::string> comparable = ComparablePath(path);
    if (!comparable) return false;
    const auto [where, file] = Split(*comparable);
    return FolderAmong(where, folders) && fs::IsFreeNameOf(file, leaf);
  };
  // The installation's rewrite keeps the backup; an uninstallation's keeps its safety copy.
  const std::string backup = kind == RunKind::kInstall ? rewrite->backup : cad::SafetyNameOf(name);
  if (!named(swap.temp, rewrite->temp) || !named(swap.backup, backup) ||
      fs::FoldCase(swap.aside) != fs::FoldCase(cad::AsideNameOf(swap.backup))) {
    return std::nullopt;
  }
  // An uninstallation adds nothing; an installation only the product's own lines.
  const bool productLines = std::all_of(
      swap.inserted.begin(), swap.inserted.end(), [&](const toolkit::InsertedLine& line) {
        return kind == RunKind::kInstall && cad::IsProductLine(line.text);
      });
  if (!productLines) return std::nullopt;
  // The copy and the backup may lie a folder above the file (a release 14's menu): the files of
  // the swap are reached below the folder that holds them all, each a trusted one.
  return fs::CommonFolder({swap.target, swap.temp, swap.backup});
}

// "\Software\Autodesk\AutoCAD\<release>\<product>\Profiles\<profile>\Variables", or the same
// of AutoCAD LT ("...\AutoCAD LT\<release>\ACADLT-...").
bool IsProfileVariablesKey(const std::string& key) {
  std::string rest = fs::FoldCase(key);
  if (rest.starts_with("\\")) rest.erase(0, 1);
  const std::string ltPrefix = fs::FoldCase(std::string(cad::kAutoCadLtKey).substr(1)) + "\\";
  const bool lt = rest.starts_with(ltPrefix);
  const std::string prefix =
      lt ? ltPrefix : fs::FoldCase(std::string(cad::kAutoCadKey).substr(1)) + "\\";
  if (!rest.starts_with(prefix)) return false;
  rest.erase(0, prefix.size());
  std::vector<std::string> parts;
  for (std::size_t at = 0; at <= rest.size();) {
    const std::size_t end = std::min(rest.find('\\', at), rest.size());
    parts.push_back(rest.substr(at, end - at));
    at = end + 1;
  }
  return parts.size() == 5 && cad::ParseReleaseKey(parts[0]) &&
         parts[1].starts_with(lt ? "acadlt-" : "acad-") && parts[2] == "profiles" &&
         !parts[3].empty() && parts[4] == "variables";
}

bool SameKey(std::string a, std::string b) {
  if (a.starts_with("\\")) a.erase(0, 1);
  if (b.starts_with("\\")) b.erase(0, 1);
  return fs::FoldCase(a) == fs::FoldCase(b);
}

// The logon's repair: the value an installation adds to a Run key where none stood, naming only
// the program of its own record's folder (install/LogonRepair.h). Anything else in a Run key
// would be a program to start at every logon.
bool LogonValueInBounds(const Change& change, const TrustedRoots& roots) {
  if (change.before || fs::FoldCase(change.valueName) != fs::FoldCase(kRunValueName)) return false;
  for (const bool forAllUsers : {false, true}) {
    const std::string& folder = forAllUsers ? roots.userPartFolder : roots.recordFolder;
    if (!folder.empty() && SameKey(change.path, RunKey(forAllUsers)) &&
        fs::FoldCase(change.added) == fs::FoldCase(LogonCommand(forAllUsers, folder))) {
      return true;
    }
  }
  return false;
}

bool RegistryInBounds(const Change& change, const TrustedRoots& roots) {
  if (LogonValueInBounds(change, roots)) return true;
  const std::optional<std::string> added = ComparablePath(change.added);
  return IsProfileVariablesKey(change.path) &&
         fs::FoldCase(change.valueName) == fs::FoldCase(std::string(cad::kTrustedPathsName)) &&
         added && RootAmong(*added, Bundles(roots));
}

void AddList(Paths& into, const std::string& list) {
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = std::min(list.find(';', at), list.size());
    if (end > at) into.push_back(list.substr(at, end - at));
    at = end + 1;
  }
}

}  // namespace

std::optional<std::string> ComparablePath(const std::string& path) {
  std::string prefix;
  std::size_t at = 0;
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      path[2] == '\\') {
    prefix = fs::FoldCase(path.substr(0, 2));
    at = 3;
  } else if (path.starts_with("\\\\") && !path.starts_with("\\\\?\\") &&
             !path.starts_with("\\\\.\\")) {
    prefix = "\\";
    at = 2;
  } else {
    return std::nullopt;
  }
  std::string comparable = prefix;
  int parts = 0;
  while (at < path.size()) {
    const std::size_t end = std::min(path.find('\\', at), path.size());
    const std::string part = path.substr(at, end - at);
    at = end + 1;
    // A doubled separator, where a folder and a name were joined, reads as one.
    if (part.empty()) continue;
    if (part == "." || part == ".." || part.back() == '.' || part.back() == ' ' ||
        fs::IsDeviceName(part)) {
      return std::nullopt;
    }
    for (const char c : part) {
      if (static_cast<unsigned char>(c) < 0x20 ||
          std::string_view("<>:\"/|?*").find(c) != std::string_view::npos) {
        return std::nullopt;
      }
    }
    comparable += "\\" + fs::FoldCase(part);
    ++parts;
  }
  // A network path names at least its server and share.
  if (prefix == "\\" && parts < 2) return std::nullopt;
  return comparable;
}

TrustedRoots GatherTrustedRoots(const std::string& destination, const std::string& recordFolder,
                                const Paths& chosen) {
  TrustedRoots roots;
  roots.destination = destination;
  roots.recordFolder = recordFolder;
  for (const cad::AcadProduct& product : cad::FindAcadProducts()) {
    if (!product.location.empty()) roots.acadFolders.push_back(product.location);
    if (product.supportFolder) roots.supportFolders.push_back(*product.supportFolder);
  }
  for (const std::string& key : ProductKeys()) {
    toolkit::RegistryCursor entry;
    if (entry.OpenExistingKey(key)) {
      try {
        AddList(roots.acadFolders, entry.ReadString(kAcadFoldersValue));
      } catch (const toolkit::ERegistryException&) {
      }
    }
    roots.keys.push_back(key);
  }
  roots.acadFolders.insert(roots.acadFolders.end(), chosen.begin(), chosen.end());
  for (const std::string& base : {toolkit::Fs().AppDataDir(), MachineBundleBase()}) {
    const std::string folder = fs::StripTrailingBackslash(base);
    if (folder.empty()) continue;
    roots.pluginFolders.push_back(folder + "\\" + std::string(cad::kBundleFolders[0]) + "\\" +
                                  std::string(cad::kBundleFolders[1]));
  }
  roots.keys.push_back(kActiveSetupKey);
  roots.userPartFolder = UserPartFolder();
  roots.group = config::Vars.GroupName;
  return roots;
}

std::optional<std::string> RootOf(const Change& change, RunKind kind, const TrustedRoots& roots,
                                  RecordTrust trust) {
  const std::optional<std::string> path = ComparablePath(change.path);
  const bool installed = kind == RunKind::kInstall;
  switch (change.kind) {
    case Change::Kind::kFolder:
      if (!installed || !path) return std::nullopt;
      return FolderRoot(*path, change.path, roots);
    case Change::Kind::kFile:
      if (!installed || !path) return std::nullopt;
      return FileRoot(*path, roots, trust);
    case Change::Kind::kSwap:
    case Change::Kind::kPatch:
      return SwapRoot(change, kind, roots);
    case Change::Kind::kRegistry:
      if (!installed || !RegistryInBounds(change, roots)) return std::nullopt;
      return std::string();
    case Change::Kind::kKey:
      if (!installed || std::none_of(roots.keys.begin(), roots.keys.end(),
                                     [&](const auto& key) { return SameKey(key, change.path); })) {
        return std::nullopt;
      }
      return std::string();
    case Change::Kind::kGroup:
      if (!installed || roots.group.empty() || change.path != roots.group) return std::nullopt;
      return std::string();
  }
  return std::nullopt;
}

bool SamePath(const std::string& a, const std::string& b) {
  const std::optional<std::string> comparable = ComparablePath(a);
  return comparable && comparable == ComparablePath(b);
}

bool InBounds(const Change& change, RunKind kind, const TrustedRoots& roots, RecordTrust trust) {
  return RootOf(change, kind, roots, trust).has_value();
}

}  // namespace install
