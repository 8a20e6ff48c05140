#include "extract/Extraction.h"

#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <utility>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/CreationWatch.h"
#include "extract/PackageSize.h"
#include "extract/PackageTable.h"
#include "extract/UnzipBinding.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Utf8.h"

namespace extract {
namespace {

namespace fs = toolkit::fs;

// The record's texts, zero-terminated, living for one call of the library: the archive's path in
// UTF-8 (the record says so), a member's name in code page 1252, the library's own.
std::string BufferFor(const std::string& text) {
  // Windows takes no longer path; the library would fail on it with a less clear error.
  if (toolkit::CharacterCount(text) > 255) {
    throw EExtractError(config::FormatMessage(config::Vars.MsgPathTooLong, {text}));
  }
  return text;
}

std::string MemberNameFor(const std::string& name) {
  std::optional<std::string> inPage = toolkit::Cp1252FromUtf8(name);
  if (!inPage) throw EExtractError("File name the unzip library cannot take: " + name);
  return BufferFor(*inPage);
}

// The member the library lost first is named when the user can act on why: a damaged package is
// copied again, a refused name goes back to whoever made the medium. Else, and with a library
// that cannot tell, the count of files not written is all there is to say.
std::string IncompleteMessage(const std::string& packagePath, std::int32_t failed) {
  const config::ConfigurationBlock& v = config::Vars;
  const UnzipFailure failure = LastUnzipFailure();
  const std::string name = toolkit::Utf8FromCp1252(
      std::string_view(failure.FileName, strnlen(failure.FileName, sizeof failure.FileName)));
  const std::string* text = &v.MsgPackageIncomplete;
  if (!name.empty() && failure.Reason == kUnzipFailureDamaged) text = &v.MsgPackageDamaged;
  if (!name.empty() && failure.Reason == kUnzipFailureName) text = &v.MsgFileNameRefused;
  return config::FormatMessage(
      *text, {packagePath, text == &v.MsgPackageIncomplete ? std::to_string(failed) : name});
}

}  // namespace

void WaitForPackage(config::FrontEnd& frontEnd, const std::string& packagePath) {
  using config::Question;
  config::ConfigurationBlock& v = config::Vars;
  if (toolkit::Fs().FileExists(packagePath)) return;
  frontEnd.Note(v.LogPackageMissing + " " + packagePath);
  config::RunState& run = frontEnd.State();
  ++run.diskNumber;
  do {
    frontEnd.ProcessMessages();
    if (!frontEnd.Ask(Question::kInsertDisk, v.MsgInsertDisk + std::to_string(run.diskNumber)) &&
        frontEnd.Ask(Question::kConfirmAbandon, v.MsgConfirmAbandon)) {
      throw toolkit::EAbort();
    }
  } while (!toolkit::Fs().FileExists(packagePath));
}

namespace {

// The callback's record of one library call, cleared however the call ends.
class WatchedCall {
 public:
  WatchedCall(CreationWatch& watch, const std::string& package) {
    CurrentCall() = {};
    CurrentCall().progress.package = package;
    CurrentCall().onFileStarts = [&watch](const std::string& name, std::int32_t size) {
      watch.FileStarts(name, std::uint32_t(size));
    };
  }
  WatchedCall(const WatchedCall&) = delete;
  WatchedCall& operator=(const WatchedCall&) = delete;
  ~WatchedCall() { CurrentCall() = {}; }
};

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
                    const std::string& targetFolder, const std::string& fileSpec,
                    toolkit::ChangeRecorder& recorder) {
  WaitForPackage(frontEnd, packagePath);

  // Only to come back to afterwards: a folder that cannot be entered leaves the current one.
  fs::IgnoreFailure(fs::TryChDir(FolderOf(packagePath)));
  const std::string packageFolder = toolkit::Fs().CurrentDir();
  // The library writes into whatever folder is current: if the target cannot be entered, it
  // would scatter the package over the installation medium. That must stop the installation.
  fs::ChDir(targetFolder);

  const config::ConfigurationBlock& v = config::Vars;
  UnzDllExecFunction unzip = UnzDllExec();
  if (unzip == nullptr) throw EExtractError(v.MsgLibraryMissing);
  UnzipParams& record = UnzipRecord();
  InitUnzipParams(frontEnd, record);
  const std::string archive = BufferFor(packagePath);
  std::string spec;
  record.ArchiveName = archive.c_str();
  record.NameEncoding = UNZIP_UTF8_ARCHIVE_NAME;
  record.FileSpecCount = 0;
  if (!fileSpec.empty()) {
    spec = MemberNameFor(fileSpec);
    record.FileSpecs[0] = spec.c_str();
    record.FileSpecCount = 1;
  }
  const std::string targetDir = toolkit::Fs().CurrentDir();
  CreationWatch watch(recorder, targetDir);
  if (fileSpec.empty()) watch.Announce(packagePath);
  std::int32_t failed = 0;
  int filesStarted = 0;
  std::exception_ptr errorInCallback;
  {
    WatchedCall call(watch, packagePath);
    failed = unzip(&record);
    filesStarted = CurrentCall().filesStarted;
    errorInCallback = CurrentCall().error;
  }
  // The buffers end with this call; the record must not keep pointing at them.
  record.ArchiveName = nullptr;
  record.FileSpecs[0] = nullptr;
  // A stop asked for is answered by this call, whatever its outcome.
  frontEnd.State().cancelRequested = false;
  if (errorInCallback) std::rethrow_exception(errorInCallback);
  // A broken package is not a finished installation.
  if (failed < 0) throw EExtractError(config::FormatMessage(v.MsgPackageUnreadable, {packagePath}));
  if (failed > 0) {
    // A disk that filled up since the installation looked at it is named as such, with the room
    // the package needs.
    std::uint64_t free = 0;
    const std::optional<std::uint64_t> needed = PackageContentSize(packagePath);
    if (needed && toolkit::Fs().FreeSpace(targetDir, free) == 0 && free < *needed) {
      throw EExtractError(config::FormatMessage(
          v.MsgNoRoom, {targetDir, MegabytesNeeded(*needed), MegabytesFree(free)}));
    }
    throw EExtractError(IncompleteMessage(packagePath, failed));
  }
  // A product file the package does not hold would leave AutoCAD loading what is not there.
  if (!fileSpec.empty() && filesStarted == 0) {
    throw EExtractError(config::FormatMessage(v.MsgFileNotInPackage, {packagePath, fileSpec}));
  }
  watch.PackageDone(packagePath);
  frontEnd.Note(v.LogExtracted + " " + packagePath + (fileSpec.empty() ? "" : " " + fileSpec) +
                " -> " + targetFolder + ", " + std::to_string(filesStarted) + " " + v.LogFiles);

  fs::IgnoreFailure(fs::TryChDir(packageFolder));
}

void ExtractAllPackages(config::FrontEnd& frontEnd, const std::string& destinationRoot,
                        toolkit::ChangeRecorder& recorder) {
  for (const PackageRow& row : PackageTable) {
    ExtractPackage(frontEnd, config::Vars.SourceDir + row.package, destinationRoot + row.target, "",
                   recorder);
  }
}

}  // namespace extract
