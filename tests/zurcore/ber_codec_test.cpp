// The BER/DER codec on modules compiled by zurasn1: what malformed and
// non-DER input is told, what BER forms decode to, what DER writes, the
// trace, and the memory of a decode.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "tests/support/codec_harness.h"
#include "tests/support/general_tables.h"

namespace {

using zurtest::CodecHarness;
using zurtest::fromHex;
using zurtest::Octets;
using zurtest::toHex;

const char *const kRows = R"(
Rows DEFINITIONS IMPLICIT TAGS ::= BEGIN
Rec ::= SEQUENCE {
  a INTEGER,
  b OCTET STRING OPTIONAL,
  c [0] BOOLEAN DEFAULT FALSE,
  s SET OF INTEGER,
  t [1] EXPLICIT UTCTime OPTIONAL,
  ...
}
Both ::= SET { x [0] INTEGER, y [1] BOOLEAN }
Mixed ::= SET { a [3] INTEGER, c CHOICE { x [0] INTEGER, y [4] INTEGER }, ..., b [1] BOOLEAN OPTIONAL }
Flags ::= [APPLICATION 40] BIT STRING { a(0), b(1), c(2) }
Deep ::= SEQUENCE { next Deep OPTIONAL }
Shade ::= ENUMERATED { dark(1), light(2) }
Num ::= INTEGER
Small ::= INTEGER (0..1000)
Text ::= IA5String
Utc ::= UTCTime
Gen ::= GeneralizedTime
Blob ::= OCTET STRING
Pick ::= CHOICE { n INTEGER, t [2] EXPLICIT Text }
Wide ::= SEQUENCE { u UniversalString, b BMPString }
Id ::= OBJECT IDENTIFIER
Anys ::= SET OF ANY
Kept ::= SEQUENCE { a INTEGER, v ANY, w ANY OPTIONAL }
Marked ::= SEQUENCE { f [2] Flags DEFAULT {a, b} }
Ratio ::= REAL
END
)";

std::vector<zurasn1::ModuleText> rowsModule() { return {{"rows.asn1", kRows}}; }

CodecHarness &rows() {
  static CodecHarness harness(rowsModule());
  return harness;
}

constexpr const char *kDerDecimal =
    "D0037E: Value misencoded or length wrong for value (DER: decimal REAL in NR3 form as M.E[-]X) at offset 2.\n";

