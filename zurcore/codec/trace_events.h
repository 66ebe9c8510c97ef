// Trace events of the codecs: one TraceRec per element to apiTraceEncoding
// of the Env's entry table, built in a record the codec keeps for the whole
// call, so tracing allocates nothing. The codecs trace when their flags have
// ZURCORE_FLAG_TRACE (zurbase/zurcore.h).
#ifndef ZURCORE_CODEC_TRACE_EVENTS_H
#define ZURCORE_CODEC_TRACE_EVENTS_H

#include <cstdint>

#include "zurbase/api.h"
#include "zurbase/trace.h"

namespace zurcore {

// What one element's event shows; see TraceRec for how each field prints.
struct ElementEvent {
  const char *fieldName = nullptr;  // the component's identifier
  const char *label = nullptr;      // the alternative of an untagged CHOICE it stands for
  const char *caption = nullptr;    // the type's name
  int32_t index = 0;                // component or element number from 1; 0: none
  int32_t depth = 0;
  bool primitive = false;           // the innermost encoding's form
};

class TraceEvents {
 public:
  // Most tags one event carries: a type's tags are counted in 8 bits.
  static constexpr int kMaxTags = 255;

  explicit TraceEvents(Env *env);
  TraceEvents(const TraceEvents &) = delete;
  TraceEvents &operator=(const TraceEvents &) = delete;

  // The tag entries of the next element event, outermost first.
  TagLen *tags() { return tags_; }
  // Hands an element event with the first `tagCount` entries of tags().
  void element(const ElementEvent &e, int tagCount);
  // End-of-contents markers, one per depth.
  void eoc(const int32_t *depths, int count);
  // Free text, cut to the record's room.
  void text(const char *text);

 private:
  static constexpr int kTextRoom = 256;
  Env *env_;
  ApiTraceEncodingFn trace_;
  union {
    TraceRec rec_;
    char recRoom_[sizeof(TraceRec) + kTextRoom];
  };
  TagLen tags_[kMaxTags];
};

}  // namespace zurcore

#endif
