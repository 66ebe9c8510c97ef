// What the compiler says about modules it refuses, exactly: the place and
// the words of every line. A snippet is the body of module M in file
// "t.asn1" (IMPLICIT TAGS), starting on line 2, unless it is whole modules.
#include <gtest/gtest.h>

#include <sstream>

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
  std::string selections = "C ::= CHOICE { a INTEGER }\nT ::= ";
  for (int i = 0; i < 120; ++i) selections += "a < ";
  selections += "C";
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
      {"TYPE-IDENTIFIER ::= CLASS { &id OBJECT IDENTIFIER }",
       "t.asn1:2:1: error: TYPE-IDENTIFIER is a reserved word: a module cannot define it\n"},
      {"A ::= INTEGER (1..2ab)", "t.asn1:2:20: error: a number is directly followed by a letter\n"},
      // Syntax, with recovery at the next assignment.
      {"A ::= SEQUENCE { a INTEGER b BOOLEAN }\nB ::= C",
       "t.asn1:2:28: error: expected ',' or '}', found 'b'\n"
       "t.asn1:3:7: error: unknown reference C\n"},
      {"A ::= [-1] INTEGER", "t.asn1:2:8: error: expected a tag number, found '-'\n"},
      {"M DEFINITIONS ::= BEGIN\nA ::= INTEGER\n",
       "t.asn1:3:1: error: expected END at the end of module M\n"},
      {nested.c_str(), "t.asn1:2:114: error: nesting deeper than 100 levels\n"},
      {selections.c_str(), "t.asn1:3:403: error: nesting deeper than 100 levels\n"},
      // Constructs refused by name.
      {"A ::= EMBEDDED PDV (WITH COMPONENTS { ..., identification (WITH COMPONENTS { fixed PRESENT }) })",
       "t.asn1:2:21: error: a constraint on EMBEDDED PDV is not supported\n"},
      {"A ::= SEQUENCE { t TIME, d DATE }", "t.asn1:2:20: error: TIME is not supported\n"
                                            "t.asn1:2:28: error: DATE is not supported\n"},
      {"C ::= CLASS { &code INTEGER }\nA ::= INSTANCE OF C",
       "t.asn1:3:19: error: INSTANCE OF needs a class with the fields &id and &Type, as TYPE-IDENTIFIER has\n"},
      {"A ::= INSTANCE OF TYPE-IDENTIFIER (SIZE (1))",
       "t.asn1:2:36: error: INSTANCE OF takes one constraint, an object set \"({Set})\"\n"},
      {"A ::= a < B\nB ::= SEQUENCE { a NULL }\nC ::= b < D\nD ::= CHOICE { a NULL }",
       "t.asn1:2:11: error: a selection type selects from a CHOICE\n"
       "t.asn1:4:7: error: the CHOICE has no alternative b\n"},
      {"A ::= INTEGER (0..10 EXCEPT 5)", "t.asn1:2:22: error: EXCEPT is not supported\n"},
      {"A ::= INTEGER (PATTERN \"a*\")\nB ::= IA5String (PATTERN 5)",
       "t.asn1:2:16: error: PATTERN applies to character string types\n"
       "t.asn1:3:26: error: expected a cstring, found '5'\n"},
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
      {"A ::= SEQUENCE { a [UNIVERSAL 0] IMPLICIT NULL }",
       "t.asn1:2:20: error: [UNIVERSAL 0] is reserved for the end of contents\n"},
      {"A ::= [0] IMPLICIT CHOICE { a INTEGER }",
       "t.asn1:2:7: error: IMPLICIT cannot tag an untagged CHOICE\n"},
      {"P {T} ::= SEQUENCE { a [0] IMPLICIT T }\nA ::= P {INTEGER}",
       "t.asn1:2:24: error: IMPLICIT cannot tag a parameter\nt.asn1:3:7: note: in this instance of P\n"},
      // One error in a parameterized type, with every instance that met it.
      {"I {T} ::= SEQUENCE { a T (SIZE (1)) }\nO {U} ::= SEQUENCE { i I {U} }\nA ::= O {INTEGER}\n"
       "B ::= O {BOOLEAN}\nv O {REAL} ::= { i { a 0 } }",
       "t.asn1:2:27: error: SIZE applies to strings, SEQUENCE OF and SET OF\n"
       "t.asn1:3:24: note: in this instance of I\nt.asn1:4:7: note: in this instance of O\n"
       "t.asn1:5:7: note: in this instance of O\nt.asn1:6:3: note: in this instance of O\n"},
      // An object of a set instance is left out on its error; the note stays.
      {"C ::= CLASS { &id INTEGER }\nS {C:o} C ::= { o | { &id \"x\" } }\none C ::= { &id 1 }\n"
       "T ::= SEQUENCE { id C.&id ({S {one}}) }",
       "t.asn1:3:27: error: expected an integer, found '\"x\"'\nt.asn1:5:29: note: in this instance of S\n"},
      {"C ::= CHOICE { x SEQUENCE { s x < C } }", "t.asn1:2:31: error: alternative x contains a selection of itself\n"},
      {"A ::= SET { a INTEGER, b INTEGER }",
       "t.asn1:2:24: error: components a and b of a SET have the same tag [UNIVERSAL 2]\n"},
      {"A ::= CHOICE { a [0] INTEGER, b [APPLICATION 0] NULL, c [0] BOOLEAN }",
       "t.asn1:2:55: error: alternatives a and c have the same tag [0]\n"},
      {"A ::= CHOICE { a B, b INTEGER }\nB ::= CHOICE { x INTEGER }",
       "t.asn1:2:21: error: alternatives a and b have the same tag [UNIVERSAL 2]\n"},
      {"A ::= SEQUENCE { a INTEGER OPTIONAL, b BOOLEAN OPTIONAL, c INTEGER }",
       "t.asn1:2:58: error: component c has the tag [UNIVERSAL 2] of a, which may be absent before it\n"},
      {"A ::= SEQUENCE { a NULL, ..., [[ b NULL, c BOOLEAN ]], d BOOLEAN }",
       "t.asn1:2:56: error: component d has the tag [UNIVERSAL 1] of c, which may be absent before it\n"},
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
      // Past 64 bits, as written rather than the saturated number, and past any bound on its side.
      {"A ::= INTEGER (0..MAX)\na A ::= '80000000000000000000'H",
       "t.asn1:3:9: error: value '80000000000000000000'H, which does not fit 64 bits, is outside the type's range "
       "0..MAX\n"},
      {"A ::= INTEGER (MIN..9223372036854775807)\na A ::= '008000000000000000'H",
       "t.asn1:3:9: error: value '008000000000000000'H, which does not fit 64 bits, is outside the type's range "
       "MIN..9223372036854775807\n"},
      {"b INTEGER ::= '7F000000000000000000'H\nc INTEGER (0..10) ::= b",
       "t.asn1:3:23: error: value '7F000000000000000000'H, which does not fit 64 bits, is outside the type's range "
       "0..10\n"},
      {"a INTEGER ::= -1\no OBJECT IDENTIFIER ::= { 1 a }", "t.asn1:3:29: error: a is negative, not an arc\n"},
      // A comma stands between two items of a list, as in types.
      {"a SEQUENCE { x INTEGER } ::= { x 1, }", "t.asn1:2:37: error: expected a component name, found '}'\n"},
      {"a SEQUENCE OF INTEGER ::= { 1, }", "t.asn1:2:32: error: expected a value, found '}'\n"},
      {"a BIT STRING { x(1) } ::= { x, }", "t.asn1:2:32: error: expected a named bit, found '}'\n"},
      {"a IA5String ::= { \"a\", }", "t.asn1:2:24: error: expected a cstring, found '}'\n"},
      {"C ::= CLASS { &id INTEGER }\no C ::= { &id 1, }", "t.asn1:3:18: error: expected a field of the object, found '}'\n"},
      {"EXPORTS A, ;\nA ::= INTEGER", "t.asn1:2:12: error: expected a symbol, found ';'\n"},
      // The mantissa of { m, b, e } is an INTEGER.
      {"a REAL ::= { -0.0, 10, 0 }", "t.asn1:2:15: error: expected an integer mantissa, found '0.0'\n"},
      {"a REAL ::= { mantissa 1.5, base 10, exponent 2 }",
       "t.asn1:2:23: error: expected an integer mantissa, found '1.5'\n"},
      {"A ::= SEQUENCE { a INTEGER (1..3) DEFAULT 4 }",
       "t.asn1:2:43: error: value 4 is outside the type's range 1..3\n"},
      {"A ::= IA5String (SIZE (2))\na A ::= \"abc\"",
       "t.asn1:3:9: error: value of size 3 is outside the type's SIZE 2..2\n"},
      {"a PrintableString ::= \"a*b\"",
       "t.asn1:2:23: error: value has the character U+002A, which its type does not permit\n"},
      {"a INTEGER ::= TRUE", "t.asn1:2:15: error: expected an integer, found 'TRUE'\n"},
      {"a INTEGER ::= b : 5", "t.asn1:2:15: error: b is not a named number of the type\n"},
      {"b BOOLEAN ::= TRUE\na INTEGER ::= b", "t.asn1:3:15: error: b is a value of BOOLEAN, not of INTEGER\n"},
      // The arcs an encoding can hold, each refused where it is written (an
      // arc a reference brings, at the reference).
      {"o OBJECT IDENTIFIER ::= { 3 1 }\np OBJECT IDENTIFIER ::= { 1 }\nq OBJECT IDENTIFIER ::= { 0 40 }\n"
       "n INTEGER ::= 45\nr OBJECT IDENTIFIER ::= { iso n }\nA ::= SEQUENCE { o OBJECT IDENTIFIER DEFAULT { 2 } }\n"
       "C ::= CLASS { &id OBJECT IDENTIFIER }\nx C ::= { &id { 1 } }",
       "t.asn1:2:27: error: the first arc of an OBJECT IDENTIFIER is 0, 1 or 2\n"
       "t.asn1:3:25: error: an OBJECT IDENTIFIER has two arcs at least\n"
       "t.asn1:4:29: error: the second arc under 0 or 1 is below 40\n"
       "t.asn1:6:31: error: the second arc under 0 or 1 is below 40\n"
       "t.asn1:7:46: error: an OBJECT IDENTIFIER has two arcs at least\n"
       "t.asn1:9:15: error: an OBJECT IDENTIFIER has two arcs at least\n"},
      // The number of a named arc is the arc; a name X.660 gives another arc
      // there is warned of (not in a RELATIVE-OID, which is not rooted).
      {"o OBJECT IDENTIFIER ::= { iso(2) 3 }\np OBJECT IDENTIFIER ::= { iso(1) member-body(3) 4 }\n"
       "q OBJECT IDENTIFIER ::= { itu-t recommendation x(5) }\nr OBJECT IDENTIFIER ::= { ccitt(0) 9 }\n"
       "s RELATIVE-OID ::= { iso(2) }",
       "t.asn1:2:27: warning: iso is the name of arc 1, not of 2: the arc is 2\n"
       "t.asn1:3:34: warning: member-body is the name of arc 2, not of 3: the arc is 3\n"
       "t.asn1:4:48: warning: x is the name of arc 24, not of 5: the arc is 5\n"},
      // A module header's OBJECT IDENTIFIER: the same arcs, no value
      // references; an import under another one than the module's own.
      {"A { 1 } DEFINITIONS ::= BEGIN END\nB { 3 1 } DEFINITIONS ::= BEGIN END\n"
       "C { iso(1) 40 } DEFINITIONS ::= BEGIN END\nD { iso id-mod 2 } DEFINITIONS ::= BEGIN END\n"
       "E { 1 18446744073709551616 } DEFINITIONS ::= BEGIN END\nF { iso(2) 3 } DEFINITIONS ::= BEGIN END\n"
       "G { joint-iso-itu-t ds(5) } DEFINITIONS ::= BEGIN EXPORTS x; x INTEGER ::= 1 END\n"
       "H DEFINITIONS ::= BEGIN IMPORTS x FROM G { 2 5 1 }; END\n"
       "I DEFINITIONS ::= BEGIN IMPORTS x FROM G { 2 ds(5) } y FROM J { joint-iso-itu-t j 1 }; j INTEGER ::= 9 END\n"
       "J { 2 9 } DEFINITIONS ::= BEGIN EXPORTS y; y INTEGER ::= 1 END",
       "t.asn1:1:3: error: an OBJECT IDENTIFIER has two arcs at least\n"
       "t.asn1:2:5: error: the first arc of an OBJECT IDENTIFIER is 0, 1 or 2\n"
       "t.asn1:3:12: error: the second arc under 0 or 1 is below 40\n"
       "t.asn1:4:9: error: a module's OBJECT IDENTIFIER gives each arc as a number, name(number) or a "
       "name X.660 gives that arc\n"
       "t.asn1:5:7: error: integer 18446744073709551616 is beyond 64 bits\n"
       "t.asn1:6:5: warning: iso is the name of arc 1, not of 2: the arc is 2\n"
       "t.asn1:8:42: warning: module G is imported as { 2 5 1 }, but its header says { 2 5 }\n"},
      // SignedNumber: no hyphen before zero, wherever an integer is written
      // (REAL's own -0 forms are another matter).
      {"a INTEGER ::= -0\nA ::= INTEGER { a(-0) }\nB ::= INTEGER (-0..5)\nC ::= SEQUENCE { a INTEGER DEFAULT -0 }\n"
       "E ::= ENUMERATED { a(-0) }\nr REAL ::= { 1, 10, -0 }\nv REAL ::= -0",
       "t.asn1:2:15: error: zero is written 0, without a '-'\n"
       "t.asn1:3:19: error: zero is written 0, without a '-'\n"
       "t.asn1:4:16: error: zero is written 0, without a '-'\n"
       "t.asn1:5:36: error: zero is written 0, without a '-'\n"
       "t.asn1:6:22: error: zero is written 0, without a '-'\n"
       "t.asn1:7:21: error: zero is written 0, without a '-'\n"},
      {"A ::= SEQUENCE { a INTEGER, b BOOLEAN }\nv A ::= { b TRUE }",
       "t.asn1:3:9: error: the value lacks component a\n"},
      {"a NumericString ::= \"12a\"",
       "t.asn1:2:21: error: value has the character U+0061, which its type does not permit\n"},
      {"v IA5String ::= 5", "t.asn1:2:17: error: expected a cstring, found '5'\n"},
      {"B ::= BIT STRING { x(0) }\nv B ::= { y }", "t.asn1:3:11: error: y is not a named bit of the type\n"},
      {"v ENUMERATED { a } ::= b", "t.asn1:2:24: error: b is not an enumerator of the type\n"},
      {"A ::= SEQUENCE { a INTEGER, b INTEGER }\nv A ::= { b 1, a 2 }",
       "t.asn1:3:16: error: a comes before the components given before it\n"},
      {"A ::= CHOICE { a NULL }\nv A ::= b : NULL", "t.asn1:3:9: error: b is not an alternative of the type\n"},
      {"v OCTET STRING ::= CONTAINING 5", "t.asn1:2:20: error: CONTAINING values are not supported\n"},
      {"C ::= CLASS { &T, &id INTEGER, &n INTEGER OPTIONAL }\no C ::= { &T NULL, &id 1 }\n"
       "v INTEGER ::= o.&n\nw INTEGER ::= o.&T\nx INTEGER ::= o.&m\ny INTEGER ::= v.&id\nz IA5String ::= o.&id",
       "t.asn1:4:17: error: the object has no &n\n"
       "t.asn1:5:17: error: &T is not a value field\n"
       "t.asn1:6:17: error: class C has no field &m\n"
       "t.asn1:7:15: error: v is not an object\n"
       "t.asn1:8:17: error: o is a value of INTEGER, not of IA5String\n"},
      // A value of another type of the same kind must fit the type.
      {"C ::= CLASS { &Type, &v &Type }\na C ::= { &Type SEQUENCE { f INTEGER }, &v { f 3 } }\n"
       "S ::= SEQUENCE { g BOOLEAN, h IA5String }\nT ::= SEQUENCE { s S DEFAULT a.&v }\n"
       "F ::= SEQUENCE { f INTEGER }\nv F ::= { f 3 }\nG ::= SEQUENCE { f INTEGER, g BOOLEAN }\nw G ::= v\n"
       "E1 ::= ENUMERATED { a(1) }\nE2 ::= ENUMERATED { b(2) }\nx E1 ::= a\ny E2 ::= x\nz SEQUENCE OF E2 ::= { b, x }",
       "t.asn1:5:30: error: a is not a value of the type: it has no component f there\n"
       "t.asn1:9:9: error: v is not a value of the type: its component g is missing\n"
       "t.asn1:13:10: error: x is not a value of the type: it has no enumerator numbered 1\n"
       "t.asn1:14:27: error: x is not a value of the type: it has no enumerator numbered 1\n"},
      // A class DEFAULT of a variable-type value is read as a value of each
      // object's type: 5 for o, and no BOOLEAN for p.
      {"C ::= CLASS { &id INTEGER, &Type DEFAULT INTEGER, &v &Type DEFAULT 5 }\no C ::= { &id 1 }\n"
       "p C ::= { &id 2, &Type BOOLEAN }\nx INTEGER (0..4) ::= o.&v\ny BOOLEAN ::= p.&v",
       "t.asn1:2:68: error: expected TRUE or FALSE, found '5'\n"
       "t.asn1:5:22: error: value 5 is outside the type's range 0..4\n"},
      {"v REAL ::= { 1, 3, 2 }", "t.asn1:2:12: error: the base of a REAL is 2 or 10\n"},
      {"v UniversalString ::= { 300, 0, 0, 1 }",
       "t.asn1:2:23: error: a Quadruple is {group, plane, row, cell}, a Tuple {column, row}\n"},
      {"x INTEGER ::= y\ny INTEGER ::= x\nT ::= INTEGER (0..x)",
       "t.asn1:2:1: error: x is defined in terms of itself\n"},
      // Constraints.
      {"A ::= IA5String (FROM (\"ab\"..\"z\"))",
       "t.asn1:2:24: error: a bound of a character range is one character\n"},
      {"A ::= IA5String (SIZE (SIZE (1)))", "t.asn1:2:24: error: SIZE cannot stand inside SIZE or FROM\n"},
      {"A ::= INTEGER (BOOLEAN)",
       "t.asn1:2:16: error: the type in this constraint is not of the type it constrains\n"},
      {"A ::= ANY (5)", "t.asn1:2:12: error: a constraint on ANY is not supported\n"},
      {"A ::= [0] IMPLICIT ANY", "t.asn1:2:7: error: IMPLICIT cannot tag an untagged open type\n"},
      {"A ::= SEQUENCE { a INTEGER }\nB ::= A (WITH COMPONENTS { b })",
       "t.asn1:3:28: error: the type has no component b\n"},
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
      {"C ::= CLASS { &Set C OPTIONAL }\no C ::= { }\nS C ::= { o.&Set }",
       "t.asn1:4:12: error: object sets taken from objects are not supported\n"},
      // A reference of the wrong kind says what it names; information from
      // objects and object sets is refused where a type is read.
      {"C ::= CLASS { &id INTEGER, &T }\no C ::= { &id 1, &T NULL }\nS C ::= { o }\n"
       "A ::= SEQUENCE { a S.&id }\nB ::= SEQUENCE { a C.&id ({C}) }\nT ::= SEQUENCE { a o.&id }\n"
       "P {C:Set} ::= SEQUENCE { a Set.&id }\nE ::= P {{S}}\nv S ::= 1",
       "t.asn1:5:20: error: types and value sets taken from object sets are not supported\n"
       "t.asn1:6:28: error: C is a class, not an object set\n"
       "t.asn1:7:20: error: types and value sets taken from objects are not supported\n"
       "t.asn1:8:28: error: types and value sets taken from object sets are not supported\n"
       "t.asn1:9:7: note: in this instance of P\n"
       "t.asn1:10:3: error: S is an object set, not a type\n"},
      {"C ::= CLASS { &id INTEGER }\nS C ::= { }\nI ::= INSTANCE OF S", "t.asn1:4:19: error: S is an object set, not a class\n"},
      {"C ::= CLASS { &Type, &value &Type }\no C ::= { &Type INTEGER (0..9), &value 10 }",
       "t.asn1:3:40: error: value 10 is outside the type's range 0..9\n"},
      {"C ::= CLASS { &v &T }", "t.asn1:2:15: error: &T is not a type field of class C\n"},
      {"C ::= CLASS { &id INTEGER }\no C ::= { &id 1, &id 2 }", "t.asn1:3:18: error: &id is set twice\n"},
      // One object twice is one object; two with one UNIQUE value are an error.
      {"C ::= CLASS { &id INTEGER UNIQUE, &T }\na C ::= { &id 1, &T INTEGER }\nb C ::= { &id 1, &T BOOLEAN }\n"
       "S C ::= { a | a, ... }\nR C ::= { a | b }",
       "t.asn1:6:17: error: two objects of the set have one value of the UNIQUE field &id\n"},
      {"C ::= CLASS { &id INTEGER }\nD ::= CLASS { &id INTEGER }\no C ::= { &id 1 }\nS D ::= { o }",
       "t.asn1:5:11: error: o is an object of class C, not of D\n"},
      {"P {X} ::= CLASS { &id X }\nS P {INTEGER} ::= { }",
       "t.asn1:3:3: error: parameterized classes are not supported\n"},
      {"C ::= CLASS { &id INTEGER }\nA C ::= { }\nB C ::= { }\nS C ::= { A ^ B }",
       "t.asn1:5:13: error: intersections of object sets are not supported\n"},
      {"P {T} ::= SEQUENCE { a T }\nA ::= P {INTEGER, BOOLEAN}",
       "t.asn1:3:7: error: P takes 1 parameter, not 2\n"},
  };
  for (const auto &c : cases) EXPECT_EQ(diagnose(c.snippet), c.diagnostics) << c.snippet;
}

