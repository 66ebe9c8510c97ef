// Our BER trace of certificates, a CRL and an indefinite-length CMS message
// agrees with `openssl asn1parse` on every element's depth, class, tag
// number, form and length, EOC octets included. The files come from the
// fixture ber_asn1parse_inputs.sh, in $ZUR_ASN1PARSE_DIR.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "frame/sibling.h"
#include "tests/support/test_env.h"

namespace {

namespace fs = std::filesystem;

// Depth, class (0 universal to 3 private), tag number, constructed, length (-1: indefinite).
using Element = std::tuple<int, int, int, bool, long>;

const std::map<std::string, int> kClasses = {{"UNIVERSAL", 0}, {"APPLICATION", 1}, {"PRIVATE", 3},
                                             {"appl", 1},      {"cont", 2},        {"priv", 3}};

// openssl's names of the universal tags.
int universalNumber(const std::string &name) {
  static const std::map<std::string, int> numbers = {
      {"EOC", 0}, {"BOOLEAN", 1}, {"INTEGER", 2}, {"BIT STRING", 3}, {"OCTET STRING", 4},
      {"NULL", 5}, {"OBJECT", 6}, {"OBJECT DESCRIPTOR", 7}, {"EXTERNAL", 8}, {"REAL", 9},
      {"ENUMERATED", 10}, {"UTF8STRING", 12}, {"SEQUENCE", 16}, {"SET", 17},
      {"NUMERICSTRING", 18}, {"PRINTABLESTRING", 19}, {"T61STRING", 20}, {"VIDEOTEXSTRING", 21},
      {"IA5STRING", 22}, {"UTCTIME", 23}, {"GENERALIZEDTIME", 24}, {"GRAPHICSTRING", 25},
      {"VISIBLESTRING", 26}, {"GENERALSTRING", 27}, {"UNIVERSALSTRING", 28}, {"BMPSTRING", 30}};
  if (auto it = numbers.find(name); it != numbers.end()) return it->second;
  int number = -1;
  if (std::sscanf(name.c_str(), "<ASN1 %d>", &number) != 1)
    ADD_FAILURE() << "unknown asn1parse name " << name;
  return number;
}

long lengthOf(const std::string &s) { return s == "inf" || s == "indef" ? -1 : std::stol(s); }

// asn1parse lines such as "  93:d=4  hl=2 l=   1 prim: INTEGER           :01", where the name
// is padded and undecoded contents show "[HEX DUMP]" before the value's colon; or our trace
// lines such as "    #2 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1", and "EOC" lines,
// which asn1parse shows as primitive universal 0 elements.
std::vector<Element> parse(const std::string &text, bool asn1parse) {
  static const std::regex openssl(R"( *\d+:d=(\d+) +hl=\d+ l= *(\d+|inf) +(prim|cons): )"
                                  R"((?:(appl|cont|priv) \[ (\d+) \]|([A-Z0-9 <>]*?)) *)"
                                  R"((?:\[HEX DUMP\])?(?::.*)?)");
  static const std::regex ours(R"(( *)(?:EOC|#\d+ .*tag = \[(?:(UNIVERSAL|APPLICATION|PRIVATE) )?)"
                               R"((\d+)\] (primitive|constructed); length = (\d+|indef)))");
  std::vector<Element> out;
  std::istringstream in(text);
  std::smatch m;
  for (std::string s; std::getline(in, s);) {
    if (!std::regex_match(s, m, asn1parse ? openssl : ours))
      ADD_FAILURE() << "unexpected line: " << s;
    else if (asn1parse && m[4].matched)
      out.emplace_back(std::stoi(m[1]), kClasses.at(m[4]), std::stoi(m[5]), m[3] == "cons",
                       lengthOf(m[2]));
    else if (asn1parse)
      out.emplace_back(std::stoi(m[1]), 0, universalNumber(m[6]), m[3] == "cons", lengthOf(m[2]));
    else if (!m[3].matched)
      out.emplace_back(m.length(1) / 2, 0, 0, false, 0);
    else
      out.emplace_back(m.length(1) / 2, m[2].matched ? kClasses.at(m[2]) : 2, std::stoi(m[3]),
                       m[4] == "constructed", lengthOf(m[5]));
  }
  return out;
}

std::string readFile(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ourTrace(std::string octets) {
  zurtest::TestEnv env;
  env.captureWithHook();
  env->encRules = 0;
  zurcoreLinkBer(env.get());
  void *data = octets.data();
  int32_t length = static_cast<int32_t>(octets.size());
  EXPECT_EQ(env->codecA->decode(env.get(), nullptr, &data, &length, nullptr, nullptr, nullptr, 0,
                                env->msgBuf),
            0)
      << env->msgBuf;
  return zurtest::hookText();
}

TEST(BerAsn1parse, CertificatesCrlAndStreamedCmsAgreeElementByElement) {
  const char *dir = std::getenv("ZUR_ASN1PARSE_DIR");
  ASSERT_NE(dir, nullptr) << "run through ctest: the fixture sets ZUR_ASN1PARSE_DIR";
  int files = 0;
  for (const auto &entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".der" && entry.path().extension() != ".ber") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    const auto expected = parse(readFile(entry.path().string() + ".asn1parse"), true);
    EXPECT_GT(expected.size(), 20u);
    EXPECT_EQ(parse(ourTrace(readFile(entry.path())), false), expected);
  }
  EXPECT_EQ(files, 5);
}

}  // namespace
