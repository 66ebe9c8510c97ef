// Modules, their header, EXPORTS, IMPORTS and assignments; the token cursor.
#include "compiler/parser.h"

#include <algorithm>

#include "compiler/oid_arc_names.h"

namespace zurasn1 {

using ast::Assignment;
using ast::TokenRange;

Parser::Parser(const std::vector<Token> &tokens, uint32_t file, Diagnostics &diagnostics,
               uint32_t begin, uint32_t end)
    : tokens_(tokens), file_(file), diagnostics_(diagnostics), pos_(begin) {
  const uint32_t last = static_cast<uint32_t>(tokens.size() - 1);  // the End token
  end_ = std::min(end, last);
  endToken_ = tokens[end_];
  endToken_.kind = TokenKind::End;
  endToken_.keyword = Keyword::None;
}

Parser::DepthGuard::DepthGuard(Parser &parser) : parser_(parser) {
  if (++parser_.depth_ > kMaxDepth) {
    --parser_.depth_;  // no destructor runs for a guard that throws
    parser_.fail(parser_.peek(), "nesting deeper than " + std::to_string(kMaxDepth) + " levels");
  }
}

const Token &Parser::peek(uint32_t ahead) const {
  return pos_ + ahead < end_ ? tokens_[pos_ + ahead] : endToken_;
}

const Token &Parser::next() {
  const Token &token = peek();
  if (pos_ < end_) ++pos_;
  return token;
}

bool Parser::accept(TokenKind kind) {
  if (!at(kind)) return false;
  next();
  return true;
}

bool Parser::acceptKeyword(Keyword keyword) {
  if (!atKeyword(keyword)) return false;
  next();
  return true;
}

void Parser::fail(const Token &token, const std::string &what) {
  diagnostics_.error(posOf(token), what);
  failedAt_ = &token >= tokens_.data() && &token < tokens_.data() + tokens_.size()
                  ? static_cast<uint32_t>(&token - tokens_.data())
                  : pos_;
  throw Failure{};
}

bool Parser::acceptListComma(TokenKind closing, const char *item) {
  if (!accept(TokenKind::Comma)) return false;
  if (at(closing)) failExpected(item);
  return true;
}

void Parser::failExpected(const char *what) {
  fail(peek(), std::string("expected ") + what + ", found '" + std::string(describe(peek())) + "'");
}

const Token &Parser::expect(TokenKind kind, const char *what) {
  if (!at(kind)) failExpected(what);
  return next();
}

void Parser::expectKeyword(Keyword keyword) {
  if (atKeyword(keyword)) {
    next();
    return;
  }
  std::string what;
#define ZURASN1_KEYWORD_NAME(name, spelling) \
  if (keyword == Keyword::name) what = spelling;
  ZURASN1_KEYWORDS(ZURASN1_KEYWORD_NAME)
#undef ZURASN1_KEYWORD_NAME
  failExpected(what.c_str());
}

void Parser::refuse(const Token &token, const std::string &what) {
  diagnostics_.error(posOf(token), what);
  refused_ = true;
}

std::vector<ast::Module> Parser::parseModules() {
  std::vector<ast::Module> modules;
  while (!atEnd()) {
    try {
      modules.push_back(parseModuleDefinition());
    } catch (Failure &) {
      // A module whose header cannot be read: nothing of the file after it
      // can be placed.
      break;
    }
  }
  return modules;
}

// ModuleDefinition ::= ModuleIdentifier DEFINITIONS ... "::=" BEGIN ModuleBody END
ast::Module Parser::parseModuleDefinition() {
  ast::Module module;
  module.file = file_;
  module.tokens = &tokens_;
  parseModuleHeader(module);
  if (atKeyword(Keyword::Exports)) {
    try {
      parseExports(module);
    } catch (Failure &) {
      recoverAtNextAssignment(failedAt_);
    }
  }
  if (atKeyword(Keyword::Imports)) {
    try {
      parseImports(module);
    } catch (Failure &) {
      recoverAtNextAssignment(failedAt_);
    }
  }
  if (parseBody(module)) next();  // END
  return module;
}

// Assignments up to END, or for value input up to the end of the tokens;
// false when the module's END is missing.
bool Parser::parseBody(ast::Module &module) {
  while (module.valueInput ? !atEnd() : !atKeyword(Keyword::End)) {
    if (atEnd()) {
      diagnostics_.error(posOf(peek()), "expected END at the end of module " +
                                            std::string(module.name));
      return false;
    }
    if (atKeyword(Keyword::EncodingControl)) {
      diagnostics_.error(posOf(peek()), "encoding control sections are not supported");
      while (!atEnd() && !atKeyword(Keyword::End)) next();
      continue;
    }
    const uint32_t start = pos_;
    refused_ = false;
    Assignment assignment;
    try {
      if (module.valueInput && !at(TokenKind::Identifier)) failExpected("a value assignment (name Type ::= value)");
      assignment = parseAssignment();
      if (refused_) assignment.kind = Assignment::Kind::Broken;
    } catch (Failure &) {
      assignment.kind = Assignment::Kind::Broken;
      const Token &first = tokens_[start];
      if (first.kind == TokenKind::Identifier || first.kind == TokenKind::TypeReference) {
        assignment.name = first.text;
        assignment.pos = posOf(first);
      }
      recoverAtNextAssignment(std::max(failedAt_, start + 1));
    }
    if (!assignment.name.empty()) module.assignments.push_back(std::move(assignment));
  }
  return true;
}

ast::Module Parser::parseValueInput() {
  ast::Module module;
  module.file = file_;
  module.tokens = &tokens_;
  module.valueInput = true;
  parseBody(module);
  return module;
}

void Parser::parseModuleHeader(ast::Module &module) {
  const Token &name = expect(TokenKind::TypeReference, "a module name");
  module.name = name.text;
  module.pos = posOf(name);
  if (at(TokenKind::LeftBrace)) {
    const Token &open = peek();
    PlainArcs oid = plainArcs(skipBraces(), true);
    if (oid.other != nullptr && oid.other->kind == TokenKind::Number)
      diagnostics_.error(posOf(*oid.other), "integer " + std::string(oid.other->text) + " is beyond 64 bits");
    else if (oid.other != nullptr)
      diagnostics_.error(posOf(*oid.other), "a module's OBJECT IDENTIFIER gives each arc as a number, "
                                            "name(number) or a name X.660 gives that arc");
    else if (oid.arcs.size() < 2)
      diagnostics_.error(posOf(open), kTooFewArcs);
    else if (const auto fault = firstArcsFault(oid.arcs))
      diagnostics_.error(posOf(*oid.written[fault->arc]), fault->why);
    else
      module.oid = std::move(oid.arcs);
    if (at(TokenKind::CString)) next();  // its IRI
  }
  expectKeyword(Keyword::Definitions);
  if (at(TokenKind::TypeReference) && atKeyword(Keyword::Instructions, 1))
    fail(peek(), "encoding instructions are not supported");
  if (atKeyword(Keyword::Explicit) || atKeyword(Keyword::Implicit) ||
      atKeyword(Keyword::Automatic)) {
    const Keyword mode = next().keyword;
    module.tagDefault = mode == Keyword::Explicit   ? ast::TagDefault::Explicit
                        : mode == Keyword::Implicit ? ast::TagDefault::Implicit
                                                    : ast::TagDefault::Automatic;
    expectKeyword(Keyword::Tags);
  }
  if (acceptKeyword(Keyword::Extensibility)) {
    expectKeyword(Keyword::Implied);
    module.extensibilityImplied = true;
  }
  expect(TokenKind::Assign, "'::='");
  expectKeyword(Keyword::Begin);
}

// The arcs of "{...}" written as a module header writes them: numbers,
// name(number), and names X.660 gives the arc there; up to the first
// component of another form. With `warn`, a name(number) whose name X.660
// gives another arc is reported.
Parser::PlainArcs Parser::plainArcs(TokenRange braces, bool warn) {
  PlainArcs oid;
  const uint32_t end = braces.end - 1;  // at '}'
  // As integers elsewhere: an arc beyond INT64_MAX is reported by the caller.
  auto number = [](const Token &digits, uint64_t &arc) {
    arc = numberOf(digits);
    return arc <= uint64_t{INT64_MAX};
  };
  for (uint32_t i = braces.begin + 1; i < end;) {
    const Token &component = tokens_[i];
    uint64_t arc = 0;
    if (component.kind == TokenKind::Number && number(component, arc)) {
      i += 1;
    } else if (component.kind == TokenKind::Identifier && i + 3 < braces.end &&
               tokens_[i + 1].kind == TokenKind::LeftParen && tokens_[i + 2].kind == TokenKind::Number &&
               tokens_[i + 3].kind == TokenKind::RightParen && number(tokens_[i + 2], arc)) {
      if (uint64_t named; warn && namedArc(oid.arcs, component.text, named) && named != arc)
        diagnostics_.warning(posOf(component), misnamedArc(component.text, named, arc));
      i += 4;
    } else if (component.kind != TokenKind::Identifier || !namedArc(oid.arcs, component.text, arc)) {
      oid.other = &component;
      break;
    } else {
      i += 1;
    }
    oid.arcs.push_back(arc);
    oid.written.push_back(&component);
  }
  return oid;
}

// Symbol ::= Reference | ParameterizedReference ("Name{}")
ast::Symbol Parser::parseSymbol() {
  if (!at(TokenKind::Identifier) && !at(TokenKind::TypeReference)) failExpected("a reference");
  const Token &name = next();
  if (at(TokenKind::LeftBrace) && at(TokenKind::RightBrace, 1)) {
    next();
    next();
  }
  return {name.text, posOf(name)};
}

// Exports ::= EXPORTS SymbolsExported ";" | EXPORTS ALL ";"
void Parser::parseExports(ast::Module &module) {
  next();
  if (acceptKeyword(Keyword::All)) {
    expect(TokenKind::Semicolon, "';'");
    return;
  }
  module.exportsAll = false;
  while (!at(TokenKind::Semicolon)) {
    module.exports.push_back(parseSymbol());
    if (!acceptListComma(TokenKind::Semicolon, "a symbol")) break;
  }
  expect(TokenKind::Semicolon, "';'");
}

// Imports ::= IMPORTS (SymbolList FROM GlobalModuleReference)* ";"
void Parser::parseImports(ast::Module &module) {
  next();
  while (!at(TokenKind::Semicolon)) {
    ast::ImportClause clause;
    do {
      clause.symbols.push_back(parseSymbol());
    } while (accept(TokenKind::Comma));
    expectKeyword(Keyword::From);
    const Token &name = expect(TokenKind::TypeReference, "a module name");
    clause.module = name.text;
    clause.modulePos = posOf(name);
    // AssignedIdentifier: an OBJECT IDENTIFIER value, or a DefinedValue
    // when what follows is not the next symbol list.
    if (at(TokenKind::LeftBrace)) {
      clause.oidPos = posOf(peek());
      PlainArcs oid = plainArcs(skipBraces(), false);
      if (oid.other == nullptr) clause.oid = std::move(oid.arcs);
    } else if (at(TokenKind::Identifier) && !at(TokenKind::Comma, 1) &&
               !atKeyword(Keyword::From, 1)) {
      next();
    } else if (at(TokenKind::TypeReference) && at(TokenKind::Dot, 1) &&
               at(TokenKind::Identifier, 2) && !at(TokenKind::Comma, 3) &&
               !atKeyword(Keyword::From, 3)) {
      next();
      next();
      next();
    }
    module.imports.push_back(std::move(clause));
  }
  next();
}

// TypeAssignment, ValueAssignment, ValueSetTypeAssignment,
// ObjectClassAssignment, ObjectAssignment, ObjectSetAssignment and their
// parameterized forms (X.683 8.1).
Assignment Parser::parseAssignment() {
  Assignment assignment;
  const Token &name = peek();
  if (at(TokenKind::Keyword) && at(TokenKind::Assign, 1))
    fail(name, std::string(name.text) + " is a reserved word: a module cannot define it");
  if (!at(TokenKind::Identifier) && !at(TokenKind::TypeReference))
    failExpected("an assignment");
  next();
  assignment.name = name.text;
  assignment.pos = posOf(name);
  if (at(TokenKind::LeftBrace)) {
    assignment.parameterized = true;
    assignment.parameters = parseParameterList();
  }
  if (name.kind == TokenKind::Identifier) {
    assignment.kind = Assignment::Kind::Value;
    assignment.type = parseType();
    expect(TokenKind::Assign, "'::='");
    assignment.value = skipValue();
    return assignment;
  }
  if (!at(TokenKind::Assign)) {
    assignment.kind = Assignment::Kind::Set;
    assignment.type = parseType();
    expect(TokenKind::Assign, "'::='");
    if (!at(TokenKind::LeftBrace)) failExpected("'{'");
    assignment.value = skipBraces();
    return assignment;
  }
  next();
  if (atKeyword(Keyword::Class)) {
    assignment.kind = Assignment::Kind::Class;
    assignment.classDefinition = std::make_unique<ast::ClassDefinition>(parseClassDefinition());
    return assignment;
  }
  assignment.kind = Assignment::Kind::Type;
  assignment.type = parseType();
  return assignment;
}

// ParameterList ::= "{" Parameter ("," Parameter)* "}"
// Parameter ::= ParamGovernor ":" DummyReference | DummyReference
std::vector<ast::Parameter> Parser::parseParameterList() {
  std::vector<ast::Parameter> parameters;
  next();
  do {
    ast::Parameter parameter;
    const bool bare = (at(TokenKind::Identifier) || at(TokenKind::TypeReference)) &&
                      (at(TokenKind::Comma, 1) || at(TokenKind::RightBrace, 1));
    if (!bare) {
      parameter.governor = parseType();
      expect(TokenKind::Colon, "':' after a parameter's governor");
    }
    if (!at(TokenKind::Identifier) && !at(TokenKind::TypeReference)) failExpected("a parameter name");
    const Token &dummy = next();
    parameter.name = dummy.text;
    parameter.pos = posOf(dummy);
    parameters.push_back(std::move(parameter));
  } while (accept(TokenKind::Comma));
  expect(TokenKind::RightBrace, "'}' after the parameters");
  return parameters;
}

// Where the assignment whose "::=" is at `assign` starts: "Name",
// "Name{...}", "name Governor" or "Name Governor". A governor's name is on
// the line of the name it follows.
uint32_t Parser::assignmentStartBefore(uint32_t assign) const {
  auto isName = [&](uint32_t i) {
    return tokens_[i].kind == TokenKind::Identifier || tokens_[i].kind == TokenKind::TypeReference;
  };
  if (assign == 0) return 0;
  uint32_t i = assign - 1;
  if (tokens_[i].kind == TokenKind::RightBrace) {
    for (int depth = 0;; --i) {
      if (tokens_[i].kind == TokenKind::RightBrace) ++depth;
      if (tokens_[i].kind == TokenKind::LeftBrace && --depth == 0) break;
      if (i == 0) return 0;
    }
    if (i == 0) return 0;
    --i;
  }
  // Governors of two keywords: OBJECT IDENTIFIER, OCTET STRING, BIT STRING.
  if (tokens_[i].kind == TokenKind::Keyword && i > 0 && tokens_[i - 1].kind == TokenKind::Keyword)
    --i;
  if (i > 0 && isName(i - 1) && tokens_[i - 1].line == tokens_[i].line) return i - 1;
  return i;
}

// Skips to the start of the assignment after the one that failed: the
// reference before the next "::=", or the END of the module.
void Parser::recoverAtNextAssignment(uint32_t failedAt) {
  for (uint32_t i = failedAt; i < end_; ++i) {
    const Token &token = tokens_[i];
    if (token.kind == TokenKind::Keyword && token.keyword == Keyword::End &&
        (i + 1 >= end_ || (tokens_[i + 1].kind == TokenKind::TypeReference &&
                           i + 2 < end_ &&
                           (tokens_[i + 2].kind == TokenKind::LeftBrace ||
                            (tokens_[i + 2].kind == TokenKind::Keyword &&
                             tokens_[i + 2].keyword == Keyword::Definitions))))) {
      pos_ = i;
      return;
    }
    if (token.kind != TokenKind::Assign) continue;
    const uint32_t start = assignmentStartBefore(i);
    if (start >= failedAt) {
      pos_ = start;
      return;
    }
  }
  pos_ = end_;
}

}  // namespace zurasn1
