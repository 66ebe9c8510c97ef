// Test support: random values of any type of compiled tables, laid out as
// zurcore's codecs read them and within the PER-visible constraints
// (ranges, sizes, alphabets, enumerators), for round trips through the
// codecs and their peers. The values are canonical, so that one decoded
// again prints the same: a present DEFAULT component differs from its
// default, named bits end in a 1 bit, times carry no trailing zeros, open
// types agree with the component that selects them. REALs are finite and
// not 0: the Erlang peer decodes neither the special values nor an empty
// REAL.
#ifndef ZURBASE_TESTS_VALUE_GENERATOR_H
#define ZURBASE_TESTS_VALUE_GENERATOR_H

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "zurcore/codec/tables.h"

namespace zurtest {

class ValueGenerator {
 public:
  // `ctl` must be compiled tables (with zurcore's codec tables behind it).
  ValueGenerator(const CtlTbl *ctl, uint32_t seed);

  // A fresh value of PDU `pdu`, as apiEncode takes it (for a type held
  // through an address, the address of that address). It lives as long as
  // the generator.
  void *value(int32_t pdu);

  // Nesting below which recursive and repeated parts are left out or empty.
  int maxDepth = 4;
  // Most elements of a SEQUENCE OF or SET OF without a size constraint.
  uint32_t maxElements = 4;
  // Only alternatives of a CHOICE whose PER index is the same counted in the
  // module's order as in the canonical order of tags (for a peer that counts
  // in the module's order), when it has any.
  bool sameChoiceIndexes = false;
  // Numbers and sizes past the root of an extensible constraint, now and
  // then.
  bool beyondRoots = false;
  // Only values that the printer shows whole, for its text to be read back:
  // REALs of four significant decimal digits (it prints { m.mmm, 10, e }),
  // BIT STRINGs of whole octets (it prints octets; CodecKinds has no SIZE
  // on them),
  // strings without '"' (it prints them between quotes as they are).
  bool printable = false;

 private:
  unsigned char *allocate(std::size_t n);
  uint32_t pick(uint32_t lo, uint32_t hi) { return std::uniform_int_distribution<uint32_t>(lo, hi)(rng_); }
  bool coin() { return pick(0, 1) == 1; }
  void fill(uint32_t type, unsigned char *slot, int depth);
  void fillBody(uint32_t type, unsigned char *v, int depth);
  void fillComponents(uint32_t type, unsigned char *v, int depth);
  void fillElements(uint32_t type, unsigned char *v, int depth);
  void fillChoice(uint32_t type, unsigned char *v, int depth);
  bool sameChoiceIndex(uint32_t type, uint32_t position) const;
  void fillOpenType(uint32_t type, unsigned char *v, unsigned char *parent, uint32_t parentType,
                    int depth);
  void fillInteger(uint32_t type, unsigned char *v);
  void fillString(uint32_t type, unsigned char *v);
  void fillBits(uint32_t type, unsigned char *v);
  void fillOid(unsigned char *v, bool relative);
  void fillTime(uint32_t type, unsigned char *v);
  void unknownId(const ZurOpenType &link, unsigned char *parent, uint32_t parentType, int depth);
  void fillEncoded(unsigned char *v);
  uint32_t length(uint32_t type, uint32_t fallbackMax);
  uint32_t character(uint32_t type);
  uint32_t ascii();

  zurcore::Schema s_;
  std::mt19937 rng_;
  std::deque<std::vector<unsigned char>> blocks_;
};

}  // namespace zurtest

#endif
