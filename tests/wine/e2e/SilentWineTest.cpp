// The real INSTALL.EXE run as a deployment tool runs it, under Wine: /S installs AutoCAD 2004 and
// later or release 14 into the same files, patches and backups as a person clicking through the
// dialog, without ever showing a window of its own, and exits with the Windows Installer's codes
// (3010 for the NT family, 0 for 98/ME). Its log holds every event of the installation and ends
// with the code, in UTF-8 after a byte-order mark. A missing package ends the run with 1603 and no
// window; an unknown option gives 1639; a second run leaves AutoCAD alone; and while one
// installation runs, another exits at once with 1618 and the first still completes.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/e2e/DemoAutoCad.h"
#include "tests/wine/e2e/InstallerDialog.h"
#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"

namespace {

using namespace winetest;
using e2e::DemoAutoCad;
using e2e::kCadFolder;
using e2e::kProfileRoot;
using extractwine::kDestination;
using extractwine::kMedium;
using extractwine::kScratch;
using extractwine::fs::path;

const std::string kLog = kScratch + "\\silent.log";
using e2e::kServerLog;

// Every name whose presence or bytes differ between the installation through the dialog and the
// silent one.
std::string Differences(const e2e::Contents& byTheDialog, const e2e::Contents& silently) {
  return e2e::Differences(byTheDialog, silently, "after the dialog", "after the silent run");
}

// Time stamp and bytes of every name below a folder, to tell a file written again from one left
// alone.
using Snapshot = std::map<std::string, std::pair<std::uint64_t, std::optional<std::string>>>;

Snapshot Take(const std::string& folder) {
  Snapshot snapshot;
  for (auto [name, time] : Listing(folder)) {
    // Extracting the product's own files into the support folder stamps it and them.
    const bool product = name.ends_with("\\Support\\") || name.ends_with("tkicon1.bmp") ||
                         name.ends_with("tkicon2.bmp") || name.ends_with("tolvek.lsp");
    snapshot[name] = {product ? 0 : time,
                      name.back() == '\\' ? std::nullopt : ReadFile(folder + "\\" + name)};
  }
  return snapshot;
}

std::string TempLog() { return TempFolder() + "\\Tolvek-install.log"; }

struct SilentResult {
  std::optional<DWORD> code;
  std::vector<std::string> windowsSeen;  // class and text of each visible window of the installer
};

class SilentWineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { product_ = e2e::BuildDemoMedium(); }

  static void TearDownTestSuite() { extractwine::ClearScene(); }

  void SetUp() override { Clean(); }

  void TearDown() override {
    installer_.reset();
    server_.reset();
    EndProgramManagers();
    cad_.reset();
    Clean();
  }

  static void Clean() {
    extractwine::RemoveInstallation();
    for (const std::string& file : {kLog, kServerLog, kServerLog + ".ready", TempLog()}) {
      DeleteFileA(file.c_str());
    }
  }

  void LayAutoCad2004() {
    // The scene before takes its folders away as it goes: it must go before the next is laid.
    cad_.reset();
    cad_ = std::make_unique<DemoAutoCad>();
  }
  static void LayRelease14() {
    RemoveTree(kCadFolder);
    extractwine::WriteAutoCadFolder();
  }

  void StartProgramManager() {
    server_ = std::make_unique<InstallerProcess>(
        BuiltFile("tests\\wine\\group\\progman_server.exe"), "", "\"" + kServerLog + "\"");
    ASSERT_TRUE(WaitUntil([] {
      return GetFileAttributesA((kServerLog + ".ready").c_str()) != INVALID_FILE_ATTRIBUTES;
    }));
  }

