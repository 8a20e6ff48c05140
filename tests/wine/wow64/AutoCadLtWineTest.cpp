// AutoCAD LT 2024 and 2026 beside AutoCAD 2026 on a 64-bit machine, with the real programs: LT
// keeps its products under a key of its own (Software\Autodesk\AutoCAD LT, R30 for LT 2024, R32
// for LT 2026) in the 64-bit view, and runs AutoLISP and loads bundles from LT 2024 on; an LT 2023
// (R29) runs no AutoLISP. A silent installation into AutoCAD 2026's folder gives both LTs the
// bundle (naming the LT platform, with the toolbar's customization file) and trusts it in their
// profiles; LT 2023 is passed over with a line in the log; the command the product registered
// takes every change back.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string>

#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"
#include "tests/wine/support/Wow64.h"
#include "tests/wine/wow64/Scene.h"

namespace {

using namespace winetest;
using namespace winetest::wow64;

const std::string kAutoCadLt = "Software\\Autodesk\\AutoCAD LT";
const std::string kMedium = "C:\\medium-lt";
const std::string kProfiles = "C:\\Profili-lt";
const std::string kLog = "C:\\medium-lt-install.log";

struct Product {
  std::string family;  // kAutoCad or kAutoCadLt
  const char* release;
  const char* key;
  const char* folder;  // below the 64-bit Program Files
};

const Product kAutoCad2026{kAutoCad, "R25.1", "ACAD-9101:409", "Autodesk\\AutoCAD 2026"};
const Product kLtProducts[] = {
    {kAutoCadLt, "R30", "ACADLT-7101:409", "Autodesk\\AutoCAD LT 2024"},
    {kAutoCadLt, "R32", "ACADLT-9101:410", "Autodesk\\AutoCAD LT 2026"},
    {kAutoCadLt, "R29", "ACADLT-6101:409", "Autodesk\\AutoCAD LT 2023"},
};

std::string ProductKey(const Product& product) {
  return product.family + "\\" + product.release + "\\" + product.key;
}

// The user's roamable folder: no colon, which no folder name holds.
std::string Root(const Product& product) {
  std::string key = product.key;
  std::replace(key.begin(), key.end(), ':', '-');
  return kProfiles + "\\" + product.release + "-" + key + "\\";
}

std::string VariablesKey(const Product& product) {
  return ProductKey(product) + "\\Profiles\\<<Unnamed Profile>>\\Variables";
}

std::string Contents() {
  return AppData() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";
}

class AutoCadLtWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    BuildDemoMedium(kMedium);
    for (const Product& product : {kAutoCad2026, kLtProducts[0], kLtProducts[1], kLtProducts[2]}) {
      const std::string installed = *ProgramFiles64() + "\\" + product.folder;
      MakeTree(installed);
      ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, View::k64, ProductKey(product), "AcadLocation",
                            installed),
                ERROR_SUCCESS);
      MakeTree(Root(product) + "Support");
      WriteString(HKEY_CURRENT_USER, View::k64, ProductKey(product), "RoamableRootFolder",
                  Root(product));
      WriteString(HKEY_CURRENT_USER, View::k64, VariablesKey(product), "TRUSTEDPATHS", "C:\\Lisp");
    }
    WriteFile(Root(kAutoCad2026) + "Support\\acad.pgp", "A, *ARC\n");
    WriteString(HKEY_CURRENT_USER, View::k64, kAutoCad, "CurVer", "R25.1");
    WriteString(HKEY_CURRENT_USER, View::k64, kAutoCad + "\\R25.1", "CurVer", "ACAD-9101:409");
    WriteString(HKEY_CURRENT_USER, View::k64, kAutoCadLt, "CurVer", "R32");
  }

  void TearDown() override { Clean(); }

  static void Clean() {
    DeleteEverywhere({kAutoCad, kAutoCadLt, kEntry});
    for (const std::string& folder :
         {kMedium, kProfiles, std::string("C:\\Tolvek4"), extractwine::kScratch,
          AppData() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle"}) {
      RemoveTree(folder);
    }
    DeleteFileA(kLog.c_str());
  }

  static std::string Trusted(const Product& product) { return TrustedPaths(VariablesKey(product)); }
};

TEST_F(AutoCadLtWineTest, AutoCadLtFrom2024GetsTheBundleTrustedAndLosesItWithTheProduct) {
  const std::string acad2026 = *ProgramFiles64() + "\\" + kAutoCad2026.folder;
  ASSERT_EQ(RunToTheEnd(kMedium + "\\INSTALL.EXE",
                        "/S /NOGROUP \"/ACAD=" + acad2026 + "\" \"/LOG=" + kLog + "\""),
            3010u);
  EXPECT_EQ(Trusted(kAutoCad2026), "C:\\Lisp;" + Contents());
  EXPECT_EQ(Trusted(kLtProducts[0]), "C:\\Lisp;" + Contents());
  EXPECT_EQ(Trusted(kLtProducts[1]), "C:\\Lisp;" + Contents());
  EXPECT_EQ(Trusted(kLtProducts[2]), "C:\\Lisp");
  const std::string description =
      ReadFile(Contents() + "\\..\\PackageContents.xml").value_or("(missing)");
  EXPECT_NE(description.find("Platform=\"AutoCAD*|ACLT\""), std::string::npos) << description;
  EXPECT_NE(description.find("./Contents/Tolvek.cuix"), std::string::npos) << description;
  // The customization file is a ZIP package whose first member is its content types.
  const std::string cuix = ReadFile(Contents() + "\\Tolvek.cuix").value_or("");
  ASSERT_GT(cuix.size(), 30u);
  EXPECT_EQ(cuix.substr(0, 4), std::string("PK\x03\x04", 4));
  EXPECT_EQ(cuix.substr(30, 19), "[Content_Types].xml");
  EXPECT_FALSE(ReadFile(Root(kLtProducts[2]) + "Support\\acaddoc.lsp"));
  const std::string log = ReadLog(kLog).value_or("(no log)");
  for (const char* line : {"AutoCAD LT 2024 (R30 ACADLT-7101:409): pacchetto",
                           "AutoCAD LT 2026 (R32 ACADLT-9101:410): pacchetto",
                           "AutoCAD LT (R29 ACADLT-6101:409): AutoCAD LT precedente la 2024"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  }

  const std::optional<std::string> command =
      ReadString(HKEY_CURRENT_USER, View::k64, kEntry, "QuietUninstallString");
  ASSERT_TRUE(command);
  EXPECT_EQ(RunCommand(*command), 0u);
  for (const Product& product : {kAutoCad2026, kLtProducts[0], kLtProducts[1], kLtProducts[2]}) {
    EXPECT_EQ(Trusted(product), "C:\\Lisp") << product.key;
  }
  EXPECT_FALSE(ReadFile(Contents() + "\\Tolvek.cuix"));
  EXPECT_FALSE(ReadFile(Contents() + "\\tolvek.lsp"));
}

}  // namespace
