// An installation under Wine either completes or leaves the machine as it found it: the real
// INSTALL.EXE and INSTALL.DLL, over the demo AutoCAD 2004, made to fail the ways a user meets.
// What it needs and does not find (an AutoCAD profile, its own INSTALL.DLL, room on the disk)
// refuses the installation before anything changes; a damaged package, a product file missing
// from its package or an abandoned disk prompt undo what was done. After each, every AutoCAD file
// holds its old bytes with no backup or temporary file beside it, and the destination is gone.
// An alias file another program keeps from being renamed is left for the user to edit while the
// rest installs, and a swap that a killed installer left between its renames is finished by the
// next run. Each test checks every box shown, in order: a failure shows no success box.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/e2e/InstallerDialog.h"

namespace {

using namespace winetest;
using e2e::AutoCadFiles;
using e2e::Box;
using e2e::Contents;
using e2e::CrLf;
using e2e::DemoFile;
using e2e::ErrorBox;
using e2e::Exists;
using e2e::kAppTitle;
using e2e::kCadFolder;
using e2e::kGroupQuestion;
using e2e::kNothingChanged;
using e2e::kProfileSupport;
using e2e::kRestart;
using e2e::kSuccess;
using e2e::Names;
using e2e::Scene;
using extractwine::kDestination;
using extractwine::kMedium;
using extractwine::kScratch;
namespace fs = std::filesystem;

const std::string kDocumentStart = kCadFolder + "\\support\\acad2005doc.lsp";
const std::string kDocumentStartBackup = kCadFolder + "\\support\\acad2005doc.bak";
// An INSTALL.DLL in the folder the installer is started in, not its own.
const std::string kPlantedLibrary = "C:\\INSTALL.DLL";

const Box kEditTheAliasesByHand{
    kAppTitle,
    CrLf({"Impossibile modificare il file \"acad.pgp\"", "",
          "Per richiamare la libreria parametrica Tolvek",
          "\xE8 sufficiente eseguire il programma:", "", "c:\\tolvek4\\tolvek.exe"}),
    {"OK"}};

std::string ProductMegabytes(const fs::path& product) {
  std::uint64_t bytes = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(product)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  constexpr std::uint64_t kMegabyte = 1024 * 1024;
  return std::to_string((bytes + kMegabyte - 1) / kMegabyte);
}

// Makes the first member of a package fail its CRC, and gives its name: bytes in the middle of its
// data are inverted. The member is one of the demo's incompressible files, stored as it is, so
// the damaged bytes still read as data and only the CRC tells.
void DamageFirstMember(const std::string& package, std::string& name) {
  std::vector<std::uint8_t> bytes = medium::ReadWholeFile(package);
  ASSERT_GE(bytes.size(), 30u);
  const auto field = [&](std::size_t at) { return unsigned(bytes[at] | bytes[at + 1] << 8); };
  ASSERT_EQ(field(0), 0x4B50u) << "no local header at the start of " << package;
  ASSERT_EQ(field(8), 0u) << "the first member of " << package << " is not stored";
  const std::size_t size = field(18) | std::size_t(field(20)) << 16;
  const std::size_t data = 30 + field(26) + field(28);
  ASSERT_GE(size, 64u);
  ASSERT_LE(data + size, bytes.size());
  name.assign(bytes.begin() + 30, bytes.begin() + 30 + field(26));
  for (std::size_t at = data + size / 2; at < data + size / 2 + 16; ++at) bytes[at] ^= 0xFF;
  medium::WriteWholeFile(package, bytes);
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  toolkit::win32::UniqueKey owned(key);
  return true;
}

// The Unix path of a Windows one, as Wine maps it (kernel32's wine_get_unix_file_name).
std::optional<std::string> UnixPath(const std::string& windowsPath) {
  using Convert = char*(CDECL*)(LPCWSTR);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (convert == nullptr) return std::nullopt;
  const std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* unix = convert(wide.c_str());
  if (unix == nullptr) return std::nullopt;
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

// Runs a Unix shell command and returns its exit status, or nothing when it did not run. Wine
// starts a Unix program given by its path, but the process it returns is not the program: it
// neither waits for it nor gives its exit status, so the command writes its status into a file.
std::optional<int> RunUnixCommand(const std::string& command) {
  const std::string statusFile = kScratch + "\\unix-status";
  DeleteFileA(statusFile.c_str());
  const std::optional<std::string> status = UnixPath(statusFile);
  if (!status) return std::nullopt;
  std::string commandLine = "/bin/sh -c \"" + command + "; echo $? > '" + *status + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // By the command line alone: as the program's name, a Unix path would be taken for a Windows
  // one on the current drive.
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return std::nullopt;
  }
  toolkit::win32::UniqueHandle process(info.hProcess);
  toolkit::win32::UniqueHandle thread(info.hThread);
  std::optional<std::string> written;
  if (!WaitUntil([&] { return (written = ReadFile(statusFile)) && written->ends_with("\n"); })) {
    return std::nullopt;
  }
  DeleteFileA(statusFile.c_str());
  return std::stoi(*written);
}

// A tmpfs of `bytes` mounted on a folder of the Wine drive for as long as it lives.
class SmallDisk {
 public:
  SmallDisk(const std::string& folder, std::uint64_t bytes) {
    MakeTree(folder);
    const std::optional<std::string> unix = UnixPath(folder);
    if (!unix) {
      why_ = "Wine gives no Unix path for " + folder;
      return;
    }
    const std::optional<int> status = RunUnixCommand(
        "mount -t tmpfs -o size=" + std::to_string(bytes) + " tmpfs '" + *unix + "'");
    if (!status) {
      why_ = "no Unix shell could be started through Wine";
      return;
    }
    if (*status != 0) {
      why_ = "mount -t tmpfs gave " + std::to_string(*status) +
             ": mounting needs root (in a container, CAP_SYS_ADMIN)";
      return;
    }
    unix_ = *unix;
  }
  ~SmallDisk() {
    // Lazily when something still holds it, so that the next test finds the plain folder.
    if (unix_) RunUnixCommand("umount '" + *unix_ + "' || umount -l '" + *unix_ + "'");
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return unix_.has_value(); }
  const std::string& WhyNot() const { return why_; }

