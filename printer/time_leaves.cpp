// GeneralizedTime and UTCTime values.
#include <cstdlib>

#include "frame/print.h"
#include "printer/leaf_format.h"

namespace zur {
namespace {

void printZoneOffset(Env *env, int mindiff) {
  int a = std::abs(mindiff);
  apiPrint(env, "%c%02d%02d", mindiff < 0 ? '-' : '+', a / 60, a % 60);
}

}  // namespace

void printGeneralizedTime(Env *env, const TimeValue *t) {
  apiPrint(env, "\"");
  apiPrint(env, "%04d%02d%02d%02d%02d%02d.%03d", int{t->year}, int{t->month}, int{t->day},
           int{t->hour}, int{t->minute}, int{t->second}, int{t->millisec});
  if (t->utc != 0)
    apiPrint(env, "Z");
  else if (t->mindiff != 0)
    printZoneOffset(env, t->mindiff);
  apiPrint(env, "\"");
}

void printUTCTime(Env *env, const TimeValue *t) {
  apiPrint(env, "\"");
  apiPrint(env, "%02d%02d%02d%02d%02d%02d", int{t->year}, int{t->month}, int{t->day},
           int{t->hour}, int{t->minute}, int{t->second});
  if (t->mindiff != 0)
    printZoneOffset(env, t->mindiff);
  else
    apiPrint(env, "Z");
  apiPrint(env, "\"");
}

}  // namespace zur
