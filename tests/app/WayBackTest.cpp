// The way back cannot be turned against the user. The journal lies in a folder others may have
// written to, and the uninstaller may run as an administrator: every record that names anything
// the product does not own is left undone and named, whatever else it says; a journal that
// cannot be read, a later one or a huge one changes nothing; one cut short removes what it
// records and names the rest; and what a killed run left half written goes.
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "install/Journal.h"
#include "install/Registration.h"
#include "tests/support/Cp1252.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogText.h"
#include "tests/support/Medium.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using headless::HeadlessProc;
using headless::MemReg;
namespace fs = toolkit::fs;

const std::string kProfile = "c:\\Profiles\\u1\\Acad\\";
const std::string kDestination = "c:\\Tolvek4";
const std::string kRecord = testing_support::kUserRecordFolder;
const std::string kJournal = kRecord + "\\INSTALL.JNL";
const std::string kRemove = "/UNINSTALL /S \"/FROM=" + kRecord + "\"";
// What belongs to others on the machine: the system's, a user's documents and folder.
const std::string kWinIni = "c:\\windows\\win.ini";
const std::string kDocument = "c:\\Users\\u2\\Documents\\offerta.txt";
const std::string kOther = "c:\\Users\\u2\\Documents\\listino.txt";
const std::string kEmptyFolder = "c:\\Users\\u2\\Vuota";
const std::string kUserPart = kDestination + "\\UserParts\\flangia.prt";

std::string Hex(std::uint32_t value) {
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[std::size_t(i)] = "0123456789ABCDEF"[value & 15];
  return text;
}

class WayBackTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayAutoCad2004Machine(Disk(), kProfile);
    headless::ProgramManager().running = true;
    Disk().PutFile(kWinIni, "[fonts]\r\n");
    Disk().PutFile(kDocument, "Offerta n. 12\r\nPrezzo 100\r\n");
    Disk().PutFile(kOther, "Listino\r\n");
    Disk().MakeDirs(kEmptyFolder);
    MemReg().SetString("\\Environment", "Path", "c:\\bin");
    MemReg().SetString("\\Software\\Other", "List", "c:\\x");
    MemReg().SetString("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other", "c:\\x.exe");
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  std::string Log() {
    for (const char* name : {"c:\\temp\\Tolvek-uninstall.log", "c:\\temp\\Tolvek-install.log"}) {
      if (auto log = Disk().FileContent(name)) return testing_support::LogText(log);
    }
    return {};
  }

  // What others own: the system's files and a user's documents, and the user's own parts.
  std::map<std::string, std::string> Others() {
    auto files = Disk().Snapshot();
    std::erase_if(files, [](const auto& file) {
      const bool others = file.first.starts_with("c:\\windows") ||
                          (file.first.starts_with("c:\\Users") && !file.first.starts_with(kRecord));
      return !others && file.first != kUserPart;
    });
    return files;
  }

  void Append(const std::string& lines) {
    Disk().PutFile(kJournal, *Disk().FileContent(kJournal) + lines);
  }
};

