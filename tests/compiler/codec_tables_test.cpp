// What the codec tables say of compiled types: tags and the tags an
// encoding begins with, canonical orders, constraints, enumerations, named
// numbers, presence bits, DEFAULT values by content, open types and their
// objects.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/compiler/compiled_modules.h"
#include "tests/compiler/table_dump.h"

namespace zurtest {
namespace {

std::string builtinName(uint8_t builtin) {
  switch (builtin) {
    case ZB_BOOLEAN: return "BOOLEAN";
    case ZB_INTEGER: return "INTEGER";
    case ZB_BIT_STRING: return "BIT STRING";
    case ZB_OCTET_STRING: return "OCTET STRING";
    case ZB_NULL: return "NULL";
    case ZB_OBJECT_IDENTIFIER: return "OBJECT IDENTIFIER";
    case ZB_REAL: return "REAL";
    case ZB_ENUMERATED: return "ENUMERATED";
    case ZB_UTF8_STRING: return "UTF8String";
    case ZB_RELATIVE_OID: return "RELATIVE-OID";
    case ZB_SEQUENCE: return "SEQUENCE";
    case ZB_SET: return "SET";
    case ZB_IA5_STRING: return "IA5String";
    case ZB_NUMERIC_STRING: return "NumericString";
    case ZB_PRINTABLE_STRING: return "PrintableString";
    case ZB_TELETEX_STRING: return "TeletexString";
    case ZB_VIDEOTEX_STRING: return "VideotexString";
    case ZB_GRAPHIC_STRING: return "GraphicString";
    case ZB_VISIBLE_STRING: return "VisibleString";
    case ZB_GENERAL_STRING: return "GeneralString";
    case ZB_UNIVERSAL_STRING: return "UniversalString";
    case ZB_OBJECT_DESCRIPTOR: return "ObjectDescriptor";
    case ZB_UTC_TIME: return "UTCTime";
    case ZB_GENERALIZED_TIME: return "GeneralizedTime";
    case ZB_BMP_STRING: return "BMPString";
    case ZB_CHOICE: return "CHOICE";
    case ZB_SEQUENCE_OF: return "SEQUENCE OF";
    case ZB_SET_OF: return "SET OF";
    case ZB_OPEN_TYPE: return "ANY";
  }
  return "builtin " + std::to_string(builtin);
}

std::string tags(const ZurTag *tags, uint16_t count) {
  std::string out;
  for (uint16_t i = 0; i < count; ++i) {
    out += std::string(" [") + "UACP"[tags[i].tag >> 14] + std::to_string(ZUR_TAG_NUMBER(tags[i].tag)) +
           ((tags[i].flags & ZUR_TAG_EXPLICIT) != 0 ? " explicit]" : "]");
  }
  return out;
}

std::string bound(int64_t v, bool set, const char *open) { return set ? std::to_string(v) : open; }

// One type as the codecs see it, on one line.
std::string typeLine(const ZurTables &tables, uint16_t t) {
  const CtlTbl &ctl = tables.ctl;
  const ZurCodecTbl &c = *tables.codec;
  const TypeDesc &d = ctl.types[t];
  const ZurType &z = c.types[t];
  std::string s = builtinName(z.builtin) + " kind " + std::to_string(d.kind);
  if ((d.typeFlags & TYPE_BY_POINTER) != 0) s += " by address";
  if ((z.flags & ZUR_T_EXTENSIBLE) != 0) s += " ext";
  if ((z.flags & ZUR_T_NAMED_BITS) != 0) s += " named-bits";
  s += " tags" + tags(c.tags + z.firstTag, z.tagCount);
  s += z.matchCount == 0 ? " match any" : " match" + tags(c.tags + z.firstMatch, z.matchCount);
  // The decoder's shortcuts must agree with the tags they stand for.
  if (z.startTag != (z.matchCount == 1 ? c.tags[z.firstMatch].tag : 0)) s += " wrong startTag";
  if (((z.flags & ZUR_T_OWN_TAG) != 0) != (z.tagCount == 1 && (c.tags[z.firstTag].flags & ZUR_TAG_EXPLICIT) == 0))
    s += " wrong own-tag flag";
  if (((z.flags & ZUR_T_BY_POINTER) != 0) != ((d.typeFlags & TYPE_BY_POINTER) != 0)) s += " wrong by-pointer flag";
  const unsigned own = c.tags[z.firstTag].tag;
  const bool oneOctet = (z.flags & ZUR_T_OWN_TAG) != 0 && ZUR_TAG_NUMBER(own) < 31;
  const bool constructed = z.builtin == ZB_SEQUENCE || z.builtin == ZB_SET || z.builtin == ZB_SEQUENCE_OF ||
                           z.builtin == ZB_SET_OF;
  if (z.identifier != (oneOctet ? (own >> 14) << 6 | constructed << 5 | ZUR_TAG_NUMBER(own) : 0u))
    s += " wrong identifier";
  if (d.kind == KIND_SEQUENCE || d.kind == KIND_SET || d.kind == KIND_SEQUENCE_EXT || d.kind == KIND_SET_EXT)
    s += " mask " + std::to_string(d.lenSize);
  if (z.builtin == ZB_INTEGER && z.valueRange != 0) {
    const ZurRange &r = c.ranges[z.valueRange];
    s += " range " + bound(r.lower, r.flags & ZUR_R_LOWER, "MIN") + ".." + bound(r.upper, r.flags & ZUR_R_UPPER, "MAX") +
         ((r.flags & ZUR_R_EXTENSIBLE) != 0 ? ",..." : "");
  }
  if (z.builtin == ZB_ENUMERATED) {
    const ZurEnum &e = c.enums[z.valueRange];
    s += " enum";
    for (uint32_t i = 0; i < e.rootCount + e.extCount; ++i)
      s += (i == e.rootCount ? " | " : " ") + std::to_string(c.enumValues[e.firstValue + i]);
  }
  if (z.sizeRange != 0) {
    const ZurSize &z2 = c.sizes[z.sizeRange];
    s += " size " + std::to_string(z2.lower) + ".." + bound(z2.upper, z2.flags & ZUR_R_UPPER, "MAX") +
         ((z2.flags & ZUR_R_EXTENSIBLE) != 0 ? ",..." : "");
  }
  if (z.alphabet != 0) {
    const ZurAlphabet &a = c.alphabets[z.alphabet];
    s += " from";
    for (uint32_t i = 0; i < a.rangeCount; ++i)
      s += " " + std::to_string(c.charRanges[2 * (a.firstRange + i)]) + "-" +
           std::to_string(c.charRanges[2 * (a.firstRange + i) + 1]);
  }
  if (z.named != 0) {
    s += " named";
    for (int64_t i = 1; i <= c.named[z.named].value; ++i)
      s += " " + std::string(c.named[z.named + i].name) + "=" + std::to_string(c.named[z.named + i].value);
  }
  if (z.order != 0) {
    s += " order";
    for (int32_t i = 0; i < d.count; ++i) s += " " + std::to_string(c.order[z.order + i]);
  }
  return s;
}

// The type of PDU `name` and its components, one line each.
std::string describe(const zurasn1::Compilation &compiled, const char *name) {
  const ZurTables &tables = compiled.tables();
  const CtlTbl &ctl = tables.ctl;
  const ZurCodecTbl &c = *tables.codec;
  const int pdu = compiled.pduNumber(name);
  if (pdu == 0) return compiled.pduProblem(name);
  const uint16_t t = ctl.pduTypes[pdu - 1];
  const TypeDesc &d = ctl.types[t];
  std::string out = std::string(ctlTypeName(&d)) + ": " + typeLine(tables, t) + "\n";
  const bool withComponents = d.kind == KIND_SEQUENCE || d.kind == KIND_SET || d.kind == KIND_SEQUENCE_EXT ||
                              d.kind == KIND_SET_EXT || d.kind == KIND_CHOICE;
  for (int32_t i = 0; withComponents && i < d.count; ++i) {
    const FieldDesc &f = ctl.fields[d.ref + i];
    const ZurComponent &z = c.components[d.ref + i];
    out += "  " + std::string(ctlComponentName(&ctl, &f)) + ": " + typeLine(tables, f.type);
    if (f.presenceBit >= 0) out += " bit " + std::to_string(f.presenceBit);
    if ((z.flags & ZUR_C_OPTIONAL) != 0) out += " optional";
    if ((z.flags & ZUR_C_DEFAULT) != 0) out += " default " + dumpValue(ctl, f.type, c.defaults[z.defaultValue]);
    if ((z.flags & ZUR_C_EXTENSION) != 0) out += " addition " + std::to_string(z.addition);
    if ((z.flags & ZUR_C_BRACKET) != 0) out += " bracket";
    const ZurType &ft = c.types[f.type];
    if (ft.openType != 0) {
      const ZurOpenType &o = c.openTypes[ft.openType];
      out += "\n    selected by up " + std::to_string(o.up) + " path";
      for (uint32_t k = 0; k < o.pathLength; ++k) out += " " + std::to_string(c.paths[o.firstPath + k]);
      out += (o.flags & ZUR_R_EXTENSIBLE) != 0 ? ", extensible:" : ":";
      const uint16_t referenced = ctl.fields[d.ref + c.paths[o.firstPath]].type;
      for (uint32_t k = 0; k < o.objectCount; ++k) {
        const ZurObject &object = c.objects[o.firstObject + k];
        const FieldDesc &alternative = ctl.fields[ctl.types[f.type].ref + object.alternative - 1];
        out += " " + dumpValue(ctl, referenced, object.id) + " " + ctlComponentName(&ctl, &alternative) +
               (alternative.type == object.type ? "" : " (another type)");
      }
    }
    out += "\n";
  }
  return out;
}

struct Row {
  const char *pdu;
  const char *text;
};

class CodecTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    own_ = compileModules({ownModule()}).release();
    pkix_ = compileModules(pkixModules()).release();
  }
  static void TearDownTestSuite() {
    delete own_;
    delete pkix_;
  }
  static void expectRows(const zurasn1::Compilation *compiled, std::initializer_list<Row> rows) {
    ASSERT_NE(compiled, nullptr);
    for (const Row &row : rows) EXPECT_EQ(describe(*compiled, row.pdu), row.text) << row.pdu;
  }
  static zurasn1::Compilation *own_;
  static zurasn1::Compilation *pkix_;
};
zurasn1::Compilation *CodecTables::own_ = nullptr;
zurasn1::Compilation *CodecTables::pkix_ = nullptr;

