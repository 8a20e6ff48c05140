// Helpers shared by the AutoCAD integration tests: the in-memory file system and registry are
// fresh for every test, and texts are built from lines so that line ends are visible in the test.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "toolkit/headless/MemoryFileSystem.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace cad::testing {

// The lines, each followed by CR LF, as AutoCAD writes its files.
inline std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

// The same lines with another line end (LF alone, CR alone).
inline std::string Joined(std::initializer_list<std::string_view> lines, std::string_view end) {
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.append(end);
  }
  return text;
}

class CadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit::headless::MemFs().Reset();
    toolkit::headless::MemReg().Reset();
  }
  void TearDown() override {
    // Every handle a patcher opened must be closed again, whatever happened.
    EXPECT_EQ(toolkit::headless::MemFs().OpenFileCount(), 0);
    EXPECT_EQ(toolkit::headless::MemReg().OpenKeyCount(), 0);
  }

  static toolkit::headless::MemoryFileSystem& Fs() { return toolkit::headless::MemFs(); }
  static std::string Content(const std::string& path) {
    return Fs().FileContent(path).value_or("<missing>");
  }
  static bool Exists(const std::string& path) { return Fs().FileContent(path).has_value(); }

  // The product's files as the extraction puts them into `folder` (ending with a backslash):
  // the AutoLISP file and the toolbar's two bitmaps, each with bytes of its own.
  static void PutProductFiles(const std::string& folder) {
    Fs().PutFile(folder + "tolvek.lsp", "(princ)");
    Fs().PutFile(folder + "tkicon1.bmp", std::string("BM\x36\x03\0\0first", 12));
    Fs().PutFile(folder + "tkicon2.bmp", std::string("BM\x36\x03\0\0second", 13));
  }
};

}  // namespace cad::testing
