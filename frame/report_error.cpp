// Turning a row of the error table into a report in a message buffer.
#include <cstdio>
#include <cstring>

#include "frame/error_table.h"
#include "frame/print.h"
#include "library/entry_points.h"

namespace zur {
namespace {

int argKind(const ErrEntry &e) { return static_cast<int>(e.flags & 0x7); }

}  // namespace

int apiReportError(Env *env, char *buf, int row, char letter, const void *arg) {
  const ErrEntry &entry = errorTable()[row];
  if (buf == nullptr) return entry.code;
  buf[0] = letter;
  char *end = buf + 1;
  std::size_t len = std::strlen(entry.message);
  std::memcpy(end, entry.message, len);
  end += len;
  // The argument is written without a bound, as the run-time always has: the
  // caller provides room for its own texts.
  if (arg != nullptr) {
    switch (argKind(entry)) {
      case ARG_LONG:
        end += std::sprintf(end, "%ld", static_cast<long>(*static_cast<const int32_t *>(arg)));
        break;
      case ARG_DOUBLE:
        end += std::sprintf(end, "%f", *static_cast<const double *>(arg));
        break;
      case ARG_TEXT:
        end += std::sprintf(end, "'%s'", static_cast<const char *>(arg));
        break;
      default:
        break;
    }
  }
  std::memcpy(end, ".\n", 3);
  if (env != nullptr) {
    const bool wanted = (letter == 'E' && (env->encFlags & ZURBASE_FLAG_PRINT_ERRORS) != 0) ||
                        (letter == 'D' && (env->decFlags & ZURBASE_FLAG_PRINT_ERRORS) != 0);
    // Printed as plain text: a '%' in the message stays as it is.
    if (wanted) apiPrint(env, "%s", static_cast<const char *>(buf));
  }
  return entry.code;
}

char *apiGetErrorMsg(Env *env) { return env != nullptr ? env->msgBuf : nullptr; }

}  // namespace zur
