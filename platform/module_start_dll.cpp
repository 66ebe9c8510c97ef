// Windows: the system's attach and detach notifications reach the library's
// start routine through DllMain.
#include <windows.h>

#include "library/entry_points.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  return zur::zurbaseStart(static_cast<int>(reason));
}
