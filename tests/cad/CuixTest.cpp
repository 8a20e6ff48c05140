// The bundle's partial customization file gives AutoCAD 2012 and later the product's toolbar and
// a ribbon panel. AutoCAD reads it as an Open Packaging Conventions package: a member it cannot
// find through the relationships or the list of parts is not loaded, a part that is not XML may
// cost the whole file, and a button whose macro or image is missing is a dead button. So the file
// the installation lays is opened here with the project's own ZIP directory reader, each member
// checked against zlib's CRC-32 (not the writer's), and read part by part: well-formed XML, every
// part in the relationships and the list of parts, every reference (macro, panel, image)
// present, the buttons with the labels, help strings, macros and bitmaps of the menu file's
// toolbar, in its order (read from the menu lines, not from the table the file is made from).
#include "cad/Cuix.h"

#include <zlib.h>

#include <map>
#include <regex>
#include <set>
#include <vector>

#include "CadTestSupport.h"
#include "cad/Bundle.h"
#include "cad/MenuLines.h"
#include "tests/support/RecordedChanges.h"
#include "tests/support/ToolkitStorage.h"
#include "tests/support/XmlReader.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "unzip/ArchiveWindow.h"
#include "unzip/Directory.h"

namespace cad {
namespace {

namespace fs = toolkit::fs;
using testing::CadTest;
using testing_support::XmlElement;
using testing_support::XmlReader;

const std::string kAppData = "c:\\Users\\u1\\AppData\\Roaming";
const std::string kBundle = kAppData + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle";
const std::string kContents = kBundle + "\\Contents";
const std::string kCuix = kContents + "\\Tolvek.cuix";

// A member as the archive holds it.
struct Member {
  std::uint16_t method = 0;
  std::string content;
  bool crcMatches = false;
};

std::uint32_t Little(const std::string& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | std::uint8_t(bytes[at + i]);
  return value;
}

// The archive's members by name, in the directory's order (`order`); nothing when the directory
// cannot be read.
std::optional<std::map<std::string, Member>> ReadArchive(const std::string& path,
                                                         std::vector<std::string>& order) {
  const std::string bytes = toolkit::headless::MemFs().FileContent(path).value_or("");
  unzip::ToolkitStorage storage(toolkit::Fs());
  if (storage.OpenArchive(path) != unzip::kOk) return std::nullopt;
  std::map<std::string, Member> members;
  {
    unzip::ArchiveWindow window(storage, bytes.size(), 4096);
    unzip::DirectoryLayout layout;
    if (!unzip::LocateDirectory(window, layout)) return std::nullopt;
    unzip::DirectoryWalker walker(window, layout);
    unzip::Member member;
    unzip::DirectoryWalker::Step step;
    while ((step = walker.Next(member)) == unzip::DirectoryWalker::Step::kMember) {
      // The local header names the same member and its data follows it.
      const std::size_t local = member.localOffset;
      if (Little(bytes, local, 4) != 0x04034b50) return std::nullopt;
      const std::size_t start =
          local + 30 + Little(bytes, local + 26, 2) + Little(bytes, local + 28, 2);
      if (bytes.substr(local + 30, Little(bytes, local + 26, 2)) != member.name)
        return std::nullopt;
      Member& read = members[member.name];
      read.method = member.method;
      read.content = bytes.substr(start, member.compressedSize);
      read.crcMatches = read.content.size() == member.size &&
                        crc32(0, reinterpret_cast<const Bytef*>(read.content.data()),
                              static_cast<uInt>(read.content.size())) == member.crc;
      order.push_back(member.name);
    }
    if (step != unzip::DirectoryWalker::Step::kEnd) return std::nullopt;
  }
  storage.CloseArchive();
  return members;
}

// Every element of the tree, depth first.
void Collect(const XmlElement& element, std::vector<const XmlElement*>& all) {
  all.push_back(&element);
  for (const XmlElement& child : element.children) Collect(child, all);
}

std::vector<const XmlElement*> All(const XmlElement& root, const std::string& name) {
  std::vector<const XmlElement*> all;
  Collect(root, all);
  std::erase_if(all, [&](const XmlElement* e) { return e->name != name; });
  return all;
}

// A button of the menu file's toolbar, read from its line.
struct Button {
  std::string label;
  std::string bitmap;
  std::string macro;
};

std::vector<Button> MenuButtons() {
  std::vector<Button> buttons;
  const std::regex line(R"re(^ID_\w+ +\[_Button\("([^"]+)", "([^"]+)", "[^"]+"\)\](.+)$)re");
  for (std::string_view text : kToolbarBlock) {
    std::smatch match;
    const std::string copy(text);
    if (std::regex_match(copy, match, line)) buttons.push_back({match[1], match[2], match[3]});
  }
  return buttons;
}

class CuixTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    Fs().MakeDirs(kAppData);
  }

  static std::optional<std::string> Lay(toolkit::ChangeRecorder& recorder) {
    return LayBundle(
        kAppData, [](const std::string& folder) { PutProductFiles(folder); }, recorder);
  }

  // The part, parsed; a failure of the test when it is missing or not well-formed.
  static XmlElement Part(const std::map<std::string, Member>& members, const std::string& name) {
    const auto found = members.find(name);
    if (found == members.end()) {
      ADD_FAILURE() << name << " is missing";
      return {};
    }
    std::string error;
    std::optional<XmlElement> root = XmlReader::Parse(found->second.content, error);
    if (!root) ADD_FAILURE() << name << ": " << error;
    return root.value_or(XmlElement{});
  }
};

