// The uninstaller on the headless backend, from its command line to its exit code: an
// installation and then its removal leave the machine as it was but for what the user added
// meanwhile (a command alias line, a file among the user's parts) and the .bak backups; two
// installations go with one removal; a removal that fails part-way is finished by the next run;
// "No" changes nothing; the uninstaller in the destination hands over to a temporary copy, which
// alone writes the log; and the removal's log is its own, so that the installation's stays.
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "install/Registration.h"
#include "tests/support/Cp1252.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogText.h"
#include "tests/support/Medium.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Forms.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using headless::HeadlessProc;
using headless::MemReg;

const std::string kProfile = "c:\\Profiles\\u1\\Acad\\";
const std::string kPgp = kProfile + "Support\\acad.pgp";
const std::string kUserFile = "c:\\Tolvek4\\UserParts\\mine.prt";
const std::string kRecord = testing_support::kUserRecordFolder;
const std::string kUninstaller = kRecord + "\\UNINSTAL.EXE";
const std::string kRemove = "/UNINSTALL /S \"/FROM=" + kRecord + "\"";
const std::string kInstallLog = "c:\\temp\\Tolvek-install.log";
const std::string kUninstallLog = "c:\\temp\\Tolvek-uninstall.log";
const std::string kStamp = "2006-03-01 09:30:00.000  ";

class UninstallTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayAutoCad2004Machine(Disk(), kProfile);
    headless::ProgramManager().running = true;
    before_ = Disk().Snapshot();
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  // The disk without the backups and the logs, which may stay.
  std::map<std::string, std::string> Disk_() {
    auto files = Disk().Snapshot();
    std::erase_if(files, [](const auto& file) {
      return file.first.ends_with(".bak") || file.first.ends_with(".log");
    });
    return files;
  }

  void ExpectNothingOfTheProduct() {
    auto expected = before_;
    std::erase_if(expected, [](const auto& file) { return file.first.ends_with(".bak"); });
    EXPECT_EQ(Disk_(), expected);
    EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
    EXPECT_FALSE(MemReg().KeyExists(install::kUninstallKey));
  }

  std::map<std::string, std::string> before_;
};

TEST_F(UninstallTest, TheEntryNamesTheProductAndTheCommandsThatRemoveIt) {
  ASSERT_EQ(Run("/S"), 3010);
  const std::string key = install::kUninstallKey;
  const std::string remove = "\"" + kUninstaller + "\" /UNINSTALL";
  const std::string quiet = remove + " /S";
  const std::pair<const char*, std::string> values[] = {
      {"DisplayName", "Tolvek v4"},    {"DisplayVersion", "4.0"},
      {"Publisher", "KOVIA"},          {"InstallLocation", "c:\\Tolvek4"},
      {"DisplayIcon", kUninstaller},   {"UninstallString", remove},
      {"QuietUninstallString", quiet}, {"ModifyPath", "\"" + kUninstaller + "\" /REPAIR"},
  };
  for (const auto& [name, text] : values) EXPECT_EQ(MemReg().StringValue(key, name), text) << name;
  for (const char* name : {"EstimatedSize", "NoRepair"}) {
    EXPECT_EQ(MemReg().Value(key, name)->first, RegValueType::kNumber) << name;
  }
  // The Modify command shows only without NoModify, which an earlier installation wrote as 1.
  EXPECT_FALSE(MemReg().Value(key, "NoModify"));
  MemReg().SetNumber(key, "NoModify", 1);
  ASSERT_EQ(Run("/S"), 3010);
  EXPECT_FALSE(MemReg().Value(key, "NoModify"));
  // The uninstaller and the record live where only the user writes; the destination holds only
  // the product's files.
  EXPECT_EQ(Disk().FileContent(kUninstaller), "MZ installer");
  EXPECT_TRUE(Disk().FileExists(kRecord + "\\INSTALL.JNL"));
  EXPECT_FALSE(Disk().FileExists("c:\\Tolvek4\\UNINSTAL.EXE"));
  EXPECT_FALSE(Disk().FileExists("c:\\Tolvek4\\INSTALL.JNL"));
}

