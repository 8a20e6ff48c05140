// The patchers on real AutoCAD files: Autodesk's start-up files, menus and command alias files,
// and users' own, with LF, CR LF, no final line end, a DOS end-of-file byte, byte order marks and
// 8-bit text in several code pages. The files are read from the shared test data (never kept in
// the repository) into the in-memory file system. For each one: taking the added lines out of the
// result gives back the original lines byte for byte, the added lines stand right after the lines
// that call for them (found here by a search of this test's own), every line ends with CR LF, and
// a second run changes nothing.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

#include "CadTestSupport.h"
#include "cad/LispPatcher.h"
#include "cad/MenuPatcher.h"
#include "cad/PgpPatcher.h"

namespace cad {
namespace {

using testing::CadTest;
namespace stdfs = std::filesystem;

const stdfs::path kTestData = TOLVEK_AUTOCAD_TESTDATA;

std::string ReadDisk(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool Holds(std::string_view line, std::string_view text) {
  return Upper(line).find(Upper(text)) != std::string::npos;
}

// Lines as an editor sees them: CR LF, CR or LF ends a line, and text after the last is a line.
std::vector<std::string> AnyEndLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

using AddedAfter = std::function<std::vector<std::string>(const std::string& line)>;

struct Checked {
  int blocks = 0;
  int addedLines = 0;
};

// Walks the patched text against the original; fails the test at the first difference.
Checked ExpectOriginalPlusAdded(const std::string& original, const std::string& patched,
                                const AddedAfter& addedAfter,
                                const std::vector<std::string>& trailer) {
  Checked checked;
  EXPECT_TRUE(patched.empty() || patched.ends_with("\r\n")) << "last line without CR LF";
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = patched.find("\r\n", start)) != std::string::npos; start = end + 2) {
    out.push_back(patched.substr(start, end - start));
    EXPECT_EQ(out.back().find_first_of("\r\n"), std::string::npos)
        << "stray line end in line " << out.size();
  }
  std::size_t next = 0;
  auto expectLine = [&](const std::string& expected, const char* what) {
    if (next >= out.size()) {
      ADD_FAILURE() << "result ends before " << what << " [" << expected << "]";
      return false;
    }
    if (out[next] != expected) {
      ADD_FAILURE() << "line " << next + 1 << ": expected " << what << " [" << expected
                    << "], found [" << out[next] << "]";
      return false;
    }
    ++next;
    return true;
  };
  for (const std::string& line : AnyEndLines(original)) {
    if (!expectLine(line, "original line")) return checked;
    std::vector<std::string> added = addedAfter(line);
    checked.blocks += added.empty() ? 0 : 1;
    for (const std::string& extra : added) {
      if (!expectLine(extra, "added line")) return checked;
      ++checked.addedLines;
    }
  }
  for (const std::string& extra : trailer) {
    if (!expectLine(extra, "trailer line")) return checked;
    ++checked.addedLines;
  }
  EXPECT_EQ(next, out.size()) << "extra lines at the end";
  return checked;
}

std::vector<stdfs::path> FilesWithExtensions(std::initializer_list<std::string> extensions) {
  std::vector<stdfs::path> files;
  for (const auto& entry : stdfs::recursive_directory_iterator(kTestData)) {
    if (!entry.is_regular_file()) continue;
    const std::string extension = Upper(entry.path().extension().string());
    if (std::find(extensions.begin(), extensions.end(), extension) != extensions.end()) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

const std::vector<std::string> kAutoloadBlock = {" ", "(autoload \"tolvek\" '(\"tolvek\"))", " "};
const std::vector<std::string> kLoadBlock = {" ", "(load \"tolvek\" '(\"tolvek\"))", " "};

std::vector<std::string> AutoloadAfter(const std::string& line) {
  return Holds(line, "AUTOLOAD LISP APPLICATIONS") ? kAutoloadBlock : std::vector<std::string>{};
}

std::vector<std::string> LoadAfter(const std::string& line) {
  return Holds(line, "ACAD2000DOC") || Holds(line, "ACAD2002DOC") || Holds(line, "ACAD2004DOC")
             ? kLoadBlock
             : std::vector<std::string>{};
}

std::vector<std::string> MenuAfter(const std::string& line) {
  if (Holds(line, "***TOOLBARS")) {
    return {"**TOLVEK", "ID_Tolvek      [_Toolbar(\"Tolvek\", _Top, _Show, 2, 1, 1)]",
            "ID_tolvekppos  [_Button(\"Posiziona elemento Tolvek\", \"TKIcon1.bmp\", "
            "\"ICON_24_BLANK\")]^C^C^Ctolvek",
            "ID_tolvekrun   [_Button(\"Libreria parametrica Tolvek\", \"TKIcon2.bmp\", "
            "\"ICON_25_BLANK\")]^C^C^Cruntolvek"};
  }
  if (Holds(line, "***HELPSTRINGS")) {
    return {"ID_tolvekppos   [Posiziona elemento Tolvek]",
            "ID_tolvekrun    [Libreria parametrica Tolvek]"};
  }
  return {};
}

class RealFilesTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    if (!stdfs::is_directory(kTestData)) {
      GTEST_SKIP() << "no AutoCAD test files in " << kTestData;
    }
  }

  // Patches `path` with `patch` and checks the result. A file with nowhere to add the product's
  // lines is left byte for byte, with no backup. A second run must change nothing once the file
  // holds the patcher's marker; a file that never gets it (a menu with help strings but without
  // a toolbar section) is patched again like any other file.
  Checked PatchAndCheck(const std::string& original, const std::string& path,
                        const std::string& backup, const std::function<bool()>& patch,
                        const AddedAfter& addedAfter, const std::vector<std::string>& trailer,
                        std::string_view marker) {
    EXPECT_TRUE(patch());
    const std::string first = Content(path);
    const std::vector<std::string> lines = AnyEndLines(original);
    if (trailer.empty() && std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
          return addedAfter(line).empty();
        })) {
      EXPECT_EQ(first, original) << "a file with nowhere to add was rewritten";
      EXPECT_FALSE(Exists(backup)) << "a file with nowhere to add was backed up";
      return {};
    }
    Checked checked = ExpectOriginalPlusAdded(original, first, addedAfter, trailer);
    EXPECT_EQ(Content(backup), original);
    const auto afterFirst = Fs().Snapshot();
    EXPECT_TRUE(patch());
    if (Holds(first, marker)) {
      EXPECT_EQ(Fs().Snapshot(), afterFirst) << "the second run changed something";
    } else {
      ExpectOriginalPlusAdded(first, Content(path), addedAfter, trailer);
      // The first backup is kept; the second takes the next free name.
      EXPECT_EQ(Content(backup), original);
      const std::size_t dot = backup.find_last_of('.');
      EXPECT_EQ(Content(backup.substr(0, dot) + "-2" + backup.substr(dot)), first);
    }
    return checked;
  }
};

