// The encoding trace of real encodings: zurcore's BER decoder walks an
// encoding and reports each element to the library, which prints the
// tag/length tree.
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "demo.h"
#include "personnel_encoding.h"

namespace demo {
namespace {

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// The octets of the first PEM block ("-----BEGIN ...-----" to "-----END").
std::vector<unsigned char> pemBody(const std::string &text, std::size_t begin) {
  std::size_t start = text.find('\n', begin);
  std::size_t end = text.find("-----END", begin);
  std::vector<unsigned char> out;
  if (start == std::string::npos || end == std::string::npos) return out;
  unsigned bits = 0;
  int count = 0;
  for (std::size_t i = start; i < end; ++i) {
    int v = base64Value(text[i]);
    if (v < 0) continue;  // line breaks, padding
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<unsigned char>(bits >> count));
    }
  }
  return out;
}

// A DER or BER file as it is, a PEM file by its first block.
bool readEncoding(const char *path, std::vector<unsigned char> &octets) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t pem = text.find("-----BEGIN");
  if (pem != std::string::npos)
    octets = pemBody(text, pem);
  else
    octets.assign(text.begin(), text.end());
  return true;
}

void traceEncoding(const char *title, std::vector<unsigned char> octets) {
  Env *env = zurcoreCreateEnv(apiTbl);
  heading(title);
  std::printf("%ld octets:\n", static_cast<long>(octets.size()));
  std::fflush(stdout);
  entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env, octets.data(), static_cast<int32_t>(octets.size()));
  std::printf("\ntrace:\n");
  std::fflush(stdout);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_BER);
  EncBuf in{static_cast<int32_t>(octets.size()), octets.data()};
  void *decoded = nullptr;
  int rc = entry<ApiDecodeFn>(SLOT_DECODE)(env, nullptr, &in, &decoded);
  std::fflush(stdout);
  if (rc == 0)
    std::printf("apiDecode returned 0\n");
  else
    std::printf("apiDecode returned %d: %s", rc, entry<ApiGetErrorMsgFn>(SLOT_GET_ERROR_MSG)(env));
  zurcoreDestroyEnv(env);
}

}  // namespace

bool showTrace(const char *path) {
  if (path == nullptr) {
    std::span<const unsigned char> record = personnelEncoding();
    traceEncoding("BER trace of the X.690 personnel record",
                  std::vector<unsigned char>(record.begin(), record.end()));
    return true;
  }
  std::vector<unsigned char> octets;
  if (!readEncoding(path, octets)) {
    std::fprintf(stderr, "demo: cannot read %s\n", path);
    return false;
  }
  traceEncoding((std::string("BER trace of ") + path).c_str(), std::move(octets));
  return true;
}

}  // namespace demo
