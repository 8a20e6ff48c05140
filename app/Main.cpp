// INSTALL.EXE: a thin entry into the installer.
#include <cstdlib>

#include "app/Startup.h"

// The exit code is the installation's outcome in the Windows Installer's convention, for the
// deployment tools that start the installer.
int main() { return app::RunInstaller(); }

// The run-time library's verbose handler for an uncaught exception spells out the type's name,
// which pulls the whole C++ name demangler into the program. Every user action runs under the
// application's handler, so an exception that still escapes is a bug: end without the spelling.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
