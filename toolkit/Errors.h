// The error kinds the installer's flow uses. They travel as C++ exceptions and are caught only by
// the application's handler of unhandled errors, which shows the text (EAbort: nothing) and keeps
// the program running.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace toolkit {

// Any error whose text the handler of unhandled errors shows. Texts are UTF-8. It keeps
// its text itself rather than deriving from std::runtime_error, whose reference-counted string
// would bring a second string implementation of some 40 KB into INSTALL.EXE.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A failed file or folder operation, carrying the operating-system error code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(std::uint32_t code);
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

// Ends the current user action and shows nothing (the user abandoned at a prompt). A reason, when
// one is given, is for a log: a run with nobody at the machine takes the abort for an error, and
// its log says why.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  explicit EAbort(std::string reason) : EAbort() { reason_ = std::move(reason); }
  // Empty when none was given.
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

// The run-time library's text for an operating-system error code.
std::string IoErrorText(std::uint32_t code);

}  // namespace toolkit
