// Agreement with Erlang's asn1ct, the codecs' peer on the host build: random
// values of compiled types, encoded here under BER, DER, PER or UPER, are
// decoded and encoded again by Erlang's code for the same module (run by
// asn1_peer.escript), and Erlang's octets are decoded here.
#ifndef ZURBASE_TESTS_ERLANG_AGREEMENT_H
#define ZURBASE_TESTS_ERLANG_AGREEMENT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/codec_harness.h"
#include "tests/support/peer_process.h"
#include "tests/support/value_generator.h"

namespace zurtest {

// `relative` under the directory of Erlang application `app` (any version)
// where Debian's erlang-src installs it, or "" when it is not installed.
inline std::string erlangLib(const std::string &app, const std::string &relative) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  for (const auto &dir : fs::directory_iterator("/usr/lib/erlang/lib", ignored))
    if (dir.path().filename().string().starts_with(app + "-")) return (dir.path() / relative).string();
  return {};
}

// asn1ct's name of the rules.
inline const char *erlangRules(int32_t rules) {
  switch (rules) {
    case RULES_BER:
      return "ber";
    case RULES_DER:
      return "der";
    case RULES_PER_ALIGNED:
      return "per";
    default:
      return "uper";
  }
}

// The names of the PDUs, in their order.
inline std::vector<std::string> pduTypes(const CodecHarness &h) {
  const CtlTbl *ctl = h.compiled().ctlTbl();
  std::vector<std::string> types;
  for (std::size_t pdu = 0; pdu < h.compiled().pduCount(); ++pdu) types.push_back(ctl->types[ctl->pduTypes[pdu]].name);
  return types;
}

// A value's DER encoding, to compare values by (printing them would wait
// for the print mutex, which other test programs may hold).
inline std::string derOf(CodecHarness &h, const std::string &type, const void *value) {
  Encoded e = h.encode(type, RULES_DER, value);
  return e.status == 0 ? toHex(e.octets) : e.message;
}

struct RandomCase {
  std::string type;
  const void *value;  // the generator's
  std::string der;  // the value's DER encoding
  Octets ours;      // its encoding under the rules compared
};

// `perType` values of each of `types` from `generator`, encoded under `rules`.
inline std::vector<RandomCase> randomCases(CodecHarness &h, ValueGenerator &generator, int32_t rules,
                                           const std::vector<std::string> &types, int perType) {
  std::vector<RandomCase> cases;
  for (const std::string &type : types) {
    for (int k = 0; k < perType; ++k) {
      const void *value = generator.value(h.pdu(type));
      Encoded e = h.encode(type, rules, value);
      EXPECT_EQ(e.status, 0) << type << ": " << e.message << h.print(type, value);
      cases.push_back(RandomCase{type, value, derOf(h, type, value), e.octets});
    }
  }
  return cases;
}

// The Erlang module of `modules` that has `type`. asn1ct names the code of an
// ASN.1 module after it, so of several the type goes to the one whose ASN.1
// module defines it; one module (OTP-PUB-KEY, all of public_key's in one
// name space) has every type.
inline const std::string &erlangModuleOf(const CodecHarness &h, const std::vector<std::string> &modules,
                                         const std::string &type) {
  for (const std::string &m : modules)
    if (h.compiled().pduNumber(m + "." + type) != 0) return m;
  return modules.front();
}

// Random values of every PDU from `generator` (but those named in `except`),
// `perType` of each, encoded here and decoded and encoded again by Erlang's
// code of `peerFiles`, whose `erlangModules` have the types: under DER,
// PER and UPER Erlang's octets are ours, octet for octet; under every rules
// its octets decode here to the value encoded (the same DER encoding), which
// is all BER asks. Types that Erlang's module does not have are not
// compared; `checked` counts the values that were.
inline void agreeWithErlang(CodecHarness &h, ValueGenerator &generator, const std::vector<std::string> &peerFiles,
                            const std::vector<std::string> &erlangModules, int32_t rules, int perType,
                            std::size_t &checked,
                            const std::vector<std::string> &except = {}) {
  const std::string rulesName = erlangRules(rules);
  std::vector<std::string> types = pduTypes(h);
  std::erase_if(types, [&](const std::string &t) { return std::find(except.begin(), except.end(), t) != except.end(); });
  const std::vector<RandomCase> cases = randomCases(h, generator, rules, types, perType);
  std::vector<std::string> lines;
  for (const RandomCase &c : cases)
    lines.push_back(erlangModuleOf(h, erlangModules, c.type) + " " + c.type + " " + toHex(c.ours));
  const std::string dir = peerDir("erlang-" + erlangModules.front() + "-" + rulesName);
  std::string command =
      "escript " + std::string(ZURBASE_SOURCE_DIR) + "/tests/support/asn1_peer.escript " + rulesName + " " + dir;
  for (const std::string &file : peerFiles) command += " " + file;
  const std::vector<std::string> answers = askPeer(command, dir, lines);
  for (std::size_t i = 0; i < cases.size() && i < answers.size(); ++i) {
    const RandomCase &c = cases[i];
    SCOPED_TRACE(rulesName + " " + c.type + " " + toHex(c.ours));
    // Types the peer's module does not have under this name.
    if (answers[i].starts_with("error error:undef") || answers[i].find("{undefined_type,") != std::string::npos ||
        (answers[i].find("function_clause") != std::string::npos &&
         answers[i].find("'" + c.type + "'") != std::string::npos))
      continue;
    if (!answers[i].starts_with("ok ")) {
      ADD_FAILURE() << answers[i] << "\n" << h.print(c.type, c.value);
      continue;
    }
    const Octets theirs = fromHex(answers[i].substr(3));
    if (rules != RULES_BER) {
      EXPECT_EQ(toHex(theirs), toHex(c.ours)) << h.print(c.type, c.value);
    }
    Decoded d = h.decode(c.type, rules, theirs);
    if (d.status != 0) {
      ADD_FAILURE() << d.message << " in Erlang's " << toHex(theirs) << "\n" << h.print(c.type, c.value);
      continue;
    }
    EXPECT_EQ(derOf(h, c.type, d.value), c.der) << h.print(c.type, d.value) << h.print(c.type, c.value);
    h.release(d.value);
    ++checked;
  }
}

