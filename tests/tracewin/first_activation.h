// The tests play the user at user32's boxes from a CBT hook. A box is
// activated again when another window on the same display takes the focus
// for a moment (other test programs run beside this one under wine), so each
// box is read and answered on its first activation only.
#ifndef ZURBASE_TESTS_TRACEWIN_FIRST_ACTIVATION_H
#define ZURBASE_TESTS_TRACEWIN_FIRST_ACTIVATION_H

#include <cstring>
#include <set>

#include <windows.h>

namespace zurtest {

// True when `code` activates a dialog box (class #32770) not seen before.
inline bool firstBoxActivation(int code, HWND wnd) {
  static std::set<HWND> seen;  // boxes alive and already answered
  if (code == HCBT_DESTROYWND) seen.erase(wnd);
  char cls[16] = "";
  return code == HCBT_ACTIVATE && GetClassNameA(wnd, cls, sizeof cls) &&
         std::strcmp(cls, "#32770") == 0 && seen.insert(wnd).second;
}

}  // namespace zurtest

#endif
