// Encoding the structure of a value: tags, SEQUENCE and SET components,
// SEQUENCE OF and SET OF elements (SETs of both kinds sorted under DER), CHOICE alternatives
// and open types. Everything is written last part first.
#include <algorithm>
#include <cstring>

#include "ber_encoder.h"
#include "header.h"
#include "zurbase/values.h"
#include "zurcore/codec/defaults.h"
#include "zurcore/codec/limits.h"
#include "zurcore/codec/raw_access.h"
#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

bool isConstructedBuiltin(uint8_t builtin) {
  return builtin == ZB_SEQUENCE || builtin == ZB_SET || builtin == ZB_SEQUENCE_OF || builtin == ZB_SET_OF;
}

// The octets of the element at in[pos], 0 when no element can be read there.
// An open type's kept octets may be in any BER form: lengths are read under
// BER, as the decoder reads them.
std::size_t elementSize(const unsigned char *in, std::size_t pos, std::size_t end) {
  std::size_t stop;
  HeaderFault fault;
  return elementEnd(in, pos, end, end, false, stop, fault) ? stop - pos : 0;
}

// The tag of the element at in[0] in the canonical order of tags
// (UNIVERSAL, APPLICATION, context-specific, PRIVATE, then by number).
uint64_t canonicalTag(const unsigned char *in) {
  uint64_t number = in[0] & 0x1Fu;
  if (number == 0x1F) {
    number = 0;
    // Written or checked by readHeader: at most 14 bits.
    for (const unsigned char *p = in + 1;; ++p) {
      number = number << 7 | (*p & 0x7Fu);
      if ((*p & 0x80) == 0) break;
    }
  }
  return static_cast<uint64_t>(in[0] >> 6) << 62 | number;
}

}  // namespace

bool Encoder::encodeValue(uint32_t type, const unsigned char *slot) {
  const TypeDesc &d = s_.desc(type);
  const unsigned char *v = slot;
  if ((d.typeFlags & TYPE_BY_POINTER) != 0) {
    v = load<const unsigned char *>(slot);
    if (v == nullptr) return fail(ROW_NULL_IN_INPUT);
  }
  const ZurType &zt = s_.type(type);
  const std::size_t mark = out_.used();
  if (depth_ >= maxDepth_) return fail(ROW_SIZE_TOO_LONG, ReportArg::of(depth_ + 1), kDepthLimitDetail);
  ++depth_;
  const bool ok = encodeBody(type, v);
  --depth_;
  if (!ok) return false;
  const ZurTag *tags = s_.tags(zt);
  for (int i = zt.tagCount - 1; i >= 0; --i) {
    const bool wrapper = i + 1 < zt.tagCount || (tags[i].flags & ZUR_TAG_EXPLICIT) != 0;
    if (!out_.header(tags[i].tag, wrapper || isConstructedBuiltin(zt.builtin), out_.used() - mark))
      return failWriter();
  }
  return true;
}

bool Encoder::encodeBody(uint32_t type, const unsigned char *v) {
  switch (s_.type(type).builtin) {
    case ZB_SEQUENCE:
    case ZB_SET:
      return encodeComponents(type, v);
    case ZB_SEQUENCE_OF:
    case ZB_SET_OF:
      return encodeElements(type, v);
    case ZB_CHOICE:
    case ZB_OPEN_TYPE:
      return encodeAlternative(type, v);
    default:
      return encodeLeaf(type, v);
  }
}

bool Encoder::encodeComponents(uint32_t type, const unsigned char *v) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &zt = s_.type(type);
  const uint32_t count = static_cast<uint32_t>(d.count);
  const bool set = zt.builtin == ZB_SET;
  const std::size_t mark = out_.used();
  uint32_t written = 0;
  for (uint32_t k = count; k-- != 0;) {
    const uint32_t i = set ? s_.codec->order[zt.order + k] : k;
    const uint32_t comp = d.ref + i;
    const FieldDesc &f = s_.field(comp);
    if (s_.mayBeAbsent(comp)) {
      if (ctlComponentPresent(&f, v, d.lenSize, v + f.offset) == 0) continue;
      if (der_ && equalsDefault(s_, comp, v)) continue;
    }
    if (!encodeValue(f.type, v + f.offset)) {
      if (name_ == nullptr) name_ = s_.fieldName(comp);
      return false;
    }
    ++written;
  }
  // The order of the tags' canonical order is BER's; DER sorts a SET by the
  // tags actually written: an untagged CHOICE stands where its chosen
  // alternative's tag puts it, extension additions among the others.
  if (der_ && set && written > 1) return sortEncodings(mark, written, true);
  return true;
}

