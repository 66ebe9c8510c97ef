// The 112 numbered messages with their status codes, and reporting.
#ifndef ZURBASE_FRAME_ERROR_TABLE_H
#define ZURBASE_FRAME_ERROR_TABLE_H

#include <span>

#include "zurbase/env.h"

namespace zur {

struct ErrEntry {
  const char *message;
  int32_t code;
  uint32_t flags;  // low three bits: argument kind
};

inline constexpr int kErrorRows = 112;

// Argument kinds of ErrEntry.flags.
enum ErrArgKind { ARG_NONE = 0, ARG_LONG = 3, ARG_DOUBLE = 5, ARG_TEXT = 6 };

// Rows this library raises itself.
enum ErrRow {
  ROW_NULL_ARGUMENT = 4,
  ROW_MEMORY_VIOLATION = 9,
  ROW_SERIALIZATION = 13,
  ROW_UNKNOWN_RULES = 46,
  ROW_RULES_NOT_LINKED = 48,
  ROW_SIZE_TOO_LONG = 80,
  ROW_CANNOT_HAPPEN = 106
};

std::span<const ErrEntry, kErrorRows> errorTable();

// The status code of a row.
int32_t errorCode(int row);

// Writes letter, message, argument and ".\n" into buf (nothing when buf is
// null), prints it when the Env's flags ask for it, and returns the code.
int apiReportError(Env *env, char *buf, int row, char letter, const void *arg);

}  // namespace zur

#endif
