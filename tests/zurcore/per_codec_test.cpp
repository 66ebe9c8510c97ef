// The PER codec on modules compiled by zurasn1: what malformed input and
// values outside their constraints are told, and where; the empty encoding,
// fragments, limits and the field lines of the trace.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/codec_harness.h"
#include "tests/support/general_tables.h"
#include "tests/support/value_generator.h"
#include "zurcore/per/per_values.h"

namespace {

using zurtest::CodecHarness;
using zurtest::fromHex;
using zurtest::Octets;
using zurtest::toHex;

const char *const kRows = R"(
Rows DEFINITIONS AUTOMATIC TAGS ::= BEGIN
Rec ::= SEQUENCE {
  a  INTEGER (0..5),
  b  IA5String (SIZE (2..4)) OPTIONAL,
  c  ENUMERATED { x, y, z } OPTIONAL,
  d  CHOICE { p NULL, q BOOLEAN, r INTEGER (0..7) } OPTIONAL,
  e  VisibleString (FROM ("a".."z")) OPTIONAL,
  ...,
  [[ f BOOLEAN, g BOOLEAN OPTIONAL ]]
}
One ::= SEQUENCE { a INTEGER (42..42), b BOOLEAN }
Nothing ::= NULL
Blob ::= OCTET STRING
Deep ::= SEQUENCE { next Deep OPTIONAL }
Many ::= SEQUENCE OF NULL
Open ::= SEQUENCE { kind INTEGER, value ANY DEFINED BY kind }
Ia5 ::= IA5String
Bounded ::= IA5String (SIZE (1..4))
Lower ::= VisibleString (FROM ("a".."z"))
Visible ::= VisibleString
Printable ::= PrintableString
Single ::= VisibleString (FROM ("x"))
Tagged ::= CHOICE { b [APPLICATION 3] NULL, a [APPLICATION 1] NULL, c [APPLICATION 2] BOOLEAN }
Pair ::= SEQUENCE { f BOOLEAN, c PrintableString (SIZE (2)) }
Wide ::= SEQUENCE { f BOOLEAN, c BMPString (SIZE (1)) }
Code ::= SEQUENCE { f BOOLEAN, c VisibleString (FROM ("a".."d") ^ SIZE (8)) }
Digits ::= SEQUENCE { f BOOLEAN, c NumericString (SIZE (0..3)) }
Letter ::= SEQUENCE { f BOOLEAN, c PrintableString (SIZE (0..1)) }
Twice ::= SEQUENCE { f BOOLEAN, c PrintableString (SIZE (1..2)) }
Short ::= SEQUENCE { f BOOLEAN, c OCTET STRING (SIZE (2)) }
Ones ::= SEQUENCE { f BOOLEAN, c VisibleString (FROM ("a")) (SIZE (8)) }
Capped ::= INTEGER (MIN..10)
CappedNamed ::= INTEGER { ten(10) } (MIN..10)
END
)";

CodecHarness &rows() {
  static CodecHarness harness(std::vector<zurasn1::ModuleText>{{"rows.asn1", kRows}});
  return harness;
}

