// Demo section: the user's part at the trace window once the run has
// printed into it. With a file name the demo saves the trace through the
// window's "&Enregistrer sous..." command, answering its dialog and message
// boxes itself, and closes the window; the saved file can then be compared
// with what was printed. Without one, the real window stays up until the
// user closes it; the headless window's canvas is printed instead.
#include <string>

#include "demo.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/window_headless_control.h"
#include "platform/window_system.h"
#endif

namespace demo {
namespace {

constexpr int kSaveCommand = 101, kQuitCommand = 105, kFileNameField = 16;
const char *fileNameToType = "";

#ifdef _WIN32

void click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Answers the window's dialog and message boxes as they are activated.
LRESULT CALLBACK playUser(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dialog = reinterpret_cast<HWND>(wParam);
    char cls[16] = "";
    GetClassNameA(dialog, cls, sizeof cls);
    if (std::string(cls) == "#32770") {
      if (HWND edit = GetDlgItem(dialog, kFileNameField)) {
        SetWindowTextA(edit, fileNameToType);
        click(dialog, IDOK);
      } else {
        char caption[64] = "", text[256] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
        std::printf("[%s] %s\n", caption, text);
        click(dialog, GetDlgItem(dialog, IDYES) != nullptr ? IDYES : IDOK);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void repaint(HWND wnd) {
  RECT rc;
  GetClientRect(wnd, &rc);
  SendMessageA(wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
}

#else

void repaint(HWND wnd) {
  RECT rc;
  GetClientRect(wnd, &rc);
  zur::headless::resizeClient(wnd, rc.right, rc.bottom);
}

#endif

}  // namespace

int actAtWindow(Env *env, const char *saveAs) {
  HWND wnd = static_cast<HWND>(env->trace.traceWnd);
#ifdef _WIN32
  if (saveAs == nullptr) {
    MSG msg;
    while (IsWindow(wnd) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return 0;
  }
  HHOOK hook = SetWindowsHookExA(WH_CBT, playUser, nullptr, GetCurrentThreadId());
#else
  heading("the trace window, as its headless canvas shows it");
  for (int r = 0; r < zur::headless::canvasRows(wnd); ++r) {
    std::string row = zur::headless::canvasRow(wnd, r);
    std::printf("|%s|\n", row.c_str());
  }
  if (saveAs == nullptr) return 0;
  zur::headless::setDialogResponder([](HWND dialog, const std::string &) {
    zur::headless::typeText(dialog, kFileNameField, fileNameToType);
    zur::headless::pressButton(dialog, IDOK);
  });
  zur::headless::setBoxResponder([](const zur::headless::ShownBox &box) {
    std::printf("[%s] %s\n", box.caption.c_str(), box.text.c_str());
    return (box.style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  });
#endif
  fileNameToType = saveAs;
  SendMessageA(wnd, WM_COMMAND, kSaveCommand, 0);
  // Two repaints: the first may still see lines a full window held back,
  // the second finds none new, so the run counts as ended and the window
  // may close.
  repaint(wnd);
  repaint(wnd);
  SendMessageA(wnd, WM_COMMAND, kQuitCommand, 0);
#ifdef _WIN32
  UnhookWindowsHookEx(hook);
#endif
  return IsWindow(wnd) ? 1 : 0;
}

}  // namespace demo