TEST_F(CuixTest, ThePackageHoldsEveryPartItNamesAndNamesEveryPartItHolds) {
  testing_support::RecordedChanges recorder;
  ASSERT_EQ(Lay(recorder), kContents);
  std::vector<std::string> order;
  const auto members = ReadArchive(kCuix, order);
  ASSERT_TRUE(members) << "the archive's directory cannot be read";
  for (const auto& [name, member] : *members) {
    EXPECT_EQ(member.method, 0) << name << " is not stored";
    EXPECT_TRUE(member.crcMatches) << name << "'s CRC or size is wrong";
  }
  EXPECT_EQ(order.size(), members->size()) << "a member name stands twice";
  EXPECT_EQ(order.front(), "[Content_Types].xml");

  // Every extension of the package has its content type.
  const XmlElement types = Part(*members, "[Content_Types].xml");
  EXPECT_EQ(types.name, "Types");
  std::map<std::string, std::string> contentTypes;
  for (const XmlElement* entry : All(types, "Default")) {
    contentTypes[entry->Attribute("Extension")] = entry->Attribute("ContentType");
  }
  for (const auto& [name, member] : *members) {
    const std::string extension = name.substr(name.find_last_of('.') + 1);
    EXPECT_TRUE(contentTypes.contains(extension)) << name;
  }
  EXPECT_EQ(contentTypes["rels"], "application/vnd.openxmlformats-package.relationships+xml");
  EXPECT_EQ(contentTypes["bmp"], "image/bmp");

  // The relationships name every part once, each by a unique Id, with its type.
  const XmlElement relationships = Part(*members, "_rels/.rels");
  EXPECT_EQ(relationships.name, "Relationships");
  std::set<std::string> targets;
  std::set<std::string> ids;
  for (const XmlElement* relation : All(relationships, "Relationship")) {
    const std::string target = relation->Attribute("Target");
    ASSERT_TRUE(target.starts_with("/")) << target;
    EXPECT_TRUE(members->contains(target.substr(1))) << target << " is named but not there";
    EXPECT_TRUE(targets.insert(target.substr(1)).second) << target << " is named twice";
    EXPECT_TRUE(ids.insert(relation->Attribute("Id")).second) << relation->Attribute("Id");
    EXPECT_EQ(relation->Attribute("Type"), target.ends_with(".bmp") ? "Image" : "CUI") << target;
  }
  std::set<std::string> parts;
  for (const auto& [name, member] : *members) {
    if (name != "[Content_Types].xml" && name != "_rels/.rels") parts.insert(name);
  }
  EXPECT_EQ(targets, parts);

  // The list of parts names every part but itself, once.
  const XmlElement list = Part(*members, "Menu_Package_Info.xml");
  EXPECT_EQ(list.name, "MenuPackageParts");
  std::set<std::string> listed;
  for (const XmlElement* part : All(list, "PartData")) {
    const std::string name = part->Attribute("PartData_Name");
    EXPECT_TRUE(listed.insert(name.substr(1)).second) << name;
    EXPECT_TRUE(std::regex_match(part->Attribute("PartData_Modified"),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)")));
  }
  parts.erase("Menu_Package_Info.xml");
  EXPECT_EQ(listed, parts);

  // The toolbar stands in a part of its own, apart from the ribbon and the macros.
  for (std::string_view part : kCuixCustomizationParts) {
    EXPECT_TRUE(members->contains(std::string(part.substr(1)))) << part;
  }
  // The file is told to the recorder before it is made, with its CRC.
  EXPECT_NE(std::find(recorder.files.begin(), recorder.files.end(), kCuix), recorder.files.end());
  EXPECT_NE(std::find(recorder.checked.begin(), recorder.checked.end(), kCuix),
            recorder.checked.end());
}

TEST_F(CuixTest, TheMenuGroupTheRibbonPanelAndTheToolbarGiveTheMenuFilesButtons) {
  ASSERT_TRUE(Lay(toolkit::NoRecording()));
  std::vector<std::string> order;
  const auto members = ReadArchive(kCuix, order);
  ASSERT_TRUE(members);
  const std::vector<Button> menu = MenuButtons();
  ASSERT_EQ(menu.size(), 2u) << "the menu lines' buttons were not read";

  // Every customization part is a root with the serializer's namespaces, and every UID of the
  // file is unique.
  std::set<std::string> uids;
  for (std::string_view name : kCuixCustomizationParts) {
    const XmlElement root = Part(*members, std::string(name.substr(1)));
    EXPECT_EQ(root.Attribute("xmlns:xsi"), "http://www.w3.org/2001/XMLSchema-instance") << name;
    EXPECT_EQ(root.Attribute("xmlns:xsd"), "http://www.w3.org/2001/XMLSchema") << name;
    std::vector<const XmlElement*> all;
    Collect(root, all);
    for (const XmlElement* element : all) {
      if (element->attributes.contains("UID")) {
        EXPECT_TRUE(uids.insert(element->Attribute("UID")).second) << element->Attribute("UID");
      }
    }
  }

  // The macros: the menu's labels, help strings, macros and bitmaps, in its order, each image a
  // member of the package with the bytes of the placed bitmap.
  const XmlElement group = Part(*members, "MenuGroup.cui");
  EXPECT_EQ(group.name, "MenuGroup");
  EXPECT_EQ(group.Attribute("Name"), kCuixMenuGroup);
  const std::vector<const XmlElement*> macros = All(group, "MenuMacro");
  ASSERT_EQ(macros.size(), menu.size());
  std::vector<std::string> macroIds;
  for (std::size_t i = 0; i < macros.size(); ++i) {
    SCOPED_TRACE(menu[i].label);
    macroIds.push_back(macros[i]->Attribute("UID"));
    const XmlElement* macro = macros[i]->Child("Macro");
    ASSERT_NE(macro, nullptr);
    EXPECT_EQ(macro->Attribute("type"), "Any");
    ASSERT_NE(macro->Child("Name"), nullptr);
    EXPECT_EQ(macro->Child("Name")->text, menu[i].label);
    ASSERT_NE(macro->Child("HelpString"), nullptr);
    EXPECT_EQ(macro->Child("HelpString")->text, menu[i].label);
    ASSERT_NE(macro->Child("Command"), nullptr);
    EXPECT_EQ(macro->Child("Command")->text, menu[i].macro);
    for (const char* size : {"SmallImage", "LargeImage"}) {
      ASSERT_NE(macro->Child(size), nullptr) << size;
      const std::string image = macro->Child(size)->Attribute("Name");
      EXPECT_EQ(fs::FoldCase(image), fs::FoldCase(menu[i].bitmap));
      ASSERT_TRUE(members->contains(image)) << image << " is not in the package";
      EXPECT_EQ(members->at(image).content, Content(kContents + "\\" + menu[i].bitmap));
    }
  }

  // The ribbon: a "Tolvek" panel with one button per macro in the menu's order, placed on a tab.
  const XmlElement ribbon = Part(*members, "RibbonRoot.cui");
  EXPECT_EQ(ribbon.name, "RibbonRoot");
  const std::vector<const XmlElement*> panels = All(ribbon, "RibbonPanelSource");
  ASSERT_EQ(panels.size(), 1u);
  EXPECT_EQ(panels[0]->Attribute("Text"), "Tolvek");
  std::vector<std::string> ribbonMacros;
  std::vector<std::string> ribbonTexts;
  for (const XmlElement* button : All(*panels[0], "RibbonCommandButton")) {
    ribbonMacros.push_back(button->Attribute("MenuMacroID"));
    ribbonTexts.push_back(button->Attribute("Text"));
  }
  EXPECT_EQ(ribbonMacros, macroIds);
  EXPECT_EQ(ribbonTexts, (std::vector<std::string>{menu[0].label, menu[1].label}));
  const std::vector<const XmlElement*> tabs = All(ribbon, "RibbonTabSource");
  ASSERT_EQ(tabs.size(), 1u);
  const std::vector<const XmlElement*> placed = All(*tabs[0], "RibbonPanelSourceReference");
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0]->Attribute("PanelId"), panels[0]->Attribute("UID"));

  // The toolbar: "Tolvek", the same buttons in the same order.
  const XmlElement toolbars = Part(*members, "ToolbarRoot.cui");
  EXPECT_EQ(toolbars.name, "ToolbarRoot");
  const std::vector<const XmlElement*> toolbar = All(toolbars, "Toolbar");
  ASSERT_EQ(toolbar.size(), 1u);
  ASSERT_NE(toolbar[0]->Child("Name"), nullptr);
  EXPECT_EQ(toolbar[0]->Child("Name")->text, "Tolvek");
  std::vector<std::string> toolbarMacros;
  std::vector<std::string> toolbarNames;
  for (const XmlElement* button : All(*toolbar[0], "ToolbarButton")) {
    ASSERT_NE(button->Child("MacroRef"), nullptr);
    toolbarMacros.push_back(button->Child("MacroRef")->Attribute("MenuMacroID"));
    ASSERT_NE(button->Child("Name"), nullptr);
    toolbarNames.push_back(button->Child("Name")->text);
  }
  EXPECT_EQ(toolbarMacros, macroIds);
  EXPECT_EQ(toolbarNames, (std::vector<std::string>{menu[0].label, menu[1].label}));
}

