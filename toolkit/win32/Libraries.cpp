#include <windows.h>

#include "toolkit/DynamicLibrary.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit {
namespace {

class Win32Libraries : public DynamicLibraries {
 public:
  unsigned SetErrorMode(unsigned mode) override { return ::SetErrorMode(mode); }

  LibraryHandle Load(const std::string& fileName) override {
    return reinterpret_cast<LibraryHandle>(win32::IsNt()
                                               ? LoadLibraryW(win32::Wide(fileName).c_str())
                                               : LoadLibraryA(win32::Ansi(fileName).c_str()));
  }

  void* EntryPoint(LibraryHandle library, const std::string& name) override {
    return reinterpret_cast<void*>(
        GetProcAddress(reinterpret_cast<HMODULE>(library), name.c_str()));
  }

  void Free(LibraryHandle library) override { FreeLibrary(reinterpret_cast<HMODULE>(library)); }
};

}  // namespace

DynamicLibraries& Libraries() {
  static Win32Libraries libraries;
  return libraries;
}

}  // namespace toolkit
