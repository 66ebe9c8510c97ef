#include "tests/enctrace/trace_capture.h"

#include <cstring>

#include "frame/entry_points.h"
#include "tests/support/captured_output.h"

namespace zurtest {
namespace {

std::vector<std::string> &formats() {
  static std::vector<std::string> seen;
  return seen;
}

int recordingHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  formats().emplace_back(format);
  return appendingHook(env, format, w0, w1, w2, w3, w4, w5, w6, w7, w8, w9);
}

}  // namespace

void TraceEvent::setText(const std::string &text) {
  static_assert(offsetof(TraceEvent, rec) == 0);
  char *dst = reinterpret_cast<char *>(this) + offsetof(TraceRec, text);
  std::memcpy(dst, text.c_str(), text.size() + 1);
}

TagLen tagLen(unsigned cls, unsigned number, int32_t length, bool definite) {
  TagLen t{};
  t.length = length;
  t.tag = static_cast<uint16_t>((cls << 14) | number);
  t.lenFlags = definite ? TAGLEN_DEFINITE : 0;
  return t;
}

std::string traceText(const TraceRec &rec, int32_t rules) {
  TestEnv env;
  env.captureWithHook();
  zurcoreSetPrintHook(env.get(), recordingHook);
  formats().clear();
  env->encRules = rules;
  zur::apiTraceEncoding(env.get(), &rec, 0);
  return hookText();
}

const std::vector<std::string> &seenFormats() { return formats(); }

}  // namespace zurtest
