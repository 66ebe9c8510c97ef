// The BER/DER encoder: walks the compiled tables and a value in their
// layouts, writing the encoding backwards (back_writer.h). BER and DER
// differ in what DER fixes: DEFAULT values left out, SET OF sorted, named
// bits without trailing zeros; both write definite, minimal lengths,
// primitive strings and SET components in the order of their tags.
#ifndef ZURCORE_BER_BER_ENCODER_H
#define ZURCORE_BER_BER_ENCODER_H

#include "back_writer.h"
#include "zurcore/codec/report.h"
#include "zurcore/codec/tables.h"

namespace zurcore {

class Encoder {
 public:
  Encoder(Env *env, const Schema &schema, bool der, BackWriter &out, EncodeScratch &scratch,
          uint64_t limit, uint32_t maxDepth)
      : env_(env), s_(schema), der_(der), out_(out), scratch_(scratch), limit_(limit), maxDepth_(maxDepth) {}

  // Encodes the value held in `slot` (for a type held through an address,
  // the address).
  bool encodeValue(uint32_t type, const unsigned char *slot);

  int faultRow() const { return row_; }
  const ReportArg &faultArg() const { return arg_; }
  const char *faultName() const { return name_; }
  const char *faultDetail() const { return detail_; }

 private:
  bool fail(int row, ReportArg arg = {}, const char *detail = nullptr) {
    row_ = row;
    arg_ = arg;
    detail_ = detail;
    return false;
  }
  bool failWriter() { return fail(out_.faultRow(), ReportArg::of(out_.faultArg())); }
  bool reserve(std::size_t n) { return out_.reserve(n) || failWriter(); }

  bool encodeBody(uint32_t type, const unsigned char *v);
  bool encodeComponents(uint32_t type, const unsigned char *v);
  bool encodeElements(uint32_t type, const unsigned char *v);
  bool sortEncodings(std::size_t mark, uint32_t count, bool byTag);
  bool encodeAlternative(uint32_t type, const unsigned char *v);
  // Kept octets of an open type (one whole element) with DER's lengths and
  // strings (der_kept.cpp).
  bool putKeptAsDer(const unsigned char *in, std::size_t n);
  bool growKeptNodes(uint32_t need);
  bool encodeLeaf(uint32_t type, const unsigned char *v);
  bool encodeInteger(const TypeDesc &d, const unsigned char *v);
  bool encodeBits(const ZurType &t, const unsigned char *v);
  bool encodeWide(std::size_t unit, const unsigned char *v);
  bool encodeRelativeOid(const unsigned char *v);
  bool putOctets(const void *p, std::size_t n) {
    if (!reserve(n)) return false;
    out_.put(p, n);
    return true;
  }

  Env *env_;
  const Schema &s_;
  bool der_;
  BackWriter &out_;
  EncodeScratch &scratch_;
  uint64_t limit_;
  // Values nested deeper (or pointers that come back on themselves) are
  // refused, not followed until the stack runs out.
  uint32_t maxDepth_;
  uint32_t depth_ = 0;
  int row_ = 0;
  ReportArg arg_;
  const char *detail_ = nullptr;
  const char *name_ = nullptr;  // the component being encoded when a fault struck
};

}  // namespace zurcore

#endif
