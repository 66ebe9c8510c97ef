// The control table of the demo's module, laid out as a compiler emits it:
//
//   PersonnelRecord ::= [APPLICATION 0] IMPLICIT SET {
//     name Name, title [0] VisibleString, number EmployeeNumber,
//     dateOfHire [1] Date, nameOfSpouse [2] Name,
//     children [3] IMPLICIT SEQUENCE OF ChildInformation DEFAULT {} }
//   ChildInformation ::= SET { name Name, dateOfBirth [0] Date }
//   Name ::= [APPLICATION 1] IMPLICIT SEQUENCE {
//     givenName VisibleString, initial VisibleString, familyName VisibleString }
//   EmployeeNumber ::= [APPLICATION 2] IMPLICIT INTEGER
//   Date ::= [APPLICATION 3] IMPLICIT VisibleString -- YYYYMMDD
//
//   Measurement ::= SEQUENCE {
//     sensor OBJECT IDENTIFIER, sensorOid OBJECT IDENTIFIER (kept encoded),
//     taken UTCTime, received GeneralizedTime, reading REAL,
//     calibration REAL OPTIONAL (binary or decimal text),
//     status BIT STRING (SIZE (12)), rawFrames OCTET STRING (segmented),
//     notes VisibleString (segmented), label BMPString,
//     archive OCTET STRING OPTIONAL (may be deferred) }
#include <cstddef>

#include "personnel_values.h"

