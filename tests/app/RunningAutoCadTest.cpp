// An AutoCAD that runs while the installer or the uninstaller works writes its profile back as it
// exits, over what they changed: both change nothing while it runs. Checked here from the command
// line to the exit code on the headless backend, where the test says when AutoCAD runs and closes
// it while the box is up. With a person at the machine, Retry looks again (and asks again while it
// still runs), Retry after closing it goes on to the end, and Cancel leaves the disk and the
// registry exactly as they were with 1602 and the dialog closed, as the box says; with /S nobody
// can close it, so the run changes nothing, exits 1618 (the code deployment tools try again on)
// and its log says why. AutoCAD LT's program counts as AutoCAD's.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/Lister.h"
#include "app/MainDlg.h"
#include "app/Startup.h"
#include "install/Registration.h"
#include "tests/support/Cp1252.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogText.h"
#include "tests/support/Medium.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Forms.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using headless::HeadlessProc;
using headless::MemReg;

const std::string kProfile = "c:\\Profiles\\u1\\Acad\\";
const std::string kLog = "c:\\temp\\Tolvek-install.log";
const std::string kUninstallLog = "c:\\temp\\Tolvek-uninstall.log";
const std::string kCloseFirstLine = Cp1252(
    "AutoCAD \xE8 in esecuzione: alla chiusura riscriverebbe le proprie impostazioni sopra le "
    "modifiche.");
const std::string kCloseSecondLine =
    "Chiudere AutoCAD, poi scegliere Riprova; Annulla esce senza modificare nulla.";
const std::string kCloseAutoCad = kCloseFirstLine + "\r\n" + kCloseSecondLine;
// The question and its answer in the log, its second line below the first, past the time stamp.
std::string Asked(const std::string& answer) {
  return "Domanda: " + kCloseFirstLine + "\r\n" + std::string(25, ' ') + kCloseSecondLine + " -> " +
         answer + "\r\n";
}
const std::string kRefused = Asked("no");
const std::string kReason =
    Cp1252("Errore: AutoCAD \xE8 in esecuzione: nulla \xE8 stato modificato.\r\n");
const std::string kConfirmRemoval =
    "Rimuovere Tolvek dal computer, con le modifiche fatte ai file di AutoCAD?";
const std::string kRemoved = Cp1252("Tolvek \xE8 stato rimosso dal computer.");
const std::string kFrom = "\"/FROM=" + testing_support::kUserRecordFolder + "\"";

// What the user does at the box that asks to close AutoCAD.
enum class AtTheBox { kRetry, kCloseThenRetry, kCancel };

class RunningAutoCadTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayAutoCad2004Machine(Disk(), kProfile);
    headless::ProgramManager().running = true;
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  // The disk and the registry, less the logs a run writes.
  using Machine = std::pair<std::map<std::string, std::string>, std::map<std::string, std::string>>;
  Machine Take() {
    auto files = Disk().Snapshot();
    std::erase_if(files, [](const auto& file) { return file.first.ends_with(".log"); });
    return {files, MemReg().Snapshot()};
  }

  // AutoCAD (`program`) runs; each of its boxes gets the answer the row gives.
  static void AutoCadRunsAndTheUserAnswers(const std::vector<AtTheBox>& boxes,
                                           const std::string& program = "acad.exe") {
    HeadlessProc().SetRunning(program, true);
    for (AtTheBox answer : boxes) {
      switch (answer) {
        case AtTheBox::kRetry:
          headless::ExpectBox(BoxKind::kInformation, kCloseAutoCad, mrRetry);
          break;
        case AtTheBox::kCloseThenRetry:
          headless::ExpectBoxThen(BoxKind::kInformation, kCloseAutoCad, mrRetry,
                                  [program] { HeadlessProc().SetRunning(program, false); });
          break;
        case AtTheBox::kCancel:
          headless::ExpectBox(BoxKind::kInformation, kCloseAutoCad, mrCancel);
          break;
      }
    }
  }

  // Every box that asked to close AutoCAD offered Retry and Cancel; returns how many there were.
  static std::size_t CloseBoxesShown() {
    std::size_t shown = 0;
    for (const headless::ShownBox& box : headless::ShownBoxes()) {
      if (box.text != kCloseAutoCad) continue;
      ++shown;
      EXPECT_EQ(box.buttons, unsigned(mbRetry | mbCancel));
    }
    return shown;
  }

  void ExpectLogged(const std::vector<std::string>& lines, int code,
                    const std::string& path = kLog) {
    const std::string log = testing_support::LogText(Disk().FileContent(path));
    for (const std::string& line : lines) EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_TRUE(log.ends_with("Codice di uscita: " + std::to_string(code) + "\r\n")) << log;
  }
};

