// Decoding the contents of simple types into their layouts: integers,
// BOOLEAN, NULL, ENUMERATED, REAL, OBJECT IDENTIFIER, RELATIVE-OID, the
// string types (constructed forms joined) and the time types. Part of
// ber_decode_structures.cpp, which alone includes it: a primitive leaf is
// decoded inline where its parent reads it.
#ifndef ZURCORE_BER_BER_DECODE_LEAVES_H
#define ZURCORE_BER_BER_DECODE_LEAVES_H

#include <cstddef>
#include <cstring>

#include "ber_decoder.h"
#include "real_codec.h"
#include "time_codec.h"
#include "zurbase/values.h"
#include "zurcore/codec/limits.h"
#include "zurcore/codec/oid_arcs.h"
#include "zurcore/codec/raw_access.h"
#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

constexpr const char *kDerBoolean = "DER: BOOLEAN TRUE as FF";
constexpr const char *kDerPrimitiveString = "DER: primitive string form";
constexpr const char *kDerUnusedBits = "DER: unused bits zero";
constexpr const char *kDerNamedBits = "DER: no trailing zero bits with named bits";
constexpr const char *kDerInteger = "DER: INTEGER in the fewest octets";

bool isString(uint8_t builtin) {
  switch (builtin) {
    case ZB_BIT_STRING:
    case ZB_OCTET_STRING:
    case ZB_OBJECT_DESCRIPTOR:
    case ZB_UTF8_STRING:
    case ZB_NUMERIC_STRING:
    case ZB_PRINTABLE_STRING:
    case ZB_TELETEX_STRING:
    case ZB_VIDEOTEX_STRING:
    case ZB_IA5_STRING:
    case ZB_UTC_TIME:
    case ZB_GENERALIZED_TIME:
    case ZB_GRAPHIC_STRING:
    case ZB_VISIBLE_STRING:
    case ZB_GENERAL_STRING:
    case ZB_UNIVERSAL_STRING:
    case ZB_BMP_STRING:
      return true;
    default:
      return false;
  }
}

// Leading octets that only repeat the sign: BER forbids them in an INTEGER.
bool needlesslyLong(const unsigned char *p, std::size_t n) {
  return n > 1 && ((p[0] == 0 && (p[1] & 0x80) == 0) || (p[0] == 0xFF && (p[1] & 0x80) != 0));
}

// A count (at the start of the value) and an address (at `addressAt`), one
// by one: a record built on the stack and copied whole is loaded back wider
// than it was stored, which waits for the stores.
template <class Count>
void storeCounted(unsigned char *v, Count count, std::size_t addressAt, const void *address) {
  std::memcpy(v, &count, sizeof count);
  std::memcpy(v + addressAt, &address, sizeof address);
}

// The first and the last sizeof(Word) of n octets, which cover them all
// when n is at most twice that.
template <class Word>
void copyEnds(unsigned char *to, const unsigned char *from, std::size_t n) {
  Word head, tail;
  std::memcpy(&head, from, sizeof head);
  std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
  std::memcpy(to, &head, sizeof head);
  std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
}

