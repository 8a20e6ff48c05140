#include "tests/wine/e2e/InstallerDialog.h"

namespace e2e {
namespace {

using namespace winetest;
using extractwine::kDestination;
using extractwine::kMedium;

bool ShowsAnIcon(HWND box) {
  for (HWND child : Descendants(box)) {
    if (ClassOf(child) == "Static" && IsWindowVisible(child) &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0) {
      return true;
    }
  }
  return false;
}

void RemoveServerLog() {
  DeleteFileA(kServerLog.c_str());
  DeleteFileA((kServerLog + ".ready").c_str());
}

}  // namespace

void PrintTo(const Box& box, std::ostream* out) {
  *out << "\"" << box.title << "\": \"" << box.text << "\" [";
  for (const std::string& button : box.buttons) *out << " " << button;
  *out << " ]" << (box.icon ? " with an icon" : "");
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : "\r\n") + lines[i];
  return text;
}

Box ErrorBox(const std::string& text) { return {kAppTitle, text, {"OK"}, true}; }

std::string WithLinesAfter(const std::string& original, const std::string& anchor,
                           const std::vector<std::string>& added) {
  std::string::size_type at = original.find(anchor + "\r\n");
  EXPECT_NE(at, std::string::npos) << "the demo file has no line " << anchor;
  if (at == std::string::npos) return original;
  at += anchor.size() + 2;
  std::string block;
  for (const std::string& line : added) block += line + "\r\n";
  return original.substr(0, at) + block + original.substr(at);
}

std::string InstalledDocumentStart() {
  return WithLinesAfter(DemoFile("acad2005doc.lsp"),
                        ";;; ACAD2004DOC.LSP - demo document start-up file",
                        {" ", "(load \"tolvek\" '(\"tolvek\"))", " "});
}

std::string InstalledMenu() {
  const std::string menu =
      WithLinesAfter(DemoFile("acad.mns"), "***TOOLBARS",
                     {"**TOLVEK", "ID_Tolvek      [_Toolbar(\"Tolvek\", _Top, _Show, 2, 1, 1)]",
                      "ID_tolvekppos  [_Button(\"Posiziona elemento Tolvek\", \"TKIcon1.bmp\", "
                      "\"ICON_24_BLANK\")]^C^C^Ctolvek",
                      "ID_tolvekrun   [_Button(\"Libreria parametrica Tolvek\", \"TKIcon2.bmp\", "
                      "\"ICON_25_BLANK\")]^C^C^Cruntolvek"});
  return WithLinesAfter(menu, "***HELPSTRINGS",
                        {"ID_tolvekppos   [Posiziona elemento Tolvek]",
                         "ID_tolvekrun    [Libreria parametrica Tolvek]"});
}

std::string InstalledAliases() {
  return DemoFile("acad.pgp") + "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n";
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [name, time] : Listing(folder)) names.push_back(name);
  return names;
}

Contents ContentsOf(const std::vector<std::string>& folders) {
  Contents contents;
  for (const std::string& folder : folders) {
    for (const auto& [name, time] : Listing(folder)) {
      const std::string full = folder + "\\" + name;
      contents[full] = name.back() == '\\' ? std::nullopt : ReadFile(full);
    }
  }
  return contents;
}

Contents AutoCadFiles() { return ContentsOf({kCadFolder, kProfileRoot}); }

std::string Differences(const Contents& a, const Contents& b, const std::string& aLabel,
                        const std::string& bLabel) {
  std::string differences;
  for (const auto& [name, bytes] : a) {
    auto other = b.find(name);
    if (other == b.end())
      differences += name + " only " + aLabel + "\n";
    else if (other->second != bytes)
      differences += name + " has other bytes\n";
  }
  for (const auto& [name, bytes] : b) {
    if (!a.contains(name)) differences += name + " only " + bLabel + "\n";
  }
  return differences;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

extractwine::fs::path BuildDemoMedium() {
  extractwine::ClearScene();
  extractwine::fs::path product = extractwine::WriteProduct();
  medium::MediumOptions options;
  options.productDir = product;
  options.outDir = extractwine::kMedium;
  options.installerDir = extractwine::InstallerDir();
  medium::BuildMedium(options);
  return product;
}

void InstallerDialogTest::SetUpTestSuite() { product_ = BuildDemoMedium(); }

void InstallerDialogTest::TearDownTestSuite() { extractwine::ClearScene(); }

void InstallerDialogTest::SetUp() {
  RemoveTree(kDestination);
  RemoveServerLog();
}

void InstallerDialogTest::TearDown() {
  installer_.reset();
  server_.reset();
  EndProgramManagers();
  cad_.reset();
  RemoveTree(kDestination);
  RemoveServerLog();
}

void InstallerDialogTest::LayDemoAutoCad(StartupFiles startupFiles) {
  cad_ = std::make_unique<DemoAutoCad>(startupFiles);
}

void InstallerDialogTest::LayDemoAutoCad(const Scene& scene) {
  cad_ = std::make_unique<DemoAutoCad>(scene);
}

void InstallerDialogTest::StartProgramManager() {
  server_ = std::make_unique<InstallerProcess>(BuiltFile("tests\\wine\\group\\progman_server.exe"),
                                               "", "\"" + kServerLog + "\"");
  ASSERT_NE(server_->Id(), 0u);
  ASSERT_TRUE(WaitUntil([] { return Exists(kServerLog + ".ready"); }));
}

void InstallerDialogTest::Start(const std::string& medium) {
  installer_ = std::make_unique<InstallerProcess>(medium + "\\INSTALL.EXE", "C:\\");
  ASSERT_NE(installer_->Id(), 0u);
  startupBoxes_.clear();
  // A box shown while the dialog is created holds it back until it is answered.
  const bool shown = WaitUntil([&] {
    if (std::optional<MessageBoxView> view = BoxUp()) {
      startupBoxes_.push_back(Seen(*view));
      winetest::Answer(*view, view->buttons.front());
      WaitUntil([&] { return !IsWindow(view->window); });
      return false;
    }
    dialog_ = WaitForWindow(
        installer_->Id(), [](HWND window) { return ControlName(window) == "MainDlg"; }, 0ms);
    return dialog_ != nullptr;
  });
  ASSERT_TRUE(shown) << "no dialog after " << startupBoxes_.size() << " boxes";
  install_ = FindControl(dialog_, "Installa");
  exit_ = FindControl(dialog_, "Uscita");
  ASSERT_NE(install_, nullptr);
  ASSERT_NE(exit_, nullptr);
}

void InstallerDialogTest::Choose(const std::string& radio) {
  HWND button = FindControl(dialog_, radio);
  ASSERT_NE(button, nullptr) << radio;
  Press(button);
  ASSERT_TRUE(WaitUntil([&] { return Checked(button); })) << radio;
}

std::optional<MessageBoxView> InstallerDialogTest::BoxUp() {
  return WaitForMessageBox(installer_->Id(), 0ms);
}

void InstallerDialogTest::Answer(const MessageBoxView& view, const std::string& button) {
  winetest::Answer(view, button);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(view.window); })) << view.text;
}

