// The trace window of the shipped zurbase.dll on the real user32 (under
// wine with an X display): its French menu and dialogs as loaded from the
// DLL's resources, filling, scrolling, the about box, the save with its
// file-name dialog, and closing. A CBT hook plays the user: it reads every
// dialog and message box as it is activated and answers it, so the test
// never waits for a person. A screenshot of the filled window is kept as
// trace_window.png in the test's directory.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>

#include "zurcore/zurcore.h"

namespace {

template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

// What the hook saw: caption, the texts of the dialog's controls, by order.
struct Shown {
  std::string caption;
  std::vector<std::string> texts;
};
std::vector<Shown> shown;
const char *nameToType = nullptr;
int editLimit = -1;

BOOL CALLBACK collectText(HWND child, LPARAM into) {
  char text[256] = "";
  GetWindowTextA(child, text, sizeof text);
  reinterpret_cast<std::vector<std::string> *>(into)->push_back(text);
  return TRUE;
}

void click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

LRESULT CALLBACK userHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dialog = reinterpret_cast<HWND>(wParam);
    char cls[32] = "";
    GetClassNameA(dialog, cls, sizeof cls);
    if (std::string(cls) == "#32770") {
      Shown s;
      char caption[128] = "";
      GetWindowTextA(dialog, caption, sizeof caption);
      s.caption = caption;
      EnumChildWindows(dialog, collectText, reinterpret_cast<LPARAM>(&s.texts));
      shown.push_back(s);
      if (HWND edit = GetDlgItem(dialog, 16)) {
        editLimit = static_cast<int>(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0));
        SetWindowTextA(edit, nameToType);
        click(dialog, IDOK);
      } else {
        click(dialog, GetDlgItem(dialog, IDYES) != nullptr ? IDYES : IDOK);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool contains(const Shown &s, const std::string &text) {
  for (const std::string &t : s.texts)
    if (t == text) return true;
  return false;
}

// A PNG of width x height RGB pixels, stored without compression: the
// deflate stream is made of stored blocks.
void writePng(const char *path, int width, int height, const std::vector<unsigned char> &rgb) {
  std::vector<unsigned char> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + y * width * 3, rgb.begin() + (y + 1) * width * 3);
  }
  auto be32 = [](std::vector<unsigned char> &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
  };
  std::vector<unsigned char> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (size_t at = 0; at < raw.size(); at += 65535) {
    const uint16_t n = static_cast<uint16_t>(std::min<size_t>(65535, raw.size() - at));
    z.insert(z.end(), {static_cast<unsigned char>(at + n == raw.size()), static_cast<unsigned char>(n),
                       static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(~n),
                       static_cast<unsigned char>(~n >> 8)});
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
  }
  for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  be32(z, (b << 16) | a);
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  auto chunk = [&](const char *type, const std::vector<unsigned char> &data) {
    be32(png, static_cast<uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    uint32_t crc = 0xffffffff;
    for (unsigned char c : body) {
      crc ^= c;
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    png.insert(png.end(), body.begin(), body.end());
    be32(png, ~crc);
  };
  std::vector<unsigned char> header;
  be32(header, width);
  be32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});
  chunk("IHDR", header);
  chunk("IDAT", z);
  chunk("IEND", {});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(png.data()), png.size());
}

// The client area as it is on the screen; answers the number of colours
// seen (more than one when text was drawn).
int screenshot(HWND wnd, const char *path) {
  RECT rc;
  GetClientRect(wnd, &rc);
  const int w = rc.right, h = rc.bottom;
  HDC wdc = GetDC(wnd);
  HDC mdc = CreateCompatibleDC(wdc);
  HBITMAP bmp = CreateCompatibleBitmap(wdc, w, h);
  HGDIOBJ old = SelectObject(mdc, bmp);
  BitBlt(mdc, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
  SelectObject(mdc, old);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> bgr(static_cast<size_t>(stride) * h), rgb;
  GetDIBits(mdc, bmp, 0, h, bgr.data(), &bi, DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mdc);
  ReleaseDC(wnd, wdc);
  std::vector<uint32_t> colours;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned char *p = &bgr[static_cast<size_t>(y) * stride + x * 3];
      rgb.insert(rgb.end(), {p[2], p[1], p[0]});
      const uint32_t c = p[0] | p[1] << 8 | p[2] << 16;
      if (colours.size() < 2 && (colours.empty() || colours[0] != c)) colours.push_back(c);
    }
  writePng(path, w, h, rgb);
  return static_cast<int>(colours.size());
}

class RealTraceWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    shown.clear();
    hook = SetWindowsHookExA(WH_CBT, userHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    env = zurcoreCreateEnv(apiTbl);
    ASSERT_EQ(entry<ApiOpenTraceWindowFn>(SLOT_OPEN_TRACE_WINDOW)(env), 0);
    wnd = static_cast<HWND>(env->trace.traceWnd);
    ASSERT_TRUE(IsWindow(wnd));
    zurcoreSetPrintHook(env, entry<ApiTracePrintFn>(SLOT_TRACE_PRINT));
  }
  void TearDown() override {
    if (IsWindow(wnd)) DestroyWindow(wnd);
    zurcoreDestroyEnv(env);
    UnhookWindowsHookEx(hook);
  }
  void print(const std::string &text) {
    entry<ApiTracePrintFn>(SLOT_TRACE_PRINT)(env, "%s", reinterpret_cast<ApiWord>(text.c_str()),
                                             0, 0, 0, 0, 0, 0, 0, 0, 0);
  }

  HHOOK hook = nullptr;
  Env *env = nullptr;
  HWND wnd = nullptr;
};

