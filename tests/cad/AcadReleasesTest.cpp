// The registry names an AutoCAD release only by its key (R18.2 under Software\Autodesk\AutoCAD, R30
// under AutoCAD LT's): the year the log and the closing box give a product, and whether it loads
// through acaddoc.lsp, a bundle or a bundle its profiles trust, hang on reading it right. The
// products are laid as AutoCAD registers them; the table is held to what its lookup needs.
#include "cad/AcadReleases.h"

#include <map>
#include <span>

#include "CadTestSupport.h"
#include "cad/AcadProducts.h"

namespace cad {
namespace {

using AcadReleasesTest = testing::CadTest;

TEST_F(AcadReleasesTest, ARegisteredProductGetsTheYearAndTheWayOfItsRelease) {
  const struct {
    const char* key;    // below Software\Autodesk: the family, the release and the product
    const char* found;  // empty: no release key, so no product
  } rows[] = {
      {"AutoCAD\\R16.1\\ACAD-301:409", "older"},  // 2005 loads from its own start-up files
      {"AutoCAD\\R16.2\\ACAD-4001:409", "2006 acaddoc.lsp"},
      {"AutoCAD\\R18.1\\ACAD-9001:409", "2011 acaddoc.lsp"},
      {"AutoCAD\\R18.2\\ACAD-A001:409", "2012 bundle"},
      {"AutoCAD\\R19.0\\ACAD-B001:409", "2013 bundle"},
      {"AutoCAD\\R19.1\\ACAD-D001:409", "2014 trusted bundle"},
      {"AutoCAD\\r21.0\\ACAD-0001:410", "2017 trusted bundle"},
      {"AutoCAD\\R23\\ACAD-2001:409", "2019 trusted bundle"},
      {"AutoCAD\\R23.2\\ACAD-3001:409", "2020 trusted bundle"},  // between two: the earlier
      {"AutoCAD\\R25.1\\ACAD-9101:409", "2026 trusted bundle"},
      {"AutoCAD\\R27.0\\ACAD-B101:409", "2026 trusted bundle"},  // past the newest: the newest
      {"AutoCAD LT\\R29\\ACADLT-6101:409", "older"},             // runs no AutoLISP
      {"AutoCAD LT\\R30\\ACADLT-7101:409", "2024 trusted bundle"},
      {"AutoCAD LT\\R32\\ACADLT-9101:410", "2026 trusted bundle"},
      {"AutoCAD\\R17.1x\\ACAD-6001:409", ""},
      {"AutoCAD\\R99999.0\\ACAD-6001:409", ""},
  };
  for (const auto& row : rows) {
    toolkit::headless::MemReg().SetString(std::string("HKLM\\Software\\Autodesk\\") + row.key,
                                          "AcadLocation", "c:\\AutoCAD");
  }
  const char* ways[] = {"acaddoc.lsp", "bundle", "trusted bundle"};
  std::map<std::string, std::string> found;
  for (const AcadProduct& p : FindAcadProducts()) {
    found[(p.lt ? "AutoCAD LT\\" : "AutoCAD\\") + p.release + "\\" + p.product] =
        p.row == nullptr ? "older" : std::to_string(p.row->year) + " " + ways[int(p.row->load)];
  }
  for (const auto& row : rows) EXPECT_EQ(found[row.key], row.found) << row.key;
}

// A key takes the last row not past it: the rows run in the order of their keys, a year apart,
// each loading as its year allows (the Autoloader came in 2012, SECURELOAD in 2014).
TEST(AcadReleaseTables, RunInKeyOrderAYearApartEachLoadingAsItsYearAllows) {
  for (std::span<const AcadRelease> table : {std::span<const AcadRelease>(kAcadReleases),
                                             std::span<const AcadRelease>(kAcadLtReleases)}) {
    for (std::size_t at = 0; at < table.size(); ++at) {
      const AcadRelease& row = table[at];
      EXPECT_EQ(row.load, row.year < 2012   ? AcadLoad::kAcadDoc
                          : row.year < 2014 ? AcadLoad::kBundle
                                            : AcadLoad::kTrustedBundle)
          << row.curVer;
      if (at == 0) continue;
      EXPECT_LT(ParseReleaseKey(table[at - 1].curVer), ParseReleaseKey(row.curVer)) << row.curVer;
      EXPECT_EQ(table[at - 1].year + 1, row.year) << row.curVer;
    }
  }
}

}  // namespace
}  // namespace cad