// Every malformed or non-DER input gives its row, the DER rule it breaks and
// the offset of the fault; the good BER forms beside them decode.
TEST(BerCodec, FaultsAreReportedWithRowRuleAndOffset) {
  const struct {
    const char *type;
    int32_t rules;
    const char *hex;
    int status;
    const char *message;
  } cases[] = {
      {"Rec", RULES_BER, "3005 020105 3100", 0, ""},
      {"Rec", RULES_BER, "3005 020105 31", 4, "D0055S: Premature end of input buffer at offset 6.\n"},
      {"Rec", RULES_BER, "3080 020105 3180 0000 0000", 0, ""},
      {"Rec", RULES_DER, "3080 020105 3180 0000 0000", 5,
       "D0037E: Value misencoded or length wrong for value (DER: definite length) at offset 1.\n"},
      {"Rec", RULES_DER, "308105 020105 3100", 5,
       "D0037E: Value misencoded or length wrong for value (DER: minimal length octets) at offset 1.\n"},
      {"Rec", RULES_BER, "3003 020105", 5, "D0049E: Field omitted: 's' at offset 5.\n"},
      {"Rec", RULES_BER, "3100", 9, "D0034E: PDU and input tags do not match: [UNIVERSAL 17] at offset 0.\n"},
      {"Rec", RULES_BER, "300A 020105 3100 8503 010203", 0, ""},
      {"Rec", RULES_DER, "3008 020105 800100 3100", 5,
       "D0037E: Value misencoded or length wrong for value (DER: DEFAULT value not encoded) at offset 5.\n"},
      {"Marked", RULES_DER, "3004 820206C0", 5,
       "D0037E: Value misencoded or length wrong for value (DER: DEFAULT value not encoded) at offset 2.\n"},
      {"Rec", RULES_DER, "3008 020105 800101 3100", 5,
       "D0037E: Value misencoded or length wrong for value (DER: BOOLEAN TRUE as FF) at offset 7.\n"},
      {"Rec", RULES_DER, "300B 020105 3106 020102 020101", 5,
       "D0037E: Value misencoded or length wrong for value (DER: SET OF elements in ascending order) "
       "at offset 10.\n"},
      {"Rec", RULES_BER, "3006 02020005 3100", 0, ""},
      {"Small", RULES_BER, "02020005", 5, "D0022E: Integer or enumerated value needlessly long at offset 2.\n"},
      {"Rec", RULES_BER, "300D 020105 2406 0401AA 0401BB 3100", 0, ""},
      {"Rec", RULES_DER, "300D 020105 2406 0401AA 0401BB 3100", 5,
       "D0053S: Expected primitive type but found constructed (DER: primitive string form) at offset 5.\n"},
      {"Rec", RULES_BER, "3080 020105 3100 0001", 5, "D0028E: Non-standard EOC octets at offset 7.\n"},
      {"Rec", RULES_BER, "3007 0000 020105 3100", 5, "D0058E: Expected tag, found EOC octets at offset 2.\n"},
      {"Both", RULES_BER, "3106 800101 8101FF", 0, ""},
      {"Both", RULES_BER, "3106 8101FF 800101", 0, ""},
      {"Both", RULES_DER, "3106 8101FF 800101", 5,
       "D0037E: Value misencoded or length wrong for value (DER: SET components in the order of their "
       "tags) at offset 5.\n"},
      {"Both", RULES_BER, "3109 800101 800102 8101FF", 5, "D0048E: Field repeated: 'x' at offset 5.\n"},
      {"Both", RULES_BER, "3108 800101 8101FF 8200", 5,
       "D0033E: Tag mismatch or tag not expected: [2] at offset 8.\n"},
      {"Text", RULES_BER, "1680 41 0000", 5, "D0051S: Found primitive encoding with indefinite length at offset 0.\n"},
      {"Num", RULES_BER, "1F02 01 05", 5, "D0018E: Tag needlessly long at offset 1.\n"},
      {"Num", RULES_BER, "1F828080 01 05", 10, "D0019E: Tag too long: 4 at offset 0.\n"},
      {"Blob", RULES_BER, "0485 0100000000", 10, "D0026S: Length too long: 5 at offset 1.\n"},
      {"Small", RULES_BER, "0209 010000000000000000", 10, "D0023E: Integer or enumerated value too long: 9 at offset 2.\n"},
      {"Shade", RULES_BER, "0A0105", 17, "D0071S: Value not among the ENUMERATED: 5 at offset 2.\n"},
      {"Utc", RULES_BER, "170B 393931323331323335395A", 0, ""},
      {"Utc", RULES_DER, "170B 393931323331323335395A", 12,
       "D0012S: Out-of-range value in time type (DER: UTCTime as YYMMDDHHMMSSZ) at offset 2.\n"},
      {"Utc", RULES_DER, "1711 3939313233313233353935392B30313030", 12,
       "D0013S: Time value must be in universal coordinated time format and must end with 'Z' "
       "(DER: UTCTime as YYMMDDHHMMSSZ) at offset 2.\n"},
      {"Utc", RULES_BER, "170D 3939313333313233353935395A", 12, "D0012S: Out-of-range value in time type at offset 2.\n"},
      // Days past the end of their month; February 29 in leap years only.
      {"Gen", RULES_BER, "180F 32303233303232393030303030305A", 12, "D0012S: Out-of-range value in time type at offset 2.\n"},
      {"Gen", RULES_BER, "180F 32303030303232393030303030305A", 0, ""},
      {"Gen", RULES_BER, "180F 32313030303232393030303030305A", 12, "D0012S: Out-of-range value in time type at offset 2.\n"},
      {"Utc", RULES_BER, "170D 3030303232393030303030305A", 0, ""},
      {"Utc", RULES_BER, "170D 3234303433313030303030305A", 12, "D0012S: Out-of-range value in time type at offset 2.\n"},
      {"Utc", RULES_BER, "170D 3234303433303030303030305A", 0, ""},
      {"Mixed", RULES_DER, "3109 8101FF 830105 840107", 0, ""},
      // An unknown extension addition: skipped, and under DER checked as far as DER goes without its type.
      {"Rec", RULES_BER, "3008 020105 3100 3701FF", 0, ""},
      {"Rec", RULES_DER, "3008 020105 3100 3701FF", 5,
       "D0053S: Expected primitive type but found constructed (DER: primitive string form) at offset 7.\n"},
      // Decimal REALs: NR3 without zeros or signs DER leaves out.
      {"Ratio", RULES_DER, "0908 03 3132332E452D32", 0, ""},
      // An exponent in two octets where one would do: BER's short forms allow it.
      {"Ratio", RULES_BER, "0904 81 0001 01", 0, ""},
      {"Ratio", RULES_DER, "0904 81 0001 01", 5, "D0020E: Exponent needlessly long at offset 2.\n"},
      {"Ratio", RULES_BER, "0905 83 02 0001 01", 5, "D0020E: Exponent needlessly long at offset 2.\n"},
      {"Ratio", RULES_DER, "0907 03 2D312E452B30", 0, ""},
      {"Ratio", RULES_BER, "0904 02 312E35", 0, ""},
      {"Ratio", RULES_DER, "0904 02 312E35", 5, kDerDecimal},
      {"Ratio", RULES_DER, "0907 03 31302E452B31", 5, kDerDecimal},
      {"Ratio", RULES_DER, "0906 03 312E452B31", 5, kDerDecimal},
      {"Ratio", RULES_DER, "0905 03 312E4530", 5, kDerDecimal},
      {"Ratio", RULES_DER, "0908 03 20312E452D3031", 5, kDerDecimal},
      {"Mixed", RULES_DER, "3109 830105 8101FF 840107", 5,
       "D0037E: Value misencoded or length wrong for value (DER: SET components in the order of their tags) at offset 5.\n"},
      // A zone that is not one (minutes past 59, a sign alone) is no local time.
      {"Gen", RULES_BER, "1813 32303234313233313233353935392B30313630", 12,
       "D0012S: Out-of-range value in time type at offset 2.\n"},
      {"Gen", RULES_BER, "180F 32303234313233313233353935392B", 12, "D0012S: Out-of-range value in time type at offset 2.\n"},
      {"Gen", RULES_DER, "1811 32303234303232393132333435362E35305A", 12,
       "D0012S: Out-of-range value in time type (DER: GeneralizedTime as YYYYMMDDHHMMSS[.f]Z) at offset 2.\n"},
      {"Flags", RULES_DER, "5F2802 0640", 0, ""},
      {"Flags", RULES_DER, "5F2802 05C4", 5,
       "D0037E: Value misencoded or length wrong for value (DER: unused bits zero) at offset 3.\n"},
      {"Flags", RULES_DER, "5F2802 0580", 5,
       "D0037E: Value misencoded or length wrong for value (DER: no trailing zero bits with named bits) "
       "at offset 3.\n"},
      {"Flags", RULES_BER, "5F2802 0800", 5, "D0035E: The first octet is not in the range 0-7 at offset 3.\n"},
      {"Pick", RULES_BER, "A203 160141", 0, ""},
      {"Pick", RULES_BER, "0401 41", 5, "D0033E: Tag mismatch or tag not expected: [UNIVERSAL 4] at offset 0.\n"},
      {"Id", RULES_BER, "0604 2A818001", 0, ""},
      {"Id", RULES_BER, "0604 2A808101", 5, "D0024E: Sub-identifier needlessly long at offset 3.\n"},
      {"Id", RULES_BER, "0603 802A01", 5, "D0024E: Sub-identifier needlessly long at offset 2.\n"},
      // Kept open types: DER as far as it goes without their type.
      {"Anys", RULES_DER, "3109 A007 3005 2403 0401AA", 5,
       "D0053S: Expected primitive type but found constructed (DER: primitive string form) at offset 6.\n"},
      {"Anys", RULES_DER, "3108 A006 308103 020105", 5,
       "D0037E: Value misencoded or length wrong for value (DER: minimal length octets) at offset 5.\n"},
      {"Anys", RULES_DER, "3106 A004 3002 0000", 5, "D0058E: Expected tag, found EOC octets at offset 6.\n"},
      {"Anys", RULES_DER, "3109 A007 3005 A403 0401AA", 0, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.hex);
    zurtest::Decoded d = rows().decode(c.type, c.rules, fromHex(c.hex));
    EXPECT_EQ(d.status, c.status);
    EXPECT_EQ(d.message, c.message);
  }
}

