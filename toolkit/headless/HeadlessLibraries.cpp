#include "toolkit/headless/HeadlessLibraries.h"

#include "unzip/Extract.h"
#include "unzip/ToolkitStorage.h"
#include "unzip/UnzipApi.h"

namespace toolkit::headless {
namespace {

std::int32_t UNZIP_STDCALL LinkedUnzDllExec(UnzipParams* params) {
  if (params == nullptr) return kUnzipBadParams;
  unzip::ToolkitStorage storage(Fs());
  return unzip::Extract(*params, storage);
}

std::uint32_t UNZIP_STDCALL LinkedGetUnzDllVersion() { return UNZIP_VERSION; }

}  // namespace

void HeadlessLibraries::Reset() { *this = HeadlessLibraries{}; }

unsigned HeadlessLibraries::SetErrorMode(unsigned mode) {
  errorModes_.push_back(mode);
  unsigned previous = errorMode_;
  errorMode_ = mode;
  return previous;
}

LibraryHandle HeadlessLibraries::Load(const std::string& fileName) {
  if (fileName != "INSTALL.DLL" || loadResult_ <= 32) return loadResult_ > 32 ? 0 : loadResult_;
  ++loaded_;
  return loadResult_;
}

void* HeadlessLibraries::EntryPoint(LibraryHandle library, const std::string& name) {
  if (library != loadResult_ || missing_.count(name) != 0) return nullptr;
  if (name == "UnzDllExec") return reinterpret_cast<void*>(&LinkedUnzDllExec);
  if (name == "GetUnzDllVersion") return reinterpret_cast<void*>(&LinkedGetUnzDllVersion);
  return nullptr;
}

void HeadlessLibraries::Free(LibraryHandle library) {
  if (library == loadResult_ && loaded_ > 0) --loaded_;
}

HeadlessLibraries& FakeLibraries() {
  static HeadlessLibraries libraries;
  return libraries;
}

}  // namespace toolkit::headless

namespace toolkit {
DynamicLibraries& Libraries() { return headless::FakeLibraries(); }
}  // namespace toolkit
