// Decoding the structure of a value: tags and explicit wrappers, SEQUENCE,
// SET, CHOICE, SEQUENCE OF, SET OF and open types. Leaves are in
// ber_decode_leaves.h, part of this file.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ber_decode_leaves.h"
#include "ber_decoder.h"
#include "zurbase/values.h"
#include "zurcore/codec/defaults.h"
#include "zurcore/codec/limits.h"
#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

constexpr const char *kDerDefault = "DER: DEFAULT value not encoded";
constexpr const char *kDerSetOfOrder = "DER: SET OF elements in ascending order";
constexpr const char *kDerSetOrder = "DER: SET components in the order of their tags";
// The components of one SET that a decode tells apart.
constexpr uint32_t kMaxSetComponents = 1024;

void setSelector(unsigned char *v, int32_t choice) { std::memcpy(v, &choice, sizeof choice); }

// The name an alternative of a CHOICE (or open type) is traced with: its
// own, or, for a CHOICE without tags of its own, the component's name with
// the alternative's as label.
Naming alternativeNaming(const Naming &outer, const char *name, int32_t index) {
  if (outer.fieldName == nullptr) return Naming{name, nullptr, index};
  return Naming{outer.fieldName, name, outer.index};
}

}  // namespace

template <bool kTraced>
bool Decoder<kTraced>::fail(int row, std::size_t at, ReportArg arg, const char *detail) {
  row_ = row;
  at_ = at;
  arg_ = arg;
  detail_ = detail;
  return false;
}

template <bool kTraced>
bool Decoder<kTraced>::failHeader(const HeaderFault &f) {
  return fail(f.row, f.at, f.octets >= 0 ? ReportArg::of(f.octets) : ReportArg{}, f.derRule);
}

template <bool kTraced>
bool Decoder<kTraced>::failArena(std::size_t at) { return fail(arena_.faultRow(), at, ReportArg::of(arena_.faultArg())); }

template <bool kTraced>
bool Decoder<kTraced>::decodePdu(uint32_t type, unsigned char *slot) {
  return decodeValue(type, slot, size_, Naming{}, 0, nullptr);
}

template <bool kTraced>
void Decoder<kTraced>::traceElement(const Naming &naming, const char *caption, int tagCount, int32_t depth,
                           bool primitive) {
  ElementEvent e;
  e.fieldName = naming.fieldName;
  e.label = naming.label;
  e.caption = caption;
  e.index = naming.index;
  e.depth = depth;
  e.primitive = primitive;
  trace_->element(e, tagCount);
}

template <bool kTraced>
void Decoder<kTraced>::traceEoc(int32_t depth) {
  if (kTraced && trace_ != nullptr) trace_->eoc(&depth, 1);  // null while a joined string is walked again
}

template <bool kTraced>
bool Decoder<kTraced>::closeIndefinite(const Contents &c, int32_t depth) {
  if (pos_ + 2 <= c.end && in_[pos_] == 0 && in_[pos_ + 1] == 0) {
    pos_ += 2;
    traceEoc(depth);
    return true;
  }
  if (pos_ >= c.end) return fail(c.end >= size_ ? ROW_PREMATURE_END : ROW_EXPECTED_EOC, pos_);
  return fail(in_[pos_] == 0 ? ROW_NON_STANDARD_EOC : ROW_EXPECTED_EOC, pos_);
}

template <bool kTraced>
bool Decoder<kTraced>::skipElement(std::size_t limit) {
  HeaderFault f;
  if (!elementEnd(in_, pos_, limit, size_, der_, pos_, f)) return failHeader(f);
  return true;
}

template <bool kTraced>
bool Decoder<kTraced>::failDepth() {
  return fail(ROW_SIZE_TOO_LONG, pos_, ReportArg::of(nesting_ + 1), kDepthLimitDetail);
}