// Each malformed input gives its row and the bit where the fault lies; the
// good inputs beside them decode to the value shown.
TEST(PerCodec, FaultsAreReportedWithRowAndBit) {
  const struct {
    const char *type;
    int32_t rules;
    const char *hex;
    const char *result;  // the value printed, or the report
  } cases[] = {
      {"Rec", RULES_PER, "05", "value Rec ::= \n{\n  a 5\n}\n"},
      {"Rec", RULES_PER, "06", "D0062S: Value range constraint violated, value = 6 at bit 5.\n"},
      {"Rec", RULES_PER, "", "D0055S: Premature end of input buffer at bit 0.\n"},
      {"Rec", RULES_PER, "0A", "D0055S: Premature end of input buffer at bit 8.\n"},
      {"Rec", RULES_PER_ALIGNED, "4A 41 42 43 44", "D0055S: Premature end of input buffer at bit 40.\n"},
      {"Rec", RULES_PER, "20 C0", "D0071S: Value not among the ENUMERATED: 3 at bit 8.\n"},
      {"Rec", RULES_PER, "10 C0", "D0009S: Out-of-range CHOICE selector: 3 at bit 8.\n"},
      {"Rec", RULES_PER, "10 80", "value Rec ::= \n{\n  a 0,\n  d r : 0\n}\n"},
      {"Rec", RULES_PER, "08 01 F8", "D0064S: Permitted alphabet constraint violated, bad character: 'code 31' at bit 16.\n"},
      {"Lower", RULES_PER, "0C 00 00 00 00 00 00 01 F0", "D0064S: Permitted alphabet constraint violated, bad character: 'code 31' at bit 63.\n"},
      // Characters read several at a time: eight 7-bit codes, aligned octets.
      {"Visible", RULES_PER, "0A 83 0A 1C 48 B1 A3 C8 93 28", "value Visible ::= \"ABCDEFGHIJ\"\n"},
      {"Visible", RULES_PER, "0A 83 0A 1C 48 B1 A3 C8 3F 28", "D0064S: Permitted alphabet constraint violated, bad character: 'code 31' at bit 64.\n"},
      {"Visible", RULES_PER, "0A 83 0B FC 48 B1 A3 C8 93 28", "D0064S: Permitted alphabet constraint violated, bad character: 'code 127' at bit 22.\n"},
      {"Visible", RULES_PER, "11 83 0A 1C 48 B1 A3 C8 93 28 84 C9 B3 A7 D0 A2 78", "D0064S: Permitted alphabet constraint violated, bad character: 'code 16' at bit 78.\n"},
      {"Ia5", RULES_PER, "0A 83 0A 1C 48 B1 A3 C8 93 28", "value Ia5 ::= \"ABCDEFGHIJ\"\n"},
      {"Ia5", RULES_PER_ALIGNED, "09 41 42 43 44 45 46 47 48 49", "value Ia5 ::= \"ABCDEFGHI\"\n"},
      {"Rec", RULES_PER_ALIGNED, "63 00 41 43 80", "value Rec ::= \n{\n  a 3,\n  b \"AC\",\n  c 2\n}\n"},
      {"Ia5", RULES_PER_ALIGNED, "03 41 80 42", "D0064S: Permitted alphabet constraint violated, bad character: 'code 128' at bit 16.\n"},
      {"Rec", RULES_PER, "80 01 00", "D0090E: Length of encoded data of OpenType is 0 at bit 16.\n"},
      {"Rec", RULES_PER, "80 01 01 40", "value Rec ::= \n{\n  a 0,\n  f TRUE\n}\n"},
      {"Rec", RULES_PER, "80 01 05 40", "D0055S: Premature end of input buffer at bit 24.\n"},
      {"Nothing", RULES_PER, "00", "value Nothing ::= NULL\n"},
      {"Nothing", RULES_PER, "", "D0055S: Premature end of input buffer at bit 0.\n"},
      {"One", RULES_PER_ALIGNED, "80", "value One ::= \n{\n  a 42,\n  b TRUE\n}\n"},
      {"Blob", RULES_PER_ALIGNED, "C5", "D0037E: Value misencoded or length wrong for value at bit 8.\n"},
      {"Blob", RULES_PER, "81 00 AA", "D0055S: Premature end of input buffer at bit 16.\n"},
      // A CHOICE index counts in the canonical order of the tags.
      {"Tagged", RULES_PER, "80", "value Tagged ::= b : NULL\n"},
      {"Tagged", RULES_PER, "00", "value Tagged ::= a : NULL\n"},
      {"Tagged", RULES_PER, "60", "value Tagged ::= c : TRUE\n"},
      // An upper bound alone is not in the encoding, and checked after it.
      {"Capped", RULES_PER, "01 F6", "value Capped ::= 'F6'H\n"},
      {"Capped", RULES_PER, "01 1A", "D0062S: Value range constraint violated, value = 26 at bit 0.\n"},
      {"Capped", RULES_PER, "09 01 00 00 00 00 00 00 00 00", "D0023E: Integer or enumerated value too long: 9 at bit 0.\n"},
      {"CappedNamed", RULES_PER, "01 0A", "value CappedNamed ::= 10\n"},
      {"CappedNamed", RULES_PER, "01 1A", "D0062S: Value range constraint violated, value = 26 at bit 0.\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.hex);
    zurtest::Decoded d = rows().decode(c.type, c.rules, fromHex(c.hex));
    EXPECT_EQ(d.status == 0 ? rows().print(c.type, d.value) : d.message, c.result);
  }
  // BER leaves the bound to the application; PER encoding names the value it refuses.
  zurtest::Decoded over = rows().decode("Capped", RULES_BER, fromHex("02 01 1A"));
  ASSERT_EQ(over.status, 0) << over.message;
  EXPECT_EQ(rows().encode("Capped", RULES_PER, over.value).message, "E0062S: Value range constraint violated, value = 26.\n");
}

// VisibleString's characters, 8-bit in the ALIGNED variant and 7-bit in
// the other, are read eight at a time: strings of every length up to two
// steps and a part, good or with a code outside the alphabet in each place,
// an octet above 0x7F behind them. The value keeps its terminator.
TEST(PerCodec, OneOctetCharactersAreReadEightAtATime) {
  for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED}) {
    const unsigned bits = rules == RULES_PER ? 7 : 8;
    for (unsigned n = 0; n <= 17; ++n) {
      for (int bad = -1; bad < static_cast<int>(n); ++bad) {
        SCOPED_TRACE(std::to_string(bits) + "-bit, " + std::to_string(n) + " characters, bad at " +
                     std::to_string(bad));
        std::string text;
        Octets in{static_cast<unsigned char>(n)};
        unsigned used = 0;  // bits of in's last octet
        for (unsigned i = 0; i < n; ++i) {
          const unsigned code = static_cast<int>(i) == bad ? 0x1F : 'A' + i;
          text += static_cast<char>(code);
          for (unsigned b = bits; b-- > 0;) {
            if (used % 8 == 0) in.push_back(0);
            in.back() |= static_cast<unsigned char>(((code >> b) & 1) << (7 - used % 8));
            ++used;
          }
        }
        const std::size_t size = in.size();
        in.push_back(0xFF);
        const zurtest::Decoded d = rows().decode("Visible", rules, in);
        if (bad >= 0) {
          EXPECT_EQ(d.message, "D0064S: Permitted alphabet constraint violated, bad character: 'code 31' at bit " +
                                   std::to_string(8 + bad * bits) + ".\n");
          continue;
        }
        ASSERT_EQ(d.status, 0) << d.message;
        EXPECT_EQ(static_cast<std::size_t>(d.consumed), size);
        const auto &chars = *static_cast<const ZurChars *>(d.value);
        ASSERT_EQ(chars.length, n);
        EXPECT_EQ(std::string(chars.value, n), text);
        EXPECT_EQ(chars.value[n], '\0');
      }
    }
  }
}

