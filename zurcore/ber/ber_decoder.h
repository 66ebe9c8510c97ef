// The BER/DER decoder: walks the compiled tables and the input together and
// lays the value out in one arena. One Decoder serves one call; everything it
// keeps per element lives on its own stack frames.
#ifndef ZURCORE_BER_BER_DECODER_H
#define ZURCORE_BER_BER_DECODER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "header.h"
#include "zurcore/codec/arena.h"
#include "zurcore/codec/defaults.h"
#include "zurcore/codec/open_type.h"
#include "zurcore/codec/report.h"
#include "zurcore/codec/tables.h"
#include "zurcore/codec/trace_events.h"

namespace zurcore {

// The contents of a constructed element being read: up to `end` (definite),
// or up to its EOC octets, which lie before `end` (indefinite).
struct Contents {
  std::size_t end;
  bool indefinite;
};

// How the element about to be decoded is named in the trace.
struct Naming {
  const char *fieldName = nullptr;
  const char *label = nullptr;
  int32_t index = 0;
};

// kTraced: whether the decode is traced; the decoder of untraced calls
// does no work for the trace.
template <bool kTraced>
class Decoder {
 public:
  Decoder(Env *env, const Schema &schema, const unsigned char *in, std::size_t size, bool der,
          uint32_t maxDepth, Arena &arena, TraceEvents *trace)
      : env_(env), s_(schema), in_(in), size_(size), der_(der), maxDepth_(maxDepth),
        arena_(arena), trace_(trace) {}

  // Decodes one value of `type` from the start of the input into the place
  // `slot` (of the type's size, or an address for a pointer-held type).
  bool decodePdu(uint32_t type, unsigned char *slot);
  // Octets consumed by decodePdu.
  std::size_t position() const { return pos_; }

  // The fault that stopped the decode.
  int faultRow() const { return row_; }
  const ReportArg &faultArg() const { return arg_; }
  const char *faultDetail() const { return detail_; }
  std::size_t faultOffset() const { return at_; }

 private:
  // Decoding leaves (ber_decode_leaves.h), called once the element's own
  // header is read: `h` is that header (read within `limit`), its contents
  // start at pos_.
  bool decodeLeaf(uint32_t type, unsigned char *v, const Header &h, std::size_t limit, int32_t depth);
  // decodeLeaf of a constructed string (the element at `at`): its segments
  // joined.
  [[gnu::noinline]] bool decodeJoined(uint32_t type, unsigned char *v, std::size_t at, const Contents &c,
                                      int32_t depth);
  bool leafValue(uint32_t type, unsigned char *v, const unsigned char *p, std::size_t n, std::size_t at,
                 std::size_t contentsAt, bool primitive, unsigned unused);

  template <bool>
  friend class StringGatherer;

  // Records the fault and returns false. Out of line, as are the others:
  // the paths that run per element stay small.
  [[gnu::noinline, gnu::cold]] bool fail(int row, std::size_t at, ReportArg arg = {}, const char *detail = nullptr);
  [[gnu::noinline, gnu::cold]] bool failHeader(const HeaderFault &f);
  [[gnu::noinline, gnu::cold]] bool failArena(std::size_t at);

