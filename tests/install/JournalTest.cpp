// The journal is what a rollback, the next run and an uninstaller read: every kind of change must
// come back exactly as it was written, a record cut short by a killed process must keep what
// stands before the cut, runs that were undone must no longer count, and a file that is no
// journal, a later one or a huge one is said to be so rather than read as an empty record.
#include "install/Journal.h"

#include <gtest/gtest.h>

#include "tests/support/HeadlessTest.h"
#include "toolkit/Errors.h"

namespace {

using install::Change;
using install::Journal;
using install::JournalState;
using install::ParseJournal;
using install::RunKind;

const std::string kPath = "c:\\Tolvek4\\INSTALL.JNL";

class JournalTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Disk().MakeDirs("c:\\Tolvek4");
  }

  static install::JournalFile Read() { return install::ReadJournal(kPath); }

  // One run with a change of every kind, the tree's folder noted before the file exists.
  static void WriteEveryKind(Journal& journal) {
    journal.FolderCreated("c:\\Tolvek4");
    journal.Open(kPath, Read());
    journal.FileCreated("c:\\Tolvek4\\tol\\a.dat", 1234);
    journal.FileCreated("c:\\Tolvek4\\tol\\b.dat", 5);
    journal.FileChecksum("c:\\Tolvek4\\tol\\a.dat", 0xCBF43926);
    toolkit::FileSwap swap;
    swap.target = "c:\\acad\\acad.pgp";
    swap.temp = "c:\\acad\\pgp.new";
    swap.backup = "c:\\acad\\pgp.bak";
    swap.aside = "c:\\acad\\pgp.bak~";
    swap.original = {7, 0x12345678};
    swap.written = {52, 0x9ABCDEF0};
    swap.lineEnds = "1L";
    journal.SwapStarts(swap);
    swap.inserted = {{2, "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,"}, {3, "\ta tab"}};
    journal.Rewritten(swap);
    journal.RegistryValueChanged("\\Software\\A\\Variables", "TRUSTEDPATHS", "c:\\b",
                                 std::string("c:\\x;c:\\y"));
    journal.RegistryValueChanged("\\Software\\B", "NEW", "c:\\b", std::nullopt);
    journal.KeyCreated("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek");
    journal.GroupCreated("Tolvek");
  }
};

TEST_F(JournalTest, EveryKindOfChangeReadsBackAsItWasWritten) {
  Journal journal("Tolvek v4", RunKind::kInstall);
  WriteEveryKind(journal);
  journal.Complete();
  const install::JournalFile read = Read();
  ASSERT_EQ(read.state, JournalState::kRead);
  EXPECT_EQ(read.contents.version, install::kJournalVersion);
  EXPECT_FALSE(read.contents.damaged);
  ASSERT_EQ(read.contents.runs.size(), 1u);
  const install::JournalRun& run = read.contents.runs[0];
  EXPECT_EQ(run.number, 1);
  EXPECT_EQ(run.kind, RunKind::kInstall);
  EXPECT_EQ(run.product, "Tolvek v4");
  EXPECT_TRUE(run.complete);
  EXPECT_EQ(run.changes, journal.ThisRun());
  EXPECT_EQ(run.changes.size(), 9u);
  EXPECT_EQ(run.changes[1].crc, 0xCBF43926u);
  EXPECT_EQ(run.changes[2].crc, std::nullopt);
  EXPECT_EQ(run.changes[4].swap.written, (toolkit::FileSum{52, 0x9ABCDEF0}));
  EXPECT_EQ(read.contents.wholeBytes, Disk().FileContent(kPath)->size());
}

