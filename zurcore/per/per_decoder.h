// The PER decoder: reads a BASIC-PER encoding, ALIGNED or UNALIGNED, into a
// value of a compiled module laid out as zurasn1 decided, all of it in one
// arena. Every fault is kept by the reader with its bit offset.
#ifndef ZURCORE_PER_PER_DECODER_H
#define ZURCORE_PER_PER_DECODER_H

#include <cstring>
#include <memory>
#include <vector>

#include "bit_reader.h"
#include "per_trace.h"
#include "zurbase/values.h"
#include "zurcore/codec/arena.h"
#include "zurcore/codec/open_type.h"

namespace zurcore::per {

// What decoding needs beside the arena, kept from one call to the next.
struct DecoderScratch {
  // Presence bits of the SEQUENCE and SET values being decoded, one run per value.
  std::vector<uint8_t> presence;
  // Open types whose octets are fragmented or not on an octet boundary are
  // joined here, one buffer per level.
  std::vector<std::unique_ptr<std::vector<uint8_t>>> joined;
};

class Decoder : private TracedCodec {
 public:
  Decoder(const Schema &schema, Arena &arena, bool aligned, uint32_t maxDepth, PerTrace *trace,
          DecoderScratch &scratch)
      : TracedCodec(schema, trace), arena_(arena), aligned_(aligned), maxDepth_(maxDepth),
        presence_(scratch.presence), joined_(scratch.joined) {}

  // Decodes a value of `type` into a new root value taken from the arena;
  // false with r.fault() set.
  bool decode(BitReader &r, uint32_t type, void *&root);

 private:
  struct Context {
    ItemPlace place;
    const ValueFrame *frame;
  };

  bool value(BitReader &r, uint32_t type, unsigned char *held, const Context &c);
  // value() for a component of a value that has checked the depth for all
  // of them; untraced.
  bool component(BitReader &r, uint32_t type, unsigned char *held, const Context &c);
  bool contents(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool boolean(BitReader &r, unsigned char *v, const Context &c);
  bool null(const Context &c);
  bool oid(BitReader &r, bool relative, unsigned char *v, const Context &c);
  bool plainChars(BitReader &r, unsigned char *v, const Context &c);
  bool integer(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool hugeInteger(BitReader &r, const ZurRange &range, bool inRoot, ZurHugeInt &out,
                   const Context &c);
  bool enumerated(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool real(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool bits(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool octets(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool knownMultiplier(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool time(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool sequence(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool maskedSequence(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  // A SEQUENCE's or SET's components, the k-th of the encoding at position(k).
  template <class Position>
  bool sequenceComponents(BitReader &r, uint32_t type, unsigned char *v, const Context &c,
                          Position position);
  // The additions lie between components lo and hi.
  bool additions(BitReader &r, uint32_t type, unsigned char *v, const ValueFrame &frame,
                 const Context &c, uint32_t lo, uint32_t hi);
  bool choice(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool list(BitReader &r, uint32_t type, unsigned char *v, const Context &c);
  bool openType(BitReader &r, uint32_t type, unsigned char *v, const Context &c);

  // The octets behind unconstrained length determinants, joined in the
  // arena with `extra` (up to eight) zero octets behind them.
  bool lengthOctets(BitReader &r, uint8_t *&data, uint64_t &length, const Context &c,
                    std::size_t extra = 0);
  // The octets of an open type as a reader of their own, whose offsets
  // count from the start of the message; false at a fault.
  bool openOctets(BitReader &r, BitReader &inner, const Context &c, const char *label);
  // Runs `decodeInner` on an open type's octets.
  template <class DecodeInner>
  bool inOpenType(BitReader &r, const Context &c, const char *label, DecodeInner decodeInner);

  // Room for `size` zeroed bytes of the arena; null with the fault recorded.
  void *allocate(BitReader &r, uint64_t size) {
    void *p = size <= UINT32_MAX ? arena_.allocate(static_cast<std::size_t>(size)) : nullptr;
    return p != nullptr ? p : refused(r, size);
  }
  // As allocate, for bytes the caller writes in full but for zeros at the
  // end (a terminator): only the last eight-byte word is zeroed.
  void *allocateFilled(BitReader &r, uint64_t size) {
    auto *p = size <= UINT32_MAX
                  ? static_cast<unsigned char *>(arena_.allocateUninitialized(static_cast<std::size_t>(size)))
                  : nullptr;
    if (p == nullptr) return refused(r, size);
    if (size != 0) std::memset(p + ((size - 1) & ~uint64_t{7}), 0, 8);
    return p;
  }
  // Records why an allocation of `size` bytes failed; null.
  void *refused(BitReader &r, uint64_t size);

  Arena &arena_;
  bool aligned_;
  uint32_t maxDepth_;
  uint32_t depth_ = 0;
  std::vector<uint8_t> &presence_;
  std::vector<std::unique_ptr<std::vector<uint8_t>>> &joined_;
  uint32_t openDepth_ = 0;
};

}  // namespace zurcore::per

#endif