TEST_F(RunningAutoCadTest, AnInstallationWaitsForAutoCadToCloseOrChangesNothing) {
  using enum AtTheBox;
  const struct {
    const char* name;
    const char* arguments;
    std::vector<AtTheBox> boxes;
    int code;
    std::vector<std::string> logged;
    std::string program = "acad.exe";
  } cases[] = {
      {"closed, then Retry",
       "/LOG=c:\\temp\\Tolvek-install.log",
       {kCloseThenRetry},
       3010,
       {Asked(Cp1252("s\xEC"))}},
      {"Retry while it still runs asks again", "", {kRetry, kRetry, kCloseThenRetry}, 3010, {}},
      {"Cancel", "/LOG=c:\\temp\\Tolvek-install.log", {kCancel}, 1602, {kRefused}},
      {"Retry, then Cancel", "", {kRetry, kCancel}, 1602, {}},
      {"silent", "/S", {}, 1618, {kRefused, kReason}},
      {"AutoCAD LT, closed, then Retry", "", {kCloseThenRetry}, 3010, {}, "acadlt.exe"},
      {"AutoCAD LT, silent", "/S", {}, 1618, {kRefused, kReason}, "acadlt.exe"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    SetUp();
    const Machine before = Take();
    const bool silent = std::string(row.arguments).starts_with("/S");
    const bool completes = row.code == 3010;
    AutoCadRunsAndTheUserAnswers(row.boxes, row.program);
    if (!silent) {
      headless::QueueUserAction([] { app::MainDlg->Installa.Click(); });
      if (completes) {
        headless::ExpectBox(BoxKind::kInformation,
                            "Creo l'icona Tolvek con il gruppo corrispondente ?", mrNo);
        headless::ExpectBox(BoxKind::kInformation,
                            Cp1252("L'installazione \xE8 stata effettuata con successo."));
        headless::ExpectBox(
            BoxKind::kPlain,
            Cp1252("Per rendere operativa l'installazione \xE8 necessario riavviare il computer."));
      }
      // After Cancel the dialog has closed by itself: the exit button is not pressed.
      if (completes) {
        headless::QueueUserAction([] { app::MainDlg->Uscita.Click(); });
        headless::QueueUserAction([] { app::Lister->Close(); });
      }
    }
    EXPECT_EQ(Run(row.arguments), row.code);
    EXPECT_EQ(CloseBoxesShown(), row.boxes.size());
    if (completes) {
      EXPECT_TRUE(MemReg().KeyExists(install::kUninstallKey));
      EXPECT_EQ(Disk().FileContent(testing_support::kUserRecordFolder + "\\UNINSTAL.EXE"),
                "MZ installer");
    } else {
      EXPECT_TRUE(Take() == before) << "the installation changed the machine";
    }
    if (!row.logged.empty()) ExpectLogged(row.logged, row.code);
    TearDown();
  }
}

TEST_F(RunningAutoCadTest, ARemovalWaitsForAutoCadToCloseOrChangesNothing) {
  using enum AtTheBox;
  const struct {
    const char* name;
    std::string arguments;
    std::vector<AtTheBox> boxes;
    int code;
    std::vector<std::string> logged;
  } cases[] = {
      {"Cancel", "/UNINSTALL " + kFrom, {kCancel}, 1602, {kRefused}},
      {"Retry while it still runs, then closed",
       "/UNINSTALL " + kFrom,
       {kRetry, kCloseThenRetry},
       0,
       {}},
      {"silent", "/UNINSTALL /S " + kFrom, {}, 1618, {kRefused, kReason}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    SetUp();
    ASSERT_EQ(Run("/S /NOGROUP"), 3010);
    const Machine installed = Take();
    const bool silent = row.arguments.find("/S ") != std::string::npos;
    if (!silent) headless::ExpectBox(BoxKind::kInformation, kConfirmRemoval, mrYes);
    AutoCadRunsAndTheUserAnswers(row.boxes);
    if (!silent && row.code == 0) headless::ExpectBox(BoxKind::kPlain, kRemoved);
    const std::string log = " /LOG=" + kUninstallLog;
    EXPECT_EQ(Run(row.arguments + (silent ? "" : log)), row.code);
    EXPECT_EQ(CloseBoxesShown(), row.boxes.size());
    if (row.code == 0) {
      EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
      EXPECT_FALSE(MemReg().KeyExists(install::kUninstallKey));
    } else {
      EXPECT_TRUE(Take() == installed) << "the removal changed the machine";
    }
    ExpectLogged(row.logged, row.code, kUninstallLog);
    TearDown();
  }
}

}  // namespace
