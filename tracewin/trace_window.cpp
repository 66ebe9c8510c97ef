// The trace window's procedure: it shows the lines of the trace store in a
// pane that scrolls both ways, greys its menu while the trace grows, and
// refuses to close while a run seems active. It runs only when a pump (in
// the print sink or the save) or the application's own loop dispatches.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "library/entry_points.h"
#include "tracewin/trace_resources.h"
#include "tracewin/trace_store.h"
#include "tracewin/trace_view.h"

namespace zur::tracewin {

TraceView traceView;

namespace {

constexpr int kFileMenuPos = 0;
constexpr int kHorzPage = 8;
// A thumb position is 16 bits: a drag this far back is a wrap past 65535.
constexpr int kThumbWrapDistance = 40000;

const int kGrowthEntries[] = {0, 1};  // "&Enregistrer sous...", "&Réinitialiser"

void invalidate(HWND wnd) { InvalidateRect(wnd, nullptr, FALSE); }


// Scroll bars and view back at the start, for an emptied store.
void resetViewState(HWND wnd) {
  TraceView &v = traceView;
  v.vertMax = 1;
  v.horzMax = 8;
  v.topLine = 0;
  v.paintedCount = 0;
  v.leftCol = 0;
  SetScrollRange(wnd, SB_VERT, 0, 1, FALSE);
  SetScrollPos(wnd, SB_VERT, 0, TRUE);
  SetScrollRange(wnd, SB_HORZ, 0, 8, FALSE);
  SetScrollPos(wnd, SB_HORZ, 0, TRUE);
}

// Runs before every message. The window follows the store's current file and
// index: a reset through the entry table by another caller closes the stream
// and frees the blocks the window last took, so it never keeps them.
void bindAndRefresh(HWND wnd) {
  TraceView &v = traceView;
  if (v.store == nullptr) {
    v.store = reinterpret_cast<TraceStore *>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    return;
  }
  const TraceStore &s = *v.store;
  v.vertMax = s.lineCount;
  const bool replaced = (v.cachedFile != nullptr && v.cachedFile != s.tmpFile) ||
                        (v.cachedFirst != nullptr && v.cachedFirst != s.firstBlock) ||
                        s.lineCount < v.paintedCount;
  v.cachedFile = s.tmpFile;
  v.cachedFirst = s.firstBlock;
  if (replaced) {
    resetViewState(wnd);
    v.vertMax = s.lineCount;
    v.idle = false;
    v.frozen = false;
  }
}

void paint(HWND wnd) {
  TraceView &v = traceView;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  GetClientRect(wnd, &ps.rcPaint);
  const int top = ps.rcPaint.top, bottom = ps.rcPaint.bottom;
  const int first = std::max(0, v.topLine + top / v.lineHeight - 1);
  const int last = std::min(v.topLine + bottom / v.lineHeight, v.vertMax);
  const int x = (1 - v.leftCol) * v.charWidth;
  char text[kLineBufferSize];
  for (int i = first; i < last; ++i) {
    text[0] = '\0';
    // A line that cannot be read is drawn as nothing: the buffer would
    // hold the previous line's text.
    if (apiReadTraceLine(traceWindowEnv(), wnd, v.cachedFile, text, v.cachedFirst, i) < 0)
      continue;
    const int y = (i - v.topLine) * v.lineHeight;
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0)
      TextOutA(dc, x, y, traceBlankLine(), kBlankLineLength);
    else
      TextOutA(dc, x, y, text, length);
    v.horzMax = std::max(v.horzMax, length);
  }
  const int drawn = std::max(last - first, 0) - (first > 0 ? 1 : 0);
  if (bottom / v.lineHeight <= drawn) v.frozen = true;
  if (v.store->lineCount > v.paintedCount) {
    v.paintedCount = v.store->lineCount;
    setFileMenuGrey(wnd, kGrowthEntries, 2, true);
  } else {
    v.idle = true;
    v.frozen = true;
    setFileMenuGrey(wnd, kGrowthEntries, 2, false);
  }
  SetScrollRange(wnd, SB_HORZ, 0, v.horzMax, FALSE);
  EndPaint(wnd, &ps);
}

LRESULT onPaint(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TraceView &v = traceView;
  if (!v.frozen && v.cachedFile != nullptr) {
    paint(wnd);
    return 0;
  }
  if (v.frozen && v.idle && v.store != nullptr && v.store->lineCount > v.paintedCount) {
    // A new run has begun after the trace stood still.
    v.idle = false;
    v.frozen = false;
    v.paintedCount = v.store->lineCount;
    setFileMenuGrey(wnd, kGrowthEntries, 2, true);
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

// Moves the view by step (already clamped) and paints at once.
void applyScroll(HWND wnd, int bar, int step) {
  TraceView &v = traceView;
  v.frozen = false;
  if (bar == SB_VERT) {
    v.topLine += step;
    ScrollWindow(wnd, 0, -v.lineHeight * step, nullptr, nullptr);
    SetScrollPos(wnd, SB_VERT, v.topLine, TRUE);
  } else {
    v.leftCol += step;
    ScrollWindow(wnd, -v.charWidth * step, 0, nullptr, nullptr);
    SetScrollPos(wnd, SB_HORZ, v.leftCol, TRUE);
  }
  invalidate(wnd);
  UpdateWindow(wnd);
  v.frozen = true;
}

void onVScroll(HWND wnd, WPARAM wParam) {
  TraceView &v = traceView;
  const int page = std::max(1, v.clientHeight / v.lineHeight);
  int step = 0;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: step = -1; break;
    case SB_LINEDOWN: step = 1; break;
    case SB_PAGEUP: step = -page; break;
    case SB_PAGEDOWN: step = page; break;
    case SB_THUMBTRACK:
      step = HIWORD(wParam) - v.topLine;
      if (std::abs(step) > kThumbWrapDistance) step += 65536;
      break;
    case SB_TOP: step = -v.topLine; break;
    case SB_BOTTOM: step = v.vertMax - v.topLine; break;
    default: break;
  }
  step = std::max(std::min(step, v.vertMax - v.topLine), -v.topLine);
  if (step != 0) applyScroll(wnd, SB_VERT, step);
}

void onHScroll(HWND wnd, WPARAM wParam) {
  TraceView &v = traceView;
  int step = 0;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT: step = -1; break;
    case SB_LINERIGHT: step = 1; break;
    case SB_PAGELEFT: step = -kHorzPage; break;
    case SB_PAGERIGHT: step = kHorzPage; break;
    case SB_THUMBPOSITION: step = HIWORD(wParam) - v.leftCol; break;
    default: break;
  }
  step = std::max(std::min(step, v.horzMax - v.leftCol), -v.leftCol);
  if (step != 0) applyScroll(wnd, SB_HORZ, step);
}

void onKeyDown(HWND wnd, WPARAM key) {
  struct KeyScroll {
    WPARAM key;
    UINT msg;
    WPARAM code;
  };
  static constexpr KeyScroll kKeys[] = {
      {VK_PRIOR, WM_VSCROLL, SB_PAGEUP},   {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN},
      {VK_END, WM_VSCROLL, SB_BOTTOM},     {VK_HOME, WM_VSCROLL, SB_TOP},
      {VK_LEFT, WM_HSCROLL, SB_PAGELEFT},  {VK_UP, WM_VSCROLL, SB_LINEUP},
      {VK_RIGHT, WM_HSCROLL, SB_PAGERIGHT}, {VK_DOWN, WM_VSCROLL, SB_LINEDOWN},
  };
  for (const KeyScroll &k : kKeys)
    if (k.key == key) SendMessageA(wnd, k.msg, k.code, 0);
}

void resetCommand(HWND wnd) {
  TraceView &v = traceView;
  if (v.cachedFirst == nullptr) return;
  v.frozen = true;
  v.idle = false;
  resetViewState(wnd);
  ScrollWindow(wnd, 0, -v.lineHeight, nullptr, nullptr);
  SetScrollPos(wnd, SB_VERT, 0, TRUE);
  invalidate(wnd);
  UpdateWindow(wnd);
  apiResetTrace(traceWindowEnv());
  v.cachedFirst = nullptr;
  v.frozen = false;
  v.cachedFile = nullptr;
}

void onClose(HWND wnd) {
  TraceView &v = traceView;
  if (!v.closeAsked) {
    MessageBeep(0xFFFFFFFF);
    if (MessageBoxA(wnd, "Do You Really Want To Exit?", "Warning", MB_YESNO | MB_ICONQUESTION) ==
        IDNO)
      return;
  }
  if (!v.idle && v.paintedCount != 0) {
    MessageBoxA(wnd, "Encoder/Decoder Appears To Be Running.  Please Wait Until It Exits...",
                "Info", MB_ICONASTERISK);
    v.closeAsked = true;
    return;
  }
  v.closeAsked = false;
  DestroyWindow(wnd);
}

void onCreate(HWND wnd, LPARAM lParam) {
  TraceView &v = traceView;
  v.instance = reinterpret_cast<const CREATESTRUCTA *>(lParam)->hInstance;
  HDC dc = GetDC(wnd);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  ReleaseDC(wnd, dc);
  v.charWidth = tm.tmAveCharWidth;
  v.lineHeight = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
  v.vertMax = 1;
  v.horzMax = 8;
}

void onDestroy(HWND wnd) {
  TraceView &v = traceView;
  UnregisterClassA(kTraceClassName, v.instance);
  traceWindowEnv()->trace.traceWnd = nullptr;
  SendMessageA(wnd, WM_COMMAND, kCmdReset, 0);
  releaseTraceWindow();
}

LRESULT onCommand(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case kCmdSave: runSaveCommand(wnd); return 0;
    case kCmdReset: resetCommand(wnd); return 0;
    case kCmdAbout:
      if (DialogBoxParamA(traceView.instance, kAboutDialogName, wnd, aboutDlgProc, 0) ==
          -1)
        showErrorBox(wnd, "Cannot Create a Dialog Box");
      return 0;
    case kCmdQuit: SendMessageA(wnd, WM_CLOSE, wParam, 0); return 0;
    default: return DefWindowProcA(wnd, msg, wParam, lParam);
  }
}

}  // namespace

