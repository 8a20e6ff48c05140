// Headless libraries: a test provides a library under its file name with entry points linked into
// the test program (the native tests provide "INSTALL.DLL" as the unzip code itself, extracting
// through the in-memory file system). A load by a path finds the provided library of that file
// name, compared without case; any other name fails as a missing file would. A
// test can make the load fail with a chosen result, or an entry point go missing.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "toolkit/DynamicLibrary.h"

namespace toolkit::headless {

class HeadlessLibraries : public DynamicLibraries {
 public:
  // Forgets everything, the libraries provided included.
  void Reset();
  // Makes `fileName` loadable, with these entry points.
  void Provide(const std::string& fileName, std::map<std::string, void*> entryPoints);
  // What the next loads return: a handle above 32 by default; 0 to 32 make them fail.
  void SetLoadResult(LibraryHandle result) { loadResult_ = result; }
  void RemoveEntryPoint(const std::string& name) { missing_.insert(name); }
  const std::vector<unsigned>& ErrorModes() const { return errorModes_; }
  int LoadedCount() const { return loaded_; }
  // Every file name a load was asked for, in order.
  const std::vector<std::string>& Requested() const { return requested_; }

  unsigned SetErrorMode(unsigned mode) override;
  LibraryHandle Load(const std::string& fileName) override;
  void* EntryPoint(LibraryHandle library, const std::string& name) override;
  void Free(LibraryHandle library) override;

 private:
  LibraryHandle loadResult_ = kHandle;
  std::map<std::string, std::map<std::string, void*>> provided_;
  const std::map<std::string, void*>* loadedEntries_ = nullptr;
  std::set<std::string> missing_;
  std::vector<std::string> requested_;
  std::vector<unsigned> errorModes_;
  unsigned errorMode_ = 0;
  int loaded_ = 0;
  static constexpr LibraryHandle kHandle = 0x10000000;
};

HeadlessLibraries& FakeLibraries();

}  // namespace toolkit::headless
