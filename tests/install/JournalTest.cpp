// The journal is what a rollback, the next run and an uninstaller read: every kind of change must
// come back exactly as it was written, a record cut short by a killed process must keep what
// stands before the cut, and runs that were undone must no longer count.
#include "install/Journal.h"

#include <gtest/gtest.h>

#include "tests/support/HeadlessTest.h"

namespace {

using install::Change;
using install::Journal;
using install::ParseJournal;

const std::string kPath = "c:\\Tolvek4\\INSTALL.JNL";

class JournalTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Disk().MakeDirs("c:\\Tolvek4");
  }

  // One run with a change of every kind, the tree's folder noted before the file exists.
  static void WriteEveryKind(Journal& journal) {
    journal.FolderCreated("c:\\Tolvek4");
    journal.Open(kPath);
    journal.FileCreated("c:\\Tolvek4\\tol\\a.dat", 1234);
    journal.FileCreated("c:\\Tolvek4\\tol\\b.dat", 5);
    journal.FileChecksum("c:\\Tolvek4\\tol\\a.dat", 0xCBF43926);
    const cad::RewritePaths paths{"c:\\acad\\acad.pgp", "c:\\acad\\pgp.new", "c:\\acad\\pgp.bak",
                                  "c:\\acad\\pgp.bak~"};
    journal.SwapStarts(paths);
    journal.Rewritten(paths, {{7, "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,"}, {8, "\ta tab"}});
    journal.RegistryValueChanged("\\Software\\A\\Variables", "TRUSTEDPATHS", "c:\\b",
                                 std::string("c:\\x;c:\\y"));
    journal.RegistryValueChanged("\\Software\\B", "NEW", "c:\\b", std::nullopt);
    journal.KeyCreated("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek");
    journal.GroupCreated("Tolvek");
  }
};

TEST_F(JournalTest, EveryKindOfChangeReadsBackAsItWasWritten) {
  Journal journal("Tolvek v4");
  WriteEveryKind(journal);
  journal.Complete();
  const auto read = install::ReadJournal(kPath);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->version, install::kJournalVersion);
  ASSERT_EQ(read->runs.size(), 1u);
  EXPECT_EQ(read->runs[0].number, 1);
  EXPECT_EQ(read->runs[0].product, "Tolvek v4");
  EXPECT_TRUE(read->runs[0].complete);
  EXPECT_EQ(read->runs[0].changes, journal.ThisRun());
  EXPECT_EQ(read->runs[0].changes.size(), 9u);
  EXPECT_EQ(read->runs[0].changes[1].crc, 0xCBF43926u);
  EXPECT_EQ(read->runs[0].changes[2].crc, std::nullopt);
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
    Journal oneByOne("Tolvek");
    oneByOne.Open(kPath);
    tell(oneByOne);
    oneByOne.Complete();
    records = oneByOne.ThisRun().size();
  }
  expected = Disk().FileContent(kPath);
  ASSERT_EQ(Disk().Delete(kPath), 0u);

  Journal held("Tolvek");
  held.Open(kPath);
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
    Journal first("Tolvek v4");
    WriteEveryKind(first);
    first.Complete();
  }
  {
    Journal second("Tolvek v4");
    second.Open(kPath);
    second.FileCreated("c:\\Tolvek4\\b.dat", 1);
    second.Forget();
  }
  Journal third("Tolvek v4");
  third.Open(kPath);
  third.FolderCreated("c:\\Tolvek4\\new");
  const auto read = install::ReadJournal(kPath);
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->runs.size(), 2u);
  EXPECT_TRUE(read->runs[0].complete);
  // The third run is still going: it is not complete, and it takes the undone run's number.
  EXPECT_FALSE(read->runs[1].complete);
  EXPECT_EQ(read->runs[1].number, 2);
  EXPECT_EQ(read->runs[1].changes.size(), 1u);
}

TEST_F(JournalTest, ForgettingTheOnlyRunRemovesTheJournalItMade) {
  Journal journal("Tolvek v4");
  WriteEveryKind(journal);
  journal.Forget();
  EXPECT_FALSE(Disk().FileExists(kPath));
  EXPECT_EQ(journal.ThisRun().size(), 9u);
}

// A process killed while writing leaves its last line without a line end, or a line cut anywhere.
TEST_F(JournalTest, ARecordCutShortKeepsWhatStandsBeforeTheCut) {
  Journal journal("Tolvek v4");
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
    std::size_t changes = read->runs.empty() ? 0 : read->runs[0].changes.size();
    EXPECT_GE(changes, lastComplete) << "a longer record told less, at " << cut;
    lastComplete = changes;
    // What was read is always a prefix of what was written.
    for (std::size_t i = 0; i < changes; ++i) {
      const Change& got = read->runs[0].changes[i];
      const Change& wrote = journal.ThisRun()[i];
      EXPECT_EQ(got.kind, wrote.kind) << cut;
      EXPECT_EQ(got.path, wrote.path) << cut;
    }
  }
  EXPECT_EQ(lastComplete, 9u);
}

TEST_F(JournalTest, AForeignOrLaterFormatIsNotGuessedAt) {
  EXPECT_FALSE(ParseJournal("hello\r\n").has_value());
  EXPECT_FALSE(ParseJournal("").has_value());
  const auto later = ParseJournal("TOLVEK-JOURNAL\t2\r\nRUN\t1\tX\r\nSOMETHING\tnew\r\n");
  ASSERT_TRUE(later.has_value());
  EXPECT_EQ(later->version, 2);
  EXPECT_TRUE(later->runs.empty());
  // An unknown line ends the reading; what came before it stays.
  const auto odd =
      ParseJournal("TOLVEK-JOURNAL\t1\r\nRUN\t1\tX\r\nDIR\tc:\\a\r\nODD\r\nDIR\tc:\\b\r\n");
  ASSERT_TRUE(odd.has_value());
  ASSERT_EQ(odd->runs.size(), 1u);
  EXPECT_EQ(odd->runs[0].changes.size(), 1u);
}

}  // namespace
