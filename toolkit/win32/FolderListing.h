// What a folder holds, through FindFirstFile and FindNextFile in the wide form on the NT family
// and the ANSI form on Windows 9x, with the names in UTF-8.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace toolkit::win32 {

struct FolderEntry {
  std::string name;
  std::string shortName;  // the 8.3 alias, empty when the name is its own
  DWORD attributes = 0;
};

// Calls `visit` for each entry matching `pattern` ("c:\folder\*") until it returns false. The
// result: ERROR_NO_MORE_FILES when every entry was visited, 0 when `visit` stopped the walk, or
// the code with which the listing failed (ERROR_FILE_NOT_FOUND: nothing matches).
std::uint32_t ListFolder(const std::string& pattern,
                         const std::function<bool(const FolderEntry&)>& visit);

}  // namespace toolkit::win32
