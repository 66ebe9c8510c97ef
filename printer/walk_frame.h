// The state of one printValue call, shared by the walker and the handlers of
// the string-like kinds.
#ifndef ZURBASE_PRINTER_WALK_FRAME_H
#define ZURBASE_PRINTER_WALK_FRAME_H

#include "printer/print_cursor.h"

namespace zur {

struct WalkFrame {
  // `own` is left unset: it is filled where it is first used (fillOwn).
  WalkFrame(const CtlTbl *table, const TypeDesc *type, PrintCursor *cursor, uint8_t element)
      : ctl(table), t(type), env(cursor->env), caller(cursor), current(cursor), inList(element) {}

  const CtlTbl *ctl;
  const TypeDesc *t;
  Env *env;
  PrintCursor *caller;
  PrintCursor *current;  // the caller's cursor or `own`
  PrintCursor own;       // the private cursor
  bool moved = false;    // `own` left the caller's block
  unsigned char *s = nullptr;  // the value's address on entry
  uint8_t inList;        // the value is an element of a SEQUENCE OF or SET OF

  // The private cursor, first copied from the current one unless it has
  // already moved to another block.
  PrintCursor &fillOwn() {
    if (!moved) own = *current;
    return own;
  }
};

// Prints the value of a string, bit string, segmented string, OBJECT
// IDENTIFIER or encoded-value kind.
void printStringValue(WalkFrame &f);

}  // namespace zur

#endif