 private:
  std::optional<std::string> unix_;
  std::string why_;
};

class SafeInstallWineTest : public e2e::InstallerDialogTest {
 protected:
  void TearDown() override {
    InstallerDialogTest::TearDown();
    DeleteFileA(kPlantedLibrary.c_str());
  }

  // A copy of the medium, which a test may then spoil.
  static std::string CopyOfTheMedium(const std::string& name) {
    const std::string medium = kScratch + "\\" + name;
    RemoveTree(medium);
    extractwine::CopyFiles(kMedium, medium);
    return medium;
  }

  // Expects every AutoCAD file with the bytes it had, nothing beside it, and no destination.
  static void ExpectNothingChanged(const Contents& autoCadBefore) {
    EXPECT_EQ(e2e::Differences(autoCadBefore, AutoCadFiles(), "before", "after"), "");
    EXPECT_FALSE(Exists(kDestination)) << Names(kDestination).size() << " names in it";
  }
};

TEST_F(SafeInstallWineTest, ADamagedPackageEndsWithAnErrorAndAutoCadAsItWas) {
  const std::string medium = CopyOfTheMedium("damaged-medium");
  std::string damaged;
  DamageFirstMember(medium + "\\parts-bin.pck", damaged);
  ASSERT_FALSE(HasFatalFailure());
  LayDemoAutoCad();
  const Contents before = AutoCadFiles();
  Start(medium);
  EXPECT_EQ(startupBoxes_, std::vector<Box>{});

  // The packages before it were extracted and AutoCAD's files patched: all of it is undone. The
  // box names the member that failed its check, so the user knows the copy is bad.
  EXPECT_EQ(
      Install("&No"),
      std::vector<Box>{ErrorBox(
          CrLf({"Il pacchetto " + medium + "\\parts-bin.pck \xE8 danneggiato: il file " + damaged +
                    " non supera il controllo (CRC).",
                "Copiare di nuovo il supporto di installazione e ripetere l'installazione."}) +
          kNothingChanged)});
  ExpectNothingChanged(before);
}

TEST_F(SafeInstallWineTest, AbandoningAtTheDiskPromptTakesTheInstallationAwaySilently) {
  // A medium whose "\parts-kx.pck" is missing: the installer takes it for the next disk's.
  const std::string medium = CopyOfTheMedium("short-medium");
  ASSERT_TRUE(DeleteFileA((medium + "\\parts-kx.pck").c_str()));
  LayDemoAutoCad();
  const Contents before = AutoCadFiles();
  Start(medium);
  EXPECT_EQ(startupBoxes_, std::vector<Box>{});

  // The prompt and the question, then no other box.
  AbandonAtTheDiskPrompt();
  EXPECT_FALSE(IsWindowEnabled(install_));
  EXPECT_TRUE(IsWindowEnabled(exit_));
  ExpectNothingChanged(before);

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

TEST_F(SafeInstallWineTest, WithoutAnAutoCadProfileTheInstallationIsRefusedAndNoKeyIsMade) {
  const std::string autoCadKey = "Software\\Autodesk\\AutoCAD";
  ASSERT_FALSE(KeyExists(autoCadKey)) << "an earlier test left HKCU\\" << autoCadKey;
  Scene neverStarted;
  neverStarted.registered = false;
  LayDemoAutoCad(neverStarted);
  const Contents before = AutoCadFiles();
  Start();
  EXPECT_EQ(startupBoxes_, std::vector<Box>{});

  EXPECT_EQ(Install("&No"), std::vector<Box>{ErrorBox(CrLf(
                                {"Per questo utente non c'\xE8 un profilo di AutoCAD nel registro.",
                                 "Avviare AutoCAD una volta con questo utente, poi ripetere "
                                 "l'installazione."}))});
  ExpectNothingChanged(before);
  EXPECT_FALSE(KeyExists(autoCadKey));
}

TEST_F(SafeInstallWineTest, WithoutItsOwnInstallDllTheInstallerLoadsNoOtherAndRefuses) {
  // The medium lacks the library; the folder the installer starts in has one, which a search by
  // bare name would find first.
  const std::string medium = CopyOfTheMedium("medium-without-dll");
  ASSERT_TRUE(DeleteFileA((medium + "\\INSTALL.DLL").c_str()));
  ASSERT_TRUE(CopyFileA(BuiltFile("INSTALL.DLL").c_str(), kPlantedLibrary.c_str(), FALSE));
  LayDemoAutoCad();
  const Contents before = AutoCadFiles();
  Start(medium);
  EXPECT_EQ(startupBoxes_, (std::vector<Box>{{kAppTitle, "INSTALL.DLL not found", {"OK"}}}));

  EXPECT_EQ(Install("&No"),
            std::vector<Box>{ErrorBox(
                CrLf({"Il file INSTALL.DLL accanto al programma di installazione manca o \xE8 "
                      "danneggiato.",
                      "Copiare di nuovo il supporto di installazione e ripetere "
                      "l'installazione."}))});
  ExpectNothingChanged(before);
}

TEST_F(SafeInstallWineTest, AnAliasFileHeldByAnotherProgramIsLeftToTheUserAndTheRestInstalls) {
  LayDemoAutoCad();
  const std::string aliases = kProfileSupport + "\\acad.pgp";
  {
    // As an editor holds a file it has open: others may read and write it, not rename it.
    toolkit::win32::UniqueHandle held(toolkit::win32::NullIfInvalid(
        CreateFileA(aliases.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(held);
    Start();
    EXPECT_EQ(startupBoxes_, std::vector<Box>{});
    EXPECT_EQ(Install("&No"),
              (std::vector<Box>{kEditTheAliasesByHand, kGroupQuestion, kSuccess, kRestart}));
  }

  ExpectTheProductInstalledForAutoCad2004();
  EXPECT_EQ(ReadFile(aliases), DemoFile("acad.pgp"));
  EXPECT_EQ(Names(kProfileSupport),
            (std::vector<std::string>{"acad.mns", "acad.pgp", "acaddoc.lsp", "tkicon1.bmp",
                                      "tkicon2.bmp", "tktemp.bak", "tolvek.lsp"}));
  EXPECT_EQ(ReadFile(kProfileSupport + "\\acad.mns"), e2e::InstalledMenu());
  EXPECT_EQ(ReadFile(kProfileSupport + "\\tktemp.bak"), DemoFile("acad.mns"));
  EXPECT_EQ(Names(kCadFolder),
            (std::vector<std::string>{"acad2005.lsp", "support\\", "support\\acad2005doc.bak",
                                      "support\\acad2005doc.lsp"}));
  EXPECT_EQ(ReadFile(kCadFolder + "\\acad2005.lsp"), DemoFile("acad2005.lsp"));
  EXPECT_EQ(ReadFile(kDocumentStart), e2e::InstalledDocumentStart());
  EXPECT_EQ(ReadFile(kDocumentStartBackup), DemoFile("acad2005doc.lsp"));
}

TEST_F(SafeInstallWineTest, ACadPackageWithoutTheLispFileEndsWithAnErrorAndAutoCadAsItWas) {
  // The builder refuses such a product, so the package is written again over a copy of the
  // medium, with the toolbar bitmaps alone.
  const std::string medium = CopyOfTheMedium("medium-without-lisp");
  const fs::path cad = product_ / "autocad";
  const std::vector<std::uint8_t> first = medium::ReadWholeFile(cad / "tkicon1.bmp");
  const std::vector<std::uint8_t> second = medium::ReadWholeFile(cad / "tkicon2.bmp");
  medium::WriteWholeFile(medium + "\\cad-acad.pck",
                         medium::PackArchive({{"tkicon1.bmp", first}, {"tkicon2.bmp", second}},
                                             medium::kReleaseStamp));
  LayDemoAutoCad();
  const Contents before = AutoCadFiles();
  Start(medium);
  EXPECT_EQ(startupBoxes_, std::vector<Box>{});

  // The start-up file was patched and the bitmaps extracted before the package came up short.
  EXPECT_EQ(Install("&No"),
            std::vector<Box>{ErrorBox("Il pacchetto " + medium +
                                      "\\cad-acad.pck non contiene il file tolvek.lsp: il "
                                      "supporto di installazione \xE8 incompleto." +
                                      kNothingChanged)});
  ExpectNothingChanged(before);
}

TEST_F(SafeInstallWineTest, ADestinationWithoutRoomIsRefusedBeforeAnythingChanges) {
  // The destination is a small disk of its own, mounted on the folder of the drive: its drive's
  // root has all the room it wants.
  SmallDisk disk(kDestination, 64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.WhyNot();
  LayDemoAutoCad();
  const Contents before = AutoCadFiles();
  Start();
  EXPECT_EQ(startupBoxes_, std::vector<Box>{});

  EXPECT_EQ(Install("&No"), std::vector<Box>{ErrorBox(CrLf(
                                {"Il disco di c:\\Tolvek4 \xE8 pieno: l'installazione richiede " +
                                     ProductMegabytes(product_) + " MB, ne sono liberi 0.",
                                 "Liberare spazio sul disco, poi ripetere l'installazione."}))});
  EXPECT_EQ(e2e::Differences(before, AutoCadFiles(), "before", "after"), "");
  EXPECT_EQ(Names(kDestination), std::vector<std::string>{});
}

TEST_F(SafeInstallWineTest, ASwapCutShortByAKilledInstallerIsFinishedByTheNextRun) {
  LayDemoAutoCad();
  // An installer killed between the renames of the document start-up file's swap: the file has
  // become the backup, the complete copy has not yet taken its name, and the journal holds the
  // swap, written before the renames.
  const std::string copy = kCadFolder + "\\support\\lisp.new";
  WriteFile(copy, e2e::InstalledDocumentStart());
  ASSERT_TRUE(MoveFileA(kDocumentStart.c_str(), kDocumentStartBackup.c_str()));
  MakeTree(UserRecordFolder());
  WriteFile(UserRecordFolder() + "\\INSTALL.JNL",
            "TOLVEK-JOURNAL\t1\r\nRUN\t1\tTolvek v4\r\nSWAP\t" + kDocumentStart + "\t" + copy +
                "\t" + kDocumentStartBackup + "\t" + kDocumentStartBackup + "~\r\n");
  Start();
  EXPECT_EQ(startupBoxes_, std::vector<Box>{});

  // The file holds the product's line, so it needs no patch and no message.
  EXPECT_EQ(Install("&No"), (std::vector<Box>{kGroupQuestion, kSuccess, kRestart}));
  EXPECT_EQ(ReadFile(kDocumentStart), e2e::InstalledDocumentStart());
  EXPECT_EQ(ReadFile(kDocumentStartBackup), DemoFile("acad2005doc.lsp"));
  EXPECT_EQ(Names(kCadFolder),
            (std::vector<std::string>{"acad2005.lsp", "support\\", "support\\acad2005doc.bak",
                                      "support\\acad2005doc.lsp"}));
  EXPECT_EQ(ReadFile(kCadFolder + "\\acad2005.lsp"), DemoFile("acad2005.lsp"));
  EXPECT_EQ(ReadFile(kProfileSupport + "\\acad.mns"), e2e::InstalledMenu());
  EXPECT_EQ(ReadFile(kProfileSupport + "\\tktemp.bak"), DemoFile("acad.mns"));
  EXPECT_EQ(ReadFile(kProfileSupport + "\\acad.pgp"), e2e::InstalledAliases());
  EXPECT_EQ(ReadFile(kProfileSupport + "\\pgp.bak"), DemoFile("acad.pgp"));
  ExpectTheProductInstalledForAutoCad2004();
}

}  // namespace
