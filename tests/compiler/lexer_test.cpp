// X.680's lexical items: comments, strings, numbers and the items of
// several characters, with their places.
#include <gtest/gtest.h>

#include <sstream>

#include "compiler/lexer.h"

namespace {

using namespace zurasn1;

// The tokens as "text" for names and numbers, "kind:text" for the others,
// with the position of the first one.
std::string lexed(const std::string &text) {
  Diagnostics diagnostics;
  diagnostics.addFile("t.asn1");
  const std::vector<Token> tokens = lex(text, 0, diagnostics);
  std::ostringstream out;
  out << tokens.front().line << ":" << tokens.front().col;
  for (const Token &token : tokens) {
    static const char *const kinds[] = {"", "", "", "kw", "vf", "tf", "", "real", "b", "h", "c",
                                        "", "", "", "", "", "", "", "", "", "", "", "", "", "",
                                        "", "", "", "", "", "", ""};
    if (token.kind == TokenKind::End) break;
    const char *kind = kinds[static_cast<int>(token.kind)];
    out << " " << kind << (*kind ? ":" : "") << token.text;
  }
  diagnostics.print(out);
  return out.str();
}

TEST(CompilerLexer, Items) {
  const struct {
    const char *text, *tokens;
  } cases[] = {
      {"a -- to the end\nb -- to the -- c", "1:1 a b c"},
      {"/* one /* nested */ still */ x", "1:30 x"},
      {"-----------\n  y", "2:3 y"},
      {"ub-name a--b", "1:1 ub-name a"},
      {"\"say \"\"hi\"\"\" 'A F'H '0 1'B", "1:1 c:\"say \"\"hi\"\"\" h:'A F'H b:'0 1'B"},
      {"1..2 1.5 2e-3 3.e", "1:1 1 .. 2 real:1.5 real:2e-3 3 . e"},
      {"::= ... [[ ]] [ ] @. !-", "1:1 ::= ... [[ ]] [ ] @ . ! -"},
      {"&Type &id &equality-match", "1:1 tf:&Type vf:&id vf:&equality-match"},
      {"OBJECT-CLASS TYPE-IDENTIFIER BMPString Bmpstring",
       "1:1 OBJECT-CLASS kw:TYPE-IDENTIFIER kw:BMPString Bmpstring"},
      {"\"two\n   lines\"", "1:1 c:\"two\n   lines\""},
      {"\xEF\xBB\xBFM DEFINITIONS", "1:1 M kw:DEFINITIONS"},  // after a byte-order mark
      // Errors, each at its place, and reading goes on.
      {"a # b", "1:1 a bt.asn1:1:3: error: unexpected character '#'\n"},
      {"x\n\x01", "1:1 xt.asn1:2:1: error: unexpected byte 0x01\n"},
      {"'01'X y", "1:5 X yt.asn1:1:1: error: expected B or H after the closing quote of a bstring or hstring\n"},
      {"'0G'H", "1:6t.asn1:1:1: error: an hstring holds only the digits 0-9 and A-F\n"},
      {"/* /* */", "1:9t.asn1:1:1: error: unterminated comment\n"},
  };
  for (const auto &c : cases) EXPECT_EQ(lexed(c.text), c.tokens) << c.text;
}

}  // namespace
