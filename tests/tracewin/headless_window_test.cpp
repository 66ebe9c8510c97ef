// The headless window system: what the trace window relies on beyond the
// store's own tests, read back the way tests of the window will read it.
#include <gtest/gtest.h>

#include <string>

#include "platform/window_headless_control.h"
#include "platform/window_system.h"
#include "tracewin/trace_resources.h"

namespace zurtest {
namespace {

namespace hl = zur::headless;
namespace tw = zur::tracewin;

LRESULT CALLBACK plainProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

class HeadlessWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    hl::resetControl();
    WNDCLASSA cls{};
    cls.lpfnWndProc = plainProc;
    cls.lpszClassName = "HeadlessTest";
    RegisterClassA(&cls);
    wnd_ = CreateWindowExA(0, "HeadlessTest", "t", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                           LoadMenuA(GetModuleHandleA("ZURBASE.DLL"), tw::kMenuName), nullptr,
                           nullptr);
    ASSERT_NE(wnd_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(wnd_);
    hl::resetControl();
  }
  HWND wnd_ = nullptr;
};

TEST_F(HeadlessWindow, MenuIsBuiltFromTheResourceTable) {
  HMENU bar = GetMenu(wnd_);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  char text[64];
  GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Fichier");
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(file), static_cast<int>(tw::kFileMenuItems.size()));
  for (int pos = 0; pos < GetMenuItemCount(file); ++pos) {
    const auto &item = tw::kFileMenuItems[static_cast<std::size_t>(pos)];
    if (item.text == nullptr) {
      EXPECT_EQ(GetMenuState(file, static_cast<UINT>(pos), MF_BYPOSITION), UINT{MF_SEPARATOR});
      continue;
    }
    EXPECT_EQ(GetMenuItemID(file, pos), static_cast<UINT>(item.id));
    GetMenuStringA(file, static_cast<UINT>(item.id), text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, item.text);
  }
  EXPECT_EQ(EnableMenuItem(file, 1, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(file, tw::kCmdReset, MF_BYCOMMAND), UINT{MF_GRAYED});
  EXPECT_EQ(EnableMenuItem(file, 1, MF_BYPOSITION | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(file, 9, MF_BYPOSITION | MF_GRAYED), -1);
}

TEST_F(HeadlessWindow, TextOutPaintsCellsAndClips) {
  struct Case {
    int x, y;
    const char *text;
    int row;
    std::string rowStart;
  };
  const Case cases[] = {
      {0, 0, "abc", 0, "abc "},
      {-8, 16, "xyz", 1, "yz "},
      {16, 20, "q", 1, "yzq "},
      {0, -16, "gone", 0, "abc "},
      {0, 400, "gone", 24, "    "},
  };
  HDC dc = GetDC(wnd_);
  for (const Case &c : cases) {
    TextOutA(dc, c.x, c.y, c.text, static_cast<int>(std::string(c.text).size()));
    EXPECT_EQ(hl::canvasRow(wnd_, c.row).substr(0, c.rowStart.size()), c.rowStart) << c.text;
  }
  ReleaseDC(wnd_, dc);
  EXPECT_EQ(hl::canvasRows(wnd_), 25);
  ScrollWindow(wnd_, 0, -16, nullptr, nullptr);
  EXPECT_EQ(hl::canvasRow(wnd_, 0).substr(0, 4), "yzq ");
}

TEST_F(HeadlessWindow, QueueGivesPostedMessagesThenPaintWhileInvalid) {
  ValidateRect(wnd_, nullptr);
  PostMessageA(wnd_, WM_USER + 1, 1, 0);
  PostMessageA(wnd_, WM_USER + 2, 2, 0);
  InvalidateRect(wnd_, nullptr, FALSE);
  MSG msg;
  const UINT expected[] = {WM_USER + 1, WM_USER + 2, WM_PAINT};
  for (UINT want : expected) {
    ASSERT_TRUE(PeekMessageA(&msg, wnd_, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, want);
    DispatchMessageA(&msg);
  }
  EXPECT_FALSE(PeekMessageA(&msg, wnd_, 0, 0, PM_REMOVE));
}

TEST_F(HeadlessWindow, ScrollPositionStaysInRange) {
  SetScrollRange(wnd_, SB_VERT, 0, 10, FALSE);
  EXPECT_EQ(SetScrollPos(wnd_, SB_VERT, 25, TRUE), 0);
  EXPECT_EQ(GetScrollPos(wnd_, SB_VERT), 10);
  SetScrollRange(wnd_, SB_VERT, 0, 4, FALSE);
  EXPECT_EQ(GetScrollPos(wnd_, SB_VERT), 4);
}

// A file-name dialog like the trace window's: limit, OK and cancel.
char typedName[16];
INT_PTR CALLBACK nameProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) {
    SendDlgItemMessageA(dlg, tw::kFileNameField, EM_LIMITTEXT, 15, 0);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    GetDlgItemTextA(dlg, tw::kFileNameField, typedName, sizeof typedName);
    return EndDialog(dlg, 1);
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) return EndDialog(dlg, 0);
  return FALSE;
}

TEST_F(HeadlessWindow, DialogsAreAnsweredByTheResponder) {
  HINSTANCE module = GetModuleHandleA(tw::kModuleName);
  std::string seen;
  hl::setDialogResponder([&](HWND dlg, const std::string &name) {
    seen = name;
    EXPECT_EQ(hl::textLimit(dlg, tw::kFileNameField), 15);
    hl::typeText(dlg, tw::kFileNameField, "abcdefghijklmnopq");
    hl::pressButton(dlg, IDOK);
  });
  EXPECT_EQ(DialogBoxParamA(module, tw::kEnterDialogName, wnd_, nameProc, 0), 1);
  EXPECT_EQ(seen, "ENTERDLG");
  EXPECT_STREQ(typedName, "abcdefghijklmno");

  hl::setDialogResponder(nullptr);
  EXPECT_EQ(DialogBoxParamA(module, tw::kEnterDialogName, wnd_, nameProc, 0), 0);
  EXPECT_EQ(DialogBoxParamA(module, "NoSuchDialog", wnd_, nameProc, 0), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, tw::kEnterDialogName, wnd_, nameProc, 0), -1);
}

TEST_F(HeadlessWindow, MessageBoxesAreRecordedAndAnswered) {
  hl::setBoxResponder([](const hl::ShownBox &box) { return box.style & MB_YESNO ? IDNO : IDOK; });
  EXPECT_EQ(MessageBoxA(wnd_, "Quit?", "Warning", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxA(wnd_, "Done", "Info", MB_ICONASTERISK), IDOK);
  ASSERT_EQ(hl::shownBoxes().size(), 2u);
  EXPECT_EQ(hl::shownBoxes()[0].owner, wnd_);
  EXPECT_EQ(hl::shownBoxes()[0].caption, "Warning");
  EXPECT_EQ(hl::shownBoxes()[1].style, UINT{MB_ICONASTERISK});
}

}  // namespace
}  // namespace zurtest
