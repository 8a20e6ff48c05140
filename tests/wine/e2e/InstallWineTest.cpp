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
#include <optional>
#include <string>
#include <vector>

#include "tests/support/XmlReader.h"
#include "tests/wine/e2e/InstallerDialog.h"

namespace {

using namespace winetest;
using e2e::Box;
using e2e::CrLf;
using e2e::DemoFile;
using e2e::kCadFolder;
using e2e::kGroupQuestion;
using e2e::kProfileRoot;
using e2e::kProfileSupport;
using e2e::kRestart;
using e2e::kServerLog;
using e2e::kSuccess;
using e2e::Names;
using e2e::Scene;
using e2e::StartupFiles;
using extractwine::kMedium;
using extractwine::kScratch;

const Box kGroupFailed{"Information", "Impossibile creare il gruppo.", {"OK"}, true};
const Box kItemFailed{"Information", "Impossibile creare l'icona.", {"OK"}, true};
const Box kAddTheLoadLineByHand{e2e::kAppTitle,
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

class InstallWineTest : public e2e::InstallerDialogTest {
 protected:
  static std::string WholeText(HWND window) {
    auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(std::size_t(length) + 1, '\0');
    auto got = SendMessageA(window, WM_GETTEXT, WPARAM(text.size()),
                            reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(got));
    return text;
  }
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
  // The AutoCAD files of 2004 and later belong in the profile, none beside AutoCAD itself; the
  // profile is a 2006 one, whose own acaddoc.lsp loads the product too.
  EXPECT_EQ(Names(kCadFolder),
            (std::vector<std::string>{"acad2005.lsp", "support\\", "support\\acad2005doc.bak",
                                      "support\\acad2005doc.lsp"}));
  EXPECT_EQ(Names(kProfileSupport),
            (std::vector<std::string>{"acad.mns", "acad.pgp", "acaddoc.lsp", "pgp.bak",
                                      "tkicon1.bmp", "tkicon2.bmp", "tktemp.bak", "tolvek.lsp"}));

  // The session start-up file has no document section to load from: untouched.
  EXPECT_EQ(ReadFile(kCadFolder + "\\acad2005.lsp"), DemoFile("acad2005.lsp"));
  EXPECT_EQ(ReadFile(kCadFolder + "\\support\\acad2005doc.lsp"), e2e::InstalledDocumentStart());
  EXPECT_EQ(ReadFile(kCadFolder + "\\support\\acad2005doc.bak"), DemoFile("acad2005doc.lsp"));
  EXPECT_EQ(ReadFile(kProfileSupport + "\\acad.mns"), e2e::InstalledMenu());
  EXPECT_EQ(ReadFile(kProfileSupport + "\\tktemp.bak"), DemoFile("acad.mns"));
  EXPECT_EQ(ReadFile(kProfileSupport + "\\acad.pgp"), e2e::InstalledAliases());
  EXPECT_EQ(ReadFile(kProfileSupport + "\\pgp.bak"), DemoFile("acad.pgp"));

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
  // With the toolbar's and the ribbon panel's partial customization file.
  EXPECT_EQ(Names(bundle),
            (std::vector<std::string>{"Contents\\", "Contents\\Tolvek.cuix",
                                      "Contents\\tkicon1.bmp", "Contents\\tkicon2.bmp",
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
