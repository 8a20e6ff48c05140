// The AutoCAD integration on Windows itself (under Wine): the support folder lookup and the
// profiles' trusted paths against the real registry, with values written by reg.exe as an
// administrator would, and the patchers on real AutoCAD files on a real drive, where renames, the
// read-only attribute and files held open by another program behave as Windows makes them behave,
// not as the in-memory file system does.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "WineSetup.h"
#include "cad/Patchers.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace cad {
namespace {

const std::string kAutodesk = "Software\\Autodesk";
const std::string kAutoCad = kAutodesk + "\\AutoCAD";
const std::string kOwned = "TolvekWineTestOwned";

std::string TestFile(const std::string& relative) {
  return wine::WinePath(std::string(TOLVEK_AUTOCAD_TESTDATA) + "/" + relative);
}

// The prefixes ./test and ./run make under the project's build folder.
bool InProjectPrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  return prefix != nullptr && std::string(prefix).find("/build/wineprefix") != std::string::npos;
}

class SupportFolderWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test owns HKCU\Software\Autodesk of the project's own Wine prefix (where other tests
    // may have left it); in any other prefix it never touches a key it did not make.
    if (wine::KeyExists(kAutodesk) && !InProjectPrefix() &&
        wine::Run("reg.exe query \"HKCU\\" + kAutodesk + "\" /v " + kOwned) != 0) {
      GTEST_SKIP() << "HKCU\\" << kAutodesk << " exists and is not this test's";
    }
    wine::DeleteTree(kAutodesk);
    wine::SetStringValue(kAutodesk, kOwned, "1");
  }
  void TearDown() override { wine::DeleteTree(kAutodesk); }

  static std::uint32_t RegAdd(const std::string& key, const std::string& name,
                              const std::string& type, const std::string& data) {
    return wine::Run("reg.exe add \"HKCU\\" + key + "\" /v " + name + " /t " + type + " /d \"" +
                     data + "\" /f");
  }
};

TEST_F(SupportFolderWineTest, ReadsTheProfileWrittenByRegExe) {
  ASSERT_EQ(RegAdd(kAutoCad, "CurVer", "REG_SZ", "R16.0"), 0u);
  ASSERT_EQ(RegAdd(kAutoCad + "\\R16.0", "CurVer", "REG_SZ", "ACAD-201:409"), 0u);
  ASSERT_EQ(RegAdd(kAutoCad + "\\R16.0\\ACAD-201:409", "RoamableRootFolder", "REG_SZ",
                   "C:\\users\\u1\\Acad\\\\"),
            0u);
  EXPECT_EQ(GetAcadSupportDir(), "C:\\users\\u1\\Acad\\Support\\");
}

TEST_F(SupportFolderWineTest, AnExpandableStringIsReadAsItIsStored) {
  ASSERT_EQ(RegAdd(kAutoCad, "CurVer", "REG_SZ", "R1"), 0u);
  ASSERT_EQ(RegAdd(kAutoCad + "\\R1", "CurVer", "REG_SZ", "P1"), 0u);
  ASSERT_EQ(RegAdd(kAutoCad + "\\R1\\P1", "RoamableRootFolder", "REG_EXPAND_SZ", "D:\\Acad"), 0u);
  EXPECT_EQ(GetAcadSupportDir(), "D:\\AcadSupport\\");
}

TEST_F(SupportFolderWineTest, WithoutAutoCadTheKeyIsLeftBehindEmpty) {
  EXPECT_FALSE(wine::KeyExists(kAutoCad));
  EXPECT_EQ(GetAcadSupportDir(), "Support\\");
  EXPECT_TRUE(wine::KeyExists(kAutoCad));
}

TEST_F(SupportFolderWineTest, ANumberForCurVerIsARegistryError) {
  ASSERT_EQ(RegAdd(kAutoCad, "CurVer", "REG_DWORD", "16"), 0u);
  try {
    GetAcadSupportDir();
    ADD_FAILURE() << "no error";
  } catch (const toolkit::ERegistryException& error) {
    EXPECT_STREQ(error.what(), "Invalid data type for 'CurVer'");
  }
}