TEST_F(CodecTables, TagsOrdersAndConstraints) {
  expectRows(own_, {
      {"Pick",
       "Pick: CHOICE kind 13 ext tags match [C0] [C1] [C2] order 0 1 2\n"
       "  number: INTEGER kind 0 tags [C0] match [C0] range 0..9\n"
       "  text: IA5String kind 25 tags [C1] match [C1]\n"
       "  late: BOOLEAN kind 8 tags [C2] match [C2] addition 1\n"},
      {"Nested",
       "Nested: CHOICE kind 13 tags match [C7] [C0] [C1] [C2] order 1 0\n"
       "  other: NULL kind 5 tags [C7] match [C7]\n"
       "  inner: CHOICE kind 13 ext tags match [C0] [C1] [C2] order 0 1 2\n"},
      {"Versioned",
       "Versioned: SET kind 57 ext tags [U17] match [U17] mask 1 order 1 0 2 3 4\n"
       "  b: BOOLEAN kind 8 tags [C5] match [C5]\n"
       "  a: INTEGER kind 0 tags [C2] match [C2] range 0..9\n"
       "  c: IA5String kind 25 tags [C9] match [C9] bit 0 addition 1 bracket\n"
       "  d: NULL kind 5 tags [C7] match [C7] bit 1 optional addition 1 bracket\n"
       "  e: BOOLEAN kind 8 tags [C1] match [C1] bit 2 optional addition 2\n"},
      {"Color", "Color: ENUMERATED kind 6 ext tags [U10] match [U10] enum -1 0 5 | 7\n"},
      {"ZurLayouts.Strings",
       "Strings: SET kind 12 tags [U17] match [U17] mask 1 order 0 1 2 3 4 5 6 7 8 9 10 11\n"
       "  utf8: UTF8String kind 25 tags [C0] match [C0]\n"
       "  numeric: NumericString kind 25 tags [C1] match [C1] from 48-57\n"
       "  printable: PrintableString kind 25 tags [C2] match [C2] size 1..16\n"
       "  teletex: TeletexString kind 25 tags [C3] match [C3]\n"
       "  videotex: VideotexString kind 25 tags [C4] match [C4]\n"
       "  ia5: IA5String kind 25 tags [C5] match [C5] from 65-90 97-122\n"
       "  graphic: GraphicString kind 25 tags [C6] match [C6]\n"
       "  visible: VisibleString kind 25 tags [C7] match [C7]\n"
       "  general: GeneralString kind 25 tags [C8] match [C8]\n"
       "  universal: UniversalString kind 54 tags [C9] match [C9]\n"
       "  bmp: BMPString kind 53 tags [C10] match [C10]\n"
       "  descriptor: ObjectDescriptor kind 25 tags [C11] match [C11]\n"},
      {"Mask9",
       "Mask9: SEQUENCE kind 11 tags [U16] match [U16] mask 2\n"
       "  o1: BOOLEAN kind 8 tags [C0] match [C0] bit 0 optional\n"
       "  o2: BOOLEAN kind 8 tags [C1] match [C1] bit 1 optional\n"
       "  o3: BOOLEAN kind 8 tags [C2] match [C2] bit 2 optional\n"
       "  o4: BOOLEAN kind 8 tags [C3] match [C3] bit 3 optional\n"
       "  o5: BOOLEAN kind 8 tags [C4] match [C4] bit 4 optional\n"
       "  o6: BOOLEAN kind 8 tags [C5] match [C5] bit 5 optional\n"
       "  o7: BOOLEAN kind 8 tags [C6] match [C6] bit 6 optional\n"
       "  o8: BOOLEAN kind 8 tags [C7] match [C7] bit 7 optional\n"
       "  o9: BOOLEAN kind 8 tags [C8] match [C8] bit 8 optional\n"},
  });
  expectRows(pkix_, {
      {"Time",
       "Time: CHOICE kind 13 tags match [U23] [U24] order 0 1\n"
       "  utcTime: UTCTime kind 29 tags [U23] match [U23]\n"
       "  generalTime: GeneralizedTime kind 30 tags [U24] match [U24]\n"},
      {"Validity",
       "Validity: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  notBefore: CHOICE kind 13 tags match [U23] [U24] order 0 1\n"
       "  notAfter: CHOICE kind 13 tags match [U23] [U24] order 0 1\n"},
  });
}

