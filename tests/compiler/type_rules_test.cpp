// Types of one-line modules as the model holds them: the tags each tagging
// mode gives, the effective constraints PER sees, extension additions,
// ENUMERATED numbering; and values read by their type.
#include <gtest/gtest.h>

#include "tests/compiler/model_text.h"

namespace {

struct Row {
  const char *defaults, *body, *text;  // `text`: the type of PDU T
};

void check(const Row &row) {
  const zurtest::Compiled compiled = zurtest::compileModule(row.defaults, row.body);
  ASSERT_TRUE(compiled.model) << row.body << "\n" << compiled.diagnostics;
  EXPECT_EQ(zurtest::pduText(*compiled.model, "T"), row.text) << row.defaults << ": " << row.body;
}

TEST(CompilerTypeRules, Tags) {
  const Row rows[] = {
      {"", "T ::= [0] INTEGER", "[C0e] [U2] INTEGER"},
      {"IMPLICIT TAGS", "T ::= [0] INTEGER", "[C0] INTEGER"},
      {"IMPLICIT TAGS", "T ::= [APPLICATION 3] EXPLICIT BOOLEAN", "[A3e] [U1] BOOLEAN"},
      {"EXPLICIT TAGS", "T ::= [PRIVATE 3] IMPLICIT BOOLEAN", "[P3] BOOLEAN"},
      {"IMPLICIT TAGS", "T ::= [2] [3] INTEGER", "[C2] INTEGER"},
      {"", "T ::= [2] [3] INTEGER", "[C2e] [C3e] [U2] INTEGER"},
      {"IMPLICIT TAGS", "T ::= [UNIVERSAL 12] OCTET STRING", "[U12] OCTET STRING"},
      {"IMPLICIT TAGS", "n INTEGER ::= 9\nT ::= [n] BOOLEAN", "[C9] BOOLEAN"},
      // An untagged CHOICE or open type is tagged explicitly; a tagged
      // CHOICE loses its outer tag to an implicit one, which stays explicit.
      {"IMPLICIT TAGS", "T ::= [1] C\nC ::= CHOICE { a NULL }", "[C1e] CHOICE { a [U5] NULL }"},
      {"IMPLICIT TAGS", "T ::= [1] IMPLICIT C\nC ::= [APPLICATION 2] CHOICE { a NULL }",
       "[C1e] CHOICE { a [U5] NULL }"},
      {"AUTOMATIC TAGS", "T ::= [PRIVATE 7] ANY", "[P7e] open type"},
      // AUTOMATIC TAGS: components and alternatives; none where a tag is
      // written; a parameter tagged explicitly.
      {"AUTOMATIC TAGS", "T ::= SEQUENCE { a INTEGER, b C, c ANY }\nC ::= CHOICE { x NULL }",
       "[U16] SEQUENCE { a [C0] INTEGER, b [C1e] CHOICE { x [C0] NULL }, c [C2e] open type }"},
      {"AUTOMATIC TAGS", "T ::= SEQUENCE { a INTEGER, b [5] BOOLEAN }",
       "[U16] SEQUENCE { a [U2] INTEGER, b [C5] BOOLEAN }"},
      {"AUTOMATIC TAGS", "T ::= SET { a INTEGER, b INTEGER }",
       "[U17] SET { a [C0] INTEGER, b [C1] INTEGER }"},
      {"AUTOMATIC TAGS", "T ::= CHOICE { a NULL, ..., b BOOLEAN, ..., c INTEGER }",
       "CHOICE ... { a [C0] NULL, b +1 [C2] BOOLEAN, c [C1] INTEGER }"},
      {"AUTOMATIC TAGS", "P {X} ::= SEQUENCE { a X }\nT ::= P {INTEGER}",
       "[U16] SEQUENCE { a [C0e] [U2] INTEGER }"},
      {"AUTOMATIC TAGS", "T ::= SEQUENCE { a BOOLEAN, COMPONENTS OF S }\nS ::= SEQUENCE { x [9] INTEGER }",
       "[U16] SEQUENCE { a [C0] BOOLEAN, x [C1] INTEGER }"},
      // A selection takes the alternative's automatic tag, in either order
      // of the assignments (the CHOICE may still be being defined).
      {"AUTOMATIC TAGS", "C ::= CHOICE { x T, y INTEGER, ..., z BOOLEAN }\nT ::= SEQUENCE { s y < C, t z < C, u [9] NULL }",
       "[U16] SEQUENCE { s [C1] INTEGER, t [C2] BOOLEAN, u [C9] NULL }"},
      {"AUTOMATIC TAGS", "T ::= SEQUENCE { s y < C, t z < C, u [9] NULL }\nC ::= CHOICE { x T, y INTEGER, ..., z BOOLEAN }",
       "[U16] SEQUENCE { s [C1] INTEGER, t [C2] BOOLEAN, u [C9] NULL }"},
      {"AUTOMATIC TAGS", "C ::= CHOICE { ..., x T, ..., y INTEGER }\nT ::= SEQUENCE { s y < D, u [9] NULL }\nD ::= [3] C",
       "[U16] SEQUENCE { s [C0] INTEGER, u [C9] NULL }"},
      // EXTERNAL keeps the tags of X.690's SEQUENCE, and no extension
      // marker, in a module of any tagging and extensibility.
      {"AUTOMATIC TAGS EXTENSIBILITY IMPLIED", "T ::= SEQUENCE { a EXTERNAL }",
       "[U16] SEQUENCE ... { a [C0] SEQUENCE { direct-reference OPTIONAL [U6] OBJECT IDENTIFIER, "
       "indirect-reference OPTIONAL [U2] INTEGER, data-value-descriptor OPTIONAL [U7] ObjectDescriptor, "
       "encoding CHOICE { single-ASN1-type [C0e] open type, octet-aligned [C1] OCTET STRING, "
       "arbitrary [C2] BIT STRING } } }"},
      {"IMPLICIT TAGS", "T ::= [APPLICATION 11] EXTERNAL",
       "[A11] SEQUENCE { direct-reference OPTIONAL [U6] OBJECT IDENTIFIER, "
       "indirect-reference OPTIONAL [U2] INTEGER, data-value-descriptor OPTIONAL [U7] ObjectDescriptor, "
       "encoding CHOICE { single-ASN1-type [C0e] open type, octet-aligned [C1] OCTET STRING, "
       "arbitrary [C2] BIT STRING } }"},
      // EMBEDDED PDV and CHARACTER STRING: automatic tags in any module.
      {"EXPLICIT TAGS", "T ::= CHARACTER STRING",
       "[U29] SEQUENCE { identification [C0e] CHOICE { syntaxes [C0] SEQUENCE { abstract [C0] OBJECT IDENTIFIER, "
       "transfer [C1] OBJECT IDENTIFIER }, syntax [C1] OBJECT IDENTIFIER, presentation-context-id [C2] INTEGER, "
       "context-negotiation [C3] SEQUENCE { presentation-context-id [C0] INTEGER, transfer-syntax [C1] OBJECT "
       "IDENTIFIER }, transfer-syntax [C4] OBJECT IDENTIFIER, fixed [C5] NULL }, string-value [C1] OCTET STRING }"},
      // INSTANCE OF: the same tag, an identifier and an explicit [0].
      {"AUTOMATIC TAGS EXTENSIBILITY IMPLIED", "T ::= INSTANCE OF TYPE-IDENTIFIER",
       "[U8] SEQUENCE { type-id [U6] OBJECT IDENTIFIER, value [C0e] open type }"},
  };
  for (const Row &row : rows) check(row);
}

// Selections that come back to an alternative being read ahead, through
// assignments being defined, give the same types in either order.
TEST(CompilerTypeRules, SelectionLoopsInEitherOrder) {
  const std::string assignments[] = {"B ::= CHOICE { a C, b [5] BOOLEAN, c b < T, d c < T }",
                                     "D ::= CHOICE { a [7] d < B, b a < B }",
                                     "C ::= SEQUENCE { a c < T OPTIONAL, ... }",
                                     "T ::= CHOICE { a c < B, b T, c D, d C }"};
  std::string forward, reversed;
  for (int i = 0; i < 4; ++i) {
    forward += assignments[i] + "\n";
    reversed += assignments[3 - i] + "\n";
  }
  const zurtest::Compiled one = zurtest::compileModule("AUTOMATIC TAGS", forward);
  const zurtest::Compiled other = zurtest::compileModule("AUTOMATIC TAGS", reversed);
  ASSERT_TRUE(one.model) << one.diagnostics;
  ASSERT_TRUE(other.model) << other.diagnostics;
  for (const char *name : {"B", "C", "D", "T"})
    EXPECT_EQ(zurtest::pduText(*one.model, name), zurtest::pduText(*other.model, name)) << name;
}

TEST(CompilerTypeRules, EffectiveConstraints) {
  const Row rows[] = {
      {"", "T ::= INTEGER (1 | 5 | 3)", "[U2] INTEGER (1..5)"},
      {"", "T ::= INTEGER (1..5 ^ 3..9)", "[U2] INTEGER (3..5)"},
      {"", "T ::= INTEGER (1<..<5)", "[U2] INTEGER (2..4)"},
      {"", "T ::= INTEGER (MIN..0)", "[U2] INTEGER (MIN..0)"},
      {"", "T ::= INTEGER (0..MAX, ...)", "[U2] INTEGER (0..MAX,...)"},
      {"", "T ::= INTEGER (MIN..MAX)", "[U2] INTEGER"},
      {"", "T ::= INTEGER (1..5, ..., 7)", "[U2] INTEGER (1..5,...)"},
      {"", "T ::= INTEGER { low(1), high(9) } (low..high)", "[U2] INTEGER (1..9) {low=1 high=9}"},
      // Serial constraints: an intersection, extensible as the last one.
      {"", "T ::= S (2..3, ...)\nS ::= INTEGER (0..10, ...)", "[U2] INTEGER (2..3,...)"},
      {"", "T ::= S (2..3)\nS ::= INTEGER (0..10, ...)", "[U2] INTEGER (2..3)"},
      {"", "T ::= S (SIZE (1))\nS ::= IA5String (FROM (\"a\"))", "[U22] IA5String SIZE(1..1) FROM(97-97)"},
      // Contained subtypes and value sets.
      {"", "T ::= INTEGER (S | 20)\nS ::= INTEGER (1..3)", "[U2] INTEGER (1..20)"},
      {"", "T ::= INTEGER (V)\nV INTEGER ::= { 4 | 8 }", "[U2] INTEGER (4..8)"},
      {"", "T ::= INTEGER (INCLUDES S ^ 0..5)\nS ::= INTEGER (2..9)", "[U2] INTEGER (2..5)"},
      // What PER does not see: single string values, sizes of strings
      // that are not known-multiplier, extensible alphabets, CONTAINING,
      // inner subtyping, REAL ranges.
      {"", "T ::= IA5String (SIZE (1..4) | \"abc\")", "[U22] IA5String"},
      {"", "T ::= IA5String (SIZE (1..4) ^ \"abc\")", "[U22] IA5String SIZE(1..4)"},
      {"", "T ::= UTF8String (SIZE (1..4))", "[U12] UTF8String"},
      {"", "T ::= IA5String (FROM (\"a\"..\"z\", ...))", "[U22] IA5String"},
      {"", "T ::= IA5String (FROM (\"a\"..\"z\"), ...)", "[U22] IA5String"},
      {"", "T ::= OCTET STRING (CONTAINING INTEGER)", "[U4] OCTET STRING"},
      {"", "T ::= IA5String (SIZE (1..4) ^ PATTERN \"\\d+\")", "[U22] IA5String SIZE(1..4)"},
      {"", "T ::= IA5String (SIZE (1..4) | PATTERN \"\\d+\")", "[U22] IA5String"},
      {"", "T ::= S (WITH COMPONENTS { ..., a (1..2) })\nS ::= SEQUENCE { a INTEGER }",
       "[U16] SEQUENCE { a [U2] INTEGER }"},
      {"", "T ::= REAL (0..1)", "[U9] REAL"},
      // Sizes and alphabets.
      {"", "T ::= IA5String (SIZE (1..4), ...)", "[U22] IA5String SIZE(1..4,...)"},
      {"", "T ::= IA5String (SIZE (1..4, ...))", "[U22] IA5String SIZE(1..4,...)"},
      {"", "T ::= BIT STRING (SIZE (0..MAX))", "[U3] BIT STRING"},
      {"", "T ::= OCTET STRING (SIZE (0..MAX, ...))", "[U4] OCTET STRING SIZE(0..MAX,...)"},
      {"", "T ::= SEQUENCE SIZE (1..MAX) OF INTEGER (0..7)",
       "[U16] SEQUENCE OF SIZE(1..MAX) [U2] INTEGER (0..7)"},
      {"", "T ::= SET (SIZE (2)) OF BOOLEAN", "[U17] SET OF SIZE(2..2) [U1] BOOLEAN"},
      {"", "T ::= PrintableString (FROM (\"ABC\" | \"XYZ\"))", "[U19] PrintableString FROM(65-67,88-90)"},
      {"", "T ::= BMPString (FROM ({0, 0, 1, 0}..{0, 0, 1, 255}))", "[U30] BMPString FROM(256-511)"},
      {"", "T ::= VisibleString (FROM (\"a\"..\"z\") ^ FROM (\"m\"..\"q\"))", "[U26] VisibleString FROM(109-113)"},
      {"", "T ::= IA5String (SIZE (4) ^ FROM (\"0\"..\"9\") | SIZE (8))", "[U22] IA5String SIZE(4..8)"},
  };
  for (const Row &row : rows) check(row);
}

TEST(CompilerTypeRules, ExtensionsAndEnumerations) {
  const Row rows[] = {
      {"", "T ::= ENUMERATED { a, b(0), c, ..., d, e(7), f }",
       "[U10] ENUMERATED {a=1 b=0 c=2 ... d=3 e=7 f=8} ..."},
      {"", "T ::= ENUMERATED { a(-1), b }", "[U10] ENUMERATED {a=-1 b=0}"},
      {"EXTENSIBILITY IMPLIED", "T ::= ENUMERATED { a }", "[U10] ENUMERATED {a=0} ..."},
      {"EXTENSIBILITY IMPLIED", "T ::= CHOICE { a NULL }", "CHOICE ... { a [U5] NULL }"},
      {"", "T ::= SEQUENCE { a BOOLEAN, ..., [[ b NULL, c NULL ]], d INTEGER, [[ e REAL ]] }",
       "[U16] SEQUENCE ... { a [U1] BOOLEAN, b +1 [U5] NULL, c +1 [U5] NULL, d +2 [U2] INTEGER, "
       "e +3 [U9] REAL }"},
      {"", "T ::= SEQUENCE { a BOOLEAN, ..., COMPONENTS OF S }\nS ::= SEQUENCE { x INTEGER, ..., y NULL }",
       "[U16] SEQUENCE ... { a [U1] BOOLEAN, x +1 [U2] INTEGER }"},
      {"", "T ::= SEQUENCE { a NULL, ... ! 5, b NULL }", "[U16] SEQUENCE ... { a [U5] NULL, b +1 [U5] NULL }"},
  };
  for (const Row &row : rows) check(row);
}

TEST(CompilerTypeRules, Values) {
  const struct {
    const char *body, *value;  // `value`: that of v
  } rows[] = {
      {"v INTEGER ::= -9223372036854775808", "-9223372036854775808"},
      {"v REAL ::= { 1, 2, -2 }", "0.25"},
      {"v REAL ::= { mantissa -3, base 10, exponent 2 }", "-300"},
      // Rounded once from the decimal, not multiplied out; past double's range.
      {"v REAL ::= { mantissa 314159, base 10, exponent -5 }", "3.1415899999999999"},
      {"v REAL ::= { -1, 10, 400 }", "-inf"},
      {"v REAL ::= { 5, 10, -400 }", "0"},
      {"v REAL ::= { 1, 2, 9223372036854775807 }", "inf"},
      {"v REAL ::= 1e400", "inf"},
      {"v REAL ::= -1.5e400", "-inf"},
      {"v REAL ::= -1.5e2", "-150"},
      {"v REAL ::= PLUS-INFINITY", "inf"},
      {"v BIT STRING ::= 'A1'H", "'10100001'B"},
      {"v BIT STRING ::= '1 01'B", "'101'B"},
      // Named bits reach the lower bound of the size with 0 bits.
      {"v BIT STRING { a(0), b(1) } (SIZE(4..8)) ::= { b }", "'0100'B"},
      {"v OCTET STRING ::= '0A1'H", "'0A10'H"},
      {"v OCTET STRING ::= '1'B", "'80'H"},
      {"v OBJECT IDENTIFIER ::= { itu-t recommendation 5 }", "{ 0 0 5 }"},
      {"v OBJECT IDENTIFIER ::= { joint-iso-itu-t ds(5) 27 }", "{ 2 5 27 }"},
      {"v OBJECT IDENTIFIER ::= { itu-t recommendation x 680 }", "{ 0 0 24 680 }"},
      {"v OBJECT IDENTIFIER ::= { 0 0 a }", "{ 0 0 1 }"},
      {"r RELATIVE-OID ::= { 8 9 }\nv OBJECT IDENTIFIER ::= { 1 3 r 4 }", "{ 1 3 8 9 4 }"},
      {"a INTEGER ::= 840\nv OBJECT IDENTIFIER ::= { 1 2 a 3 }", "{ 1 2 840 3 }"},
      {"a INTEGER { n(5) } ::= 7\nv RELATIVE-OID ::= { a 9 }", "{ 7 9 }"},
      {"v IA5String ::= { \"ab\", { 1, 15 }, \"c\" }", "\"ab<U+001F>c\""},
      {"v UniversalString ::= { 0, 0, 1, 2 }", "\"<U+0102>\""},
      {"v UTF8String ::= \"\xC3\xA9t\xC3\xA9\"", "\"<U+00E9>t<U+00E9>\""},
      {"v IA5String ::= \"two  \n    lines\"", "\"twolines\""},
      // Every newline character ends a line, and every white-space character around it goes.
      {"v IA5String ::= \"form \f feed\"", "\"formfeed\""},
      {"v IA5String ::= \"two \v\t\r\n\f lines\"", "\"twolines\""},
      {"v SEQUENCE OF INTEGER ::= { 1, 2, 3 }", "{ 1, 2, 3 }"},
      {"v SET { a INTEGER, b BOOLEAN } ::= { b TRUE, a 1 }", "{ a 1, b TRUE }"},
      {"v CHOICE { a INTEGER, b NULL } ::= b : NULL", "b : NULL"},
      {"v ENUMERATED { x(3), y } ::= y", "0"},
      {"v SEQUENCE { a INTEGER DEFAULT 2, b BOOLEAN OPTIONAL } ::= {}", "{ }"},
      {"v ANY ::= BOOLEAN : TRUE", "TRUE"},
      {"v SEQUENCE { a ANY } ::= { a NULL : NULL }", "{ a NULL }"},
  };
  for (const auto &row : rows) {
    const zurtest::Compiled compiled = zurtest::compileModule("", row.body);
    ASSERT_TRUE(compiled.model) << row.body << "\n" << compiled.diagnostics;
    const zurasn1::Model &model = *compiled.model;
    const auto v = std::find_if(model.values.begin(), model.values.end(),
                                [](const zurasn1::NamedValue &n) { return n.name == "v"; });
    ASSERT_NE(v, model.values.end()) << row.body;
    EXPECT_EQ(zurtest::valueText(*v->value), row.value) << row.body;
  }
}

}  // namespace
