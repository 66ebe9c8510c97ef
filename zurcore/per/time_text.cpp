#include "time_text.h"

#include <cstdio>
#include <cstdlib>

namespace zurcore::per {

std::size_t timeText(const TimeValue &t, bool generalized, char *out) {
  int n = generalized ? std::snprintf(out, kTimeTextRoom, "%04d", t.year % 10000)
                      : std::snprintf(out, kTimeTextRoom, "%02d", t.year % 100);
  n += std::snprintf(out + n, kTimeTextRoom - n, "%02d%02d%02d%02d%02d", t.month, t.day, t.hour,
                     t.minute, t.second);
  if (generalized && t.millisec != 0) {
    n += std::snprintf(out + n, kTimeTextRoom - n, ".%03d", t.millisec % 1000);
    while (out[n - 1] == '0') --n;
  }
  if ((generalized && t.utc) || (!generalized && t.mindiff == 0)) {
    out[n++] = 'Z';
  } else if (t.mindiff != 0) {
    int m = std::abs(t.mindiff);
    n += std::snprintf(out + n, kTimeTextRoom - n, "%c%02d%02d", t.mindiff < 0 ? '-' : '+',
                       m / 60 % 100, m % 60);
  }
  out[n] = '\0';
  return static_cast<std::size_t>(n);
}

namespace {

struct Cursor {
  const char *p;
  const char *end;
  bool digits(int count, int &value) {
    if (end - p < count) return false;
    value = 0;
    for (int i = 0; i < count; ++i, ++p) {
      if (*p < '0' || *p > '9') return false;
      value = value * 10 + (*p - '0');
    }
    return true;
  }
  bool more() const { return p < end; }
  bool digitNext() const { return p < end && *p >= '0' && *p <= '9'; }
};

}  // namespace

bool timeFromText(const char *text, std::size_t length, bool generalized, TimeValue &t) {
  t = TimeValue{};
  Cursor c{text, text + length};
  int year, month, day, hour, minute = 0, second = 0;
  if (!c.digits(generalized ? 4 : 2, year) || !c.digits(2, month) || !c.digits(2, day) ||
      !c.digits(2, hour))
    return false;
  if ((!generalized || c.digitNext()) && !c.digits(2, minute)) return false;
  if (c.digitNext() && !c.digits(2, second)) return false;
  int millisec = 0;
  if (generalized && c.more() && (*c.p == '.' || *c.p == ',')) {
    ++c.p;
    if (!c.digitNext()) return false;
    for (int scale = 100; c.digitNext(); ++c.p, scale /= 10) millisec += (*c.p - '0') * scale;
  }
  int mindiff = 0;
  bool utc = false;
  if (c.more() && *c.p == 'Z') {
    ++c.p;
    utc = true;
  } else if (c.more() && (*c.p == '+' || *c.p == '-')) {
    int sign = *c.p++ == '-' ? -1 : 1, hours, minutes = 0;
    if (!c.digits(2, hours) || (c.more() && !c.digits(2, minutes))) return false;
    mindiff = sign * (hours * 60 + minutes);
    if (mindiff == 0) utc = true;
  } else if (!generalized) {
    return false;
  }
  if (c.more() || month < 1 || month > 12 || day < 1 || day > 31 || hour > 24 || minute > 59 ||
      second > 60)
    return false;
  t.year = static_cast<int16_t>(year);
  t.month = static_cast<int16_t>(month);
  t.day = static_cast<int16_t>(day);
  t.hour = static_cast<int16_t>(hour);
  t.minute = static_cast<int16_t>(minute);
  t.second = static_cast<int16_t>(second);
  t.millisec = static_cast<int16_t>(millisec);
  t.mindiff = static_cast<int16_t>(mindiff);
  t.utc = generalized && utc ? 1 : 0;
  return true;
}

}  // namespace zurcore::per
