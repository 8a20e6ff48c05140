// The run's log is written in UTF-8 from the program's texts in code page 1252. Every byte must
// come out as the character Windows reads it as: a wrong entry puts a wrong character into every
// log that holds it, and a byte passed on as it is makes the whole file invalid UTF-8 to the
// tools that collect logs. Under Wine every byte is checked against Windows' own conversion; here
// one case of each kind.
#include "toolkit/Utf8.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using toolkit::Utf8FromCp1252;

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
