// Every AutoCAD on a 64-bit machine, with the real programs: AutoCAD 2009 (32-bit, registered in
// the copy of 32-bit programs) last used, 2021, 2026 and a 2026 vertical (64-bit, registered in
// the machine's 64-bit view), each started once by the user. A silent installation into 2021's
// folder wires each product the way its release wants, the command its product registered takes
// every change back, and AutoCAD's files hold their bytes from before again.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"
#include "tests/wine/support/Wow64.h"
#include "tests/wine/wow64/Scene.h"

namespace {

using namespace winetest;
using namespace winetest::wow64;

const std::string kMedium = "C:\\medium-every";
const std::string kProfiles = "C:\\Profili-every";

using Product = AcadProduct;

const Product kProducts[] = {
    {"R17.2", "ACAD-7001:409", "AutoCAD 2009", View::k32},
    {"R24.0", "ACAD-5101:409", "Autodesk\\AutoCAD 2021", View::k64},
    {"R25.1", "ACAD-9101:409", "Autodesk\\AutoCAD 2026", View::k64},
    {"R25.1", "ACAD-9106:409", "Autodesk\\AutoCAD 2026", View::k64},
};

std::string Support(const Product& product) {
  return kProfiles + "\\" + product.release + "-" + std::string(product.key).substr(5, 4) +
         "\\Support";
}

class EveryAutoCadWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    BuildDemoMedium(kMedium);
    for (const Product& product : kProducts) {
      ASSERT_EQ(RegisterInstalled(product), ERROR_SUCCESS);
      const std::string support = Support(product);
      MakeTree(support);
      WriteFile(support + "\\acad.pgp", "A, *ARC\n");
      WriteFile(support + "\\acad.mns", "***TOOLBARS\r\n***HELPSTRINGS\r\n");
      const std::string root = support.substr(0, support.size() - 7);
      WriteString(HKEY_CURRENT_USER, View::k64, ProductKey(product), "RoamableRootFolder", root);
      WriteString(HKEY_CURRENT_USER, View::k64, VariablesKey(product), "TRUSTEDPATHS", "C:\\Lisp");
    }
    // The user's own acaddoc.lsp in 2009's folder, as an editor left it.
    WriteFile(Support(kProducts[0]) + "\\acaddoc.lsp", "(setq mine 1)\n(princ)");
    WriteString(HKEY_CURRENT_USER, View::k64, kAutoCad, "CurVer", "R17.2");
    WriteString(HKEY_CURRENT_USER, View::k64, kAutoCad + "\\R17.2", "CurVer", "ACAD-7001:409");
  }

  void TearDown() override { Clean(); }

  static void Clean() {
    DeleteEverywhere({kAutoCad, kEntry});
    for (const std::string& folder :
         {kMedium, kProfiles, std::string("C:\\Tolvek4"), extractwine::kScratch,
          AppData() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle"}) {
      RemoveTree(folder);
    }
  }
};

TEST_F(EveryAutoCadWineTest, EachAutoCadIsWiredAndTakenBack) {
  const auto before = FilesBelow(kProfiles);
  const std::string acad2021 = *ProgramFiles64() + "\\Autodesk\\AutoCAD 2021";
  ASSERT_EQ(RunToTheEnd(kMedium + "\\INSTALL.EXE", "/S /NOGROUP \"/ACAD=" + acad2021 + "\""),
            3010u);
  const std::string contents =
      AppData() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";
  EXPECT_NE(ReadFile(Support(kProducts[0]) + "\\acaddoc.lsp").value_or("").find("(load \"tolvek\""),
            std::string::npos);
  EXPECT_TRUE(ReadFile(contents + "\\tolvek.lsp"));
  for (const Product& product : kProducts) {
    if (std::string(product.release) == "R17.2") continue;
    EXPECT_EQ(TrustedPaths(VariablesKey(product)), "C:\\Lisp;" + contents) << product.key;
  }
  // 2021 is the chosen folder's product: its support folder has the command alias.
  EXPECT_NE(ReadFile(Support(kProducts[1]) + "\\acad.pgp").value_or("").find("RUNTOLVEK"),
            std::string::npos);

  const std::optional<std::string> command =
      ReadString(HKEY_CURRENT_USER, View::k64, kEntry, "QuietUninstallString");
  ASSERT_TRUE(command);
  EXPECT_EQ(RunCommand(*command), 0u);
  EXPECT_EQ(FilesBelow(kProfiles), before);
  for (const Product& product : kProducts)
    EXPECT_EQ(TrustedPaths(VariablesKey(product)), "C:\\Lisp") << product.key;
  EXPECT_FALSE(ReadFile(contents + "\\tolvek.lsp"));
}

}  // namespace
