// Events go to the entry table the Env was made with, so that the trace is
// printed by the zurbase the application loaded (and reaches its hook or
// trace window).
#include "trace_events.h"

#include <algorithm>
#include <cstring>

#include "zurbase/zurcore.h"

namespace zurcore {

TraceEvents::TraceEvents(Env *env)
    : env_(env),
      trace_(reinterpret_cast<ApiTraceEncodingFn>(zurcoreApiTbl(env)[SLOT_TRACE_ENCODING])) {}

void TraceEvents::element(const ElementEvent &e, int tagCount) {
  rec_ = TraceRec{};
  rec_.eventKind = TRACE_COMPONENT;
  rec_.fieldName = e.fieldName;
  rec_.label = e.label;
  rec_.caption = e.caption;
  rec_.tagCount = tagCount;
  rec_.tags = tags_;
  rec_.perItem = -1;
  rec_.index = e.index;
  rec_.depth = e.depth;
  rec_.formFlags = e.primitive ? TRACE_PRIMITIVE : 0;
  trace_(env_, &rec_, 0);
}

void TraceEvents::eoc(const int32_t *depths, int count) {
  rec_ = TraceRec{};
  rec_.eventKind = TRACE_EOC;
  rec_.tagCount = count;
  rec_.tags = depths;
  trace_(env_, &rec_, 0);
}

void TraceEvents::text(const char *text) {
  rec_ = TraceRec{};
  rec_.eventKind = TRACE_TEXT;
  const std::size_t room = sizeof recRoom_ - offsetof(TraceRec, text);
  const std::size_t n = std::min(std::strlen(text), room - 1);
  char *dst = recRoom_ + offsetof(TraceRec, text);
  std::memcpy(dst, text, n);
  dst[n] = '\0';
  trace_(env_, &rec_, 0);
}

}  // namespace zurcore
