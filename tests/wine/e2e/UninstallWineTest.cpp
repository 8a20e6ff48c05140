// The way back under Wine, end to end with the real programs: INSTALL.EXE installs (AutoCAD 2004
// and later, and release 14), then the command the product registered in Add or Remove Programs
// removes it. AutoCAD's files hold again exactly the bytes they held before, AutoCAD's folders
// hold nothing of the product but backups, C:\Tolvek4, the entry and the group are gone. What the
// user added meanwhile stays; two installations go with one removal; a removal killed part-way is
// finished by the next run; the quiet command exits 0, its log (the temporary copy's alone) a file
// of its own beside the installation's.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "tests/wine/e2e/DemoAutoCad.h"
#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/progman-service/ServiceFixture.h"
#include "tests/wine/support/Driver.h"

namespace {

using namespace winetest;
using e2e::DemoAutoCad;
using e2e::kCadFolder;
using e2e::kProfileRoot;
using extractwine::kDestination;
using extractwine::kMedium;
using extractwine::kScratch;

const std::string kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek";
const std::string kServerLog = kScratch + "\\progman-uninstall.log";

using Files = std::map<std::string, std::optional<std::string>>;

// Every name below the folders with its bytes, the backups left out.
Files FilesOf(const std::vector<std::string>& folders) {
  Files files;
  for (const std::string& folder : folders) {
    for (const auto& [name, time] : Listing(folder)) {
      if (name.ends_with(".bak") || name.ends_with(".BAK")) continue;
      const std::string full = folder + "\\" + name;
      files[full] = name.back() == '\\' ? std::nullopt : ReadFile(full);
    }
  }
  return files;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class UninstallWineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    extractwine::ClearScene();
    medium::MediumOptions options;
    options.productDir = extractwine::WriteProduct();
    options.outDir = kMedium;
    options.installerDir = extractwine::InstallerDir();
    medium::BuildMedium(options);
  }
  static void TearDownTestSuite() { extractwine::ClearScene(); }

  void SetUp() override {
    RemoveTree(kDestination);
    DeleteFileA(kServerLog.c_str());
    DeleteFileA((kServerLog + ".ready").c_str());
    server_ = std::make_unique<InstallerProcess>(
        BuiltFile("tests\\wine\\group\\progman_server.exe"), "", "\"" + kServerLog + "\"");
    ASSERT_TRUE(WaitUntil([] { return Exists(kServerLog + ".ready"); }));
  }

  void TearDown() override {
    server_.reset();
    EndProgramManagers();
    cad_.reset();
    RemoveTree(kDestination);
  }

  static std::optional<DWORD> Install(const std::string& arguments = "/S") {
    return RunToTheEnd(kMedium + "\\INSTALL.EXE", arguments);
  }

  static std::optional<DWORD> RunRegistered(const std::string& name) {
    const std::optional<std::string> command = e2e::StringValue(kKey, name);
    EXPECT_TRUE(command) << name;
    if (!command) return std::nullopt;
    return RunCommand(*command);
  }

  void ExpectNothingOfTheProduct(const Files& before) {
    EXPECT_EQ(FilesOf({kCadFolder, kProfileRoot}), before);
    EXPECT_FALSE(Exists(kDestination));
    EXPECT_FALSE(Exists(UserRecordFolder()));
    EXPECT_FALSE(e2e::StringValue(kKey, "UninstallString"));
    EXPECT_TRUE(WaitUntil(
        [] {
          return ReadFile(kServerLog).value_or("").find("[DeleteGroup(Tolvek)]") !=
                 std::string::npos;
        },
        10s))
        << ReadFile(kServerLog).value_or("(no log)");
  }

  std::unique_ptr<DemoAutoCad> cad_;
  std::unique_ptr<InstallerProcess> server_;
};

