// INSTALL.EXE with the real INSTALL.DLL installing real media under Wine, as a user runs it: a
// one-folder medium installs every product file byte for byte; a medium of numbered disks, each
// replacing the one before in the drive, asks for each disk once its packages run out, keeps
// asking while the disk is not there, goes on when it is, and completes without disk 1;
// without INSTALL.DLL beside it the installer says so once at start-up. The media are built by the
// medium builder from a demo product, so the builder's packages are also checked against the DLL
// that ships with them.
#include <gtest/gtest.h>

#include <functional>

#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"

namespace {

using namespace winetest;
using namespace extractwine;

const std::string kGroupQuestion = "Creo l'icona Tolvek con il gruppo corrispondente ?";
const std::string kSuccess = "L'installazione \xE8 stata effettuata con successo.";

class ExtractionWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearScene();
    WriteAutoCadFolder();
    product_ = WriteProduct();
  }

  void TearDown() override {
    installer_.reset();
    ClearScene();
  }

  // Starts the medium's INSTALL.EXE from another folder: the packages must be found beside the
  // program, not in the current folder.
  void Start() {
    installer_ = std::make_unique<InstallerProcess>(kMedium + "\\INSTALL.EXE", "C:\\");
    ASSERT_NE(installer_->Id(), 0u);
  }

  void WaitForDialog() {
    dialog_ = WaitForWindow(installer_->Id(),
                            [](HWND window) { return ControlName(window) == "MainDlg"; });
    ASSERT_NE(dialog_, nullptr);
    install_ = FindControl(dialog_, "Installa");
    ASSERT_NE(install_, nullptr);
  }

  void AnswerAndWaitUntilGone(const MessageBoxView& box, const std::string& button) {
    Answer(box, button);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); })) << box.text;
  }

  // Release 14, so that AutoCAD's files are found in its own folder, not through the registry.
  void ChooseRelease14() {
    HWND per14 = FindControl(dialog_, "Per14");
    ASSERT_NE(per14, nullptr);
    Press(per14);
    ASSERT_TRUE(WaitUntil([&] { return Checked(per14); }));
  }

  // Presses the install button and answers the boxes as a user would: no program group, OK to
  // the success message and to the restart notice that follows it (Windows NT is chosen).
  // `special` may take a box first and return true when it has answered it.
  void InstallAsAUser(const std::function<bool(const MessageBoxView&)>& special = {}) {
    Press(install_);
    bool succeeded = false;
    for (;;) {
      std::optional<MessageBoxView> box = WaitForMessageBox(installer_->Id(), 60s);
      ASSERT_TRUE(box) << "no further box after " << boxes_.size() << " boxes";
      boxes_.push_back(box->text);
      if (special && special(*box)) continue;
      if (box->text == kGroupQuestion) {
        EXPECT_EQ(box->title, "Information");
        AnswerAndWaitUntilGone(*box, "&No");
      } else if (box->text == kSuccess) {
        EXPECT_EQ(box->title, "Information");
        EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
        AnswerAndWaitUntilGone(*box, "OK");
        succeeded = true;
      } else if (succeeded && box->title == "KOVIA Install") {
        AnswerAndWaitUntilGone(*box, "OK");
        break;
      } else {
        ADD_FAILURE() << "unexpected box \"" << box->title << "\": " << box->text;
        AnswerAndWaitUntilGone(*box, box->buttons.front());
        return;
      }
    }
    // The sequence is over when the install button is enabled again.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(install_) != FALSE; }));
  }

  void ExpectTheProductInstalled() {
    for (const std::string& difference : DifferencesFromProduct(product_)) {
      ADD_FAILURE() << difference;
    }
  }

  fs::path product_;
  std::unique_ptr<InstallerProcess> installer_;
  HWND dialog_ = nullptr;
  HWND install_ = nullptr;
  std::vector<std::string> boxes_;
};

TEST_F(ExtractionWineTest, AOneFolderMediumInstallsEveryFile) {
  medium::MediumOptions options;
  options.productDir = product_;
  options.outDir = kMedium;
  options.installerDir = InstallerDir();
  medium::BuildMedium(options);

  Start();
  WaitForDialog();
  ChooseRelease14();
  InstallAsAUser();
  EXPECT_EQ(boxes_.size(), 3u);  // group question, success, restart notice: no disk prompt
  ExpectTheProductInstalled();
  // The start-up file and the menu were patched, so no manual-edit message was needed.
  EXPECT_NE(ReadFile(kCadFolder + "\\support\\acadr14.lsp")->find("(autoload \"tolvek\""),
            std::string::npos);
}

