// The two exports of INSTALL.DLL. The DLL is a thin shell: the extraction is unzip::Extract over
// the Win32 storage. Nothing may leave through the C boundary but a result code; the DLL is
// built without exceptions (see SmallRuntime.cpp), so none can.
#include <windows.h>

#include "unzip/Extract.h"
#include "unzip/UnzipApi.h"
#include "unzip/win32/Win32Storage.h"

extern "C" {

int32_t UNZIP_STDCALL UnzDllExec(UnzipParams* params) {
  if (!params) return kUnzipBadParams;
  // A damaged archive must not pop up "insert a disk" boxes on the installer's behalf.
  const UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  int32_t result;
  {
    unzip::Win32Storage storage;
    result = unzip::Extract(*params, storage);
  }
  ::SetErrorMode(previousMode);
  return result;
}

uint32_t UNZIP_STDCALL GetUnzDllVersion(void) { return UNZIP_VERSION; }

}  // extern "C"
