// The little threading the extractor needs, named without an OS: a lock, a wake-up signal and a
// joinable thread. The DLL implements them with Win32 calls present since Windows 95 (critical
// sections, auto-reset events, CreateThread: Windows XP has no condition variables), native
// programs with POSIX threads. Nothing here throws; a thread that cannot be started says so.
#pragma once

#include <memory>

namespace unzip::threads {

class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void Lock();
  void Unlock();

  struct Native;

 private:
  std::unique_ptr<Native> native_;
};

class Locked {
 public:
  explicit Locked(Mutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~Locked() { mutex_.Unlock(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  Mutex& mutex_;
};

// Wakes one waiting thread. A Set with nobody waiting is kept for the next Wait (one, however
// many Sets), so a waiter that checks its condition under a lock, unlocks and then waits misses
// nothing; a Wait may still return with the condition unchanged, so waiters check again.
class Signal {
 public:
  Signal();
  ~Signal();
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  void Set();
  void Wait();

  struct Native;

 private:
  std::unique_ptr<Native> native_;
};

class Thread {
 public:
  using Body = void (*)(void* context);

  Thread() = default;
  ~Thread() { Join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // False when the system has no thread to give.
  bool Start(Body body, void* context);
  // Waits for the body to return; nothing when the thread never started or was joined.
  void Join();

  struct Native;

 private:
  struct NativeDeleter {
    void operator()(Native* native) const;
  };
  std::unique_ptr<Native, NativeDeleter> native_;
};

}  // namespace unzip::threads
