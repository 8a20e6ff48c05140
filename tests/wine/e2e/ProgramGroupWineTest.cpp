// The Program Manager group as the demo gives it: the real installer, with the project's own
// Program Manager service serving before it starts, answered "Yes" at the group question. The
// group has to be really made: the Start menu's folder with a shortcut that the shell resolves to
// the installed program, no failure box, and no Program Manager window of Wine's started instead.
#include <windows.h>

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "tests/wine/e2e/InstallerDialog.h"
#include "tests/wine/progman-service/ServiceFixture.h"

namespace {

using namespace winetest;
using e2e::Box;
using e2e::kGroupQuestion;
using e2e::kRestart;
using e2e::kServerLog;
using e2e::kSuccess;

bool ProgramManagerRunning() {
  toolkit::win32::UniqueHandle snapshot(
      toolkit::win32::NullIfInvalid(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, "progman.exe") == 0) return true;
  }
  return false;
}

class ProgramGroupWineTest : public e2e::InstallerDialogTest {
 protected:
  void SetUp() override {
    InstallerDialogTest::SetUp();
    RemoveTree(group_);
  }
  void TearDown() override {
    InstallerDialogTest::TearDown();
    RemoveTree(group_);
  }

  const std::string group_ = pmtest::ProgramsFolder() + "\\Tolvek";
};

TEST_F(ProgramGroupWineTest, YesToTheGroupMakesTheStartMenuFolderWithAShortcutToTheProduct) {
  LayDemoAutoCad();
  pmtest::Service service("/log=" + kServerLog);
  ASSERT_TRUE(service.Serving());
  Start();
  EXPECT_EQ(Install("&Yes"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));

  const std::string link = group_ + "\\TOLVEK.lnk";
  ASSERT_TRUE(WaitUntil([&] { return e2e::Exists(link); }, 10s))
      << ReadFile(kServerLog).value_or("(nothing received)");
  EXPECT_EQ(pmtest::ReadShortcut(link),
            (pmtest::ShortcutView{"c:\\Tolvek4\\TOLVEK.EXE", "", "c:\\Tolvek4",
                                  "c:\\Tolvek4\\TOLVEK.EXE", 0}));
  EXPECT_TRUE(e2e::Exists("c:\\Tolvek4\\TOLVEK.EXE"));
  EXPECT_EQ(e2e::Names(group_), std::vector<std::string>{"TOLVEK.lnk"});
  EXPECT_FALSE(ProgramManagerRunning());
}

TEST_F(ProgramGroupWineTest, NoToTheGroupLeavesTheStartMenuAlone) {
  LayDemoAutoCad();
  pmtest::Service service("/log=" + kServerLog);
  ASSERT_TRUE(service.Serving());
  Start();
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  EXPECT_FALSE(e2e::Exists(group_));
  EXPECT_FALSE(ReadFile(kServerLog).has_value());
}

}  // namespace