TEST_F(RealFilesTest, EveryMenuFileGetsTheToolbarAndHelpStrings) {
  const auto files = FilesWithExtensions({".MNS", ".MNU"});
  ASSERT_GE(files.size(), 8u);
  for (const stdfs::path& file : files) {
    SCOPED_TRACE(file.string());
    Fs().Reset();
    const std::string original = ReadDisk(file);
    const std::string folder = "c:\\acad\\support\\";
    const std::string name = file.filename().string();
    Fs().PutFile(folder + name, original);
    Checked checked = PatchAndCheck(
        original, folder + name, folder + "tktemp.bak",
        [&] { return PatchAcadMenu(1, folder, name, toolkit::NoRecording()); }, MenuAfter, {},
        "**TOLVEK");
    const bool toolbars = Holds(original, "***TOOLBARS");
    const bool helpStrings = Holds(original, "***HELPSTRINGS");
    EXPECT_EQ(checked.addedLines, (toolbars ? 4 : 0) + (helpStrings ? 2 : 0));
  }
}

TEST_F(RealFilesTest, TheAutoCad2004MenuGrowsBySixLines) {
  const stdfs::path file = kTestData / "lendres_CAD-Support-Files" / "User Files" / "acad.mns";
  const std::string original = ReadDisk(file);
  Fs().PutFile("c:\\acad\\support\\acad.mns", original);
  Checked checked = PatchAndCheck(
      original, "c:\\acad\\support\\acad.mns", "c:\\acad\\tktemp.bak",
      [] { return PatchAcadMenu(1, "c:\\acad", "\\support\\acad.mns", toolkit::NoRecording()); },
      MenuAfter, {}, "**TOLVEK");
  EXPECT_EQ(checked.blocks, 2);
  EXPECT_EQ(checked.addedLines, 6);
  // The temporary and backup files belong to the folder argument, here the AutoCAD folder.
  EXPECT_FALSE(Exists("c:\\acad\\support\\tktemp.bak"));
}

