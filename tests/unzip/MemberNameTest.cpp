// The member-name guard. A package is input from outside the program; whatever names it carries,
// nothing may be written outside the target folder or onto a device. These are the names that
// have broken other extractors (zip-slip, drive-relative and device names).
#include <gtest/gtest.h>

#include "unzip/MemberName.h"

namespace unzip {
namespace {

std::optional<std::string> Safe(std::string_view name) {
  SafePath safe;
  if (!MakeSafePath(name, safe)) return std::nullopt;
  return safe.path;
}

TEST(MemberNameTest, OrdinaryNamesPassWithSlashes) {
  EXPECT_EQ(Safe("readme.rtf"), "readme.rtf");
  EXPECT_EQ(Safe("parts/bin/x.dwg"), "parts/bin/x.dwg");
  EXPECT_EQ(Safe("parts\\bin\\x.dwg"), "parts/bin/x.dwg");
  EXPECT_EQ(Safe("a//b"), "a/b");
  EXPECT_EQ(Safe(".hidden"), ".hidden");
  EXPECT_EQ(Safe("x..y"), "x..y");
}

TEST(MemberNameTest, FolderEntriesAreMarked) {
  SafePath safe;
  ASSERT_TRUE(MakeSafePath("help/", safe));
  EXPECT_TRUE(safe.folder);
  EXPECT_EQ(safe.path, "help");
  ASSERT_TRUE(MakeSafePath("help\\img\\", safe));
  EXPECT_TRUE(safe.folder);
  EXPECT_EQ(safe.path, "help/img");
}

TEST(MemberNameTest, ClimbingOutIsRefused) {
  for (const char* name : {"../evil.txt", "a/../../evil.txt", "a/../b.txt", "..\\..\\evil.txt",
                           "a\\..\\..\\evil", "..", "./a", "a/./b", "...", ".. /x", "a/. /b"}) {
    EXPECT_EQ(Safe(name), std::nullopt) << name;
  }
}

TEST(MemberNameTest, AbsoluteAndDriveNamesAreRefused) {
  for (const char* name :
       {"/etc/passwd", "\\windows\\win.ini", "C:/autoexec.bat", "C:autoexec.bat", "c:\\x",
        "\\\\server\\share\\x", "//server/share/x", "file.txt:stream"}) {
    EXPECT_EQ(Safe(name), std::nullopt) << name;
  }
}

TEST(MemberNameTest, DeviceNamesAreRefusedAnywhereInThePath) {
  for (const char* name : {"CON", "con", "nul.txt", "dir/NUL", "AUX.dat", "PRN", "COM1", "com9.log",
                           "LPT1", "lpt3.txt", "CON .txt", "CONIN$", "conout$", "CLOCK$",
                           "dir/com\xB9.txt", "aux/readme.txt"}) {
    EXPECT_EQ(Safe(name), std::nullopt) << name;
  }
  // Names that only begin like a device are ordinary files.
  for (const char* name : {"CONFIG.SYS", "console.txt", "nullable", "com10", "lpt", "auxiliary"}) {
    EXPECT_EQ(Safe(name), name) << name;
  }
}

TEST(MemberNameTest, CharactersWindowsCannotStoreAreRefused) {
  for (std::string name :
       {std::string("a<b"), std::string("a>b"), std::string("a|b"), std::string("a\"b"),
        std::string("a?b"), std::string("a*b"), std::string("te\0st", 5), std::string("a\tb"),
        std::string("name."), std::string("name ")}) {
    EXPECT_EQ(Safe(name), std::nullopt) << name;
  }
}

TEST(MemberNameTest, EmptyAndOverlongNamesAreRefused) {
  EXPECT_EQ(Safe(""), std::nullopt);
  EXPECT_EQ(Safe("/"), std::nullopt);
  EXPECT_EQ(Safe(std::string(260, 'a')), std::nullopt);
  EXPECT_EQ(Safe(std::string(259, 'a')), std::string(259, 'a'));
}

}  // namespace
}  // namespace unzip

namespace unzip {
namespace {

// Names flagged as UTF-8 reach the file calls in code page 1252; anything 1252 cannot hold, and
// anything that is not UTF-8 at all, is refused rather than written under a garbled name, and
// still reads as a name where the installer shows it.
TEST(Utf8NameTest, EachNameBecomesCodePage1252OrIsRefused) {
  struct Case {
    std::string utf8;
    std::optional<std::string> ansi;
    std::string shown = "";  // when refused
  };
  const Case cases[] = {
      {"parts/readme.rtf", "parts/readme.rtf"},
      {"pi\xC3\xA8"
       "ce.dat",
       "pi\xE8"
       "ce.dat"},
      {"\xE2\x82\xAC"
       "uro \xE2\x80\x94 \xC5\x92uvre",
       "\x80"
       "uro \x97 \x8Cuvre"},
      {"\xC3\xBF", "\xFF"},
      // What 1252 cannot hold becomes a '?', which the name guard refuses.
      {"\xE4\xB8\xAD.txt", std::nullopt, "?.txt"},  // a character 1252 has no byte for
      {"\xC2\x81", std::nullopt, "?"},              // U+0081: 1252 leaves 0x81 unassigned
      {"caf\xE8", std::nullopt, "caf?"},            // not UTF-8: already 1252
      {"\xC0\xAF", std::nullopt, "?"},              // an overlong '/', never a separator
      {"a\xC3", std::nullopt, "a?"},                // cut short
      {"\xF4\x90\x80\x80", std::nullopt, "?"},      // beyond U+10FFFF
  };
  SafePath safe;
  for (const Case& c : cases) {
    std::string name = c.utf8;
    const bool converted = Utf8ToCodePage1252(name);
    EXPECT_EQ(converted, c.ansi.has_value()) << c.utf8;
    EXPECT_EQ(name, c.ansi.value_or(c.shown)) << c.utf8;
    if (!converted) {
      EXPECT_FALSE(MakeSafePath(name, safe)) << c.utf8;
    }
  }
}

}  // namespace
}  // namespace unzip