// In the ALIGNED variant, characters start on an octet boundary when the
// most their size allows takes 16 bits or more, with a length or without;
// fixed octets only over 16 bits. An alphabet of one character takes one
// bit a character.
TEST(PerCodec, CharactersAreAlignedFromSixteenBits) {
  const struct {
    const char *type;
    const char *hex;
    const char *value;
  } cases[] = {
      {"Pair", "80 41 6E", "\"An\""},         // 2 x 8 bits, fixed
      {"Wide", "80 00 41", "'0041'H"},       // 1 x 16
      {"Code", "80 1B 1B", "\"abcdabcd\""},   // 8 x 2
      {"Twice", "80 41", "\"A\""},            // up to 2 x 8, behind a length
      {"Digits", "C4 60", "\"12\""},          // up to 3 x 4: not aligned
      {"Letter", "D0 40", "\"A\""},           // up to 1 x 8: not aligned
      {"Short", "A0 B7 00", "'416E'H"},       // 2 octets, fixed: not aligned
      {"Ones", "80 00", "\"aaaaaaaa\""},       // 8 x 1: one character takes a bit
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.hex);
    zurtest::Decoded d = rows().decode(c.type, RULES_PER_ALIGNED, fromHex(c.hex));
    ASSERT_EQ(d.status, 0) << d.message;
    EXPECT_EQ(rows().print(c.type, d.value),
              "value " + std::string(c.type) + " ::= \n{\n  f TRUE,\n  c " + c.value + "\n}\n");
    zurtest::Encoded e = rows().encode(c.type, RULES_PER_ALIGNED, d.value);
    ASSERT_EQ(e.status, 0) << e.message;
    EXPECT_EQ(toHex(e.octets), toHex(fromHex(c.hex)));
  }
}

// Values outside their PER-visible constraints are refused with the row of
// the constraint; the empty encoding is one zero octet.
TEST(PerCodec, EncodingChecksTheConstraints) {
  const struct {
    const char *type;
    const char *hex;  // an encoding that decodes to the value
    const char *result;
  } cases[] = {
      {"Nothing", "00", "00"},
      {"One", "80", "80"},
      {"Rec", "05", "05"},
      {"Rec", "80 01 01 40", "80 01 01 40"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.hex);
    zurtest::Decoded d = rows().decode(c.type, RULES_PER, fromHex(c.hex));
    ASSERT_EQ(d.status, 0) << d.message;
    zurtest::Encoded e = rows().encode(c.type, RULES_PER, d.value);
    EXPECT_EQ(e.status == 0 ? toHex(e.octets) : e.message, toHex(fromHex(c.result)));
  }
  // Out of range, too long, outside the alphabet, an unknown selector and a
  // version bracket without its mandatory member, each made from a good value.
  zurtest::Decoded d = rows().decode("Rec", RULES_PER, fromHex("72 20 C2 40"));
  ASSERT_EQ(d.status, 0) << d.message;
  const std::string good = rows().print("Rec", d.value);
  EXPECT_EQ(good, "value Rec ::= \n{\n  a 2,\n  b \"AB\",\n  c 1,\n  d p : NULL\n}\n");
  auto *rec = static_cast<unsigned char *>(d.value);
  const CtlTbl *ctl = rows().compiled().ctlTbl();
  const TypeDesc &t = ctl->types[ctl->pduTypes[rows().pdu("Rec") - 1]];
  auto field = [&](int i) { return rec + ctl->fields[t.ref + i].offset; };
  const struct {
    int component;
    std::vector<unsigned char> bytes;  // written over the component's first bytes
    const char *message;
  } faults[] = {
      {0, {9, 0, 0, 0, 0, 0, 0, 0}, "E0062S: Value range constraint violated, value = 9 (in 'a').\n"},
      {1, {5, 0, 0, 0}, "E0063S: Size constraint violated, length of value = 5 (in 'b').\n"},
      {2, {7, 0, 0, 0}, "E0071S: Value not among the ENUMERATED: 7 (in 'c').\n"},
      {3, {4, 0, 0, 0}, "E0009S: Out-of-range CHOICE selector: 4 (in 'd').\n"},
  };
  for (const auto &f : faults) {
    SCOPED_TRACE(f.message);
    std::vector<unsigned char> saved(field(f.component), field(f.component) + f.bytes.size());
    std::copy(f.bytes.begin(), f.bytes.end(), field(f.component));
    zurtest::Encoded e = rows().encode("Rec", RULES_PER, d.value);
    EXPECT_EQ(e.message, f.message);
    std::copy(saved.begin(), saved.end(), field(f.component));
  }
  EXPECT_EQ(toHex(rows().encode("Rec", RULES_PER, d.value).octets), "7220C240");
}

