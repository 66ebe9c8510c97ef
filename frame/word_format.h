// The one formatter that turns a printf format and ten argument words back
// into text. Words are consumed per conversion the way a 32-bit stack would
// hold the arguments, generalised to the word size: a 64-bit integer or a
// double takes two words on 32-bit targets and one on 64-bit targets.
#ifndef ZURBASE_FRAME_WORD_FORMAT_H
#define ZURBASE_FRAME_WORD_FORMAT_H

#include <cstddef>
#include <cstdio>

#include "zurbase/types.h"

namespace zur {

inline constexpr int kPrintWords = 10;

// The formats the printer sends most, laid end to end in one object: the
// formatter knows them by their address, before reading them.
struct CommonFormats {
  char octet[5] = "%02X";
  char indent[5] = "\n%*s";
  char name[4] = "%s ";
  char text[3] = "%s";
  char signed64[6] = "%I64d";
  char quoted[7] = "\"%.*s\"";
  char open[2] = "{";
  char comma[2] = ",";
  char close[2] = "}";
};
inline constexpr CommonFormats kFormats;

// Formats into buf like snprintf: writes at most cap - 1 characters and a
// NUL (when cap > 0), returns the length the whole text would have, or -1
// when that exceeds INT_MAX.
int formatWords(char *buf, std::size_t cap, const char *format, const ApiWord *words);

// Formats onto a stdio stream; returns the number of characters written, or
// -1 when the stream reports an error or the text would exceed INT_MAX (it
// stops before the piece that would).
int formatWordsTo(std::FILE *stream, const char *format, const ApiWord *words);

// One floating-point or address conversion (format holds nothing else) by
// the C library: the C run-time's own on Windows. formatByLibrary writes at
// most room - 1 characters and returns the whole length (-1 beyond INT_MAX);
// printByLibrary writes to the stream and returns a negative value on error.
int formatByLibrary(char *buf, std::size_t room, const char *format, double value);
int formatByLibrary(char *buf, std::size_t room, const char *format, const void *value);
int printByLibrary(std::FILE *stream, const char *format, double value);
int printByLibrary(std::FILE *stream, const char *format, const void *value);

}  // namespace zur

#endif
