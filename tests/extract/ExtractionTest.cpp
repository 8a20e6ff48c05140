// Extracting packages from the medium: where each package's files land, the disk prompt with its
// numbering and its answers, the folder left current, and the mends that keep a broken or
// misdirected extraction from passing for a good one.
#include "app/Session.h"
#include "extract/Extraction.h"

#include <gtest/gtest.h>

#include "app/MainDlg.h"
#include "config/Vars.h"
#include "extract/PackageTable.h"
#include "extract/UnzipBinding.h"
#include "tests/support/Cp1252.h"
#include "tests/support/DialogTest.h"
#include "tests/support/Medium.h"
#include "tests/support/RecordedChanges.h"
#include "tests/unzip/TestArchive.h"
#include "toolkit/FileSystem.h"
#include "toolkit/headless/HeadlessLibraries.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using testing_support::WriteMedium;
using testing_support::WritePackage;

class ExtractionTest : public testing_support::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    app::TheSession().state.diskNumber = 1;
    Disk().MakeDirs("c:\\target");
  }

  // Runs `action` as the user's press of the install button would: errors go to the handler.
  void AsUserAction(const std::function<void()>& action) { App().Dispatch(action); }

  void Extract(const std::string& package, const std::string& target, const std::string& spec = "",
               toolkit::ChangeRecorder& recorder = toolkit::NoRecording()) {
    AsUserAction([&] {
      extract::ExtractPackage(Dlg().FrontEnd(), "c:\\setup" + package, target, spec, recorder);
    });
  }
};

TEST_F(ExtractionTest, APresentPackageIsExtractedWithoutAPrompt) {
  WriteMedium(Disk(), "c:\\setup");
  Extract("\\cfg-acad.pck", "c:\\target\\");
  EXPECT_EQ(Disk().FileContent("c:\\target\\tolvek.cfg"), "[cfg]\r\nunits=mm\r\n");
  EXPECT_EQ(app::TheSession().state.diskNumber, 1);
  EXPECT_EQ(extract::UnzipRecord().FileSpecCount, 0);
}

TEST_F(ExtractionTest, AFileSpecificationExtractsOnlyThatFile) {
  WriteMedium(Disk(), "c:\\setup");
  Extract("\\cad-acad.pck", "c:\\target\\", "tkicon2.bmp");
  EXPECT_EQ(Disk().List("c:\\target"), std::vector<std::string>{"tkicon2.bmp"});
  EXPECT_EQ(extract::UnzipRecord().FileSpecCount, 1);
}

TEST_F(ExtractionTest, ThePackagesFolderIsCurrentAfterwards) {
  WriteMedium(Disk(), "c:\\setup");
  Extract("\\cfg-acad.pck", "c:\\target\\");
  EXPECT_EQ(Fs().CurrentDir(), "c:\\setup");
}

TEST_F(ExtractionTest, APackageInADrivesRootKeepsTheRootCurrent) {
  Disk().AddDrive('a');
  WritePackage(Disk(), "a:\\cfg-acad.pck", {{"x.cfg", "x"}});
  AsUserAction([&] {
    extract::ExtractPackage(Dlg().FrontEnd(), "a:\\cfg-acad.pck", "c:\\target\\", "",
                            toolkit::NoRecording());
  });
  EXPECT_EQ(Disk().FileContent("c:\\target\\x.cfg"), "x");
  EXPECT_EQ(Fs().CurrentDir(), "a:\\");
}

TEST_F(ExtractionTest, FolderOfKeepsADrivesRootBackslash) {
  EXPECT_EQ(extract::FolderOf("c:\\setup\\tk.pck"), "c:\\setup");
  EXPECT_EQ(extract::FolderOf("a:\\tk.pck"), "a:\\");
  EXPECT_EQ(extract::FolderOf("a:tk.pck"), "a:");
  EXPECT_EQ(extract::FolderOf("\\\\server\\tk.pck"), "\\\\server");
  EXPECT_EQ(extract::FolderOf("tk.pck"), "");
}

