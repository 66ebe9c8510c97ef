// UTCTime and GeneralizedTime as the text PER carries (a VisibleString), to
// and from the TimeValue record of decoded values.
#ifndef ZURCORE_PER_TIME_TEXT_H
#define ZURCORE_PER_TIME_TEXT_H

#include <cstddef>

#include "zurbase/values.h"

namespace zurcore::per {

inline constexpr std::size_t kTimeTextRoom = 32;
// Writes the text (seconds always, fractions without trailing zeros);
// returns its length.
std::size_t timeText(const TimeValue &t, bool generalized, char *out);
// Reads a text of any form the type allows; false when it is none.
bool timeFromText(const char *text, std::size_t length, bool generalized, TimeValue &t);

}  // namespace zurcore::per

#endif
