// Types: references, tags and tagging modes, the components of SEQUENCE,
// SET and CHOICE (extensions, version brackets, COMPONENTS OF, automatic
// tags, DEFAULT values), ENUMERATED numbering, named numbers and bits,
// class field types.
#include <algorithm>
#include <set>

#include "compiler/lexer.h"
#include "compiler/resolver.h"

namespace zurasn1 {


namespace {

constexpr uint32_t kMaxTagNumber = 16383;
constexpr uint32_t kExternalTag = 8;

// The types whose associated SEQUENCE X.680 defines, as BER and PER encode
// them, each read in its own environment of tagging, without implied
// extensibility, whatever the module using it says: EXTERNAL as the
// SEQUENCE of X.208 that X.690 8.18 and X.691 keep (explicit tags); EMBEDDED
// PDV and CHARACTER STRING as their associated types without the
// data-value-descriptor that the encodings leave out (automatic tags).
struct PredefinedText {
  std::string_view name;
  uint32_t tag;  // UNIVERSAL
  ast::TagDefault tagging;
  const char *text;
};
#define ZUR_IDENTIFICATION                                                                      \
  "identification CHOICE { syntaxes SEQUENCE { abstract OBJECT IDENTIFIER, transfer OBJECT "   \
  "IDENTIFIER }, syntax OBJECT IDENTIFIER, presentation-context-id INTEGER, context-negotiation " \
  "SEQUENCE { presentation-context-id INTEGER, transfer-syntax OBJECT IDENTIFIER }, "           \
  "transfer-syntax OBJECT IDENTIFIER, fixed NULL }"
constexpr PredefinedText kPredefined[] = {
    {"EXTERNAL", kExternalTag, ast::TagDefault::Explicit,
     "[UNIVERSAL 8] IMPLICIT SEQUENCE { direct-reference OBJECT IDENTIFIER OPTIONAL, "
     "indirect-reference INTEGER OPTIONAL, data-value-descriptor ObjectDescriptor OPTIONAL, "
     "encoding CHOICE { single-ASN1-type [0] ANY, octet-aligned [1] IMPLICIT OCTET STRING, "
     "arbitrary [2] IMPLICIT BIT STRING } }"},
    {"EMBEDDED PDV", 11, ast::TagDefault::Automatic,
     "[UNIVERSAL 11] IMPLICIT SEQUENCE { " ZUR_IDENTIFICATION ", data-value OCTET STRING }"},
    {"CHARACTER STRING", 29, ast::TagDefault::Automatic,
     "[UNIVERSAL 29] IMPLICIT SEQUENCE { " ZUR_IDENTIFICATION ", string-value OCTET STRING }"},
};
#undef ZUR_IDENTIFICATION

// The parser names only these.
const PredefinedText &predefinedText(std::string_view name) {
  const PredefinedText *text = &kPredefined[0];
  while (text->name != name) ++text;
  return *text;
}

// Types within types, across assignments: deeper ones would exhaust the
// stack of a Windows program before they end.
constexpr int kMaxTypeDepth = 150;

std::vector<Tag> universalTags(Builtin builtin) {
  switch (builtin) {
    case Builtin::Choice:
    case Builtin::OpenType: return {};
    case Builtin::SequenceOf: return {{TagClass::Universal, 16, false}};
    case Builtin::SetOf: return {{TagClass::Universal, 17, false}};
    default: return {{TagClass::Universal, static_cast<uint32_t>(builtin), false}};
  }
}

// What a copy of `source` is shown as in traces.
std::string captionOf(const Type &source) { return source.name.empty() ? source.caption : source.name; }

// The assigned type that a copy of `source` copies.
std::optional<TypeId> copiedBy(const Type &source, TypeId id) {
  return source.name.empty() ? source.copied : std::optional<TypeId>(id);
}

bool pureReference(const ast::Type &node) {
  return node.kind == ast::Type::Kind::Reference && node.constraints.empty();
}

}  // namespace

TypeId Resolver::typeOfAssignment(AssignmentState &state) {
  const ast::Assignment &assignment = *state.assignment;
  const Scope scope{state.module, nullptr};
  const bool done = resolveAssignment(state, [&] {
    const ast::Type &node = *assignment.type;
    if (state.entity == Entity::ValueSet) {
      // Name Type ::= { ElementSetSpecs }: the type constrained by the set.
      const TypeId governor = resolveType(node, scope);
      const TypeId id = copyType(governor, assignment.pos, scope, kNoType);
      state.type = id;
      Parser parser = parserFor(scope, assignment.value);
      parsedConstraints_.push_back(parser.parseValueSet());
      applyConstraints(id, {&parsedConstraints_.back()}, scope);
      complete_[id] = complete_[governor];
      types_[id].name = assignment.name;
      return;
    }
    if (pureReference(node) && !node.ref.instance) {
      state.type = resolveType(node, scope);
      return;
    }
    // The slot is known, and shaped, before the body is read: the body may
    // refer to its own assignment.
    const TypeId slot = static_cast<TypeId>(types_.size());
    types_.emplace_back();
    complete_.push_back(0);
    state.type = slot;
    const Shape shape = shapeOf(node, scope);
    types_[slot].builtin = shape.builtin;
    types_[slot].tags = shape.tags;
    resolveType(node, scope, slot);
    types_[slot].name = assignment.name;
  });
  if (done) return state.type;
  // A recursion: the slot of this assignment, or of the one it renames.
  const AssignmentState *renaming = &state;
  for (int hops = 0; hops < 64; ++hops) {
    if (renaming->type != kNoType) return renaming->type;
    const ast::Type &node = *renaming->assignment->type;
    if (!pureReference(node)) break;
    const Target target = lookup(node.ref, Scope{renaming->module, nullptr});
    if (target.state == nullptr) break;
    renaming = target.state;
  }
  circular(state, assignment.pos);
}

// The builtin type and the tags of a type, without reading its body.
Resolver::Shape Resolver::shapeOf(const ast::Type &node, Scope scope) {
  switch (node.kind) {
    case ast::Type::Kind::Tagged: {
      const Shape inner = shapeOf(*node.inner, scope);
      return {inner.builtin, tagged(node, scope, inner, isDummyType(*node.inner, scope))};
    }
    case ast::Type::Kind::Reference: {
      const TypeId target = referencedType(node, scope);
      return {types_[target].builtin, types_[target].tags};
    }
    case ast::Type::Kind::ClassField: {
      const TypeId field = classFieldType(node, scope, kNoType);
      return {types_[field].builtin, types_[field].tags};
    }
    case ast::Type::Kind::Any: return {Builtin::OpenType, {}};
    case ast::Type::Kind::Predefined:
      return {Builtin::Sequence, {{TagClass::Universal, predefinedText(node.ref.name).tag, false}}};
    case ast::Type::Kind::InstanceOf: return {Builtin::Sequence, {{TagClass::Universal, kExternalTag, false}}};
    case ast::Type::Kind::Selection: {
      const TypeId selected = selectedType(node, scope);
      return {types_[selected].builtin, types_[selected].tags};
    }
    default: return {node.builtin, universalTags(node.builtin)};
  }
}

// The tags of "[n] Inner": explicit, or implicit (the outermost tag of the
// inner type replaced). An untagged CHOICE, an open type and a dummy
// reference are always tagged explicitly (X.680 31.2.7, X.683 8.3).
std::vector<Tag> Resolver::tagged(const ast::Type &node, Scope scope, const Shape &inner,
                                  bool innerIsDummy) {
  const ast::Tag &written = node.tag;
  const int64_t number = readInteger(scope, written.number);
  if (number < 0) error(written.pos, "a tag number is not negative");
  if (number > kMaxTagNumber)
    error(written.pos, "tag number " + std::to_string(number) + " is above " +
                           std::to_string(kMaxTagNumber));
  // Its encoding would read as the end-of-contents octets.
  if (written.cls == TagClass::Universal && number == 0)
    error(written.pos, "[UNIVERSAL 0] is reserved for the end of contents");
  const bool canReplace = !inner.tags.empty() && !innerIsDummy;
  bool implicit = false;
  switch (written.mode) {
    case ast::Tag::Mode::Explicit: break;
    case ast::Tag::Mode::Implicit:
      if (!canReplace)
        error(written.pos, std::string("IMPLICIT cannot tag ") +
                               (innerIsDummy                            ? "a parameter"
                                : inner.builtin == Builtin::Choice ? "an untagged CHOICE"
                                                                   : "an untagged open type"));
      implicit = true;
      break;
    case ast::Tag::Mode::Default:
      implicit = scope.module->ast->tagDefault != ast::TagDefault::Explicit && canReplace;
      break;
  }
  std::vector<Tag> tags = inner.tags;
  const Tag tag{written.cls, static_cast<uint32_t>(number), true};
  if (implicit)
    tags.front() = {tag.cls, tag.number, tags.front().isExplicit};
  else
    tags.insert(tags.begin(), tag);
  return tags;
}

bool Resolver::isDummyType(const ast::Type &node, Scope scope) const {
  return node.kind == ast::Type::Kind::Reference && node.ref.module.empty() &&
         scope.bindings != nullptr && scope.bindings->find(node.ref.name) != nullptr;
}

TypeId Resolver::newType(const ast::Type &node, Scope scope, Builtin builtin, TypeId slot) {
  if (slot == kNoType) {
    slot = static_cast<TypeId>(types_.size());
    types_.emplace_back();
    complete_.push_back(0);
  }
  Type &type = types_[slot];
  type = Type{};
  type.builtin = builtin;
  type.tags = universalTags(builtin);
  type.module = scope.module->index;
  type.pos = node.pos;
  return slot;
}

// A type like `source` (its tags and constraints to be changed by the
// caller). A source still being read is copied once it is complete.
TypeId Resolver::copyType(TypeId source, SourcePos pos, Scope scope, TypeId slot) {
  if (slot == kNoType) {
    slot = static_cast<TypeId>(types_.size());
    types_.emplace_back();
    complete_.push_back(0);
  }
  if (complete_[source]) {
    types_[slot] = types_[source];
    complete_[slot] = 1;
  } else {
    if (source == slot)
      error(pos, (stack_.empty() ? std::string("a type") : std::string(stack_.back()->assignment->name)) +
                     " is defined in terms of itself");
    types_[slot] = Type{};
    types_[slot].builtin = types_[source].builtin;
    types_[slot].tags = types_[source].tags;
    deferredCopies_.push_back({slot, source});
  }
  Type &type = types_[slot];
  type.caption = captionOf(types_[source]);
  type.copied = copiedBy(types_[source], source);
  type.name.clear();
  type.module = scope.module->index;
  type.pos = pos;
  if (auto origin = fieldOrigins_.find(source); origin != fieldOrigins_.end()) {
    const FieldOrigin copy = origin->second;
    fieldOrigins_[slot] = copy;
  }
  if (type.builtin == Builtin::OpenType && !type.link) linkCopies_[source].push_back(slot);
  return slot;
}

void Resolver::completeDeferredCopies() {
  for (bool progress = true; progress;) {
    progress = false;
    for (DeferredCopy &copy : deferredCopies_) {
      if (copy.target == kNoType || !complete_[copy.source]) continue;
      Type &target = types_[copy.target];
      Type content = types_[copy.source];
      content.caption = captionOf(content);
      content.copied = copiedBy(content, copy.source);
      content.name = std::move(target.name);
      content.tags = std::move(target.tags);
      content.module = target.module;
      content.pos = target.pos;
      target = std::move(content);
      complete_[copy.target] = 1;
      copy.target = kNoType;
      progress = true;
    }
  }
  // What is left copies types of assignments that failed or were left
  // out, or types defined in terms of each other: run() tells which.
  deferredCopies_.clear();
}

// One type for every use of EXTERNAL (or of EMBEDDED PDV, CHARACTER
// STRING), named so that prints and traces show it, in the module of its
// first use (where the C writer declares it).
TypeId Resolver::predefinedType(std::string_view name, Scope user) {
  Predefined &p = predefined_[name];
  if (p.type != kNoType) return p.type;
  const PredefinedText &text = predefinedText(name);
  p.module.file = UINT32_MAX;
  p.module.tagDefault = text.tagging;
  p.module.tokens = &p.tokens;
  p.scope.ast = &p.module;
  p.scope.index = user.module->index;
  p.tokens = lex(text.text, UINT32_MAX, diagnostics_);
  Parser parser(p.tokens, UINT32_MAX, diagnostics_);
  p.node = parser.parseType();
  p.type = resolveType(*p.node, Scope{&p.scope, nullptr});
  types_[p.type].name = text.name;
  return p.type;
}

// INSTANCE OF C: [UNIVERSAL 8] IMPLICIT SEQUENCE { type-id C.&id, value [0]
// C.&Type }, read with explicit tags and no implied extensibility (X.681
// Annex C; the encoding of EXTERNAL with a direct reference and a single
// ASN.1 type). A table constraint "({Set})" constrains type-id by the set,
// and value by the set and @.type-id.
TypeId Resolver::instanceOfType(const ast::Type &node, Scope scope, TypeId slot) {
  const ClassInfo *cls = classOf(node.ref, scope);
  if (cls->field("&id") == nullptr || cls->field("&Type") == nullptr)
    error(node.ref.pos, "INSTANCE OF needs a class with the fields &id and &Type, as TYPE-IDENTIFIER has");
  const ast::Constraint *table = nullptr;
  for (const ast::Constraint &constraint : node.constraints) {
    if (constraint.kind != ast::Constraint::Kind::Braced || table != nullptr)
      error(constraint.pos, "INSTANCE OF takes one constraint, an object set \"({Set})\"");
    table = &constraint;
  }
  auto fieldType = [&](ast::Name field, ast::Constraint::Kind relation) -> ast::Type & {
    ast::Type &t = *parsedTypes_.emplace_back(std::make_unique<ast::Type>());
    t.kind = ast::Type::Kind::ClassField;
    t.pos = node.pos;
    t.ref.module = node.ref.module;
    t.ref.name = node.ref.name;
    t.ref.pos = node.ref.pos;
    t.fields.push_back(field);
    if (table != nullptr) {
      ast::Constraint &c = t.constraints.emplace_back();
      c.kind = relation;
      c.pos = table->pos;
      c.braced = table->braced;
      if (relation == ast::Constraint::Kind::ComponentRelation)
        c.relation.push_back(ast::AtNotation{1, {"type-id"}, table->pos});
    }
    return t;
  };
  const ast::Type &idNode = fieldType("&id", ast::Constraint::Kind::Braced);
  const ast::Type &valueNode = fieldType("&Type", ast::Constraint::Kind::ComponentRelation);
  const TypeId id = newType(node, scope, Builtin::Sequence, slot);
  types_[id].tags = {{TagClass::Universal, kExternalTag, false}};
  frames_.push_back(id);
  const TypeId typeId = resolveType(idNode, scope);
  const TypeId value = resolveType(valueNode, scope);
  frames_.pop_back();
  types_[value].tags.insert(types_[value].tags.begin(), Tag{TagClass::Context, 0, true});
  Component first, second;
  first.name = "type-id";
  first.type = typeId;
  first.pos = node.pos;
  second.name = "value";
  second.type = value;
  second.pos = node.pos;
  types_[id].components = {std::move(first), std::move(second)};
  return id;
}

// The type of alternative `a` of the CHOICE of "a < C", with its tags.
TypeId Resolver::selectedType(const ast::Type &node, Scope scope) {
  const TypeId choice = resolveType(*node.inner, scope);
  if (types_[choice].builtin != Builtin::Choice) error(node.inner->pos, "a selection type selects from a CHOICE");
  if (!complete_[choice]) return alternativeAhead(node, scope);
  for (const Component &alternative : types_[choice].components)
    if (alternative.name == node.elementName) return alternative.type;
  error(node.pos, "the CHOICE has no alternative " + std::string(node.elementName));
}

// "a < C" read while C is still being defined (a type inside one of its
// alternatives selects another): alternative a is read from C's text ahead
// of C, with the tag that AUTOMATIC TAGS gives it there.
TypeId Resolver::alternativeAhead(const ast::Type &node, Scope scope) {
  const ast::Type *choice = node.inner.get();
  Scope choiceScope = scope;
  // Through the references (renamings included) to the CHOICE's text.
  for (int hops = 0; hops < 64 && choice != nullptr; ++hops) {
    while (choice->kind == ast::Type::Kind::Tagged) choice = choice->inner.get();
    if (choice->kind != ast::Type::Kind::Reference) break;
    const Target target = choice->ref.instance ? Target{} : lookup(choice->ref, choiceScope);
    const bool assignedType = target.state != nullptr && target.state->entity == Entity::Type;
    choice = assignedType ? target.state->assignment->type.get() : nullptr;
    if (assignedType) choiceScope = Scope{target.state->module, nullptr};
  }
  if (choice == nullptr || choice->kind != ast::Type::Kind::Choice)
    error(node.pos, "a selection type selects from a CHOICE being defined");
  using Kind = ast::ComponentEntry::Kind;
  const ast::ComponentEntry *selected = nullptr;
  bool tagsWritten = false, selectedIsAddition = false;
  uint32_t rootBefore = 0, rootCount = 0, additionsBefore = 0, markers = 0;
  for (const ast::ComponentEntry &entry : choice->components) {
    if (entry.kind == Kind::Ellipsis) ++markers;
    if (entry.kind != Kind::Named) continue;
    tagsWritten = tagsWritten || entry.type->kind == ast::Type::Kind::Tagged;
    const bool addition = markers == 1;
    if (entry.name == node.elementName) {
      selected = &entry;
      selectedIsAddition = addition;
    } else if (selected == nullptr) {
      ++(addition ? additionsBefore : rootBefore);
    }
    if (!addition) ++rootCount;
  }
  if (selected == nullptr) error(node.pos, "the CHOICE has no alternative " + std::string(node.elementName));
  // Read again inside its own reading with no assignment or instance begun
  // in between, the alternative is a selection of itself (through
  // selections and types written in place) and would never end; reads that
  // begin other assignments end, since each begins once.
  for (auto it = aheadAlternatives_.rbegin(); it != aheadAlternatives_.rend(); ++it) {
    if (it->entry != selected) continue;
    if (it->readsStarted == readsStarted_)
      error(node.pos, "alternative " + std::string(node.elementName) + " contains a selection of itself");
    break;
  }
  aheadAlternatives_.push_back({selected, readsStarted_});
  struct Leave {
    std::vector<AheadAlternative> &ahead;
    ~Leave() { ahead.pop_back(); }
  } leave{aheadAlternatives_};
  const TypeId type = resolveType(*selected->type, choiceScope);
  if (choiceScope.module->ast->tagDefault != ast::TagDefault::Automatic || tagsWritten) return type;
  const uint32_t number = selectedIsAddition ? rootCount + additionsBefore : rootBefore;
  return automaticallyTagged(type, number, false, selected->pos);
}

TypeId Resolver::hiddenType(Builtin builtin) {
  auto [it, added] = hiddenTypes_.try_emplace(builtin, static_cast<TypeId>(types_.size()));
  if (added) {
    Type hidden;
    hidden.builtin = builtin;
    hidden.tags = universalTags(builtin);
    types_.push_back(hidden);
    complete_.push_back(1);
  }
  return it->second;
}

TypeId Resolver::resolveType(const ast::Type &node, Scope scope, TypeId slot) {
  if (++depth_ > kMaxTypeDepth) {
    --depth_;
    error(node.pos, "types nest deeper than " + std::to_string(kMaxTypeDepth) + " levels");
  }
  struct Leave {
    int &depth;
    ~Leave() { --depth; }
  } leave{depth_};
  TypeId id = kNoType;
  switch (node.kind) {
    case ast::Type::Kind::Builtin: id = newType(node, scope, node.builtin, slot); break;
    case ast::Type::Kind::Any: id = newType(node, scope, Builtin::OpenType, slot); break;
    case ast::Type::Kind::Integer:
    case ast::Type::Kind::BitString:
      id = newType(node, scope, node.builtin, slot);
      resolveNamedNumbers(node, scope, id);
      break;
    case ast::Type::Kind::Enumerated:
      id = newType(node, scope, Builtin::Enumerated, slot);
      resolveEnumerated(node, scope, id);
      break;
    case ast::Type::Kind::Sequence:
    case ast::Type::Kind::Set:
    case ast::Type::Kind::Choice:
      id = newType(node, scope, node.builtin, slot);
      frames_.push_back(id);
      resolveComponents(node, scope, id);
      frames_.pop_back();
      break;
    case ast::Type::Kind::SequenceOf:
    case ast::Type::Kind::SetOf: {
      id = newType(node, scope, node.builtin, slot);
      frames_.push_back(id);
      const TypeId element = resolveType(*node.inner, scope);
      frames_.pop_back();
      types_[id].element = element;
      break;
    }
    case ast::Type::Kind::Tagged: {
      const bool dummy = isDummyType(*node.inner, scope);
      const TypeId inner = resolveType(*node.inner, scope);
      const Shape shape{types_[inner].builtin, types_[inner].tags};
      std::vector<Tag> tags = tagged(node, scope, shape, dummy);
      id = copyType(inner, node.pos, scope, slot);
      types_[id].tags = std::move(tags);
      break;
    }
    case ast::Type::Kind::Reference: {
      const TypeId target = referencedType(node, scope);
      if (slot == kNoType && node.constraints.empty()) return target;
      id = copyType(target, node.pos, scope, slot);
      break;
    }
    case ast::Type::Kind::ClassField: id = classFieldType(node, scope, slot); break;
    case ast::Type::Kind::InstanceOf:
      // Its constraint is its components'.
      id = instanceOfType(node, scope, slot);
      complete_[id] = 1;
      return id;
    case ast::Type::Kind::Selection: {
      const TypeId selected = selectedType(node, scope);
      if (slot == kNoType && node.constraints.empty()) return selected;
      id = copyType(selected, node.pos, scope, slot);
      break;
    }
    case ast::Type::Kind::Predefined: {
      // PER encodes these two otherwise when a constraint fixes their
      // identification, which the model does not keep.
      if (node.ref.name != "EXTERNAL" && !node.constraints.empty())
        error(node.constraints.front().pos, "a constraint on " + std::string(node.ref.name) + " is not supported");
      const TypeId shared = predefinedType(node.ref.name, scope);
      if (slot == kNoType && node.constraints.empty()) return shared;
      id = copyType(shared, node.pos, scope, slot);
      break;
    }
  }
  const bool copying = std::any_of(deferredCopies_.begin(), deferredCopies_.end(),
                                   [&](const DeferredCopy &c) { return c.target == id; });
  if (!node.constraints.empty()) {
    if (copying) error(node.pos, "a type that contains itself is constrained where it is read");
    std::vector<const ast::Constraint *> constraints;
    for (const ast::Constraint &constraint : node.constraints) constraints.push_back(&constraint);
    applyConstraints(id, constraints, scope);
  }
  if (!copying) complete_[id] = 1;
  return id;
}

TypeId Resolver::referencedType(const ast::Type &node, Scope scope) {
  const ast::Reference &ref = node.ref;
  const std::string name(ref.name);
  const Target target = lookup(ref, scope);
  if (target.builtinClass != nullptr) error(ref.pos, name + " is a class, not a type");
  if (target.argument != nullptr) {
    const Argument &argument = *target.argument;
    if (argument.kind != Argument::Kind::Type && argument.kind != Argument::Kind::ValueSet)
      error(ref.pos, name + " is a parameter that is not a type");
    return argument.type;
  }
  AssignmentState &state = *target.state;
  switch (state.entity) {
    case Entity::Type:
    case Entity::ValueSet:
      if (ref.instance) {
        if (!state.assignment->parameterized) error(ref.pos, name + " has no parameters");
        return instanceType(state, ref, scope);
      }
      if (state.assignment->parameterized) error(ref.pos, name + " needs its actual parameters");
      return typeOfAssignment(state);
    case Entity::Class: error(ref.pos, name + " is a class, not a type");
    case Entity::Value: error(ref.pos, name + " is a value, not a type");
    case Entity::Object: error(ref.pos, name + " is an object, not a type");
    case Entity::ObjectSet: error(ref.pos, name + " is an object set, not a type");
    case Entity::Broken: throw Abandoned{};
  }
  throw Abandoned{};
}

void Resolver::resolveComponents(const ast::Type &node, Scope scope, TypeId id) {
  using Kind = ast::ComponentEntry::Kind;
  const bool choice = node.kind == ast::Type::Kind::Choice;
  const char *what = choice ? "alternative " : "component ";
  std::vector<Component> components;
  std::vector<const ast::ComponentEntry *> entries;  // null for those of COMPONENTS OF
  std::vector<bool> dummies;
  int markers = 0;
  bool inBracket = false, tagsWritten = false;
  uint32_t additions = 0;
  auto additionHere = [&] { return markers == 1 ? (inBracket ? additions : ++additions) : 0; };
  for (const ast::ComponentEntry &entry : node.components) {
    switch (entry.kind) {
      case Kind::Ellipsis:
        if (++markers > 2) error(entry.pos, "more than two extension markers");
        break;
      case Kind::BracketOpen:
        if (markers != 1) error(entry.pos, "a version bracket lies between the extension markers");
        inBracket = true;
        ++additions;
        break;
      case Kind::BracketClose: inBracket = false; break;
      case Kind::Named: {
        Component component;
        component.name = entry.name;
        component.pos = entry.pos;
        component.optional = entry.optional;
        component.type = resolveType(*entry.type, scope);
        component.addition = additionHere();
        component.inBracket = markers == 1 && inBracket;
        tagsWritten = tagsWritten || entry.type->kind == ast::Type::Kind::Tagged;
        components.push_back(std::move(component));
        entries.push_back(&entry);
        dummies.push_back(isDummyType(*entry.type, scope));
        break;
      }
      case Kind::ComponentsOf: {
        const TypeId included = resolveType(*entry.type, scope);
        if (!complete_[included]) error(entry.pos, "COMPONENTS OF names a type that contains itself");
        const Builtin wanted = node.kind == ast::Type::Kind::Set ? Builtin::Set : Builtin::Sequence;
        if (types_[included].builtin != wanted)
          error(entry.type->pos, std::string("COMPONENTS OF in a ") +
                                     (wanted == Builtin::Set ? "SET" : "SEQUENCE") +
                                     " names a type of the same kind");
        const std::vector<Component> root = types_[included].components;
        const uint32_t addition = markers == 1 && inBracket ? additions : 0;
        for (const Component &c : root) {
          if (c.addition != 0) continue;
          components.push_back(c);
          components.back().addition = addition != 0 ? addition : additionHere();
          components.back().inBracket = addition != 0;
          entries.push_back(nullptr);
          dummies.push_back(false);
        }
        break;
      }
    }
  }
  std::set<std::string_view> names;
  for (const Component &c : components)
    if (!names.insert(c.name).second) error(c.pos, what + c.name + " is defined twice");
  for (const ast::ComponentEntry *entry : entries) {
    if (entry == nullptr || entry->type->kind != ast::Type::Kind::Any || entry->type->definedBy.empty())
      continue;
    if (!names.count(entry->type->definedBy))
      error(entry->type->pos, "DEFINED BY names no component " + std::string(entry->type->definedBy));
  }
  if (scope.module->ast->tagDefault == ast::TagDefault::Automatic && !tagsWritten)
    applyAutomaticTags(components, dummies);
  // DEFAULT values are read once their types are.
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (entries[i] == nullptr || entries[i]->defaultValue.empty()) continue;
    if (!complete_[components[i].type])
      error(entries[i]->pos, "the DEFAULT value of " + components[i].name +
                                 " is of a type that contains itself");
    components[i].defaultValue = readValue(components[i].type, scope, entries[i]->defaultValue);
  }
  Type &type = types_[id];
  type.components = std::move(components);
  type.extensible = markers > 0 || scope.module->ast->extensibilityImplied;
}

