// One move-only owner for every operating-system handle: Unique<HKEY, RegCloseKey>,
// Unique<HFONT, DeleteObject>, ... It names no OS itself, so the DLL and the Win32 backend share
// it.
#pragma once

#include <utility>

namespace toolkit {

template <typename H, auto Close, H Invalid = H{}>
class Unique {
 public:
  Unique() = default;
  explicit Unique(H handle) : handle_(handle) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : handle_(other.Release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~Unique() { Reset(); }

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  H Release() { return std::exchange(handle_, Invalid); }
  void Reset(H handle = Invalid) {
    H old = std::exchange(handle_, handle);
    if (old != Invalid) Close(old);
  }

 private:
  H handle_ = Invalid;
};

}  // namespace toolkit
