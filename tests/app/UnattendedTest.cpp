// The installer run by a deployment tool, from its entry to its exit code, on the headless
// backend: each command line and machine state gives the Windows Installer's code the tools act
// on, a silent run shows no box (the backend fails the test on any), and its log names what went
// wrong and ends with the code. A wrong code makes Intune or Configuration Manager report a broken
// installation as done, or retry a good one forever.
#include <gtest/gtest.h>

#include <functional>

#include "app/Lister.h"
#include "app/MainDlg.h"
#include "app/Session.h"
#include "app/Startup.h"
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

const std::string kAcad = "c:\\Programmi\\Autocad 2006";
const std::string kProfile = "c:\\Profiles\\u1\\Acad\\";
const std::string kLog = "c:\\temp\\Tolvek-install.log";

class UnattendedTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayAutoCad2004Machine(Disk(), kProfile);
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  std::string Log(const std::string& path = kLog) {
    return testing_support::LogText(Disk().FileContent(path));
  }
};

struct Case {
  const char* name;
  const char* arguments;
  std::function<void(headless::MemoryFileSystem&)> machine;
  int code;
  std::string logged;  // a line the log must hold
};

TEST_F(UnattendedTest, EachOutcomeGivesItsExitCodeAndSaysWhyInTheLog) {
  const Case cases[] = {
      {"NT family",
       "/S",
       {},
       3010,
       Cp1252("Messaggio: Per rendere operativa l'installazione \xE8 necessario riavviare il "
              "computer.")},
      {"98/ME family", "/S /WIN9X", {}, 0, "Windows: Per Windows 98/ME"},
      {"package missing", "/S", [](auto& disk) { disk.Delete("c:\\setup\\parts-kx.pck"); }, 1603,
       "Pacchetto mancante: c:\\setup\\parts-kx.pck"},
      {"no AutoCAD folder",
       "/S /ACAD=c:\\nowhere",
       {},
       1603,
       Cp1252("Messaggio: La cartella di AutoCAD non \xE8 stata trovata.")},
      {"folder error", "/S", [](auto& disk) { disk.PutFile("c:\\Tolvek4\\Store", ""); }, 1603,
       "Errore: "},
      {"unknown option", "/S /QUIET", {}, 1639, "Riga di comando non valida: /QUIET"},
      {"usage", "/S /?", {}, 0, "/NOGROUP - senza il gruppo di Program Manager"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    SetUp();
    if (row.machine) row.machine(Disk());
    EXPECT_EQ(Run(row.arguments), row.code);
    const std::string log = Log();
    EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    // The code is the last line, after everything else the run wrote.
    const std::string last = "Codice di uscita: " + std::to_string(row.code) + "\r\n";
    EXPECT_TRUE(log.ends_with(last)) << log;
    TearDown();
  }
}

TEST_F(UnattendedTest, ASilentRunLogsEveryEventOfTheInstallation) {
  headless::ProgramManager().running = true;
  EXPECT_EQ(Run("/S /LOG=c:\\t.log"), 3010);
  const std::string log = Log("c:\\t.log");
  for (const std::string& line : std::vector<std::string>{
           "2006-03-01 09:30:00.000  Installazione avviata da c:\\setup\r\n",
           "Opzioni: /S /LOG=c:\\t.log\r\n",
           "Cartella di AutoCAD: c:\\Programmi\\Autocad 2006\r\n",
           "Versione di AutoCAD: Versione 2004/2005/2006\r\n",
           Cp1252("Gruppo di Program Manager: s\xEC\r\n"),
           Cp1252("File di avvio AutoLISP modificati o gi\xE0 completi"),
           "Cartella di supporto di AutoCAD dal registro: c:\\Profiles\\u1\\Acad\\Support\\\r\n",
           "Estratto: c:\\setup\\cad-acad.pck tkicon1.bmp -> c:\\Profiles\\u1\\Acad\\Support\\, 1 "
           "file\r\n",
           "Modificato: c:\\Profiles\\u1\\Acad\\Support\\acad.mns (copia di "
           "riserva c:\\Profiles\\u1\\Acad\\Support\\tktemp.bak)\r\n",
           "Modificato: c:\\Profiles\\u1\\Acad\\Support\\acad.pgp (copia di "
           "riserva c:\\Profiles\\u1\\Acad\\Support\\pgp.bak)\r\n",
           "Estratto: c:\\setup\\parts-pneumatica-img.pck -> "
           "c:\\Tolvek4\\parts\\pneumatica\\img\\, ",
           Cp1252("Domanda: Creo l'icona Tolvek con il gruppo corrispondente ? -> s\xEC\r\n"),
           "Program Manager, comando inviato: [CreateGroup(Tolvek)]\r\n",
           Cp1252("Messaggio: L'installazione \xE8 stata effettuata con successo.\r\n"),
       }) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  }
  EXPECT_FALSE(Disk().FileExists(kLog));
}