// std::memcpy of n octets, without a call for the short ones most values
// are.
[[gnu::always_inline]] inline void copyOctets(unsigned char *to, const unsigned char *from, std::size_t n) {
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {
    copyEnds<uint64_t>(to, from, n);
  } else if (n >= 4) {
    copyEnds<uint32_t>(to, from, n);
  } else if (n != 0) {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// Whether word w holds an octet 0x80.
template <class Word>
bool holds80(Word w) {
  constexpr Word ones = static_cast<Word>(~Word{0}) / 0xFF, highs = ones * 0x80;
  const Word x = w ^ highs;  // an octet 0x80 becomes 0
  return ((x - ones) & ~x & highs) != 0;
}

// Whether the first and the last sizeof(Word) of n octets hold 0x80.
template <class Word>
bool ends80(const unsigned char *p, std::size_t n) {
  Word head, tail;
  std::memcpy(&head, p, sizeof head);
  std::memcpy(&tail, p + n - sizeof tail, sizeof tail);
  return holds80(head) || holds80(tail);
}

// std::memchr(p, 0x80, n) != nullptr, without a call for the short
// identifiers most are.
[[gnu::always_inline]] inline bool contains80(const unsigned char *p, std::size_t n) {
  if (n > 16) return std::memchr(p, 0x80, n) != nullptr;
  if (n >= 8) return ends80<uint64_t>(p, n);
  if (n >= 4) return ends80<uint32_t>(p, n);
  return n != 0 && (p[0] == 0x80 || p[n / 2] == 0x80 || p[n - 1] == 0x80);
}

}  // namespace

// The segments of a constructed string, walked twice: once to check them
// and add up their length, once to copy them behind each other.
template <bool kTraced>
class StringGatherer {
 public:
  StringGatherer(Decoder<kTraced> &d, bool bits) : d_(d), bits_(bits) {}

  bool walk(const Contents &c, int32_t depth, unsigned char *out) {
    out_ = out;
    total_ = 0;
    unused_ = 0;
    return segments(c, depth);
  }
  std::size_t total() const { return total_; }
  unsigned unusedBits() const { return unused_; }

 private:
  bool segments(const Contents &c, int32_t depth) {
    if (d_.nesting_ + 1 > d_.maxDepth_)
      return d_.fail(ROW_SIZE_TOO_LONG, d_.pos_, ReportArg::of(d_.nesting_ + 1), kDepthLimitDetail);
    const uint16_t segmentTag = bits_ ? ZB_BIT_STRING : ZB_OCTET_STRING;
    for (;;) {
      bool more;
      uint16_t tag = 0;
      if (!d_.nextTag(c, more, tag)) return false;
      if (!more) return d_.close(c, depth);
      const std::size_t at = d_.pos_;
      Header h;
      if (!d_.header(c.end, h)) return false;
      if (h.tag != segmentTag) return d_.fail(ROW_TAG_MISMATCH, at, ReportArg::tag(h.tag));
      if (kTraced && out_ == nullptr) {
        d_.traceTag(0, h);
        d_.traceElement(Naming{}, bits_ ? "BIT STRING" : "OCTET STRING", 1, depth, !h.constructed);
      }
      d_.pos_ += h.size;
      if (h.constructed) {
        ++d_.nesting_;
        const bool ok = segments(Contents{h.definite ? d_.pos_ + h.length : c.end, !h.definite}, depth + 1);
        --d_.nesting_;
        if (!ok) return false;
        continue;
      }
      if (!h.definite) return d_.fail(ROW_PRIMITIVE_INDEFINITE, at);
      const unsigned char *p = d_.in_ + d_.pos_;
      std::size_t n = h.length;
      if (bits_) {
        if (n == 0) return d_.fail(ROW_MISENCODED, at);
        if (unused_ != 0) return d_.fail(ROW_MISENCODED, at);  // only the last segment has unused bits
        if (p[0] > 7) return d_.fail(ROW_UNUSED_BITS_RANGE, d_.pos_);
        if (n == 1 && p[0] != 0) return d_.fail(ROW_MISENCODED, d_.pos_);
        unused_ = p[0];
        ++p;
        --n;
      }
      if (out_ != nullptr) std::memcpy(out_ + total_, p, n);
      total_ += n;
      d_.pos_ += h.length;
    }
  }

  Decoder<kTraced> &d_;
  bool bits_;
  unsigned char *out_ = nullptr;
  std::size_t total_ = 0;
  unsigned unused_ = 0;
};

template <bool kTraced>
[[gnu::always_inline]] inline bool Decoder<kTraced>::decodeLeaf(uint32_t type, unsigned char *v, const Header &h, std::size_t limit,
                                  int32_t depth) {
  const std::size_t at = pos_ - h.size;
  if (h.constructed) return decodeJoined(type, v, at, contentsOf(h, limit), depth);
  if (!h.definite) return fail(ROW_PRIMITIVE_INDEFINITE, at);
  const std::size_t contentsAt = pos_;
  pos_ += h.length;
  return leafValue(type, v, in_ + contentsAt, h.length, at, contentsAt, true, 0);
}

template <bool kTraced>
bool Decoder<kTraced>::decodeJoined(uint32_t type, unsigned char *v, std::size_t at, const Contents &c, int32_t depth) {
  const uint8_t builtin = s_.type(type).builtin;
  if (!isString(builtin)) return fail(ROW_EXPECTED_PRIMITIVE, at);
  if (der_) return fail(ROW_EXPECTED_PRIMITIVE, at, {}, kDerPrimitiveString);
  StringGatherer<kTraced> g(*this, builtin == ZB_BIT_STRING);
  const std::size_t start = pos_;
  if (!g.walk(c, depth, nullptr)) return false;
  auto *joined = static_cast<unsigned char *>(arena_.allocate(g.total() + 1));
  if (joined == nullptr) return failArena(at);
  pos_ = start;
  TraceEvents *trace = trace_;
  trace_ = nullptr;  // the segments were traced on the first walk
  const bool ok = g.walk(c, depth, joined);
  trace_ = trace;
  return ok && leafValue(type, v, joined, g.total(), at, start, false, g.unusedBits());
}

// The value of a leaf from its contents p[0..n) (of the element at `at`,
// whose contents begin at `contentsAt`): a primitive BIT STRING's contents
// still begin with their count of unused bits, a joined one's are given.
template <bool kTraced>
[[gnu::always_inline]] inline bool Decoder<kTraced>::leafValue(uint32_t type, unsigned char *v, const unsigned char *p,
                                                      std::size_t n, std::size_t at, std::size_t contentsAt,
                                                      bool primitive, unsigned unused) {
  const ZurType &zt = s_.type(type);
  switch (zt.builtin) {
    case ZB_OBJECT_IDENTIFIER:
      // Most identifiers need no more check than this.
      if (n != 0 && (p[n - 1] & 0x80) == 0 && !contains80(p, n))
        return storeString(v, p, n, at, 0, static_cast<uint32_t>(n));
      return decodeOid(type, v, p, n, contentsAt);
    case ZB_RELATIVE_OID:
      return decodeOid(type, v, p, n, contentsAt);
    case ZB_BOOLEAN:
      if (n != 1) return fail(ROW_MISENCODED, at);
      if (der_ && p[0] != 0 && p[0] != 0xFF) return fail(ROW_MISENCODED, contentsAt, {}, kDerBoolean);
      v[0] = p[0] != 0 ? 1 : 0;
      return true;
    case ZB_NULL:
      return n == 0 || fail(ROW_MISENCODED, at);
    case ZB_INTEGER:
    case ZB_ENUMERATED:
      return decodeInteger(type, v, p, n, contentsAt);
    case ZB_REAL:
      return decodeRealValue(v, p, n, contentsAt);
    case ZB_UTC_TIME:
    case ZB_GENERALIZED_TIME:
      return decodeTime(zt.builtin == ZB_GENERALIZED_TIME, v, p, n, contentsAt);
    case ZB_BIT_STRING: {
      if (primitive) {
        if (n == 0) return fail(ROW_MISENCODED, at);
        if (p[0] > 7) return fail(ROW_UNUSED_BITS_RANGE, contentsAt);
        if (n == 1 && p[0] != 0) return fail(ROW_MISENCODED, contentsAt);
        unused = p[0];
        ++p;
        --n;
      }
      if (der_ && unused != 0 && (p[n - 1] & ((1u << unused) - 1)) != 0)
        return fail(ROW_MISENCODED, contentsAt, {}, kDerUnusedBits);
      const uint64_t length = uint64_t{n} * 8 - unused;
      if (der_ && (zt.flags & ZUR_T_NAMED_BITS) != 0 && length != 0 && (p[n - 1] >> unused & 1) == 0)
        return fail(ROW_MISENCODED, contentsAt, {}, kDerNamedBits);
      if (length > UINT32_MAX) return fail(ROW_SIZE_TOO_LONG, contentsAt, ReportArg::of(n));
      return storeString(v, p, n, at, unused, static_cast<uint32_t>(length));
    }
    case ZB_BMP_STRING:
    case ZB_UNIVERSAL_STRING:
      return decodeWideString(zt.builtin == ZB_BMP_STRING ? 2 : 4, v, p, n, contentsAt);
    default:
      return storeString(v, p, n, at, 0, static_cast<uint32_t>(n));
  }
}

template <bool kTraced>
bool Decoder<kTraced>::decodeRealValue(unsigned char *v, const unsigned char *p, std::size_t n, std::size_t at) {
  double value = 0;
  LeafFault f;
  if (int row = decodeReal(p, n, der_, value, f)) return fail(row, at, ReportArg::of(f.arg), f.derRule);
  store(v, value);
  return true;
}

template <bool kTraced>
bool Decoder<kTraced>::decodeTime(bool generalized, unsigned char *v, const unsigned char *p, std::size_t n,
                         std::size_t at) {
  TimeValue t;
  LeafFault f;
  if (int row = parseTime(generalized, p, n, der_, t, f)) return fail(row, at, {}, f.derRule);
  store(v, t);
  return true;
}

template <bool kTraced>
[[gnu::always_inline]] inline bool Decoder<kTraced>::storeString(unsigned char *v, const unsigned char *p, std::size_t n, std::size_t at,
                          unsigned unused, uint32_t length) {
  auto *copy = static_cast<unsigned char *>(arena_.allocateUninitialized(n + 1));
  if (copy == nullptr) return failArena(at);
  copyOctets(copy, p, n);
  copy[n] = '\0';
  if (unused != 0) copy[n - 1] &= static_cast<unsigned char>(0xFFu << unused);
  storeCounted(v, length, offsetof(ZurOctets, value), copy);
  return true;
}

template <bool kTraced>
bool Decoder<kTraced>::decodeWideString(std::size_t unit, unsigned char *v, const unsigned char *p,
                               std::size_t n, std::size_t at) {
  if (n % unit != 0) return fail(ROW_MISENCODED, at);
  const std::size_t count = n / unit;
  auto *chars = static_cast<unsigned char *>(arena_.allocateUninitialized(n));
  if (chars == nullptr) return failArena(at);
  for (std::size_t k = 0; k < count; ++k, p += unit) {
    if (unit == 2) {
      const uint16_t c = static_cast<uint16_t>(p[0] << 8 | p[1]);
      std::memcpy(chars + 2 * k, &c, 2);
    } else {
      const uint32_t c = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
      std::memcpy(chars + 4 * k, &c, 4);
    }
  }
  storeCounted(v, static_cast<uint32_t>(count), offsetof(ZurOctets, value), chars);
  return true;
}

template <bool kTraced>
bool Decoder<kTraced>::decodeInteger(uint32_t type, unsigned char *v, const unsigned char *p, std::size_t n,
                            std::size_t at) {
  const TypeDesc &d = s_.desc(type);
  if (n == 0) return fail(ROW_MISENCODED, at);
  if (needlesslyLong(p, n)) {
    if (der_ || d.kind != KIND_OCTETS_PTR2) return fail(ROW_INTEGER_NEEDLESSLY_LONG, at, {}, der_ ? kDerInteger : nullptr);
    while (needlesslyLong(p, n)) {  // BER: kept in the fewest octets
      ++p;
      --n;
    }
  }
  const bool negative = (p[0] & 0x80) != 0;
  if (d.kind == KIND_OCTETS_PTR2) return storeString(v, p, n, at, 0, static_cast<uint32_t>(n));
  if (d.kind == KIND_UNSIGNED) {
    if (negative) return fail(ROW_NEGATIVE_UNSIGNED, at);
    if (n > 9 || (n == 9 && p[0] != 0)) return fail(ROW_INTEGER_TOO_LONG, at, ReportArg::of(n));
    uint64_t u = 0;
    for (std::size_t k = 0; k < n; ++k) u = u << 8 | p[k];
    store(v, u);
    return true;
  }
  if (n > d.lenSize) return fail(ROW_INTEGER_TOO_LONG, at, ReportArg::of(n));
  uint64_t u = negative ? ~uint64_t{0} : 0;
  for (std::size_t k = 0; k < n; ++k) u = u << 8 | p[k];
  const int64_t value = static_cast<int64_t>(u);
  if (d.kind == KIND_ENUMERATED) {
    const int32_t e = static_cast<int32_t>(value);
    const ZurType &zt = s_.type(type);
    if ((zt.flags & ZUR_T_EXTENSIBLE) == 0 && zt.valueRange != 0) {
      const ZurEnum &en = s_.codec->enums[zt.valueRange];
      const int32_t *values = s_.codec->enumValues + en.firstValue;
      uint32_t k = 0;
      while (k < uint32_t{en.rootCount} + en.extCount && values[k] != e) ++k;
      if (k == uint32_t{en.rootCount} + en.extCount) return fail(ROW_ENUM_VALUE, at, ReportArg::of(e));
    }
    std::memcpy(v, &e, sizeof e);
    return true;
  }
  // The low lenSize bytes, in the machine's order; a copy of a fixed size
  // for the usual 64-bit integer, which is a store rather than a call.
  if (d.lenSize == sizeof u)
    std::memcpy(v, &u, sizeof u);
  else
    std::memcpy(v, &u, d.lenSize);
  return true;
}

template <bool kTraced>
bool Decoder<kTraced>::decodeOid(uint32_t type, unsigned char *v, const unsigned char *p, std::size_t n,
                        std::size_t at) {
  const bool relative = s_.type(type).builtin == ZB_RELATIVE_OID;
  // Without an octet 0x80 no arc can begin with one: the usual identifier
  // needs no walk.
  if (!relative && n != 0 && (p[n - 1] & 0x80) == 0 && !contains80(p, n))
    return storeString(v, p, n, at, 0, static_cast<uint32_t>(n));
  const ArcCheck check = checkArcs(p, n, relative);
  if (check.row != 0) return fail(check.row, at + check.offset, ReportArg::of(check.argument));
  if (!relative) return storeString(v, p, n, at, 0, static_cast<uint32_t>(n));
  const uint32_t arcs = check.count;
  if (arcs > INT16_MAX) return fail(ROW_OID_TOO_LONG, at, ReportArg::of(arcs));
  auto *values = static_cast<uint32_t *>(arena_.allocateUninitialized(arcs * sizeof(uint32_t)));
  if (values == nullptr && arcs != 0) return failArena(at);
  arcsFromContents(p, n, values);
  storeCounted(v, static_cast<int16_t>(arcs), offsetof(ZurRelativeOid, value), values);
  return true;
}

}  // namespace zurcore

#endif
