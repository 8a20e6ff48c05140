// The binding to the unzip library INSTALL.DLL: loading it and releasing it, the parameter record
// and its defaults, and the progress callback that drives the front end's status line and
// progress bar while the library works.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "config/FrontEnd.h"
#include "unzip/UnzipApi.h"

namespace config {
class FrontEnd;
}

namespace extract {

using UnzDllExecFunction = std::int32_t(UNZIP_STDCALL*)(UnzipParams*);
using UnzDllLastFailureFunction = void(UNZIP_STDCALL*)(UnzipFailure*);

// INSTALL.DLL in the installer's own folder, by its full path.
std::string LibraryPath();

// Loads INSTALL.DLL from the installer's own folder and looks up its entry points. A missing
// library, or a missing extraction or version entry point, is reported in a plain box; start-up
// goes on in every case. The failure report is optional: a library from before it has none. The
// record starts again from zero.
void LoadUnzipLibrary(config::FrontEnd& frontEnd);
void UnloadUnzipLibrary();
// The extraction entry point, or nullptr when the library or the entry point is missing.
UnzDllExecFunction UnzDllExec();

// Why the library's last extraction lost its first member; Reason kUnzipFailureNone when the
// library cannot tell.
UnzipFailure LastUnzipFailure();

// The record handed to the library; zero until the first extraction fills it.
UnzipParams& UnzipRecord();

// Fills the record with the defaults the library expects before every call; the callback reaches
// the front end through the record's Caller.
void InitUnzipParams(config::FrontEnd& frontEnd, UnzipParams& record);

// What the callback learns of the library call under way, for the extraction that made it.
struct CallRecord {
  int filesStarted = 0;
  // What the front end is told, the package's name set before the library runs.
  config::ExtractionProgress progress;
  // Called as a file starts, with its name as the archive gives it and its size.
  std::function<void(const std::string& name, std::int32_t size)> onFileStarts;
  // The first error raised in the callback: the callback answers "stop" from then on, and the
  // extraction raises it again once the library has returned. Nothing may unwind through the
  // library, which is built without the tables that would let it.
  std::exception_ptr error;
};
CallRecord& CurrentCall();

// The library's progress callback: a file starts (1), a step of 32768 bytes (2), the end (3).
// It raises nothing: an error is kept in CurrentCall() and the library told to stop.
std::int32_t UNZIP_STDCALL UnzipCallback(UnzipCallbackInfo* info) noexcept;

}  // namespace extract
