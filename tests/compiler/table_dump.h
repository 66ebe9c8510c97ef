// Test support: compiled tables as text, one line per record, every field
// by value: names by their text, DEFAULT values and object ids by the value
// they hold (read through the table's own layout), never an address. Two
// tables that dump alike are the same tables.
#ifndef ZURBASE_TESTS_COMPILER_TABLE_DUMP_H
#define ZURBASE_TESTS_COMPILER_TABLE_DUMP_H

#include <string>
#include <vector>

#include "zurbase/codec_tables.h"
#include "zurbase/values.h"

namespace zurtest {

std::vector<std::string> dumpTables(const ZurTables &tables);

// The value at `value` of control-table type `type`, as the dump shows it.
std::string dumpValue(const CtlTbl &ctl, uint16_t type, const void *value);

}  // namespace zurtest

#endif
