// What the file-system service promises, written once and run against both backends: natively
// against the in-memory disk that nearly every native test stands on, and under Wine against the
// Win32 calls. The in-memory disk is only worth trusting while it answers as Windows does, with the
// same codes, so every case here is a behaviour the installer meets: a rename that must never
// replace a file, names that differ only in case, read-only files, files another program holds
// open, missing files and folders, and the current folder when the drive changes.
//
// A backend instantiates the suite with a type that gives what the service itself cannot:
//   void SetUp(); void TearDown();      // an empty scratch folder, and everything undone after
//   std::string Root();                 // that folder, absolute, e.g. "C:\TolvekContract"
//   void SetReadOnly(const std::string& path, bool readOnly);
//   void HoldWithoutSharing(const std::string& path);  // open elsewhere, sharing nothing
//   void ReleaseHeld();
//   std::string OtherDriveFolder();     // an existing folder on a second drive ("D:\Media")
//   std::string MissingDrive();         // a drive letter with no drive, as "Q:"
//   void MakeLink(const std::string& path, const std::string& target);  // a folder link there
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/FileSystem.h"

namespace contract {

using toolkit::FileId;
using toolkit::OpenMode;

template <typename Backend>
class FileSystemContract : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.SetUp();
    root_ = backend_.Root();
    ASSERT_TRUE(Fs().DirExists(root_));
  }

  void TearDown() override { backend_.TearDown(); }

  static toolkit::FileSystem& Fs() { return toolkit::Fs(); }
  std::string At(const std::string& relative) const { return root_ + "\\" + relative; }

  void Put(const std::string& path, const std::string& content) {
    FileId file = 0;
    ASSERT_EQ(Fs().Open(path, OpenMode::kCreate, file), 0u) << path;
    EXPECT_EQ(Fs().Write(file, content.data(), content.size()), 0u) << path;
    EXPECT_EQ(Fs().Close(file), 0u) << path;
  }

  std::optional<std::string> Content(const std::string& path) {
    FileId file = 0;
    if (Fs().Open(path, OpenMode::kRead, file) != 0) return std::nullopt;
    std::string content;
    char buffer[256];
    std::size_t done = 0;
    while (Fs().Read(file, buffer, sizeof buffer, done) == 0 && done > 0) {
      content.append(buffer, done);
    }
    Fs().Close(file);
    return content;
  }

  // Opens and at once closes again; the code of the open.
  std::uint32_t OpenCode(const std::string& path, OpenMode mode) {
    FileId file = 0;
    std::uint32_t code = Fs().Open(path, mode, file);
    if (code == 0) Fs().Close(file);
    return code;
  }

  Backend backend_;
  std::string root_;
};

TYPED_TEST_SUITE_P(FileSystemContract);

// A file's size and content come back as written, and each open mode gives the access it names.
TYPED_TEST_P(FileSystemContract, WrittenContentReadsBackAndEachModeGivesItsAccess) {
  auto& fs = this->Fs();
  const std::string path = this->At("data.bin");
  this->Put(path, "0123456789");
  EXPECT_EQ(this->Content(path), "0123456789");

  FileId file = 0;
  ASSERT_EQ(fs.Open(path, OpenMode::kReadWrite, file), 0u);
  std::uint64_t size = 0;
  EXPECT_EQ(fs.Size(file, size), 0u);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(fs.Seek(file, 4), 0u);
  EXPECT_EQ(fs.Write(file, "ab", 2), 0u);
  EXPECT_EQ(fs.SetTime(file, toolkit::DosDateTime{0x3A21, 0x6000}), 0u);
  EXPECT_EQ(fs.Close(file), 0u);
  EXPECT_EQ(this->Content(path), "0123ab6789");

  // Reading at or past the end is no error: it gives nothing.
  char buffer[4];
  std::size_t done = 99;
  ASSERT_EQ(fs.Open(path, OpenMode::kRead, file), 0u);
  EXPECT_EQ(fs.Seek(file, 20), 0u);
  EXPECT_EQ(fs.Read(file, buffer, sizeof buffer, done), 0u);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(fs.Write(file, "x", 1), toolkit::kErrAccessDenied);
  EXPECT_EQ(fs.Close(file), 0u);

  // Creating over an existing file empties it, and gives no reading.
  ASSERT_EQ(fs.Open(path, OpenMode::kCreate, file), 0u);
  EXPECT_EQ(fs.Size(file, size), 0u);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(fs.Read(file, buffer, sizeof buffer, done), toolkit::kErrAccessDenied);
  EXPECT_EQ(fs.Close(file), 0u);
  EXPECT_EQ(this->Content(path), "");
}

