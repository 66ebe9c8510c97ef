// The formatter's C interface for print hooks of applications; the C++
// formatter it calls is the one the library prints with, so a hook renders
// exactly what standard output would have shown. zurFormatWords is defined in
// word_format.cpp, beside the dispatch it shares with formatWords.
#include "zurbase/format.h"

#include "frame/word_format.h"

static_assert(ZUR_PRINT_WORDS == zur::kPrintWords, "print hooks receive ten words");

extern "C" int zurFormatWordsToFile(FILE *stream, const char *format,
                                    const ApiWord words[ZUR_PRINT_WORDS]) {
  return zur::formatWordsTo(stream, format, words);
}
