// FirstFailure keeps why an extraction lost its first member, for UnzDllLastFailure: the installer
// names that member to the user. Members fail on the extracting thread (damaged data, a refused
// name) and on the writer threads (a file that cannot be written), so failures are not noted in
// archive order; each carries its member's place in the archive, and the earliest place wins.
// One FirstFailure belongs to one thread, or is guarded by its owner's lock.
#pragma once

#include <cstdint>
#include <string_view>

#include "unzip/Storage.h"
#include "unzip/UnzipApi.h"

namespace unzip {

class FirstFailure {
 public:
  // `order` is the member's place in the archive; `name` is cut to the record's buffer; `error`
  // is kept for kUnzipFailureWrite alone.
  void Note(std::uint32_t order, std::int32_t reason, std::string_view name, Status error = kOk);
  // Keeps the earlier of the two.
  void Note(const FirstFailure& other);
  const UnzipFailure& Record() const { return record_; }

 private:
  std::uint32_t order_ = UINT32_MAX;
  // All zero, Reason kUnzipFailureNone; the size is set by whoever hands the record out.
  UnzipFailure record_{};
};

}  // namespace unzip