TYPED_TEST_P(FileSystemContract, RenameNeverReplacesAnExistingFile) {
  auto& fs = this->Fs();
  this->Put(this->At("acad.mnu"), "new menu");
  this->Put(this->At("acad.bak"), "old backup");
  ASSERT_EQ(fs.CreateDir(this->At("Support")), 0u);

  EXPECT_EQ(fs.Rename(this->At("acad.mnu"), this->At("acad.bak")), toolkit::kErrAlreadyExists);
  EXPECT_EQ(fs.Rename(this->At("acad.mnu"), this->At("ACAD.BAK")), toolkit::kErrAlreadyExists);
  EXPECT_EQ(fs.Rename(this->At("acad.mnu"), this->At("support")), toolkit::kErrAlreadyExists);
  EXPECT_EQ(this->Content(this->At("acad.mnu")), "new menu");
  EXPECT_EQ(this->Content(this->At("acad.bak")), "old backup");

  // Once the way is free the rename goes through, into another folder too; a file may take its
  // own name in other capitals.
  EXPECT_EQ(fs.Delete(this->At("acad.bak")), 0u);
  EXPECT_EQ(fs.Rename(this->At("acad.mnu"), this->At("acad.bak")), 0u);
  EXPECT_FALSE(fs.FileExists(this->At("acad.mnu")));
  EXPECT_EQ(fs.Rename(this->At("acad.bak"), this->At("ACAD.BAK")), 0u);
  EXPECT_EQ(fs.Rename(this->At("acad.bak"), this->At("Support\\acad.mnu")), 0u);
  EXPECT_EQ(this->Content(this->At("support\\ACAD.MNU")), "new menu");
  // A folder is renamed like a file.
  EXPECT_EQ(fs.Rename(this->At("Support"), this->At("Support2")), 0u);
  EXPECT_TRUE(fs.DirExists(this->At("support2")));
}

// Windows compares names without regard to case; every operation finds a file and a folder by any
// spelling of their names.
TYPED_TEST_P(FileSystemContract, NamesCompareWithoutCase) {
  auto& fs = this->Fs();
  ASSERT_EQ(fs.CreateDir(this->At("Parts")), 0u);
  this->Put(this->At("Parts\\Tolvek.Lsp"), "(load)");

  EXPECT_TRUE(fs.DirExists(this->At("PARTS")));
  EXPECT_TRUE(fs.FileExists(this->At("parts\\TOLVEK.LSP")));
  EXPECT_EQ(this->Content(this->At("pArTs\\tolvek.lsp")), "(load)");
  EXPECT_EQ(fs.CreateDir(this->At("PARTS")), toolkit::kErrAlreadyExists);
  EXPECT_EQ(this->OpenCode(this->At("PARTS\\TOLVEK.LSP"), OpenMode::kReadWrite), 0u);
  EXPECT_EQ(fs.ChangeDir(this->At("parts")), 0u);
  EXPECT_TRUE(fs.FileExists("TOLVEK.lsp"));
  EXPECT_EQ(fs.ChangeDir(this->root_), 0u);
  EXPECT_EQ(fs.Rename(this->At("PARTS\\TOLVEK.LSP"), this->At("parts\\other.lsp")), 0u);
  EXPECT_EQ(fs.Delete(this->At("PARTS\\OTHER.LSP")), 0u);
  EXPECT_FALSE(fs.FileExists(this->At("Parts\\other.lsp")));
}

