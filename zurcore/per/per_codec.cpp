// The PER codec's entry points: arguments and tables checked, one encoder
// or decoder run, its failure reported as a row with the fault's bit offset.
#include "per_codec.h"

#include <cstdio>
#include <cstring>

#include "per_decoder.h"
#include "per_encoder.h"
#include "zurcore/codec/limits.h"
#include "zurcore/codec/report.h"
#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

bool alignedRules(Env *env) { return env->encRules == RULES_PER_ALIGNED; }

// The refusal of checkPdu, out of its way: a call whose tables and PDU are
// good sets up no frame for a report.
[[gnu::cold, gnu::noinline]] int refusePdu(Env *env, char *msgBuf, uint32_t flags, char letter,
                                           const CtlTbl *ctl, int32_t pdu, int row) {
  if (row != 0) return report(env, msgBuf, flags, letter, row, ReportArg::of(row == ROW_TABLES_VERSION ? zurTablesVersion(ctl) : 0), nullptr, {});
  return report(env, msgBuf, flags, letter, ROW_PDU_RANGE, ReportArg::of(pdu), nullptr, {});
}

// Inline in each entry point, whose every call makes it.
inline int checkPdu(Env *env, char *msgBuf, uint32_t flags, char letter, const CtlTbl *ctl,
                    int32_t pdu, Schema &schema) {
  const int row = openSchema(ctl, schema);
  if (row != 0 || pdu < 1 || pdu > ctl->pduCount) return refusePdu(env, msgBuf, flags, letter, ctl, pdu, row);
  return 0;
}

// Scratch buffers kept per thread and variant, so that a call allocates only
// while they grow; a call made while one is under way on the thread (from a
// print hook, say) gets buffers of its own.
template <class Scratch>
class ScratchLease {
 public:
  template <class... Args>
  ScratchLease(Scratch &kept, bool &busy, Args... args) : busy_(busy), was_(busy) {
    if (busy) own_ = std::make_unique<Scratch>(args...);
    scratch_ = busy ? own_.get() : &kept;
    busy = true;
  }
  ~ScratchLease() { busy_ = was_; }
  ScratchLease(const ScratchLease &) = delete;
  ScratchLease &operator=(const ScratchLease &) = delete;
  Scratch &get() { return *scratch_; }

 private:
  bool &busy_;
  bool was_;
  std::unique_ptr<Scratch> own_;
  Scratch *scratch_;
};

int perEncode(Env *env, int32_t pdu, void *value, void **outPtr, int32_t *outLen,
              const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  if (env == nullptr || value == nullptr || outPtr == nullptr || outLen == nullptr)
    return report(env, msgBuf, flags, 'E', ROW_NULL_ARGUMENT, {}, nullptr, {});
  Schema schema;
  if (int code = checkPdu(env, msgBuf, flags, 'E', ctl, pdu, schema)) return code;
  const bool aligned = alignedRules(env);
  thread_local per::EncoderScratch keptAligned(true), keptUnaligned(false);
  thread_local bool busy = false;
  ScratchLease<per::EncoderScratch> lease(aligned ? keptAligned : keptUnaligned, busy, aligned);
  per::BitWriter &w = lease.get().out;
  w.clear();
  std::unique_ptr<per::PerTrace> trace;
  if (flags & ZURCORE_FLAG_TRACE) trace = std::make_unique<per::PerTrace>(env);
  const ZurcoreLimits limits = limitsOf(env);
  per::Encoder encoder(schema, aligned, limits.maxDepth, trace.get(), lease.get());
  if (!encoder.encode(w, schema.pduType(pdu), value)) {
    const per::Encoder::Failure &f = encoder.failure();
    char detail[kDetailRoom];
    return report(env, msgBuf, flags, 'E', f.row, f.arg, componentDetail(detail, f.detail, f.component), {});
  }
  if (trace) trace->total(w.bitLength());
  const std::size_t n = w.octetLength();
  // As under BER, an encoding larger than the allocation limit is refused.
  if (n > limits.maxAllocation || n > INT32_MAX)
    return report(env, msgBuf, flags, 'E', ROW_OUTPUT_LIMIT, ReportArg::of(static_cast<int64_t>(n)), nullptr, {});
  if (flags & ZURBASE_FLAG_CALLER_AREA) {
    if (*outPtr == nullptr || *outLen < 0 || static_cast<std::size_t>(*outLen) < n) {
      char needed[64];
      std::snprintf(needed, sizeof needed, "%llu octets needed", static_cast<unsigned long long>(n));
      return report(env, msgBuf, flags, 'E', ROW_OUTPUT_TOO_SMALL, ReportArg::of(*outLen), needed, {});
    }
  } else {
    *outPtr = env->memAlloc(static_cast<uint32_t>(n));
    if (*outPtr == nullptr)
      return report(env, msgBuf, flags, 'E', ROW_ALLOCATION_FAILED,
                    ReportArg::of(static_cast<int64_t>(n)), nullptr, {});
  }
  std::memcpy(*outPtr, w.data(), n);
  *outLen = static_cast<int32_t>(n);
  return 0;
}