template <bool kTraced>
bool Decoder<kTraced>::decodeTags(uint32_t type, unsigned char *v, int i, std::size_t limit,
                         const Naming &naming, int32_t depth, const ValueFrame *frame) {
  const ZurType &zt = s_.type(type);
  const ZurTag &tag = s_.tags(zt)[i];
  const Header *entered = enterTag(tag.tag, i, limit);
  if (entered == nullptr) return false;
  const Header &h = *entered;
  const bool innermost = i + 1 == zt.tagCount;
  if (innermost && (tag.flags & ZUR_TAG_EXPLICIT) == 0) return decodeContents(type, v, h, limit, naming, depth, frame);
  const std::size_t at = pos_ - h.size;
  const Contents c = contentsOf(h, limit);
  const int32_t inner = depth + i + 1;
  if (!h.constructed) return fail(ROW_EXPECTED_CONSTRUCTED, at);
  bool ok;
  if (innermost) {
    // A CHOICE or an open type inside its explicit tags.
    if (kTraced) traceElement(naming, typeCaption(s_, type), zt.tagCount, depth, false);
    ok = decodeUntagged(type, v, c.end, Naming{}, inner, frame, false);
  } else {
    ok = decodeTags(type, v, i + 1, c.end, naming, depth, frame);
  }
  return ok && close(c, inner);
}

template <bool kTraced>
void Decoder<kTraced>::traceTag(int i, const Header &h) {
  TagLen &t = trace_->tags()[i];
  t = TagLen{};
  t.length = static_cast<int32_t>(h.length);
  t.tag = h.tag;
  t.lenFlags = h.definite ? TAGLEN_DEFINITE : 0;
}

template <bool kTraced>
[[gnu::always_inline]] inline bool Decoder<kTraced>::decodeUntagged(uint32_t type, unsigned char *v,
                                                                    std::size_t limit, const Naming &naming,
                                                                    int32_t depth, const ValueFrame *frame,
                                                                    bool matched) {
  if (s_.type(type).builtin == ZB_CHOICE) return decodeChoice(type, v, limit, naming, depth, frame, matched);
  if (s_.desc(type).kind == KIND_ENCODED) return keepEncoded(type, v, limit, naming, depth);
  return decodeOpenType(type, v, limit, naming, depth, frame);
}

template <bool kTraced>
bool Decoder<kTraced>::failDefault(std::size_t at) { return fail(ROW_MISENCODED, at, {}, kDerDefault); }

template <bool kTraced>
bool Decoder<kTraced>::skipUnknown(const Contents &c, int32_t depth) {
  const std::size_t start = pos_;
  if (kTraced) {
    Header h;
    if (!header(c.end, h)) return false;
    traceTag(0, h);
    traceElement(Naming{nullptr, "unknown extension", 0}, nullptr, 1, depth, !h.constructed);
  }
  // Under DER an addition of a later version is DER too, as far as it can
  // be told without its type.
  return skipElement(c.end) && (!der_ || checkKeptDer(start, pos_));
}

