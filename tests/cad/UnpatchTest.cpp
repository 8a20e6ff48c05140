// Taking an installation's rewrites back, on the real AutoCAD files of the shared test data and
// on variants of each that users' editors make (LF alone, no final line end, cp1252 text): an
// untouched file gets its bytes back exactly, from the backup or, without it, rebuilt from the
// journal's record; the backup, the user's safety copy, stays as it was; a file the user changed
// since loses only the product's lines, every other line keeping its bytes and its line end; a
// file to which the installation would add nothing is never rewritten.
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
#include "tests/support/RecordedChanges.h"

namespace cad {
namespace {

namespace stdfs = std::filesystem;
using testing::CadTest;
using testing::CrLf;
using testing_support::RecordedChanges;

const stdfs::path kTestData = TOLVEK_AUTOCAD_TESTDATA;
const std::string kFolder = "c:\\acad\\";

// What a user's editor may have made of a file.
struct Variant {
  const char* name;
  std::function<std::string(std::string)> make;
};

std::string WithLineEnd(const std::string& text, std::string_view end) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += end;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string WithoutFinalLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

const Variant kVariants[] = {
    {"as published", [](std::string text) { return text; }},
    {"LF alone", [](std::string text) { return WithLineEnd(text, "\n"); }},
    {"CR LF, no final line end",
     [](std::string text) { return WithoutFinalLineEnd(WithLineEnd(text, "\r\n")); }},
    {"LF, no final line end",
     [](std::string text) { return WithoutFinalLineEnd(WithLineEnd(text, "\n")); }},
    {"cp1252 comment first, LF",
     [](std::string text) { return ";; citt\xE0 \xAB\xB0\xBB\n" + WithLineEnd(text, "\n"); }},
};

// How each kind of AutoCAD file is patched, on kFolder + its name.
struct Kind {
  const char* name;
  std::function<void(RecordedChanges&)> patch;
};

Kind KindOf(std::string extension) {
  std::transform(extension.begin(), extension.end(), extension.begin(), ::toupper);
  if (extension == ".MNS" || extension == ".MNU") {
    return {"acad.mns", [](RecordedChanges& r) { PatchAcadMenu(1, kFolder, "acad.mns", r); }};
  }
  if (extension == ".PGP") {
    return {"acad.pgp", [](RecordedChanges& r) { PatchAcadPgp(1, kFolder, "acad.pgp", r); }};
  }
  if (extension == ".LSP") {
    return {"acad2005doc.lsp", [](RecordedChanges& r) {
              AddAutoloadLine("c:\\acad", "\\acad2005doc", ".lsp", r);
              AddLoadLine("c:\\acad", "\\acad2005doc", ".lsp", r);
            }};
  }
  return {nullptr, {}};
}

class UnpatchTest : public CadTest {
 protected:
  // Undoes the recorded rewrites, newest first, as the uninstaller does.
  static std::vector<UnpatchResult> UndoAll(const RecordedChanges& installed) {
    std::vector<UnpatchResult> results;
    RecordedChanges own;
    for (auto swap = installed.rewritten.rbegin(); swap != installed.rewritten.rend(); ++swap) {
      const std::string folder = swap->target.substr(0, swap->target.find_last_of('\\'));
      results.push_back(
          UndoRewrite(*swap, BackupUse::kKeep, toolkit::fs::RootedPaths(folder), own).result);
    }
    return results;
  }

