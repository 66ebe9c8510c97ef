// Information object classes, objects, object sets and parameterized
// assignments, seen through the open types they select: which objects a
// link holds, with each one's id and type.
#include <gtest/gtest.h>

#include "tests/compiler/model_text.h"

namespace {

using namespace zurasn1;

// The link of component v of PDU T: "id: type" per object.
std::string linkObjects(const Model &model) {
  for (const Pdu &pdu : model.pdus) {
    if (pdu.name != "T") continue;
    for (const Component &c : model.types[pdu.type].components) {
      if (c.name != "v" || !model.types[c.type].link) continue;
      std::string out;
      for (const OpenTypeLink::Object &object : model.types[c.type].link->objects)
        out += zurtest::valueText(*object.id) + ": " + zurtest::typeText(model, object.type) + "; ";
      return out;
    }
  }
  return "no link";
}

TEST(CompilerClasses, ObjectsOfLinks) {
  const struct {
    const char *body, *objects;
  } rows[] = {
      // An optional group that starts with a field, as X.509's ALGORITHM has.
      {"ALG ::= CLASS { &id OBJECT IDENTIFIER UNIQUE, &Type OPTIONAL }\n"
       "  WITH SYNTAX { [&Type] IDENTIFIED BY &id }\n"
       "S ALG ::= { { IDENTIFIED BY { 1 2 } } | { INTEGER IDENTIFIED BY { 1 3 } } }\n"
       "T ::= SEQUENCE { id ALG.&id ({S}), v ALG.&Type ({S}{@id}) OPTIONAL }",
       "{ 1 3 }: [U2] INTEGER; "},
      // Nested optional groups "[[TYPE &Type] FLAG &flag]".
      {"C ::= CLASS { &code INTEGER UNIQUE, &Type OPTIONAL, &flag BOOLEAN OPTIONAL }\n"
       "  WITH SYNTAX { CODE &code [[TYPE &Type] FLAG &flag] }\n"
       "S C ::= { { CODE 1 FLAG TRUE } | { CODE 2 TYPE NULL FLAG FALSE } | { CODE 3 } }\n"
       "T ::= SEQUENCE { code C.&code ({S}), v C.&Type ({S}{@code}) OPTIONAL }",
       "2: [U5] NULL; "},
      // The default syntax, and a type field's DEFAULT.
      {"C ::= CLASS { &code INTEGER UNIQUE, &Type DEFAULT BOOLEAN }\n"
       "S C ::= { { &code 1 } | { &Type NULL, &code 2 } }\n"
       "T ::= SEQUENCE { code C.&code ({S}), v C.&Type ({S}{@code}) }",
       "1: [U1] BOOLEAN; 2: [U5] NULL; "},
      // A chain through an object field.
      {"RULE ::= CLASS { &Syntax, &id INTEGER UNIQUE }\n"
       "ATTR ::= CLASS { &rule RULE, &id INTEGER UNIQUE }\n"
       "r RULE ::= { &Syntax IA5String, &id 9 }\n"
       "a ATTR ::= { &rule r, &id 1 }\n"
       "S ATTR ::= { a }\n"
       "T ::= SEQUENCE { id ATTR.&id ({S}), v ATTR.&rule.&Syntax ({S}{@id}) }",
       "1: [U22] IA5String; "},
      // Ids taken from objects, through a chain of object fields.
      {"RULE ::= CLASS { &Syntax, &id INTEGER UNIQUE }\n"
       "ATTR ::= CLASS { &rule RULE, &id INTEGER UNIQUE }\n"
       "r RULE ::= { &Syntax IA5String, &id 9 }\n"
       "s RULE ::= { &Syntax NULL, &id 4 }\n"
       "t ATTR ::= { &rule s, &id 0 }\n"
       "a ATTR ::= { &rule r, &id r.&id }\n"
       "b ATTR ::= { &rule s, &id t.&rule.&id }\n"
       "S ATTR ::= { a | b }\n"
       "T ::= SEQUENCE { id ATTR.&id ({S}), v ATTR.&rule.&Syntax ({S}{@id}) }",
       "9: [U22] IA5String; 4: [U5] NULL; "},
      // Fields of variable type and value set fields are read too.
      {"C ::= CLASS { &Type, &value &Type, &Codes INTEGER OPTIONAL, &id INTEGER UNIQUE }\n"
       "o C ::= { &Type INTEGER (0..9), &value 5, &Codes { 1 | 2 }, &id 1 }\n"
       "S C ::= { o }\n"
       "T ::= SEQUENCE { id C.&id ({S}), v C.&Type ({S}{@id}) }",
       "1: [U2] INTEGER (0..9); "},
      // A set within a set, and a set given as an actual parameter.
      {"C ::= CLASS { &Type, &id INTEGER UNIQUE }\n"
       "o1 C ::= { &Type NULL, &id 1 }\n"
       "o2 C ::= { &Type REAL, &id 2 }\n"
       "Base C ::= { o1, ... }\n"
       "E {C:Set} ::= SEQUENCE { id C.&id ({Set}), v C.&Type ({Set}{@id}) }\n"
       "T ::= E {{ Base | o2 }}",
       "1: [U5] NULL; 2: [U9] REAL; "},
      {"O ::= ABSTRACT-SYNTAX\n"
       "o O ::= { BOOLEAN IDENTIFIED BY { 1 5 } HAS PROPERTY { handles-invalid-encodings } }\n"
       "S O ::= { o | { INTEGER IDENTIFIED BY { 1 6 } } }\n"
       "T ::= SEQUENCE { id O.&id ({S}), v O.&Type ({S}{@id}) }",
       "{ 1 5 }: [U1] BOOLEAN; { 1 6 }: [U2] INTEGER; "},
      // An object that needs a name of a module not given drops out.
      {"IMPORTS Missing FROM Nowhere;\n"
       "C ::= CLASS { &Type, &id INTEGER UNIQUE }\n"
       "o1 C ::= { &Type Missing, &id 1 }\n"
       "o2 C ::= { &Type NULL, &id 2 }\n"
       "S C ::= { o1 | o2 | { &Type Missing, &id 3 } }\n"
       "T ::= SEQUENCE { id C.&id ({S}), v C.&Type ({S}{@id}) }",
       "2: [U5] NULL; "},
  };
  for (const auto &row : rows) {
    const zurtest::Compiled compiled = zurtest::compileModule("", row.body);
    ASSERT_TRUE(compiled.model) << row.body << "\n" << compiled.diagnostics;
    EXPECT_EQ(linkObjects(*compiled.model), row.objects) << row.body;
  }
}

// Instances of parameterized assignments: dummies of every kind, and a
// type that contains an instance of itself.
TEST(CompilerClasses, ParameterizedAssignments) {
  const struct {
    const char *body, *text;  // `text`: the type of T, up to a "~"
  } rows[] = {
      {"Small {INTEGER:low} INTEGER ::= { low..10 }\nT ::= Small {3}", "[U2] INTEGER (3..10)"},
      {"Pair {X, X:v} ::= SEQUENCE { a X DEFAULT v }\nT ::= Pair {BOOLEAN, TRUE}",
       "[U16] SEQUENCE { a DEFAULT [U1] BOOLEAN }"},
      {"Codes {INTEGER:Set} ::= SEQUENCE { c INTEGER (Set) }\nT ::= Codes {{ 2 | 7 }}",
       "[U16] SEQUENCE { c [U2] INTEGER (2..7) }"},
      {"double {INTEGER:x} INTEGER ::= x\nT ::= INTEGER (0..double {4})", "[U2] INTEGER (0..4)"},
      {"Holder {K} ::= SEQUENCE { id K.&id }\nT ::= Holder {TYPE-IDENTIFIER}",
       "[U16] SEQUENCE { id [U6] OBJECT IDENTIFIER }"},
      {"List {X} ::= SEQUENCE { v X, next [0] List {X} OPTIONAL }\nT ::= List {INTEGER}",
       "[U16] SEQUENCE { v [U2] INTEGER, next OPTIONAL [C0e] [U16] SEQUENCE { v [U2] INTEGER, next ~"},
  };
  for (const auto &row : rows) {
    const zurtest::Compiled compiled = zurtest::compileModule("", row.body);
    ASSERT_TRUE(compiled.model) << row.body << "\n" << compiled.diagnostics;
    std::string text = zurtest::pduText(*compiled.model, "T");
    const std::string expected = row.text;
    if (expected.back() == '~') text = text.substr(0, expected.size() - 1) + "~";
    EXPECT_EQ(text, expected) << row.body;
  }
}

}  // namespace