TEST_F(UninstallWineTest, TheQuietCommandTakesAnAutoCad2004InstallationBackByteForByte) {
  cad_ = std::make_unique<DemoAutoCad>();
  const Files before = FilesOf({kCadFolder, kProfileRoot});
  const std::string installLog = TempFolder() + "\\Tolvek-install.log";
  const std::string uninstallLog = TempFolder() + "\\Tolvek-uninstall.log";
  DeleteFileA(uninstallLog.c_str());
  ASSERT_EQ(Install(), 3010u);
  const std::optional<std::string> installed = ReadFile(installLog);
  EXPECT_TRUE(installed);
  EXPECT_EQ(e2e::StringValue(kKey, "DisplayName"), "Tolvek v4");
  EXPECT_EQ(e2e::StringValue(kKey, "InstallLocation"), "c:\\Tolvek4");
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
  ExpectNothingOfTheProduct(before);

  EXPECT_EQ(ReadFile(installLog), installed);
  const std::string log = ReadLog(uninstallLog).value_or("(no UTF-8 log with a byte-order mark)");
  // The first line, after its time stamp, names the folder the copy runs from: one of its own
  // in the temporary folder.
  EXPECT_EQ(log.find("  Disinstallazione avviata da " + TempFolder() + "\\Tolvek-"),
            std::string("2006-03-01 09:30:00.000").size())
      << log;
  EXPECT_NE(log.find("Messaggio: Tolvek \xE8 stato rimosso dal computer.\r\n"), std::string::npos)
      << log;
  EXPECT_TRUE(log.ends_with("Codice di uscita: 0\r\n")) << log;
}

TEST_F(UninstallWineTest, TheDialogsCommandAsksOnceAndTakesARelease14InstallationBack) {
  RemoveTree(kCadFolder);
  extractwine::WriteAutoCadFolder();
  const Files before = FilesOf({kCadFolder});
  ASSERT_EQ(Install("/S /R14"), 3010u);
  const std::optional<std::string> command = e2e::StringValue(kKey, "UninstallString");
  ASSERT_TRUE(command);
  const auto [exe, arguments] = SplitCommand(*command);
  InstallerProcess uninstaller(exe, "C:\\", arguments);
  // The question and the closing box come from the temporary copy, a process of its own.
  std::optional<MessageBoxView> box;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (DWORD id : ProcessesNamed("TolvekUn.exe")) {
          if ((box = WaitForMessageBox(id, 0ms))) return true;
        }
        return false;
      },
      30s));
  EXPECT_EQ(box->text, "Rimuovere Tolvek dal computer, con le modifiche fatte ai file di AutoCAD?");
  Answer(*box, "&Yes");
  std::optional<MessageBoxView> report;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (DWORD id : ProcessesNamed("TolvekUn.exe")) {
          report = WaitForMessageBox(id, 0ms);
          if (report && report->window != box->window) return true;
        }
        return false;
      },
      60s));
  EXPECT_TRUE(report->text.starts_with("Tolvek \xE8 stato rimosso dal computer.")) << report->text;
  Answer(*report, "OK");
  EXPECT_TRUE(uninstaller.WaitForExit(30s));
  EXPECT_EQ(uninstaller.ExitCode(), 0u);
  EXPECT_EQ(FilesOf({kCadFolder}), before);
  EXPECT_FALSE(Exists(kDestination));
  RemoveTree(kCadFolder);
}

TEST_F(UninstallWineTest, AUserLineAndAUserFileStayAndNothingElse) {
  cad_ = std::make_unique<DemoAutoCad>();
  Files before = FilesOf({kCadFolder, kProfileRoot});
  ASSERT_EQ(Install(), 3010u);
  const std::string pgp = e2e::kProfileSupport + "\\acad.pgp";
  WriteFile(pgp, ReadFile(pgp).value_or("") + "MIO, *MINE\r\n");
  const std::string mine = kDestination + "\\UserParts\\mine.prt";
  WriteFile(mine, "mine");
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
  EXPECT_EQ(ReadFile(pgp), e2e::DemoFile("acad.pgp") + "MIO, *MINE\r\n");
  EXPECT_EQ(ReadFile(mine), "mine");
  before[pgp] = ReadFile(pgp);
  EXPECT_EQ(FilesOf({kCadFolder, kProfileRoot}), before);
  EXPECT_FALSE(Exists(kDestination + "\\UNINSTAL.EXE"));
  EXPECT_FALSE(e2e::StringValue(kKey, "UninstallString"));
}

