// One deployment per machine, with the real programs on 64-bit Windows: a silent installation
// for every user (/ALLUSERS) as a deployment tool runs it, naming no AutoCAD folder, over a 64-bit
// AutoCAD 2026 the machine registers in its 64-bit view at "Program Files\Autodesk\AutoCAD 2026"
// and that nobody has started yet (no profile in the user's hive). The run finds that folder in
// the registry, puts the bundle where every AutoCAD reads it for every user, enters the product
// in the machine's Add or Remove Programs and leaves each user's part to Active Setup; the quiet
// removal the entry names takes the machine's part back and hands the users' part over.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"
#include "tests/wine/support/Wow64.h"
#include "tests/wine/wow64/Scene.h"

namespace {

using namespace winetest;
using namespace winetest::wow64;

const std::string kProduct = kAutoCad + "\\R25.1\\ACAD-9101:409";
const std::string kActiveSetup =
    "Software\\Microsoft\\Active Setup\\Installed Components\\"
    "{7E2B6C41-3F0D-4A8E-9B15-6D4C2A9E8F03}";
const std::string kMedium = "C:\\medium-allusers";
const std::string kLog = "C:\\medium-allusers-install.log";

// Where the program of the users' part lives: the 64-bit Program Files, which only
// administrators may add to.
std::string UserPartFolder() { return *ProgramFiles64() + "\\Tolvek"; }

std::string Bundle() { return *ProgramFiles64() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle"; }

class ForAllUsersWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ProgramFiles64());
    Clean();
    BuildDemoMedium(kMedium);
    acad_ = *ProgramFiles64() + "\\Autodesk\\AutoCAD 2026";
    MakeTree(acad_);
    ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, View::k64, kProduct, "AcadLocation", acad_),
              ERROR_SUCCESS);
  }

  void TearDown() override { Clean(); }

  static void Clean() {
    DeleteEverywhere({kAutoCad, kEntry, kActiveSetup});
    for (const std::string& folder :
         {kMedium, std::string("C:\\Tolvek4"), extractwine::kScratch, Bundle(), UserPartFolder()}) {
      RemoveTree(folder);
    }
    DeleteFileA(kLog.c_str());
  }

  std::string acad_;
};

TEST_F(ForAllUsersWineTest, ASilentInstallationForEveryUserFindsAutoCadAndIsTakenBack) {
  ASSERT_EQ(RunToTheEnd(kMedium + "\\INSTALL.EXE", "/S /ALLUSERS /NOGROUP /LOG=" + kLog), 3010u);
  const std::string log = ReadFile(kLog).value_or("");
  EXPECT_TRUE(log.starts_with("\xEF\xBB\xBF")) << log;
  EXPECT_NE(log.find("Cartella di AutoCAD dal registro: " + acad_ +
                     " (AutoCAD R25.1 ACAD-9101:409, l'unica installata)\r\n"),
            std::string::npos)
      << log;
  EXPECT_TRUE(ReadFile("C:\\Tolvek4\\TOLVEK.EXE"));
  EXPECT_TRUE(ReadFile(Bundle() + "\\Contents\\tolvek.lsp"));
  EXPECT_TRUE(ReadFile(Bundle() + "\\PackageContents.xml"));
  // The machine's entry, in the 64-bit view where 64-bit Windows lists every program; none in
  // the user's hive, nor in the copy of 32-bit programs.
  const std::optional<std::string> quiet =
      ReadString(HKEY_LOCAL_MACHINE, View::k64, kEntry, "QuietUninstallString");
  ASSERT_TRUE(quiet);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, View::k64, kEntry));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, View::k32, kEntry));
  // Each user's part waits for the user's logon.
  const std::optional<std::string> stub =
      ReadString(HKEY_LOCAL_MACHINE, View::k64, kActiveSetup, "StubPath");
  ASSERT_TRUE(stub);
  EXPECT_EQ(*stub, "\"" + UserPartFolder() + "\\TKUSER.EXE\" /USER /S");
  const std::optional<std::string> installed =
      ReadString(HKEY_LOCAL_MACHINE, View::k64, kActiveSetup, "Version");
  // The logon of a user who never started AutoCAD finds nothing of the user's to do.
  EXPECT_EQ(RunCommand(*stub), 0u);

  EXPECT_EQ(RunCommand(*quiet), 0u);
  EXPECT_FALSE(ReadFile("C:\\Tolvek4\\TOLVEK.EXE"));
  EXPECT_FALSE(ReadFile(Bundle() + "\\Contents\\tolvek.lsp"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, View::k64, kEntry));
  // The users' part goes at each user's next logon: the component stays, with a higher version.
  EXPECT_NE(ReadString(HKEY_LOCAL_MACHINE, View::k64, kActiveSetup, "Version"), installed);
  EXPECT_TRUE(ReadFile(UserPartFolder() + "\\TKUSER.EXE"));
}

}  // namespace
