// acad.exe: a stand-in for a running AutoCAD, beside which the installer and the uninstaller must
// change nothing. It only has AutoCAD's program name, and waits until the test ends it.
#include <windows.h>

int main() {
  Sleep(INFINITE);
  return 0;
}
