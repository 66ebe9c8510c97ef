// PER against peers that no one here wrote, on the host build: Erlang's
// asn1ct (per and uper) for the personnel records of X.691 Annex A and for
// random values of the PerKinds module, both ways, octet for octet; asn1c's
// generated UNALIGNED PER codec as a second opinion on what it can compile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/codec_harness.h"
#ifdef ZUR_PEERS
#include "tests/support/erlang_agreement.h"
#endif

namespace {

#ifndef ZUR_PEERS
TEST(PerPeers, RunOnTheHostBuildOnly) {
  GTEST_SKIP() << "Erlang's asn1ct and asn1c are the PER codec's peers on the host build only";
}
#else

namespace fs = std::filesystem;
using zurtest::CodecHarness;
using zurtest::derOf;
using zurtest::fromHex;
using zurtest::Octets;
using zurtest::toHex;

const std::string kSupport = std::string(ZURBASE_SOURCE_DIR) + "/tests/support/";
const std::string kKinds = std::string(ZURBASE_TEST_DATA) + "/codec/PerKinds.asn1";

std::string workDir(const std::string &name) { return zurtest::peerDir("per-" + name); }

// Erlang's encodings of values it is given as "Type TERM" lines, one answer
// per line: the octets in hexadecimal or "error WHY".
std::vector<std::string> erlangEncodings(const std::string &rules, const std::string &file,
                                         const std::vector<std::string> &lines) {
  const std::string dir = workDir("terms-" + rules + "-" + fs::path(file).stem().string());
  std::vector<std::string> answers =
      zurtest::askPeer("escript " + kSupport + "asn1_encode_term.escript " + rules + " " + dir + " " + file, dir, lines);
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
    const std::string der = derOf(h, type, value.value);
    for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
      const std::string &theirs = rules == RULES_PER_ALIGNED ? per[i] : uper[i];
      SCOPED_TRACE(zurtest::erlangRules(rules));
      zurtest::Encoded ours = h.encode(type, rules, value.value);
      ASSERT_EQ(ours.status, 0) << ours.message;
      EXPECT_EQ(toHex(ours.octets), theirs);
      zurtest::Decoded back = h.decode(type, rules, fromHex(theirs));
      ASSERT_EQ(back.status, 0) << back.message;
      EXPECT_EQ(back.consumed, static_cast<int32_t>(theirs.size() / 2));
      EXPECT_EQ(derOf(h, type, back.value), der);
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
  for (const std::string module : {"unconstrained", "constrained", "extensible"}) {
    SCOPED_TRACE(module);
    agreeOnTerms(std::string(ZURBASE_TEST_DATA) + "/asn1/personnel_" + module + ".asn1",
                 {personnelRecord(module == "extensible")});
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

// Random values of every type of PerKinds, octet for octet both ways.
TEST(PerPeers, ErlangAgreesOnRandomValuesOctetForOctet) {
  CodecHarness h(std::vector<std::string>{kKinds});
  for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
    std::size_t checked = 0;
    zurtest::ValueGenerator generator(h.compiled().ctlTbl(), 23 + rules);
    zurtest::agreeWithErlang(h, generator, {kKinds}, {"PerKinds"}, rules, 25, checked);
    EXPECT_EQ(checked, 25 * h.compiled().pduCount());
  }
}

// A module of one small type per boundary of the PER forms, each behind a
// BOOLEAN so that whether it starts on an octet shows: sizes about 16 bits
// of characters, bits and octets, fixed, ranged and extensible; alphabets
// of 0 (1 when aligned), 2, 4, 5 and more bits; ranges about one and two
// octets and beyond; CHOICE and ENUMERATED indexes about 64 and 256;
// extension additions and version brackets, SETs, and the other kinds once.
// asn1ct's UNALIGNED code of an alphabet of one character does not
// compile, so that one is in the ALIGNED module only. A SET's optional components are in the canonical order of their
// tags: asn1ct writes a SET's presence bits in the module's order and its
// components in the canonical order, where X.691 has both canonical.
std::string boundaryModule(bool aligned) {
  std::vector<std::string> types;
  std::vector<std::string> strings{"PrintableString", "NumericString", "IA5String", "BMPString",
                                   "UniversalString", "VisibleString (FROM (\"a\"..\"d\"))",
                                   "VisibleString (FROM (\"a\"..\"p\"))",
                                   "IA5String (FROM (\"0\"..\"9\" | \"A\"..\"Z\"))"};
  if (aligned) strings.push_back("VisibleString (FROM (\"a\"))");
  const char *sizes[] = {"(SIZE (0))", "(SIZE (1))", "(SIZE (2))", "(SIZE (3))", "(SIZE (4))",
                         "(SIZE (8))", "(SIZE (9))", "(SIZE (0..1))", "(SIZE (0..2))", "(SIZE (1..2))",
                         "(SIZE (0..3))", "(SIZE (0..4))", "(SIZE (2..8))", "(SIZE (2, ...))",
                         "(SIZE (0..3, ...))", "(SIZE (0..255))", "(SIZE (0..256))", "(SIZE (0..65535))",
                         "(SIZE (1..65536))", ""};
  for (const std::string &t : strings)
    for (const char *z : sizes) types.push_back(t + " " + z);
  for (const char *t : {"BIT STRING", "OCTET STRING"})
    for (const char *z : {"(SIZE (0))", "(SIZE (1))", "(SIZE (2))", "(SIZE (3))", "(SIZE (15))", "(SIZE (16))",
                          "(SIZE (17))", "(SIZE (0..1))", "(SIZE (0..2))", "(SIZE (0..17))", "(SIZE (2, ...))",
                          "(SIZE (0..3, ...))", "(SIZE (0..255))", "(SIZE (0..256))", "(SIZE (0..65535))",
                          "(SIZE (1..65536))", ""})
      types.push_back(std::string(t) + " " + z);
  for (const char *t : {"BIT STRING { a(0), b(1), c(9) }", "BIT STRING { a(0), b(1), c(9) } (SIZE (4..12))",
                        "BIT STRING { a(0), b(1), c(9) } (SIZE (2..12, ...))"})
    types.push_back(t);
  for (const char *r : {"(0..0)", "(0..1)", "(0..254)", "(0..255)", "(0..256)", "(1..256)", "(0..65535)",
                        "(0..65536)", "(-1..65534)", "(0..4294967295)", "(0..4294967296)", "(1..MAX)",
                        "(-5..MAX)", "(0..255, ...)", "(0..0, ...)", "(MIN..0)", ""})
    types.push_back(std::string("INTEGER ") + r);
  for (const char *z : {"(SIZE (0))", "(SIZE (2))", "(SIZE (0..1))", "(SIZE (0..2, ...))", "(SIZE (0..256))", ""})
    types.push_back(std::string("SEQUENCE ") + z + " OF BOOLEAN");
  for (const char *t : {"CHOICE { a NULL }", "CHOICE { a NULL, b BOOLEAN }", "CHOICE { a NULL, ..., b BOOLEAN }",
                        "CHOICE { a NULL, b INTEGER (0..7), c BOOLEAN, ..., d NULL, e OCTET STRING }",
                        "SEQUENCE { a NULL OPTIONAL, ..., b BOOLEAN OPTIONAL, [[ c INTEGER (0..3), d NULL OPTIONAL ]] }",
                        "SET { a [0] NULL OPTIONAL, b [1] BOOLEAN, c [2] INTEGER (0..3) OPTIONAL }",
                        "SET { a [2] NULL, b [1] BOOLEAN, c [0] INTEGER (0..3) }",
                        "REAL", "OBJECT IDENTIFIER", "RELATIVE-OID", "NULL", "UTCTime", "GeneralizedTime",
                        "UTF8String", "UTF8String (SIZE (1..4))", "GraphicString", "BOOLEAN", "EXTERNAL", "EMBEDDED PDV",
                        "CHARACTER STRING",
                        "INSTANCE OF TYPE-IDENTIFIER", "INSTANCE OF TYPE-IDENTIFIER ({Named})"})
    types.push_back(t);
  for (const char *e : {"{ a }", "{ a, b }", "{ a, b, c, ..., d }", "{ a, ... }"})
    types.push_back(std::string("ENUMERATED ") + e);
  // Lengths of 16K items and more, in fragments of 16K, 32K, 48K and 64K
  // and a last piece (empty when the count is a multiple of 16K).
  for (const char *t : {"OCTET STRING", "BIT STRING", "IA5String", "BMPString", "NumericString",
                        "SEQUENCE OF BOOLEAN", "SEQUENCE OF NULL"})
    for (const char *z : {"(SIZE (16384..MAX))", "(SIZE (32767..MAX))", "(SIZE (49152..MAX))",
                          "(SIZE (65536..MAX))", "(SIZE (65536))"}) {
      const std::string kind(t);
      types.push_back(kind.starts_with("SEQUENCE") ? "SEQUENCE " + std::string(z) + kind.substr(8) : kind + " " + z);
    }
  // Indexes and bitmaps about the 64 of a normally small number, and a root
  // index of two octets.
  auto list = [](const char *prefix, int from, int to, const char *suffix) {
    std::string l;
    for (int i = from; i <= to; ++i) l += (i > from ? ", " : "") + std::string(prefix) + std::to_string(i) + suffix;
    return l;
  };
  types.push_back("CHOICE { a NULL, ..., " + list("e", 1, 70, " BOOLEAN") + " }");
  types.push_back("CHOICE { " + list("c", 0, 299, " NULL") + " }");
  types.push_back("ENUMERATED { r, ..., " + list("x", 1, 70, "") + " }");
  types.push_back("ENUMERATED { " + list("r", 0, 299, "") + " }");
  std::string text = "Bounds DEFINITIONS AUTOMATIC TAGS ::= BEGIN\n";
  for (std::size_t i = 0; i < types.size(); ++i)
    text += "B" + std::to_string(i) + " ::= SEQUENCE { f BOOLEAN, v " + types[i] + " }\n";
  text += "Named TYPE-IDENTIFIER ::= { { BOOLEAN IDENTIFIED BY { 1 2 3 } } | { IA5String IDENTIFIED BY { 1 2 4 } } }\n";
  // A bitmap of more than 64 extension additions: asn1ct's per code pads
  // its length as if the bit before it began an octet, so only under uper.
  if (!aligned)
    text += "Additions ::= SEQUENCE { a NULL OPTIONAL, ..., " + list("e", 1, 70, " BOOLEAN OPTIONAL") + " }\n";
  return text + "END\n";
}

// Random values of every boundary type, octet for octet both ways.
TEST(PerPeers, ErlangAgreesOnEveryBoundary) {
  for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER})
    zurtest::agreeOnWrittenModule(boundaryModule(rules == RULES_PER_ALIGNED), rules, 70 + rules);
}