int perDecode(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen, void **outRef,
              uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  if (env == nullptr || pduArg == nullptr || inPtr == nullptr || *inPtr == nullptr ||
      inLen == nullptr || outRef == nullptr)
    return report(env, msgBuf, flags, 'D', ROW_NULL_ARGUMENT, {}, nullptr, {});
  if (*inLen < 0)
    return report(env, msgBuf, flags, 'D', ROW_NEGATIVE_LENGTH, ReportArg::of(*inLen), nullptr, {});
  Schema schema;
  if (int code = checkPdu(env, msgBuf, flags, 'D', ctl, *pduArg, schema)) return code;
  const bool aligned = alignedRules(env);
  const ZurcoreLimits limits = limitsOf(env);
  Arena arena(env, limits.maxAllocation, static_cast<uint32_t>(*inLen) * 4 + 256);
  if (flags & ZURBASE_FLAG_CALLER_AREA) {
    if (outLen == nullptr) return report(env, msgBuf, flags, 'D', ROW_NULL_ARGUMENT, {}, nullptr, {});
    arena.useCallerArea(*outRef, *outLen);
  }
  const auto *in = static_cast<const uint8_t *>(*inPtr);
  per::BitReader r(in, static_cast<std::size_t>(*inLen), aligned);
  std::unique_ptr<per::PerTrace> trace;
  if (flags & ZURCORE_FLAG_TRACE) trace = std::make_unique<per::PerTrace>(env);
  thread_local per::DecoderScratch kept;
  thread_local bool busy = false;
  ScratchLease<per::DecoderScratch> lease(kept, busy);
  per::Decoder decoder(schema, arena, aligned, limits.maxDepth, trace.get(), lease.get());
  void *root = nullptr;
  bool ok = decoder.decode(r, schema.pduType(*pduArg), root);
  // A complete encoding is whole octets, and at least one.
  if (ok && r.position() == 0) ok = r.need(8);
  if (!ok) {
    const per::DecodeFault &f = r.fault();
    ReportArg arg = ReportArg::of(f.argument);
    char character[16];
    if (f.row == ROW_ALPHABET_CONSTRAINT) {
      std::snprintf(character, sizeof character, "code %lld", static_cast<long long>(f.argument));
      arg = ReportArg::named(character);
    }
    return report(env, msgBuf, flags, 'D', f.row, arg, f.detail, ReportPlace::bit(f.bitOffset));
  }
  const uint64_t bits = r.position() == 0 ? 8 : r.position();
  const int32_t used = static_cast<int32_t>((bits + 7) / 8);
  // The whole encoding, its final padding included, as the encoder's trace
  // counts it.
  if (trace) trace->total(static_cast<uint64_t>(used) * 8);
  *inPtr = const_cast<uint8_t *>(in + used);
  *inLen -= used;
  if (arena.inCallerArea()) *outLen = arena.areaUsed();
  *outRef = root;
  arena.keep();
  return 0;
}

}  // namespace

const CodecEntry &perCodecEntry() {
  static const CodecEntry entry{perEncode, perDecode};
  return entry;
}

}  // namespace zurcore
