// The binding to the unzip library INSTALL.DLL, loaded with the main dialog and released with it.
#pragma once

namespace extract {

// Loads INSTALL.DLL from the standard search path and looks up its entry points; a missing
// library or entry point is reported in a message box and start-up goes on.
void LoadUnzipLibrary();
void UnloadUnzipLibrary();

}  // namespace extract
