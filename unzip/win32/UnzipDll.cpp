// The three exports of INSTALL.DLL. The DLL is a thin shell: the extraction is unzip::Extract over
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

// What UnzDllLastFailure reports. The installer asks from the thread that extracted; the lock only
// keeps a caller on another thread from reading a record half written.
UnzipFailure lastFailure;
LONG lastFailureBusy = 0;

class LastFailureLock {
 public:
  LastFailureLock() {
    while (::InterlockedExchange(&lastFailureBusy, 1) != 0) ::Sleep(0);
  }
  ~LastFailureLock() { ::InterlockedExchange(&lastFailureBusy, 0); }
  LastFailureLock(const LastFailureLock&) = delete;
  LastFailureLock& operator=(const LastFailureLock&) = delete;
};

// The record as UnzDllLastFailure reports it, or an empty one when `failure` is null.
void SetLastFailure(const UnzipFailure* failure) {
  LastFailureLock lock;
  if (failure) {
    lastFailure = *failure;
  } else {
    lastFailure = {};
  }
}

}  // namespace

extern "C" {

int32_t UNZIP_STDCALL UnzDllExec(UnzipParams* params) {
  SetLastFailure(nullptr);
  if (!params) return kUnzipBadParams;
  // A damaged archive must not pop up "insert a disk" boxes on the installer's behalf.
  const UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  int32_t result;
  UnzipFailure failure;
  {
    unzip::Win32Storage storage(params->NameEncoding == UNZIP_UTF8_ARCHIVE_NAME);
    unzip::ExtractOptions options;
    options.writers = Writers();
    result = unzip::Extract(*params, storage, options, &failure);
  }
  ::SetErrorMode(previousMode);
  SetLastFailure(&failure);
  return result;
}

void UNZIP_STDCALL UnzDllLastFailure(UnzipFailure* failure) {
  if (!failure) return;
  LastFailureLock lock;
  *failure = lastFailure;
  // A record cleared for a run under way, or never filled yet, is all zero.
  failure->StructSize = sizeof *failure;
}

uint32_t UNZIP_STDCALL GetUnzDllVersion(void) { return UNZIP_VERSION; }

}  // extern "C"
