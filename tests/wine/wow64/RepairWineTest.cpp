// The repair without the medium on the real programs, on a 64-bit machine: AutoCAD 2009 (32-bit,
// acaddoc.lsp), 2021 (the chosen folder's) and 2026, each started once. After a silent
// installation the commands the registry holds are run as Windows runs them: the Run value, as at
// a logon, first with nothing lacking (it writes nothing, not even its log), then after AutoCAD
// reset the profiles of 2009 and 2021 (it wires both again); the entry's Modify command then finds
// the product whole; and the entry's removal takes the repair's changes back with the rest.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <map>
#include <optional>
#include <string>

#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"
#include "tests/wine/support/Wow64.h"
#include "tests/wine/wow64/Scene.h"

namespace {

using namespace winetest;
using namespace winetest::wow64;

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kMedium = "C:\\medium-repair";
const std::string kProfiles = "C:\\Profili-repair";

using Product = AcadProduct;

const Product k2009{"R17.2", "ACAD-7001:409", "AutoCAD 2009", View::k32};
const Product k2021{"R24.0", "ACAD-5101:409", "Autodesk\\AutoCAD 2021", View::k64};
const Product k2026{"R25.1", "ACAD-9101:409", "Autodesk\\AutoCAD 2026", View::k64};

std::string Support(const Product& product) {
  return kProfiles + "\\" + product.release + "\\Support";
}

std::string RepairLog() { return TempFolder() + "\\Tolvek-repair.log"; }

void DeleteRunValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRun.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return;
  }
  RegDeleteValueA(key, "Tolvek");
  RegCloseKey(key);
}

class RepairWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    BuildDemoMedium(kMedium);
    for (const Product& product : {k2009, k2021, k2026}) {
      ASSERT_EQ(RegisterInstalled(product), ERROR_SUCCESS);
      WriteString(HKEY_CURRENT_USER, View::k64, ProductKey(product), "RoamableRootFolder",
                  kProfiles + "\\" + product.release + "\\");
      Start(product);
    }
  }

  void TearDown() override { Clean(); }

  static void Clean() {
    DeleteEverywhere({kAutoCad, kEntry});
    // A Run value left behind would start the program at the prefix's next start.
    DeleteRunValue();
    for (const std::string& folder :
         {kMedium, kProfiles, std::string("C:\\Tolvek4"), extractwine::kScratch, UserRecordFolder(),
          AppData() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle"}) {
      RemoveTree(folder);
    }
    DeleteFileA(RepairLog().c_str());
  }

  // What AutoCAD makes at its first start, and again when it resets a profile: the support
  // folder with its own files, and the profile's variables.
  static void Start(const Product& product) {
    RemoveTree(Support(product));
    MakeTree(Support(product));
    WriteFile(Support(product) + "\\acad.pgp", "A, *ARC\r\n");
    WriteFile(Support(product) + "\\acad.mns", "***TOOLBARS\r\n***HELPSTRINGS\r\n");
    WriteString(HKEY_CURRENT_USER, View::k64, VariablesKey(product), "TRUSTEDPATHS", "C:\\Lisp");
  }

  static bool Loads(const std::string& file) {
    return ReadFile(file).value_or("").find("(load \"tolvek\"") != std::string::npos;
  }
};

TEST_F(RepairWineTest, AResetProfileIsWiredAgainAtTheLogonAndTakenBackByTheRemoval) {
  const std::string acad2021 = *ProgramFiles64() + "\\Autodesk\\AutoCAD 2021";
  ASSERT_EQ(RunToTheEnd(kMedium + "\\INSTALL.EXE", "/S /NOGROUP \"/ACAD=" + acad2021 + "\""),
            3010u);
  const std::string contents =
      AppData() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";
  const std::string uninstaller = UserRecordFolder() + "\\UNINSTAL.EXE";
  const std::optional<std::string> logon = ReadString(HKEY_CURRENT_USER, View::k64, kRun, "Tolvek");
  ASSERT_EQ(logon, "\"" + uninstaller + "\" /REPAIR /LOGON");
  const std::optional<std::string> modify =
      ReadString(HKEY_CURRENT_USER, View::k64, kEntry, "ModifyPath");
  ASSERT_EQ(modify, "\"" + uninstaller + "\" /REPAIR");
  EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, View::k64, kEntry, "NoModify"));
  EXPECT_TRUE(ReadFile("C:\\Tolvek4\\AutoCAD\\tolvek.lsp"));

  // A logon with nothing lacking: no change, no log.
  const auto installed = FilesBelow(kProfiles);
  EXPECT_EQ(RunCommand(*logon), 0u);
  EXPECT_EQ(FilesBelow(kProfiles), installed);
  EXPECT_FALSE(ReadFile(RepairLog()));

  // AutoCAD resets the profiles of 2009 and 2021.
  Start(k2009);
  Start(k2021);
  const auto reset = FilesBelow(kProfiles);
  EXPECT_EQ(RunCommand(*logon), 0u);
  EXPECT_TRUE(Loads(Support(k2009) + "\\acaddoc.lsp"));
  EXPECT_EQ(ReadFile(Support(k2009) + "\\tolvek.lsp"),
            ReadFile("C:\\Tolvek4\\AutoCAD\\tolvek.lsp"));
  EXPECT_EQ(TrustedPaths(VariablesKey(k2021)), "C:\\Lisp;" + contents);
  EXPECT_NE(ReadFile(Support(k2021) + "\\acad.pgp").value_or("").find("RUNTOLVEK"),
            std::string::npos);
  EXPECT_EQ(TrustedPaths(VariablesKey(k2026)), "C:\\Lisp;" + contents);
  const std::optional<std::string> log = ReadLog(RepairLog());
  ASSERT_TRUE(log);
  EXPECT_NE(log->find("Tolvek \xE8 stato riparato senza il supporto di installazione."),
            std::string::npos)
      << *log;

  // The Modify command of Add or Remove Programs, silently: the product is whole.
  EXPECT_EQ(RunCommand(*modify + " /S"), 0u);
  EXPECT_NE(ReadLog(RepairLog()).value_or("").find("Tolvek \xE8 integro"), std::string::npos);

  const std::optional<std::string> remove =
      ReadString(HKEY_CURRENT_USER, View::k64, kEntry, "QuietUninstallString");
  ASSERT_TRUE(remove);
  EXPECT_EQ(RunCommand(*remove), 0u);
  EXPECT_EQ(FilesBelow(kProfiles), reset);
  for (const Product& product : {k2009, k2021, k2026})
    EXPECT_EQ(TrustedPaths(VariablesKey(product)), "C:\\Lisp");
  EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, View::k64, kRun, "Tolvek"));
  EXPECT_FALSE(ReadFile(contents + "\\tolvek.lsp"));
}

}  // namespace
