// The AutoCAD folder a run takes when nobody typed one: the registry's most recent AutoCAD whose
// folder is on the disk, for the releases the run wires; a folder the registry names but the disk
// lacks is passed over and said so; none at all leaves the configured folder. The dialog keeps
// the configured folder where it exists.
#include "install/CadFolderChoice.h"

#include <gtest/gtest.h>

#include "tests/support/HeadlessTest.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace install {
namespace {

const std::string kMachine = "HKLM\\Software\\Autodesk\\AutoCAD";
const std::string kUser = "\\Software\\Autodesk\\AutoCAD";
const std::string k2026 = "C:\\Program Files\\Autodesk\\AutoCAD 2026";
const std::string k2021 = "C:\\Program Files\\Autodesk\\AutoCAD 2021";
const std::string kR15 = "c:\\Programmi\\ACAD2000";

struct Registered {
  std::string key;  // under the machine's AutoCAD key
  std::string location;
  bool onDisk;
};

class CadFolderChoiceTest : public testing_support::HeadlessTest {
 protected:
  void Lay(const std::vector<Registered>& products) {
    for (const Registered& product : products) {
      toolkit::headless::MemReg().SetString(kMachine + "\\" + product.key, "AcadLocation",
                                            product.location);
      if (product.onDisk) Disk().MakeDirs(product.location);
    }
  }
};

TEST_F(CadFolderChoiceTest, TheNewestFolderOnTheDiskIsChosenForTheReleasesTheRunWires) {
  const struct {
    const char* what;
    std::vector<Registered> products;
    bool release14;
    const char* chosen;  // "" for none
    std::size_t existing;
    std::size_t gone;
  } rows[] = {
      {"none", {}, false, "", 0, 0},
      {"one product", {{"R25.1\\ACAD-9101:409", k2026, true}}, false, k2026.c_str(), 1, 0},
      {"several releases: the most recent",
       {{"R24.0\\ACAD-5101:409", k2021, true}, {"R25.1\\ACAD-9101:409", k2026, true}},
       false,
       k2026.c_str(),
       2,
       0},
      {"the newest folder does not exist: the next",
       {{"R24.0\\ACAD-5101:409", k2021, true}, {"R25.1\\ACAD-9101:409", k2026, false}},
       false,
       k2021.c_str(),
       1,
       1},
      {"no registered folder exists", {{"R25.1\\ACAD-9101:409", k2026, false}}, false, "", 0, 1},
      {"a release before 2004 is not one a run for 2004 and later wires",
       {{"R15.0\\ACAD-1:409", kR15, true}},
       false,
       "",
       0,
       0},
      {"/R14 takes the release before 2004",
       {{"R15.0\\ACAD-1:409", kR15, true}, {"R25.1\\ACAD-9101:409", k2026, true}},
       true,
       kR15.c_str(),
       1,
       0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    Lay(row.products);
    const RegisteredCadFolders sorted =
        SortRegisteredFolders(cad::FindAcadProducts(), row.release14);
    EXPECT_EQ(sorted.chosen ? sorted.chosen->location : "", row.chosen);
    EXPECT_EQ(sorted.existing, row.existing);
    EXPECT_EQ(sorted.gone.size(), row.gone);
  }
}

TEST_F(CadFolderChoiceTest, TheDialogKeepsTheConfiguredFolderWhereItExists) {
  config::Vars.Language = 1;
  config::Vars.ProductCode = 1;
  config::FillConfiguration();
  ASSERT_FALSE(config::Vars.DefaultCadFolder.empty());
  Lay({{"R25.1\\ACAD-9101:409", k2026, true}});
  EXPECT_EQ(ProposedCadFolder(), k2026);
  Disk().MakeDirs(config::Vars.DefaultCadFolder);
  EXPECT_EQ(ProposedCadFolder(), config::Vars.DefaultCadFolder);
}

}  // namespace
}  // namespace install
