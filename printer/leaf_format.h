// Leaf formatters: the text of one simple value, written through apiPrint.
#ifndef ZURBASE_PRINTER_LEAF_FORMAT_H
#define ZURBASE_PRINTER_LEAF_FORMAT_H

#include <cstdint>

#include "zurbase/env.h"
#include "zurbase/values.h"

namespace zur {

// The indentation of a line break back steps above the value's depth, in
// steps of two blanks: that depth, kept for later breaks, unless it is
// negative (a value printed outside the walk), then the last break's.
inline int32_t newlineIndent(WorkArea &w, int back) {
  const int32_t d = w.printDepth - back;
  if (d >= 0) w.printIndent = d;
  return w.printIndent;
}

// New line, indented by newlineIndent.
void printNewline(Env *env, int back);
// Deeper indentation, which no walk reaches, goes through the format.
inline constexpr int32_t kDirectIndent = 1 << 16;

// prefix, the first count octets (at most printLimit) as "%02X", then the
// suffix, marked with " ..." when octets were left out.
void printHexOctets(Env *env, const char *prefix, const unsigned char *octets, int count,
                    const char *suffix);

// count unsigned numbers of width bytes each, each after a blank.
void printNumberList(Env *env, const void *elements, uint16_t count, int16_t width);

// OBJECT IDENTIFIER contents octets, through the sibling's converter.
void printObjectId(Env *env, const unsigned char *contents, uint32_t length);

void printGeneralizedTime(Env *env, const TimeValue *t);
void printUTCTime(Env *env, const TimeValue *t);

// REAL as { mantissa, 10, exponent }.
void printBinaryReal(Env *env, double x);

// The text in double quotes; a null text prints "NULL" in quotes.
void printQuotedString(Env *env, const char *s);

void printMixedReal(Env *env, const MixedReal *r);

// Announces data kept in a temporary file (kind 1) or behind a socket
// (kind 2) and replaces the handle word with a fresh handle for it.
void printDeferredValue(Env *env, ApiWord *handle, int kind);

}  // namespace zur

#endif
