// Information object classes, objects and object sets (X.681): fields,
// the default and the defined syntax of objects, sets with "|" and "...",
// TYPE-IDENTIFIER and ABSTRACT-SYNTAX.
#include "compiler/lexer.h"
#include "compiler/resolver.h"

namespace zurasn1 {

namespace {

// The classes X.681 Annex A and B define, as their own notation.
struct BuiltinClassText {
  std::string_view name;
  const char *text;
};
constexpr BuiltinClassText kBuiltinClasses[] = {
    {"TYPE-IDENTIFIER",
     "CLASS { &id OBJECT IDENTIFIER UNIQUE, &Type } WITH SYNTAX { &Type IDENTIFIED BY &id }"},
    {"ABSTRACT-SYNTAX",
     "CLASS { &id OBJECT IDENTIFIER UNIQUE, &Type, "
     "&property BIT STRING { handles-invalid-encodings(0) } DEFAULT {} } "
     "WITH SYNTAX { &Type IDENTIFIED BY &id [HAS PROPERTY &property] }"},
};

bool matches(const Token &token, std::string_view literal) {
  if (literal == ",") return token.kind == TokenKind::Comma;
  return (token.kind == TokenKind::TypeReference || token.kind == TokenKind::Keyword) &&
         token.text == literal;
}

// The literals that items may start with (past optional groups); true when
// they may start with a field instead.
bool firstLiterals(const std::vector<ast::SyntaxItem> &items, std::vector<std::string_view> &out) {
  for (const ast::SyntaxItem &item : items) {
    if (item.kind == ast::SyntaxItem::Kind::Literal) {
      out.push_back(item.text);
      return false;
    }
    if (item.kind == ast::SyntaxItem::Kind::Field || firstLiterals(item.group, out)) return true;
  }
  return false;
}

void allLiterals(const ast::SyntaxItem &item, std::vector<std::string_view> &out) {
  if (item.kind == ast::SyntaxItem::Kind::Literal) out.push_back(item.text);
  for (const ast::SyntaxItem &inner : item.group) allLiterals(inner, out);
}

}  // namespace

const ClassInfo *Resolver::builtinClass(std::string_view name) {
  if (auto it = builtinClasses_.find(name); it != builtinClasses_.end()) return it->second;
  for (const BuiltinClassText &builtin : kBuiltinClasses) {
    if (builtin.name != name) continue;
    if (builtinModule_.empty()) {
      ast::Module &module = builtinModule_.emplace_back();
      module.file = UINT32_MAX;
      ModuleScope &scope = builtinScope_.emplace_back();
      scope.ast = &module;
    }
    const std::vector<Token> &tokens = builtinTokens_.emplace_back(lex(builtin.text, UINT32_MAX, diagnostics_));
    Parser parser(tokens, UINT32_MAX, diagnostics_);
    const ast::ClassDefinition &definition = builtinDefinitions_.emplace_back(parser.parseClassDefinition());
    builtinModule_.front().tokens = &tokens;
    ClassInfo &info = classes_.emplace_back();
    builtinClasses_[builtin.name] = &info;
    defineClass(definition, Scope{&builtinScope_.front(), nullptr}, std::string(name), &info);
    return &info;
  }
  return nullptr;
}

const ClassInfo *Resolver::classOf(const ast::Reference &ref, Scope scope) {
  const std::string name(ref.name);
  const Target target = lookup(ref, scope);
  if (target.builtinClass != nullptr) return target.builtinClass;
  if (target.argument != nullptr) {
    if (target.argument->kind != Argument::Kind::Class)
      error(ref.pos, name + " is a parameter that is not a class");
    return target.argument->cls;
  }
  if (target.state->entity == Entity::Broken) throw Abandoned{};
  if (target.state->entity != Entity::Class)
    error(ref.pos, name + " is " + entityNoun(target.state->entity) + ", not a class");
  if (ref.instance || target.state->assignment->parameterized)
    error(ref.pos, "parameterized classes are not supported");
  return classOfAssignment(*target.state);
}

const ClassInfo *Resolver::classOfAssignment(AssignmentState &state) {
  if (state.cls != nullptr && state.status == Status::InProgress) {
    noteUse(state);
    return state.cls;  // a class whose fields name it
  }
  const ast::Assignment &assignment = *state.assignment;
  const Scope scope{state.module, nullptr};
  resolveAssignment(state, [&] {
    if (assignment.parameterized) error(assignment.pos, "parameterized classes are not supported");
    if (assignment.classDefinition) {
      ClassInfo &info = classes_.emplace_back();
      state.cls = &info;
      defineClass(*assignment.classDefinition, scope, std::string(assignment.name), &info);
    } else {
      state.cls = classOf(assignment.type->ref, scope);
    }
  });
  if (state.cls == nullptr) circular(state, assignment.pos);
  return state.cls;
}

// The fields of a class (X.681 9): what each is follows from the case of
// its name and from what its governor names.
const ClassInfo *Resolver::defineClass(const ast::ClassDefinition &definition, Scope scope,
                                       std::string name, ClassInfo *info) {
  info->name = std::move(name);
  info->definition = &definition;
  info->scope = scope;
  for (const ast::FieldSpec &spec : definition.fields) {
    FieldInfo field;
    field.name = spec.name;
    field.spec = &spec;
    field.optional = spec.optional || !spec.defaultSetting.empty();
    const bool upper = spec.name.size() > 1 && spec.name[1] >= 'A' && spec.name[1] <= 'Z';
    if (!spec.type && spec.typeField.empty()) {
      field.kind = FieldKind::Type;
    } else if (!spec.typeField.empty()) {
      field.kind = upper ? FieldKind::VariableValueSet : FieldKind::VariableValue;
    } else if (namesClass(*spec.type, scope)) {
      field.kind = upper ? FieldKind::ObjectSet : FieldKind::Object;
      field.cls = classOf(spec.type->ref, scope);
    } else {
      field.kind = upper ? FieldKind::FixedValueSet : FieldKind::FixedValue;
      field.type = resolveType(*spec.type, scope);
    }
    if (info->field(field.name) != nullptr)
      error(spec.pos, "field " + std::string(spec.name) + " is defined twice");
    info->fields.push_back(field);
  }
  for (const FieldInfo &field : info->fields) {
    if (field.spec->typeField.empty()) continue;
    const FieldInfo *type = info->field(field.spec->typeField);
    if (type == nullptr || type->kind != FieldKind::Type)
      error(field.spec->pos, std::string(field.spec->typeField) + " is not a type field of class " +
                                 info->name);
  }
  std::vector<const ast::SyntaxItem *> pending;
  for (const ast::SyntaxItem &item : definition.syntax) pending.push_back(&item);
  std::vector<std::string_view> named;
  while (!pending.empty()) {
    const ast::SyntaxItem *item = pending.back();
    pending.pop_back();
    for (const ast::SyntaxItem &inner : item->group) pending.push_back(&inner);
    if (item->kind != ast::SyntaxItem::Kind::Field) continue;
    if (info->field(item->text) == nullptr)
      error(item->pos, "class " + info->name + " has no field " + std::string(item->text));
    for (std::string_view other : named)
      if (other == item->text) error(item->pos, std::string(item->text) + " appears twice in the syntax");
    named.push_back(item->text);
  }
  return info;
}

const ObjectInfo *Resolver::objectOfAssignment(AssignmentState &state) {
  const ast::Assignment &assignment = *state.assignment;
  const bool done = resolveAssignment(state, [&] {
    const Scope scope{state.module, nullptr};
    if (assignment.parameterized) error(assignment.pos, "parameterized objects are not supported");
    const ClassInfo *cls = classOf(assignment.type->ref, scope);
    Parser parser = parserFor(scope, assignment.value);
    state.object = readObject(*cls, scope, parser);
    if (!parser.atEnd()) parser.failExpected("the end of the object");
  });
  if (!done) circular(state, assignment.pos);
  return state.object;
}

const ObjectSetInfo *Resolver::objectSetOfAssignment(AssignmentState &state) {
  const ast::Assignment &assignment = *state.assignment;
  const bool done = resolveAssignment(state, [&] {
    const Scope scope{state.module, nullptr};
    const ClassInfo *cls = classOf(assignment.type->ref, scope);
    Parser parser = parserFor(scope, assignment.value);
    state.set = readObjectSet(*cls, scope, parser);
  });
  if (!done) circular(state, assignment.pos);
  return state.set;
}

// Object ::= DefinedObject | "{" settings "}" in the default syntax or the
// class's defined syntax.
const ObjectInfo *Resolver::readObject(const ClassInfo &cls, Scope scope, Parser &parser) {
  Parser::DepthGuard guard(parser);
  const Token &first = parser.peek();
  if (!parser.at(TokenKind::LeftBrace)) {
    const ast::Reference ref = parser.parseReference();
    const std::string name(ref.name);
    const Target target = lookup(ref, scope);
    const ObjectInfo *object = nullptr;
    if (target.argument != nullptr && target.argument->kind == Argument::Kind::Object) {
      object = target.argument->object;
    } else if (target.state != nullptr && target.state->entity == Entity::Object) {
      object = objectOfAssignment(*target.state);
    } else if (target.state != nullptr && target.state->entity == Entity::Broken) {
      throw Abandoned{};
    } else {
      error(ref.pos, name + " is not an object");
    }
    if (object->cls != &cls)
      error(ref.pos, name + " is an object of class " + object->cls->name + ", not of " + cls.name);
    return object;
  }
  parser.next();
  ObjectInfo &object = objects_.emplace_back();
  object.cls = &cls;
  std::vector<std::pair<const FieldInfo *, ast::TokenRange>> later;
  if (cls.definition->hasSyntax) {
    std::vector<std::string_view> follow;
    readDefinedSyntax(cls.definition->syntax, cls, scope, parser, object, later, follow);
  } else {
    while (!parser.at(TokenKind::RightBrace)) {
      const Token &name = parser.peek();
      if (!parser.at(TokenKind::TypeField) && !parser.at(TokenKind::ValueField))
        parser.failExpected("a field of the object");
      parser.next();
      const FieldInfo *field = cls.field(name.text);
      if (field == nullptr) parser.fail(name, "class " + cls.name + " has no field " + std::string(name.text));
      if (object.settings.count(field->name))
        parser.fail(name, std::string(name.text) + " is set twice");
      readSetting(*field, scope, parser, object, later);
      if (!parser.acceptListComma(TokenKind::RightBrace, "a field of the object")) break;
    }
  }
  parser.expect(TokenKind::RightBrace, "'}'");
  for (const auto &[field, range] : later) {
    auto type = object.settings.find(field->spec->typeField);
    if (type == object.settings.end())
      error(parser.posOf(first), std::string(field->name) + " needs " +
                                     std::string(field->spec->typeField) + " set");
    object.settings[field->name].value = readValue(type->second.type, scope, range);
  }
  for (const FieldInfo &field : cls.fields)
    if (!field.optional && !object.settings.count(field.name))
      error(parser.posOf(first), "the object lacks " + std::string(field.name) + ", which class " +
                                     cls.name + " requires");
  return &object;
}

void Resolver::readSetting(const FieldInfo &field, Scope scope, Parser &parser, ObjectInfo &object,
                           std::vector<std::pair<const FieldInfo *, ast::TokenRange>> &later) {
  Setting setting;
  switch (field.kind) {
    case FieldKind::Type:
      parsedTypes_.push_back(parser.parseType());
      setting.type = resolveType(*parsedTypes_.back(), scope);
      break;
    case FieldKind::FixedValue: setting.value = readValueAt(field.type, scope, parser); break;
    case FieldKind::VariableValue: later.emplace_back(&field, parser.skipValue()); return;
    case FieldKind::FixedValueSet: {
      parsedConstraints_.push_back(parser.parseValueSet());
      setting.type = copyType(field.type, parser.posOf(parser.peek()), scope, kNoType);
      applyConstraints(setting.type, {&parsedConstraints_.back()}, scope);
      break;
    }
    case FieldKind::VariableValueSet: parsedConstraints_.push_back(parser.parseValueSet()); break;
    case FieldKind::Object: setting.object = readObject(*field.cls, scope, parser); break;
    case FieldKind::ObjectSet: setting.set = readObjectSet(*field.cls, scope, parser); break;
  }
  object.settings[field.name] = setting;
}

// The defined syntax (X.681 10.11): literals in order, settings where the
// fields stand, optional groups present when their first literal is next
// (or, for a group that starts with a field, when no literal that follows
// it is).
void Resolver::readDefinedSyntax(const std::vector<ast::SyntaxItem> &items, const ClassInfo &cls,
                                 Scope scope, Parser &parser, ObjectInfo &object,
                                 std::vector<std::pair<const FieldInfo *, ast::TokenRange>> &later,
                                 std::vector<std::string_view> &follow) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ast::SyntaxItem &item = items[i];
    switch (item.kind) {
      case ast::SyntaxItem::Kind::Literal:
        if (!matches(parser.peek(), item.text))
          parser.failExpected(("'" + std::string(item.text) + "' of the syntax of class " + cls.name).c_str());
        parser.next();
        break;
      case ast::SyntaxItem::Kind::Field: {
        const FieldInfo *field = cls.field(item.text);
        if (field == nullptr) error(item.pos, "class " + cls.name + " is used inside its own definition");
        readSetting(*field, scope, parser, object, later);
        break;
      }
      case ast::SyntaxItem::Kind::OptionalGroup: {
        std::vector<std::string_view> starts;
        const bool field = firstLiterals(item.group, starts);
        std::vector<std::string_view> after = follow;
        for (std::size_t k = i + 1; k < items.size(); ++k) allLiterals(items[k], after);
        bool present = false;
        if (!field) {
          for (std::string_view literal : starts) present = present || matches(parser.peek(), literal);
        } else {
          present = !parser.at(TokenKind::RightBrace);
          for (std::string_view literal : after) present = present && !matches(parser.peek(), literal);
        }
        if (present) readDefinedSyntax(item.group, cls, scope, parser, object, later, after);
        break;
      }
    }
  }
}