const std::string kLinkAp = std::string(ZURBASE_TEST_DATA) + "/asn1/LinkAP.asn1";

// Erlang's answers ("ok HEX" or "error WHY") for `cases`, decoded as the
// types of LinkAP in `file` and encoded again under `rules`.
std::vector<std::string> erlangAnswers(const std::string &file, const std::string &rules,
                                       const std::vector<zurtest::RandomCase> &cases, const std::string &tag) {
  std::vector<std::string> lines;
  for (const zurtest::RandomCase &c : cases) lines.push_back("LinkAP " + c.type + " " + toHex(c.ours));
  const std::string dir = workDir("linkap-" + tag + "-" + rules);
  std::vector<std::string> answers =
      zurtest::askPeer("escript " + kSupport + "asn1_peer.escript " + rules + " " + dir + " " + file, dir, lines);
  answers.resize(cases.size());
  return answers;
}

// An application protocol written as the mobile networks' PER protocols
// are (LinkAP: IE containers, extensible object sets of ids, criticalities
// and open types, procedures in one CHOICE PDU): random values of the PDU
// and of every IE type, some with ids the sets do not know, octet for
// octet both ways.
TEST(PerPeers, ErlangAgreesOnAnIeContainerProtocol) {
  CodecHarness h(std::vector<std::string>{kLinkAp});
  for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
    std::size_t checked = 0;
    zurtest::ValueGenerator generator(h.compiled().ctlTbl(), 90 + rules);
    generator.maxDepth = 8;
    generator.beyondRoots = true;
    zurtest::agreeWithErlang(h, generator, {kLinkAp}, {"LinkAP"}, rules, 20, checked);
    EXPECT_EQ(checked, 20 * h.compiled().pduCount()) << zurtest::erlangRules(rules);
  }
}

