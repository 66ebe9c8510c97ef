// Modules read together: headers, EXPORTS and IMPORTS across files, the
// order and the bookkeeping of the model (modules, PDUs, values, shared
// types, places), and what an assignment left out takes with it.
#include <gtest/gtest.h>

#include "compiler/model_passes.h"
#include "tests/compiler/model_text.h"

namespace {

using namespace zurasn1;

// "Module.Pdu" per PDU, then "left out: name" per assignment left out.
std::string pdus(const zurtest::Compiled &compiled) {
  if (!compiled.model) return compiled.diagnostics;
  std::string out;
  for (const Pdu &pdu : compiled.model->pdus) out += compiled.model->modules[pdu.module] + "." + pdu.name + " ";
  for (const LeftOut &l : compiled.model->leftOut) out += "left out: " + l.name + " ";
  return out + compiled.diagnostics;
}

TEST(CompilerModules, HeadersImportsAndExports) {
  const struct {
    std::vector<ModuleText> files;
    const char *result;
  } cases[] = {
      // Definitive identifiers (with an IRI), EXPORTS ALL, imports with
      // an OID or a value as the assigned identifier, "Name{}" symbols.
      {{{"a.asn1",
         "A { iso(1) 2 } \"/ISO/A\" DEFINITIONS AUTOMATIC TAGS ::= BEGIN EXPORTS ALL;\n"
         "T ::= INTEGER\nP {X} ::= SEQUENCE { x X }\nv INTEGER ::= 3 END"},
        {"b.asn1",
         "B DEFINITIONS ::= BEGIN\nIMPORTS T, P{} FROM A { iso 2 } v FROM A a-oid\n"
         "  W FROM C c-oid;\nU ::= P {T}\nV ::= INTEGER (0..v)\na-oid OBJECT IDENTIFIER ::= { 1 2 }\n"
         "END\nC DEFINITIONS ::= BEGIN W ::= BOOLEAN END"}},
       "A.T B.U B.V C.W "},
      // Names through "Module.name", an import that its module does not
      // export, a name both imported and defined, names imported twice.
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN EXPORTS T; T ::= INTEGER S ::= BOOLEAN END"},
        {"b.asn1", "B DEFINITIONS ::= BEGIN U ::= SEQUENCE { t A.T, s A.S } END"}},
       "b.asn1:1:51: error: module A does not export S\n"},
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN T ::= INTEGER END"},
        {"b.asn1", "B DEFINITIONS ::= BEGIN IMPORTS T FROM A; T ::= NULL END"}},
       "b.asn1:1:33: error: T is imported and also defined in module B\n"},
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN T ::= INTEGER END B DEFINITIONS ::= BEGIN T ::= NULL END"},
        {"c.asn1", "C DEFINITIONS ::= BEGIN IMPORTS T FROM A T FROM B; U ::= T V ::= B.T END"}},
       "c.asn1:1:58: error: T is imported from more than one module: write Module.T\n"},
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN T ::= INTEGER END"},
        {"b.asn1", "A DEFINITIONS ::= BEGIN T ::= INTEGER END"}},
       "b.asn1:1:1: error: module A is given twice\n"},
      {{{"a.asn1", "-- nothing here\n"}}, "a.asn1:1:1: error: no module definition in the file\n"},
      {{{"a.asn1", "A DEFINITIONS XER INSTRUCTIONS ::= BEGIN END"}},
       "a.asn1:1:15: error: encoding instructions are not supported\n"},
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN T ::= NULL ENCODING-CONTROL PER whatever END"}},
       "a.asn1:1:36: error: encoding control sections are not supported\n"},
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN IMPORTS T, FROM B; U ::= NULL END"}},
       "a.asn1:1:36: error: expected a reference, found 'FROM'\n"},
      // A module not given: what needs its names is left out, with what
      // needs that, and an object drops out of its set; "Module.name" of
      // a module imported from counts as such a name.
      {{{"a.asn1",
         "A DEFINITIONS ::= BEGIN IMPORTS X FROM Gone;\n"
         "T ::= SEQUENCE { x X }\nU ::= SEQUENCE OF T\nV ::= Gone.Y\nW ::= INTEGER\n"
         "C ::= CLASS { &Type, &id INTEGER UNIQUE }\no C ::= { &Type T, &id 1 }\nS C ::= { o, ... }\n"
         "Z ::= SEQUENCE { id C.&id ({S}), v C.&Type ({S}{@id}) }\nEND"}},
       "A.W A.Z left out: T left out: U left out: V left out: o "
       "a.asn1:1:33: warning: 4 assignments left out for names of modules not given: X, Y (Gone)\n"},
      // An unknown name in a value no type needs leaves the value out; in a
      // value a type needs, it is an error.
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN v INTEGER ::= w END"}},
       "left out: v a.asn1:1:39: warning: 1 assignment left out for names defined nowhere: w\n"},
      {{{"a.asn1", "A DEFINITIONS ::= BEGIN v INTEGER ::= w T ::= INTEGER (0..v) END"}},
       "a.asn1:1:39: error: unknown reference w\n"},
  };
  for (const auto &c : cases) EXPECT_EQ(pdus(zurtest::compile(c.files)), c.result) << c.files[0].text;
}

// What the model records beside the types: modules and PDUs in order,
// values with their types, renamed types shared, places, and no type that
// nothing reaches.
TEST(CompilerModules, Bookkeeping) {
  const zurtest::Compiled compiled = zurtest::compile(
      {{"one.asn1", "One DEFINITIONS ::= BEGIN\nT ::= SEQUENCE {\n  a INTEGER,\n  b Renamed }\n"
                    "Renamed ::= Base\nBase ::= BOOLEAN\nEND\n"},
       {"two.asn1", "Two DEFINITIONS ::= BEGIN\nIMPORTS Base FROM One;\nv Base ::= TRUE\n"
                    "Unused ::= CHOICE { x Base, y NULL }\nEND\n"}});
  ASSERT_TRUE(compiled.model) << compiled.diagnostics;
  const Model &model = *compiled.model;
  EXPECT_EQ(model.files, (std::vector<std::string>{"one.asn1", "two.asn1"}));
  EXPECT_EQ(model.modules, (std::vector<std::string>{"One", "Two"}));
  std::string text;
  for (const Pdu &pdu : model.pdus)
    text += std::to_string(pdu.module) + ":" + pdu.name + "=" + std::to_string(pdu.type) + " ";
  EXPECT_EQ(text, "0:T=0 0:Renamed=2 0:Base=2 1:Unused=3 ");
  const Type &sequence = model.types[0];
  EXPECT_EQ(sequence.name, "T");
  EXPECT_EQ(sequence.components[1].type, 2u);
  EXPECT_EQ(sequence.components[1].pos.line, 4u);
  EXPECT_EQ(sequence.components[1].pos.col, 3u);
  EXPECT_EQ(model.types[2].name, "Base");
  EXPECT_EQ(model.types[2].module, 0u);
  EXPECT_EQ(model.types[3].module, 1u);
  EXPECT_EQ(model.types[3].pos.file, 1u);
  EXPECT_EQ(model.types[3].pos.line, 4u);
  ASSERT_EQ(model.values.size(), 1u);
  EXPECT_EQ(model.values[0].type, 2u);
  EXPECT_EQ(model.values[0].module, 1u);
  const std::vector<bool> reached = reachableTypes(model);
  EXPECT_EQ(std::count(reached.begin(), reached.end(), true), static_cast<long>(model.types.size()));
}

}  // namespace
