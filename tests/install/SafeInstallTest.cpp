// An installation completes or leaves AutoCAD as it found it. A failure of any single file
// operation at any point of a whole installation must end either in the complete installation or
// in the disk exactly as it was before, with an error box and never a success box; what the
// installation needs is looked at before anything changes; a swap a killed installer left half
// done is settled by the next run; a file another program holds is a manual edit.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "config/Vars.h"
#include "install/Journal.h"
#include "install/Messages.h"
#include "install/RecordBounds.h"
#include "install/Rollback.h"
#include "tests/install/InstallScene.h"
#include "tests/unzip/TestArchive.h"
#include "toolkit/Crc32.h"
#include "toolkit/headless/HeadlessLibraries.h"

namespace {

using namespace toolkit;
using namespace testing_support;
using headless::FsOp;
using headless::MemReg;

const std::string kDestination = "c:\\Tolvek4";
const std::string kRecordFolder = "c:\\Users\\user\\AppData\\Local\\Tolvek";
const std::string kJournal = kRecordFolder + "\\INSTALL.JNL";

std::string Hex(std::uint32_t value) {
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[std::size_t(i)] = "0123456789ABCDEF"[value & 15];
  return text;
}

std::string Undone(const std::string& error) {
  return error + "\r\n\r\n" + config::Vars.MsgNothingChanged;
}

class SafeInstallTest : public InstallScene {
 protected:
  void SetUp() override {
    InstallScene::SetUp();
    start_ = Disk().Snapshot();
  }

  // The disk back as the scene laid it, and the installer started afresh over it.
  void RestoreScene() {
    Disk().Reset();
    for (const auto& [path, content] : start_) Disk().PutFile(path, content);
    Disk().SetProgramPath("c:\\setup\\install.exe");
    MemReg().Reset();
    LayScene();
    headless::FakeLibraries().SetLoadResult(kLoadedLibrary);
    Restart();
  }

  static constexpr LibraryHandle kLoadedLibrary = 0x10000000;

  // Runs the installation with no box scripted: the boxes shown are returned, and the backend's
  // complaints about unexpected boxes are dropped.
  std::vector<headless::ShownBox> InstallWithAnyBoxes() {
    const std::size_t before = headless::ShownBoxes().size();
    // No questions to answer: no group offer, no restart notice.
    config::Vars.OfferProgramGroup = false;
    Install([&] { Dlg().Per95.Click(); });
    headless::TakeFailures();
    return {headless::ShownBoxes().begin() + before, headless::ShownBoxes().end()};
  }

  void ExpectNothingChanged() {
    const auto now = Disk().Snapshot();
    for (const auto& [path, content] : now) {
      auto was = start_.find(path);
      EXPECT_TRUE(was != start_.end() && was->second == content) << "changed or new: " << path;
    }
    for (const auto& [path, content] : start_) {
      EXPECT_TRUE(now.count(path) != 0) << "gone: " << path;
    }
    EXPECT_FALSE(Disk().DirExists(kDestination));
  }

