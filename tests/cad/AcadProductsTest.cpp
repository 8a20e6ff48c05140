// The walk over AutoCAD's registry that finds every product of the machine: each release key and
// each product key under it, in the user's hive (profiles, support folder) and in the machine's
// 64-bit view and 32-bit copy (where it is installed), each product once, newest first, the one
// last used first among its release; AutoCAD LT's products, under a key of their own with
// release keys of their own, after AutoCAD's. Keys that are no release or no product, and a value
// of the wrong type, are passed over; reading makes no key. Where two products share the folder
// the user chose (one release in two languages), the one the user last ran of that release is
// the chosen folder's.
#include "cad/AcadProducts.h"

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;
using toolkit::headless::MemReg;

const std::string kUser = "\\Software\\Autodesk\\AutoCAD";
const std::string kMachine = "HKLM\\Software\\Autodesk\\AutoCAD";
const std::string kMachine32 = "HKLM\\Software\\WOW6432Node\\Autodesk\\AutoCAD";
const std::string kUserLt = "\\Software\\Autodesk\\AutoCAD LT";
const std::string kMachineLt = "HKLM\\Software\\Autodesk\\AutoCAD LT";

// A product as the walk reports it: "R25.1 ACAD-9101:409 support=... at=... current".
std::string Described(const AcadProduct& product) {
  std::string text = (product.lt ? "LT " : "") + product.release + " " + product.product;
  if (product.row != nullptr) text += " " + std::to_string(product.row->year);
  if (product.supportFolder) text += " support=" + *product.supportFolder;
  if (!product.location.empty()) text += " at=" + product.location;
  if (!product.profiles.empty()) text += " profiles=" + std::to_string(product.profiles.size());
  if (product.current) text += " current";
  return text;
}

class AcadProductsTest : public CadTest {};

