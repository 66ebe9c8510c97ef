// What the back end (layout, tables) refuses in a model that the front end
// accepted: limits of the tables' index widths, values that a layout cannot
// hold. The compilation reports them as the front end's diagnostics.
#ifndef ZURASN1_BACK_END_PROBLEM_H
#define ZURASN1_BACK_END_PROBLEM_H

#include <string>
#include <vector>

#include "compiler/model.h"

namespace zurasn1 {

struct Problem {
  SourcePos pos;
  std::string message;
};
using Problems = std::vector<Problem>;

}  // namespace zurasn1

#endif
