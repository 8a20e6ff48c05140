// The marker test decides whether a customer's file is patched again or left alone, and where the
// product's lines go. It must fold exactly the ASCII letters: a fold of other bytes would match
// '[' against '{' or an accented capital against its small letter, and a wrong skip table would
// miss markers at some columns only. A brute-force search is the control for the skip table.
#include "cad/Marker.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace cad {
namespace {

bool BruteForce(const std::string& line, const std::string& marker) {
  auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  for (std::size_t start = 0; start + marker.size() <= line.size(); ++start) {
    std::size_t i = 0;
    while (i < marker.size() && fold(line[start + i]) == fold(marker[i])) ++i;
    if (i == marker.size()) return true;
  }
  return false;
}

TEST(MarkerTest, FindsTheAutoloadHeadingWrittenInMixedCase) {
  EXPECT_TRUE(
      ContainsMarker(";;;===== AutoLoad LISP Applications =====", "AUTOLOAD LISP APPLICATIONS"));
}

TEST(MarkerTest, FindsTheMarkerAtAnyColumnAndInsideLongerWords) {
  EXPECT_TRUE(ContainsMarker("Tolvek", "tolvek"));
  EXPECT_TRUE(ContainsMarker("; see TOLVEK", "Tolvek"));
  EXPECT_TRUE(ContainsMarker("xxtolvekxx", "Tolvek"));
  EXPECT_TRUE(ContainsMarker("(autoload \"tolvek\" '(\"tolvek\"))", "LOAD \"TOLVEK"));
  EXPECT_FALSE(ContainsMarker("tolve", "Tolvek"));
  EXPECT_FALSE(ContainsMarker("", "Tolvek"));
  EXPECT_FALSE(ContainsMarker("Tol vek", "Tolvek"));
}

TEST(MarkerTest, FoldsOnlyTheLettersAToZ) {
  // '[' and '{', '@' and '`', '^' and '~' differ by the bit that folds ASCII letters.
  EXPECT_FALSE(ContainsMarker("{TOOLBARS", "[TOOLBARS"));
  EXPECT_FALSE(ContainsMarker("`x", "@X"));
  EXPECT_FALSE(ContainsMarker("~C", "^C"));
  // Accented letters in code page 1252 are not folded: è (E8) against È (C8).
  EXPECT_FALSE(ContainsMarker("propriet\xE8", "PROPRIET\xC8"));
  EXPECT_TRUE(ContainsMarker("propriet\xE8", "PROPRIET\xE8"));
  // Bytes above 127 must not be taken for letters through a signed char.
  EXPECT_FALSE(ContainsMarker("\xC1\xC2", "\xE1\xE2"));
}

TEST(MarkerTest, AnEmptyMarkerIsInEveryLine) {
  EXPECT_TRUE(ContainsMarker("", ""));
  EXPECT_TRUE(ContainsMarker("abc", ""));
}

TEST(MarkerTest, OnePreparedMarkerAgreesWithABruteForceSearchOnRandomLines) {
  // A small alphabet makes near-misses and repeated prefixes common, where skip tables go wrong.
  const std::string alphabet = "aAbBtTkK*[{ \xE8\xC8";
  std::mt19937 random(20240611);
  auto text = [&](std::size_t maxLength) {
    std::string s(random() % (maxLength + 1), ' ');
    for (char& c : s) c = alphabet[random() % alphabet.size()];
    return s;
  };
  for (int round = 0; round < 300; ++round) {
    const std::string marker = text(6);
    const Marker prepared(marker);
    for (int line = 0; line < 50; ++line) {
      const std::string subject = text(40);
      ASSERT_EQ(prepared.FoundIn(subject), BruteForce(subject, marker))
          << "marker [" << marker << "] line [" << subject << "]";
    }
  }
}

}  // namespace
}  // namespace cad
