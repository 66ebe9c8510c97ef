#include "tests/tracewin/trace_fixture.h"

#include <cstring>

#ifndef _WIN32
#include "platform/window_headless_control.h"
#endif

namespace zurtest {

namespace {
TraceTest *spied = nullptr;
WNDPROC windowProc = nullptr;
std::string boxText(const std::string &caption, const std::string &text, UINT style) {
  return caption + "|" + text + "|" + std::to_string(style);
}
}  // namespace

#ifdef _WIN32

namespace {

HHOOK hook = nullptr;
std::vector<std::string> recorded;

// The icon a box shows, told by the shared system icon one of its statics holds.
UINT iconStyle(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if (icon == LoadIconA(nullptr, IDI_HAND)) return MB_ICONHAND;
    if (icon == LoadIconA(nullptr, IDI_QUESTION)) return MB_ICONQUESTION;
    if (icon == LoadIconA(nullptr, IDI_ASTERISK)) return MB_ICONASTERISK;
  }
  return 0;
}

LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
  auto box = reinterpret_cast<HWND>(wParam);
  char className[16] = {}, caption[256] = {}, text[512] = {};
  if (code == HCBT_ACTIVATE && GetClassNameA(box, className, sizeof className) &&
      std::strcmp(className, "#32770") == 0) {
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    UINT buttons = GetDlgItem(box, IDYES) != nullptr ? MB_YESNO : MB_OK;
    recorded.push_back(boxText(caption, text, buttons | iconStyle(box)));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

BoxRecorder::BoxRecorder() {
  recorded.clear();
  hook = SetWindowsHookExA(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
}
BoxRecorder::~BoxRecorder() { UnhookWindowsHookEx(hook); }
std::vector<std::string> BoxRecorder::boxes() const { return recorded; }
void BoxRecorder::clear() { recorded.clear(); }

#else

BoxRecorder::BoxRecorder() {
  zur::headless::resetControl();
  zur::headless::setBoxResponder([](const zur::headless::ShownBox &) { return IDOK; });
}
BoxRecorder::~BoxRecorder() { zur::headless::resetControl(); }
std::vector<std::string> BoxRecorder::boxes() const {
  std::vector<std::string> out;
  for (const auto &b : zur::headless::shownBoxes())
    out.push_back(boxText(b.caption, b.text, b.style));
  return out;
}
void BoxRecorder::clear() { zur::headless::clearShownBoxes(); }

std::string TraceTest::row(int r) const {
  std::string text = zur::headless::canvasRow(wnd, r);
  return text.erase(text.find_last_not_of(' ') + 1);
}

void TraceTest::answerDialog(const char *text) {
  fieldLimit = -1;
  zur::headless::setDialogResponder([this, text](HWND dialog, const std::string &) {
    fieldLimit = zur::headless::textLimit(dialog, 16);
    if (text != nullptr) zur::headless::typeText(dialog, 16, text);
    zur::headless::pressButton(dialog, text != nullptr ? IDOK : IDCANCEL);
  });
}

#endif

LRESULT CALLBACK TraceTest::spyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT && GetWindowLongPtrA(wnd, GWLP_USERDATA) != 0) {
    ++spied->pumps;
    if (spied->onPump) spied->onPump(spied->pumps);
    if (!IsWindow(wnd)) return 0;
  }
  return CallWindowProcA(windowProc, wnd, msg, wParam, lParam);
}

void TraceTest::SetUp() {
  ASSERT_EQ(zur::apiOpenTraceWindow(env.get()), 0);
  wnd = static_cast<HWND>(store().traceWnd);
  spied = this;
  pumps = 0;
  windowProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc)));
}

void TraceTest::TearDown() {
  if (store().traceWnd != nullptr) DestroyWindow(static_cast<HWND>(store().traceWnd));
  if (IsWindow(wnd)) DestroyWindow(wnd);
  // A window that indexed no line leaves its store behind when destroyed.
  if (store().tmpFile != nullptr) zur::apiResetTrace(env.get());
  zur::platform::crtFiles = zur::platform::kSystemCrtFiles;
}

int TraceTest::print(const char *format, ApiWord word, Env *on) {
  return zur::apiTracePrint(on != nullptr ? on : env.get(), format, word, 0, 0, 0, 0, 0, 0, 0, 0,
                            0);
}

std::string TraceTest::readLine(int n, int *result) {
  char buffer[1024];
  std::memset(buffer, '#', sizeof buffer);
  int got = zur::apiReadTraceLine(env.get(), wnd, store().tmpFile, buffer, store().firstBlock, n);
  if (result != nullptr) *result = got;
  EXPECT_NE(std::memchr(buffer, '\0', sizeof buffer), nullptr) << "line " << n << " unterminated";
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::pair<int, int> TraceTest::entry(int n) {
  LineBlock *block = store().firstBlock;
  while (block != nullptr && block->blockNo != n / ZURBASE_LINES_PER_BLOCK)
    block = block->nextBlock;
  if (block == nullptr) return {-1, -1};
  return {block->offsets[n % ZURBASE_LINES_PER_BLOCK], block->lengths[n % ZURBASE_LINES_PER_BLOCK]};
}

long TraceTest::fileLength() {
  auto &crt = zur::platform::crtFiles;
  return crt.filelength(crt.fileno(store().tmpFile));
}

}  // namespace zurtest
