// The whole installation as a user runs it under Wine: the real INSTALL.EXE with the real
// INSTALL.DLL, started from a medium the medium builder wrote, over the demo AutoCAD 2004 or later,
// every box read and answered. Each test checks what the user and AutoCAD are left with: the
// product files byte for byte, AutoCAD's files patched at the right lines with backups of what they
// held, the boxes in their order with their titles, texts and buttons, the commands Program Manager
// received, the readme shown at the exit, and that a second installation leaves AutoCAD alone.
// AutoCAD 2008 and 2026, which have none of the start-up files of the earlier releases, load the
// product from acaddoc.lsp and from a bundle in the user's application data.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/XmlReader.h"
#include "tests/wine/e2e/DemoAutoCad.h"
#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"

namespace {

using namespace winetest;
using e2e::DemoAutoCad;
using e2e::DemoFile;
using e2e::kCadFolder;
using e2e::kProfileRoot;
using e2e::kProfileSupport;
using e2e::Scene;
using e2e::StartupFiles;
using extractwine::kDestination;
using extractwine::kMedium;
using extractwine::kScratch;
using extractwine::fs::path;

// A message box as the user sees it: the installer's typed boxes carry an icon, its plain ones
// none.
struct Box {
  std::string title;
  std::string text;
  std::vector<std::string> buttons;
  bool icon = false;
  bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out) {
  *out << "\"" << box.title << "\": \"" << box.text << "\" [";
  for (const std::string& button : box.buttons) *out << " " << button;
  *out << " ]" << (box.icon ? " with an icon" : "");
}

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

std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : "\r\n") + lines[i];
  return text;
}

const Box kGroupQuestion{
    "Information", "Creo l'icona Tolvek con il gruppo corrispondente ?", {"&Yes", "&No"}, true};
const Box kGroupFailed{"Information", "Impossibile creare il gruppo.", {"OK"}, true};
const Box kItemFailed{"Information", "Impossibile creare l'icona.", {"OK"}, true};
const Box kSuccess{
    "Information", "L'installazione \xE8 stata effettuata con successo.", {"OK"}, true};
const Box kRestart{"KOVIA Install",
                   "Per rendere operativa l'installazione \xE8 necessario riavviare il computer.",
                   {"OK"}};
const Box kDiskTwo{"Information", "Inserire il disco Nr. 2", {"OK", "Cancel"}, true};
const Box kAbandon{
    "Information", "Sicuri di volere abbandonare l'installazione ?", {"&Yes", "&No"}, true};
const Box kAddTheLoadLineByHand{"KOVIA Install",
                                CrLf({"Impossibile modificare il file \"acadXXXX.lsp\"", "",
                                      "Sar\xE0 necessario modificare il file AutoLisp di partenza",
                                      "in modo manuale aggiungendo la seguente linea:", "",
                                      "(autoload \"tolvek\" '(\"tolvek\"))", "", "Nella sezione:",
                                      "", ";;;===== AutoLoad LISP Applications ====="}),
                                {"OK"}};

const std::string kReadmeCaption = "C:\\TOLVEK4\\HELP\\README.RTF";
// The demo product's help\readme.rtf as the rich-text box shows it.
const std::string kReadmeText = CrLf(
    {"Tolvek 4 - versione dimostrativa", "",
     "Questa \xE8 la versione dimostrativa della libreria parametrica Tolvek per AutoCAD. Contiene "
     "pochi elementi di ogni famiglia e serve a provare l'installazione.",
     "", "Dopo l'installazione",
     "Avviare AutoCAD: la barra degli strumenti Tolvek offre due tasti.",
     "Il primo posiziona un elemento nel disegno (comando TOLVEK), il secondo apre la libreria "
     "(comando RUNTOLVEK).",
     "", "Cartelle", "C:\\Tolvek4\\Parts - i dati degli elementi, una cartella per costruttore",
     "C:\\Tolvek4\\Help - questo file e la guida",
     "C:\\Tolvek4\\UserParts - gli elementi creati dall'utente", "",
     "This demo holds a few parts of each family and exists to try the installation."});
