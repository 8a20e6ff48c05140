// The repair without the medium, end to end on the headless backend, on a machine with AutoCAD
// 2009 (acaddoc.lsp), 2021 (the chosen folder's product) and 2026 (the bundle, trusted), each
// started by the user. A profile AutoCAD reset and a release started for the first time after the
// installation are wired again, by UNINSTAL.EXE /REPAIR and by the Run value at the next logon,
// journaled so that the removal takes them back too; a logon at which nothing lacks writes
// nothing at all; the product's files missing or changed are named as needing the medium, and the
// copy the wiring places comes only from one the record vouches for; a repair that fails is
// undone; and a Run value is only ever the installation's own.
#include <gtest/gtest.h>

#include "app/Startup.h"
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
using headless::FsOp;
using headless::HeadlessProc;
using headless::MemReg;

const std::string kAutoCad = "\\Software\\Autodesk\\AutoCAD";
const std::string kAcad2021 = "c:\\Program Files\\Autodesk\\AutoCAD 2021";
const std::string kContents =
    "c:\\Users\\user\\AppData\\Roaming\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";
const std::string kRecord = testing_support::kUserRecordFolder;
const std::string kUninstaller = kRecord + "\\UNINSTAL.EXE";
const std::string kRepair = "/REPAIR /S \"/FROM=" + kRecord + "\"";
const std::string kRemove = "/UNINSTALL /S \"/FROM=" + kRecord + "\"";
const std::string kRepairLog = "c:\\temp\\Tolvek-repair.log";
const std::string kRunKey = install::kRunKey;

struct Product {
  const char* release;
  const char* key;
  const char* root;
};

const Product k2009{"R17.2", "ACAD-7001:409", "c:\\Profiles\\2009\\"};
const Product k2021{"R24.0", "ACAD-5101:409", "c:\\Profiles\\2021\\"};
const Product k2026{"R25.1", "ACAD-9101:409", "c:\\Profiles\\2026\\"};

std::string Support(const Product& product) { return std::string(product.root) + "Support\\"; }

std::string Variables(const Product& product) {
  return kAutoCad + "\\" + product.release + "\\" + product.key + "\\Profiles\\P1\\Variables";
}

class RepairTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayInstallerMachine(Disk());
    Disk().MakeDirs(kAcad2021);
    for (const Product& product : {k2009, k2021, k2026}) Start(product);
    MemReg().SetString("HKLM" + kAutoCad + "\\R24.0\\ACAD-5101:409", "AcadLocation", kAcad2021);
    ASSERT_EQ(Run("/S /NOGROUP \"/ACAD=" + kAcad2021 + "\""), 3010);
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  // The user starts the product for the first time: AutoCAD makes its profile and support folder.
  static void Start(const Product& product) {
    const std::string key = kAutoCad + "\\" + product.release + "\\" + product.key;
    MemReg().SetString(key, "RoamableRootFolder", product.root);
    MemReg().SetString(key + "\\Profiles\\P1\\Variables", "TRUSTEDPATHS", "c:\\Lisp");
    headless::MemFs().PutFile(Support(product) + "acad.pgp", "A, *ARC\r\n");
    headless::MemFs().PutFile(Support(product) + "acad.mns", "***TOOLBARS\r\n***HELPSTRINGS\r\n");
  }

  // AutoCAD's reset of a profile: the support folder made again with AutoCAD's own files, and the
  // profile's variables back to their defaults.
  void Reset(const Product& product) {
    for (const std::string& name : Disk().List(Support(product))) {
      Disk().Delete(Support(product) + name);
    }
    Start(product);
  }

  static std::string Trusted(const Product& product) {
    return MemReg().StringValue(Variables(product), "TRUSTEDPATHS").value_or("<none>");
  }

  // The machine as the tests compare it: the disk without logs and backups, and the values the
  // product may change.
  std::map<std::string, std::string> Machine() {
    auto files = Disk().Snapshot();
    std::erase_if(files, [](const auto& file) {
      return file.first.ends_with(".log") || file.first.ends_with(".bak");
    });
    for (const Product& product : {k2009, k2021, k2026}) {
      files["TRUSTEDPATHS " + std::string(product.key)] = Trusted(product);
    }
    files["Run"] = MemReg().StringValue(kRunKey, "Tolvek").value_or("<none>");
    return files;
  }

  // A repair that is undone leaves its run on the record, marked as undone, which every reader
  // drops: the record is the same but for that.
  static void ExpectUndoneRun(const std::string& before, const std::optional<std::string>& after) {
    ASSERT_TRUE(after);
    EXPECT_EQ(after->substr(0, before.size()), before);
    EXPECT_TRUE(after->substr(before.size()).starts_with("RUN\t2\tINSTALL\t")) << *after;
    EXPECT_TRUE(after->ends_with("UNDONE\r\n"));
  }

  static std::map<std::string, std::string> WithoutRecord(
      std::map<std::string, std::string> files) {
    files.erase(kRecord + "\\INSTALL.JNL");
    return files;
  }

  std::string RepairLog() { return testing_support::LogText(Disk().FileContent(kRepairLog)); }

  // What the logon runs, as the Run value names it: the uninstaller in the record's folder.
  int Logon() {
    const std::optional<std::string> command = MemReg().StringValue(kRunKey, "Tolvek");
    EXPECT_EQ(command, "\"" + kUninstaller + "\" /REPAIR /LOGON");
    Disk().SetProgramPath(kUninstaller);
    const int code = Run("/REPAIR /LOGON");
    Disk().SetProgramPath("c:\\setup\\install.exe");
    return code;
  }

  static bool Loads(const std::string& file) {
    const std::optional<std::string> text = headless::MemFs().FileContent(file);
    return text && text->find("(load \"tolvek\"") != std::string::npos;
  }
};

