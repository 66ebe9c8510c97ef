// The headless window system: the Win32 calls of the trace window, without a
// display. Windows are records with a procedure, a user-data word, a message
// queue, scroll bars, a menu and a canvas of text cells. It runs on the one
// thread that owns the trace window, like the window itself, and keeps no
// more than that window needs.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "platform/window_headless_control.h"
#include "platform/window_resources.h"
#include "platform/window_system.h"

struct HMENU__ {
  struct Item {
    UINT id;
    std::string text;
    UINT state;  // MF_GRAYED, MF_DISABLED, MF_SEPARATOR, MF_POPUP bits
    HMENU popup;
  };
  std::vector<Item> items;
};

struct HWND__ {
  struct ScrollBar {
    int minPos = 0, maxPos = 100, pos = 0;
  };
  std::string className;
  WNDPROC proc = nullptr;
  DLGPROC dialogProc = nullptr;
  LONG_PTR userData = 0;
  std::deque<MSG> queue;
  HMENU menu = nullptr;
  ScrollBar bars[2];
  int width = zur::headless::kDefaultClientWidth;
  int height = zur::headless::kDefaultClientHeight;
  std::vector<std::string> canvas;
  bool invalid = false;
  bool visible = false;
  // Dialogs and their controls.
  HWND parent = nullptr;
  int controlId = 0;
  std::string text;
  int textLimit = 0;
  bool ended = false;
  INT_PTR result = 0;
  std::vector<HWND> children;
};

// Handles of things that need no state of their own.
struct HINSTANCE__ {};
struct HICON__ {};
struct HGDIOBJ__ {};

namespace {

HINSTANCE__ programModule, libraryModule;
HICON__ iconHandle, arrowCursor;
HGDIOBJ__ whiteBrush;

struct WindowClass {
  std::string name;
  HINSTANCE instance;
  WNDPROC proc;
};

struct State {
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<HWND__>> windows;
  std::vector<std::unique_ptr<HMENU__>> menus;
  HWND focus = nullptr;
  std::vector<zur::headless::ShownBox> boxes;
  zur::headless::BoxResponder boxResponder;
  zur::headless::DialogResponder dialogResponder;
  int beeps = 0;
};

State &state() {
  static State s;
  return s;
}

HWND live(HWND wnd) {
  for (auto &w : state().windows)
    if (w.get() == wnd) return wnd;
  return nullptr;
}

HMENU liveMenu(HMENU menu) {
  for (auto &m : state().menus)
    if (m.get() == menu) return menu;
  return nullptr;
}

HDC dcOf(HWND wnd) { return reinterpret_cast<HDC>(wnd); }
HWND wndOf(HDC dc) { return live(reinterpret_cast<HWND>(dc)); }

void fitCanvas(HWND w) {
  int rows = w->height / zur::headless::kCellHeight;
  int cols = w->width / zur::headless::kCellWidth;
  w->canvas.resize(static_cast<std::size_t>(std::max(rows, 0)));
  for (auto &row : w->canvas) row.resize(static_cast<std::size_t>(std::max(cols, 0)), ' ');
}

HMENU newMenu() {
  state().menus.push_back(std::make_unique<HMENU__>());
  return state().menus.back().get();
}

void destroyMenuTree(HMENU menu) {
  if (liveMenu(menu) == nullptr) return;
  for (auto &item : menu->items)
    if (item.popup != nullptr) destroyMenuTree(item.popup);
  std::erase_if(state().menus, [menu](const auto &m) { return m.get() == menu; });
}

HMENU__::Item *menuItem(HMENU menu, UINT item, UINT flags) {
  if (liveMenu(menu) == nullptr) return nullptr;
  if (flags & MF_BYPOSITION) return item < menu->items.size() ? &menu->items[item] : nullptr;
  for (auto &entry : menu->items) {
    if (!(entry.state & MF_POPUP) && !(entry.state & MF_SEPARATOR) && entry.id == item)
      return &entry;
    if (entry.popup != nullptr)
      if (auto *inner = menuItem(entry.popup, item, flags)) return inner;
  }
  return nullptr;
}

bool nameIs(const char *name, LPCSTR wanted) {
  return wanted != nullptr && !IS_INTRESOURCE(wanted) && strcasecmp(name, wanted) == 0;
}

HWND findControl(HWND dialog, int id) {
  if (live(dialog) == nullptr) return nullptr;
  for (HWND child : dialog->children)
    if (child->controlId == id) return child;
  return nullptr;
}

HWND newWindow() {
  state().windows.push_back(std::make_unique<HWND__>());
  return state().windows.back().get();
}

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return &programModule;
  if (strcasecmp(moduleName, zur::platform::libraryResources().moduleName) == 0)
    return &libraryModule;
  return nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA *wndClass) {
  auto &classes = state().classes;
  for (auto &c : classes)
    if (strcasecmp(c.name.c_str(), wndClass->lpszClassName) == 0) return 0;
  classes.push_back({wndClass->lpszClassName, wndClass->hInstance, wndClass->lpfnWndProc});
  return static_cast<ATOM>(0xC000 + classes.size());
}

