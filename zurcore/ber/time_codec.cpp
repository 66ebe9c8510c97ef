// Times are checked field by field: month 1-12, day within its month
// (February 29 in leap years: for UTCTime every fourth YY, 00 being 2000),
// hour 0-23, minute 0-59, second 0-60 (a leap second), offsets below 24
// hours.
#include "time_codec.h"

#include <initializer_list>

#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

constexpr const char *kDerUtcTime = "DER: UTCTime as YYMMDDHHMMSSZ";
constexpr const char *kDerGeneralizedTime = "DER: GeneralizedTime as YYYYMMDDHHMMSS[.f]Z";

class Reader {
 public:
  Reader(const unsigned char *p, std::size_t n) : p_(p), n_(n) {}
  bool digits(int count, int &out) {
    if (n_ - pos_ < static_cast<std::size_t>(count)) return false;
    int v = 0;
    for (int k = 0; k < count; ++k) {
      const unsigned char c = p_[pos_ + k];
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    pos_ += count;
    out = v;
    return true;
  }
  bool atDigit() const { return pos_ < n_ && p_[pos_] >= '0' && p_[pos_] <= '9'; }
  bool take(unsigned char c) {
    if (pos_ < n_ && p_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool done() const { return pos_ == n_; }

 private:
  const unsigned char *p_;
  std::size_t n_;
  std::size_t pos_ = 0;
};

int daysInMonth(int month, int year, bool generalized) {
  static constexpr int8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = year % 4 == 0 && (!generalized || year % 100 != 0 || year % 400 == 0);
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool inRange(const TimeValue &t, bool generalized) {
  return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= daysInMonth(t.month, t.year, generalized) &&
         t.hour <= 23 && t.minute <= 59 && t.second <= 60;
}

// "+hh[mm]" or "-hh[mm]" into minutes; minutes required for UTCTime.
bool readOffset(Reader &r, bool minutesRequired, int16_t &mindiff) {
  int sign;
  if (r.take('+'))
    sign = 1;
  else if (r.take('-'))
    sign = -1;
  else
    return false;
  int hh = 0, mm = 0;
  if (!r.digits(2, hh) || hh > 23) return false;
  if (r.atDigit() || minutesRequired) {
    if (!r.digits(2, mm) || mm > 59) return false;
  }
  mindiff = static_cast<int16_t>(sign * (hh * 60 + mm));
  return true;
}

// The eight octets at p as four two-digit numbers, the first in the low 16
// bits of `pairs`; false when an octet is no digit. One word at a time: a
// certificate holds two times, and a digit at a time took more than their
// headers.
bool digitPairs(const unsigned char *p, uint64_t &pairs) {
  // p[0] lowest: compilers make this one load where the machine's order is
  // that one.
  const uint64_t w = uint64_t{p[0]} | uint64_t{p[1]} << 8 | uint64_t{p[2]} << 16 | uint64_t{p[3]} << 24 |
                     uint64_t{p[4]} << 32 | uint64_t{p[5]} << 40 | uint64_t{p[6]} << 48 | uint64_t{p[7]} << 56;
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u, kDigitHigh = 0x3030303030303030u, kSix = 0x0606060606060606u;
  // '0' to '9' are 0x30 to 0x39: the high half 3, and still 3 with 6 added.
  if ((w & kHigh) != kDigitHigh || ((w + kSix) & kHigh) != kDigitHigh) return false;
  const uint64_t d = w & 0x0F0F0F0F0F0F0F0Fu;
  // Each octet plus ten times the one before it: no sum passes 99, so none
  // carries into the next octet.
  pairs = (d * 10 + (d >> 8)) & 0x00FF00FF00FF00FFu;
  return true;
}

int16_t pairAt(uint64_t pairs, int i) { return static_cast<int16_t>(pairs >> (16 * i) & 0xFF); }

// The form DER requires, and nearly every time takes: YYMMDDHHMMSSZ or
// YYYYMMDDHHMMSSZ, read at once into `t` (zeroed); false for any other.
bool readCommonForm(bool generalized, const unsigned char *p, std::size_t n, TimeValue &t) {
  const std::size_t digits = generalized ? 14 : 12;
  if (n != digits + 1 || p[digits] != 'Z') return false;
  // The first eight digits and the last eight, which overlap: YYMMDDHH and
  // DDHHMMSS, or YYYYMMDD and DDHHMMSS.
  uint64_t head, tail;
  if (!digitPairs(p, head) || !digitPairs(p + digits - 8, tail)) return false;
  t.year = generalized ? static_cast<int16_t>(pairAt(head, 0) * 100 + pairAt(head, 1)) : pairAt(head, 0);
  t.month = pairAt(head, generalized ? 2 : 1);
  t.day = pairAt(tail, 0);
  t.hour = pairAt(tail, 1);
  t.minute = pairAt(tail, 2);
  t.second = pairAt(tail, 3);
  t.utc = generalized ? 1 : 0;
  return true;
}

int fail(LeafFault &fault, bool der, const char *rule) {
  if (der) fault.derRule = rule;
  return ROW_TIME_RANGE;
}

}  // namespace

namespace {

// parseTime of a time not in the common form, field by field. Out of line:
// the common form's path stays small.
[[gnu::noinline]] int parseOtherForm(bool generalized, const unsigned char *p, std::size_t n, bool der,
                                     TimeValue &t, LeafFault &fault) {
  const char *rule = generalized ? kDerGeneralizedTime : kDerUtcTime;
  Reader r(p, n);
  int year, month, day, hour, minute = 0, second = 0;
  if (!r.digits(generalized ? 4 : 2, year) || !r.digits(2, month) || !r.digits(2, day) ||
      !r.digits(2, hour))
    return fail(fault, der, rule);
  bool haveMinutes = r.digits(2, minute);
  bool haveSeconds = haveMinutes && r.digits(2, second);
  if (!generalized && !haveMinutes) return fail(fault, der, rule);
  t.year = static_cast<int16_t>(year);
  t.month = static_cast<int16_t>(month);
  t.day = static_cast<int16_t>(day);
  t.hour = static_cast<int16_t>(hour);
  t.minute = static_cast<int16_t>(minute);
  t.second = static_cast<int16_t>(second);
  if (der && !haveSeconds) return fail(fault, der, rule);
  if (generalized && haveSeconds) {
    const bool point = r.take('.');
    if (point || r.take(',')) {
      if (der && !point) return fail(fault, der, rule);
      int digits = 0, ms = 0, last = 0;
      while (r.atDigit()) {
        r.digits(1, last);
        if (digits < 3) ms = ms * 10 + last;
        ++digits;
      }
      if (digits == 0 || (der && last == 0)) return fail(fault, der, rule);
      for (int k = digits; k < 3; ++k) ms *= 10;
      t.millisec = static_cast<int16_t>(ms);
    }
  }
  if (r.take('Z')) {
    t.utc = generalized ? 1 : 0;
  } else if (der) {
    fault.derRule = rule;
    return ROW_TIME_NOT_UTC;
  } else if (!(generalized && r.done())) {  // a GeneralizedTime may be local time
    if (!readOffset(r, !generalized, t.mindiff)) return fail(fault, der, rule);
    // A zero offset is UTC, which the value says only by its flag: kept as
    // no offset, the time would read as local time.
    if (generalized && t.mindiff == 0) t.utc = 1;
  }
  if (!r.done() || !inRange(t, generalized)) return fail(fault, der, rule);
  return 0;
}

}  // namespace

int parseTime(bool generalized, const unsigned char *p, std::size_t n, bool der, TimeValue &t,
              LeafFault &fault) {
  t = TimeValue{};
  if (!readCommonForm(generalized, p, n, t)) return parseOtherForm(generalized, p, n, der, t, fault);
  return inRange(t, generalized) ? 0 : fail(fault, der, generalized ? kDerGeneralizedTime : kDerUtcTime);
}

bool encodableTime(bool generalized, const TimeValue &t) {
  const bool year = generalized ? t.year >= 0 && t.year <= 9999
                                : (t.year >= 0 && t.year <= 99) || (t.year >= 1950 && t.year <= 2049);
  return year && t.hour >= 0 && t.minute >= 0 && t.second >= 0 &&
         inRange(t, generalized) && (!generalized || (t.millisec >= 0 && t.millisec <= 999)) &&
         t.mindiff >= -(23 * 60 + 59) && t.mindiff <= 23 * 60 + 59;
}

namespace {

// `value` (not negative) in decimal, zeros in front to `width` digits.
char *putPadded(char *out, int value, int width) {
  unsigned u = static_cast<unsigned>(value);
  char digits[10];
  int k = 0;
  do {
    digits[k++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  for (int i = k; i < width; ++i) *out++ = '0';
  while (k != 0) *out++ = digits[--k];
  return out;
}

}  // namespace

std::size_t formatTime(bool generalized, const TimeValue &t, char out[32]) {
  char *end = generalized ? putPadded(out, t.year % 10000, 4) : putPadded(out, t.year % 100, 2);
  for (const int16_t part : {t.month, t.day, t.hour, t.minute, t.second}) end = putPadded(end, part % 100, 2);
  if (generalized && t.millisec != 0) {
    int ms = t.millisec, digits = 3;
    while (ms % 10 == 0) {
      ms /= 10;
      --digits;
    }
    *end++ = '.';
    end = putPadded(end, ms, digits);
  }
  const bool zone = generalized ? t.utc == 0 && t.mindiff != 0 : t.mindiff != 0;
  if (zone) {
    const int m = t.mindiff < 0 ? -t.mindiff : t.mindiff;
    *end++ = t.mindiff < 0 ? '-' : '+';
    end = putPadded(putPadded(end, (m / 60) % 100, 2), m % 60, 2);
  } else if (!generalized || t.utc != 0) {
    *end++ = 'Z';
  }
  return static_cast<std::size_t>(end - out);
}

}  // namespace zurcore
