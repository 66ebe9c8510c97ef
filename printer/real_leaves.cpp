// REAL values: binary as { mantissa, 10, exponent }, or decimal text.
#include <cmath>
#include <cstring>

#include "frame/print.h"
#include "printer/leaf_format.h"

namespace zur {

// Infinities, which have no mantissa, print as the ASN.1 special values.
void printBinaryReal(Env *env, double x) {
  if (x == 0.0 || std::isnan(x)) {
    apiPrint(env, "0");
    return;
  }
  if (std::isinf(x)) {
    if (x > 0)
      apiPrint(env, "PLUS-INFINITY");
    else
      apiPrint(env, "MINUS-INFINITY");
    return;
  }
  double e = std::floor(std::log10(std::fabs(x)));
  double p = 10;
  for (int i = 1; std::fabs(e) > i; ++i) p *= 10;
  double m = e < 0 ? x * p : e > 0 ? x / p : x;
  apiPrint(env, "{ %.3lf, 10, %d }", m, static_cast<int>(e));
}

void printMixedReal(Env *env, const MixedReal *r) {
  if (r->form == 0) {
    double d;
    std::memcpy(&d, &r->value.binary, sizeof d);
    printBinaryReal(env, d);
  } else if (r->form == 1) {
    const char *text;
    std::memcpy(&text, &r->value.text, sizeof text);
    printQuotedString(env, text);
  }
}

}  // namespace zur