TEST_F(SupportFolderWineTest, EveryProfileWrittenByRegExeTrustsTheBundleOnce) {
  const std::string product = kAutoCad + "\\R25.1\\ACAD-9101:409";
  const std::string unnamed = product + "\\Profiles\\<<Unnamed Profile>>\\Variables";
  const std::string second = product + "\\Profiles\\Disegno\\Variables";
  ASSERT_EQ(RegAdd(kAutoCad, "CurVer", "REG_SZ", "R25.1"), 0u);
  ASSERT_EQ(RegAdd(kAutoCad + "\\R25.1", "CurVer", "REG_SZ", "ACAD-9101:409"), 0u);
  ASSERT_EQ(RegAdd(unnamed, "TRUSTEDPATHS", "REG_SZ", "C:\\Lisp;D:\\Shared\\..."), 0u);
  ASSERT_EQ(RegAdd(second, "SECURELOAD", "REG_SZ", "1"), 0u);
  const std::string folder = "C:\\U\\Tolvek.bundle\\Contents";

  const AcadProductKey key = GetAcadProductKey();
  EXPECT_EQ(key.release, "R25.1");
  TrustInEveryProfile(key.path, folder, toolkit::NoRecording());
  TrustInEveryProfile(key.path, folder, toolkit::NoRecording());
  EXPECT_EQ(wine::StringValue(unnamed, "TRUSTEDPATHS"), "C:\\Lisp;D:\\Shared\\...;" + folder);
  EXPECT_EQ(wine::StringValue(second, "TRUSTEDPATHS"), folder);
  EXPECT_EQ(wine::StringValue(second, "SECURELOAD"), "1");
}

TEST(AppDataWineTest, TheFolderIsTheUsersApplicationData) {
  char variable[MAX_PATH] = {};
  ASSERT_NE(GetEnvironmentVariableA("APPDATA", variable, sizeof variable), 0u);
  EXPECT_EQ(toolkit::Fs().AppDataDir(), variable);
  EXPECT_TRUE(toolkit::Fs().DirExists(variable));
}

class PatchersWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wine::ReadFile(TestFile("lendres_CAD-Support-Files/User Files/acad.mns"))) {
      GTEST_SKIP() << "no AutoCAD test files in " << TOLVEK_AUTOCAD_TESTDATA;
    }
  }

  std::string Copy(const std::string& relative, const std::string& to) {
    std::string content = *wine::ReadFile(TestFile(relative));
    wine::WriteFile(to, content);
    return content;
  }

  static int CountLines(const std::string& text) {
    int lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    return lines;
  }

  wine::TempFolder folder_;
};