// The same under BER, where asn1ct writes the tag of an open type
// component primitive ([2] as 82): with AUTOMATIC TAGS that tag is
// explicit, so constructed (A2). Erlang's octets, which do not decode
// here, are ours but for that bit; ours decode here to the value encoded.
TEST(PerPeers, ErlangReadsAnIeContainerProtocolUnderBer) {
  CodecHarness h(std::vector<std::string>{kLinkAp});
  zurtest::ValueGenerator generator(h.compiled().ctlTbl(), 90 + RULES_BER);
  generator.maxDepth = 8;
  generator.beyondRoots = true;
  const std::vector<zurtest::RandomCase> cases =
      zurtest::randomCases(h, generator, RULES_BER, zurtest::pduTypes(h), 20);
  const std::vector<std::string> answers = erlangAnswers(kLinkAp, "ber", cases, "v1");
  std::size_t openTags = 0, compared = 0;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const zurtest::RandomCase &c = cases[i];
    SCOPED_TRACE(c.type + " " + toHex(c.ours));
    zurtest::Decoded back = h.decode(c.type, RULES_BER, c.ours);
    ASSERT_EQ(back.status, 0) << back.message;
    EXPECT_EQ(derOf(h, c.type, back.value), c.der);
    // asn1ct's BER code decodes the outcome of a procedure that has none
    // (linkRelease has no unsuccessful outcome) to what it cannot encode.
    if (answers[i].find("encode_open_type") != std::string::npos &&
        (c.type == "LinkPDU" || c.type.ends_with("Outcome")))
      continue;
    EXPECT_TRUE(answers[i].starts_with("ok ")) << answers[i];
    if (!answers[i].starts_with("ok ")) continue;
    ++compared;
    const Octets theirs = fromHex(answers[i].substr(3));
    bool same = theirs.size() == c.ours.size();
    for (std::size_t k = 0; same && k < theirs.size(); ++k) {
      const bool openTag = (c.ours[k] & 0xE0) == 0xA0 && theirs[k] == (c.ours[k] & ~0x20);
      openTags += openTag;
      same = theirs[k] == c.ours[k] || openTag;
    }
    EXPECT_TRUE(same) << answers[i];
  }
  EXPECT_GT(compared, cases.size() * 9 / 10);
  EXPECT_GT(openTags, compared);
}

