#include "tests/enctrace/trace_capture.h"

#include <cstring>

#include "library/entry_points.h"
#include "tests/support/test_env.h"

namespace zurtest {
namespace {

std::vector<std::string> formats;

int recordingHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  formats.emplace_back(format);
  return appendingHook(env, format, w0, w1, w2, w3, w4, w5, w6, w7, w8, w9);
}

}  // namespace

TagLen tagLen(unsigned cls, unsigned number, int32_t length, bool definite) {
  return TagLen{length, static_cast<uint16_t>((cls << 14) | number), 0,
                static_cast<uint8_t>(definite ? TAGLEN_DEFINITE : 0), {}};
}

std::string traceText(const Rec &r, int32_t rules) {
  struct {
    TraceRec rec;
    char room[128];  // the inline text runs on past rec.text
  } e{};
  static_assert(offsetof(decltype(e), rec) == 0);
  const bool eoc = r.kind == TRACE_EOC;
  e.rec.eventKind = r.kind;
  e.rec.fieldName = r.field;
  e.rec.label = r.label;
  e.rec.caption = r.caption;
  e.rec.index = r.index;
  e.rec.noIndex = r.noIndex;
  e.rec.depth = r.depth;
  e.rec.tags = eoc ? static_cast<const void *>(r.eocDepths.data()) : r.tags.data();
  const auto count = static_cast<int32_t>(eoc ? r.eocDepths.size() : r.tags.size());
  e.rec.tagCount = r.tagCount != -1 ? r.tagCount : count;
  e.rec.formFlags = r.primitive ? TRACE_PRIMITIVE : 0;
  e.rec.perItem = r.perItem;
  e.rec.perValue = r.perValue;
  e.rec.encoded = static_cast<uint8_t>(r.encoded);
  e.rec.fragment = r.fragment;
  std::memcpy(reinterpret_cast<char *>(&e) + offsetof(TraceRec, text), r.text,
              std::strlen(r.text) + 1);
  TestEnv env;
  env->encRules = rules;
  formats.clear();
  env.captureWithHook();
  zurcoreSetPrintHook(env.get(), recordingHook);
  zur::apiTraceEncoding(env.get(), &e.rec, 0);
  return hookText();
}

const std::vector<std::string> &seenFormats() { return formats; }

}  // namespace zurtest
