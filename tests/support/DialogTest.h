// A headless test with the installer's main dialog created as start-up creates it. Show() shows
// it modally and runs `whileShown` as the user's first action; the dialog then closes.
#pragma once

#include <functional>
#include <memory>

#include "app/Lister.h"
#include "app/MainDlg.h"
#include "app/Startup.h"
#include "config/Vars.h"
#include "tests/support/HeadlessTest.h"
#include "toolkit/Forms.h"

namespace testing_support {

class DialogTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Disk().SetProgramPath("c:\\setup\\install.exe");
    toolkit::App().SetTitle("KOVIA Install");
    CreateWindows();
  }

  // The installer started again: fresh windows over the same disk and registry.
  void Restart() {
    app::Lister.reset();
    app::MainDlg.reset();
    config::Vars = config::ConfigurationBlock{};
    CreateWindows();
  }

  void CreateWindows() {
    // Start-up fills the configuration before any window exists, for the texts of the command
    // line, the log and the boxes the dialog's creation may show.
    app::SetStartupValues();
    config::FillConfiguration();
    app::MainDlg = std::make_unique<app::TMainDlg>();
    app::MainDlg->Create();
    app::Lister = std::make_unique<app::TLister>();
    app::Lister->Create();
  }

  void TearDown() override {
    app::Lister.reset();
    app::MainDlg.reset();
    HeadlessTest::TearDown();
  }

  app::TMainDlg& Dlg() { return *app::MainDlg; }

  // Shows the dialog; `whileShown` runs as the user's action, then the dialog is closed.
  void Show(const std::function<void()>& whileShown = [] {}) {
    toolkit::headless::QueueUserAction([&] {
      whileShown();
      if (Dlg().ModalResult() == toolkit::mrNone) Dlg().Close();
    });
    Dlg().ShowModal();
  }

  // Fills a fresh configuration with other start-up values, as a variant of the product would.
  void Configure(int language, int productCode, bool windowsChoice = true) {
    std::string sourceDir = config::Vars.SourceDir;
    config::Vars = config::ConfigurationBlock{};
    config::Vars.SourceDir = sourceDir;
    config::Vars.Language = language;
    config::Vars.ProductCode = std::uint8_t(productCode);
    config::Vars.ShowWindowsChoice = windowsChoice;
    config::FillConfiguration();
  }
};

}  // namespace testing_support
