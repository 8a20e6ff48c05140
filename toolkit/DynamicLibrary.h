// Loading a library file at run time and looking up its entry points. On Win32 these are the
// system's own calls; the headless backend "loads" INSTALL.DLL by handing out the same unzip code
// linked into the test program, and lets a test make the load or a lookup fail.
#pragma once

#include <cstdint>
#include <string>

namespace toolkit {

// The raw result of a load: a module handle, or a value of 32 or less when the load failed.
using LibraryHandle = std::uintptr_t;

class DynamicLibraries {
 public:
  virtual ~DynamicLibraries() = default;
  // Sets the process's error mode and returns the previous one.
  virtual unsigned SetErrorMode(unsigned mode) = 0;
  virtual LibraryHandle Load(const std::string& fileName) = 0;
  // The entry point's address, or nullptr.
  virtual void* EntryPoint(LibraryHandle library, const std::string& name) = 0;
  virtual void Free(LibraryHandle library) = 0;
};

DynamicLibraries& Libraries();

}  // namespace toolkit