TEST_F(UninstallTest, WhatTheUserAddedStaysAndNothingElseOfTheProduct) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().PutFile(kPgp, *Disk().FileContent(kPgp) + "MY, *MINE\r\n");
  Disk().PutFile(kUserFile, "mine");
  EXPECT_EQ(Run(kRemove), 0);
  EXPECT_EQ(Disk().FileContent(kPgp), "A, *ARC\r\nMY, *MINE\r\n");
  EXPECT_EQ(Disk().FileContent(kUserFile), "mine");
  auto after = Disk_();
  after.erase(kUserFile);
  after[kPgp] = "A, *ARC\r\n";
  auto expected = before_;
  EXPECT_EQ(after, expected);
  EXPECT_FALSE(MemReg().KeyExists(install::kUninstallKey));
  EXPECT_EQ(headless::ProgramManager().commands.back(), "[DeleteGroup(Tolvek)]");
  const std::string log = testing_support::LogText(Disk().FileContent(kUninstallLog));
  EXPECT_NE(log.find("Lasciato: c:\\Tolvek4\\UserParts (contiene file non installati da Tolvek)"),
            std::string::npos)
      << log;
}

// A backup the user keeps under the backup's name survives the installation and the removal
// byte for byte: the installation's backup takes the next free name, which the log says, and
// stays after the removal as every backup does.
TEST_F(UninstallTest, AUsersBackupStaysThroughTheInstallationAndTheRemoval) {
  const std::string mine = kProfile + "Support\\pgp.bak";
  Disk().PutFile(mine, "my own copy");
  ASSERT_EQ(Run("/S"), 3010);
  const std::string log = testing_support::LogText(Disk().FileContent(kInstallLog));
  EXPECT_NE(log.find(mine + Cp1252(" esiste gi\xE0 e resta com'\xE8; la copia di sicurezza \xE8 ") +
                     kProfile + "Support\\pgp-2.bak"),
            std::string::npos)
      << log;
  EXPECT_EQ(Run(kRemove), 0);
  EXPECT_EQ(Disk().FileContent(mine), "my own copy");
  EXPECT_EQ(Disk().FileContent(kProfile + "Support\\pgp-2.bak"), "A, *ARC\r\n");
  EXPECT_EQ(Disk().FileContent(kPgp), "A, *ARC\r\n");
}

TEST_F(UninstallTest, TwoInstallationsGoWithOneRemoval) {
  ASSERT_EQ(Run("/S"), 3010);
  ASSERT_EQ(Run("/S"), 3010);
  EXPECT_EQ(Run(kRemove), 0);
  ExpectNothingOfTheProduct();
}

// The user's entry that was there before the installation (its own record lost) goes with the
// removal; the machine's entry, another installation's, is not this removal's to touch.
TEST_F(UninstallTest, AnEarlierEntryOfTheUserGoesAndTheMachinesStays) {
  const std::string key = install::kUninstallKey;
  const std::string machineKey = std::string(toolkit::kMachineHive) + key;
  MemReg().SetString(key, "InstallLocation", "C:\\TOLVEK4");
  MemReg().SetString(machineKey, "InstallLocation", "c:\\Tolvek4");
  ASSERT_EQ(Run("/S"), 3010);
  EXPECT_EQ(Run(kRemove), 0);
  EXPECT_FALSE(MemReg().KeyExists(key));
  EXPECT_EQ(MemReg().StringValue(machineKey, "InstallLocation"), "c:\\Tolvek4");
}

TEST_F(UninstallTest, ARemovalThatFailsPartWayIsFinishedByTheNextRun) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().SetLocked(kProfile + "Support\\acad.mns", true);
  EXPECT_EQ(Run(kRemove), 1603);
  // The way back stays: the entry, the uninstaller, the record.
  EXPECT_TRUE(MemReg().KeyExists(install::kUninstallKey));
  EXPECT_TRUE(Disk().FileContent(kRecord + "\\INSTALL.JNL").has_value());
  Disk().SetLocked(kProfile + "Support\\acad.mns", false);
  EXPECT_EQ(Run(kRemove), 0);
  ExpectNothingOfTheProduct();
}

