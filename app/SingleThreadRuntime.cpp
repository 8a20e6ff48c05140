// The locks, once-flags and thread-local keys that the C++ runtime's exception support asks of
// the threads library, for a program that runs C++ on one thread only. The runtime would
// otherwise bring the whole POSIX threads library of the cross compiler into INSTALL.EXE, some
// 30 KB of its 512 KB budget with INSTALL.DLL. INSTALL.EXE creates no thread: its window
// procedures, timers, DDE callbacks and the unzip library's progress callback all run on the thread
// that started it (INSTALL.DLL's writer threads run code of the DLL's own, which has no
// exceptions). Linked into INSTALL.EXE only, ahead of the library; test programs keep the real one.

extern "C" {

// The types as the threads library declares them: a once-flag and a mutex are integers the
// caller initialises, a key is an unsigned index.
using PthreadOnce = long;
using PthreadMutex = long;
using PthreadKey = unsigned;

int pthread_once(PthreadOnce* once, void (*init)()) {
  if (*once == 0) {
    *once = 1;
    init();
  }
  return 0;
}

int pthread_mutex_init(PthreadMutex*, const void*) { return 0; }
int pthread_mutex_destroy(PthreadMutex*) { return 0; }
int pthread_mutex_lock(PthreadMutex*) { return 0; }
int pthread_mutex_unlock(PthreadMutex*) { return 0; }

namespace {
// The runtime asks for one key (the emulated thread-local storage of its exception globals).
constexpr unsigned kKeys = 8;
const void* keyValues[kKeys];
unsigned keysMade = 0;
}  // namespace

int pthread_key_create(PthreadKey* key, void (*)(void*)) {
  // The key's destructor would run as a thread ends; the one thread ends with the process.
  if (keysMade == kKeys) return 11;  // EAGAIN
  *key = keysMade++;
  return 0;
}

void* pthread_getspecific(PthreadKey key) {
  return key < kKeys ? const_cast<void*>(keyValues[key]) : nullptr;
}

int pthread_setspecific(PthreadKey key, const void* value) {
  if (key >= kKeys) return 22;  // EINVAL
  keyValues[key] = value;
  return 0;
}

}  // extern "C"
