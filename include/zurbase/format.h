/* zurbase: the ten-word formatter, for print hooks written by applications.
   A print hook receives a printf format and exactly ten argument words; these
   functions turn them back into the text the library meant. Words are taken
   per conversion as a 32-bit stack would hold the arguments, generalised to
   the word size: a 64-bit integer ("%I64d", "%lld") or a double takes two
   words on 32-bit targets and one on 64-bit targets, low word first; "*"
   widths and precisions take one word each. "%n" is never honoured. */
#ifndef ZURBASE_FORMAT_H
#define ZURBASE_FORMAT_H

#include <stdio.h>

#include "zurbase/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Number of argument words a print hook receives. */
#define ZUR_PRINT_WORDS 10

/* Formats into buf as snprintf does: writes at most size - 1 characters and
   a terminating NUL (nothing when size is 0) and returns the length the whole
   text has, so a result >= size means the text was cut; -1 when that length
   exceeds INT_MAX. buf may be null when size is 0. */
int zurFormatWords(char *buf, size_t size, const char *format,
                   const ApiWord words[ZUR_PRINT_WORDS]);

/* Formats onto stream; returns the number of characters written, or -1 when
   the stream reports an error or the text would exceed INT_MAX (nothing is
   written from the piece that would pass it on). */
int zurFormatWordsToFile(FILE *stream, const char *format,
                         const ApiWord words[ZUR_PRINT_WORDS]);

#ifdef __cplusplus
}
#endif

#endif
