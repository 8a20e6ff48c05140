// The Win32 file-system service's access lists (FolderAccess.cpp says why).
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/FileSystem.h"

namespace toolkit::win32 {

std::uint32_t SetFolderAccess(const std::string& path, FolderAccess access);
std::uint32_t CreatePrivateDir(const std::string& path);
bool HoldsLink(const std::string& folder);

}  // namespace toolkit::win32