// Like Win32, a class that still has windows stays registered.
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  auto &s = state();
  for (auto &w : s.windows)
    if (strcasecmp(w->className.c_str(), className) == 0) return FALSE;
  auto n = std::erase_if(s.classes, [&](const WindowClass &c) {
    return strcasecmp(c.name.c_str(), className) == 0 && c.instance == instance;
  });
  return n != 0;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int,
                            int, int, int, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
  const WindowClass *cls = nullptr;
  for (auto &c : state().classes)
    if (strcasecmp(c.name.c_str(), className) == 0) cls = &c;
  if (cls == nullptr) return nullptr;
  HWND w = newWindow();
  w->className = cls->name;
  w->proc = cls->proc;
  w->menu = liveMenu(menu);
  w->parent = parent;
  w->text = windowName != nullptr ? windowName : "";
  w->visible = (style & WS_VISIBLE) != 0;
  fitCanvas(w);
  CREATESTRUCTA create{
      param,      instance,  menu,   parent, w->height, w->width, 0, 0, static_cast<LONG>(style),
      windowName, className, exStyle};
  if (w->proc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  w->proc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width, w->height));
  w->proc(w, WM_MOVE, 0, 0);
  w->invalid = true;
  return w;
}

BOOL WINAPI DestroyWindow(HWND wnd) {
  if (live(wnd) == nullptr) return FALSE;
  if (wnd->proc != nullptr) {
    wnd->proc(wnd, WM_DESTROY, 0, 0);
    wnd->proc(wnd, WM_NCDESTROY, 0, 0);
  }
  for (HWND child : wnd->children) DestroyWindow(child);
  destroyMenuTree(wnd->menu);
  auto &s = state();
  if (s.focus == wnd) s.focus = nullptr;
  std::erase_if(s.windows, [wnd](const auto &w) { return w.get() == wnd; });
  return TRUE;
}

BOOL WINAPI IsWindow(HWND wnd) { return live(wnd) != nullptr; }

BOOL WINAPI ShowWindow(HWND wnd, int showCmd) {
  if (live(wnd) == nullptr) return FALSE;
  BOOL was = wnd->visible;
  wnd->visible = showCmd != SW_HIDE;
  return was;
}

BOOL WINAPI UpdateWindow(HWND wnd) {
  if (live(wnd) == nullptr) return FALSE;
  if (wnd->invalid) SendMessageA(wnd, WM_PAINT, 0, 0);
  return TRUE;
}

HWND WINAPI SetFocus(HWND wnd) {
  HWND previous = state().focus;
  state().focus = live(wnd);
  return previous;
}

LRESULT WINAPI DefWindowProcA(HWND wnd, UINT msg, WPARAM, LPARAM) {
  if (live(wnd) == nullptr) return 0;
  switch (msg) {
    case WM_PAINT:
      wnd->invalid = false;
      return 0;
    case WM_CLOSE:
      DestroyWindow(wnd);
      return 0;
    default:
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND wnd, int index, LONG_PTR value) {
  if (live(wnd) == nullptr) return 0;
  if (index == GWLP_WNDPROC)
    return reinterpret_cast<LONG_PTR>(std::exchange(wnd->proc, reinterpret_cast<WNDPROC>(value)));
  return index == GWLP_USERDATA ? std::exchange(wnd->userData, value) : 0;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND wnd, int index) {
  if (live(wnd) == nullptr) return 0;
  if (index == GWLP_WNDPROC) return reinterpret_cast<LONG_PTR>(wnd->proc);
  return index == GWLP_USERDATA ? wnd->userData : 0;
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc(wnd, msg, wParam, lParam);
}

LRESULT WINAPI SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (live(wnd) == nullptr) return 0;
  if (wnd->proc != nullptr) return wnd->proc(wnd, msg, wParam, lParam);
  if (wnd->dialogProc != nullptr) return wnd->dialogProc(wnd, msg, wParam, lParam);
  return 0;
}

