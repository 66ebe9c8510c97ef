// A small hand-laid control table for the driver tests, and the values it
// describes.
#ifndef ZURBASE_TESTS_GUARD_SAMPLE_TABLE_H
#define ZURBASE_TESTS_GUARD_SAMPLE_TABLE_H

#include <cstdint>
#include <string>

#include "zurbase/zurbase.h"

namespace zurtest {

// Rec ::= SEQUENCE { a INTEGER, b IA5String } with b held through a pointer.
struct RecValue {
  std::uint8_t mask;
  std::int32_t a;
  const char *b;
};

// PDU numbers of sampleTable().
enum SamplePdu {
  PDU_REC = 1,        // Rec
  PDU_ANONYMOUS = 2,  // an INTEGER type without a name
  PDU_NEST = 3,       // Nest ::= CHOICE { x Nest }: nests without end
  PDU_REC_REF = 4     // Rec held through a pointer
};

const CtlTbl &sampleTable();

// What a complete print of a Rec value gives.
std::string recText(std::int32_t a, const std::string &b);
// What is printed of a Rec before b is reached.
std::string recTextBeforeB(std::int32_t a);

}  // namespace zurtest

#endif
