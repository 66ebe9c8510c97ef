// PER field events: one TraceRec per PER item (a preamble, a length
// determinant or one of its fragments, a constrained number, an index, the
// contents), printed by the library as the field lines of a PER trace.
#ifndef ZURCORE_PER_PER_TRACE_H
#define ZURCORE_PER_PER_TRACE_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zurbase/api.h"
#include "zurbase/trace.h"
#include "zurcore/codec/tables.h"

namespace zurcore::per {

// Where an item belongs: the component's name (or its number), the type's
// name and the nesting depth.
struct ItemPlace {
  const char *fieldName = nullptr;
  const char *caption = nullptr;
  int32_t index = 0;
  int32_t depth = 0;
};

class PerTrace {
 public:
  explicit PerTrace(Env *env);
  PerTrace(const PerTrace &) = delete;
  PerTrace &operator=(const PerTrace &) = delete;

  // One item; `label` names a part of a value ("preamble", "extension").
  // Values beyond 32 bits are shown as the largest.
  void item(const ItemPlace &place, const char *label, int32_t perItem, bool encoded,
            uint64_t value, int32_t fragment = -1);
  // A length item: bits of contents, with or without a determinant.
  void length(const ItemPlace &place, const char *label, bool encoded, uint64_t bits,
              int32_t fragment = -1) {
    item(place, label, PER_LENGTH, encoded, bits, fragment);
  }
  // The item at which encoding or decoding failed.
  void error(const ItemPlace &place);
  // The length of the whole encoding.
  void total(uint64_t bits);

  // An encoder writes an open type's contents before their length: the
  // items from hold() on are kept until release(), which hands the ones
  // given after `lengthAt` (the length) first, as they lie in the encoding
  // and as a decode of it traces them. Nested holds hand theirs to the
  // outer one.
  std::size_t hold() {
    ++holding_;
    return held_.size();
  }
  std::size_t heldCount() const { return held_.size(); }
  void release(std::size_t mark, std::size_t lengthAt);

 private:
  void emit();

  Env *env_;
  ApiTraceEncodingFn trace_;
  TraceRec rec_;
  std::vector<TraceRec> held_;
  int holding_ = 0;
};

// What the decoder and the encoder share: the schema, and the trace (null
// when not tracing), for which alone names and captions are looked up.
class TracedCodec {
 protected:
  TracedCodec(const Schema &schema, PerTrace *trace) : s_(schema), trace_(trace) {}

  const char *caption(uint32_t type) const { return trace_ != nullptr ? typeCaption(s_, type) : nullptr; }
  const char *name(uint32_t component) const {
    return trace_ != nullptr ? s_.fieldName(component) : nullptr;
  }
  template <class Context>
  void traceLength(const Context &c, const char *label, bool encoded, uint64_t bits, int32_t fragment = -1) {
    if (trace_ != nullptr) trace_->length(c.place, label, encoded, bits, fragment);
  }

  // A copy, not a reference: each of its arrays is one load away, not two.
  const Schema s_;
  PerTrace *trace_;
};

}  // namespace zurcore::per

#endif
