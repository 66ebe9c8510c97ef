// Value notation against Erlang's asn1ct: a seeded generator writes one
// module with a few hundred value assignments in the forms people write,
// asn1ct compiles each into a function of its module, and Erlang's encoding
// of `Values:vN()` under BER, DER, PER and UPER is compared octet for octet
// with the same notation read here (as zurasn1 encode reads it) and with a
// reference to the module's value, both encoded by zurcore. ZUR_VALUES_SEED
// draws another module. The peer runs on the host build only.
//
// Forms left out because asn1ct refuses or mis-reads them (it is no peer
// there): every REAL value (realnumbers are a syntax error, the SEQUENCE
// form becomes a list and PLUS-INFINITY fails to encode), `""` inside a
// cstring (a syntax error), cstrings over several lines
// (missing_quote_at_eof), lists of cstrings `{ "ab", "cd" }` (encoded with
// the count of the strings for the length), Quadruples and Tuples (their
// numbers become characters of their own), characters beyond ASCII in
// strings other than UTF8String (asn1ct takes the file's UTF-8 octets as
// characters), named bits inside SEQUENCE values (an internal error),
// extension additions (the record of a value lacks their fields, and an
// addition given is an "illegal identifier"), a RELATIVE-OID value reference
// as the first component of a RELATIVE-OID and a value reference in
// `name(number)` ("illegal RELATIVE-OID", "illegal OBJECT IDENTIFIER"), and
// value references to ENUMERATED values, to CHOICE values in a SEQUENCE OF
// and to SEQUENCE values ("referenced, but is not defined", "illegal
// identifier", a value left as the reference).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/codec_harness.h"
#ifdef ZUR_PEERS
#include "tests/support/erlang_agreement.h"
#endif

namespace {

#ifndef ZUR_PEERS
TEST(ValueAgreement, RunsOnTheHostBuildOnly) {
  GTEST_SKIP() << "Erlang's asn1ct is the peer of value notation on the host build only";
}
#else

using zurtest::CodecHarness;
using zurtest::toHex;

constexpr const char *kTypes = R"(
Int ::= INTEGER { low(-5), zero(0), high(1000) }
Small ::= INTEGER (-100..1000)
Byte ::= INTEGER (0..255, ...)
Color ::= ENUMERATED { red, green(5), blue, ..., violet }
Flag ::= BOOLEAN
Nothing ::= NULL
Bits ::= BIT STRING
Flags ::= BIT STRING { a(0), b(1), c(5), d(9) }
Fixed ::= BIT STRING (SIZE (12))
Octets ::= OCTET STRING
Short ::= OCTET STRING (SIZE (0..8))
Oid ::= OBJECT IDENTIFIER
Rel ::= RELATIVE-OID
Ia5 ::= IA5String
Printable ::= PrintableString (SIZE (1..20))
Visible ::= VisibleString
Numeric ::= NumericString
Utf8 ::= UTF8String
Bmp ::= BMPString
Universal ::= UniversalString
Utc ::= UTCTime
Generalized ::= GeneralizedTime
Record ::= SEQUENCE {
  id Int,
  flag BOOLEAN OPTIONAL,
  name IA5String DEFAULT "none",
  color Color DEFAULT blue,
  tags SEQUENCE OF Small OPTIONAL,
  ...
}
Unordered ::= SET { a INTEGER, b OCTET STRING OPTIONAL, c BOOLEAN DEFAULT TRUE, d Rel OPTIONAL }
Pick ::= CHOICE { number Int, text UTF8String, record Record, none NULL, oid Oid }
Picks ::= SEQUENCE OF Pick
Numbers ::= SET OF Small
Nested ::= SEQUENCE {
  picks Picks,
  numbers Numbers OPTIONAL,
  inner SEQUENCE { bits Bits OPTIONAL, when GeneralizedTime, kind Color }
}

base Int ::= 42
limit Small ::= 777
arc INTEGER ::= 840
root Oid ::= { iso member-body(2) us(840) }
rel Rel ::= { 113549 1 }
yes Flag ::= TRUE
magic Octets ::= 'CAFE'H
stamp Generalized ::= "20260102030405.5Z"
)";

