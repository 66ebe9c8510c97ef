#include "compiler/lexer.h"

#include <array>
#include <cstdio>
#include <unordered_map>

namespace zurasn1 {

Keyword keywordOf(std::string_view text) {
  static const std::unordered_map<std::string_view, Keyword> words = {
#define ZURASN1_KEYWORD_ENTRY(name, spelling) {spelling, Keyword::name},
      ZURASN1_KEYWORDS(ZURASN1_KEYWORD_ENTRY)
#undef ZURASN1_KEYWORD_ENTRY
  };
  auto it = words.find(text);
  return it == words.end() ? Keyword::None : it->second;
}

std::string_view describe(const Token &token) {
  return token.kind == TokenKind::End ? std::string_view("end of file") : token.text;
}

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isLetter(c) || isDigit(c); }
// X.680 12.1.6: white-space and newline characters.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class Lexer {
 public:
  Lexer(std::string_view text, uint32_t file, Diagnostics &diagnostics)
      : text_(text), file_(file), diagnostics_(diagnostics) {
    // A byte-order mark, which editors on Windows write before UTF-8 text,
    // is no part of the module; columns count from after it.
    if (text_.starts_with("\xEF\xBB\xBF")) at_ = lineStart_ = 3;
  }

  std::vector<Token> run() {
    std::vector<Token> tokens;
    tokens.reserve(text_.size() / 6 + 1);
    for (;;) {
      skipSpaceAndComments();
      Token token;
      token.line = line_;
      token.col = col();
      if (at_ >= text_.size()) {
        token.text = text_.substr(text_.size());
        tokens.push_back(token);
        return tokens;
      }
      const std::size_t start = at_;
      token.kind = scan();
      if (token.kind == TokenKind::End) continue;  // reported and skipped
      token.text = text_.substr(start, at_ - start);
      if (token.kind == TokenKind::TypeReference) {
        token.keyword = keywordOf(token.text);
        if (token.keyword != Keyword::None) token.kind = TokenKind::Keyword;
      }
      tokens.push_back(token);
    }
  }

 private:
  char peek(std::size_t ahead = 0) const {
    return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0';
  }
  uint32_t col() const { return static_cast<uint32_t>(at_ - lineStart_ + 1); }
  void advance() {
    if (text_[at_] == '\n') {
      ++line_;
      lineStart_ = at_ + 1;
    }
    ++at_;
  }
  void error(uint32_t line, uint32_t column, std::string what) {
    diagnostics_.error({file_, line, column}, std::move(what));
  }

  void skipSpaceAndComments() {
    while (at_ < text_.size()) {
      if (isSpace(peek())) {
        advance();
      } else if (peek() == '-' && peek(1) == '-') {
        // Up to the next "--" or the end of the line (X.680 12.6.3). A row
        // of hyphens, as modules draw rules, ends with its line whatever
        // its length.
        advance();
        advance();
        std::size_t end = at_;
        while (end < text_.size() && text_[end] == '-') ++end;
        if (end == text_.size() || text_[end] == '\n' || text_[end] == '\r') {
          while (at_ < end) advance();
          continue;
        }
        while (at_ < text_.size() && peek() != '\n' && peek() != '\r' &&
               !(peek() == '-' && peek(1) == '-'))
          advance();
        if (peek() == '-') {
          advance();
          advance();
        }
      } else if (peek() == '/' && peek(1) == '*') {
        skipBlockComment();
      } else {
        return;
      }
    }
  }

  void skipBlockComment() {
    const uint32_t line = line_, column = col();
    int depth = 0;
    do {
      if (peek() == '/' && peek(1) == '*') {
        ++depth;
        advance();
      } else if (peek() == '*' && peek(1) == '/') {
        --depth;
        advance();
      }
      advance();
    } while (depth > 0 && at_ < text_.size());
    if (depth > 0) error(line, column, "unterminated comment");
  }

  // One lexical item from at_; TokenKind::End when the characters there
  // form none (reported, and at least one character skipped).
  TokenKind scan() {
    const char c = peek();
    if (isLetter(c)) {
      advance();
      // Hyphens join letters and digits: never two in a row (a comment), never last.
      while (isAlnum(peek()) || (peek() == '-' && isAlnum(peek(1)))) advance();
      return c >= 'a' && c <= 'z' ? TokenKind::Identifier : TokenKind::TypeReference;
    }
    if (isDigit(c)) return scanNumber();
    switch (c) {
      case '&':
        if (isLetter(peek(1))) {
          advance();
          const bool upper = peek() >= 'A' && peek() <= 'Z';
          scan();
          return upper ? TokenKind::TypeField : TokenKind::ValueField;
        }
        break;
      case '\'':
        return scanBinaryString();
      case '"':
        return scanCharacterString();
      case ':':
        if (peek(1) == ':' && peek(2) == '=') return take(3, TokenKind::Assign);
        return take(1, TokenKind::Colon);
      case '.':
        if (peek(1) == '.' && peek(2) == '.') return take(3, TokenKind::Ellipsis);
        if (peek(1) == '.') return take(2, TokenKind::Range);
        return take(1, TokenKind::Dot);
      case '[':
        return peek(1) == '[' ? take(2, TokenKind::LeftVersion) : take(1, TokenKind::LeftBracket);
      case ']':
        return peek(1) == ']' ? take(2, TokenKind::RightVersion) : take(1, TokenKind::RightBracket);
      case '{': return take(1, TokenKind::LeftBrace);
      case '}': return take(1, TokenKind::RightBrace);
      case '(': return take(1, TokenKind::LeftParen);
      case ')': return take(1, TokenKind::RightParen);
      case ',': return take(1, TokenKind::Comma);
      case ';': return take(1, TokenKind::Semicolon);
      case '|': return take(1, TokenKind::Bar);
      case '^': return take(1, TokenKind::Caret);
      case '<': return take(1, TokenKind::Less);
      case '@': return take(1, TokenKind::At);
      case '!': return take(1, TokenKind::Exclamation);
      case '-': return take(1, TokenKind::Minus);
      default: break;
    }
    const unsigned char byte = static_cast<unsigned char>(c);
    char shown[32];
    if (byte >= 0x21 && byte < 0x7F)
      std::snprintf(shown, sizeof shown, "unexpected character '%c'", c);
    else
      std::snprintf(shown, sizeof shown, "unexpected byte 0x%02X", byte);
    error(line_, col(), shown);
    advance();
    return TokenKind::End;
  }

  TokenKind take(std::size_t count, TokenKind kind) {
    for (std::size_t i = 0; i < count; ++i) advance();
    return kind;
  }

  // number, or realnumber: digits [. digits] [e|E [-] digits] (X.680 12.8, 12.9).
  TokenKind scanNumber() {
    while (isDigit(peek())) advance();
    bool real = false;
    if (peek() == '.' && isDigit(peek(1))) {
      real = true;
      advance();
      while (isDigit(peek())) advance();
    }
    if ((peek() == 'e' || peek() == 'E') &&
        (isDigit(peek(1)) || (peek(1) == '-' && isDigit(peek(2))))) {
      real = true;
      advance();
      if (peek() == '-') advance();
      while (isDigit(peek())) advance();
    }
    if (isLetter(peek())) {
      error(line_, col(), "a number is directly followed by a letter");
      while (isAlnum(peek())) advance();
    }
    return real ? TokenKind::RealNumber : TokenKind::Number;
  }

  // bstring 'digits'B or hstring 'digits'H; white space inside is ignored.
  TokenKind scanBinaryString() {
    const uint32_t line = line_, column = col();
    advance();
    bool binary = true, hex = true;
    while (at_ < text_.size() && peek() != '\'') {
      const char d = peek();
      if (!isSpace(d)) {
        binary = binary && (d == '0' || d == '1');
        hex = hex && (isDigit(d) || (d >= 'A' && d <= 'F') || (d >= 'a' && d <= 'f'));
      }
      advance();
    }
    if (at_ >= text_.size()) {
      error(line, column, "unterminated bstring or hstring");
      return TokenKind::End;
    }
    advance();
    const char suffix = peek();
    if (suffix == 'B' && !isAlnum(peek(1))) {
      advance();
      if (binary) return TokenKind::BString;
      error(line, column, "a bstring holds only the digits 0 and 1");
      return TokenKind::End;
    }
    if (suffix == 'H' && !isAlnum(peek(1))) {
      advance();
      if (hex) return TokenKind::HString;
      error(line, column, "an hstring holds only the digits 0-9 and A-F");
      return TokenKind::End;
    }
    error(line, column, "expected B or H after the closing quote of a bstring or hstring");
    return TokenKind::End;
  }

  // "text" where "" stands for one quote (X.680 12.14).
  TokenKind scanCharacterString() {
    const uint32_t line = line_, column = col();
    advance();
    for (;;) {
      if (at_ >= text_.size()) {
        error(line, column, "unterminated cstring");
        return TokenKind::End;
      }
      if (peek() == '"') {
        advance();
        if (peek() != '"') return TokenKind::CString;
      }
      advance();
    }
  }

  std::string_view text_;
  uint32_t file_;
  Diagnostics &diagnostics_;
  std::size_t at_ = 0;
  std::size_t lineStart_ = 0;
  uint32_t line_ = 1;
};

}  // namespace

std::vector<Token> lex(std::string_view text, uint32_t file, Diagnostics &diagnostics) {
  return Lexer(text, file, diagnostics).run();
}

}  // namespace zurasn1