TEST_F(RealFilesTest, EveryCommandAliasFileGetsTheCommandAtItsEnd) {
  const auto files = FilesWithExtensions({".PGP"});
  ASSERT_GE(files.size(), 9u);
  for (const stdfs::path& file : files) {
    SCOPED_TRACE(file.string());
    Fs().Reset();
    const std::string original = ReadDisk(file);
    ASSERT_FALSE(Holds(original, "tolvek"));
    const std::string folder = "c:\\acad\\support\\";
    Fs().PutFile(folder + "acad.pgp", original);
    Checked checked = PatchAndCheck(
        original, folder + "acad.pgp", folder + "pgp.bak",
        [&] { return PatchAcadPgp(1, folder, "acad.pgp", toolkit::NoRecording()); },
        [](const std::string&) { return std::vector<std::string>{}; },
        {"RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,"}, "Tolvek");
    EXPECT_EQ(checked.addedLines, 1);
  }
}

TEST_F(RealFilesTest, EveryStartUpFileGetsTheLineOfItsKind) {
  // Files with the AutoLoad section are of the autoload kind; the others are document files.
  const auto files = FilesWithExtensions({".LSP"});
  ASSERT_GE(files.size(), 13u);
  for (const stdfs::path& file : files) {
    SCOPED_TRACE(file.string());
    Fs().Reset();
    const std::string original = ReadDisk(file);
    const bool autoload = Holds(original, "AUTOLOAD LISP APPLICATIONS");
    Fs().PutFile("c:\\acad\\start.lsp", original);
    Checked checked = PatchAndCheck(
        original, "c:\\acad\\start.lsp", "c:\\acad\\start.bak",
        [&] {
          return autoload ? AddAutoloadLine("c:\\acad", "\\start", ".lsp", toolkit::NoRecording())
                          : AddLoadLine("c:\\acad", "\\start", ".lsp", toolkit::NoRecording());
        },
        autoload ? AutoloadAfter : LoadAfter, {}, autoload ? "AUTOLOAD \"TOLVEK" : "LOAD \"TOLVEK");
    EXPECT_EQ(checked.blocks > 0, autoload);
  }
}

TEST_F(RealFilesTest, AnAutoCadFolderOfRelease13And14FilesIsPatchedWhere2005OnlyIsTested) {
  const std::string r13 = ReadDisk(kTestData / "gemabrow_PT_APPS" / "ACADR13.LSP");
  const std::string r14 = ReadDisk(kTestData / "gemabrow_PT_APPS" / "acadr14.lsp");
  const std::string session = ReadDisk(kTestData / "Manenpren_GDCLIMEX" / "acad2005.lsp");
  // No document file with ACAD2004DOC lines is among the real ones: this one is made up here.
  const std::string document = testing::Joined(
      {";;;     ACAD2004DOC.LSP  for AutoCAD 2005", ";;;", "(defun s::startup () (princ))",
       "(princ \"\\nACAD2004DOC loaded.\")", "(princ)"},
      "\n");
  Fs().PutFile("c:\\acad\\ACADR13.LSP", r13);
  Fs().PutFile("c:\\acad\\support\\acadr14.lsp", r14);
  Fs().PutFile("c:\\acad\\acad2005.lsp", session);
  Fs().PutFile("c:\\acad\\acad2005doc.lsp", document);

  EXPECT_TRUE(PatchAcadLisp("c:\\acad", toolkit::NoRecording()));
  EXPECT_EQ(
      ExpectOriginalPlusAdded(r13, Content("c:\\acad\\ACADR13.LSP"), AutoloadAfter, {}).blocks, 1);
  EXPECT_EQ(
      ExpectOriginalPlusAdded(r14, Content("c:\\acad\\support\\acadr14.lsp"), AutoloadAfter, {})
          .blocks,
      1);
  EXPECT_EQ(
      ExpectOriginalPlusAdded(document, Content("c:\\acad\\acad2005doc.lsp"), LoadAfter, {}).blocks,
      2);
  EXPECT_EQ(Content("c:\\acad\\acad2005.lsp"), session);
  EXPECT_EQ(Content("c:\\acad\\acadr13.bak"), r13);
  EXPECT_EQ(Content("c:\\acad\\support\\acadr14.bak"), r14);
  EXPECT_EQ(Content("c:\\acad\\acad2005doc.bak"), document);

  const auto afterFirst = Fs().Snapshot();
  EXPECT_TRUE(PatchAcadLisp("c:\\acad", toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot(), afterFirst);
}

}  // namespace
}  // namespace cad
