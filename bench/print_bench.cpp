// Printing one large value in value notation: to a file through the
// standard-output path, and through a print hook that appends to a buffer.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/output_sinks.h"
#include "bench/zur_value.h"
#include "frame/print.h"
#include "printer/print_driver.h"
#include "zurbase/format.h"
#include "zurbase/zurcore.h"

namespace bench {
namespace {

TextBuffer hookBuffer(64u << 20);

// The hook an application writes to collect a print in memory, with the
// public formatter: the words are formatted straight into the buffer's free
// space; a text longer than that space is formatted again once the buffer
// has grown.
int appendHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
               ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[ZUR_PRINT_WORDS] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  int n = zurFormatWords(hookBuffer.tail(), hookBuffer.room(), format, words);
  if (n < 0) return n;
  if (static_cast<std::size_t>(n) >= hookBuffer.room()) {
    hookBuffer.reserve(static_cast<std::size_t>(n) + 1);
    n = zurFormatWords(hookBuffer.tail(), hookBuffer.room(), format, words);
  }
  hookBuffer.commit(static_cast<std::size_t>(n));
  return n;
}

long hookCalls = 0;

int countingHook(Env *, const char *, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord,
                 ApiWord, ApiWord, ApiWord, ApiWord) {
  ++hookCalls;
  return 0;
}

// A whole print through the driver, as an application makes it.
void printRecords(Env *env, ZurRecords *value) {
  if (zur::printPdu(env, kRecordsPdu, value, &zurBenchTable()) != 0) std::abort();
}

void report(benchmark::State &state, double bytesPerPrint) {
  state.SetBytesProcessed(static_cast<int64_t>(bytesPerPrint * state.iterations()));
  state.counters["elements"] = kElements;
  state.counters["per_element"] = benchmark::Counter(
      kElements, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ZurPrintToStdoutFile(benchmark::State &state) {
  ZurValue value;
  Env *env = zurcoreCreateEnv(apiTbl);
  double bytes = 0;
  {
    StdoutToFile redirect("zur_print_output.txt");
    for (auto _ : state) {
      long before = redirect.written();
      printRecords(env, value.root());
      bytes = static_cast<double>(redirect.written() - before);
    }
  }
  zurcoreDestroyEnv(env);
  report(state, bytes);
}
BENCHMARK(ZurPrintToStdoutFile)->Unit(benchmark::kMillisecond);

void ZurPrintToHookBuffer(benchmark::State &state) {
  ZurValue value;
  Env *env = zurcoreCreateEnv(apiTbl);
  zurcoreSetPrintHook(env, appendHook);
  for (auto _ : state) {
    hookBuffer.clear();
    printRecords(env, value.root());
    benchmark::DoNotOptimize(hookBuffer.data());
  }
  // The calls are counted by a print of their own, outside the timed ones.
  zurcoreSetPrintHook(env, countingHook);
  hookCalls = 0;
  printRecords(env, value.root());
  zurcoreDestroyEnv(env);
  report(state, static_cast<double>(hookBuffer.size()));
  state.counters["calls_per_element"] = static_cast<double>(hookCalls) / kElements;
}
BENCHMARK(ZurPrintToHookBuffer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bench

BENCHMARK_MAIN();
