// What the registry service promises, written once and run against both backends: natively
// against the in-memory registry the AutoCAD lookup tests fill, and under Wine against the real
// current-user hive. The installer finds AutoCAD's support folder by reading keys another program
// wrote, spelled as that program chose, so the cases are the ones that lookup meets: nested keys
// made on the way, names in other capitals, values that are missing or of another type.
//
// A backend instantiates the suite with a type that gives what the service itself cannot:
//   void SetUp(); void TearDown();   // a scratch key that is gone again afterwards
//   std::string Root();              // its path below the current user's root, no backslash first
//   void Put(const std::string& path, const std::string& name, toolkit::RegValueType type,
//            const std::string& data);   // as another program writes it (kOther: REG_MULTI_SZ)
//   bool KeyExists(const std::string& path);
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Registry.h"

namespace contract {

using toolkit::RegKeyId;
using toolkit::RegValueType;

template <typename Backend>
class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.SetUp();
    root_ = backend_.Root();
  }

  void TearDown() override {
    keys_.clear();
    backend_.TearDown();
  }

  static toolkit::Registry& Reg() { return toolkit::Reg(); }
  std::string At(const std::string& relative) const { return root_ + "\\" + relative; }

  // Opens (creating) a key that stays open until the test ends; 0 when that failed.
  RegKeyId Open(const std::string& path) {
    RegKeyId key = 0;
    if (Reg().CreateKey(path, key) != 0) return 0;
    keys_.emplace_back(key);
    return key;
  }

  static std::string Text(const std::string& text) { return text + '\0'; }

  Backend backend_;
  std::string root_;
  std::vector<toolkit::UniqueRegKey> keys_;
};

TYPED_TEST_SUITE_P(RegistryContract);

// Creating a key makes every missing key on its way; a backslash first names the same key.
TYPED_TEST_P(RegistryContract, CreatingANestedKeyMakesEachKeyOnTheWay) {
  const std::string path = this->At("Autodesk\\AutoCAD\\R16.2");
  ASSERT_FALSE(this->backend_.KeyExists(this->At("Autodesk")));
  RegKeyId key = this->Open(path);
  ASSERT_NE(key, 0u);
  EXPECT_TRUE(this->backend_.KeyExists(this->At("Autodesk")));
  EXPECT_TRUE(this->backend_.KeyExists(this->At("Autodesk\\AutoCAD")));
  EXPECT_TRUE(this->backend_.KeyExists(path));

  // A value written later through another handle is seen through this one.
  this->backend_.Put(path, "CurVer", RegValueType::kString, this->Text("ACAD-4001:410"));
  RegValueType type = RegValueType::kOther;
  std::string data;
  EXPECT_EQ(this->Reg().QueryValue(key, "CurVer", type, data), 0u);
  EXPECT_EQ(data, this->Text("ACAD-4001:410"));
  RegKeyId again = this->Open("\\" + path);
  ASSERT_NE(again, 0u);
  EXPECT_EQ(this->Reg().QueryValue(again, "CurVer", type, data), 0u);
  EXPECT_EQ(data, this->Text("ACAD-4001:410"));
}

// A key that was not there is made empty: every value of it is missing, "file not found" (2), and
// reads as empty text.
TYPED_TEST_P(RegistryContract, AMissingKeyOrValueGivesCode2AndReadsEmpty) {
  this->backend_.Put(this->At("General"), "ACAD", RegValueType::kString, this->Text("c:\\acad"));
  for (const std::string& path : {this->At("General"), this->At("Missing\\General")}) {
    SCOPED_TRACE(path);
    RegKeyId key = this->Open(path);
    ASSERT_NE(key, 0u);
    RegValueType type = RegValueType::kOther;
    std::uint32_t size = 99;
    std::string data = "untouched";
    EXPECT_EQ(this->Reg().QueryValueInfo(key, "NoSuchValue", type, size),
              toolkit::kErrFileNotFound);
    EXPECT_EQ(this->Reg().QueryValue(key, "NoSuchValue", type, data), toolkit::kErrFileNotFound);
    EXPECT_EQ(this->Reg().QueryValue(key, "", type, data), toolkit::kErrFileNotFound);

    toolkit::RegistryCursor cursor;
    ASSERT_TRUE(cursor.OpenKey(path));
    EXPECT_EQ(cursor.ReadString("NoSuchValue"), "");
  }
}

