#include "extract/Extraction.h"

#include <array>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/PackageTable.h"
#include "extract/UnzipBinding.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

namespace extract {
namespace {

namespace fs = toolkit::fs;

// The record's text buffers: 256 bytes, zero-terminated, living for one call of the library.
using TextBuffer = std::array<char, 256>;

TextBuffer BufferFor(const std::string& text) {
  // Copying a longer text would run past the buffer; the library would read a different path.
  if (text.size() > 255) throw EExtractError("Path too long for the unzip library: " + text);
  TextBuffer buffer{};
  text.copy(buffer.data(), text.size());
  return buffer;
}

// Asks for the next disk until the package is there; Cancel confirmed with Yes abandons.
void WaitForPackage(config::FrontEnd& frontEnd, const std::string& packagePath) {
  using config::Question;
  config::ConfigurationBlock& v = config::Vars;
  if (toolkit::Fs().FileExists(packagePath)) return;
  frontEnd.Note(v.LogPackageMissing + " " + packagePath);
  ++v.DiskNumber;
  do {
    frontEnd.ProcessMessages();
    if (!frontEnd.Ask(Question::kInsertDisk, v.MsgInsertDisk + std::to_string(v.DiskNumber)) &&
        frontEnd.Ask(Question::kConfirmAbandon, v.MsgConfirmAbandon)) {
      throw toolkit::EAbort();
    }
  } while (!toolkit::Fs().FileExists(packagePath));
}

}  // namespace

std::string FolderOf(const std::string& path) {
  auto at = path.find_last_of("\\:");
  if (at == std::string::npos) return {};
  std::string folder = path.substr(0, at + 1);
  if (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':' &&
      folder[folder.size() - 2] != '\\') {
    folder.pop_back();
  }
  return folder;
}

void ExtractPackage(config::FrontEnd& frontEnd, const std::string& packagePath,
                    const std::string& targetFolder, const std::string& fileSpec) {
  WaitForPackage(frontEnd, packagePath);

  fs::ChDir(FolderOf(packagePath), fs::Check::kRecord);
  fs::IoResult();
  const std::string packageFolder = toolkit::Fs().CurrentDir();
  // The library writes into whatever folder is current: if the target cannot be entered, it
  // would scatter the package over the installation medium. That must stop the installation.
  fs::ChDir(targetFolder);

  UnzDllExecFunction unzip = UnzDllExec();
  if (unzip == nullptr) {
    throw EExtractError("Cannot extract " + packagePath + ": INSTALL.DLL is not loaded");
  }
  UnzipParams& record = UnzipRecord();
  InitUnzipParams(frontEnd, record);
  TextBuffer archive = BufferFor(packagePath);
  TextBuffer spec{};
  record.ArchiveName = archive.data();
  record.FileSpecCount = 0;
  if (!fileSpec.empty()) {
    spec = BufferFor(fileSpec);
    record.FileSpecs[0] = spec.data();
    record.FileSpecCount = 1;
  }
  std::int32_t failed = unzip(&record);
  // The buffers end with this call; the record must not keep pointing at them.
  record.ArchiveName = nullptr;
  record.FileSpecs[0] = nullptr;
  if (failed != 0) {
    // A broken package is not a finished installation.
    throw EExtractError("Cannot extract " + packagePath +
                        (failed > 0 ? " (" + std::to_string(failed) + " files failed)" : ""));
  }
  const config::ConfigurationBlock& v = config::Vars;
  frontEnd.Note(v.LogExtracted + " " + packagePath + (fileSpec.empty() ? "" : " " + fileSpec) +
                " -> " + targetFolder + ", " + std::to_string(FilesStarted()) + " " + v.LogFiles);

  if (config::Vars.CancelRequested) config::Vars.CancelRequested = false;
  fs::ChDir(packageFolder, fs::Check::kRecord);
  fs::IoResult();
}

void ExtractAllPackages(config::FrontEnd& frontEnd, const std::string& destinationRoot) {
  for (const PackageRow& row : PackageTable) {
    ExtractPackage(frontEnd, config::Vars.SourceDir + row.package, destinationRoot + row.target,
                   "");
  }
}

}  // namespace extract
