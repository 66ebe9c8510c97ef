// Encoding and decoding through the library's front-ends with a codec that
// zurcore links when the rules are selected, and a failure report as a user
// sees it.
#include <cstring>

#include "demo.h"

namespace demo {
namespace {

// Point ::= SEQUENCE { x INTEGER (0..127), y INTEGER (0..127) }
struct Point {
  int32_t x;
  int32_t y;
};

unsigned char encoded[16];

int encodePoint(Env *, int32_t, void *value, void **outPtr, int32_t *outLen, const CtlTbl *,
                uint32_t, char *) {
  const auto *p = static_cast<const Point *>(value);
  const unsigned char der[] = {0x30, 0x06, 0x02, 0x01, static_cast<unsigned char>(p->x),
                               0x02, 0x01, static_cast<unsigned char>(p->y)};
  std::memcpy(encoded, der, sizeof der);
  *outPtr = encoded;
  *outLen = sizeof der;
  return 0;
}

int decodePoint(Env *, int32_t *, void **inPtr, int32_t *inLen, void **outRef, uint32_t *,
                const CtlTbl *, uint32_t, char *msgBuf) {
  const auto *in = static_cast<const unsigned char *>(*inPtr);
  if (*inLen < 8 || in[0] != 0x30) {
    std::strcpy(msgBuf, "Dnot a Point.\n");
    return 5;
  }
  static Point decoded;
  decoded = {in[4], in[7]};
  *outRef = &decoded;
  return 0;
}

}  // namespace

void showCodecs() {
  Env *env = zurcoreCreateEnv(apiTbl);
  const CodecEntry pointCodec{encodePoint, decodePoint};
  zurcoreSetCodecs(env, &pointCodec, nullptr);

  heading("encoding and decoding through the front-ends");
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_BER);
  std::printf("rules in force: %d (BER)\n", entry<ApiGetterFn>(SLOT_GET_ENCODING_RULES)(env));
  Point p{3, 4};
  EncBuf out{0, nullptr};
  int rc = entry<ApiEncodeFn>(SLOT_ENCODE)(env, 1, &p, &out);
  std::printf("apiEncode({ x 3, y 4 }) = %d, %d octets: ", rc, static_cast<int>(out.length));
  std::fflush(stdout);
  entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env, out.value, out.length);
  void *decoded = nullptr;
  rc = entry<ApiDecodeFn>(SLOT_DECODE)(env, nullptr, &out, &decoded);
  const auto *q = static_cast<const Point *>(decoded);
  std::printf("apiDecode = %d: { x %d, y %d }\n", rc, static_cast<int>(q->x),
              static_cast<int>(q->y));

  heading("a failure report: rules 3, printed because encFlags has 0x2");
  entry<ApiSetterFn>(SLOT_SET_FLAGS)(env, 0x2);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, 3);
  rc = entry<ApiEncodeFn>(SLOT_ENCODE)(env, 1, &p, &out);
  std::fflush(stdout);
  std::printf("apiEncode returned %d; apiGetErrorMsg: %s",
              rc, entry<ApiGetErrorMsgFn>(SLOT_GET_ERROR_MSG)(env));

  heading("PER selected, but no PER codec linked");
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_PER);
  rc = entry<ApiEncodeFn>(SLOT_ENCODE)(env, 1, &p, &out);
  std::fflush(stdout);
  std::printf("apiEncode returned %d\n", rc);
  zurcoreDestroyEnv(env);
}

}  // namespace demo