const std::string kServerLog = kScratch + "\\progman.log";

// `original` with `added` lines inserted after its line `anchor`; every line ends with CR LF.
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

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [name, time] : Listing(folder)) names.push_back(name);
  return names;
}

// Time stamp and bytes of every name below a folder (folders end with a backslash, no bytes).
using Snapshot = std::map<std::string, std::pair<std::uint64_t, std::optional<std::string>>>;

// `ignoreTime` picks the names whose time stamp may change.
Snapshot Take(const std::string& folder,
              const std::function<bool(const std::string&)>& ignoreTime = {}) {
  Snapshot snapshot;
  for (auto [name, time] : Listing(folder)) {
    if (ignoreTime && ignoreTime(name)) time = 0;
    snapshot[name] = {time, name.back() == '\\' ? std::nullopt : ReadFile(folder + "\\" + name)};
  }
  return snapshot;
}

// What changed between two snapshots, one name per line; empty when nothing did.
std::string Changes(const Snapshot& before, const Snapshot& after) {
  std::string changes;
  for (const auto& [name, was] : before) {
    auto now = after.find(name);
    if (now == after.end()) {
      changes += name + " is gone\n";
    } else if (now->second.second != was.second) {
      changes += name + " has other bytes\n";
    } else if (now->second.first != was.first) {
      changes += name + " was written again\n";
    }
  }
  for (const auto& [name, is] : after) {
    if (!before.contains(name)) changes += name + " is new\n";
  }
  return changes;
}

bool IsProductFileOrItsFolder(const std::string& name) {
  for (const char* product : {"tkicon1.bmp", "tkicon2.bmp", "tolvek.lsp"}) {
    const std::string file = std::string("\\") + product;
    if (name.size() >= file.size() &&
        lstrcmpiA(name.substr(name.size() - file.size()).c_str(), file.c_str()) == 0) {
      return true;
    }
  }
  // Extracting them creates and renames files in the folder, which stamps the folder itself.
  return name.ends_with("\\Support\\") || name == "Contents\\";
}

class InstallWineTest : public ::testing::Test {
 protected:
  // One medium for the whole program: the builder's packages of a small demo product.
  static void SetUpTestSuite() {
    extractwine::ClearScene();
    product_ = extractwine::WriteProduct();
    medium::MediumOptions options;
    options.productDir = product_;
    options.outDir = kMedium;
    options.installerDir = extractwine::InstallerDir();
    medium::BuildMedium(options);
  }

  static void TearDownTestSuite() { extractwine::ClearScene(); }

  void SetUp() override {
    RemoveTree(kDestination);
    DeleteFileA(kServerLog.c_str());
    DeleteFileA((kServerLog + ".ready").c_str());
  }

  void TearDown() override {
    installer_.reset();
    server_.reset();
    EndProgramManagers();
    cad_.reset();
    RemoveTree(kDestination);
    DeleteFileA(kServerLog.c_str());
    DeleteFileA((kServerLog + ".ready").c_str());
  }

  void LayDemoAutoCad(StartupFiles startupFiles = StartupFiles::kPresent) {
    cad_ = std::make_unique<DemoAutoCad>(startupFiles);
  }
  void LayDemoAutoCad(const Scene& scene) { cad_ = std::make_unique<DemoAutoCad>(scene); }

  // The stand-in Program Manager, serving before the installer starts, as the shell's would.
  void StartProgramManager() {
    server_ = std::make_unique<InstallerProcess>(
        BuiltFile("tests\\wine\\group\\progman_server.exe"), "", "\"" + kServerLog + "\"");
    ASSERT_NE(server_->Id(), 0u);
    ASSERT_TRUE(WaitUntil([] {
      return GetFileAttributesA((kServerLog + ".ready").c_str()) != INVALID_FILE_ATTRIBUTES;
    }));
  }

