// Our side of scripts/bench-codec: zurcore's BER decoder and DER encoder on
// the PKIX modules compiled by zurasn1, timed on the same certificates in
// the same way as the peers:
//   zur_cert_bench LIST REPEAT MODULE...
// Every file of LIST is decoded as Certificate REPEAT times (each value freed
// before the next), then every certificate is encoded REPEAT times. Prints
// "decode SECONDS", "encode SECONDS" (processor time) and what one decode
// takes from memAlloc: "memory BYTES" and "allocations N" per certificate.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "zurasn1/zurasn1.h"
#include "zurbase/zurbase.h"
#include "zurbase/zurcore.h"

namespace {

uint64_t allocatedBytes = 0;
uint64_t allocations = 0;

void *countingAlloc(uint32_t size) {
  allocatedBytes += size;
  ++allocations;
  return std::malloc(size);
}

double seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: zur_cert_bench LIST REPEAT MODULE...\n");
    return 2;
  }
  std::vector<std::vector<unsigned char>> certs;
  std::ifstream list(argv[1]);
  for (std::string name; std::getline(list, name);) {
    std::ifstream f(name, std::ios::binary);
    certs.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  const int repeat = std::atoi(argv[2]);
  auto compiled = zurasn1::Compilation::compileFiles(std::vector<std::string>(argv + 3, argv + argc), std::cerr);
  if (!compiled) return 2;
  const int32_t pdu = compiled->pduNumber("Certificate");
  Env *env = zurcoreCreateEnv(apiTbl);
  env->memAlloc = countingAlloc;
  env->ctlTbl = compiled->ctlTbl();
  reinterpret_cast<ApiSetEncodingRulesFn>(apiTbl[SLOT_SET_ENCODING_RULES])(env, RULES_BER);
  const CodecEntry *codec = env->codecA;

  std::vector<void *> values(certs.size());
  double start = seconds();
  for (int r = 0; r < repeat; ++r) {
    if (r + 1 == repeat) allocatedBytes = allocations = 0;
    for (std::size_t i = 0; i < certs.size(); ++i) {
      int32_t pduArg = pdu;
      void *in = certs[i].data();
      int32_t length = static_cast<int32_t>(certs[i].size());
      void *value = nullptr;
      if (codec->decode(env, &pduArg, &in, &length, &value, nullptr, env->ctlTbl, 0, env->msgBuf) != 0) {
        std::fprintf(stderr, "certificate %zu: %s", i, env->msgBuf);
        return 1;
      }
      if (r + 1 == repeat)
        values[i] = value;
      else
        zurcoreFreeValue(env, value);
    }
  }
  const double decodeTime = seconds() - start;
  const double perCertBytes = static_cast<double>(allocatedBytes) / certs.size();
  const double perCertAllocations = static_cast<double>(allocations) / certs.size();

  reinterpret_cast<ApiSetEncodingRulesFn>(apiTbl[SLOT_SET_ENCODING_RULES])(env, RULES_DER);
  static unsigned char out[1 << 16];
  start = seconds();
  for (int r = 0; r < repeat; ++r) {
    for (std::size_t i = 0; i < certs.size(); ++i) {
      void *octets = out;
      int32_t length = sizeof out;
      if (codec->encode(env, pdu, values[i], &octets, &length, env->ctlTbl, ZURBASE_FLAG_CALLER_AREA,
                        env->msgBuf) != 0 ||
          static_cast<std::size_t>(length) != certs[i].size()) {
        std::fprintf(stderr, "certificate %zu does not encode back: %s", i, env->msgBuf);
        return 1;
      }
    }
  }
  const double encodeTime = seconds() - start;
  std::printf("decode %.6f\nencode %.6f\nmemory %.0f\nallocations %.2f\n", decodeTime, encodeTime,
              perCertBytes, perCertAllocations);
  for (void *value : values) zurcoreFreeValue(env, value);
  zurcoreDestroyEnv(env);
  return 0;
}