// Lines come out by file, line and column, each once, whatever the order
// they were found in (an instance reports what its parameterized type
// says), each error with the notes of every time it was met, once each.
TEST(CompilerDiagnostics, PrintedInOrderOnceEach) {
  zurasn1::Diagnostics diagnostics;
  EXPECT_EQ(diagnostics.addFile("b.asn1"), 0u);
  EXPECT_EQ(diagnostics.addFile("a.asn1"), 1u);
  diagnostics.error({1, 3, 1}, "third");
  diagnostics.warning({0, 9, 2}, "second");
  diagnostics.noteErrorsSince(0, {1, 8, 4}, "here");
  const std::size_t second = diagnostics.entries().size();
  diagnostics.error({1, 3, 1}, "third");
  diagnostics.noteErrorsSince(second, {1, 9, 4}, "there");
  diagnostics.noteErrorsSince(second, {1, 8, 4}, "here");
  diagnostics.error({0, 2, 7}, "first");
  diagnostics.error({1, 3, 1}, "fourth");
  std::ostringstream out;
  diagnostics.print(out);
  EXPECT_EQ(out.str(),
            "b.asn1:2:7: error: first\nb.asn1:9:2: warning: second\na.asn1:3:1: error: third\n"
            "a.asn1:8:4: note: here\na.asn1:9:4: note: there\na.asn1:3:1: error: fourth\n");
  EXPECT_TRUE(diagnostics.hasErrors());
  EXPECT_EQ(diagnostics.errorCount(), 4u);
}

