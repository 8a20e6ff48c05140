// The headless "INSTALL.DLL": loading it hands out the unzip library's own entry points, linked
// into the test program and extracting through the in-memory file system. A test can make the
// load fail with a chosen result, or an entry point go missing.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "toolkit/DynamicLibrary.h"

namespace toolkit::headless {

class HeadlessLibraries : public DynamicLibraries {
 public:
  void Reset();
  // What the next loads return: a handle above 32 by default; 0 to 32 make them fail.
  void SetLoadResult(LibraryHandle result) { loadResult_ = result; }
  void RemoveEntryPoint(const std::string& name) { missing_.insert(name); }
  const std::vector<unsigned>& ErrorModes() const { return errorModes_; }
  int LoadedCount() const { return loaded_; }

  unsigned SetErrorMode(unsigned mode) override;
  LibraryHandle Load(const std::string& fileName) override;
  void* EntryPoint(LibraryHandle library, const std::string& name) override;
  void Free(LibraryHandle library) override;

 private:
  LibraryHandle loadResult_ = kHandle;
  std::set<std::string> missing_;
  std::vector<unsigned> errorModes_;
  unsigned errorMode_ = 0;
  int loaded_ = 0;
  static constexpr LibraryHandle kHandle = 0x10000000;
};

HeadlessLibraries& FakeLibraries();

}  // namespace toolkit::headless