  // The header at pos_ in peeked_; the one nextTag read there is not read
  // again, and one that starts with `identifier` is read by quickPeek.
  [[gnu::always_inline]] bool peek(std::size_t limit, uint8_t identifier = 0) {
    if (pos_ == peekedAt_ && limit == peekedLimit_) return true;
    if (quickPeek(identifier, limit)) return true;
    HeaderFault f;
    if (!readHeader(in_, pos_, limit, size_, der_, peeked_, f)) return failHeader(f);
    peekedAt_ = pos_;
    peekedLimit_ = limit;
    return true;
  }
  // The header at `at` into `h`, as readHeader reads it, when it is the
  // usual one of a type: its identifier octet `id` (not 0) and a definite
  // length in one octet or in the 0x81 and 0x82 forms that DER allows too.
  // False for any other header: readHeader reads those.
  [[gnu::always_inline]] bool quickHeader(uint8_t id, std::size_t at, std::size_t limit, Header &h) const {
    const unsigned char *p = in_ + at;
    if (at + 2 > limit || p[0] != id || id == 0) return false;
    uint32_t length = p[1], size = 2;
    if (length >= 0x80) {
      if (length == 0x81 && at + 3 <= limit && p[2] >= 0x80) {
        length = p[2];
        size = 3;
      } else if (length == 0x82 && at + 4 <= limit && p[2] != 0) {
        length = uint32_t{p[2]} << 8 | p[3];
        size = 4;
      } else {
        return false;
      }
    }
    if (length > limit - at - size) return false;
    h.tag = static_cast<uint16_t>((id >> 6) << 14 | (id & 0x1Fu));
    h.constructed = (id & 0x20) != 0;
    h.definite = true;
    h.length = length;
    h.size = size;
    return true;
  }
  // quickHeader into peeked_.
  [[gnu::always_inline]] bool quickPeek(uint8_t id, std::size_t limit) {
    if (!quickHeader(id, pos_, limit, peeked_)) return false;
    peekedAt_ = pos_;
    peekedLimit_ = limit;
    return true;
  }
  // The header at pos_, copied.
  bool header(std::size_t limit, Header &h) {
    if (!peek(limit)) return false;
    h = peeked_;
    return true;
  }
  // The tag of the next element of the contents (more), or the end of them
  // (!more); false on a fault. Inline: it runs once per element.
  [[gnu::always_inline]] bool nextTag(const Contents &c, bool &more, uint16_t &tag) {
    more = false;
    const int state = elementAt(c, pos_);
    if (state <= 0) return state == 0;
    HeaderFault f;
    if (!readHeader(in_, pos_, c.end, size_, der_, peeked_, f)) return failHeader(f);
    peekedAt_ = pos_;
    peekedLimit_ = c.end;
    more = true;
    tag = peeked_.tag;
    return true;
  }
  // 1: an element of the contents begins at `at`; 0: they end there; -1: a
  // fault.
  [[gnu::always_inline]] int elementAt(const Contents &c, std::size_t at) {
    if (c.indefinite) {
      if (at >= c.end) return fail(c.end >= size_ ? ROW_PREMATURE_END : ROW_EXPECTED_EOC, at) - 1;
      if (in_[at] == 0) {
        if (at + 1 < c.end && in_[at + 1] == 0) return 0;
        return fail(ROW_NON_STANDARD_EOC, at) - 1;
      }
    } else {
      if (at >= c.end) return 0;
      if (in_[at] == 0) return fail(ROW_UNEXPECTED_EOC, at) - 1;
    }
    return 1;
  }
  // Past the EOC octets (traced at `depth`) or at the end of definite
  // contents; a fault otherwise.
  [[gnu::always_inline]] bool close(const Contents &c, int32_t depth) {
    if (c.indefinite) return closeIndefinite(c, depth);
    return pos_ == c.end || fail(ROW_INCONSISTENT_LENGTHS, pos_);
  }
  bool closeIndefinite(const Contents &c, int32_t depth);
  // Steps over one whole element (an unknown extension, an open type).
  bool skipElement(std::size_t limit);
  // skipElement, a definite element on its header alone (inline: the
  // common case needs no walk).
  [[gnu::always_inline]] bool stepOver(std::size_t limit) {
    if (!peek(limit)) return false;
    if (!peeked_.definite) return skipElement(limit);
    pos_ += peeked_.size + peeked_.length;
    return true;
  }

