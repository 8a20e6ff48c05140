// The log's conversion from code page 1252 to UTF-8 against Windows' own, byte by byte: Windows
// decides what each byte of the program's texts means, so a tool that reads the log shows the
// character a Windows program shows for the same text, the page's five undefined bytes included.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "toolkit/Utf8.h"

namespace {

std::string WindowsUtf8(char byte) {
  wchar_t wide[2] = {};
  const int units = MultiByteToWideChar(1252, 0, &byte, 1, wide, 2);
  char utf8[8] = {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, nullptr, nullptr);
  return std::string(utf8, std::size_t(size));
}

TEST(Utf8WineTest, EveryByteBecomesWhatWindowsMakesOfIt) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::string text(1, char(byte));
    EXPECT_EQ(toolkit::Utf8FromCp1252(text), WindowsUtf8(char(byte))) << "byte " << byte;
  }
}

}  // namespace
