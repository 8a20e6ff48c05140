// INSTALL.EXE replaces the C++ library's throw helpers with its own error: a misuse of a string or
// a container must still reach the handler of unhandled errors as a text, not end the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/Errors.h"

namespace {

template <typename Misuse>
std::string TextOf(Misuse misuse) {
  try {
    misuse();
  } catch (const toolkit::Exception& error) {
    return error.what();
  }
  return "(nothing thrown)";
}

TEST(LibraryThrows, MisusesBecomeTheInstallersErrorNamingTheFunction) {
  std::string text = "abc";
  std::vector<int> numbers(3);
  EXPECT_EQ(TextOf([&] { (void)text.substr(5); }),
            "basic_string::substr: __pos (which is 5) > this->size() (which is 3)");
  EXPECT_EQ(TextOf([&] { (void)numbers.at(3); }),
            "vector::_M_range_check: __n (which is 3) >= this->size() (which is 3)");
  EXPECT_EQ(TextOf([&] { text.reserve(text.max_size() + 1); }), "basic_string::_M_create");
  EXPECT_EQ(TextOf([&] { text.insert(9, "x"); }),
            "basic_string::replace: __pos (which is 9) > this->size() (which is 3)");
}

TEST(LibraryThrows, AnExhaustedHeapIsStillBadAlloc) {
  EXPECT_THROW(std::__throw_bad_alloc(), std::bad_alloc);
}

}  // namespace
