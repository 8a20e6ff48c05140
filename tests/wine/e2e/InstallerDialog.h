// What the end-to-end tests of the dialog share: the medium built once for a test program, the
// real INSTALL.EXE started from it over the demo AutoCAD, the install button pressed and every box
// read and answered, and what the demo AutoCAD's files hold before and after an installation.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/wine/e2e/DemoAutoCad.h"
#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"

namespace e2e {

// A message box as the user sees it: the installer's typed boxes and its error box carry an icon,
// its plain ones none.
struct Box {
  std::string title;
  std::string text;
  std::vector<std::string> buttons;
  bool icon = false;
  bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out);

// The lines joined with CR LF, as the boxes show them.
std::string CrLf(const std::vector<std::string>& lines);

// The application's title, which its plain boxes and its error box carry.
inline const std::string kAppTitle = "KOVIA Install";

// The box of the handler of unhandled errors: the application's title, an icon, one button.
Box ErrorBox(const std::string& text);

inline const Box kGroupQuestion{
    "Information", "Creo l'icona Tolvek con il gruppo corrispondente ?", {"&Yes", "&No"}, true};
inline const Box kSuccess{
    "Information", "L'installazione \xE8 stata effettuata con successo.", {"OK"}, true};
inline const Box kRestart{
    kAppTitle,
    "Per rendere operativa l'installazione \xE8 necessario riavviare il computer.",
    {"OK"}};
inline const Box kDiskTwo{"Information", "Inserire il disco Nr. 2", {"OK", "Cancel"}, true};
inline const Box kAbandon{
    "Information", "Sicuri di volere abbandonare l'installazione ?", {"&Yes", "&No"}, true};

// What follows the error of an installation that failed part-way and was undone.
inline const std::string kNothingChanged =
    "\r\n\r\nL'installazione non \xE8 stata completata e nulla \xE8 stato modificato.";

inline const std::string kServerLog = extractwine::kScratch + "\\progman.log";

// `original` with `added` lines inserted after its line `anchor`; every line ends with CR LF.
std::string WithLinesAfter(const std::string& original, const std::string& anchor,
                           const std::vector<std::string>& added);

// The demo AutoCAD 2004's document start-up file, menu file and command alias file as a complete
// installation leaves them.
std::string InstalledDocumentStart();
std::string InstalledMenu();
std::string InstalledAliases();

// The names below a folder, as winetest::Listing gives them.
std::vector<std::string> Names(const std::string& folder);

// The bytes of every file below some folders, by full path; folders end with a backslash.
using Contents = std::map<std::string, std::optional<std::string>>;
Contents ContentsOf(const std::vector<std::string>& folders);
// The folders of the demo AutoCAD: its own folder and the profiles'.
Contents AutoCadFiles();
// Every name whose presence or bytes differ, one per line, the one side or the other named by
// its label; empty when none.
std::string Differences(const Contents& a, const Contents& b, const std::string& aLabel,
                        const std::string& bLabel);

bool Exists(const std::string& path);

// A fresh scene with the demo product written and its one-folder medium built in
// extractwine::kMedium; returns the product's folder.
extractwine::fs::path BuildDemoMedium();

// The dialog of INSTALL.EXE started from a medium the medium builder wrote out of the demo
// product, one medium for a whole test program.
class InstallerDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  void LayDemoAutoCad(StartupFiles startupFiles = StartupFiles::kPresent);
  void LayDemoAutoCad(const Scene& scene);

  // The stand-in Program Manager, serving before the installer starts, as the shell's would.
  void StartProgramManager();

  // Starts the medium's INSTALL.EXE from the drive's root, as a user double-clicks it in
  // Explorer, and waits for its dialog. The boxes shown before it are answered with their first
  // button and kept in startupBoxes_.
  void Start(const std::string& medium = extractwine::kMedium);

  void Choose(const std::string& radio);

  std::optional<winetest::MessageBoxView> BoxUp();
  void Answer(const winetest::MessageBoxView& view, const std::string& button);
  static Box Seen(const winetest::MessageBoxView& view);

  // Presses the install button and answers every box until the sequence is over: the group
  // question with `group`, every other box with its first button ("OK"). The sequence is over
  // when the install button is enabled again, or once the error box has been answered, after
  // which nothing may follow. Returns the boxes in the order they came.
  std::vector<Box> Install(const std::string& group);
  // What Install does once the sequence has begun: every box answered until it is over.
  std::vector<Box> AnswerUntilTheEnd(const std::string& group);

  // Presses the install button with the medium short of a package: the first box is the prompt
  // for disk 2, which the user cancels and then confirms abandoning the installation.
  void AbandonAtTheDiskPrompt();

  HWND WaitForReadme(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Leaves the installer by its exit button and closes the readme it shows.
  void LeaveThroughTheReadme();

  void ExpectTheProductInstalledForAutoCad2004(const std::string& support = kProfileSupport);

  static inline extractwine::fs::path product_;
  std::unique_ptr<DemoAutoCad> cad_;
  std::unique_ptr<winetest::InstallerProcess> server_;
  std::unique_ptr<winetest::InstallerProcess> installer_;
  std::vector<Box> startupBoxes_;
  HWND dialog_ = nullptr;
  HWND install_ = nullptr;
  HWND exit_ = nullptr;
};

}  // namespace e2e
