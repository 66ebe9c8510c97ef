// Segmented strings: a chain of segment nodes, each segment on a line of its
// own at the depth of the value.
#include "frame/print.h"
#include "printer/leaf_format.h"
#include "printer/print_guard.h"
#include "printer/service_calls.h"
#include "printer/string_support.h"
#include "printer/value_access.h"

namespace zur {
namespace {

enum class Unit { Octets, Bits, Chars, Text };

struct SegmentForm {
  Unit unit;
  bool inlineData;
};

SegmentForm segmentForm(uint32_t kind) {
  switch (kind) {
    case KIND_SEG_OCTETS_INLINE:
    case KIND_SEG2_OCTETS_INLINE:
      return {Unit::Octets, true};
    case KIND_SEG_BITS_INLINE:
    case KIND_SEG2_BITS_INLINE:
      return {Unit::Bits, true};
    case KIND_SEG_CHARS_INLINE:
    case KIND_SEG2_CHARS_INLINE:
      return {Unit::Chars, true};
    case KIND_SEG_CHARS_NUL:
    case KIND_SEG2_CHARS_NUL:
      return {Unit::Text, true};
    case KIND_SEG_BITS_PTR:
    case KIND_SEG2_BITS_PTR:
      return {Unit::Bits, false};
    case KIND_SEG_CHARS_PTR:
    case KIND_SEG2_CHARS_PTR:
      return {Unit::Chars, false};
    default:
      return {Unit::Octets, false};
  }
}

uint32_t segmentLength(const WalkFrame &f, const unsigned char *node, uint32_t linkSize) {
  return static_cast<uint32_t>(loadUInt(node + linkSize, f.t->lenSize));
}

// Both loops start on the first node and check each further one before its
// line begins.
void printInlineSegments(WalkFrame &f, Unit unit, uint32_t linkSize, uint32_t nodeSize) {
  const TypeDesc &t = *f.t;
  Env *env = f.env;
  LoopCheck loop{f.own.blockRef};
  do {
    const unsigned char *node = f.own.base;
    const unsigned char *data = node + t.dataOffset;
    switch (unit) {
      case Unit::Octets:
        printHexString(env, data, static_cast<int>(segmentLength(f, node, linkSize)));
        break;
      case Unit::Bits:
        printHexString(env, data, static_cast<int>((segmentLength(f, node, linkSize) + 7) / 8));
        break;
      case Unit::Chars:
        printQuotedChars(env, reinterpret_cast<const char *>(data),
                         segmentLength(f, node, linkSize));
        break;
      case Unit::Text:
        printQuotedText(env, reinterpret_cast<const char *>(data));
        break;
    }
    if (!followLink(&f.own, nodeSize)) return;
    if (loop.cameRound(f.own.blockRef)) leaveEndlessValue(env);
    printNewline(env, 0);
  } while (true);
}

void printAddressedSegments(WalkFrame &f, Unit unit, uint32_t linkSize, uint32_t nodeSize) {
  const TypeDesc &t = *f.t;
  Env *env = f.env;
  PrintCursor &own = f.own;
  LoopCheck loop{own.blockRef};
  do {
    const unsigned char *node = own.base;
    uint32_t n = segmentLength(f, node, linkSize);
    own.offset = t.dataOffset;
    void *next = loadAddress(node);
    if (unit == Unit::Bits) n = (n + 7) / 8;
    if (!followLink(&own, n)) n = 0;
    if (!printedAsDeferred(f)) {
      if (unit == Unit::Chars)
        printQuotedChars(env, reinterpret_cast<const char *>(own.base), n);
      else
        printHexString(env, own.base, static_cast<int>(n));
    }
    if (next == nullptr) return;
    if (loop.cameRound(next)) leaveEndlessValue(env);
    printNewline(env, 0);
    own.base = remapValue(env, own.blockRef, next, nodeSize);
    own.blockRef = next;
  } while (true);
}

}  // namespace

void printSegmentedValue(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  const uint32_t nodeSize = t.dataOffset + t.size;
  if (!followLink(&f.fillOwn(), nodeSize)) return;
  f.moved = true;
  if (f.inList == 0) printNewline(f.env, 0);
  const uint32_t linkSize = listLinkSize(&t);
  const SegmentForm form = segmentForm(t.kind);
  if (form.inlineData)
    printInlineSegments(f, form.unit, linkSize, nodeSize);
  else
    printAddressedSegments(f, form.unit, linkSize, nodeSize);
}

}  // namespace zur