  std::map<std::string, std::string> start_;
};

bool Shows(const std::vector<headless::ShownBox>& boxes, BoxKind kind,
           const std::string& text = {}) {
  return std::any_of(boxes.begin(), boxes.end(), [&](const headless::ShownBox& box) {
    return box.kind == kind && (text.empty() || box.text == text);
  });
}

TEST_F(SafeInstallTest, AFailureAtAnyStepLeavesTheStartingStateOrTheCompleteInstallation) {
  const std::vector<FsOp> operations = {
      FsOp::kOpen, FsOp::kRead, FsOp::kWrite,   FsOp::kClose, FsOp::kRename,    FsOp::kDelete,
      FsOp::kSeek, FsOp::kSize, FsOp::kSetTime, FsOp::kFlush, FsOp::kCreateDir, FsOp::kChangeDir};
  // A clean run first: what a complete installation leaves, and how often each step is taken.
  std::map<FsOp, int> calls;
  for (FsOp op : operations) calls[op] = -Disk().CallCount(op);
  ASSERT_TRUE(Shows(InstallWithAnyBoxes(), BoxKind::kInformation, kSuccess));
  for (FsOp op : operations) calls[op] += Disk().CallCount(op);
  const auto complete = Disk().Snapshot();
  ASSERT_NE(complete.count(kSupport + "tolvek.lsp"), 0u);

  int failures = 0;
  for (FsOp op : operations) {
    // At most a dozen points of each kind, spread over the whole run.
    const int points = std::min(calls[op], 12);
    for (int point = 0; point < points; ++point) {
      const int skip = calls[op] * point / points;
      RestoreScene();
      Disk().FailNext(op, kErrNotReady, skip);
      const auto boxes = InstallWithAnyBoxes();
      Disk().ClearFaults();
      SCOPED_TRACE("operation " + std::to_string(int(op)) + ", call " + std::to_string(skip + 1));
      if (Shows(boxes, BoxKind::kError)) {
        ++failures;
        EXPECT_FALSE(Shows(boxes, BoxKind::kInformation, kSuccess));
        ExpectNothingChanged();
      } else if (Shows(boxes, BoxKind::kPlain, config::Vars.MsgCadFolderMissing)) {
        // The AutoCAD folder could not be entered: the installation stops before it starts.
        ExpectNothingChanged();
      } else {
        ASSERT_TRUE(Shows(boxes, BoxKind::kInformation, kSuccess));
        // Each AutoCAD file is patched, or left whole when it could not be opened, which the
        // manual-edit message tells the user.
        const bool manualEdit = Shows(boxes, BoxKind::kPlain);
        for (const std::string& file :
             {kAcad + "\\support\\acad2005doc.lsp", kSupport + "acad.mns", kSupport + "acad.pgp"}) {
          const auto content = Disk().FileContent(file);
          if (manualEdit && content == start_.at(file)) continue;
          EXPECT_EQ(content, complete.at(file)) << file;
        }
      }
    }
  }
  EXPECT_GT(failures, 40);
}

TEST_F(SafeInstallTest, AbandoningAtADiskPromptTakesBackEverythingTheRunChanged) {
  Disk().Delete("c:\\setup\\parts-kx.pck");
  start_ = Disk().Snapshot();
  Install([] {
    headless::ExpectBox(BoxKind::kInformation, "Inserire il disco Nr. 2", mrCancel);
    headless::ExpectBox(BoxKind::kInformation, config::Vars.MsgConfirmAbandon, mrYes);
  });
  ExpectNothingChanged();
}

TEST_F(SafeInstallTest, ASecondInstallationThatFailsUndoesOnlyItsOwnChanges) {
  ExpectTheEnd();
  Install();
  const auto installed = Disk().Snapshot();
  // The user adds a part of their own; then a package turns out broken in a second run.
  Disk().PutFile(kDestination + "\\UserParts\\mine.dat", "mine");
  unzip::test::TestMember fresh;
  fresh.name = "new.dat";
  fresh.content = "new";
  unzip::test::TestMember damaged;
  damaged.name = "b.dat";
  damaged.content = "damaged";
  damaged.crc = 0x12345678;
  const auto bytes = unzip::test::MakeArchive({fresh, damaged});
  Disk().PutFile("c:\\setup\\tol.pck", std::string(bytes.begin(), bytes.end()));
  Restart();
  Install([] {
    headless::ExpectBox(BoxKind::kError,
                        Undone(config::FormatMessage(config::Vars.MsgPackageDamaged,
                                                     {"c:\\setup\\tol.pck", "b.dat"})));
  });
  auto after = Disk().Snapshot();
  EXPECT_EQ(after.erase(kDestination + "\\UserParts\\mine.dat"), 1u);
  auto expected = installed;
  for (const std::string& changed : {std::string("c:\\setup\\tol.pck"), kJournal}) {
    after.erase(changed);
    expected.erase(changed);
  }
  EXPECT_TRUE(after == expected);
  // The journal still tells of the first installation alone.
  const install::JournalFile journal = install::ReadJournal(kJournal);
  ASSERT_EQ(journal.state, install::JournalState::kRead);
  ASSERT_EQ(journal.contents.runs.size(), 1u);
  EXPECT_TRUE(journal.contents.runs[0].complete);
  EXPECT_FALSE(Disk().FileExists(kDestination + "\\tol\\new.dat"));
}

// Each thing the installation needs, missing: one message that says what to do, nothing changed.
TEST_F(SafeInstallTest, WhatIsMissingIsSaidBeforeAnythingChanges) {
  struct Case {
    const char* what;
    std::function<void()> lack;
    std::function<std::string()> message;
  };
  const config::ConfigurationBlock& v = config::Vars;
  const std::vector<Case> cases = {
      {"no unzip library", [this] { headless::FakeLibraries().SetLoadResult(2); },
       [&] { return v.MsgLibraryMissing; }},
      {"no AutoCAD profile", [this] { MemReg().Reset(); }, [&] { return v.MsgNoAcadProfile; }},
      {"no support folder",
       [this] {
         Disk().Delete(kSupport + "acad.mns");
         Disk().Delete(kSupport + "acad.pgp");
         Disk().RemoveDir(kSupport);
       },
       [&] { return config::FormatMessage(v.MsgSupportFolderMissing, {kSupport}); }},
      {"destination is a file", [this] { Disk().PutFile(kDestination, "x"); },
       [&] { return config::FormatMessage(v.MsgDestinationIsFile, {kDestination}); }},
      {"a package that is no archive",
       [this] { Disk().PutFile("c:\\setup\\img.pck", "not a zip archive at all, not even close"); },
       [&] { return config::FormatMessage(v.MsgPackageUnreadable, {"c:\\setup\\img.pck"}); }},
      {"no room",
       [this] {
         std::size_t used = 0;
         for (const auto& [path, content] : Disk().Snapshot()) used += content.size();
         Disk().SetCapacity(used + 100);
       },
       [&] {
         return config::FormatMessage(v.MsgNoRoom, {kDestination, "2", "0"});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RestoreScene();
    c.lack();
    if (std::string(c.what) == "no unzip library") {
      // The library is looked for when the dialog is made: started again without it.
      headless::ExpectBox(BoxKind::kPlain, "INSTALL.DLL not found");
      Restart();
    }
    const auto before = Disk().Snapshot();
    const bool hadKey = MemReg().KeyExists("\\Software\\Autodesk\\AutoCAD");
    Install([&] { headless::ExpectBox(BoxKind::kError, c.message()); });
    EXPECT_TRUE(Disk().Snapshot() == before);
    EXPECT_EQ(MemReg().KeyExists("\\Software\\Autodesk\\AutoCAD"), hadKey);
  }
}

// The same medium again over a complete installation replaces files and adds none: the room
// check counts only what a package adds, so a volume with room for one installation and not for
// two takes it, keeping room for the largest files the library writes beside their old copies.
// A package that grows by more than the volume has left is still refused, with nothing changed.
TEST_F(SafeInstallTest, AReinstallCountsOnlyWhatItAdds) {
  const std::string big(1u << 20, 'x');
  const auto medium = [&](std::size_t growth) {
    unzip::test::TestMember member;
    member.name = "big.dat";
    member.content = big + std::string(growth, 'y');
    const auto bytes = unzip::test::MakeArchive({member});
    Disk().PutFile("c:\\setup\\tol.pck", std::string(bytes.begin(), bytes.end()));
  };
  medium(0);
  Restart();
  ExpectTheEnd();
  Install();
  ASSERT_EQ(Disk().FileContent(kDestination + "\\tol\\big.dat")->size(), big.size());
  // Room for the big file once more and a fifth of it: not for what the medium holds.
  std::size_t used = 0;
  for (const auto& [path, content] : Disk().Snapshot()) used += content.size();
  Disk().SetCapacity(used + big.size() + big.size() / 5);
  Restart();
  ExpectTheEnd();
  Install();
  EXPECT_EQ(install::ReadJournal(kJournal).contents.runs.size(), 2u);

  medium(big.size() / 4);
  const auto before = Disk().Snapshot();
  Restart();
  Install([] {
    headless::ExpectBox(BoxKind::kError,
                        config::FormatMessage(config::Vars.MsgNoRoom, {kDestination, "2", "1"}));
  });
  EXPECT_TRUE(Disk().Snapshot() == before);
}

TEST_F(SafeInstallTest, TheLibraryIsLoadedFromTheInstallersOwnFolderByItsFullPath) {
  EXPECT_EQ(headless::FakeLibraries().Requested().back(), "c:\\setup\\INSTALL.DLL");
}

TEST_F(SafeInstallTest, AProductFileMissingFromItsPackageFailsTheInstallation) {
  testing_support::WritePackage(Disk(), "c:\\setup\\cad-acad.pck",
                                {{"tkicon1.bmp", "BM1"}, {"tkicon2.bmp", "BM2"}});
  start_ = Disk().Snapshot();
  Install([] {
    headless::ExpectBox(BoxKind::kError,
                        Undone(config::FormatMessage(config::Vars.MsgFileNotInPackage,
                                                     {"c:\\setup\\cad-acad.pck", "tolvek.lsp"})));
  });
  ExpectNothingChanged();
}

// AutoCAD or an editor holds acad.pgp open without delete sharing: it cannot be renamed.
TEST_F(SafeInstallTest, ACommandAliasFileHeldByAnotherProgramIsAManualEditAndTheRestInstalls) {
  Disk().FailOnPath(FsOp::kRename, kSupport + "acad.pgp", kErrSharingViolation);
  Install([] {
    headless::ExpectBox(BoxKind::kPlain, install::JoinLines(install::kPgpNotPatched.italian));
    ExpectTheEnd();
  });
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.pgp"), kPgp);
  EXPECT_FALSE(Disk().FileExists(kSupport + "pgp.new"));
  EXPECT_FALSE(Disk().FileExists(kSupport + "pgp.bak"));
  EXPECT_NE(Disk().FileContent(kSupport + "acad.mns"), kMenu);
}

// A kill between the swap's two renames: the file is missing beside its backup and its copy. A
// copy the kill left short is not taken for the complete one the record describes.
TEST_F(SafeInstallTest, TheNextRunFinishesASwapAKilledInstallerLeftHalfDone) {
  const std::string doc = kAcad + "\\support\\acad2005doc.lsp";
  const std::string backup = kAcad + "\\support\\acad2005doc.bak";
  const std::string temp = kAcad + "\\support\\lisp.new";
  const std::string patched =
      ";; ACAD2004DOC.LSP\r\n \r\n(load \"tolvek\" '(\"tolvek\"))\r\n \r\n"
      "(princ)\r\n";
  const auto sum = [](const std::string& text) {
    return std::to_string(text.size()) + "\t" + Hex(toolkit::Crc32(0, text.data(), text.size()));
  };
  const struct {
    const char* what;
    int version;
    std::optional<std::string> copy;
    std::string repaired;
  } rows[] = {
      {"a first version's record, the copy there", 1, patched, patched},
      {"a first version's record, only the backup there", 1, std::nullopt, kDocLisp},
      {"the copy there", 2, patched, patched},
      {"the copy cut short", 2, patched.substr(0, 20), kDocLisp},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    RestoreScene();
    Disk().Delete(doc);
    Disk().PutFile(backup, kDocLisp);
    if (row.copy) Disk().PutFile(temp, *row.copy);
    const std::string paths = doc + "\t" + temp + "\t" + backup + "\t" + backup + "~";
    Disk().PutFile(
        kJournal, row.version == 1
                      ? "TOLVEK-JOURNAL\t1\r\nRUN\t1\tTolvek v4\r\nSWAP\t" + paths + "\r\n"
                      : "TOLVEK-JOURNAL\t2\r\nRUN\t1\tINSTALL\tTolvek v4\r\nSWAP\t" + paths + "\t" +
                            sum(kDocLisp) + "\t" + sum(patched) + "\r\n");
    EXPECT_EQ(install::RepairInterruptedRuns(
                  Dlg().FrontEnd(), install::ReadJournal(kJournal),
                  install::GatherTrustedRoots(kDestination, kRecordFolder, {kAcad}),
                  install::RecordTrust::kOwn),
              std::vector<std::string>{doc});
    EXPECT_EQ(Disk().FileContent(doc), row.repaired);
    EXPECT_FALSE(Disk().FileExists(temp));
    // And the installation that follows completes as any other.
    Install([] { ExpectTheEnd(); });
    EXPECT_EQ(Disk().FileContent(doc), patched);
  }
}

// A removal killed after it swapped an AutoCAD file back, before its safety copy of the patched
// text went: the next run takes the copy away, but only while the file and the copy are still
// what the removal made and found.
TEST_F(SafeInstallTest, TheNextRunTakesAwayTheSafetyCopyAKilledRemovalLeft) {
  const std::string doc = kAcad + "\\support\\acad2005doc.lsp";
  const std::string safety = doc + "~";
  const std::string patched =
      ";; ACAD2004DOC.LSP\r\n \r\n(load \"tolvek\" '(\"tolvek\"))\r\n \r\n(princ)\r\n";
  const auto sum = [](const std::string& text) {
    return std::to_string(text.size()) + "\t" + Hex(toolkit::Crc32(0, text.data(), text.size()));
  };
  const struct {
    const char* what;
    const char* record;  // killed after the renames, before or after the patch's record
    std::string file;
    std::string copy;
    bool copyGoes;
  } rows[] = {
      {"both as the removal left them", "PATCH\t0", kDocLisp, patched, true},
      {"the swap's record alone", "SWAP", kDocLisp, patched, true},
      {"the copy changed since", "PATCH\t0", kDocLisp, patched + ";", false},
      {"the file changed since", "SWAP", kDocLisp + ";", patched, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    RestoreScene();
    Disk().PutFile(doc, row.file);
    Disk().PutFile(safety, row.copy);
    Disk().PutFile(kJournal, "TOLVEK-JOURNAL\t3\r\nRUN\t1\tREMOVE\tUTF-8\tTolvek v4\r\n" +
                                 std::string(row.record) + "\t" + doc + "\t" + kAcad +
                                 "\\support\\lisp.new\t" + safety + "\t" + safety + "~\t" +
                                 sum(patched) + "\t" + sum(kDocLisp) +
                                 (std::string(row.record) == "SWAP" ? "\r\n" : "\t\r\n"));
    install::RepairInterruptedRuns(
        Dlg().FrontEnd(), install::ReadJournal(kJournal),
        install::GatherTrustedRoots(kDestination, kRecordFolder, {kAcad}),
        install::RecordTrust::kOwn);
    EXPECT_EQ(Disk().FileExists(safety), !row.copyGoes);
    EXPECT_EQ(Disk().FileContent(doc), row.file);
  }
}

}  // namespace
