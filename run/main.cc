// Entry point of the program: a Win32 GUI program on Windows, a plain
// process elsewhere. All the work is Form_Load's.
#include "run/form_load.h"
#include "run/platform.h"

#ifdef _WIN32
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  auto p = scenario::make_platform();
  return scenario::Form_Load(*p);
}
#else
int main() {
  auto p = scenario::make_platform();
  return scenario::Form_Load(*p);
}
#endif
