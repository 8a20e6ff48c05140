// Taking the product's lines out again, on the real AutoCAD files of the shared test data: for
// every start-up, menu and command alias file, patching then unpatching gives back the original
// lines (byte for byte where the file used CR LF throughout and ended with a line end); a line
// the user added after the installation stays; a file that lost the lines, or is gone, is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "CadTestSupport.h"
#include "cad/LispPatcher.h"
#include "cad/MenuPatcher.h"
#include "cad/PgpPatcher.h"
#include "cad/Unpatch.h"

namespace cad {
namespace {

namespace stdfs = std::filesystem;
using testing::CadTest;
using testing::CrLf;

const stdfs::path kTestData = TOLVEK_AUTOCAD_TESTDATA;

// Keeps what the rewrite tells a journal: the paths and the lines inserted.
struct Recorder : RewriteJournal {
  void SwapStarts(const RewritePaths&) override {}
  void Rewritten(const RewritePaths& p, const std::vector<InsertedLine>& lines) override {
    paths = p;
    inserted = lines;
  }
  RewritePaths paths;
  std::vector<InsertedLine> inserted;
};

// The text as the rewrite writes it: every line, a last one without its end included, with CR LF.
std::string AsRewritten(const std::string& text) {
  std::string out;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += line + "\r\n";
      line.clear();
    } else {
      line += text[i];
    }
  }
  return line.empty() ? out : out + line + "\r\n";
}

struct Kind {
  std::vector<std::string> extensions;
  std::function<bool(const std::string& original)> patch;  // on c:\acad\<file>
};

class UnpatchTest : public CadTest {
 protected:
  // Patches the file, lets `meanwhile` change it, unpatches it: what the file then holds.
  std::string RoundTrip(
      const std::string& path, const std::function<bool()>& patch,
      const std::function<void()>& meanwhile = [] {}) {
    Recorder recorder;
    {
      ScopedRewriteJournal scope(recorder);
      EXPECT_TRUE(patch());
    }
    meanwhile();
    if (recorder.inserted.empty()) return Content(path);
    EXPECT_EQ(RemoveInsertedLines(recorder.paths, recorder.inserted), UnpatchResult::kRemoved);
    EXPECT_EQ(RemoveInsertedLines(recorder.paths, recorder.inserted), UnpatchResult::kNotThere);
    return Content(path);
  }
};

TEST_F(UnpatchTest, EveryRealFileGetsItsOriginalLinesBack) {
  if (!stdfs::is_directory(kTestData)) GTEST_SKIP() << "no AutoCAD test files";
  const std::string folder = "c:\\acad\\";
  int files = 0;
  for (const auto& entry : stdfs::recursive_directory_iterator(kTestData)) {
    if (!entry.is_regular_file()) continue;
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::toupper);
    std::function<bool()> patch;
    std::string name = "file" + extension;
    if (extension == ".MNS" || extension == ".MNU") {
      patch = [&] { return PatchAcadMenu(1, folder, name); };
    } else if (extension == ".PGP") {
      patch = [&] { return PatchAcadPgp(1, folder, name); };
    } else if (extension == ".LSP") {
      name = "start.lsp";
      patch = [&] {
        return AddAutoloadLine("c:\\acad", "\\start", ".lsp") &&
               AddLoadLine("c:\\acad", "\\start", ".lsp");
      };
    } else {
      continue;
    }
    SCOPED_TRACE(entry.path().string());
    Fs().Reset();
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string original{std::istreambuf_iterator<char>(in), {}};
    Fs().PutFile(folder + name, original);
    EXPECT_EQ(RoundTrip(folder + name, patch), AsRewritten(original));
    ++files;
  }
  EXPECT_GE(files, 30);
}

TEST_F(UnpatchTest, AUserLineAddedAfterTheInstallationStays) {
  Fs().PutFile("c:\\acad\\acad.pgp", CrLf({"A, *ARC", "C, *CIRCLE"}));
  const std::string after = RoundTrip(
      "c:\\acad\\acad.pgp", [] { return PatchAcadPgp(1, "c:\\acad\\", "acad.pgp"); },
      [] {
        std::string text = Content("c:\\acad\\acad.pgp");
        Fs().PutFile("c:\\acad\\acad.pgp", "; mine\r\n" + text + "MY, *MINE\r\n");
      });
  EXPECT_EQ(after, CrLf({"; mine", "A, *ARC", "C, *CIRCLE", "MY, *MINE"}));
}

TEST_F(UnpatchTest, AFileWithoutTheLinesOrWithoutItselfIsLeftAlone) {
  const RewritePaths paths{"c:\\acad\\acad.pgp", "c:\\acad\\pgp.new", "c:\\acad\\pgp.bak",
                           "c:\\acad\\pgp.bak~"};
  const std::vector<InsertedLine> inserted{{3, "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,"}};
  EXPECT_EQ(RemoveInsertedLines(paths, inserted), UnpatchResult::kMissing);
  Fs().PutFile(paths.target, CrLf({"A, *ARC"}));
  EXPECT_EQ(RemoveInsertedLines(paths, inserted), UnpatchResult::kNotThere);
  EXPECT_EQ(Content(paths.target), CrLf({"A, *ARC"}));
  EXPECT_FALSE(Exists(paths.backup));
}

}  // namespace
}  // namespace cad