TEST_F(RepairTest, AResetProfileIsWiredAgainAndTakenBackWithTheRest) {
  Reset(k2009);
  Reset(k2021);
  const auto afterReset = Machine();
  ASSERT_EQ(Run(kRepair), 0);
  // 2009: acaddoc.lsp and the product's files from the copy the destination keeps.
  EXPECT_TRUE(Loads(Support(k2009) + "acaddoc.lsp"));
  EXPECT_EQ(Disk().FileContent(Support(k2009) + "tolvek.lsp"),
            Disk().FileContent("c:\\Tolvek4\\AutoCAD\\tolvek.lsp"));
  // 2021, the chosen folder's product: the trusted path, the command alias and the menu.
  EXPECT_EQ(Trusted(k2021), "c:\\Lisp;" + kContents);
  EXPECT_NE(Disk().FileContent(Support(k2021) + "acad.pgp")->find("RUNTOLVEK"), std::string::npos);
  EXPECT_NE(Disk().FileContent(Support(k2021) + "acad.mns")->find("**TOLVEK"), std::string::npos);
  EXPECT_TRUE(Disk().FileExists(Support(k2021) + "tkicon1.bmp"));
  EXPECT_EQ(Trusted(k2026), "c:\\Lisp;" + kContents);
  std::string log = RepairLog();
  for (const std::string& said : std::initializer_list<std::string>{
           "Riparazione di c:\\Tolvek4",
           Cp1252("Tolvek \xE8 stato riparato senza il supporto di installazione. Rifatto:"),
           "\r\n                         HKCU" + Variables(k2021) + "\\TRUSTEDPATHS\r\n",
           "\r\n                         " + Support(k2009) + "acaddoc.lsp\r\n",
           "Codice di uscita: 0"}) {
    EXPECT_NE(log.find(said), std::string::npos) << said << "\n" << log;
  }

  // Whole now: a second repair changes nothing, and says so.
  const auto repaired = Machine();
  ASSERT_EQ(Run(kRepair), 0);
  EXPECT_EQ(Machine(), repaired);
  log = RepairLog();
  EXPECT_NE(log.find(Cp1252("Tolvek \xE8 integro: non c'era nulla da riparare.")),
            std::string::npos)
      << log;

  // The removal takes the repair's changes back with the installation's.
  ASSERT_EQ(Run(kRemove), 0);
  auto removed = Machine();
  auto expected = afterReset;
  std::erase_if(expected, [](const auto& file) {
    return file.first.starts_with("c:\\Tolvek4") || file.first.starts_with(kRecord) ||
           file.first.starts_with(kContents.substr(0, kContents.find("\\Tolvek.bundle")));
  });
  expected["Run"] = "<none>";
  for (const Product& product : {k2009, k2021, k2026}) {
    expected["TRUSTEDPATHS " + std::string(product.key)] = "c:\\Lisp";
  }
  EXPECT_EQ(removed, expected);
}

