#include "frame/print.h"

namespace zur {

ZURBASE_TLS_FAST constinit thread_local OutputScope *currentOutput = nullptr;

OutputScope::OutputScope() noexcept : StagedOutput(stdout), outer_(currentOutput) {
  // Text of the caller's entry point comes first.
  if (outer_ != nullptr) outer_->flush();
  currentOutput = this;
}

OutputScope::~OutputScope() {
  flush();
  currentOutput = outer_;
}

void OutputScope::resume() noexcept {
  if (callStart_ != kNoCall) len_ = callStart_;
  callStart_ = kNoCall;
  flush();
}

namespace detail {

int appendSeveral(OutputScope &out, const PrintFormat &f, const ApiWord *w) {
  out.beginCall();
  StagedSink sink(out);
  WordReader args(w);
  std::size_t at = 0;
  for (int i = 0; i < f.count; ++i) {
    sink.put(f.text + at, f.starts[i] - at);
    writeSpelled(sink, f.text + f.starts[i], args);
    at = f.ends[i];
  }
  sink.put(f.text + at, f.length - at);
  out.endCall();
  return sink.result();
}

}  // namespace detail

int printParsed(OutputScope *out, const char *format, PrintWords words) {
  if (out == nullptr) return formatWordsTo(stdout, format, words.w);
  out->beginCall();
  StagedSink sink(*out);
  if (format != nullptr) formatText(sink, format, words.w);
  out->endCall();
  return sink.result();
}

}  // namespace zur
