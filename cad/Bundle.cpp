#include "cad/Bundle.h"

#include <vector>

#include "cad/AcadFiles.h"
#include "cad/Cuix.h"
#include "cad/Rewrite.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace cad {
namespace {

using toolkit::OpenMode;
using toolkit::fs::File;

std::string PackageContentsText() {
  std::string text;
  for (std::string_view line : kPackageContents) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWhole(const std::string& path) {
  File file;
  if (file.TryOpen(path, OpenMode::kRead).Failed()) return std::nullopt;
  std::string content;
  std::vector<char> buffer(4096);
  while (std::size_t read = file.Read(buffer.data(), buffer.size())) {
    content.append(buffer.data(), read);
  }
  return content;
}

// Writes `text` as `folder`\`name` unless the file holds it already, through `tempName`. A
// second installation leaves the file as the first one wrote it.
void WriteWhole(const std::string& folder, std::string_view name, std::string_view tempName,
                const std::string& text, toolkit::ChangeRecorder& recorder) {
  const std::string target = folder + "\\" + std::string(name);
  const std::optional<std::string> present = ReadWhole(target);
  if (present == text) return;
  // A file someone left under the copy's name stays; the copy takes the next free one.
  const std::string temp = toolkit::fs::FreeName(folder + "\\" + std::string(tempName));
  File file;
  file.Open(temp, OpenMode::kCreateNew);
  file.Write(text);
  file.Close();
  // A rename never replaces a file, so an older one goes first.
  if (present) {
    toolkit::fs::Erase(target);
  } else {
    recorder.FileCreated(target, text.size());
  }
  toolkit::fs::Rename(temp, target);
  if (!present) recorder.FileChecksum(target, toolkit::Crc32(0, text.data(), text.size()));
}

// A bitmap the product's files placed in Contents; one that cannot be read raises EInOutError.
std::string PlacedBitmap(const std::string& contents, std::string_view bitmap) {
  const std::string path = contents + "\\" + std::string(bitmap);
  File file;
  file.Open(path, OpenMode::kRead);
  std::string content;
  std::vector<char> buffer(4096);
  while (std::size_t read = file.Read(buffer.data(), buffer.size())) {
    content.append(buffer.data(), read);
  }
  return content;
}

bool SameFolder(std::string_view a, std::string_view b) {
  if (a.ends_with('\\')) a.remove_suffix(1);
  if (b.ends_with('\\')) b.remove_suffix(1);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> LayBundle(const std::string& appData, const PlaceProductFiles& place,
                                     toolkit::ChangeRecorder& recorder) {
  std::string folder = toolkit::fs::StripTrailingBackslash(appData);
  if (folder.empty() || !toolkit::Fs().DirExists(folder)) return std::nullopt;
  std::string bundle;
  for (std::string_view name : kBundleFolders) {
    bundle = folder;
    folder += "\\" + std::string(name);
    if (!toolkit::Fs().DirExists(folder)) {
      recorder.FolderCreated(folder);
      toolkit::fs::MkDir(folder);
    }
  }
  // The description comes last: AutoCAD, running meanwhile, must not find a bundle whose
  // AutoLISP file is not there yet.
  place(folder + "\\");
  const std::string cuix =
      BuildCuix([&](std::string_view bitmap) { return PlacedBitmap(folder, bitmap); });
  WriteWhole(folder, kCuixName, kCuixTempName, cuix, recorder);
  WriteWhole(bundle, kPackageContentsName, kPackageContentsTempName, PackageContentsText(),
             recorder);
  return folder;
}

bool BundleLacksAFile(const std::string& appData) {
  std::string folder = toolkit::fs::StripTrailingBackslash(appData);
  if (folder.empty() || !toolkit::Fs().DirExists(folder)) return false;
  std::string bundle;
  for (std::string_view name : kBundleFolders) {
    bundle = folder;
    folder += "\\" + std::string(name);
  }
  // A folder that is missing goes with the files below it.
  return AnyProductFileMissing(folder) ||
         toolkit::Fs().KindOf(folder + "\\" + std::string(kCuixName)) == toolkit::PathKind::kNone ||
         toolkit::Fs().KindOf(bundle + "\\" + std::string(kPackageContentsName)) ==
             toolkit::PathKind::kNone;
}

std::string WithTrustedPath(std::string_view list, std::string_view folder) {
  for (std::size_t start = 0; start <= list.size();) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (SameFolder(list.substr(start, end - start), folder)) return std::string(list);
    start = end + 1;
  }
  std::string extended(list);
  if (!extended.empty() && !extended.ends_with(';')) extended += ';';
  return extended + std::string(folder);
}

std::string WithoutTrustedPath(std::string_view list, std::string_view folder) {
  std::string kept;
  bool first = true;
  for (std::size_t start = 0; start <= list.size();) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    const std::string_view entry = list.substr(start, end - start);
    start = end + 1;
    if (!entry.empty() && SameFolder(entry, folder)) continue;
    if (!first) kept += ';';
    kept += entry;
    first = false;
  }
  return kept;
}

int TrustInEveryProfile(const std::string& productKey, const std::string& folder,
                        toolkit::ChangeRecorder& recorder) {
  toolkit::RegistryCursor profiles;
  if (!profiles.OpenExistingKey(productKey + "\\Profiles")) return 0;
  int trusting = 0;
  for (const std::string& profile : profiles.SubKeyNames()) {
    toolkit::RegistryCursor variables;
    if (!variables.OpenKey(productKey + "\\Profiles\\" + profile + "\\Variables")) continue;
    ++trusting;
    const std::string name(kTrustedPathsName);
    const std::string list = variables.ReadString(name);
    const std::string trusted = WithTrustedPath(list, folder);
    if (trusted == list) continue;
    const bool existed = variables.HasValue(name);
    // On the record first: a kill right after the write still leaves it to be undone.
    recorder.RegistryValueChanged(productKey + "\\Profiles\\" + profile + "\\Variables", name,
                                  folder,
                                  existed ? std::optional<std::string>(list) : std::nullopt);
    variables.WriteString(name, trusted);
  }
  return trusting;
}

bool AnyProfileUntrusting(const std::string& productKey, const std::string& folder) {
  toolkit::RegistryCursor profiles;
  if (!profiles.OpenExistingKey(productKey + "\\Profiles")) return false;
  const std::string name(kTrustedPathsName);
  for (const std::string& profile : profiles.SubKeyNames()) {
    toolkit::RegistryCursor variables;
    if (!variables.OpenExistingKey(productKey + "\\Profiles\\" + profile + "\\Variables")) {
      return true;
    }
    try {
      const std::string list = variables.ReadString(name);
      if (WithTrustedPath(list, folder) != list) return true;
    } catch (const toolkit::ERegistryException&) {
    }
  }
  return false;
}

}  // namespace cad