// The untraced decoder takes shortcuts for the usual headers: one that
// begins with its type's identifier octet, a leaf in a SEQUENCE, an element
// kept encoded. With tables without identifier octets it takes fewer, and
// traced it takes none. All three must tell the same of every input: good
// encodings with short, 0x81 and 0x82 lengths, each octet of them changed
// to what a header may hold, and each cut short.
TEST(BerCodec, ShortcutsDecodeAsTheGeneralPath) {
  const zurtest::GeneralTables full(rows().compiled().tables());
  const std::string octets128(256, 'A'), octets256(512, 'B');
  const struct {
    const char *type;
    std::string hex;
  } seeds[] = {
      {"Rec", "3020 020105 0402AABB 3106 020101 020103 A10F 170D 3939313233313233353935395A"},
      {"Rec", "308188 020105 048180" + octets128 + "3100"},
      {"Rec", "30820109 020105 04820100" + octets256 + "3100"},
      {"Both", "3106 800102 8101FF"},
      {"Wide", "300E 1C08 000000410001F600 1E02 00E9"},
      {"Anys", "3109 0400 3003040100 8700"},
      {"Kept", "3012 020105 3003040100 0403AABBCC 5F2902 0640"},
      {"Kept", "30818E 020105 048180" + octets128 + "A08105 3003020101"},
      {"Deep", "3004 3002 3000"},
  };
  Env *env = rows().env();
  const CtlTbl *quick = env->ctlTbl;
  auto outcome = [&](const char *type, int32_t rules, const Octets &in, const CtlTbl *ctl, uint32_t flags) {
    env->ctlTbl = ctl;
    zurtest::Decoded d = rows().decode(type, rules, in, flags);
    env->ctlTbl = quick;
    std::string s = std::to_string(d.status) + " " + d.message + std::to_string(d.consumed);
    if (d.status == 0) {
      s += rows().print(type, d.value);
      rows().release(d.value);
    }
    return s;
  };
  std::size_t decoded = 0;
  for (const auto &seed : seeds) {
    const Octets good = fromHex(seed.hex);
    std::vector<Octets> inputs;
    for (std::size_t k = 0; k < good.size(); ++k) {
      inputs.emplace_back(good.begin(), good.begin() + k);
      const unsigned b = good[k];
      for (unsigned x : {0x00u, 0x1Fu, 0x7Fu, 0x80u, 0x81u, 0x82u, 0x83u, 0xFFu, b ^ 0x20u, b + 1, b - 1}) {
        inputs.push_back(good);
        inputs.back()[k] = static_cast<unsigned char>(x);
      }
    }
    inputs.push_back(good);
    for (const Octets &in : inputs) {
      for (int32_t rules : {RULES_BER, RULES_DER}) {
        const std::string quickly = outcome(seed.type, rules, in, quick, 0);
        decoded += quickly.compare(0, 2, "0 ") == 0;
        ASSERT_EQ(quickly, outcome(seed.type, rules, in, full.ctlTbl(), 0)) << seed.type << " " << toHex(in);
        ASSERT_EQ(quickly, outcome(seed.type, rules, in, full.ctlTbl(), ZURCORE_FLAG_TRACE))
            << seed.type << " " << toHex(in);
      }
    }
  }
  EXPECT_GT(decoded, 1000u);  // not only faults
}

