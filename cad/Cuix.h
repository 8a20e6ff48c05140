// The product's partial customization file, Tolvek.cuix, which the bundle names beside the
// AutoLISP file so that AutoCAD 2012 and later (and AutoCAD LT from 2024) load, with the
// bundle, the product's two commands as a "Tolvek" panel on a "Tolvek" ribbon tab and as the
// "Tolvek" toolbar: the same labels, help strings, macros and bitmaps as the toolbar the menu
// file of the releases before 2006 gets (cad/MenuLines.h). Nothing goes into any profile, and
// the file leaves with the bundle.
//
// The file is what AutoCAD writes: a ZIP package in the Open Packaging Conventions layout, with
// its content types, its relationships, its list of parts, the customization parts and the
// images. Each part holds only what public material shows AutoCAD's own files hold; where a name
// rests on less (the toolbar's element and attribute names, the tab's merge into the
// workspaces), it stands in a part or an attribute of its own, so that a reader that does not
// know it passes over it and the rest still loads: the toolbar is alone in ToolbarRoot.cui, and
// the ribbon panel stands on its own in RibbonRoot.cui.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace cad {

inline constexpr std::string_view kCuixName = "Tolvek.cuix";
inline constexpr std::string_view kCuixTempName = "Tolvek.cuix.new";
// The menu group's name: AutoCAD refuses a second group of a name already loaded, so it is the
// product's name with its bundle's product code, which nobody's own group carries.
inline constexpr std::string_view kCuixMenuGroup = "Tolvek-98F342D9";

// The package's parts, as the relationships and the list of parts name them; the images follow,
// one per command's bitmap.
inline constexpr std::array<std::string_view, 4> kCuixCustomizationParts{
    "/Header.cui", "/MenuGroup.cui", "/RibbonRoot.cui", "/ToolbarRoot.cui"};
inline constexpr std::string_view kCuixPartsList = "/Menu_Package_Info.xml";

// The bytes of a bitmap the commands name ("TKIcon1.bmp"), as the bundle's Contents holds it.
using ReadBitmap = std::function<std::string(std::string_view bitmap)>;

// The whole file. The same bitmaps give the same bytes: every time stamp in it is fixed.
std::string BuildCuix(const ReadBitmap& read);

}  // namespace cad
