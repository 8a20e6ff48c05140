// PMSERVICE.EXE under Wine, spoken to over the real DDE management library: by the installer's
// own conversation, which sends its commands without waiting, and by a client that waits for each
// answer as other setup programs do. Each test checks the Start menu the shell sees afterwards:
// the group's folder, the shortcut read back through IShellLinkA, the folder gone after
// DeleteGroup; and that a refused string is answered "not processed" by a service that goes on
// serving, with no window shown, until it is told to stop.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/progman-service/ServiceFixture.h"
#include "tests/wine/support/Driver.h"
#include "toolkit/Dde.h"

namespace {

using namespace winetest;
using pmtest::ReadShortcut;
using pmtest::Service;
using pmtest::ShortcutView;
using pmtest::WaitingClient;

const std::string kLog = "C:\\pmservice-test.log";

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ProgManServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    service_ = std::make_unique<Service>("/log=" + kLog);
    ASSERT_TRUE(service_->Serving());
  }
  void TearDown() override {
    service_.reset();
    Clean();
  }
  static void Clean() {
    for (const char* group : {"Tolvek", "PmService Test", "PmService Test 2"}) {
      RemoveTree(Group(group));
    }
    DeleteFileA(kLog.c_str());
  }
  static std::string Group(const std::string& name) {
    return pmtest::ProgramsFolder() + "\\" + name;
  }

  std::unique_ptr<Service> service_;
};

TEST_F(ProgManServiceTest, TheInstallersCommandsMakeTheGroupAndAShortcutToTheProgram) {
  auto conversation = toolkit::CreateDdeConversation("ProgMan", "");
  conversation->Open();
  ASSERT_TRUE(conversation->IsOpen());
  EXPECT_TRUE(conversation->ExecuteMacro("[CreateGroup(Tolvek)]"));
  EXPECT_TRUE(
      conversation->ExecuteMacro("[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]"));
  conversation->Close();

  // The installer does not wait for the answers: the shortcut comes soon after.
  const std::string link = Group("Tolvek") + "\\TOLVEK.lnk";
  ASSERT_TRUE(WaitUntil([&] { return Exists(link); }, 10s)) << ReadFile(kLog).value_or("(no log)");
  EXPECT_EQ(ReadShortcut(link), (ShortcutView{"c:\\Tolvek4\\TOLVEK.EXE", "", "c:\\Tolvek4",
                                              "c:\\Tolvek4\\TOLVEK.EXE", 0}));
  EXPECT_TRUE(WaitUntil([&] {
    return ReadFile(kLog) ==
           "[CreateGroup(Tolvek)] -> done\r\n"
           "[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)] -> done\r\n";
  })) << ReadFile(kLog).value_or("(no log)");
}

TEST_F(ProgManServiceTest, QuotedArgumentsGiveTheItemItsCaptionArgumentsFolderAndIcon) {
  WaitingClient client;
  ASSERT_TRUE(client.Connected());
  EXPECT_TRUE(
      client.Execute("[CreateGroup(\"PmService Test\")][ShowGroup(\"PmService Test\",1)]"
                     "[AddItem(\"\"\"c:\\Program Files\\Tool, (v2)\\tool.exe\"\" /a \"\"b c\"\"\","
                     "\"Tool, (v2)\",c:\\windows\\system32\\shell32.dll,3,,,c:\\work)]"));
  EXPECT_EQ(ReadShortcut(Group("PmService Test") + "\\Tool, (v2).lnk"),
            (ShortcutView{"c:\\Program Files\\Tool, (v2)\\tool.exe", "/a \"b c\"", "c:\\work",
                          "c:\\windows\\system32\\shell32.dll", 3}));
}

TEST_F(ProgManServiceTest, DeleteGroupRemovesTheFolderWithItsShortcuts) {
  WaitingClient client;
  ASSERT_TRUE(client.Connected());
  ASSERT_TRUE(
      client.Execute("[CreateGroup(PmService Test)][AddItem(c:\\a.exe)]"
                     "[AddItem(c:\\b.exe,Bee)]"));
  ASSERT_TRUE(Exists(Group("PmService Test") + "\\a.lnk"));
  ASSERT_TRUE(Exists(Group("PmService Test") + "\\Bee.lnk"));
  EXPECT_TRUE(client.Execute("[DeleteGroup(PmService Test)]"));
  EXPECT_FALSE(Exists(Group("PmService Test")));
  // Gone already, and no current group left for an item.
  EXPECT_FALSE(client.Execute("[DeleteGroup(PmService Test)]"));
  EXPECT_FALSE(client.Execute("[AddItem(c:\\a.exe)]"));
  EXPECT_FALSE(Exists(Group("PmService Test")));
}

TEST_F(ProgManServiceTest, RefusedCommandsAreNotProcessedAndTheServiceGoesOnServing) {
  WaitingClient client;
  ASSERT_TRUE(client.Connected());
  for (const char* refused :
       {"[CreateGroup(PmService Test)", "CreateGroup(PmService Test)", "[Frobnicate(1)]",
        "[CreateGroup(..\\..\\..\\Startup)]", "[CreateGroup(a][AddItem(b)]", "", "[AddItem()]",
        "[CreateGroup(\"PmService Test\"]"}) {
    EXPECT_FALSE(client.Execute(refused)) << refused;
  }
  EXPECT_FALSE(Exists(Group("PmService Test")));
  EXPECT_TRUE(client.Execute("[CreateGroup(PmService Test 2)][AddItem(c:\\a.exe)]"));
  EXPECT_TRUE(Exists(Group("PmService Test 2") + "\\a.lnk"));
  // The conversation that was refused and a new one are both served.
  WaitingClient another;
  EXPECT_TRUE(another.Execute("[ShowGroup(PmService Test 2,1)][DeleteItem(a)]"));
  EXPECT_FALSE(Exists(Group("PmService Test 2") + "\\a.lnk"));
  EXPECT_NE(ReadFile(kLog).value_or("").find("[Frobnicate(1)] -> refused: unknown command\r\n"),
            std::string::npos);
}

TEST_F(ProgManServiceTest, ItShowsNoWindowAndASecondOneLeavesTheFirstServing) {
  EXPECT_TRUE(TopLevelWindows(service_->Process().Id()).empty());
  EXPECT_EQ(Service::Run(""), 3u);
  WaitingClient client;
  EXPECT_TRUE(client.Execute("[CreateGroup(PmService Test)]"));
}

TEST_F(ProgManServiceTest, StopEndsTheServiceAndNoServerAnswersAfterIt) {
  EXPECT_EQ(Service::Run("/stop"), 0u);
  EXPECT_TRUE(service_->Process().WaitForExit(5s));
  EXPECT_EQ(service_->Process().ExitCode(), 0u);
  EXPECT_FALSE(WaitingClient().Connected());
  // With none running, stopping is done at once.
  EXPECT_EQ(Service::Run("/stop"), 0u);
  EXPECT_EQ(Service::Run("/wait=1"), 1u);
}

TEST_F(ProgManServiceTest, CloseToItsHiddenWindowEndsTheService) {
  HWND window = FindWindowA("TolvekProgManService", nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(service_->Process().WaitForExit(5s));
  EXPECT_EQ(service_->Process().ExitCode(), 0u);
}

TEST(ProgManServiceOptions, AnUnknownOptionIsRefused) {
  EXPECT_EQ(Service::Run("/frobnicate"), 2u);
  EXPECT_EQ(Service::Run("/wait=soon"), 2u);
}

}  // namespace
