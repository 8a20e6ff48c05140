// The error kinds the installer's flow uses. They travel as C++ exceptions and are caught only by
// the application's handler of unhandled errors, which shows the text (EAbort: nothing) and keeps
// the program running.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace toolkit {

// Any error whose text the handler of unhandled errors shows. Texts are code page 1252.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A failed file or folder operation, carrying the operating-system error code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(std::uint32_t code);
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

// Ends the current user action and shows nothing (the user abandoned at a prompt).
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// The run-time library's text for an operating-system error code.
std::string IoErrorText(std::uint32_t code);

}  // namespace toolkit
