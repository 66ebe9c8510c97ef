// What the compiler tests compare: the diagnostics as printed, and types of
// the model as one line of text.
#ifndef ZURBASE_TESTS_COMPILER_MODEL_TEXT_H
#define ZURBASE_TESTS_COMPILER_MODEL_TEXT_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/front_end.h"

namespace zurtest {

struct Compiled {
  std::optional<zurasn1::Model> model;
  std::string diagnostics;  // every line printed
};

Compiled compile(const std::vector<zurasn1::ModuleText> &modules);
// The files' texts, read; empty when one cannot be read.
std::vector<zurasn1::ModuleText> readModules(const std::vector<std::string> &paths);

// A type as one line: tags ("[A1]", "[C0e]" explicit), the builtin type,
// its effective constraints, names, components (named types by name) and
// open-type link, e.g. "[U16] SEQUENCE { a [C0] INTEGER (0..7), b OPTIONAL +1 [C1] BOOLEAN }".
std::string typeText(const zurasn1::Model &model, zurasn1::TypeId id);
// The type of the PDU `name` ("Type" or "Module.Type") as typeText shows it.
std::string pduText(const zurasn1::Model &model, std::string_view name);

}  // namespace zurtest

#endif
