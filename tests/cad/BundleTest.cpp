// The bundle is how AutoCAD 2012 and later load the product: if its description is not what
// AutoCAD reads, or its folder is not trusted, the product silently does not load. These tests
// read PackageContents.xml as an XML reader would, check the files land in Contents before the
// description, that a second installation rewrites nothing, and that every profile's trusted
// paths gain the folder once while keeping the user's own entries.
#include "cad/Bundle.h"

#include <vector>

#include "CadTestSupport.h"
#include "tests/support/XmlReader.h"
#include "toolkit/Errors.h"

namespace cad {
namespace {

using testing::CadTest;
using toolkit::headless::FsOp;
using toolkit::headless::MemReg;

const std::string kAppData = "c:\\Users\\u1\\AppData\\Roaming";
const std::string kBundle = kAppData + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle";
const std::string kContents = kBundle + "\\Contents";
const std::string kProduct = "\\Software\\Autodesk\\AutoCAD\\R25.1\\ACAD-9101:409";
const std::string kProfiles = kProduct + "\\Profiles";

class BundleTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    Fs().MakeDirs(kAppData);
  }

  // Stands in for the extraction from the product's package.
  PlaceProductFiles Place() {
    return [this](const std::string& folder) {
      placedInto.push_back(folder);
      describedBefore.push_back(Exists(kBundle + "\\PackageContents.xml"));
      PutProductFiles(folder);
    };
  }

  std::vector<std::string> placedInto;
  std::vector<bool> describedBefore;
};

TEST_F(BundleTest, PackageContentsTellsAutoCadToLoadTheFileInEveryDrawing) {
  ASSERT_EQ(LayBundle(kAppData, Place(), toolkit::NoRecording()), kContents);
  EXPECT_EQ(placedInto, std::vector<std::string>{kContents + "\\"});
  // AutoCAD, running meanwhile, must not find a description before the file it names.
  EXPECT_EQ(describedBefore, std::vector<bool>{false});
  EXPECT_EQ(Fs().List(kBundle), (std::vector<std::string>{"Contents\\", "PackageContents.xml"}));

  std::string error;
  auto package =
      testing_support::XmlReader::Parse(Content(kBundle + "\\PackageContents.xml"), error);
  ASSERT_TRUE(package) << error;
  EXPECT_EQ(package->name, "ApplicationPackage");
  EXPECT_EQ(package->Attribute("SchemaVersion"), "1.0");
  EXPECT_EQ(package->Attribute("Name"), "Tolvek");
  EXPECT_EQ(package->Attribute("AppVersion"), "4.0.0");
  EXPECT_EQ(package->Attribute("ProductCode"), "{98F342D9-89B0-4BAE-A695-379A0CF14568}");
  const testing_support::XmlElement* components = package->Child("Components");
  ASSERT_NE(components, nullptr);
  const testing_support::XmlElement* requirements = components->Child("RuntimeRequirements");
  ASSERT_NE(requirements, nullptr);
  EXPECT_EQ(requirements->Attribute("OS"), "Win32|Win64");
  EXPECT_EQ(requirements->Attribute("SeriesMin"), "R18.2");
  const testing_support::XmlElement* entry = components->Child("ComponentEntry");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Attribute("ModuleName"), "./Contents/tolvek.lsp");
  EXPECT_EQ(entry->Attribute("PerDocument"), "True");
}

TEST_F(BundleTest, ASecondInstallationRewritesNoDescriptionAndAnOldOneIsReplaced) {
  ASSERT_TRUE(LayBundle(kAppData, Place(), toolkit::NoRecording()));
  const std::string description = Content(kBundle + "\\PackageContents.xml");
  const int renames = Fs().CallCount(FsOp::kRename);
  ASSERT_TRUE(LayBundle(kAppData, Place(), toolkit::NoRecording()));
  EXPECT_EQ(Fs().CallCount(FsOp::kRename), renames);

  Fs().PutFile(kBundle + "\\PackageContents.xml", "<ApplicationPackage AppVersion=\"3.0\"/>");
  ASSERT_TRUE(LayBundle(kAppData, Place(), toolkit::NoRecording()));
  EXPECT_EQ(Content(kBundle + "\\PackageContents.xml"), description);
  EXPECT_EQ(Fs().List(kBundle), (std::vector<std::string>{"Contents\\", "PackageContents.xml"}));
}

TEST_F(BundleTest, WithoutAnApplicationDataFolderNothingIsLaid) {
  EXPECT_FALSE(LayBundle("", Place(), toolkit::NoRecording()));
  EXPECT_FALSE(LayBundle("c:\\Users\\nobody\\AppData\\Roaming", Place(), toolkit::NoRecording()));
  EXPECT_TRUE(placedInto.empty());
  EXPECT_FALSE(Fs().DirExists("c:\\Users\\nobody"));
}

