#include "tests/tracewin/trace_fixture.h"

#include <cstring>
#include <ostream>

#include "library/entry_points.h"
#include "platform/crt_files.h"
#ifndef _WIN32
#include "platform/window_headless_control.h"
#endif

namespace zurtest {

std::ostream &operator<<(std::ostream &out, const Box &box) {
  return out << '[' << box.caption << "] " << box.text << " (style " << box.style << ')';
}

namespace {
PumpSpy *activeSpy = nullptr;
}

#ifdef _WIN32

namespace {

HHOOK hook = nullptr;
int hookAnswer = IDOK;
std::vector<Box> recorded;

// The icon a box shows, told by the shared system icon its static holds.
UINT iconStyle(HWND box) {
  struct Icon {
    LPCSTR id;
    UINT style;
  };
  static const Icon icons[] = {
      {IDI_HAND, MB_ICONHAND}, {IDI_QUESTION, MB_ICONQUESTION}, {IDI_ASTERISK, MB_ICONASTERISK}};
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if (icon == nullptr) continue;
    for (const Icon &candidate : icons)
      if (LoadIconA(nullptr, candidate.id) == icon) return candidate.style;
  }
  return 0;
}

LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    auto box = reinterpret_cast<HWND>(wParam);
    char className[16] = {};
    GetClassNameA(box, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0) {
      char caption[256] = {}, text[512] = {};
      GetWindowTextA(box, caption, sizeof caption);
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      UINT buttons = GetDlgItem(box, IDYES) != nullptr ? MB_YESNO : MB_OK;
      recorded.push_back({caption, text, buttons | iconStyle(box)});
      PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(hookAnswer), 0);
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

BoxRecorder::BoxRecorder(int answer) {
  hookAnswer = answer;
  recorded.clear();
  hook = SetWindowsHookExA(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
}
BoxRecorder::~BoxRecorder() { UnhookWindowsHookEx(hook); }
std::vector<Box> BoxRecorder::boxes() const { return recorded; }

#else

BoxRecorder::BoxRecorder(int answer) {
  zur::headless::resetControl();
  zur::headless::setBoxResponder([answer](const zur::headless::ShownBox &) { return answer; });
}
BoxRecorder::~BoxRecorder() { zur::headless::resetControl(); }
std::vector<Box> BoxRecorder::boxes() const {
  std::vector<Box> out;
  for (const auto &shown : zur::headless::shownBoxes())
    out.push_back({shown.caption, shown.text, shown.style});
  return out;
}

#endif

PumpSpy::PumpSpy(HWND wnd) : wnd_(wnd) {
  activeSpy = this;
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc)));
}

PumpSpy::~PumpSpy() {
  if (IsWindow(wnd_)) SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  activeSpy = nullptr;
}

LRESULT CALLBACK PumpSpy::spyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  PumpSpy *spy = activeSpy;
  WNDPROC original = spy->original_;
  if (msg == WM_PAINT && GetWindowLongPtrA(wnd, GWLP_USERDATA) != 0) {
    ++spy->pumps_;
    if (spy->onPump) spy->onPump(spy->pumps_);
    if (!IsWindow(wnd)) return 0;
  }
  return CallWindowProcA(original, wnd, msg, wParam, lParam);
}

void TraceStoreTest::SetUp() { ASSERT_EQ(zur::apiOpenTraceWindow(env_.get()), 0); }

void TraceStoreTest::TearDown() {
  if (window() != nullptr) DestroyWindow(window());
  if (store().tmpFile != nullptr) zur::apiResetTrace(env_.get());
}

int TraceStoreTest::print(const char *format, ApiWord word) {
  return zur::apiTracePrint(env_.get(), format, word, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

std::string TraceStoreTest::readLine(int n, int *result) {
  char buffer[1024];
  std::memset(buffer, '#', sizeof buffer);
  int got =
      zur::apiReadTraceLine(env_.get(), window(), store().tmpFile, buffer, store().firstBlock, n);
  if (result != nullptr) *result = got;
  EXPECT_NE(std::memchr(buffer, '\0', sizeof buffer), nullptr) << "line " << n << " unterminated";
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::pair<int, int> TraceStoreTest::entry(int n) {
  LineBlock *block = store().firstBlock;
  while (block != nullptr && block->blockNo != n / ZURBASE_LINES_PER_BLOCK)
    block = block->nextBlock;
  if (block == nullptr) return {-1, -1};
  int i = n % ZURBASE_LINES_PER_BLOCK;
  return {block->offsets[i], block->lengths[i]};
}

long TraceStoreTest::fileLength() {
  auto &crt = zur::platform::crtFiles;
  return crt.filelength(crt.fileno(store().tmpFile));
}

}  // namespace zurtest
