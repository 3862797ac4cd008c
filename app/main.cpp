// Program entry. The main window arrives with its own change; until then the
// program starts and exits cleanly.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return 0;
}
