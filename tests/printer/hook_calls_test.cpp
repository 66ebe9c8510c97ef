// The calls a print hook sees (each format and the text it makes of its
// words) for a whole PDU, a hex dump and a BER trace, against a reference
// recorded from the unbuffered printer. Set ZUR_WRITE_HOOK_CALLS to rewrite it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif
#include <fstream>
#include <sstream>
#include <string>

#include "examples/personnel_encoding.h"
#include "examples/personnel_values.h"
#include "library/entry_points.h"
#include "frame/sibling.h"
#include "frame/word_format.h"
#include "printer/print_driver.h"
#include "tests/support/test_env.h"
#include "zurbase/zurcore.h"

namespace zurtest {
namespace {

std::string calls;

// New lines written as \n keep one call per line.
std::string escaped(const char *s) {
  std::string out;
  for (; *s != '\0'; ++s) out += *s == '\n' ? std::string("\\n") : std::string(1, *s);
  return out;
}

// One line per call: the format, then the text it makes of the words.
int recordingHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char text[4096];
  zur::formatWords(text, sizeof text, format, words);
  calls += escaped(format) + "|" + escaped(text) + '\n';
  return 0;
}

demo::VisibleStr text(const char *s) {
  return demo::VisibleStr{static_cast<uint32_t>(std::strlen(s)), s};
}

// Two PDUs, a hex dump and a BER trace, through whatever env prints to.
void printAll(Env *env) {
  demo::ChildNode child{nullptr, {{text("Ralph"), text("T"), text("Smith")}, text("19571111")}};
  demo::PersonnelRecord r{0x80,   {text("John"), text("P"), text("Smith")}, text("Director"),
                          51,     text("19710917"), {text("Mary"), text("T"), text("Smith")},
                          &child};
  const CtlTbl *ctl = &demo::personnelTable();
  EXPECT_EQ(zur::printPdu(env, demo::PDU_PERSONNEL_RECORD, &r, ctl), 0);
  static const unsigned char oid[] = {0x2B, 0x06, 0x01};
  static const uint16_t label[] = {'Z', 0x00FC};
  demo::TextSegment note{nullptr, 2, "ok"};
  demo::OctetSegment frame2{nullptr, 1, {0xFE}};
  demo::OctetSegment frame1{&frame2, 2, {0x00, 0x01}};
  demo::Measurement m{};
  m.presence = 0x80;
  m.sensor = demo::ArcList{3, {1, 3, 6}};
  m.sensorOid = demo::OctetsByAddress{sizeof oid, oid};
  m.taken = TimeValue{26, 12, 6, 3, 45, 0, 0, 60, 0};
  m.received = TimeValue{2026, 12, 6, 2, 45, 1, 125, 0, 1};
  m.reading = -273.4;
  m.calibration.value.binary = 0.001;
  m.status = demo::BitsInInteger{0xA5F0};
  m.rawFrames = &frame1;
  m.notes = &note;
  m.label = demo::WideChars{2, label};
  EXPECT_EQ(zur::printPdu(env, demo::PDU_MEASUREMENT, &m, ctl), 0);

  const auto record = demo::personnelEncoding();
  zur::apiPrintHex(env, record.data(), static_cast<int32_t>(record.size()));

  zurcoreSetCodecs(env, zurcoreTraceCodec(), nullptr);
  zurcoreLinkBer(env);
  void *data = const_cast<unsigned char *>(record.data());
  auto length = static_cast<int32_t>(record.size());
  EXPECT_EQ(env->codecA->decode(env, nullptr, &data, &length, nullptr, nullptr, nullptr, 0,
                                env->msgBuf),
            0);
}

TEST(HookCalls, SameFormatsAndTextsAsTheReference) {
  const std::string path = std::string(ZURBASE_TEST_DATA) + "/hook_calls.txt";
  TestEnv env;
  zurcoreSetPrintHook(env.get(), recordingHook);
  calls.clear();
  printAll(env.get());
  if (std::getenv("ZUR_WRITE_HOOK_CALLS") != nullptr) std::ofstream(path) << calls;
  std::ifstream in(path);
  ASSERT_TRUE(in) << path;
  std::stringstream want;
  want << in.rdbuf();
  EXPECT_EQ(calls, want.str());
}

// A hook that installs another while a print runs hands over at once: the
// next call, wherever it falls (inside a SEQUENCE, a line break, a run of
// octets), goes to the new hook.
long handOverAfter = 0;
long firstHookCalls = 0;
int handingOverHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                    ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  ++firstHookCalls;
  if (firstHookCalls == handOverAfter) zurcoreSetPrintHook(env, recordingHook);
  return recordingHook(env, format, w0, w1, w2, w3, w4, w5, w6, w7, w8, w9);
}

