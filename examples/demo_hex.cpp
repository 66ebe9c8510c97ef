#include <cstring>

#include "demo.h"
#include "zurbase/format.h"

namespace demo {

namespace {
bool atLineStart = true;
}

int prefixingHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char text[2048];
  int n = zurFormatWords(text, sizeof text, format, words);
  for (const char *p = text; *p != '\0'; ++p) {
    if (atLineStart) std::fputs("hook| ", stdout);
    std::fputc(*p, stdout);
    atLineStart = *p == '\n';
  }
  return n;
}

const std::vector<unsigned char> &defaultEncoding() {
  // SEQUENCE { INTEGER 5, IA5String "zurbase" }
  static const std::vector<unsigned char> octets = {0x30, 0x0C, 0x02, 0x01, 0x05, 0x16,
                                                    0x07, 'z',  'u',  'r',  'b',  'a',
                                                    's',  'e'};
  return octets;
}

void heading(const char *title) { std::printf("\n== %s ==\n", title); }

void showHexDump(const std::vector<unsigned char> &octets) {
  Env *env = zurcoreCreateEnv(apiTbl);
  auto printHex = entry<ApiPrintHexFn>(SLOT_PRINT_HEX);
  heading("hexadecimal dump on standard output");
  printHex(env, octets.data(), static_cast<int32_t>(octets.size()));
  std::fflush(stdout);
  heading("the same dump through a print hook");
  zurcoreSetPrintHook(env, prefixingHook);
  printHex(env, octets.data(), static_cast<int32_t>(octets.size()));
  std::fflush(stdout);
  zurcoreDestroyEnv(env);
}

}  // namespace demo