const ObjectSetInfo *Resolver::readObjectSet(const ClassInfo &cls, Scope scope, Parser &parser) {
  ObjectSetInfo &set = objectSets_.emplace_back();
  set.cls = &cls;
  parser.expect(TokenKind::LeftBrace, "'{' of an object set");
  if (parser.accept(TokenKind::Ellipsis)) {
    set.extensible = true;
    if (parser.accept(TokenKind::Comma)) readObjectSetElements(cls, scope, parser, set);
  } else if (!parser.at(TokenKind::RightBrace)) {
    readObjectSetElements(cls, scope, parser, set);
    if (parser.at(TokenKind::Comma) && parser.at(TokenKind::Ellipsis, 1)) {
      parser.next();
      parser.next();
      set.extensible = true;
      if (parser.accept(TokenKind::Comma)) readObjectSetElements(cls, scope, parser, set);
    }
  }
  const SourcePos end = parser.posOf(parser.peek());
  parser.expect(TokenKind::RightBrace, "'}' of an object set");
  // A UNIQUE field tells the objects of a set apart (X.681 10): of two
  // objects with one value there, a table constraint could select only one.
  for (const FieldInfo &field : cls.fields) {
    if (field.spec == nullptr || !field.spec->unique) continue;
    for (std::size_t i = 1; i < set.objects.size(); ++i)
      for (std::size_t j = 0; j < i; ++j) {
        if (set.objects[i] == set.objects[j]) continue;
        const auto a = set.objects[i]->settings.find(field.name), b = set.objects[j]->settings.find(field.name);
        if (a != set.objects[i]->settings.end() && b != set.objects[j]->settings.end() && a->second.value &&
            b->second.value && sameValue(*a->second.value, *b->second.value))
          error(end, "two objects of the set have one value of the UNIQUE field " + std::string(field.name));
      }
  }
  return &set;
}

