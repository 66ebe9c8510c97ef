// PER checked against a peer that no one here wrote: Erlang's asn1 encodes
// the personnel records of X.691 Annex A under per and uper, and this codec
// must give the same octets for the same value (taken from Erlang's BER
// encoding of it) and read Erlang's octets back to that value.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "library/entry_points.h"
#include "tests/support/test_env.h"
#include "zurasn1/zurasn1.h"

namespace {

std::string run(const std::string &command) {
  std::string out;
  FILE *p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string quoted(const std::string &s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::vector<unsigned char> fromHex(const std::string &hex) {
  std::vector<unsigned char> v;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    v.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return v;
}

std::string toHex(const void *data, std::size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<const unsigned char *>(data)[i];
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

bool haveErlang() { return run("command -v escript") != ""; }

// Erlang's encoding of a value written as an Erlang term.
std::string erlangEncoding(const std::string &rules, const std::string &file,
                           const std::string &type, const std::string &term) {
  std::string dir = ::testing::TempDir() + "per_peer_" + rules;
  return run("escript " ZURBASE_TEST_SUPPORT "/asn1_encode_term.escript " + rules + " " + dir +
             " " + file + " " + type + " " + quoted(term) + " 2>&1");
}

// The compiled module in an Env, and what this library's codecs make of values.
class Codec {
 public:
  explicit Codec(const std::string &file) {
    std::ostringstream diagnostics;
    compilation_ = zurasn1::Compilation::compileFiles({file}, diagnostics);
    EXPECT_NE(compilation_, nullptr) << diagnostics.str();
    if (compilation_ != nullptr) env_->ctlTbl = compilation_->ctlTbl();
  }
  bool ok() const { return compilation_ != nullptr; }
  int pdu(const char *name) const { return compilation_->pduNumber(name); }

  // The encoding in hexadecimal, or the report.
  std::string encode(int rules, int pdu, void *value) {
    zur::apiSetEncodingRules(env_.get(), rules);
    EncBuf out{0, nullptr};
    if (zur::apiEncode(env_.get(), pdu, value, &out) != 0) return env_->msgBuf;
    std::string hex = toHex(out.value, static_cast<std::size_t>(out.length));
    env_->memFree(out.value);
    return hex;
  }
  // The decoded value (null, with the report in `error`, on a failure).
  void *decode(int rules, int pdu, const std::string &hex, std::string &error) {
    zur::apiSetEncodingRules(env_.get(), rules);
    std::vector<unsigned char> octets = fromHex(hex);
    EncBuf in{static_cast<int32_t>(octets.size()), octets.data()};
    void *value = nullptr;
    int32_t pduArg = pdu;
    if (zur::apiDecode(env_.get(), &pduArg, &in, &value) != 0) {
      error = env_->msgBuf;
      return nullptr;
    }
    return value;
  }
  std::string print(int pdu, void *value) {
    env_.captureWithHook();
    zur::apiPrintPdu(env_.get(), pdu, value);
    return zurtest::hookText();
  }
  void release(void *value) { zurcoreFreeValue(env_.get(), value); }

 private:
  zurtest::TestEnv env_;
  std::unique_ptr<zurasn1::Compilation> compilation_;
};

const char *const kChildren =
    "[{'ChildInformation',{'Name',\"Ralph\",\"T\",\"Smith\"},\"19571111\"%s},"
    "{'ChildInformation',{'Name',\"Susan\",\"B\",\"Jones\"},\"19590717\"%s}]";

std::string personnelRecord(bool withSex) {
  char children[256];
  std::snprintf(children, sizeof children, kChildren, withSex ? ",asn1_NOVALUE" : "",
                withSex ? ",female" : "");
  return std::string("{'PersonnelRecord',{'Name',\"John\",\"P\",\"Smith\"},\"Director\",51,") +
         "\"19710917\",{'Name',\"Mary\",\"T\",\"Smith\"}," + children + "}";
}

TEST(PerPeers, AnnexARecordsEncodeAsErlangDoesAndDecodeBack) {
  if (!haveErlang()) GTEST_SKIP() << "escript (erlang-asn1) is not installed";
  for (const char *module : {"PersonnelA1", "PersonnelA2", "PersonnelA3"}) {
    const std::string file = std::string(ZURBASE_TEST_DATA "/asn1/") + module + ".asn1";
    const std::string term = personnelRecord(std::string(module) == "PersonnelA3");
    Codec codec(file);
    ASSERT_TRUE(codec.ok()) << module;
    const int pdu = codec.pdu("PersonnelRecord");
    std::string error;
    void *value = codec.decode(RULES_BER, pdu, erlangEncoding("ber", file, "PersonnelRecord", term),
                               error);
    ASSERT_NE(value, nullptr) << module << ": " << error;
    const std::string printed = codec.print(pdu, value);
    for (const auto &[rules, name] : {std::pair{RULES_PER_ALIGNED, "per"}, {RULES_PER, "uper"}}) {
      SCOPED_TRACE(std::string(module) + " " + name);
      const std::string theirs = erlangEncoding(name, file, "PersonnelRecord", term);
      EXPECT_EQ(codec.encode(rules, pdu, value), theirs);
      void *back = codec.decode(rules, pdu, theirs, error);
      ASSERT_NE(back, nullptr) << error;
      EXPECT_EQ(codec.print(pdu, back), printed);
      codec.release(back);
    }
    codec.release(value);
  }
}

}  // namespace
