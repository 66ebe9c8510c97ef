// The parser: one function per production of X.680-X.683, over the tokens
// of one module file (or a range of them, when the resolver reads a value,
// an object or an actual parameter whose notation it now knows). Errors are
// reported with their position; parseModules recovers at the next
// assignment, the other productions throw Parser::Failure after reporting.
#ifndef ZURASN1_PARSER_H
#define ZURASN1_PARSER_H

#include <string>
#include <vector>

#include "compiler/ast.h"
#include "compiler/diagnostics.h"
#include "compiler/token.h"

namespace zurasn1 {

class Parser {
 public:
  // Thrown once an error has been reported.
  struct Failure {};

  // Reads tokens [begin, end) of `tokens`, which ends with TokenKind::End.
  Parser(const std::vector<Token> &tokens, uint32_t file, Diagnostics &diagnostics,
         uint32_t begin = 0, uint32_t end = UINT32_MAX);

  // Every module definition of the file, in order.
  std::vector<ast::Module> parseModules();
  // Value assignments to the end of the tokens, outside any module: values
  // to read in the scope of the modules given with them.
  ast::Module parseValueInput();

  // Productions the resolver reads inside token ranges.
  ast::TypePtr parseType();
  ast::Constraint parseConstraint();
  // ValueSet ::= "{" ElementSetSpecs "}"
  ast::Constraint parseValueSet();
  ast::Reference parseReference();
  ast::ClassDefinition parseClassDefinition();
  // The extent of one value, whatever its type: the value notation is
  // read only once its type is known.
  ast::TokenRange skipValue();
  // The extent of a "{...}" that starts here.
  ast::TokenRange skipBraces();

  // The token cursor, shared with the readers of values and objects.
  const Token &peek(uint32_t ahead = 0) const;
  const Token &next();
  bool at(TokenKind kind, uint32_t ahead = 0) const { return peek(ahead).kind == kind; }
  bool atKeyword(Keyword keyword, uint32_t ahead = 0) const {
    return peek(ahead).kind == TokenKind::Keyword && peek(ahead).keyword == keyword;
  }
  // ".&field" next: a field of a class or object.
  bool atFieldReference() const {
    return at(TokenKind::Dot) && (at(TokenKind::ValueField, 1) || at(TokenKind::TypeField, 1));
  }
  bool accept(TokenKind kind);
  // The comma between two items of a list that `closing` ends: false at the
  // end of the list, an error before `closing` ("expected <item>").
  bool acceptListComma(TokenKind closing, const char *item);
  bool acceptKeyword(Keyword keyword);
  const Token &expect(TokenKind kind, const char *what);
  void expectKeyword(Keyword keyword);
  [[noreturn]] void fail(const Token &token, const std::string &what);
  // "expected <what>, found '<token>'" at the next token.
  [[noreturn]] void failExpected(const char *what);
  SourcePos posOf(const Token &token) const { return {file_, token.line, token.col}; }
  uint32_t position() const { return pos_; }
  bool atEnd() const { return pos_ >= end_; }
  uint32_t file() const { return file_; }
  const std::vector<Token> &tokens() const { return tokens_; }
  Diagnostics &diagnostics() const { return diagnostics_; }

  // Nesting limit of every recursive production: no input exhausts the stack.
  static constexpr int kMaxDepth = 100;
  class DepthGuard {
   public:
    explicit DepthGuard(Parser &parser);
    ~DepthGuard() { --parser_.depth_; }

   private:
    Parser &parser_;
  };

 private:
  ast::Module parseModuleDefinition();
  void parseModuleHeader(ast::Module &module);
  struct PlainArcs {
    std::vector<uint64_t> arcs;
    std::vector<const Token *> written;  // where each arc is
    const Token *other = nullptr;        // the first component of another form
  };
  PlainArcs plainArcs(ast::TokenRange braces, bool warn);
  bool parseBody(ast::Module &module);
  void parseExports(ast::Module &module);
  void parseImports(ast::Module &module);
  ast::Symbol parseSymbol();
  ast::Assignment parseAssignment();
  std::vector<ast::Parameter> parseParameterList();
  void recoverAtNextAssignment(uint32_t failedAt);
  uint32_t assignmentStartBefore(uint32_t assign) const;

  // parse_types.cpp
  ast::TypePtr parseUnconstrainedType();
  ast::TypePtr parseTaggedType();
  ast::TypePtr parseSelectionType();
  ast::TypePtr parseKeywordType();
  ast::TypePtr parseReferencedType();
  ast::TypePtr parseCollection(ast::Type::Kind structure, ast::Type::Kind collection);
  void parseComponentList(ast::Type &type, bool choice);
  void parseComponent(ast::Type &type, bool choice);
  std::vector<ast::NamedNumber> parseNamedNumbers();
  void parseEnumerations(ast::Type &type);
  void skipExceptionSpec();
  std::vector<ast::TokenRange> parseActualParameters();

  // parse_constraints.cpp
  void parseElementSets(ast::Constraint &constraint);
  ast::ElementSetPtr parseUnions();
  ast::ElementSetPtr parseIntersections();
  ast::ElementSetPtr parseElements();
  ast::ElementSetPtr parseInnerTypeConstraints(const Token &with);
  bool atTypeStart() const;

  // parse_classes.cpp
  ast::FieldSpec parseFieldSpec();
  std::vector<ast::SyntaxItem> parseSyntaxList();

  // An error that leaves the syntax intact (a construct refused by name):
  // reading goes on, and the assignment is dropped at its end.
  void refuse(const Token &token, const std::string &what);

  const std::vector<Token> &tokens_;
  uint32_t file_;
  Diagnostics &diagnostics_;
  uint32_t pos_;
  uint32_t end_;
  Token endToken_;
  int depth_ = 0;
  bool refused_ = false;
  uint32_t failedAt_ = 0;  // the index of the token the last failure was at
};

}  // namespace zurasn1

#endif