TEST_F(CodecTables, DefaultValuesHoldTheirValues) {
  expectRows(own_, {
      {"Defaults",
       "Defaults: SEQUENCE kind 11 tags [U16] match [U16] mask 4\n"
       "  flag: BOOLEAN kind 8 tags [C0] match [C0] bit 0 default 1\n"
       "  small: INTEGER kind 0 tags [C1] match [C1] range 0..255 bit 1 default 7\n"
       "  huge: INTEGER kind 20 tags [C2] match [C2] bit 2 default 2:'FF7F'H\n"
       "  color: ENUMERATED kind 6 ext tags [C3] match [C3] enum -1 0 5 | 7 bit 3 default -1\n"
       "  ratio: REAL kind 7 tags [C4] match [C4] bit 4 default 2.5\n"
       "  bits: BIT STRING kind 3 tags [C5] match [C5] bit 5 default 4:'A0'H\n"
       "  octets: OCTET STRING kind 10 tags [C6] match [C6] bit 6 default 3:'C0FFEE'H\n"
       "  text: IA5String kind 25 tags [C7] match [C7] bit 7 default 4:\"none\"\n"
       "  utf8: UTF8String kind 25 tags [C8] match [C8] bit 8 default 5:\"caf\xC3\xA9\"\n"
       "  bmp: BMPString kind 53 tags [C9] match [C9] bit 9 default 2:'61006200'H\n"
       "  oid: OBJECT IDENTIFIER kind 63 tags [C10] match [C10] bit 10 default 6:'2A864886F70D'H\n"
       "  relative: RELATIVE-OID kind 28 tags [C11] match [C11] bit 11 default 2:'030000000E000000'H\n"
       "  when: GeneralizedTime kind 30 tags [C12] match [C12] bit 12 default 2024-2-29 12:34:56.500 +0 Z\n"
       "  utc: UTCTime kind 29 tags [C13] match [C13] bit 13 default 99-12-31 23:59:59.0 +90\n"
       "  pair: SEQUENCE kind 11 tags [C14] match [C14] mask 1 bit 14 default {mask '80'H, x 1, y 2, z 0}\n"
       "  pick: CHOICE kind 13 ext tags [C15 explicit] match [C15 explicit] order 0 1 2 bit 15 default \"number\":3\n"
       "  list: SEQUENCE OF kind 16 tags [C16] match [C16] bit 16 default [4, 5, 6]\n"},
      // Taken from objects: blue is -1.
      {"Sized",
       "Sized: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  id: INTEGER kind 20 tags [C0] match [C0] bit 0 default 1:'05'H\n"
       "  color: ENUMERATED kind 6 ext tags [C1] match [C1] enum -1 0 5 | 7 bit 1 default -1\n"
       "  other: ENUMERATED kind 6 ext tags [C2] match [C2] enum -1 0 5 | 7 bit 2 default -1\n"},
  });
  expectRows(pkix_, {
      {"Extension",
       "Extension: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  extnID: OBJECT IDENTIFIER kind 63 tags [U6] match [U6]\n"
       "  critical: BOOLEAN kind 8 tags [U1] match [U1] bit 0 default 0\n"
       "  extnValue: OCTET STRING kind 10 tags [U4] match [U4]\n"},
  });
}

