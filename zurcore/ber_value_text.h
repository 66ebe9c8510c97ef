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
// kValueTextRoom characters. An empty text means nothing worth showing.
void valueText(Env *env, bool universal, uint32_t number, const unsigned char *contents,
               uint64_t size, char *out);

}  // namespace zurcore

#endif