// A folder lists its files as they were named, with or without a closing backslash, and not
// its subfolders; every name it lists (a short alias included) is one FileExists finds.
TYPED_TEST_P(FileSystemContract, AFolderListsItsFilesAndNotItsFolders) {
  auto& fs = this->Fs();
  ASSERT_EQ(fs.CreateDir(this->At("Parts")), 0u);
  ASSERT_EQ(fs.CreateDir(this->At("Parts\\Img")), 0u);
  this->Put(this->At("Parts\\Tolvek.Lsp"), "(load)");
  this->Put(this->At("Parts\\bracket-long-name.dwg"), "drawing");

  for (const std::string& folder : {this->At("parts"), this->At("PARTS\\")}) {
    const std::vector<std::string> names = fs.FileNames(folder);
    EXPECT_NE(std::find(names.begin(), names.end(), "Tolvek.Lsp"), names.end()) << folder;
    EXPECT_NE(std::find(names.begin(), names.end(), "bracket-long-name.dwg"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "Img"), names.end());
    for (const std::string& name : names) EXPECT_TRUE(fs.FileExists(folder + "\\" + name)) << name;
  }
  EXPECT_TRUE(fs.FileNames(this->At("Parts\\Img")).empty());
  EXPECT_TRUE(fs.FileNames(this->At("Missing")).empty());
}

// Windows refuses to write or delete a read-only file with "access denied"; reading it, and
// giving it another name, stay allowed. A rename onto it is refused like a rename onto any file
// that exists, since the service never replaces.
TYPED_TEST_P(FileSystemContract, ReadOnlyFilesRefuseWritingAndDeletingWithCode5) {
  auto& fs = this->Fs();
  const std::string path = this->At("acad.pgp");
  this->Put(path, "ALIAS");
  this->Put(this->At("acad.tmp"), "changed");
  this->backend_.SetReadOnly(path, true);

  EXPECT_EQ(this->Content(path), "ALIAS");
  EXPECT_EQ(this->OpenCode(path, OpenMode::kReadWrite), toolkit::kErrAccessDenied);
  EXPECT_EQ(this->OpenCode(path, OpenMode::kCreate), toolkit::kErrAccessDenied);
  EXPECT_EQ(fs.Delete(path), toolkit::kErrAccessDenied);
  EXPECT_EQ(fs.Rename(this->At("acad.tmp"), path), toolkit::kErrAlreadyExists);
  EXPECT_EQ(this->Content(path), "ALIAS");

  // Being read-only is found before being held by another program.
  this->backend_.HoldWithoutSharing(path);
  EXPECT_EQ(this->OpenCode(path, OpenMode::kReadWrite), toolkit::kErrAccessDenied);
  EXPECT_EQ(this->OpenCode(path, OpenMode::kRead), toolkit::kErrSharingViolation);
  this->backend_.ReleaseHeld();

  EXPECT_EQ(fs.Rename(path, this->At("pgp.bak")), 0u);
  EXPECT_EQ(fs.Delete(this->At("pgp.bak")), toolkit::kErrAccessDenied);
  this->backend_.SetReadOnly(this->At("pgp.bak"), false);
  EXPECT_EQ(fs.Delete(this->At("pgp.bak")), 0u);
}

// AutoCAD holds its menu file open while it runs. A file another program holds without sharing
// can be neither opened, deleted nor renamed: "sharing violation" (32).
TYPED_TEST_P(FileSystemContract, AFileHeldWithoutSharingGivesCode32) {
  auto& fs = this->Fs();
  const std::string path = this->At("acad.mns");
  this->Put(path, "***MENUGROUP");
  this->Put(this->At("acad.tmp"), "changed");
  this->backend_.HoldWithoutSharing(path);

  EXPECT_TRUE(fs.FileExists(path));
  EXPECT_EQ(this->OpenCode(path, OpenMode::kRead), toolkit::kErrSharingViolation);
  EXPECT_EQ(this->OpenCode(this->At("ACAD.MNS"), OpenMode::kReadWrite),
            toolkit::kErrSharingViolation);
  EXPECT_EQ(this->OpenCode(path, OpenMode::kCreate), toolkit::kErrSharingViolation);
  EXPECT_EQ(fs.Delete(path), toolkit::kErrSharingViolation);
  EXPECT_EQ(fs.Rename(path, this->At("acad.bak")), toolkit::kErrSharingViolation);
  EXPECT_EQ(fs.Rename(this->At("acad.tmp"), path), toolkit::kErrAlreadyExists);

  this->backend_.ReleaseHeld();
  EXPECT_EQ(this->Content(path), "***MENUGROUP");
  EXPECT_EQ(fs.Rename(path, this->At("acad.bak")), 0u);
}