BOOL WINAPI PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (live(wnd) == nullptr) return FALSE;
  wnd->queue.push_back(MSG{wnd, msg, wParam, lParam, 0, {0, 0}});
  return TRUE;
}

// Posted messages first; then, as Win32 does, a WM_PAINT while the window
// has an invalid region (it stays due until the paint validates).
BOOL WINAPI PeekMessageA(LPMSG msg, HWND wnd, UINT, UINT, UINT remove) {
  std::vector<HWND> candidates;
  if (wnd != nullptr) {
    if (live(wnd) == nullptr) return FALSE;
    candidates.push_back(wnd);
  } else {
    for (auto &w : state().windows) candidates.push_back(w.get());
  }
  for (HWND w : candidates) {
    if (!w->queue.empty()) {
      *msg = w->queue.front();
      if (remove & PM_REMOVE) w->queue.pop_front();
      return TRUE;
    }
  }
  for (HWND w : candidates) {
    if (w->invalid && w->proc != nullptr) {
      *msg = MSG{w, WM_PAINT, 0, 0, 0, {0, 0}};
      return TRUE;
    }
  }
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG *) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI InvalidateRect(HWND wnd, const RECT *, BOOL) {
  if (live(wnd) == nullptr) return FALSE;
  wnd->invalid = true;
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND wnd, const RECT *) {
  if (live(wnd) == nullptr) return FALSE;
  wnd->invalid = false;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND wnd, LPRECT rect) {
  if (live(wnd) == nullptr) return FALSE;
  *rect = RECT{0, 0, wnd->width, wnd->height};
  return TRUE;
}

HDC WINAPI BeginPaint(HWND wnd, PAINTSTRUCT *paint) {
  if (live(wnd) == nullptr) return nullptr;
  *paint = PAINTSTRUCT{};
  paint->hdc = dcOf(wnd);
  paint->rcPaint = RECT{0, 0, wnd->width, wnd->height};
  wnd->invalid = false;
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND wnd, const PAINTSTRUCT *) { return live(wnd) != nullptr; }

HDC WINAPI GetDC(HWND wnd) { return live(wnd) != nullptr ? dcOf(wnd) : nullptr; }

int WINAPI ReleaseDC(HWND wnd, HDC dc) { return live(wnd) != nullptr && dc == dcOf(wnd); }

BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA *metrics) {
  if (wndOf(dc) == nullptr) return FALSE;
  *metrics = TEXTMETRICA{};
  metrics->tmHeight = zur::headless::kCellHeight;
  metrics->tmAscent = zur::headless::kCellHeight - 3;
  metrics->tmDescent = 3;
  metrics->tmAveCharWidth = zur::headless::kCellWidth;
  metrics->tmMaxCharWidth = zur::headless::kCellWidth;
  metrics->tmWeight = 400;
  metrics->tmLastChar = 0xff;
  metrics->tmBreakChar = ' ';
  return TRUE;
}

// Text lands on whole cells; what falls outside the client area is clipped.
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  HWND w = wndOf(dc);
  if (w == nullptr || length < 0) return FALSE;
  constexpr int cw = zur::headless::kCellWidth, ch = zur::headless::kCellHeight;
  int row = y >= 0 ? y / ch : -((-y + ch - 1) / ch);
  int col = x >= 0 ? x / cw : -((-x + cw - 1) / cw);
  if (row < 0 || row >= static_cast<int>(w->canvas.size())) return TRUE;
  std::string &line = w->canvas[static_cast<std::size_t>(row)];
  for (int i = 0; i < length; ++i) {
    int c = col + i;
    if (c >= 0 && c < static_cast<int>(line.size())) line[static_cast<std::size_t>(c)] = text[i];
  }
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int object) { return object == WHITE_BRUSH ? &whiteBrush : nullptr; }