// Each character is checked whichever way the encoder writes it: as the
// octets themselves, as codes packed into words, as indexes in one range or
// in several, or in no bits at all (an alphabet of one character); behind
// an unconstrained length or a constrained one.
TEST(PerCodec, EncodingChecksEveryCharacter) {
  const struct {
    const char *type;
    int32_t rules;
    const char *text;
    const char *result;  // the encoding, or the report
  } cases[] = {
      {"Ia5", RULES_PER_ALIGNED, "AB", "02 41 42"},
      {"Ia5", RULES_PER_ALIGNED, "A\x80", "E0064S: Permitted alphabet constraint violated, bad character: 'U+0080'.\n"},
      {"Ia5", RULES_PER, "AB", "02 83 08"},
      {"Ia5", RULES_PER, "AB\xFF", "E0064S: Permitted alphabet constraint violated, bad character: 'U+00FF'.\n"},
      {"Ia5", RULES_PER, "ABCDEFGHIJ", "0A 83 0A 1C 48 B1 A3 C8 93 28"},
      {"Bounded", RULES_PER_ALIGNED, "AB", "40 41 42"},
      {"Bounded", RULES_PER_ALIGNED, "AB\x80", "E0064S: Permitted alphabet constraint violated, bad character: 'U+0080'.\n"},
      {"Bounded", RULES_PER, "AB", "60 C2"},
      {"Bounded", RULES_PER, "A\xFF", "E0064S: Permitted alphabet constraint violated, bad character: 'U+00FF'.\n"},
      {"Visible", RULES_PER, "ABCDEFGHIJ", "0A 83 0A 1C 48 B1 A3 C8 93 28"},
      {"Visible", RULES_PER, "ABCDEFGHIJKLMNOP\x7F", "E0064S: Permitted alphabet constraint violated, bad character: 'U+007F'.\n"},
      {"Visible", RULES_PER, "ABC\x1F" "EFGHIJ", "E0064S: Permitted alphabet constraint violated, bad character: 'U+001F'.\n"},
      {"Visible", RULES_PER, "ABCDEFGHIJ\xA0", "E0064S: Permitted alphabet constraint violated, bad character: 'U+00A0'.\n"},
      {"Lower", RULES_PER, "ab", "02 00 40"},
      {"Lower", RULES_PER, "aB", "E0064S: Permitted alphabet constraint violated, bad character: 'B'.\n"},
      {"Lower", RULES_PER_ALIGNED, "ab", "02 61 62"},
      {"Printable", RULES_PER, "a?", "02 C2 FC"},
      {"Printable", RULES_PER, "a!", "E0064S: Permitted alphabet constraint violated, bad character: '!'.\n"},
      {"Single", RULES_PER, "xx", "02"},
      {"Single", RULES_PER_ALIGNED, "xy", "E0064S: Permitted alphabet constraint violated, bad character: 'y'.\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.text);
    std::string text = c.text;
    ZurChars value{static_cast<uint32_t>(text.size()), text.data()};
    zurtest::Encoded e = rows().encode(c.type, c.rules, &value);
    EXPECT_EQ(e.status == 0 ? toHex(e.octets) : e.message,
              e.status == 0 ? toHex(fromHex(c.result)) : c.result);
  }
}

// Constraints whose PER bounds are not their values: a union with gaps
// (encoded in its hull, a value in a gap refused by the value reader and
// the encoder, not by the decoder), a value in a gap of an extensible root (in the
// root's range, so encoded as a root value; asn1ct's extension form of it
// decodes too), an extensible FROM beside a SIZE (the SIZE stays, the FROM
// goes) and extensible sizes up to MAX (an extension bit all the same).
TEST(PerCodec, ConstraintCornersFollowTheirValues) {
  CodecHarness h(std::vector<zurasn1::ModuleText>{{"corners.asn1", R"(
Corners DEFINITIONS AUTOMATIC TAGS ::= BEGIN
Two ::= INTEGER (1 | 5)
Apart ::= INTEGER (MIN..0 | 5..MAX)
Spans ::= INTEGER (0..10 | 20..30)
Narrowed ::= Spans (5..20)
Sizes ::= OCTET STRING (SIZE (1 | 4))
Flags ::= BIT STRING { a(0), b(1) } (SIZE (1 | 4))
Items ::= SEQUENCE (SIZE (1 | 3)) OF BOOLEAN
Chars ::= IA5String (SIZE (1 | 3))
Picks ::= IA5String (FROM ("a" | "c"))
Gapped ::= INTEGER (11..15 | 20, ...)
Letters ::= IA5String (FROM ("a".."z") ^ SIZE (1..8), ...)
Open ::= OCTET STRING (SIZE (0..MAX, ...))
List ::= SEQUENCE (SIZE (1..MAX, ...)) OF BOOLEAN
Any ::= INTEGER (MIN..MAX, ...)
END
)"}});
  const struct {
    const char *type, *notation;
    const char *aligned, *unaligned;  // the encodings, or the reader's error for both
  } written[] = {
      {"Two", "5", "80", "80"},
      {"Two", "3", "in.txt:1:11: error: value 3 is outside the type's values 1 | 5\n", nullptr},
      {"Two", "6", "in.txt:1:11: error: value 6 is outside the type's values 1 | 5\n", nullptr},
      {"Apart", "7", "01 07", "01 07"},
      {"Apart", "3", "in.txt:1:13: error: value 3 is outside the type's values MIN..0 | 5..MAX\n", nullptr},
      {"Narrowed", "20", "F0", "F0"},
      {"Narrowed", "15", "in.txt:1:16: error: value 15 is outside the type's values 5..10 | 20\n", nullptr},
      {"Sizes", "'01020304'H", "C0 01 02 03 04", "C0 40 80 C1 00"},
      {"Sizes", "'0102'H", "in.txt:1:13: error: value of size 2 is outside the type's SIZE 1 | 4\n", nullptr},
      {"Flags", "{ b }", "C0 40", "D0"},
      {"Flags", "{ a }", "00 80", "20"},
      {"Items", "{ TRUE, FALSE }", "in.txt:1:13: error: value of size 2 is outside the type's SIZE 1 | 3\n", nullptr},
      {"Chars", "\"ab\"", "in.txt:1:13: error: value of size 2 is outside the type's SIZE 1 | 3\n", nullptr},
      {"Picks", "\"ca\"", "02 80", "02 80"},
      {"Picks", "\"ab\"", "in.txt:1:13: error: value has the character U+0062, which its type does not permit\n", nullptr},
      {"Gapped", "16", "28", "28"},
      {"Gapped", "13", "10", "10"},
      {"Gapped", "21", "80 01 15", "80 8A 80"},
      {"Letters", "\"abc\"", "20 61 62 63", "2C 38 B1 80"},
      {"Letters", "\"ABC\"", "20 41 42 43", "28 30 A1 80"},
      {"Letters", "\"abcdefghij\"", "80 0A 61 62 63 64 65 66 67 68 69 6A", "85 61 C5 8F 26 5C D9 F4 69 D4"},
      {"Open", "''H", "00 00", "00 00"},
      {"Open", "'0102'H", "00 02 01 02", "01 00 81 00"},
      {"List", "{ TRUE }", "00 01 80", "00 C0"},
      {"Any", "5", "00 01 05", "00 82 80"},
  };
  Env *env = h.env();
  const CtlTbl *own = env->ctlTbl;
  for (const auto &c : written) {
    SCOPED_TRACE(std::string(c.type) + " " + c.notation);
    std::ostringstream diagnostics;
    const auto read = h.compiled().readValues({"in.txt", std::string("v ") + c.type + " ::= " + c.notation + "\n"},
                                              h.pdu(c.type), diagnostics);
    if (!read) {
      EXPECT_EQ(diagnostics.str(), c.aligned);
      continue;
    }
    if (c.unaligned == nullptr) {
      ADD_FAILURE() << "read, not refused";
      continue;
    }
    env->ctlTbl = read->ctlTbl();
    const void *value = read->values().at(0);
    const zurtest::Encoded aligned = h.encode(c.type, RULES_PER_ALIGNED, value);
    const zurtest::Encoded unaligned = h.encode(c.type, RULES_PER, value);
    env->ctlTbl = own;
    EXPECT_EQ(aligned.status == 0 ? toHex(aligned.octets) : aligned.message, toHex(fromHex(c.aligned)));
    EXPECT_EQ(unaligned.status == 0 ? toHex(unaligned.octets) : unaligned.message, toHex(fromHex(c.unaligned)));
  }
  // Decoded under PER: the value printed or the report; under BER, which
  // leaves constraints to the application: what PER encoding tells of it.
  const struct {
    const char *type;
    int32_t rules;
    const char *hex, *result;
  } octets[] = {
      // The decoder takes any value of the hull.
      {"Two", RULES_PER, "40", "value Two ::= 3\n"},
      {"Two", RULES_BER, "02 01 03", "E0062S: Value range constraint violated, value = 3.\n"},
      {"Apart", RULES_BER, "02 01 03", "E0062S: Value range constraint violated, value = 3.\n"},
      {"Sizes", RULES_BER, "04 02 01 02", "E0063S: Size constraint violated, length of value = 2.\n"},
      {"Items", RULES_BER, "30 06 01 01 FF 01 01 00",
       "E0077S: Size constraint violated, number of SET OF/SEQUENCE OF components = 2.\n"},
      {"Chars", RULES_BER, "16 02 61 62", "E0063S: Size constraint violated, length of value = 2.\n"},
      {"Picks", RULES_BER, "16 02 61 62", "E0064S: Permitted alphabet constraint violated, bad character: 'b'.\n"},
      // Named bits: trailing zeros go, then zeros up to a size permitted.
      {"Flags", RULES_BER, "03 02 06 40", "D0"},
      // asn1ct's form of 16: an extension value.
      {"Gapped", RULES_PER_ALIGNED, "80 01 10", "value Gapped ::= 16\n"},
      {"Gapped", RULES_PER, "80 88 00", "value Gapped ::= 16\n"},
      {"Gapped", RULES_PER, "28", "value Gapped ::= 16\n"},
  };
  for (const auto &c : octets) {
    SCOPED_TRACE(std::string(c.type) + " " + c.hex);
    const zurtest::Decoded d = h.decode(c.type, c.rules, fromHex(c.hex));
    if (d.status != 0 || c.rules != RULES_BER) {
      EXPECT_EQ(d.status == 0 ? h.print(c.type, d.value) : d.message, c.result);
      continue;
    }
    const zurtest::Encoded e = h.encode(c.type, RULES_PER, d.value);
    EXPECT_EQ(e.status == 0 ? toHex(e.octets) : e.message, c.result);
  }
}

// A string of 70000 octets goes in fragments of 64K and the rest, in both
// variants, and comes back whole.
TEST(PerCodec, LongStringsAreFragmented) {
  Octets in = fromHex("C4");
  for (int i = 0; i < 65536; ++i) in.push_back(static_cast<unsigned char>(i));
  in.push_back(0x91);
  in.push_back(0x70);
  for (int i = 0; i < 4464; ++i) in.push_back(static_cast<unsigned char>(i * 3));
  for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED}) {
    zurtest::Decoded d = rows().decode("Blob", rules, in);
    ASSERT_EQ(d.status, 0) << d.message;
    EXPECT_EQ(static_cast<const ZurOctets *>(d.value)->length, 70000u);
    EXPECT_EQ(d.consumed, static_cast<int32_t>(in.size()));
    EXPECT_EQ(toHex(rows().encode("Blob", rules, d.value).octets), toHex(in));
  }
}

// The elements of a list lie in its array: a list of some elements without
// one is refused before an element is read.
TEST(PerCodec, EncodingRefusesAListWithoutItsArray) {
  zurtest::Decoded d = rows().decode("Many", RULES_PER, fromHex("03"));
  ASSERT_EQ(d.status, 0) << d.message;
  auto &list = *static_cast<zurcore::per::ZurList *>(d.value);
  ASSERT_EQ(list.count, 3u);
  unsigned char *const elements = list.value;
  list.value = nullptr;
  for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED})
    EXPECT_EQ(rows().encode("Many", rules, d.value).message, "E0011S: Unexpected NULL pointer in input.\n");
  list.value = elements;
  EXPECT_EQ(toHex(rows().encode("Many", RULES_PER, d.value).octets), "03");
}

