#include "extract/Extraction.h"

#include <array>

#include "app/MainDlg.h"
#include "app/Vars.h"
#include "extract/PackageTable.h"
#include "extract/UnzipBinding.h"
#include "toolkit/Dialogs.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Forms.h"

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
void WaitForPackage(const std::string& packagePath) {
  if (toolkit::Fs().FileExists(packagePath)) return;
  ++app::Vars.DiskNumber;
  do {
    toolkit::App().ProcessMessages();
    int answer = toolkit::MessageDlg(app::Vars.MsgInsertDisk + std::to_string(app::Vars.DiskNumber),
                                     toolkit::mbOK | toolkit::mbCancel);
    if (answer == toolkit::mrCancel &&
        toolkit::MessageDlg(app::Vars.MsgConfirmAbandon, toolkit::mbYes | toolkit::mbNo) ==
            toolkit::mrYes) {
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

void ExtractPackage(app::TMainDlg& dialog, const std::string& packagePath,
                    const std::string& targetFolder, const std::string& fileSpec) {
  WaitForPackage(packagePath);

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
  InitUnzipParams(dialog);
  TextBuffer archive = BufferFor(packagePath);
  TextBuffer spec{};
  UnzipParams& record = dialog.UnzipRecord;
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

  if (app::Vars.CancelRequested) app::Vars.CancelRequested = false;
  fs::ChDir(packageFolder, fs::Check::kRecord);
  fs::IoResult();
}

void ExtractAllPackages(const std::string& destinationRoot) {
  for (const PackageRow& row : PackageTable) {
    ExtractPackage(*app::MainDlg, app::Vars.SourceDir + row.package, destinationRoot + row.target,
                   "");
  }
}

}  // namespace extract
