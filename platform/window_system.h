// The window system of the trace window. The window code is written once,
// against the Win32 names it calls. On Windows they are user32 and gdi32; on
// POSIX the platform layer carries a headless implementation of exactly these
// calls (window_headless.cpp), which tests drive and read back through
// window_headless_control.h.
//
// The user-data word is reached with SetWindowLongPtrA/GetWindowLongPtrA and
// GWLP_USERDATA: on 32-bit Windows they are SetWindowLongA/GetWindowLongA and
// GWL_USERDATA (index -21); on 64-bit Windows only the Ptr forms hold an
// address.
#ifndef ZURBASE_PLATFORM_WINDOW_SYSTEM_H
#define ZURBASE_PLATFORM_WINDOW_SYSTEM_H

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#else

#include <cstdint>

#define WINAPI
#define CALLBACK

struct HWND__;
struct HMENU__;
struct HINSTANCE__;
struct HICON__;
struct HDC__;
struct HGDIOBJ__;
typedef HWND__ *HWND;
typedef HMENU__ *HMENU;
typedef HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef HICON__ *HICON;
typedef HICON HCURSOR;
typedef HDC__ *HDC;
typedef HGDIOBJ__ *HGDIOBJ;
typedef HGDIOBJ HBRUSH;

typedef int BOOL;
typedef unsigned int UINT;
typedef std::int32_t LONG;
typedef std::uint32_t DWORD;
typedef std::uint16_t WORD;
typedef std::uint16_t ATOM;
typedef std::uint8_t BYTE;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::intptr_t INT_PTR;
typedef std::intptr_t LONG_PTR;
typedef const char *LPCSTR;
typedef char *LPSTR;
typedef void *LPVOID;

#define TRUE 1
#define FALSE 0

#define LOWORD(l) ((WORD)(((std::uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((std::uintptr_t)(l)) >> 16) & 0xffff))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)((WORD)(l) | ((DWORD)(WORD)(h) << 16)))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)((WORD)(l) | ((DWORD)(WORD)(h) << 16)))
#define MAKEINTRESOURCEA(i) ((LPSTR)(std::uintptr_t)(WORD)(i))
#define IS_INTRESOURCE(p) ((((std::uintptr_t)(p)) >> 16) == 0)

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);

struct RECT {
  LONG left, top, right, bottom;
};
typedef RECT *LPRECT;
struct POINT {
  LONG x, y;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct TEXTMETRICA {
  LONG tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading;
  LONG tmAveCharWidth, tmMaxCharWidth, tmWeight, tmOverhang;
  LONG tmDigitizedAspectX, tmDigitizedAspectY;
  BYTE tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
  BYTE tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG *LPMSG;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy, cx, y, x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

// Messages.
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_GETMINMAXINFO 0x0024
#define WM_ICONERASEBKGND 0x0027
#define WM_WINDOWPOSCHANGING 0x0046
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_USER 0x0400
#define EM_LIMITTEXT 0x00C5

// Scroll bars and scroll codes.
#define SB_HORZ 0
#define SB_VERT 1
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

// Virtual keys.
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28

// Message boxes and dialog results.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONASTERISK 0x00000040L
#define MB_TYPEMASK 0x0000000FL
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// Menus.
#define MF_BYCOMMAND 0x00000000L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_POPUP 0x00000010L
#define MF_SEPARATOR 0x00000800L
#define MF_BYPOSITION 0x00000400L

// Windows, classes and painting.
#define GWLP_USERDATA (-21)
#define GWLP_WNDPROC (-4)
#define CW_USEDEFAULT ((int)0x80000000)
#define SW_HIDE 0
#define SW_SHOW 5
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define WS_VISIBLE 0x10000000L
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define WHITE_BRUSH 0
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define SIZE_RESTORED 0
#define BN_CLICKED 0

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);

ATOM WINAPI RegisterClassA(const WNDCLASSA *wndClass);
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
BOOL WINAPI DestroyWindow(HWND wnd);
BOOL WINAPI IsWindow(HWND wnd);
BOOL WINAPI ShowWindow(HWND wnd, int showCmd);
BOOL WINAPI UpdateWindow(HWND wnd);
HWND WINAPI SetFocus(HWND wnd);
LRESULT WINAPI DefWindowProcA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LONG_PTR WINAPI SetWindowLongPtrA(HWND wnd, int index, LONG_PTR value);
LONG_PTR WINAPI GetWindowLongPtrA(HWND wnd, int index);
LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

LRESULT WINAPI SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PeekMessageA(LPMSG msg, HWND wnd, UINT filterMin, UINT filterMax, UINT remove);
BOOL WINAPI TranslateMessage(const MSG *msg);
LRESULT WINAPI DispatchMessageA(const MSG *msg);

BOOL WINAPI InvalidateRect(HWND wnd, const RECT *rect, BOOL erase);
BOOL WINAPI ValidateRect(HWND wnd, const RECT *rect);
BOOL WINAPI GetClientRect(HWND wnd, LPRECT rect);
HDC WINAPI BeginPaint(HWND wnd, PAINTSTRUCT *paint);
BOOL WINAPI EndPaint(HWND wnd, const PAINTSTRUCT *paint);
HDC WINAPI GetDC(HWND wnd);
int WINAPI ReleaseDC(HWND wnd, HDC dc);
BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA *metrics);
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
HGDIOBJ WINAPI GetStockObject(int object);
BOOL WINAPI ScrollWindow(HWND wnd, int dx, int dy, const RECT *rect, const RECT *clip);

int WINAPI SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, BOOL redraw);
int WINAPI SetScrollPos(HWND wnd, int bar, int pos, BOOL redraw);
int WINAPI GetScrollPos(HWND wnd, int bar);

HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR name);
HMENU WINAPI GetMenu(HWND wnd);
HMENU WINAPI GetSubMenu(HMENU menu, int pos);
BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT enable);
UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags);
int WINAPI GetMenuItemCount(HMENU menu);
UINT WINAPI GetMenuItemID(HMENU menu, int pos);
int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR text, int max, UINT flags);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL WINAPI MessageBeep(UINT type);
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int max);

#endif  // _WIN32

#endif
