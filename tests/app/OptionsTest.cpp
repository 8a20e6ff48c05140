// The command line as deployment tools write it: every option in either case and with either
// prefix, values quoted or not (a quoted folder may end with a backslash), and every argument that
// must give "invalid command line" rather than an installation nobody asked for. /S and /LOG= are
// read even beside a wrong argument, so that the error of a silent run goes to its log.
#include "app/Options.h"

#include <gtest/gtest.h>

namespace {

using app::Options;
using app::ParseOptions;

struct Good {
  const char* commandLine;
  Options expected;
};

bool Same(const Options& a, const Options& b) {
  return a.silent == b.silent && a.cadFolder == b.cadFolder && a.release14 == b.release14 &&
         a.win9x == b.win9x && a.noGroup == b.noGroup && a.logFile == b.logFile &&
         a.help == b.help && a.userPart == b.userPart && a.repair == b.repair && a.logon == b.logon;
}

TEST(Options, GoodCommandLines) {
  const Good table[] = {
      {"", {}},
      {"/S", {.silent = true}},
      {"-s", {.silent = true}},
      {"  /S\t ", {.silent = true}},
      {"/r14 -Win9X /NoGroup", {.release14 = true, .win9x = true, .noGroup = true}},
      {"/acad=c:\\cad", {.cadFolder = "c:\\cad"}},
      {"/ACAD=\"c:\\Program Files\\AutoCAD 2006\" /S",
       {.silent = true, .cadFolder = "c:\\Program Files\\AutoCAD 2006"}},
      {"\"/ACAD=c:\\a b\\\"", {.cadFolder = "c:\\a b\\"}},
      {"/LOG=\"c:\\my logs\\t.log\"", {.logFile = "c:\\my logs\\t.log"}},
      {"/acad=x=y", {.cadFolder = "x=y"}},
      {"/ACAD=a /ACAD=b", {.cadFolder = "b"}},
      {"/?", {.help = true}},
      {"-help", {.help = true}},
      {"/Repair", {.repair = true}},
      // The logon's runs are silent whether or not they say so.
      {"/REPAIR /LOGON", {.silent = true, .repair = true, .logon = true}},
      {"/logon /user", {.silent = true, .userPart = true, .logon = true}},
  };
  for (const Good& row : table) {
    const app::ParsedOptions parsed = ParseOptions(row.commandLine);
    EXPECT_FALSE(parsed.error) << row.commandLine << " -> " << *parsed.error;
    EXPECT_TRUE(Same(parsed.options, row.expected)) << row.commandLine;
  }
}

struct Bad {
  const char* commandLine;
  const char* error;  // the argument reported
};

TEST(Options, BadCommandLinesNameTheFirstWrongArgument) {
  const Bad table[] = {
      {"/X", "/X"},
      {"/SILENT", "/SILENT"},
      {"S", "S"},
      {"/", "/"},
      {"\"\"", ""},
      {"/S=1", "/S=1"},
      {"/R14=yes", "/R14=yes"},
      {"/ACAD", "/ACAD"},
      {"/ACAD=", "/ACAD="},
      {"/ACAD=\"\"", "/ACAD="},
      {"/LOG", "/LOG"},
      {"/S /Q /Z", "/Q"},
      {"c:\\cad", "c:\\cad"},
      {"/LOGON", "/LOGON"},
      {"/S /LOGON /UNINSTALL", "/LOGON"},
      {"/REPAIR=1", "/REPAIR=1"},
  };
  for (const Bad& row : table) {
    const app::ParsedOptions parsed = ParseOptions(row.commandLine);
    ASSERT_TRUE(parsed.error) << row.commandLine;
    EXPECT_EQ(*parsed.error, row.error) << row.commandLine;
  }
}

TEST(Options, SilentAndTheLogAreKnownBesideAWrongArgument) {
  const app::ParsedOptions parsed = ParseOptions("/BOGUS -s /log=c:\\t.log");
  EXPECT_TRUE(parsed.error);
  EXPECT_TRUE(parsed.options.silent);
  EXPECT_EQ(parsed.options.logFile, "c:\\t.log");
}

}  // namespace
