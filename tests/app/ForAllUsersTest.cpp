// An installation for every user of the machine, run as a deployment tool runs it: as an
// administrator or SYSTEM, with no AutoCAD profile of its own. It refuses without the rights and
// changes nothing; with them it lays the machine's part (the bundle in the 64-bit Program Files,
// the entry in the machine's registry, the Active Setup component and its program); each user's
// part is done at the logon, once however often it runs, and goes at the logon after the product.
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "install/ForAllUsers.h"
#include "install/LogonRepair.h"
#include "install/Registration.h"
#include "tests/support/Cp1252.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogText.h"
#include "tests/support/Medium.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using headless::HeadlessProc;
using headless::MemReg;

const std::string kAutoCad = "\\Software\\Autodesk\\AutoCAD";
const std::string kAcad2026 = "c:\\Program Files\\Autodesk\\AutoCAD 2026";
const std::string kBundle = "c:\\Program Files\\Autodesk\\ApplicationPlugins\\Tolvek.bundle";
const std::string kUserPart = "c:\\Program Files\\Tolvek\\TKUSER.EXE";
const std::string kMachineEntry = "HKLM\\" + std::string(install::kUninstallKey);
const std::string kInstall = "/S /ALLUSERS \"/ACAD=" + kAcad2026 + "\"";
const std::string kRemove = "/UNINSTALL /S \"/FROM=" + testing_support::kMachineRecordFolder + "\"";

class ForAllUsersTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayInstallerMachine(Disk());
    Disk().MakeDirs(kAcad2026);
    // AutoCAD 2026, 64-bit, installed for the machine; nobody has started it yet.
    MemReg().SetString("HKLM" + kAutoCad + "\\R25.1\\ACAD-9101:409", "AcadLocation", kAcad2026);
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  // The run exits 1603 with the disk as it was, but for the log, which says `why`.
  void ExpectRefused(const std::string& arguments, const std::string& why,
                     const std::string& log = "c:\\temp\\Tolvek-install.log") {
    const auto disk = Disk().Snapshot();
    EXPECT_EQ(Run(arguments), 1603);
    auto after = Disk().Snapshot();
    const std::string text = testing_support::LogText(after[log]);
    after.erase(log);
    EXPECT_EQ(after, disk);
    EXPECT_NE(text.find(why), std::string::npos) << text;
  }

  static std::string ActiveSetup(const std::string& name) {
    return MemReg().StringValue(install::kActiveSetupKey, name).value_or("<none>");
  }

  // A product the user has started, with its support folder and one profile.
  std::string Started(const std::string& release, const std::string& product) {
    const std::string key = kAutoCad + "\\" + release + "\\" + product;
    const std::string root = "c:\\Profiles\\" + release + "\\";
    Disk().PutFile(root + "Support\\acad.pgp", "A, *ARC\n");
    Disk().PutFile(root + "Support\\acad.mns", "***TOOLBARS\n");
    MemReg().SetString(key, "RoamableRootFolder", root);
    MemReg().SetString(key + "\\Profiles\\P1\\Variables", "TRUSTEDPATHS", "c:\\Lisp");
    return root + "Support\\";
  }
};

TEST_F(ForAllUsersTest, WithoutAnAdministratorsRightsNothingChanges) {
  HeadlessProc().SetAdministrator(false);
  ExpectRefused(kInstall, "richiede i diritti di amministratore");
  EXPECT_FALSE(MemReg().KeyExists(kMachineEntry));
  // Nor is a removal of the machine's product a user's to make.
  HeadlessProc().SetAdministrator(true);
  ASSERT_EQ(Run(kInstall), 3010);
  HeadlessProc().SetAdministrator(false);
  EXPECT_EQ(Run(kRemove), 1603);
  EXPECT_TRUE(MemReg().KeyExists(kMachineEntry));
  EXPECT_TRUE(Disk().FileExists(testing_support::kMachineRecordFolder + "\\INSTALL.JNL"));
}

