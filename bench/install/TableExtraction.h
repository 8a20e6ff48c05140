// The installer's package table extracted by INSTALL.DLL alone, each package into a folder of its
// own, as both benchmark drivers time it: what the library costs without the installer around it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "unzip/UnzipApi.h"

namespace bench {

// The table's package files ("acrobat.pck", ...), in the order the installation extracts them.
std::vector<std::string> TablePackages();

// INSTALL.DLL of a medium, loaded for the driver's life.
class DllOfMedium {
 public:
  explicit DllOfMedium(const std::string& medium);
  ~DllOfMedium();
  DllOfMedium(const DllOfMedium&) = delete;
  DllOfMedium& operator=(const DllOfMedium&) = delete;

  // Extracts every package of the table from `medium` into ROOT\<package> (see
  // PrepareTableFolders), the callback told as the installer's is. False when a package failed.
  bool ExtractTable(const std::string& medium, const std::string& root, UnzipCallback callback);

 private:
  using ExecFunction = int32_t(UNZIP_STDCALL*)(UnzipParams*);
  HMODULE library_ = nullptr;
  ExecFunction exec_ = nullptr;
};

// Makes ROOT and an empty ROOT\<package> for each package, removing what was there.
void PrepareTableFolders(const std::string& root);

}  // namespace bench