// The record ends before the uninstaller goes: one that finds the ended record beside itself
// finishes the end.
TEST_F(UninstallTest, AnUninstallerLeftBesideItsEndedRecordFinishesTheEnd) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().FailOnPath(headless::FsOp::kDelete, kUninstaller, 5);
  Disk().FailOnPath(headless::FsOp::kRename, kUninstaller, 5);
  EXPECT_EQ(Run(kRemove), 1603);
  EXPECT_FALSE(Disk().FileContent(kRecord + "\\INSTALL.JNL"));
  EXPECT_TRUE(Disk().FileContent(kRecord + "\\REMOVED.JNL"));
  ASSERT_TRUE(Disk().FileContent(kUninstaller));
  Disk().ClearFaults();
  EXPECT_EQ(Run(kRemove), 0);
  ExpectNothingOfTheProduct();
  EXPECT_FALSE(Disk().DirExists(kRecord));
}

// Without its record nothing proves what is the product's: a removal changes nothing, keeps the
// entry, and says how to get a record again.
TEST_F(UninstallTest, AMissingRecordBesideTheInstalledProductChangesNothing) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().Delete(kRecord + "\\INSTALL.JNL");
  const auto installed = Disk().Snapshot();
  EXPECT_EQ(Run(kRemove), 1603);
  auto after = Disk().Snapshot();
  after.erase(kUninstallLog);
  EXPECT_EQ(after, installed);
  EXPECT_TRUE(MemReg().KeyExists(install::kUninstallKey));
  const std::string log = testing_support::LogText(Disk().FileContent(kUninstallLog));
  EXPECT_NE(log.find("Installare di nuovo Tolvek dal suo supporto, poi rimuoverlo."),
            std::string::npos)
      << log;
}

TEST_F(UninstallTest, NoChangesNothingAndYesReportsTheRemoval) {
  ASSERT_EQ(Run("/S /NOGROUP"), 3010);
  const auto installed = Disk().Snapshot();
  headless::ExpectBox(BoxKind::kInformation,
                      "Rimuovere Tolvek dal computer, con le modifiche fatte ai file di AutoCAD?",
                      mrNo);
  EXPECT_EQ(Run("/UNINSTALL \"/FROM=" + kRecord + "\""), 1602);
  EXPECT_EQ(Disk().Snapshot(), installed);
  headless::ExpectBox(BoxKind::kInformation,
                      "Rimuovere Tolvek dal computer, con le modifiche fatte ai file di AutoCAD?",
                      mrYes);
  headless::ExpectBox(BoxKind::kPlain, Cp1252("Tolvek \xE8 stato rimosso dal computer."));
  EXPECT_EQ(Run("/UNINSTALL \"/FROM=" + kRecord + "\""), 0);
  ExpectNothingOfTheProduct();
}

// The installation's log may be the one that says why it failed: a removal after it, and the
// next installation, leave each other's log as it was.
TEST_F(UninstallTest, AnInstallationAndARemovalEachKeepALogOfTheirOwn) {
  ASSERT_EQ(Run("/S"), 3010);
  const std::optional<std::string> installed = Disk().FileContent(kInstallLog);
  ASSERT_TRUE(installed);
  EXPECT_TRUE(testing_support::LogText(installed).starts_with(
      kStamp + "Installazione avviata da c:\\setup\r\n" + kStamp + "Opzioni: /S\r\n"));

  EXPECT_EQ(Run(kRemove), 0);
  EXPECT_EQ(Disk().FileContent(kInstallLog), installed);
  const std::optional<std::string> removed = Disk().FileContent(kUninstallLog);
  const std::string log = testing_support::LogText(removed);
  EXPECT_TRUE(log.starts_with(kStamp + "Disinstallazione avviata da c:\\setup\r\n" + kStamp +
                              "Opzioni: " + kRemove + "\r\n" + kStamp +
                              "Disinstallazione di c:\\Tolvek4\r\n"))
      << log;
  EXPECT_NE(log.find(Cp1252("Messaggio: Tolvek \xE8 stato rimosso dal computer.")),
            std::string::npos)
      << log;
  EXPECT_TRUE(log.ends_with("Codice di uscita: 0\r\n")) << log;

  ASSERT_EQ(Run("/S /NOGROUP"), 3010);
  EXPECT_EQ(Disk().FileContent(kUninstallLog), removed);
}