TEST_F(RealTraceWindow, ShowsFillsScrollsSavesAndCloses) {
  char text[128];
  GetWindowTextA(wnd, text, sizeof text);
  EXPECT_STREQ(text, "Trace Info Window");

  // The French menu, from the DLL's resource, in code page 1252.
  HMENU bar = GetMenu(wnd);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Fichier");
  HMENU file = GetSubMenu(bar, 0);
  const struct {
    int id;
    const char *text;
  } items[] = {{101, "&Enregistrer sous..."}, {102, "&R\xE9initialiser"}, {0, ""},
               {105, "&Quitter"},             {0, ""},                   {103, "\xC0 pr&opos de Trace..."}};
  ASSERT_EQ(GetMenuItemCount(file), 6);
  for (int pos = 0; pos < 6; ++pos) {
    text[0] = '\0';
    GetMenuStringA(file, pos, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, items[pos].text) << pos;
    if (items[pos].id != 0) {
      EXPECT_EQ(GetMenuItemID(file, pos), static_cast<UINT>(items[pos].id));
    }
  }

  // Filled through the print hook: a hex dump and numbered lines.
  std::vector<unsigned char> octets(96);
  for (size_t i = 0; i < octets.size(); ++i) octets[i] = static_cast<unsigned char>(i * 7);
  entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env, octets.data(), static_cast<int32_t>(octets.size()));
  std::string stored;
  for (int i = 0; i < 80; ++i) {
    const std::string line = "trace line " + std::to_string(i) + "\tend\n";
    stored += line;
    print(line);
  }
  const int lines = env->trace.lineCount;
  EXPECT_GE(lines, 83);
  EXPECT_TRUE(GetMenuState(file, 0, MF_BYPOSITION) & MF_GRAYED);  // the trace grows

  // Scrolled; the vertical range follows the store.
  int minPos = -1, maxPos = -1;
  GetScrollRange(wnd, SB_VERT, &minPos, &maxPos);
  EXPECT_EQ(maxPos, lines);
  const struct {
    UINT msg;
    WPARAM wParam;
    int bar, pos;
  } steps[] = {{WM_KEYDOWN, VK_DOWN, SB_VERT, 1},  {WM_KEYDOWN, VK_DOWN, SB_VERT, 2},
               {WM_KEYDOWN, VK_END, SB_VERT, lines}, {WM_KEYDOWN, VK_HOME, SB_VERT, 0},
               {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40), SB_VERT, 40},
               {WM_HSCROLL, SB_LINERIGHT, SB_HORZ, 1}, {WM_KEYDOWN, VK_RIGHT, SB_HORZ, 9},
               {WM_KEYDOWN, VK_LEFT, SB_HORZ, 1},   {WM_HSCROLL, SB_LINELEFT, SB_HORZ, 0},
               {WM_KEYDOWN, VK_HOME, SB_VERT, 0}};
  for (const auto &s : steps) {
    SendMessageA(wnd, s.msg, s.wParam, 0);
    EXPECT_EQ(GetScrollPos(wnd, s.bar), s.pos) << s.msg << " " << s.wParam;
  }
  EXPECT_GT(screenshot(wnd, "trace_window.png"), 1) << "nothing drawn";

  // Quitting while the trace grows: the question, then the running notice.
  PostMessageA(wnd, WM_COMMAND, 105, 0);
  print("one more line\n");
  stored += "one more line\n";
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].caption, "Warning");
  EXPECT_TRUE(contains(shown[0], "Do You Really Want To Exit?"));
  EXPECT_EQ(shown[1].caption, "Info");
  EXPECT_TRUE(contains(shown[1], "Encoder/Decoder Appears To Be Running.  Please Wait Until It Exits..."));
  EXPECT_TRUE(IsWindow(wnd));

  // The about box and its three lines.
  shown.clear();
  SendMessageA(wnd, WM_COMMAND, 103, 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "\xC0 propos de Trace");
  for (const char *line : {"Trace Info Window", "zurbase", "Version 1.0", "OK"})
    EXPECT_TRUE(contains(shown[0], line)) << line;

  // Saved under a typed name: the dialog, the copy, the success message.
  shown.clear();
  nameToType = "zt_wine_save.txt";  // 16 characters: the field keeps 15
  std::remove("zt_wine_save.tx");
  SendMessageA(wnd, WM_COMMAND, 101, 0);
  EXPECT_EQ(editLimit, 15);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].caption, "");
  EXPECT_TRUE(contains(shown[0], "&Nom de fichier\xA0:"));
  EXPECT_TRUE(contains(shown[0], "Annuler"));
  EXPECT_EQ(shown[1].caption, "Info");
  EXPECT_TRUE(contains(shown[1], "File zt_wine_save.tx Was Successfully Written"));
  std::ifstream in("zt_wine_save.tx", std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), {});
  std::string tail;
  for (char c : stored) tail += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_GE(saved.size(), tail.size());
  EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
  size_t lineFeeds = 0, lineEnds = 0;
  for (size_t i = 0; i < saved.size(); ++i)
    if (saved[i] == '\n') ++lineFeeds, lineEnds += i > 0 && saved[i - 1] == '\r';
  EXPECT_EQ(lineEnds, lineFeeds);
  in.close();
  std::remove("zt_wine_save.tx");

  // Closed once the run has ended: the question, then destruction.
  shown.clear();
  RECT rc;
  GetClientRect(wnd, &rc);
  SendMessageA(wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));  // a repaint
  SendMessageA(wnd, WM_COMMAND, 105, 0);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(env->trace.traceWnd, nullptr);
  EXPECT_EQ(env->trace.tmpFile, nullptr);
  ASSERT_EQ(shown.size(), 0u) << "a quit after a refused one skips the question";
}

}  // namespace