// BER's freedoms decode to what their DER form holds, which DER writes back.
TEST(BerCodec, BerFormsDecodeToTheirDerForm) {
  const struct {
    const char *type;
    const char *ber;
    const char *printed;
    const char *der;
  } cases[] = {
      {"Rec", "3080 020105 2480 0401AA 2480 0401BB 0000 0000 3180 020103 020101 0000 "
              "A180 170D 3939313233313233353935395A 0000 8401FF 0000",
       "value Rec ::= \n{\n  a '05'H,\n  b 'AABB'H,\n  s \n  {\n    '03'H,\n    '01'H\n  },\n"
       "  t \"991231235959Z\"\n}\n",
       "3020 020105 0402AABB 3106 020101 020103 A10F 170D 3939313233313233353935395A"},
      {"Both", "3180 8101FF 800102 0000", "value Both ::= \n{\n  x '02'H,\n  y TRUE\n}\n", "3106 800102 8101FF"},
      // DER sorts a SET by the tags written: the CHOICE by its alternative's, the addition among the others.
      {"Mixed", "3109 830105 840107 8101FF", "value Mixed ::= \n{\n  a '05'H,\n  c y : '07'H,\n  b TRUE\n}\n", "3109 8101FF 830105 840107"},
      {"Flags", "7F28 80 0302 0040 0000", "value Flags ::= '40'H\n", "5F2802 0640"},
      {"Num", "0281 03 FFFF80", "value Num ::= '80'H\n", "020180"},
      {"Small", "0281 02 03E8", "value Small ::= 1000\n", "020203E8"},
      {"Wide", "3080 3C80 0404 00000041 0404 0001F600 0000 1E02 00E9 0000",
       "value Wide ::= \n{\n  u '000000410001F600'H,\n  b '00E9'H\n}\n", "300E 1C08 000000410001F600 1E02 00E9"},
      {"Pick", "A280 1603 616263 0000", "value Pick ::= t : \"abc\"\n", "A205 1603616263"},
      // Open types keep the form they came in; DER writes them in its own.
      {"Anys", "310C 878100 3080 040100 0000 0400",
       "value Anys ::= \n{\n  '878100'H,\n  '30800401000000'H,\n  '0400'H\n}\n", "3109 0400 3003040100 8700"},
      // Named bits: '11000000000000'B is the default {a, b}, which DER leaves out.
      {"Marked", "3005 820302C000", "value Marked ::= \n{\n  f 'C000'H\n}\n", "3000"},
      // An offset of zero is UTC, not local time.
      {"Gen", "1813 32303233313233313233353935392B30303030", "value Gen ::= \"20231231235959.000Z\"\n",
       "180F 32303233313233313233353935395A"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.ber);
    zurtest::Decoded d = rows().decode(c.type, RULES_BER, fromHex(c.ber));
    ASSERT_EQ(d.status, 0) << d.message;
    EXPECT_EQ(rows().print(c.type, d.value), c.printed);
    zurtest::Encoded e = rows().encode(c.type, RULES_DER, d.value);
    ASSERT_EQ(e.status, 0) << e.message;
    EXPECT_EQ(toHex(e.octets), toHex(fromHex(c.der)));
  }
}

