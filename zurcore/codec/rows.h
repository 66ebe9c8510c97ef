// The rows of the library's error table that zurcore's codecs raise, by
// name. The table itself (texts, codes, argument kinds) is frame's one copy.
#ifndef ZURCORE_CODEC_ROWS_H
#define ZURCORE_CODEC_ROWS_H

namespace zurcore {

enum CodecRow {
  ROW_NONE = 0,
  ROW_OUTPUT_TOO_SMALL = 1,      // a caller's area is too small; its size
  ROW_PDU_RANGE = 3,             // the PDU number
  ROW_NULL_ARGUMENT = 4,
  ROW_TABLES_VERSION = 6,        // the tables' version
  ROW_OUT_OF_MEMORY = 7,
  ROW_CHOICE_SELECTOR = 8,       // the selector
  ROW_INTEGER_TOO_LONG = 11,     // contents octets
  ROW_VALUE_RANGE = 20,          // the value
  ROW_SIZE_CONSTRAINT = 23,      // the length of the value
  ROW_COUNT_CONSTRAINT = 24,     // the number of elements
  ROW_ALPHABET_CONSTRAINT = 25,  // the character
  ROW_OPEN_TYPE_ENCODING = 28,
  ROW_ENUM_VALUE = 31,           // the value
  ROW_NULL_TABLE = 32,
  ROW_TABLES_CORRUPTED = 34,
  ROW_NEGATIVE_UNSIGNED = 35,
  ROW_OID_TOO_LONG = 38,         // arcs
  ROW_OUTPUT_LIMIT = 40,         // bytes the value would take
  ROW_ALLOCATION_FAILED = 43,    // bytes requested
  ROW_UNKNOWN_MEMORY = 44,       // the address
  ROW_BAD_OID = 61,              // the octet's offset in the contents
  ROW_NULL_IN_INPUT = 62,
  ROW_TIME_RANGE = 63,
  ROW_TIME_NOT_UTC = 64,
  ROW_MANDATORY_EXTENSION_ABSENT = 67,
  ROW_OPEN_TYPE_EMPTY = 69,
  ROW_INVALID_DECIMAL = 70,
  ROW_TAG_NEEDLESSLY_LONG = 72,
  ROW_TAG_TOO_LONG = 73,         // tag octets
  ROW_EXPONENT_NEEDLESSLY_LONG = 74,
  ROW_EXPONENT_TOO_LONG = 75,    // exponent octets
  ROW_INTEGER_NEEDLESSLY_LONG = 76,
  ROW_SUBID_NEEDLESSLY_LONG = 77,
  ROW_SUBID_TOO_LONG = 78,       // the arc's octets
  ROW_LENGTH_TOO_LONG = 79,      // length octets
  ROW_SIZE_TOO_LONG = 80,        // a nesting depth past the limit
  ROW_NON_STANDARD_EOC = 81,
  ROW_INCONSISTENT_LENGTHS = 83,
  ROW_TAG_MISMATCH = 84,         // the tag met
  ROW_PDU_TAG_MISMATCH = 85,     // the tag met
  ROW_UNUSED_BITS_RANGE = 86,
  ROW_MISENCODED = 87,
  ROW_DECIMAL_MANTISSA = 88,
  ROW_INVALID_NR1 = 90,
  ROW_INVALID_NR2 = 91,
  ROW_INVALID_NR3 = 92,
  ROW_REAL_ZERO_CONTENTS = 93,
  ROW_RESERVED_REAL = 94,
  ROW_FIELD_REPEATED = 98,       // the component's name
  ROW_FIELD_OMITTED = 99,        // the component's name
  ROW_EXPECTED_EOC = 100,
  ROW_PRIMITIVE_INDEFINITE = 101,
  ROW_EXPECTED_CONSTRUCTED = 102,
  ROW_EXPECTED_PRIMITIVE = 103,
  ROW_PDU_TAG = 104,             // the tag met
  ROW_PREMATURE_END = 105,
  ROW_NEGATIVE_LENGTH = 107,     // the length
  ROW_UNEXPECTED_EOC = 108,
  ROW_REAL_TOO_LARGE = 110,
};

// The detail of ROW_MISENCODED for an INTEGER held as octets that has none:
// no number is written in no octets.
inline constexpr const char *kNoOctets = "INTEGER held in no octets";

}  // namespace zurcore

#endif