// AUTOMATIC TAGS (X.680 25.3): [0], [1], ... to the root components in
// their order, then to the extension additions, each tag implicit unless
// the component is an untagged CHOICE, an open type or a parameter.
void Resolver::applyAutomaticTags(std::vector<Component> &components,
                                  const std::vector<bool> &dummies) {
  uint32_t number = 0;
  for (const bool additions : {false, true})
    for (std::size_t i = 0; i < components.size(); ++i) {
      Component &component = components[i];
      if ((component.addition != 0) == additions)
        component.type = automaticallyTagged(component.type, number++, dummies[i], component.pos);
    }
}

TypeId Resolver::automaticallyTagged(TypeId type, uint32_t number, bool dummy, SourcePos pos) {
  const Type &original = types_[type];
  std::vector<Tag> tags = original.tags;
  const Tag tag{TagClass::Context, number, true};
  if (!tags.empty() && !dummy)
    tags.front() = {tag.cls, tag.number, tags.front().isExplicit};
  else
    tags.insert(tags.begin(), tag);
  const Scope scope{&scopes_[original.module], nullptr};
  const TypeId id = copyType(type, pos, scope, kNoType);
  types_[id].tags = std::move(tags);
  return id;
}

// ENUMERATED (X.680 20): root enumerators without a number take the least
// non-negative numbers the others leave; additions without one take the
// least number above the previous addition that the root leaves.
void Resolver::resolveEnumerated(const ast::Type &node, Scope scope, TypeId id) {
  std::vector<NamedNumber> named;
  std::set<int64_t> used;
  std::set<std::string_view> names;
  auto take = [&](const ast::NamedNumber &item, int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX)
      error(item.pos, "enumerator " + std::string(item.name) + " has a value beyond 32 bits");
    if (!names.insert(item.name).second)
      error(item.pos, "enumerator " + std::string(item.name) + " is defined twice");
    if (!used.insert(value).second)
      error(item.pos, "enumerator " + std::string(item.name) + " has the value " +
                          std::to_string(value) + " of another");
    named.push_back({std::string(item.name), value});
  };
  std::vector<int64_t> given(node.named.size());
  std::set<int64_t> givenRoot;
  for (std::size_t i = 0; i < node.named.size(); ++i)
    if (!node.named[i].value.empty()) givenRoot.insert(given[i] = readInteger(scope, node.named[i].value));
  int64_t next = 0;
  for (std::size_t i = 0; i < node.named.size(); ++i) {
    if (!node.named[i].value.empty()) {
      take(node.named[i], given[i]);
      continue;
    }
    while (givenRoot.count(next) || used.count(next)) ++next;
    take(node.named[i], next);
  }
  const std::set<int64_t> root = used;
  std::optional<int64_t> previous;
  for (const ast::NamedNumber &item : node.additions) {
    int64_t value;
    if (!item.value.empty()) {
      value = readInteger(scope, item.value);
      if (previous && value <= *previous)
        error(item.pos, "enumerator " + std::string(item.name) +
                            " is not above the additions before it");
    } else {
      value = previous ? *previous + 1 : 0;
      while (root.count(value)) ++value;
    }
    take(item, value);
    previous = value;
  }
  Type &type = types_[id];
  type.named = std::move(named);
  type.rootEnumerators = static_cast<uint32_t>(node.named.size());
  type.extensible = node.extensible || scope.module->ast->extensibilityImplied;
}

