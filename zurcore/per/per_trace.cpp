#include "per_trace.h"

#include "zurbase/zurcore.h"

namespace zurcore::per {

PerTrace::PerTrace(Env *env)
    : env_(env),
      trace_(reinterpret_cast<ApiTraceEncodingFn>(zurcoreApiTbl(env)[SLOT_TRACE_ENCODING])),
      rec_() {}

void PerTrace::item(const ItemPlace &place, const char *label, int32_t perItem, bool encoded,
                    uint64_t value, int32_t fragment) {
  rec_ = TraceRec{};
  rec_.eventKind = TRACE_COMPONENT;
  rec_.fieldName = place.fieldName;
  rec_.label = label;
  rec_.caption = place.caption;
  rec_.perItem = perItem;
  rec_.encoded = encoded ? 1 : 0;
  // -1 would read as an error mark.
  rec_.perValue = static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
  rec_.fragment = fragment;
  rec_.index = place.index;
  rec_.depth = place.depth;
  trace_(env_, &rec_, 0);
}

void PerTrace::error(const ItemPlace &place) {
  rec_ = TraceRec{};
  rec_.eventKind = TRACE_COMPONENT;
  rec_.fieldName = place.fieldName;
  rec_.caption = place.caption;
  rec_.perItem = PER_LENGTH;
  rec_.perValue = -1;
  rec_.fragment = -1;
  rec_.index = place.index;
  rec_.depth = place.depth;
  trace_(env_, &rec_, 0);
}

void PerTrace::total(uint64_t bits) { item(ItemPlace{}, nullptr, PER_TOTAL_LENGTH, true, bits); }

}  // namespace zurcore::per
