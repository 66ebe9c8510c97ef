// The compiler's front end: module texts in, the resolved Model out.
#ifndef ZURASN1_FRONT_END_H
#define ZURASN1_FRONT_END_H

#include <optional>
#include <vector>

#include "compiler/diagnostics.h"
#include "compiler/model.h"
#include "zurasn1/zurasn1.h"

namespace zurasn1 {

// Parses and resolves the modules together; nothing when an error was
// reported. Every file is registered with `diagnostics`, in order, so that
// SourcePos::file indexes the modules given. `input`, when given, holds
// value assignments read in the scope of the modules, in Model::inputs; its
// file comes after theirs.
std::optional<Model> buildModel(const std::vector<ModuleText> &modules, Diagnostics &diagnostics,
                                const ModuleText *input = nullptr);

}  // namespace zurasn1

#endif
