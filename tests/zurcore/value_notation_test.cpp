// Values read from value notation (Compilation::readValues, what zurasn1
// encode takes): what the printer prints of random values of every kind of
// CodecKinds, and of the kinds it leaves out, reads back as the same value,
// so that it encodes to what the value itself encodes to and prints the same.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/codec_harness.h"
#include "tests/support/value_generator.h"

namespace {

using zurtest::CodecHarness;
using zurtest::fromHex;
using zurtest::toHex;

struct Read {
  std::unique_ptr<zurasn1::Compilation> compiled;
  std::string diagnostics;
};

Read readValues(const CodecHarness &h, const std::string &type, const std::string &text) {
  std::ostringstream diagnostics;
  Read r{h.compiled().readValues({"in.txt", text}, h.pdu(type), diagnostics), {}};
  r.diagnostics = diagnostics.str();
  return r;
}

// The value read from `text` encoded under `rules` and printed, with the
// tables that came with it.
std::pair<zurtest::Encoded, std::string> encodeRead(CodecHarness &h, const std::string &type,
                                                    const Read &r, int32_t rules) {
  Env *env = h.env();
  const CtlTbl *own = env->ctlTbl;
  env->ctlTbl = r.compiled->ctlTbl();
  std::pair<zurtest::Encoded, std::string> out{h.encode(type, rules, r.compiled->values().at(0)),
                                               h.print(type, r.compiled->values().at(0))};
  env->ctlTbl = own;
  return out;
}

TEST(ValueNotation, PrintedRandomValuesOfEveryKindReadBack) {
  CodecHarness h(std::vector<std::string>{std::string(ZURBASE_TEST_DATA) + "/codec/CodecKinds.asn1"});
  zurtest::ValueGenerator generator(h.compiled().ctlTbl(), 5);
  generator.beyondRoots = true;
  generator.printable = true;
  std::size_t checked = 0;
  const CtlTbl *ctl = h.compiled().ctlTbl();
  for (std::size_t pdu = 0; pdu < h.compiled().pduCount(); ++pdu) {
    const std::string type = ctl->types[ctl->pduTypes[pdu]].name;
    for (int i = 0; i < 20; ++i) {
      void *value = generator.value(h.pdu(type));
      const std::string printed = h.print(type, value);
      const Read r = readValues(h, type, printed);
      ASSERT_TRUE(r.compiled) << printed << r.diagnostics;
      for (int32_t rules : {RULES_BER, RULES_DER, RULES_PER_ALIGNED, RULES_PER}) {
        const zurtest::Encoded direct = h.encode(type, rules, value);
        const auto [read, reprinted] = encodeRead(h, type, r, rules);
        EXPECT_EQ(read.status, direct.status) << printed << read.message;
        EXPECT_EQ(toHex(read.octets), toHex(direct.octets)) << printed;
        EXPECT_EQ(reprinted, printed);
        ++checked;
      }
    }
  }
  EXPECT_GE(checked, 4 * 20 * h.compiled().pduCount());
}

// What CodecKinds has not, or the generator does not make, in each printed
// form: the values decoded from their DER, printed, read and encoded again.
TEST(ValueNotation, PrintedFormsOfTheOtherKindsReadBack) {
  CodecHarness h(std::vector<zurasn1::ModuleText>{{"other.asn1", R"(
Other DEFINITIONS AUTOMATIC TAGS ::= BEGIN
Universal ::= UniversalString
Bmp ::= BMPString
Real ::= REAL
Bits ::= BIT STRING { a(0), b(1), c(5) }
Named ::= INTEGER { minus(-1), big(1000000) }
Pair ::= SEQUENCE { text PrintableString, time GeneralizedTime, rest ANY OPTIONAL }
END
)"}});
  const struct {
    const char *type;
    const char *der;
  } rows[] = {
      {"Universal", "1C 08 00 00 00 41 00 01 F6 00"},
      {"Bmp", "1E 04 00 41 20 AC"},
      {"Real", "09 00"},
      {"Real", "09 01 40"},
      {"Real", "09 01 41"},
      {"Real", "09 03 80 FE 05"},
      {"Real", "09 03 C0 02 03"},
      {"Bits", "03 02 02 A4"},
      {"Bits", "03 01 00"},
      {"Named", "02 01 FF"},
      {"Named", "02 03 0F 42 40"},
      {"Named", "02 01 07"},
      {"Pair", "30 19 80 02 41 42 81 13 32 30 32 36 30 31 30 32 30 33 30 34 30 35 2E 31 32 35 5A"},
      {"Pair", "30 17 80 00 81 0F 32 30 32 36 30 31 30 32 30 33 30 34 30 35 5A A2 02 05 00"},
  };
  for (const auto &row : rows) {
    const zurtest::Octets der = fromHex(row.der);
    const zurtest::Decoded d = h.decode(row.type, RULES_DER, der);
    ASSERT_EQ(d.status, 0) << row.der << d.message;
    const std::string printed = h.print(row.type, d.value);
    const Read r = readValues(h, row.type, printed);
    ASSERT_TRUE(r.compiled) << printed << r.diagnostics;
    const auto [read, reprinted] = encodeRead(h, row.type, r, RULES_DER);
    EXPECT_EQ(toHex(read.octets), toHex(der)) << printed << read.message;
    EXPECT_EQ(reprinted, printed);
  }
}

// Hand-written forms read as the value they stand for, and encoded as every
// rules wants it; those that would stand for another value are refused.
TEST(ValueNotation, WrittenFormsEncodeAsTheirValuesOrAreRefused) {
  CodecHarness h(std::vector<zurasn1::ModuleText>{{"written.asn1", R"(
Written DEFINITIONS AUTOMATIC TAGS ::= BEGIN
Huge ::= INTEGER
Counted ::= INTEGER (0..MAX)
Real ::= REAL
Opaque ::= SEQUENCE { body ANY }
Octets ::= OCTET STRING
Bits ::= BIT STRING
Bmp ::= BMPString
Text ::= UTF8String
Oid ::= OBJECT IDENTIFIER
END
)"}});
  const struct {
    const char *type;
    const char *text;
    int32_t rules;
    const char *encoding;     // hex; empty when refused
    const char *diagnostic;   // the start of the diagnostic (a warning's when not refused)
  } rows[] = {
      {"Huge", "'0001'H", RULES_DER, "02 01 01", ""},
      {"Huge", "'FFFF80'H", RULES_BER, "02 01 80", ""},
      {"Huge", "'00FF'H", RULES_DER, "02 02 00 FF", ""},
      {"Huge", "'0000000000000000000001'H", RULES_PER, "01 01", ""},
      {"Counted", "'000080'H", RULES_PER_ALIGNED, "01 80", ""},
      {"Huge", "'1'H", RULES_BER, "", "error: the hstring of an INTEGER has an odd number of digits"},
      {"Opaque", "{ body '050'H }", RULES_BER, "", "error: the hstring of an encoding has an odd number"},
      {"Real", "{ 1, 10, 308 }", RULES_DER, "09 09 81 03 D0 8E 67 9C 2F 5E 45", ""},
      {"Real", "{ 1, 10, 400 }", RULES_BER, "", "error: a REAL beyond the range of a double"},
      {"Real", "{ -1.5, 10, 400 }", RULES_BER, "", "error: a REAL beyond the range of a double"},
      {"Real", "{ 1, 10, -400 }", RULES_BER, "", "error: a REAL beyond the range of a double"},
      {"Real", "{ 1, 2, 1024 }", RULES_BER, "", "error: a REAL beyond the range of a double"},
      {"Real", "{ 1, 2, -1100 }", RULES_BER, "", "error: a REAL beyond the range of a double"},
      {"Real", "-1e400", RULES_BER, "", "error: a REAL beyond the range of a double"},
      {"Real", "1e-400", RULES_BER, "", "error: a REAL beyond the range of a double"},
      {"Real", "{ 1, 2, -1074 }", RULES_DER, "09 04 81 FB CE 01", ""},
      // A zero mantissa, of any sign, is plus zero (minus zero is 09 01 43).
      {"Real", "{ -0.0, 10, 0 }", RULES_DER, "09 00", ""},
      {"Real", "{ -0.000, 10, 5 }", RULES_BER, "09 00", ""},
      {"Real", "{ -1.5, 10, 0 }", RULES_DER, "09 03 C0 FF 03", ""},
      // Vertical tab and form feed are white space between the digits too.
      {"Octets", "'01\v02'H", RULES_DER, "04 02 01 02", ""},
      {"Bits", "'1\f0'B", RULES_DER, "03 02 06 80", ""},
      {"Huge", "'00\f80'H", RULES_DER, "02 02 00 80", ""},
      {"Bmp", "'0041\f0042'H", RULES_DER, "1E 04 00 41 00 42", ""},
      {"Opaque", "{ body '05\v00'H }", RULES_DER, "30 04 A0 02 05 00", ""},
      // UTF-8 that stands for one character only; C0 80 was read as U+0000.
      {"Text", "\"\xF4\x8F\xBF\xBF\"", RULES_DER, "0C 04 F4 8F BF BF", ""},
      {"Text", "\"\xC0\x80\"", RULES_BER, "", "error: a cstring is not valid UTF-8"},
      {"Text", "\"\xE0\x80\x80\"", RULES_BER, "", "error: a cstring is not valid UTF-8"},
      {"Text", "\"\xED\xA0\x80\"", RULES_BER, "", "error: a cstring is not valid UTF-8"},
      {"Text", "\"\xF4\x90\x80\x80\"", RULES_BER, "", "error: a cstring is not valid UTF-8"},
      {"Text", "{ { 0, 17, 0, 0 } }", RULES_BER, "", "error: value has the character U+110000"},
      // Refused where the value or the arc is written, as in a module.
      {"Huge", "-0", RULES_BER, "", "in.txt:1:16: error: zero is written 0, without a '-'"},
      {"Oid", "{ 1 }", RULES_BER, "", "in.txt:1:15: error: an OBJECT IDENTIFIER has two arcs at least"},
      {"Oid", "{ 1 40 }", RULES_BER, "", "in.txt:1:19: error: the second arc under 0 or 1 is below 40"},
      {"Oid", "{ iso(2) 3 }", RULES_DER, "06 01 53", "in.txt:1:17: warning: iso is the name of arc 1, not of 2"},
  };
  for (const auto &row : rows) {
    const std::string text = std::string("value ") + row.type + " ::= " + row.text;
    const Read r = readValues(h, row.type, text);
    EXPECT_NE(r.diagnostics.find(row.diagnostic), std::string::npos) << text << "\n" << r.diagnostics;
    if (*row.encoding == '\0') {
      EXPECT_EQ(r.compiled, nullptr) << text;
      continue;
    }
    ASSERT_TRUE(r.compiled) << text << r.diagnostics;
    const auto [read, printed] = encodeRead(h, row.type, r, row.rules);
    EXPECT_EQ(read.status, 0) << text << read.message;
    EXPECT_EQ(toHex(read.octets), toHex(fromHex(row.encoding))) << text;
  }
}

// An EXTERNAL value written in X.680's form encodes under every rules as
// the value in the X.208 form that the printer writes; identifications the
// X.208 record has no place for are refused where they are written.
TEST(ValueNotation, ExternalValuesInX680FormAreTheirX208Records) {
  CodecHarness h(std::vector<zurasn1::ModuleText>{{"external.asn1", R"(
External DEFINITIONS AUTOMATIC TAGS ::= BEGIN
Ext ::= EXTERNAL
Held ::= SEQUENCE { e [3] EXTERNAL }
mine EXTERNAL ::= { identification syntax : { 1 2 3 }, data-value '01'H }
END
)"}});
  const struct {
    const char *type;
    const char *x680;
    const char *x208;        // empty when the X.680 form is refused
    const char *diagnostic;  // when refused
  } rows[] = {
      {"Ext", "{ identification syntax : { 1 2 3 }, data-value '0102'H }",
       "{ direct-reference { 1 2 3 }, encoding octet-aligned : '0102'H }", ""},
      {"Ext", "{ identification presentation-context-id : 7, data-value-descriptor \"d\", data-value ''H }",
       "{ indirect-reference 7, data-value-descriptor \"d\", encoding octet-aligned : ''H }", ""},
      {"Held",
       "{ e { identification context-negotiation : { presentation-context-id 300, transfer-syntax { 2 1 1 } }, "
       "data-value 'FF'H } }",
       "{ e { direct-reference { 2 1 1 }, indirect-reference 300, encoding octet-aligned : 'FF'H } }", ""},
      // A module's value in that form.
      {"Held", "{ e mine }", "{ e { direct-reference { 1 2 3 }, encoding octet-aligned : '01'H } }", ""},
      {"Ext", "{ identification fixed : NULL, data-value ''H }", "",
       "in.txt:1:32: error: an EXTERNAL value cannot be identified by fixed"},
  };
  for (const auto &row : rows) {
    const std::string text = std::string("value ") + row.type + " ::= " + row.x680;
    const Read r = readValues(h, row.type, text);
    if (*row.x208 == '\0') {
      EXPECT_EQ(r.compiled, nullptr) << text;
      EXPECT_EQ(r.diagnostics.rfind(row.diagnostic, 0), 0u) << text << "\n" << r.diagnostics;
      continue;
    }
    const std::string record = std::string("value ") + row.type + " ::= " + row.x208;
    const Read x208 = readValues(h, row.type, record);
    ASSERT_TRUE(r.compiled) << text << r.diagnostics;
    ASSERT_TRUE(x208.compiled) << record << x208.diagnostics;
    for (int32_t rules : {RULES_BER, RULES_DER, RULES_PER_ALIGNED, RULES_PER}) {
      const auto [read, printed] = encodeRead(h, row.type, r, rules);
      const auto [wanted, printedRecord] = encodeRead(h, row.type, x208, rules);
      EXPECT_EQ(read.status, 0) << text << read.message;
      EXPECT_EQ(toHex(read.octets), toHex(wanted.octets)) << text;
      EXPECT_EQ(printed, printedRecord) << text;
    }
  }
}

}  // namespace