// LinkAP of a later version: more IEs in the sets (ids this version does not
// know) and extension additions in SEQUENCEs, a version bracket among them.
std::string laterLinkAp() {
  std::ifstream in(kLinkAp);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::pair<std::string, std::string> changes[] = {
      {"TYPE UeId            PRESENCE optional },\n  ...\n",
       "TYPE UeId            PRESENCE optional },\n  ...,\n  { ID 500 CRITICALITY ignore TYPE CellItem PRESENCE optional } |\n"
       "  { ID 501 CRITICALITY reject TYPE BIT STRING (SIZE (5)) PRESENCE optional }\n"},
      {"EXTENSION LoadLevel   PRESENCE optional },\n  ...\n",
       "EXTENSION LoadLevel   PRESENCE optional },\n  ...,\n  { ID 502 CRITICALITY ignore EXTENSION NodeName PRESENCE optional }\n"},
      {"  iE-Extensions  Extension-Container {{NodeIdExtIEs}} OPTIONAL,\n  ...\n",
       "  iE-Extensions  Extension-Container {{NodeIdExtIEs}} OPTIONAL,\n  ...,\n  tac OCTET STRING (SIZE (2)),\n"
       "  [[ weight CellWeight OPTIONAL, load LoadLevel ]]\n"},
      {"  iE-Extensions  Extension-Container {{BearerItemExtIEs}} OPTIONAL,\n  ...\n",
       "  iE-Extensions  Extension-Container {{BearerItemExtIEs}} OPTIONAL,\n  ...,\n  pdcp INTEGER (0..4095) OPTIONAL\n"},
      {"  protocolIEs  IE-Container {{LinkSetupRequestIEs}},\n  ...\n",
       "  protocolIEs  IE-Container {{LinkSetupRequestIEs}},\n  ...,\n  trailer PrintableString (SIZE (1..8)) OPTIONAL\n"},
  };
  for (const auto &[from, to] : changes) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  const std::string file = workDir("linkap-later") + "/LinkAP.asn1";
  std::ofstream(file) << text;
  return file;
}