TEST_F(RepairTest, ALaterReleaseIsWiredAtTheNextLogonAndALogonWithNothingLackingWritesNothing) {
  // Nothing lacks: the logon writes nothing, not even its log.
  const auto whole = Machine();
  const auto disk = Disk().Snapshot();
  const int writes = Disk().CallCount(FsOp::kWrite);
  EXPECT_EQ(Logon(), 0);
  EXPECT_EQ(Disk().Snapshot(), disk);
  EXPECT_EQ(Disk().CallCount(FsOp::kWrite), writes);
  EXPECT_EQ(Machine(), whole);

  // AutoCAD 2010 and 2026 in Italian, installed and started after the product.
  const Product k2010{"R18.0", "ACAD-8001:409", "c:\\Profiles\\2010\\"};
  const Product k2026it{"R25.1", "ACAD-9101:410", "c:\\Profiles\\2026-it\\"};
  Start(k2010);
  Start(k2026it);
  const auto before2010 = Disk().Snapshot(k2010.root);
  const auto before2026it = Disk().Snapshot(k2026it.root);
  EXPECT_EQ(Logon(), 0);
  EXPECT_TRUE(Loads(Support(k2010) + "acaddoc.lsp"));
  EXPECT_TRUE(Disk().FileExists(Support(k2010) + "tkicon2.bmp"));
  EXPECT_EQ(Trusted(k2026it), "c:\\Lisp;" + kContents);
  EXPECT_NE(RepairLog().find("Riparazione avviata da " + kRecord), std::string::npos)
      << RepairLog();

  // Whole again: the next logon writes nothing.
  const auto log = Disk().FileContent(kRepairLog);
  const auto once = Disk().Snapshot();
  EXPECT_EQ(Logon(), 0);
  EXPECT_EQ(Disk().Snapshot(), once);
  EXPECT_EQ(Disk().FileContent(kRepairLog), log);

  ASSERT_EQ(Run(kRemove), 0);
  EXPECT_EQ(Disk().Snapshot(k2010.root), before2010);
  EXPECT_EQ(Disk().Snapshot(k2026it.root), before2026it);
  EXPECT_EQ(Trusted(k2026it), "c:\\Lisp");
  EXPECT_EQ(MemReg().StringValue(kRunKey, "Tolvek"), std::nullopt);
}

