#include "tools/medium/Packages.h"

#include <algorithm>
#include <map>

#include "extract/PackageTable.h"
#include "tools/medium/ZipWriter.h"
#include "unzip/UnzipApi.h"

namespace medium {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// "\parts\pneumatica\img\" -> "parts/pneumatica/img"; "\" -> "".
std::string FolderOfTarget(const std::string& target) {
  std::string folder;
  for (char c : target) folder += c == '\\' ? '/' : c;
  while (!folder.empty() && folder.front() == '/') folder.erase(0, 1);
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string WithoutBackslash(const char* entry) {
  std::string name = entry;
  if (!name.empty() && name.front() == '\\') name.erase(0, 1);
  return name;
}

bool IsPrintableAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// The product folder's files, relative with '/', in a fixed order whatever the directory order.
std::vector<std::string> ProductFiles(const fs::path& productDir) {
  if (!fs::is_directory(productDir)) {
    throw Error("the product folder " + productDir.string() + " does not exist");
  }
  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(productDir)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().lexically_relative(productDir).generic_string();
    // The installer's names are 8-bit Windows text; a name in another encoding would arrive
    // garbled, so it is refused rather than guessed at.
    if (!IsPrintableAscii(name)) {
      throw Error("file name " + name + " is not plain ASCII; rename it");
    }
    files.push_back(std::move(name));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// How many of the file's leading folders are the source's folder; -1 when it is not inside.
int Depth(const PackageSource& source, const std::string& lowerName) {
  if (source.folder.empty()) {
    return source.wholeTree || lowerName.find('/') == std::string::npos ? 0 : -1;
  }
  const std::string prefix = source.folder + "/";
  if (lowerName.compare(0, prefix.size(), prefix) != 0) return -1;
  if (!source.wholeTree && lowerName.find('/', prefix.size()) != std::string::npos) return -1;
  return static_cast<int>(std::count(prefix.begin(), prefix.end(), '/'));
}

}  // namespace

std::vector<PackageSource> PackageSources() {
  std::vector<PackageSource> sources = {
      {WithoutBackslash(extract::kCadPackage), "autocad", false, "<AutoCAD support>/"},
      {WithoutBackslash(extract::kConfigPackage), "cfg", true, "cfg/"},
      {WithoutBackslash(extract::kHelpPackage), "help-acad", true, "help/"},
  };
  for (const extract::PackageRow& row : extract::PackageTable) {
    std::string folder = Lower(FolderOfTarget(row.target));
    std::string destination = folder.empty() ? "" : folder + "/";
    // The destination root takes only its own files: its folders belong to other packages.
    sources.push_back({WithoutBackslash(row.package), folder, !folder.empty(), destination});
  }
  return sources;
}

std::vector<PackagePlan> PlanPackages(const fs::path& productDir) {
  std::vector<PackagePlan> plans;
  for (PackageSource& source : PackageSources()) plans.push_back({std::move(source), {}});

  std::vector<std::string> homeless;
  std::map<std::string, std::string> installedAs;  // lower-case installed name -> product file
  for (const std::string& name : ProductFiles(productDir)) {
    const std::string lowerName = Lower(name);
    PackagePlan* best = nullptr;
    int bestDepth = -1;
    for (PackagePlan& plan : plans) {
      int depth = Depth(plan.source, lowerName);
      if (depth > bestDepth) {
        best = &plan;
        bestDepth = depth;
      }
    }
    if (best == nullptr) {
      homeless.push_back(name);
      continue;
    }
    const std::size_t skip = best->source.folder.empty() ? 0 : best->source.folder.size() + 1;
    std::string member = name.substr(skip);
    if (member.size() > UNZIP_MAX_NAME) {
      throw Error("file name " + name + " is longer than the installer can create");
    }
    const std::string installed = best->source.destination + Lower(member);
    auto [clash, fresh] = installedAs.emplace(installed, name);
    if (!fresh) {
      throw Error(name + " and " + clash->second + " would both be installed as " + installed +
                  "; keep one of them");
    }
    best->files.push_back({std::move(member), productDir / fs::path(name)});
  }

  if (!homeless.empty()) {
    std::string list;
    for (std::size_t i = 0; i < homeless.size() && i < 10; ++i) list += "\n  " + homeless[i];
    if (homeless.size() > 10) list += "\n  ... " + std::to_string(homeless.size() - 10) + " more";
    throw Error("no package takes these files; the installer would not install them:" + list);
  }

  const PackagePlan& cad = plans.front();
  for (const char* wanted : kCadFiles) {
    bool present = std::any_of(cad.files.begin(), cad.files.end(),
                               [&](const PackedFile& file) { return Lower(file.name) == wanted; });
    if (!present) {
      throw Error("the product's autocad folder lacks " + std::string(wanted) +
                  ", which the installer puts into AutoCAD's support folder");
    }
  }
  return plans;
}

}  // namespace medium