// The service's own handles share reading and writing but not deletion: a file it has open can be
// neither deleted nor renamed until it is closed. A file being created shares only reading.
TYPED_TEST_P(FileSystemContract, AFileOpenThroughTheServiceIsNeitherDeletedNorRenamed) {
  struct Case {
    OpenMode held;
    OpenMode second;
    std::uint32_t code;
  };
  const std::vector<Case> cases = {
      {OpenMode::kRead, OpenMode::kRead, 0},
      {OpenMode::kRead, OpenMode::kReadWrite, 0},
      {OpenMode::kRead, OpenMode::kCreate, 0},
      {OpenMode::kReadWrite, OpenMode::kRead, 0},
      {OpenMode::kReadWrite, OpenMode::kReadWrite, 0},
      {OpenMode::kReadWrite, OpenMode::kCreate, toolkit::kErrSharingViolation},
      {OpenMode::kCreate, OpenMode::kRead, 0},
      {OpenMode::kCreate, OpenMode::kReadWrite, toolkit::kErrSharingViolation},
      {OpenMode::kCreate, OpenMode::kCreate, toolkit::kErrSharingViolation},
  };
  auto& fs = this->Fs();
  const std::string path = this->At("member.tmp");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "held " << int(c.held) << ", then " << int(c.second));
    this->Put(path, "content");
    FileId file = 0;
    ASSERT_EQ(fs.Open(path, c.held, file), 0u);
    EXPECT_EQ(this->OpenCode(path, c.second), c.code);
    EXPECT_EQ(fs.Delete(path), toolkit::kErrSharingViolation);
    EXPECT_EQ(fs.Rename(path, this->At("member.dat")), toolkit::kErrSharingViolation);
    EXPECT_TRUE(fs.FileExists(path));
    EXPECT_EQ(fs.Close(file), 0u);
    EXPECT_EQ(fs.Delete(path), 0u);
    EXPECT_FALSE(fs.FileExists(path));
  }
}

// A missing file in an existing folder is "file not found" (2); a name below a missing folder is
// "path not found" (3), whatever the operation.
TYPED_TEST_P(FileSystemContract, AMissingFileGives2AndAMissingPathGives3) {
  auto& fs = this->Fs();
  this->Put(this->At("present.txt"), "here");
  const std::string missingFile = this->At("absent.txt");
  const std::string missingPath = this->At("nowhere\\absent.txt");
  struct Case {
    const char* what;
    std::function<std::uint32_t()> run;
    std::uint32_t code;
  };
  const std::vector<Case> cases = {
      {"read a missing file", [&] { return this->OpenCode(missingFile, OpenMode::kRead); }, 2},
      {"update a missing file", [&] { return this->OpenCode(missingFile, OpenMode::kReadWrite); },
       2},
      {"delete a missing file", [&] { return fs.Delete(missingFile); }, 2},
      {"rename a missing file", [&] { return fs.Rename(missingFile, this->At("x.txt")); }, 2},
      {"enter a missing folder", [&] { return fs.ChangeDir(this->At("nowhere")); }, 2},
      {"read below a missing folder", [&] { return this->OpenCode(missingPath, OpenMode::kRead); },
       3},
      {"create below a missing folder",
       [&] { return this->OpenCode(missingPath, OpenMode::kCreate); }, 3},
      {"delete below a missing folder", [&] { return fs.Delete(missingPath); }, 3},
      {"rename from below a missing folder",
       [&] { return fs.Rename(missingPath, this->At("x.txt")); }, 3},
      {"rename to below a missing folder",
       [&] { return fs.Rename(this->At("present.txt"), missingPath); }, 3},
      {"enter below a missing folder", [&] { return fs.ChangeDir(this->At("nowhere\\deeper")); },
       3},
      {"make a folder below a missing folder",
       [&] { return fs.CreateDir(this->At("nowhere\\deeper")); }, 3},
      {"read through a file as if a folder",
       [&] { return this->OpenCode(this->At("present.txt\\x.txt"), OpenMode::kRead); }, 3},
  };
  for (const Case& c : cases) EXPECT_EQ(c.run(), c.code) << c.what;
  EXPECT_FALSE(fs.FileExists(missingFile));
  EXPECT_FALSE(fs.DirExists(this->At("nowhere")));
}

