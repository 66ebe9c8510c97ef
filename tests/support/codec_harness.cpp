#include "tests/support/codec_harness.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <utility>

#include <gtest/gtest.h>

#include "zurbase/zurbase.h"

namespace zurtest {
namespace {

template <class Fn>
Fn slot(Env *env, int n) {
  return reinterpret_cast<Fn>(zurcoreApiTbl(env)[n]);
}

std::unique_ptr<zurasn1::Compilation> checked(std::unique_ptr<zurasn1::Compilation> c,
                                              const std::string &diagnostics) {
  if (!c) throw std::runtime_error("modules do not compile:\n" + diagnostics);
  return c;
}

}  // namespace

Octets fromHex(const std::string &hex) {
  Octets out;
  int high = -1;
  for (char ch : hex) {
    if (ch == ' ' || ch == '\n') continue;
    const int v = ch >= '0' && ch <= '9' ? ch - '0' : (ch | 0x20) - 'a' + 10;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<unsigned char>(high << 4 | v));
      high = -1;
    }
  }
  return out;
}

std::string toHex(const unsigned char *octets, std::size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (std::size_t k = 0; k < n; ++k) {
    s += digits[octets[k] >> 4];
    s += digits[octets[k] & 15];
  }
  return s;
}

CodecHarness::CodecHarness(const std::vector<zurasn1::ModuleText> &modules) {
  std::ostringstream diagnostics;
  auto compiled = zurasn1::Compilation::compile(modules, diagnostics);  // before the text is taken
  compiled_ = checked(std::move(compiled), diagnostics.str());
  env_ = std::make_unique<TestEnv>();
  env_->get()->ctlTbl = compiled_->ctlTbl();
}

CodecHarness::CodecHarness(const std::vector<std::string> &paths) {
  std::ostringstream diagnostics;
  auto compiled = zurasn1::Compilation::compileFiles(paths, diagnostics);
  compiled_ = checked(std::move(compiled), diagnostics.str());
  env_ = std::make_unique<TestEnv>();
  env_->get()->ctlTbl = compiled_->ctlTbl();
}

CodecHarness::~CodecHarness() {
  for (void *v : values_) zurcoreFreeValue(env_->get(), v);
}

int CodecHarness::pdu(const std::string &type) const {
  const int n = compiled_->pduNumber(type);
  if (n == 0) throw std::runtime_error("no PDU " + type);
  return n;
}

Decoded CodecHarness::decode(const std::string &type, int32_t rules, const Octets &in, uint32_t flags,
                             std::vector<unsigned char> *area) {
  Env *env = env_->get();
  env_->captureWithHook();
  slot<ApiSetEncodingRulesFn>(env, SLOT_SET_ENCODING_RULES)(env, rules);
  slot<ApiSetterFn>(env, SLOT_SET_DECODING_FLAGS)(env, flags);
  int32_t pduArg = pdu(type);
  Octets copy = in;  // exactly the input's size, so reading past it is caught
  EncBuf buf{static_cast<int32_t>(copy.size()), copy.empty() ? static_cast<void *>(&copy) : copy.data()};
  void *value = nullptr;
  if (area != nullptr) {
    value = area->data();
    slot<ApiSetterFn>(env, SLOT_SET_DECODE_BUF_LEN)(env, static_cast<uint32_t>(area->size()));
  }
  env->msgBuf[0] = '\0';
  Decoded d;
  d.status = slot<ApiDecodeFn>(env, SLOT_DECODE)(env, &pduArg, &buf, &value);
  d.message = env->msgBuf;
  d.trace = hookText();
  d.consumed = static_cast<int32_t>(copy.size()) - buf.length;
  if (d.status == 0) {
    d.value = value;
    if (area == nullptr) values_.push_back(value);
  }
  return d;
}

Encoded CodecHarness::encode(const std::string &type, int32_t rules, const void *value, uint32_t flags) {
  Env *env = env_->get();
  env_->captureWithHook();
  slot<ApiSetEncodingRulesFn>(env, SLOT_SET_ENCODING_RULES)(env, rules);
  slot<ApiSetterFn>(env, SLOT_SET_ENCODING_FLAGS)(env, flags);
  EncBuf out{0, nullptr};
  env->msgBuf[0] = '\0';
  Encoded e;
  e.status = slot<ApiEncodeFn>(env, SLOT_ENCODE)(env, pdu(type), const_cast<void *>(value), &out);
  e.message = env->msgBuf;
  e.trace = hookText();
  if (e.status == 0) {
    const auto *octets = static_cast<const unsigned char *>(out.value);
    e.octets.assign(octets, octets + out.length);
    env->memFree(out.value);
  }
  return e;
}

std::string CodecHarness::print(const std::string &type, const void *value) {
  Env *env = env_->get();
  env_->captureWithHook();
  const int status = slot<ApiPrintPduFn>(env, SLOT_PRINT_PDU)(env, pdu(type), const_cast<void *>(value));
  if (status != 0) ADD_FAILURE() << "apiPrintPdu of " << type << " returned " << status;
  return hookText();
}

void CodecHarness::release(void *value) {
  values_.erase(std::remove(values_.begin(), values_.end(), value), values_.end());
  zurcoreFreeValue(env_->get(), value);
}

}  // namespace zurtest