// Messages of the later version decode in this one, here as in Erlang:
// the values of unknown ids kept as encoded (so they go out again as they
// came), the unknown additions left out. Both encode what they decoded to
// the same octets.
TEST(PerPeers, ErlangAndWeReadALaterVersionAlike) {
  CodecHarness later(std::vector<std::string>{laterLinkAp()});
  CodecHarness h(std::vector<std::string>{kLinkAp});
  for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
    const std::string rulesName = zurtest::erlangRules(rules);
    zurtest::ValueGenerator generator(later.compiled().ctlTbl(), 110 + rules);
    generator.maxDepth = 8;
    const std::vector<zurtest::RandomCase> cases = zurtest::randomCases(
        later, generator, rules,
        {"LinkPDU", "InitiatingMessage", "LinkSetupRequest", "NodeId", "BearerList", "CellList", "ConfigUpdate"}, 30);
    const std::vector<std::string> answers = erlangAnswers(kLinkAp, rulesName, cases, "v1");
    std::size_t changed = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const zurtest::RandomCase &c = cases[i];
      SCOPED_TRACE(rulesName + " " + c.type + " " + toHex(c.ours));
      ASSERT_TRUE(answers[i].starts_with("ok ")) << answers[i];
      zurtest::Decoded d = h.decode(c.type, rules, c.ours);
      ASSERT_EQ(d.status, 0) << d.message;
      EXPECT_EQ(d.consumed, static_cast<int32_t>(c.ours.size()));
      zurtest::Encoded again = h.encode(c.type, rules, d.value);
      ASSERT_EQ(again.status, 0) << again.message;
      EXPECT_EQ(toHex(again.octets), answers[i].substr(3)) << h.print(c.type, d.value);
      changed += again.octets != c.ours;
      h.release(d.value);
    }
    // Many values hold something of the later version.
    EXPECT_GT(changed, cases.size() / 4) << rulesName;
  }
}

// The same on Megaco's modules of H.248 (v1 to v3), as Erlang's Megaco
// encodes them.
TEST(PerPeers, ErlangAgreesOnMegaco) {
  for (int version : {1, 2, 3}) zurtest::agreeOnMegaco(version, {RULES_PER_ALIGNED, RULES_PER});
}

// The same on LDAP's module, which LDAP encodes under BER only: a module
// written without PER in mind, with IMPLICIT TAGS and EXTENSIBILITY IMPLIED.
// asn1ct numbers the alternatives of a CHOICE in the module's order, where
// X.691 numbers them in the canonical order of their tags (as does asn1c's
// table of the same CHOICE). protocolOp's APPLICATION tags are not in the
// module's order (searchResRef is [APPLICATION 19]), so the values take
// the alternatives that both number alike.
TEST(PerPeers, ErlangAgreesOnLdap) {
  zurtest::agreeOnErlangModule("eldap", "asn1/ELDAPv3.asn1", "ELDAPv3", {RULES_PER_ALIGNED, RULES_PER}, true);
}

