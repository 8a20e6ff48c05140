// What the installer adds to AutoCAD's files must reach them byte for byte in the file's own
// encoding: UTF-8 (with its mark or without) or the system's ANSI code page, whichever AutoCAD and
// the user's editor chose. Every added line is fixed text of ASCII alone, and every one of those
// encodings holds ASCII as ASCII, so no line needs converting and none can be lost to a '?'. The
// lines hold no path built at run time: the alias line names the destination, which is fixed
// ASCII too. Should a line ever be built from a path (a destination the user types, a profile's
// folder), this fails, and the rewrite would first have to write the line in the file's encoding
// and leave out, naming it, what that encoding cannot hold.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "cad/Bundle.h"
#include "cad/LispCandidates.h"
#include "cad/MenuLines.h"
#include "cad/PgpPatcher.h"
#include "config/Vars.h"
#include "tests/support/HeadlessTest.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Process.h"
#include "toolkit/headless/HeadlessProcess.h"

namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

class AddedLinesTest : public testing_support::HeadlessTest {};

TEST_F(AddedLinesTest, EveryLineAddedToAnAutoCadFileIsAsciiAndNamesTheFixedDestination) {
  std::vector<std::string_view> lines{cad::kRunLine};
  lines.insert(lines.end(), cad::kToolbarBlock.begin(), cad::kToolbarBlock.end());
  lines.insert(lines.end(), cad::kHelpStringBlock.begin(), cad::kHelpStringBlock.end());
  lines.insert(lines.end(), cad::kAutoloadEdit.block.begin(), cad::kAutoloadEdit.block.end());
  lines.insert(lines.end(), cad::kLoadEdit.block.begin(), cad::kLoadEdit.block.end());
  lines.insert(lines.end(), cad::kPackageContents.begin(), cad::kPackageContents.end());
  // The system's code page that holds least: ASCII alone.
  toolkit::headless::HeadlessProc().SetAnsiCodePage(20127);
  for (std::string_view line : lines) {
    EXPECT_TRUE(IsAscii(line)) << line;
    EXPECT_EQ(toolkit::Proc().InAnsiCodePage(line), std::string(line)) << line;
  }
  for (int language : {1, 2}) {
    config::Vars = config::ConfigurationBlock{};
    config::Vars.Language = language;
    config::Vars.ProductCode = 1;
    config::FillConfiguration();
    EXPECT_TRUE(IsAscii(config::Vars.DestFolder)) << config::Vars.DestFolder;
    EXPECT_NE(cad::kRunLine.find("c:/" + toolkit::fs::FoldCase(config::Vars.DestFolder.substr(3))),
              std::string_view::npos);
  }
}

// The page's answer is exact or nothing: a best fit would put a different name into a file.
TEST_F(AddedLinesTest, TheAnsiCodePageHoldsATextExactlyOrNotAtAll) {
  auto& process = toolkit::headless::HeadlessProc();
  const std::string polish = "c:\\Users\\\xC5\x81ukasz";
  const std::string italian = "c:\\Citt\xC3\xA0";
  process.SetAnsiCodePage(1252);
  EXPECT_EQ(toolkit::Proc().InAnsiCodePage(polish), std::nullopt);
  EXPECT_EQ(toolkit::Proc().InAnsiCodePage(italian), "c:\\Citt\xE0");
  process.SetAnsiCodePage(20127);
  EXPECT_EQ(toolkit::Proc().InAnsiCodePage(italian), std::nullopt);
  process.SetAnsiCodePage(65001);
  EXPECT_EQ(toolkit::Proc().InAnsiCodePage(polish), polish);
}

}  // namespace
