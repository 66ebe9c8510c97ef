// Codec reports: the same letter, text, argument and ".\n" as zurbase's own,
// with the codec's detail and the fault's place between argument and stop.
#include "report.h"

#include <cstdio>
#include <cstring>

#include "frame/error_table.h"

namespace zurcore {
namespace {

enum ArgKind { ARG_FIELD = 1, ARG_TAG = 2, ARG_LONG = 3, ARG_WIDE = 4, ARG_DOUBLE = 5, ARG_TEXT = 6 };

const char *const kClassNames[] = {"UNIVERSAL ", "APPLICATION ", "", "PRIVATE "};

// Names and texts longer than this are cut, so that every report fits.
constexpr int kMaxArgText = 120;

int writeArg(char *out, std::size_t room, int kind, const ReportArg &arg) {
  if (!arg.given) return 0;
  switch (kind) {
    case ARG_FIELD:
    case ARG_TEXT:
      return std::snprintf(out, room, "'%.*s'", kMaxArgText, arg.text);
    case ARG_TAG:
      return std::snprintf(out, room, "[%s%u]", kClassNames[(arg.number >> 14) & 3],
                           static_cast<unsigned>(arg.number & 0x3FFF));
    // A row's 32-bit number: one that does not fit 32 bits (an address on a
    // 64-bit target, a size past 2 GB) is written whole rather than cut.
    case ARG_LONG:
    case ARG_WIDE:
      return std::snprintf(out, room, "%lld", static_cast<long long>(arg.number));
    case ARG_DOUBLE:
      return std::snprintf(out, room, "%f", arg.real);
    default:
      return 0;
  }
}

void printReport(Env *env, const char *text) {
  if (env->hooks != nullptr && env->hooks->print != nullptr) {
    env->hooks->print(env, "%s", reinterpret_cast<ApiWord>(text), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  } else if (env->hookOnly == 0) {
    std::fputs(text, stdout);
    std::fflush(stdout);
  }
}

}  // namespace

int report(Env *env, char *msgBuf, uint32_t flags, char letter, int row, const ReportArg &arg,
           const char *detail, const ReportPlace &place) {
  const zur::ErrEntry &entry = zur::errorTable()[row];
  if (msgBuf == nullptr) return entry.code;
  char text[kReportRoom];
  int n = std::snprintf(text, sizeof text, "%c%s", letter, entry.message);
  n += writeArg(text + n, sizeof text - n, static_cast<int>(entry.flags & 7), arg);
  if (detail != nullptr) n += std::snprintf(text + n, sizeof text - n, " (%s)", detail);
  if (place.unit == ReportPlace::OCTET)
    n += std::snprintf(text + n, sizeof text - n, " at offset %llu",
                       static_cast<unsigned long long>(place.offset));
  else if (place.unit == ReportPlace::BIT)
    n += std::snprintf(text + n, sizeof text - n, " at bit %llu",
                       static_cast<unsigned long long>(place.offset));
  std::snprintf(text + n, sizeof text - n, ".\n");
  std::memcpy(msgBuf, text, std::strlen(text) + 1);
  if (env != nullptr && (flags & ZURBASE_FLAG_PRINT_ERRORS) != 0) printReport(env, text);
  return entry.code;
}

const char *componentDetail(char (&out)[kDetailRoom], const char *why, const char *component) {
  if (component == nullptr) return why;
  std::snprintf(out, sizeof out, "%s%sin '%.120s'", why != nullptr ? why : "", why != nullptr ? ", " : "", component);
  return out;
}

}  // namespace zurcore