// Key and value names compare without case: AutoCAD's profile keys are read under the names the
// installer spells, not as AutoCAD wrote them.
TYPED_TEST_P(RegistryContract, KeyAndValueNamesCompareWithoutCase) {
  const std::string written = this->At("Profiles\\<<Unnamed Profile>>\\General");
  this->backend_.Put(written, "ACAD", RegValueType::kString, this->Text("C:\\Support"));
  std::string upper = this->root_;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));

  RegKeyId key = this->Open(upper + "\\PROFILES\\<<unnamed profile>>\\general");
  ASSERT_NE(key, 0u);
  RegValueType type = RegValueType::kOther;
  std::uint32_t size = 0;
  std::string data;
  EXPECT_EQ(this->Reg().QueryValueInfo(key, "acad", type, size), 0u);
  EXPECT_EQ(type, RegValueType::kString);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(this->Reg().QueryValue(key, "Acad", type, data), 0u);
  EXPECT_EQ(data, this->Text("C:\\Support"));
  // No second key was made beside the first.
  EXPECT_TRUE(this->backend_.KeyExists(this->At("profiles\\<<UNNAMED PROFILE>>\\GENERAL")));
}

// Each kind of value comes back with its type and the bytes stored, a string with its NUL (and
// without, when the program that wrote it left it out).
TYPED_TEST_P(RegistryContract, ValuesComeBackWithTheirTypeAndStoredBytes) {
  struct Case {
    const char* name;
    RegValueType type;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"Text", RegValueType::kString, this->Text("C:\\Program Files\\ACAD")},
      {"Empty", RegValueType::kString, this->Text("")},
      {"Unterminated", RegValueType::kString, "abc"},
      {"Expand", RegValueType::kExpandString, this->Text("%USERPROFILE%\\acad")},
      {"Number", RegValueType::kNumber, std::string("\x04\x03\x02\x01", 4)},
      {"Bytes", RegValueType::kBinary, std::string("\x01\x00\x02", 3)},
      {"List", RegValueType::kOther, std::string("a\0b\0\0", 5)},
      {"", RegValueType::kString, this->Text("default")},
  };
  const std::string path = this->At("Values");
  for (const Case& c : cases) this->backend_.Put(path, c.name, c.type, c.data);
  RegKeyId key = this->Open(path);
  ASSERT_NE(key, 0u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegValueType type = RegValueType::kOther;
    std::uint32_t size = 0;
    std::string data;
    EXPECT_EQ(this->Reg().QueryValueInfo(key, c.name, type, size), 0u);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(size, c.data.size());
    type = RegValueType::kOther;
    EXPECT_EQ(this->Reg().QueryValue(key, c.name, type, data), 0u);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(data, c.data);
  }
}

// Read as text, a string value gives its text, and a value of another type is an error with the
// run-time library's words; a value with no data at all reads as empty whatever its type.
TYPED_TEST_P(RegistryContract, AValueOfAnotherTypeReadAsTextIsAnError) {
  const std::string path = this->At("Typed");
  this->backend_.Put(path, "Location", RegValueType::kString, this->Text("C:\\Acad"));
  this->backend_.Put(path, "Unterminated", RegValueType::kString, "abc");
  this->backend_.Put(path, "Expand", RegValueType::kExpandString, this->Text("%TEMP%\\x"));
  this->backend_.Put(path, "Release", RegValueType::kNumber, std::string("\x10\x00\x00\x00", 4));
  this->backend_.Put(path, "Bytes", RegValueType::kBinary, std::string("\x01", 1));
  this->backend_.Put(path, "Nothing", RegValueType::kBinary, "");

  toolkit::RegistryCursor cursor;
  ASSERT_TRUE(cursor.OpenKey(path));
  EXPECT_EQ(cursor.ReadString("LOCATION"), "C:\\Acad");
  EXPECT_EQ(cursor.ReadString("Unterminated"), "abc");
  EXPECT_EQ(cursor.ReadString("Expand"), "%TEMP%\\x");
  EXPECT_EQ(cursor.ReadString("Nothing"), "");
  try {
    cursor.ReadString("Release");
    ADD_FAILURE() << "a number read as text";
  } catch (const toolkit::ERegistryException& error) {
    EXPECT_STREQ(error.what(), "Invalid data type for 'Release'");
  }
  EXPECT_THROW(cursor.ReadString("Bytes"), toolkit::ERegistryException);
}

