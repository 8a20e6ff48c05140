#include "tests/support/LinkedUnzipLibrary.h"

#include "tests/support/ToolkitStorage.h"
#include "toolkit/FileSystem.h"
#include "toolkit/headless/HeadlessLibraries.h"
#include "unzip/Extract.h"
#include "unzip/UnzipApi.h"

namespace testing_support {
namespace {

std::int32_t UNZIP_STDCALL LinkedUnzDllExec(UnzipParams* params) {
  if (params == nullptr) return kUnzipBadParams;
  unzip::ToolkitStorage storage(toolkit::Fs());
  return unzip::Extract(*params, storage);
}

std::uint32_t UNZIP_STDCALL LinkedGetUnzDllVersion() { return UNZIP_VERSION; }

}  // namespace

void ProvideLinkedUnzipLibrary() {
  toolkit::headless::FakeLibraries().Provide(
      "INSTALL.DLL", {{"UnzDllExec", reinterpret_cast<void*>(&LinkedUnzDllExec)},
                      {"GetUnzDllVersion", reinterpret_cast<void*>(&LinkedGetUnzDllVersion)}});
}

}  // namespace testing_support