// Nesting and allocation are bounded by the Env's limits, decoding and
// encoding under every rules; an area too small names the octets needed.
TEST(PerCodec, DecodingAndEncodingStayWithinTheLimits) {
  ZurcoreLimits tight{8, 4096};
  zurcoreSetLimits(rows().env(), &tight);
  Octets deep(4, 0xFF);
  zurtest::Decoded d = rows().decode("Deep", RULES_PER, deep);
  EXPECT_EQ(d.message, "D0027S: Size too long: 9 (nesting deeper than the limit) at bit 8.\n");
  d = rows().decode("Many", RULES_PER, fromHex("BF FF"));
  EXPECT_EQ(d.message.substr(0, 27), "D0082S: Request for output ");
  zurcoreSetLimits(rows().env(), nullptr);
  d = rows().decode("Many", RULES_PER, fromHex("03"));
  EXPECT_EQ(rows().print("Many", d.value), "value Many ::= \n{\n  NULL,\n  NULL,\n  NULL\n}\n");

  // Nine levels, then a blob of 5000 octets.
  const zurtest::Decoded nine = rows().decode("Deep", RULES_PER, fromHex("FF 00"));
  ASSERT_EQ(nine.status, 0) << nine.message;
  Octets blobIn = fromHex("9388");
  blobIn.resize(blobIn.size() + 5000, 0x5A);
  const zurtest::Decoded blob = rows().decode("Blob", RULES_PER, blobIn);
  ASSERT_EQ(blob.status, 0) << blob.message;
  zurcoreSetLimits(rows().env(), &tight);
  for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED, RULES_BER, RULES_DER}) {
    SCOPED_TRACE(rules);
    EXPECT_EQ(rows().encode("Deep", rules, nine.value).message,
              "E0027S: Size too long: 9 (nesting deeper than the limit, in 'next').\n");
    EXPECT_EQ(rows().encode("Blob", rules, blob.value).message.substr(0, 27), "E0082S: Request for output ");
  }
  zurcoreSetLimits(rows().env(), nullptr);
  Env *env = rows().env();
  unsigned char area[100];
  void *out = area;
  int32_t length = sizeof area;
  ASSERT_EQ(reinterpret_cast<ApiSetEncodingRulesFn>(apiTbl[SLOT_SET_ENCODING_RULES])(env, RULES_PER), 0);
  EXPECT_EQ(env->codecB->encode(env, rows().pdu("Blob"), blob.value, &out, &length, env->ctlTbl,
                                ZURBASE_FLAG_CALLER_AREA, env->msgBuf),
            1);
  EXPECT_STREQ(env->msgBuf, "E0001S: Output buffer too small; total buffer size: 100 (5002 octets needed).\n");
}

