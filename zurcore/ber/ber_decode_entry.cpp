// The decode entry: arguments, tables and PDU checked, the arena set up
// (the caller's area under flag 0x4), the value decoded, and on a fault
// everything released and the row reported with its offset.
#include <cstring>

#include "ber_decoder.h"
#include "ber_entry.h"
#include "zurcore/codec/limits.h"
#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

// The first block of an arena: the decoded value of a typical message takes
// about twice its encoding; the margin spares nearly every decode a second
// memAlloc (and its memFree).
uint32_t arenaHint(int32_t inputLength) {
  const uint64_t hint = uint64_t(inputLength) * 5 / 2 + 256;
  return hint > (1u << 24) ? 1u << 24 : static_cast<uint32_t>(hint);
}

// The PDU whose type an encoding starting with `tag` can be.
int32_t pduOfTag(const Schema &s, uint16_t tag) {
  for (int32_t pdu = 1; pdu <= s.ctl->pduCount; ++pdu) {
    const ZurType &t = s.type(s.pduType(pdu));
    if (t.matchCount != 0 && s.startsWith(t, tag)) return pdu;
  }
  return 0;
}

}  // namespace

int berDecode(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen, void **outRef,
              uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  const auto refuse = [&](int row, ReportArg arg = {}) {
    return report(env, msgBuf, flags, 'D', row, arg, nullptr, ReportPlace{});
  };
  if (inPtr == nullptr || inLen == nullptr || *inPtr == nullptr || outRef == nullptr ||
      ((flags & ZURBASE_FLAG_CALLER_AREA) != 0 && (outLen == nullptr || *outRef == nullptr)))
    return refuse(ROW_NULL_ARGUMENT);
  if (*inLen < 0) return refuse(ROW_NEGATIVE_LENGTH, ReportArg::of(*inLen));
  Schema s;
  if (int row = openSchema(ctl, s)) return refuse(row, ReportArg::of(ctl != nullptr ? zurTablesVersion(ctl) : 0));
  const auto *in = static_cast<const unsigned char *>(*inPtr);
  const std::size_t size = static_cast<std::size_t>(*inLen);
  const bool der = env->encRules == RULES_DER;

  int32_t pdu = pduArg != nullptr ? *pduArg : 0;
  if (pdu == 0) {
    Header h;
    HeaderFault f;
    if (!readHeader(in, 0, size, size, der, h, f))
      return report(env, msgBuf, flags, 'D', f.row, f.octets >= 0 ? ReportArg::of(f.octets) : ReportArg{},
                    f.derRule, ReportPlace::octet(f.at));
    pdu = pduOfTag(s, h.tag);
    if (pdu == 0) return report(env, msgBuf, flags, 'D', ROW_PDU_TAG, ReportArg::tag(h.tag), nullptr, ReportPlace::octet(0));
    if (pduArg != nullptr) *pduArg = pdu;
  }
  if (pdu < 1 || pdu > s.ctl->pduCount) return refuse(ROW_PDU_RANGE, ReportArg::of(pdu));

  const ZurcoreLimits limits = limitsOf(env);
  Arena arena(env, limits.maxAllocation, arenaHint(*inLen));
  if ((flags & ZURBASE_FLAG_CALLER_AREA) != 0) arena.useCallerArea(*outRef, *outLen);
  const uint32_t type = s.pduType(pdu);
  const TypeDesc &d = s.desc(type);
  const std::size_t slotSize = (d.typeFlags & TYPE_BY_POINTER) != 0 ? sizeof(void *) : d.size;
  auto *root = static_cast<unsigned char *>(arena.allocate(slotSize));
  if (root == nullptr)
    return report(env, msgBuf, flags, 'D', arena.faultRow(), ReportArg::of(arena.faultArg()), nullptr,
                  ReportPlace::octet(0));

  std::size_t position = 0;
  const auto decode = [&]<bool kTraced>(Decoder<kTraced> &&decoder) {
    if (decoder.decodePdu(type, root)) {
      position = decoder.position();
      return 0;
    }
    arena.release();
    return report(env, msgBuf, flags, 'D', decoder.faultRow(), decoder.faultArg(), decoder.faultDetail(),
                  ReportPlace::octet(decoder.faultOffset()));
  };
  // The trace record is large: only a traced decode sets one up.
  int code;
  if ((flags & ZURCORE_FLAG_TRACE) != 0) {
    TraceEvents trace(env);
    code = decode(Decoder<true>(env, s, in, size, der, limits.maxDepth, arena, &trace));
  } else {
    code = decode(Decoder<false>(env, s, in, size, der, limits.maxDepth, arena, nullptr));
  }
  if (code != 0) return code;
  if (arena.inCallerArea()) {
    *outLen = arena.areaUsed();
  } else {
    *outRef = root;
    arena.keep();
  }
  *inPtr = const_cast<unsigned char *>(in + position);
  *inLen -= static_cast<int32_t>(position);
  return 0;
}

}  // namespace zurcore

namespace zurcore {

const CodecEntry &berCodec() {
  static constexpr CodecEntry codec{berEncode, berDecode};
  return codec;
}

}  // namespace zurcore
