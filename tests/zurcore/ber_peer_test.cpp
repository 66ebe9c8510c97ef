// The BER/DER codec against peers that no one here wrote: Erlang's asn1ct
// code for the same modules (random values of every type, both ways) and
// openssl on the system's CA certificates, on a CRL, a PKCS#8 key and a
// PKCS#10 request it makes here, and on signed messages it streams in BER.
// The peers run on the host build only.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/codec_harness.h"
#ifdef ZUR_PEERS
#include "tests/support/erlang_agreement.h"
#endif

namespace {

namespace fs = std::filesystem;
using zurtest::CodecHarness;
using zurtest::fromHex;
using zurtest::Octets;
using zurtest::toHex;

#ifndef ZUR_PEERS
TEST(BerPeers, RunOnTheHostBuildOnly) {
  GTEST_SKIP() << "Erlang's asn1ct and openssl are the codec's peers on the host build only";
}
#else

using zurtest::runCommand;

std::string erlangLib(const std::string &relative) { return zurtest::erlangLib("public_key", relative); }

std::vector<std::string> pkixModules() {
  return {erlangLib("asn1/PKIX1Explicit88.asn1"), erlangLib("asn1/PKIX1Implicit88.asn1"),
          erlangLib("asn1/PKIX1Algorithms88.asn1")};
}

// The PKIX modules and public_key's others but OTP's own OTP-PKIX: PKCS #1,
// #3, #5, #7, #8 and #10, CMS with RSAES-OAEP, the Brainpool curves,
// attribute certificates and X.501's InformationFramework.
std::vector<std::string> publicKeyModules() {
  std::vector<std::string> modules = pkixModules();
  for (const char *m : {"PKCS-1", "PKCS-3", "PKCS5v2-0", "PKCS-7", "PKCS-8", "CMSAesRsaesOaep", "RFC5639",
                        "PKIXAttributeCertificate", "InformationFramework", "PKCS-10"})
    modules.push_back(erlangLib(std::string("asn1/") + m + ".asn1"));
  return modules;
}

std::string kindsModule() { return std::string(ZURBASE_TEST_DATA) + "/codec/CodecKinds.asn1"; }

std::string workDir(const std::string &name) { return zurtest::peerDir("ber-" + name); }

// Random values of every type, encoded here, decoded and encoded again by
// Erlang (asn1ct's own DER code of public_key's modules for those, which
// has them in one name space: types whose names two modules define, such
// as Version, are left out).
TEST(BerPeers, ErlangAgreesOnRandomValuesOfEveryType) {
  CodecHarness kinds(std::vector<std::string>{kindsModule()});
  CodecHarness keys(publicKeyModules());
  std::vector<std::string> ambiguous;
  for (const std::string &type : zurtest::pduTypes(keys))
    if (keys.compiled().pduNumber(type) == 0) ambiguous.push_back(type);
  for (int32_t rules : {RULES_BER, RULES_DER}) {
    std::size_t checked = 0;
    zurtest::ValueGenerator generator(kinds.compiled().ctlTbl(), 22 + rules);
    zurtest::agreeWithErlang(kinds, generator, {kindsModule()}, {"CodecKinds"}, rules, 30, checked);
    EXPECT_GE(checked, 30 * kinds.compiled().pduCount());
    std::size_t keysChecked = 0;
    zurtest::ValueGenerator keysGenerator(keys.compiled().ctlTbl(), 22 + rules);
    zurtest::agreeWithErlang(keys, keysGenerator, {erlangLib("src/OTP-PUB-KEY.erl")}, {"OTP-PUB-KEY"}, rules, 4,
                             keysChecked, ambiguous);
    EXPECT_GE(keysChecked, 4 * keys.compiled().pduCount() * 3 / 4);
  }
}

// A module of one small type per boundary of the BER and DER forms, each
// inside a SEQUENCE: tag numbers about one, two and three octets (to the
// tables' 16383) in each class,
// explicit and implicit tags, DEFAULT values of each kind (DER leaves out
// one equal to its default), named bits (DER drops trailing 0 bits), SET
// and SET OF (DER sorts them), and the kinds whose contents have forms.
// Not there, as asn1ct gets them wrong: an empty named-bits value beside a
// DEFAULT (its DER encoder fails), named bits with a size constraint (its
// DER keeps trailing 0 bits up to the upper bound, where X.690 11.2.2
// removes them all), a SET whose tags are not in canonical order (under
// DER it decodes the components into the wrong places), a version bracket
// with a mandatory component (it cannot encode a value without the bracket,
// and takes a NULL there for present). EMBEDDED PDV and CHARACTER STRING
// are here, and EXTERNAL in CodecKinds: asn1ct reads their SEQUENCEs in
// the tagging of the module using them, where these two have automatic
// tags and EXTERNAL explicit ones whatever the module says.
std::string boundaryModule() {
  std::vector<std::string> types;
  for (const char *cls : {"", "APPLICATION ", "PRIVATE "})
    for (int number : {0, 30, 31, 127, 128, 255, 16383})
      for (const char *mode : {"IMPLICIT ", "EXPLICIT "})
        types.push_back("[" + std::string(cls) + std::to_string(number) + "] " + mode + "INTEGER");
  for (const char *t : {"INTEGER DEFAULT 5", "INTEGER (0..MAX) DEFAULT 0", "BOOLEAN DEFAULT TRUE",
                        "ENUMERATED { a, b, c } DEFAULT b", "BIT STRING DEFAULT '0101'B",
                        "OCTET STRING DEFAULT '00FF'H", "IA5String DEFAULT \"abc\"",
                        "OBJECT IDENTIFIER DEFAULT { 1 2 3 }", "BIT STRING { x(0), y(1), z(9) }",
                        "BIT STRING", "OCTET STRING",
                        "SET OF OCTET STRING", "SET OF INTEGER", "SET OF BOOLEAN",
                        "SET OF SET OF IA5String", "SEQUENCE OF INTEGER",
                        "SET { b [APPLICATION 1] NULL, c [3] INTEGER OPTIONAL, a [5] BOOLEAN, d [PRIVATE 0] IA5String }",
                        "SET { a INTEGER, b BOOLEAN, c CHOICE { x [0] NULL, y [PRIVATE 2] BOOLEAN } }",
                        "CHOICE { a [1] NULL, b [0] BOOLEAN, c INTEGER, ... }",
                        "SEQUENCE { a INTEGER OPTIONAL, ..., b BOOLEAN OPTIONAL, [[ c BOOLEAN OPTIONAL, d INTEGER OPTIONAL ]] }",
                        "REAL", "OBJECT IDENTIFIER", "RELATIVE-OID", "NULL", "UTCTime", "GeneralizedTime",
                        "UTF8String", "BMPString", "UniversalString", "NumericString", "PrintableString",
                        "VisibleString", "GraphicString", "TeletexString", "GeneralString", "EMBEDDED PDV",
                        "CHARACTER STRING",
                        "ENUMERATED { a(-1), b(0), c(127), d(128), e(256) }", "INTEGER (-128..127)",
                        "INTEGER (0..255)", "INTEGER (0..65536)"})
    types.push_back(t);
  // Lengths about 127, 255 and 65535 octets.
  for (const char *t : {"OCTET STRING", "IA5String", "BIT STRING", "SEQUENCE OF NULL"})
    for (const char *z : {"(SIZE (120..MAX))", "(SIZE (250..MAX))", "(SIZE (65530..MAX))"}) {
      const std::string kind(t);
      types.push_back(kind.starts_with("SEQUENCE") ? "SEQUENCE " + std::string(z) + kind.substr(8) : kind + " " + z);
    }
  std::string text = "Bounds DEFINITIONS AUTOMATIC TAGS ::= BEGIN\n";
  for (std::size_t i = 0; i < types.size(); ++i)
    text += "B" + std::to_string(i) + " ::= SEQUENCE { f BOOLEAN, v " + types[i] + " }\n";
  return text + "END\n";
}

// Random values of every boundary type, both ways: under DER octet for
// octet.
TEST(BerPeers, ErlangAgreesOnEveryBoundary) {
  for (int32_t rules : {RULES_BER, RULES_DER}) zurtest::agreeOnWrittenModule(boundaryModule(), rules, 80 + rules);
}

// The same on Megaco's modules of H.248 (v1 to v3), as Erlang's Megaco
// encodes them.
TEST(BerPeers, ErlangAgreesOnMegaco) {
  for (int version : {1, 2, 3}) zurtest::agreeOnMegaco(version, {RULES_BER, RULES_DER});
}

// The same on LDAP's module, as asn1ct compiles it for Erlang's LDAP client.
TEST(BerPeers, ErlangAgreesOnLdap) {
  zurtest::agreeOnErlangModule("eldap", "asn1/ELDAPv3.asn1", "ELDAPv3", {RULES_BER, RULES_DER});
}

// "{ 2 5 4 3 }" -> "2.5.4.3"
std::string dotted(const std::string &arcs) {
  std::istringstream in(arcs);
  std::string out, arc;
  while (in >> arc)
    if (arc != "{" && arc != "}") out += (out.empty() ? "" : ".") + arc;
  return out;
}

// "110505093737" (UTCTime) or "20500101000000" as openssl shows it.
std::string opensslDate(std::string t) {
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (t.size() == 12) t = (std::stoi(t.substr(0, 2)) < 50 ? "20" : "19") + t;
  char out[32];
  std::snprintf(out, sizeof out, "%s %2d %s:%s:%s %s GMT", months[std::stoi(t.substr(4, 2)) - 1],
                std::stoi(t.substr(6, 2)), t.substr(8, 2).c_str(), t.substr(10, 2).c_str(),
                t.substr(12, 2).c_str(), t.substr(0, 4).c_str());
  return out;
}

// openssl shows a serial number without the sign octet of its encoding.
std::string withoutSignOctet(std::string hex) {
  while (hex.size() > 2 && hex.starts_with("00")) hex.erase(0, 2);
  return hex;
}

// The issuer's RDNs from its printed value, in RFC 2253's order (last
// first), each "oid=#hex" with "+" between the values of one RDN.
std::string printedIssuer(const std::string &printed) {
  const std::size_t from = printed.find("\n    issuer ");
  std::istringstream section(printed.substr(from + 1, printed.find("\n    validity ") - from));
  std::vector<std::string> rdns;
  std::string line, type;
  std::size_t listIndent = std::string::npos;
  static const std::regex typeRe("type (\\{[ 0-9]+\\}),"), valueRe("value '([0-9A-F]+)'H");
  std::getline(section, line);  // "    issuer rdnSequence : "
  while (std::getline(section, line)) {
    const std::size_t indent = line.find_first_not_of(' ');
    if (listIndent == std::string::npos) listIndent = indent;
    std::smatch m;
    if (indent == listIndent + 2 && line.substr(indent) == "{") {
      rdns.insert(rdns.begin(), "");
    } else if (std::regex_search(line, m, typeRe)) {
      type = dotted(m[1]);
    } else if (std::regex_search(line, m, valueRe) && !rdns.empty()) {
      rdns.front() += (rdns.front().empty() ? "" : "+") + type + "=#" + std::string(m[1]);
    }
  }
  std::string out;
  for (const auto &r : rdns) out += (out.empty() ? "" : ",") + r;
  return out;
}

TEST(BerPeers, CaCertificatesRoundTripAndAgreeWithOpenssl) {
  CodecHarness h(pkixModules());
  std::map<std::string, std::string> extensionNames;  // OID -> openssl's name
  std::size_t count = 0;
  for (const auto &entry : fs::directory_iterator("/usr/share/ca-certificates/mozilla")) {
    const std::string crt = entry.path().string();
    SCOPED_TRACE(crt);
    const Octets der = fromHex(runCommand("openssl x509 -in '" + crt + "' -outform DER | od -An -v -tx1"));
    zurtest::Decoded d = h.decode("Certificate", RULES_DER, der);
    ASSERT_EQ(d.status, 0) << d.message;
    zurtest::Encoded e = h.encode("Certificate", RULES_DER, d.value);
    ASSERT_EQ(e.status, 0) << e.message;
    EXPECT_EQ(toHex(e.octets), toHex(der));
    const std::string printed = h.print("Certificate", d.value);
    const std::string info = runCommand("openssl x509 -in '" + crt +
                                 "' -noout -serial -dates -issuer -nameopt RFC2253,dump_all,dump_der,oid -text");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(printed, m, std::regex("serialNumber '([0-9A-F]+)'H")));
    EXPECT_NE(info.find("serial=" + withoutSignOctet(m[1]) + "\n"), std::string::npos) << m[1];
    std::vector<std::string> times;
    static const std::regex timeRe("(utcTime|generalTime) : \"([0-9]+)(\\.[0-9]+)?Z\"");
    for (std::sregex_iterator it(printed.begin(), printed.end(), timeRe), end; it != end; ++it)
      times.push_back((*it)[2]);
    ASSERT_GE(times.size(), 2u);
    EXPECT_NE(info.find("notBefore=" + opensslDate(times[0]) + "\n"), std::string::npos) << times[0];
    EXPECT_NE(info.find("notAfter=" + opensslDate(times[1]) + "\n"), std::string::npos) << times[1];
    const std::string issuer = printedIssuer(printed);
    EXPECT_NE(info.find("issuer=" + issuer + "\n"), std::string::npos) << issuer;
    // The extensions, in order, by the names openssl gives their OIDs.
    std::string ours, theirs;
    static const std::regex extnRe("extnID (\\{[ 0-9]+\\})");
    for (std::sregex_iterator it(printed.begin(), printed.end(), extnRe), end; it != end; ++it) {
      const std::string oid = dotted((*it)[1]);
      if (!extensionNames.count(oid)) {
        const std::string line = runCommand("openssl asn1parse -genstr OID:" + oid);
        extensionNames[oid] = line.substr(line.find(':', line.find("OBJECT")) + 1);
        extensionNames[oid].pop_back();  // the line feed
      }
      ours += extensionNames[oid] + "\n";
    }
    static const std::regex nameRe("\\n {12}([^ \\n][^\\n]*?): ?(critical)?\\n");
    for (std::sregex_iterator it(info.begin(), info.end(), nameRe), end; it != end; ++it)
      theirs += std::string((*it)[1]) + "\n";
    EXPECT_EQ(ours, theirs);
    h.release(d.value);
    ++count;
  }
  EXPECT_GE(count, 100u);
}

