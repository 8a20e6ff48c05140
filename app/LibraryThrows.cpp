// The C++ library reports a misuse (a position past a string's end, a length beyond its maximum)
// through these functions. Its own versions throw std::logic_error and its kin, which carry a
// reference-counted string of their own and pull a second whole string implementation into the
// program; these throw the installer's own error instead, whose text the handler of unhandled
// errors shows like any other. Linked into INSTALL.EXE only, ahead of the library.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <new>
#include <string>
#include <typeinfo>
#include <utility>

#include "toolkit/Errors.h"

namespace {

[[noreturn]] void Fault(const char* what) { throw toolkit::Exception(what); }

// The library's formats hold only %s, %zu, %lu and %%, like its own small formatter.
std::string Format(const char* format, va_list arguments) {
  std::string text;
  for (const char* at = format; *at; ++at) {
    if (*at != '%' || at[1] == '\0') {
      text += *at;
      continue;
    }
    ++at;
    if (*at == 's') {
      text += va_arg(arguments, const char*);
    } else if (*at == 'z' && at[1] == 'u') {
      text += std::to_string(va_arg(arguments, std::size_t));
      ++at;
    } else if (*at == 'l' && at[1] == 'u') {
      text += std::to_string(va_arg(arguments, unsigned long));
      ++at;
    } else {
      text += *at;
    }
  }
  return text;
}

}  // namespace

namespace std {

void __throw_bad_exception() { throw std::bad_exception(); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_bad_cast() { throw std::bad_cast(); }
void __throw_bad_typeid() { throw std::bad_typeid(); }
void __throw_logic_error(const char* what) { Fault(what); }
void __throw_domain_error(const char* what) { Fault(what); }
void __throw_invalid_argument(const char* what) { Fault(what); }
void __throw_length_error(const char* what) { Fault(what); }
void __throw_out_of_range(const char* what) { Fault(what); }
void __throw_out_of_range_fmt(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = Format(format, arguments);
  va_end(arguments);
  throw toolkit::Exception(std::move(text));
}
void __throw_runtime_error(const char* what) { Fault(what); }
void __throw_range_error(const char* what) { Fault(what); }
void __throw_overflow_error(const char* what) { Fault(what); }
void __throw_underflow_error(const char* what) { Fault(what); }

}  // namespace std
