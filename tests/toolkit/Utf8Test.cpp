// Every text inside the program is UTF-8, and the edges convert: the configuration block's texts
// and the older journals from code page 1252, every name to and from the UTF-16 of Windows' wide
// calls. A 1252 byte must come out as the character Windows reads it as, and a name Windows gives
// must come back to Windows unchanged, lone surrogates included, or the installer would name a
// file that is not there. Under Wine every 1252 byte is checked against Windows' own conversion;
// here one case of each kind.
#include "toolkit/Utf8.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using toolkit::Cp1252FromUtf8;
using toolkit::Utf16FromUtf8;
using toolkit::Utf8FromCp1252;
using toolkit::Utf8FromUtf16;

TEST(Utf8FromCp1252, EachKindOfByteBecomesItsCharacter) {
  const struct {
    const char* name;
    std::string cp1252;
    std::string utf8;
  } cases[] = {
      {"nothing", "", ""},
      {"ASCII with line ends", "Opzioni: /S\r\n\t", "Opzioni: /S\r\n\t"},
      {"NUL", std::string(1, '\0'), std::string(1, '\0')},
      {"the last ASCII byte", "\x7F", "\x7F"},
      {"Italian accented letters", "\xE0\xE8\xE9\xEC\xF2\xF9",
       "\xC3\xA0\xC3\xA8\xC3\xA9\xC3\xAC\xC3\xB2\xC3\xB9"},
      {"the last byte", "\xFF", "\xC3\xBF"},
      {"euro sign", "\x80", "\xE2\x82\xAC"},
      {"curly quotes", "\x91\x92\x93\x94", "\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D"},
      {"Latin Extended letters", "\x83\x8A\x8C\x8E\x9A\x9C\x9E\x9F",
       "\xC6\x92\xC5\xA0\xC5\x92\xC5\xBD\xC5\xA1\xC5\x93\xC5\xBE\xC5\xB8"},
      {"the five undefined bytes", "\x81\x8D\x8F\x90\x9D",
       "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"a line of the log", "Gi\xE0 completo, lasciato com'\xE8: \x93x\x94",
       "Gi\xC3\xA0 completo, lasciato com'\xC3\xA8: \xE2\x80\x9Cx\xE2\x80\x9D"},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Utf8FromCp1252(row.cp1252), row.utf8) << row.name;
  }
}

// Two bytes that came out alike could not be told apart in the log; a lead byte without its
// continuation bytes would make the reader lose the characters after it.
TEST(Utf8FromCp1252, EveryByteGivesAWellFormedSequenceOfItsOwn) {
  std::set<std::string> seen;
  for (int byte = 0; byte < 256; ++byte) {
    const std::string utf8 = Utf8FromCp1252(std::string(1, char(byte)));
    const auto lead = static_cast<unsigned char>(utf8.at(0));
    // Neither a continuation byte nor an overlong form may lead.
    EXPECT_TRUE(lead < 0x80 || (lead >= 0xC2 && lead <= 0xEF)) << byte;
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xE0 ? 3 : 2;
    EXPECT_EQ(utf8.size(), length) << byte;
    for (std::size_t at = 1; at < utf8.size(); ++at) {
      EXPECT_EQ(static_cast<unsigned char>(utf8[at]) & 0xC0, 0x80) << byte;
    }
    EXPECT_TRUE(seen.insert(utf8).second) << byte;
  }
}

}  // namespace

// Back from UTF-8, every byte of the page is itself again (the five undefined ones through their
// C1 controls); a character the page has no byte for, or bytes that are no UTF-8, give nothing.
TEST(Cp1252FromUtf8, EveryByteComesBackAndNothingElseGoesIn) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, char(byte));
    EXPECT_EQ(Cp1252FromUtf8(Utf8FromCp1252(one)), one) << byte;
  }
  const struct {
    const char* name;
    std::string utf8;
  } refused[] = {
      {"a Polish L with stroke", "\xC5\x81ukasz"},        {"Cyrillic", "\xD0\xA3\xD1\x81\xD1\x82"},
      {"a character beyond the BMP", "\xF0\x9F\x98\x80"}, {"a cut sequence", "caf\xC3"},
      {"a byte of 1252, not UTF-8", "caf\xE8"},
  };
  for (const auto& row : refused) EXPECT_EQ(Cp1252FromUtf8(row.utf8), std::nullopt) << row.name;
}

