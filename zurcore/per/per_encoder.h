// The PER encoder: walks a value of a compiled module in the layouts of
// zurasn1 and writes its BASIC-PER encoding, ALIGNED or UNALIGNED.
#ifndef ZURCORE_PER_PER_ENCODER_H
#define ZURCORE_PER_PER_ENCODER_H

#include <memory>
#include <vector>

#include "bit_writer.h"
#include "per_trace.h"
#include "per_values.h"
#include "zurbase/values.h"
#include "zurcore/codec/report.h"
#include "zurcore/codec/tables.h"

namespace zurcore::per {

// What encoding needs beside the value, kept from one call to the next so
// that encoding allocates only while these buffers grow.
struct EncoderScratch {
  explicit EncoderScratch(bool aligned) : out(aligned) {}
  BitWriter out;
  // One writer per level of open types being encoded.
  std::vector<std::unique_ptr<BitWriter>> writers;
  // Whether the components of the SEQUENCE and SET values being encoded go
  // into the encoding, one run per value.
  std::vector<uint8_t> present;
  // Contents made from a value before they are written (RELATIVE-OID, big numbers).
  std::vector<uint8_t> contents;
};

class Encoder : private TracedCodec {
 public:
  Encoder(const Schema &schema, bool aligned, uint32_t maxDepth, PerTrace *trace,
          EncoderScratch &scratch)
      : TracedCodec(schema, trace), aligned_(aligned), maxDepth_(maxDepth),
        scratch_(scratch.writers), present_(scratch.present), contents_(scratch.contents) {}

  // Appends the complete encoding of a value of `type` (padded to an octet,
  // one zero octet when empty); false with failure() set.
  bool encode(BitWriter &w, uint32_t type, const void *value);

  struct Failure {
    int row = 0;
    ReportArg arg;
    const char *detail = nullptr;
    const char *component = nullptr;  // the innermost one whose value failed
  };
  const Failure &failure() const { return failure_; }

 private:
  struct Context {
    ItemPlace place;
  };
  struct Inclusion;
  // A SEQUENCE value's extension additions: their number (a version bracket
  // is one) and the components from the first to past the last of them.
  struct Added {
    uint32_t count = 0;
    uint32_t lo = UINT32_MAX;
    uint32_t hi = 0;
  };
  // The components of a SEQUENCE value that go into its encoding.
  struct Presence {
    uint64_t narrow = 0;        // up to 64 components: those included
    uint64_t additionBits = 0;  // up to 64 components: the extension additions
    Added added;
    bool anyAddition = false;
  };

  // One level deeper while a value's components or elements are encoded.
  struct Nesting {
    explicit Nesting(uint32_t &depth) : depth_(depth) { ++depth_; }
    ~Nesting() { --depth_; }
    Nesting(const Nesting &) = delete;
    Nesting &operator=(const Nesting &) = delete;
    uint32_t &depth_;
  };

  // Checked: the depth and the trace looked at here, else by a caller that
  // found them plain for all of its components.
  template <bool Checked = true>
  bool value(BitWriter &w, uint32_t type, const unsigned char *held, const Context &c);
  // value() out of line: for a caller's other path, so that it has one copy
  // of the dispatch inline.
  [[gnu::noinline]] bool checkedValue(BitWriter &w, uint32_t type, const unsigned char *held,
                                      const Context &c);
  // Neither traced nor at the depth limit: components and elements need no checks of their own.
  bool plain() const { return trace_ == nullptr && depth_ < maxDepth_; }
  bool contents(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool refuse(const unsigned char *v);
  bool tracedContents(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  // Out of line, as every kind that contents() dispatches to.
  [[gnu::noinline]] bool boolean(BitWriter &w, const unsigned char *v, const Context &c);
  [[gnu::noinline]] bool null(const Context &c);
  [[gnu::noinline]] bool objectIdentifier(BitWriter &w, const unsigned char *v, const Context &c);
  [[gnu::noinline]] bool octetString(BitWriter &w, const unsigned char *v, const Context &c);
  bool real(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool relativeOid(BitWriter &w, const unsigned char *v, const Context &c);
  [[gnu::noinline]] bool integer(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool anyInteger(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool hugeInteger(BitWriter &w, const ZurRange &r, const ZurHugeInt &v, const Context &c);
  bool enumerated(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  [[gnu::always_inline]] const ZurSize *metSize(const ZurType &z, uint64_t n) const;
  bool bits(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool octets(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool knownMultiplier(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool timeString(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  // A known-multiplier string of n characters of a type z: the usual case in
  // place (its own alphabet, a size of both bounds below 64K without gaps,
  // met), else anyCharacters(). Inline in its callers, each a call for
  // every string.
  template <class Char>
  [[gnu::always_inline]] bool characters(BitWriter &w, uint32_t type, const ZurType &z, const Char *data,
                                         uint64_t n, const Context &c);
  // A known-multiplier string of n characters, under its size constraint.
  template <class Char>
  [[gnu::noinline]] bool anyCharacters(BitWriter &w, uint32_t type, SizeInfo si, const Char *data, uint64_t n,
                                       const Context &c);
  // The codes of n characters; false at one outside the alphabet.
  template <class Char>
  bool codes(BitWriter &w, const CharCoding &coding, const Char *chars, uint64_t n);
  bool lengthOctets(BitWriter &w, const uint8_t *data, uint64_t length, const Context &c,
                    const char *label = nullptr);
  [[gnu::noinline]] Presence presence(BitWriter &w, uint32_t type, const unsigned char *v,
                                      std::size_t base);
  [[gnu::noinline]] Presence narrowPresence(BitWriter &w, uint32_t type, const unsigned char *v);
  [[gnu::noinline]] Presence maskPresence(BitWriter &w, uint32_t type, const unsigned char *v);
  // The extension additions among the components of `type` marked in additionBits.
  Added addedOf(uint32_t type, uint64_t additionBits) const;
  // The Presence of up to 64 components, those of `included` in the
  // encoding, with the additions' bounds when one of them is.
  Presence presenceOf(uint32_t type, uint64_t included, uint64_t additionBits) const;
  bool sequence(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  [[gnu::noinline]] bool plainComponents(BitWriter &w, const FieldDesc *fields, uint64_t included,
                                         const unsigned char *v, const Context &inner);
  bool additions(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c,
                 Inclusion included, Added added);
  bool choice(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool list(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  bool openType(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c);
  // Encodes a value as the octets of an open type.
  template <class EncodeInner>
  bool asOpenType(BitWriter &w, const Context &c, const char *label, EncodeInner inner);
  bool fail(int row, ReportArg arg = {}, const char *detail = nullptr);
  // After a component's value failed: names it, unless one inside it is named.
  [[gnu::cold]] bool failedIn(uint32_t component);

  bool aligned_;
  uint32_t maxDepth_;
  uint32_t depth_ = 0;
  std::vector<std::unique_ptr<BitWriter>> &scratch_;
  uint32_t openDepth_ = 0;
  std::vector<uint8_t> &present_;
  std::vector<uint8_t> &contents_;
  char badChar_[16] = {};
  Failure failure_;
};

}  // namespace zurcore::per

#endif
