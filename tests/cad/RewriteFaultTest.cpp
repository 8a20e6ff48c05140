// A rewrite replaces a customer's AutoCAD file; whatever file operation fails, AutoCAD must still
// find its file. Each operation of a clean rewrite is made to fail in turn, one call at a time
// (open, reopen, temporary file creation, every read, write, close, each rename, the flush), and
// after every failure the target's name must hold the old text or the complete new one, the old
// text surviving as the backup whenever the new one is in place; the backup an earlier
// installation left stays as it is, since the new one takes the next free name; no handle is left
// open and no file but those the rewrite names.
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "CadTestSupport.h"
#include "cad/Rewrite.h"
#include "toolkit/Errors.h"

namespace cad {
namespace {

using testing::CadTest;
using toolkit::headless::FsOp;

const std::string kFolder = "c:\\acad\\support\\";
const std::string kTarget = kFolder + "acad.mns";
const std::string kTemp = kFolder + "tkmenu.new";
const std::string kBackup = kFolder + "tktemp.bak";
// The backup's name is taken: the rewrite keeps its backup under the next free one.
const std::string kNewBackup = kFolder + "tktemp-2.bak";
const std::string kOldBackup = "backup of the previous installation\r\n";

void AddAfterHeading(std::string_view line, LineWriter& copy) {
  copy.WriteLine(line);
  if (line == "***TOOLBARS") copy.WriteLine("**ADDED");
}

// Large enough for several reads and writes of the rewrite's buffers.
std::string OldText() {
  std::string text;
  for (int i = 0; i < 12000; ++i) {
    text += (i == 9000 ? std::string("***TOOLBARS") : "ID_line" + std::to_string(i)) + "\r\n";
  }
  return text;
}

std::string NewText(const std::string& old) {
  std::string added = old;
  added.insert(added.find("***TOOLBARS\r\n") + 13, "**ADDED\r\n");
  return added;
}

class RewriteFaultTest : public CadTest {
 protected:
  void SetUpFiles() {
    Fs().Reset();
    Fs().PutFile(kTarget, old_);
    Fs().PutFile(kBackup, kOldBackup);
  }

  // Runs the rewrite; true when it did not complete: it raised an input/output error, or gave
  // false because the target could not be opened.
  bool RunRewrite() {
    try {
      return !RewriteWithBackup(kTarget, kTemp, kBackup, "**ADDED", AddAfterHeading, {},
                                toolkit::NoRecording());
    } catch (const toolkit::EInOutError&) {
      return true;
    }
  }

  void ExpectNothingLost(bool failed, const std::string& where) {
    SCOPED_TRACE(where);
    const auto target = Fs().FileContent(kTarget);
    ASSERT_TRUE(target.has_value()) << "no file has the target's name";
    if (failed) {
      EXPECT_TRUE(*target == old_) << "an incomplete rewrite must leave the old text in place";
    } else {
      EXPECT_TRUE(*target == new_);
    }
    EXPECT_TRUE(Fs().FileContent(kBackup) == kOldBackup) << "the previous backup must survive";
    if (*target == new_) {
      EXPECT_TRUE(Fs().FileContent(kNewBackup) == old_) << "the old text must survive as backup";
      EXPECT_FALSE(Exists(kTemp));
    } else {
      ASSERT_TRUE(*target == old_) << "neither the old nor the complete new text";
    }
    for (const auto& [path, content] : Fs().Snapshot()) {
      std::string lower = path;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_TRUE(lower == kTarget || lower == kTemp || lower == kBackup || lower == kNewBackup)
          << "stray " << path;
    }
    EXPECT_EQ(Fs().OpenFileCount(), 0);
  }