// A drive that is not there is a missing path (3), as a missing folder is. Windows says the same
// when a file or folder on such a drive is opened or made; Wine says "file not found" (2) there,
// so those cases are left out and the in-memory disk keeps Windows' answer.
TYPED_TEST_P(FileSystemContract, AMissingDriveIsAMissingPath) {
  auto& fs = this->Fs();
  const std::string drive = this->backend_.MissingDrive();
  EXPECT_EQ(fs.ChangeDir(drive + "\\"), toolkit::kErrPathNotFound);
  EXPECT_EQ(fs.ChangeDir(drive), toolkit::kErrPathNotFound);
  EXPECT_FALSE(fs.FileExists(drive + "\\setup.pck"));
  EXPECT_FALSE(fs.DirExists(drive + "\\"));
}

// What a name of the wrong kind gives: a folder cannot be opened or deleted as a file, a file
// cannot be entered or made again as a folder, and no name may hold a wildcard.
TYPED_TEST_P(FileSystemContract, FilesAndFoldersAreNotTakenForEachOther) {
  auto& fs = this->Fs();
  ASSERT_EQ(fs.CreateDir(this->At("Cfg")), 0u);
  this->Put(this->At("tk.pck"), "package");

  EXPECT_FALSE(fs.FileExists(this->At("Cfg")));
  EXPECT_FALSE(fs.DirExists(this->At("tk.pck")));
  EXPECT_TRUE(fs.DirExists(this->At("Cfg\\")));
  EXPECT_EQ(this->OpenCode(this->At("Cfg"), OpenMode::kRead), toolkit::kErrAccessDenied);
  EXPECT_EQ(fs.Delete(this->At("Cfg")), toolkit::kErrAccessDenied);
  EXPECT_EQ(fs.CreateDir(this->At("tk.pck")), toolkit::kErrAlreadyExists);
  EXPECT_EQ(fs.ChangeDir(this->At("tk.pck")), 267u);  // "the directory name is invalid"
  for (const char* name : {"a?.txt", "a*.txt", "a<b", "a>b", "a|b", "a\"b"}) {
    EXPECT_EQ(this->OpenCode(this->At(name), OpenMode::kCreate), toolkit::kErrInvalidName) << name;
  }
}

// Windows drops the dots and spaces that end a path, so "tolvek.lsp." is "tolvek.lsp", and the
// one dot that ends a folder's name inside a path.
TYPED_TEST_P(FileSystemContract, TrailingDotsAndSpacesOfANameAreDropped) {
  auto& fs = this->Fs();
  ASSERT_EQ(fs.CreateDir(this->At("Help.")), 0u);
  EXPECT_TRUE(fs.DirExists(this->At("Help")));
  this->Put(this->At("Help.\\index.txt"), "index");
  EXPECT_EQ(this->Content(this->At("help\\index.txt")), "index");
  this->Put(this->At("tolvek.lsp"), "(defun)");
  EXPECT_TRUE(fs.FileExists(this->At("tolvek.lsp.")));
  EXPECT_EQ(this->Content(this->At("tolvek.lsp. ")), "(defun)");
  this->Put(this->At("readme. "), "text");
  EXPECT_TRUE(fs.FileExists(this->At("readme")));
  EXPECT_EQ(fs.Delete(this->At("tolvek.lsp..")), 0u);
  EXPECT_FALSE(fs.FileExists(this->At("tolvek.lsp")));
}

