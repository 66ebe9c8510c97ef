// The C writer: the value types and both tables of modules compiled
// together as C source that an application compiles with its own code. The
// C compiler of each target lays the values out: sizes and offsets are
// written as sizeof and offsetof, everything else as the in-memory tables
// hold it.
//
// Each module gets <module>.h with its value types and macros; the tables
// of all the modules are one set, `<first module>_tables`, in
// <first module>.c, which every header declares. A prefix goes in front of
// the files' names and of every name they declare at file scope or as a
// macro, except the static arrays of the .c (which no other file sees), so
// that sets compiled with different prefixes link into one program.
#ifndef ZURASN1_C_WRITER_H
#define ZURASN1_C_WRITER_H

#include <string>
#include <vector>

#include "compiler/tables.h"

namespace zurasn1 {

struct GeneratedFile {
  std::string name;  // file name, without a directory
  std::string text;
};

std::vector<GeneratedFile> generateC(const Model &model, const Layout &layout, const Tables &tables,
                                     const std::string &prefix = "");

}  // namespace zurasn1

#endif