// A time goes out with each field as the C library's "%0Nd" writes it (the
// text checked here against it); DER writes the same text when it ends in Z
// and refuses any other. A time whose text could not say what the value
// holds (a field out of its range, a year of more digits than the type
// has) is refused, not written cut.
TEST(BerCodec, TimesAreWrittenFieldByFieldAsPrintfWouldWriteThem) {
  std::srand(11);
  const auto any = [](int low, int high) { return low + std::rand() % (high - low + 1); };
  for (int i = 0; i < 2000; ++i) {
    const bool generalized = i % 2 != 0;
    const bool wild = i % 3 == 0;  // fields outside their ranges, negative ones too
    TimeValue t{};
    t.year = static_cast<int16_t>(wild ? any(-32768, 32767) : i % 5 == 1 ? any(0, 99) : any(1950, 2049));
    const int highs[] = {12, 28, 23, 59, 60}, lows[] = {1, 1, 0, 0, 0};
    int16_t *parts[] = {&t.month, &t.day, &t.hour, &t.minute, &t.second};
    for (int k = 0; k < 5; ++k) *parts[k] = static_cast<int16_t>(wild ? any(-150, 150) : any(lows[k], highs[k]));
    t.millisec = static_cast<int16_t>(wild ? any(-5, 1005) : any(0, 999));
    t.mindiff = static_cast<int16_t>(i % 5 == 0 ? 0 : wild ? any(-32768, 32767) : any(-840, 840));
    t.utc = static_cast<int8_t>(any(0, 1));
    const bool goodYear = generalized ? t.year >= 0 && t.year <= 9999
                                      : (t.year >= 0 && t.year <= 99) || (t.year >= 1950 && t.year <= 2049);
    const bool encodable = goodYear && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 28 && t.hour >= 0 &&
                           t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 60 &&
                           (!generalized || (t.millisec >= 0 && t.millisec <= 999)) && std::abs(t.mindiff) < 24 * 60;

    char want[64];
    int n = generalized ? std::snprintf(want, 64, "%04d", t.year) : std::snprintf(want, 64, "%02d", t.year % 100);
    n += std::snprintf(want + n, 64 - n, "%02d%02d%02d%02d%02d", t.month, t.day, t.hour, t.minute, t.second);
    if (generalized && t.millisec > 0) {
      int ms = t.millisec, digits = 3;
      for (; ms % 10 == 0; ms /= 10) --digits;
      n += std::snprintf(want + n, 64 - n, ".%0*d", digits, ms);
    }
    const int m = std::abs(t.mindiff);
    const bool utc = !(generalized ? t.utc == 0 : t.mindiff != 0);
    if (!utc && t.mindiff != 0)
      std::snprintf(want + n, 64 - n, "%c%02d%02d", t.mindiff < 0 ? '-' : '+', m / 60, m % 60);
    else if (utc)
      std::snprintf(want + n, 64 - n, "Z");

    for (int32_t rules : {RULES_BER, RULES_DER, RULES_PER}) {
      zurtest::Encoded e = rows().encode(generalized ? "Gen" : "Utc", rules, &t);
      if (!encodable) {
        EXPECT_EQ(e.message, "E0012S: Out-of-range value in time type.\n") << "case " << i << " rules " << rules;
        continue;
      }
      if (rules == RULES_DER && !utc) {
        EXPECT_EQ(e.message, "E0013S: Time value must be in universal coordinated time format and must end with 'Z'.\n")
            << "case " << i;
        continue;
      }
      ASSERT_EQ(e.status, 0) << e.message;
      if (rules == RULES_PER) continue;  // its text is checked by the PER tests
      ASSERT_GE(e.octets.size(), 2u);
      EXPECT_EQ(std::string(e.octets.begin() + 2, e.octets.end()), want) << "case " << i << " rules " << rules;
    }
  }
}