bool Encoder::encodeElements(uint32_t type, const unsigned char *v) {
  const TypeDesc &d = s_.desc(type);
  const uint32_t count = load<uint32_t>(v);
  const auto *elements = load<const unsigned char *>(v + d.dataOffset);
  if (count != 0 && elements == nullptr) return fail(ROW_NULL_IN_INPUT);
  const std::size_t stride = static_cast<std::size_t>(d.count);
  const std::size_t mark = out_.used();
  for (uint32_t k = count; k-- != 0;)
    if (!encodeValue(d.ref, elements + k * stride)) return false;
  if (der_ && s_.type(type).builtin == ZB_SET_OF && count > 1) return sortEncodings(mark, count, false);
  return true;
}

// DER orders the elements of a SET OF by their encodings, compared as octet
// strings, and the components of a SET (`byTag`) by their tags.
bool Encoder::sortEncodings(std::size_t mark, uint32_t count, bool byTag) {
  const std::size_t length = out_.used() - mark;
  unsigned char *region = out_.front();
  if (!growBlock(env_, scratch_.slices, scratch_.sliceBytes, uint64_t{count} * sizeof(ElementSlice),
                 limit_ * 2) ||
      !growBlock(env_, scratch_.spare, scratch_.spareSize, length, limit_))
    return fail(ROW_ALLOCATION_FAILED, ReportArg::of(static_cast<int64_t>(length)));
  auto *slices = reinterpret_cast<ElementSlice *>(scratch_.slices);
  std::size_t pos = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const std::size_t size = elementSize(region, pos, length);
    slices[k] = ElementSlice{static_cast<uint32_t>(pos), static_cast<uint32_t>(size)};
    pos += size;
  }
  if (byTag) {
    std::sort(slices, slices + count, [region](const ElementSlice &a, const ElementSlice &b) {
      const uint64_t x = canonicalTag(region + a.offset), y = canonicalTag(region + b.offset);
      return x < y || (x == y && a.offset < b.offset);
    });
  } else {
    std::sort(slices, slices + count, [region](const ElementSlice &a, const ElementSlice &b) {
      const int order = std::memcmp(region + a.offset, region + b.offset, std::min(a.length, b.length));
      return order < 0 || (order == 0 && a.length < b.length);
    });
  }
  unsigned char *spare = scratch_.spare;
  std::size_t at = 0;
  for (uint32_t k = 0; k < count; ++k) {
    std::memcpy(spare + at, region + slices[k].offset, slices[k].length);
    at += slices[k].length;
  }
  std::memcpy(region, spare, length);
  return true;
}

bool Encoder::encodeAlternative(uint32_t type, const unsigned char *v) {
  const TypeDesc &d = s_.desc(type);
  if (d.kind == KIND_ENCODED) {
    const auto e = load<EncodedValue>(v);
    if (e.length == 0 || e.octets == nullptr) return fail(ROW_OPEN_TYPE_EMPTY);
    // The octets were kept from a decode or set by the application:
    // anything but one whole element (EOC octets are none) would break the
    // encoding around them. BER writes them as they are.
    if (e.octets[0] == 0 || elementSize(e.octets, 0, e.length) != e.length) return fail(ROW_MISENCODED);
    return der_ ? putKeptAsDer(e.octets, e.length) : putOctets(e.octets, e.length);
  }
  const int32_t choice = load<int32_t>(v);
  if (choice < 1 || choice > d.count) return fail(ROW_CHOICE_SELECTOR, ReportArg::of(choice));
  const uint32_t comp = d.ref + static_cast<uint32_t>(choice) - 1;
  const FieldDesc &f = s_.field(comp);
  if (!encodeValue(f.type, v + f.offset)) {
    if (name_ == nullptr) name_ = s_.fieldName(comp);
    return false;
  }
  return true;
}

}  // namespace zurcore
