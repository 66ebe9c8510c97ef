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

// Formats into buf like snprintf: writes at most cap - 1 characters and a
// NUL (when cap > 0), returns the length the whole text would have.
int formatWords(char *buf, std::size_t cap, const char *format, const ApiWord *words);

// Formats onto a stdio stream; returns the number of characters written or a
// negative value when the stream reports an error.
int formatWordsTo(std::FILE *stream, const char *format, const ApiWord *words);

}  // namespace zur

#endif
