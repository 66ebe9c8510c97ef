// What the compiler says about modules it refuses, exactly: the place and
// the words of every line. A snippet is the body of module M in file
// "t.asn1" (IMPLICIT TAGS), starting on line 2, unless it is whole modules.
#include <gtest/gtest.h>

#include "tests/compiler/model_text.h"

namespace {

std::string diagnose(const std::string &snippet) {
  const std::string text = snippet.find("DEFINITIONS") != std::string::npos
                               ? snippet
                               : "M DEFINITIONS IMPLICIT TAGS ::= BEGIN\n" + snippet + "\nEND\n";
  return zurtest::compile({{"t.asn1", text}}).diagnostics;
}

TEST(CompilerDiagnostics, RefusedModules) {
  const std::string nested = "A ::= INTEGER " + std::string(120, '(');
  const struct {
    const char *snippet, *diagnostics;
  } cases[] = {
      // Lexical items.
      {"A ::= INTEGER #", "t.asn1:2:15: error: unexpected character '#'\n"},
      {"A ::= INTEGER /* never closed", "t.asn1:2:15: error: unterminated comment\n"
                                        "t.asn1:4:1: error: expected END at the end of module M\n"},
      {"a BIT STRING ::= '012'B", "t.asn1:2:18: error: a bstring holds only the digits 0 and 1\n"
                                  "t.asn1:3:1: error: expected a value, found 'END'\n"},
      {"a IA5String ::= \"open", "t.asn1:2:17: error: unterminated cstring\n"
                                 "t.asn1:4:1: error: expected a value, found 'end of file'\n"
                                 "t.asn1:4:1: error: expected END at the end of module M\n"},
      {"A ::= INTEGER (1..2ab)", "t.asn1:2:20: error: a number is directly followed by a letter\n"},
      // Syntax, with recovery at the next assignment.
      {"A ::= SEQUENCE { a INTEGER b BOOLEAN }\nB ::= C",
       "t.asn1:2:28: error: expected ',' or '}', found 'b'\n"
       "t.asn1:3:7: error: unknown reference C\n"},
      {"A ::= [-1] INTEGER", "t.asn1:2:8: error: expected a tag number, found '-'\n"},
      {"M DEFINITIONS ::= BEGIN\nA ::= INTEGER\n",
       "t.asn1:3:1: error: expected END at the end of module M\n"},
      {nested.c_str(), "t.asn1:2:114: error: nesting deeper than 100 levels\n"},
      // Constructs refused by name.
      {"A ::= EXTERNAL", "t.asn1:2:7: error: EXTERNAL is not supported\n"},
      {"A ::= EMBEDDED PDV", "t.asn1:2:7: error: EMBEDDED PDV is not supported\n"},
      {"A ::= CHARACTER STRING", "t.asn1:2:7: error: CHARACTER STRING is not supported\n"},
      {"A ::= SEQUENCE { t TIME, d DATE }", "t.asn1:2:20: error: TIME is not supported\n"
                                            "t.asn1:2:28: error: DATE is not supported\n"},
      {"A ::= INSTANCE OF TYPE-IDENTIFIER", "t.asn1:2:7: error: INSTANCE OF is not supported\n"},
      {"A ::= a < B", "t.asn1:2:7: error: selection types are not supported\n"},
      {"A ::= INTEGER (0..10 EXCEPT 5)", "t.asn1:2:22: error: EXCEPT is not supported\n"},
      {"A ::= IA5String (PATTERN \"a*\")", "t.asn1:2:18: error: PATTERN constraints are not supported\n"},
      // Names.
      {"A ::= B", "t.asn1:2:7: error: unknown reference B\n"},
      {"A ::= Nowhere.B", "t.asn1:2:7: error: unknown module Nowhere\n"},
      {"A ::= INTEGER\nA ::= BOOLEAN", "t.asn1:3:1: error: A is already defined at line 2\n"},
      {"A ::= B\nB ::= A", "t.asn1:2:1: error: A is defined in terms of itself\n"},
      {"A ::= [0] A", "t.asn1:2:7: error: A is defined in terms of itself\n"},
      {"A ::= [0] B\nB ::= [1] A", "t.asn1:2:7: error: A is defined in terms of itself\n"
                                  "t.asn1:3:7: error: B is defined in terms of itself\n"},
      {"C ::= CLASS { &id INTEGER }\nA ::= SEQUENCE { x C }",
       "t.asn1:3:20: error: C is a class, not a type\n"},
      {"M1 DEFINITIONS ::= BEGIN EXPORTS A; A ::= INTEGER B ::= BOOLEAN END\n"
       "M2 DEFINITIONS ::= BEGIN IMPORTS B, C FROM M1; X ::= B END",
       "t.asn1:2:34: error: module M1 does not export B\n"
       "t.asn1:2:37: error: module M1 does not define C\n"},
      {"EXPORTS Z;\nA ::= INTEGER", "t.asn1:2:9: error: Z is exported but neither defined nor imported\n"},
      // Tags.
      {"A ::= [16384] INTEGER", "t.asn1:2:7: error: tag number 16384 is above 16383\n"},
      {"A ::= [0] IMPLICIT CHOICE { a INTEGER }",
       "t.asn1:2:7: error: IMPLICIT cannot tag an untagged CHOICE\n"},
      {"P {T} ::= SEQUENCE { a [0] IMPLICIT T }\nA ::= P {INTEGER}",
       "t.asn1:2:24: error: IMPLICIT cannot tag a parameter\n"},
      {"A ::= SET { a INTEGER, b INTEGER }",
       "t.asn1:2:24: error: components a and b of a SET have the same tag [UNIVERSAL 2]\n"},
      {"A ::= CHOICE { a [0] INTEGER, b [APPLICATION 0] NULL, c [0] BOOLEAN }",
       "t.asn1:2:55: error: alternatives a and c have the same tag [0]\n"},
      {"A ::= CHOICE { a B, b INTEGER }\nB ::= CHOICE { x INTEGER }",
       "t.asn1:2:21: error: alternatives a and b have the same tag [UNIVERSAL 2]\n"},
      {"A ::= SEQUENCE { a INTEGER OPTIONAL, b BOOLEAN OPTIONAL, c INTEGER }",
       "t.asn1:2:58: error: component c has the tag [UNIVERSAL 2] of a, which may be absent before it\n"},
      {"A ::= SEQUENCE { a ANY OPTIONAL, b INTEGER }",
       "t.asn1:2:34: error: a is an untagged open type: its tag may be the tag of b\n"},
      // Components and extensions.
      {"A ::= SEQUENCE { a INTEGER, a BOOLEAN }", "t.asn1:2:29: error: component a is defined twice\n"},
      {"A ::= SEQUENCE { COMPONENTS OF B }\nB ::= SET { a INTEGER }",
       "t.asn1:2:32: error: COMPONENTS OF in a SEQUENCE names a type of the same kind\n"},
      {"A ::= SEQUENCE { [[ a INTEGER ]] }",
       "t.asn1:2:18: error: a version bracket lies between the extension markers\n"},
      {"A ::= CHOICE { a NULL, ..., b INTEGER, ..., c BOOLEAN, ... }",
       "t.asn1:2:56: error: more than two extension markers\n"},
      {"A ::= SEQUENCE { a ANY DEFINED BY b }", "t.asn1:2:20: error: DEFINED BY names no component b\n"},
      // Numbers.
      {"A ::= ENUMERATED { a(2147483648) }",
       "t.asn1:2:20: error: enumerator a has a value beyond 32 bits\n"},
      {"A ::= ENUMERATED { a, b(0) }", ""},  // a takes 1
      {"A ::= ENUMERATED { a(1), b(1) }", "t.asn1:2:26: error: enumerator b has the value 1 of another\n"},
      {"A ::= ENUMERATED { a, ..., b(3), c(2) }",
       "t.asn1:2:34: error: enumerator c is not above the additions before it\n"},
      {"A ::= INTEGER (0..18446744073709551616)",
       "t.asn1:2:19: error: integer 18446744073709551616 is beyond 64 bits\n"},
      {"A ::= INTEGER { a(1), b(1) }", "t.asn1:2:23: error: b and a have the same number 1\n"},
      // Values.
      {"A ::= INTEGER (0..10)\na A ::= 11", "t.asn1:3:9: error: value 11 is outside the type's range 0..10\n"},
      {"A ::= SEQUENCE { a INTEGER (1..3) DEFAULT 4 }",
       "t.asn1:2:43: error: value 4 is outside the type's range 1..3\n"},
      {"A ::= IA5String (SIZE (2))\na A ::= \"abc\"",
       "t.asn1:3:9: error: value of size 3 is outside the type's SIZE 2..2\n"},
      {"a PrintableString ::= \"a*b\"",
       "t.asn1:2:23: error: value has the character U+002A, which its type does not permit\n"},
      {"a INTEGER ::= TRUE", "t.asn1:2:15: error: expected an integer, found 'TRUE'\n"},
      {"b BOOLEAN ::= TRUE\na INTEGER ::= b", "t.asn1:3:15: error: b is a value of BOOLEAN, not of INTEGER\n"},
      {"o OBJECT IDENTIFIER ::= { 3 1 }",
       "t.asn1:2:25: error: the first arc of an OBJECT IDENTIFIER is 0, 1 or 2\n"},
      {"A ::= SEQUENCE { a INTEGER, b BOOLEAN }\nv A ::= { b TRUE }",
       "t.asn1:3:9: error: the value lacks component a\n"},
      // Constraints.
      {"A ::= INTEGER (SIZE (1))", "t.asn1:2:16: error: SIZE applies to strings, SEQUENCE OF and SET OF\n"},
      {"A ::= INTEGER (FROM (\"a\"))", "t.asn1:2:16: error: FROM applies to character string types\n"},
      {"A ::= INTEGER (CONTAINING BOOLEAN)",
       "t.asn1:2:16: error: CONTAINING applies to BIT STRING and OCTET STRING\n"},
      {"A ::= INTEGER (5..1)", "t.asn1:2:16: error: the value range is empty\n"},
      {"A ::= INTEGER (0..5) (7..9)", "t.asn1:2:23: error: value 7 is outside the type's range 0..5\n"},
      {"A ::= SEQUENCE { a INTEGER ({S}{@a}) }", "t.asn1:2:29: error: a table constraint applies to a field of a class\n"},
      // Classes, objects, parameters.
      {"C ::= CLASS { &id INTEGER }\nA ::= C.&x", "t.asn1:3:7: error: class C has no field &x\n"},
      {"C ::= CLASS { &id INTEGER, &T }\no C ::= { &id 1 }",
       "t.asn1:3:9: error: the object lacks &T, which class C requires\n"},
      {"C ::= CLASS { &id INTEGER } WITH SYNTAX { ID &id }\no C ::= { IDENT 1 }",
       "t.asn1:3:11: error: expected 'ID' of the syntax of class C, found 'IDENT'\n"},
      {"C ::= CLASS { &id INTEGER, &T }\nS C ::= { { &id 1, &T NULL } }\n"
       "A ::= SEQUENCE { id C.&id ({S}), v C.&T ({S}{@idd}) }",
       "t.asn1:4:46: error: @ names no component idd\n"},
      {"P {T} ::= SEQUENCE { a T }\nA ::= P {INTEGER, BOOLEAN}",
       "t.asn1:3:7: error: P takes 1 parameter, not 2\n"},
  };
  for (const auto &c : cases) EXPECT_EQ(diagnose(c.snippet), c.diagnostics) << c.snippet;
}

// Names that no module given defines leave out what needs them, in one
// warning; the model keeps, for each assignment left out, the name it
// missed.
TEST(CompilerDiagnostics, LeftOutAssignments) {
  const zurtest::Compiled compiled = zurtest::compile(
      {{"t.asn1",
        "M DEFINITIONS ::= BEGIN\n"
        "IMPORTS X, Y FROM Absent;\n"
        "A ::= SEQUENCE { x X }\n"
        "B ::= SEQUENCE OF A\n"
        "C ::= INTEGER\n"
        "v INTEGER ::= w\n"
        "END\n"}});
  ASSERT_TRUE(compiled.model);
  EXPECT_EQ(compiled.diagnostics,
            "t.asn1:2:9: warning: 3 assignments left out for names of modules not given: X "
            "(Absent), and for names defined nowhere: w\n");
  std::string leftOut;
  for (const zurasn1::LeftOut &l : compiled.model->leftOut)
    leftOut += l.name + ":" + l.missing + "@" + l.missingModule + " ";
  EXPECT_EQ(leftOut, "A:X@Absent B:X@Absent v:w@ ");
  ASSERT_EQ(compiled.model->pdus.size(), 1u);
  EXPECT_EQ(compiled.model->pdus[0].name, "C");
}

}  // namespace