// Copies of public_key's modules `names` for both sides, PKIX1Explicit88's
// with the `pkcs-9` value added; empty when erlang-src is not installed.
std::vector<std::string> publicKeyCopies(const std::vector<std::string> &names) {
  const std::string dir = workDir("public-key-modules");
  std::vector<std::string> files;
  for (const std::string &name : names) {
    const std::string original = zurtest::erlangLib("public_key", "asn1/" + name + ".asn1");
    if (!fs::exists(original)) return {};
    std::ifstream in(original);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (name == "PKIX1Explicit88")
      text.insert(text.rfind("END"), "pkcs-9 OBJECT IDENTIFIER ::= { iso(1) member-body(2) us(840) rsadsi(113549) pkcs(1) 9 }\n\n");
    files.push_back(dir + "/" + name + ".asn1");
    std::ofstream(files.back()) << text;
  }
  return files;
}

// public_key's modules, written for BER and DER, under PER: random values of
// every type (ANY, SIZE (1..MAX), X.520's bounds, named bits, parameterized
// attribute certificates) against asn1ct's code of the same modules: PKIX's
// three of 1988 and those that asn1ct compiles on top of them alone. asn1ct
// needs `pkcs-9`, which PKIX1Explicit88 uses but does not define (public_key's
// build takes it from another module), so both sides compile a copy of that
// module with the value added. asn1ct numbers a CHOICE's alternatives in the
// module's order (see ErlangAgreesOnLdap), and X.520's string CHOICEs are not
// in the canonical order of their UNIVERSAL tags, so the values take the
// alternatives that both orders number alike; DisplayText has none, so it
// and the two types that hold it are left out, as are the types whose names
// two modules define (such as Version), and three that asn1ct gets wrong:
// its decoder reads two bits for the root value of PKCS-8's
// `Version ::= INTEGER {v1(0)} (v1,...)`, where its encoder (and ours) put
// none, so it does not decode its own PrivateKeyInfo and OneAsymmetricKey;
// its encoder fails on Clearance's DEFAULT named bits.
TEST(PerPeers, ErlangAgreesOnPublicKeyModules) {
  const std::vector<std::string> names{"PKIX1Explicit88", "PKIX1Implicit88", "PKIX1Algorithms88",
                                       "PKCS-1", "PKCS-3", "PKCS5v2-0", "PKCS-8", "CMSAesRsaesOaep",
                                       "RFC5639", "PKIXAttributeCertificate"};
  const std::vector<std::string> files = publicKeyCopies(names);
  if (files.empty()) GTEST_SKIP() << "erlang-src's public_key modules are not installed";
  CodecHarness h(files);
  std::vector<std::string> leftOut{"DisplayText", "NoticeReference", "UserNotice", "PrivateKeyInfo",
                                   "OneAsymmetricKey", "Clearance"};
  for (const std::string &type : zurtest::pduTypes(h))
    if (h.compiled().pduNumber(type) == 0) leftOut.push_back(type);
  for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
    std::size_t checked = 0;
    zurtest::ValueGenerator generator(h.compiled().ctlTbl(), 60 + rules);
    generator.maxDepth = 8;
    generator.sameChoiceIndexes = true;
    zurtest::agreeWithErlang(h, generator, files, names, rules, 12, checked, leftOut);
    EXPECT_EQ(checked, 12 * (h.compiled().pduCount() - leftOut.size())) << zurtest::erlangRules(rules);
  }
}

