// The real INSTALL.EXE and UNINSTAL.EXE beside a running AutoCAD, under Wine: a stand-in program
// named acad.exe runs in the session, as AutoCAD would, whose exit would write its profile back
// over what they changed (and one named acadlt.exe, as AutoCAD LT would). A silent installation
// changes nothing (no file, no trusted path) and exits 1618, the code deployment tools try again
// on, its log saying why; an installation through the dialog asks to close AutoCAD with
// Retry and Cancel, asks again while it still runs and, once it is closed and Retry pressed,
// installs as always; a quiet removal removes nothing and exits 1618, and runs to its end once
// AutoCAD is closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/e2e/InstallerDialog.h"

namespace {

using namespace winetest;
using e2e::Box;
using e2e::kCadFolder;
using e2e::kProfileRoot;
using extractwine::kDestination;
using extractwine::kMedium;
using extractwine::kScratch;

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek";
const std::string kLog = kScratch + "\\acad-running.log";

const Box kCloseAutoCad{
    "Information",
    e2e::CrLf({"AutoCAD \xE8 in esecuzione: alla chiusura riscriverebbe le proprie impostazioni "
               "sopra le modifiche.",
               "Chiudere AutoCAD, poi scegliere Riprova; Annulla esce senza modificare nulla."}),
    {"&Retry", "Cancel"},
    true};
const std::string kReason = "Errore: AutoCAD \xE8 in esecuzione: nulla \xE8 stato modificato.\r\n";

// The quiet removal's log, in %TEMP% without /LOG.
std::string UninstallLog() { return TempFolder() + "\\Tolvek-uninstall.log"; }

// The registered command ("\"C:\...\UNINSTAL.EXE\" /UNINSTALL /S") run to its end.
std::optional<DWORD> RunRegistered(const std::string& name) {
  return RunCommand(e2e::StringValue(kUninstallKey, name).value_or("\"\""));
}

void ExpectTheLogSaysWhy(const std::string& file) {
  const std::string log = ReadLog(file).value_or("(no UTF-8 log with a byte-order mark)");
  EXPECT_NE(log.find(kReason), std::string::npos) << log;
  EXPECT_TRUE(log.ends_with("Codice di uscita: 1618\r\n")) << log;
}

class RunningAutoCadWineTest : public e2e::InstallerDialogTest {
 protected:
  void SetUp() override {
    InstallerDialogTest::SetUp();
    DeleteFileA(kLog.c_str());
    DeleteFileA(UninstallLog().c_str());
  }

  void TearDown() override {
    InstallerDialogTest::TearDown();
    DeleteFileA(kLog.c_str());
  }

  void ASilentInstallationBeside(const std::string& program);
};

void RunningAutoCadWineTest::ASilentInstallationBeside(const std::string& program) {
  const e2e::Scene autoCad2026 = e2e::AutoCad2026();
  LayDemoAutoCad(autoCad2026);
  std::map<std::string, std::optional<std::string>> trusted;
  for (const char* profile : {"<<Unnamed Profile>>", "Disegno"}) {
    trusted[profile] = e2e::StringValue(e2e::VariablesKey(autoCad2026, profile), "TRUSTEDPATHS");
  }
  const e2e::Contents before = e2e::AutoCadFiles();
  StandInAutoCad acad(program);
  ASSERT_TRUE(acad.Listed());

  EXPECT_EQ(RunToTheEnd(kMedium + "\\INSTALL.EXE", "/S \"/LOG=" + kLog + "\""), 1618u);

  EXPECT_EQ(e2e::Differences(before, e2e::AutoCadFiles(), "before", "after"), "");
  for (const auto& [profile, paths] : trusted) {
    EXPECT_EQ(e2e::StringValue(e2e::VariablesKey(autoCad2026, profile), "TRUSTEDPATHS"), paths)
        << profile;
  }
  EXPECT_FALSE(e2e::Exists(e2e::BundleFolder()));
  EXPECT_FALSE(e2e::Exists(kDestination));
  EXPECT_FALSE(e2e::StringValue(kUninstallKey, "DisplayName"));
  ExpectTheLogSaysWhy(kLog);
}

TEST_F(RunningAutoCadWineTest, ASilentInstallationChangesNothingAndExits1618) {
  ASilentInstallationBeside("acad.exe");
}

TEST_F(RunningAutoCadWineTest, ASilentInstallationBesideAutoCadLtChangesNothingAndExits1618) {
  ASilentInstallationBeside("acadlt.exe");
}

TEST_F(RunningAutoCadWineTest, TheDialogAsksUntilAutoCadIsClosedThenInstalls) {
  LayDemoAutoCad();
  auto acad = std::make_unique<StandInAutoCad>();
  ASSERT_TRUE(acad->Listed());
  Start();
  Press(install_);
  std::optional<MessageBoxView> box = WaitForMessageBox(installer_->Id(), 60s);
  ASSERT_TRUE(box);
  EXPECT_EQ(Seen(*box), kCloseAutoCad);
  // Retry while it still runs: the same question again, and nothing done yet.
  Answer(*box, "&Retry");
  box = WaitForMessageBox(installer_->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(Seen(*box), kCloseAutoCad);
  EXPECT_FALSE(e2e::Exists(kDestination));

  acad.reset();
  Answer(*box, "&Retry");
  EXPECT_EQ(AnswerUntilTheEnd("&No"),
            (std::vector<Box>{e2e::kGroupQuestion, e2e::kSuccess, e2e::kRestart}));
  ExpectTheProductInstalledForAutoCad2004();
  LeaveThroughTheReadme();
  EXPECT_EQ(installer_->ExitCode(), 3010u);
}

TEST_F(RunningAutoCadWineTest, AQuietRemovalRemovesNothingAndExits1618UntilAutoCadIsClosed) {
  LayDemoAutoCad();
  ASSERT_EQ(RunToTheEnd(kMedium + "\\INSTALL.EXE", "/S /NOGROUP"), 3010u);
  const std::vector<std::string> folders = {kCadFolder, kProfileRoot, kDestination};
  const e2e::Contents installed = e2e::ContentsOf(folders);
  {
    StandInAutoCad acad;
    ASSERT_TRUE(acad.Listed());
    EXPECT_EQ(RunRegistered("QuietUninstallString"), 1618u);
    EXPECT_EQ(e2e::Differences(installed, e2e::ContentsOf(folders), "installed", "after"), "");
    EXPECT_TRUE(e2e::StringValue(kUninstallKey, "DisplayName"));
    ExpectTheLogSaysWhy(UninstallLog());
  }
  // With AutoCAD closed the same command removes the product.
  EXPECT_EQ(RunRegistered("QuietUninstallString"), 0u);
  EXPECT_FALSE(e2e::Exists(kDestination));
  EXPECT_FALSE(e2e::StringValue(kUninstallKey, "DisplayName"));
}

}  // namespace
