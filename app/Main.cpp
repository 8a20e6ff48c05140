// INSTALL.EXE: a thin entry into the installer.
#include "app/Startup.h"

int main() {
  app::RunInstaller();
  return 0;
}
