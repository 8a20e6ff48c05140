#include "bench/install/TableExtraction.h"

#include <cstring>
#include <stdexcept>

#include "extract/PackageTable.h"
#include "tests/wine/support/Driver.h"

namespace bench {

std::vector<std::string> TablePackages() {
  std::vector<std::string> names;
  for (const extract::PackageRow& row : extract::PackageTable) names.emplace_back(row.package + 1);
  return names;
}

DllOfMedium::DllOfMedium(const std::string& medium)
    : library_(LoadLibraryA((medium + "\\INSTALL.DLL").c_str())) {
  if (library_ != nullptr) {
    exec_ = reinterpret_cast<ExecFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_, "UnzDllExec")));
  }
  if (exec_ == nullptr) throw std::runtime_error("no INSTALL.DLL in " + medium);
}

DllOfMedium::~DllOfMedium() { FreeLibrary(library_); }

bool DllOfMedium::ExtractTable(const std::string& medium, const std::string& root,
                               UnzipCallback callback) {
  // The record is 16 KB: static, as the installer keeps its own off the stack.
  static UnzipParams params;
  bool ok = true;
  for (const std::string& package : TablePackages()) {
    const std::string archive = medium + "\\" + package;
    SetCurrentDirectoryA((root + "\\" + package).c_str());
    std::memset(&params, 0, sizeof params);
    params.Callback = callback;
    params.ArchiveName = archive.c_str();
    ok &= exec_(&params) == 0;
  }
  SetCurrentDirectoryA(medium.c_str());
  return ok;
}

void PrepareTableFolders(const std::string& root) {
  winetest::RemoveTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  for (const std::string& package : TablePackages()) {
    CreateDirectoryA((root + "\\" + package).c_str(), nullptr);
  }
}

}  // namespace bench