// Moves the canvas by whole cells; the uncovered part keeps its old cells
// and is left for the next paint, as the window is invalidated.
BOOL WINAPI ScrollWindow(HWND wnd, int dx, int dy, const RECT *, const RECT *) {
  if (live(wnd) == nullptr) return FALSE;
  int dc = dx / zur::headless::kCellWidth, dr = dy / zur::headless::kCellHeight;
  std::vector<std::string> old = wnd->canvas;
  int rows = static_cast<int>(old.size());
  for (int r = 0; r < rows; ++r) {
    int from = r - dr;
    if (from < 0 || from >= rows) continue;
    std::string &dst = wnd->canvas[static_cast<std::size_t>(r)];
    const std::string &src = old[static_cast<std::size_t>(from)];
    int cols = static_cast<int>(dst.size());
    for (int c = 0; c < cols; ++c) {
      int fc = c - dc;
      if (fc >= 0 && fc < cols)
        dst[static_cast<std::size_t>(c)] = src[static_cast<std::size_t>(fc)];
    }
  }
  wnd->invalid = true;
  return TRUE;
}

int WINAPI SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, BOOL) {
  if (live(wnd) == nullptr || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
  auto &b = wnd->bars[bar];
  b.minPos = minPos;
  b.maxPos = maxPos;
  b.pos = std::clamp(b.pos, minPos, std::max(minPos, maxPos));
  return TRUE;
}

int WINAPI SetScrollPos(HWND wnd, int bar, int pos, BOOL) {
  if (live(wnd) == nullptr || (bar != SB_HORZ && bar != SB_VERT)) return 0;
  auto &b = wnd->bars[bar];
  return std::exchange(b.pos, std::clamp(pos, b.minPos, std::max(b.minPos, b.maxPos)));
}

int WINAPI GetScrollPos(HWND wnd, int bar) {
  if (live(wnd) == nullptr || (bar != SB_HORZ && bar != SB_VERT)) return 0;
  return wnd->bars[bar].pos;
}

HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR name) {
  if (instance != &libraryModule) return nullptr;
  for (const auto &res : zur::platform::libraryResources().menus) {
    if (!nameIs(res.name, name)) continue;
    HMENU popup = newMenu();
    for (const auto &item : res.items) {
      if (item.text == nullptr)
        popup->items.push_back({0, "", MF_SEPARATOR, nullptr});
      else
        popup->items.push_back({static_cast<UINT>(item.id), item.text, MF_ENABLED, nullptr});
    }
    HMENU bar = newMenu();
    bar->items.push_back({0, res.popupText, MF_POPUP, popup});
    return bar;
  }
  return nullptr;
}

HMENU WINAPI GetMenu(HWND wnd) { return live(wnd) != nullptr ? wnd->menu : nullptr; }

HMENU WINAPI GetSubMenu(HMENU menu, int pos) {
  auto *item = pos >= 0 ? menuItem(menu, static_cast<UINT>(pos), MF_BYPOSITION) : nullptr;
  return item != nullptr ? item->popup : nullptr;
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  auto *entry = menuItem(menu, item, enable);
  if (entry == nullptr) return -1;
  UINT previous = entry->state & (MF_GRAYED | MF_DISABLED);
  entry->state = (entry->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(previous);
}

UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags) {
  auto *entry = menuItem(menu, item, flags);
  if (entry == nullptr) return static_cast<UINT>(-1);
  if (entry->popup != nullptr)
    return (static_cast<UINT>(entry->popup->items.size()) << 8) | (entry->state & 0xff);
  return entry->state;
}

int WINAPI GetMenuItemCount(HMENU menu) {
  return liveMenu(menu) != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU menu, int pos) {
  auto *item = pos >= 0 ? menuItem(menu, static_cast<UINT>(pos), MF_BYPOSITION) : nullptr;
  if (item == nullptr || item->popup != nullptr) return static_cast<UINT>(-1);
  return item->id;
}