void resetTraceView() { traceView = TraceView{}; }

void setFileMenuGrey(HWND wnd, const int *positions, int count, bool grey) {
  HMENU file = GetSubMenu(GetMenu(wnd), kFileMenuPos);
  for (int i = 0; i < count; ++i)
    EnableMenuItem(file, positions[i], MF_BYPOSITION | (grey ? MF_GRAYED : MF_ENABLED));
}

LRESULT CALLBACK traceWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TraceView &v = traceView;
  bindAndRefresh(wnd);
  switch (msg) {
    case WM_CREATE: onCreate(wnd, lParam); return 0;
    case WM_DESTROY: onDestroy(wnd); return 0;
    case WM_MOVE:
    case WM_ACTIVATE:
    case WM_GETTEXT:
    case WM_GETMINMAXINFO:
    case WM_ICONERASEBKGND:
    case WM_WINDOWPOSCHANGING:
      v.frozen = false;
      invalidate(wnd);
      return DefWindowProcA(wnd, msg, wParam, lParam);
    case WM_SIZE:
      v.clientHeight = HIWORD(lParam);
      SetScrollRange(wnd, SB_VERT, 0, v.vertMax, FALSE);
      SetScrollPos(wnd, SB_VERT, v.topLine, TRUE);
      SetScrollRange(wnd, SB_HORZ, 0, v.horzMax, FALSE);
      SetScrollPos(wnd, SB_HORZ, v.leftCol, TRUE);
      v.frozen = false;
      invalidate(wnd);
      UpdateWindow(wnd);
      return 0;
    case WM_PAINT: return onPaint(wnd, msg, wParam, lParam);
    case WM_CLOSE: onClose(wnd); return 0;
    case WM_KEYDOWN: onKeyDown(wnd, wParam); return 0;
    case WM_COMMAND: return onCommand(wnd, msg, wParam, lParam);
    case WM_VSCROLL: onVScroll(wnd, wParam); return 0;
    case WM_HSCROLL: onHScroll(wnd, wParam); return 0;
    default:
      invalidate(wnd);
      return DefWindowProcA(wnd, msg, wParam, lParam);
  }
}

INT_PTR CALLBACK aboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

}  // namespace zur::tracewin
