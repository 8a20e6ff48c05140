// Which product file goes into which package. A file in the wrong package lands in the wrong
// folder on the user's disk; a file in no package, or in two, is lost or overwritten without a
// word, so each of those is refused with a message that names the files.
#include "tools/medium/Packages.h"

#include <gtest/gtest.h>

#include "extract/PackageTable.h"
#include "tests/tools/ToolTestSupport.h"
#include "tools/medium/ZipWriter.h"

namespace {

using namespace tooltest;
using medium::PackagePlan;

// package -> member names
std::map<std::string, std::vector<std::string>> Contents(const std::vector<PackagePlan>& plans) {
  std::map<std::string, std::vector<std::string>> contents;
  for (const PackagePlan& plan : plans) {
    auto& names = contents[plan.source.package];
    for (const auto& file : plan.files) names.push_back(file.name);
  }
  return contents;
}

class PackagesTest : public ::testing::Test {
 protected:
  PackagesTest() {
    for (const char* name : {"tkicon1.bmp", "tkicon2.bmp", "tolvek.lsp"}) {
      Write(product_ / "autocad" / name, name);
    }
  }

  std::string Refusal() {
    try {
      medium::PlanPackages(product_.Path());
    } catch (const medium::Error& error) {
      return error.what();
    }
    return "";
  }

  TempFolder product_;
};

TEST_F(PackagesTest, PackagesComeInTheOrderTheInstallerAsksForThem) {
  std::vector<std::string> expected = {"cad-acad.pck", "cfg-acad.pck", "hlp-acad.pck"};
  for (const auto& row : extract::PackageTable) expected.push_back(std::string(row.package + 1));
  std::vector<std::string> names;
  for (const PackagePlan& plan : medium::PlanPackages(product_.Path())) {
    names.push_back(plan.source.package);
  }
  EXPECT_EQ(names, expected);
  EXPECT_EQ(names.size(), 18u);
}

TEST_F(PackagesTest, EachFileGoesToThePackageOfItsDeepestFolder) {
  Write(product_ / "TOLVEK.EXE", "x");
  Write(product_ / "Cfg" / "tolvek.cfg", "x");
  Write(product_ / "Help" / "readme.rtf", "x");
  Write(product_ / "help-acad" / "acad.rtf", "x");
  Write(product_ / "Parts" / "Pneumatica" / "valve.tab", "x");
  Write(product_ / "Parts" / "Pneumatica" / "sub" / "deep.tab", "x");
  Write(product_ / "Parts" / "Pneumatica" / "Img" / "valve.bmp", "x");
  Write(product_ / "Parts" / "Img" / "bolt.bmp", "x");
  Write(product_ / "PARTS" / "kx" / "kx001.tab", "x");
  auto contents = Contents(medium::PlanPackages(product_.Path()));
  using Names = std::vector<std::string>;
  EXPECT_EQ(contents["cad-acad.pck"], (Names{"tkicon1.bmp", "tkicon2.bmp", "tolvek.lsp"}));
  EXPECT_EQ(contents["tk.pck"], (Names{"TOLVEK.EXE"}));
  EXPECT_EQ(contents["cfg-acad.pck"], (Names{"tolvek.cfg"}));
  EXPECT_EQ(contents["hlp.pck"], (Names{"readme.rtf"}));
  EXPECT_EQ(contents["hlp-acad.pck"], (Names{"acad.rtf"}));
  EXPECT_EQ(contents["parts-pneumatica.pck"], (Names{"sub/deep.tab", "valve.tab"}));
  EXPECT_EQ(contents["parts-pneumatica-img.pck"], (Names{"valve.bmp"}));
  EXPECT_EQ(contents["parts-img.pck"], (Names{"bolt.bmp"}));
  EXPECT_EQ(contents["parts-kx.pck"], (Names{"kx001.tab"}));
  EXPECT_TRUE(contents["acrobat.pck"].empty());
  EXPECT_TRUE(contents["parts-bin.pck"].empty());
}

TEST_F(PackagesTest, FilesNoPackageTakesAreRefusedByName) {
  Write(product_ / "Store" / "old.dat", "x");
  Write(product_ / "Parts" / "Special" / "mine.tab", "x");
  Write(product_ / "Parts" / "Harvo" / "ok.tab", "x");
  std::string refusal = Refusal();
  EXPECT_NE(refusal.find("Store/old.dat"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("Parts/Special/mine.tab"), std::string::npos) << refusal;
  EXPECT_EQ(refusal.find("ok.tab"), std::string::npos) << refusal;
}

TEST_F(PackagesTest, TheAutoCadFolderTakesNoSubfolders) {
  // The installer takes the AutoCAD files out by name; a sub-folder would never be installed.
  Write(product_ / "autocad" / "extra" / "more.lsp", "x");
  EXPECT_NE(Refusal().find("autocad/extra/more.lsp"), std::string::npos);
}

TEST_F(PackagesTest, TwoFilesForTheSameInstalledNameAreRefused) {
  Write(product_ / "Help" / "guida.rtf", "general");
  Write(product_ / "help-acad" / "GUIDA.RTF", "acad");
  std::string refusal = Refusal();
  EXPECT_NE(refusal.find("Help/guida.rtf"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("help-acad/GUIDA.RTF"), std::string::npos) << refusal;
}

TEST_F(PackagesTest, AMissingAutoCadFileIsRefused) {
  fs::remove(product_ / "autocad" / "tolvek.lsp");
  EXPECT_NE(Refusal().find("tolvek.lsp"), std::string::npos);
}

TEST_F(PackagesTest, NamesOutsideAsciiAreRefused) {
  Write(product_ / "Help" / "perch\xC3\xA8.rtf", "x");
  EXPECT_NE(Refusal().find("ASCII"), std::string::npos);
}

TEST_F(PackagesTest, AMissingProductFolderIsRefused) {
  EXPECT_THROW(medium::PlanPackages(product_ / "nothing"), medium::Error);
}

}  // namespace