  const std::string old_ = OldText();
  const std::string new_ = NewText(old_);
};

TEST_F(RewriteFaultTest, EveryFailingOperationLeavesTheOldOrTheCompleteNewText) {
  const std::vector<std::pair<FsOp, const char*>> operations = {
      {FsOp::kOpen, "open"},   {FsOp::kRead, "read"},     {FsOp::kWrite, "write"},
      {FsOp::kClose, "close"}, {FsOp::kDelete, "delete"}, {FsOp::kRename, "rename"},
      {FsOp::kSize, "size"},   {FsOp::kSeek, "seek"},     {FsOp::kFlush, "flush"}};

  // A clean run first, to learn how many calls of each operation a rewrite makes.
  SetUpFiles();
  std::map<FsOp, int> calls;
  for (auto [op, name] : operations) calls[op] = -Fs().CallCount(op);
  ASSERT_FALSE(RunRewrite());
  for (auto [op, name] : operations) calls[op] += Fs().CallCount(op);
  ExpectNothingLost(false, "clean run");
  // Open: target, reopen, temporary file. Rename: target to backup, copy to target. Nothing is
  // deleted: the old backup stays.
  EXPECT_GE(calls[FsOp::kOpen], 3);
  EXPECT_GE(calls[FsOp::kRead], 4);
  EXPECT_GE(calls[FsOp::kWrite], 2);
  EXPECT_GE(calls[FsOp::kClose], 3);
  EXPECT_EQ(calls[FsOp::kFlush], 1);
  EXPECT_EQ(calls[FsOp::kDelete], 0);
  EXPECT_EQ(calls[FsOp::kRename], 2);

  int failures = 0;
  for (auto [op, name] : operations) {
    for (int skip = 0; skip < calls[op]; ++skip) {
      SetUpFiles();
      Fs().FailNext(op, toolkit::kErrAccessDenied, skip);
      const bool failed = RunRewrite();
      failures += failed ? 1 : 0;
      ExpectNothingLost(failed, std::string(name) + " call " + std::to_string(skip + 1));
    }
  }
  EXPECT_GT(failures, 10);
}

TEST_F(RewriteFaultTest, AFailedFinalRenamePutsTheOldFileBackUnderItsName) {
  SetUpFiles();
  Fs().FailNext(FsOp::kRename, toolkit::kErrAccessDenied, 1);
  EXPECT_THROW(RewriteWithBackup(kTarget, kTemp, kBackup, "**ADDED", AddAfterHeading, {},
                                 toolkit::NoRecording()),
               toolkit::EInOutError);
  EXPECT_EQ(Content(kTarget), old_);
  EXPECT_EQ(Content(kBackup), kOldBackup);
  // The finished copy is still there for whoever looks after the failure.
  EXPECT_EQ(Content(kTemp), new_);
}

TEST_F(RewriteFaultTest, AFailedFirstRenameLeavesEveryFileAsItWas) {
  SetUpFiles();
  Fs().FailNext(FsOp::kRename, toolkit::kErrNotReady);
  EXPECT_THROW(RewriteWithBackup(kTarget, kTemp, kBackup, "**ADDED", AddAfterHeading, {},
                                 toolkit::NoRecording()),
               toolkit::EInOutError);
  EXPECT_EQ(Content(kTarget), old_);
  EXPECT_EQ(Content(kBackup), kOldBackup);
  EXPECT_FALSE(Exists(kNewBackup));
  EXPECT_FALSE(Exists(kTemp));
}

// Another program holds the file open without delete sharing (an editor, AutoCAD itself): the
// rename is refused, and that is a file to patch by hand, not a failed installation.
TEST_F(RewriteFaultTest, ATargetHeldByAnotherProgramIsLeftAsItWasWithNoCopyBehind) {
  for (std::uint32_t code :
       {toolkit::kErrAccessDenied, toolkit::kErrSharingViolation, toolkit::kErrLockViolation}) {
    SetUpFiles();
    Fs().FailOnPath(FsOp::kRename, kTarget, code);
    EXPECT_FALSE(RewriteWithBackup(kTarget, kTemp, kBackup, "**ADDED", AddAfterHeading, {},
                                   toolkit::NoRecording()))
        << code;
    EXPECT_EQ(Content(kTarget), old_);
    EXPECT_EQ(Content(kBackup), kOldBackup);
    EXPECT_FALSE(Exists(kTemp));
    EXPECT_FALSE(Exists(kNewBackup));
    Fs().ClearFaults();
  }
}

TEST_F(RewriteFaultTest, AFullDiskWhileCopyingLeavesTheTargetAlone) {
  SetUpFiles();
  Fs().SetCapacity(old_.size() + kOldBackup.size() + 1000);
  try {
    RewriteWithBackup(kTarget, kTemp, kBackup, "**ADDED", AddAfterHeading, {},
                      toolkit::NoRecording());
    ADD_FAILURE() << "a full disk must raise";
  } catch (const toolkit::EInOutError& error) {
    EXPECT_EQ(error.Code(), toolkit::kErrRtlDiskFull);
  }
  EXPECT_EQ(Content(kTarget), old_);
  EXPECT_EQ(Content(kBackup), kOldBackup);
}

}  // namespace
}  // namespace cad
