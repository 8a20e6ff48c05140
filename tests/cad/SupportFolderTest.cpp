// The support folder lookup tells the installer where AutoCAD 2004 and later look for the
// product's toolbar bitmaps, AutoLISP file, menu and command aliases. These tests walk the three
// registry reads, the way the folder is joined, the empty keys the lookup leaves behind, the
// registry's two error texts, and what happens when a key cannot be opened.
#include "cad/SupportFolder.h"

#include <functional>

#include "CadTestSupport.h"
#include "toolkit/Registry.h"

namespace cad {
namespace {

using testing::CadTest;
using toolkit::headless::MemReg;

const std::string kAutoCad = "Software\\Autodesk\\AutoCAD";

class SupportFolderTest : public CadTest {
 protected:
  void SetProfile(const std::string& roamable) {
    MemReg().SetString(kAutoCad, "CurVer", "R1");
    MemReg().SetString(kAutoCad + "\\R1", "CurVer", "P1");
    MemReg().SetString(kAutoCad + "\\R1\\P1", "RoamableRootFolder", roamable);
  }

  static std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const toolkit::Exception& error) {
      return error.what();
    }
    return "no error";
  }
};

TEST_F(SupportFolderTest, FollowsReleaseAndProductToTheRoamableFolder) {
  SetProfile("D:\\Profiles\\U1\\Acad\\");
  EXPECT_EQ(GetAcadSupportDir(), "D:\\Profiles\\U1\\Acad\\Support\\");
}

TEST_F(SupportFolderTest, AddsNoSeparatorOfItsOwn) {
  SetProfile("D:\\Acad");
  EXPECT_EQ(GetAcadSupportDir(), "D:\\AcadSupport\\");
}

TEST_F(SupportFolderTest, AcceptsAnExpandableString) {
  SetProfile("unused");
  MemReg().SetExpandString(kAutoCad + "\\R1\\P1", "RoamableRootFolder", "%APPDATA%\\Acad\\");
  EXPECT_EQ(GetAcadSupportDir(), "%APPDATA%\\Acad\\Support\\");
}

TEST_F(SupportFolderTest, WithoutAutoCadTheKeyIsCreatedEmptyAndTheResultIsRelative) {
  EXPECT_EQ(GetAcadSupportDir(), "Support\\");
  EXPECT_TRUE(MemReg().KeyExists(kAutoCad));
  EXPECT_FALSE(MemReg().Value(kAutoCad, "CurVer").has_value());
}

TEST_F(SupportFolderTest, AMissingProductLeavesAnEmptyReleaseKeyBehind) {
  MemReg().SetString(kAutoCad, "CurVer", "R16.0");
  EXPECT_EQ(GetAcadSupportDir(), "Support\\");
  EXPECT_TRUE(MemReg().KeyExists(kAutoCad + "\\R16.0"));
}

TEST_F(SupportFolderTest, KeyAndValueNamesIgnoreCase) {
  MemReg().SetString("SOFTWARE\\AUTODESK\\AUTOCAD", "curver", "R1");
  MemReg().SetString(kAutoCad + "\\r1", "CURVER", "P1");
  MemReg().SetString(kAutoCad + "\\R1\\p1", "roamablerootfolder", "E:\\");
  EXPECT_EQ(GetAcadSupportDir(), "E:\\Support\\");
}

TEST_F(SupportFolderTest, ANumberWhereAStringBelongsIsAnErrorNamingTheValue) {
  MemReg().SetNumber(kAutoCad, "CurVer", 16);
  EXPECT_EQ(ErrorOf([] { GetAcadSupportDir(); }), "Invalid data type for 'CurVer'");

  SetProfile("x");
  MemReg().SetNumber(kAutoCad + "\\R1\\P1", "RoamableRootFolder", 1);
  EXPECT_EQ(ErrorOf([] { GetAcadSupportDir(); }), "Invalid data type for 'RoamableRootFolder'");
}

TEST_F(SupportFolderTest, TheErrorIsARegistryError) {
  MemReg().SetRaw(kAutoCad, "CurVer", toolkit::RegValueType::kOther, std::string("R1\0\0", 4));
  EXPECT_THROW(GetAcadSupportDir(), toolkit::ERegistryException);
}

TEST_F(SupportFolderTest, AValueWithoutDataReadsAsEmptyWhateverItsType) {
  SetProfile("x");
  MemReg().SetRaw(kAutoCad + "\\R1\\P1", "RoamableRootFolder", toolkit::RegValueType::kBinary, "");
  EXPECT_EQ(GetAcadSupportDir(), "Support\\");
}

TEST_F(SupportFolderTest, AValueThatCannotBeDeliveredIsAnError) {
  SetProfile("x");
  MemReg().FailQueryValue(kAutoCad + "\\R1", "CurVer", 5);
  EXPECT_EQ(ErrorOf([] { GetAcadSupportDir(); }), "Failed to get data for 'CurVer'");
}

TEST_F(SupportFolderTest, TheTextEndsAtItsFirstNul) {
  SetProfile("x");
  MemReg().SetRaw(kAutoCad + "\\R1\\P1", "RoamableRootFolder", toolkit::RegValueType::kString,
                  std::string("C:\\U\\\0junk\0", 11));
  EXPECT_EQ(GetAcadSupportDir(), "C:\\U\\Support\\");
}

TEST_F(SupportFolderTest, AKeyThatCannotBeOpenedLeavesThePreviousKeyCurrent) {
  // The release key cannot be opened, so the product name is read from the AutoCAD key again.
  MemReg().SetString(kAutoCad, "CurVer", "R1");
  MemReg().SetString(kAutoCad + "\\R1\\R1", "RoamableRootFolder", "F:\\Same\\");
  MemReg().FailCreateKey(kAutoCad + "\\R1", 5);
  EXPECT_EQ(GetAcadSupportDir(), "F:\\Same\\Support\\");
}

TEST_F(SupportFolderTest, EveryCallReadsTheRegistryAfresh) {
  SetProfile("D:\\One\\");
  EXPECT_EQ(GetAcadSupportDir(), "D:\\One\\Support\\");
  MemReg().SetString(kAutoCad + "\\R1\\P1", "RoamableRootFolder", "D:\\Two\\");
  EXPECT_EQ(GetAcadSupportDir(), "D:\\Two\\Support\\");
  EXPECT_EQ(MemReg().CreateKeyCount(), 6);
}

}  // namespace
}  // namespace cad
