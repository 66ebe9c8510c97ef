#include "frame/print.h"

#include <cstdio>

namespace zur {

int printWords(Env *env, const char *format, const ApiWord *w) {
  if (env->hooks != nullptr && env->hooks->print != nullptr)
    return env->hooks->print(env, format, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8],
                             w[9]);
  if (env->hookOnly == 0) return formatWordsTo(stdout, format, w);
  return 0;
}

}  // namespace zur
