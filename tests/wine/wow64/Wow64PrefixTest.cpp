// The world a 32-bit installer meets on 64-bit Windows, as the 64-bit prefix shows it to this
// 32-bit program: it runs under WoW64; a key in HKLM\Software's 64-bit view, where AutoCAD 2020
// and later register, is hidden from the program's own 32-bit view and found with
// KEY_WOW64_64KEY; what the 32-bit view writes lands under WOW6432Node; HKCU\Software is one key
// for both views; the program's Program Files is "C:\Program Files (x86)" while the 64-bit one is
// "C:\Program Files"; and INSTALL.EXE starts and ends there. The tests of a per-machine
// installation stand on each of these, so a prefix that lacks one (a 32-bit prefix given by
// mistake, a Wine without its 64-bit loader) fails here, by name, first.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/wine/support/Driver.h"
#include "tests/wine/support/Wow64.h"

namespace {

using namespace winetest;
using namespace winetest::wow64;

const std::string kKey = "Software\\Tolvek WoW64 Test";

class Wow64PrefixTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }

  static void Clean() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      for (View view : {View::k64, View::k32}) {
        ASSERT_EQ(DeleteTree(root, view, kKey), ERROR_SUCCESS);
      }
    }
  }
};

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Wow64PrefixTest, TheTestProgramRunsUnderWow64) {
  EXPECT_TRUE(RunsUnderWow64());
  // 32-bit Windows has no such folder and fails the call.
  char folder[MAX_PATH] = {};
  EXPECT_NE(GetSystemWow64DirectoryA(folder, sizeof folder), 0u) << GetLastError();
}

TEST_F(Wow64PrefixTest, TheMachineHasTwoViewsOfItsSoftwareAndTheUserOne) {
  // A key of the 64-bit view is found only through that view: asking for no view at all, as the
  // installer's registry calls do, is asking for the 32-bit one.
  ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, View::k64, kKey, "Release", "64-bit"), ERROR_SUCCESS);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, View::k32, kKey));
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey.c_str(), 0, KEY_QUERY_VALUE, &key),
            ERROR_FILE_NOT_FOUND);
  if (key != nullptr) RegCloseKey(key);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, View::k64, kKey, "Release"), "64-bit");
  Clean();

  // What the 32-bit view writes lands under WOW6432Node.
  ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, View::k32, kKey, "Release", "32-bit"), ERROR_SUCCESS);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, View::k32, kKey, "Release"), "32-bit");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, View::k64, kKey));
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, View::k64, "Software\\WOW6432Node\\Tolvek WoW64 Test",
                       "Release"),
            "32-bit");

  // The user's Software key is one for both views.
  ASSERT_EQ(WriteString(HKEY_CURRENT_USER, View::k64, kKey, "Release", "either"), ERROR_SUCCESS);
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, View::k32, kKey, "Release"), "either");
}

TEST_F(Wow64PrefixTest, TheProgramsProgramFilesIsTheX86OneAndTheSixtyFourBitOneIsNamedApart) {
  EXPECT_EQ(ProgramFiles32(), "C:\\Program Files (x86)");
  EXPECT_EQ(ProgramFiles64(), "C:\\Program Files");
  EXPECT_TRUE(IsFolder(ProgramFiles32()));
  EXPECT_TRUE(IsFolder(ProgramFiles64().value_or("")));
}

TEST_F(Wow64PrefixTest, InstallExeStartsAndEndsThere) {
  char temp[MAX_PATH + 1] = {};
  ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
  const std::string log = std::string(temp) + "tolvek-wow64-usage.log";
  DeleteFileA(log.c_str());

  InstallerProcess installer(BuiltFile("INSTALL.EXE"), "", "/S /? /LOG=\"" + log + "\"");
  ASSERT_NE(installer.Id(), 0u) << "INSTALL.EXE did not start";
  ASSERT_TRUE(installer.WaitForExit(std::chrono::seconds(30)));
  EXPECT_EQ(installer.ExitCode(), 0u);
  const std::optional<std::string> written = ReadFile(log);
  DeleteFileA(log.c_str());
  ASSERT_TRUE(written.has_value());
  EXPECT_NE(written->find("INSTALL.EXE [/S]"), std::string::npos) << *written;
  EXPECT_TRUE(written->ends_with("Codice di uscita: 0\r\n")) << *written;
}

}  // namespace