  // Runs the medium's INSTALL.EXE with `arguments` to its end, looking at its top-level windows
  // every few milliseconds all the while.
  static SilentResult RunSilently(const std::string& arguments,
                                  const std::string& medium = kMedium) {
    SilentResult result;
    InstallerProcess installer(medium + "\\INSTALL.EXE", "C:\\", arguments);
    EXPECT_NE(installer.Id(), 0u);
    const auto deadline = std::chrono::steady_clock::now() + 90s;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      ended = installer.WaitForExit(5ms);
      for (HWND window : TopLevelWindows(installer.Id())) {
        result.windowsSeen.push_back(ClassOf(window) + " \"" + Text(window) + "\"");
      }
    }
    EXPECT_TRUE(ended) << "the installer did not end";
    result.code = installer.ExitCode();
    return result;
  }

  void StartTheDialog() {
    installer_ = std::make_unique<InstallerProcess>(kMedium + "\\INSTALL.EXE", "C:\\");
    dialog_ = WaitForWindow(installer_->Id(),
                            [](HWND window) { return ControlName(window) == "MainDlg"; });
    ASSERT_NE(dialog_, nullptr);
  }

  void Choose(const std::string& radio) {
    HWND button = FindControl(dialog_, radio);
    ASSERT_NE(button, nullptr) << radio;
    Press(button);
    ASSERT_TRUE(WaitUntil([&] { return Checked(button); })) << radio;
  }

  // Presses the install button and answers every box with its first button but the group
  // question, which gets No, until the button is enabled again; then leaves through the readme.
  // Returns the exit code.
  std::optional<DWORD> InstallThroughTheDialog() {
    HWND install = FindControl(dialog_, "Installa");
    Press(install);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(install); }));
    for (;;) {
      std::optional<MessageBoxView> box;
      EXPECT_TRUE(WaitUntil(
          [&] {
            box = WaitForMessageBox(installer_->Id(), 0ms);
            return box || IsWindowEnabled(install);
          },
          60s));
      if (!box) break;
      // The group is asked for only when a Program Manager is there to make it.
      const bool refuse = box->text.starts_with("Creo l'icona") && !server_;
      Answer(*box, refuse ? "&No" : box->buttons.front());
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box->window); }));
    }
    Press(FindControl(dialog_, "Uscita"));
    HWND readme = WaitForWindow(installer_->Id(),
                                [](HWND window) { return ControlName(window) == "Lister"; });
    EXPECT_NE(readme, nullptr);
    PostMessageA(readme, WM_CLOSE, 0, 0);
    EXPECT_TRUE(installer_->WaitForExit(20s));
    return installer_->ExitCode();
  }

  static std::string Log(const std::string& file = kLog) {
    return ReadLog(file).value_or("(no UTF-8 log with a byte-order mark)");
  }

  static void ExpectLogged(const std::string& log, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      EXPECT_NE(log.find(line), std::string::npos) << line << "\nin the log:\n" << log;
    }
  }

  static inline path product_;
  std::unique_ptr<DemoAutoCad> cad_;
  std::unique_ptr<InstallerProcess> server_;
  std::unique_ptr<InstallerProcess> installer_;
  HWND dialog_ = nullptr;
};

TEST_F(SilentWineTest, ASilentInstallationIntoAutoCad2004GivesWhatTheDialogGives) {
  LayAutoCad2004();
  StartProgramManager();
  StartTheDialog();
  EXPECT_EQ(InstallThroughTheDialog(), 3010u);
  const std::vector<std::string> folders = {kDestination, kCadFolder, kProfileRoot};
  const e2e::Contents byTheDialog = e2e::ContentsOf(folders);

  server_.reset();
  Clean();
  LayAutoCad2004();
  StartProgramManager();
  const SilentResult run = RunSilently("/S /LOG=\"" + kLog + "\"");
  EXPECT_EQ(run.code, 3010u);
  EXPECT_EQ(run.windowsSeen, std::vector<std::string>{});
  EXPECT_EQ(Differences(byTheDialog, e2e::ContentsOf(folders)), "");

  const std::string support = e2e::kProfileSupport + "\\";
  ExpectLogged(
      Log(),
      {"Opzioni: /S /LOG=\"" + kLog + "\"\r\n",
       "Cartella di AutoCAD: c:\\Programmi\\Autocad 2006\r\n",
       "Versione di AutoCAD: Versione 2004/2005/2006\r\n", "Windows: Per Windows NT/2000/XP\r\n",
       "Cartella di supporto di AutoCAD dal registro: " + support + "\r\n",
       "File di avvio AutoLISP modificati o gi\xE0 completi (copia di riserva .bak accanto a "
       "ciascuno) in c:\\Programmi\\Autocad 2006\r\n",
       "Estratto: " + kMedium + "\\cad-acad.pck tkicon1.bmp -> " + support + ", 1 file\r\n",
       "Modificato: " + support + "acad.mns (copia di riserva " + support + "tktemp.bak)\r\n",
       "Modificato: " + support + "acad.pgp (copia di riserva " + support + "pgp.bak)\r\n",
       "Estratto: " + kMedium + "\\tk.pck -> c:\\Tolvek4\\, ",
       "Domanda: Creo l'icona Tolvek con il gruppo corrispondente ? -> s\xEC\r\n",
       "Program Manager, comando inviato: [CreateGroup(Tolvek)]\r\n",
       "Program Manager, comando inviato: "
       "[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]\r\n",
       "Messaggio: L'installazione \xE8 stata effettuata con successo.\r\n",
       "Messaggio: Per rendere operativa l'installazione \xE8 necessario riavviare il "
       "computer.\r\n"});
  EXPECT_TRUE(Log().ends_with("Codice di uscita: 3010\r\n")) << Log();
  // Any tool reads it: the mark, valid UTF-8 after it (Log() decodes it strictly), and an accent
  // as the character's two bytes.
  const std::string bytes = ReadFile(kLog).value_or("");
  EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF")) << bytes.substr(0, 16);
  EXPECT_NE(bytes.find("File di avvio AutoLISP modificati o gi\xC3\xA0 completi"),
            std::string::npos);
  EXPECT_TRUE(ReadLog(kLog)) << "not UTF-8 after the mark";
  EXPECT_TRUE(WaitUntil(
      [] { return ReadFile(kServerLog).value_or("").find("[AddItem(") != std::string::npos; },
      10s));
}

