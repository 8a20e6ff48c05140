// Every refusal of the medium builder and the demo generator: the text says what is wrong and
// what to change; the command-line tools print it and fail.
#pragma once

#include <stdexcept>

namespace medium {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace medium
