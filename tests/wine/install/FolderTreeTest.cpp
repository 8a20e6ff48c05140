// The install button under Wine on the real C: drive: the destination tree appears with its exact
// capitalisation, a second installation changes nothing in it, and the failures show their boxes
// with the buttons left as the user needs them. The AutoCAD folder here has no start-up file, so
// the sequence stops at its first box, the AutoLISP message, right after the tree is made. A
// release before 2004 is chosen: it needs no AutoCAD profile in the registry.
#include <gtest/gtest.h>

#include "tests/wine/support/Driver.h"

namespace {

using namespace winetest;

const std::string kDestination = "C:\\Tolvek4";
const std::string kCadFolder = "C:\\Programmi\\Autocad 2006";

class FolderTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(kDestination);
    MakeTree(kCadFolder);
  }

  void TearDown() override {
    installer_.reset();
    RemoveTree(kDestination);
  }

  void Start() {
    installer_ = std::make_unique<InstallerProcess>(BuiltFile("INSTALL.EXE"), "");
    dialog_ = WaitForWindow(installer_->Id(),
                            [](HWND window) { return ControlName(window) == "MainDlg"; });
    ASSERT_NE(dialog_, nullptr);
    install_ = FindControl(dialog_, "Installa");
    exit_ = FindControl(dialog_, "Uscita");
    Press(FindControl(dialog_, "Per14"));
  }

  // The tree as the user sees it.
  static std::vector<std::pair<std::string, std::uint64_t>> Tree() { return Listing(kDestination); }

  // Presses the install button and waits for the box that follows the tree, then ends the run.
  void InstallUntilTheTreeIsMade() {
    Start();
    Press(install_);
    auto box = WaitForMessageBox(installer_->Id());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text.substr(0, 41), "Impossibile modificare il file \"acadXXXX.");
    installer_.reset();
  }

  std::unique_ptr<InstallerProcess> installer_;
  HWND dialog_ = nullptr;
  HWND install_ = nullptr;
  HWND exit_ = nullptr;
};

TEST_F(FolderTreeTest, InstallCreatesTheTreeWithItsCapitalisation) {
  InstallUntilTheTreeIsMade();
  std::vector<std::string> names;
  for (const auto& [name, time] : Tree()) names.push_back(name);
  std::vector<std::string> expected = {"Acrobat\\",
                                       "Cfg\\",
                                       "Help\\",
                                       "Images\\",
                                       "Parts\\",
                                       "Parts\\Bin\\",
                                       "Parts\\Corvani\\",
                                       "Parts\\Dulma\\",
                                       "Parts\\Harvo\\",
                                       "Parts\\Img\\",
                                       "Parts\\Kx\\",
                                       "Parts\\Pneumatica\\",
                                       "Parts\\Pneumatica\\Img\\",
                                       "Parts\\Quessa\\",
                                       "Parts\\Special\\",
                                       "Parts\\Vimora\\",
                                       "Store\\",
                                       "Tol\\",
                                       "UserParts\\",
                                       "UserParts\\Cache\\"};
  EXPECT_EQ(names, expected);
}

TEST_F(FolderTreeTest, ASecondInstallationChangesNothingInTheTree) {
  InstallUntilTheTreeIsMade();
  auto before = Tree();
  Sleep(1100);  // so that a rewritten folder would show a later time stamp
  InstallUntilTheTreeIsMade();
  EXPECT_EQ(Tree(), before);
}

TEST_F(FolderTreeTest, AFileInTheWayShowsTheErrorAndKeepsInstallDisabled) {
  MakeTree(kDestination);
  WriteFile(kDestination + "\\Store", "not a folder");
  Start();
  Press(install_);
  auto box = WaitForMessageBox(installer_->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "KOVIA Install");
  // The error's own text comes first; the installation then says it undid what it made.
  EXPECT_TRUE(box->text.starts_with("I/O error 183\r\n") ||
              box->text.starts_with("File access denied\r\n"))
      << box->text;
  Answer(*box, "OK");
  ASSERT_TRUE(WaitUntil([&] {
    return TopLevelWindows(installer_->Id()).size() > 0 &&
           !WaitForMessageBox(installer_->Id(), 0ms);
  }));
  EXPECT_FALSE(IsWindowEnabled(install_));
  EXPECT_TRUE(IsWindowEnabled(exit_));
  EXPECT_EQ(ReadFile(kDestination + "\\Store"), std::optional<std::string>("not a folder"));
}

TEST_F(FolderTreeTest, AMissingAutoCadFolderShowsItsMessageAndCreatesNothing) {
  RemoveTree(kCadFolder);
  Start();
  Press(install_);
  auto box = WaitForMessageBox(installer_->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text,
            "La cartella di AutoCAD non \xE8 stata trovata. Impossibile procedere con "
            "l'installazione");
  Answer(*box, "OK");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(install_); }));
  EXPECT_TRUE(IsWindowEnabled(exit_));
  EXPECT_EQ(GetFileAttributesA(kDestination.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