TEST_F(CodecTables, OpenTypesRecursionAndNames) {
  expectRows(own_, {
      {"Shaped",
       "Shaped: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  id: INTEGER kind 20 tags [C0] match [C0]\n"
       "  value: ANY kind 13 tags [C1 explicit] match [C1 explicit]\n"
       "    selected by up 0 path 0, extensible: 1:'01'H Pair 1:'02'H IA5String 1:'03'H Pair 1:'04'H INTEGER\n"},
      {"Unshaped",
       "Unshaped: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  id: INTEGER kind 20 tags [C0] match [C0]\n"
       "  value: ANY kind 51 tags [C1 explicit] match [C1 explicit]\n"},
      {"Opaque",
       "Opaque: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  kind: OBJECT IDENTIFIER kind 63 tags [C0] match [C0]\n"
       "  body: ANY kind 51 tags [C1 explicit] match [C1 explicit]\n"},
      {"Tree",
       "Tree: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  label: IA5String kind 25 tags [C0] match [C0]\n"
       "  left: SEQUENCE kind 11 by address tags [C1] match [C1] mask 1 bit 0 optional\n"
       "  node: CHOICE kind 13 by address tags [C2 explicit] match [C2 explicit] order 0 1\n"
       "  kids: SEQUENCE OF kind 16 tags [C3] match [C3]\n"},
      {"Alias",
       "Alias: SEQUENCE kind 11 tags [U16] match [U16] mask 1\n"
       "  x: INTEGER kind 0 tags [C0] match [C0] range 0..9\n"
       "  y: INTEGER kind 0 tags [C1] match [C1] range 0..9 bit 0 optional\n"
       "  z: BOOLEAN kind 8 tags [C2] match [C2] bit 1 default 0\n"},
      {"Missing", "zurasn1: error: no type assignment named Missing in the modules"},
  });
  expectRows(pkix_, {
      {"PKIX1Explicit88.Version", "Version: INTEGER kind 0 tags [U2] match [U2] named v1=0 v2=1 v3=2\n"},
      {"PKIX1Implicit88.Version", "zurasn1: error: no type assignment named PKIX1Implicit88.Version in the modules"},
  });
}