  // Inline: the step from a component or element to its tags. `matched`:
  // the header at pos_ is in peeked_, read within `limit`, and its tag is
  // one that an encoding of the type begins with.
  [[gnu::always_inline]] bool decodeValue(uint32_t type, unsigned char *slot, std::size_t limit,
                                          const Naming &naming, int32_t depth, const ValueFrame *frame,
                                          bool matched = false) {
    const ZurType &zt = s_.type(type);
    unsigned char *v = slot;
    if ((zt.flags & ZUR_T_BY_POINTER) != 0) {
      v = static_cast<unsigned char *>(arena_.allocate(s_.desc(type).size));
      if (v == nullptr) return failArena(pos_);
      std::memcpy(slot, &v, sizeof v);
    }
    if (nesting_ + 1 > maxDepth_) return failDepth();
    ++nesting_;
    bool ok;
    if ((zt.flags & ZUR_T_OWN_TAG) != 0) {
      const Header *h = matched ? enterMatched() : enterTag(zt.startTag, 0, limit, zt.identifier);
      ok = h != nullptr && decodeContents(type, v, *h, limit, naming, depth, frame);
    } else if (zt.tagCount == 0)
      ok = decodeUntagged(type, v, limit, naming, depth, frame, matched);
    else
      ok = decodeTags(type, v, 0, limit, naming, depth, frame);
    --nesting_;
    return ok;
  }
  bool failDepth();
  // Reads the header of the type's tag `i` at pos_ (quickly when it starts
  // with `identifier`), checks and traces it, and steps past it: the header
  // (in peeked_, valid until the next one is read), or null on a fault.
  [[gnu::always_inline]] const Header *enterTag(uint16_t tag, int i, std::size_t limit, uint8_t identifier = 0) {
    const std::size_t at = pos_;
    if (!peek(limit, identifier)) return nullptr;
    const Header &h = peeked_;
    if (h.tag != tag) {
      fail(at == 0 ? ROW_PDU_TAG_MISMATCH : ROW_TAG_MISMATCH, at, ReportArg::tag(h.tag));
      return nullptr;
    }
    if (kTraced) traceTag(i, h);
    pos_ += h.size;
    return &h;
  }
  // enterTag of a type's only tag, on a matched header.
  [[gnu::always_inline]] const Header *enterMatched() {
    if (kTraced) traceTag(0, peeked_);
    pos_ += peeked_.size;
    return &peeked_;
  }
  void traceTag(int i, const Header &h);
  // The contents of a leaf type's own tag, whose header `h` is read (pos_ is
  // past it).
  [[gnu::noinline]] bool leafContents(uint32_t type, unsigned char *v, const Header &h, std::size_t limit,
                                           const Naming &naming, int32_t depth) {
    const int tagCount = s_.type(type).tagCount;
    if (kTraced) traceElement(naming, typeCaption(s_, type), tagCount, depth, !h.constructed);
    return decodeLeaf(type, v, h, limit, depth + tagCount);
  }
  // The contents of the type's own tag, whose header `h` is read (pos_ is
  // past it): one dispatch on the built-in type.
  [[gnu::always_inline]] bool decodeContents(uint32_t type, unsigned char *v, const Header &h, std::size_t limit,
                                             const Naming &naming, int32_t depth, const ValueFrame *frame) {
    switch (s_.type(type).builtin) {
      case ZB_SEQUENCE:
        return decodeSequence(type, v, h, limit, naming, depth, frame);
      case ZB_SEQUENCE_OF:
      case ZB_SET_OF:
        return decodeElements(type, v, h, limit, naming, depth, frame);
      case ZB_SET:
        return decodeSet(type, v, h, limit, naming, depth, frame);
      default:
        return leafContents(type, v, h, limit, naming, depth);
    }
  }
  // The contents of an element whose header `h` is read (pos_ is past it),
  // within `limit`.
  Contents contentsOf(const Header &h, std::size_t limit) const {
    return Contents{h.definite ? pos_ + h.length : limit, !h.definite};
  }
  // The start of a SEQUENCE, SET, SEQUENCE OF or SET OF whose header `h` is
  // read: traced and checked constructed.
  [[gnu::always_inline]] bool openConstructed(uint32_t type, const Header &h, const Naming &naming, int32_t depth) {
    if (kTraced) traceElement(naming, typeCaption(s_, type), s_.type(type).tagCount, depth, !h.constructed);
    return h.constructed || fail(ROW_EXPECTED_CONSTRUCTED, pos_ - h.size);
  }
  bool decodeTags(uint32_t type, unsigned char *v, int i, std::size_t limit, const Naming &naming,
                  int32_t depth, const ValueFrame *frame);
  bool decodeUntagged(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                      int32_t depth, const ValueFrame *frame, bool matched);
  bool decodeSequence(uint32_t type, unsigned char *v, const Header &h, std::size_t limit, const Naming &naming,
                      int32_t depth, const ValueFrame *frame);
  bool decodeSet(uint32_t type, unsigned char *v, const Header &h, std::size_t limit, const Naming &naming,
                 int32_t depth, const ValueFrame *frame);
  bool decodeChoice(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                    int32_t depth, const ValueFrame *frame, bool matched);
  bool decodeElements(uint32_t type, unsigned char *v, const Header &h, std::size_t limit, const Naming &naming,
                      int32_t depth, const ValueFrame *frame);
  // An open type that an object set selects (decodeUntagged keeps the
  // others encoded).
  bool decodeOpenType(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                      int32_t depth, const ValueFrame *frame);
  bool keepEncoded(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                   int32_t depth);
  bool keepOctets(unsigned char *v, std::size_t start);
  bool checkKeptDer(std::size_t at, std::size_t end);
  bool skipUnknown(const Contents &c, int32_t depth);
  bool storeString(unsigned char *v, const unsigned char *p, std::size_t n, std::size_t at,
                   unsigned unused, uint32_t length);
  bool decodeRealValue(unsigned char *v, const unsigned char *p, std::size_t n, std::size_t at);
  bool decodeTime(bool generalized, unsigned char *v, const unsigned char *p, std::size_t n, std::size_t at);
  bool decodeWideString(std::size_t unit, unsigned char *v, const unsigned char *p, std::size_t n,
                        std::size_t at);
  bool decodeInteger(uint32_t type, unsigned char *v, const unsigned char *p, std::size_t n,
                     std::size_t at);
  bool decodeOid(uint32_t type, unsigned char *v, const unsigned char *p, std::size_t n,
                 std::size_t at);
  // A component of a SEQUENCE or SET into its parent `v`, whose header
  // nextTag read and matched; inline, once per component.
  [[gnu::always_inline]] bool component(uint32_t comp, int32_t index, unsigned char *v, const Contents &c,
                                        int32_t depth, const ValueFrame *frame) {
    const FieldDesc &f = s_.field(comp);
    const std::size_t start = pos_;
    bool ok;
    if constexpr (kTraced) {
      ok = decodeValue(f.type, v + f.offset, c.end, Naming{s_.fieldName(comp), nullptr, index}, depth, frame, true);
    } else {
      ok = decodeValue(f.type, v + f.offset, c.end, kUnnamed, depth, frame, true);
    }
    return ok && componentDone(comp, f, v, start, s_.desc(frame->type).lenSize);
  }
  // After a component that began at `start`: its presence bit set in the
  // parent's mask (`maskSize` bytes wide), and under DER its value checked
  // against its default.
  [[gnu::always_inline]] bool componentDone(uint32_t comp, const FieldDesc &f, unsigned char *v, std::size_t start,
                                            uint16_t maskSize) {
    if (f.presenceBit >= 0 && s_.mayBeAbsent(comp)) setMaskBit(v, f.presenceBit, maskSize);
    if (der_ && equalsDefault(s_, comp, v)) return failDefault(start);
    return true;
  }
  bool failDefault(std::size_t at);
  static constexpr Naming kUnnamed{};
  void traceElement(const Naming &naming, const char *caption, int tagCount, int32_t depth,
                    bool primitive);
  void traceEoc(int32_t depth);

  Env *env_;
  const Schema s_;  // a copy: one load less per table lookup
  const unsigned char *in_;
  std::size_t size_;
  bool der_;
  uint32_t maxDepth_;
  Arena &arena_;
  TraceEvents *trace_;  // null when not tracing
  std::size_t pos_ = 0;
  Header peeked_;                          // the header nextTag read last,
  std::size_t peekedAt_ = SIZE_MAX;        // where,
  std::size_t peekedLimit_ = SIZE_MAX;     // and within what limit
  uint32_t nesting_ = 0;  // values (and string segments) being decoded inside each other

  int row_ = 0;
  ReportArg arg_;
  const char *detail_ = nullptr;
  std::size_t at_ = 0;
};

}  // namespace zurcore

#endif