// SEQUENCEs of 60 and 66 optional BOOLEANs, every third one present and
// TRUE: presence bits past one window of the input, and past 64 components.
TEST(PerCodec, LongPreamblesAreRead) {
  std::string module = "Wide DEFINITIONS AUTOMATIC TAGS ::= BEGIN\n";
  for (int count : {60, 66}) {
    module += "W" + std::to_string(count) + " ::= SEQUENCE {";
    for (int i = 0; i < count; ++i) module += (i ? ", c" : " c") + std::to_string(i) + " BOOLEAN OPTIONAL";
    module += " }\n";
  }
  CodecHarness h(std::vector<zurasn1::ModuleText>{{"wide.asn1", module + "END\n"}});
  for (int count : {60, 66}) {
    const std::string type = "W" + std::to_string(count);
    // The preamble, then a TRUE bit per present component.
    std::vector<bool> bits;
    std::string printed = "value " + type + " ::= \n{\n";
    for (int i = 0; i < count; ++i) bits.push_back(i % 3 == 0);
    for (int i = 0; i < count; i += 3) {
      bits.push_back(true);
      printed += "  c" + std::to_string(i) + " TRUE" + (i + 3 < count ? ",\n" : "\n}\n");
    }
    Octets in((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
      if (bits[i]) in[i / 8] |= static_cast<unsigned char>(0x80 >> (i % 8));
    for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED}) {
      SCOPED_TRACE(type + (rules == RULES_PER ? " UNALIGNED" : " ALIGNED"));
      zurtest::Decoded d = h.decode(type, rules, in);
      ASSERT_EQ(d.status, 0) << d.message;
      EXPECT_EQ(h.print(type, d.value), printed);
      EXPECT_EQ(toHex(h.encode(type, rules, d.value).octets), toHex(in));
      d = h.decode(type, rules, Octets(in.begin(), in.begin() + 7));
      EXPECT_EQ(d.message, "D0055S: Premature end of input buffer at bit 56.\n");
    }
  }
}

// A SEQUENCE without components, and one of an extension marker alone: no
// bits, and the extension bit, before the component that follows them.
TEST(PerCodec, EmptySequencesTakeNoPresenceBits) {
  CodecHarness h(std::vector<zurasn1::ModuleText>{
      {"empty.asn1", "Empty DEFINITIONS AUTOMATIC TAGS ::= BEGIN\n"
                     "Holder ::= SEQUENCE { e SEQUENCE {}, x SEQUENCE { ... }, b BOOLEAN }\n"
                     "END\n"}});
  const Octets in = fromHex("40");  // x's extension bit 0, then b TRUE
  for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED}) {
    SCOPED_TRACE(rules == RULES_PER ? "UNALIGNED" : "ALIGNED");
    const zurtest::Decoded d = h.decode("Holder", rules, in);
    ASSERT_EQ(d.status, 0) << d.message;
    EXPECT_EQ(h.print("Holder", d.value), "value Holder ::= \n{\n  e \n  {\n  },\n  x \n  {\n  },\n  b TRUE\n}\n");
    const zurtest::Encoded e = h.encode("Holder", rules, d.value);
    ASSERT_EQ(e.status, 0) << e.message;
    EXPECT_EQ(toHex(e.octets), toHex(in));
  }
}

