// The decoded-value records of the demo's two PDUs, as a compiler would
// declare them beside its control table.
#ifndef ZURBASE_EXAMPLES_PERSONNEL_VALUES_H
#define ZURBASE_EXAMPLES_PERSONNEL_VALUES_H

#include <cstdint>

#include "zurbase/zurbase.h"

namespace demo {

// VisibleString: a length and the address of the characters.
struct VisibleStr {
  uint32_t length;
  const char *chars;
};

struct Name {
  VisibleStr givenName;
  VisibleStr initial;
  VisibleStr familyName;
};

struct ChildInformation {
  Name name;
  VisibleStr dateOfBirth;
};

struct ChildNode {
  ChildNode *next;
  ChildInformation value;
};

// children has a DEFAULT: bit 0 of the presence mask says it is there.
struct PersonnelRecord {
  uint8_t presence;
  Name name;
  VisibleStr title;
  int32_t number;
  VisibleStr dateOfHire;
  Name nameOfSpouse;
  ChildNode *children;
};

// A segment of an octet string, kept inline in its node.
struct OctetSegment {
  OctetSegment *next;
  uint32_t length;
  unsigned char octets[8];
};

// A segment of a character string, its characters behind an address.
struct TextSegment {
  TextSegment *next;
  uint32_t length;
  const char *chars;
};

struct ArcList {
  int16_t count;
  uint32_t arcs[8];
};

struct OctetsByAddress {
  uint32_t length;
  const unsigned char *octets;
};

struct BitsInInteger {
  uint16_t bits;
};

struct WideChars {
  uint32_t length;
  const uint16_t *chars;
};

// A record of the other value families: REAL, OBJECT IDENTIFIER, times, BIT
// STRING, segmented strings, 16-bit characters and deferred data.
struct Measurement {
  uint8_t presence;
  ArcList sensor;
  OctetsByAddress sensorOid;
  TimeValue taken;
  TimeValue received;
  double reading;
  MixedReal calibration;
  BitsInInteger status;
  OctetSegment *rawFrames;
  TextSegment *notes;
  WideChars label;
  OctetsByAddress archive;
};

// The control table of the module, and its PDU numbers.
const CtlTbl &personnelTable();
enum : int32_t { PDU_PERSONNEL_RECORD = 1, PDU_MEASUREMENT = 2 };

}  // namespace demo

#endif