// Value notation of the module's types, drawn from a seeded generator.
class NotationGenerator {
 public:
  explicit NotationGenerator(uint32_t seed) : rng_(seed) {}

  // Whether a value drawn since this was last cleared gives a DEFAULT
  // component its default, which BER encodes or leaves out as it likes.
  bool givesDefault = false;

  std::string of(const std::string &type, int depth = 0) {
    if (type == "Int") return integer();
    if (type == "Small") return pickOf({"limit", std::to_string(number(-100, 1000))});
    if (type == "Byte") return std::to_string(number(0, 255));
    if (type == "Color") return pickOf({"red", "green", "blue", "violet"});
    if (type == "Flag") return pickOf({"TRUE", "FALSE", "yes"});
    if (type == "Nothing") return "NULL";
    if (type == "Bits") return coin() ? bstring(number(0, 20)) : hstring(number(0, 4) * 2);
    if (type == "Flags") return flags();
    if (type == "Fixed") return coin() ? bstring(12) : hstring(3);
    if (type == "Octets") return pickOf({hstring(number(0, 6) * 2), bstring(number(0, 20)), "magic"});
    if (type == "Short") return coin() ? hstring(number(0, 8) * 2) : bstring(number(0, 64));
    if (type == "Oid") return oid();
    if (type == "Rel") return relative();
    if (type == "Ia5") return cstring(" !#$%&'()*+,-./0123456789:;<=>?@ABCXYZ[\\]^_`abcxyz{|}~", 0, 12);
    if (type == "Printable") return cstring("ABCXYZabcxyz0123456789 '()+,-./:=?", 1, 20);
    if (type == "Visible") return cstring(" !#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~", 0, 12);
    if (type == "Numeric") return cstring("0123456789 ", 0, 12);
    if (type == "Utf8") return utf8();
    if (type == "Bmp" || type == "Universal") return cstring("ABCabc 0123-+", 0, 12);
    if (type == "Utc") return utc();
    if (type == "Generalized") return number(0, 4) == 0 ? "stamp" : generalized();
    if (type == "Record") return record(depth);
    if (type == "Unordered") return unordered();
    if (type == "Pick") return pick(depth);
    if (type == "Picks") return list("Pick", depth);
    if (type == "Numbers") return list("Small", depth);
    if (type == "Nested") return nested(depth);
    ADD_FAILURE() << "no notation for " << type;
    return "";
  }

