// unzip/Threads.h with POSIX threads, for the native tests, the fuzzer and the benchmark.
#include <pthread.h>

#include "unzip/Threads.h"

namespace unzip::threads {

struct Mutex::Native {
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
};

Mutex::Mutex() : native_(new Native) {}
Mutex::~Mutex() { pthread_mutex_destroy(&native_->mutex); }
void Mutex::Lock() { pthread_mutex_lock(&native_->mutex); }
void Mutex::Unlock() { pthread_mutex_unlock(&native_->mutex); }

struct Signal::Native {
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t condition = PTHREAD_COND_INITIALIZER;
  bool set = false;
};

Signal::Signal() : native_(new Native) {}

Signal::~Signal() {
  pthread_cond_destroy(&native_->condition);
  pthread_mutex_destroy(&native_->mutex);
}

void Signal::Set() {
  pthread_mutex_lock(&native_->mutex);
  native_->set = true;
  pthread_cond_signal(&native_->condition);
  pthread_mutex_unlock(&native_->mutex);
}

void Signal::Wait() {
  pthread_mutex_lock(&native_->mutex);
  while (!native_->set) pthread_cond_wait(&native_->condition, &native_->mutex);
  native_->set = false;
  pthread_mutex_unlock(&native_->mutex);
}

struct Thread::Native {
  pthread_t thread{};
  Body body = nullptr;
  void* context = nullptr;
};

void Thread::NativeDeleter::operator()(Native* native) const { delete native; }

namespace {

void* Run(void* argument) {
  auto* native = static_cast<Thread::Native*>(argument);
  native->body(native->context);
  return nullptr;
}

}  // namespace

bool Thread::Start(Body body, void* context) {
  Join();
  std::unique_ptr<Native, NativeDeleter> native(new Native{{}, body, context});
  if (pthread_create(&native->thread, nullptr, &Run, native.get()) != 0) return false;
  native_ = std::move(native);
  return true;
}

void Thread::Join() {
  if (!native_) return;
  pthread_join(native_->thread, nullptr);
  native_.reset();
}

}  // namespace unzip::threads