// The common forms, YYMMDDHHMMSSZ and YYYYMMDDHHMMSSZ, are read eight
// digits at a time: each field comes out as printf wrote it, and any octet
// but a digit in any place of them (0x3A to 0x3F and the digits with their
// top bit set among them) is refused, as no other form of that length and
// end can hold it.
TEST(BerCodec, CommonTimeFormsReadEveryDigitAndNothingElse) {
  std::srand(12);
  const auto any = [](int low, int high) { return low + std::rand() % (high - low + 1); };
  for (int i = 0; i < 400; ++i) {
    const bool generalized = i % 2 != 0;
    TimeValue want{};
    want.year = static_cast<int16_t>(generalized ? any(0, 9999) : any(0, 99));
    want.month = static_cast<int16_t>(any(1, 12));
    want.day = static_cast<int16_t>(any(1, 28));
    want.hour = static_cast<int16_t>(any(0, 23));
    want.minute = static_cast<int16_t>(any(0, 59));
    want.second = static_cast<int16_t>(any(0, 60));
    char text[32];
    const int digits = std::snprintf(text, sizeof text, generalized ? "%04d%02d%02d%02d%02d%02d" : "%02d%02d%02d%02d%02d%02d",
                                     want.year, want.month, want.day, want.hour, want.minute, want.second);
    const std::string contents = std::string(text) + "Z";
    Octets in{static_cast<unsigned char>(generalized ? 0x18 : 0x17), static_cast<unsigned char>(contents.size())};
    for (const char c : contents) in.push_back(static_cast<unsigned char>(c));
    const char *type = generalized ? "Gen" : "Utc";
    zurtest::Decoded d = rows().decode(type, RULES_DER, in);
    ASSERT_EQ(d.status, 0) << d.message << " " << text;
    const auto *got = static_cast<const TimeValue *>(d.value);
    EXPECT_EQ(got->year, want.year) << text;
    EXPECT_EQ(got->month, want.month) << text;
    EXPECT_EQ(got->day, want.day) << text;
    EXPECT_EQ(got->hour, want.hour) << text;
    EXPECT_EQ(got->minute, want.minute) << text;
    EXPECT_EQ(got->second, want.second) << text;
    EXPECT_EQ(got->utc, generalized ? 1 : 0) << text;
    rows().release(d.value);
    if (i >= 2) continue;  // every octet in every place, once per type
    for (int place = 0; place < digits; ++place) {
      for (int octet = 0; octet < 256; ++octet) {
        if (octet >= '0' && octet <= '9') continue;
        Octets bad = in;
        bad[2 + place] = static_cast<unsigned char>(octet);
        for (int32_t rules : {RULES_BER, RULES_DER}) {
          zurtest::Decoded b = rows().decode(type, rules, bad);
          EXPECT_EQ(b.status, 12) << type << " octet " << octet << " in place " << place << " rules " << rules;
          if (b.status == 0) rows().release(b.value);
        }
      }
    }
  }
}

// A value that no encoding can say, refused alike under every rules with
// the fault named: a count of octets without their address, contents that
// are no OBJECT IDENTIFIER, an INTEGER of no octets.
TEST(BerCodec, ValuesNoEncodingCanSayAreRefused) {
  static const uint8_t cut[] = {0x2A, 0x81}, padded[] = {0x2A, 0x80, 0x01}, one[] = {0x05};
  const ZurOctets noOctets{3, nullptr};
  const ZurOid noArcs{0, nullptr}, cutArc{2, const_cast<uint8_t *>(cut)}, paddedArc{3, const_cast<uint8_t *>(padded)};
  const ZurHugeInt empty{0, const_cast<uint8_t *>(one)}, lost{1, nullptr};
  const ZurChars noChars{2, nullptr};
  const struct {
    uint8_t mask;
    ZurUniversalChars u;
    ZurBmpChars b;
  } noWide{0, {0, nullptr}, {2, nullptr}};
  const struct {
    const char *type;
    const void *value;
    const char *message;
  } cases[] = {
      {"Blob", &noOctets, "E0011S: Unexpected NULL pointer in input.\n"},
      {"Text", &noChars, "E0011S: Unexpected NULL pointer in input.\n"},
      {"Flags", &noOctets, "E0011S: Unexpected NULL pointer in input.\n"},
      {"Wide", &noWide, "E0011S: Unexpected NULL pointer in input (in 'b').\n"},
      {"Num", &lost, "E0011S: Unexpected NULL pointer in input.\n"},
      {"Num", &empty, "E0037E: Value misencoded or length wrong for value (INTEGER held in no octets).\n"},
      {"Id", &noArcs, "E0010S: Bad OBJECT IDENTIFIER: 0.\n"},
      {"Id", &cutArc, "E0010S: Bad OBJECT IDENTIFIER: 1.\n"},
      {"Id", &paddedArc, "E0024E: Sub-identifier needlessly long.\n"},
  };
  for (const auto &c : cases)
    for (int32_t rules : {RULES_BER, RULES_DER, RULES_PER_ALIGNED, RULES_PER})
      EXPECT_EQ(rows().encode(c.type, rules, c.value).message, c.message) << c.type << " rules " << rules;
}

