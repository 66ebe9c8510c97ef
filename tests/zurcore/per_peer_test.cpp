// PER against peers that no one here wrote, on the host build: Erlang's
// asn1ct (per and uper) for the personnel records of X.691 Annex A and for
// random values of the PerKinds module, both ways, octet for octet; asn1c's
// generated UNALIGNED PER codec as a second opinion on what it can compile.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef ZUR_PEERS
#include <unistd.h>
#endif

#include "tests/support/codec_harness.h"
#include "tests/support/value_generator.h"

namespace {

#ifndef ZUR_PEERS
TEST(PerPeers, RunOnTheHostBuildOnly) {
  GTEST_SKIP() << "Erlang's asn1ct and asn1c are the PER codec's peers on the host build only";
}
#else

namespace fs = std::filesystem;
using zurtest::CodecHarness;
using zurtest::fromHex;
using zurtest::Octets;
using zurtest::toHex;

const std::string kSupport = std::string(ZURBASE_SOURCE_DIR) + "/tests/support/";
const std::string kKinds = std::string(ZURBASE_TEST_DATA) + "/codec/PerKinds.asn1";

std::string run(const std::string &command) {
  std::string out;
  if (std::FILE *p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::string workDir(const std::string &name) {
  const fs::path dir = fs::temp_directory_path() / ("zur_per_peers_" + std::to_string(getpid())) / name;
  fs::create_directories(dir);
  return dir.string();
}


const char *variant(int32_t rules) { return rules == RULES_PER_ALIGNED ? "per" : "uper"; }

// Erlang's encodings of values it is given as "Type TERM" lines, one answer
// per line: the octets in hexadecimal or "error WHY".
std::vector<std::string> erlangEncodings(const std::string &rules, const std::string &file,
                                         const std::vector<std::string> &lines) {
  const std::string dir = workDir("terms-" + rules + "-" + fs::path(file).stem().string());
  std::ofstream(dir + "/terms.txt") << [&] {
    std::string all;
    for (const auto &l : lines) all += l + "\n";
    return all;
  }();
  const std::string out = run("escript " + kSupport + "asn1_encode_term.escript " + rules + " " +
                              dir + " " + file + " < " + dir + "/terms.txt 2>&1");
  const std::size_t ready = out.find("ready\n");
  std::vector<std::string> answers;
  std::istringstream in(ready == std::string::npos ? "" : out.substr(ready + 6));
  for (std::string line; std::getline(in, line);) answers.push_back(line);
  EXPECT_EQ(answers.size(), lines.size()) << out.substr(0, 2000);
  answers.resize(lines.size());
  return answers;
}

// Values stated as Erlang terms: Erlang's BER octets of each decode here, and
// that value encoded under PER gives Erlang's PER octets, which decode here to
// the same value.
void agreeOnTerms(const std::string &file, const std::vector<std::string> &lines) {
  CodecHarness h(std::vector<std::string>{file});
  const std::vector<std::string> ber = erlangEncodings("ber", file, lines);
  const std::vector<std::string> per = erlangEncodings("per", file, lines);
  const std::vector<std::string> uper = erlangEncodings("uper", file, lines);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string type = lines[i].substr(0, lines[i].find(' '));
    SCOPED_TRACE(lines[i]);
    zurtest::Decoded value = h.decode(type, RULES_BER, fromHex(ber[i]));
    ASSERT_EQ(value.status, 0) << ber[i] << ": " << value.message;
    const std::string printed = h.print(type, value.value);
    for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
      const std::string &theirs = rules == RULES_PER_ALIGNED ? per[i] : uper[i];
      SCOPED_TRACE(variant(rules));
      zurtest::Encoded ours = h.encode(type, rules, value.value);
      ASSERT_EQ(ours.status, 0) << ours.message;
      EXPECT_EQ(toHex(ours.octets), theirs);
      zurtest::Decoded back = h.decode(type, rules, fromHex(theirs));
      ASSERT_EQ(back.status, 0) << back.message;
      EXPECT_EQ(back.consumed, static_cast<int32_t>(theirs.size() / 2));
      EXPECT_EQ(h.print(type, back.value), printed);
    }
  }
}

std::string personnelRecord(bool withSex) {
  const std::string absent = withSex ? ",asn1_NOVALUE" : "", female = withSex ? ",female" : "";
  return "PersonnelRecord {'PersonnelRecord',{'Name',\"John\",\"P\",\"Smith\"},\"Director\",51,"
         "\"19710917\",{'Name',\"Mary\",\"T\",\"Smith\"},"
         "[{'ChildInformation',{'Name',\"Ralph\",\"T\",\"Smith\"},\"19571111\"" + absent + "},"
         "{'ChildInformation',{'Name',\"Susan\",\"B\",\"Jones\"},\"19590717\"" + female + "}]}";
}

TEST(PerPeers, AnnexARecordsEncodeAsErlangDoesAndDecodeBack) {
  for (const std::string module : {"PersonnelA1", "PersonnelA2", "PersonnelA3"}) {
    SCOPED_TRACE(module);
    agreeOnTerms(std::string(ZURBASE_TEST_DATA) + "/asn1/" + module + ".asn1",
                 {personnelRecord(module == "PersonnelA3")});
  }
}

// Every form of number, length, alphabet and extension, one type at a time
// (PerCases.values: "Type TERM" lines).
TEST(PerPeers, EveryFormOneTypeAtATime) {
  std::ifstream in(std::string(ZURBASE_TEST_DATA) + "/codec/PerCases.values");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GT(lines.size(), 40u);
  agreeOnTerms(std::string(ZURBASE_TEST_DATA) + "/codec/PerCases.asn1", lines);
}

// Asks the Erlang peer to decode each "Module Type HEX" line and encode what
// it decoded; one answer per line.
std::vector<std::string> askErlang(const std::string &rules, const std::vector<std::string> &lines) {
  const std::string dir = workDir("erlang-" + rules);
  std::ofstream(dir + "/requests.txt") << [&] {
    std::string all;
    for (const auto &l : lines) all += l + "\n";
    return all;
  }();
  const std::string out = run("escript " + kSupport + "asn1_peer.escript " + rules + " " + dir +
                              " " + kKinds + " < " + dir + "/requests.txt 2>&1");
  const std::size_t ready = out.find("ready\n");
  std::vector<std::string> answers;
  std::istringstream in(ready == std::string::npos ? "" : out.substr(ready + 6));
  for (std::string line; std::getline(in, line);) answers.push_back(line);
  EXPECT_EQ(answers.size(), lines.size()) << out.substr(0, 2000);
  return answers;
}

struct Case {
  std::string type;
  std::string printed;
  Octets ours;
};

std::vector<Case> randomCases(CodecHarness &h, int32_t rules, const std::vector<std::string> &types,
                              int perType) {
  zurtest::ValueGenerator generator(h.compiled().ctlTbl(), 23 + rules);
  std::vector<Case> cases;
  for (const std::string &type : types) {
    for (int k = 0; k < perType; ++k) {
      void *value = generator.value(h.pdu(type));
      zurtest::Encoded e = h.encode(type, rules, value);
      EXPECT_EQ(e.status, 0) << type << ": " << e.message << h.print(type, value);
      cases.push_back(Case{type, h.print(type, value), e.octets});
    }
  }
  return cases;
}

// Random values of every type of PerKinds: Erlang decodes our octets and
// encodes them again to the same octets, and its octets decode here to the
// value we encoded.
TEST(PerPeers, ErlangAgreesOnRandomValuesOctetForOctet) {
  CodecHarness h(std::vector<std::string>{kKinds});
  std::vector<std::string> types;
  for (int32_t pdu = 1; pdu <= static_cast<int32_t>(h.compiled().pduCount()); ++pdu)
    types.push_back(h.compiled().ctlTbl()->types[h.compiled().ctlTbl()->pduTypes[pdu - 1]].name);
  for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
    const std::vector<Case> cases = randomCases(h, rules, types, 25);
    std::vector<std::string> lines;
    for (const Case &c : cases) lines.push_back("PerKinds " + c.type + " " + toHex(c.ours));
    const std::vector<std::string> answers = askErlang(variant(rules), lines);
    for (std::size_t i = 0; i < cases.size() && i < answers.size(); ++i) {
      const Case &c = cases[i];
      SCOPED_TRACE(std::string(variant(rules)) + " " + c.type + " " + toHex(c.ours) + "\n" + c.printed);
      ASSERT_EQ(answers[i].substr(0, 3), "ok ") << answers[i];
      const Octets theirs = fromHex(answers[i].substr(3));
      EXPECT_EQ(toHex(theirs), toHex(c.ours));
      zurtest::Decoded d = h.decode(c.type, rules, theirs);
      ASSERT_EQ(d.status, 0) << d.message;
      EXPECT_EQ(h.print(c.type, d.value), c.printed);
      h.release(d.value);
    }
  }
}

