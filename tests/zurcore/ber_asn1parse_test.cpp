// Our BER trace of certificates, a CRL and an indefinite-length CMS message
// agrees with `openssl asn1parse` on every element's depth, class, tag
// number, form and length, EOC octets included. The files come from the
// fixture ber_asn1parse_inputs.sh, in $ZUR_ASN1PARSE_DIR.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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

std::string trimmed(const std::string &s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool startsWith(const std::string &s, const std::string &prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
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
  int number = -1;
  if (std::sscanf(name.c_str(), "<ASN1 %d>", &number) == 1) return number;
  ADD_FAILURE() << "unknown asn1parse name " << name;
  return -1;
}

// Lines such as "  93:d=4  hl=2 l=   1 prim: INTEGER           :01".
std::vector<Element> parseAsn1parse(const std::string &text) {
  std::vector<Element> out;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);) {
    int depth = 0;
    char length[16] = {};
    char form[5] = {};
    int used = 0;
    if (std::sscanf(s.c_str(), " %*d:d=%d hl=%*d l=%15s %4[a-z]:%n", &depth, length, form,
                    &used) != 3 || used == 0) {
      ADD_FAILURE() << "unexpected asn1parse line: " << s;
      continue;
    }
    Element e{depth, 0, 0, std::string(form) == "cons",
              std::string(length) == "inf" ? -1 : std::atol(length)};
    // The name ends at the value's colon; undecoded contents show "[HEX DUMP]".
    std::string name = s.substr(static_cast<std::size_t>(used));
    name = trimmed(name.substr(0, name.find(':')));
    if (name.size() > 10 && name.compare(name.size() - 10, 10, "[HEX DUMP]") == 0)
      name = trimmed(name.substr(0, name.size() - 10));
    char cls[5] = {};
    int number = 0;
    if (std::sscanf(name.c_str(), "%4s [ %d ]", cls, &number) == 2) {
      e.tagClass = std::string(cls) == "appl" ? 1 : std::string(cls) == "cont" ? 2 : 3;
      e.number = number;
    } else {
      e.number = universalNumber(name);
    }
    out.push_back(e);
  }
  return out;
}

// Lines such as "    #2 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1", and
// "EOC" lines, which asn1parse shows as primitive universal 0 elements.
std::vector<Element> parseTrace(const std::string &text) {
  std::vector<Element> out;
  std::istringstream in(text);
  for (std::string s; std::getline(in, s);) {
    const auto indent = s.find_first_not_of(' ');
    if (indent != std::string::npos && s.substr(indent) == "EOC") {
      out.push_back({static_cast<int>(indent / 2), 0, 0, false, 0});
      continue;
    }
    const auto tag = s.find("tag = [");
    if (indent == std::string::npos || s[indent] != '#' || tag == std::string::npos) {
      ADD_FAILURE() << "unexpected trace line: " << s;
      continue;
    }
    std::string rest = s.substr(tag + 7);
    Element e{static_cast<int>(indent / 2), 2, 0, false, 0};
    for (const auto &[prefix, cls] : {std::pair<const char *, int>{"UNIVERSAL ", 0},
                                      {"APPLICATION ", 1}, {"PRIVATE ", 3}})
      if (startsWith(rest, prefix)) {
        e.tagClass = cls;
        rest = rest.substr(std::strlen(prefix));
      }
    char form[12] = {};
    char length[16] = {};
    if (std::sscanf(rest.c_str(), "%d] %11[a-z]; length = %15s", &e.number, form, length) != 3) {
      ADD_FAILURE() << "unexpected trace line: " << s;
      continue;
    }
    e.constructed = std::string(form) == "constructed";
    e.length = std::string(length) == "indef" ? -1 : std::atol(length);
    out.push_back(e);
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

TEST(BerAsn1parse, CertificatesCrlAndStreamedCmsAgreeElementByElement) {
  const char *dir = std::getenv("ZUR_ASN1PARSE_DIR");
  ASSERT_NE(dir, nullptr) << "run through ctest: the fixture sets ZUR_ASN1PARSE_DIR";
  int files = 0;
  for (const auto &entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".der" && entry.path().extension() != ".ber") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    const auto expected = parseAsn1parse(readFile(entry.path().string() + ".asn1parse"));
    const auto ours = parseTrace(ourTrace(readFile(entry.path())));
    EXPECT_GT(expected.size(), 20u);
    EXPECT_EQ(ours, expected);
  }
  EXPECT_EQ(files, 5);
}

}  // namespace