TEST_F(ExtractionTest, AllPackagesGoToTheirFoldersWithoutAnyPrompt) {
  WriteMedium(Disk(), "c:\\setup");
  config::Vars.SourceDir = "c:\\setup";
  Disk().MakeDirs("c:\\Tolvek4\\Parts\\Pneumatica\\Img");
  for (const char* folder : {"Acrobat", "Help", "Images", "Tol"}) {
    Disk().MakeDirs(std::string("c:\\Tolvek4\\") + folder);
  }
  for (const char* folder : {"Bin", "Harvo", "Vimora", "Img", "Quessa", "Dulma", "Kx", "Corvani"}) {
    Disk().MakeDirs(std::string("c:\\Tolvek4\\Parts\\") + folder);
  }
  AsUserAction([&] {
    extract::ExtractAllPackages(Dlg().FrontEnd(), "c:\\Tolvek4", toolkit::NoRecording());
  });
  EXPECT_EQ(app::TheSession().state.diskNumber, 1);
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\tk.pck.dat"), "data of tk.pck");
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Acrobat\\acrobat.pck.dat"), "data of acrobat.pck");
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Parts\\Pneumatica\\Img\\parts-pneumatica-img.pck.dat"),
            "data of parts-pneumatica-img.pck");
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Parts\\Pneumatica\\sub\\parts-pneumatica.pck.txt"),
            std::string(70000, 'x') + "parts-pneumatica.pck");
  // Nothing was written beside the packages on the medium.
  EXPECT_EQ(Disk().List("c:\\setup").size(), 19u);  // the packages and install.exe
}

using RecordingJournal = testing_support::RecordedChanges;

// Only what the package makes counts as created, whatever the spelling of a name already there,
// and a name the package holds twice is one file. Plain names are told before the library runs,
// a name beyond ASCII as the library starts it; both get their CRC, and an empty folder of the
// package is a folder created.
TEST_F(ExtractionTest, TheJournalHearsOfTheFilesAndFoldersThePackageCreatesAndNoOthers) {
  Disk().PutFile("c:\\target\\Readme.TXT", "user's");
  Disk().PutFile("c:\\target\\Parts\\Old.dwg", "old");
  Disk().PutFile(Cp1252("c:\\target\\Parts\\Citt\xE0.dwg"), "old");
  Disk().MakeDirs("c:\\target\\Parts\\Empty");
  std::vector<unzip::test::TestMember> members;
  for (const char* name :
       {"readme.txt", "parts/old.dwg", "Parts/New.dwg", "PARTS/citt\xE0.dwg", "img/a.bmp",
        "Img/Sub/b.bmp", "dup.txt", "DUP.TXT", "parts/empty/c.dwg", "img/ru\xE8.bmp", "blank/"}) {
    unzip::test::TestMember member;
    member.name = name;
    member.content = name;
    members.push_back(member);
  }
  const auto bytes = unzip::test::MakeArchive(members);
  Disk().PutFile("c:\\setup\\tol.pck", std::string(bytes.begin(), bytes.end()));
  RecordingJournal journal;
  Extract("\\tol.pck", "c:\\target\\", "", journal);
  EXPECT_EQ(journal.folders, (std::vector<std::string>{"c:\\target\\img", "c:\\target\\Img\\Sub",
                                                       "c:\\target\\blank"}));
  const std::vector<std::string> created = {
      "c:\\target\\Parts\\New.dwg",      "c:\\target\\img\\a.bmp",
      "c:\\target\\Img\\Sub\\b.bmp",     "c:\\target\\dup.txt",
      "c:\\target\\parts\\empty\\c.dwg", Cp1252("c:\\target\\img\\ru\xE8.bmp")};
  EXPECT_EQ(journal.files, created);
  EXPECT_EQ(journal.checked, created);
  EXPECT_TRUE(Disk().DirExists("c:\\target\\blank"));
  EXPECT_EQ(Disk().FileContent("c:\\target\\Parts\\New.dwg"), "Parts/New.dwg");
}

