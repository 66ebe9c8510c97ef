#include "per_trace.h"

#include <algorithm>

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
  emit();
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
  emit();
}

void PerTrace::emit() {
  if (holding_ > 0)
    held_.push_back(rec_);
  else
    trace_(env_, &rec_, 0);
}

void PerTrace::release(std::size_t mark, std::size_t lengthAt) {
  std::rotate(held_.begin() + static_cast<std::ptrdiff_t>(mark), held_.begin() + static_cast<std::ptrdiff_t>(lengthAt),
              held_.end());
  if (--holding_ > 0) return;
  for (TraceRec &rec : held_) trace_(env_, &rec, 0);
  held_.clear();
}

void PerTrace::total(uint64_t bits) { item(ItemPlace{}, nullptr, PER_TOTAL_LENGTH, true, bits); }

}  // namespace zurcore::per