// The NT family's names: each kind of character, and what Windows allows in a name that is no
// valid UTF-16 (a surrogate without its partner), both ways.
TEST(Utf16, EachKindOfCharacterBothWays) {
  const struct {
    const char* name;
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"nothing", "", u""},
      {"ASCII", "c:\\Tolvek4\\TOLVEK.EXE", u"c:\\Tolvek4\\TOLVEK.EXE"},
      {"NUL", std::string(1, '\0'), std::u16string(1, u'\0')},
      {"two bytes: a Polish user", "C:\\users\\\xC5\x81ukasz", u"C:\\users\\\u0141ukasz"},
      {"two bytes: Cyrillic", "D:\\\xD0\xA3", u"D:\\\u0423"},
      {"three bytes: Chinese", "\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
      {"three bytes: the last of the BMP", "\xEF\xBF\xBF", u"\uFFFF"},
      {"four bytes: a surrogate pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"four bytes: the last code point", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"a lone high surrogate",
       "a\xED\xA0\xBD"
       "b",
       u"a\xD83D"
       u"b"},
      {"a lone low surrogate at the end", "a\xED\xB8\x80", u"a\xDE00"},
      {"two low surrogates", "\xED\xB8\x80\xED\xB8\x80", u"\xDE00\xDE00"},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Utf16FromUtf8(row.utf8), row.utf16) << row.name;
    EXPECT_EQ(Utf8FromUtf16(row.utf16), row.utf8) << row.name;
    EXPECT_TRUE(toolkit::IsUtf8(row.utf8)) << row.name;
  }
}

// Bytes that are no UTF-8 come only from a file someone wrote: each maximal part of a broken
// sequence becomes one U+FFFD, and what follows it is read as it is, never swallowed.
TEST(Utf16, BytesThatAreNoUtf8BecomeOneReplacementEach) {
  const char16_t bad = 0xFFFD;
  const struct {
    const char* name;
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"a stray continuation byte",
       "a\x80"
       "b",
       {u'a', bad, u'b'}},
      {"a lead byte cut by the end", "a\xE4\xB8", {u'a', bad}},
      {"a lead byte cut by ASCII", "\xE4\xB8z", {bad, u'z'}},
      {"an overlong slash", "\xC0\xAF", {bad, bad}},
      {"an overlong three bytes", "\xE0\x80\xAF", {bad, bad, bad}},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", {bad, bad, bad, bad}},
      {"a byte no sequence starts with", "\xFF\xFE", {bad, bad}},
      {"a code page 1252 name",
       "caff\xE8.txt",
       {u'c', u'a', u'f', u'f', bad, u'.', u't', u'x', u't'}},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Utf16FromUtf8(row.utf8), row.utf16) << row.name;
    EXPECT_FALSE(toolkit::IsUtf8(row.utf8)) << row.name;
  }
}

// Whatever sequence of units Windows gives, the name it becomes leads back to the same units:
// every unit alone, and every pair of units from the places where the encoding changes.
TEST(Utf16, EveryNameWindowsGivesComesBackUnchanged) {
  std::vector<char16_t> units;
  for (unsigned unit = 0; unit < 0x10000; ++unit) {
    const std::u16string one(1, char16_t(unit));
    ASSERT_EQ(Utf16FromUtf8(Utf8FromUtf16(one)), one) << unit;
  }
  for (unsigned edge : {0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu,
                        0xE000u, 0xFFFFu}) {
    units.push_back(char16_t(edge));
  }
  for (char16_t first : units) {
    for (char16_t second : units) {
      const std::u16string pair{first, second};
      EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(pair)), pair) << int(first) << " " << int(second);
    }
  }
}

// What steps over characters (the effect label's upright letters, the headless font's glyphs,
// the 255 characters a path may have) never splits one.
TEST(Characters, StepsNeverSplitACharacter) {
  const std::string text = "A\xC5\x81\xE4\xB8\xAD\xF0\x9F\x98\x80z";
  EXPECT_EQ(toolkit::CharacterCount(text), 5u);
  EXPECT_EQ(toolkit::CharacterStarts(text), (std::vector<std::size_t>{0, 1, 3, 6, 10}));
  EXPECT_EQ(toolkit::FirstCharacters(text, 3), "A\xC5\x81\xE4\xB8\xAD");
  EXPECT_EQ(toolkit::FirstCharacters(text, 9), text);
  // A broken sequence is stepped over a byte at a time, as the conversion replaces it.
  EXPECT_EQ(toolkit::CharacterCount("\xC3x\x80"), 3u);
}