  // Starts the medium's INSTALL.EXE from the drive's root, as a user double-clicks it in Explorer.
  void Start(const std::string& medium = kMedium) {
    installer_ = std::make_unique<InstallerProcess>(medium + "\\INSTALL.EXE", "C:\\");
    ASSERT_NE(installer_->Id(), 0u);
    dialog_ = WaitForWindow(installer_->Id(),
                            [](HWND window) { return ControlName(window) == "MainDlg"; });
    ASSERT_NE(dialog_, nullptr);
    install_ = FindControl(dialog_, "Installa");
    exit_ = FindControl(dialog_, "Uscita");
    ASSERT_NE(install_, nullptr);
    ASSERT_NE(exit_, nullptr);
  }

  void Choose(const std::string& radio) {
    HWND button = FindControl(dialog_, radio);
    ASSERT_NE(button, nullptr) << radio;
    Press(button);
    ASSERT_TRUE(WaitUntil([&] { return Checked(button); })) << radio;
  }

  std::optional<MessageBoxView> BoxUp() { return WaitForMessageBox(installer_->Id(), 0ms); }

  void Answer(const MessageBoxView& view, const std::string& button) {
    winetest::Answer(view, button);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(view.window); })) << view.text;
  }

  static Box Seen(const MessageBoxView& view) {
    return {view.title, view.text, view.buttons, ShowsAnIcon(view.window)};
  }

  // Presses the install button and answers every box until the sequence is over, that is until
  // the install button is enabled again: the group question with `group`, every other box with
  // its first button ("OK"). Returns the boxes in the order they came.
  std::vector<Box> Install(const std::string& group) {
    std::vector<Box> boxes;
    Press(install_);
    // The sequence has begun once the button is disabled (or a box is already up).
    if (!WaitUntil([&] { return !IsWindowEnabled(install_) || BoxUp(); })) {
      ADD_FAILURE() << "the install button did nothing";
      return boxes;
    }
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
      boxes.push_back(Seen(*view));
      const std::string button = Seen(*view) == kGroupQuestion ? group : view->buttons.front();
      Answer(*view, button);
      if (::testing::Test::HasFatalFailure()) return boxes;
    }
  }

  // Presses the install button with the medium short of a package: the first box is the prompt
  // for disk 2, which the user cancels and then confirms abandoning the installation.
  void AbandonAtTheDiskPrompt() {
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

  HWND WaitForReadme(std::chrono::milliseconds timeout = 20s) {
    return WaitForWindow(
        installer_->Id(), [](HWND window) { return ControlName(window) == "Lister"; }, timeout);
  }

  // Leaves the installer by its exit button and closes the readme it shows.
  void LeaveThroughTheReadme() {
    Press(exit_);
    HWND readme = WaitForReadme();
    ASSERT_NE(readme, nullptr);
    PostMessageA(readme, WM_CLOSE, 0, 0);
    ASSERT_TRUE(installer_->WaitForExit(20s));
  }

  static std::string WholeText(HWND window) {
    auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(std::size_t(length) + 1, '\0');
    auto got = SendMessageA(window, WM_GETTEXT, WPARAM(text.size()),
                            reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(got));
    return text;
  }

  void ExpectTheProductInstalledForAutoCad2004(const std::string& support = kProfileSupport) {
    for (const std::string& difference : extractwine::DifferencesFromProduct(product_, support)) {
      ADD_FAILURE() << difference;
    }
  }

  static inline path product_;
  std::unique_ptr<DemoAutoCad> cad_;
  std::unique_ptr<InstallerProcess> server_;
  std::unique_ptr<InstallerProcess> installer_;
  HWND dialog_ = nullptr;
  HWND install_ = nullptr;
  HWND exit_ = nullptr;
};