// A member the library refuses to write (outside its folder, a device) is never told as a file
// of the target: undoing the installation must not reach beyond the folder.
TEST_F(ExtractionTest, TheJournalIsNeverToldOfAPathTheLibraryRefuses) {
  std::vector<unzip::test::TestMember> members;
  for (const char* name :
       {"ok.txt", "../outside.txt", "sub/../../up.txt", "sub/NUL.txt", "Conin$.log", "lpt1 .txt"}) {
    members.push_back({.name = name, .content = "x"});
  }
  const auto bytes = unzip::test::MakeArchive(members);
  Disk().PutFile("c:\\setup\\tol.pck", std::string(bytes.begin(), bytes.end()));
  RecordingJournal journal;
  headless::ExpectBox(BoxKind::kError,
                      config::FormatMessage(config::Vars.MsgFileNameRefused,
                                            {"c:\\setup\\tol.pck", "../outside.txt"}));
  Extract("\\tol.pck", "c:\\target\\", "", journal);
  EXPECT_EQ(journal.files, std::vector<std::string>{"c:\\target\\ok.txt"});
  EXPECT_EQ(journal.checked, journal.files);
}

// A record that cannot be written while the library runs (a journal whose disk just filled) stops
// the library and is raised again once it has returned: the library knows nothing of C++ errors,
// and the installation must get the error to undo what it did.
TEST_F(ExtractionTest, AnErrorInTheCallbackStopsTheLibraryAndIsRaisedAfterIt) {
  std::vector<unzip::test::TestMember> members;
  // A name beyond ASCII is told to the journal as the library starts it, from the callback.
  for (const char* name : {"first.txt", "caff\xE8.txt", "last.txt"}) {
    members.push_back({.name = name, .content = name});
  }
  const auto bytes = unzip::test::MakeArchive(members);
  Disk().PutFile("c:\\setup\\tol.pck", std::string(bytes.begin(), bytes.end()));
  struct Refusing : RecordingJournal {
    void FileCreated(const std::string& path, std::uint64_t size) override {
      if (path.find("\xC3\xA8") != std::string::npos) throw EInOutError(kErrAccessDenied);
      RecordingJournal::FileCreated(path, size);
    }
  } journal;
  headless::ExpectBox(BoxKind::kError, "File access denied");
  Extract("\\tol.pck", "c:\\target\\", "", journal);
  EXPECT_EQ(Disk().List("c:\\target"), std::vector<std::string>{"first.txt"});
  // The error went with the call: the next extraction of the package writes it whole.
  Extract("\\tol.pck", "c:\\target\\");
  EXPECT_EQ(Disk().List("c:\\target").size(), 3u);
}

TEST_F(ExtractionTest, AMissingPackageAsksForTheNextDiskUntilItIsThere) {
  WriteMedium(Disk(), "c:\\setup", {"\\cfg-acad.pck"});
  Show([&] {
    // OK while the disk is still missing: the same prompt again, with the same number.
    headless::ExpectBox(BoxKind::kInformation, "Inserire il disco Nr. 2", mrOk);
    headless::ExpectBoxThen(BoxKind::kInformation, "Inserire il disco Nr. 2", mrOk, [&] {
      WritePackage(Disk(), "c:\\setup\\cfg-acad.pck", {{"disk2.cfg", "2"}});
    });
    Extract("\\cfg-acad.pck", "c:\\target\\");
  });
  EXPECT_EQ(Disk().FileContent("c:\\target\\disk2.cfg"), "2");
  EXPECT_EQ(app::TheSession().state.diskNumber, 2);
  EXPECT_EQ(headless::ShownBoxes()[0].title, "Information");
  EXPECT_EQ(headless::ShownBoxes()[0].buttons, unsigned(mbOK | mbCancel));
}

TEST_F(ExtractionTest, ASecondMissingPackageAsksForDiskThree) {
  Show([&] {
    headless::ExpectBoxThen(BoxKind::kInformation, "Inserire il disco Nr. 2", mrOk, [&] {
      WritePackage(Disk(), "c:\\setup\\cfg-acad.pck", {{"a", "a"}});
    });
    headless::ExpectBoxThen(BoxKind::kInformation, "Inserire il disco Nr. 3", mrOk, [&] {
      WritePackage(Disk(), "c:\\setup\\hlp-acad.pck", {{"b", "b"}});
    });
    Extract("\\cfg-acad.pck", "c:\\target\\");
    Extract("\\hlp-acad.pck", "c:\\target\\");
  });
  EXPECT_EQ(app::TheSession().state.diskNumber, 3);
}