// SEQUENCEs with presence records and without: for masks of 1, 2 and 4
// bytes, full and not, 0 and 64 components, root components after the
// additions and a version bracket. The types that cannot have one (a
// DEFAULT, an OPTIONAL root component after the additions, a mask of bytes)
// must not.
std::string presenceModule() {
  std::string module = "Presence DEFINITIONS AUTOMATIC TAGS ::= BEGIN\n";
  auto sequence = [&](const std::string &name, int optional, int mandatoryEvery, int total) {
    module += name + " ::= SEQUENCE {";
    for (int i = 0, o = 0; i < total; ++i) {
      const bool isOptional = o < optional && (mandatoryEvery == 0 || i % mandatoryEvery != 0);
      o += isOptional;
      module += (i ? ", c" : " c") + std::to_string(i) + (isOptional ? " INTEGER (0..3) OPTIONAL" : " BOOLEAN");
    }
    module += " }\n";
  };
  sequence("P8", 8, 0, 8);
  sequence("P9", 9, 3, 14);
  sequence("P16", 16, 0, 16);
  sequence("P17", 17, 2, 34);
  sequence("P32", 32, 0, 32);
  sequence("P33", 33, 0, 33);
  sequence("M64", 32, 2, 64);
  return module +
         "Empty ::= SEQUENCE {}\n"
         "Ext ::= SEQUENCE { a BOOLEAN OPTIONAL, b INTEGER (0..7), ..., x BOOLEAN OPTIONAL,"
         " [[ y BOOLEAN, z BOOLEAN OPTIONAL ]], ..., c BOOLEAN, d IA5String (SIZE (1..3)) }\n"
         "After ::= SEQUENCE { a BOOLEAN OPTIONAL, ..., x BOOLEAN OPTIONAL, ..., c BOOLEAN OPTIONAL }\n"
         "Dflt ::= SEQUENCE { a BOOLEAN OPTIONAL, b INTEGER (0..7) DEFAULT 3 }\n"
         "Holder ::= SEQUENCE { p8 P8, p9 P9, p16 P16, p17 P17, p32 P32, p33 P33, m64 M64,"
         " e Empty, x Ext, a After, d Dflt }\n"
         "END\n";
}

// A SEQUENCE's presence record lets the encoder copy the preamble from the
// value's mask; every value encodes as it does by the general way, from
// tables without the records.
TEST(PerCodec, PresenceRecordsEncodeAsTheGeneralWay) {
  const std::string module = presenceModule();
  CodecHarness h(std::vector<zurasn1::ModuleText>{{"presence.asn1", module}});
  const ZurTables &tables = h.compiled().tables();
  const std::pair<const char *, bool> records[] = {
      {"P8", true},   {"P9", true},    {"P16", true}, {"P17", true},    {"P32", true},   {"P33", false},
      {"M64", true},  {"Empty", true}, {"Ext", true}, {"After", false}, {"Dflt", false}, {"Holder", true}};
  for (const auto &[type, record] : records) {
    const uint32_t t = tables.ctl.pduTypes[h.pdu(type) - 1];
    EXPECT_EQ(tables.codec->types[t].presence != 0, record) << type;
  }
  const zurtest::GeneralTables general(tables);
  zurtest::ValueGenerator generator(&tables.ctl, 11);
  Env *env = h.env();
  const CtlTbl *quick = env->ctlTbl;
  for (int i = 0; i < 200; ++i) {
    const void *value = generator.value(h.pdu("Holder"));
    for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED}) {
      SCOPED_TRACE("value " + std::to_string(i) + (rules == RULES_PER ? " UNALIGNED" : " ALIGNED"));
      const zurtest::Encoded fast = h.encode("Holder", rules, value);
      env->ctlTbl = general.ctlTbl();
      const zurtest::Encoded slow = h.encode("Holder", rules, value);
      env->ctlTbl = quick;
      ASSERT_EQ(fast.status, 0) << fast.message;
      ASSERT_EQ(toHex(fast.octets), toHex(slow.octets));
    }
  }
}

// The decoder copies the preamble into the mask by the same records and
// checks the depth once for all the components: every encoding decodes to
// the value the general way makes of it, and every prefix of it, or the
// encoding under a depth limit that a component passes, is refused alike.
TEST(PerCodec, PresenceRecordsDecodeAsTheGeneralWay) {
  CodecHarness h(std::vector<zurasn1::ModuleText>{{"presence.asn1", presenceModule()}});
  const ZurTables &tables = h.compiled().tables();
  const zurtest::GeneralTables general(tables);
  zurtest::ValueGenerator generator(&tables.ctl, 12);
  Env *env = h.env();
  const CtlTbl *quick = env->ctlTbl;
  auto both = [&](int32_t rules, const Octets &in) {
    const zurtest::Decoded fast = h.decode("Holder", rules, in);
    env->ctlTbl = general.ctlTbl();
    const zurtest::Decoded slow = h.decode("Holder", rules, in);
    env->ctlTbl = quick;
    return std::pair{fast.status == 0 ? h.print("Holder", fast.value) : fast.message,
                     slow.status == 0 ? h.print("Holder", slow.value) : slow.message};
  };
  for (int i = 0; i < 100; ++i) {
    const void *value = generator.value(h.pdu("Holder"));
    for (int32_t rules : {RULES_PER, RULES_PER_ALIGNED}) {
      SCOPED_TRACE("value " + std::to_string(i) + (rules == RULES_PER ? " UNALIGNED" : " ALIGNED"));
      const zurtest::Encoded e = h.encode("Holder", rules, value);
      ASSERT_EQ(e.status, 0) << e.message;
      const auto [fast, slow] = both(rules, e.octets);
      ASSERT_EQ(fast, slow);
      ASSERT_EQ(fast, h.print("Holder", value));
      for (std::size_t n = 0; n < e.octets.size(); ++n) {
        const auto [cutFast, cutSlow] = both(rules, Octets(e.octets.begin(), e.octets.begin() + n));
        ASSERT_EQ(cutFast, cutSlow) << n << " octets";
      }
      for (uint32_t depth : {1u, 2u}) {
        ZurcoreLimits shallow{depth, 0};
        zurcoreSetLimits(env, &shallow);
        const auto [deepFast, deepSlow] = both(rules, e.octets);
        zurcoreSetLimits(env, nullptr);
        ASSERT_EQ(deepFast, deepSlow) << "depth " << depth;
        ASSERT_NE(deepFast.find("nesting deeper than the limit"), std::string::npos) << deepFast;
      }
    }
  }
}

