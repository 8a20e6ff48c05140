#include "cad/Cuix.h"

#include <vector>

#include "cad/MenuLines.h"
#include "cad/StoredZip.h"

namespace cad {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
// The namespaces every customization part's root declares.
constexpr std::string_view kSchemaNamespaces =
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"";
// One fixed time for every member and part: 2026-01-01 00:00:00.
constexpr std::uint16_t kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;
constexpr std::uint16_t kDosTime = 0;
constexpr std::string_view kModified = "2026-01-01T00:00:00";

// The identifiers of the file's elements, each unique in it.
constexpr std::string_view kPanelId = "TKB_Panel_Tolvek";
constexpr std::string_view kTabId = "TKB_Tab_Tolvek";
constexpr std::string_view kToolbarId = "TKB_Toolbar_Tolvek";

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Join(std::string_view a, std::string_view b) { return std::string(a) + std::string(b); }

std::string MacroId(const MenuCommand& command) { return Join("TKB_Macro_", command.id); }

// A customization part: the declaration, then `root` with the namespaces around `body`.
std::string CustomizationPart(std::string_view root, const std::string& attributes,
                              const std::string& body) {
  return std::string(kDeclaration) + "<" + std::string(root) + std::string(kSchemaNamespaces) +
         attributes + ">\r\n" + body + "</" + std::string(root) + ">\r\n";
}

std::string HeaderPart() {
  return CustomizationPart("CustSection", "",
                           "  <FileVersion MajorVersion=\"0\" MinorVersion=\"6\" "
                           "IncrementalVersion=\"1\" UserVersion=\"1\" />\r\n"
                           "  <Header>\r\n"
                           "    <CommonConfiguration>\r\n"
                           "      <CommonItems>\r\n"
                           "        <ModifiedRev />\r\n"
                           "      </CommonItems>\r\n"
                           "    </CommonConfiguration>\r\n"
                           "  </Header>\r\n");
}

std::string MenuGroupPart() {
  std::string body = "  <MacroGroup Name=\"Tolvek\">\r\n";
  for (const MenuCommand& command : kMenuCommands) {
    const std::string label = Escaped(command.label);
    const std::string bitmap = Escaped(command.bitmap);
    body += "    <MenuMacro UID=\"" + MacroId(command) + "\">\r\n";
    body += "      <Macro type=\"Any\">\r\n";
    body += "        <Name>" + label + "</Name>\r\n";
    body += "        <Command>" + Escaped(command.macro) + "</Command>\r\n";
    body += "        <HelpString>" + label + "</HelpString>\r\n";
    body += "        <SmallImage Name=\"" + bitmap + "\" />\r\n";
    body += "        <LargeImage Name=\"" + bitmap + "\" />\r\n";
    body += "      </Macro>\r\n";
    body += "    </MenuMacro>\r\n";
  }
  body += "  </MacroGroup>\r\n";
  return CustomizationPart("MenuGroup", " Name=\"" + std::string(kCuixMenuGroup) + "\"", body);
}

std::string RibbonPart() {
  const std::string name = Escaped(kToolbarName);
  std::string body = "  <RibbonPanelSourceCollection>\r\n";
  body += "    <RibbonPanelSource UID=\"" + std::string(kPanelId) + "\" Text=\"" + name + "\">\r\n";
  body += "      <Name>" + name + "</Name>\r\n";
  body += "      <RibbonRow>\r\n";
  for (const MenuCommand& command : kMenuCommands) {
    body += "        <RibbonCommandButton UID=\"" + Join("TKB_Button_", command.id) + "\" Text=\"" +
            Escaped(command.label) + "\" ButtonStyle=\"LargeWithText\" MenuMacroID=\"" +
            MacroId(command) + "\" />\r\n";
  }
  body += "      </RibbonRow>\r\n";
  body += "    </RibbonPanelSource>\r\n";
  body += "  </RibbonPanelSourceCollection>\r\n";
  body += "  <RibbonTabSourceCollection>\r\n";
  // Asks that the tab be merged into the workspaces, or added to them: seen in a generator for
  // another program of the same schema; a reader that does not know the attribute passes it.
  body += "    <RibbonTabSource UID=\"" + std::string(kTabId) + "\" Text=\"" + name +
          "\" WorkspaceBehavior=\"MergeOrAddTab\">\r\n";
  body += "      <Name>" + name + "</Name>\r\n";
  body += "      <RibbonPanelSourceReference UID=\"TKB_PanelRef_Tolvek\" PanelId=\"" +
          std::string(kPanelId) + "\" />\r\n";
  body += "    </RibbonTabSource>\r\n";
  body += "  </RibbonTabSourceCollection>\r\n";
  return CustomizationPart("RibbonRoot", "", body);
}

// The toolbar: floating, shown, one row, one button per command referring to its macro as the
// pull-down items of AutoCAD's files do. Its names rest on less than the other parts' (see the
// header), so it is a part of its own.
std::string ToolbarPart() {
  const std::string name = Escaped(kToolbarName);
  std::string body = "  <Toolbar UID=\"" + std::string(kToolbarId) +
                     "\" ToolbarOrient=\"floating\" ToolbarVisible=\"show\" rows=\"1\">\r\n";
  body += "    <Name>" + name + "</Name>\r\n";
  for (const MenuCommand& command : kMenuCommands) {
    body += "    <ToolbarButton UID=\"" + Join("TKB_ToolbarButton_", command.id) +
            "\" IsSeparator=\"false\">\r\n";
    body += "      <Name>" + Escaped(command.label) + "</Name>\r\n";
    body += "      <MacroRef MenuMacroID=\"" + MacroId(command) + "\" />\r\n";
    body += "    </ToolbarButton>\r\n";
  }
  body += "  </Toolbar>\r\n";
  return CustomizationPart("ToolbarRoot", "", body);
}

struct Part {
  std::string name;  // "/Header.cui"
  std::string_view relationship;
  std::string content;
};

std::string ContentTypes() {
  return std::string(kDeclaration) +
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\r\n"
         "  <Default Extension=\"cui\" ContentType=\"text/xml\" />\r\n"
         "  <Default Extension=\"xml\" ContentType=\"text/xml\" />\r\n"
         "  <Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\" />\r\n"
         "  <Default Extension=\"bmp\" ContentType=\"image/bmp\" />\r\n"
         "</Types>\r\n";
}

std::string Relationships(const std::vector<Part>& parts) {
  std::string text =
      std::string(kDeclaration) +
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\r\n";
  int id = 0;
  for (const Part& part : parts) {
    text += "  <Relationship Type=\"" + std::string(part.relationship) + "\" Target=\"" +
            Escaped(part.name) + "\" Id=\"R" + std::to_string(++id) + "\" />\r\n";
  }
  return text + "</Relationships>\r\n";
}

// The list of parts AutoCAD 2025 and later enumerate: every part but the list itself.
std::string PartsList(const std::vector<Part>& parts) {
  std::string text = std::string(kDeclaration) + "<MenuPackageParts>\r\n";
  for (const Part& part : parts) {
    if (part.name == kCuixPartsList) continue;
    text += "  <PartData PartData_Name=\"" + Escaped(part.name) + "\" PartData_Modified=\"" +
            std::string(kModified) + "\" />\r\n";
  }
  return text + "</MenuPackageParts>\r\n";
}

}  // namespace

std::string BuildCuix(const ReadBitmap& read) {
  std::vector<Part> parts{
      {std::string(kCuixCustomizationParts[0]), "CUI", HeaderPart()},
      {std::string(kCuixCustomizationParts[1]), "CUI", MenuGroupPart()},
      {std::string(kCuixCustomizationParts[2]), "CUI", RibbonPart()},
      {std::string(kCuixCustomizationParts[3]), "CUI", ToolbarPart()},
  };
  for (const MenuCommand& command : kMenuCommands) {
    parts.push_back({Join("/", command.bitmap), "Image", read(command.bitmap)});
  }
  parts.push_back({std::string(kCuixPartsList), "CUI", {}});
  parts.back().content = PartsList(parts);

  StoredZip zip(kDosDate, kDosTime);
  zip.Add("[Content_Types].xml", ContentTypes());
  zip.Add("_rels/.rels", Relationships(parts));
  for (const Part& part : parts) zip.Add(std::string_view(part.name).substr(1), part.content);
  return zip.Finish();
}

}  // namespace cad
