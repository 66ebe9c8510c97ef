// Test support for the codecs: modules compiled by zurasn1 from text or
// files, and an Env bound to them that decodes, encodes and prints through
// the entry table as an application does, e.g.
//   CodecHarness h({{"t.asn1", "T DEFINITIONS ::= BEGIN R ::= INTEGER END"}});
//   Decoded d = h.decode("R", RULES_BER, fromHex("020105"));
//   h.print("R", d.value) == "value R ::= 5\n"
#ifndef ZURBASE_TESTS_CODEC_HARNESS_H
#define ZURBASE_TESTS_CODEC_HARNESS_H

#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_env.h"
#include "zurasn1/zurasn1.h"

namespace zurtest {

using Octets = std::vector<unsigned char>;

Octets fromHex(const std::string &hex);  // blanks are skipped
std::string toHex(const unsigned char *octets, std::size_t n);
inline std::string toHex(const Octets &o) { return toHex(o.data(), o.size()); }

struct Decoded {
  int status = 0;
  std::string message;  // Env.msgBuf after the call
  void *value = nullptr;
  int32_t consumed = 0;
  std::string trace;    // what the trace printed (with ZURCORE_FLAG_TRACE)
};

struct Encoded {
  int status = 0;
  std::string message;
  Octets octets;
  std::string trace;
};

class CodecHarness {
 public:
  explicit CodecHarness(const std::vector<zurasn1::ModuleText> &modules);
  explicit CodecHarness(const std::vector<std::string> &paths);
  ~CodecHarness();

  const zurasn1::Compilation &compiled() const { return *compiled_; }
  Env *env() const { return env_->get(); }
  int pdu(const std::string &type) const;

  // apiDecode under `rules`; the value stays until the harness goes (or
  // release()). With `area`, the value is laid out in it (flag 0x4).
  Decoded decode(const std::string &type, int32_t rules, const Octets &in, uint32_t flags = 0,
                 std::vector<unsigned char> *area = nullptr);
  Encoded encode(const std::string &type, int32_t rules, const void *value, uint32_t flags = 0);
  // apiPrintPdu's text of a value.
  std::string print(const std::string &type, const void *value);
  void release(void *value);

 private:
  std::unique_ptr<zurasn1::Compilation> compiled_;
  std::unique_ptr<TestEnv> env_;
  std::vector<void *> values_;
};

}  // namespace zurtest

#endif
