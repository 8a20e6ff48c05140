// The extractor over the toolkit's in-memory file system, as the headless installer runs it:
// members land relative to the current folder with Windows paths, a re-install replaces files
// although the service's rename never replaces, and a full disk leaves the old file in place.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/ToolkitStorage.h"
#include "tests/unzip/TestArchive.h"
#include "toolkit/headless/MemoryFileSystem.h"
#include "unzip/Extract.h"

namespace unzip::test {
namespace {

using toolkit::headless::MemoryFileSystem;

class ToolkitStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto bytes =
        MakeArchive({{.name = "Parts/Bin/tol.exe", .content = std::string(90000, 't')},
                     {.name = "readme.rtf", .content = "{\\rtf1 new}", .date = 0x3021}});
    fs_.MakeDirs("c:\\cd");
    fs_.PutFile("c:\\cd\\tk.pck", std::string(bytes.begin(), bytes.end()));
    fs_.MakeDirs("c:\\tolvek");
    ASSERT_EQ(fs_.ChangeDir("c:\\tolvek"), 0u);
  }
  std::int32_t Extract(const char* spec = nullptr) {
    auto params = std::make_unique<UnzipParams>();
    params->ArchiveName = "c:\\cd\\tk.pck";
    if (spec) {
      params->FileSpecs[0] = spec;
      params->FileSpecCount = 1;
    }
    ToolkitStorage storage(fs_);
    return unzip::Extract(*params, storage);
  }
  MemoryFileSystem fs_;
};

TEST_F(ToolkitStorageTest, MembersLandInTheCurrentFolder) {
  ASSERT_EQ(Extract(), 0);
  EXPECT_EQ(fs_.FileContent("c:\\tolvek\\parts\\bin\\TOL.EXE"), std::string(90000, 't'));
  EXPECT_EQ(fs_.FileContent("c:\\tolvek\\readme.rtf"), "{\\rtf1 new}");
  const auto stamp = fs_.FileTime("c:\\tolvek\\readme.rtf");
  ASSERT_TRUE(stamp.has_value());
  EXPECT_EQ(stamp->date, 0x3021);
  EXPECT_EQ(fs_.OpenFileCount(), 0);
}

TEST_F(ToolkitStorageTest, ReinstallReplacesTheFile) {
  fs_.PutFile("c:\\tolvek\\readme.rtf", "old");
  ASSERT_EQ(Extract("README.RTF"), 0);
  EXPECT_EQ(fs_.FileContent("c:\\tolvek\\readme.rtf"), "{\\rtf1 new}");
  EXPECT_EQ(fs_.List("c:\\tolvek"), std::vector<std::string>{"readme.rtf"});
}

TEST_F(ToolkitStorageTest, FullDiskKeepsTheInstalledFile) {
  fs_.PutFile("c:\\tolvek\\Parts\\Bin\\tol.exe", "installed");
  fs_.SetCapacity(fs_.FileContent("c:\\cd\\tk.pck")->size() + 50000);
  EXPECT_EQ(Extract("tol.exe"), 1);
  EXPECT_EQ(fs_.FileContent("c:\\tolvek\\parts\\bin\\tol.exe"), "installed");
  EXPECT_EQ(fs_.List("c:\\tolvek\\parts\\bin"), std::vector<std::string>{"tol.exe"});
  EXPECT_EQ(fs_.OpenFileCount(), 0);
}

TEST_F(ToolkitStorageTest, FullDiskLeavesNoHalfOfANewFile) {
  fs_.SetCapacity(fs_.FileContent("c:\\cd\\tk.pck")->size() + 50000);
  EXPECT_EQ(Extract("tol.exe"), 1);
  EXPECT_EQ(fs_.List("c:\\tolvek\\parts\\bin"), std::vector<std::string>{});
  EXPECT_EQ(fs_.OpenFileCount(), 0);
}

TEST_F(ToolkitStorageTest, FailedCloseLeavesNoHalfOfANewFile) {
  fs_.FailNext(toolkit::headless::FsOp::kClose, 112);
  EXPECT_EQ(Extract("readme.rtf"), 1);
  EXPECT_EQ(fs_.List("c:\\tolvek"), std::vector<std::string>{});
}

}  // namespace
}  // namespace unzip::test
