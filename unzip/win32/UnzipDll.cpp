// The two exports of INSTALL.DLL. The DLL is a thin shell: the extraction is unzip::Extract over
// the Win32 storage. Nothing may leave through the C boundary but a result code; the DLL is
// built without exceptions (see SmallRuntime.cpp), so none can.
#include <windows.h>

#include "unzip/Extract.h"
#include "unzip/UnzipApi.h"
#include "unzip/win32/Win32Storage.h"

namespace {

// TOLVEK_UNZIP_WRITERS, when set to a number, is how many writer threads the DLL uses (0: every
// file on the caller's thread). The installer never sets it; the benchmark does, to time the DLL
// one-threaded and with writers in the same run.
unsigned Writers() {
  char value[8];
  const DWORD length = ::GetEnvironmentVariableA("TOLVEK_UNZIP_WRITERS", value, sizeof value);
  if (length == 0 || length >= sizeof value) return unzip::kDefaultWriters;
  unsigned writers = 0;
  for (DWORD i = 0; i < length; ++i) {
    if (value[i] < '0' || value[i] > '9') return unzip::kDefaultWriters;
    writers = writers * 10 + unsigned(value[i] - '0');
  }
  return writers;
}

}  // namespace

extern "C" {

int32_t UNZIP_STDCALL UnzDllExec(UnzipParams* params) {
  if (!params) return kUnzipBadParams;
  // A damaged archive must not pop up "insert a disk" boxes on the installer's behalf.
  const UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  int32_t result;
  {
    unzip::Win32Storage storage;
    unzip::ExtractOptions options;
    options.writers = Writers();
    result = unzip::Extract(*params, storage, options);
  }
  ::SetErrorMode(previousMode);
  return result;
}

uint32_t UNZIP_STDCALL GetUnzDllVersion(void) { return UNZIP_VERSION; }

}  // extern "C"
