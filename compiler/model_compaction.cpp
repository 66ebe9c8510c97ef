#include <vector>

#include "compiler/model_passes.h"

namespace zurasn1 {

std::vector<bool> reachableTypes(const Model &model) {
  std::vector<bool> reached(model.types.size());
  std::vector<TypeId> work;
  auto reach = [&](TypeId id) {
    if (!reached[id]) {
      reached[id] = true;
      work.push_back(id);
    }
  };
  for (const Pdu &pdu : model.pdus) reach(pdu.type);
  for (const NamedValue &value : model.values) reach(value.type);
  for (const InputValue &value : model.inputs) reach(value.type);
  while (!work.empty()) {
    const Type &type = model.types[work.back()];
    work.pop_back();
    for (const Component &component : type.components) reach(component.type);
    // The C writer declares a copy as the type it copies.
    if (type.copied) reach(*type.copied);
    if (type.builtin == Builtin::SequenceOf || type.builtin == Builtin::SetOf) reach(type.element);
    if (type.link)
      for (const OpenTypeLink::Object &object : type.link->objects) reach(object.type);
  }
  return reached;
}

void compactTypes(Model &model) {
  const std::vector<bool> reached = reachableTypes(model);
  std::vector<TypeId> renumbered(model.types.size());
  std::vector<Type> kept;
  for (TypeId id = 0; id < model.types.size(); ++id)
    if (reached[id]) {
      renumbered[id] = static_cast<TypeId>(kept.size());
      kept.push_back(std::move(model.types[id]));
    }
  for (Type &type : kept) {
    for (Component &component : type.components) component.type = renumbered[component.type];
    if (type.copied) type.copied = renumbered[*type.copied];
    if (type.builtin == Builtin::SequenceOf || type.builtin == Builtin::SetOf)
      type.element = renumbered[type.element];
    if (type.link)
      for (OpenTypeLink::Object &object : type.link->objects) object.type = renumbered[object.type];
  }
  for (Pdu &pdu : model.pdus) pdu.type = renumbered[pdu.type];
  for (NamedValue &value : model.values) value.type = renumbered[value.type];
  for (InputValue &value : model.inputs) value.type = renumbered[value.type];
  model.types = std::move(kept);
}

}  // namespace zurasn1