TEST_F(InstallWineTest, TheDefaultChoicesInstallIntoAutoCad2004AndCreateTheGroup) {
  LayDemoAutoCad();
  StartProgramManager();
  Start();
  ASSERT_TRUE(Checked(FindControl(dialog_, "Per2000")));
  ASSERT_TRUE(Checked(FindControl(dialog_, "PerNT")));

  // A start-up file was patched, so no AutoLISP message; Windows NT: the restart notice last.
  EXPECT_EQ(Install("&Yes"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  EXPECT_EQ(Text(FindControl(dialog_, "LbLFile")), "Copia terminata");

  ExpectTheProductInstalledForAutoCad2004();
  // A start-up file was found, so the way of the newer releases is not taken.
  EXPECT_TRUE(Names(e2e::BundleFolder()).empty());
  // The AutoCAD files of 2004 and later belong in the profile, none beside AutoCAD itself.
  EXPECT_EQ(Names(kCadFolder),
            (std::vector<std::string>{"acad2005.lsp", "support\\", "support\\acad2005doc.bak",
                                      "support\\acad2005doc.lsp"}));
  EXPECT_EQ(Names(kProfileSupport),
            (std::vector<std::string>{"acad.mns", "acad.pgp", "pgp.bak", "tkicon1.bmp",
                                      "tkicon2.bmp", "tktemp.bak", "tolvek.lsp"}));

  // The session start-up file has no document section to load from: untouched.
  EXPECT_EQ(ReadFile(kCadFolder + "\\acad2005.lsp"), DemoFile("acad2005.lsp"));
  const std::string documentStart = DemoFile("acad2005doc.lsp");
  EXPECT_EQ(ReadFile(kCadFolder + "\\support\\acad2005doc.lsp"),
            WithLinesAfter(documentStart, ";;; ACAD2004DOC.LSP - demo document start-up file",
                           {" ", "(load \"tolvek\" '(\"tolvek\"))", " "}));
  EXPECT_EQ(ReadFile(kCadFolder + "\\support\\acad2005doc.bak"), documentStart);

  const std::string menu = DemoFile("acad.mns");
  std::string patchedMenu =
      WithLinesAfter(menu, "***TOOLBARS",
                     {"**TOLVEK", "ID_Tolvek      [_Toolbar(\"Tolvek\", _Top, _Show, 2, 1, 1)]",
                      "ID_tolvekppos  [_Button(\"Posiziona elemento Tolvek\", \"TKIcon1.bmp\", "
                      "\"ICON_24_BLANK\")]^C^C^Ctolvek",
                      "ID_tolvekrun   [_Button(\"Libreria parametrica Tolvek\", \"TKIcon2.bmp\", "
                      "\"ICON_25_BLANK\")]^C^C^Cruntolvek"});
  patchedMenu = WithLinesAfter(patchedMenu, "***HELPSTRINGS",
                               {"ID_tolvekppos   [Posiziona elemento Tolvek]",
                                "ID_tolvekrun    [Libreria parametrica Tolvek]"});
  EXPECT_EQ(ReadFile(kProfileSupport + "\\acad.mns"), patchedMenu);
  EXPECT_EQ(ReadFile(kProfileSupport + "\\tktemp.bak"), menu);

  const std::string aliases = DemoFile("acad.pgp");
  EXPECT_EQ(ReadFile(kProfileSupport + "\\acad.pgp"),
            aliases + "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n");
  EXPECT_EQ(ReadFile(kProfileSupport + "\\pgp.bak"), aliases);

  // The commands went out before the success box; the server has them all by now or soon.
  const std::string commands =
      "[CreateGroup(Tolvek)]\n[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]\n";
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(kServerLog) == commands; }, 10s))
      << ReadFile(kServerLog).value_or("(nothing received)");
  installer_.reset();
  EXPECT_EQ(ReadFile(kServerLog), commands);
}

TEST_F(InstallWineTest, PressingInstallAgainAsksAgainAndSendsBothCommandsAgain) {
  LayDemoAutoCad();
  StartProgramManager();
  Start();
  EXPECT_EQ(Install("&Yes"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  // The conversation was closed after the first commands: it has to be opened anew.
  EXPECT_EQ(Install("&Yes"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  const std::string commands =
      "[CreateGroup(Tolvek)]\n[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]\n";
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(kServerLog) == commands + commands; }, 10s))
      << ReadFile(kServerLog).value_or("(nothing received)");
  ExpectTheProductInstalledForAutoCad2004();
}

TEST_F(InstallWineTest, WithWindows98ChosenNoRestartIsAsked) {
  LayDemoAutoCad();
  Start();
  Choose("Per95");
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess}));
  // The restart notice would have come before the button was enabled again.
  EXPECT_FALSE(BoxUp());
  ExpectTheProductInstalledForAutoCad2004();
}

