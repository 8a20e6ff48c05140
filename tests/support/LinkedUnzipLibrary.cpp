#include "tests/support/LinkedUnzipLibrary.h"

#include "tests/support/ToolkitStorage.h"
#include "toolkit/FileSystem.h"
#include "toolkit/headless/HeadlessLibraries.h"
#include "unzip/Extract.h"
#include "unzip/UnzipApi.h"

namespace testing_support {
namespace {

UnzipFailure lastFailure;

// As the DLL, built without unwind tables: an error that reached it from the callback would end
// the process, here as there.
std::int32_t UNZIP_STDCALL LinkedUnzDllExec(UnzipParams* params) noexcept {
  lastFailure = {};
  if (params == nullptr) return kUnzipBadParams;
  unzip::ToolkitStorage storage(toolkit::Fs());
  return unzip::Extract(*params, storage, {}, &lastFailure);
}

// The headless installer extracts on its one thread, so the record needs no lock here.
void UNZIP_STDCALL LinkedUnzDllLastFailure(UnzipFailure* failure) {
  if (failure == nullptr) return;
  *failure = lastFailure;
  failure->StructSize = sizeof *failure;
}

std::uint32_t UNZIP_STDCALL LinkedGetUnzDllVersion() { return UNZIP_VERSION; }

}  // namespace

void ProvideLinkedUnzipLibrary() {
  toolkit::headless::FakeLibraries().Provide(
      "INSTALL.DLL", {{"UnzDllExec", reinterpret_cast<void*>(&LinkedUnzDllExec)},
                      {"GetUnzDllVersion", reinterpret_cast<void*>(&LinkedGetUnzDllVersion)},
                      {"UnzDllLastFailure", reinterpret_cast<void*>(&LinkedUnzDllLastFailure)}});
}

}  // namespace testing_support
