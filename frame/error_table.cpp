// The numbered messages of the library with their status codes. Row numbers
// are what callers and the printer's exit pass; the table is constant data.
#include "frame/error_table.h"

#include "zurbase/status.h"

namespace zur {
namespace {

constexpr ErrEntry kTable[kErrorRows] = {
    {"0000I: No message", 0, 0x20},  // 0
    {"0001S: Output buffer too small; total buffer size: ", 1, 0x13},  // 1
    {"0002S: Data type has not been implemented yet", 25, 0x10},  // 2
    {"0003S: PDU number not in range: ", 3, 0x33},  // 3
    {"0006S: Unexpected NULL pointer as argument to encoder/decoder", 6, 0x30},  // 4
    {"0007S: Version number of generated encoder/decoder differs from that of run-time library, ", 7, 0x33},  // 5
    {"0004S: Version number of control table differs from that of encoder/decoder, ", 7, 0x33},  // 6
    {"0008S: Out of memory; bytes requested: ", 8, 0x14},  // 7
    {"0009S: Out-of-range CHOICE selector: ", 9, 0x03},  // 8
    {"0014S: A memory-violation error occurred, signal ", 14, 0x13},  // 9
    {"0023E: Integer or enumerated value too long: ", 10, 0x03},  // 10
    {"0023E: Integer or enumerated value too long: ", 10, 0x04},  // 11
    {"0036E: The first octet is not 0", 5, 0x00},  // 12
    {"0005S: Global data access serialization error", 19, 0x30},  // 13
    {"0060S: User constraint function returns error ", 17, 0x13},  // 14
    {"0061S: Single value constraint violated, value = ", 17, 0x13},  // 15
    {"0061S: Single value constraint violated, value = ", 17, 0x14},  // 16
    {"0061S: Single value constraint violated, value = ", 17, 0x15},  // 17
    {"0061S: Single value constraint violated, value = ", 17, 0x16},  // 18
    {"0061S: Single value constraint violated", 17, 0x10},  // 19
    {"0062S: Value range constraint violated, value = ", 17, 0x13},  // 20
    {"0062S: Value range constraint violated, value = ", 17, 0x14},  // 21
    {"0062S: Value range constraint violated, value = ", 17, 0x15},  // 22
    {"0063S: Size constraint violated, length of value = ", 17, 0x13},  // 23
    {"0077S: Size constraint violated, number of SET OF/SEQUENCE OF components = ", 17, 0x13},  // 24
    {"0064S: Permitted alphabet constraint violated, bad character: ", 17, 0x16},  // 25
    {"0065S: Absence constraint violated", 17, 0x10},  // 26
    {"0066S: Presence constraint violated", 17, 0x10},  // 27
    {"0067S: Error in encoding an open type", 17, 0x10},  // 28
    {"0068S: Table constraint violated", 17, 0x10},  // 29
    {"0069S: Component relation constraint violated", 17, 0x10},  // 30
    {"0071S: Value not among the ENUMERATED: ", 17, 0x03},  // 31
    {"0073S: Attempt made to pass a NULL control table pointer", 20, 0x30},  // 32
    {"0074S: NULL function pointer in the control table", 21, 0x30},  // 33
    {"0075S: The control table appears to have been corrupted", 15, 0x30},  // 34
    {"0076S: A negative unsigned integer encountered", 2, 0x10},  // 35
    {"0078S: Type constraint violated, PDU number = ", 17, 0x13},  // 36
    {"0080E: Bit string value too long for local representation", 10, 0x00},  // 37
    {"0081E: Encoded object identifier value too long for local representation: ", 10, 0x13},  // 38
    {"0081S: Request for more input cannot be met", 4, 0x10},  // 39
    {"0082S: Request for output exceeds limit; total bytes requested = ", 1, 0x13},  // 40
    {"0083S: Zero bytes of memory requested", 18, 0x10},  // 41
    {"0084S: Attempt made to allocate a block of memory greater than 'zurblock'; bytes requested = ", 18, 0x13},  // 42
    {"0085S: Memory allocation failed; bytes requested = ", 8, 0x13},  // 43
    {"0086S: Unrecognized memory object, address = ", 18, 0x13},  // 44
    {"0087S: Undefined memory-management error ", 18, 0x13},  // 45
    {"0100S: Unknown encoding rules were requested, use BER/DER/PER only.", 22, 0x30},  // 46
    {"0102S:The requested encoding rules are not implemented for the TIKA yet: ", 23, 0x36},  // 47
    {"0103S: The requested encoding rules were not linked: ", 23, 0x36},  // 48
    {"0104S: Control table mismatch in ", 29, 0x36},  // 49
    {"0105S: Data type is not supported by the Brisk encoder/decoder", 30, 0x10},  // 50
    {"0106S: Base 10 REAL type is not supported by the Brisk encoder/decoder", 30, 0x10},  // 51
    {"0106S: REAL DLL failed: ", 31, 0x16},  // 52
    {"0108S: The Brisk encoder does not support indefinite-length encoding", 13, 0x10},  // 53
    {"0109S: Constraint checker DLL failed: ", 35, 0x16},  // 54
    {"0110S: Value comparator DLL failed: ", 36, 0x16},  // 55
    {"0111S: Value comparator code not linked", 37, 0x10},  // 56
    {"0112S: REAL code not linked", 32, 0x10},  // 57
    {"0113S: EMBEDDED PDV code is not linked", 40, 0x10},  // 58
    {"0114S: EMBEDDED PDV DLL failed: ", 39, 0x16},  // 59
    {"0115S: OBJECT IDENTIFIER converter DLL failed: ", 26, 0x16},  // 60
    {"0010S: Bad OBJECT IDENTIFIER: ", 10, 0x03},  // 61
    {"0011S: Unexpected NULL pointer in input", 11, 0x00},  // 62
    {"0012S: Out-of-range value in time type", 12, 0x00},  // 63
    {"0013S: Time value must be in universal coordinated time format and must end with 'Z'", 12, 0x00},  // 64
    {"0016S: Size constraint exceeded, length of value = ", 16, 0x03},  // 65
    {"0072E: Length of encoded component unexpectedly 0, field ", 5, 0x03},  // 66
    {"0088E: Mandatory extension field is not present", 5, 0x00},  // 67
    {"0089E: Length of encoded data of ANY is 0", 5, 0x00},  // 68
    {"0090E: Length of encoded data of OpenType is 0", 5, 0x00},  // 69
    {"0091E: Invalid decimal REAL", 5, 0x00},  // 70
    {"0092E: Invalid MixedReal, kind = ", 5, 0x03},  // 71
    {"0018E: Tag needlessly long", 5, 0x00},  // 72
    {"0019E: Tag too long: ", 10, 0x03},  // 73
    {"0020E: Exponent needlessly long", 5, 0x00},  // 74
    {"0021E: Exponent too long: ", 10, 0x03},  // 75
    {"0022E: Integer or enumerated value needlessly long", 5, 0x00},  // 76
    {"0024E: Sub-identifier needlessly long", 5, 0x00},  // 77
    {"0025E: Sub-identifier too long: ", 10, 0x03},  // 78
    {"0026S: Length too long: ", 10, 0x14},  // 79
    {"0027S: Size too long: ", 10, 0x13},  // 80
    {"0028E: Non-standard EOC octets", 5, 0x00},  // 81
    {"0030S: Unknown size ", 15, 0x13},  // 82
    {"0031S: Inconsistent lengths", 5, 0x10},  // 83
    {"0033E: Tag mismatch or tag not expected: ", 5, 0x02},  // 84
    {"0034E: PDU and input tags do not match: ", 9, 0x12},  // 85
    {"0035E: The first octet is not in the range 0-7", 5, 0x00},  // 86
    {"0037E: Value misencoded or length wrong for value", 5, 0x00},  // 87
    {"0038E: Expected digits in mantissa", 5, 0x00},  // 88
    {"0039E: Expected digits in exponent", 5, 0x00},  // 89
    {"0040E: Invalid NR1 (real) encoding", 5, 0x00},  // 90
    {"0041E: Invalid NR2 (real) encoding", 5, 0x00},  // 91
    {"0042E: Invalid NR3 (real) encoding", 5, 0x00},  // 92
    {"0043E: REAL 0 with contents found", 5, 0x00},  // 93
    {"0044E: Reserved real encoding", 5, 0x00},  // 94
    {"0045E: Too many values in input; skipped ", 5, 0x03},  // 95
    {"0046E: Found NULL embedded in null-terminated STRING", 5, 0x00},  // 96
    {"0047E: Tag not recognized: ", 5, 0x02},  // 97
    {"0048E: Field repeated: ", 5, 0x01},  // 98
    {"0049E: Field omitted: ", 5, 0x01},  // 99
    {"0050S: Expected EOC octets", 5, 0x10},  // 100
    {"0051S: Found primitive encoding with indefinite length", 5, 0x10},  // 101
    {"0052S: Expected constructed type but found primitive", 5, 0x10},  // 102
    {"0053S: Expected primitive type but found constructed", 5, 0x10},  // 103
    {"0054S: PDU tag not recognized: ", 5, 0x32},  // 104
    {"0055S: Premature end of input buffer", 4, 0x30},  // 105
    {"0056S: This error cannot happen; inform ZUR, code = ", 18, 0x13},  // 106
    {"0057S: Decoder argument for length is negative; length = ", 6, 0x33},  // 107
    {"0058E: Expected tag, found EOC octets", 5, 0x00},  // 108
    {"0059E: The ANY-value is not an encoding of a single ASN.1 type", 5, 0x00},  // 109
    {"0079E: Real value too large for local representation", 5, 0x00},  // 110
    {"X999I: Hindmost message", 0, 0x20},  // 111
};

// The named status codes are the codes of the rows that raise them.
static_assert(kTable[ROW_NULL_ARGUMENT].code == ZURBASE_STATUS_BAD_ARGUMENT);
static_assert(kTable[ROW_MEMORY_VIOLATION].code == ZURBASE_STATUS_MEMORY_VIOLATION);
static_assert(kTable[ROW_SERIALIZATION].code == ZURBASE_STATUS_SERIALIZATION);
static_assert(kTable[ROW_UNKNOWN_RULES].code == ZURBASE_STATUS_UNKNOWN_RULES);
static_assert(kTable[ROW_RULES_NOT_LINKED].code == ZURBASE_STATUS_RULES_NOT_LINKED);

}  // namespace

std::span<const ErrEntry, kErrorRows> errorTable() { return std::span<const ErrEntry, kErrorRows>(kTable); }

// A service may leave a print with any row; one outside the table is
// answered with the code of row 106, "This error cannot happen".
int32_t errorCode(int row) {
  return kTable[row >= 0 && row < kErrorRows ? row : ROW_CANNOT_HAPPEN].code;
}

}  // namespace zur
