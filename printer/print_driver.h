// Printing one PDU value in value notation, protected against memory faults
// and against the exits that run-time services take while it runs.
#ifndef ZURBASE_PRINTER_PRINT_DRIVER_H
#define ZURBASE_PRINTER_PRINT_DRIVER_H

#include "zurbase/ctltbl.h"
#include "zurbase/env.h"

namespace zur {

// Prints "value <type name> ::= ", the value of PDU pduNum (counted from 1)
// and a new line. Returns 0, 6 for a bad argument (nothing printed, env
// untouched), or the code of the error row with which the print was left.
int printPdu(Env *env, int32_t pduNum, void *value, const CtlTbl *ctl);

}  // namespace zur

#endif
