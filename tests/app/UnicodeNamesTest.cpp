// A user whose name code page 1252 cannot hold ("Łukasz" on a Western-European Windows), with
// AutoCAD 2026 started once, installing from a medium in a Cyrillic folder: the installer must
// find the profile's support folder by its true name, install, say so in the log with that name,
// journal it, and take it all back, leaving every AutoCAD file with its bytes, whatever encoding
// they are in. For every user, each user's part at the logon does the same in that user's
// folders. Every name here is UTF-8, as the program holds it; the Win32 backend's conversion to
// the wide calls is tested under Wine.
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "install/Registration.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogText.h"
#include "tests/support/Medium.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using namespace toolkit;
using headless::HeadlessProc;
using headless::MemReg;

const std::string kUser = "c:\\Users\\\xC5\x81ukasz";  // Łukasz
const std::string kRoaming = kUser + "\\AppData\\Roaming";
const std::string kLocal = kUser + "\\AppData\\Local";
const std::string kTemp = kLocal + "\\Temp";
const std::string kRecord = kLocal + "\\Tolvek";
const std::string kMedium =
    "c:\\\xD0\xA3\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBA\xD0\xB0";
const std::string kAutoCad = "\\Software\\Autodesk\\AutoCAD";
const std::string kProduct = kAutoCad + "\\R25.1\\ACAD-9101:410";
const std::string kAcad2026 = "c:\\Program Files\\Autodesk\\AutoCAD 2026";
// The profile's folders, named as AutoCAD names them from the user's.
const std::string kRoot = kRoaming + "\\Autodesk\\AutoCAD 2026\\R25.1\\ita\\";
const std::string kSupport = kRoot + "Support\\";
const std::string kBundle = kRoaming + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle";
const std::string kRemove = "/UNINSTALL /S \"/FROM=" + kRecord + "\"";
const std::string kRemoveForAll =
    "/UNINSTALL /S \"/FROM=" + testing_support::kMachineRecordFolder + "\"";

// AutoCAD's files as users' editors leave them: the command alias file in UTF-8 with its mark and
// a Cyrillic comment, the menu in code page 1251, neither with anything of the product's.
const std::string kPgp =
    "\xEF\xBB\xBF; \xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80\r\nA, *ARC\r\n";
const std::string kMns = "// \xCF\xF0\xE8\xEC\xE5\xF0\r\n***TOOLBARS\r\n***HELPSTRINGS\r\n";

class UnicodeNamesTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::WriteMedium(Disk(), kMedium);
    Disk().SetProgramPath(kMedium + "\\install.exe");
    Disk().MakeDirs(kTemp);
    Disk().MakeDirs(kRoaming);
    Disk().SetAppDataDir(kRoaming);
    Disk().SetLocalAppDataDir(kLocal);
    HeadlessProc().SetTempFolder(kTemp);
    headless::ProgramManager().running = true;
    Disk().MakeDirs(kAcad2026);
    MemReg().SetString("HKLM" + kProduct, "AcadLocation", kAcad2026);
  }

  // The user has started AutoCAD once: the profile and its support folder exist.
  void StartAutoCad(const std::string& product = kProduct) {
    MemReg().SetString(product, "RoamableRootFolder", kRoot);
    MemReg().SetString(product + "\\Profiles\\<<Unnamed Profile>>\\Variables", "TRUSTEDPATHS",
                       "C:\\Lisp");
    Disk().PutFile(kSupport + "acad.pgp", kPgp);
    Disk().PutFile(kSupport + "acad.mns", kMns);
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  std::string Trusted() {
    return MemReg()
        .StringValue(kProduct + "\\Profiles\\<<Unnamed Profile>>\\Variables", "TRUSTEDPATHS")
        .value_or("<none>");
  }

  // The disk less the logs and the backups the installation leaves as the user's.
  std::map<std::string, std::string> Kept() {
    auto files = Disk().Snapshot();
    std::erase_if(files, [](const auto& file) {
      return file.first.ends_with(".bak") || file.first.ends_with(".log");
    });
    return files;
  }
};

