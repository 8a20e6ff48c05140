#include "unzip/Failure.h"

#include <algorithm>

namespace unzip {

void FirstFailure::Note(std::uint32_t order, std::int32_t reason, std::string_view name,
                        Status error) {
  if (order >= order_) return;
  order_ = order;
  record_.Reason = reason;
  record_.OsError = reason == kUnzipFailureWrite ? error : kOk;
  // Code page 1252 has one byte a character, so a cut never splits one.
  const std::size_t length = std::min<std::size_t>(name.size(), UNZIP_MAX_NAME);
  name.copy(record_.FileName, length);
  record_.FileName[length] = '\0';
}

void FirstFailure::Note(const FirstFailure& other) {
  if (other.order_ < order_) *this = other;
}

}  // namespace unzip
