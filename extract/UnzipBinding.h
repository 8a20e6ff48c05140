// The binding to the unzip library INSTALL.DLL: loading it and releasing it, the parameter record
// and its defaults, and the progress callback that drives the front end's status line and
// progress bar while the library works.
#pragma once

#include <cstdint>

#include "unzip/UnzipApi.h"

namespace config {
class FrontEnd;
}

namespace extract {

using UnzDllExecFunction = std::int32_t(UNZIP_STDCALL*)(UnzipParams*);

// Loads INSTALL.DLL by its bare name (the installer's own folder is searched first) and looks up
// its two entry points. A missing library or entry point is reported in a plain box; start-up
// goes on in every case. The record starts again from zero.
void LoadUnzipLibrary(config::FrontEnd& frontEnd);
void UnloadUnzipLibrary();
// The extraction entry point, or nullptr when the library or the entry point is missing.
UnzDllExecFunction UnzDllExec();

// The record handed to the library; zero until the first extraction fills it.
UnzipParams& UnzipRecord();

// Fills the record with the defaults the library expects before every call; the callback reaches
// the front end through the record's Caller.
void InitUnzipParams(config::FrontEnd& frontEnd, UnzipParams& record);

// The members the library has begun to write since the record was last filled.
int FilesStarted();

// The library's progress callback: a file starts (1), a step of 32768 bytes (2), the end (3).
std::int32_t UNZIP_STDCALL UnzipCallback(UnzipCallbackInfo* info);

}  // namespace extract