template <bool kTraced>
bool Decoder<kTraced>::decodeSequence(uint32_t type, unsigned char *v, const Header &h, std::size_t limit,
                             const Naming &naming, int32_t outer, const ValueFrame *enclosing) {
  if (!openConstructed(type, h, naming, outer)) return false;
  const Contents c = contentsOf(h, limit);
  const int32_t depth = outer + s_.type(type).tagCount;
  const ValueFrame self{enclosing, v, type};
  const ValueFrame *frame = &self;
  const TypeDesc &d = s_.desc(type);
  const uint32_t first = d.ref;
  const uint32_t count = static_cast<uint32_t>(d.count);
  const uint16_t lenSize = d.lenSize;
  bool more;
  uint16_t tag = 0;
  // pos_ in a local while the components are leaves: stores into the value
  // could alias pos_, so the member would be read again after each of them.
  std::size_t at = pos_;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t comp = first + i;
    const FieldDesc &f = s_.field(comp);
    const ZurType &ct = s_.type(f.type);
    // Mostly the component is there, in its usual form: one look at the
    // input says so.
    if constexpr (!kTraced) {
      Header h;
      if (quickHeader(s_.component(comp).identifier, at, c.end, h) && !h.constructed &&
          nesting_ < maxDepth_) {
        const std::size_t contentsAt = at + h.size;
        const std::size_t next = contentsAt + h.length;
        pos_ = next;
        if (!leafValue(f.type, v + f.offset, in_ + contentsAt, h.length, at, contentsAt, true, 0) ||
            !componentDone(comp, f, v, at, lenSize))
          return false;
        at = next;
        continue;
      }
      // An open type kept encoded, such as an ANY.
      if (ct.matchCount == 0 && s_.desc(f.type).kind == KIND_ENCODED && (ct.flags & ZUR_T_BY_POINTER) == 0 &&
          at < c.end && (in_[at] & 0x1F) != 0x1F && quickHeader(in_[at], at, c.end, h) && nesting_ < maxDepth_) {
        pos_ = at + h.size + h.length;
        if (!keepOctets(v + f.offset, at) || !componentDone(comp, f, v, at, lenSize)) return false;
        at = pos_;
        continue;
      }
    }
    bool present = quickPeek(ct.identifier, c.end);
    if (!present) {
      if (!nextTag(c, more, tag)) return false;
      present = more && s_.startsWith(ct, tag);
    }
    if (present) {
      if (!component(comp, static_cast<int32_t>(i + 1), v, c, depth, frame)) return false;
    } else if (s_.mayBeAbsent(comp)) {
      copyDefault(s_, comp, v);
    } else {
      return fail(ROW_FIELD_OMITTED, pos_, ReportArg::named(s_.fieldName(comp)));
    }
    at = pos_;
  }
  for (;;) {
    if (!nextTag(c, more, tag)) return false;
    if (!more) return close(c, depth);
    if ((s_.type(type).flags & ZUR_T_EXTENSIBLE) == 0)
      return fail(ROW_TAG_MISMATCH, pos_, ReportArg::tag(tag));
    if (!skipUnknown(c, depth)) return false;
  }
}

template <bool kTraced>
bool Decoder<kTraced>::decodeSet(uint32_t type, unsigned char *v, const Header &h, std::size_t limit,
                        const Naming &naming, int32_t outer, const ValueFrame *enclosing) {
  if (!openConstructed(type, h, naming, outer)) return false;
  const Contents c = contentsOf(h, limit);
  const int32_t depth = outer + s_.type(type).tagCount;
  const ValueFrame self{enclosing, v, type};
  const ValueFrame *frame = &self;
  const TypeDesc &d = s_.desc(type);
  const ZurType &zt = s_.type(type);
  const uint32_t first = d.ref;
  const uint32_t count = static_cast<uint32_t>(d.count);
  if (count > kMaxSetComponents) return fail(ROW_TABLES_CORRUPTED, pos_);
  uint64_t seen[kMaxSetComponents / 64] = {};
  int32_t lastTag = -1;
  bool more;
  uint16_t tag = 0;
  for (;;) {
    if (!nextTag(c, more, tag)) return false;
    if (!more) break;
    // DER orders the components by the tags they carry (a tag's class
    // and number, as the tag is held, in canonical order), extension
    // additions known or not among them.
    if (der_ && tag <= lastTag) return fail(ROW_MISENCODED, pos_, {}, kDerSetOrder);
    lastTag = tag;
    uint32_t i = 0;
    while (i < count && !s_.startsWith(s_.type(s_.field(first + i).type), tag)) ++i;
    if (i == count) {
      if ((zt.flags & ZUR_T_EXTENSIBLE) == 0) return fail(ROW_TAG_MISMATCH, pos_, ReportArg::tag(tag));
      if (!skipUnknown(c, depth)) return false;
      continue;
    }
    if ((seen[i / 64] >> (i % 64) & 1) != 0)
      return fail(ROW_FIELD_REPEATED, pos_, ReportArg::named(s_.fieldName(first + i)));
    seen[i / 64] |= uint64_t{1} << (i % 64);
    if (!component(first + i, static_cast<int32_t>(i + 1), v, c, depth, frame)) return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if ((seen[i / 64] >> (i % 64) & 1) != 0) continue;
    if (!s_.mayBeAbsent(first + i)) return fail(ROW_FIELD_OMITTED, pos_, ReportArg::named(s_.fieldName(first + i)));
    copyDefault(s_, first + i, v);
  }
  return close(c, depth);
}

