// The demo product: the same tree on every run (the installed files are compared with it byte
// for byte), a readme the readme viewer can load, BMP headers that agree with the files, and a
// layout the medium builder accepts as it is.
#include "tools/demo/DemoProduct.h"

#include <gtest/gtest.h>

#include "tests/tools/ToolTestSupport.h"
#include "tools/medium/Packages.h"

namespace {

using namespace tooltest;

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint8_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
}

TEST(DemoProductTest, TwoRunsWriteTheSameTree) {
  TempFolder temp;
  demo::MakeDemoProduct(temp / "a");
  demo::MakeDemoProduct(temp / "b");
  auto a = Files(temp / "a");
  EXPECT_GT(a.size(), 200u);
  EXPECT_EQ(a, Files(temp / "b"));
}

TEST(DemoProductTest, ItsFilesAreWhatTheyClaimToBe) {
  TempFolder temp;
  demo::MakeDemoProduct(temp.Path(), demo::kSmallDemoSize);
  auto files = Files(temp.Path());
  ASSERT_TRUE(files.count("Help/readme.rtf"));
  const std::string& readme = files["Help/readme.rtf"];
  EXPECT_EQ(readme.substr(0, 6), "{\\rtf1");
  EXPECT_EQ(std::count(readme.begin(), readme.end(), '{'),
            std::count(readme.begin(), readme.end(), '}'));
  for (const char* name : {"autocad/tkicon1.bmp", "autocad/tkicon2.bmp", "Images/pic1.bmp"}) {
    const std::string& bmp = files[name];
    ASSERT_GT(bmp.size(), 54u) << name;
    EXPECT_EQ(bmp.substr(0, 2), "BM") << name;
    EXPECT_EQ(Le32(bmp, 2), bmp.size()) << name;
    const std::uint32_t width = Le32(bmp, 18), height = Le32(bmp, 22);
    EXPECT_EQ(54 + (width * 3 + 3) / 4 * 4 * height, bmp.size()) << name;
  }
  EXPECT_EQ(Le32(files["autocad/tkicon1.bmp"], 18), 16u);
  EXPECT_NE(files["autocad/tolvek.lsp"].find("(defun c:tolvek"), std::string::npos);
  EXPECT_TRUE(files.count("TOLVEK.EXE"));
}

TEST(DemoProductTest, EveryPackageGetsFiles) {
  TempFolder temp;
  demo::MakeDemoProduct(temp.Path(), demo::kSmallDemoSize);
  for (const auto& plan : medium::PlanPackages(temp.Path())) {
    EXPECT_FALSE(plan.files.empty()) << plan.source.package;
  }
}

TEST(DemoProductTest, ANonEmptyFolderIsRefused) {
  TempFolder temp;
  Write(temp / "old.txt", "x");
  EXPECT_THROW(demo::MakeDemoProduct(temp.Path()), medium::Error);
}

}  // namespace
