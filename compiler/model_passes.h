// Passes over the finished Model.
#ifndef ZURASN1_MODEL_PASSES_H
#define ZURASN1_MODEL_PASSES_H

#include "compiler/diagnostics.h"
#include "compiler/model.h"

#include <vector>

namespace zurasn1 {

// The types that a PDU or a value reaches, through components, elements and
// open-type links.
std::vector<bool> reachableTypes(const Model &model);

// Drops the types that no PDU, value or open-type link reaches (those of
// assignments left out, of instances' arguments, of class fields) and
// renumbers the rest in their order.
void compactTypes(Model &model);

// Reports the components whose tags a decoder could not tell apart: in a
// SET or a CHOICE, and after an OPTIONAL or DEFAULT component of a
// SEQUENCE (X.680 25.5, 27.3, 29.3).
void checkTags(const Model &model, Diagnostics &diagnostics);

}  // namespace zurasn1

#endif
