// The binding to INSTALL.DLL: what a missing or incomplete library says at start-up, the record's
// defaults, and the progress callback's arithmetic, which decides what the user sees of a file
// being copied.
#include "app/Session.h"
#include "extract/UnzipBinding.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/MainDlg.h"
#include "config/Vars.h"
#include "tests/support/DialogTest.h"
#include "toolkit/headless/HeadlessLibraries.h"

namespace {

using namespace toolkit;
using headless::FakeLibraries;

class UnzipBindingTest : public testing_support::DialogTest {
 protected:
  // Reports code 1 for a file of `size` bytes through the callback, as the library does.
  std::int32_t FileStarts(std::int32_t size, const char* name = "part.dat") {
    UnzipCallbackInfo info{};
    info.Caller = &Dlg().FrontEnd();
    info.ActionCode = kUnzipActionFileStarts;
    info.FileSize = size;
    std::strncpy(info.FileName, name, sizeof info.FileName - 1);
    return extract::UnzipCallback(&info);
  }

  std::int32_t Report(std::int32_t code) {
    UnzipCallbackInfo info{};
    info.Caller = &Dlg().FrontEnd();
    info.ActionCode = code;
    return extract::UnzipCallback(&info);
  }

  // Loads the library again, after the dialog's own load at creation.
  void Reload() {
    extract::UnloadUnzipLibrary();
    extract::LoadUnzipLibrary(Dlg().FrontEnd());
  }
};

TEST_F(UnzipBindingTest, ThePresentLibraryLoadsSilentlyWithCriticalErrorsOff) {
  EXPECT_NE(extract::UnzDllExec(), nullptr);
  EXPECT_EQ(FakeLibraries().ErrorModes(), (std::vector<unsigned>{3, 0}));
  EXPECT_EQ(FakeLibraries().LoadedCount(), 1);
}

TEST_F(UnzipBindingTest, AMissingLibraryIsReportedOnce) {
  for (LibraryHandle failed : {LibraryHandle(0), LibraryHandle(1), LibraryHandle(32)}) {
    FakeLibraries().SetLoadResult(failed);
    headless::ExpectBox(BoxKind::kPlain, "INSTALL.DLL not found");
    Reload();
    EXPECT_EQ(extract::UnzDllExec(), nullptr) << failed;
  }
  EXPECT_EQ(headless::ShownBoxes().back().title, "KOVIA Install");
}

TEST_F(UnzipBindingTest, AHandleAboveThirtyTwoIsALoadedLibrary) {
  FakeLibraries().SetLoadResult(33);
  Reload();
  EXPECT_NE(extract::UnzDllExec(), nullptr);
}

TEST_F(UnzipBindingTest, EachMissingEntryPointIsReportedAndTheErrorModeIsRestored) {
  FakeLibraries().RemoveEntryPoint("UnzDllExec");
  FakeLibraries().RemoveEntryPoint("GetUnzDllVersion");
  headless::ExpectBox(BoxKind::kPlain, "Error: INSTALL.DLL");
  headless::ExpectBox(BoxKind::kPlain, "Error: INSTALL.DLL");
  Reload();
  EXPECT_EQ(FakeLibraries().ErrorModes().back(), 0u);
  // The library stays loaded even so.
  EXPECT_EQ(FakeLibraries().LoadedCount(), 1);
}

TEST_F(UnzipBindingTest, OnlyTheVersionEntryMissingStillAllowsExtraction) {
  FakeLibraries().RemoveEntryPoint("GetUnzDllVersion");
  headless::ExpectBox(BoxKind::kPlain, "Error: INSTALL.DLL");
  Reload();
  EXPECT_NE(extract::UnzDllExec(), nullptr);
}

TEST_F(UnzipBindingTest, UnloadingReleasesTheLibrary) {
  extract::UnloadUnzipLibrary();
  EXPECT_EQ(FakeLibraries().LoadedCount(), 0);
  EXPECT_EQ(extract::UnzDllExec(), nullptr);
}

TEST_F(UnzipBindingTest, InitSetsTheDefaultsAndLeavesTheRest) {
  UnzipParams& p = extract::UnzipRecord();
  p.Reserved0 = 11;
  p.NameEncoding = 22;
  p.FileSpecCount = 1;
  const char* archive = "c:\\x.pck";
  p.ArchiveName = archive;
  p.Flags28[0] = 5;
  extract::InitUnzipParams(Dlg().FrontEnd(), p);
  EXPECT_EQ(p.Caller, &Dlg().FrontEnd());
  EXPECT_EQ(p.Constant8, 140);
  EXPECT_EQ(p.Callback, &extract::UnzipCallback);
  EXPECT_EQ(p.Flag16, 0);
  // Offsets 28 to 60 in steps of four: only 40 and 60 are true.
  std::int32_t expected[9] = {0, 0, 0, -1, 0, 0, 0, 0, -1};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(p.Flags28[i], expected[i]) << "offset " << 28 + 4 * i;
  EXPECT_EQ(p.Constant72, 7);
  EXPECT_EQ(p.Reserved0, 11u);
  EXPECT_EQ(p.NameEncoding, 22u);
  EXPECT_EQ(p.FileSpecCount, 1);
  EXPECT_EQ(p.ArchiveName, archive);
}

TEST_F(UnzipBindingTest, AStartingFileShowsItsNameAndScalesTheBar) {
  struct Case {
    std::int32_t size;
    int max;
  };
  for (Case c : {Case{0, 1}, Case{32767, 1}, Case{32768, 1}, Case{65535, 1}, Case{65536, 2},
                 Case{98303, 2}, Case{98304, 3}, Case{-5, 1}, Case{std::int32_t(0x80000000), 1}}) {
    FileStarts(c.size);
    EXPECT_EQ(Dlg().ProgressBar1.Max(), c.max) << c.size;
    EXPECT_EQ(Dlg().ProgressBar1.Min(), 1) << c.size;
    EXPECT_EQ(Dlg().ProgressBar1.Position(), 1) << c.size;
  }
  EXPECT_EQ(Dlg().LbLFile.Caption(), "part.dat in copia...");
}

TEST_F(UnzipBindingTest, AFileOfSeveralStepsIsSteppedByItsProgressReports) {
  FileStarts(4 * 32768);
  EXPECT_EQ(Dlg().ProgressBar1.Max(), 4);
  for (int expected : {2, 3, 4}) {
    Report(kUnzipActionProgress);
    EXPECT_EQ(Dlg().ProgressBar1.Position(), expected);
  }
}

TEST_F(UnzipBindingTest, ExtraProgressReportsStopAtTheMaximumAndPumpOnlyOnce) {
  FileStarts(2 * 32768);
  Report(kUnzipActionProgress);
  ASSERT_EQ(Dlg().ProgressBar1.Position(), 2);
  int before = headless::ProcessMessagesCount();
  Report(kUnzipActionProgress);
  EXPECT_EQ(Dlg().ProgressBar1.Position(), 2);
  EXPECT_EQ(headless::ProcessMessagesCount(), before + 1);
}

TEST_F(UnzipBindingTest, AStepBelowTheMaximumPumpsTwice) {
  FileStarts(3 * 32768);
  int before = headless::ProcessMessagesCount();
  Report(kUnzipActionProgress);
  EXPECT_EQ(headless::ProcessMessagesCount(), before + 2);
}

TEST_F(UnzipBindingTest, AHiddenBarIsShownWhenAFileStarts) {
  Dlg().ProgressBar1.SetVisible(false);
  FileStarts(10);
  EXPECT_TRUE(Dlg().ProgressBar1.Visible());
}

TEST_F(UnzipBindingTest, TheEndResetsTheStatusAndTheBar) {
  FileStarts(5 * 32768);
  Report(kUnzipActionProgress);
  Report(kUnzipActionEnd);
  EXPECT_EQ(Dlg().LbLFile.Caption(), "");
  EXPECT_EQ(Dlg().ProgressBar1.Max(), 10);
  EXPECT_EQ(Dlg().ProgressBar1.Position(), 1);
}

TEST_F(UnzipBindingTest, AnUnknownCodeOnlyPumpsAndTheResultFollowsTheCancelFlag) {
  Dlg().LbLFile.SetCaption("kept");
  int before = headless::ProcessMessagesCount();
  EXPECT_EQ(Report(4), 0);
  EXPECT_EQ(headless::ProcessMessagesCount(), before + 1);
  EXPECT_EQ(Dlg().LbLFile.Caption(), "kept");
  app::TheSession().state.cancelRequested = true;
  EXPECT_EQ(Report(4), -1);
  EXPECT_EQ(FileStarts(10), -1);
}

TEST_F(UnzipBindingTest, EnglishShowsTheNameFollowedByABlank) {
  Configure(2, 1);
  FileStarts(10, "a.dat");
  EXPECT_EQ(Dlg().LbLFile.Caption(), "a.dat ");
}

}  // namespace