// 30 random values of every type of `h` but those in `except`, nested up
// to 8 deep (down to Megaco's command descriptors, lengths past 127), from a
// generator seeded with `seed`, compared under `rules` with Erlang's code of
// `peerFile` (module `erlangModule`); every one must be compared. With
// `sameChoiceIndexes`, CHOICEs take the alternatives that asn1ct numbers as
// X.691 does (ValueGenerator::sameChoiceIndexes).
inline void agreeOnEveryType(CodecHarness &h, uint32_t seed, int32_t rules, const std::string &peerFile,
                             const std::string &erlangModule, const std::vector<std::string> &except = {},
                             bool sameChoiceIndexes = false) {
  ValueGenerator generator(h.compiled().ctlTbl(), seed);
  generator.maxDepth = 8;
  generator.sameChoiceIndexes = sameChoiceIndexes;
  std::size_t checked = 0;
  agreeWithErlang(h, generator, {peerFile}, {erlangModule}, rules, 30, checked, except);
  EXPECT_EQ(checked, 30 * (h.compiled().pduCount() - except.size())) << erlangRules(rules);
}

// 12 random values of every type of the module `text` that a test writes
// (named Bounds), some past their extensible roots, under `rules`, against
// asn1ct's code of it; every one must be compared.
inline void agreeOnWrittenModule(const std::string &text, int32_t rules, uint32_t seed) {
  const std::string file = peerDir(std::string("written-") + erlangRules(rules)) + "/Bounds.asn1";
  std::ofstream(file) << text;
  CodecHarness h(std::vector<std::string>{file});
  std::size_t checked = 0;
  ValueGenerator generator(h.compiled().ctlTbl(), seed);
  generator.beyondRoots = true;
  agreeWithErlang(h, generator, {file}, {"Bounds"}, rules, 12, checked);
  EXPECT_EQ(checked, 12 * h.compiled().pduCount()) << erlangRules(rules);
}

// Random values of every type of Megaco's module of H.248 version `version`
// (1 to 3) under each of `rulesList`, compared with Erlang's Megaco: under
// BER, DER and PER with the code asn1ct generated for Megaco, which erlang-src
// ships (asn1ct's code of these modules is the same under der as under ber:
// they have no SET, SET OF or DEFAULT); under UPER, which Megaco does not use,
// with asn1ct's code of the module file. asn1ct's own BER and DER code of the
// v3 file is no peer: it tags RegulatedEmbeddedDescriptor.secondEvent, an
// implicit [0] of a SEQUENCE reached through a cycle of references, as
// primitive, where the encoding of a SEQUENCE is constructed (X.690 8.9.1,
// and 8.14 for an implicit tag); Megaco's build, with its asn1config, does
// not hit that fault.
inline void agreeOnMegaco(int version, std::initializer_list<int32_t> rulesList) {
  const std::string v = std::to_string(version);
  const std::string module = erlangLib("megaco", "src/binary/MEDIA-GATEWAY-CONTROL-v" + v + ".asn");
  if (!std::filesystem::exists(module)) GTEST_SKIP() << "erlang-src's Megaco modules are not installed";
  CodecHarness h(std::vector<std::string>{module});
  for (int32_t rules : rulesList) {
    const std::string erlangModule =
        rules == RULES_PER ? "MEDIA-GATEWAY-CONTROL-v" + v
                           : std::string("megaco_") + (rules == RULES_PER_ALIGNED ? "per" : "ber") +
                                 "_media_gateway_control_v" + v;
    const std::string peerFile =
        rules == RULES_PER ? module : erlangLib("megaco", "src/binary/" + erlangModule + ".erl");
    agreeOnEveryType(h, 20 + version * 8 + rules, rules, peerFile, erlangModule);
  }
}

// Random values of every type of the module file `relative` of Erlang
// application `app` under each of `rulesList`, against asn1ct's code of the
// same file (module `erlangModule`), as agreeOnEveryType.
inline void agreeOnErlangModule(const std::string &app, const std::string &relative,
                                const std::string &erlangModule, std::initializer_list<int32_t> rulesList,
                                bool sameChoiceIndexes = false) {
  const std::string module = erlangLib(app, relative);
  if (!std::filesystem::exists(module)) GTEST_SKIP() << module << " is not installed";
  CodecHarness h(std::vector<std::string>{module});
  for (int32_t rules : rulesList) {
    agreeOnEveryType(h, 40 + rules, rules, module, erlangModule, {}, sameChoiceIndexes);
  }
}

}  // namespace zurtest

#endif
