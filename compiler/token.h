// The lexical items of X.680 (2021), clause 12, that modules are made of.
#ifndef ZURASN1_TOKEN_H
#define ZURASN1_TOKEN_H

#include <cstdint>
#include <string_view>

namespace zurasn1 {

// Every reserved word of X.680 (2021) 12.38, with its spelling.
#define ZURASN1_KEYWORDS(K)                                                                   \
  K(Absent, "ABSENT") K(AbstractSyntax, "ABSTRACT-SYNTAX") K(All, "ALL")                      \
  K(Application, "APPLICATION") K(Automatic, "AUTOMATIC") K(Begin, "BEGIN") K(Bit, "BIT")     \
  K(BmpString, "BMPString") K(Boolean, "BOOLEAN") K(By, "BY") K(Character, "CHARACTER")       \
  K(Choice, "CHOICE") K(Class, "CLASS") K(Component, "COMPONENT") K(Components, "COMPONENTS") \
  K(Constrained, "CONSTRAINED") K(Containing, "CONTAINING") K(Date, "DATE")                   \
  K(DateTime, "DATE-TIME") K(Default, "DEFAULT") K(Definitions, "DEFINITIONS")                \
  K(Duration, "DURATION") K(Embedded, "EMBEDDED") K(Encoded, "ENCODED")                       \
  K(EncodingControl, "ENCODING-CONTROL") K(End, "END") K(Enumerated, "ENUMERATED")            \
  K(Except, "EXCEPT") K(Explicit, "EXPLICIT") K(Exports, "EXPORTS")                           \
  K(Extensibility, "EXTENSIBILITY") K(External, "EXTERNAL") K(False, "FALSE") K(From, "FROM") \
  K(GeneralizedTime, "GeneralizedTime") K(GeneralString, "GeneralString")                     \
  K(GraphicString, "GraphicString") K(Ia5String, "IA5String") K(Identifier, "IDENTIFIER")     \
  K(Implicit, "IMPLICIT") K(Implied, "IMPLIED") K(Imports, "IMPORTS") K(Includes, "INCLUDES") \
  K(Instance, "INSTANCE") K(Instructions, "INSTRUCTIONS") K(Integer, "INTEGER")               \
  K(Intersection, "INTERSECTION") K(Iso646String, "ISO646String") K(Max, "MAX") K(Min, "MIN") \
  K(MinusInfinity, "MINUS-INFINITY") K(NotANumber, "NOT-A-NUMBER") K(Null, "NULL")            \
  K(NumericString, "NumericString") K(Object, "OBJECT") K(ObjectDescriptor, "ObjectDescriptor") \
  K(Octet, "OCTET") K(Of, "OF") K(OidIri, "OID-IRI") K(Optional, "OPTIONAL")                  \
  K(Pattern, "PATTERN") K(Pdv, "PDV") K(PlusInfinity, "PLUS-INFINITY") K(Present, "PRESENT")  \
  K(PrintableString, "PrintableString") K(Private, "PRIVATE") K(Real, "REAL")                 \
  K(RelativeOid, "RELATIVE-OID") K(RelativeOidIri, "RELATIVE-OID-IRI") K(Sequence, "SEQUENCE") \
  K(Set, "SET") K(Settings, "SETTINGS") K(Size, "SIZE") K(String, "STRING") K(Syntax, "SYNTAX") \
  K(T61String, "T61String") K(Tags, "TAGS") K(TeletexString, "TeletexString") K(Time, "TIME")  \
  K(TimeOfDay, "TIME-OF-DAY") K(True, "TRUE") K(TypeIdentifier, "TYPE-IDENTIFIER")            \
  K(Union, "UNION") K(Unique, "UNIQUE") K(Universal, "UNIVERSAL")                             \
  K(UniversalString, "UniversalString") K(UtcTime, "UTCTime") K(Utf8String, "UTF8String")     \
  K(VideotexString, "VideotexString") K(VisibleString, "VisibleString") K(With, "WITH")

enum class Keyword : uint8_t {
  None,
#define ZURASN1_KEYWORD_ENUM(name, text) name,
  ZURASN1_KEYWORDS(ZURASN1_KEYWORD_ENUM)
#undef ZURASN1_KEYWORD_ENUM
};

// The reserved word spelt `text`, or Keyword::None.
Keyword keywordOf(std::string_view text);

enum class TokenKind : uint8_t {
  End,            // after the last item
  Identifier,     // identifier, valuereference, objectreference: a lower-case initial
  TypeReference,  // typereference, modulereference, objectclassreference, word
  Keyword,
  ValueField,     // &identifier
  TypeField,      // &Typereference
  Number,
  RealNumber,
  BString,        // '0101'B
  HString,        // '0AF'H
  CString,        // "text", quotes included
  Assign,         // ::=
  Range,          // ..
  Ellipsis,       // ...
  LeftVersion,    // [[
  RightVersion,   // ]]
  LeftBrace,
  RightBrace,
  LeftParen,
  RightParen,
  LeftBracket,
  RightBracket,
  Comma,
  Dot,
  Semicolon,
  Colon,
  Bar,
  Caret,
  Less,
  At,
  Exclamation,
  Minus,
};

struct Token {
  TokenKind kind = TokenKind::End;
  Keyword keyword = Keyword::None;  // the reserved word of a Keyword token
  uint32_t line = 0;
  uint32_t col = 0;
  std::string_view text;  // as written, in the module text
};

// How a token reads in a message: its text, or "end of file".
std::string_view describe(const Token &token);

// The value of a Number token's digits, UINT64_MAX for any beyond it: every
// reader compares it with a bound of 2^63 at most, so saturating loses nothing.
inline uint64_t numberOf(const Token &digits) {
  uint64_t n = 0;
  for (char c : digits.text) {
    if (n > (UINT64_MAX - 9) / 10) return UINT64_MAX;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  return n;
}

}  // namespace zurasn1

#endif
