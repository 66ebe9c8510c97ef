// Per-event cost of the trace printers and the BER trace decoder, with a
// print hook that formats the text and drops it.
#include <benchmark/benchmark.h>

#include <vector>

#include "examples/personnel_encoding.h"
#include "library/entry_points.h"
#include "frame/sibling.h"
#include "frame/word_format.h"
#include "zurbase/zurcore.h"

namespace {

std::size_t formatted = 0;

int formattingHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                   ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char text[512];
  int n = zur::formatWords(text, sizeof text, format, words);
  formatted += static_cast<std::size_t>(n);
  return n;
}

struct BenchEnv {
  Env *env = zurcoreCreateEnv(apiTbl);
  explicit BenchEnv(int32_t rules) {
    zurcoreSetPrintHook(env, formattingHook);
    env->encRules = rules;
  }
  ~BenchEnv() { zurcoreDestroyEnv(env); }
};

void BM_BerLineTwoTags(benchmark::State &state) {
  BenchEnv b(0);
  TagLen tags[2] = {};
  tags[0] = {5, 0x8000, 0, TAGLEN_DEFINITE, {}};
  tags[1] = {1, 0x0002, 0, TAGLEN_DEFINITE, {}};
  TraceRec rec{};
  rec.eventKind = TRACE_COMPONENT;
  rec.fieldName = "a";
  rec.caption = "INTEGER";
  rec.tagCount = 2;
  rec.tags = tags;
  rec.depth = 3;
  rec.formFlags = TRACE_PRIMITIVE;
  for (auto _ : state) zur::apiTraceEncoding(b.env, &rec, 0);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BerLineTwoTags);

void BM_PerLengthLine(benchmark::State &state) {
  BenchEnv b(1);
  TraceRec rec{};
  rec.eventKind = TRACE_COMPONENT;
  rec.fieldName = "data";
  rec.caption = "OCTET STRING";
  rec.perItem = PER_LENGTH;
  rec.encoded = 1;
  rec.perValue = 8 * 300 + 3;
  rec.fragment = -1;
  rec.depth = 2;
  for (auto _ : state) zur::apiTraceEncoding(b.env, &rec, 0);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PerLengthLine);

void BM_DecodePersonnelRecord(benchmark::State &state) {
  BenchEnv b(0);
  zurcoreLinkBer(b.env);
  const auto record = demo::personnelEncoding();
  std::vector<unsigned char> octets(record.begin(), record.end());
  for (auto _ : state) {
    void *in = octets.data();
    int32_t length = static_cast<int32_t>(octets.size());
    void *out = nullptr;
    uint32_t outLen = 0;
    int rc = b.env->codecA->decode(b.env, nullptr, &in, &length, &out, &outLen, nullptr, 0,
                                   b.env->msgBuf);
    if (rc != 0) state.SkipWithError(b.env->msgBuf);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(octets.size()));
}
BENCHMARK(BM_DecodePersonnelRecord);

}  // namespace