TEST(HookCalls, AHookInstalledDuringAPrintTakesTheNextCall) {
  std::string whole;
  {
    TestEnv env;
    zurcoreSetPrintHook(env.get(), recordingHook);
    calls.clear();
    printAll(env.get());
    whole = calls;
  }
  const auto total = static_cast<long>(std::count(whole.begin(), whole.end(), '\n'));
  for (handOverAfter = 1; handOverAfter < total; handOverAfter += 5) {
    TestEnv env;
    zurcoreSetPrintHook(env.get(), handingOverHook);
    calls.clear();
    firstHookCalls = 0;
    printAll(env.get());
    EXPECT_EQ(firstHookCalls, handOverAfter);
    EXPECT_EQ(calls, whole) << "handed over after " << handOverAfter << " calls";
  }
}

// Standard output gets the text the hook calls make, also when a fault inside
// a call leaves a print: a call's text is all or nothing on both.
TEST(HookCalls, StandardOutputGetsTheSameText) {
  demo::PersonnelRecord broken{};
  broken.name.givenName = demo::VisibleStr{4, reinterpret_cast<const char *>(0x10)};
  std::string text[2];  // what reached standard output and the hook, without and with one
  for (bool hooked : {false, true}) {
    TestEnv env;
    if (hooked) env.captureWithHook();
    StdoutCapture out;
    printAll(env.get());
    EXPECT_EQ(zur::printPdu(env.get(), demo::PDU_PERSONNEL_RECORD, &broken,
                            &demo::personnelTable()),
              14);
    text[hooked] = out.text() + (hooked ? hookText() : "");
  }
  EXPECT_EQ(text[0], text[1]);
  const std::string cut = "value PersonnelRecord ::= \n{\n  name \n  {\n    givenName ";
  EXPECT_EQ(text[0].substr(text[0].size() - cut.size()), cut);
}

// A readable page followed by one that faults when read.
class GuardedPage {
 public:
  GuardedPage() {
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    size_ = info.dwPageSize;
    base_ = static_cast<unsigned char *>(VirtualAlloc(nullptr, 2 * size_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    if (base_ != nullptr) VirtualProtect(base_ + size_, size_, PAGE_NOACCESS, &old);
#else
    size_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void *area = mmap(nullptr, 2 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = area != MAP_FAILED ? static_cast<unsigned char *>(area) : nullptr;
    if (base_ != nullptr) mprotect(base_ + size_, size_, PROT_NONE);
#endif
  }
  ~GuardedPage() {
#ifdef _WIN32
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
#else
    if (base_ != nullptr) munmap(base_, 2 * size_);
#endif
  }
  GuardedPage(const GuardedPage &) = delete;
  GuardedPage &operator=(const GuardedPage &) = delete;
  // The last `n` readable bytes.
  unsigned char *last(std::size_t n) const { return base_ + size_ - n; }
  bool ok() const { return base_ != nullptr; }

 private:
  unsigned char *base_ = nullptr;
  std::size_t size_ = 0;
};

// Octets printed to standard output leave the same text as one hook call
// per octet when reading them faults part way: the octets read before stay,
// also those read in blocks up to the page that faults.
TEST(HookCalls, AFaultInsideOctetsKeepsTheOctetsReadBefore) {
  GuardedPage page;
  ASSERT_TRUE(page.ok());
  for (std::size_t readable : {3u, 8u, 11u, 19u}) {
    unsigned char *octets = page.last(readable);
    std::string cut = "archive '";
    for (std::size_t i = 0; i < readable; ++i) {
      octets[i] = static_cast<unsigned char>(0xA7 * (i + 1));
      cut += "0123456789ABCDEF"[octets[i] >> 4];
      cut += "0123456789ABCDEF"[octets[i] & 0xF];
    }
    demo::Measurement m{};
    m.presence = 0x40;  // archive only
    m.archive = demo::OctetsByAddress{static_cast<uint32_t>(readable + 8), octets};
    std::string text[2];
    for (bool hooked : {false, true}) {
      TestEnv env;
      if (hooked) env.captureWithHook();
      StdoutCapture out;
      EXPECT_EQ(zur::printPdu(env.get(), demo::PDU_MEASUREMENT, &m, &demo::personnelTable()), 14);
      text[hooked] = out.text() + (hooked ? hookText() : "");
    }
    EXPECT_EQ(text[0], text[1]) << readable << " readable";
    ASSERT_GE(text[0].size(), cut.size());
    EXPECT_EQ(text[0].substr(text[0].size() - cut.size()), cut) << readable << " readable";
  }
}

}  // namespace
}  // namespace zurtest