Box InstallerDialogTest::Seen(const MessageBoxView& view) {
  return {view.title, view.text, view.buttons, ShowsAnIcon(view.window)};
}

std::vector<Box> InstallerDialogTest::Install(const std::string& group) {
  std::vector<Box> boxes;
  Press(install_);
  // The sequence has begun once the button is disabled (or a box is already up).
  if (!WaitUntil([&] { return !IsWindowEnabled(install_) || BoxUp(); })) {
    ADD_FAILURE() << "the install button did nothing";
    return boxes;
  }
  return AnswerUntilTheEnd(group);
}

std::vector<Box> InstallerDialogTest::AnswerUntilTheEnd(const std::string& group) {
  std::vector<Box> boxes;
  for (;;) {
    std::optional<MessageBoxView> view;
    // A box is modal inside the install button's handler: once the button is enabled again the
    // handler has returned and no box can follow.
    bool answered = WaitUntil(
        [&] {
          view = BoxUp();
          return view || IsWindowEnabled(install_);
        },
        60s);
    if (!answered) {
      ADD_FAILURE() << "the sequence neither showed a box nor ended after " << boxes.size()
                    << " boxes";
      return boxes;
    }
    if (!view) return boxes;
    const Box seen = Seen(*view);
    boxes.push_back(seen);
    Answer(*view, seen == kGroupQuestion ? group : view->buttons.front());
    if (::testing::Test::HasFatalFailure()) return boxes;
    // The error box is the handler's, shown once the sequence has unwound; after a failure the
    // install button stays disabled, so a box that still came would have to come now.
    if (seen.title == kAppTitle && seen.icon) {
      if (std::optional<MessageBoxView> late = WaitForMessageBox(installer_->Id(), 2s)) {
        boxes.push_back(Seen(*late));
        Answer(*late, late->buttons.front());
      }
      return boxes;
    }
  }
}

void InstallerDialogTest::AbandonAtTheDiskPrompt() {
  Press(install_);
  std::optional<MessageBoxView> prompt = WaitForMessageBox(installer_->Id(), 60s);
  ASSERT_TRUE(prompt);
  EXPECT_EQ(Seen(*prompt), kDiskTwo);
  Answer(*prompt, "Cancel");
  std::optional<MessageBoxView> question = WaitForMessageBox(installer_->Id());
  ASSERT_TRUE(question);
  EXPECT_EQ(Seen(*question), kAbandon);
  Answer(*question, "&Yes");
  // The dialog answers a message only back in its own loop, after the sequence has unwound.
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored));
  EXPECT_FALSE(BoxUp());
}

HWND InstallerDialogTest::WaitForReadme(std::chrono::milliseconds timeout) {
  return WaitForWindow(
      installer_->Id(), [](HWND window) { return ControlName(window) == "Lister"; }, timeout);
}

void InstallerDialogTest::LeaveThroughTheReadme() {
  Press(exit_);
  HWND readme = WaitForReadme();
  ASSERT_NE(readme, nullptr);
  PostMessageA(readme, WM_CLOSE, 0, 0);
  ASSERT_TRUE(installer_->WaitForExit(20s));
}

void InstallerDialogTest::ExpectTheProductInstalledForAutoCad2004(const std::string& support) {
  for (const std::string& difference : extractwine::DifferencesFromProduct(product_, support)) {
    ADD_FAILURE() << difference;
  }
}

}  // namespace e2e