// A package's records are held and written at once before the library runs: one write, the same
// bytes as record by record, and nothing held back once it is done.
TEST_F(JournalTest, HeldRecordsReachTheFileInOneWriteAsTheyWouldOneByOne) {
  const auto tell = [](Journal& journal) {
    journal.FolderCreated("c:\\Tolvek4\\parts");
    for (int i = 0; i < 50; ++i) {
      const std::string path = "c:\\Tolvek4\\parts\\f" + std::to_string(i) + ".dwg";
      journal.FileCreated(path, std::uint64_t(i));
      journal.FileChecksum(path, std::uint32_t(i) * 2654435761u);
    }
  };
  std::optional<std::string> expected;
  std::size_t records = 0;
  {
    Journal oneByOne("Tolvek", RunKind::kInstall);
    oneByOne.Open(kPath, Read());
    tell(oneByOne);
    oneByOne.Complete();
    records = oneByOne.ThisRun().size();
  }
  expected = Disk().FileContent(kPath);
  ASSERT_EQ(Disk().Delete(kPath), 0u);

  Journal held("Tolvek", RunKind::kInstall);
  held.Open(kPath, Read());
  const int writesBefore = Disk().CallCount(toolkit::headless::FsOp::kWrite);
  held.HoldRecords();
  tell(held);
  held.WriteHeldRecords();
  EXPECT_EQ(Disk().CallCount(toolkit::headless::FsOp::kWrite) - writesBefore, 1);
  held.FileCreated("c:\\Tolvek4\\after.txt", 1);
  EXPECT_NE(Disk().FileContent(kPath)->find("after.txt"), std::string::npos);
  held.Complete();
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(*Disk().FileContent(kPath), expected->substr(0, expected->size() - 6) +
                                            "FILE\t1\tc:\\Tolvek4\\after.txt\r\nDONE\r\n");
  EXPECT_EQ(held.ThisRun().size(), records + 1);
}

TEST_F(JournalTest, ASecondRunIsAppendedAndAnUndoneOneDropsOut) {
  {
    Journal first("Tolvek v4", RunKind::kInstall);
    WriteEveryKind(first);
    first.Complete();
  }
  {
    Journal second("Tolvek v4", RunKind::kInstall);
    second.Open(kPath, Read());
    second.FileCreated("c:\\Tolvek4\\b.dat", 1);
    second.Forget();
  }
  // A killed run leaves its last line half written: the next run starts its own on a new line.
  Disk().PutFile(kPath, *Disk().FileContent(kPath) + "FILE\t12\tc:\\Tolv");
  Journal third("Tolvek v4", RunKind::kRemoval);
  third.Open(kPath, Read());
  third.FolderCreated("c:\\Tolvek4\\new");
  const install::JournalFile read = Read();
  ASSERT_EQ(read.state, JournalState::kRead);
  EXPECT_FALSE(read.contents.damaged);
  ASSERT_EQ(read.contents.runs.size(), 2u);
  EXPECT_TRUE(read.contents.runs[0].complete);
  // The third run is still going: it is not complete, and it takes the undone run's number.
  EXPECT_FALSE(read.contents.runs[1].complete);
  EXPECT_EQ(read.contents.runs[1].number, 2);
  EXPECT_EQ(read.contents.runs[1].kind, RunKind::kRemoval);
  EXPECT_EQ(read.contents.runs[1].changes.size(), 1u);
}

TEST_F(JournalTest, ForgettingTheOnlyRunRemovesTheJournalItMade) {
  Journal journal("Tolvek v4", RunKind::kInstall);
  WriteEveryKind(journal);
  journal.Forget();
  EXPECT_FALSE(Disk().FileExists(kPath));
  EXPECT_EQ(journal.ThisRun().size(), 9u);
}

