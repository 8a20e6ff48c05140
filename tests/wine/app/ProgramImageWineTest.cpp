// What Windows reads from the built programs before it runs a line of them. Both carry the
// run-from-swap bits, since a multi-disk installation takes away the disk they run from, with a
// checksum that Windows' own CheckSumMappedFile agrees with. Neither holds what would make two
// builds of one commit differ: a time stamp in its headers or directories, the build's folder.
// INSTALL.EXE's manifest is well-formed XML, runs it as the user who started it (no installer
// detection, no virtualisation), names the five systems and asks for nothing that would change
// the dialog.
#include <windows.h>

#include <gtest/gtest.h>
#include <imagehlp.h>

#include <cstddef>
#include <cstring>
#include <set>
#include <string_view>

#include "tests/support/XmlReader.h"
#include "tests/wine/support/Driver.h"

namespace {

using testing_support::XmlElement;
using winetest::BuiltFile;

class BuiltProgramTest : public ::testing::TestWithParam<const char*> {};

TEST_P(BuiltProgramTest, RunsFromTheSwapFileOffRemovableMediaAndTheNetwork) {
  const std::optional<std::string> image = winetest::ReadFile(BuiltFile(GetParam()));
  ASSERT_TRUE(image && image->size() >= sizeof(IMAGE_DOS_HEADER));
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, image->data(), sizeof dos);
  ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LE(static_cast<std::size_t>(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS32), image->size());
  IMAGE_NT_HEADERS32 nt;
  std::memcpy(&nt, image->data() + dos.e_lfanew, sizeof nt);
  ASSERT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);

  const WORD characteristics = nt.FileHeader.Characteristics;
  EXPECT_TRUE(characteristics & IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP) << std::hex << characteristics;
  EXPECT_TRUE(characteristics & IMAGE_FILE_NET_RUN_FROM_SWAP) << std::hex << characteristics;
}

TEST_P(BuiltProgramTest, CarriesTheChecksumWindowsComputes) {
  DWORD inHeader = 0;
  DWORD computed = 0;
  ASSERT_EQ(MapFileAndCheckSumA(BuiltFile(GetParam()).c_str(), &inHeader, &computed),
            CHECKSUM_SUCCESS);
  // Zero says "no checksum", which Windows takes; any other value must be right.
  if (inHeader != 0) {
    EXPECT_EQ(inHeader, computed) << std::hex << inHeader << " " << computed;
  }
}

// The bytes at a relative virtual address of the image, through its section table; empty when no
// section holds `size` bytes there.
std::string_view AtAddress(const std::string& image, const IMAGE_NT_HEADERS32& nt,
                           std::size_t sectionTable, DWORD address, std::size_t size) {
  for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section;
    const std::size_t at = sectionTable + i * sizeof section;
    if (at + sizeof section > image.size()) break;
    std::memcpy(&section, image.data() + at, sizeof section);
    if (address < section.VirtualAddress ||
        address + size > section.VirtualAddress + section.SizeOfRawData) {
      continue;
    }
    const std::size_t offset = section.PointerToRawData + (address - section.VirtualAddress);
    if (offset + size > image.size()) break;
    return std::string_view(image).substr(offset, size);
  }
  return {};
}