TEST_F(UnattendedTest, AManualEditMessageIsLoggedAndTheRunStillSucceeds) {
  Disk().Delete(kProfile + "Support\\acad.pgp");
  EXPECT_EQ(Run("/S /WIN9X /NOGROUP"), 0);
  EXPECT_NE(Log().find("Messaggio: Impossibile modificare il file \"acad.pgp\"\r\n"),
            std::string::npos);
  // The message's further lines follow under the first, indented.
  EXPECT_NE(Log().find("\r\n                         c:\\tolvek4\\tolvek.exe\r\n"),
            std::string::npos)
      << Log();
  EXPECT_EQ(Log().find("Program Manager, comando"), std::string::npos);
}

TEST_F(UnattendedTest, WhileAnotherInstallationRunsNothingIsTouched) {
  HeadlessProc().HoldElsewhere(app::kInstallerMutex);
  EXPECT_EQ(Run("/S"), 1618);
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
  EXPECT_NE(Log().find(Cp1252("Un'altra installazione di Tolvek \xE8 in corso")),
            std::string::npos);
}

TEST_F(UnattendedTest, TheMutexIsHeldForTheRunAndReleasedAfter) {
  bool heldDuringTheRun = false;
  headless::QueueUserAction([&] {
    heldDuringTheRun = HeadlessProc().Holds(app::kInstallerMutex);
    app::MainDlg->Uscita.Click();
  });
  // Leaving the dialog before installing is the user's abandon.
  EXPECT_EQ(Run(""), 1602);
  EXPECT_TRUE(heldDuringTheRun);
  EXPECT_FALSE(HeadlessProc().Holds(app::kInstallerMutex));
}

TEST_F(UnattendedTest, OptionsPresetTheDialogAndNoGroupAnswersItsQuestion) {
  headless::QueueUserAction([&] {
    app::TMainDlg& dialog = *app::MainDlg;
    EXPECT_EQ(dialog.AppDir.Text(), "c:\\cad14");
    EXPECT_TRUE(dialog.Per14.Checked());
    EXPECT_TRUE(dialog.Per95.Checked());
    // The user may still change a choice before pressing the button.
    dialog.AppDir.SetText(kAcad);
    dialog.Per2000.SetChecked(true);
    dialog.Installa.Click();
  });
  headless::ExpectBox(BoxKind::kInformation,
                      Cp1252("L'installazione \xE8 stata effettuata con successo."));
  headless::QueueUserAction([&] { app::MainDlg->Uscita.Click(); });
  headless::QueueUserAction([&] { app::Lister->Close(); });
  EXPECT_EQ(Run("/ACAD=c:\\cad14 /R14 /WIN9X /NOGROUP /LOG=c:\\i.log"), 0);
  EXPECT_NE(
      Log("c:\\i.log").find("Domanda: Creo l'icona Tolvek con il gruppo corrispondente ? -> no"),
      std::string::npos);
  EXPECT_TRUE(Log("c:\\i.log").ends_with("Codice di uscita: 0\r\n"));
}

}  // namespace