// With a Program Manager that makes groups as the Windows shell does, the Start menu's folder
// comes with the installation and goes with the removal.
TEST_F(UninstallWineTest, TheStartMenuGroupGoesWithTheRemoval) {
  server_.reset();
  pmtest::Service service;
  ASSERT_TRUE(service.Serving());
  cad_ = std::make_unique<DemoAutoCad>();
  const std::string group = pmtest::ProgramsFolder() + "\\Tolvek";
  ASSERT_EQ(Install(), 3010u);
  EXPECT_TRUE(Exists(group + "\\TOLVEK.lnk"));
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
  EXPECT_FALSE(Exists(group));
}

TEST_F(UninstallWineTest, TwoInstallationsGoWithOneRemoval) {
  cad_ = std::make_unique<DemoAutoCad>();
  const Files before = FilesOf({kCadFolder, kProfileRoot});
  ASSERT_EQ(Install(), 3010u);
  ASSERT_EQ(Install(), 3010u);
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
  ExpectNothingOfTheProduct(before);
}

TEST_F(UninstallWineTest, ARemovalKilledPartWayIsFinishedByTheNextRun) {
  cad_ = std::make_unique<DemoAutoCad>();
  const Files before = FilesOf({kCadFolder, kProfileRoot});
  // Kills at several moments of the removal; at least one must find it still at work.
  int interrupted = 0;
  for (DWORD delay : {20, 60, 120, 250}) {
    ASSERT_EQ(Install(), 3010u);
    const std::optional<std::string> command = e2e::StringValue(kKey, "QuietUninstallString");
    ASSERT_TRUE(command);
    const auto [exe, arguments] = SplitCommand(*command);
    {
      InstallerProcess uninstaller(exe, "C:\\", arguments);
      ASSERT_TRUE(WaitUntil([] { return !ProcessesNamed("TolvekUn.exe").empty(); }, 20s));
      Sleep(delay);
      for (DWORD id : ProcessesNamed("TolvekUn.exe")) {
        toolkit::win32::UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (process) TerminateProcess(process.Get(), 1);
      }
      EXPECT_TRUE(uninstaller.WaitForExit(20s));
    }
    // Killed before its end, it left its way back: the registered command runs again.
    if (Exists(exe)) {
      ++interrupted;
      EXPECT_EQ(RunToTheEnd(exe, arguments), 0u) << delay;
    }
    ExpectNothingOfTheProduct(before);
  }
  EXPECT_GT(interrupted, 0);
}

// A user's command alias file as editors leave it, with LF alone and no final line end: the
// removal gives back its very bytes, and its backup, the user's copy of it from before the
// installation, stays as it was.
TEST_F(UninstallWineTest, AUsersFileComesBackByteForByteAndItsBackupStays) {
  cad_ = std::make_unique<DemoAutoCad>();
  const std::string pgp = e2e::kProfileSupport + "\\acad.pgp";
  const std::string original = "; mio\nA, *ARC\nCI, *CIRCLE\xE8";
  WriteFile(pgp, original);
  ASSERT_EQ(Install(), 3010u);
  EXPECT_NE(ReadFile(pgp), original);
  EXPECT_EQ(ReadFile(e2e::kProfileSupport + "\\pgp.bak"), original);
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
  EXPECT_EQ(ReadFile(pgp), original);
  EXPECT_EQ(ReadFile(e2e::kProfileSupport + "\\pgp.bak"), original);
  EXPECT_FALSE(Exists(pgp + "~"));
}

