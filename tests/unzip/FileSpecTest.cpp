// Which members a file specification selects. The installer passes plain names such as
// "tkicon1.bmp" for single files out of a package; a wrong match either misses a file the
// installation needs or extracts one where it does not belong.
#include <gtest/gtest.h>

#include "unzip/FileSpec.h"

namespace unzip {
namespace {

TEST(FileSpecTest, PlainNameMatchesBaseNameInAnyFolder) {
  EXPECT_TRUE(MatchesFileSpec("tkicon1.bmp", "tkicon1.bmp"));
  EXPECT_TRUE(MatchesFileSpec("tkicon1.bmp", "support/tkicon1.bmp"));
  EXPECT_TRUE(MatchesFileSpec("tkicon1.bmp", "a\\b\\tkicon1.bmp"));
  EXPECT_FALSE(MatchesFileSpec("tkicon1.bmp", "tkicon1.bmp.bak"));
  EXPECT_FALSE(MatchesFileSpec("tkicon1.bmp", "xtkicon1.bmp"));
  EXPECT_FALSE(MatchesFileSpec("icon1.bmp", "support/tkicon1.bmp"));
}

TEST(FileSpecTest, CaseIsIgnoredAsWindowsDoes) {
  EXPECT_TRUE(MatchesFileSpec("TKICON1.BMP", "support/tkicon1.bmp"));
  EXPECT_TRUE(MatchesFileSpec("Tol.Lsp", "TOL.LSP"));
}

TEST(FileSpecTest, FullNameWithEitherSeparator) {
  EXPECT_TRUE(MatchesFileSpec("support/tol.lsp", "support/tol.lsp"));
  EXPECT_TRUE(MatchesFileSpec("support\\tol.lsp", "Support/Tol.lsp"));
  EXPECT_FALSE(MatchesFileSpec("other/tol.lsp", "support/tol.lsp"));
}

TEST(FileSpecTest, Wildcards) {
  EXPECT_TRUE(MatchesFileSpec("*.bmp", "img/a.bmp"));
  EXPECT_FALSE(MatchesFileSpec("*.bmp", "img/a.bmpx"));
  EXPECT_TRUE(MatchesFileSpec("tkicon?.bmp", "tkicon2.bmp"));
  EXPECT_FALSE(MatchesFileSpec("tkicon?.bmp", "tkicon12.bmp"));
  EXPECT_TRUE(MatchesFileSpec("*", "anything/at/all"));
  EXPECT_TRUE(MatchesFileSpec("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(MatchesFileSpec("a*b*c", "aXXbYYcd"));
  EXPECT_TRUE(MatchesFileSpec("img/*.BMP", "IMG/x.bmp"));
}

TEST(FileSpecTest, FolderEntryMatchesByItsLastPart) {
  EXPECT_TRUE(MatchesFileSpec("help", "doc/help/"));
  EXPECT_FALSE(MatchesFileSpec("help", "doc/helper/"));
}

TEST(FileSpecTest, EmptySpecMatchesNothing) { EXPECT_FALSE(MatchesFileSpec("", "a.txt")); }

TEST(FileSpecTest, PathologicalPatternStaysFast) {
  // Exponential backtracking would hang here; the matcher must answer at once.
  const std::string text(4000, 'a');
  const std::string pattern = "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b";
  EXPECT_FALSE(MatchesWildcard(pattern, text));
}

}  // namespace
}  // namespace unzip