TEST_F(ExtractionTest, CancelThenNoAsksAgainAndCancelThenYesAbandonsSilently) {
  bool after = false;
  Show([&] {
    headless::ExpectBox(BoxKind::kInformation, "Inserire il disco Nr. 2", mrCancel);
    headless::ExpectBox(BoxKind::kInformation, "Sicuri di volere abbandonare l'installazione ?",
                        mrNo);
    headless::ExpectBox(BoxKind::kInformation, "Inserire il disco Nr. 2", mrCancel);
    headless::ExpectBox(BoxKind::kInformation, "Sicuri di volere abbandonare l'installazione ?",
                        mrYes);
    AsUserAction([&] {
      extract::ExtractPackage(Dlg().FrontEnd(), "c:\\setup\\cfg-acad.pck", "c:\\target\\", "",
                              toolkit::NoRecording());
      after = true;
    });
  });
  EXPECT_FALSE(after);
  EXPECT_EQ(headless::ShownBoxes()[1].buttons, unsigned(mbYes | mbNo));
  // Abandoning shows nothing more: the four boxes above were all.
  EXPECT_EQ(headless::ShownBoxes().size(), 4u);
}

TEST_F(ExtractionTest, TheCancelFlagIsClearedAfterAnExtraction) {
  WriteMedium(Disk(), "c:\\setup");
  app::TheSession().state.cancelRequested = true;
  // The callback asks the library to stop, so the package counts as not extracted.
  headless::ExpectBox(BoxKind::kError, config::FormatMessage(config::Vars.MsgPackageUnreadable,
                                                             {"c:\\setup\\cfg-acad.pck"}));
  Extract("\\cfg-acad.pck", "c:\\target\\");
  EXPECT_TRUE(Disk().List("c:\\target").empty());
  EXPECT_FALSE(app::TheSession().state.cancelRequested);
}

// A package of a good member and one that fails as `spoil` makes it.
void WriteBrokenPackage(headless::MemoryFileSystem& disk,
                        const std::function<void(unzip::test::TestMember&)>& spoil) {
  unzip::test::TestMember good;
  good.name = "good.dat";
  good.content = "fine";
  unzip::test::TestMember bad;
  bad.name = "bad.dat";
  bad.content = "damaged";
  spoil(bad);
  auto bytes = unzip::test::MakeArchive({good, bad});
  disk.PutFile("c:\\setup\\cfg-acad.pck", std::string(bytes.begin(), bytes.end()));
}

void FailCrc(unzip::test::TestMember& member) { member.crc = 0x12345678; }