// INTEGER named numbers and BIT STRING named bits: distinct names and values.
void Resolver::resolveNamedNumbers(const ast::Type &node, Scope scope, TypeId id) {
  const bool bits = node.kind == ast::Type::Kind::BitString;
  std::vector<NamedNumber> named;
  for (const ast::NamedNumber &item : node.named) {
    const int64_t value = readInteger(scope, item.value);
    const std::string name(item.name);
    if (bits && (value < 0 || value > INT32_MAX))
      error(item.pos, "named bit " + name + " is not a bit position");
    for (const NamedNumber &other : named) {
      if (other.name == name) error(item.pos, name + " is named twice");
      if (other.value == value)
        error(item.pos, name + " and " + other.name + " have the same " +
                            (bits ? "bit " : "number ") + std::to_string(value));
    }
    named.push_back({name, value});
  }
  types_[id].named = std::move(named);
}

// CLASS.&field (X.681 14): an open type for a type field or a field of
// variable type, the field's type for a field of fixed type.
TypeId Resolver::classFieldType(const ast::Type &node, Scope scope, TypeId slot) {
  const Target target = lookup(node.ref, scope);
  const bool fromSet = target.state != nullptr ? target.state->entity == Entity::ObjectSet
                       : target.argument != nullptr && target.argument->kind == Argument::Kind::ObjectSet;
  if (fromSet) error(node.ref.pos, "types and value sets taken from object sets are not supported");
  const ClassInfo *cls = classOf(node.ref, scope);
  const ClassInfo *first = cls;
  std::vector<std::string_view> chain;
  const FieldInfo *field = nullptr;
  for (std::size_t i = 0; i < node.fields.size(); ++i) {
    field = cls->field(node.fields[i]);
    if (field == nullptr)
      error(node.pos, "class " + cls->name + " has no field " + std::string(node.fields[i]));
    chain.push_back(field->name);
    if (i + 1 == node.fields.size()) break;
    if (field->kind != FieldKind::Object)
      error(node.pos, std::string(field->name) + " of class " + cls->name + " is not an object field");
    cls = field->cls;
  }
  TypeId id;
  switch (field->kind) {
    case FieldKind::Type:
    case FieldKind::VariableValue:
    case FieldKind::VariableValueSet: id = newType(node, scope, Builtin::OpenType, slot); break;
    case FieldKind::FixedValue:
    case FieldKind::FixedValueSet: id = copyType(field->type, node.pos, scope, slot); break;
    default:
      error(node.pos, std::string(field->name) + " of class " + cls->name +
                          " holds objects, not values of a type");
  }
  fieldOrigins_[id] = {first, std::move(chain)};
  return id;
}

}  // namespace zurasn1
