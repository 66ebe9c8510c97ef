// Parameterized assignments (X.683): the actual parameters bound to the
// dummy references, read by what each dummy is, and one instance per
// distinct list of actual parameters.
#include "compiler/resolver.h"

namespace zurasn1 {

namespace {

constexpr int kMaxInstanceDepth = 32;

bool upperCase(std::string_view name) { return !name.empty() && name[0] >= 'A' && name[0] <= 'Z'; }

// Reads an instance with `read`. An error inside it points into the
// parameterized assignment, which every instance shares: a note says which
// instance met it, whether the error ended the instance or only a part of
// it (an object of a set).
template <class Read>
auto readInstance(Diagnostics &diagnostics, const ast::Reference &ref, Read read) {
  const std::size_t before = diagnostics.entries().size();
  auto note = [&] { diagnostics.noteErrorsSince(before, ref.pos, "in this instance of " + std::string(ref.name)); };
  try {
    auto result = read();
    note();
    return result;
  } catch (...) {  // Abandoned, or the parser's own error
    note();
    throw;
  }
}

}  // namespace

// A dummy without governor is a type (or a class); with a governor that is
// a class, an object or an object set; with a type, a value or a value set
// (X.683 8.3-8.10), as the case of its name says.
const Bindings &Resolver::bind(const ast::Assignment &assignment, ModuleScope &module,
                               const ast::Reference &ref, Scope caller, std::string &signature) {
  const std::string name(ref.name);
  if (ref.arguments.size() != assignment.parameters.size())
    error(ref.pos, name + " takes " + std::to_string(assignment.parameters.size()) +
                       (assignment.parameters.size() == 1 ? " parameter, not " : " parameters, not ") +
                       std::to_string(ref.arguments.size()));
  Bindings &bindings = bindings_.emplace_back();
  bindings.arguments.reserve(assignment.parameters.size());
  const Scope own{&module, &bindings};
  for (std::size_t i = 0; i < assignment.parameters.size(); ++i) {
    const ast::Parameter &parameter = assignment.parameters[i];
    Argument argument;
    argument.parameter = &parameter;
    Parser parser = parserFor(caller, ref.arguments[i]);
    const bool upper = upperCase(parameter.name);
    if (!parameter.governor) {
      if (!upper) error(parameter.pos, "parameter " + std::string(parameter.name) + " needs a governor");
      parsedTypes_.push_back(parser.parseType());
      const ast::Type &type = *parsedTypes_.back();
      if (type.kind == ast::Type::Kind::Reference && namesClass(type, caller)) {
        argument.kind = Argument::Kind::Class;
        argument.cls = classOf(type.ref, caller);
      } else {
        argument.kind = Argument::Kind::Type;
        argument.type = resolveType(type, caller);
      }
    } else if (namesClass(*parameter.governor, own)) {
      const ClassInfo *cls = classOf(parameter.governor->ref, own);
      argument.kind = upper ? Argument::Kind::ObjectSet : Argument::Kind::Object;
      if (upper) argument.set = readObjectSet(*cls, caller, parser);
      else argument.object = readObject(*cls, caller, parser);
    } else {
      const TypeId governor = resolveType(*parameter.governor, own);
      if (upper) {
        argument.kind = Argument::Kind::ValueSet;
        parsedConstraints_.push_back(parser.parseValueSet());
        argument.type = copyType(governor, ref.pos, caller, kNoType);
        applyConstraints(argument.type, {&parsedConstraints_.back()}, caller);
      } else {
        argument.kind = Argument::Kind::Value;
        argument.type = governor;
        argument.value = readValueAt(governor, caller, parser);
      }
    }
    if (!parser.atEnd()) parser.failExpected("the end of the actual parameter");
    const void *identity = argument.value ? static_cast<const void *>(argument.value.get())
                           : argument.cls  ? static_cast<const void *>(argument.cls)
                           : argument.object ? static_cast<const void *>(argument.object)
                           : argument.set    ? static_cast<const void *>(argument.set)
                                             : nullptr;
    signature += identity ? std::to_string(reinterpret_cast<uintptr_t>(identity))
                          : "t" + std::to_string(argument.type);
    signature += ';';
    bindings.arguments.push_back(std::move(argument));
  }
  return bindings;
}

TypeId Resolver::instanceType(AssignmentState &state, const ast::Reference &ref, Scope caller) {
  std::string signature;
  const Bindings &bindings = bind(*state.assignment, *state.module, ref, caller, signature);
  const auto key = std::make_pair(static_cast<const void *>(state.assignment), signature);
  if (auto it = typeInstances_.find(key); it != typeInstances_.end()) return it->second;
  if (instanceDepth_ >= kMaxInstanceDepth)
    error(ref.pos, "instances of " + std::string(ref.name) + " nest deeper than " +
                       std::to_string(kMaxInstanceDepth) + " levels");
  ++instanceDepth_;
  ++readsStarted_;
  const Scope scope{state.module, &bindings};
  const ast::Type &node = *state.assignment->type;
  std::vector<TypeId> frames;
  frames.swap(frames_);
  const TypeId slot = static_cast<TypeId>(types_.size());
  types_.emplace_back();
  complete_.push_back(0);
  typeInstances_[key] = slot;
  try {
    readInstance(diagnostics_, ref, [&] {
      const Shape shape = shapeOf(node, scope);
      types_[slot].builtin = shape.builtin;
      types_[slot].tags = shape.tags;
      resolveType(node, scope, slot);
      if (state.entity == Entity::ValueSet) {
        Parser parser = parserFor(scope, state.assignment->value);
        parsedConstraints_.push_back(parser.parseValueSet());
        applyConstraints(slot, {&parsedConstraints_.back()}, scope);
      }
      return slot;
    });
  } catch (...) {
    typeInstances_.erase(key);
    frames_.swap(frames);
    --instanceDepth_;
    throw;
  }
  frames_.swap(frames);
  --instanceDepth_;
  types_[slot].name = state.assignment->name;
  return slot;
}

ValuePtr Resolver::instanceValue(AssignmentState &state, const ast::Reference &ref, Scope caller,
                                 TypeId &type) {
  std::string signature;
  const Bindings &bindings = bind(*state.assignment, *state.module, ref, caller, signature);
  const auto key = std::make_pair(static_cast<const void *>(state.assignment), signature);
  if (auto it = valueInstances_.find(key); it != valueInstances_.end()) {
    type = it->second.second;
    return it->second.first;
  }
  const Scope scope{state.module, &bindings};
  ValuePtr value = readInstance(diagnostics_, ref, [&] {
    type = resolveType(*state.assignment->type, scope);
    return readValue(type, scope, state.assignment->value);
  });
  valueInstances_[key] = {value, type};
  return value;
}

const ObjectSetInfo *Resolver::instanceObjectSet(AssignmentState &state, const ast::Reference &ref,
                                                 Scope caller) {
  std::string signature;
  const Bindings &bindings = bind(*state.assignment, *state.module, ref, caller, signature);
  const auto key = std::make_pair(static_cast<const void *>(state.assignment), signature);
  if (auto it = setInstances_.find(key); it != setInstances_.end()) return it->second;
  const Scope scope{state.module, &bindings};
  const ObjectSetInfo *set = readInstance(diagnostics_, ref, [&] {
    const ClassInfo *cls = classOf(state.assignment->type->ref, scope);
    Parser parser = parserFor(scope, state.assignment->value);
    return readObjectSet(*cls, scope, parser);
  });
  setInstances_[key] = set;
  return set;
}

}  // namespace zurasn1
