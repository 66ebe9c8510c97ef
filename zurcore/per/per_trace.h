// PER field events: one TraceRec per PER item (a preamble, a length
// determinant or one of its fragments, a constrained number, an index, the
// contents), printed by the library as the field lines of a PER trace.
#ifndef ZURCORE_PER_PER_TRACE_H
#define ZURCORE_PER_PER_TRACE_H

#include <cstdint>

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

 private:
  Env *env_;
  ApiTraceEncodingFn trace_;
  TraceRec rec_;
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

  const Schema &s_;
  PerTrace *trace_;
};

}  // namespace zurcore::per

#endif