// What the repair cannot mend it names: a product file missing or changed needs the medium (exit
// 1612), and the wiring is repaired from the copy the destination keeps while that is as placed,
// or not at all.
TEST_F(RepairTest, WhatNeedsTheMediumIsNamedAndOnlyTheKeptCopyAsPlacedIsPlaced) {
  const std::string kept = "c:\\Tolvek4\\AutoCAD\\tolvek.lsp";
  const std::string readme = "c:\\Tolvek4\\help\\readme.rtf";
  const struct {
    const char* what;
    std::string spoiled;  // a product file changed
    bool wired;           // 2009 gets its files and acaddoc.lsp again
  } rows[] = {
      {"a package's file", "c:\\Tolvek4\\cfg\\tolvek.cfg", true},
      // The bundle's copy is as placed, but the repair takes only the kept copy.
      {"the kept copy", kept, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    Disk().PutFile(row.spoiled, "(princ \"not ours\")");
    Disk().Delete(readme);
    Reset(k2009);
    const auto before = Machine();
    const std::string journal = *Disk().FileContent(kRecord + "\\INSTALL.JNL");
    EXPECT_EQ(Run(kRepair), 1612);
    const std::string log = RepairLog();
    for (const std::string& file : {readme, row.spoiled}) {
      EXPECT_NE(log.find("Mancante o modificato rispetto al registro: " + file), std::string::npos)
          << log;
    }
    EXPECT_NE(log.find("senza il supporto di installazione non possono essere riparati"),
              std::string::npos)
        << log;
    EXPECT_EQ(Loads(Support(k2009) + "acaddoc.lsp"), row.wired);
    if (row.wired) {
      EXPECT_EQ(Disk().FileContent(Support(k2009) + "tolvek.lsp"),
                testing_support::DemoPackages().front().files.at("tolvek.lsp"));
    } else {
      // A repair that cannot complete changes nothing.
      EXPECT_EQ(WithoutRecord(Machine()), WithoutRecord(before));
      ExpectUndoneRun(journal, Disk().FileContent(kRecord + "\\INSTALL.JNL"));
    }
  }
}

TEST_F(RepairTest, ARepairThatFailsIsUndone) {
  Reset(k2009);
  Reset(k2021);
  const auto before = Machine();
  const std::string journal = *Disk().FileContent(kRecord + "\\INSTALL.JNL");
  // The last file the repair places cannot be written.
  Disk().FailOnPath(FsOp::kOpen, Support(k2021) + "tolvek.lsp", 112);
  EXPECT_EQ(Run(kRepair), 1603);
  Disk().ClearFaults();
  EXPECT_EQ(WithoutRecord(Machine()), WithoutRecord(before));
  EXPECT_FALSE(Loads(Support(k2009) + "acaddoc.lsp"));
  ExpectUndoneRun(journal, Disk().FileContent(kRecord + "\\INSTALL.JNL"));
  EXPECT_NE(RepairLog().find(
                Cp1252("La riparazione non \xE8 stata completata e nulla \xE8 stato modificato:")),
            std::string::npos)
      << RepairLog();
  // Run again once the disk takes it, it completes.
  EXPECT_EQ(Run(kRepair), 0);
  EXPECT_TRUE(Loads(Support(k2009) + "acaddoc.lsp"));
}

// Where the repair may not run, it changes nothing and says why.
TEST_F(RepairTest, ARepairThatCannotRunChangesNothing) {
  const struct {
    const char* what;
    std::function<void()> arrange;
    std::string arguments;
    int code;
    const char* said;
  } rows[] = {
      {"no record in the folder", [] {}, "/REPAIR /S \"/FROM=c:\\setup\"", 1603,
       "Nessuna installazione di Tolvek registrata in c:\\setup."},
      {"a damaged record",
       [&] {
         Disk().PutFile(kRecord + "\\INSTALL.JNL",
                        *Disk().FileContent(kRecord + "\\INSTALL.JNL") + "BOGUS\r\n");
       },
       kRepair, 1603, "\xE8 danneggiato. Nulla \xE8 stato modificato."},
      {"AutoCAD running", [] { HeadlessProc().SetRunning("acad.exe", true); }, kRepair, 1618,
       "AutoCAD \xE8 in esecuzione: nulla \xE8 stato modificato."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    Reset(k2009);
    row.arrange();
    const auto before = Machine();
    EXPECT_EQ(Run(row.arguments), row.code);
    EXPECT_EQ(Machine(), before);
    EXPECT_NE(RepairLog().find(Cp1252(row.said)), std::string::npos) << RepairLog();
  }
}

// An installation for a release before 2004 wired its AutoCAD folder's start-up files alone: the
// repair puts their line back where AutoCAD's own file replaced them, and leaves the later
// releases the user has as that installation did.
TEST_F(RepairTest, AnInstallationBefore2004IsRepairedInItsStartUpFilesAlone) {
  ASSERT_EQ(Run(kRemove), 0);
  const std::string r14 = "c:\\ACADR14";
  const std::string startup = ";;;===== AutoLoad LISP Applications =====\r\n(princ)\r\n";
  Disk().PutFile(r14 + "\\acadr14.lsp", startup);
  Disk().PutFile(r14 + "\\support\\acad.mns", "***TOOLBARS\r\n***HELPSTRINGS\r\n");
  MemReg().SetString("HKLM" + kAutoCad + "\\R14.0\\ACAD-1:409", "AcadLocation", r14);
  ASSERT_EQ(Run("/S /NOGROUP /R14 \"/ACAD=" + r14 + "\""), 3010);
  const auto wired = Disk().FileContent(r14 + "\\acadr14.lsp");
  ASSERT_NE(wired->find("(autoload \"tolvek\""), std::string::npos);
  // AutoCAD is installed again over its folder.
  Disk().PutFile(r14 + "\\acadr14.lsp", startup);
  EXPECT_EQ(Logon(), 0);
  EXPECT_EQ(Disk().FileContent(r14 + "\\acadr14.lsp"), wired);
  EXPECT_FALSE(Disk().FileExists(Support(k2009) + "acaddoc.lsp"));
  EXPECT_EQ(Trusted(k2026), "c:\\Lisp");
  EXPECT_FALSE(Disk().DirExists(kContents));
  const auto once = Disk().Snapshot();
  EXPECT_EQ(Logon(), 0);
  EXPECT_EQ(Disk().Snapshot(), once);
}

// The Run value is the installation's own only when it made it: one of another program under the
// same name stays, and the removal leaves it.
TEST_F(RepairTest, ARunValueThatWasThereIsLeftAsItIs) {
  ASSERT_EQ(Run(kRemove), 0);
  const std::string theirs = "\"c:\\Program Files\\Other\\tolvek.exe\" /tray";
  MemReg().SetString(kRunKey, "Tolvek", theirs);
  ASSERT_EQ(Run("/S /NOGROUP \"/ACAD=" + kAcad2021 + "\""), 3010);
  EXPECT_EQ(MemReg().StringValue(kRunKey, "Tolvek"), theirs);
  ASSERT_EQ(Run(kRemove), 0);
  EXPECT_EQ(MemReg().StringValue(kRunKey, "Tolvek"), theirs);
}

}  // namespace
