// Table constraints (X.682 10): the object set of "{Set}" and "{Set}{@a}"
// is read once every type is, and an open type constrained by a component
// relation gets the link to the component that selects its type.
#include <functional>

#include "compiler/resolver.h"

namespace zurasn1 {


void Resolver::addTableConstraint(const ast::Constraint &constraint, Scope scope, TypeId id) {
  if (constraint.relation.size() > 1)
    error(constraint.relation[1].pos, "a component relation with more than one @ is not supported");
  const FieldOrigin &origin = fieldOrigins_.at(id);
  PendingTable pending;
  pending.owner = stack_.empty() ? nullptr : stack_.back();
  pending.scope = scope;
  pending.constraint = &constraint;
  pending.cls = origin.cls;
  pending.fields = origin.fields;
  if (types_[id].builtin == Builtin::OpenType) pending.openType = id;
  pending.frames = frames_;
  pendingTables_.push_back(std::move(pending));
}

// Reading a set may read types with table constraints of their own.
void Resolver::resolveTables() {
  while (!pendingTables_.empty()) {
    std::vector<PendingTable> batch;
    batch.swap(pendingTables_);
    for (PendingTable &pending : batch) {
      AssignmentState *owner = pending.owner;
      if (owner != nullptr && owner->status != Status::Done) continue;
      try {
        resolveTable(pending);
      } catch (MissingName &missing) {
        if (owner != nullptr) {
          owner->status = Status::LeftOut;
          owner->missing = missing;
        }
      } catch (Abandoned &) {
      } catch (Parser::Failure &) {
      }
    }
  }
}

void Resolver::resolveTable(PendingTable &pending) {
  const ast::Constraint &constraint = *pending.constraint;
  Parser parser = parserFor(pending.scope, constraint.braced);
  const ObjectSetInfo *set = readObjectSet(*pending.cls, pending.scope, parser);
  if (!parser.atEnd()) parser.failExpected("the end of the object set");
  if (constraint.kind != ast::Constraint::Kind::ComponentRelation || pending.openType == kNoType)
    return;
  const ast::AtNotation &at = constraint.relation.front();
  const std::size_t depth = pending.frames.size();
  if (depth == 0) error(at.pos, "@ names a component, but the open type lies in no SEQUENCE, SET or CHOICE");
  if (at.level > depth) error(at.pos, "@ goes above the outermost type");
  const std::size_t start = at.level == 0 ? 0 : depth - at.level;
  OpenTypeLink link;
  link.up = static_cast<uint32_t>(depth - 1 - start);
  TypeId current = pending.frames[start];
  TypeId referenced = kNoType;
  for (std::string_view name : at.components) {
    const Type &type = types_[current];
    uint32_t index = 0;
    while (index < type.components.size() && type.components[index].name != name) ++index;
    if (index == type.components.size())
      error(at.pos, "@ names no component " + std::string(name));
    link.path.push_back(index);
    referenced = current = type.components[index].type;
  }
  auto origin = fieldOrigins_.find(referenced);
  if (origin == fieldOrigins_.end() || origin->second.cls != pending.cls ||
      origin->second.fields.size() != 1)
    error(at.pos, "the component @ names is not a field of class " + pending.cls->name);
  const std::string_view idField = origin->second.fields.front();
  for (const ObjectInfo *object : set->objects) {
    const Setting *id = settingOf(*object, idField);
    if (id == nullptr || !id->value) continue;
    // Through the object fields of the chain to the type it ends with.
    const ObjectInfo *holder = object;
    for (std::size_t k = 0; holder != nullptr && k + 1 < pending.fields.size(); ++k) {
      const Setting *next = settingOf(*holder, pending.fields[k]);
      holder = next != nullptr ? next->object : nullptr;
    }
    if (holder == nullptr) continue;
    std::string_view last = pending.fields.back();
    const FieldInfo *field = holder->cls->field(last);
    if (field != nullptr && field->kind == FieldKind::VariableValue) last = field->spec->typeField;
    const Setting *type = settingOf(*holder, last);
    if (type == nullptr || type->type == kNoType) continue;
    link.objects.push_back({id->value, type->type});
  }
  link.extensible = set->extensible;
  setLink(pending.openType, link);
}

void Resolver::setLink(TypeId id, const OpenTypeLink &link) {
  std::vector<TypeId> work{id};
  std::vector<bool> seen(types_.size());
  while (!work.empty()) {
    const TypeId next = work.back();
    work.pop_back();
    if (seen[next]) continue;
    seen[next] = true;
    types_[next].link = link;
    if (auto copies = linkCopies_.find(next); copies != linkCopies_.end())
      work.insert(work.end(), copies->second.begin(), copies->second.end());
  }
}

}  // namespace zurasn1
