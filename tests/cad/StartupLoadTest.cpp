// Which way the product's AutoLISP file is loaded decides whether anything of the user's changes.
// An installation that finds a start-up file of releases 12 to 2005 patches it exactly as it
// always did; every AutoCAD from 2006 that the user's registry knows then gets the way of its
// release, each once: acaddoc.lsp in its own support folder up to 2011, one bundle from 2012,
// trusted in every profile from 2014. A product never started is passed over, and what AutoCAD
// will do instead (an earlier acaddoc.lsp, PROJECTAWARE) is told.
#include "cad/StartupLoad.h"

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;
using toolkit::headless::MemReg;
using Way = ProductWiring::Way;

const std::string kAcad = "c:\\Acad";
const std::string kAutoCad = "\\Software\\Autodesk\\AutoCAD";
const std::string kAppData = "c:\\Users\\user\\AppData\\Roaming";
const std::string kContents = kAppData + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";

class StartupLoadTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    Fs().MakeDirs(kAcad);
    Fs().MakeDirs(kAppData);
  }

  // A product the user has started: its support folder and one profile.
  static std::string Lay(const std::string& release, const std::string& product,
                         const std::string& profile = "P1") {
    const std::string key = kAutoCad + "\\" + release + "\\" + product;
    const std::string root = "c:\\Profiles\\" + release + "\\" + product.substr(5, 4) + "\\";
    Fs().MakeDirs(root + "Support");
    MemReg().SetString(key, "RoamableRootFolder", root);
    MemReg().SetString(key + "\\Profiles\\" + profile + "\\Variables", "TRUSTEDPATHS", "c:\\Lisp");
    return root + "Support\\";
  }

  static void Current(const std::string& release, const std::string& product) {
    MemReg().SetString(kAutoCad, "CurVer", release);
    MemReg().SetString(kAutoCad + "\\" + release, "CurVer", product);
  }

  // Wires with a placement that records where the product's files went.
  LispWiring Wire(bool release14 = false) {
    products_ = FindAcadProducts();
    return WireProductLisp(
        kAcad, release14, products_, {Fs().AppDataDir(), true},
        [&](const std::string& folder) {
          placed_.push_back(folder);
          PutProductFiles(folder);
        },
        toolkit::NoRecording());
  }

  static std::string Trusted(const std::string& release, const std::string& product) {
    return MemReg()
        .StringValue(kAutoCad + "\\" + release + "\\" + product + "\\Profiles\\P1\\Variables",
                     "TRUSTEDPATHS")
        .value_or("<none>");
  }

  std::vector<AcadProduct> products_;
  std::vector<std::string> placed_;
};