// What the user can do about a broken package depends on why it broke: a damaged member means a
// bad copy of the medium, a refused name a bad medium. Those two name the member, in the
// configuration's language; any other loss keeps the count of files not written.
TEST_F(ExtractionTest, ABrokenPackageEndsTheInstallationWithAnErrorSayingWhatBroke) {
  struct Case {
    int language;
    std::function<void(unzip::test::TestMember&)> spoil;
    std::string message;
  };
  const auto climbOut = [](unzip::test::TestMember& member) { member.name = "../bad.dat"; };
  const auto encrypt = [](unzip::test::TestMember& member) { member.flags = 1; };
  const std::vector<Case> cases = {
      {1, FailCrc,
       Cp1252(
           "Il pacchetto c:\\setup\\cfg-acad.pck \xE8 danneggiato: il file bad.dat non supera il "
           "controllo (CRC).\r\nCopiare di nuovo il supporto di installazione e ripetere "
           "l'installazione.")},
      {2, FailCrc,
       "The package c:\\setup\\cfg-acad.pck is damaged: the file bad.dat fails its check "
       "(CRC).\r\nCopy the installation medium again, then install again."},
      {1, climbOut,
       Cp1252("Il pacchetto c:\\setup\\cfg-acad.pck contiene un nome di file che non pu\xF2 essere "
              "usato: ../bad.dat")},
      {2, climbOut,
       "The package c:\\setup\\cfg-acad.pck contains a file name that cannot be used: "
       "../bad.dat"},
      {1, encrypt,
       Cp1252("Il pacchetto c:\\setup\\cfg-acad.pck non \xE8 stato estratto del tutto: 1 file non "
              "sono "
              "stati scritti.")},
      {2, encrypt,
       "The package c:\\setup\\cfg-acad.pck was not extracted in full: 1 files were not "
       "written."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Configure(c.language, 1);
    WriteBrokenPackage(Disk(), c.spoil);
    headless::ExpectBox(BoxKind::kError, c.message);
    Extract("\\cfg-acad.pck", "c:\\target\\");
    EXPECT_EQ(Disk().FileContent("c:\\target\\good.dat"), "fine");
    EXPECT_FALSE(Disk().FileContent("c:\\target\\bad.dat"));
    EXPECT_FALSE(Disk().FileContent("c:\\bad.dat"));
  }
}

TEST_F(ExtractionTest, AnOlderLibraryWithoutTheFailureReportStillCountsTheFilesNotWritten) {
  headless::FakeLibraries().RemoveEntryPoint("UnzDllLastFailure");
  // Loaded again without a word: any box would fail the test.
  extract::UnloadUnzipLibrary();
  extract::LoadUnzipLibrary(Dlg().FrontEnd());
  ASSERT_NE(extract::UnzDllExec(), nullptr);
  EXPECT_EQ(extract::LastUnzipFailure().Reason, kUnzipFailureNone);
  WriteBrokenPackage(Disk(), FailCrc);
  headless::ExpectBox(BoxKind::kError, config::FormatMessage(config::Vars.MsgPackageIncomplete,
                                                             {"c:\\setup\\cfg-acad.pck", "1"}));
  Extract("\\cfg-acad.pck", "c:\\target\\");
  EXPECT_FALSE(Disk().FileContent("c:\\target\\bad.dat"));
}

TEST_F(ExtractionTest, AFullDiskMidFileLeavesNoHalfFile) {
  WritePackage(Disk(), "c:\\setup\\hlp.pck", {{"big.dat", std::string(200000, 'b')}});
  Disk().SetCapacity(Disk().Snapshot().begin()->second.size() + 100000);
  // The disk is named as full, with the room the package needs: under 1 MB free, 1 MB needed.
  headless::ExpectBox(BoxKind::kError,
                      config::FormatMessage(config::Vars.MsgNoRoom, {"c:\\target", "1", "0"}));
  Extract("\\hlp.pck", "c:\\target\\");
  EXPECT_TRUE(Disk().List("c:\\target").empty());
}

TEST_F(ExtractionTest, WithoutTheLibraryNothingIsCalledAndTheInstallationEnds) {
  WriteMedium(Disk(), "c:\\setup");
  extract::UnloadUnzipLibrary();
  headless::ExpectBox(BoxKind::kError, config::Vars.MsgLibraryMissing);
  Extract("\\cfg-acad.pck", "c:\\target\\");
  EXPECT_TRUE(Disk().List("c:\\target").empty());
}

TEST_F(ExtractionTest, ATargetThatCannotBeEnteredStopsBeforeTheMediumIsWrittenTo) {
  WriteMedium(Disk(), "c:\\setup");
  headless::ExpectBox(BoxKind::kError, "File not found");
  Extract("\\cfg-acad.pck", "c:\\missing\\");
  EXPECT_EQ(Disk().List("c:\\setup").size(), 19u);  // the packages and install.exe
  EXPECT_FALSE(Disk().FileContent("c:\\setup\\tolvek.cfg"));
}

TEST_F(ExtractionTest, PathsTooLongForTheLibrarysBuffersAreRefused) {
  std::string folder = "c:\\" + std::string(250, 'f');
  Disk().MakeDirs(folder);
  WritePackage(Disk(), folder + "\\cfg-acad.pck", {{"x", "x"}});
  headless::ExpectBox(BoxKind::kError, config::FormatMessage(config::Vars.MsgPathTooLong,
                                                             {folder + "\\cfg-acad.pck"}));
  AsUserAction([&] {
    extract::ExtractPackage(Dlg().FrontEnd(), folder + "\\cfg-acad.pck", "c:\\target\\", "",
                            toolkit::NoRecording());
  });
  EXPECT_TRUE(Disk().List("c:\\target").empty());
}

}  // namespace
