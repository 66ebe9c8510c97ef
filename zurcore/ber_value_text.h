// Text of a primitive element's contents, as the tracing decoder hands it
// to the trace: numbers, names of object identifiers, quoted strings, times,
// and hexadecimal for the rest.
#ifndef ZURCORE_BER_VALUE_TEXT_H
#define ZURCORE_BER_VALUE_TEXT_H

#include <cstddef>
#include <cstdint>

#include "zurbase/env.h"

namespace zurcore {

// Room that valueText may fill, its NUL included.
inline constexpr std::size_t kValueTextRoom = 4096;

// Writes the text of `size` contents octets of a universal element with tag
// `number` (any other class: universal is false) into out, which holds
// kValueTextRoom characters. An empty text means nothing worth showing. The
// contents are ones in which contentsFault finds no fault.
void valueText(Env *env, bool universal, uint32_t number, const unsigned char *contents,
               uint64_t size, char *out);

// "malformed (why)" into out, which holds kValueTextRoom characters; with
// `octets`, then ": " and the contents in hexadecimal, if there are any. `why`
// has at most 200 characters.
void malformedText(const char *why, const unsigned char *contents, uint64_t size, bool octets,
                   char *out);

// Why the contents of a primitive universal element with tag `number` break
// the rules of BER ("BOOLEAN of more than one octet"), or null when they do
// not. With `der`, also what DER adds: BOOLEAN TRUE as FF, INTEGER and
// ENUMERATED in the fewest octets, BIT STRING padding bits zero.
const char *contentsFault(uint32_t number, const unsigned char *contents, uint64_t size, bool der);

}  // namespace zurcore

#endif