// One product of each release, alone on the machine, with and without the start-up files.
TEST_F(StartupLoadTest, TheGenerationTheFilesAndTheReleaseChooseTheWay) {
  const struct {
    bool release14;
    bool startupFile;  // AutoCAD 2005's document start-up file in the AutoCAD folder
    const char* release;
    bool manualEdit;
    std::optional<Way> way;  // the product's, when one is registered and wired
  } rows[] = {
      {false, true, "R25.1", false, Way::kTrustedBundle},  // the start-up file, and the bundle
      {true, true, "R25.1", false, std::nullopt},  // a release before 2004 chosen: only the files
      {true, false, "R25.1", true, std::nullopt},
      {false, false, "", true, std::nullopt},      // no AutoCAD in the registry
      {false, false, "R16.1", true, Way::kOlder},  // 2005 without its files: the message
      {false, false, "R16.2", false, Way::kAcadDoc},
      {false, false, "R18.1", false, Way::kAcadDoc},
      {false, false, "R18.2", false, Way::kBundle},
      {false, false, "R19.0", false, Way::kBundle},
      {false, false, "R19.1", false, Way::kTrustedBundle},
      {false, false, "R25.1", false, Way::kTrustedBundle},
      {false, false, "R26.0", false, Way::kTrustedBundle},
  };
  for (const auto& row : rows) {
    const std::string name = std::string(row.release) + (row.release14 ? " before 2004" : "") +
                             (row.startupFile ? " with its start-up file" : "");
    SCOPED_TRACE(name);
    SetUp();  // a fresh disk and registry for each row
    placed_.clear();
    std::string support;
    if (*row.release != '\0') {
      support = Lay(row.release, "ACAD-1:409");
      Current(row.release, "ACAD-1:409");
    }
    if (row.startupFile) Fs().PutFile(kAcad + "\\support\\acad2005doc.lsp", ";; ACAD2004DOC\r\n");
    const LispWiring wiring = Wire(row.release14);
    EXPECT_EQ(wiring.NeedsManualEdit(), row.manualEdit);
    EXPECT_EQ(Content(kAcad + "\\support\\acad2005doc.lsp").find("tolvek") != std::string::npos,
              row.startupFile);
    std::optional<Way> way;
    for (const ProductWiring& wired : wiring.products) {
      if (wired.product != nullptr) way = wired.way;
    }
    EXPECT_EQ(way, row.way);
    EXPECT_EQ(Exists(support + "acaddoc.lsp"), way == Way::kAcadDoc);
    EXPECT_EQ(Exists(kContents + "\\tolvek.lsp"),
              way == Way::kBundle || way == Way::kTrustedBundle);
    if (way == Way::kTrustedBundle || way == Way::kBundle) {
      EXPECT_EQ(Trusted(row.release, "ACAD-1:409"),
                way == Way::kTrustedBundle ? "c:\\Lisp;" + kContents : "c:\\Lisp");
    }
    // A release before 2004 chosen leaves the registry alone.
    if (row.release14) {
      EXPECT_EQ(MemReg().CreateKeyCount(), 0);
    }
  }
}

// AutoCAD 2009 last used, 2021, 2026 in two languages and a vertical beside it, and a 2024 only
// the machine knows: every product the user started loads the product, each its own way, and the
// bundle is laid once.
TEST_F(StartupLoadTest, EveryProductTheUserStartedIsWired) {
  const std::string support2009 = Lay("R17.2", "ACAD-7001:409");
  Lay("R24.0", "ACAD-5101:409");
  Lay("R25.1", "ACAD-9101:409");
  Lay("R25.1", "ACAD-9101:410");
  Lay("R25.1", "ACAD-9106:409");
  MemReg().SetString("HKLM\\Software\\Autodesk\\AutoCAD\\R24.3\\ACAD-7101:409", "AcadLocation",
                     "c:\\Program Files\\Autodesk\\AutoCAD 2024");
  // AutoCAD LT keeps a key of its own, after AutoCAD's: LT 2024 gets the bundle, trusted in its
  // profiles, an LT before 2024 runs no AutoLISP.
  const std::string lt = "\\Software\\Autodesk\\AutoCAD LT\\R30\\ACADLT-7101:409";
  MemReg().SetString(lt, "RoamableRootFolder", "c:\\LT\\");
  MemReg().SetString(lt + "\\Profiles\\P1\\Variables", "TRUSTEDPATHS", "");
  Fs().MakeDirs("c:\\LT\\Support");
  MemReg().SetString("\\Software\\Autodesk\\AutoCAD LT\\R29\\ACADLT-6101:409", "RoamableRootFolder",
                     "c:\\LT23\\");
  Fs().MakeDirs("c:\\LT23\\Support");
  Current("R17.2", "ACAD-7001:409");
  const LispWiring wiring = Wire();
  EXPECT_FALSE(wiring.NeedsManualEdit());
  std::vector<std::pair<std::string, Way>> ways;
  for (const ProductWiring& wired : wiring.products) {
    ways.emplace_back(wired.product->release + " " + wired.product->product, wired.way);
  }
  EXPECT_EQ(ways, (std::vector<std::pair<std::string, Way>>{
                      {"R25.1 ACAD-9101:409", Way::kTrustedBundle},
                      {"R25.1 ACAD-9101:410", Way::kTrustedBundle},
                      {"R25.1 ACAD-9106:409", Way::kTrustedBundle},
                      {"R24.3 ACAD-7101:409", Way::kNotStarted},
                      {"R24.0 ACAD-5101:409", Way::kTrustedBundle},
                      {"R17.2 ACAD-7001:409", Way::kAcadDoc},
                      {"R30 ACADLT-7101:409", Way::kTrustedBundle},
                      {"R29 ACADLT-6101:409", Way::kOlder},
                  }));
  EXPECT_EQ(MemReg().StringValue(lt + "\\Profiles\\P1\\Variables", "TRUSTEDPATHS"), kContents);
  // Once in each product's profiles, once as a bundle, once in 2009's support folder.
  for (const char* product : {"ACAD-9101:409", "ACAD-9101:410", "ACAD-9106:409"}) {
    EXPECT_EQ(Trusted("R25.1", product), "c:\\Lisp;" + kContents) << product;
  }
  EXPECT_EQ(Trusted("R24.0", "ACAD-5101:409"), "c:\\Lisp;" + kContents);
  EXPECT_EQ(placed_, (std::vector<std::string>{kContents + "\\", support2009}));
  EXPECT_NE(Content(support2009 + "acaddoc.lsp").find("(load \"tolvek\""), std::string::npos);
  EXPECT_FALSE(Exists("c:\\LT\\Support\\acaddoc.lsp"));
  EXPECT_FALSE(Exists("c:\\LT23\\Support\\acaddoc.lsp"));
}