template <bool kTraced>
bool Decoder<kTraced>::decodeChoice(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                                    int32_t depth, const ValueFrame *frame, bool matched) {
  const TypeDesc &d = s_.desc(type);
  const Contents c{limit, false};
  uint16_t tag = peeked_.tag;
  if (!matched) {
    bool more;
    if (!nextTag(c, more, tag)) return false;
    if (!more) return fail(limit >= size_ ? ROW_PREMATURE_END : ROW_INCONSISTENT_LENGTHS, pos_);
  }
  const uint32_t count = static_cast<uint32_t>(d.count);
  uint32_t i = 0;
  while (i < count && !s_.startsWith(s_.type(s_.field(d.ref + i).type), tag)) ++i;
  if (i == count) {
    if ((s_.type(type).flags & ZUR_T_EXTENSIBLE) == 0) return fail(ROW_TAG_MISMATCH, pos_, ReportArg::tag(tag));
    setSelector(v, 0);
    return skipUnknown(c, depth);
  }
  setSelector(v, static_cast<int32_t>(i + 1));
  const FieldDesc &f = s_.field(d.ref + i);
  const ValueFrame here{frame, v, type};
  if constexpr (kTraced) {
    const Naming altNaming = alternativeNaming(naming, s_.fieldName(d.ref + i), static_cast<int32_t>(i + 1));
    return decodeValue(f.type, v + f.offset, limit, altNaming, depth, &here, true);
  } else {
    return decodeValue(f.type, v + f.offset, limit, kUnnamed, depth, &here, true);
  }
}

template <bool kTraced>
bool Decoder<kTraced>::decodeOpenType(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                             int32_t depth, const ValueFrame *frame) {
  const TypeDesc &d = s_.desc(type);
  const ZurObject *object = selectObject(s_, type, frame);
  const uint32_t alternative = object != nullptr ? object->alternative : static_cast<uint32_t>(d.count);
  setSelector(v, static_cast<int32_t>(alternative));
  const uint32_t comp = d.ref + alternative - 1;
  const FieldDesc &f = s_.field(comp);
  const Naming altNaming =
      kTraced ? alternativeNaming(naming, s_.fieldName(comp), static_cast<int32_t>(alternative)) : Naming{};
  if (object == nullptr) return keepEncoded(f.type, v + f.offset, limit, altNaming, depth);
  return decodeValue(object->type, v + f.offset, limit, altNaming, depth, frame);
}

template <bool kTraced>
[[gnu::always_inline]] inline bool Decoder<kTraced>::keepEncoded(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                          int32_t depth) {
  const std::size_t start = pos_;
  if (start < limit && in_[start] == 0) return fail(ROW_UNEXPECTED_EOC, start);
  if (kTraced) {
    Header h;
    if (!header(limit, h)) return false;
    traceTag(0, h);
    traceElement(naming, typeCaption(s_, type), 1, depth, !h.constructed);
  }
  return stepOver(limit) && keepOctets(v, start);
}

// The octets from `start` to pos_, an element kept encoded, copied into the
// encoded value at `v`.
template <bool kTraced>
[[gnu::always_inline]] inline bool Decoder<kTraced>::keepOctets(unsigned char *v, std::size_t start) {
  if (der_ && !checkKeptDer(start, pos_)) return false;
  const std::size_t length = pos_ - start;
  auto *copy = static_cast<unsigned char *>(arena_.allocateUninitialized(length));
  if (copy == nullptr) return failArena(start);
  copyOctets(copy, in_ + start, length);
  // Member by member: a record built on the stack and copied whole is
  // loaded back wider than it was stored, which waits for the stores.
  const ApiWord reserved = 0, octets = static_cast<ApiWord>(length);
  std::memcpy(v + offsetof(EncodedValue, reserved), &reserved, sizeof reserved);
  std::memcpy(v + offsetof(EncodedValue, length), &octets, sizeof octets);
  std::memcpy(v + offsetof(EncodedValue, octets), &copy, sizeof copy);
  return true;
}

