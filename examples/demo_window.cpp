// Demo section: the trace window's store as the print hook's destination.
#include "demo.h"
#include "personnel_encoding.h"

namespace demo {

int showWindowTrace(const char *saveAs) {
  Env *env = zurcoreCreateEnv(apiTbl);
  if (env == nullptr) return 1;
  int rc = entry<ApiOpenTraceWindowFn>(SLOT_OPEN_TRACE_WINDOW)(env);
  if (rc != 0) {
    std::fprintf(stderr, "demo: apiOpenTraceWindow answered %d\n", rc);
    zurcoreDestroyEnv(env);
    return 1;
  }
  zurcoreSetPrintHook(env, entry<ApiTracePrintFn>(SLOT_TRACE_PRINT));
  printPersonnelRecord(env);

  std::span<const unsigned char> record = personnelEncoding();
  std::vector<unsigned char> octets(record.begin(), record.end());
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_BER);
  EncBuf in{static_cast<int32_t>(octets.size()), octets.data()};
  void *decoded = nullptr;
  entry<ApiDecodeFn>(SLOT_DECODE)(env, nullptr, &in, &decoded);

#ifndef _WIN32
  // No display here: show what the window would.
  heading("the trace store, read back line by line");
  auto readLine = entry<ApiReadTraceLineFn>(SLOT_READ_TRACE_LINE);
  char line[1024];
  for (int32_t i = 0; i < env->trace.lineCount; ++i) {
    if (readLine(env, env->trace.traceWnd, env->trace.tmpFile, line, env->trace.firstBlock, i) < 0)
      return 1;
    std::printf("%4d  %s\n", static_cast<int>(i), line);
  }
#endif
  return actAtWindow(env, saveAs);
}

}  // namespace demo
