// Toolkit behaviour the installer relies on without saying so: the folder box's browse button,
// radio groups by parent, the progress bar's own stepping, inherited fonts and colours, and the
// error kinds' texts.
#include "toolkit/Controls.h"

#include <gtest/gtest.h>

#include "tests/support/HeadlessTest.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Forms.h"

namespace {

using namespace toolkit;

class TestForm : public Form {
 public:
  TestForm() : Form("TestForm") {}
  Panel group{this, "group"};
  RadioButton a{this, "a"};
  RadioButton b{this, "b"};
  RadioButton c{&group, "c"};
  RadioButton d{&group, "d"};
  DirectoryEdit folder{this, "folder"};
  Label label{&group, "label"};
};

class ControlsTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form_.Create();
  }
  TestForm form_;
};

TEST_F(ControlsTest, BrowsingStartsAtTheBoxsFolderAndTakesTheChoice) {
  Disk().MakeDirs("c:\\Programmi\\Autocad");
  form_.folder.SetText("c:\\Programmi\\Autocad");
  headless::ExpectFolderDialog("c:\\Programmi");
  form_.folder.Browse();
  EXPECT_EQ(headless::FolderDialogStarts().back(), "c:\\Programmi\\Autocad");
  EXPECT_EQ(form_.folder.Text(), "c:\\Programmi");
  EXPECT_EQ(headless::FocusedControl(), &form_.folder);
}

TEST_F(ControlsTest, BrowsingFromNoFolderStartsAtTheCurrentDrivesRoot) {
  Disk().AddDrive('d');
  Disk().MakeDirs("d:\\work");
  fs::ChDir("d:\\work");
  for (const char* text : {"", "c:\\nowhere"}) {
    form_.folder.SetText(text);
    headless::ExpectFolderDialog(std::nullopt);
    form_.folder.Browse();
    EXPECT_EQ(headless::FolderDialogStarts().back(), "d:\\");
    // Cancelling leaves the text as it was.
    EXPECT_EQ(form_.folder.Text(), text);
    EXPECT_EQ(headless::FocusedControl(), &form_.folder);
  }
}

TEST_F(ControlsTest, RadioButtonsFormOneGroupPerParent) {
  form_.a.Click();
  form_.c.Click();
  form_.b.Click();
  EXPECT_FALSE(form_.a.Checked());
  EXPECT_TRUE(form_.b.Checked());
  EXPECT_TRUE(form_.c.Checked());
  form_.d.SetChecked(true);
  EXPECT_FALSE(form_.c.Checked());
  EXPECT_TRUE(form_.b.Checked());
}

TEST_F(ControlsTest, ADisabledControlIgnoresClicks) {
  int clicks = 0;
  form_.a.OnClick = [&] { ++clicks; };
  form_.a.SetEnabled(false);
  form_.a.Click();
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(form_.a.Checked());
}

TEST_F(ControlsTest, AnErrorInAHandlerIsShownAndTheProgramGoesOn) {
  form_.a.OnClick = [] { throw EInOutError(5); };
  headless::ExpectBox(BoxKind::kError, "File access denied");
  form_.a.Click();
  form_.b.OnClick = [] { throw EAbort(); };
  form_.b.Click();  // silent
}

TEST(IoErrorText, NamesTheKnownCodesAndNumbersTheRest) {
  EXPECT_EQ(IoErrorText(2), "File not found");
  EXPECT_EQ(IoErrorText(3), "Invalid filename");
  EXPECT_EQ(IoErrorText(4), "Too many open files");
  EXPECT_EQ(IoErrorText(5), "File access denied");
  EXPECT_EQ(IoErrorText(100), "Read beyond end of file");
  EXPECT_EQ(IoErrorText(101), "Disk full");
  EXPECT_EQ(IoErrorText(106), "Invalid numeric input");
  EXPECT_EQ(IoErrorText(183), "I/O error 183");
}

TEST(ProgressBar, StepsAndStartsOverPastTheMaximum) {
  Form form("f");
  ProgressBar bar(&form, "bar");
  bar.SetMin(1);
  bar.SetMax(3);
  bar.SetStep(1);
  bar.SetPosition(1);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 3);
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 2);
  // A bar of one position has nowhere to go.
  bar.SetMax(1);
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 1);
}

TEST(Controls, FontsAndColoursComeFromTheParentUntilSet) {
  Form form("f");
  Panel panel(&form, "p");
  Label label(&panel, "l");
  Edit edit(&panel, "e");
  Font navy;
  navy.color = clNavy;
  form.SetFont(navy);
  panel.SetColor(clWhite);
  EXPECT_EQ(label.GetFont().color, clNavy);
  EXPECT_EQ(label.Color(), clWhite);
  // An edit box keeps its own window colour.
  EXPECT_EQ(edit.Color(), clWindow);
  panel.SetColor(clYellow);
  EXPECT_EQ(label.Color(), clYellow);
  label.SetColor(clRed);
  panel.SetColor(clWhite);
  EXPECT_EQ(label.Color(), clRed);
}

TEST(Controls, AlignedChildrenShareTheClientAreaInsideTheBevel) {
  Form form("f");
  form.SetClientSize(613, 431);
  Panel outer(&form, "outer");
  outer.SetBevel(bvRaised, bvNone, 2);
  outer.SetAlign(alClient);
  Panel top(&outer, "top");
  top.SetBounds(0, 0, 0, 167);
  top.SetAlign(alTop);
  Panel bottom(&outer, "bottom");
  bottom.SetBounds(0, 0, 0, 24);
  bottom.SetAlign(alBottom);
  EXPECT_EQ(outer.BoundsRect(), Bounds(0, 0, 613, 431));
  EXPECT_EQ(top.BoundsRect(), Bounds(2, 2, 609, 167));
  EXPECT_EQ(bottom.BoundsRect(), Bounds(2, 405, 609, 24));
}

}  // namespace
