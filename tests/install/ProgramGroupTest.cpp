// The Program Manager group: the question first, the two commands exactly as Program Manager
// reads them, each failure reported on its own, and never a command cut short.
#include "install/ProgramGroup.h"

#include <gtest/gtest.h>

#include "app/MainDlg.h"
#include "config/Vars.h"
#include "tests/support/DialogTest.h"
#include "toolkit/headless/FakeProgramManager.h"

namespace {

using namespace toolkit;
using headless::ProgramManager;

const std::string kAsk = "Creo l'icona Tolvek con il gruppo corrispondente ?";

class ProgramGroupTest : public testing_support::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // As the dialog shows it.
    Dlg().DestDir.SetText("c:\\Tolvek4");
  }

  void Create() {
    App().Dispatch([&] {
      install::CreateProgramGroup(Dlg().FrontEnd(), "Tolvek", "TOLVEK.EXE", "", "TOLVEK.EXE",
                                  toolkit::NoRecording());
    });
  }
};

TEST(ProgramGroupCommands, AreBuiltFromTheirPiecesAsTheyAre) {
  EXPECT_EQ(install::CreateGroupCommand("Tolvek"), "[CreateGroup(Tolvek)]");
  EXPECT_EQ(install::AddItemCommand("c:\\Tolvek4", "TOLVEK.EXE", "", "TOLVEK.EXE"),
            "[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]");
}

TEST_F(ProgramGroupTest, YesSendsBothCommandsAndClosesTheConversation) {
  ProgramManager().running = true;
  headless::ExpectBox(BoxKind::kInformation, kAsk, mrYes);
  Create();
  EXPECT_EQ(
      ProgramManager().commands,
      (std::vector<std::string>{"[CreateGroup(Tolvek)]",
                                "[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]"}));
  EXPECT_FALSE(Dlg().DdeClient().IsOpen());
  EXPECT_EQ(headless::ShownBoxes()[0].buttons, unsigned(mbYes | mbNo));
}

TEST_F(ProgramGroupTest, NoTouchesNoConversation) {
  ProgramManager().running = true;
  int connections = ProgramManager().connections;
  headless::ExpectBox(BoxKind::kInformation, kAsk, mrNo);
  Create();
  EXPECT_TRUE(ProgramManager().commands.empty());
  EXPECT_EQ(ProgramManager().connections, connections);
}

TEST_F(ProgramGroupTest, WithoutProgramManagerBothFailuresAreShownAndItsProgramWasStarted) {
  headless::ExpectBox(BoxKind::kInformation, kAsk, mrYes);
  headless::ExpectBox(BoxKind::kInformation, "Impossibile creare il gruppo.");
  headless::ExpectBox(BoxKind::kInformation, "Impossibile creare l'icona.");
  Create();
  // Once when the dialog was loaded, once now: the service's name, a blank and the empty topic.
  EXPECT_EQ(ProgramManager().startedPrograms, (std::vector<std::string>{"ProgMan ", "ProgMan "}));
}

TEST_F(ProgramGroupTest, AProgramManagerStartedOnDemandReceivesTheCommands) {
  ProgramManager().startResult = 33;
  ProgramManager().startBringsServerUp = true;
  headless::ExpectBox(BoxKind::kInformation, kAsk, mrYes);
  Create();
  EXPECT_EQ(ProgramManager().commands.size(), 2u);
}

TEST_F(ProgramGroupTest, ARefusedTransactionReportsItsCommandOnly) {
  ProgramManager().running = true;
  ProgramManager().refuseTransactions = true;
  headless::ExpectBox(BoxKind::kInformation, kAsk, mrYes);
  headless::ExpectBox(BoxKind::kInformation, "Impossibile creare il gruppo.");
  headless::ExpectBox(BoxKind::kInformation, "Impossibile creare l'icona.");
  Create();
}

TEST_F(ProgramGroupTest, ACommandTooLongForItsBufferIsNotSentCutShort) {
  ProgramManager().running = true;
  Dlg().DestDir.SetText("c:\\" + std::string(130, 'd'));
  headless::ExpectBox(BoxKind::kInformation, kAsk, mrYes);
  headless::ExpectBox(BoxKind::kInformation, "Impossibile creare l'icona.");
  Create();
  EXPECT_EQ(ProgramManager().commands, std::vector<std::string>{"[CreateGroup(Tolvek)]"});
}

TEST_F(ProgramGroupTest, TheLongestCommandThatFitsIsSentWhole) {
  ProgramManager().running = true;
  std::string name(255 - std::string("[CreateGroup()]").size(), 'g');
  headless::ExpectBox(BoxKind::kInformation, kAsk, mrYes);
  App().Dispatch([&] {
    install::CreateProgramGroup(Dlg().FrontEnd(), name, "T.EXE", "", "T.EXE",
                                toolkit::NoRecording());
  });
  ASSERT_FALSE(ProgramManager().commands.empty());
  EXPECT_EQ(ProgramManager().commands[0].size(), 255u);
}

TEST_F(ProgramGroupTest, ASecondInstallationAsksAndSendsAgain) {
  ProgramManager().running = true;
  for (int run = 0; run < 2; ++run) {
    headless::ExpectBox(BoxKind::kInformation, kAsk, mrYes);
    Create();
  }
  EXPECT_EQ(ProgramManager().commands.size(), 4u);
}

}  // namespace