// The copy runs from a folder this run made, under a name nobody could make first, that only the
// user may open; it is started only while it has the installed uninstaller's bytes.
TEST_F(UninstallTest, TheUninstallerRunsACheckedCopyFromAPrivateFolderAndPassesOnItsCode) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().SetProgramPath(kUninstaller);
  // Someone made the first name the run would pick: the run takes another.
  HeadlessProc().SetNextNumber(0x1234);
  Disk().MakeDirs("c:\\temp\\Tolvek-4321000000000000");
  const std::string folder = "c:\\temp\\Tolvek-5321000000000000";
  std::string started;
  HeadlessProc().SetRunner([&](const std::string& program, const std::string& arguments) {
    started = program + " " + arguments;
    EXPECT_EQ(Disk().FileContent(program), "MZ installer");
    EXPECT_EQ(Disk().AccessOf(folder), toolkit::FolderAccess::kPrivate);
    return 1603u;
  });
  EXPECT_EQ(Run("/UNINSTALL /S"), 1603);
  EXPECT_EQ(started, folder + "\\TolvekUn.exe /UNINSTALL /S \"/FROM=" + kRecord + "\"");
  EXPECT_FALSE(Disk().DirExists(folder));
  EXPECT_TRUE(Disk().DirExists("c:\\temp\\Tolvek-4321000000000000"));
}

// A copy that cannot be made whole is never started: the removal runs where it stands, and the
// private folder goes.
TEST_F(UninstallTest, ACopyThatCannotBeMadeWholeIsNeverStarted) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().SetProgramPath(kUninstaller);
  bool started = false;
  HeadlessProc().SetRunner([&](const std::string&, const std::string&) {
    started = true;
    return 0u;
  });
  Disk().FailNext(headless::FsOp::kWrite, toolkit::kErrDiskFull);
  EXPECT_EQ(Run("/UNINSTALL /S"), 0);
  EXPECT_FALSE(started);
  EXPECT_EQ(Disk().List("c:\\temp"),
            (std::vector<std::string>{"Tolvek-install.log", "Tolvek-uninstall.log"}));
}

// Only the copy writes the log. The uninstaller in the destination hands over before it opens
// one: opened there, it would be emptied after the copy wrote it, and on Windows the copy could
// not open it at all while the first held it.
TEST_F(UninstallTest, TheUninstallerInTheDestinationLeavesTheLogToItsCopy) {
  const struct {
    const char* arguments;
    std::string log;
  } cases[] = {
      {"/UNINSTALL /S", kUninstallLog},
      {"/UNINSTALL /S /LOG=c:\\u.log", "c:\\u.log"},
      {"/UNINSTALL /LOG=c:\\u.log", "c:\\u.log"},
  };
  ASSERT_EQ(Run("/S"), 3010);
  const std::optional<std::string> installationLog = Disk().FileContent(kInstallLog);
  Disk().SetProgramPath(kUninstaller);
  for (const auto& row : cases) {
    SCOPED_TRACE(row.arguments);
    Disk().PutFile(row.log, "an earlier log");
    HeadlessProc().SetRunner([&](const std::string&, const std::string&) {
      EXPECT_EQ(Disk().FileContent(row.log), "an earlier log");
      Disk().PutFile(row.log, "the copy's log");
      return 0u;
    });
    EXPECT_EQ(Run(row.arguments), 0);
    EXPECT_EQ(Disk().FileContent(row.log), "the copy's log");
  }
  EXPECT_EQ(Disk().FileContent(kInstallLog), installationLog);
}

}  // namespace