TEST_F(ForAllUsersTest, TheMachinesPartIsLaidAndTakenAway) {
  ASSERT_EQ(Run(kInstall), 3010);
  EXPECT_TRUE(Disk().FileExists(kBundle + "\\PackageContents.xml"));
  EXPECT_TRUE(Disk().FileExists(kBundle + "\\Contents\\tolvek.lsp"));
  EXPECT_TRUE(Disk().FileExists("c:\\Tolvek4\\AutoCAD\\tkicon1.bmp"));
  EXPECT_EQ(MemReg().StringValue(kMachineEntry, "InstallLocation"), "c:\\Tolvek4");
  EXPECT_FALSE(MemReg().KeyExists(install::kUninstallKey));
  EXPECT_EQ(ActiveSetup("StubPath"), "\"" + kUserPart + "\" /USER /S");
  EXPECT_EQ(ActiveSetup("Version"), "4,0,0,1");
  EXPECT_TRUE(Disk().FileExists(kUserPart));
  // No group in the Start menu of whoever installs for everyone.
  EXPECT_TRUE(headless::ProgramManager().commands.empty());

  ASSERT_EQ(Run(kRemove), 0);
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
  EXPECT_FALSE(Disk().DirExists(kBundle));
  EXPECT_FALSE(MemReg().KeyExists(kMachineEntry));
  // Each user's part goes at the next logon: the program and a higher version stay for it.
  EXPECT_EQ(ActiveSetup("Version"), "4,0,0,2");
  EXPECT_TRUE(Disk().FileExists(kUserPart));
  // The machine's record and uninstaller went; the folder keeps the program of the users' part.
  EXPECT_EQ(Disk().List(testing_support::kMachineRecordFolder),
            std::vector<std::string>{"TKUSER.EXE"});
}

// A user may have made c:\Tolvek4, or a folder in it, before the administrator installs for
// everyone: the installation takes it over, and one that leads elsewhere through a link it does
// not touch at all.
TEST_F(ForAllUsersTest, ADestinationAUserMadeIsTakenOverAndALinkRefused) {
  Disk().MakeDirs("c:\\Tolvek4\\Parts");
  Disk().SetFolderAccess("c:\\Tolvek4\\Parts", FolderAccess::kShared);
  ASSERT_EQ(Run(kInstall), 3010);
  EXPECT_EQ(Disk().AccessOf("c:\\Tolvek4"), FolderAccess::kMachine);
  EXPECT_EQ(Disk().AccessOf("c:\\Tolvek4\\Parts"), std::nullopt);
  EXPECT_EQ(Disk().AccessOf("c:\\Tolvek4\\UserParts"), FolderAccess::kShared);

  SetUp();
  Disk().MakeDirs("c:\\Tolvek4\\Parts");
  Disk().MarkLink("c:\\Tolvek4\\Parts");
  ExpectRefused(kInstall, Cp1252("c:\\Tolvek4 \xE8, o contiene, un collegamento"));
  EXPECT_EQ(Disk().AccessOf("c:\\Tolvek4"), std::nullopt);
}

// The logon step over each generation a user may have started, run twice, then once more after
// the product is gone.
TEST_F(ForAllUsersTest, EachUsersPartIsDoneOnceAtTheLogonAndGoesAfterTheProduct) {
  const struct {
    const char* release;
    const char* what;
    const char* file;     // the file of the support folder that changes
    const char* changed;  // the text it gains
  } rows[] = {
      {"R16.1", "2005: the menu and the command alias", "acad.pgp", "RUNTOLVEK"},
      {"R17.1", "2008: acaddoc.lsp", "acaddoc.lsp", "(load \"tolvek\""},
      {"R20.0", "2015: the machine's bundle trusted", nullptr, nullptr},
      {"R24.0", "2021: the machine's bundle, trusted by default", nullptr, nullptr},
  };
  ASSERT_EQ(Run(kInstall), 3010);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string support = Started(row.release, "ACAD-1:409");
    const auto before = Disk().Snapshot("c:\\Profiles");
    ASSERT_EQ(Run("/USER /S"), 0);
    const auto once = Disk().Snapshot("c:\\Profiles");
    ASSERT_EQ(Run("/USER /S"), 0);
    EXPECT_EQ(Disk().Snapshot("c:\\Profiles"), once);
    const std::string variables =
        kAutoCad + "\\" + row.release + "\\ACAD-1:409\\Profiles\\P1\\Variables";
    if (row.file != nullptr) {
      EXPECT_NE(Disk().FileContent(support + row.file)->find(row.changed), std::string::npos);
      EXPECT_TRUE(Disk().FileExists(support + "tolvek.lsp"));
    } else {
      EXPECT_EQ(once, before);
    }
    EXPECT_EQ(
        MemReg().StringValue(variables, "TRUSTEDPATHS"),
        std::string(row.release) == "R20.0" ? "c:\\Lisp;" + kBundle + "\\Contents" : "c:\\Lisp");
  }
  const std::string log = testing_support::LogText(Disk().FileContent("c:\\temp\\Tolvek-user.log"));
  EXPECT_NE(log.find("Parte dell'utente avviata da"), std::string::npos) << log;

  ASSERT_EQ(Run(kRemove), 0);
  ASSERT_EQ(Run("/USER /S"), 0);
  for (const auto& [path, content] : Disk().Snapshot("c:\\Profiles")) {
    EXPECT_TRUE(path.ends_with("acad.pgp") || path.ends_with("acad.mns") || path.ends_with(".bak"))
        << path;
    if (path.ends_with("acad.pgp")) {
      EXPECT_EQ(content, "A, *ARC\n") << path;
    }
  }
  EXPECT_EQ(MemReg().StringValue(kAutoCad + "\\R20.0\\ACAD-1:409\\Profiles\\P1\\Variables",
                                 "TRUSTEDPATHS"),
            "c:\\Lisp");
  EXPECT_FALSE(Disk().DirExists("c:\\Users\\user\\AppData\\Roaming\\Tolvek"));
}

