#include "extract/UnzipBinding.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/DynamicLibrary.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Utf8.h"

namespace extract {
namespace {

struct UnzipLibrary {
  toolkit::LibraryHandle handle = 0;
  UnzDllExecFunction exec = nullptr;
  void* version = nullptr;
  UnzDllLastFailureFunction lastFailure = nullptr;
};

UnzipLibrary library;
// 16 KB, so on the heap: a static record would be carried in the program file.
std::unique_ptr<UnzipParams> record = std::make_unique<UnzipParams>();
CallRecord currentCall;

// Critical-error and fault boxes stay off while the library loads, whatever happens.
class QuietErrorMode {
 public:
  QuietErrorMode() { toolkit::Libraries().SetErrorMode(3); }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;
  ~QuietErrorMode() { toolkit::Libraries().SetErrorMode(0); }
};

constexpr int kBytesPerStep = UNZIP_PROGRESS_STEP;

}  // namespace

std::string LibraryPath() {
  // By its full path: a bare name would let the system search the current folder and the path,
  // and run whatever INSTALL.DLL it met there.
  const std::string program = toolkit::Fs().ProgramPath();
  const std::size_t slash = program.find_last_of('\\');
  return (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) +
         "INSTALL.DLL";
}

void LoadUnzipLibrary(config::FrontEnd& frontEnd) {
  *record = UnzipParams{};
  QuietErrorMode quiet;
  toolkit::DynamicLibraries& libraries = toolkit::Libraries();
  library.handle = libraries.Load(LibraryPath());
  if (library.handle <= 32) {
    library.handle = 0;
    frontEnd.Tell(config::Notice::kPlain, config::Vars.MsgLibraryNotFound);
    return;
  }
  library.exec =
      reinterpret_cast<UnzDllExecFunction>(libraries.EntryPoint(library.handle, "UnzDllExec"));
  library.version = libraries.EntryPoint(library.handle, "GetUnzDllVersion");
  library.lastFailure = reinterpret_cast<UnzDllLastFailureFunction>(
      libraries.EntryPoint(library.handle, "UnzDllLastFailure"));
  const std::string& entryMissing = config::Vars.MsgLibraryEntryMissing;
  if (library.exec == nullptr) frontEnd.Tell(config::Notice::kPlain, entryMissing);
  if (library.version == nullptr) frontEnd.Tell(config::Notice::kPlain, entryMissing);
}

void UnloadUnzipLibrary() {
  if (library.handle != 0) toolkit::Libraries().Free(library.handle);
  library.handle = 0;
}

UnzDllExecFunction UnzDllExec() { return library.handle == 0 ? nullptr : library.exec; }

UnzipFailure LastUnzipFailure() {
  UnzipFailure failure{};
  if (library.handle != 0 && library.lastFailure != nullptr) library.lastFailure(&failure);
  return failure;
}

UnzipParams& UnzipRecord() { return *record; }

CallRecord& CurrentCall() { return currentCall; }

void InitUnzipParams(config::FrontEnd& frontEnd, UnzipParams& p) {
  p.Caller = &frontEnd;
  p.Constant8 = 140;
  p.Callback = &UnzipCallback;
  p.Flag16 = UNZIP_FALSE;
  // Offsets 28 to 60: false but for 40 and 60.
  for (std::int32_t& flag : p.Flags28) flag = UNZIP_FALSE;
  p.Flags28[(40 - 28) / 4] = UNZIP_TRUE;
  p.Flags28[(60 - 28) / 4] = UNZIP_TRUE;
  p.Constant72 = 7;
}

namespace {

void Report(UnzipCallbackInfo* info) {
  auto& frontEnd = *static_cast<config::FrontEnd*>(info->Caller);
  config::ExtractionProgress& progress = currentCall.progress;
  switch (info->ActionCode) {
    case kUnzipActionFileStarts:
      progress.step = config::ExtractionProgress::Step::kFileStarts;
      // The library names members in code page 1252.
      progress.member = toolkit::Utf8FromCp1252(
          std::string_view(info->FileName, strnlen(info->FileName, sizeof info->FileName)));
      progress.memberBytes = info->FileSize;
      progress.bytesDone = 0;
      ++currentCall.filesStarted;
      if (currentCall.onFileStarts) currentCall.onFileStarts(progress.member, info->FileSize);
      break;
    case kUnzipActionProgress:
      progress.step = config::ExtractionProgress::Step::kBytesDone;
      progress.bytesDone =
          std::min<std::int64_t>(progress.bytesDone + kBytesPerStep, progress.memberBytes);
      break;
    case kUnzipActionEnd:
      progress.step = config::ExtractionProgress::Step::kPackageDone;
      break;
    default:
      frontEnd.ProcessMessages();
      return;
  }
  frontEnd.ShowProgress(progress);
  frontEnd.ProcessMessages();
}

}  // namespace

std::int32_t UNZIP_STDCALL UnzipCallback(UnzipCallbackInfo* info) noexcept {
  constexpr std::int32_t kStop = -1;
  if (currentCall.error) return kStop;
  try {
    Report(info);
  } catch (...) {
    currentCall.error = std::current_exception();
    return kStop;
  }
  auto& frontEnd = *static_cast<config::FrontEnd*>(info->Caller);
  return frontEnd.State().cancelRequested ? kStop : 0;
}

}  // namespace extract