// A CRL, a PKCS#8 private key and a PKCS#10 request made by openssl here
// decode and encode back to the same octets.
TEST(BerPeers, OpensslCrlKeyAndRequestRoundTrip) {
  const std::string dir = workDir("openssl");
  runCommand(std::string(ZURBASE_TEST_DATA) + "/make_crl.sh " + dir + " 40 >/dev/null 2>&1");
  runCommand("cd " + dir + " && openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out key.pem 2>/dev/null &&"
      " openssl pkcs8 -topk8 -nocrypt -in key.pem -outform DER -out key.der &&"
      " openssl req -new -key key.pem -subj '/CN=zurbase codec test/O=zurbase' -outform DER -out req.der");
  const auto octets = [&](const std::string &file) { return fromHex(runCommand("od -An -v -tx1 " + dir + "/" + file)); };
  const std::string asn1 = erlangLib("asn1/");
  const struct {
    std::vector<std::string> modules;
    const char *type;
    const char *file;
  } cases[] = {
      {pkixModules(), "CertificateList", "crl.der"},
      {{asn1 + "PKCS-8.asn1"}, "PrivateKeyInfo", "key.der"},
      {{asn1 + "InformationFramework.asn1", asn1 + "PKIX1Explicit88.asn1", asn1 + "PKIX1Implicit88.asn1",
        asn1 + "PKIX1Algorithms88.asn1", asn1 + "PKCS-7.asn1", asn1 + "PKCS-10.asn1"},
       "CertificationRequest", "req.der"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.file);
    CodecHarness h(c.modules);
    const Octets der = octets(c.file);
    ASSERT_FALSE(der.empty());
    zurtest::Decoded d = h.decode(c.type, RULES_DER, der);
    ASSERT_EQ(d.status, 0) << d.message;
    zurtest::Encoded e = h.encode(c.type, RULES_DER, d.value);
    ASSERT_EQ(e.status, 0) << e.message;
    EXPECT_EQ(toHex(e.octets), toHex(der));
  }
}