TEST_F(PatchersWineTest, TheMenuGetsToolbarAndHelpStringsOnceWithItsBackup) {
  const std::string support = folder_.Path() + "Support\\";
  wine::MakeFolder(support);
  const std::string original =
      Copy("lendres_CAD-Support-Files/User Files/acad.mns", support + "acad.mns");
  wine::WriteFile(support + "tktemp.bak", "an older backup");

  ASSERT_TRUE(PatchAcadMenu(1, support, "acad.mns", toolkit::NoRecording()));
  const std::string patched = *wine::ReadFile(support + "acad.mns");
  // The backup that was there is the user's: the new one takes the next free name.
  EXPECT_EQ(wine::ReadFile(support + "tktemp.bak"), "an older backup");
  EXPECT_EQ(wine::ReadFile(support + "tktemp-2.bak"), original);
  EXPECT_FALSE(wine::ReadFile(support + "tkmenu.new").has_value());
  EXPECT_NE(patched.find("***TOOLBARS\r\n**TOLVEK\r\nID_Tolvek      [_Toolbar("),
            std::string::npos);
  EXPECT_NE(patched.find("***HELPSTRINGS\r\nID_tolvekppos   [Posiziona elemento Tolvek]\r\n"),
            std::string::npos);
  // The original's lines are LF-ended; every one is kept, plus the six added.
  int originalLines = 0;
  for (char c : original) originalLines += c == '\n' ? 1 : 0;
  EXPECT_EQ(CountLines(patched), originalLines + 6);

  ASSERT_TRUE(PatchAcadMenu(1, support, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(wine::ReadFile(support + "acad.mns"), patched);
  EXPECT_EQ(wine::ReadFile(support + "tktemp-2.bak"), original);
  EXPECT_FALSE(wine::ReadFile(support + "tktemp-3.bak").has_value());
}

TEST_F(PatchersWineTest, TheCommandAliasFileGetsTheCommandOnce) {
  const std::string original =
      Copy("DarrelRonald_autocad-shortcuts/acad.pgp", folder_.Path() + "acad.pgp");
  ASSERT_TRUE(PatchAcadPgp(1, folder_.Path(), "acad.pgp", toolkit::NoRecording()));
  const std::string patched = *wine::ReadFile(folder_.Path() + "acad.pgp");
  EXPECT_EQ(patched, original + "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n");
  EXPECT_EQ(wine::ReadFile(folder_.Path() + "pgp.bak"), original);

  ASSERT_TRUE(PatchAcadPgp(1, folder_.Path(), "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(wine::ReadFile(folder_.Path() + "acad.pgp"), patched);
}

TEST_F(PatchersWineTest, TheRelease14StartUpFileInTheSupportFolderIsPatchedOnce) {
  const std::string acad = folder_.Path() + "Acad";
  wine::MakeFolder(acad);
  wine::MakeFolder(acad + "\\support");
  const std::string original =
      Copy("gemabrow_PT_APPS/acadr14.lsp", acad + "\\support\\acadr14.lsp");

  ASSERT_TRUE(PatchAcadLisp(acad, toolkit::NoRecording()));
  const std::string patched = *wine::ReadFile(acad + "\\support\\acadr14.lsp");
  EXPECT_NE(patched.find("Applications =====\r\n \r\n(autoload \"tolvek\" '(\"tolvek\"))\r\n \r\n"),
            std::string::npos);
  EXPECT_EQ(wine::ReadFile(acad + "\\support\\acadr14.bak"), original);
  EXPECT_FALSE(wine::ReadFile(acad + "\\support\\lisp.new").has_value());

  ASSERT_TRUE(PatchAcadLisp(acad, toolkit::NoRecording()));
  EXPECT_EQ(wine::ReadFile(acad + "\\support\\acadr14.lsp"), patched);
}

TEST_F(PatchersWineTest, AReadOnlyFileIsNotOpenedAndGivesFalse) {
  const std::string original = Copy("pjcheng01_Designer6_DS/aclt.pgp", folder_.Path() + "acad.pgp");
  wine::SetReadOnly(folder_.Path() + "acad.pgp", true);
  EXPECT_FALSE(PatchAcadPgp(1, folder_.Path(), "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(wine::ReadFile(folder_.Path() + "acad.pgp"), original);
  EXPECT_FALSE(wine::ReadFile(folder_.Path() + "pgp.bak").has_value());
  EXPECT_FALSE(wine::ReadFile(folder_.Path() + "pgp.new").has_value());

  // A read-only start-up file counts as absent, so nothing is patched at all.
  const std::string acad = folder_.Path() + "Acad";
  wine::MakeFolder(acad);
  Copy("gemabrow_PT_APPS/ACADR13.LSP", acad + "\\acadr13.lsp");
  wine::SetReadOnly(acad + "\\acadr13.lsp", true);
  EXPECT_FALSE(PatchAcadLisp(acad, toolkit::NoRecording()));
  EXPECT_FALSE(wine::ReadFile(acad + "\\acadr13.bak").has_value());
}

TEST_F(PatchersWineTest, AFileHeldOpenByAnotherProgramGivesFalse) {
  const std::string original = Copy("krok64_mdvmenu/mdv.mnu", folder_.Path() + "acad.mns");
  {
    wine::LockedFile lock(folder_.Path() + "acad.mns");
    EXPECT_FALSE(PatchAcadMenu(1, folder_.Path(), "acad.mns", toolkit::NoRecording()));
  }
  EXPECT_EQ(wine::ReadFile(folder_.Path() + "acad.mns"), original);
  EXPECT_TRUE(PatchAcadMenu(1, folder_.Path(), "acad.mns", toolkit::NoRecording()));
}

}  // namespace
}  // namespace cad
