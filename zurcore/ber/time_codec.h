// UTCTime and GeneralizedTime texts to and from TimeValue; shared by the
// BER/DER decoder and encoder.
#ifndef ZURCORE_BER_TIME_CODEC_H
#define ZURCORE_BER_TIME_CODEC_H

#include <cstddef>

#include "real_codec.h"
#include "zurbase/values.h"

namespace zurcore {

// Reads "YYMMDDhhmm[ss](Z|+hhmm|-hhmm)" (UTCTime) or
// "YYYYMMDDhh[mm[ss[.fff]]][Z|+hh[mm]|-hh[mm]]" (GeneralizedTime; a comma
// may stand for the point, fractions beyond milliseconds are dropped).
// Under DER only "YYMMDDhhmmssZ" and "YYYYMMDDhhmmss[.f]Z" without trailing
// zeros in the fraction are taken. Returns 0 or the row of the fault.
int parseTime(bool generalized, const unsigned char *p, std::size_t n, bool der, TimeValue &t,
              LeafFault &fault);

// Whether the text of a time can say what the value holds: every field in
// its range, a GeneralizedTime's year in four digits, a UTCTime's in two
// (or 1950 to 2049, which two digits stand for), an offset within a day.
bool encodableTime(bool generalized, const TimeValue &t);

// The DER text of an encodable time (offsets kept when the value has one);
// returns its length, at most 32.
std::size_t formatTime(bool generalized, const TimeValue &t, char out[32]);

}  // namespace zurcore

#endif