// Kept octets under DER: what DER asks of every element, whatever its type,
// holds for each one in [at, end): a definite, minimal length and, for a
// UNIVERSAL string, the primitive form.
template <bool kTraced>
bool Decoder<kTraced>::checkKeptDer(std::size_t at, std::size_t end) {
  while (at < end) {
    Header h;
    HeaderFault f;
    if (!readHeader(in_, at, end, size_, true, h, f)) return failHeader(f);
    if (in_[at] == 0) return fail(ROW_UNEXPECTED_EOC, at);
    if (h.constructed) {
      if (isUniversalStringTag(h.tag)) return fail(ROW_EXPECTED_PRIMITIVE, at, {}, kDerPrimitiveString);
      if (nesting_ + 1 > maxDepth_) return failDepth();
      ++nesting_;
      const bool ok = checkKeptDer(at + h.size, at + h.size + h.length);
      --nesting_;
      if (!ok) return false;
    }
    at += h.size + h.length;
  }
  return true;
}

template <bool kTraced>
bool Decoder<kTraced>::decodeElements(uint32_t type, unsigned char *v, const Header &h, std::size_t limit,
                             const Naming &naming, int32_t outer, const ValueFrame *enclosing) {
  if (!openConstructed(type, h, naming, outer)) return false;
  const Contents c = contentsOf(h, limit);
  const int32_t depth = outer + s_.type(type).tagCount;
  const ValueFrame self{enclosing, v, type};
  const ValueFrame *frame = &self;
  const TypeDesc &d = s_.desc(type);
  const std::size_t start = pos_;
  uint32_t count = 0;
  bool more;
  uint16_t tag = 0;
  // The first header stays in peeked_ for its decode below; the others are
  // counted on locals and read again there.
  more = quickPeek(s_.type(d.ref).identifier, c.end);
  if (!more && !nextTag(c, more, tag)) return false;
  Header e = peeked_;
  for (std::size_t at = start; more;) {
    if (e.definite) {
      at += e.size + e.length;
    } else {
      pos_ = at;
      if (!skipElement(c.end)) return false;
      at = pos_;
    }
    ++count;
    const int state = elementAt(c, at);
    if (state < 0) return false;
    more = state > 0;
    HeaderFault f;
    if (more && !readHeader(in_, at, c.end, size_, der_, e, f)) return failHeader(f);
  }
  pos_ = start;
  const std::size_t stride = static_cast<std::size_t>(d.count);
  unsigned char *elements = nullptr;
  if (count != 0) {
    if (uint64_t{count} * stride > SIZE_MAX / 2) return fail(ROW_OUTPUT_LIMIT, start, ReportArg::of(count));  // no division per list
    elements = static_cast<unsigned char *>(arena_.allocate(count * stride));
    if (elements == nullptr) return failArena(start);
  }
  std::memcpy(v, &count, sizeof count);
  std::memcpy(v + d.dataOffset, &elements, sizeof elements);
  const bool checkOrder = der_ && s_.type(type).builtin == ZB_SET_OF;
  std::size_t previous = 0, previousEnd = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const std::size_t at = pos_;
    bool ok;
    if constexpr (kTraced) {
      ok = decodeValue(d.ref, elements + k * stride, c.end, Naming{nullptr, nullptr, static_cast<int32_t>(k + 1)},
                       depth, frame);
    } else {
      ok = decodeValue(d.ref, elements + k * stride, c.end, kUnnamed, depth, frame);
    }
    if (!ok) return false;
    if (checkOrder && k != 0) {
      const std::size_t a = previousEnd - previous, b = pos_ - at;
      const int order = std::memcmp(in_ + previous, in_ + at, a < b ? a : b);
      if (order > 0 || (order == 0 && a > b)) return fail(ROW_MISENCODED, at, {}, kDerSetOfOrder);
    }
    previous = at;
    previousEnd = pos_;
  }
  return close(c, depth);
}

template class Decoder<false>;
template class Decoder<true>;

}  // namespace zurcore