// Values the front end accepts and a layout cannot hold are refused where
// the component is written, or where the value inside its DEFAULT is.
TEST(BackEndProblems, ValuesALayoutCannotHold) {
  struct Case {
    const char *assignment;
    const char *diagnostic;
  };
  const Case cases[] = {
      {"B ::= SEQUENCE { t UTCTime DEFAULT \"991399235959Z\" }",
       "m.asn1:2:18: error: cannot lay out a UTCTime value that is not a valid time\n"},
      {"F ::= SEQUENCE { g GeneralizedTime DEFAULT \"2024\" }",
       "m.asn1:2:18: error: cannot lay out a GeneralizedTime value that is not a valid time\n"},
      {"C ::= SEQUENCE { s TeletexString DEFAULT { 0, 0, 1, 0 } }",
       "m.asn1:2:18: error: cannot lay out a character beyond 8 bits in a TeletexString value\n"},
      {"E ::= SEQUENCE { o RELATIVE-OID DEFAULT { 4294967296 } }",
       "m.asn1:2:18: error: cannot lay out a RELATIVE-OID arc beyond 32 bits\n"},
      // An encoding, which would depend on the rules.
      {"A ::= SEQUENCE { a ANY DEFAULT INTEGER : 5 }",
       "m.asn1:2:18: error: cannot lay out a value of an open type that no object set selects other than as its "
       "encoding ('..'H)\n"},
      // The type is the one of the object that the id of the value decoded selects.
      {"S ::= CLASS { &id INTEGER UNIQUE, &Type }\nSet S ::= { { &id 1, &Type INTEGER } }\n"
       "G ::= SEQUENCE { id S.&id ({Set}), v [0] S.&Type ({Set}{@id}) DEFAULT INTEGER : 5 }",
       "m.asn1:4:36: error: cannot lay out an open type's value whose selecting component lies outside it\n"},
      {"S ::= CLASS { &id INTEGER UNIQUE, &Type }\nSet S ::= { { &id 1, &Type INTEGER } }\n"
       "P ::= SEQUENCE { id S.&id ({Set}), v [0] S.&Type ({Set}{@id}) }\n"
       "H ::= SEQUENCE { p P DEFAULT { id 2, v INTEGER : 5 } }",
       "m.asn1:5:40: error: cannot lay out an open type's value whose id no object of its set has\n"},
  };
  for (const Case &c : cases) {
    std::ostringstream diagnostics;
    const std::string text = std::string("M DEFINITIONS ::= BEGIN\n") + c.assignment + "\nEND\n";
    EXPECT_EQ(zurasn1::Compilation::compile({{"m.asn1", text}}, diagnostics), nullptr);
    EXPECT_EQ(diagnostics.str(), c.diagnostic);
  }
}

}  // namespace
}  // namespace zurtest
