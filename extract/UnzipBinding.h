// The binding to the unzip library INSTALL.DLL: loading it with the main dialog and releasing it
// with it, the parameter record's defaults, and the progress callback that drives the dialog's
// status line and progress bar while the library works.
#pragma once

#include <cstdint>

#include "unzip/UnzipApi.h"

namespace app {
class TMainDlg;
}

namespace extract {

using UnzDllExecFunction = std::int32_t(UNZIP_STDCALL*)(UnzipParams*);

// Loads INSTALL.DLL by its bare name (the installer's own folder is searched first) and looks up
// its two entry points. A missing library or entry point is reported in a plain box; start-up
// goes on in every case.
void LoadUnzipLibrary();
void UnloadUnzipLibrary();
// The extraction entry point, or nullptr when the library or the entry point is missing.
UnzDllExecFunction UnzDllExec();

// Fills the dialog's record with the defaults the library expects before every call.
void InitUnzipParams(app::TMainDlg& dialog);

// The library's progress callback: a file starts (1), a step of 32768 bytes (2), the end (3).
std::int32_t UNZIP_STDCALL UnzipCallback(UnzipCallbackInfo* info);

}  // namespace extract