// The drive holds one disk at a time: inserting the next takes the one before out, with the
// installer and its library on disk 1. Nothing of disk 1 may be needed once disk 2 is in.
TEST_F(ExtractionWineTest, AMultiDiskMediumCompletesWithEachDiskReplacingTheOneBefore) {
  // Disks just large enough for the installer and the sequence's own three packages, so the
  // first package of the table is the first one missing.
  std::vector<medium::Package> packages = medium::PackProduct(product_, medium::kReleaseStamp);
  std::uint64_t firstDisk = medium::RoomOf(fs::file_size(InstallerDir() / "INSTALL.EXE")) +
                            medium::RoomOf(fs::file_size(InstallerDir() / "INSTALL.DLL"));
  for (std::size_t i = 0; i < 3; ++i) firstDisk += medium::RoomOf(packages[i].bytes.size());
  // Two parts of half a disk that do not compress, so that the product needs three disks and
  // each of their packages still fits on one: the disk's size follows the installer's.
  std::uint32_t seed = 12345;
  for (const char* part : {"parts/bin/large.dat", "parts/pneumatica/img/large.dat"}) {
    std::string bytes(firstDisk / 2, '\0');
    for (char& byte : bytes) byte = char((seed = seed * 1103515245u + 12345u) >> 24);
    WriteFile((product_ / part).string(), bytes);
  }
  medium::MediumOptions options;
  options.productDir = product_;
  options.outDir = fs::path(kScratch) / "disks";
  options.installerDir = InstallerDir();
  options.diskSize = firstDisk;
  medium::MediumSummary summary = medium::BuildMedium(options);
  ASSERT_GE(summary.disks.size(), 3u);
  ASSERT_EQ(summary.disks[1].front().name, "acrobat.pck");
  CopyFiles(summary.folders[0], kMedium);
  // A disk taken out of the drive: its files are no longer where the installer found them. The
  // running program's file can be moved, as a drive's can be emptied, though not deleted.
  const auto insert = [&](std::size_t number) {
    const fs::path out = fs::path(kScratch) / ("out-" + std::to_string(number));
    fs::create_directories(out);
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(kMedium))) {
      fs::rename(entry.path(), out / entry.path().filename());
    }
    CopyFiles(summary.folders[number - 1], kMedium);
  };

  Start();
  WaitForDialog();
  ChooseRelease14();
  std::size_t asked = 0;
  std::size_t inserted = 1;
  InstallAsAUser([&](const MessageBoxView& box) {
    const std::string wanted = "Inserire il disco Nr. " + std::to_string(inserted + 1);
    if (box.text != wanted) return false;
    EXPECT_EQ(box.title, "Information");
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    // The first time the user presses OK before changing the disk: the same prompt comes back.
    if (++asked > 1) insert(++inserted);
    AnswerAndWaitUntilGone(box, "OK");
    return true;
  });
  EXPECT_EQ(inserted, summary.disks.size());
  EXPECT_EQ(asked, summary.disks.size());
  ExpectTheProductInstalled();
  EXPECT_EQ(ReadFile(winetest::UserRecordFolder() + "\\UNINSTAL.EXE"),
            ReadFile((InstallerDir() / "INSTALL.EXE").string()));
}

TEST_F(ExtractionWineTest, WithoutTheDllTheInstallerSaysSoOnce) {
  winetest::MakeTree(kMedium);
  fs::copy_file(InstallerDir() / "INSTALL.EXE", fs::path(kMedium) / "INSTALL.EXE");
  Start();
  std::optional<MessageBoxView> box = WaitForMessageBox(installer_->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "KOVIA Install");
  EXPECT_EQ(box->text, "INSTALL.DLL not found");
  EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
  AnswerAndWaitUntilGone(*box, "OK");
  // The library is loaded while the main dialog is created; once it shows, no box can follow.
  WaitForDialog();
  EXPECT_FALSE(WaitForMessageBox(installer_->Id(), 0ms));
}

}  // namespace