// With the trace flag, decoding and encoding show one line per element with
// the component's name, its type, every tag with its length and EOC lines
// (a joined string's segments once, though read twice).
// An open type's octets go out as they are, in the form they came in, so
// they must be one whole element: anything else is refused, not written.
TEST(BerCodec, OpenTypeOctetsGoOutAsOneElementInTheFormsOfTheRules) {
  zurtest::Decoded d = rows().decode("Anys", RULES_BER, fromHex("3103 020105"));
  ASSERT_EQ(d.status, 0) << d.message;
  const CtlTbl *ctl = rows().compiled().ctlTbl();
  const TypeDesc &anys = ctl->types[ctl->pduTypes[rows().pdu("Anys") - 1]];
  EncodedValue *element;
  std::memcpy(&element, static_cast<unsigned char *>(d.value) + anys.dataOffset, sizeof element);
  const EncodedValue kept = *element;
  const char *const kRefused = "E0037E: Value misencoded or length wrong for value.\n";
  const std::string a128(256, 'A'), a256(512, 'A');  // 128 and 256 octets AA
  const struct {
    std::string octets;
    std::string ber, der;  // the encoding, or the report
  } cases[] = {
      // BER writes them as they are; DER makes lengths definite and minimal
      // and joins the segments of UNIVERSAL strings.
      {"3080 020105 0000", "3107 3080020105 0000", "3105 3003020105"},
      {"3081 03 020105", "3106 308103020105", "3105 3003020105"},
      {"0481 01 AA", "3104 048101AA", "3103 0401AA"},
      {"A080 3080 0101FF 0000 0000", "310B A08030800101FF00000000", "3107 A005 30030101FF"},
      {"BF8101 80 0500 0000", "3108 BF8101800500 0000", "3106 BF8101 02 0500"},
      {"2480 0401AA 2404 0402BBCC 0000", "310D 2480 0401AA 24040402BBCC 0000", "3105 0403AABBCC"},
      {"2380 030200FF 2304 030203F8 0000", "310E 2380030200FF2304030203F80000", "3105 030303FFF8"},
      {"2380 0000", "3104 23800000", "3103 030100"},
      {"2480 048180" + a128 + "0000", "318187 2480048180" + a128 + "0000", "318183 048180" + a128},
      {"3080 2480 048201 00" + a256 + "0000 0000", "3182010C 3080 2480 04820100" + a256 + "0000 0000",
       "31820108 30820104 04820100" + a256},
      {"A003 020201", "3105 A003020201", kRefused},  // contents that are no elements
      {"2308 030203F8 030200FF", "310A 2308030203F8030200FF", kRefused},  // unused bits inside
      {"2403 020100", "3105 2403020100", kRefused},  // a segment that is no OCTET STRING
      {"020105 0500", kRefused, kRefused},   // two elements
      {"0203 05", kRefused, kRefused},       // cut short
      {"3080 020105", kRefused, kRefused},   // no EOC octets
      {"0480 0000", kRefused, kRefused},     // primitive, of indefinite length
      {"0000", kRefused, kRefused},          // EOC octets alone
      {"3080 0001AA 0000", kRefused, kRefused},  // octets that only begin like EOC
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.octets);
    const Octets octets = fromHex(c.octets);
    element->length = static_cast<ApiWord>(octets.size());
    element->octets = octets.data();
    for (const auto &[rules, want] : {std::pair{RULES_BER, &c.ber}, std::pair{RULES_DER, &c.der}}) {
      zurtest::Encoded e = rows().encode("Anys", rules, d.value);
      EXPECT_EQ(e.status == 0 ? toHex(e.octets) : e.message,
                *want == kRefused ? *want : toHex(fromHex(*want)));
    }
  }
  *element = kept;
  rows().release(d.value);
}

TEST(BerCodec, TraceShowsEveryElementWithItsName) {
  const Octets ber = fromHex("3080 020105 2480 0401AA 0000 3100 A180 170D 3939313233313233353935395A 0000 0000");
  const char *const decodeTrace =
      "Rec: tag = [UNIVERSAL 16] constructed; length = indef\n"
      "  a INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
      "  b OCTET STRING: tag = [UNIVERSAL 4] constructed; length = indef\n"
      "    OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 1\n"
      "    EOC\n"
      "  s SET OF: tag = [UNIVERSAL 17] constructed; length = 0\n"
      "  t : tag = [1] constructed; length = indef\n"
      "    UTCTime: tag = [UNIVERSAL 23] primitive; length = 13\n"
      "    EOC\n"
      "  EOC\n";
  const char *const encodeTrace =
      "Rec: tag = [UNIVERSAL 16] constructed; length = 25\n"
      "  a INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
      "  b OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 1\n"
      "  s SET OF: tag = [UNIVERSAL 17] constructed; length = 0\n"
      "  t : tag = [1] constructed; length = 15\n"
      "    UTCTime: tag = [UNIVERSAL 23] primitive; length = 13\n";
  zurtest::Decoded d = rows().decode("Rec", RULES_BER, ber, ZURCORE_FLAG_TRACE);
  ASSERT_EQ(d.status, 0) << d.message;
  EXPECT_EQ(d.trace, decodeTrace);
  zurtest::Encoded e = rows().encode("Rec", RULES_DER, d.value, ZURCORE_FLAG_TRACE);
  ASSERT_EQ(e.status, 0) << e.message;
  EXPECT_EQ(e.trace, encodeTrace);
}

