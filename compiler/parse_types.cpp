// Types (X.680 16-36): builtin types, references, tags, the bodies of
// SEQUENCE, SET, CHOICE and ENUMERATED, class field types (X.681 14) and
// actual parameters (X.683 9).
#include "compiler/parser.h"

namespace zurasn1 {

using ast::ComponentEntry;
using AstType = ast::Type;
using ast::TypePtr;

namespace {

TypePtr builtinType(Builtin builtin, SourcePos pos) {
  auto type = std::make_unique<AstType>();
  type->kind = AstType::Kind::Builtin;
  type->builtin = builtin;
  type->pos = pos;
  return type;
}

// A type whose associated SEQUENCE X.680 defines, read by the resolver.
TypePtr predefinedType(ast::Name name, SourcePos pos) {
  TypePtr type = builtinType(Builtin::Sequence, pos);
  type->kind = AstType::Kind::Predefined;
  type->ref.name = name;
  type->ref.pos = pos;
  return type;
}

// The types that one reserved word names.
bool simpleBuiltin(Keyword keyword, Builtin &builtin) {
  switch (keyword) {
    case Keyword::Boolean: builtin = Builtin::Boolean; return true;
    case Keyword::Null: builtin = Builtin::Null; return true;
    case Keyword::Real: builtin = Builtin::Real; return true;
    case Keyword::RelativeOid: builtin = Builtin::RelativeOid; return true;
    case Keyword::UtcTime: builtin = Builtin::UtcTime; return true;
    case Keyword::GeneralizedTime: builtin = Builtin::GeneralizedTime; return true;
    case Keyword::ObjectDescriptor: builtin = Builtin::ObjectDescriptor; return true;
    case Keyword::Utf8String: builtin = Builtin::Utf8String; return true;
    case Keyword::NumericString: builtin = Builtin::NumericString; return true;
    case Keyword::PrintableString: builtin = Builtin::PrintableString; return true;
    case Keyword::TeletexString:
    case Keyword::T61String: builtin = Builtin::TeletexString; return true;
    case Keyword::VideotexString: builtin = Builtin::VideotexString; return true;
    case Keyword::Ia5String: builtin = Builtin::Ia5String; return true;
    case Keyword::GraphicString: builtin = Builtin::GraphicString; return true;
    case Keyword::VisibleString:
    case Keyword::Iso646String: builtin = Builtin::VisibleString; return true;
    case Keyword::GeneralString: builtin = Builtin::GeneralString; return true;
    case Keyword::UniversalString: builtin = Builtin::UniversalString; return true;
    case Keyword::BmpString: builtin = Builtin::BmpString; return true;
    default: return false;
  }
}

}  // namespace

// Type ::= BuiltinType | ReferencedType | ConstrainedType
TypePtr Parser::parseType() {
  DepthGuard guard(*this);
  TypePtr type = parseUnconstrainedType();
  while (at(TokenKind::LeftParen)) type->constraints.push_back(parseConstraint());
  return type;
}

TypePtr Parser::parseUnconstrainedType() {
  switch (peek().kind) {
    case TokenKind::LeftBracket: return parseTaggedType();
    case TokenKind::Keyword: return parseKeywordType();
    case TokenKind::TypeReference: return parseReferencedType();
    case TokenKind::Identifier:
      if (at(TokenKind::Less, 1)) return parseSelectionType();
      if (at(TokenKind::Dot, 1) && (at(TokenKind::ValueField, 2) || at(TokenKind::TypeField, 2)))
        fail(peek(), "types and value sets taken from objects are not supported");
      [[fallthrough]];
    default: failExpected("a type");
  }
}

// SelectionType ::= identifier "<" Type
TypePtr Parser::parseSelectionType() {
  DepthGuard guard(*this);
  auto type = std::make_unique<AstType>();
  type->kind = AstType::Kind::Selection;
  type->pos = posOf(peek());
  type->elementName = next().text;
  next();
  // "a < C (...)" constrains the selected type.
  type->inner = parseUnconstrainedType();
  return type;
}

// TaggedType ::= "[" [Class] ClassNumber "]" [IMPLICIT | EXPLICIT] Type
TypePtr Parser::parseTaggedType() {
  auto type = std::make_unique<AstType>();
  type->kind = AstType::Kind::Tagged;
  type->pos = posOf(next());
  ast::Tag &tag = type->tag;
  tag.pos = type->pos;
  if (at(TokenKind::TypeReference) && at(TokenKind::Colon, 1))
    fail(peek(), "encoding references in tags are not supported");
  if (acceptKeyword(Keyword::Universal))
    tag.cls = TagClass::Universal;
  else if (acceptKeyword(Keyword::Application))
    tag.cls = TagClass::Application;
  else if (acceptKeyword(Keyword::Private))
    tag.cls = TagClass::Private;
  if (at(TokenKind::Number)) {
    tag.number = {pos_, pos_ + 1};
    next();
  } else if (at(TokenKind::Identifier) || at(TokenKind::TypeReference)) {
    tag.number = skipValue();
  } else {
    failExpected("a tag number");
  }
  expect(TokenKind::RightBracket, "']'");
  if (acceptKeyword(Keyword::Implicit))
    tag.mode = ast::Tag::Mode::Implicit;
  else if (acceptKeyword(Keyword::Explicit))
    tag.mode = ast::Tag::Mode::Explicit;
  type->inner = parseType();
  return type;
}

TypePtr Parser::parseKeywordType() {
  const Token &word = peek();
  const SourcePos pos = posOf(word);
  Builtin builtin;
  if (simpleBuiltin(word.keyword, builtin)) {
    next();
    return builtinType(builtin, pos);
  }
  switch (word.keyword) {
    case Keyword::Integer: {
      next();
      TypePtr type = builtinType(Builtin::Integer, pos);
      if (at(TokenKind::LeftBrace)) {
        type->kind = AstType::Kind::Integer;
        type->named = parseNamedNumbers();
      }
      return type;
    }
    case Keyword::Bit: {
      next();
      expectKeyword(Keyword::String);
      TypePtr type = builtinType(Builtin::BitString, pos);
      if (at(TokenKind::LeftBrace)) {
        type->kind = AstType::Kind::BitString;
        type->named = parseNamedNumbers();
      }
      return type;
    }
    case Keyword::Octet:
      next();
      expectKeyword(Keyword::String);
      return builtinType(Builtin::OctetString, pos);
    case Keyword::Object:
      next();
      expectKeyword(Keyword::Identifier);
      return builtinType(Builtin::ObjectIdentifier, pos);
    case Keyword::Enumerated: {
      next();
      TypePtr type = builtinType(Builtin::Enumerated, pos);
      type->kind = AstType::Kind::Enumerated;
      parseEnumerations(*type);
      return type;
    }
    case Keyword::Sequence: return parseCollection(AstType::Kind::Sequence, AstType::Kind::SequenceOf);
    case Keyword::Set: return parseCollection(AstType::Kind::Set, AstType::Kind::SetOf);
    case Keyword::Choice: {
      next();
      TypePtr type = builtinType(Builtin::Choice, pos);
      type->kind = AstType::Kind::Choice;
      parseComponentList(*type, true);
      return type;
    }
    case Keyword::TypeIdentifier:
    case Keyword::AbstractSyntax: return parseReferencedType();
    case Keyword::Character:
      next();
      expectKeyword(Keyword::String);
      return predefinedType("CHARACTER STRING", pos);
    case Keyword::Embedded:
      next();
      expectKeyword(Keyword::Pdv);
      return predefinedType("EMBEDDED PDV", pos);
    case Keyword::Instance: {
      next();
      expectKeyword(Keyword::Of);
      TypePtr type = builtinType(Builtin::Sequence, pos);
      type->kind = AstType::Kind::InstanceOf;
      type->ref = parseReference();
      return type;
    }
    case Keyword::External:
      next();
      return predefinedType("EXTERNAL", pos);
    case Keyword::Time:
    case Keyword::Date:
    case Keyword::DateTime:
    case Keyword::TimeOfDay:
    case Keyword::Duration:
    case Keyword::OidIri:
    case Keyword::RelativeOidIri:
      next();
      refuse(word, std::string(word.text) + " is not supported");
      return builtinType(Builtin::Null, pos);
    default: failExpected("a type");
  }
}

// Reference, ParameterizedType, ObjectClassFieldType, and ANY [DEFINED BY id]
// (X.208), which modules of 1988 still use.
TypePtr Parser::parseReferencedType() {
  auto type = std::make_unique<AstType>();
  type->pos = posOf(peek());
  type->ref = parseReference();
  if (type->ref.name == "ANY" && type->ref.module.empty() && !type->ref.instance) {
    type->kind = AstType::Kind::Any;
    type->builtin = Builtin::OpenType;
    if (at(TokenKind::TypeReference) && peek().text == "DEFINED") {
      next();
      expectKeyword(Keyword::By);
      type->definedBy = expect(TokenKind::Identifier, "a component name after DEFINED BY").text;
    }
    return type;
  }
  type->kind = AstType::Kind::Reference;
  while (atFieldReference()) {
    next();
    type->kind = AstType::Kind::ClassField;
    type->fields.push_back(next().text);
  }
  return type;
}

// A reference to anything: "name", "Module.name", an instance "Name{...}".
// TYPE-IDENTIFIER and ABSTRACT-SYNTAX are read as references to the
// classes they name.
ast::Reference Parser::parseReference() {
  ast::Reference ref;
  const Token &first = peek();
  const bool builtinClass = atKeyword(Keyword::TypeIdentifier) || atKeyword(Keyword::AbstractSyntax);
  if (!at(TokenKind::TypeReference) && !at(TokenKind::Identifier) && !builtinClass)
    failExpected("a reference");
  next();
  ref.pos = posOf(first);
  ref.name = first.text;
  if (first.kind == TokenKind::TypeReference && at(TokenKind::Dot) &&
      (at(TokenKind::TypeReference, 1) || at(TokenKind::Identifier, 1))) {
    next();
    ref.module = first.text;
    ref.name = next().text;
  }
  if (!builtinClass && at(TokenKind::LeftBrace)) {
    ref.instance = true;
    ref.arguments = parseActualParameters();
  }
  return ref;
}

// "SEQUENCE {...}", "SEQUENCE OF T", "SEQUENCE SIZE(...) OF T",
// "SEQUENCE (...) OF T", and the same for SET.
TypePtr Parser::parseCollection(AstType::Kind structure, AstType::Kind collection) {
  const Token &word = next();
  const bool sequence = word.keyword == Keyword::Sequence;
  if (at(TokenKind::LeftBrace)) {
    TypePtr type = builtinType(sequence ? Builtin::Sequence : Builtin::Set, posOf(word));
    type->kind = structure;
    parseComponentList(*type, false);
    return type;
  }
  TypePtr type = builtinType(sequence ? Builtin::SequenceOf : Builtin::SetOf, posOf(word));
  type->kind = collection;
  if (atKeyword(Keyword::Size)) {
    ast::Constraint size;
    size.pos = posOf(peek());
    size.root = std::make_unique<ast::ElementSet>();
    size.root->kind = ast::ElementSet::Kind::Size;
    size.root->pos = size.pos;
    next();
    size.root->inner = std::make_unique<ast::Constraint>(parseConstraint());
    type->constraints.push_back(std::move(size));
  } else if (at(TokenKind::LeftParen)) {
    type->constraints.push_back(parseConstraint());
  }
  expectKeyword(Keyword::Of);
  if (at(TokenKind::Identifier) && !at(TokenKind::Less, 1)) type->elementName = next().text;
  type->inner = parseType();
  return type;
}

// "{" entries "}" of SEQUENCE, SET (components) or CHOICE (alternatives).
void Parser::parseComponentList(AstType &type, bool choice) {
  expect(TokenKind::LeftBrace, "'{'");
  if (accept(TokenKind::RightBrace)) return;
  do {
    parseComponent(type, choice);
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RightBrace, "',' or '}'");
}

void Parser::parseComponent(AstType &type, bool choice) {
  ComponentEntry entry;
  const Token &first = peek();
  entry.pos = posOf(first);
  if (at(TokenKind::Ellipsis)) {
    next();
    skipExceptionSpec();
    entry.kind = ComponentEntry::Kind::Ellipsis;
    type.components.push_back(std::move(entry));
    return;
  }
  if (at(TokenKind::LeftVersion)) {
    next();
    entry.kind = ComponentEntry::Kind::BracketOpen;
    type.components.push_back(std::move(entry));
    if (at(TokenKind::Number) && at(TokenKind::Colon, 1)) {
      next();
      next();
    }
    do {
      if (at(TokenKind::Ellipsis) || at(TokenKind::LeftVersion))
        failExpected(choice ? "an alternative" : "a component");
      parseComponent(type, choice);
    } while (accept(TokenKind::Comma));
    ComponentEntry close;
    close.kind = ComponentEntry::Kind::BracketClose;
    close.pos = posOf(expect(TokenKind::RightVersion, "']]'"));
    type.components.push_back(std::move(close));
    return;
  }
  if (!choice && atKeyword(Keyword::Components) && atKeyword(Keyword::Of, 1)) {
    next();
    next();
    entry.kind = ComponentEntry::Kind::ComponentsOf;
    entry.type = parseType();
    type.components.push_back(std::move(entry));
    return;
  }
  entry.name = expect(TokenKind::Identifier, choice ? "an alternative" : "a component").text;
  entry.type = parseType();
  if (!choice) {
    if (acceptKeyword(Keyword::Optional)) {
      entry.optional = true;
    } else if (acceptKeyword(Keyword::Default)) {
      entry.defaultValue = skipValue();
    }
  }
  type.components.push_back(std::move(entry));
}

// "{" identifier "(" SignedNumber | DefinedValue ")" , ... "}"
std::vector<ast::NamedNumber> Parser::parseNamedNumbers() {
  std::vector<ast::NamedNumber> named;
  next();
  do {
    const Token &name = expect(TokenKind::Identifier, "a name");
    ast::NamedNumber number{name.text, posOf(name), {}};
    expect(TokenKind::LeftParen, "'('");
    number.value = skipValue();
    expect(TokenKind::RightParen, "')'");
    named.push_back(number);
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RightBrace, "',' or '}'");
  return named;
}

// "{" Enumeration ["," "..." ExceptionSpec ["," AdditionalEnumeration]] "}"
void Parser::parseEnumerations(AstType &type) {
  expect(TokenKind::LeftBrace, "'{'");
  do {
    if (at(TokenKind::Ellipsis)) {
      if (type.extensible) fail(peek(), "ENUMERATED has one extension marker at most");
      next();
      skipExceptionSpec();
      type.extensible = true;
      continue;
    }
    const Token &name = expect(TokenKind::Identifier, "an enumerator");
    ast::NamedNumber item{name.text, posOf(name), {}};
    if (accept(TokenKind::LeftParen)) {
      item.value = skipValue();
      expect(TokenKind::RightParen, "')'");
    }
    (type.extensible ? type.additions : type.named).push_back(item);
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RightBrace, "',' or '}'");
}

// ExceptionSpec ::= "!" (SignedNumber | DefinedValue | Type ":" Value):
// exception handling is the application's, nothing of it is kept.
void Parser::skipExceptionSpec() {
  if (!accept(TokenKind::Exclamation)) return;
  if (at(TokenKind::Minus) || at(TokenKind::Number) || at(TokenKind::Identifier) ||
      (at(TokenKind::TypeReference) && at(TokenKind::Dot, 1) && at(TokenKind::Identifier, 2))) {
    skipValue();
    return;
  }
  parseType();
  expect(TokenKind::Colon, "':'");
  skipValue();
}

// ActualParameterList ::= "{" ActualParameter ("," ActualParameter)* "}":
// each one a token range, read once the dummy's kind is known.
std::vector<ast::TokenRange> Parser::parseActualParameters() {
  std::vector<ast::TokenRange> arguments;
  const ast::TokenRange all = skipBraces();
  uint32_t start = all.begin + 1;
  int depth = 0;
  for (uint32_t i = all.begin + 1; i + 1 < all.end; ++i) {
    switch (tokens_[i].kind) {
      case TokenKind::LeftBrace:
      case TokenKind::LeftParen:
      case TokenKind::LeftBracket: ++depth; break;
      case TokenKind::RightBrace:
      case TokenKind::RightParen:
      case TokenKind::RightBracket: --depth; break;
      case TokenKind::LeftVersion: depth += 2; break;
      case TokenKind::RightVersion: depth -= 2; break;
      case TokenKind::Comma:
        if (depth == 0) {
          arguments.push_back({start, i});
          start = i + 1;
        }
        break;
      default: break;
    }
  }
  arguments.push_back({start, all.end - 1});
  for (const ast::TokenRange &argument : arguments)
    if (argument.empty()) fail(tokens_[argument.begin], "an actual parameter is empty");
  return arguments;
}

}  // namespace zurasn1
