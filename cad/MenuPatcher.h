// Gives AutoCAD a toolbar for the product by adding it to an AutoCAD menu source file. A menu
// file that already holds the toolbar is left alone; a changed one keeps its old text as
// folder + "\tktemp.bak".
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"

namespace cad {

// The only mode: add the toolbar and its help strings.
inline constexpr int kMenuAddToolbar = 1;

// Patches folder + fileName (joined as given, so "c:\cad" with "\support\acad.mns" is allowed);
// the temporary and backup files lie in `folder` itself. With mode kMenuAddToolbar, returns false
// when the file cannot be opened, true when it already held the toolbar or has been rewritten.
// Any other mode changes nothing and returns false. File failures after the open raise
// EInOutError.
bool PatchAcadMenu(int mode, const std::string& folder, const std::string& fileName,
                   toolkit::ChangeRecorder& recorder);
// Whether PatchAcadMenu would add the toolbar to folder + fileName: nothing is changed. Only the
// toolbar's heading counts: the marker comes with the toolbar, so a menu without a ***TOOLBARS line
// never holds it, and PatchAcadMenu would add its help strings to it again at every run. A run
// that may come again (the repair, each user's part) patches a menu only where this is true.
bool MenuLacksToolbar(const std::string& folder, const std::string& fileName);

}  // namespace cad