// Limits: nesting past maxDepth and values past maxAllocation are refused;
// null limits restore the defaults, and a null Env or output is ignored.
TEST(BerCodec, LimitsBoundDepthAndAllocation) {
  CodecHarness h(rowsModule());
  ZurcoreLimits limits{4, 600};
  zurcoreSetLimits(h.env(), &limits);
  zurtest::Decoded deep = h.decode("Deep", RULES_BER, fromHex("3008 3006 3004 3002 3000"));
  EXPECT_EQ(deep.status, 10);
  EXPECT_EQ(deep.message, "D0027S: Size too long: 5 (nesting deeper than the limit) at offset 8.\n");
  Octets big = fromHex("048203E8");
  big.resize(big.size() + 1000, 0x5A);
  zurtest::Decoded blob = h.decode("Blob", RULES_BER, big);
  EXPECT_EQ(blob.status, 1);
  EXPECT_EQ(blob.message, "D0082S: Request for output exceeds limit; total bytes requested = 1624 at offset 0.\n");
  zurcoreSetLimits(nullptr, &limits);
  zurcoreGetLimits(h.env(), nullptr);
  ZurcoreLimits back{};
  zurcoreGetLimits(h.env(), &back);
  EXPECT_EQ(back.maxDepth, 4u);
  zurcoreSetLimits(h.env(), nullptr);
  zurcoreGetLimits(h.env(), &back);
  EXPECT_EQ(back.maxDepth, ZURCORE_DEFAULT_MAX_DEPTH);
  EXPECT_EQ(back.maxAllocation, ZURCORE_DEFAULT_MAX_ALLOCATION);
  // A value encoded once under the default limits grows the Env's scratch;
  // a tighter limit bounds the next encodings all the same.
  zurtest::Decoded kept = h.decode("Blob", RULES_BER, big);
  ASSERT_EQ(kept.status, 0);
  for (int32_t rules : {RULES_BER, RULES_DER}) {
    zurcoreSetLimits(h.env(), nullptr);
    EXPECT_EQ(h.encode("Blob", rules, kept.value).status, 0);
    zurcoreSetLimits(h.env(), &limits);
    EXPECT_EQ(h.encode("Blob", rules, kept.value).message,
              "E0082S: Request for output exceeds limit; total bytes requested = 1000.\n");
  }
  zurcoreSetLimits(h.env(), nullptr);
}

// Counts the blocks a decode takes from memAlloc and gives back.
std::set<void *> &liveBlocks() {
  static std::set<void *> blocks;
  return blocks;
}
void *countingAlloc(uint32_t size) {
  void *p = std::malloc(size);
  liveBlocks().insert(p);
  return p;
}
void countingFree(void *p) {
  liveBlocks().erase(p);
  std::free(p);
}

// A decode that fails, at any octet of a good encoding cut short, frees
// everything it took; one that succeeds is freed whole by zurcoreFreeValue;
// a caller's area holds the value and takes nothing from memAlloc.
TEST(BerCodec, ArenaIsFreedWholeAndOnFailure) {
  CodecHarness h(rowsModule());
  h.env()->memAlloc = countingAlloc;
  h.env()->memFree = countingFree;
  Octets good = fromHex("3020 020105 0402AABB 3106 020101 020103 A10F 170D 3939313233313233353935395A");
  ZurcoreLimits small{0, 0};
  zurcoreSetLimits(h.env(), &small);
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    const Octets part(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_NE(h.decode("Rec", RULES_BER, part).status, 0) << cut;
    EXPECT_TRUE(liveBlocks().empty()) << cut;
  }
  zurtest::Decoded d = h.decode("Rec", RULES_BER, good);
  ASSERT_EQ(d.status, 0);
  EXPECT_FALSE(liveBlocks().empty());
  const std::string printed = h.print("Rec", d.value);
  // An address inside the value is no root: nothing is freed, and the
  // report gives the whole address, on 64-bit targets too.
  unsigned char *inside = static_cast<unsigned char *>(d.value) + 16;
  EXPECT_EQ(zurcoreFreeValue(h.env(), inside), 18);
  EXPECT_EQ(std::string(h.env()->msgBuf), "D0086S: Unrecognized memory object, address = " +
                                              std::to_string(reinterpret_cast<uintptr_t>(inside)) + ".\n");
  EXPECT_EQ(zurcoreFreeValue(nullptr, d.value), ZURBASE_STATUS_BAD_ARGUMENT);
  EXPECT_EQ(zurcoreFreeValue(nullptr, nullptr), 0);
  zurcoreDestroyEnv(nullptr);
  h.release(d.value);
  EXPECT_TRUE(liveBlocks().empty());

  std::vector<unsigned char> area(8);  // less than the record itself on every target
  zurtest::Decoded tooSmall = h.decode("Rec", RULES_BER, good, 0, &area);
  EXPECT_EQ(tooSmall.status, 1);
  EXPECT_EQ(tooSmall.message, "D0001S: Output buffer too small; total buffer size: 8 at offset 0.\n");
  area.resize(4096);
  zurtest::Decoded inArea = h.decode("Rec", RULES_BER, good, 0, &area);
  ASSERT_EQ(inArea.status, 0);
  EXPECT_EQ(inArea.value, area.data());
  EXPECT_EQ(h.print("Rec", inArea.value), printed);
  EXPECT_TRUE(liveBlocks().empty());
}

}  // namespace