TEST_F(InstallWineTest, AutoCad2005WithoutItsStartUpFilesTellsTheUserToAddTheLineByHand) {
  Scene autoCad2005;
  autoCad2005.startupFiles = StartupFiles::kNone;
  autoCad2005.release = "R16.1";
  autoCad2005.product = "ACAD-301:410";
  LayDemoAutoCad(autoCad2005);
  Start();
  EXPECT_EQ(Install("&No"),
            (std::vector<Box>{kAddTheLoadLineByHand, kGroupQuestion, kSuccess, kRestart}));
  // The rest of the installation went on as usual, and no other way of loading was tried.
  ExpectTheProductInstalledForAutoCad2004();
  EXPECT_EQ(Names(kCadFolder), std::vector<std::string>{"support\\"});
  EXPECT_FALSE(ReadFile(kProfileSupport + "\\acaddoc.lsp"));
  EXPECT_TRUE(Names(e2e::BundleFolder()).empty());
}

TEST_F(InstallWineTest, AutoCad2008WithoutStartUpFilesGetsAnAcadDocThatLoadsTheProduct) {
  const Scene autoCad2008 = e2e::AutoCad2008();
  LayDemoAutoCad(autoCad2008);
  Start();
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  ExpectTheProductInstalledForAutoCad2004(autoCad2008.support);
  EXPECT_EQ(ReadFile(autoCad2008.support + "\\acaddoc.lsp"),
            CrLf({" ", "(load \"tolvek\" '(\"tolvek\"))", " ", ""}));
  // A file the installation made has no backup; the AutoCAD folder is not touched.
  EXPECT_EQ(Names(autoCad2008.support),
            (std::vector<std::string>{"acad.mns", "acad.pgp", "acaddoc.lsp", "pgp.bak",
                                      "tkicon1.bmp", "tkicon2.bmp", "tktemp.bak", "tolvek.lsp"}));
  EXPECT_EQ(Names(kCadFolder), std::vector<std::string>{"support\\"});
  EXPECT_TRUE(Names(e2e::BundleFolder()).empty());
}

TEST_F(InstallWineTest, AutoCad2008KeepsTheUsersAcadDocLinesAndPutsTheBlockAfterThem) {
  Scene autoCad2008 = e2e::AutoCad2008();
  const std::string mine = CrLf({";; my own start-up", "(setq *my-units* \"mm\")", ""});
  autoCad2008.acadDoc = mine;
  LayDemoAutoCad(autoCad2008);
  Start();
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  EXPECT_EQ(ReadFile(autoCad2008.support + "\\acaddoc.lsp"),
            mine + CrLf({" ", "(load \"tolvek\" '(\"tolvek\"))", " ", ""}));
  EXPECT_EQ(ReadFile(autoCad2008.support + "\\acaddoc.bak"), mine);
}