// The link's time stamp in the file header, and those of the export and resource directories,
// are zero: nothing in the programs says when they were built.
TEST_P(BuiltProgramTest, CarriesNoTimeStamp) {
  const std::optional<std::string> image = winetest::ReadFile(BuiltFile(GetParam()));
  ASSERT_TRUE(image && image->size() >= sizeof(IMAGE_DOS_HEADER));
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, image->data(), sizeof dos);
  ASSERT_LE(static_cast<std::size_t>(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS32), image->size());
  IMAGE_NT_HEADERS32 nt;
  std::memcpy(&nt, image->data() + dos.e_lfanew, sizeof nt);
  EXPECT_EQ(nt.FileHeader.TimeDateStamp, 0u);

  const std::size_t sectionTable = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                   nt.FileHeader.SizeOfOptionalHeader;
  const struct {
    int entry;
    std::size_t stampOffset;
  } directories[] = {
      {IMAGE_DIRECTORY_ENTRY_EXPORT, offsetof(IMAGE_EXPORT_DIRECTORY, TimeDateStamp)},
      {IMAGE_DIRECTORY_ENTRY_RESOURCE, offsetof(IMAGE_RESOURCE_DIRECTORY, TimeDateStamp)},
  };
  int found = 0;
  for (const auto& directory : directories) {
    const IMAGE_DATA_DIRECTORY& entry = nt.OptionalHeader.DataDirectory[directory.entry];
    if (entry.VirtualAddress == 0) continue;
    ++found;
    const std::string_view stamp =
        AtAddress(*image, nt, sectionTable, entry.VirtualAddress + directory.stampOffset, 4);
    ASSERT_EQ(stamp.size(), 4u) << "directory " << directory.entry;
    EXPECT_EQ(stamp, std::string_view("\0\0\0\0", 4)) << "directory " << directory.entry;
  }
  // INSTALL.EXE has resources; INSTALL.DLL has its exports and its version.
  EXPECT_EQ(found, std::string(GetParam()) == "INSTALL.DLL" ? 2 : 1);
}

// Neither the source folder nor the build folder is written into the programs: a build elsewhere
// would differ, and the programs would tell where they were built.
TEST_P(BuiltProgramTest, NamesNoBuildFolder) {
  const std::optional<std::string> image = winetest::ReadFile(BuiltFile(GetParam()));
  ASSERT_TRUE(image);
  for (const std::string folder : {BUILD_SOURCE_DIR, BUILD_BINARY_DIR}) {
    EXPECT_EQ(image->find(folder), std::string::npos) << folder;
  }
}

INSTANTIATE_TEST_SUITE_P(InstallExeAndDll, BuiltProgramTest,
                         ::testing::Values("INSTALL.EXE", "INSTALL.DLL"));

class InstallerManifestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HMODULE program =
        LoadLibraryExA(BuiltFile("INSTALL.EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found != nullptr) {
      const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
      text_.assign(bytes, SizeofResource(program, found));
    }
    FreeLibrary(program);
    ASSERT_NE(found, nullptr) << "INSTALL.EXE has no manifest (RT_MANIFEST 1)";
    std::string error;
    std::optional<XmlElement> root = testing_support::XmlReader::Parse(text_, error);
    ASSERT_TRUE(root) << error << "\n" << text_;
    Gather(*root);
  }

  void Gather(const XmlElement& element) {
    elements_.push_back(element);
    for (const XmlElement& child : element.children) Gather(child);
  }

  std::string text_;
  std::vector<XmlElement> elements_;  // every element of the manifest, at any depth
};

// It runs as the user who started it, names Vista to 11 as supported systems, and asks for
// neither Common Controls 6 (which would restyle every control) nor DPI awareness (which would
// have Windows show the dialog at its own pixel sizes on a high-DPI screen).
TEST_F(InstallerManifestTest, RunsAsTheUserOnVistaTo11AndKeepsTheDialogsLook) {
  std::vector<XmlElement> levels;
  std::multiset<std::string> systems;
  for (const XmlElement& e : elements_) {
    if (e.name == "requestedExecutionLevel") levels.push_back(e);
    if (e.name == "supportedOS") systems.insert(e.Attribute("Id"));
    EXPECT_NE(e.name, "dependency") << text_;
    EXPECT_EQ(e.name.find("dpiAware"), std::string::npos) << text_;
  }
  ASSERT_EQ(levels.size(), 1u) << text_;
  EXPECT_EQ(levels[0].Attribute("level"), "asInvoker");
  EXPECT_EQ(levels[0].Attribute("uiAccess"), "false");
  EXPECT_EQ(systems, (std::multiset<std::string>{
                         "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
                         "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
                     }));
  EXPECT_EQ(text_.find("Common-Controls"), std::string::npos) << text_;
}

}  // namespace