// Whatever a record names, the real uninstaller acts on nothing of another: a user's document
// with its real size and CRC, a document reached through a link made in the product's folder
// (Wine's own calls would go through it), a device's name (opening COM1 may wait for ever). Each
// record is named, the way back stays, and the run ends at once.
TEST_F(UninstallWineTest, RecordsThatNameWhatIsNotTheProductsAreNotActedOn) {
  const std::string documents = kScratch + "\\Documents";
  const std::string document = documents + "\\offerta.txt";
  const std::string link = kDestination + "\\Parts\\jn";
  const std::string crc = "D5371DF1";  // of "Offerta n. 12\r\n"
  const struct {
    const char* what;
    bool makeLink;
    std::string records;
    std::string logged;
  } rows[] = {
      {"a user's document", false,
       "FILE\t15\t" + document + "\r\nCRC\t" + crc + "\t" + document + "\r\n",
       "Voce del registro non eseguita: FILE " + document},
      {"a document through a link in the product's folder", true,
       "DIR\t" + link + "\r\nFILE\t15\t" + link + "\\offerta.txt\r\nCRC\t" + crc + "\t" + link +
           "\\offerta.txt\r\n",
       "Lasciato: " + link + "\\offerta.txt (\xE8, o attraversa, un collegamento: non seguito)"},
      {"devices", false,
       "FILE\t5\t" + kDestination + "\\COM1\r\nFILE\t5\t" + kDestination + "\\nul.txt\r\nDIR\t" +
           kDestination + "\\AUX\r\n",
       "Voce del registro non eseguita: FILE " + kDestination + "\\COM1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    cad_ = std::make_unique<DemoAutoCad>();
    MakeTree(documents);
    WriteFile(document, "Offerta n. 12\r\n");
    ASSERT_EQ(Install(), 3010u);
    if (row.makeLink) {
      ASSERT_TRUE(MakeLink(link, documents));
    }
    const std::string journal = UserRecordFolder() + "\\INSTALL.JNL";
    WriteFile(journal, ReadFile(journal).value_or("") + "RUN\t9\tINSTALL\tTolvek v4\r\n" +
                           row.records + "DONE\r\n");
    EXPECT_EQ(RunRegistered("QuietUninstallString"), 1603u);
    EXPECT_EQ(ReadFile(document), "Offerta n. 12\r\n");
    EXPECT_TRUE(e2e::StringValue(kKey, "UninstallString"));
    const std::string log = ReadLog(TempFolder() + "\\Tolvek-uninstall.log").value_or("");
    EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    if (row.makeLink) {
      EXPECT_TRUE(Exists(link));
      RemoveLink(link);
    }
    RemoveTree(documents);
    cad_.reset();
    extractwine::RemoveInstallation();
  }
}

// A user made the product's folder before any installation, with a journal in it naming another
// user's document and a link to that user's documents. The real installer refuses the folder
// while the link is there, for one user and for every user, without reading the journal; with
// the link gone it installs and the removal leaves the document and the journal as they were.
TEST_F(UninstallWineTest, AJournalAndALinkPlantedBeforeTheInstallationAreNeverActedOn) {
  cad_ = std::make_unique<DemoAutoCad>();
  const std::string documents = kScratch + "\\Documents";
  const std::string document = documents + "\\offerta.txt";
  MakeTree(documents);
  WriteFile(document, "Offerta n. 12\r\n");
  const std::string planted = "TOLVEK-JOURNAL\t2\r\nRUN\t1\tINSTALL\tTolvek v4\r\nFILE\t999\t" +
                              document + "\r\nDIR\t" + documents + "\r\n";
  MakeTree(kDestination + "\\Parts");
  WriteFile(kDestination + "\\INSTALL.JNL", planted);
  ASSERT_TRUE(MakeLink(kDestination + "\\Parts\\jn", documents));
  for (const char* arguments : {"/S", "/S /ALLUSERS"}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(Install(arguments), 1603u);
    EXPECT_EQ(ReadFile(document), "Offerta n. 12\r\n");
    EXPECT_EQ(ReadFile(kDestination + "\\INSTALL.JNL"), planted);
  }
  RemoveLink(kDestination + "\\Parts\\jn");
  ASSERT_EQ(Install(), 3010u);
  EXPECT_EQ(ReadFile(kDestination + "\\INSTALL.JNL"), planted);
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
  EXPECT_EQ(ReadFile(document), "Offerta n. 12\r\n");
  EXPECT_EQ(ReadFile(kDestination + "\\INSTALL.JNL"), planted);
  RemoveTree(documents);
}

// The product's folder lies at the root of C:, where any user may add and change: it gets a list
// of its own. Wine accepts the list but keeps none for files (it answers with one made from the
// Unix permissions), so what is checked here is that the system took it; the list itself is the
// native tests'.
TEST_F(UninstallWineTest, TheProductsFolderIsGivenAnAccessListOfItsOwn) {
  cad_ = std::make_unique<DemoAutoCad>();
  const std::string log = kScratch + "\\install.log";
  MakeTree(kScratch);
  ASSERT_EQ(Install("/S \"/LOG=" + log + "\""), 3010u);
  const std::string text = ReadFile(log).value_or("");
  EXPECT_NE(text.find("Codice di uscita: 3010"), std::string::npos) << text;
  EXPECT_EQ(text.find("Impossibile limitare"), std::string::npos) << text;
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
}

}  // namespace
