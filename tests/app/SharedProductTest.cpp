// A second user of the machine installs for himself over the product another user installed, in
// a folder whose access list lets him only read: his AutoCAD is wired to the product as it
// stands, once every file checks out, and his removal takes back only his own wiring. A product
// file missing or changed refuses the installation with nothing changed.
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "install/Registration.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogText.h"
#include "tests/support/Medium.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryRegistry.h"
#include "tests/support/Cp1252.h"

namespace {

using testing_support::Cp1252;

using toolkit::headless::HeadlessProc;
using toolkit::headless::MemReg;

const std::string kDestination = "c:\\Tolvek4";
const std::string kFirstProfile = "c:\\Profiles\\u1\\Acad\\";
const std::string kSecondProfile = "c:\\Profiles\\u2\\Acad\\";
const std::string kSecondLocal = "c:\\Users\\u2\\AppData\\Local";
const std::string kSecondRecord = kSecondLocal + "\\Tolvek";
const std::string kLog = "c:\\temp\\Tolvek-install.log";

class SharedProductTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayAutoCad2004Machine(Disk(), kFirstProfile);
    toolkit::headless::ProgramManager().running = true;
    ASSERT_EQ(Run("/S /NOGROUP"), 3010);
    // The second user: a profile, application data and a registry of his own, and the product's
    // folder, the first user's, that he may only read.
    MemReg().DeleteKey(install::kUninstallKey);
    MemReg().SetString("\\Software\\Autodesk\\AutoCAD\\R16.1\\ACAD-301:409", "RoamableRootFolder",
                       kSecondProfile);
    Disk().PutFile(kSecondProfile + "Support\\acad.mns", "***TOOLBARS\r\n***HELPSTRINGS\r\n");
    Disk().PutFile(kSecondProfile + "Support\\acad.pgp", "A, *ARC\r\n");
    Disk().MakeDirs(kSecondLocal);
    Disk().SetLocalAppDataDir(kSecondLocal);
    Disk().SetAppDataDir("c:\\Users\\u2\\AppData\\Roaming");
    Disk().SetOthersOnly(kDestination, true);
    product_ = Disk().Snapshot(kDestination);
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  std::string Log() { return testing_support::LogText(Disk().FileContent(kLog)); }

  std::map<std::string, std::string> product_;
};

TEST_F(SharedProductTest, TheSecondUsersAutoCadIsWiredToTheProductAsItStandsAndUnwiredAlone) {
  ASSERT_EQ(Run("/S /NOGROUP"), 3010) << Log();
  EXPECT_EQ(Disk().Snapshot(kDestination), product_);
  EXPECT_NE(Log().find(Cp1252("Tolvek \xE8 gi\xE0 installato in c:\\Tolvek4 da un altro utente")),
            std::string::npos)
      << Log();
  EXPECT_EQ(Disk().FileContent(kSecondProfile + "Support\\acad.pgp"),
            "A, *ARC\r\nRUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n");
  EXPECT_TRUE(Disk().FileExists(kSecondProfile + "Support\\tolvek.lsp"));
  EXPECT_TRUE(Disk().FileExists(kSecondRecord + "\\INSTALL.JNL"));
  EXPECT_EQ(MemReg().StringValue(install::kUninstallKey, "InstallLocation"), kDestination);

  ASSERT_EQ(Run("/UNINSTALL /S \"/FROM=" + kSecondRecord + "\""), 0);
  EXPECT_EQ(Disk().Snapshot(kDestination), product_);
  EXPECT_EQ(Disk().FileContent(kSecondProfile + "Support\\acad.pgp"), "A, *ARC\r\n");
  EXPECT_FALSE(Disk().FileExists(kSecondProfile + "Support\\tolvek.lsp"));
  EXPECT_FALSE(Disk().DirExists(kSecondRecord));
  EXPECT_FALSE(MemReg().KeyExists(install::kUninstallKey));
  // The first user's wiring was never the second one's to touch.
  EXPECT_NE(Disk().FileContent(kFirstProfile + "Support\\acad.pgp")->find("RUNTOLVEK"),
            std::string::npos);
}

TEST_F(SharedProductTest, AProductFileMissingOrChangedRefusesWithNothingChanged) {
  const std::string part = kDestination + "\\Parts\\Kx\\parts-kx.pck.dat";
  for (const bool missing : {false, true}) {
    SCOPED_TRACE(missing ? "missing" : "changed");
    Disk().SetOthersOnly(kDestination, false);
    if (missing) {
      Disk().Delete(part);
    } else {
      Disk().PutFile(part, "a part someone changed");
    }
    Disk().SetOthersOnly(kDestination, true);
    auto before = Disk().Snapshot();
    before.erase(kLog);
    EXPECT_EQ(Run("/S /NOGROUP"), 1603);
    auto after = Disk().Snapshot();
    after.erase(kLog);
    EXPECT_EQ(after, before);
    // Named as the package table spells its folder.
    EXPECT_NE(Log().find(
                  Cp1252("c:\\Tolvek4\\parts\\kx\\parts-kx.pck.dat manca o \xE8 stato modificato")),
              std::string::npos)
        << Log();
  }
}

}  // namespace