// At each logon the machine's Run value starts the users' part, which writes nothing where
// nothing lacks and does the part again where a profile lost it; the removal takes the value.
TEST_F(ForAllUsersTest, TheLogonDoesTheUsersPartAgainWhereItLacksAndWritesNothingWhereNot) {
  const std::string userLog = "c:\\temp\\Tolvek-user.log";
  ASSERT_EQ(Run(kInstall), 3010);
  EXPECT_EQ(MemReg().StringValue("HKLM\\" + std::string(install::kRunKey), "Tolvek"),
            "\"" + kUserPart + "\" /USER /LOGON");
  EXPECT_EQ(MemReg().StringValue(kMachineEntry, "ModifyPath"),
            "\"" + testing_support::kMachineRecordFolder + "\\UNINSTAL.EXE\" /REPAIR");
  const std::string support = Started("R17.1", "ACAD-1:409");
  ASSERT_EQ(Run("/USER /LOGON"), 0);
  EXPECT_NE(Disk().FileContent(support + "acaddoc.lsp")->find("(load \"tolvek\""),
            std::string::npos);
  Disk().Delete(userLog);
  const auto whole = Disk().Snapshot();
  ASSERT_EQ(Run("/USER /LOGON"), 0);
  EXPECT_EQ(Disk().Snapshot(), whole);
  // AutoCAD reset the profile: the next logon does the part again.
  Disk().Delete(support + "acaddoc.lsp");
  Disk().Delete(support + "tolvek.lsp");
  ASSERT_EQ(Run("/USER /LOGON"), 0);
  EXPECT_TRUE(Disk().FileExists(support + "acaddoc.lsp"));
  EXPECT_TRUE(Disk().FileExists(support + "tolvek.lsp"));
  EXPECT_TRUE(Disk().FileExists(userLog));

  ASSERT_EQ(Run(kRemove), 0);
  EXPECT_FALSE(MemReg().Value("HKLM\\" + std::string(install::kRunKey), "Tolvek"));
}

// The repair of an installation for every user, by a user: the user's own part done again, and
// the machine's files that are missing named as needing the medium.
TEST_F(ForAllUsersTest, TheRepairForEveryUserDoesTheUsersPartAndNamesWhatNeedsTheMedium) {
  const std::string repair = "/REPAIR /S \"/FROM=" + testing_support::kMachineRecordFolder + "\"";
  const std::string lost = kBundle + "\\Contents\\tolvek.lsp";
  ASSERT_EQ(Run(kInstall), 3010);
  const std::string support = Started("R17.1", "ACAD-1:409");
  Disk().Delete(lost);
  HeadlessProc().SetAdministrator(false);
  EXPECT_EQ(Run(repair), 1612);
  EXPECT_FALSE(Disk().FileExists(lost));
  EXPECT_TRUE(Disk().FileExists(support + "acaddoc.lsp"));
  const std::string log =
      testing_support::LogText(Disk().FileContent("c:\\temp\\Tolvek-repair.log"));
  for (const std::string& said :
       {std::string("Rifatto:\r\n"), "\r\n                         " + support + "acaddoc.lsp\r\n",
        "Mancante o modificato rispetto al registro: " + lost,
        "installare di nuovo Tolvek dal suo supporto.\r\n                         " + lost}) {
    EXPECT_NE(log.find(said), std::string::npos) << said << "\n" << log;
  }
  // The removal takes the user's part at the next logon, as always.
  HeadlessProc().SetAdministrator(true);
  ASSERT_EQ(Run(kRemove), 0);
  ASSERT_EQ(Run("/USER /S"), 0);
  EXPECT_FALSE(Disk().FileExists(support + "acaddoc.lsp"));
}

}  // namespace