namespace demo {
namespace {

enum TypeIndex : uint16_t {
  T_VISIBLE_STRING,
  T_DATE,
  T_EMPLOYEE_NUMBER,
  T_NAME,
  T_CHILD_INFORMATION,
  T_CHILDREN,
  T_PERSONNEL_RECORD,
  T_OBJECT_IDENTIFIER,
  T_ENCODED_OID,
  T_UTC_TIME,
  T_GENERALIZED_TIME,
  T_REAL,
  T_MIXED_REAL,
  T_STATUS_BITS,
  T_SEGMENTED_OCTETS,
  T_SEGMENTED_TEXT,
  T_BMP_STRING,
  T_ARCHIVE,
  T_MEASUREMENT
};

enum FieldIndex : uint16_t { F_NAME = 0, F_CHILD = 3, F_PERSONNEL = 5, F_MEASUREMENT = 11 };

constexpr uint32_t kAddress = sizeof(void *);
constexpr uint16_t kDefer = TYPE_MAY_DEFER;

// maxLen, two unread words, name, size, count, lenSize, dataOffset,
// typeFlags, ref, kind, unread word.
const TypeDesc kTypes[] = {
    {0, 0, 0, "VisibleString", sizeof(VisibleStr), 0, 4, offsetof(VisibleStr, chars), 0, 0,
     KIND_CHARS_PTR, 0},
    {0, 0, 0, "Date", sizeof(VisibleStr), 0, 4, offsetof(VisibleStr, chars), 0, 0,
     KIND_CHARS_PTR, 0},
    {0, 0, 0, "EmployeeNumber", 4, 0, 4, 0, 0, 0, KIND_INTEGER, 0},
    {0, 0, 0, "Name", sizeof(Name), 3, 0, 0, 0, F_NAME, KIND_SEQUENCE, 0},
    {0, 0, 0, "ChildInformation", sizeof(ChildInformation), 2, 0, 0, 0, F_CHILD, KIND_SET, 0},
    {0, 0, 0, nullptr, kAddress, sizeof(ChildInformation), 0, offsetof(ChildNode, value), 0,
     T_CHILD_INFORMATION, KIND_SEQOF_LIST, 0},
    {0, 0, 0, "PersonnelRecord", sizeof(PersonnelRecord), 6, 1, 0, 0, F_PERSONNEL, KIND_SET, 0},
    {0, 0, 0, "OBJECT IDENTIFIER", sizeof(ArcList), 0, 4, offsetof(ArcList, arcs), 0, 0,
     KIND_OID_ARRAY, 0},
    {-1, 0, 0, "OBJECT IDENTIFIER", sizeof(OctetsByAddress), 0, 4,
     offsetof(OctetsByAddress, octets), 0, 0, KIND_OID_ENCODED, 0},
    {0, 0, 0, "UTCTime", sizeof(TimeValue), 0, 0, 0, 0, 0, KIND_UTC_TIME, 0},
    {0, 0, 0, "GeneralizedTime", sizeof(TimeValue), 0, 0, 0, 0, 0, KIND_GENERALIZED_TIME, 0},
    {0, 0, 0, "REAL", sizeof(double), 0, 0, 0, 0, 0, KIND_REAL, 0},
    {0, 0, 0, "REAL", sizeof(MixedReal), 0, 0, 0, 0, 0, KIND_MIXED_REAL, 0},
    {12, 0, 0, "BIT STRING", sizeof(BitsInInteger), 0, 0, 0, 0, 0, KIND_BITS_IN_INT, 0},
    {0, 0, 0, "OCTET STRING", kAddress, 0, 4, offsetof(OctetSegment, octets), 0, 0,
     KIND_SEG_OCTETS_INLINE, 0},
    {0, 0, 0, "VisibleString", kAddress, 0, 4, offsetof(TextSegment, chars), 0, 0,
     KIND_SEG_CHARS_PTR, 0},
    {0, 0, 0, "BMPString", sizeof(WideChars), 0, 4, offsetof(WideChars, chars), 0, 0,
     KIND_BMP_STRING, 0},
    {0, 0, 0, "OCTET STRING", sizeof(OctetsByAddress), 0, 4, offsetof(OctetsByAddress, octets),
     kDefer, 0, KIND_OCTETS_PTR, 0},
    {0, 0, 0, "Measurement", sizeof(Measurement), 11, 1, 0, 0, F_MEASUREMENT, KIND_SEQUENCE, 0},
};

constexpr uint8_t kNamed = FIELD_NAMED;
constexpr uint8_t kOptional = FIELD_NAMED | FIELD_OPTIONAL;
constexpr uint8_t kDefault = FIELD_NAMED | FIELD_DEFAULT;

// offset, type, presence bit, name index, flags; name index n + 1 names
// component record n.
const FieldDesc kFields[] = {
    {offsetof(Name, givenName), T_VISIBLE_STRING, 0, 1, kNamed, 0},
    {offsetof(Name, initial), T_VISIBLE_STRING, 0, 2, kNamed, 0},
    {offsetof(Name, familyName), T_VISIBLE_STRING, 0, 3, kNamed, 0},
    {offsetof(ChildInformation, name), T_NAME, 0, 4, kNamed, 0},
    {offsetof(ChildInformation, dateOfBirth), T_DATE, 0, 5, kNamed, 0},
    {offsetof(PersonnelRecord, name), T_NAME, 0, 6, kNamed, 0},
    {offsetof(PersonnelRecord, title), T_VISIBLE_STRING, 0, 7, kNamed, 0},
    {offsetof(PersonnelRecord, number), T_EMPLOYEE_NUMBER, 0, 8, kNamed, 0},
    {offsetof(PersonnelRecord, dateOfHire), T_DATE, 0, 9, kNamed, 0},
    {offsetof(PersonnelRecord, nameOfSpouse), T_NAME, 0, 10, kNamed, 0},
    {offsetof(PersonnelRecord, children), T_CHILDREN, 0, 11, kDefault, 0},
    {offsetof(Measurement, sensor), T_OBJECT_IDENTIFIER, 0, 12, kNamed, 0},
    {offsetof(Measurement, sensorOid), T_ENCODED_OID, 0, 13, kNamed, 0},
    {offsetof(Measurement, taken), T_UTC_TIME, 0, 14, kNamed, 0},
    {offsetof(Measurement, received), T_GENERALIZED_TIME, 0, 15, kNamed, 0},
    {offsetof(Measurement, reading), T_REAL, 0, 16, kNamed, 0},
    {offsetof(Measurement, calibration), T_MIXED_REAL, 0, 17, kOptional, 0},
    {offsetof(Measurement, status), T_STATUS_BITS, 0, 18, kNamed, 0},
    {offsetof(Measurement, rawFrames), T_SEGMENTED_OCTETS, 0, 19, kNamed, 0},
    {offsetof(Measurement, notes), T_SEGMENTED_TEXT, 0, 20, kNamed, 0},
    {offsetof(Measurement, label), T_BMP_STRING, 0, 21, kNamed, 0},
    {offsetof(Measurement, archive), T_ARCHIVE, 1, 22, kOptional, 0},
};

const char *const kNames[] = {
    nullptr,      "givenName",  "initial",   "familyName", "name",        "dateOfBirth",
    "name",       "title",      "number",    "dateOfHire", "nameOfSpouse", "children",
    "sensor",     "sensorOid",  "taken",     "received",   "reading",     "calibration",
    "status",     "rawFrames",  "notes",     "label",      "archive"};

// infoTable words: the addresses of the component names.
struct InfoTable {
  ApiWord words[sizeof kNames / sizeof kNames[0]];
  InfoTable() {
    for (std::size_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i)
      words[i] = reinterpret_cast<ApiWord>(kNames[i]);
  }
};
const InfoTable kInfo;

const uint16_t kPduTypes[] = {T_PERSONNEL_RECORD, T_MEASUREMENT};

const CtlTbl kTable = {{0}, 0, 2, 0, kPduTypes, kTypes, kFields, kInfo.words};

}  // namespace

const CtlTbl &personnelTable() { return kTable; }

}  // namespace demo
