// Values of compiled types, filled by hand through the generated C types,
// printed by apiPrintPdu through the tables the library compiled in memory.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PKIX1Explicit88.h"
#include "ZurLayouts.h"
#include "tests/compiler/compiled_modules.h"
#include "tests/support/test_env.h"
#include "zurbase/zurbase.h"

namespace zurtest {
namespace {

template <std::size_t N>
ZurOctets octets(const uint8_t (&data)[N]) {
  return {N, const_cast<uint8_t *>(data)};
}
template <std::size_t N>
ZurChars chars(const char (&text)[N]) {
  return {N - 1, const_cast<char *>(text)};
}
template <std::size_t N>
EncodedValue encoded(const uint8_t (&data)[N]) {
  return {0, N, data};
}

// 1 2 840 113549, and 1 1 11 (sha256WithRSAEncryption) and 1 1 1 (rsaEncryption) under it
const uint8_t kRsadsi[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D};
const uint8_t kSha256WithRsa[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x0B};
const uint8_t kRsaEncryption[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};
const uint8_t kCommonName[] = {0x55, 0x04, 0x03};
const uint8_t kBasicConstraints[] = {0x55, 0x1D, 0x13};
const uint8_t kNull[] = {0x05, 0x00};
const uint8_t kUtf8Test[] = {0x0C, 0x04, 'T', 'e', 's', 't'};
const uint8_t kCaTrue[] = {0x30, 0x03, 0x01, 0x01, 0xFF};
const uint8_t kSerial[] = {0x00, 0xC0, 0xFF, 0xEE};
const uint8_t kKey[] = {0x00, 0x30, 0x06, 0x02, 0x01, 0x03};
const uint8_t kSignature[] = {0x00, 0x5A, 0xA5};

class CompiledPrint : public ::testing::Test {
 protected:
  std::string print(const zurasn1::Compilation &compiled, int pdu, void *value) {
    env.captureWithHook();
    env->ctlTbl = compiled.ctlTbl();
    EXPECT_EQ(reinterpret_cast<ApiPrintPduFn>(apiTbl[SLOT_PRINT_PDU])(env.get(), pdu, value), 0);
    return hookText();
  }
  TestEnv env;
};

TEST_F(CompiledPrint, EveryKindOfTheOwnModule) {
  const auto compiled = compileModules({ownModule()});
  ASSERT_NE(compiled, nullptr);

  const uint8_t huge[] = {0x00, 0x80, 0x00}, bits[] = {0xAB, 0xC0}, coffee[] = {0xC0, 0xFF, 0xEE};
  uint32_t arcs[] = {3, 14};
  Scalars scalars{};
  scalars.flag = 1;
  scalars.small = -5;
  scalars.named = Scalars_named_high;
  scalars.huge = {sizeof huge, const_cast<uint8_t *>(huge)};
  scalars.color = Color_violet;
  scalars.ratio = 2.5;
  scalars.bits = {12, const_cast<uint8_t *>(bits)};
  scalars.octets = octets(coffee);
  scalars.oid = {sizeof kRsadsi, const_cast<uint8_t *>(kRsadsi)};
  scalars.relative = {2, arcs};
  scalars.utc = {99, 12, 31, 23, 59, 59, 0, 90, 0};
  scalars.generalized = {2024, 2, 29, 12, 34, 56, 500, 0, 1};

  uint16_t bmp[] = {'A', 0x263A};
  uint32_t universal[] = {0x1F600};
  Strings strings{0,
                  chars("caf\xC3\xA9"),
                  chars("0123"),
                  chars("Printable"),
                  chars("T61"),
                  chars("Vtx"),
                  chars("ia"),
                  chars("graphic"),
                  chars("visible"),
                  chars("general"),
                  {1, universal},
                  {2, bmp},
                  chars("descriptor")};

  // A tree whose left child and node hold the same leaf through addresses.
  Node seven{Node_leaf_CHOSEN, {}};
  seven.u.leaf = 7;
  Tree leaf{0, chars("leaf"), nullptr, &seven, {0, nullptr}};
  Node holdsLeaf{Node_tree_CHOSEN, {}};
  holdsLeaf.u.tree = &leaf;
  Tree kid{0, chars("kid"), nullptr, &seven, {0, nullptr}};
  Tree root{Tree_left_PRESENT, chars("root"), &leaf, &holdsLeaf, {1, &kid}};

  // Object 1 of the set names Pair; no object has id 9.
  uint8_t one[] = {1}, nine[] = {9};
  Shaped shaped{0, {1, one}, {Shaped_value_Pair_CHOSEN, {}}};
  shaped.value.u.Pair = Pair{Pair_y_PRESENT, 1, 2, 0};
  Shaped unknown{0, {1, nine}, {Shaped_value_encoded_CHOSEN, {}}};
  unknown.value.u.encoded = encoded(kNull);

  Mask33 mask33{};
  mask33.mask[Mask33_p33_PRESENT_BYTE] = Mask33_p33_PRESENT_BIT;
  mask33.mask[Mask33_p2_PRESENT_BYTE] = Mask33_p2_PRESENT_BIT;
  mask33.last = 1;
  Versioned versioned{Versioned_c_PRESENT, 1, 9, chars("late"), 0, 0};
  Pair alias{0, 4, 0, 1};

  struct Case {
    int pdu;
    void *value;
    const char *text;
  };
  const Case cases[] = {
      {Scalars_PDU, &scalars,
       "value Scalars ::= \n{\n  flag TRUE,\n  nothing NULL,\n  small -5,\n  named 100,\n  huge '008000'H,\n"
       "  color 7,\n  ratio { 2.500, 10, 0 },\n  bits 'ABC0'H,\n  octets 'C0FFEE'H,\n"
       "  oid { 1 2 840 113549 },\n  relative { 3 14 },\n  utc \"991231235959+0130\",\n"
       "  generalized \"20240229123456.500Z\"\n}\n"},
      {Strings_PDU, &strings,
       "value Strings ::= \n{\n  utf8 \"caf\xC3\xA9\",\n  numeric \"0123\",\n  printable \"Printable\",\n"
       "  teletex \"T61\",\n  videotex \"Vtx\",\n  ia5 \"ia\",\n  graphic \"graphic\",\n  visible \"visible\",\n"
       "  general \"general\",\n  universal '0001F600'H,\n  bmp '0041263A'H,\n  descriptor \"descriptor\"\n}\n"},
      {Tree_PDU, &root,
       "value Tree ::= \n{\n  label \"root\",\n  left \n  {\n    label \"leaf\",\n    node leaf : 7,\n"
       "    kids \n    {\n    }\n  },\n  node tree : \n    {\n      label \"leaf\",\n      node leaf : 7,\n"
       "      kids \n      {\n      }\n    },\n  kids \n  {\n    {\n      label \"kid\",\n      node leaf : 7,\n"
       "      kids \n      {\n      }\n    }\n  }\n}\n"},
      {Shaped_PDU, &shaped, "value Shaped ::= \n{\n  id '01'H,\n  value Pair : \n    {\n      x 1,\n      y 2\n    }\n}\n"},
      {Shaped_PDU, &unknown, "value Shaped ::= \n{\n  id '09'H,\n  value encoded : '0500'H\n}\n"},
      {Mask33_PDU, &mask33, "value Mask33 ::= \n{\n  p2 NULL,\n  p33 NULL,\n  last 1\n}\n"},
      {Versioned_PDU, &versioned, "value Versioned ::= \n{\n  b TRUE,\n  a 9,\n  c \"late\"\n}\n"},
      {Alias_PDU, &alias, "value Alias ::= \n{\n  x 4\n}\n"},
  };
  for (const Case &c : cases) EXPECT_EQ(print(*compiled, c.pdu, c.value), c.text) << "PDU " << c.pdu;
}

TEST_F(CompiledPrint, ACertificateOfPkix1Explicit88) {
  const auto compiled = compileModules(pkixModules());
  ASSERT_NE(compiled, nullptr);
  AttributeTypeAndValue commonName{0, {sizeof kCommonName, const_cast<uint8_t *>(kCommonName)}, encoded(kUtf8Test)};
  RelativeDistinguishedName rdn{1, &commonName};
  Name name{1, {}};
  name.u.rdnSequence = {1, &rdn};
  const AlgorithmIdentifier sha256WithRsa{AlgorithmIdentifier_parameters_PRESENT,
                                          {sizeof kSha256WithRsa, const_cast<uint8_t *>(kSha256WithRsa)},
                                          encoded(kNull)};
  Extension basicConstraints{Extension_critical_PRESENT,
                             {sizeof kBasicConstraints, const_cast<uint8_t *>(kBasicConstraints)},
                             1,
                             octets(kCaTrue)};
  Certificate cert{};
  TBSCertificate &tbs = cert.tbsCertificate;
  tbs.mask = TBSCertificate_version_PRESENT | TBSCertificate_extensions_PRESENT;
  tbs.version = Version_v3;
  tbs.serialNumber = {sizeof kSerial, const_cast<uint8_t *>(kSerial)};
  tbs.signature = sha256WithRsa;
  tbs.issuer = name;
  tbs.validity.notBefore = {Time_utcTime_CHOSEN, {}};
  tbs.validity.notBefore.u.utcTime = {24, 1, 1, 0, 0, 0, 0, 0, 1};
  tbs.validity.notAfter = {Time_generalTime_CHOSEN, {}};
  tbs.validity.notAfter.u.generalTime = {2051, 12, 31, 23, 59, 59, 0, 0, 1};
  tbs.subject = name;
  tbs.subjectPublicKeyInfo = {0, {AlgorithmIdentifier_parameters_PRESENT,
                                  {sizeof kRsaEncryption, const_cast<uint8_t *>(kRsaEncryption)}, encoded(kNull)},
                              {8 * sizeof kKey, const_cast<uint8_t *>(kKey)}};
  tbs.extensions = {1, &basicConstraints};
  cert.signatureAlgorithm = sha256WithRsa;
  cert.signature = {8 * sizeof kSignature, const_cast<uint8_t *>(kSignature)};

  const std::string rdnSequence =
      "rdnSequence : \n      {\n        {\n          {\n            type { 2 5 4 3 },\n"
      "            value '0C0454657374'H\n          }\n        }\n      }";
  EXPECT_EQ(print(*compiled, Certificate_PDU, &cert),
            "value Certificate ::= \n{\n  tbsCertificate \n  {\n    version 2,\n    serialNumber '00C0FFEE'H,\n"
            "    signature \n    {\n      algorithm { 1 2 840 113549 1 1 11 },\n      parameters '0500'H\n    },\n"
            "    issuer " + rdnSequence + ",\n"
            "    validity \n    {\n      notBefore utcTime : \"240101000000Z\",\n"
            "      notAfter generalTime : \"20511231235959.000Z\"\n    },\n"
            "    subject " + rdnSequence + ",\n"
            "    subjectPublicKeyInfo \n    {\n      algorithm \n      {\n"
            "        algorithm { 1 2 840 113549 1 1 1 },\n        parameters '0500'H\n      },\n"
            "      subjectPublicKey '003006020103'H\n    },\n"
            "    extensions \n    {\n      {\n        extnID { 2 5 29 19 },\n        critical TRUE,\n"
            "        extnValue '30030101FF'H\n      }\n    }\n  },\n"
            "  signatureAlgorithm \n  {\n    algorithm { 1 2 840 113549 1 1 11 },\n    parameters '0500'H\n  },\n"
            "  signature '005AA5'H\n}\n");
  EXPECT_EQ(compiled->pduNumber("Certificate"), Certificate_PDU);
}

}  // namespace
}  // namespace zurtest