TEST_F(BundleTest, AFolderThatCannotBeMadeEndsTheInstallationWithItsError) {
  Fs().FailNext(FsOp::kCreateDir, toolkit::kErrAccessDenied);
  EXPECT_THROW(LayBundle(kAppData, Place(), toolkit::NoRecording()), toolkit::EInOutError);
  EXPECT_TRUE(placedInto.empty());
}

// The reader the tests judge PackageContents.xml with must itself refuse what is not XML.
TEST(XmlReaderTest, RefusesWhatIsNotWellFormed) {
  std::string error;
  for (const char* bad :
       {"", "<a>", "<a></b>", "<a x=1/>", "<a x=\"1\" x=\"2\"/>", "<a/><b/>", "<a><b></a></b>",
        "<?xml version=\"1.0\"?>", "<a><!-- b/></a>", "<a>R&D</a>", "<a x=\"&amp\"/>"}) {
    EXPECT_FALSE(testing_support::XmlReader::Parse(bad, error)) << bad;
  }
  auto good = testing_support::XmlReader::Parse(
      "<?xml ?>\r\n<a x=\"1&amp;2\">t&lt;<!-- <c/> --><b y=\"2\"/>u</a>\r\n", error);
  ASSERT_TRUE(good) << error;
  EXPECT_EQ(good->Attribute("x"), "1&2");
  EXPECT_EQ(good->text, "t<u");
  ASSERT_EQ(good->children.size(), 1u);
  ASSERT_NE(good->Child("b"), nullptr);
  EXPECT_EQ(good->Child("b")->Attribute("y"), "2");
}

TEST(TrustedPathsTest, TheFolderIsAddedOnceAndEveryEntryKept) {
  const std::string f = "C:\\U\\Tolvek.bundle\\Contents";
  const struct {
    std::string list;
    std::string expected;
  } cases[] = {
      {"", f},
      {"C:\\Mine", "C:\\Mine;" + f},
      {"C:\\Mine;", "C:\\Mine;" + f},
      {"C:\\Mine;D:\\Shared\\...", "C:\\Mine;D:\\Shared\\...;" + f},
      {f, f},
      {"C:\\Mine;c:\\u\\tolvek.bundle\\contents\\;D:\\X",
       "C:\\Mine;c:\\u\\tolvek.bundle\\contents\\;D:\\X"},
      // Only its own folder counts: neither its parent nor a longer name.
      {"C:\\U\\Tolvek.bundle", "C:\\U\\Tolvek.bundle;" + f},
      {f + "2", f + "2;" + f},
  };
  for (const auto& c : cases) EXPECT_EQ(WithTrustedPath(c.list, f), c.expected) << c.list;
}

TEST(TrustedPathsTest, TheFolderGoesInEitherSpellingAndTheUsersEntriesStay) {
  const std::string f = "C:\\U\\Tolvek.bundle\\Contents";
  const struct {
    std::string list;
    std::string expected;
  } cases[] = {
      {f, ""},
      {"C:\\Mine;" + f, "C:\\Mine"},
      {"C:\\Mine;c:\\u\\tolvek.bundle\\contents\\;D:\\X", "C:\\Mine;D:\\X"},
      {"C:\\Mine;;D:\\X", "C:\\Mine;;D:\\X"},
      {"C:\\U\\Tolvek.bundle;" + f + "2", "C:\\U\\Tolvek.bundle;" + f + "2"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithoutTrustedPath(c.list, f), c.expected) << c.list;
}

class TrustInEveryProfileTest : public CadTest {};

TEST_F(TrustInEveryProfileTest, EveryProfileTrustsTheFolderOnce) {
  MemReg().SetString(kProfiles + "\\<<Unnamed Profile>>\\Variables", "TRUSTEDPATHS",
                     "C:\\Lisp\\Mine;D:\\Shared\\...");
  MemReg().SetString(kProfiles + "\\Disegno\\Variables", "ACADLSPASDOC", "0");
  TrustInEveryProfile(kProduct, kContents, toolkit::NoRecording());
  EXPECT_EQ(MemReg().StringValue(kProfiles + "\\<<Unnamed Profile>>\\Variables", "TRUSTEDPATHS"),
            "C:\\Lisp\\Mine;D:\\Shared\\...;" + kContents);
  EXPECT_EQ(MemReg().StringValue(kProfiles + "\\Disegno\\Variables", "TRUSTEDPATHS"), kContents);
  EXPECT_EQ(MemReg().StringValue(kProfiles + "\\Disegno\\Variables", "ACADLSPASDOC"), "0");

  TrustInEveryProfile(kProduct, kContents, toolkit::NoRecording());
  EXPECT_EQ(MemReg().StringValue(kProfiles + "\\Disegno\\Variables", "TRUSTEDPATHS"), kContents);
}

TEST_F(TrustInEveryProfileTest, WithoutProfilesNoKeyIsMade) {
  TrustInEveryProfile(kProduct, kContents, toolkit::NoRecording());
  EXPECT_FALSE(MemReg().KeyExists(kProduct));
}

}  // namespace
}  // namespace cad