// The current folder is kept as it was named, and relative names are taken from it.
TYPED_TEST_P(FileSystemContract, TheCurrentFolderIsKeptAsNamed) {
  auto& fs = this->Fs();
  ASSERT_EQ(fs.CreateDir(this->At("Parts")), 0u);
  ASSERT_EQ(fs.CreateDir(this->At("Parts\\Kx")), 0u);

  ASSERT_EQ(fs.ChangeDir(this->At("parts\\kx")), 0u);
  EXPECT_EQ(fs.CurrentDir(), this->At("parts\\kx"));
  this->Put("part.tab", "kx");
  EXPECT_EQ(this->Content(this->At("Parts\\Kx\\part.tab")), "kx");
  ASSERT_EQ(fs.ChangeDir(".."), 0u);
  EXPECT_EQ(fs.CurrentDir(), this->At("parts"));
  ASSERT_EQ(fs.ChangeDir("KX\\"), 0u);
  EXPECT_EQ(fs.CurrentDir(), this->At("parts\\KX"));
  ASSERT_EQ(fs.ChangeDir(".\\..\\..\\Parts"), 0u);
  EXPECT_EQ(fs.CurrentDir(), this->At("Parts"));
  EXPECT_EQ(fs.CreateDir("Img"), 0u);
  EXPECT_TRUE(fs.DirExists(this->At("parts\\img")));

  // The drive letter too keeps the case it was named in.
  std::string lower = this->At("Parts");
  lower[0] = char(std::tolower(static_cast<unsigned char>(lower[0])));
  ASSERT_EQ(fs.ChangeDir(lower), 0u);
  EXPECT_EQ(fs.CurrentDir(), lower);
  ASSERT_EQ(fs.ChangeDir("\\"), 0u);
  EXPECT_EQ(fs.CurrentDir(), lower.substr(0, 2) + "\\");

  const std::string drive = this->root_.substr(0, 2);
  ASSERT_EQ(fs.ChangeDir(drive + "\\"), 0u);
  EXPECT_EQ(fs.CurrentDir(), drive + "\\");
  // "c:" alone names the current folder when C: is the current drive.
  ASSERT_EQ(fs.ChangeDir(this->At("Parts")), 0u);
  ASSERT_EQ(fs.ChangeDir(drive), 0u);
  EXPECT_EQ(fs.CurrentDir(), this->At("Parts"));
}

// A program has one current folder, not one per drive: a drive letter alone enters the root of
// another drive, and coming back finds the root of the first. Only the command processor and the
// C run-time keep a folder per drive, in environment variables the system call never writes.
TYPED_TEST_P(FileSystemContract, ADriveLetterAloneEntersTheRootOfAnotherDrive) {
  auto& fs = this->Fs();
  const std::string drive = this->root_.substr(0, 2);
  const std::string other = this->backend_.OtherDriveFolder();
  const std::string otherDrive = other.substr(0, 2);
  ASSERT_NE(std::toupper(otherDrive[0]), std::toupper(drive[0]));
  ASSERT_EQ(fs.CreateDir(this->At("Help")), 0u);

  ASSERT_EQ(fs.ChangeDir(this->At("Help")), 0u);
  ASSERT_EQ(fs.ChangeDir(other), 0u);
  EXPECT_EQ(fs.CurrentDir(), other);
  ASSERT_EQ(fs.ChangeDir(drive), 0u);
  EXPECT_EQ(fs.CurrentDir(), drive + "\\");
  ASSERT_EQ(fs.ChangeDir(otherDrive), 0u);
  EXPECT_EQ(fs.CurrentDir(), otherDrive + "\\");
}