// Signed and encrypted messages that openssl streams (indefinite lengths at
// every level, 10,000 octets of content in three segments; as CMS and as
// PKCS #7) decode as BER and encode under DER to the octets of openssl's own
// DER of them: ContentInfo, whose content PKCS #7's object set decodes as
// SignedData or EnvelopedData, and that content alone.
TEST(BerPeers, OpensslStreamedMessagesBecomeOpensslsDer) {
  const std::string dir = workDir("openssl-streamed");
  runCommand("cd " + dir + " && head -c 10000 /dev/urandom > data.bin &&"
      " openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30"
      " -subj '/CN=zurbase codec test/O=zurbase' 2>/dev/null &&"
      " openssl cms -sign -binary -nodetach -stream -in data.bin -signer cert.pem -inkey key.pem -outform DER -out cms.ber &&"
      " openssl cms -cmsout -inform DER -in cms.ber -outform DER -out cms.der &&"
      " openssl smime -sign -binary -nodetach -stream -in data.bin -signer cert.pem -inkey key.pem -outform DER -out p7.ber &&"
      " openssl pkcs7 -inform DER -in p7.ber -outform DER -out p7.der &&"
      " openssl cms -encrypt -binary -stream -aes256 -in data.bin -outform DER -out cms-env.ber cert.pem &&"
      " openssl cms -cmsout -inform DER -in cms-env.ber -outform DER -out cms-env.der &&"
      " openssl smime -encrypt -binary -stream -aes256 -in data.bin -outform DER -out p7-env.ber cert.pem &&"
      " openssl pkcs7 -inform DER -in p7-env.ber -outform DER -out p7-env.der");
  const auto octets = [&](const std::string &file) { return fromHex(runCommand("od -An -v -tx1 " + dir + "/" + file)); };
  const std::string asn1 = erlangLib("asn1/");
  std::vector<std::string> modules{asn1 + "InformationFramework.asn1"};
  for (const std::string &m : pkixModules()) modules.push_back(m);
  modules.push_back(asn1 + "PKCS-7.asn1");
  CodecHarness h(modules);
  // ContentInfo's content: what follows its header, its contentType and the
  // header of [0], up to the end (less the two EOCs of a streamed one).
  const auto content = [](const Octets &info) {
    const auto headerSize = [&](std::size_t at) { return 2 + (info[at + 1] > 0x80 ? info[at + 1] & 0x7Fu : 0u); };
    std::size_t at = headerSize(0);
    at += 2 + info[at + 1];
    at += headerSize(at);
    return Octets(info.begin() + static_cast<std::ptrdiff_t>(at), info.end() - (info[1] == 0x80 ? 4 : 0));
  };
  const struct {
    const char *name;
    const char *content;  // the type of ContentInfo's content
  } messages[] = {{"cms", "SignedData"}, {"p7", "SignedData"}, {"cms-env", "EnvelopedData"},
                  {"p7-env", "EnvelopedData"}};
  for (const auto &[name, type] : messages) {
    SCOPED_TRACE(name);
    const Octets ber = octets(std::string(name) + ".ber"), der = octets(std::string(name) + ".der");
    ASSERT_FALSE(ber.empty());
    ASSERT_NE(toHex(ber), toHex(der));  // streamed: indefinite lengths, segments
    zurtest::Decoded fromBer = h.decode("ContentInfo", RULES_BER, ber);
    ASSERT_EQ(fromBer.status, 0) << fromBer.message;
    zurtest::Encoded e = h.encode("ContentInfo", RULES_DER, fromBer.value);
    ASSERT_EQ(e.status, 0) << e.message;
    EXPECT_EQ(toHex(e.octets), toHex(der));
    zurtest::Decoded fromDer = h.decode("ContentInfo", RULES_DER, der);
    ASSERT_EQ(fromDer.status, 0) << fromDer.message;
    zurtest::Decoded inner = h.decode(type, RULES_BER, content(ber));
    ASSERT_EQ(inner.status, 0) << inner.message;
    zurtest::Encoded innerDer = h.encode(type, RULES_DER, inner.value);
    ASSERT_EQ(innerDer.status, 0) << innerDer.message;
    EXPECT_EQ(toHex(innerDer.octets), toHex(content(der)));
  }
}

#endif

}  // namespace
