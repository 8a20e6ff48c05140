// INSTALL.EXE: a thin entry into the installer.
#include <cstdlib>

#include "app/Startup.h"

int main() {
  app::RunInstaller();
  return 0;
}

// The run-time library's verbose handler for an uncaught exception spells out the type's name,
// which pulls the whole C++ name demangler into the program. Every user action runs under the
// application's handler, so an exception that still escapes is a bug: end without the spelling.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
