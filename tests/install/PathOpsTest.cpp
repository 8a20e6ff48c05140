// The path operations the tree is built with: where they split, what they strip, and that the
// checked ones raise while the unchecked ones leave the decision to the caller.
#include "install/PathOps.h"

#include <gtest/gtest.h>

#include "tests/support/DialogTest.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

namespace {

using namespace toolkit;

TEST(SplitAtFirst, TakesTheHeadBeforeTheFirstSeparator) {
  std::string text = "c:\\Tolvek4\\Parts";
  std::string head;
  install::SplitAtFirst(text, '\\', head);
  EXPECT_EQ(head, "c:");
  EXPECT_EQ(text, "Tolvek4\\Parts");
}

TEST(SplitAtFirst, WithoutTheSeparatorLeavesTheTextAndAnEmptyHead) {
  std::string text = "Parts";
  std::string head = "old";
  install::SplitAtFirst(text, '\\', head);
  EXPECT_EQ(head, "");
  EXPECT_EQ(text, "Parts");
}

TEST(SplitAtFirst, ALeadingSeparatorGivesAnEmptyHead) {
  std::string text = "\\Tolvek4";
  std::string head = "old";
  install::SplitAtFirst(text, '\\', head);
  EXPECT_EQ(head, "");
  EXPECT_EQ(text, "Tolvek4");
}

TEST(StripTrailingBackslash, DropsOnlyOne) {
  EXPECT_EQ(install::StripTrailingBackslash("c:\\a\\"), "c:\\a");
  EXPECT_EQ(install::StripTrailingBackslash("c:\\a\\\\"), "c:\\a\\");
  EXPECT_EQ(install::StripTrailingBackslash("c:\\a"), "c:\\a");
  EXPECT_EQ(install::StripTrailingBackslash(""), "");
}

class PathOpsTest : public testing_support::DialogTest {};

TEST_F(PathOpsTest, CheckFolderExistsEntersAnExistingFolderSilently) {
  Disk().MakeDirs("c:\\acad");
  EXPECT_FALSE(install::CheckFolderExists(Dlg().FrontEnd(), "c:\\acad", "missing"));
  EXPECT_EQ(Fs().CurrentDir(), "c:\\acad");
}

TEST_F(PathOpsTest, CheckFolderExistsReportsAMissingFolder) {
  headless::ExpectBox(BoxKind::kPlain, "missing");
  EXPECT_TRUE(install::CheckFolderExists(Dlg().FrontEnd(), "c:\\acad", "missing"));
}

TEST_F(PathOpsTest, ForcePathMakesEveryComponentFromTheDrive) {
  Disk().AddDrive('d');
  fs::ChDir("d:");
  install::ForcePath("c:\\One\\Two\\Three", toolkit::NoRecording());
  EXPECT_EQ(Fs().CurrentDir(), "c:\\One\\Two\\Three");
}

TEST_F(PathOpsTest, ForcePathWithRelativeComponentsWorksFromTheCurrentFolder) {
  Disk().MakeDirs("c:\\base");
  fs::ChDir("c:\\base");
  install::ForcePath("x\\y", toolkit::NoRecording());
  EXPECT_TRUE(Disk().DirExists("c:\\base\\x\\y"));
}

TEST_F(PathOpsTest, MakeSubdirLeavesTheCurrentFolderWhereItWas) {
  Disk().MakeDirs("c:\\base\\old");
  fs::ChDir("c:\\base");
  install::MakeSubdir("old", toolkit::NoRecording());
  install::MakeSubdir("New", toolkit::NoRecording());
  EXPECT_EQ(Fs().CurrentDir(), "c:\\base");
  EXPECT_EQ(Disk().List("c:\\base"), (std::vector<std::string>{"New\\", "old\\"}));
}

TEST_F(PathOpsTest, MakeSubdirRaisesWhenTheFolderCannotBeMade) {
  Disk().PutFile("c:\\base\\Cache", "x");
  fs::ChDir("c:\\base");
  try {
    install::MakeSubdir("Cache", toolkit::NoRecording());
    FAIL() << "no error raised";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.Code(), 183u);
  }
}

TEST_F(PathOpsTest, EnterOrCreatePathEntersAnExistingPathWithoutCreating) {
  Disk().MakeDirs("c:\\a\\b");
  install::EnterOrCreatePath("c:\\a\\b", toolkit::NoRecording());
  EXPECT_EQ(Disk().CallCount(headless::FsOp::kCreateDir), 0);
  EXPECT_EQ(Fs().CurrentDir(), "c:\\a\\b");
}

}  // namespace