// A process killed while writing leaves its last line without a line end, or a line cut anywhere.
TEST_F(JournalTest, ARecordCutShortKeepsWhatStandsBeforeTheCut) {
  Journal journal("Tolvek v4", RunKind::kInstall);
  WriteEveryKind(journal);
  const std::string whole = *Disk().FileContent(kPath);
  std::size_t lastComplete = 0;
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    const auto read = ParseJournal(whole.substr(0, cut));
    if (cut < whole.find("\r\n") + 2) {
      EXPECT_FALSE(read.has_value()) << cut;
      continue;
    }
    ASSERT_TRUE(read.has_value()) << cut;
    EXPECT_FALSE(read->damaged) << cut;
    std::size_t changes = read->runs.empty() ? 0 : read->runs[0].changes.size();
    EXPECT_GE(changes, lastComplete) << "a longer record told less, at " << cut;
    lastComplete = changes;
    // What was read is always a prefix of what was written, a patch never without all its lines.
    for (std::size_t i = 0; i < changes; ++i) {
      const Change& got = read->runs[0].changes[i];
      const Change& wrote = journal.ThisRun()[i];
      EXPECT_EQ(got.kind, wrote.kind) << cut;
      EXPECT_EQ(got.path, wrote.path) << cut;
      EXPECT_EQ(got.swap.inserted, wrote.swap.inserted) << cut;
    }
  }
  EXPECT_EQ(lastComplete, 9u);
}

// A journal of the first version is read, and the next run takes it to the current one.
TEST_F(JournalTest, AFirstVersionJournalIsReadAndCarriedOn) {
  Disk().PutFile(kPath,
                 "TOLVEK-JOURNAL\t1\r\nRUN\t1\tTolvek v4\r\nFILE\t3\tc:\\Tolvek4\\a.dat\r\n"
                 "PATCH\t1\tc:\\acad\\acad.pgp\tc:\\acad\\pgp.new\tc:\\acad\\pgp.bak\t"
                 "c:\\acad\\pgp.bak~\r\nINSERT\t2\tRUN\r\nDONE\r\nRUN\t2\tTolvek v4 -\r\n");
  install::JournalFile read = Read();
  ASSERT_EQ(read.state, JournalState::kRead);
  ASSERT_EQ(read.contents.runs.size(), 2u);
  EXPECT_EQ(read.contents.runs[1].kind, RunKind::kRemoval);
  const Change patch = read.contents.runs[0].changes[1];
  EXPECT_FALSE(patch.summed);
  EXPECT_EQ(patch.swap.inserted.size(), 1u);
  Journal next("Tolvek v4", RunKind::kInstall);
  next.Open(kPath, read);
  next.Complete();
  read = Read();
  EXPECT_EQ(read.contents.version, install::kJournalVersion);
  ASSERT_EQ(read.contents.runs.size(), 3u);
  EXPECT_TRUE(read.contents.runs[2].complete);
  EXPECT_EQ(read.contents.runs[0].changes,
            (std::vector<Change>{read.contents.runs[0].changes[0], patch}));
}