// asn1c's converter for the part of PerKinds it compiles (the module up to
// the comment that says where it stops), built here; it decodes our UNALIGNED
// octets of Message and encodes them again to the same octets.
TEST(PerPeers, Asn1cAgreesOnUnalignedMessages) {
  const std::string dir = workDir("asn1c");
  std::ifstream in(kKinds);
  std::ofstream cut(dir + "/PerKindsAsn1c.asn1");
  for (std::string line; std::getline(in, line) && line.find("asn1c 0.9.28 cannot take") == std::string::npos;)
    cut << line << "\n";
  cut << "END\n";
  cut.close();
  const std::string built = run("cd " + dir + " && asn1c -gen-PER -fcompound-names PerKindsAsn1c.asn1 >/dev/null 2>&1"
                                " && cc -O1 -w -I. -DPDU=Message -o peer *.c -lm 2>&1 && echo built");
  ASSERT_NE(built.find("built"), std::string::npos) << built;
  CodecHarness h(std::vector<std::string>{kKinds});
  for (const Case &c : randomCases(h, RULES_PER, {"Message"}, 25)) {
    SCOPED_TRACE(toHex(c.ours) + "\n" + c.printed);
    std::ofstream(dir + "/in.per", std::ios::binary)
        .write(reinterpret_cast<const char *>(c.ours.data()), static_cast<std::streamsize>(c.ours.size()));
    EXPECT_EQ(run("cd " + dir + " && ./peer -iper -oper in.per | od -An -v -tx1 | tr -d ' \\n' | tr a-f A-F"),
              toHex(c.ours));
  }
}

#endif

}  // namespace