TEST_F(UnicodeNamesTest, AProfileBeyondTheCodePageIsInstalledAndTakenBackByItsTrueName) {
  StartAutoCad();
  const auto before = Kept();
  ASSERT_EQ(Run("/S /NOGROUP"), 3010);

  // AutoCAD's files: the product's lines added, every byte of theirs kept.
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.pgp"),
            kPgp + "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n");
  EXPECT_TRUE(
      Disk().FileContent(kSupport + "acad.mns")->starts_with("// \xCF\xF0\xE8\xEC\xE5\xF0\r\n"));
  EXPECT_TRUE(Disk().FileExists(kSupport + "tkicon1.bmp"));
  EXPECT_TRUE(Disk().FileExists(kBundle + "\\Contents\\tolvek.lsp"));
  EXPECT_EQ(Trusted(), "C:\\Lisp;" + kBundle + "\\Contents");

  // The log, in the user's temporary folder, names the true folders; the journal holds them.
  const std::string log =
      testing_support::LogText(Disk().FileContent(kTemp + "\\Tolvek-install.log"));
  for (const std::string& named :
       {"Installazione avviata da " + kMedium, "Modificato: " + kSupport + "acad.pgp",
        "Estratto: " + kMedium + "\\cad-acad.pck tkicon1.bmp -> " + kSupport}) {
    EXPECT_NE(log.find(named), std::string::npos) << named << "\n" << log;
  }
  // Nothing best-fitted or replaced on the way.
  for (const char* wrong : {"Lukasz", "\\?", "?\\"}) {
    EXPECT_EQ(log.find(wrong), std::string::npos) << wrong << "\n" << log;
  }
  const std::string journal = *Disk().FileContent(kRecord + "\\INSTALL.JNL");
  EXPECT_TRUE(journal.starts_with("TOLVEK-JOURNAL\t3\r\n"));
  EXPECT_NE(journal.find("PATCH\t1\t" + kSupport + "acad.pgp\t"), std::string::npos) << journal;
  EXPECT_NE(journal.find("REG\t1\t" + kProduct), std::string::npos) << journal;

  // The entry in Add or Remove Programs names the uninstaller in the user's own folder.
  const std::string entry = "\\" + std::string(install::kUninstallKey);
  EXPECT_EQ(MemReg().StringValue(entry, "UninstallString"),
            "\"" + kRecord + "\\UNINSTAL.EXE\" /UNINSTALL");
  EXPECT_EQ(MemReg().StringValue(entry, "InstallLocation"), "c:\\Tolvek4");
  EXPECT_EQ(MemReg().StringValue(entry, "DisplayIcon"), kRecord + "\\UNINSTAL.EXE");

  ASSERT_EQ(Run(kRemove), 0);
  EXPECT_EQ(Kept(), before);
  EXPECT_EQ(Trusted(), "C:\\Lisp");
  const std::string removal =
      testing_support::LogText(Disk().FileContent(kTemp + "\\Tolvek-uninstall.log"));
  EXPECT_NE(removal.find(kSupport + "acad.pgp"), std::string::npos) << removal;
}

// A user who never started AutoCAD is told so, with the true name of the folder that is missing,
// not one the best fit of a code page made up; nothing is changed.
TEST_F(UnicodeNamesTest, AMissingSupportFolderIsNamedAsItIs) {
  MemReg().SetString(kProduct, "RoamableRootFolder", kRoot);
  Disk().MakeDirs(kRoot);
  const auto before = Kept();
  ASSERT_EQ(Run("/S /NOGROUP \"/ACAD=" + kAcad2026 + "\""), 1603);
  EXPECT_EQ(Kept(), before);
  const std::string log =
      testing_support::LogText(Disk().FileContent(kTemp + "\\Tolvek-install.log"));
  EXPECT_NE(log.find(kSupport), std::string::npos) << log;
}

// For every user: the machine's part from the administrator's run, then the user's part at the
// user's logon, in that user's own folders and journal; the removal and the next logon take it
// back.
TEST_F(UnicodeNamesTest, EachUsersPartReachesAProfileBeyondTheCodePage) {
  // An AutoCAD 2005 the user started: its menu and command alias are the user's part.
  StartAutoCad(kAutoCad + "\\R16.1\\ACAD-301:410");
  const auto before = Kept();
  ASSERT_EQ(Run("/S /ALLUSERS \"/ACAD=" + kAcad2026 + "\""), 3010);
  ASSERT_EQ(Run("/USER /S"), 0);
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.pgp"),
            kPgp + "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n");
  EXPECT_TRUE(Disk().FileExists(kSupport + "tolvek.lsp"));
  EXPECT_NE(Disk().FileContent(kRoaming + "\\Tolvek\\INSTALL.JNL")->find(kSupport + "acad.pgp"),
            std::string::npos);

  ASSERT_EQ(Run(kRemoveForAll), 0);
  ASSERT_EQ(Run("/USER /S"), 0);
  auto after = Kept();
  // What the removal leaves by design: the machine's program of the users' part is the users'
  // logon's to take away, and nothing of it lies in the user's profile.
  std::erase_if(
      after, [](const auto& file) { return file.first.starts_with("c:\\Program Files\\Tolvek"); });
  for (const auto& [path, content] : before) EXPECT_EQ(after[path], content) << path;
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.pgp"), kPgp);
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.mns"), kMns);
}

}  // namespace