// The trace of the A.2 record: one field line per PER item.
TEST(PerCodec, TraceShowsTheFieldLines) {
  CodecHarness h(std::vector<std::string>{ZURBASE_TEST_DATA "/asn1/personnel_constrained.asn1"});
  const Octets record = fromHex(
      "86 4A 6F 68 6E 50 10 53 6D 69 74 68 01 33 08 44 69 72 65 63 74 6F 72 19 71 09 17 0C 4D 61 "
      "72 79 54 10 53 6D 69 74 68 02 10 52 61 6C 70 68 54 10 53 6D 69 74 68 19 57 11 11 10 53 75 "
      "73 61 6E 42 10 4A 6F 6E 65 73 19 59 07 17 ");
  zurtest::Decoded d = h.decode("PersonnelRecord", RULES_PER_ALIGNED, record, ZURCORE_FLAG_TRACE);
  ASSERT_EQ(d.status, 0) << d.message;
  EXPECT_EQ(d.trace.substr(0, d.trace.find("  nameOfSpouse")),
            "PersonnelRecord [fieldcount (not encoded) = 6]\n"
            "preamble PersonnelRecord [length (not encoded) = 0.1]\n"
            "  name Name [fieldcount (not encoded) = 3]\n"
            "    givenName NameString [length = 4.0]\n"
            "    initial NameString [length (not encoded) = 1.0]\n"
            "    familyName NameString [length = 5.0]\n"
            "  number EmployeeNumber [length = 1.0]\n"
            "  title VisibleString [length = 8.0]\n"
            "  dateOfHire Date [length (not encoded) = 4.0]\n");
  EXPECT_EQ(d.trace.substr(d.trace.rfind("Total")), "Total PDV length = 74.0\n");
  // Unaligned, the value ends 5 bits into its last octet; both traces count
  // the whole encoding, padding included.
  zurtest::Encoded e = h.encode("PersonnelRecord", RULES_PER, d.value);
  ASSERT_EQ(e.status, 0) << e.message;
  const zurtest::Decoded u = h.decode("PersonnelRecord", RULES_PER, e.octets, ZURCORE_FLAG_TRACE);
  ASSERT_EQ(u.status, 0) << u.message;
  const zurtest::Encoded traced = h.encode("PersonnelRecord", RULES_PER, u.value, ZURCORE_FLAG_TRACE);
  const std::string total = "Total PDV length = " + std::to_string(e.octets.size()) + ".0\n";
  EXPECT_EQ(u.trace.substr(u.trace.rfind("Total")), total);
  EXPECT_EQ(traced.trace.substr(traced.trace.rfind("Total")), total);
}

// An IE whose id the extensible set does not know keeps its octets; both
// traces show its value component where they show a known IE's, by name.
TEST(PerCodec, TraceShowsAnUnknownIeAsItsComponent) {
  CodecHarness h(std::vector<std::string>{ZURBASE_TEST_DATA "/asn1/LinkAP.asn1"});
  // { id 4, ignore, NodeName : "ab" }, { id 9999, reject, 'C0FFEE'H }
  const Octets ies = fromHex("00 02 00 04 40 04 00 80 61 62 27 0F 00 03 C0 FF EE");
  const zurtest::Decoded d = h.decode("ConfigUpdate", RULES_PER_ALIGNED, ies, ZURCORE_FLAG_TRACE);
  ASSERT_EQ(d.status, 0) << d.message;
  const zurtest::Encoded e = h.encode("ConfigUpdate", RULES_PER_ALIGNED, d.value, ZURCORE_FLAG_TRACE);
  ASSERT_EQ(e.status, 0) << e.message;
  EXPECT_EQ(toHex(e.octets), toHex(ies));
  for (const std::string &trace : {d.trace, e.trace}) {
    const std::size_t second = trace.find("  #2 IE-Field");
    ASSERT_NE(second, std::string::npos) << trace;
    EXPECT_EQ(trace.substr(second, trace.find("Total") - second),
              "  #2 IE-Field [fieldcount (not encoded) = 3]\n"
              "    id IE-ID [length (not encoded) = 2.0]\n"
              "    criticality Criticality [index = 0]\n"
              "    value ANY [length = 3.0]\n");
  }
  EXPECT_NE(d.trace.find("    value ANY [length = 4.0]\n      NodeName NodeName [length = 2.0]\n"), std::string::npos)
      << d.trace;
}

// An encoding's trace lists its items in the order they lie in it, as the
// decode of those octets does: the two traces of random values (additions,
// open types and containers of IEs among them) are one text.
TEST(PerCodec, EncodeAndDecodeTraceTheSameItems) {
  for (const char *module : {ZURBASE_TEST_DATA "/codec/PerKinds.asn1", ZURBASE_TEST_DATA "/asn1/LinkAP.asn1"}) {
    CodecHarness h(std::vector<std::string>{module});
    const CtlTbl *ctl = h.compiled().ctlTbl();
    for (const int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
      zurtest::ValueGenerator generator(ctl, 40 + rules);
      generator.beyondRoots = true;
      for (uint32_t pdu = 0; pdu < h.compiled().pduCount(); ++pdu) {
        const std::string type = ctl->types[ctl->pduTypes[pdu]].name;
        for (int n = 0; n < 4; ++n) {
          const zurtest::Encoded e =
              h.encode(type, rules, generator.value(static_cast<int32_t>(pdu + 1)), ZURCORE_FLAG_TRACE);
          ASSERT_EQ(e.status, 0) << type << ": " << e.message;
          const zurtest::Decoded d = h.decode(type, rules, e.octets, ZURCORE_FLAG_TRACE);
          ASSERT_EQ(d.status, 0) << type << ": " << d.message;
          EXPECT_EQ(e.trace, d.trace) << type << " " << toHex(e.octets);
          h.release(d.value);
        }
      }
    }
  }
}

}  // namespace