TEST_F(WayBackTest, ARecordNamingWhatTheProductDoesNotOwnIsNeverActedOn) {
  Disk().PutFile(kUserPart, "flangia DN50");
  const struct {
    const char* what;
    std::function<std::string()> records;
  } rows[] = {
      {"a system file with its real size and CRC",
       [] {
         return "FILE\t" + std::to_string(9) + "\t" + kWinIni + "\r\nCRC\t" +
                Hex(toolkit::Crc32(0, "[fonts]\r\n", 9)) + "\t" + kWinIni + "\r\n";
       }},
      {"a user's document with its size alone", [] { return "FILE\t27\t" + kDocument + "\r\n"; }},
      {"a user's part in the product's folder, with its real sum",
       [] {
         return "FILE\t12\t" + kUserPart + "\r\nCRC\t" +
                Hex(toolkit::Crc32(0, "flangia DN50", 12)) + "\t" + kUserPart + "\r\n";
       }},
      {"a user's empty folder", [] { return "DIR\t" + kEmptyFolder + "\r\n"; }},
      {"a folder reached through a dot-dot",
       [] { return "DIR\t" + kDestination + "\\..\\Users\\u2\\Vuota\r\n"; }},
      {"a swap of two user files",
       [] {
         return "SWAP\tc:\\Users\\u2\\Documents\\x.txt\t" + kDocument + "\t" + kOther + "\t" +
                kOther + "~\r\n";
       }},
      {"a swap moving a user's file into the system",
       [] {
         return "SWAP\t" + kProfile + "Support\\acad.pgp\t" + kDocument +
                "\tc:\\windows\\system32\\planted.dll\tc:\\windows\\system32\\planted.dll~\r\n";
       }},
      {"a patch of a user's document",
       [] {
         return "PATCH\t1\t" + kDocument + "\tc:\\Users\\u2\\Documents\\lisp.new\t" + kOther +
                "\t" + kOther + "~\r\nINSERT\t2\tPrezzo 100\r\n";
       }},
      {"a patch of AutoCAD's file that takes out a line not the product's",
       [] {
         return "PATCH\t1\t" + kProfile + "Support\\acad.pgp\t" + kProfile + "Support\\pgp.new\t" +
                kProfile + "Support\\pgp.bak\t" + kProfile +
                "Support\\pgp.bak~\r\nINSERT\t1\tA, *ARC\r\n";
       }},
      {"a key of the user's", [] { return std::string("KEY\tEnvironment\r\n"); }},
      {"another registry value",
       [] { return std::string("REG\t1\t\\Software\\Other\tList\tc:\\x\t\r\n"); }},
      {"another program group", [] { return std::string("GROUP\tAccessori\r\n"); }},
      // A Run value starts its program at every logon: only the record's own program may be one.
      {"the logon's value naming a program elsewhere",
       [] {
         return "REG\t0\tSoftware\\Microsoft\\Windows\\CurrentVersion\\Run\tTolvek\t"
                "\"c:\\Tolvek4\\UNINSTAL.EXE\" /REPAIR /LOGON\t\r\n";
       }},
      {"another value of the Run key",
       [] {
         return std::string(
             "REG\t0\tSoftware\\Microsoft\\Windows\\CurrentVersion\\Run\tOther\tc:\\x.exe\t\r\n");
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_EQ(Run("/S"), 3010);
    const auto before = Others();
    const auto environment = MemReg().StringValue("\\Environment", "Path");
    const auto list = MemReg().StringValue("\\Software\\Other", "List");
    // Added by hand as a run of its own, the way anyone who may write the file could.
    Append("RUN\t9\tINSTALL\tTolvek v4\r\n" + row.records() + "DONE\r\n");
    const std::size_t commands = headless::ProgramManager().commands.size();

    EXPECT_EQ(Run(kRemove), 1603);
    EXPECT_EQ(Others(), before);
    EXPECT_TRUE(Disk().DirExists(kEmptyFolder));
    // The user's own line stays, the product's went.
    EXPECT_EQ(Disk().FileContent(kProfile + "Support\\acad.pgp"), "A, *ARC\r\n");
    EXPECT_EQ(MemReg().StringValue("\\Environment", "Path"), environment);
    EXPECT_EQ(MemReg().StringValue("\\Software\\Other", "List"), list);
    EXPECT_EQ(MemReg().StringValue("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other"),
              "c:\\x.exe");
    for (std::size_t i = commands; i < headless::ProgramManager().commands.size(); ++i) {
      EXPECT_EQ(headless::ProgramManager().commands[i], "[DeleteGroup(Tolvek)]");
    }
    // Named in the log, and the way back stays for whoever mends the record.
    EXPECT_NE(Log().find("Voce del registro non eseguita:"), std::string::npos) << Log();
    EXPECT_TRUE(MemReg().KeyExists(install::kUninstallKey));
    EXPECT_TRUE(Disk().FileExists(kJournal));
    // The product's own records were undone meanwhile: its files are gone.
    EXPECT_FALSE(Disk().FileExists(kDestination + "\\Cfg\\tolvek.cfg"));

    Disk().Delete(kJournal);
    Disk().Delete(kRecord + "\\UNINSTAL.EXE");
    MemReg().DeleteKey(install::kUninstallKey);
  }
}

// What the uninstaller cannot read, it does not act on: nothing changes, the entry and the
// uninstaller stay, the message says what is wrong and what to do, and the run exits 1603.
TEST_F(WayBackTest, AJournalThatCannotBeReadChangesNothing) {
  const struct {
    const char* what;
    std::function<std::string(const std::string&)> spoil;
    std::string said;
  } rows[] = {
      {"random bytes", [](const std::string&) { return std::string("\x8F\x01zq\r\n\x00\xFF", 8); },
       Cp1252("non pu\xF2 essere letto")},
      {"a later version",
       [](const std::string& journal) {
         return "TOLVEK-JOURNAL\t9" + journal.substr(journal.find("\r\n"));
       },
       Cp1252("versione pi\xF9 recente")},
      {"past the size limit",
       [](const std::string& journal) {
         return journal + std::string(install::kJournalSizeLimit, ' ');
       },
       "troppo grande"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_EQ(Run("/S"), 3010);
    Disk().PutFile(kJournal, row.spoil(*Disk().FileContent(kJournal)));
    const auto before = Disk().Snapshot();
    EXPECT_EQ(Run(kRemove), 1603);
    auto after = Disk().Snapshot();
    std::erase_if(after, [](const auto& file) { return file.first.ends_with(".log"); });
    std::map<std::string, std::string> expected = before;
    std::erase_if(expected, [](const auto& file) { return file.first.ends_with(".log"); });
    EXPECT_TRUE(after == expected);
    EXPECT_TRUE(MemReg().KeyExists(install::kUninstallKey));
    EXPECT_NE(Log().find("Nulla"), std::string::npos) << Log();
    EXPECT_NE(Log().find(row.said), std::string::npos) << Log();
    // And an installation over it refuses too, rather than write over the only record.
    EXPECT_EQ(Run("/S"), 1603);
    EXPECT_EQ(Disk().FileContent(kJournal), before.at(kJournal));
    Disk().Delete(kJournal);
    Disk().Delete(kRecord + "\\UNINSTAL.EXE");
    MemReg().DeleteKey(install::kUninstallKey);
  }
}

// A journal cut short (a disk error, a careless edit) is undone as far as it goes; what it no
// longer records stays, named as not removed, and the way back stays.
TEST_F(WayBackTest, AJournalCutShortUndoesWhatItRecordsAndNamesTheRest) {
  ASSERT_EQ(Run("/S"), 3010);
  const std::string journal = *Disk().FileContent(kJournal);
  const std::size_t cut = journal.find("parts-bin");
  ASSERT_NE(cut, std::string::npos);
  Disk().PutFile(kJournal, journal.substr(0, cut));
  EXPECT_EQ(Run(kRemove), 1603);
  // Recorded before the cut: gone; after it: left, and said to be so.
  EXPECT_FALSE(Disk().FileExists(kDestination + "\\Cfg\\tolvek.cfg"));
  EXPECT_TRUE(Disk().FileExists(kDestination + "\\Parts\\Kx\\parts-kx.pck.dat"));
  EXPECT_NE(Log().find("incompleto"), std::string::npos) << Log();
  EXPECT_TRUE(MemReg().KeyExists(install::kUninstallKey));
  // AutoCAD's files were recorded before the packages: they have their bytes back.
  EXPECT_EQ(Disk().FileContent(kProfile + "Support\\acad.pgp"), "A, *ARC\r\n");
}

// A kill while INSTALL.DLL wrote leaves a file shorter than its member under the member's name;
// the next installation and the uninstaller take it away.
TEST_F(WayBackTest, AFileAKilledRunLeftHalfWrittenGoes) {
  for (const bool uninstall : {false, true}) {
    SCOPED_TRACE(uninstall ? "the uninstaller" : "the next installation");
    ASSERT_EQ(Run("/S"), 3010);
    const std::string half = kDestination + "\\Parts\\Kx\\sub\\parts-kx.pck.txt";
    const std::string whole = *Disk().FileContent(half);
    // The run as a kill leaves it: no end, and a member's file not yet complete.
    std::string journal = *Disk().FileContent(kJournal);
    journal.erase(journal.rfind("DONE\r\n"));
    Disk().PutFile(kJournal, journal);
    Disk().PutFile(half, whole.substr(0, 100));
    if (!uninstall) {
      EXPECT_EQ(Run("/S /NOGROUP"), 3010);
      EXPECT_EQ(Disk().FileContent(half), whole);
      // The next run found no file under the name: the half one went before it started.
      const std::string next = fs::FoldCase(*Disk().FileContent(kJournal));
      EXPECT_NE(next.find("file\t" + std::to_string(whole.size()) + "\t" + fs::FoldCase(half),
                          next.find("run\t2")),
                std::string::npos);
    }
    EXPECT_EQ(Run(kRemove), 0);
    EXPECT_FALSE(Disk().DirExists(kDestination));
  }
}

// The uninstaller runs from a copy in a private folder of %TEMP% and moves itself out of the
// record's folder into that one; the copy goes at once, the moved program and the private folder
// at the next restart, and a record's folder the copy emptied but could not remove (it was
// stopped, say) goes once the copy has ended.
TEST_F(WayBackTest, NothingOfTheUninstallerStaysBehind) {
  for (const bool copyStopped : {false, true}) {
    SCOPED_TRACE(copyStopped ? "the copy stopped before removing the folder" : "a whole run");
    ASSERT_EQ(Run("/S"), 3010);
    const std::string uninstaller = kRecord + "\\UNINSTAL.EXE";
    Disk().SetProgramPath(uninstaller);
    HeadlessProc().SetNextNumber(0xABC);
    const std::string folder = "c:\\temp\\Tolvek-CBA0000000000000";
    HeadlessProc().SetRunner([&](const std::string& copy, const std::string& arguments) {
      // The copy runs while the program in the record's folder waits: that one cannot be
      // deleted, only moved.
      Disk().SetProgramPath(copy);
      Disk().FailOnPath(headless::FsOp::kDelete, uninstaller, kErrAccessDenied);
      if (copyStopped) Disk().FailOnPath(headless::FsOp::kRemoveDir, kRecord, kErrAccessDenied);
      HeadlessProc().SetArguments(arguments);
      const int code = app::RunInstaller();
      Disk().ClearFaults();
      Disk().SetProgramPath(uninstaller);
      return std::uint32_t(code);
    });
    EXPECT_EQ(Run("/UNINSTALL /S"), 0);
    EXPECT_FALSE(Disk().DirExists(kDestination));
    EXPECT_FALSE(Disk().DirExists(kRecord));
    EXPECT_FALSE(Disk().FileExists(folder + "\\TolvekUn.exe"));
    EXPECT_EQ(HeadlessProc().DeletedAtRestart(),
              (std::set<std::string>{folder, folder + "\\UNINSTAL.OLD"}));
    // The restart.
    Disk().Delete(folder + "\\UNINSTAL.OLD");
    Disk().RemoveDir(folder);
    HeadlessProc().Reset();
    Disk().SetProgramPath("c:\\setup\\install.exe");
  }
}

TEST_F(WayBackTest, OnlyTheSystemAdministratorsAndTheInstallerMayChangeTheProductsFolder) {
  ASSERT_EQ(Run("/S"), 3010);
  EXPECT_EQ(Disk().AccessOf(kDestination), FolderAccess::kProduct);
  EXPECT_EQ(Disk().AccessOf(kDestination + "\\UserParts"), FolderAccess::kShared);
}

// A user may make the product's folder before any installation, with a journal in it that names
// another user's files and a link to them. No installation reads, repairs from or adds to a
// journal no entry of the product names; a destination holding a link is refused, for one user
// as for every user; and the removal, which never follows a link, leaves every file of others.
TEST_F(WayBackTest, AJournalAndALinkPlantedBeforeTheInstallationAreNeverActedOn) {
  const std::string planted = "TOLVEK-JOURNAL\t2\r\nRUN\t1\tINSTALL\tTolvek v4\r\nFILE\t999\t" +
                              kDocument + "\r\nDIR\t" + kEmptyFolder + "\r\nDIR\t" + kDestination +
                              "\\Parts\\jn\r\n";
  Disk().PutFile(kDestination + "\\INSTALL.JNL", planted);
  Disk().MakeDirs(kDestination + "\\Parts");
  Disk().MakeLink(kDestination + "\\Parts\\jn", "c:\\Users\\u2\\Documents");
  const auto before = Others();
  for (const char* arguments : {"/S", "/S /ALLUSERS"}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(Run(arguments), 1603);
    EXPECT_NE(Log().find("contiene, un collegamento"), std::string::npos) << Log();
    EXPECT_EQ(Others(), before);
    EXPECT_TRUE(Disk().DirExists(kEmptyFolder));
    EXPECT_EQ(Disk().FileContent(kDestination + "\\INSTALL.JNL"), planted);
  }
  // Without the link the installation goes on, and neither it nor the removal reads the journal.
  Disk().RemoveDir(kDestination + "\\Parts\\jn");
  ASSERT_EQ(Run("/S"), 3010);
  EXPECT_EQ(Disk().FileContent(kDestination + "\\INSTALL.JNL"), planted);
  EXPECT_EQ(Run(kRemove), 0);
  EXPECT_EQ(Others(), before);
  EXPECT_TRUE(Disk().DirExists(kEmptyFolder));
  EXPECT_EQ(Disk().FileContent(kDestination + "\\INSTALL.JNL"), planted);
}

// An installation made by a version that kept its record and uninstaller in the destination: the
// next installation moves the record into the user's own folder and points the entry there, and
// from then on the record is held to what a file others could write deserves. A forged run cut
// short that names AutoCAD's own acaddoc.lsp, larger than it is, and a user's document with its
// real size and CRC: neither is touched, by the installation nor by the removal.
TEST_F(WayBackTest, AnEarlierVersionsRecordIsMovedAndHeldToLess) {
  const std::string acadDoc = kProfile + "Support\\acaddoc.lsp";
  Disk().PutFile(acadDoc, "(princ \"mine\")\r\n");
  ASSERT_EQ(Run("/S"), 3010);
  // The earlier layout: record and uninstaller in the destination, the entry pointing there.
  const std::string earlier = kDestination + "\\INSTALL.JNL";
  std::string journal = *Disk().FileContent(kJournal);
  const std::string uninstaller = kRecord + "\\UNINSTAL.EXE";
  for (std::size_t at; (at = journal.find(uninstaller)) != std::string::npos;) {
    journal.replace(at, uninstaller.size(), kDestination + "\\UNINSTAL.EXE");
  }
  Disk().PutFile(earlier, journal + "RUN\t7\tINSTALL\tTolvek v4\r\nFILE\t900\t" + acadDoc +
                              "\r\nFILE\t27\t" + kDocument + "\r\nCRC\t" +
                              Hex(toolkit::Crc32(0, "Offerta n. 12\r\nPrezzo 100\r\n", 27)) + "\t" +
                              kDocument + "\r\n");
  Disk().PutFile(kDestination + "\\UNINSTAL.EXE", "MZ installer");
  Disk().Delete(kJournal);
  Disk().Delete(kRecord + "\\UNINSTAL.EXE");
  for (const char* name : {"DisplayIcon", "UninstallString"}) {
    MemReg().SetString(install::kUninstallKey, name, kDestination + "\\UNINSTAL.EXE");
  }
  const std::string moved = *Disk().FileContent(earlier);
  const auto before = Others();

  ASSERT_EQ(Run("/S"), 3010);
  EXPECT_EQ(Disk().FileContent(kRecord + "\\MOVED.JNL"), moved);
  EXPECT_FALSE(Disk().FileExists(earlier));
  EXPECT_FALSE(Disk().FileExists(kDestination + "\\UNINSTAL.EXE"));
  EXPECT_EQ(MemReg().StringValue(install::kUninstallKey, "DisplayIcon"),
            kRecord + "\\UNINSTAL.EXE");
  EXPECT_EQ(Disk().FileContent(acadDoc), "(princ \"mine\")\r\n");
  EXPECT_EQ(Others(), before);

  EXPECT_EQ(Run(kRemove), 1603);
  EXPECT_EQ(Disk().FileContent(acadDoc), "(princ \"mine\")\r\n");
  EXPECT_EQ(Others(), before);
  EXPECT_FALSE(Disk().FileExists(kDestination + "\\Cfg\\tolvek.cfg"));
  EXPECT_EQ(Disk().FileContent(kProfile + "Support\\acad.pgp"), "A, *ARC\r\n");
  EXPECT_NE(Log().find("FILE " + acadDoc), std::string::npos) << Log();
}

}  // namespace