// AutoCAD loads only the first acaddoc.lsp of its support path, and from 2026 a project may make
// the trusted paths read-only: both are told, and the wiring still done.
TEST_F(StartupLoadTest, WhatAutoCadWillDoInsteadIsTold) {
  const std::string support = Lay("R17.1", "ACAD-6001:409");
  Fs().PutFile("c:\\Office\\acaddoc.lsp", "(princ)\r\n");
  MemReg().SetString(kAutoCad + "\\R17.1\\ACAD-6001:409\\Profiles\\P1\\General", "ACAD",
                     "c:\\Office;" + support + ";c:\\Later");
  Fs().PutFile("c:\\Later\\acaddoc.lsp", "(princ)\r\n");
  Lay("R25.1", "ACAD-9101:409");
  MemReg().SetString(kAutoCad + "\\R25.1\\ACAD-9101:409\\Profiles\\P1\\Variables", "PROJECTAWARE",
                     "1");
  const LispWiring wiring = Wire();
  ASSERT_EQ(wiring.products.size(), 2u);
  EXPECT_FALSE(wiring.products[0].shadowedBy.size());
  EXPECT_TRUE(wiring.products[0].projectAware);
  EXPECT_EQ(wiring.products[1].shadowedBy, std::vector<std::string>{"c:\\Office\\acaddoc.lsp"});
  EXPECT_EQ(wiring.products[1].way, Way::kAcadDoc);
}

TEST_F(StartupLoadTest, AFileThatCannotBeWrittenAsksForTheManualEdit) {
  const std::string support = Lay("R17.1", "ACAD-6001:409");
  Fs().PutFile(support + "acaddoc.lsp", "(princ)\r\n");
  Fs().SetReadOnly(support + "acaddoc.lsp", true);
  Lay("R25.1", "ACAD-9101:409");
  // Without an application-data folder there is nowhere to lay the bundle.
  Fs().SetAppDataDir("");
  const LispWiring wiring = Wire();
  EXPECT_TRUE(wiring.NeedsManualEdit());
  EXPECT_EQ(wiring.products[0].way, Way::kNotOpened);
  EXPECT_EQ(wiring.products[1].way, Way::kNotOpened);
  EXPECT_EQ(Content(support + "acaddoc.lsp"), "(princ)\r\n");
  EXPECT_EQ(Trusted("R25.1", "ACAD-9101:409"), "c:\\Lisp");
}

}  // namespace
}  // namespace cad
