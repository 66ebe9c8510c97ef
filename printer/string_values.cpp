// Bit, octet and character strings, OBJECT IDENTIFIER and encoded values.
#include <cstring>

#include "frame/print.h"
#include "library/entry_points.h"
#include "printer/leaf_format.h"
#include "printer/print_guard.h"
#include "printer/print_scratch.h"
#include "printer/service_calls.h"
#include "printer/string_support.h"
#include "printer/value_access.h"

namespace zur {
namespace {

bool limitBelow(const Env *env, uint64_t n) { return env->printLimit != 0 && env->printLimit < n; }

// Bits held in an integer of t.size bytes; the scratch buffer holds at most
// 8 octets, so wider sizes and longer bit counts are cut to 8.
void printBitsInInteger(WalkFrame &f) {
  constexpr int kScratch = 8;
  unsigned char scratch[kScratch] = {};
  const TypeDesc &t = *f.t;
  auto width = static_cast<int16_t>(t.size < kScratch ? t.size : kScratch);
  storeBigEndian(scratch, f.s, width);
  int n = (t.maxLen + 7) / 8;
  printHexString(f.env, scratch, n < kScratch ? n : kScratch);
}

// Characters of w bytes each, printed as hexadecimal octets, each character
// most significant byte first. They are converted in pieces through a
// scratch block of at most kWideScratch octets, so a string of any length
// asks for little memory; a hook sees the same calls as for one piece.
constexpr uint32_t kWideScratch = 4096;

void printWideChars(WalkFrame &f, uint32_t w) {
  Env *env = f.env;
  uint64_t full = uint64_t{lengthField(f)} * w;
  if (followData(f, static_cast<uint32_t>(full < UINT32_MAX ? full : UINT32_MAX)) == 0) full = 0;
  if (printedAsDeferred(f)) return;
  const unsigned char *data = f.own.base;
  uint64_t n = limitBelow(env, full) ? env->printLimit : full;
  n -= n % w;
  const auto size = static_cast<uint32_t>(n < kWideScratch ? n : kWideScratch);
  auto *block = static_cast<unsigned char *>(PrintScratch::take(env, size));
  if (block == nullptr) return;
  unsigned char buf[4];
  uint64_t done = 0;
  do {
    const auto piece = static_cast<uint32_t>(n - done < size ? n - done : size);
    for (uint32_t i = 0; i < piece; i += w)
      std::memcpy(block + i, bigEndianBytes(buf, data + done + i, static_cast<uint16_t>(w)), w);
    const char *prefix = done == 0 ? "'" : nullptr;
    done += piece;
    const char *suffix = done < n ? nullptr : full > n ? "...'H" : "'H";
    printHexOctets(env, prefix, block, static_cast<int>(piece), suffix);
  } while (done < n);
  PrintScratch::giveBack(env, block);
}

void printFixedChars(WalkFrame &f) {
  const int32_t maxLen = f.t->maxLen;
  const char *s = reinterpret_cast<const char *>(f.s);
  if (maxLen >= 0 && limitBelow(f.env, static_cast<uint32_t>(maxLen)))
    apiPrint(f.env, "\"%.*s ...\"", static_cast<int>(f.env->printLimit), s);
  else
    apiPrint(f.env, kFormats.quoted, maxLen, s);
}

void printArcArray(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  apiPrint(f.env, kFormats.open);
  printNumberList(f.env, f.s + t.dataOffset, static_cast<uint16_t>(loadInt(f.s, 2)),
                  static_cast<int16_t>(t.lenSize));
  apiPrint(f.env, " }");
}

void printArcList(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  apiPrint(f.env, kFormats.open);
  PrintCursor &own = f.fillOwn();
  LoopCheck loop;
  while (followLink(&own, t.dataOffset + static_cast<uint32_t>(t.count))) {
    if (loop.cameRound(own.blockRef)) leaveEndlessValue(f.env);
    f.moved = true;
    apiPrint(f.env, " %lu", static_cast<uint32_t>(loadUInt(own.base + t.dataOffset, t.lenSize)));
  }
  apiPrint(f.env, " }");
}

void printArcsByAddress(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  apiPrint(f.env, kFormats.open);
  // The count is signed; the block size asked for wraps as an unsigned size.
  auto count = static_cast<int32_t>(loadInt(f.s, 2));
  PrintCursor &own = f.fillOwn();
  own.offset += t.dataOffset;
  if (followLink(&own, static_cast<uint32_t>(t.lenSize * count)))
    f.moved = true;
  else
    count = 0;
  printNumberList(f.env, own.base, static_cast<uint16_t>(count), static_cast<int16_t>(t.lenSize));
  apiPrint(f.env, " }");
}

void printEncodedObjectId(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  uint32_t n = lengthField(f);
  if (t.maxLen != -1) {
    if (n > static_cast<uint32_t>(t.maxLen)) n = static_cast<uint32_t>(t.maxLen);
    printObjectId(f.env, f.s + t.dataOffset, n);
  } else {
    n = followData(f, n);
    printObjectId(f.env, f.own.base, n);
  }
}

void printEncodedValue(WalkFrame &f) {
  EncodedValue v;
  std::memcpy(&v, f.s, sizeof v);
  auto *third = f.s + offsetof(EncodedValue, octets);
  if ((f.t->typeFlags & TYPE_MAY_DEFER) != 0) {
    int k = apiDeferredKind(f.env, const_cast<unsigned char *>(v.octets));
    if (k != 0) {
      ApiWord handle;
      std::memcpy(&handle, third, sizeof handle);
      printDeferredValue(f.env, &handle, k);
      std::memcpy(third, &handle, sizeof handle);
      return;
    }
  }
  printHexString(f.env, v.octets, static_cast<int>(v.length));
}

// Kinds whose data lies behind an address at D: bits (3), octets (10, 20,
// 62) and characters (25).
void printByAddress(WalkFrame &f) {
  const uint32_t kind = f.t->kind;
  uint32_t n = lengthField(f);
  if (kind == KIND_BITS_PTR) n = (n + 7) / 8;
  n = followData(f, n);
  if (printedAsDeferred(f)) return;
  if (kind == KIND_CHARS_PTR)
    printQuotedChars(f.env, reinterpret_cast<const char *>(f.own.base), n);
  else
    printHexString(f.env, f.own.base, static_cast<int>(n));
}

}  // namespace

void printHexString(Env *env, const unsigned char *data, int n) {
  printHexOctets(env, "'", data, n, "'H");
}

void printQuotedChars(Env *env, const char *a, uint32_t n) {
  if (limitBelow(env, n))
    apiPrint(env, "\"%.*s ...\"", static_cast<int>(env->printLimit), a);
  else
    apiPrint(env, kFormats.quoted, static_cast<int>(n), a);
}

void printQuotedText(Env *env, const char *a) {
  if (limitBelow(env, std::strlen(a)))
    apiPrint(env, "\"%.*s ...\"", static_cast<int>(env->printLimit), a);
  else
    apiPrint(env, "\"%s\"", a);
}

uint32_t lengthField(const WalkFrame &f) {
  return static_cast<uint32_t>(loadUInt(f.s, f.t->lenSize));
}

uint32_t followData(WalkFrame &f, uint32_t n) {
  PrintCursor &own = f.fillOwn();
  own.offset += f.t->dataOffset;
  if (!followLink(&own, n)) return 0;
  f.moved = true;
  return n;
}

bool printedAsDeferred(WalkFrame &f) {
  if ((f.t->typeFlags & TYPE_MAY_DEFER) == 0) return false;
  int k = apiDeferredKind(f.env, f.own.base);
  if (k == 0) return false;
  auto handle = reinterpret_cast<ApiWord>(f.own.base);
  printDeferredValue(f.env, &handle, k);
  f.own.base = reinterpret_cast<unsigned char *>(handle);
  return true;
}

void printStringValue(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  Env *env = f.env;
  switch (t.kind) {
    case KIND_BITS_IN_INT:
      printBitsInInteger(f);
      return;
    case KIND_BITS_FIXED:
      printHexString(env, f.s, (t.maxLen + 7) / 8);
      return;
    case KIND_BITS_INLINE:
      printHexString(env, f.s + t.dataOffset, static_cast<int>((lengthField(f) + 7) / 8));
      return;
    case KIND_OCTETS_INLINE:
    case KIND_OCTETS_INLINE2:
      printHexString(env, f.s + t.dataOffset, static_cast<int>(lengthField(f)));
      return;
    case KIND_BITS_PTR:
    case KIND_OCTETS_PTR:
    case KIND_OCTETS_PTR2:
    case KIND_OCTETS_PTR3:
    case KIND_CHARS_PTR:
      printByAddress(f);
      return;
    case KIND_ENCODED:
      printEncodedValue(f);
      return;
    case KIND_BMP_STRING:
      printWideChars(f, 2);
      return;
    case KIND_UNIVERSAL_STRING:
      printWideChars(f, 4);
      return;
    case KIND_CHARS_FIXED:
      printFixedChars(f);
      return;
    case KIND_CHARS_INLINE:
      printQuotedChars(env, reinterpret_cast<const char *>(f.s + t.dataOffset), lengthField(f));
      return;
    case KIND_CHARS_NUL:
      printQuotedText(env, reinterpret_cast<const char *>(f.s));
      return;
    case KIND_OID_ARRAY:
      printArcArray(f);
      return;
    case KIND_OID_LIST:
      printArcList(f);
      return;
    case KIND_OID_PTR:
      printArcsByAddress(f);
      return;
    case KIND_OID_ENCODED:
      printEncodedObjectId(f);
      return;
    default:
      if (t.kind >= KIND_SEG_OCTETS_PTR && t.kind <= KIND_SEG2_OCTETS_PTR_B)
        printSegmentedValue(f);
      return;
  }
}

}  // namespace zur
