// find_window NAME [SECONDS]: waits until a visible window whose control name is NAME exists in
// any process, for ./run to know when the installer is up. Exit code 0 when found, 1 otherwise.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

struct Search {
  std::string name;
  bool found = false;
};

BOOL CALLBACK Check(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  auto atom = ATOM(reinterpret_cast<ULONG_PTR>(GetPropA(window, "ControlName")));
  char name[256] = {};
  if (atom != 0 && IsWindowVisible(window) && GlobalGetAtomNameA(atom, name, sizeof name) &&
      search->name == name) {
    search->found = true;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  Search search{argv[1]};
  int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
  for (int i = 0; i < seconds * 10 && !search.found; ++i) {
    EnumWindows(Check, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(100);
  }
  return search.found ? 0 : 1;
}