int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR text, int max, UINT flags) {
  auto *entry = menuItem(menu, item, flags);
  if (entry == nullptr) return 0;
  int n = static_cast<int>(entry->text.size());
  if (text == nullptr || max <= 0) return n;
  n = std::min(n, max - 1);
  std::memcpy(text, entry->text.data(), static_cast<std::size_t>(n));
  text[n] = '\0';
  return n;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (instance != &libraryModule) return nullptr;
  for (const char *icon : zur::platform::libraryResources().icons)
    if (nameIs(icon, name)) return &iconHandle;
  return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  return instance == nullptr && name == IDC_ARROW ? &arrowCursor : nullptr;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  auto &s = state();
  zur::headless::ShownBox box{owner, text != nullptr ? text : "",
                              caption != nullptr ? caption : "Error", type};
  s.boxes.push_back(box);
  if (s.boxResponder) return s.boxResponder(box);
  std::fprintf(stderr, "[%s] %s\n", box.caption.c_str(), box.text.c_str());
  return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

BOOL WINAPI MessageBeep(UINT) {
  ++state().beeps;
  return TRUE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam) {
  if (instance != &libraryModule) return -1;
  const zur::platform::DialogRes *res = nullptr;
  for (const auto &d : zur::platform::libraryResources().dialogs)
    if (nameIs(d.name, templateName)) res = &d;
  if (res == nullptr) return -1;
  HWND dialog = newWindow();
  dialog->dialogProc = dialogProc;
  dialog->parent = owner;
  dialog->text = res->caption != nullptr ? res->caption : "";
  for (const auto &c : res->controls) {
    HWND control = newWindow();
    control->className = c.windowClass;
    control->parent = dialog;
    control->controlId = c.id;
    control->text = c.text;
    dialog->children.push_back(control);
  }
  HWND firstFocus = dialog->children.empty() ? nullptr : dialog->children.front();
  dialogProc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstFocus), initParam);
  auto &s = state();
  if (!dialog->ended && s.dialogResponder) s.dialogResponder(dialog, res->name);
  if (live(dialog) != nullptr && !dialog->ended)
    dialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  INT_PTR result = -1;
  if (live(dialog) != nullptr) {
    if (dialog->ended) result = dialog->result;
    DestroyWindow(dialog);
  }
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  if (live(dialog) == nullptr || dialog->dialogProc == nullptr) return FALSE;
  dialog->ended = true;
  dialog->result = result;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) { return findControl(dialog, id); }

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND control = findControl(dialog, id);
  if (control == nullptr) return 0;
  switch (msg) {
    case EM_LIMITTEXT:
      control->textLimit = static_cast<int>(wParam);
      return 0;
    case WM_SETTEXT:
      control->text = reinterpret_cast<const char *>(lParam);
      return TRUE;
    case WM_GETTEXT: {
      int n = std::min(static_cast<int>(control->text.size()), static_cast<int>(wParam) - 1);
      if (n < 0) return 0;
      std::memcpy(reinterpret_cast<char *>(lParam), control->text.data(),
                  static_cast<std::size_t>(n));
      reinterpret_cast<char *>(lParam)[n] = '\0';
      return n;
    }
    default:
      return 0;
  }
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int max) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, WM_GETTEXT, static_cast<WPARAM>(max),
                                               reinterpret_cast<LPARAM>(text)));
}

namespace zur::headless {

void setBoxResponder(BoxResponder responder) { state().boxResponder = std::move(responder); }
const std::vector<ShownBox> &shownBoxes() { return state().boxes; }
void clearShownBoxes() { state().boxes.clear(); }
int beepCount() { return state().beeps; }

void setDialogResponder(DialogResponder responder) {
  state().dialogResponder = std::move(responder);
}

void typeText(HWND dialog, int controlId, const std::string &text) {
  HWND control = findControl(dialog, controlId);
  if (control == nullptr) return;
  std::string typed = control->text + text;
  if (control->textLimit > 0 && typed.size() > static_cast<std::size_t>(control->textLimit))
    typed.resize(static_cast<std::size_t>(control->textLimit));
  control->text = typed;
}

void pressButton(HWND dialog, int controlId) {
  if (live(dialog) == nullptr || dialog->dialogProc == nullptr) return;
  dialog->dialogProc(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(findControl(dialog, controlId)));
}

int textLimit(HWND dialog, int controlId) {
  HWND control = findControl(dialog, controlId);
  return control != nullptr ? control->textLimit : 0;
}

std::string canvasRow(HWND wnd, int row) {
  if (live(wnd) == nullptr || row < 0 || row >= static_cast<int>(wnd->canvas.size())) return {};
  return wnd->canvas[static_cast<std::size_t>(row)];
}

int canvasRows(HWND wnd) { return live(wnd) != nullptr ? static_cast<int>(wnd->canvas.size()) : 0; }

void resizeClient(HWND wnd, int width, int height) {
  if (live(wnd) == nullptr) return;
  wnd->width = width;
  wnd->height = height;
  fitCanvas(wnd);
  SendMessageA(wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}


void resetControl() {
  auto &s = state();
  s.boxes.clear();
  s.boxResponder = nullptr;
  s.dialogResponder = nullptr;
  s.beeps = 0;
}

}  // namespace zur::headless
