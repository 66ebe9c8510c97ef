// Our BER trace of certificates and a CRL agrees with `openssl asn1parse` on
// every element's depth, class, tag number, form and length. The files come
// from the fixture ber_asn1parse_inputs.sh, in $ZUR_ASN1PARSE_DIR.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "frame/sibling.h"
#include "tests/support/captured_output.h"
#include "tests/support/test_env.h"

namespace {

namespace fs = std::filesystem;

struct Element {
  int depth;
  int tagClass;
  int number;
  bool constructed;
  long length;  // -1: indefinite
  bool operator==(const Element &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Element &e) {
  return os << "{d=" << e.depth << " class=" << e.tagClass << " tag=" << e.number
            << (e.constructed ? " cons" : " prim") << " l=" << e.length << "}";
}

// openssl's names of the universal tags.
int universalNumber(const std::string &name) {
  static const std::map<std::string, int> numbers = {
      {"EOC", 0},           {"BOOLEAN", 1},          {"INTEGER", 2},
      {"BIT STRING", 3},    {"OCTET STRING", 4},     {"NULL", 5},
      {"OBJECT", 6},        {"OBJECT DESCRIPTOR", 7}, {"EXTERNAL", 8},
      {"REAL", 9},          {"ENUMERATED", 10},      {"UTF8STRING", 12},
      {"SEQUENCE", 16},     {"SET", 17},             {"NUMERICSTRING", 18},
      {"PRINTABLESTRING", 19}, {"T61STRING", 20},    {"VIDEOTEXSTRING", 21},
      {"IA5STRING", 22},    {"UTCTIME", 23},         {"GENERALIZEDTIME", 24},
      {"GRAPHICSTRING", 25}, {"VISIBLESTRING", 26},  {"GENERALSTRING", 27},
      {"UNIVERSALSTRING", 28}, {"BMPSTRING", 30}};
  auto it = numbers.find(name);
  if (it != numbers.end()) return it->second;
  std::smatch m;
  if (std::regex_match(name, m, std::regex(R"(<ASN1 (\d+)>)"))) return std::stoi(m[1]);
  ADD_FAILURE() << "unknown asn1parse name " << name;
  return -1;
}

std::vector<Element> parseAsn1parse(const std::string &text) {
  static const std::regex line(
      R"(^\s*\d+:d=(\d+)\s+hl=\d+\s+l=\s*(\d+|inf)\s+(cons|prim):\s*([^:]*?)\s*(:.*)?$)");
  static const std::regex tagged(R"((cont|appl|priv) \[ (\d+) \])");
  std::vector<Element> out;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);) {
    std::smatch m;
    if (!std::regex_match(s, m, line)) {
      ADD_FAILURE() << "unexpected asn1parse line: " << s;
      continue;
    }
    Element e{std::stoi(m[1]), 0, 0, m[3] == "cons", m[2] == "inf" ? -1 : std::stol(m[2])};
    // Primitives with undecoded contents carry a "[HEX DUMP]" mark.
    const std::string name = std::regex_replace(m[4].str(), std::regex(R"(\s*\[HEX DUMP\]$)"), "");
    std::smatch t;
    if (std::regex_match(name, t, tagged)) {
      e.tagClass = t[1] == "appl" ? 1 : t[1] == "cont" ? 2 : 3;
      e.number = std::stoi(t[2]);
    } else {
      e.number = universalNumber(name);
    }
    out.push_back(e);
  }
  return out;
}

std::vector<Element> parseTrace(const std::string &text) {
  static const std::regex line(
      R"(^( *)#\d+ .*tag = \[(UNIVERSAL |APPLICATION |PRIVATE |)(\d+)\] (primitive|constructed); length = (\d+|indef)$)");
  std::vector<Element> out;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);) {
    std::smatch m;
    if (!std::regex_match(s, m, line)) {
      ADD_FAILURE() << "unexpected trace line: " << s;
      continue;
    }
    const std::string cls = m[2];
    out.push_back({static_cast<int>(m[1].length() / 2),
                   cls == "UNIVERSAL " ? 0 : cls == "APPLICATION " ? 1 : cls.empty() ? 2 : 3,
                   std::stoi(m[3]), m[4] == "constructed", m[5] == "indef" ? -1 : std::stol(m[5])});
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
  void *out = nullptr;
  uint32_t outLen = 0;
  EXPECT_EQ(env->codecA->decode(env.get(), nullptr, &data, &length, &out, &outLen, nullptr, 0,
                                env->msgBuf),
            0)
      << env->msgBuf;
  return zurtest::hookText();
}

TEST(BerAsn1parse, CertificatesAndCrlAgreeElementByElement) {
  const char *dir = std::getenv("ZUR_ASN1PARSE_DIR");
  ASSERT_NE(dir, nullptr) << "run through ctest: the fixture sets ZUR_ASN1PARSE_DIR";
  int files = 0;
  for (const auto &entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".der") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    const auto expected = parseAsn1parse(readFile(entry.path().string() + ".asn1parse"));
    const auto ours = parseTrace(ourTrace(readFile(entry.path())));
    EXPECT_GT(expected.size(), 20u);
    EXPECT_EQ(ours, expected);
  }
  EXPECT_EQ(files, 4);
}

}  // namespace