TEST_F(CuixTest, TheBundleNamesTheFileAndASecondInstallationLeavesIt) {
  ASSERT_TRUE(Lay(toolkit::NoRecording()));
  std::string error;
  const auto package = XmlReader::Parse(Content(kBundle + "\\PackageContents.xml"), error);
  ASSERT_TRUE(package) << error;
  std::vector<std::string> modules;
  for (const XmlElement* entry : All(*package, "ComponentEntry")) {
    modules.push_back(entry->Attribute("ModuleName"));
  }
  EXPECT_EQ(modules, (std::vector<std::string>{"./Contents/tolvek.lsp", "./Contents/Tolvek.cuix"}));
  // AutoCAD and AutoCAD LT (from LT 2024, whose release keys lie above R18.2).
  const std::vector<const XmlElement*> requirements = All(*package, "RuntimeRequirements");
  ASSERT_EQ(requirements.size(), 1u);
  EXPECT_EQ(requirements[0]->Attribute("Platform"), "AutoCAD*|ACLT");

  const std::string first = Content(kCuix);
  testing_support::RecordedChanges again;
  ASSERT_TRUE(Lay(again));
  EXPECT_EQ(Content(kCuix), first);
  EXPECT_TRUE(again.files.empty()) << "a second installation made a file anew";
  EXPECT_FALSE(Exists(kContents + "\\Tolvek.cuix.new"));
}

TEST_F(CuixTest, WithoutItsBitmapsNoFileIsLaid) {
  EXPECT_THROW(
      LayBundle(
          kAppData,
          [](const std::string& folder) { Fs().PutFile(folder + "tolvek.lsp", "(princ)"); },
          toolkit::NoRecording()),
      toolkit::EInOutError);
  EXPECT_FALSE(Exists(kCuix));
  EXPECT_FALSE(Exists(kBundle + "\\PackageContents.xml"));
}

}  // namespace
}  // namespace cad
