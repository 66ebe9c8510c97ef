// Trace store speed and memory: one million short lines appended through
// apiTracePrint with the (headless) trace window open and pumped per line,
// then every line read back in order; then 10,000 lines of 2,000 bytes.
// Prints lines per second and the index memory per 200 lines.
#include <cstdio>
#include <cstddef>
#include <cstdlib>
#include <ctime>
#include <string>

#include "library/entry_points.h"
#include "zurbase/zurcore.h"

namespace {

// Bytes the store holds from memAlloc: its index, once the formatting
// buffers of long lines are freed again.
std::size_t liveBytes = 0;
constexpr std::size_t kHeader = alignof(std::max_align_t);

void *countingAlloc(uint32_t size) {
  auto *block = static_cast<unsigned char *>(std::malloc(kHeader + size));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<std::size_t *>(block) = size;
  liveBytes += size;
  return block + kHeader;
}

void countingFree(void *p) {
  auto *block = static_cast<unsigned char *>(p) - kHeader;
  liveBytes -= *reinterpret_cast<std::size_t *>(block);
  std::free(block);
}

// Processor time of this process: the machine may be shared, and wall time
// would count the waits for the other programs.
struct Timer {
  std::clock_t start = std::clock();
  double seconds() const { return double(std::clock() - start) / CLOCKS_PER_SEC; }
};

bool run(const char *title, int lines, const std::string &body) {
  Env *env = zurcoreCreateEnv(apiTbl);
  if (env == nullptr || zur::apiOpenTraceWindow(env) != 0) return false;
  env->memAlloc = countingAlloc;
  env->memFree = countingFree;

  Timer append;
  for (int i = 0; i < lines; ++i)
    zur::apiTracePrint(env, "%7d %s\n", static_cast<ApiWord>(i),
                       reinterpret_cast<ApiWord>(body.c_str()), 0, 0, 0, 0, 0, 0, 0, 0);
  double appendSeconds = append.seconds();
  if (env->trace.lineCount != lines) return false;

  char line[1024];
  Timer read;
  for (int i = 0; i < lines; ++i)
    if (zur::apiReadTraceLine(env, env->trace.traceWnd, env->trace.tmpFile, line,
                              env->trace.firstBlock, i) < 0)
      return false;
  double readSeconds = read.seconds();

  std::printf("%s (%zu bytes a line)\n", title, body.size() + 9);
  std::printf("  appended: %10.0f lines/s (%.2f s of CPU)\n", lines / appendSeconds, appendSeconds);
  std::printf("  read:     %10.0f lines/s (%.2f s of CPU)\n", lines / readSeconds, readSeconds);
  std::printf("  index:    %10.1f bytes per 200 lines\n", liveBytes * 200.0 / lines);
  zur::apiResetTrace(env);
  return true;
}

}  // namespace

int main() {
  bool ok = run("1,000,000 short lines", 1000000, std::string(31, 's')) &&
            run("10,000 long lines", 10000, std::string(1991, 'l'));
  if (!ok) std::fprintf(stderr, "trace_store_bench: the store failed\n");
  return ok ? 0 : 1;
}
