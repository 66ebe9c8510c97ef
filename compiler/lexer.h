// X.680's lexical items (clause 12) with their line and column: the only
// stage that looks at characters.
#ifndef ZURASN1_LEXER_H
#define ZURASN1_LEXER_H

#include <string_view>
#include <vector>

#include "compiler/diagnostics.h"
#include "compiler/token.h"

namespace zurasn1 {

// The tokens of a module file, ending with one TokenKind::End. Comments
// ("--" to the next "--" or the end of the line, "/* */" nested) are
// dropped. What is not a lexical item is reported and skipped.
std::vector<Token> lex(std::string_view text, uint32_t file, Diagnostics &diagnostics);

}  // namespace zurasn1

#endif
