// The benchmark's value printed by asn1c's generated printer, for a side by
// side comparison: asn_fprint to a file through standard output, and the
// type's print routine appending to a buffer. Built by scripts/bench-print
// against code that asn1c generates from print_bench.asn1.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "Records.h"
#include "bench/bench_value.h"
#include "bench/output_sinks.h"

namespace bench {
namespace {

Records_t *buildRecords() {
  auto *records = static_cast<Records_t *>(std::calloc(1, sizeof(Records_t)));
  for (int i = 0; i < kElements; ++i) {
    auto *r = static_cast<Record_t *>(std::calloc(1, sizeof(Record_t)));
    r->id = elementId(i);
    std::string name = elementName(i);
    OCTET_STRING_fromBuf(&r->name, name.c_str(), static_cast<int>(name.size()));
    r->flag = elementFlag(i) ? 1 : 0;
    unsigned char octets[kDataOctets];
    for (int k = 0; k < kDataOctets; ++k) octets[k] = elementOctet(i, k);
    OCTET_STRING_fromBuf(&r->data, reinterpret_cast<const char *>(octets), kDataOctets);
    for (int k = 0; k < kSubElements; ++k) {
      auto *e = static_cast<long *>(std::calloc(1, sizeof(long)));
      *e = elementSub(i, k);
      ASN_SEQUENCE_ADD(&r->sub.list, e);
    }
    ASN_SEQUENCE_ADD(&records->list, r);
  }
  return records;
}

struct Records {
  Records_t *value = buildRecords();
  ~Records() { ASN_STRUCT_FREE(asn_DEF_Records, value); }
};

TextBuffer buffer(64u << 20);

int appendToBuffer(const void *data, size_t size, void *) {
  buffer.reserve(size);
  std::memcpy(buffer.tail(), data, size);
  buffer.commit(size);
  return 0;
}

long callbacks = 0;

int countCallback(const void *, size_t, void *) {
  ++callbacks;
  return 0;
}

void report(benchmark::State &state, double bytesPerPrint) {
  state.SetBytesProcessed(static_cast<int64_t>(bytesPerPrint * state.iterations()));
  state.counters["elements"] = kElements;
  state.counters["per_element"] = benchmark::Counter(
      kElements, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Asn1cPrintToStdoutFile(benchmark::State &state) {
  Records records;
  double bytes = 0;
  {
    StdoutToFile redirect("asn1c_print_output.txt");
    for (auto _ : state) {
      long before = redirect.written();
      if (asn_fprint(stdout, &asn_DEF_Records, records.value) != 0) state.SkipWithError("print");
      bytes = static_cast<double>(redirect.written() - before);
    }
  }
  report(state, bytes);
}
BENCHMARK(Asn1cPrintToStdoutFile)->Unit(benchmark::kMillisecond);

void Asn1cPrintToBuffer(benchmark::State &state) {
  Records records;
  for (auto _ : state) {
    buffer.clear();
    if (asn_DEF_Records.print_struct(&asn_DEF_Records, records.value, 1, appendToBuffer,
                                     nullptr) != 0)
      state.SkipWithError("print");
    appendToBuffer("\n", 1, nullptr);
    benchmark::DoNotOptimize(buffer.data());
  }
  // The callbacks are counted by a print of their own, outside the timed ones.
  callbacks = 0;
  asn_DEF_Records.print_struct(&asn_DEF_Records, records.value, 1, countCallback, nullptr);
  countCallback("\n", 1, nullptr);
  report(state, static_cast<double>(buffer.size()));
  state.counters["calls_per_element"] = static_cast<double>(callbacks) / kElements;
}
BENCHMARK(Asn1cPrintToBuffer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bench

BENCHMARK_MAIN();
