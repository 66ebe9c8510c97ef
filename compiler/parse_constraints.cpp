// Constraints (X.680 49-51, X.682) and the extent of values, whose
// notation is read later, once their type is known.
#include "compiler/parser.h"

namespace zurasn1 {

using ast::ElementSet;
using ast::ElementSetPtr;

// Constraint ::= "(" ConstraintSpec ExceptionSpec ")"
ast::Constraint Parser::parseConstraint() {
  DepthGuard guard(*this);
  expect(TokenKind::LeftParen, "'('");
  ast::Constraint constraint;
  constraint.pos = posOf(peek());
  if (acceptKeyword(Keyword::Constrained)) {
    expectKeyword(Keyword::By);
    if (!at(TokenKind::LeftBrace)) failExpected("'{'");
    skipBraces();
    constraint.kind = ast::Constraint::Kind::UserDefined;
  } else if (acceptKeyword(Keyword::Containing)) {
    constraint.kind = ast::Constraint::Kind::Containing;
    constraint.contained = parseType();
    if (acceptKeyword(Keyword::Encoded)) {
      expectKeyword(Keyword::By);
      skipValue();
    }
  } else if (acceptKeyword(Keyword::Encoded)) {
    constraint.kind = ast::Constraint::Kind::Containing;
    expectKeyword(Keyword::By);
    skipValue();
  } else if (at(TokenKind::LeftBrace)) {
    // "({Set})", "({Set}{@a})", or a value in braces that starts an element set.
    const uint32_t start = pos_;
    const ast::TokenRange braced = skipBraces();
    if (at(TokenKind::LeftBrace) && at(TokenKind::At, 1)) {
      constraint.kind = ast::Constraint::Kind::ComponentRelation;
      constraint.braced = braced;
      next();
      do {
        ast::AtNotation path;
        path.pos = posOf(expect(TokenKind::At, "'@'"));
        for (;;) {
          if (accept(TokenKind::Dot)) path.level += 1;
          else if (accept(TokenKind::Range)) path.level += 2;
          else if (accept(TokenKind::Ellipsis)) path.level += 3;
          else break;
        }
        do {
          path.components.push_back(expect(TokenKind::Identifier, "a component name").text);
        } while (accept(TokenKind::Dot));
        constraint.relation.push_back(std::move(path));
      } while (accept(TokenKind::Comma));
      expect(TokenKind::RightBrace, "'}'");
    } else if (at(TokenKind::RightParen)) {
      constraint.kind = ast::Constraint::Kind::Braced;
      constraint.braced = braced;
    } else {
      pos_ = start;
      parseElementSets(constraint);
    }
  } else {
    parseElementSets(constraint);
  }
  skipExceptionSpec();
  expect(TokenKind::RightParen, "')'");
  return constraint;
}

ast::Constraint Parser::parseValueSet() {
  expect(TokenKind::LeftBrace, "'{'");
  ast::Constraint constraint;
  constraint.pos = posOf(peek());
  parseElementSets(constraint);
  expect(TokenKind::RightBrace, "'}'");
  return constraint;
}

// ElementSetSpecs ::= Root ["," "..." ["," Additional]]
void Parser::parseElementSets(ast::Constraint &constraint) {
  constraint.kind = ast::Constraint::Kind::ElementSets;
  constraint.root = parseUnions();
  if (at(TokenKind::Comma) && at(TokenKind::Ellipsis, 1)) {
    next();
    next();
    constraint.extensible = true;
    if (accept(TokenKind::Comma)) constraint.additions = parseUnions();
  }
}

// Unions ::= Intersections (("|" | UNION) Intersections)*
ElementSetPtr Parser::parseUnions() {
  if (atKeyword(Keyword::All)) fail(peek(), "ALL EXCEPT is not supported");
  ElementSetPtr first = parseIntersections();
  if (!at(TokenKind::Bar) && !atKeyword(Keyword::Union)) return first;
  auto set = std::make_unique<ElementSet>();
  set->kind = ElementSet::Kind::Union;
  set->pos = first->pos;
  set->operands.push_back(std::move(first));
  while (accept(TokenKind::Bar) || acceptKeyword(Keyword::Union))
    set->operands.push_back(parseIntersections());
  return set;
}

// Intersections ::= Elements (("^" | INTERSECTION) Elements)*
ElementSetPtr Parser::parseIntersections() {
  ElementSetPtr first = parseElements();
  if (!at(TokenKind::Caret) && !atKeyword(Keyword::Intersection)) {
    if (atKeyword(Keyword::Except)) fail(peek(), "EXCEPT is not supported");
    return first;
  }
  auto set = std::make_unique<ElementSet>();
  set->kind = ElementSet::Kind::Intersection;
  set->pos = first->pos;
  set->operands.push_back(std::move(first));
  while (accept(TokenKind::Caret) || acceptKeyword(Keyword::Intersection))
    set->operands.push_back(parseElements());
  if (atKeyword(Keyword::Except)) fail(peek(), "EXCEPT is not supported");
  return set;
}

// Where a type starts, in an element set: a contained subtype.
bool Parser::atTypeStart() const {
  const Token &token = peek();
  if (token.kind == TokenKind::TypeReference)
    return !(at(TokenKind::Dot, 1) && at(TokenKind::Identifier, 2)) && !at(TokenKind::Colon, 1);
  if (token.kind == TokenKind::LeftBracket) return true;
  if (token.kind != TokenKind::Keyword) return false;
  switch (token.keyword) {
    case Keyword::AbstractSyntax:
    case Keyword::Bit:
    case Keyword::BmpString:
    case Keyword::Boolean:
    case Keyword::Character:
    case Keyword::Choice:
    case Keyword::Date:
    case Keyword::DateTime:
    case Keyword::Duration:
    case Keyword::Embedded:
    case Keyword::Enumerated:
    case Keyword::External:
    case Keyword::GeneralizedTime:
    case Keyword::GeneralString:
    case Keyword::GraphicString:
    case Keyword::Ia5String:
    case Keyword::Instance:
    case Keyword::Integer:
    case Keyword::Iso646String:
    case Keyword::NumericString:
    case Keyword::Object:
    case Keyword::ObjectDescriptor:
    case Keyword::Octet:
    case Keyword::OidIri:
    case Keyword::PrintableString:
    case Keyword::Real:
    case Keyword::RelativeOid:
    case Keyword::RelativeOidIri:
    case Keyword::Sequence:
    case Keyword::Set:
    case Keyword::T61String:
    case Keyword::TeletexString:
    case Keyword::Time:
    case Keyword::TimeOfDay:
    case Keyword::TypeIdentifier:
    case Keyword::UniversalString:
    case Keyword::UtcTime:
    case Keyword::Utf8String:
    case Keyword::VideotexString:
    case Keyword::VisibleString: return true;
    default: return false;  // NULL too: here a value, as the NULL type has no subtype but itself
  }
}

// Elements ::= SubtypeElements | "(" ElementSetSpec ")"
ElementSetPtr Parser::parseElements() {
  DepthGuard guard(*this);
  auto element = std::make_unique<ElementSet>();
  const Token &first = peek();
  element->pos = posOf(first);
  if (accept(TokenKind::LeftParen)) {
    ElementSetPtr inner = parseUnions();
    expect(TokenKind::RightParen, "')'");
    return inner;
  }
  if (first.kind == TokenKind::Keyword) {
    switch (first.keyword) {
      case Keyword::Size:
      case Keyword::From:
        next();
        element->kind = first.keyword == Keyword::Size ? ElementSet::Kind::Size : ElementSet::Kind::From;
        element->inner = std::make_unique<ast::Constraint>(parseConstraint());
        return element;
      case Keyword::With: return parseInnerTypeConstraints(next());
      case Keyword::Pattern:
        next();
        element->kind = ElementSet::Kind::Pattern;
        element->value = skipValue();
        return element;
      case Keyword::Settings: fail(first, "property settings are not supported");
      case Keyword::Includes:
        next();
        element->kind = ElementSet::Kind::Contained;
        element->type = parseType();
        return element;
      default: break;
    }
  }
  if (atTypeStart()) {
    element->kind = ElementSet::Kind::Contained;
    element->type = parseType();
    return element;
  }
  element->kind = ElementSet::Kind::Value;
  if (acceptKeyword(Keyword::Min))
    element->lowerMin = true;
  else
    element->value = skipValue();
  if (at(TokenKind::Less) && at(TokenKind::Range, 1)) {
    next();
    element->lowerOpen = true;
  }
  if (accept(TokenKind::Range)) {
    element->kind = ElementSet::Kind::Range;
    element->upperOpen = accept(TokenKind::Less);
    if (acceptKeyword(Keyword::Max))
      element->upperMax = true;
    else
      element->upper = skipValue();
  } else if (element->lowerMin || element->lowerOpen) {
    failExpected("'..'");
  }
  return element;
}

// WITH COMPONENT Constraint | WITH COMPONENTS "{" ["..." ","] TypeConstraints "}"
ElementSetPtr Parser::parseInnerTypeConstraints(const Token &with) {
  auto element = std::make_unique<ElementSet>();
  element->kind = ElementSet::Kind::InnerType;
  element->pos = posOf(with);
  if (acceptKeyword(Keyword::Component)) {
    parseConstraint();
    return element;
  }
  expectKeyword(Keyword::Components);
  expect(TokenKind::LeftBrace, "'{'");
  if (accept(TokenKind::Ellipsis)) expect(TokenKind::Comma, "','");
  do {
    const Token &name = expect(TokenKind::Identifier, "a component name");
    element->components.emplace_back(name.text, posOf(name));
    if (at(TokenKind::LeftParen)) parseConstraint();
    if (!acceptKeyword(Keyword::Present) && !acceptKeyword(Keyword::Absent))
      acceptKeyword(Keyword::Optional);
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RightBrace, "',' or '}'");
  return element;
}

ast::TokenRange Parser::skipBraces() {
  const uint32_t begin = pos_;
  expect(TokenKind::LeftBrace, "'{'");
  for (int depth = 1; depth > 0;) {
    if (atEnd()) fail(tokens_[begin], "'{' is not closed");
    const TokenKind kind = next().kind;
    if (kind == TokenKind::LeftBrace) ++depth;
    if (kind == TokenKind::RightBrace) --depth;
  }
  return {begin, pos_};
}

// Value notation: a number, string, TRUE/FALSE/NULL, a braced value, a
// reference (maybe "Module.", maybe with actual parameters or ".&field"),
// "alternative : value" or "Type : value".
ast::TokenRange Parser::skipValue() {
  const uint32_t begin = pos_;
  for (;;) {
    const Token &token = peek();
    switch (token.kind) {
      case TokenKind::LeftBrace: skipBraces(); break;
      case TokenKind::Minus:
        next();
        if (!at(TokenKind::Number) && !at(TokenKind::RealNumber)) failExpected("a number after '-'");
        next();
        break;
      case TokenKind::Number:
      case TokenKind::RealNumber:
      case TokenKind::BString:
      case TokenKind::HString:
      case TokenKind::CString: next(); break;
      case TokenKind::Keyword:
        if (token.keyword == Keyword::Containing) {
          next();
          continue;
        }
        if ((token.keyword == Keyword::Null && at(TokenKind::Colon, 1)) ||
            (token.keyword != Keyword::Null && atTypeStart())) {
          parseType();  // Type : Value, an open type's value
          expect(TokenKind::Colon, "':' after the type of an open type's value");
          continue;
        }
        if (token.keyword != Keyword::True && token.keyword != Keyword::False &&
            token.keyword != Keyword::Null && token.keyword != Keyword::PlusInfinity &&
            token.keyword != Keyword::MinusInfinity && token.keyword != Keyword::NotANumber)
          failExpected("a value");
        next();
        break;
      case TokenKind::Identifier:
      case TokenKind::TypeReference: {
        const bool upper = token.kind == TokenKind::TypeReference;
        next();
        const bool external = upper && at(TokenKind::Dot) && at(TokenKind::Identifier, 1);
        if (external) {
          next();
          next();
        }
        if (at(TokenKind::LeftBrace)) skipBraces();
        while (atFieldReference()) {
          next();
          next();
        }
        if (accept(TokenKind::Colon)) continue;  // CHOICE or open type value
        if (upper && !external) fail(token, "expected a value, found the type '" +
                                                std::string(token.text) + "'");
        break;
      }
      default: failExpected("a value");
    }
    return {begin, pos_};
  }
}

}  // namespace zurasn1