// A junction or a symbolic link is what it is, never what it leads to, for every operation that
// must not act through one: KindOf names it, the rooted operations refuse a path that goes through
// it or ends at it, and a file that must be new is never created in its place. What lies behind it
// is left as it was.
TYPED_TEST_P(FileSystemContract, ALinkIsSeenAsALinkAndNeverGoneThrough) {
  auto& fs = this->Fs();
  const std::string elsewhere = this->At("elsewhere");
  const std::string document = elsewhere + "\\offerta.txt";
  ASSERT_EQ(fs.CreateDir(elsewhere), 0u);
  this->Put(document, "Offerta");
  const std::string link = this->At("jn");
  this->backend_.MakeLink(link, elsewhere);

  EXPECT_EQ(fs.KindOf(link), toolkit::PathKind::kLink);
  EXPECT_EQ(fs.KindOf(elsewhere), toolkit::PathKind::kFolder);
  EXPECT_EQ(fs.KindOf(document), toolkit::PathKind::kFile);
  EXPECT_EQ(fs.KindOf(this->At("none")), toolkit::PathKind::kNone);

  const toolkit::fs::RootedPaths root(this->root_);
  const std::string through = link + "\\offerta.txt";
  EXPECT_EQ(root.Erase(through).Code(), toolkit::kErrLinkInTheWay);
  EXPECT_EQ(root.Rename(through, this->At("moved.txt")).Code(), toolkit::kErrLinkInTheWay);
  EXPECT_EQ(root.RmDir(link).Code(), toolkit::kErrLinkInTheWay);
  toolkit::fs::File file;
  EXPECT_EQ(root.Open(file, through, OpenMode::kRead).Code(), toolkit::kErrLinkInTheWay);
  EXPECT_EQ(root.Open(file, link + "\\new.txt", OpenMode::kCreateNew).Code(),
            toolkit::kErrLinkInTheWay);
  EXPECT_EQ(this->OpenCode(link, OpenMode::kCreateNew), toolkit::kErrFileExists);
  // A link as the root itself is refused too: a folder at the root of a drive may be anyone's.
  EXPECT_EQ(toolkit::fs::RootedPaths(link).Check(through).Code(), toolkit::kErrLinkInTheWay);
  EXPECT_EQ(this->Content(document), "Offerta");
  EXPECT_EQ(fs.KindOf(link), toolkit::PathKind::kLink);

  // Without a link on the way, the same operations act.
  EXPECT_TRUE(root.Rename(document, elsewhere + "\\moved.txt").Done());
  EXPECT_TRUE(root.Erase(elsewhere + "\\moved.txt").Done());
  EXPECT_EQ(fs.KindOf(elsewhere + "\\moved.txt"), toolkit::PathKind::kNone);
}

