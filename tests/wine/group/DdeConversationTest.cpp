// The DDE conversation the installer holds with Program Manager, over the real DDE management
// library under Wine: commands reach a server registered as "ProgMan" exactly as sent, and with no
// server at all the conversation starts the service's program, fails to connect, and reports
// every command as not sent.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/wine/support/Driver.h"
#include "toolkit/Dde.h"

namespace {

using namespace winetest;

const std::string kLog = "C:\\progman-commands.log";

class DdeConversationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileA(kLog.c_str());
    DeleteFileA((kLog + ".ready").c_str());
  }

  void TearDown() override {
    server_.reset();
    EndProgramManagers();
    DeleteFileA(kLog.c_str());
    DeleteFileA((kLog + ".ready").c_str());
  }

  void StartServer() {
    server_ = std::make_unique<InstallerProcess>(
        BuiltFile("tests\\wine\\group\\progman_server.exe"), "", "\"" + kLog + "\"");
    ASSERT_NE(server_->Id(), 0u);
    ASSERT_TRUE(WaitUntil(
        [] { return GetFileAttributesA((kLog + ".ready").c_str()) != INVALID_FILE_ATTRIBUTES; }));
  }

  std::unique_ptr<InstallerProcess> server_;
};

TEST_F(DdeConversationTest, CommandsReachProgramManagerExactlyAsSent) {
  StartServer();
  auto conversation = toolkit::CreateDdeConversation("ProgMan", "");
  conversation->Open();
  ASSERT_TRUE(conversation->IsOpen());
  EXPECT_TRUE(conversation->ExecuteMacro("[CreateGroup(Tolvek)]"));
  EXPECT_TRUE(
      conversation->ExecuteMacro("[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]"));
  conversation->Close();
  EXPECT_FALSE(conversation->IsOpen());
  std::string expected =
      "[CreateGroup(Tolvek)]\n[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]\n";
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(kLog) == expected; }, 10s))
      << ReadFile(kLog).value_or("(no log)");
}

TEST_F(DdeConversationTest, WithoutAServerNothingIsSent) {
  auto conversation = toolkit::CreateDdeConversation("ProgMan", "");
  conversation->Open();
  EXPECT_FALSE(conversation->IsOpen());
  EXPECT_FALSE(conversation->ExecuteMacro("[CreateGroup(Tolvek)]"));
  conversation->Close();
}

TEST_F(DdeConversationTest, AConversationCanBeOpenedAgainAfterClosing) {
  StartServer();
  auto conversation = toolkit::CreateDdeConversation("ProgMan", "");
  for (int round = 0; round < 2; ++round) {
    conversation->Open();
    EXPECT_TRUE(conversation->ExecuteMacro("[CreateGroup(Tolvek)]"));
    conversation->Close();
  }
  EXPECT_TRUE(WaitUntil(
      [&] { return ReadFile(kLog) == "[CreateGroup(Tolvek)]\n[CreateGroup(Tolvek)]\n"; }, 10s));
}

}  // namespace