TEST_F(InstallWineTest, AutoCad2026LoadsTheProductFromATrustedBundleAndASecondRunChangesNothing) {
  const Scene autoCad2026 = e2e::AutoCad2026();
  LayDemoAutoCad(autoCad2026);
  Start();
  // No AutoLISP message: the bundle loads the product.
  ASSERT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  ExpectTheProductInstalledForAutoCad2004(autoCad2026.support);

  const std::string bundle = e2e::BundleFolder();
  const std::string contents = bundle + "\\Contents";
  EXPECT_EQ(Names(bundle), (std::vector<std::string>{
                               "Contents\\", "Contents\\tkicon1.bmp", "Contents\\tkicon2.bmp",
                               "Contents\\tolvek.lsp", "PackageContents.xml"}));
  // Byte for byte the package's files, as the support folder's copies are.
  for (const std::string& difference : extractwine::DifferencesFromProduct(product_, contents)) {
    ADD_FAILURE() << difference;
  }
  std::string error;
  const auto package = testing_support::XmlReader::Parse(
      ReadFile(bundle + "\\PackageContents.xml").value_or(""), error);
  ASSERT_TRUE(package) << error;
  EXPECT_EQ(package->name, "ApplicationPackage");
  for (const char* attribute : {"SchemaVersion", "AppVersion", "ProductCode", "Name"}) {
    EXPECT_NE(package->Attribute(attribute), "<missing>") << attribute;
  }
  EXPECT_EQ(package->Attribute("ProductCode"), "{98F342D9-89B0-4BAE-A695-379A0CF14568}");
  const testing_support::XmlElement* components = package->Child("Components");
  ASSERT_NE(components, nullptr);
  ASSERT_NE(components->Child("RuntimeRequirements"), nullptr);
  EXPECT_EQ(components->Child("RuntimeRequirements")->Attribute("OS"), "Win32|Win64");
  EXPECT_EQ(components->Child("RuntimeRequirements")->Attribute("SeriesMin"), "R18.2");
  ASSERT_NE(components->Child("ComponentEntry"), nullptr);
  EXPECT_EQ(components->Child("ComponentEntry")->Attribute("ModuleName"), "./Contents/tolvek.lsp");
  EXPECT_EQ(components->Child("ComponentEntry")->Attribute("PerDocument"), "True");

  // Both profiles trust the folder, the user's own entries kept before it.
  const std::string unnamed = e2e::VariablesKey(autoCad2026, "<<Unnamed Profile>>");
  const std::string disegno = e2e::VariablesKey(autoCad2026, "Disegno");
  EXPECT_EQ(e2e::StringValue(unnamed, "TRUSTEDPATHS"),
            "C:\\Lisp\\Mine;D:\\Shared\\...;" + contents);
  EXPECT_EQ(e2e::StringValue(disegno, "TRUSTEDPATHS"), contents);
  // Autodesk's start-up files are never touched, and acaddoc.lsp is not the way for 2026.
  EXPECT_EQ(Names(kCadFolder), std::vector<std::string>{"support\\"});
  EXPECT_FALSE(ReadFile(autoCad2026.support + "\\acaddoc.lsp"));

  LeaveThroughTheReadme();
  const Snapshot bundleBefore = Take(bundle, IsProductFileOrItsFolder);
  const Snapshot profileBefore = Take(kProfileRoot, IsProductFileOrItsFolder);
  Start();
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  EXPECT_EQ(Changes(bundleBefore, Take(bundle, IsProductFileOrItsFolder)), "");
  EXPECT_EQ(Changes(profileBefore, Take(kProfileRoot, IsProductFileOrItsFolder)), "");
  EXPECT_EQ(e2e::StringValue(unnamed, "TRUSTEDPATHS"),
            "C:\\Lisp\\Mine;D:\\Shared\\...;" + contents);
  EXPECT_EQ(e2e::StringValue(disegno, "TRUSTEDPATHS"), contents);
}

TEST_F(InstallWineTest, WithoutProgramManagerBothGroupStepsFailAndTheInstallationSucceeds) {
  LayDemoAutoCad();
  Start();
  EXPECT_EQ(Install("&Yes"),
            (std::vector<Box>{kGroupQuestion, kGroupFailed, kItemFailed, kSuccess, kRestart}));
  ExpectTheProductInstalledForAutoCad2004();
}

TEST_F(InstallWineTest, LeavingAfterAnInstallationShowsTheReadmeUntilTheUserClosesIt) {
  LayDemoAutoCad();
  Start();
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));

  Press(exit_);
  HWND readme = WaitForReadme();
  ASSERT_NE(readme, nullptr);
  EXPECT_EQ(Text(readme), kReadmeCaption);
  HWND richEdit = FindControl(readme, "RichEdit1");
  ASSERT_NE(richEdit, nullptr);
  EXPECT_EQ(WholeText(richEdit), kReadmeText);
  EXPECT_FALSE(BoxUp());
  // The viewer is modal: the program waits for the user to close it.
  EXPECT_FALSE(installer_->ExitCode().has_value());

  PostMessageA(readme, WM_CLOSE, 0, 0);
  EXPECT_TRUE(installer_->WaitForExit(20s));
}

