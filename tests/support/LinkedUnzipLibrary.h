// The native tests' "INSTALL.DLL": the unzip library's own entry points, linked into the test
// program and extracting through the in-memory file system, provided to the headless backend
// under the DLL's name.
#pragma once

namespace testing_support {

void ProvideLinkedUnzipLibrary();

}  // namespace testing_support