  // Every file of the folder but the target and its backups: what an undo must not leave.
  static std::vector<std::string> StrayFiles(const std::string& target) {
    std::vector<std::string> stray;
    for (const auto& [path, content] : Fs().Snapshot("c:\\acad")) {
      if (path != target && !path.ends_with(".bak")) stray.push_back(path);
    }
    return stray;
  }
};

TEST_F(UnpatchTest, EveryRealFileAndItsVariantsComeBackByteForByte) {
  if (!stdfs::is_directory(kTestData)) GTEST_SKIP() << "no AutoCAD test files";
  int rewritten = 0;
  for (const auto& entry : stdfs::recursive_directory_iterator(kTestData)) {
    const Kind kind = entry.is_regular_file() ? KindOf(entry.path().extension().string()) : Kind{};
    if (kind.name == nullptr) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string published{std::istreambuf_iterator<char>(in), {}};
    for (const Variant& variant : kVariants) {
      // Once from the backup, once rebuilt from the record alone.
      for (const bool keepBackup : {true, false}) {
        SCOPED_TRACE(entry.path().string() + ", " + variant.name +
                     (keepBackup ? "" : ", backup gone"));
        Fs().Reset();
        const std::string target = kFolder + kind.name;
        const std::string original = variant.make(published);
        Fs().PutFile(target, original);
        RecordedChanges installed;
        kind.patch(installed);
        if (installed.rewritten.empty()) {
          // Nothing added, nothing written: no backup, the file as it was.
          EXPECT_EQ(Content(target), original);
          EXPECT_EQ(Fs().Snapshot("c:\\acad").size(), 1u);
          continue;
        }
        ++rewritten;
        std::map<std::string, std::string> backups;
        for (const toolkit::FileSwap& swap : installed.rewritten) {
          if (keepBackup) {
            backups[swap.backup] = Content(swap.backup);
          } else {
            ASSERT_EQ(Fs().Delete(swap.backup), 0u);
          }
        }
        for (UnpatchResult result : UndoAll(installed)) {
          EXPECT_EQ(result, UnpatchResult::kRestored);
        }
        EXPECT_EQ(Content(target), original);
        // The backups are the user's: not one byte of them changed.
        for (const auto& [backup, content] : backups) EXPECT_EQ(Content(backup), content);
        EXPECT_EQ(StrayFiles(target), std::vector<std::string>{});
      }
    }
  }
  EXPECT_GE(rewritten, 60);
}

// A user's edit since the installation: the product's lines go, and every other line keeps its
// bytes; the file, LF throughout before the installation gave it CR LF, has LF again, the
// user's own lines included.
TEST_F(UnpatchTest, AFileChangedSinceLosesOnlyTheProductsLines) {
  const std::string target = kFolder + "acad.pgp";
  Fs().PutFile(target, "A, *ARC\nC, *CIRCLE");
  RecordedChanges installed;
  ASSERT_TRUE(PatchAcadPgp(1, kFolder, "acad.pgp", installed));
  Fs().PutFile(target, "; mine\n" + Content(target) + "MY, *MINE");
  const std::string backup = Content(kFolder + "pgp.bak");
  EXPECT_EQ(UndoAll(installed), std::vector<UnpatchResult>{UnpatchResult::kRemoved});
  EXPECT_EQ(Content(target), "; mine\nA, *ARC\nC, *CIRCLE\nMY, *MINE");
  EXPECT_EQ(Content(kFolder + "pgp.bak"), backup);
  EXPECT_EQ(StrayFiles(target), std::vector<std::string>{});
  // Taken out once, there is nothing left to take.
  EXPECT_EQ(UndoAll(installed), std::vector<UnpatchResult>{UnpatchResult::kNotThere});
}

TEST_F(UnpatchTest, AFileWithoutTheLinesOrWithoutItselfIsLeftAlone) {
  toolkit::FileSwap swap;
  swap.target = kFolder + "acad.pgp";
  swap.temp = kFolder + "pgp.new";
  swap.backup = kFolder + "pgp.bak";
  swap.aside = kFolder + "pgp.bak~";
  swap.inserted = {{3, "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,"}};
  RecordedChanges own;
  const toolkit::fs::RootedPaths where(kFolder);
  EXPECT_EQ(UndoRewrite(swap, BackupUse::kKeep, where, own).result, UnpatchResult::kMissing);
  Fs().PutFile(swap.target, CrLf({"A, *ARC"}));
  EXPECT_EQ(UndoRewrite(swap, BackupUse::kKeep, where, own).result, UnpatchResult::kNotThere);
  EXPECT_EQ(RemoveInsertedLines(swap, where, own).result, UnpatchResult::kNotThere);
  EXPECT_EQ(Content(swap.target), CrLf({"A, *ARC"}));
  EXPECT_FALSE(Exists(swap.backup));
  EXPECT_TRUE(own.started.empty());
}

// The rollback's own backup, made moments ago, takes the file's name again.
TEST_F(UnpatchTest, ARollBackRenamesItsOwnBackupBack) {
  const std::string target = kFolder + "acad.pgp";
  Fs().PutFile(target, "A, *ARC\n");
  RecordedChanges installed;
  ASSERT_TRUE(PatchAcadPgp(1, kFolder, "acad.pgp", installed));
  ASSERT_EQ(installed.rewritten.size(), 1u);
  RecordedChanges own;
  EXPECT_EQ(UndoRewrite(installed.rewritten[0], BackupUse::kRename,
                        toolkit::fs::RootedPaths(kFolder), own)
                .result,
            UnpatchResult::kRestored);
  EXPECT_EQ(Fs().Snapshot("c:\\acad"), (std::map<std::string, std::string>{{target, "A, *ARC\n"}}));
  EXPECT_TRUE(own.started.empty());
}

}  // namespace
}  // namespace cad