 private:
  int64_t number(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng_); }
  bool coin() { return number(0, 1) == 1; }
  std::string defaulted(const char *value) {
    givesDefault = true;
    return value;
  }
  std::string pickOf(std::initializer_list<std::string> choices) {
    return *(choices.begin() + number(0, static_cast<int64_t>(choices.size()) - 1));
  }

  // Of Int, with its named numbers, or of a plain INTEGER.
  std::string integer(bool named = true) {
    switch (number(0, 5)) {
      case 0:
        return named ? pickOf({"low", "zero", "high", "base"}) : "base";
      case 1:
        return std::to_string(number(-200, 200));
      case 2: {
        const int bits = static_cast<int>(number(1, 62));
        return std::to_string(number(-(int64_t{1} << bits), (int64_t{1} << bits) - 1));
      }
      case 3:
        return pickOf({"-9223372036854775808", "9223372036854775807", "-129", "128", "-32768", "65535"});
      default:
        return std::to_string(number(INT64_MIN, INT64_MAX));
    }
  }

  std::string bstring(int64_t bits) {
    std::string text = "'";
    for (int64_t i = 0; i < bits; ++i) text += coin() ? '1' : '0';
    return text + "'B";
  }
  std::string hstring(int64_t digits) {
    std::string text = "'";
    for (int64_t i = 0; i < digits; ++i) text += "0123456789ABCDEF"[number(0, 15)];
    return text + "'H";
  }

  // A named-bit list, or a bstring that ends in a 1 bit: DER and PER drop a
  // named-bit value's trailing 0 bits, which asn1ct's DER code keeps for a
  // bstring (it encodes '0100'B as 03 02 04 40, not 03 02 06 40).
  std::string flags() {
    if (coin()) {
      std::string text = "{";
      const char *names[] = {"a", "b", "c", "d"};
      for (const char *name : names)
        if (coin()) text += std::string(text.size() > 1 ? ", " : " ") + name;
      return text + (text.size() > 1 ? " }" : "}");
    }
    std::string bits = bstring(number(0, 11));
    if (bits.size() > 3) bits[bits.size() - 3] = '1';
    return bits;
  }

  // A RELATIVE-OID's arcs are laid out in 32 bits (ZurRelativeOid).
  std::string arcs(int count, int bits) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      const int64_t arc = coin() ? number(0, 200) : number(0, (int64_t{1} << bits) - 1);
      text += " " + (coin() ? std::to_string(arc) : "x" + std::to_string(i) + "(" + std::to_string(arc) + ")");
    }
    return text;
  }
  // Every form of the first arcs: a number, a name, a name and number, a
  // value reference; an INTEGER or RELATIVE-OID reference further on. The
  // second arc is one that X.660 assigns under itu-t (0 to 9) and iso (0 to
  // 3): asn1ct refuses the others below 40, which X.680 allows.
  std::string oid() {
    std::string text = "{";
    switch (number(0, 4)) {
      case 0:
        text += " root";
        break;
      case 1:
        text += coin() ? " iso " + std::to_string(number(0, 3))
                       : " " + pickOf({"itu-t", "ccitt"}) + " " + std::to_string(number(0, 9));
        break;
      case 2:
        text += " " + pickOf({"joint-iso-itu-t(2)", "joint-iso-ccitt", "2"}) + " " + std::to_string(number(0, 2000));
        break;
      case 3:
        text +=
            " itu-t recommendation " + (coin() ? std::to_string(number(0, 25)) : std::string(1, "aknxz"[number(0, 4)]));
        break;
      default:
        text += coin() ? " 0 " + std::to_string(number(0, 9)) : " 1 " + std::to_string(number(0, 3));
        break;
    }
    text += arcs(static_cast<int>(number(0, 3)), 40);
    if (number(0, 3) == 0) text += coin() ? " arc" : " rel";
    return text + " }";
  }
  std::string relative() { return "{" + arcs(static_cast<int>(number(1, 4)), 32) + (coin() ? " arc" : "") + " }"; }

  std::string cstring(const std::string &alphabet, int64_t least, int64_t most) {
    const int64_t length = number(least, most);
    std::string text;
    for (int64_t i = 0; i < length; ++i) text += alphabet[static_cast<std::size_t>(number(0, alphabet.size() - 1))];
    return "\"" + text + "\"";
  }
  // Characters of each UTF-8 length.
  std::string utf8() {
    const char *pieces[] = {"a", "Z", " ", "\xC3\xA9", "\xE2\x9C\x93", "\xF0\x9D\x84\x9E", "\xD0\x96"};
    std::string text = "\"";
    for (int64_t i = number(0, 6); i > 0; --i) text += pieces[number(0, 6)];
    return text + "\"";
  }

  std::string two(int64_t lo, int64_t hi) {
    const int64_t n = number(lo, hi);
    return (n < 10 ? "0" : "") + std::to_string(n);
  }
  std::string utc() {
    return "\"" + two(0, 99) + two(1, 12) + two(1, 28) + two(0, 23) + two(0, 59) + two(0, 59) + "Z\"";
  }
  // Fractions without trailing zeros, as DER wants them.
  std::string generalized() {
    std::string text =
        std::to_string(number(1950, 2049)) + two(1, 12) + two(1, 28) + two(0, 23) + two(0, 59) + two(0, 59);
    if (coin()) text += "." + std::to_string(number(0, 99)) + pickOf({"1", "5", "9"});
    return "\"" + text + "Z\"";
  }

  // Components given or left out (OPTIONAL and DEFAULT ones), each given a
  // value in its own notation.
  std::string components(const std::vector<std::pair<std::string, std::string> > &given) {
    std::string text = "{";
    for (const auto &[name, value] : given) text += std::string(text.size() > 1 ? ", " : " ") + name + " " + value;
    return text + (text.size() > 1 ? " }" : "}");
  }
  std::string record(int depth) {
    std::vector<std::pair<std::string, std::string> > given{{"id", integer()}};
    if (coin()) given.push_back({"flag", of("Flag")});
    // DEFAULT components given their defaults now and then, which DER and
    // PER leave out.
    if (coin()) given.push_back({"name", number(0, 3) == 0 ? defaulted("\"none\"") : of("Ia5")});
    if (coin()) {
      given.push_back({"color", of("Color")});
      givesDefault = givesDefault || given.back().second == "blue";
    }
    if (coin() && depth < 3) given.push_back({"tags", list("Small", depth)});
    return components(given);
  }
  // A SET's components in any order.
  std::string unordered() {
    std::vector<std::pair<std::string, std::string> > given{{"a", integer(false)}};
    if (coin()) given.push_back({"b", of("Octets")});
    if (coin()) given.push_back({"c", coin() ? "FALSE" : defaulted("TRUE")});
    if (coin()) given.push_back({"d", relative()});
    std::shuffle(given.begin(), given.end(), rng_);
    return components(given);
  }
  std::string pick(int depth) {
    switch (number(0, depth < 3 ? 4 : 3)) {
      case 0:
        return "number : " + integer();
      case 1:
        return "text : " + utf8();
      case 2:
        return "none : NULL";
      case 3:
        return "oid : " + oid();
      default:
        return "record : " + of("Record", depth + 1);
    }
  }
  std::string list(const std::string &element, int depth) {
    std::string text = "{";
    for (int64_t i = depth < 3 ? number(0, 4) : 0; i > 0; --i)
      text += std::string(text.size() > 1 ? ", " : " ") + of(element, depth + 1);
    return text + (text.size() > 1 ? " }" : "}");
  }
  std::string nested(int depth) {
    std::vector<std::pair<std::string, std::string> > inner;
    if (coin()) inner.push_back({"bits", of("Bits")});
    inner.push_back({"when", of("Generalized")});
    inner.push_back({"kind", of("Color")});
    std::vector<std::pair<std::string, std::string> > given{{"picks", list("Pick", depth)}};
    if (coin()) given.push_back({"numbers", list("Small", depth)});
    given.push_back({"inner", components(inner)});
    return components(given);
  }

  std::mt19937 rng_;
};

