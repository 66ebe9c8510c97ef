// A codec's failure as a row of the library's error table, written into the
// call's message buffer the way zurbase writes its own reports, with what a
// user needs to find the fault: the row's argument, a detail (the DER rule
// an input breaks, the limit passed) and where in the input it lies.
//
//   D0055S: Premature end of input buffer at offset 12.\n
//   D0037E: Value misencoded or length wrong for value (DER: minimal length octets) at offset 1.\n
//   D0033E: Tag mismatch or tag not expected: [UNIVERSAL 4] at offset 7.\n
#ifndef ZURCORE_CODEC_REPORT_H
#define ZURCORE_CODEC_REPORT_H

#include <cstddef>
#include <cstdint>

#include "zurbase/env.h"

namespace zurcore {

// The argument of a row, written by the row's kind: 3 a 32-bit number
// ("%ld"), 4 a 64-bit number, 5 a double, 6 a text in quotes; kind 1 (a
// component) the name in quotes, kind 2 (a tag) the tag as "[APPLICATION 3]".
// Without an argument (the default) nothing is written, as zurbase does
// for a row whose argument address is null.
struct ReportArg {
  bool given = false;
  int64_t number = 0;
  double real = 0;
  const char *text = nullptr;

  static ReportArg of(int64_t n) { return ReportArg{true, n, 0, nullptr}; }
  static ReportArg named(const char *t) { return ReportArg{t != nullptr, 0, 0, t}; }
  static ReportArg tag(uint16_t tag) { return ReportArg{true, tag, 0, nullptr}; }
};

// Where a fault lies: an octet offset (BER, DER), a bit offset (PER), or
// nowhere in particular (encoding).
struct ReportPlace {
  enum Unit : uint8_t { NONE, OCTET, BIT } unit = NONE;
  uint64_t offset = 0;

  static ReportPlace octet(uint64_t offset) { return ReportPlace{OCTET, offset}; }
  static ReportPlace bit(uint64_t offset) { return ReportPlace{BIT, offset}; }
};

// The most characters a report takes, its NUL included: a row's text (93 at
// most), an argument (names are cut to fit), a detail and the place.
inline constexpr std::size_t kReportRoom = 320;

// Writes `letter` ('E' or 'D'), the row's text, its argument, " (detail)"
// when a detail is given, the place and ".\n" into msgBuf (nothing when it is
// null); prints the report when `flags` has 0x2, through the Env's print hook
// or to standard output unless Env.hookOnly; returns the row's code.
int report(Env *env, char *msgBuf, uint32_t flags, char letter, int row, const ReportArg &arg,
           const char *detail, const ReportPlace &place);

// The detail of an encoder's report: `why` (may be null) and the component
// whose value failed (null: none), as "why, in 'name'", in `out`; returns
// the detail to report.
inline constexpr std::size_t kDetailRoom = 200;
const char *componentDetail(char (&out)[kDetailRoom], const char *why, const char *component);

}  // namespace zurcore

#endif
