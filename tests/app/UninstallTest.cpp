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
const std::string kRemove = "/UNINSTALL /S \"/FROM=c:\\Tolvek4\"";
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
  const std::pair<const char*, const char*> values[] = {
      {"DisplayName", "Tolvek v4"},
      {"DisplayVersion", "4.0"},
      {"Publisher", "KOVIA"},
      {"InstallLocation", "c:\\Tolvek4"},
      {"DisplayIcon", "c:\\Tolvek4\\UNINSTAL.EXE"},
      {"UninstallString", "\"c:\\Tolvek4\\UNINSTAL.EXE\" /UNINSTALL"},
      {"QuietUninstallString", "\"c:\\Tolvek4\\UNINSTAL.EXE\" /UNINSTALL /S"},
  };
  for (const auto& [name, text] : values) EXPECT_EQ(MemReg().StringValue(key, name), text) << name;
  for (const char* name : {"EstimatedSize", "NoModify", "NoRepair"}) {
    EXPECT_EQ(MemReg().Value(key, name)->first, RegValueType::kNumber) << name;
  }
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\UNINSTAL.EXE"), "MZ installer");
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

TEST_F(UninstallTest, TwoInstallationsGoWithOneRemoval) {
  ASSERT_EQ(Run("/S"), 3010);
  ASSERT_EQ(Run("/S"), 3010);
  EXPECT_EQ(Run(kRemove), 0);
  ExpectNothingOfTheProduct();
}

// An entry that was there before the installation (its own record lost) goes when it names this
// destination, and stays when it names another.
TEST_F(UninstallTest, AnEarlierEntryGoesOnlyWhenItNamesThisDestination) {
  const std::string key = install::kUninstallKey;
  for (const char* location : {"C:\\TOLVEK4", "d:\\Tolvek4"}) {
    MemReg().SetString(key, "InstallLocation", location);
    ASSERT_EQ(Run("/S"), 3010);
    MemReg().SetString(key, "InstallLocation", location);
    EXPECT_EQ(Run(kRemove), 0);
    EXPECT_EQ(MemReg().KeyExists(key), location[0] == 'd') << location;
    MemReg().DeleteKey(key);
  }
}

TEST_F(UninstallTest, ARemovalThatFailsPartWayIsFinishedByTheNextRun) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().SetLocked(kProfile + "Support\\acad.mns", true);
  EXPECT_EQ(Run(kRemove), 1603);
  // The way back stays: the entry, the uninstaller, the record.
  EXPECT_TRUE(MemReg().KeyExists(install::kUninstallKey));
  EXPECT_TRUE(Disk().FileContent("c:\\Tolvek4\\INSTALL.JNL").has_value());
  Disk().SetLocked(kProfile + "Support\\acad.mns", false);
  EXPECT_EQ(Run(kRemove), 0);
  ExpectNothingOfTheProduct();
}

// The record goes before the uninstaller: one that finds no record beside itself finishes the end.
TEST_F(UninstallTest, AnUninstallerLeftWithoutItsRecordFinishesTheEnd) {
  ASSERT_EQ(Run("/S"), 3010);
  const std::string uninstaller = "c:\\Tolvek4\\UNINSTAL.EXE";
  Disk().FailOnPath(headless::FsOp::kDelete, uninstaller, 5);
  Disk().FailOnPath(headless::FsOp::kRename, uninstaller, 5);
  EXPECT_EQ(Run(kRemove), 0);
  EXPECT_FALSE(Disk().FileContent("c:\\Tolvek4\\INSTALL.JNL"));
  ASSERT_TRUE(Disk().FileContent(uninstaller));
  Disk().ClearFaults();
  EXPECT_EQ(Run(kRemove), 0);
  ExpectNothingOfTheProduct();
}

TEST_F(UninstallTest, NoChangesNothingAndYesReportsTheRemoval) {
  ASSERT_EQ(Run("/S /NOGROUP"), 3010);
  const auto installed = Disk().Snapshot();
  headless::ExpectBox(BoxKind::kInformation,
                      "Rimuovere Tolvek dal computer, con le modifiche fatte ai file di AutoCAD?",
                      mrNo);
  EXPECT_EQ(Run("/UNINSTALL \"/FROM=c:\\Tolvek4\""), 1602);
  EXPECT_EQ(Disk().Snapshot(), installed);
  headless::ExpectBox(BoxKind::kInformation,
                      "Rimuovere Tolvek dal computer, con le modifiche fatte ai file di AutoCAD?",
                      mrYes);
  headless::ExpectBox(BoxKind::kPlain, Cp1252("Tolvek \xE8 stato rimosso dal computer."));
  EXPECT_EQ(Run("/UNINSTALL \"/FROM=c:\\Tolvek4\""), 0);
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

TEST_F(UninstallTest, TheUninstallerInTheDestinationRunsATemporaryCopyAndPassesOnItsCode) {
  ASSERT_EQ(Run("/S"), 3010);
  Disk().SetProgramPath("c:\\Tolvek4\\UNINSTAL.EXE");
  std::string started;
  HeadlessProc().SetRunner([&](const std::string& program, const std::string& arguments) {
    started = program + " " + arguments;
    EXPECT_EQ(Disk().FileContent(program), "MZ installer");
    return 1603u;
  });
  EXPECT_EQ(Run("/UNINSTALL /S"), 1603);
  EXPECT_EQ(started, "c:\\temp\\TolvekUn.exe /UNINSTALL /S \"/FROM=c:\\Tolvek4\"");
  EXPECT_FALSE(Disk().FileContent("c:\\temp\\TolvekUn.exe").has_value());
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
  Disk().SetProgramPath("c:\\Tolvek4\\UNINSTAL.EXE");
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
