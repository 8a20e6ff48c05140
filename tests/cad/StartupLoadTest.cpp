// Which way the product's AutoLISP file is loaded decides whether anything of the user's changes:
// an installation that finds a start-up file of releases 12 to 2005 must do exactly what it always
// did, and only a newer release without them gets acaddoc.lsp or the bundle. This table holds the
// decision to the generation chosen, the files found and the release the registry names.
#include "cad/StartupLoad.h"

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;
using toolkit::headless::MemReg;

const std::string kAcad = "c:\\Acad";
const std::string kAutoCad = "\\Software\\Autodesk\\AutoCAD";
const std::string kSupport = "c:\\Profiles\\u1\\Support\\";
const std::string kAppData = "c:\\Users\\user\\AppData\\Roaming";
const std::string kContents = kAppData + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";

enum class Way { kNone, kStartupFile, kAcadDoc, kBundle, kTrustedBundle };

class StartupLoadTest : public CadTest {
 protected:
  void Lay(const std::string& curVer) {
    Fs().MakeDirs(kAcad);
    Fs().MakeDirs(kSupport);
    Fs().MakeDirs(kAppData);
    if (curVer.empty()) return;
    MemReg().SetString(kAutoCad, "CurVer", curVer);
    MemReg().SetString(kAutoCad + "\\" + curVer, "CurVer", "ACAD-1:409");
    const std::string product = kAutoCad + "\\" + curVer + "\\ACAD-1:409";
    MemReg().SetString(product, "RoamableRootFolder", "c:\\Profiles\\u1\\");
    MemReg().SetString(product + "\\Profiles\\P1\\Variables", "TRUSTEDPATHS", "");
    variables_ = product + "\\Profiles\\P1\\Variables";
  }

  // What the run left behind, as one of the ways.
  Way Found() const {
    if (Content(kAcad + "\\support\\acad2005doc.lsp").find("tolvek") != std::string::npos) {
      return Way::kStartupFile;
    }
    if (Exists(kSupport + "acaddoc.lsp")) return Way::kAcadDoc;
    if (!Exists(kContents + "\\tolvek.lsp")) return Way::kNone;
    const bool trusted = MemReg().StringValue(variables_, "TRUSTEDPATHS") == kContents;
    return trusted ? Way::kTrustedBundle : Way::kBundle;
  }

  std::string variables_;
};

TEST_F(StartupLoadTest, TheGenerationTheFilesAndTheReleaseChooseTheWay) {
  const struct {
    bool release14;
    bool startupFile;  // AutoCAD 2005's document start-up file in the AutoCAD folder
    const char* curVer;
    bool result;
    Way way;
  } rows[] = {
      {false, true, "R25.1", true,
       Way::kStartupFile},  // today's result, whatever the registry says
      {true, true, "R25.1", true, Way::kStartupFile},
      {true, false, "R25.1", false, Way::kNone},   // a release before 2004 chosen: only the files
      {false, false, "", false, Way::kNone},       // no AutoCAD in the registry
      {false, false, "R16.1", false, Way::kNone},  // 2005 without its files: the message, as today
      {false, false, "R16.2", true, Way::kAcadDoc},
      {false, false, "R18.1", true, Way::kAcadDoc},
      {false, false, "R18.2", true, Way::kBundle},
      {false, false, "R19.0", true, Way::kBundle},
      {false, false, "R19.1", true, Way::kTrustedBundle},
      {false, false, "R25.1", true, Way::kTrustedBundle},
      {false, false, "R26.0", true, Way::kTrustedBundle},
  };
  for (const auto& row : rows) {
    CadTest::SetUp();  // a fresh disk and registry for each row
    Lay(row.curVer);
    if (row.startupFile) {
      Fs().PutFile(kAcad + "\\support\\acad2005doc.lsp", ";; ACAD2004DOC\r\n");
    }
    int placed = 0;
    const bool result = WireProductLisp(
        kAcad, row.release14,
        [&](const std::string& folder) {
          ++placed;
          Fs().PutFile(folder + "tolvek.lsp", "(princ)");
        },
        toolkit::NoRecording());
    const std::string name = std::string(row.curVer) + (row.release14 ? " before 2004" : "") +
                             (row.startupFile ? " with its start-up file" : "");
    EXPECT_EQ(result, row.result) << name;
    EXPECT_EQ(Found(), row.way) << name;
    EXPECT_EQ(placed, row.way == Way::kBundle || row.way == Way::kTrustedBundle ? 1 : 0) << name;
    // Where the start-up files decide, the registry is not even read.
    if (row.release14 || row.startupFile) {
      EXPECT_EQ(MemReg().CreateKeyCount(), 0) << name;
    }
  }
}

TEST_F(StartupLoadTest, AnAcadDocThatCannotBeOpenedAsksForTheManualEdit) {
  Lay("R17.1");
  Fs().PutFile(kSupport + "acaddoc.lsp", "(princ)\r\n");
  Fs().SetReadOnly(kSupport + "acaddoc.lsp", true);
  EXPECT_FALSE(WireProductLisp(
      kAcad, false, [](const std::string&) {}, toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acaddoc.lsp"), "(princ)\r\n");
}

TEST_F(StartupLoadTest, WithoutAnApplicationDataFolderABundleReleaseAsksForTheManualEdit) {
  Lay("R25.1");
  Fs().SetAppDataDir("");
  EXPECT_FALSE(WireProductLisp(
      kAcad, false, [](const std::string&) { FAIL(); }, toolkit::NoRecording()));
  EXPECT_EQ(MemReg().StringValue(variables_, "TRUSTEDPATHS"), "");
}

}  // namespace
}  // namespace cad