TEST_F(SilentWineTest, ASilentRelease14InstallationFor98GivesWhatTheDialogGivesAndExitsZero) {
  LayRelease14();
  StartTheDialog();
  Choose("Per14");
  Choose("Per95");
  EXPECT_EQ(InstallThroughTheDialog(), 0u);
  const std::vector<std::string> folders = {kDestination, kCadFolder};
  const e2e::Contents byTheDialog = e2e::ContentsOf(folders);

  Clean();
  LayRelease14();
  const SilentResult run = RunSilently("/s -r14 /Win9x /NOGROUP \"/LOG=" + kLog + "\"");
  EXPECT_EQ(run.code, 0u);
  EXPECT_EQ(run.windowsSeen, std::vector<std::string>{});
  EXPECT_EQ(Differences(byTheDialog, e2e::ContentsOf(folders)), "");
  ExpectLogged(Log(),
               {"Cartella di supporto di AutoCAD: c:\\Programmi\\Autocad 2006\\support\\\r\n",
                "Gruppo di Program Manager: no\r\n"});
  EXPECT_EQ(Log().find("Program Manager, comando"), std::string::npos);
  EXPECT_TRUE(Log().ends_with("Codice di uscita: 0\r\n")) << Log();
}

TEST_F(SilentWineTest, AMissingPackageEndsTheRunWith1603AndNoWindow) {
  const std::string medium = kScratch + "\\short-medium";
  extractwine::CopyFiles(kMedium, medium);
  ASSERT_TRUE(DeleteFileA((medium + "\\parts-kx.pck").c_str()));
  LayAutoCad2004();
  const SilentResult run = RunSilently("/S", medium);
  EXPECT_EQ(run.code, 1603u);
  EXPECT_EQ(run.windowsSeen, std::vector<std::string>{});
  // Without /LOG the log is in %TEMP%.
  ExpectLogged(Log(TempLog()), {"Pacchetto mancante: " + medium + "\\parts-kx.pck\r\n"});
  EXPECT_TRUE(Log(TempLog()).ends_with("Codice di uscita: 1603\r\n")) << Log(TempLog());
  EXPECT_TRUE(Listing(kDestination + "\\Parts\\Kx").empty());
}

TEST_F(SilentWineTest, AnUnknownOptionGives1639) {
  const SilentResult silent = RunSilently("/S /QUIET /LOG=\"" + kLog + "\"");
  EXPECT_EQ(silent.code, 1639u);
  EXPECT_EQ(silent.windowsSeen, std::vector<std::string>{});
  ExpectLogged(Log(), {"Riga di comando non valida: /QUIET\r\n", "/NOGROUP - "});
  EXPECT_FALSE(e2e::Exists(kDestination));

  // Without /S the user reads the usage in a box.
  installer_ = std::make_unique<InstallerProcess>(kMedium + "\\INSTALL.EXE", "C:\\", "/QUIET");
  std::optional<MessageBoxView> box = WaitForMessageBox(installer_->Id());
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->text.starts_with("Riga di comando non valida: /QUIET\r\n\r\nUso: "))
      << box->text;
  Answer(*box, "OK");
  EXPECT_TRUE(installer_->WaitForExit(20s));
  EXPECT_EQ(installer_->ExitCode(), 1639u);
}

TEST_F(SilentWineTest, ASecondSilentRunChangesNoAutoCadFileAndStillExits3010) {
  LayAutoCad2004();
  ASSERT_EQ(RunSilently("/S /NOGROUP").code, 3010u);
  const Snapshot cadBefore = Take(kCadFolder);
  const Snapshot profileBefore = Take(kProfileRoot);
  const SilentResult again = RunSilently("/S /NOGROUP /LOG=\"" + kLog + "\"");
  EXPECT_EQ(again.code, 3010u);
  EXPECT_EQ(again.windowsSeen, std::vector<std::string>{});
  EXPECT_TRUE(Take(kCadFolder) == cadBefore);
  EXPECT_TRUE(Take(kProfileRoot) == profileBefore);
  EXPECT_EQ(ReadFile(e2e::kProfileSupport + "\\tktemp.bak"), e2e::DemoFile("acad.mns"));
}

TEST_F(SilentWineTest, WhileOneInstallationRunsASecondExits1618AtOnce) {
  LayAutoCad2004();
  StartTheDialog();
  const auto started = std::chrono::steady_clock::now();
  const SilentResult second = RunSilently("/S /LOG=\"" + kLog + "\"");
  EXPECT_EQ(second.code, 1618u);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  EXPECT_EQ(second.windowsSeen, std::vector<std::string>{});
  ExpectLogged(Log(), {"Un'altra installazione di Tolvek \xE8 in corso su questo computer.\r\n"});
  EXPECT_TRUE(Log().ends_with("Codice di uscita: 1618\r\n")) << Log();
  EXPECT_FALSE(e2e::Exists(kDestination));

  // The first one goes on as if nothing had happened.
  EXPECT_EQ(InstallThroughTheDialog(), 3010u);
  for (const std::string& difference :
       extractwine::DifferencesFromProduct(product_, e2e::kProfileSupport)) {
    ADD_FAILURE() << difference;
  }
}

}  // namespace
