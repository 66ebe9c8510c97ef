// Values whose text comes from the sibling run-time: OBJECT IDENTIFIER
// contents, and deferred data kept in a temporary file or behind a socket.
#include <cstdint>
#include <cstring>

#include "frame/print.h"
#include "frame/sibling.h"
#include "library/entry_points.h"
#include "printer/leaf_format.h"
#include "printer/service_calls.h"

namespace zur {

void printObjectId(Env *env, const unsigned char *contents, uint32_t length) {
  // The converter counts octets in 16 bits: a longer identifier cut to
  // fit would show arcs it does not have.
  if (length > UINT16_MAX) {
    printHexOctets(env, "'", contents, static_cast<int>(length), "'H");
    return;
  }
  OidInput in;
  in.length = static_cast<uint16_t>(length);
  in.octets = contents;
  OidOutput out{};
  int r = oidToText(env, &in, &out);
  if (r != OID_COMPLETE && r != OID_INCOMPLETE) {
    printHexOctets(env, "'", contents, static_cast<int>(length), "'H");
  } else {
    apiPrint(env, kFormats.text, out.text);
    if (r == OID_INCOMPLETE) apiPrint(env, "... }");
  }
  if (out.text != nullptr) release(env, out.text);
}

void printDeferredValue(Env *env, ApiWord *handle, int kind) {
  if (kind == 1) {
    auto *name = reinterpret_cast<const char *>(apiGetDeferredLocator(env, *handle));
    apiPrint(env, "\"%*s\"", static_cast<int>(std::strlen(name)), name);
    apiPrint(env, " (tmp-file)");
    *handle = apiMakeDeferredHandle(env, 1, reinterpret_cast<ApiWord>(name));
  } else if (kind == 2) {
    auto id = static_cast<uint32_t>(apiGetDeferredLocator(env, *handle));
    apiPrint(env, "\"");
    apiPrint(env, kFormats.signed64, static_cast<int64_t>(uint64_t{id}));
    apiPrint(env, "\" (tcpip-socket id)");
    *handle = apiMakeDeferredHandle(env, 2, id);
  }
}

}  // namespace zur
