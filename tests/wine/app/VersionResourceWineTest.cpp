// The version resource of the built INSTALL.EXE and INSTALL.DLL as Windows reads it
// (GetFileVersionInfo, VerQueryValue): what the file's Properties show and what inventory tools
// take as its version. Company, product and version must be the configuration block's, whose
// version is the build's one place (cmake/ProductVersion.cmake) and is also what Add or Remove
// Programs shows; the numbers of the fixed part must be the text's; each language of the
// configuration has its table, Italian first, with the file's own name and a description of its
// own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/Vars.h"
#include "tests/wine/support/Driver.h"

namespace {

using winetest::BuiltFile;

struct Language {
  std::int32_t configLanguage;  // config::Vars.Language
  const char* table;            // the string table's name: language and code page in hex
};

constexpr Language kLanguages[] = {{1, "041004E4"}, {2, "040904E4"}};

class VersionResourceTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    DWORD ignored = 0;
    const std::string path = BuiltFile(GetParam());
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_NE(size, 0u) << GetParam() << " has no version resource";
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data_.data()));
  }

  std::string Value(const char* table, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\") + table + "\\" + name;
    if (!VerQueryValueA(data_.data(), key.c_str(), &value, &length) || length == 0) return "";
    return std::string(static_cast<const char*>(value));
  }

  std::vector<char> data_;
};

TEST_P(VersionResourceTest, FixedPartHoldsTheBuildsVersionAndTheFilesKind) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data_.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "%u.%u.%u.%u", unsigned{HIWORD(fixed->dwFileVersionMS)},
                unsigned{LOWORD(fixed->dwFileVersionMS)}, unsigned{HIWORD(fixed->dwFileVersionLS)},
                unsigned{LOWORD(fixed->dwFileVersionLS)});
  for (const Language& language : kLanguages) {
    EXPECT_EQ(Value(language.table, "FileVersion"), numbers) << language.table;
  }
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  const bool dll = std::string(GetParam()).ends_with(".DLL");
  EXPECT_EQ(fixed->dwFileType, dll ? DWORD(VFT_DLL) : DWORD(VFT_APP));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug or pre-release flag";
}

TEST_P(VersionResourceTest, EachLanguageNamesTheConfigurationsCompanyProductAndVersion) {
  std::vector<std::string> descriptions;
  for (const Language& language : kLanguages) {
    config::Vars = config::ConfigurationBlock{};
    config::Vars.Language = language.configLanguage;
    config::Vars.ProductCode = 1;
    config::FillConfiguration();
    SCOPED_TRACE(language.table);
    EXPECT_EQ(Value(language.table, "CompanyName"), config::Vars.Publisher);
    EXPECT_EQ(Value(language.table, "ProductName"), config::Vars.ProductName);
    EXPECT_EQ(Value(language.table, "ProductVersion"), config::Vars.ProductVersion);
    EXPECT_EQ(Value(language.table, "OriginalFilename"), GetParam());
    EXPECT_EQ(Value(language.table, "LegalCopyright"), "\xA9 " + config::Vars.Publisher);
    EXPECT_TRUE(Value(language.table, "FileVersion").starts_with(config::Vars.ProductVersion));
    descriptions.push_back(Value(language.table, "FileDescription"));
    EXPECT_NE(descriptions.back().find(config::Vars.ProductName), std::string::npos)
        << descriptions.back();
  }
  EXPECT_NE(descriptions[0], descriptions[1]) << "one description per language";
}

// Windows picks the table of the user's language from this list, else the first.
TEST_P(VersionResourceTest, TranslationsListItalianThenEnglishInCodePage1252) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length));
  const auto* words = static_cast<const WORD*>(value);
  const std::vector<WORD> pairs(words, words + length / sizeof(WORD));
  EXPECT_EQ(pairs, (std::vector<WORD>{0x410, 1252, 0x409, 1252}));
}

INSTANTIATE_TEST_SUITE_P(InstallExeAndDll, VersionResourceTest,
                         ::testing::Values("INSTALL.EXE", "INSTALL.DLL"));

}  // namespace
