// The layout stage: for every type of the model, the printer's kind and the
// value's memory layout on the target this code runs on, as that target's C
// compiler lays out the structures the C writer declares (docs/api.md,
// "Values of compiled modules").
#ifndef ZURASN1_LAYOUT_H
#define ZURASN1_LAYOUT_H

#include <cstdint>
#include <string>
#include <vector>

#include <optional>

#include "compiler/back_end_problem.h"
#include "compiler/model.h"

namespace zurasn1 {

// A control-table type index. The first Model::types.size() of them are the
// model's TypeIds; the layout adds pointer-held copies, renamed PDU types and
// the encoded alternative of open types behind them.
using CtlType = uint32_t;

// A component of a SEQUENCE, SET or CHOICE, or an alternative of an open
// type selected by an object set.
struct MemberLayout {
  std::string name;       // as printed
  CtlType type = 0;       // the control-table type the member holds
  uint32_t offset = 0;    // in the parent value
  int16_t presenceBit = -1;  // in the parent's mask; -1 when it has none
  bool byPointer = false;    // the member is the address of the value
  const Component *component = nullptr;  // null for open-type alternatives
};

struct TypeLayout {
  TypeId model = 0;          // the model type laid out
  std::string name;          // assigned name, empty for anonymous types
  std::string caption;       // anonymous copies of assigned types: what traces show
  uint32_t kind = 0;         // enum TypeKind
  uint32_t size = 0;         // of the value
  uint32_t align = 1;        // of the value, inside a structure
  uint16_t lenSize = 0;
  uint16_t dataOffset = 0;
  int32_t count = 0;         // components, or the distance between elements
  int32_t maxLen = 0;
  uint16_t typeFlags = 0;    // TYPE_BY_POINTER for pointer-held copies
  CtlType element = 0;       // SEQUENCE OF, SET OF
  bool hugeInteger = false;  // INTEGER held as ZurHugeInt
  std::vector<MemberLayout> members;
  // Open type selected by an object set: the alternative (from 1) of each
  // object of the model's link, in the link's order.
  std::vector<uint16_t> objectAlternatives;
  // What this entry copies: itself, or the original of a pointer-held copy
  // or renamed PDU type.
  CtlType original = 0;
};

struct Layout {
  std::vector<TypeLayout> types;  // by control-table type index
  std::vector<CtlType> pduTypes;  // the type of PDU n at n - 1
  CtlType encodedType = 0;        // the EncodedValue type of open types' last alternative
};

// Null after an error, which is added to `problems`.
std::optional<Layout> layOut(const Model &model, Problems &problems);


}  // namespace zurasn1

#endif
