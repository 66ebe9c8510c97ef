// Our side of the PER part of scripts/bench-codec: random values of one PDU
// of a module compiled by zurasn1 (the same seed gives the same set),
// written out for the peers and timed through zurcore's PER codec:
//   zur_per_bench MODULE TYPE COUNT REPEAT OUTDIR
// OUTDIR gets per.list and uper.list, naming one file per encoded message.
// Every message is decoded REPEAT times (each value freed before the next),
// then encoded REPEAT times, under both variants. Prints "per-decode",
// "uper-decode", "per-encode" and "uper-encode" SECONDS (processor time).
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/value_generator.h"
#include "zurasn1/zurasn1.h"
#include "zurbase/zurbase.h"
#include "zurbase/zurcore.h"

namespace {

double seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

using Octets = std::vector<unsigned char>;

}  // namespace

int main(int argc, char **argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: zur_per_bench MODULE TYPE COUNT REPEAT OUTDIR\n");
    return 2;
  }
  auto compiled = zurasn1::Compilation::compileFiles({argv[1]}, std::cerr);
  if (!compiled) return 2;
  const int32_t pdu = compiled->pduNumber(argv[2]);
  const int count = std::atoi(argv[3]), repeat = std::atoi(argv[4]);
  const std::string outDir = argv[5];
  Env *env = zurcoreCreateEnv(apiTbl);
  env->ctlTbl = compiled->ctlTbl();
  auto setRules = reinterpret_cast<ApiSetEncodingRulesFn>(apiTbl[SLOT_SET_ENCODING_RULES]);
  zurtest::ValueGenerator generator(compiled->ctlTbl(), 7);
  std::vector<void *> values;
  for (int i = 0; i < count; ++i) values.push_back(generator.value(pdu));
  static unsigned char out[1 << 16];

  for (const int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
    const char *name = rules == RULES_PER_ALIGNED ? "per" : "uper";
    setRules(env, rules);
    const CodecEntry *codec = env->codecB;
    std::vector<Octets> messages;
    std::ofstream list(outDir + "/" + name + ".list");
    for (int i = 0; i < count; ++i) {
      void *octets = out;
      int32_t length = sizeof out;
      if (codec->encode(env, pdu, values[i], &octets, &length, env->ctlTbl, ZURBASE_FLAG_CALLER_AREA,
                        env->msgBuf) != 0) {
        std::fprintf(stderr, "message %d does not encode: %s", i, env->msgBuf);
        return 1;
      }
      messages.emplace_back(out, out + length);
      const std::string file = outDir + "/" + name + "-" + std::to_string(i) + ".bin";
      std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char *>(out), length);
      list << file << "\n";
    }
    double start = seconds();
    for (int r = 0; r < repeat; ++r) {
      for (const Octets &m : messages) {
        int32_t pduArg = pdu;
        void *in = const_cast<unsigned char *>(m.data());
        int32_t length = static_cast<int32_t>(m.size());
        void *value = nullptr;
        if (codec->decode(env, &pduArg, &in, &length, &value, nullptr, env->ctlTbl, 0, env->msgBuf) != 0) {
          std::fprintf(stderr, "a %s message does not decode: %s", name, env->msgBuf);
          return 1;
        }
        zurcoreFreeValue(env, value);
      }
    }
    std::printf("%s-decode %.6f\n", name, seconds() - start);
    start = seconds();
    for (int r = 0; r < repeat; ++r) {
      for (void *value : values) {
        void *octets = out;
        int32_t length = sizeof out;
        codec->encode(env, pdu, value, &octets, &length, env->ctlTbl, ZURBASE_FLAG_CALLER_AREA, env->msgBuf);
      }
    }
    std::printf("%s-encode %.6f\n", name, seconds() - start);
  }
  zurcoreDestroyEnv(env);
  return 0;
}
