// The BER/DER decoder: walks the compiled tables and the input together and
// lays the value out in one arena. One Decoder serves one call; everything it
// keeps per element lives on its own stack frames.
#ifndef ZURCORE_BER_BER_DECODER_H
#define ZURCORE_BER_BER_DECODER_H

#include <cstddef>
#include <cstdint>

#include "header.h"
#include "zurcore/codec/arena.h"
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
  // Decoding leaves (ber_decode_leaves.cpp), called once the element's own
  // header is read: `h` is that header, its contents `c` start at pos_.
  bool decodeLeaf(uint32_t type, unsigned char *v, const Header &h, const Contents &c, int32_t depth);

  friend class StringGatherer;

  bool fail(int row, std::size_t at, ReportArg arg = {}, const char *detail = nullptr) {
    row_ = row;
    at_ = at;
    arg_ = arg;
    detail_ = detail;
    return false;
  }
  bool failHeader(const HeaderFault &f) {
    return fail(f.row, f.at, f.octets >= 0 ? ReportArg::of(f.octets) : ReportArg{}, f.derRule);
  }
  bool failArena(std::size_t at) { return fail(arena_.faultRow(), at, ReportArg::of(arena_.faultArg())); }

  bool header(std::size_t limit, Header &h) {
    HeaderFault f;
    return readHeader(in_, pos_, limit, size_, der_, h, f) || failHeader(f);
  }
  // The tag of the next element of the contents (more), or the end of them
  // (!more); false on a fault.
  bool nextTag(const Contents &c, bool &more, uint16_t &tag);
  // Past the EOC octets (traced at `depth`) or at the end of definite
  // contents; a fault otherwise.
  bool close(const Contents &c, int32_t depth);
  // Steps over one whole element (an unknown extension, an open type).
  bool skipElement(std::size_t limit);

  bool decodeValue(uint32_t type, unsigned char *slot, std::size_t limit, const Naming &naming,
                   int32_t depth, const ValueFrame *frame);
  bool decodeTags(uint32_t type, unsigned char *v, int i, std::size_t limit, const Naming &naming,
                  int32_t depth, const ValueFrame *frame);
  bool decodeUntagged(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                      int32_t depth, const ValueFrame *frame);
  bool decodeSequence(uint32_t type, unsigned char *v, const Contents &c, int32_t depth,
                      const ValueFrame *frame);
  bool decodeSet(uint32_t type, unsigned char *v, const Contents &c, int32_t depth,
                 const ValueFrame *frame);
  bool decodeChoice(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                    int32_t depth, const ValueFrame *frame);
  bool decodeElements(uint32_t type, unsigned char *v, const Contents &c, int32_t depth,
                      const ValueFrame *frame);
  bool decodeOpenType(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                      int32_t depth, const ValueFrame *frame);
  bool keepEncoded(uint32_t type, unsigned char *v, std::size_t limit, const Naming &naming,
                   int32_t depth);
  bool skipUnknown(const Contents &c, int32_t depth);
  bool storeString(unsigned char *v, const unsigned char *p, std::size_t n, std::size_t at,
                   unsigned unused, uint32_t length);
  bool decodeWideString(std::size_t unit, unsigned char *v, const unsigned char *p, std::size_t n,
                        std::size_t at);
  bool decodeInteger(uint32_t type, unsigned char *v, const unsigned char *p, std::size_t n,
                     std::size_t at);
  bool decodeOid(uint32_t type, unsigned char *v, const unsigned char *p, std::size_t n,
                 std::size_t at);
  bool component(uint32_t comp, int32_t index, unsigned char *v, const Contents &c, int32_t depth,
                 const ValueFrame *frame);
  void traceElement(const Naming &naming, const char *caption, int tagCount, int32_t depth,
                    bool primitive);
  void traceEoc(int32_t depth);

  Env *env_;
  const Schema &s_;
  const unsigned char *in_;
  std::size_t size_;
  bool der_;
  uint32_t maxDepth_;
  Arena &arena_;
  TraceEvents *trace_;  // null when not tracing
  std::size_t pos_ = 0;
  uint32_t nesting_ = 0;  // values (and string segments) being decoded inside each other

  int row_ = 0;
  ReportArg arg_;
  const char *detail_ = nullptr;
  std::size_t at_ = 0;
};

}  // namespace zurcore

#endif