// The system's CA certificates under PER: each one, decoded from its DER,
// encoded here under per and uper, is decoded and encoded again by asn1ct's
// code of the PKIX modules to the same octets, and Erlang's octets decode
// here to a value whose DER is the certificate's. (Their names hold
// DirectoryStrings inside ANY, and Time's alternatives are in canonical
// order, so asn1ct's CHOICE numbering does not come in.)
TEST(PerPeers, CaCertificatesEncodeAsErlangDoes) {
  const std::vector<std::string> names{"PKIX1Explicit88", "PKIX1Implicit88", "PKIX1Algorithms88"};
  const std::vector<std::string> files = publicKeyCopies(names);
  if (files.empty()) GTEST_SKIP() << "erlang-src's public_key modules are not installed";
  CodecHarness h(files);
  std::vector<Octets> certificates;
  for (const auto &entry : fs::directory_iterator("/usr/share/ca-certificates/mozilla"))
    certificates.push_back(fromHex(zurtest::runCommand("openssl x509 -in '" + entry.path().string() +
                                                       "' -outform DER | od -An -v -tx1")));
  ASSERT_GE(certificates.size(), 100u);
  for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
    const std::string rulesName = zurtest::erlangRules(rules);
    std::vector<std::string> lines;
    for (const Octets &der : certificates) {
      zurtest::Decoded d = h.decode("Certificate", RULES_DER, der);
      ASSERT_EQ(d.status, 0) << d.message;
      zurtest::Encoded e = h.encode("Certificate", rules, d.value);
      ASSERT_EQ(e.status, 0) << e.message;
      lines.push_back("PKIX1Explicit88 Certificate " + toHex(e.octets));
    }
    const std::string dir = workDir("certificates-" + rulesName);
    std::string command = "escript " + kSupport + "asn1_peer.escript " + rulesName + " " + dir;
    for (const std::string &file : files) command += " " + file;
    const std::vector<std::string> answers = zurtest::askPeer(command, dir, lines);
    for (std::size_t i = 0; i < certificates.size(); ++i) {
      SCOPED_TRACE(rulesName + " certificate " + std::to_string(i));
      ASSERT_TRUE(answers[i].starts_with("ok ")) << answers[i];
      EXPECT_EQ(answers[i].substr(3), lines[i].substr(lines[i].rfind(' ') + 1));
      zurtest::Decoded back = h.decode("Certificate", rules, fromHex(answers[i].substr(3)));
      ASSERT_EQ(back.status, 0) << back.message;
      zurtest::Encoded der = h.encode("Certificate", RULES_DER, back.value);
      ASSERT_EQ(der.status, 0) << der.message;
      EXPECT_EQ(toHex(der.octets), toHex(certificates[i]));
    }
  }
}

// asn1c's UNALIGNED PER codec (0.9.28 has no ALIGNED one), generated and
// built here for the part of a module it compiles, behind a small driver:
// each line "Type HEX" is decoded and encoded again, answered with the hex
// or "error". Null when asn1c or the C compiler refuses.
class Asn1cPeer {
 public:
  Asn1cPeer(const std::string &module, const std::vector<std::string> &types) : dir_(workDir("asn1c-" + fs::path(module).stem().string())) {
    std::ifstream in(module);
    std::ofstream cut(dir_ + "/cut.asn1");
    for (std::string line; std::getline(in, line);) {
      if (line.find("asn1c 0.9.28 cannot take") != std::string::npos) line = "END";
      cut << line << "\n";
      if (line == "END") break;
    }
    cut.close();
    std::ofstream driver(dir_ + "/driver.c");
    driver << "#include <stdio.h>\n#include <string.h>\n#include <stdlib.h>\n#include \"asn_application.h\"\n";
    for (const std::string &t : types) driver << "#include \"" << t << ".h\"\n";
    driver << "static asn_TYPE_descriptor_t *find(const char *n) {\n";
    for (const std::string &t : types)
      driver << "  if (!strcmp(n, \"" << t << "\")) return &asn_DEF_" << t << ";\n";
    driver << "  return 0;\n}\n"
              "int main(void) {\n  char line[65536], name[128]; static unsigned char in[32768];\n"
              "  while (fgets(line, sizeof line, stdin)) {\n"
              "    char *hex = strchr(line, ' '); if (!hex) continue; *hex++ = 0; snprintf(name, sizeof name, \"%s\", line);\n"
              "    size_t n = 0; unsigned v; while (sscanf(hex + 2 * n, \"%2x\", &v) == 1) in[n++] = (unsigned char)v;\n"
              "    asn_TYPE_descriptor_t *td = find(name); void *value = 0; void *out = 0;\n"
              "    asn_dec_rval_t d = uper_decode_complete(0, td, &value, in, n);\n"
              "    ssize_t m = d.code == RC_OK ? uper_encode_to_new_buffer(td, 0, value, &out) : -1;\n"
              "    if (m < 0) printf(\"error %d\\n\", (int)d.code);\n"
              "    else { for (ssize_t i = 0; i < m; ++i) printf(\"%02X\", ((unsigned char *)out)[i]); printf(\"\\n\"); }\n"
              "    free(out); td->free_struct(td, value, 0); fflush(stdout);\n  }\n  return 0;\n}\n";
    driver.close();
    built_ = zurtest::runCommand("cd " + dir_ + " && asn1c -gen-PER -fcompound-names cut.asn1 >/dev/null 2>&1 && rm -f converter-sample.c"
                 " && cc -O1 -w -I. -o peer *.c -lm 2>&1 && echo built");
  }
  bool ok() const { return built_.find("built") != std::string::npos; }
  const std::string &why() const { return built_; }
  std::vector<std::string> ask(const std::vector<std::string> &lines) {
    {
      std::ofstream requests(dir_ + "/requests.txt");
      for (const std::string &line : lines) requests << line << '\n';
    }
    std::istringstream out(zurtest::runCommand(dir_ + "/peer < " + dir_ + "/requests.txt"));
    std::vector<std::string> answers;
    for (std::string line; std::getline(out, line);) answers.push_back(line);
    answers.resize(lines.size());
    return answers;
  }

