// PER field events: one TraceRec per PER item (a preamble, a length
// determinant or one of its fragments, a constrained number, an index, the
// contents), printed by the library as the field lines of a PER trace.
#ifndef ZURCORE_PER_PER_TRACE_H
#define ZURCORE_PER_PER_TRACE_H

#include <cstdint>

#include "zurbase/api.h"
#include "zurbase/trace.h"

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

}  // namespace zurcore::per

#endif
