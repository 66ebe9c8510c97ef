// Information object class definitions (X.681 9 and 10): fields and the
// WITH SYNTAX list of their defined syntax.
#include "compiler/parser.h"

namespace zurasn1 {

namespace {

// A word of a defined syntax (X.681 10.6): capitals, digits and hyphens,
// and not one of the reserved words that start a type or value.
bool forbiddenWord(Keyword keyword) {
  switch (keyword) {
    case Keyword::Bit:
    case Keyword::Boolean:
    case Keyword::Character:
    case Keyword::Choice:
    case Keyword::Date:
    case Keyword::DateTime:
    case Keyword::Duration:
    case Keyword::Embedded:
    case Keyword::End:
    case Keyword::Enumerated:
    case Keyword::External:
    case Keyword::False:
    case Keyword::Instance:
    case Keyword::Integer:
    case Keyword::Intersection:
    case Keyword::MinusInfinity:
    case Keyword::Null:
    case Keyword::Object:
    case Keyword::Octet:
    case Keyword::PlusInfinity:
    case Keyword::Real:
    case Keyword::RelativeOid:
    case Keyword::Sequence:
    case Keyword::Set:
    case Keyword::Time:
    case Keyword::TimeOfDay:
    case Keyword::True:
    case Keyword::Union: return true;
    default: return false;
  }
}

bool allCapitals(std::string_view text) {
  for (char c : text)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) return false;
  return true;
}

}  // namespace

// ObjectClassDefn ::= CLASS "{" FieldSpec ("," FieldSpec)* "}" [WITH SYNTAX SyntaxList]
ast::ClassDefinition Parser::parseClassDefinition() {
  ast::ClassDefinition definition;
  expectKeyword(Keyword::Class);
  expect(TokenKind::LeftBrace, "'{'");
  do {
    definition.fields.push_back(parseFieldSpec());
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RightBrace, "',' or '}'");
  if (atKeyword(Keyword::With) && atKeyword(Keyword::Syntax, 1)) {
    next();
    next();
    definition.hasSyntax = true;
    definition.syntax = parseSyntaxList();
  }
  return definition;
}

// TypeFieldSpec, FixedTypeValueFieldSpec, VariableTypeValueFieldSpec,
// FixedTypeValueSetFieldSpec, VariableTypeValueSetFieldSpec,
// ObjectFieldSpec and ObjectSetFieldSpec (X.681 9.2-9.12). Which one a
// "&name Governor" is depends on the governor, a type or a class.
ast::FieldSpec Parser::parseFieldSpec() {
  ast::FieldSpec field;
  const Token &name = peek();
  if (!at(TokenKind::TypeField) && !at(TokenKind::ValueField)) failExpected("a field");
  next();
  field.name = name.text;
  field.pos = posOf(name);
  const bool typeField = name.kind == TokenKind::TypeField;
  const bool bare = at(TokenKind::Comma) || at(TokenKind::RightBrace) ||
                    atKeyword(Keyword::Optional) || atKeyword(Keyword::Default);
  if (typeField && bare) {
    if (acceptKeyword(Keyword::Optional)) {
      field.optional = true;
    } else if (acceptKeyword(Keyword::Default)) {
      const uint32_t begin = pos_;
      parseType();
      field.defaultSetting = {begin, pos_};
    }
    return field;
  }
  if (at(TokenKind::TypeField)) {
    field.typeField = next().text;
  } else {
    field.type = parseType();
  }
  if (!typeField && acceptKeyword(Keyword::Unique)) field.unique = true;
  if (acceptKeyword(Keyword::Optional)) {
    field.optional = true;
  } else if (acceptKeyword(Keyword::Default)) {
    field.defaultSetting = typeField ? skipBraces() : skipValue();
  }
  return field;
}

namespace {

// The tokens of a syntax list with "[[" and "]]" split into two brackets
// each: in a defined syntax they are nested optional groups.
struct SyntaxSymbol {
  TokenKind kind;
  const Token *token;
};

class SyntaxListReader {
 public:
  SyntaxListReader(Parser &parser, std::vector<SyntaxSymbol> symbols)
      : parser_(parser), symbols_(std::move(symbols)) {}

  std::vector<ast::SyntaxItem> read() {
    std::vector<ast::SyntaxItem> items = readGroup();
    if (at_ < symbols_.size()) parser_.fail(*symbols_[at_].token, "']' without a '['");
    return items;
  }

 private:
  // TokenOrGroupSpec* up to a "]" or the end.
  std::vector<ast::SyntaxItem> readGroup() {
    Parser::DepthGuard guard(parser_);
    std::vector<ast::SyntaxItem> items;
    while (at_ < symbols_.size() && symbols_[at_].kind != TokenKind::RightBracket) {
      const SyntaxSymbol symbol = symbols_[at_++];
      const Token &token = *symbol.token;
      ast::SyntaxItem item;
      item.pos = parser_.posOf(token);
      item.text = token.text;
      if (symbol.kind == TokenKind::LeftBracket) {
        item.kind = ast::SyntaxItem::Kind::OptionalGroup;
        item.group = readGroup();
        if (at_ == symbols_.size()) parser_.fail(token, "'[' is not closed");
        ++at_;
        if (item.group.empty()) parser_.fail(token, "an optional group of a defined syntax is empty");
      } else if (symbol.kind == TokenKind::TypeField || symbol.kind == TokenKind::ValueField) {
        item.kind = ast::SyntaxItem::Kind::Field;
      } else if (symbol.kind == TokenKind::Comma ||
                 ((symbol.kind == TokenKind::TypeReference || symbol.kind == TokenKind::Keyword) &&
                  allCapitals(token.text) && !forbiddenWord(token.keyword))) {
        item.kind = ast::SyntaxItem::Kind::Literal;
      } else {
        parser_.fail(token, "'" + std::string(token.text) + "' cannot be a word of a defined syntax");
      }
      items.push_back(std::move(item));
    }
    return items;
  }

  Parser &parser_;
  std::vector<SyntaxSymbol> symbols_;
  std::size_t at_ = 0;
};

}  // namespace

// SyntaxList ::= "{" TokenOrGroupSpec+ "}"
std::vector<ast::SyntaxItem> Parser::parseSyntaxList() {
  expect(TokenKind::LeftBrace, "'{'");
  std::vector<SyntaxSymbol> symbols;
  while (!at(TokenKind::RightBrace)) {
    const Token &token = peek();
    if (atEnd()) failExpected("'}' after the syntax");
    next();
    if (token.kind == TokenKind::LeftVersion || token.kind == TokenKind::RightVersion) {
      const TokenKind half = token.kind == TokenKind::LeftVersion ? TokenKind::LeftBracket
                                                                  : TokenKind::RightBracket;
      symbols.push_back({half, &token});
      symbols.push_back({half, &token});
    } else {
      symbols.push_back({token.kind, &token});
    }
  }
  next();
  return SyntaxListReader(*this, std::move(symbols)).read();
}

}  // namespace zurasn1