TEST_F(InstallWineTest, ASecondInstallationChangesNoAutoCadFileAndNoBackup) {
  LayDemoAutoCad();
  Start();
  ASSERT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  LeaveThroughTheReadme();
  const Snapshot cadBefore = Take(kCadFolder);
  const Snapshot profileBefore = Take(kProfileRoot, IsProductFileOrItsFolder);

  Start();
  // Every AutoCAD file already holds its lines: nothing to patch, so no message either.
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  EXPECT_EQ(Changes(cadBefore, Take(kCadFolder)), "");
  EXPECT_EQ(Changes(profileBefore, Take(kProfileRoot, IsProductFileOrItsFolder)), "");
  // The backups still hold AutoCAD's own files, not the first installation's.
  EXPECT_EQ(ReadFile(kCadFolder + "\\support\\acad2005doc.bak"), DemoFile("acad2005doc.lsp"));
  EXPECT_EQ(ReadFile(kProfileSupport + "\\tktemp.bak"), DemoFile("acad.mns"));
  EXPECT_EQ(ReadFile(kProfileSupport + "\\pgp.bak"), DemoFile("acad.pgp"));
  ExpectTheProductInstalledForAutoCad2004();
}

TEST_F(InstallWineTest, AbandoningAtTheDiskPromptEndsTheInstallationSilently) {
  // A medium whose "\parts-kx.pck" is missing: the installer takes it for the next disk's.
  const std::string medium = kScratch + "\\short-medium";
  extractwine::CopyFiles(kMedium, medium);
  ASSERT_TRUE(DeleteFileA((medium + "\\parts-kx.pck").c_str()));
  LayDemoAutoCad();
  Start(medium);

  AbandonAtTheDiskPrompt();
  EXPECT_FALSE(IsWindowEnabled(install_));
  EXPECT_TRUE(IsWindowEnabled(exit_));
  // The packages before the missing one are in, none after it.
  EXPECT_FALSE(Names(kDestination + "\\Parts\\Dulma").empty());
  EXPECT_TRUE(Names(kDestination + "\\Parts\\Kx").empty());
  EXPECT_TRUE(Names(kDestination + "\\Parts\\Corvani").empty());

  // Nothing was completed, so the exit shows no readme and no box: the program just ends.
  Press(exit_);
  std::string shown;
  bool ended = WaitUntil([&] {
    if (installer_->ExitCode().has_value()) return true;
    if (std::optional<MessageBoxView> box = BoxUp()) shown = "box " + box->text;
    if (WaitForReadme(0ms) != nullptr) shown = "the readme";
    return !shown.empty();
  });
  EXPECT_TRUE(ended && shown.empty()) << "the exit showed " << shown;
  EXPECT_TRUE(installer_->WaitForExit(20s));
}

TEST_F(InstallWineTest, AfterACompletedInstallationEvenAnAbandonedOneEndsWithTheReadme) {
  const std::string medium = kScratch + "\\changing-medium";
  extractwine::CopyFiles(kMedium, medium);
  LayDemoAutoCad();
  Start(medium);
  ASSERT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  ASSERT_TRUE(DeleteFileA((medium + "\\parts-kx.pck").c_str()));
  AbandonAtTheDiskPrompt();
  EXPECT_FALSE(IsWindowEnabled(install_));

  // The installation of this run that did complete is the one whose readme the user gets.
  Press(exit_);
  HWND readme = WaitForReadme();
  ASSERT_NE(readme, nullptr);
  EXPECT_EQ(Text(readme), kReadmeCaption);
  PostMessageA(readme, WM_CLOSE, 0, 0);
  EXPECT_TRUE(installer_->WaitForExit(20s));
}

}  // namespace
