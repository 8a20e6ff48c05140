// What the menu file patcher adds to an AutoCAD menu source file (acad.mns, aclt.mnu): the
// product's toolbar with its two buttons as the first entry of the ***TOOLBARS section, and the
// buttons' help strings as the first entries of the ***HELPSTRINGS section. The runs of blanks
// are part of the lines: the toolbar block's brackets stand in column 16, the help strings'
// brackets in column 17, as in AutoCAD's own menu files.
#pragma once

#include <array>
#include <string_view>

namespace cad {

inline constexpr std::string_view kToolbarsHeading = "***TOOLBARS";
inline constexpr std::string_view kHelpStringsHeading = "***HELPSTRINGS";

inline constexpr std::array<std::string_view, 4> kToolbarBlock{
    "**TOLVEK",
    "ID_Tolvek      [_Toolbar(\"Tolvek\", _Top, _Show, 2, 1, 1)]",
    "ID_tolvekppos  [_Button(\"Posiziona elemento Tolvek\", \"TKIcon1.bmp\", "
    "\"ICON_24_BLANK\")]^C^C^Ctolvek",
    "ID_tolvekrun   [_Button(\"Libreria parametrica Tolvek\", \"TKIcon2.bmp\", "
    "\"ICON_25_BLANK\")]^C^C^Cruntolvek",
};

// The toolbar's two commands, in the order of its buttons: each one's label (which its help
// string repeats), bitmap and macro. The partial customization file of the bundle
// (cad/Cuix.h) gives AutoCAD 2012 and later the same commands from this table.
struct MenuCommand {
  std::string_view id;
  std::string_view label;
  std::string_view bitmap;
  std::string_view macro;
};
inline constexpr std::array<MenuCommand, 2> kMenuCommands{{
    {"ID_tolvekppos", "Posiziona elemento Tolvek", "TKIcon1.bmp", "^C^C^Ctolvek"},
    {"ID_tolvekrun", "Libreria parametrica Tolvek", "TKIcon2.bmp", "^C^C^Cruntolvek"},
}};
// The toolbar's name, as the menu's _Toolbar line gives it.
inline constexpr std::string_view kToolbarName = "Tolvek";

inline constexpr std::array<std::string_view, 2> kHelpStringBlock{
    "ID_tolvekppos   [Posiziona elemento Tolvek]",
    "ID_tolvekrun    [Libreria parametrica Tolvek]",
};

// AutoCAD LT's menu file is recognised by its exact name; its earlier installation by the button
// label rather than by the toolbar's section name.
inline constexpr std::string_view kAcltMenuName = "\\aclt.mnu";
inline constexpr std::string_view kAcltMarker = "elemento Tolvek";
inline constexpr std::string_view kMenuMarker = "**TOLVEK";

inline constexpr std::string_view kMenuTempName = "\\tkmenu.new";
inline constexpr std::string_view kMenuBackupName = "\\tktemp.bak";

}  // namespace cad