TEST_F(AcadProductsTest, TheWalkFindsEveryProductOnce) {
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> values;  // key\value=text
    std::vector<std::string> found;
  } rows[] = {
      {"nothing", {}, {}},
      {"one product, started and installed",
       {{kUser, "CurVer=R24.0"},
        {kUser + "\\R24.0", "CurVer=ACAD-5101:409"},
        {kUser + "\\R24.0\\ACAD-5101:409", "RoamableRootFolder=c:\\P\\"},
        {kUser + "\\R24.0\\ACAD-5101:409\\Profiles\\<<Unnamed Profile>>", "x=1"},
        {kMachine + "\\R24.0\\ACAD-5101:409", "AcadLocation=c:\\AutoCAD 2021"}},
       {"R24.0 ACAD-5101:409 2021 support=c:\\P\\Support\\ at=c:\\AutoCAD 2021 profiles=1 "
        "current"}},
      {"several releases, languages and a vertical, newest first, the current first",
       {{kUser, "CurVer=R25.1"},
        {kUser + "\\R25.1", "CurVer=ACAD-9101:410"},
        {kUser + "\\R17.2\\ACAD-7001:409", "RoamableRootFolder=c:\\A\\"},
        {kUser + "\\R25.1\\ACAD-9106:409", "RoamableRootFolder=c:\\V\\"},
        {kUser + "\\R25.1\\ACAD-9101:410", "RoamableRootFolder=c:\\I\\"},
        {kUser + "\\R16.1\\ACAD-301:409", "RoamableRootFolder=c:\\O\\"}},
       {"R25.1 ACAD-9101:410 2026 support=c:\\I\\Support\\ current",
        "R25.1 ACAD-9106:409 2026 support=c:\\V\\Support\\",
        "R17.2 ACAD-7001:409 2009 support=c:\\A\\Support\\",
        "R16.1 ACAD-301:409 support=c:\\O\\Support\\"}},
      {"installed for the machine only, in both views, never started",
       {{kMachine + "\\R25.1\\ACAD-9101:409",
         "AcadLocation=c:\\Program Files\\Autodesk\\AutoCAD 2026"},
        {kMachine32 + "\\R18.0\\ACAD-8001:409",
         "AcadLocation=c:\\Program Files (x86)\\AutoCAD 2010"}},
       {"R25.1 ACAD-9101:409 2026 at=c:\\Program Files\\Autodesk\\AutoCAD 2026",
        "R18.0 ACAD-8001:409 2010 at=c:\\Program Files (x86)\\AutoCAD 2010"}},
      {"keys that are no release or no product, and text that is not text",
       {{kUser + "\\Settings\\ACAD-1:409", "RoamableRootFolder=c:\\X\\"},
        {kUser + "\\R24.0\\Common", "RoamableRootFolder=c:\\X\\"},
        {kUser + "\\R24.0\\acad-5101:409", "RoamableRootFolder=c:\\Y\\"}},
       {"R24.0 acad-5101:409 2021 support=c:\\Y\\Support\\"}},
      {"AutoCAD LT from 2024 beside AutoCAD, after it, with its own current product",
       {{kUserLt, "CurVer=R32"},
        {kUserLt + "\\R32", "CurVer=ACADLT-9101:409"},
        {kUserLt + "\\R32\\ACADLT-9101:409", "RoamableRootFolder=c:\\L26\\"},
        {kUserLt + "\\R30\\ACADLT-7101:409", "RoamableRootFolder=c:\\L24\\"},
        {kUserLt + "\\R29\\ACADLT-6101:409", "RoamableRootFolder=c:\\L23\\"},
        {kUserLt + "\\R30\\ACAD-7101:409", "RoamableRootFolder=c:\\X\\"},
        {kMachineLt + "\\R32\\ACADLT-9101:409", "AcadLocation=c:\\AutoCAD LT 2026"},
        {kUser + "\\R25.1\\ACAD-9101:409", "RoamableRootFolder=c:\\A\\"},
        {kUser + "\\R25.1\\ACADLT-9101:409", "RoamableRootFolder=c:\\X\\"}},
       {"R25.1 ACAD-9101:409 2026 support=c:\\A\\Support\\",
        "LT R32 ACADLT-9101:409 2026 support=c:\\L26\\Support\\ at=c:\\AutoCAD LT 2026 current",
        "LT R30 ACADLT-7101:409 2024 support=c:\\L24\\Support\\",
        "LT R29 ACADLT-6101:409 support=c:\\L23\\Support\\"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    for (const auto& [key, value] : row.values) {
      const std::size_t equals = value.find('=');
      MemReg().SetString(key, value.substr(0, equals), value.substr(equals + 1));
    }
    const int keysBefore = MemReg().CreateKeyCount();
    std::vector<std::string> found;
    for (const AcadProduct& product : FindAcadProducts()) found.push_back(Described(product));
    EXPECT_EQ(found, row.found);
    EXPECT_EQ(MemReg().CreateKeyCount(), keysBefore);
  }
  // A current release of the wrong type reads as none.
  MemReg().SetNumber(kUser, "CurVer", 25);
  EXPECT_FALSE(FindAcadProducts().front().current);
}

TEST_F(AcadProductsTest, TheFolderTheUserChoseNamesItsProduct) {
  MemReg().SetString(kMachine + "\\R24.0\\ACAD-5101:409", "AcadLocation", "C:\\AutoCAD 2021\\");
  MemReg().SetString(kMachine + "\\R25.1\\ACAD-9101:409", "AcadLocation", "C:\\AutoCAD 2026");
  const std::vector<AcadProduct> products = FindAcadProducts();
  const AcadProduct* chosen = ProductInstalledIn(products, "c:\\autocad 2021");
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->release, "R24.0");
  EXPECT_EQ(ProductInstalledIn(products, "c:\\Programmi\\Autocad 2006"), nullptr);

  // One release in two languages in one folder: the one of them the user ran last, though
  // another release is the current one and the other language comes first in the registry.
  const std::string shared = "c:\\Program Files\\Autodesk\\AutoCAD 2026";
  for (const char* language : {"ACAD-9101:409", "ACAD-9101:410"}) {
    MemReg().SetString(kMachine + "\\R25.1\\" + language, "AcadLocation", shared);
    MemReg().SetString(kUser + "\\R25.1\\" + language, "RoamableRootFolder", "c:\\P\\");
  }
  MemReg().SetString(kUser, "CurVer", "R24.0");
  for (const char* last : {"ACAD-9101:410", "ACAD-9101:409"}) {
    MemReg().SetString(kUser + "\\R25.1", "CurVer", last);
    const std::vector<AcadProduct> both = FindAcadProducts();
    const AcadProduct* used = ProductInstalledIn(both, shared);
    ASSERT_NE(used, nullptr);
    EXPECT_EQ(used->product, last);
  }
}

}  // namespace
}  // namespace cad