// Erlang's encodings under `rules` of `lines` ("Type EXPRESSION"), one
// answer per line: hexadecimal octets or "error WHY".
std::vector<std::string> erlangEncodings(const std::string &rules, const std::string &file,
                                         const std::vector<std::string> &lines) {
  const std::string dir = zurtest::peerDir("values-" + rules);
  std::vector<std::string> answers =
      zurtest::askPeer("escript " + std::string(ZURBASE_SOURCE_DIR) + "/tests/support/asn1_encode_term.escript " +
                           rules + " " + dir + " " + file,
                       dir, lines);
  answers.resize(lines.size());
  return answers;
}

TEST(ValueAgreement, ModuleValuesEncodeAsErlangEncodesThem) {
  const char *types[] = {"Int",         "Small",   "Byte",      "Color", "Flag",  "Nothing",   "Bits",
                         "Flags",       "Fixed",   "Octets",    "Short", "Oid",   "Rel",       "Ia5",
                         "Printable",   "Visible", "Numeric",   "Utf8",  "Bmp",   "Universal", "Utc",
                         "Generalized", "Record",  "Unordered", "Pick",  "Picks", "Numbers",   "Nested"};
  const char *seed = std::getenv("ZUR_VALUES_SEED");
  NotationGenerator generator(seed != nullptr ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : 20261209);
  struct Assigned {
    std::string name, type, notation;
    bool givesDefault;
  };
  std::vector<Assigned> values;
  for (int round = 0; round < 12; ++round)
    for (const char *type : types) {
      generator.givesDefault = false;
      const std::string notation = generator.of(type);
      values.push_back({"v" + std::to_string(values.size()), type, notation, generator.givesDefault});
    }
  std::string module = "Values DEFINITIONS AUTOMATIC TAGS ::= BEGIN\n" + std::string(kTypes);
  for (const Assigned &v : values) module += v.name + " " + v.type + " ::= " + v.notation + "\n";
  module += "END\n";
  const std::string file = zurtest::peerDir("values") + "/Values.asn1";
  std::ofstream(file) << module;
  CodecHarness h(std::vector<std::string>{file});

  // Each value as encode's input writes it, and as a reference to the
  // module's value: read type by type.
  std::map<std::string, std::vector<std::size_t> > byType;
  for (std::size_t i = 0; i < values.size(); ++i) byType[values[i].type].push_back(i);
  std::vector<std::unique_ptr<zurasn1::Compilation> > reads;
  std::vector<std::pair<const zurasn1::Compilation *, std::size_t> > written(values.size()), referenced(values.size());
  for (const auto &[type, indexes] : byType) {
    std::string input;
    for (std::size_t i : indexes)
      input += "w " + type + " ::= " + values[i].notation + "\nr " + type + " ::= " + values[i].name + "\n";
    std::ostringstream diagnostics;
    reads.push_back(h.compiled().readValues({"in.txt", input}, h.pdu(type), diagnostics));
    ASSERT_TRUE(reads.back()) << diagnostics.str() << input;
    for (std::size_t k = 0; k < indexes.size(); ++k) {
      written[indexes[k]] = {reads.back().get(), 2 * k};
      referenced[indexes[k]] = {reads.back().get(), 2 * k + 1};
    }
  }
  auto encode = [&](const std::pair<const zurasn1::Compilation *, std::size_t> &read, const std::string &type,
                    int32_t rules) {
    Env *env = h.env();
    const CtlTbl *own = env->ctlTbl;
    env->ctlTbl = read.first->ctlTbl();
    const zurtest::Encoded e = h.encode(type, rules, read.first->values().at(read.second));
    env->ctlTbl = own;
    return e.status == 0 ? toHex(e.octets) : "error " + e.message;
  };

  std::vector<std::string> lines;
  for (const Assigned &v : values) lines.push_back(v.type + " 'Values':" + v.name + "()");
  for (int32_t rules : {RULES_BER, RULES_DER, RULES_PER_ALIGNED, RULES_PER}) {
    const std::vector<std::string> theirs = erlangEncodings(zurtest::erlangRules(rules), file, lines);
    for (std::size_t i = 0; i < values.size(); ++i) {
      SCOPED_TRACE(std::string(zurtest::erlangRules(rules)) + " " + values[i].name + " " + values[i].type +
                   " ::= " + values[i].notation);
      const std::string ours = encode(written[i], values[i].type, rules);
      if (rules == RULES_BER && values[i].givesDefault && ours != theirs[i]) {
        // asn1ct leaves such a component out, as DER would; the value it
        // encoded must be ours.
        const zurtest::Decoded d = h.decode(values[i].type, RULES_BER, zurtest::fromHex(theirs[i]));
        if (d.status != 0)
          ADD_FAILURE() << theirs[i] << ": " << d.message;
        else
          EXPECT_EQ(zurtest::derOf(h, values[i].type, d.value), encode(written[i], values[i].type, RULES_DER));
      } else {
        EXPECT_EQ(ours, theirs[i]);
      }
      EXPECT_EQ(encode(referenced[i], values[i].type, rules), ours);
    }
  }
}

#endif

}  // namespace