// Reading goes on after an error: every assignment and every module of a
// file is read; past 100 errors only their number is told.
TEST(CompilerDiagnostics, ErrorsThroughAFile) {
  EXPECT_EQ(diagnose("M1 DEFINITIONS ::= BEGIN\nA ::= SEQUENCE {\nB ::= INTEGER (1..\nC ::= D\nEND\n"
                     "M2 DEFINITIONS ::= BEGIN E ::= F END"),
            "t.asn1:3:1: error: expected a component, found 'B'\n"
            "t.asn1:4:1: error: expected a value, found the type 'C'\n"
            "t.asn1:4:7: error: unknown reference D\n"
            "t.asn1:6:32: error: unknown reference F\n");
  std::string many;
  for (int i = 0; i < 150; ++i) many += "A" + std::to_string(i) + " ::= X\n";
  const std::string text = diagnose(many);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 101);
  EXPECT_EQ(text.substr(text.rfind("t.asn1")), "t.asn1:101:9: error: unknown reference X\n"
                                                 "zurasn1: 50 more errors not shown\n");
}

// Inputs deep enough to exhaust a stack end with an error, on every target.
TEST(CompilerDiagnostics, DeepInputs) {
  std::string values, types, instances;
  for (int i = 0; i < 120; ++i) {
    values += "v" + std::to_string(i) + " INTEGER ::= v" + std::to_string(i + 1) + "\n";
    types += "A" + std::to_string(i) + " ::= SEQUENCE { a A" + std::to_string(i + 1) + " }\n";
  }
  EXPECT_EQ(diagnose(values + "v120 INTEGER ::= 1"),
            "t.asn1:102:1: error: references nest deeper than 100 assignments\n");
  EXPECT_EQ(diagnose(types + "A120 ::= NULL"), "t.asn1:77:9: error: types nest deeper than 150 levels\n");
  EXPECT_EQ(diagnose("P {X} ::= SEQUENCE { a P {SEQUENCE OF X} }\nA ::= P {NULL}"),
            "t.asn1:2:24: error: instances of P nest deeper than 32 levels\n"
            "t.asn1:2:24: note: in this instance of P\nt.asn1:3:7: note: in this instance of P\n");
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
