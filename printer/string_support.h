// Steps shared by the handlers of the string-like kinds.
#ifndef ZURBASE_PRINTER_STRING_SUPPORT_H
#define ZURBASE_PRINTER_STRING_SUPPORT_H

#include <cstdint>

#include "printer/walk_frame.h"

namespace zur {

// Hexadecimal string 'hh...'H.
void printHexString(Env *env, const unsigned char *data, int n);

// n characters at a in double quotes, cut at printLimit.
void printQuotedChars(Env *env, const char *a, uint32_t n);

// A NUL-terminated text in double quotes, cut at printLimit.
void printQuotedText(Env *env, const char *a);

// L: the length field at the start of the value, its low 32 bits.
uint32_t lengthField(const WalkFrame &f);

// Moves the private cursor from the data-address field to n octets of data;
// returns n, or 0 when the address is null. The data lies at own.base.
uint32_t followData(WalkFrame &f, uint32_t n);

// For types whose data may be deferred: when the run-time keeps the data at
// own.base outside memory, announces it and answers true.
bool printedAsDeferred(WalkFrame &f);

// Segmented strings, kinds 31 to 46.
void printSegmentedValue(WalkFrame &f);

}  // namespace zur

#endif
