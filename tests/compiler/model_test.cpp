// The model of the project's test modules (tests/data/asn1): tags after
// each tagging mode, effective constraints, extension additions and
// version brackets, COMPONENTS OF, ENUMERATED numbering, values, and the
// links of open types to their object sets.
#include <gtest/gtest.h>

#include "tests/compiler/model_text.h"

namespace {

using namespace zurasn1;

const Model &modelOf(const std::string &file) {
  static std::map<std::string, Model> models;
  auto it = models.find(file);
  if (it == models.end()) {
    zurtest::Compiled compiled =
        zurtest::compile(zurtest::readModules({std::string(ZURBASE_TEST_DATA) + "/asn1/" + file}));
    EXPECT_TRUE(compiled.model) << compiled.diagnostics;
    EXPECT_EQ(compiled.diagnostics, "");
    it = models.emplace(file, compiled.model ? std::move(*compiled.model) : Model{}).first;
  }
  return it->second;
}

TEST(CompilerModel, TypesOfTheTestModules) {
  const struct {
    const char *file, *pdu, *text;
  } cases[] = {
      // IMPLICIT TAGS: implicit tags replace the universal one; the SET's
      // components keep their own tags.
      {"personnel_unconstrained.asn1", "PersonnelRecord",
       "[A0] SET { name Name, title [C0] VisibleString, number EmployeeNumber, dateOfHire [C1] "
       "VisibleString, nameOfSpouse [C2] SEQUENCE { givenName [U26] VisibleString, initial [U26] "
       "VisibleString, familyName [U26] VisibleString }, children DEFAULT [C3] SEQUENCE OF "
       "ChildInformation }"},
      {"personnel_unconstrained.asn1", "Date", "[A3] VisibleString"},
      // Alphabets and sizes through intersections and serial constraints.
      {"personnel_constrained.asn1", "Name",
       "[A1] SEQUENCE { givenName NameString, initial [U26] VisibleString SIZE(1..1) "
       "FROM(45-46,65-90,97-122), familyName NameString }"},
      {"personnel_constrained.asn1", "Date", "[A3] VisibleString SIZE(8..8) FROM(48-57)"},
      // Extensible sizes and ranges; an extension addition.
      {"personnel_extensible.asn1", "Date", "[A3] VisibleString SIZE(8..8,...) FROM(48-57)"},
      {"personnel_extensible.asn1", "NameString",
       "[U26] VisibleString SIZE(1..64,...) FROM(45-46,65-90,97-122)"},
      {"personnel_extensible.asn1", "EmployeeNumber", "[A2] INTEGER (0..9999,...)"},
      {"personnel_extensible.asn1", "ChildInformation",
       "[U17] SET ... { name Name, dateOfBirth [C0] VisibleString SIZE(8..8,...) FROM(48-57), sex "
       "OPTIONAL +1 [C1] ENUMERATED {male=1 female=2 unknown=3} }"},
      // AUTOMATIC TAGS: the root first (the part after the second marker
      // included), then the additions; a version bracket is one addition;
      // a CHOICE is tagged explicitly.
      {"automatic_tags.asn1", "Record",
       "[U16] SEQUENCE ... { id [C0] INTEGER (0..255), ratio [C1] REAL, path [C2] RELATIVE-OID, "
       "kind [C3e] CHOICE ... { number [C0] INTEGER, flag [C1] BOOLEAN, nothing +1 [C2] NULL }, "
       "added +1 [C5] BOOLEAN, note +1 [C6] UTF8String, single OPTIONAL +2 [C7] IA5String, tail "
       "[C4] OCTET STRING SIZE(4..4) }"},
      // COMPONENTS OF brings the root components, tagged anew.
      {"automatic_tags.asn1", "Message",
       "[U16] SEQUENCE { version DEFAULT [C0] INTEGER, kind OPTIONAL [C1e] CHOICE ... { number [C0] "
       "INTEGER, flag [C1] BOOLEAN, nothing +1 [C2] NULL }, body [C2] OCTET STRING }"},
      {"automatic_tags.asn1", "Code", "[U19] PrintableString SIZE(2..8) FROM(48-57,65-90)"},
      {"automatic_tags.asn1", "Digits", "[U18] NumericString FROM(48-52,55-55)"},
      {"automatic_tags.asn1", "Wide", "[U30] BMPString SIZE(1..10,...)"},
      {"automatic_tags.asn1", "Letters", "[U28] UniversalString FROM(65-90)"},
      {"automatic_tags.asn1", "Level", "[U2] INTEGER (1..20) {low=1 high=9}"},
      {"automatic_tags.asn1", "Flags", "[U3] BIT STRING SIZE(4..16) {ready=0 done=3}"},
      {"automatic_tags.asn1", "Colour",
       "[U10] ENUMERATED {red=0 green=5 blue=1 ... violet=2 ultraviolet=12} ..."},
      // Open types: explicit under AUTOMATIC TAGS, linked to the component
      // "@" names from the outermost type, "@." from the innermost; no
      // automatic tags where a component has a tag written.
      {"information_objects.asn1", "Invoke",
       "[U16] SEQUENCE { code [C0] INTEGER, argument [C1e] open type <- up 0 path 0, 3 objects ... }"},
      {"information_objects.asn1", "Reply",
       "[U16] SEQUENCE { header [C0] SEQUENCE { code [C0] INTEGER }, results [C1] SEQUENCE OF "
       "[U16] SEQUENCE { result [C0e] open type <- up 2 path 0 0, 1 objects ... } }"},
      {"information_objects.asn1", "Batch",
       "[U16] SEQUENCE OF [U16] SEQUENCE { code [C0] INTEGER, argument [C1e] open type <- up 0 "
       "path 0, 3 objects ... }"},
      {"information_objects.asn1", "Letter",
       "[U16] SEQUENCE { id [C0] OBJECT IDENTIFIER, body [C1e] open type <- up 0 path 0, 2 objects }"},
      {"information_objects.asn1", "Failure",
       "[U16] SEQUENCE { code [U2] INTEGER, parameter OPTIONAL [C5e] open type <- up 0 path 0, 1 "
       "objects }"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(zurtest::pduText(modelOf(c.file), c.pdu), c.text) << c.file << " " << c.pdu;
}

// The objects of a link: each object's id, typed as the component that
// holds it, and the type it selects; objects without the field are left
// out, extension additions of the set are in.
TEST(CompilerModel, OpenTypeLinkObjects) {
  const Model &model = modelOf("information_objects.asn1");
  auto link = [&](const char *pdu, std::size_t component) -> const OpenTypeLink & {
    for (const Pdu &p : model.pdus)
      if (p.name == pdu) return *model.types[model.types[p.type].components[component].type].link;
    throw std::runtime_error(pdu);
  };
  auto typeName = [&](TypeId id) {
    return model.types[id].name.empty() ? zurtest::typeText(model, id) : model.types[id].name;
  };
  std::string objects;
  for (const auto &object : link("Invoke", 1).objects)
    objects += std::to_string(object.id->integer) + ":" + typeName(object.type) + "; ";
  EXPECT_EQ(objects, "1:Pair; 2:[U2] INTEGER; 3:[U1] BOOLEAN; ");
  objects.clear();
  for (const auto &object : link("Letter", 1).objects) {
    for (uint64_t arc : object.id->arcs) objects += std::to_string(arc) + ".";
    objects += ":" + typeName(object.type) + "; ";
  }
  EXPECT_EQ(objects, "1.2.3.:[U22] IA5String; 1.2.4.:[U26] VisibleString; ");
}

// Value assignments, read with their type: named numbers, REAL forms,
// OBJECT IDENTIFIER arcs by name and through a RELATIVE-OID value,
// quotes doubled in a cstring, named bits, a SEQUENCE with a CHOICE.
TEST(CompilerModel, Values) {
  const Model &model = modelOf("automatic_tags.asn1");
  auto value = [&](const char *name) -> const Value & {
    for (const NamedValue &v : model.values)
      if (v.name == name) return *v.value;
    throw std::runtime_error(name);
  };
  EXPECT_EQ(value("maximum").integer, 9);
  EXPECT_EQ(value("half").real, 0.5);
  EXPECT_EQ(value("quarter").real, 0.25);
  EXPECT_EQ(value("node").arcs, (std::vector<uint64_t>{1, 2, 840, 4, 5, 6}));
  EXPECT_EQ(value("greeting").chars, U"Gr\"u\" ezi");
  EXPECT_EQ(value("capital").chars, U"AB12");
  EXPECT_EQ(value("started").bitCount, 4u);
  EXPECT_EQ(value("started").octets, std::vector<uint8_t>{0x90});
  const Value &sample = value("sample");
  ASSERT_EQ(sample.members.size(), 5u);
  EXPECT_EQ(sample.members[3].name, "kind");
  EXPECT_EQ(sample.members[3].value->members[0].name, "flag");
  EXPECT_TRUE(sample.members[3].value->members[0].value->boolean);
  EXPECT_EQ(sample.members[4].value->octets, (std::vector<uint8_t>{0, 1, 2, 3}));
}

}  // namespace
