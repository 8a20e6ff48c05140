// The whole medium, as make-medium writes it: extracting its packages where the installer
// extracts them reproduces the product tree file for file; a disk medium holds the installer and
// then the packages in the installer's order, no disk over its room; an oversized package, an
// oversized installer and a used output folder are refused; the same input gives the same bytes;
// the medium's SHA256SUMS lets sha256sum check a copy of it.
#include "tools/medium/Medium.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>

#include "extract/PackageTable.h"
#include "tests/tools/ToolTestSupport.h"
#include "tools/demo/DemoProduct.h"

namespace {

using namespace tooltest;

class MediumTest : public ::testing::Test {
 protected:
  MediumTest() {
    demo::MakeDemoProduct(temp_ / "product", demo::kSmallDemoSize);
    Write(temp_ / "installer" / "INSTALL.EXE", std::string(300000, 'E'));
    Write(temp_ / "installer" / "INSTALL.DLL", std::string(60000, 'D'));
    options_.productDir = temp_ / "product";
    options_.outDir = temp_ / "medium";
    options_.installerDir = temp_ / "installer";
  }

  std::string Refusal() {
    try {
      medium::BuildMedium(options_);
    } catch (const medium::Error& error) {
      return error.what();
    }
    return "";
  }

  TempFolder temp_;
  medium::MediumOptions options_;
};

// The installer's order of packages, written out from the sequence and the table.
std::vector<std::string> InstallerOrder() {
  std::vector<std::string> order = {"INSTALL.EXE", "INSTALL.DLL", "cad-acad.pck", "cfg-acad.pck",
                                    "hlp-acad.pck"};
  for (const auto& row : extract::PackageTable) order.push_back(row.package + 1);
  return order;
}

TEST_F(MediumTest, InstallingTheOneFolderMediumGivesBackTheProduct) {
  medium::MediumSummary summary = medium::BuildMedium(options_);
  ASSERT_EQ(summary.folders.size(), 1u);
  const fs::path medium = options_.outDir;
  std::vector<std::string> onMedium;
  for (const auto& [name, content] : Files(medium)) onMedium.push_back(name);
  std::vector<std::string> expected = InstallerOrder();
  expected.push_back(medium::kChecksumFile);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(onMedium, expected);
  EXPECT_EQ(Read(medium / "INSTALL.EXE"), Read(options_.installerDir / "INSTALL.EXE"));

  // Extract as the installer does: the sequence's three packages, then the table.
  const fs::path dest = temp_ / "dest";
  ASSERT_EQ(ExtractWithOurExtractor(medium / "cad-acad.pck", dest / "acad-support"), 0);
  ASSERT_EQ(ExtractWithOurExtractor(medium / "cfg-acad.pck", dest / "cfg"), 0);
  ASSERT_EQ(ExtractWithOurExtractor(medium / "hlp-acad.pck", dest / "help"), 0);
  for (const auto& row : extract::PackageTable) {
    std::string target = row.target;
    std::replace(target.begin(), target.end(), '\\', '/');
    ASSERT_EQ(ExtractWithOurExtractor(medium / (row.package + 1), dest.string() + target), 0)
        << row.package;
  }

  // Where each product file must be installed: the AutoCAD files into AutoCAD's support folder,
  // the AutoCAD help beside the general help, everything else where it lies in the product.
  std::map<std::string, std::string> expectedTree;
  std::size_t productFiles = 0;
  for (const auto& [name, content] : Files(options_.productDir)) {
    std::string installed = Lower(name);
    if (installed.starts_with("autocad/")) installed = "acad-support/" + installed.substr(8);
    if (installed.starts_with("help-acad/")) installed = "help/" + installed.substr(10);
    expectedTree[installed] = content;
    ++productFiles;
  }
  std::map<std::string, std::string> installedTree;
  for (const auto& [name, content] : Files(dest)) installedTree[Lower(name)] = content;
  EXPECT_EQ(installedTree, expectedTree);
  EXPECT_EQ(summary.productFiles, productFiles);
}

TEST_F(MediumTest, ADiskMediumHoldsTheFilesInTheInstallersOrder) {
  options_.diskSize = 400 * 1024;
  medium::MediumSummary summary = medium::BuildMedium(options_);
  ASSERT_GE(summary.folders.size(), 2u);
  std::vector<std::string> order;
  for (std::size_t d = 0; d < summary.folders.size(); ++d) {
    const fs::path folder = options_.outDir / ("disk" + std::to_string(d + 1));
    EXPECT_EQ(summary.folders[d], folder);
    std::uint64_t used = 0;
    std::vector<std::string> onDisk;
    for (const auto& [name, content] : Files(folder)) onDisk.push_back(name);
    std::vector<std::string> listed;
    for (const medium::MediumItem& item : summary.disks[d]) {
      order.push_back(item.name);
      listed.push_back(item.name);
      EXPECT_EQ(fs::file_size(folder / item.name), item.size) << item.name;
      used += medium::RoomOf(item.size);
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(onDisk, listed) << folder;
    EXPECT_LE(used, 400u * 1024) << folder;
    // A disk is full: the next disk's first file would not have fitted on it.
    if (d + 1 < summary.disks.size()) {
      EXPECT_GT(used + medium::RoomOf(summary.disks[d + 1].front().size), 400u * 1024);
    }
  }
  EXPECT_EQ(order, InstallerOrder());
  EXPECT_FALSE(fs::exists(options_.outDir / "INSTALL.EXE"));
}

// sha256sum -c, as README tells whoever copied a medium, passes on the medium as written, every
// file of it listed, and fails naming the file once a byte of it changes: one folder and disks.
TEST_F(MediumTest, Sha256sumChecksEveryFileOfTheMedium) {
  for (const std::optional<std::uint64_t> diskSize :
       {std::optional<std::uint64_t>(), std::optional<std::uint64_t>(400 * 1024)}) {
    SCOPED_TRACE(diskSize ? "disks" : "one folder");
    fs::remove_all(options_.outDir);
    options_.diskSize = diskSize;
    const medium::MediumSummary summary = medium::BuildMedium(options_);
    EXPECT_EQ(summary.checksums, options_.outDir / medium::kChecksumFile);

    std::vector<std::string> listed;
    std::istringstream lines(Read(summary.checksums));
    for (std::string line; std::getline(lines, line);) {
      ASSERT_GT(line.size(), 66u) << line;
      listed.push_back(line.substr(66));
    }
    std::vector<std::string> onMedium;
    for (const auto& [name, content] : Files(options_.outDir)) {
      if (name != medium::kChecksumFile) onMedium.push_back(name);
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, onMedium);

    const std::string check = "cd '" + options_.outDir.string() +
                              "' && sha256sum --check --strict --quiet SHA256SUMS >check.out 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << Read(options_.outDir / "check.out");
    const fs::path changed = options_.outDir / listed.back();
    std::string bytes = Read(changed);
    bytes[bytes.size() / 2] ^= 1;
    Write(changed, bytes);
    EXPECT_NE(std::system(check.c_str()), 0);
    EXPECT_NE(Read(options_.outDir / "check.out").find(listed.back() + ": FAILED"),
              std::string::npos)
        << Read(options_.outDir / "check.out");
  }
}

TEST_F(MediumTest, APackageLargerThanADiskIsRefused) {
  // The installer and the small packages fit on 380k disks; the 3000-byte noise file does not
  // make parts-bin.pck larger than that, so the disk is made just too small for it.
  options_.diskSize = 380 * 1024;
  ASSERT_EQ(Refusal(), "");
  fs::remove_all(options_.outDir);
  Write(options_.productDir / "Parts" / "Bin" / "big.bin", std::string());
  std::string noise;
  std::uint32_t x = 1;
  for (int i = 0; i < 400000; ++i) noise += static_cast<char>((x = x * 1103515245 + 12345) >> 24);
  Write(options_.productDir / "Parts" / "Bin" / "big.bin", noise);
  std::string refusal = Refusal();
  EXPECT_NE(refusal.find("parts-bin.pck"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("does not fit on one disk"), std::string::npos) << refusal;
}

TEST_F(MediumTest, AnInstallerOverItsLimitIsRefused) {
  Write(options_.installerDir / "INSTALL.EXE", std::string(470000, 'E'));
  std::string refusal = Refusal();
  EXPECT_NE(refusal.find("530000"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("524288"), std::string::npos) << refusal;
  EXPECT_FALSE(fs::exists(options_.outDir));
}

TEST_F(MediumTest, AMissingInstallerIsRefused) {
  fs::remove(options_.installerDir / "INSTALL.DLL");
  EXPECT_NE(Refusal().find("INSTALL.DLL"), std::string::npos);
}

TEST_F(MediumTest, AUsedOutputFolderIsRefused) {
  Write(options_.outDir / "disk3" / "old.pck", "x");
  EXPECT_NE(Refusal().find("not empty"), std::string::npos);
}

TEST_F(MediumTest, TheSameProductGivesTheSameMedium) {
  options_.diskSize = 400 * 1024;
  medium::BuildMedium(options_);
  options_.outDir = temp_ / "again";
  medium::BuildMedium(options_);
  EXPECT_EQ(Files(temp_ / "medium"), Files(temp_ / "again"));
}

}  // namespace
