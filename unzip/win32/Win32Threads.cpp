// unzip/Threads.h inside INSTALL.DLL: a critical section, an auto-reset event and CreateThread.
// The DLL links the C run-time library as msvcrt.dll, which sets up its per-thread data for
// threads made by CreateThread too, so _beginthreadex is not needed.
#include <windows.h>

#include "unzip/Threads.h"

namespace unzip::threads {

struct Mutex::Native {
  CRITICAL_SECTION section;
};

Mutex::Mutex() : native_(new Native) { ::InitializeCriticalSection(&native_->section); }
Mutex::~Mutex() { ::DeleteCriticalSection(&native_->section); }
void Mutex::Lock() { ::EnterCriticalSection(&native_->section); }
void Mutex::Unlock() { ::LeaveCriticalSection(&native_->section); }

struct Signal::Native {
  HANDLE event = nullptr;
};

Signal::Signal() : native_(new Native) {
  native_->event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

Signal::~Signal() {
  if (native_->event) ::CloseHandle(native_->event);
}

void Signal::Set() { ::SetEvent(native_->event); }

void Signal::Wait() {
  // Without an event (no handles left) the wait polls: slower, never stuck.
  if (!native_->event || ::WaitForSingleObject(native_->event, INFINITE) != WAIT_OBJECT_0) {
    ::Sleep(1);
  }
}

struct Thread::Native {
  HANDLE thread = nullptr;
  Body body = nullptr;
  void* context = nullptr;
};

void Thread::NativeDeleter::operator()(Native* native) const {
  if (native->thread) ::CloseHandle(native->thread);
  delete native;
}

namespace {

DWORD WINAPI Run(LPVOID argument) {
  auto* native = static_cast<Thread::Native*>(argument);
  native->body(native->context);
  return 0;
}

}  // namespace

bool Thread::Start(Body body, void* context) {
  Join();
  std::unique_ptr<Native, NativeDeleter> native(new Native{nullptr, body, context});
  DWORD id = 0;
  native->thread = ::CreateThread(nullptr, 0, &Run, native.get(), 0, &id);
  if (!native->thread) return false;
  native_ = std::move(native);
  return true;
}

void Thread::Join() {
  if (!native_) return;
  ::WaitForSingleObject(native_->thread, INFINITE);
  native_.reset();
}

}  // namespace unzip::threads
