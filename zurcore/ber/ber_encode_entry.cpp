// The encode entry: arguments, tables and PDU checked, the value encoded
// into the Env's scratch, then copied into the caller's area (flag 0x4) or
// a block from memAlloc. With the trace flag the encoding is then read back
// with the same tables, so that the trace shows exactly what was written.
#include <cstdio>
#include <cstring>

#include "ber_decoder.h"
#include "ber_encoder.h"
#include "ber_entry.h"
#include "zurcore/codec/limits.h"
#include "zurcore/codec/rows.h"
#include "zurcore/core_env.h"

namespace zurcore {
namespace {

void traceEncoding(Env *env, const Schema &s, uint32_t type, const unsigned char *octets, std::size_t n,
                   bool der) {
  const ZurcoreLimits limits = limitsOf(env);
  Arena arena(env, limits.maxAllocation, static_cast<uint32_t>(n * 2 + 256));
  TraceEvents trace(env);
  const TypeDesc &d = s.desc(type);
  auto *root = static_cast<unsigned char *>(
      arena.allocate((d.typeFlags & TYPE_BY_POINTER) != 0 ? sizeof(void *) : d.size));
  if (root == nullptr) return;
  Decoder<true> decoder(env, s, octets, n, der, limits.maxDepth, arena, &trace);
  decoder.decodePdu(type, root);
}

}  // namespace

int berEncode(Env *env, int32_t pdu, void *value, void **outPtr, int32_t *outLen, const CtlTbl *ctl,
              uint32_t flags, char *msgBuf) {
  const auto refuse = [&](int row, ReportArg arg = {}, const char *detail = nullptr) {
    return report(env, msgBuf, flags, 'E', row, arg, detail, ReportPlace{});
  };
  if (value == nullptr || outPtr == nullptr || outLen == nullptr ||
      ((flags & ZURBASE_FLAG_CALLER_AREA) != 0 && *outPtr == nullptr))
    return refuse(ROW_NULL_ARGUMENT);
  Schema s;
  if (int row = openSchema(ctl, s)) return refuse(row, ReportArg::of(ctl != nullptr ? zurTablesVersion(ctl) : 0));
  if (pdu < 1 || pdu > s.ctl->pduCount) return refuse(ROW_PDU_RANGE, ReportArg::of(pdu));
  const bool der = env->encRules == RULES_DER;
  const uint32_t type = s.pduType(pdu);

  const ZurcoreLimits limits = limitsOf(env);
  EncodeScratch &scratch = core(env)->scratch;
  BackWriter out(env, scratch, limits.maxAllocation);
  Encoder encoder(env, s, der, out, scratch, limits.maxAllocation, limits.maxDepth);
  if (!encoder.encodeValue(type, static_cast<const unsigned char *>(value))) {
    char detail[kDetailRoom];
    return refuse(encoder.faultRow(), encoder.faultArg(),
                  componentDetail(detail, encoder.faultDetail(), encoder.faultName()));
  }
  const std::size_t n = out.used();
  if (n > INT32_MAX) return refuse(ROW_OUTPUT_LIMIT, ReportArg::of(static_cast<int64_t>(n)));
  unsigned char *target;
  if ((flags & ZURBASE_FLAG_CALLER_AREA) != 0) {
    if (*outLen < 0 || n > static_cast<std::size_t>(*outLen)) {
      char detail[64];
      std::snprintf(detail, sizeof detail, "%llu octets needed", static_cast<unsigned long long>(n));
      return refuse(ROW_OUTPUT_TOO_SMALL, ReportArg::of(*outLen), detail);
    }
    target = static_cast<unsigned char *>(*outPtr);
  } else {
    target = static_cast<unsigned char *>(env->memAlloc(static_cast<uint32_t>(n == 0 ? 1 : n)));
    if (target == nullptr) return refuse(ROW_ALLOCATION_FAILED, ReportArg::of(static_cast<int64_t>(n)));
    *outPtr = target;
  }
  std::memcpy(target, out.front(), n);
  *outLen = static_cast<int32_t>(n);
  if ((flags & ZURCORE_FLAG_TRACE) != 0) traceEncoding(env, s, type, target, n, der);
  return 0;
}

}  // namespace zurcore
