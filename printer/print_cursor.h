// The type walker's cursor and entry point.
#ifndef ZURBASE_PRINTER_PRINT_CURSOR_H
#define ZURBASE_PRINTER_PRINT_CURSOR_H

#include "zurbase/ctltbl.h"
#include "zurbase/env.h"

namespace zur {

// Locates the value being printed: it starts at base + offset. base is where
// the current block can be read (from the mapping services), blockRef the
// block's own address as the value that led to it stores it.
struct PrintCursor {
  Env *env;
  unsigned char *base;
  void *blockRef;
  uint32_t offset;
  uint32_t blockSize;
};
ZURBASE_ASSERT_SIZE(PrintCursor, 20);

// Deepest nesting of printValue calls a print enters: a type that contains
// itself, or a value whose addresses lead back to itself, ends the print here
// (leaveEndlessValue) instead of at the end of the stack, after output that
// grows with the square of the depth.
inline constexpr int32_t kMaxPrintDepth = 256;

// Prints one value of type td at the cursor in value notation. inList is set
// for elements of a SEQUENCE OF or SET OF. On return the cursor addresses
// the caller's block again, with its offset unchanged.
void printValue(const CtlTbl *ctl, const TypeDesc *td, PrintCursor *cursor, uint8_t inList);

}  // namespace zur

#endif