// A device is no file: a name like CON or COM1, with or without an extension, in any folder, is
// refused before anything opens it (a serial port may never answer), and so is a path that leaves
// its root or goes up through "..".
TYPED_TEST_P(FileSystemContract, DeviceNamesAndPathsOutOfTheRootAreRefusedUnopened) {
  const toolkit::fs::RootedPaths root(this->root_);
  for (const char* name : {"CON", "nul.txt", "COM1", "aux.log", "LPT9", "Com3.dat"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(this->OpenCode(this->At(name), OpenMode::kRead), toolkit::kErrBadPathName);
    EXPECT_EQ(this->OpenCode(this->At(name), OpenMode::kCreateNew), toolkit::kErrBadPathName);
    EXPECT_EQ(root.Check(this->At(name)).Code(), toolkit::kErrBadPathName);
  }
  for (const std::string& outside :
       {this->root_ + "-other\\f.txt", this->At("..\\f.txt"), std::string("\\\\.\\COM1")}) {
    SCOPED_TRACE(outside);
    EXPECT_EQ(root.Erase(outside).Code(), toolkit::kErrBadPathName);
  }
}

// A file that must be new is created only where nothing of its name stands.
TYPED_TEST_P(FileSystemContract, AFileThatMustBeNewNeverReplacesOne) {
  const std::string path = this->At("pgp.new");
  this->Put(path, "the user's");
  EXPECT_EQ(this->OpenCode(path, OpenMode::kCreateNew), toolkit::kErrFileExists);
  EXPECT_EQ(this->Content(path), "the user's");
  ASSERT_EQ(this->Fs().CreateDir(this->At("folder")), 0u);
  EXPECT_EQ(this->OpenCode(this->At("folder"), OpenMode::kCreateNew), toolkit::kErrFileExists);
  EXPECT_EQ(this->OpenCode(this->At("fresh.new"), OpenMode::kCreateNew), 0u);
}


// Names are UTF-8 at the service, and a name the system's ANSI code page (1252) cannot hold is a
// name like any other: a Polish user's folder, a Cyrillic medium, a Chinese file. Every operation
// finds it by the name it was made with, and what the service gives back (a listing, the current
// folder) is that name, never a best fit ("Lukasz") or a '?'.
TYPED_TEST_P(FileSystemContract, NamesBeyondTheAnsiCodePageAreKeptWhole) {
  auto& fs = this->Fs();
  const std::string user = this->At("\xC5\x81ukasz");
  const std::string medium =
      user + "\\\xD0\xA3\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBA\xD0\xB0";
  const std::string file =
      "\xE4\xB8\xAD\xE6\x96\x87 \xC5\x81\xC3\xB3"
      "d\xC5\xBA.txt";
  ASSERT_EQ(fs.CreateDir(user), 0u);
  ASSERT_EQ(fs.CreateDir(medium), 0u);
  this->Put(medium + "\\" + file, "pacchetto");
  EXPECT_TRUE(fs.DirExists(medium));
  EXPECT_TRUE(fs.FileExists(medium + "\\" + file));
  EXPECT_FALSE(fs.FileExists(this->At("Lukasz")));
  EXPECT_EQ(this->Content(medium + "\\" + file), "pacchetto");
  const std::vector<std::string> names = fs.FileNames(medium);
  EXPECT_NE(std::find(names.begin(), names.end(), file), names.end());

  ASSERT_EQ(fs.ChangeDir(medium), 0u);
  EXPECT_EQ(fs.CurrentDir(), medium);
  EXPECT_TRUE(fs.FileExists(file));
  EXPECT_EQ(fs.ChangeDir(this->root_), 0u);
  std::uint64_t free = 0;
  EXPECT_EQ(fs.FreeSpace(medium, free), 0u);

  const std::string renamed = user + "\\\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1.txt";  // Greek
  EXPECT_EQ(fs.Rename(medium + "\\" + file, renamed), 0u);
  EXPECT_EQ(this->Content(renamed), "pacchetto");
  EXPECT_EQ(fs.Delete(renamed), 0u);
  EXPECT_EQ(fs.RemoveDir(medium), 0u);
  EXPECT_EQ(fs.RemoveDir(user), 0u);
  EXPECT_FALSE(fs.DirExists(user));
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, WrittenContentReadsBackAndEachModeGivesItsAccess,
                            RenameNeverReplacesAnExistingFile, NamesCompareWithoutCase,
                            AFolderListsItsFilesAndNotItsFolders,
                            ReadOnlyFilesRefuseWritingAndDeletingWithCode5,
                            AFileHeldWithoutSharingGivesCode32,
                            AFileOpenThroughTheServiceIsNeitherDeletedNorRenamed,
                            AMissingFileGives2AndAMissingPathGives3, AMissingDriveIsAMissingPath,
                            FilesAndFoldersAreNotTakenForEachOther,
                            TrailingDotsAndSpacesOfANameAreDropped, TheCurrentFolderIsKeptAsNamed,
                            ADriveLetterAloneEntersTheRootOfAnotherDrive,
                            ALinkIsSeenAsALinkAndNeverGoneThrough,
                            DeviceNamesAndPathsOutOfTheRootAreRefusedUnopened,
                            AFileThatMustBeNewNeverReplacesOne,
                            NamesBeyondTheAnsiCodePageAreKeptWhole);

}  // namespace contract