// Elements joined by "|" or UNION: objects, object sets, "( ... )". An
// element that needs a name no module given defines drops out of the set.
void Resolver::readObjectSetElements(const ClassInfo &cls, Scope scope, Parser &parser,
                                     ObjectSetInfo &set) {
  Parser::DepthGuard guard(parser);
  do {
    const Token &first = parser.peek();
    if (parser.accept(TokenKind::LeftParen)) {
      readObjectSetElements(cls, scope, parser, set);
      parser.expect(TokenKind::RightParen, "')'");
    } else if (parser.at(TokenKind::LeftBrace) || parser.at(TokenKind::Identifier)) {
      const uint32_t start = parser.position();
      try {
        set.objects.push_back(readObject(cls, scope, parser));
        if (parser.at(TokenKind::Dot))
          parser.fail(parser.peek(), "object sets taken from objects are not supported");
      } catch (MissingName &) {
        Parser skip = parserFor(scope, {start, UINT32_MAX});
        if (skip.at(TokenKind::LeftBrace)) skip.skipBraces();
        else skip.parseReference();
        while (parser.position() < skip.position()) parser.next();
      }
    } else if (parser.at(TokenKind::TypeReference)) {
      const ast::Reference ref = parser.parseReference();
      if (parser.at(TokenKind::Dot)) parser.fail(parser.peek(), "object sets taken from objects are not supported");
      const std::string name(ref.name);
      try {
        const Target target = lookup(ref, scope);
        const ObjectSetInfo *other = nullptr;
        if (target.argument != nullptr && target.argument->kind == Argument::Kind::ObjectSet) {
          other = target.argument->set;
        } else if (target.state != nullptr && target.state->entity == Entity::ObjectSet) {
          other = ref.instance ? instanceObjectSet(*target.state, ref, scope)
                               : objectSetOfAssignment(*target.state);
        } else if (target.state != nullptr && target.state->entity == Entity::Broken) {
          throw Abandoned{};
        } else if (target.state != nullptr) {
          error(ref.pos, name + " is " + entityNoun(target.state->entity) + ", not an object set");
        } else {
          error(ref.pos, name + (target.builtinClass != nullptr ? " is a class, not an object set"
                                                                : " is a parameter that is not an object set"));
        }
        if (other->cls != &cls)
          error(ref.pos, name + " is a set of class " + other->cls->name + ", not of " + cls.name);
        set.objects.insert(set.objects.end(), other->objects.begin(), other->objects.end());
        set.extensible = set.extensible || other->extensible;
      } catch (MissingName &) {
      }
    } else {
      parser.fail(first, "expected an object or an object set, found '" + std::string(describe(first)) + "'");
    }
    if (parser.at(TokenKind::Caret) || parser.atKeyword(Keyword::Intersection))
      parser.fail(parser.peek(), "intersections of object sets are not supported");
    if (parser.atKeyword(Keyword::Except)) parser.fail(parser.peek(), "EXCEPT is not supported");
  } while (parser.accept(TokenKind::Bar) || parser.acceptKeyword(Keyword::Union));
}

// An object's setting of a field, or the class's default for it.
const Setting *Resolver::settingOf(const ObjectInfo &object, std::string_view field) {
  if (auto it = object.settings.find(field); it != object.settings.end()) return &it->second;
  const ClassInfo &cls = *object.cls;
  const FieldInfo *info = cls.field(field);
  if (info == nullptr || info->spec->defaultSetting.empty()) return nullptr;
  const auto key = std::make_pair(&cls, info->name);
  if (auto it = classDefaults_.find(key); it != classDefaults_.end()) return &it->second;
  ObjectInfo defaults;
  defaults.cls = &cls;
  std::vector<std::pair<const FieldInfo *, ast::TokenRange>> later;
  Parser parser = parserFor(cls.scope, info->spec->defaultSetting);
  readSetting(*info, cls.scope, parser, defaults, later);
  return &(classDefaults_[key] = defaults.settings[info->name]);
}

}  // namespace zurasn1
