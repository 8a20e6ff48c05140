// The extractor's storages own their open files through this: the handle is closed when it is
// replaced, released or goes out of scope, on every path out of a member. The library stands
// alone behind its C header, so it keeps this small owner of its own.
#pragma once

namespace unzip {

template <typename H, auto Close, H Invalid = H{}>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() { Reset(); }

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  // Hands the handle over; the caller closes it.
  H Release() {
    H handle = handle_;
    handle_ = Invalid;
    return handle;
  }
  void Reset(H handle = Invalid) {
    if (handle_ != Invalid) Close(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = Invalid;
};

}  // namespace unzip