// The journal's texts are UTF-8 from version 3 on; a journal of version 2, written in code page
// 1252, is read with its names converted and carried on by a run of version 3, and each run is
// read in its own encoding after the first line says 3. An inserted line is the bytes put into
// the AutoCAD file, in that file's encoding: never converted, in either kind of run.
TEST_F(JournalTest, EachRunIsReadInTheEncodingItWasWrittenIn) {
  const std::string cp1252Run =
      "RUN\t1\tINSTALL\tTolvek v4\r\nDIR\tc:\\Tolvek4\\Citt\xE0\r\n"
      "FILE\t3\tc:\\Tolvek4\\Citt\xE0\\a.dat\r\nCRC\t0000002A\tc:\\Tolvek4\\Citt\xE0\\a.dat\r\n"
      "PATCH\t1\tc:\\caf\xE8\\acad.pgp\tc:\\caf\xE8\\pgp.new\tc:\\caf\xE8\\pgp.bak\t"
      "c:\\caf\xE8\\pgp.bak~\t7\t00000001\t9\t00000002\t1W\r\nINSERT\t2\t;caf\xE8\r\n"
      "REG\t1\t\\Software\\A\tTRUSTEDPATHS\tc:\\b\xE8\tc:\\x\xE8\r\nDONE\r\n";
  Disk().PutFile(kPath, "TOLVEK-JOURNAL\t2\r\n" + cp1252Run);
  install::JournalFile read = Read();
  ASSERT_EQ(read.state, JournalState::kRead);
  const auto check = [](const install::JournalRun& run) {
    ASSERT_EQ(run.changes.size(), 4u);
    EXPECT_EQ(run.changes[0].path, "c:\\Tolvek4\\Citt\xC3\xA0");
    EXPECT_EQ(run.changes[1].path, "c:\\Tolvek4\\Citt\xC3\xA0\\a.dat");
    EXPECT_EQ(run.changes[1].crc, 42u);
    EXPECT_EQ(run.changes[2].swap.target, "c:\\caf\xC3\xA8\\acad.pgp");
    EXPECT_EQ(run.changes[2].swap.aside, "c:\\caf\xC3\xA8\\pgp.bak~");
    EXPECT_EQ(run.changes[2].swap.inserted.at(0).text, ";caf\xE8");
    EXPECT_EQ(run.changes[3].added, "c:\\b\xC3\xA8");
    EXPECT_EQ(run.changes[3].before, "c:\\x\xC3\xA8");
  };
  check(read.contents.runs.at(0));

  // A later run of a user whose name code page 1252 cannot hold, carried on in UTF-8.
  Journal next("Tolvek v4", RunKind::kInstall);
  next.FolderCreated("c:\\Users\\\xC5\x81ukasz\\Tolvek");
  next.Open(kPath, read);
  toolkit::FileSwap swap;
  swap.target = "c:\\Users\\\xC5\x81ukasz\\acad.pgp";
  swap.temp = swap.backup = swap.aside = swap.target + "~";
  swap.inserted = {{1, "\xEF\xBB\xBF;\xD0\xA3"}};
  next.Rewritten(swap);
  next.Complete();
  read = Read();
  EXPECT_TRUE(Disk().FileContent(kPath)->starts_with("TOLVEK-JOURNAL\t3\r\n" + cp1252Run));
  ASSERT_EQ(read.contents.runs.size(), 2u);
  check(read.contents.runs[0]);
  EXPECT_EQ(read.contents.runs[1].changes, next.ThisRun());
  EXPECT_EQ(read.contents.runs[1].changes[0].path, "c:\\Users\\\xC5\x81ukasz\\Tolvek");
}

// What cannot be used is said to be so, and never written over.
TEST_F(JournalTest, AJournalThatCannotBeUsedIsNamedAndLeftAlone) {
  const struct {
    const char* what;
    std::string text;
    JournalState state;
    bool damaged;
  } rows[] = {
      {"random bytes", std::string("\x8F\x01zq\r\n\x00\xFF", 8), JournalState::kUnreadable, false},
      {"a later version", "TOLVEK-JOURNAL\t4\r\nRUN\t1\tINSTALL\tX\r\n", JournalState::kNewer,
       false},
      {"a version zero", "TOLVEK-JOURNAL\t0\r\n", JournalState::kUnreadable, false},
      {"past the size limit", std::string(install::kJournalSizeLimit + 1, 'x'),
       JournalState::kTooLarge, false},
      {"a line not understood",
       "TOLVEK-JOURNAL\t2\r\nRUN\t1\tINSTALL\tX\r\nDIR\tc:\\a\r\nODD\r\nDIR\tc:\\b\r\n",
       JournalState::kRead, true},
      {"a patch without its lines",
       "TOLVEK-JOURNAL\t1\r\nRUN\t1\tX\r\nPATCH\t2\ta\tb\tc\td\r\nINSERT\t1\tx\r\nDONE\r\n",
       JournalState::kRead, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Disk().PutFile(kPath, row.text);
    const install::JournalFile read = Read();
    EXPECT_EQ(read.state, row.state);
    EXPECT_EQ(read.contents.damaged, row.damaged);
    EXPECT_EQ(install::WhatIsWrongWith(read).has_value(), true);
    Journal journal("Tolvek v4", RunKind::kInstall);
    EXPECT_THROW(journal.Open(kPath, read), toolkit::Exception);
    EXPECT_EQ(Disk().FileContent(kPath), row.text);
  }
  // What stands before a line not understood is still known.
  Disk().PutFile(kPath, rows[4].text);
  EXPECT_EQ(Read().contents.runs.at(0).changes.size(), 1u);
}

}  // namespace