 private:
  std::string dir_;
  std::string built_;
};

// What asn1c 0.9.28 decodes or encodes wrongly ("Type" or a whole "Type
// TERM" line), so that it is no opinion there: ranges as wide as 64 bits,
// semi-constrained numbers, numbers beyond 64 bits, negative enumerators,
// strings past an extensible size, version brackets.
const char *const kAsn1cGetsWrong[] = {"Full", "Semi", "State", "Versions",
                                       "Free 1180591620717411303424", "Letters \"abcdefghijkl\""};

bool asn1cGetsWrong(const std::string &line) {
  for (const char *wrong : kAsn1cGetsWrong)
    if (line == wrong || line.substr(0, line.find(' ')) == wrong) return true;
  return false;
}

// asn1c decodes our UNALIGNED octets of the PerCases values it handles and
// of random PerKinds Compact values, and encodes them again to the same
// octets.
TEST(PerPeers, Asn1cAgreesOnUnalignedEncodings) {
  std::ifstream in(std::string(ZURBASE_TEST_DATA) + "/codec/PerCases.values");
  std::vector<std::string> terms, types;
  for (std::string line; std::getline(in, line);) {
    if (asn1cGetsWrong(line)) continue;
    terms.push_back(line);
    const std::string type = line.substr(0, line.find(' '));
    if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
  }
  const std::string cases = std::string(ZURBASE_TEST_DATA) + "/codec/PerCases.asn1";
  Asn1cPeer casesPeer(cases, types);
  ASSERT_TRUE(casesPeer.ok()) << casesPeer.why();
  CodecHarness h(std::vector<std::string>{cases});
  std::vector<std::string> lines;
  for (const std::string &hex : erlangEncodings("uper", cases, terms))
    lines.push_back(terms[lines.size()].substr(0, terms[lines.size()].find(' ')) + " " + hex);
  const std::vector<std::string> answers = casesPeer.ask(lines);
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(answers[i], lines[i].substr(lines[i].find(' ') + 1)) << terms[i];

  Asn1cPeer kindsPeer(kKinds, {"Compact"});
  ASSERT_TRUE(kindsPeer.ok()) << kindsPeer.why();
  CodecHarness kinds(std::vector<std::string>{kKinds});
  zurtest::ValueGenerator generator(kinds.compiled().ctlTbl(), 23 + RULES_PER);
  const std::vector<zurtest::RandomCase> compact = zurtest::randomCases(kinds, generator, RULES_PER, {"Compact"}, 40);
  lines.clear();
  for (const zurtest::RandomCase &c : compact) lines.push_back("Compact " + toHex(c.ours));
  const std::vector<std::string> kindsAnswers = kindsPeer.ask(lines);
  for (std::size_t i = 0; i < compact.size(); ++i)
    EXPECT_EQ(kindsAnswers[i], toHex(compact[i].ours)) << kinds.print("Compact", compact[i].value);
}

#endif

}  // namespace