// Past the one backslash that says "from the root", a path may not start with another: that is
// "bad pathname" (161). Further on, a run of backslashes is one, and those at the end are none, so
// a lookup that joins an empty name into a path still names the key without it.
TYPED_TEST_P(RegistryContract, ExtraBackslashesAreRefusedFirstAndSkippedElsewhere) {
  RegKeyId key = 1;
  EXPECT_EQ(this->Reg().CreateKey("\\\\" + this->At("First"), key), 161u);
  EXPECT_EQ(key, 0u);
  EXPECT_FALSE(this->backend_.KeyExists(this->At("First")));

  this->backend_.Put(this->At("AutoCAD\\R16.2"), "CurVer", RegValueType::kString,
                     this->Text("ACAD-4001:410"));
  for (const std::string& path : {this->At("AutoCAD\\\\R16.2"), this->At("AutoCAD\\R16.2\\"),
                                  "\\" + this->At("AutoCAD\\R16.2\\\\")}) {
    SCOPED_TRACE(path);
    key = this->Open(path);
    ASSERT_NE(key, 0u);
    RegValueType type = RegValueType::kOther;
    std::string data;
    EXPECT_EQ(this->Reg().QueryValue(key, "CurVer", type, data), 0u);
  }
}

// Key names, value names and texts beyond the ANSI code page go in and come back as UTF-8: an
// AutoCAD profile named in Cyrillic, a support folder under a Polish user's name. A text's size is
// that of its UTF-8 with the terminating NUL, as the program reads it.
TYPED_TEST_P(RegistryContract, NamesAndTextsBeyondTheAnsiCodePageComeBackWhole) {
  const std::string profile = "\xD0\x9F\xD1\x80\xD0\xBE\xD1\x84\xD0\xB8\xD0\xBB\xD1\x8C";
  const std::string folder = "C:\\users\\\xC5\x81ukasz\\\xE4\xB8\xAD\\Support\\";
  const std::string value =
      "\xC5\x9A"
      "cie\xC5\xBCka";  // Polish: "path"
  const RegKeyId key = this->Open(this->At("Profiles\\" + profile));
  ASSERT_NE(key, 0u);
  EXPECT_EQ(this->Reg().WriteString(key, value, folder), 0u);
  RegValueType type = RegValueType::kOther;
  std::uint32_t size = 0;
  std::string data;
  EXPECT_EQ(this->Reg().QueryValueInfo(key, value, type, size), 0u);
  EXPECT_EQ(size, folder.size() + 1);
  EXPECT_EQ(this->Reg().QueryValue(key, value, type, data), 0u);
  EXPECT_EQ(type, RegValueType::kString);
  EXPECT_EQ(data, this->Text(folder));
  std::vector<std::string> names;
  const RegKeyId profiles = this->Open(this->At("Profiles"));
  ASSERT_NE(profiles, 0u);
  EXPECT_EQ(this->Reg().SubKeyNames(profiles, names), 0u);
  EXPECT_EQ(names, std::vector<std::string>{profile});
  EXPECT_EQ(this->Reg().DeleteValue(key, value), 0u);
  EXPECT_EQ(this->Reg().QueryValue(key, value, type, data), toolkit::kErrFileNotFound);
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, CreatingANestedKeyMakesEachKeyOnTheWay,
                            AMissingKeyOrValueGivesCode2AndReadsEmpty,
                            KeyAndValueNamesCompareWithoutCase,
                            ValuesComeBackWithTheirTypeAndStoredBytes,
                            AValueOfAnotherTypeReadAsTextIsAnError,
                            ExtraBackslashesAreRefusedFirstAndSkippedElsewhere,
                            NamesAndTextsBeyondTheAnsiCodePageComeBackWhole);

}  // namespace contract
