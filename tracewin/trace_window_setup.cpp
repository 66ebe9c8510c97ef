#include "tracewin/trace_resources.h"
#include "tracewin/trace_store.h"
#include "tracewin/trace_view.h"
#include "tracewin/trace_window.h"

namespace zur::tracewin {

ATOM registerTraceClass(HINSTANCE instance, HMENU *menu) {
  *menu = LoadMenuA(instance, kMenuName);
  WNDCLASSA wndClass{};
  wndClass.style = 0;
  wndClass.lpfnWndProc = traceWndProc;
  wndClass.cbClsExtra = 0;
  wndClass.cbWndExtra = 4;
  wndClass.hInstance = instance;
  wndClass.hIcon = LoadIconA(instance, kIconName);
  wndClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wndClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wndClass.lpszMenuName = kMenuName;
  wndClass.lpszClassName = kTraceClassName;
  return RegisterClassA(&wndClass);
}

int createTraceWindow(HINSTANCE instance, int showState, HMENU menu) {
  resetTraceView();
  HWND wnd = CreateWindowExA(0, kTraceClassName, kTraceWindowTitle,
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, nullptr);
  if (wnd == nullptr) return 0;
  SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
  SetFocus(wnd);
  ShowWindow(wnd, showState);
  UpdateWindow(wnd);
  adoptTraceWindow(wnd);
  return 1;
}

namespace {

void repaintNow(HWND wnd) {
  InvalidateRect(wnd, nullptr, FALSE);
  SendMessageA(wnd, WM_PAINT, 0, 0);
}

void dispatchWaiting(HWND wnd) {
  MSG msg;
  while (PeekMessageA(&msg, wnd, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

int pumpTraceWindow(Env *env, HWND wnd) {
  SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&env->trace));
  repaintNow(wnd);
  SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
  dispatchWaiting(wnd);
  return 1;
}

void repaintAndDispatch(HWND wnd) {
  repaintNow(wnd);
  dispatchWaiting(wnd);
}

}  // namespace zur::tracewin
