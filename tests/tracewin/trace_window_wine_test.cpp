// The trace window of the shipped zurbase.dll on the real user32 (under
// wine with an X display): its French menu as loaded from the DLL, filling,
// scrolling, the save with its dialog, and closing. A CBT hook plays the
// user: it reads each dialog and message box as it is activated and answers
// it, so the test never waits for a person. A screenshot of the filled
// window is kept as trace_window.png in the test's directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>

#include <gdiplus.h>

#include "tests/tracewin/first_activation.h"
#include "zurbase/zurcore.h"

namespace {

std::vector<std::string> shown;  // caption, then the texts of the controls, per box
const char *nameToType = "";

LRESULT CALLBACK playUser(int code, WPARAM wParam, LPARAM lParam) {
  auto dialog = reinterpret_cast<HWND>(wParam);
  char text[256] = "";
  if (zurtest::firstBoxActivation(code, dialog)) {
    GetWindowTextA(dialog, text, sizeof text);
    shown.push_back(text);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      GetWindowTextA(child, text, sizeof text);
      shown.back() += std::string("|") + text;
    }
    HWND edit = GetDlgItem(dialog, 16);
    if (edit != nullptr) {
      shown.back() += "|limit " + std::to_string(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0));
      SetWindowTextA(edit, nameToType);
    }
    const int button = edit != nullptr || GetDlgItem(dialog, IDYES) == nullptr ? IDOK : IDYES;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The client area as the screen shows it, saved as a PNG by GDI+. Answers
// whether it was saved and holds more than one colour.
bool screenshot(HWND wnd, const wchar_t *path) {
  RECT rc;
  GetClientRect(wnd, &rc);
  HDC wdc = GetDC(wnd), mdc = CreateCompatibleDC(wdc);
  HBITMAP bmp = CreateCompatibleBitmap(wdc, rc.right, rc.bottom);
  HGDIOBJ old = SelectObject(mdc, bmp);
  BitBlt(mdc, 0, 0, rc.right, rc.bottom, wdc, 0, 0, SRCCOPY);
  bool drawn = false;
  for (int i = 0; i < rc.right * rc.bottom && !drawn; ++i)
    drawn = GetPixel(mdc, i % rc.right, i / rc.right) != GetPixel(mdc, 0, 0);
  SelectObject(mdc, old);
  const CLSID pngEncoder = {0x557cf406, 0x1a04, 0x11d3,
                            {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  const bool saved = Gdiplus::Bitmap(bmp, nullptr).Save(path, &pngEncoder, nullptr) == Gdiplus::Ok;
  Gdiplus::GdiplusShutdown(token);
  DeleteObject(bmp);
  DeleteDC(mdc);
  ReleaseDC(wnd, wdc);
  return saved && drawn;
}

template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

TEST(RealTraceWindow, ShowsFillsScrollsSavesAndCloses) {
  HHOOK hook = SetWindowsHookExA(WH_CBT, playUser, nullptr, GetCurrentThreadId());
  Env *env = zurcoreCreateEnv(apiTbl);
  ASSERT_EQ(entry<ApiOpenTraceWindowFn>(SLOT_OPEN_TRACE_WINDOW)(env), 0);
  auto wnd = static_cast<HWND>(env->trace.traceWnd);
  char text[128] = "";
  GetWindowTextA(wnd, text, sizeof text);
  EXPECT_STREQ(text, "Trace Info Window");

  // The French menu, from the DLL's resource, in code page 1252.
  HMENU file = GetSubMenu(GetMenu(wnd), 0);
  GetMenuStringA(GetMenu(wnd), 0, text, sizeof text, MF_BYPOSITION);
  std::string menu = text;
  for (int pos = 0; pos < GetMenuItemCount(file); ++pos) {
    text[0] = '\0';
    GetMenuStringA(file, pos, text, sizeof text, MF_BYPOSITION);
    menu += "|" + std::string(text) + " " + std::to_string(GetMenuItemID(file, pos));
  }
  EXPECT_EQ(menu,
            "&Fichier|&Enregistrer sous... 101|&R\xE9initialiser 102| 0|&Quitter 105| 0|"
            "\xC0 pr&opos de Trace... 103");

  // Filled through the print hook, as the demo does, then scrolled.
  zurcoreSetPrintHook(env, entry<ApiTracePrintFn>(SLOT_TRACE_PRINT));
  for (int i = 0; i < 80; ++i) {
    const std::string octets = "trace line " + std::to_string(i);
    entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env, octets.data(), static_cast<int32_t>(octets.size()));
  }
  const int lines = env->trace.lineCount;
  const struct {
    UINT msg;
    WPARAM wParam;
    int bar, pos;
  } steps[] = {{WM_KEYDOWN, VK_END, SB_VERT, lines},
               {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40), SB_VERT, 40},
               {WM_KEYDOWN, VK_HOME, SB_VERT, 0},
               {WM_KEYDOWN, VK_RIGHT, SB_HORZ, 8},
               {WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), SB_HORZ, 0}};
  for (const auto &s : steps) {
    SendMessageA(wnd, s.msg, s.wParam, 0);
    EXPECT_EQ(GetScrollPos(wnd, s.bar), s.pos) << s.msg << " " << s.wParam;
  }
  EXPECT_TRUE(screenshot(wnd, L"trace_window.png")) << "not saved, or nothing drawn";

  // Saved under a typed name (16 characters; the field keeps 15): the stored
  // lines with CR LF line ends.
  nameToType = "zt_wine_save.txt";
  SendMessageA(wnd, WM_COMMAND, 101, 0);
  ASSERT_EQ(shown.size(), 2u) << ::testing::PrintToString(shown);
  EXPECT_EQ(shown[0], "|&Nom de fichier\xA0:||OK|Annuler|limit 15");
  EXPECT_EQ(shown[1].substr(0, 5), "Info|");
  EXPECT_NE(shown[1].find("|File zt_wine_save.tx Was Successfully Written"), std::string::npos)
      << shown[1];
  std::ifstream in("zt_wine_save.tx", std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), {});
  in.close();
  std::remove("zt_wine_save.tx");
  std::string expected;  // the store's file with CR LF line ends
  std::rewind(env->trace.tmpFile);
  for (int c; (c = std::fgetc(env->trace.tmpFile)) != EOF;)
    expected += c == '\n' ? "\r\n" : std::string(1, static_cast<char>(c));
  EXPECT_EQ(saved, expected);

  // Closed once a repaint has found no new line: the question, then destruction.
  SendMessageA(wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
  SendMessageA(wnd, WM_COMMAND, 105, 0);
  ASSERT_EQ(shown.size(), 3u) << ::testing::PrintToString(shown);
  EXPECT_EQ(shown[2].substr(0, 8), "Warning|");
  EXPECT_NE(shown[2].find("|Do You Really Want To Exit?"), std::string::npos) << shown[2];
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(env->trace.tmpFile, nullptr);
  zurcoreDestroyEnv(env);
  UnhookWindowsHookEx(hook);
}

}  // namespace
