// Names across modules, the bookkeeping of every assignment (resolved once,
// in progress, failed or left out), the order of the stages, and the Model
// they make.
#include "compiler/resolver.h"

#include <algorithm>
#include <set>

#include "compiler/model_passes.h"

namespace zurasn1 {

namespace {

// Assignments that need others while they are read: deeper chains would
// exhaust the stack of a Windows program before they end.
constexpr std::size_t kMaxAssignmentDepth = 100;

std::string oidText(const std::vector<uint64_t> &arcs) {
  std::string text = "{";
  for (uint64_t arc : arcs) text += " " + std::to_string(arc);
  return text + " }";
}

}  // namespace

Resolver::Resolver(std::vector<ast::Module> &modules, Diagnostics &diagnostics)
    : modules_(modules), diagnostics_(diagnostics) {
  buildScopes();
}

void Resolver::error(SourcePos pos, const std::string &what) {
  diagnostics_.error(pos, what);
  throw Abandoned{};
}

const char *Resolver::entityNoun(Entity entity) {
  switch (entity) {
    case Entity::Type:
    case Entity::ValueSet: return "a type";
    case Entity::Value: return "a value";
    case Entity::Class: return "a class";
    case Entity::Object: return "an object";
    case Entity::ObjectSet: return "an object set";
    case Entity::Broken: break;
  }
  return "a broken assignment";
}

Parser Resolver::parserFor(Scope scope, ast::TokenRange range) {
  return Parser(*scope.module->ast->tokens, scope.module->ast->file, diagnostics_, range.begin,
                range.end);
}

void Resolver::buildScopes() {
  for (ast::Module &module : modules_) {
    if (module.valueInput) {  // seen by no module, its names may repeat
      inputScope_.ast = &module;
      inputScope_.index = UINT32_MAX;
      continue;
    }
    if (moduleByName_.count(module.name)) {
      diagnostics_.error(module.pos, "module " + std::string(module.name) + " is given twice");
      continue;
    }
    ModuleScope &scope = scopes_.emplace_back();
    scope.ast = &module;
    scope.index = static_cast<uint32_t>(scopes_.size() - 1);
    moduleByName_[module.name] = &scope;
    for (const ast::Assignment &assignment : module.assignments) {
      auto [it, inserted] = scope.defined.emplace(assignment.name, &assignment);
      if (!inserted)
        diagnostics_.error(assignment.pos, std::string(assignment.name) +
                                               " is already defined at line " +
                                               std::to_string(it->second->pos.line));
    }
  }
  for (ModuleScope &scope : scopes_) {
    for (const ast::ImportClause &clause : scope.ast->imports) {
      auto from = moduleByName_.find(clause.module);
      ModuleScope *source = from == moduleByName_.end() ? nullptr : from->second;
      if (source != nullptr && !clause.oid.empty() && !source->ast->oid.empty() &&
          clause.oid != source->ast->oid)
        diagnostics_.warning(clause.oidPos, "module " + std::string(clause.module) + " is imported as " +
                                                oidText(clause.oid) + ", but its header says " +
                                                oidText(source->ast->oid));
      for (const ast::Symbol &symbol : clause.symbols) {
        ModuleScope::Import import{source, clause.module, symbol.pos};
        const std::string name(symbol.name);
        if (scope.defined.count(symbol.name)) {
          diagnostics_.error(symbol.pos, name + " is imported and also defined in module " +
                                             std::string(scope.ast->name));
          import.broken = true;
        } else if (source != nullptr && !source->defined.count(symbol.name)) {
          diagnostics_.error(symbol.pos, "module " + std::string(clause.module) +
                                             " does not define " + name);
          import.broken = true;
        } else if (source != nullptr && !source->ast->exportsAll &&
                   std::none_of(source->ast->exports.begin(), source->ast->exports.end(),
                                [&](const ast::Symbol &e) { return e.name == symbol.name; })) {
          diagnostics_.error(symbol.pos, "module " + std::string(clause.module) +
                                             " does not export " + name);
          import.broken = true;
        }
        auto [it, inserted] = scope.imported.emplace(symbol.name, import);
        if (!inserted && it->second.module != clause.module) it->second.ambiguous = true;
      }
    }
    for (const ast::Symbol &symbol : scope.ast->exports)
      if (!scope.defined.count(symbol.name) && !scope.imported.count(symbol.name))
        diagnostics_.error(symbol.pos, std::string(symbol.name) +
                                           " is exported but neither defined nor imported");
  }
}

void Resolver::unknown(const ast::Reference &ref, const std::string &what) {
  if (lenient_) throw MissingName{std::string(ref.name), "", ref.pos};
  error(ref.pos, what);
}

Resolver::Target Resolver::lookup(const ast::Reference &ref, Scope scope) {
  const std::string name(ref.name);
  if (!ref.module.empty()) {
    auto module = moduleByName_.find(ref.module);
    if (module == moduleByName_.end()) {
      for (const ast::ImportClause &clause : scope.module->ast->imports)
        if (clause.module == ref.module)
          throw MissingName{name, std::string(ref.module), ref.pos};
      unknown(ref, "unknown module " + std::string(ref.module));
    }
    auto it = module->second->defined.find(ref.name);
    if (it == module->second->defined.end())
      error(ref.pos, "module " + std::string(ref.module) + " does not define " + name);
    const ast::Module &source = *module->second->ast;
    if (!source.exportsAll && std::none_of(source.exports.begin(), source.exports.end(),
                                           [&](const ast::Symbol &e) { return e.name == ref.name; }))
      error(ref.pos, "module " + std::string(ref.module) + " does not export " + name);
    return {&stateOf(*it->second, *module->second)};
  }
  if (scope.bindings != nullptr)
    if (const Argument *argument = scope.bindings->find(ref.name)) return {nullptr, argument};
  if (const ClassInfo *cls = builtinClass(ref.name)) return {nullptr, nullptr, cls};
  ModuleScope &module = *scope.module;
  if (auto it = module.defined.find(ref.name); it != module.defined.end())
    return {&stateOf(*it->second, module)};
  if (&module == &inputScope_) {
    ModuleScope &holder = *anyModuleScope(ref);
    return {&stateOf(*holder.defined.at(ref.name), holder)};
  }
  auto import = module.imported.find(ref.name);
  if (import == module.imported.end()) unknown(ref, "unknown reference " + name);
  const ModuleScope::Import &from = import->second;
  if (from.broken) throw Abandoned{};
  if (from.ambiguous)
    error(ref.pos, name + " is imported from more than one module: write Module." + name);
  if (from.from == nullptr) throw MissingName{name, std::string(from.module), from.pos};
  return {&stateOf(*from.from->defined.at(ref.name), *from.from)};
}

// Values given to encode see every assignment of every module by name; a
// name that two modules define needs its module.
ModuleScope *Resolver::anyModuleScope(const ast::Reference &ref) {
  ModuleScope *found = nullptr;
  for (ModuleScope &scope : scopes_) {
    if (!scope.defined.contains(ref.name)) continue;
    if (found != nullptr)
      error(ref.pos, std::string(ref.name) + " is defined in modules " + std::string(found->ast->name) + " and " +
                         std::string(scope.ast->name) + ": write Module." + std::string(ref.name));
    found = &scope;
  }
  if (found == nullptr) unknown(ref, "unknown reference " + std::string(ref.name));
  return found;
}

Resolver::AssignmentState &Resolver::stateOf(const ast::Assignment &assignment,
                                             ModuleScope &module) {
  AssignmentState &state = states_[&assignment];
  if (state.assignment == nullptr) {
    state.assignment = &assignment;
    state.module = &module;
    switch (assignment.kind) {
      case ast::Assignment::Kind::Type: state.entity = Entity::Type; break;
      case ast::Assignment::Kind::Value: state.entity = Entity::Value; break;
      case ast::Assignment::Kind::Set: state.entity = Entity::ValueSet; break;
      case ast::Assignment::Kind::Class: state.entity = Entity::Class; break;
      case ast::Assignment::Kind::Broken: state.entity = Entity::Broken; break;
    }
    // A right-hand side or governor that names a class makes it a class,
    // an object or an object set. Whatever stops the lookup here (a missing
    // import, an error) stops the resolution too, and is reported there.
    if (assignment.kind != ast::Assignment::Kind::Broken &&
        assignment.kind != ast::Assignment::Kind::Class && classifying_ < 64) {
      ++classifying_;
      const bool lenient = lenient_;
      lenient_ = true;
      bool isClass = false;
      try {
        isClass = namesClass(*assignment.type, Scope{&module, nullptr});
      } catch (MissingName &) {
      } catch (Abandoned &) {
      }
      lenient_ = lenient;
      --classifying_;
      if (isClass)
        state.entity = assignment.kind == ast::Assignment::Kind::Type    ? Entity::Class
                       : assignment.kind == ast::Assignment::Kind::Value ? Entity::Object
                                                                         : Entity::ObjectSet;
    }
  }
  return state;
}

bool Resolver::namesClass(const ast::Type &type, Scope scope) {
  if (type.kind != ast::Type::Kind::Reference || !type.constraints.empty()) return false;
  const Target target = lookup(type.ref, scope);
  if (target.builtinClass != nullptr) return true;
  if (target.argument != nullptr) return target.argument->kind == Argument::Kind::Class;
  return target.state->entity == Entity::Class;
}

void Resolver::noteUse(AssignmentState &state) {
  if (!stack_.empty() && stack_.back() != &state) stack_.back()->uses.push_back(&state);
}

bool Resolver::resolveAssignment(AssignmentState &state, const std::function<void()> &body) {
  switch (state.status) {
    case Status::Done: noteUse(state); return true;
    case Status::InProgress: noteUse(state); return false;
    case Status::Failed: throw Abandoned{};
    case Status::LeftOut: throw *state.missing;
    case Status::Unvisited: break;
  }
  if (state.entity == Entity::Broken) {
    state.status = Status::Failed;
    throw Abandoned{};
  }
  if (stack_.size() >= kMaxAssignmentDepth)
    error(state.assignment->pos, "references nest deeper than " +
                                     std::to_string(kMaxAssignmentDepth) + " assignments");
  state.status = Status::InProgress;
  ++readsStarted_;
  stack_.push_back(&state);
  std::vector<TypeId> frames;
  frames.swap(frames_);
  auto leave = [&](Status status) {
    state.status = status;
    stack_.pop_back();
    frames_.swap(frames);
  };
  try {
    body();
  } catch (MissingName &missing) {
    state.missing = missing;
    leave(Status::LeftOut);
    throw;
  } catch (Abandoned &) {
    leave(Status::Failed);
    throw;
  } catch (Parser::Failure &) {
    leave(Status::Failed);
    throw Abandoned{};
  }
  leave(Status::Done);
  noteUse(state);
  return true;
}

void Resolver::circular(const AssignmentState &state, SourcePos pos) {
  error(pos, std::string(state.assignment->name) + " is defined in terms of itself");
}

void Resolver::resolveEverything() {
  auto each = [&](auto body) {
    for (ModuleScope &module : scopes_)
      for (const ast::Assignment &assignment : module.ast->assignments) {
        if (assignment.parameterized) continue;
        AssignmentState &state = stateOf(assignment, module);
        if (state.status != Status::Unvisited) continue;
        try {
          body(state);
        } catch (MissingName &) {
        } catch (Abandoned &) {
        }
      }
  };
  // Every type is compiled: what they need is needed, and a name that
  // cannot be found there is an error.
  each([&](AssignmentState &state) {
    if (state.entity == Entity::Type || state.entity == Entity::ValueSet) typeOfAssignment(state);
  });
  resolveTables();
  // What no type needs is left out, with a warning, when it names what no
  // module defines.
  lenient_ = true;
  each([&](AssignmentState &state) {
    switch (state.entity) {
      case Entity::Value: valueOfAssignment(state); break;
      case Entity::Class: classOfAssignment(state); break;
      case Entity::Object: objectOfAssignment(state); break;
      case Entity::ObjectSet: objectSetOfAssignment(state); break;
      case Entity::Broken: break;
      default: typeOfAssignment(state); break;
    }
  });
  lenient_ = false;
  resolveInput();
  resolveTables();
  completeDeferredCopies();
  leaveOutDependents();
}

// The values to encode, once the modules are: a name they need that the
// modules could not compile is an error of theirs.
void Resolver::resolveInput() {
  if (inputScope_.ast == nullptr) return;
  for (const ast::Assignment &assignment : inputScope_.ast->assignments) {
    AssignmentState &state = stateOf(assignment, inputScope_);
    if (state.entity == Entity::Broken) continue;  // its syntax error said why
    try {
      if (state.entity != Entity::Value)
        error(assignment.pos, std::string(assignment.name) + " is not a value of a type");
      valueOfAssignment(state);
    } catch (MissingName &missing) {
      diagnostics_.error(assignment.pos, std::string(assignment.name) + " needs " + missing.name +
                                             (missing.module.empty() ? ", which no module defines"
                                                                     : " of " + missing.module + ", which was not given"));
    } catch (Abandoned &) {
    }
  }
}

// An assignment that used one left out while that one was still in
// progress (a recursion) is left out too.
void Resolver::leaveOutDependents() {
  for (bool changed = true; changed;) {
    changed = false;
    for (auto &[assignment, state] : states_) {
      if (state.status != Status::Done) continue;
      for (AssignmentState *used : state.uses)
        if (used->status == Status::LeftOut) {
          state.status = Status::LeftOut;
          state.missing = used->missing;
          changed = true;
          break;
        }
    }
  }
}

void Resolver::reportLeftOut() {
  std::vector<const AssignmentState *> leftOut;
  for (const auto &[assignment, state] : states_)
    if (state.status == Status::LeftOut && !assignment->parameterized) leftOut.push_back(&state);
  if (leftOut.empty()) return;
  std::map<std::string, std::set<std::string>> imported;  // module -> names
  std::set<std::string> nowhere;
  SourcePos first{UINT32_MAX, 0, 0};
  auto before = [](SourcePos a, SourcePos b) {
    return std::tie(a.file, a.line, a.col) < std::tie(b.file, b.line, b.col);
  };
  for (const AssignmentState *state : leftOut) {
    const MissingName &missing = *state->missing;
    if (missing.module.empty())
      nowhere.insert(missing.name);
    else
      imported[missing.module].insert(missing.name);
    if (before(missing.pos, first)) first = missing.pos;
  }
  auto list = [](const std::set<std::string> &names) {
    std::string text;
    for (const std::string &name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
  };
  std::string what = std::to_string(leftOut.size()) +
                     (leftOut.size() == 1 ? " assignment left out" : " assignments left out");
  if (!imported.empty()) {
    what += " for names of modules not given: ";
    bool firstModule = true;
    for (const auto &[module, names] : imported) {
      what += (firstModule ? "" : "; ") + list(names) + " (" + module + ")";
      firstModule = false;
    }
  }
  if (!nowhere.empty())
    what += std::string(imported.empty() ? "" : ", and") + " for names defined nowhere: " +
            list(nowhere);
  diagnostics_.warning(first, what);
}

std::optional<Model> Resolver::run() {
  resolveEverything();
  if (diagnostics_.hasErrors()) return std::nullopt;
  Model model;
  model.files = diagnostics_.files();
  for (const ModuleScope &scope : scopes_) model.modules.emplace_back(scope.ast->name);
  for (ModuleScope &scope : scopes_)
    for (const ast::Assignment &assignment : scope.ast->assignments) {
      if (assignment.parameterized) continue;
      const AssignmentState &state = states_.at(&assignment);
      const std::string name(assignment.name);
      if (state.status == Status::LeftOut) {
        model.leftOut.push_back(
            {name, scope.index, state.missing->name, state.missing->module});
      } else if (state.status == Status::Done) {
        if (state.entity == Entity::Type || state.entity == Entity::ValueSet)
          model.pdus.push_back({state.type, name, scope.index});
        else if (state.entity == Entity::Value)
          model.values.push_back({name, scope.index, state.type, state.value});
      }
    }
  if (inputScope_.ast != nullptr)
    for (const ast::Assignment &assignment : inputScope_.ast->assignments) {
      const AssignmentState &state = states_.at(&assignment);
      if (state.status == Status::Done)
        model.inputs.push_back({state.type, state.value, assignment.pos});
      else if (state.status == Status::LeftOut)
        diagnostics_.error(assignment.pos, std::string(assignment.name) + " needs " + state.missing->name +
                                               ", which the modules leave out");
    }
  reportLeftOut();
  model.types = std::move(types_);
  // A type still incomplete here copies itself through others ("A ::= [0] B",
  // "B ::= [1] A"); one of assignments left out is not in the model.
  const std::vector<bool> reachable = reachableTypes(model);
  for (TypeId id = 0; id < model.types.size(); ++id)
    if (reachable[id] && !complete_[id])
      diagnostics_.error(model.types[id].pos, (model.types[id].name.empty() ? "a type" : model.types[id].name) +
                                                  std::string(" is defined in terms of itself"));
  if (diagnostics_.hasErrors()) return std::nullopt;
  compactTypes(model);
  checkTags(model, diagnostics_);
  if (diagnostics_.hasErrors()) return std::nullopt;
  return model;
}

}  // namespace zurasn1
