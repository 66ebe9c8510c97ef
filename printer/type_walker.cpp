// The type walker: cursor handling, pointer following, the kind dispatch and
// the constructed, numeric and other scalar kinds.
#include <cstring>

#include "frame/force_inline.h"
#include "frame/print.h"
#include "printer/leaf_format.h"
#include "printer/print_guard.h"
#include "printer/service_calls.h"
#include "printer/value_access.h"
#include "printer/walk_frame.h"

namespace zur {
namespace {

unsigned char *valueAddress(const PrintCursor &c) {
  return reinterpret_cast<unsigned char *>(reinterpret_cast<uintptr_t>(c.base) + c.offset);
}

void printReal(Env *env, const TypeDesc &t, const unsigned char *s) {
  double x;
  if (t.size > 4) {
    std::memcpy(&x, s, sizeof x);
  } else {
    float v;
    std::memcpy(&v, s, sizeof v);
    x = v;
  }
  printBinaryReal(env, x);
}

// The kinds whose value is read where it lies, with nothing to follow or
// walk; false, printing nothing, for any other kind.
ZUR_FORCE_INLINE inline bool printScalar(const CtlTbl *ctl, const TypeDesc &t, Env *env,
                                               const unsigned char *s) {
  switch (t.kind) {
    case KIND_INTEGER:
      if (s != nullptr) apiPrint(env, kFormats.signed64, loadInt(s, t.lenSize));
      return true;
    case KIND_ENUMERATED:
      if (s != nullptr)
        apiPrint(env, kFormats.signed64, ctlMapEnum(ctl, &t, loadInt(s, t.lenSize)));
      return true;
    case KIND_UNSIGNED:
      if (s != nullptr) apiPrint(env, "%I64u", loadUInt(s, t.lenSize));
      return true;
    case KIND_ENUMERATED_UNSIGNED:
      if (s != nullptr)
        apiPrint(env, "%I64u",
                 static_cast<uint64_t>(
                     ctlMapEnum(ctl, &t, static_cast<int64_t>(loadUInt(s, t.lenSize)))));
      return true;
    case KIND_NULL:
      if (s != nullptr) apiPrint(env, "NULL");
      return true;
    case KIND_BOOLEAN:
      if (s != nullptr) apiPrint(env, kFormats.text, *s != 0 ? "TRUE" : "FALSE");
      return true;
    case KIND_REAL:
      if (s != nullptr) printReal(env, t, s);
      return true;
    case KIND_REAL_TEXT:
      if (s != nullptr) printQuotedString(env, reinterpret_cast<const char *>(s));
      return true;
    case KIND_MIXED_REAL:
      if (s != nullptr) printMixedReal(env, reinterpret_cast<const MixedReal *>(s));
      return true;
    case KIND_UTC_TIME:
      if (s != nullptr) printUTCTime(env, reinterpret_cast<const TimeValue *>(s));
      return true;
    case KIND_GENERALIZED_TIME:
      if (s != nullptr) printGeneralizedTime(env, reinterpret_cast<const TimeValue *>(s));
      return true;
    case KIND_UNREAD49:
    case KIND_UNREAD50:
    case KIND_UNREAD52:
    case KIND_UNREAD61:
      return true;
    default:
      return false;
  }
}

// A value with its own frame: every kind but the leaves printScalar takes.
void printFramed(const CtlTbl *ctl, const TypeDesc *td, PrintCursor *cursor, uint8_t inList);

// printValue, with the leaves that lie at the cursor printed in place: most
// members need no frame and no call.
ZUR_FORCE_INLINE inline void printMember(const CtlTbl *ctl, const TypeDesc *td,
                                               PrintCursor *cursor, uint8_t inList) {
  Env *env = cursor->env;
  if (++env->workArea.printDepth > kMaxPrintDepth) leaveEndlessValue(env);
  if ((td->typeFlags & TYPE_BY_POINTER) == 0 && printScalar(ctl, *td, env, valueAddress(*cursor))) {
    --env->workArea.printDepth;
    return;
  }
  printFramed(ctl, td, cursor, inList);
}

// "{" or "," through apiPrint, then the line break: printItemBreak's path
// for anything but standard output at a usual depth.
[[gnu::noinline]] void printItemBreakByCalls(Env *env, bool first) {
  if (first)
    apiPrint(env, kFormats.open);
  else
    apiPrint(env, kFormats.comma);
  printNewline(env, 0);
}

// "{" before the first component or element, "," before each further one,
// then a new line at the value's depth. A hook gets the two calls from here,
// each with its own look-up (the line break's without printNewline's call
// and frame: some nine instructions less per item); on standard output one
// look-up serves both, since nothing between the two texts can install a
// hook.
ZUR_FORCE_INLINE inline void printItemBreak(Env *env, bool first) {
  if (PrintHookFn hook = printHookOf(env); hook != nullptr) {
    callPrintHook(hook, env, first ? kFormats.open : kFormats.comma);
    const int32_t indent = newlineIndent(env->workArea, 0);
    if (hook = printHookOf(env); hook != nullptr)
      callPrintHook(hook, env, kFormats.indent, 2 * indent, "");
    else
      printNewline(env, 0);
    return;
  }
  const int32_t indent = newlineIndent(env->workArea, 0);
  OutputScope *out = directOutput(env);
  if (out == nullptr || indent < 0 || indent > kDirectIndent) return printItemBreakByCalls(env, first);
  out->putMarkedLineBreak(first ? '{' : ',', 2 * static_cast<std::size_t>(indent));
}

// The line break and "}" through apiPrint: printValueEnd's path for anything
// but standard output at a usual depth.
[[gnu::noinline]] void printValueEndByCalls(Env *env) {
  printNewline(env, 1);
  apiPrint(env, kFormats.close);
}

// "{" when the value had no item, then "}" on a line of its own a step above
// the value's depth. As for printItemBreak, a hook gets the line break from
// here after a look-up of its own, and standard output stores the line break
// and the brace together.
ZUR_FORCE_INLINE inline void printValueEnd(Env *env, bool first) {
  if (first) apiPrint(env, kFormats.open);
  if (PrintHookFn hook = printHookOf(env); hook != nullptr) {
    callPrintHook(hook, env, kFormats.indent, 2 * newlineIndent(env->workArea, 1), "");
    apiPrint(env, kFormats.close);
    return;
  }
  const int32_t indent = newlineIndent(env->workArea, 1);
  OutputScope *out = directOutput(env);
  if (out == nullptr || indent < 0 || indent > kDirectIndent) return printValueEndByCalls(env);
  out->putLineBreakThen('}', 2 * static_cast<std::size_t>(indent));
}

void printSequence(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  Env *env = f.env;
  if (f.inList == 0) printNewline(env, 1);
  PrintCursor &own = f.fillOwn();
  bool first = true;
  for (int32_t i = 0; i < t.count; ++i) {
    const FieldDesc *c = ctlComponent(f.ctl, &t, i);
    if (!ctlComponentPresent(c, f.s, t.lenSize, valueAddress(own) + c->offset)) continue;
    printItemBreak(env, first);
    first = false;
    apiPrint(env, kFormats.name, ctlComponentName(f.ctl, c));
    own.offset += c->offset;
    printMember(f.ctl, ctlType(f.ctl, c->type), &own, 0);
    own.offset -= c->offset;
  }
  printValueEnd(env, first);
}

// Compilers may leave count 0 for a CHOICE; then the selector is trusted with
// no upper bound and a record beyond the table faults into the driver's guard.
// A positive count bounds it: a selector outside 1..count prints nothing.
void printChoice(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  auto sel = static_cast<int32_t>(loadInt(f.s, t.lenSize));
  if (sel < 1 || (t.count > 0 && sel > t.count)) return;
  const FieldDesc *c = ctlComponent(f.ctl, &t, sel - 1);
  apiPrint(f.env, "%s : ", ctlComponentName(f.ctl, c));
  PrintCursor &own = f.fillOwn();
  own.offset += c->offset;
  printValue(f.ctl, ctlType(f.ctl, c->type), &own, 0);
}

void printSequenceOf(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  Env *env = f.env;
  const TypeDesc *element = ctlElementType(f.ctl, &t);
  if (f.inList == 0) printNewline(env, 1);
  bool first = true;
  if (listLinkSize(&t) != 0) {
    PrintCursor &cur = f.fillOwn();
    LoopCheck loop;
    while (followLink(&cur, t.dataOffset + static_cast<uint32_t>(t.count))) {
      if (loop.cameRound(cur.blockRef)) leaveEndlessValue(env);
      f.moved = true;
      printItemBreak(env, first);
      first = false;
      cur.offset += t.dataOffset;
      printValue(f.ctl, element, &cur, 1);
      cur.offset -= t.dataOffset;
    }
  } else {
    auto n = static_cast<int32_t>(loadUInt(f.s, t.lenSize));
    PrintCursor &cur = f.fillOwn();
    cur.offset += t.dataOffset;
    f.current = &cur;
    if (t.kind == KIND_SEQOF_PTR_ARRAY || t.kind == KIND_SETOF_PTR_ARRAY) {
      if (followLink(&cur, t.size))
        f.moved = true;
      else
        n = 0;
    }
    for (int32_t i = 0; i < n; ++i) {
      printItemBreak(env, first);
      first = false;
      printMember(f.ctl, element, &cur, 1);
      cur.offset += static_cast<uint32_t>(t.count);
    }
  }
  printValueEnd(env, first);
}

// printScalar for a value reached through an address, out of line: its
// calls' words then take no room in the frame of every nesting level.
[[gnu::noinline]] bool printHeldScalar(const WalkFrame &f) {
  return printScalar(f.ctl, *f.t, f.env, f.s);
}

// Inlined into printFramed, its one caller: a frame then costs one call.
ZUR_FORCE_INLINE inline void dispatch(WalkFrame &f) {
  const TypeDesc &t = *f.t;
  switch (t.kind) {
    case KIND_SEQUENCE:
    case KIND_SET:
    case KIND_SEQUENCE_EXT:
    case KIND_SET_EXT:
      printSequence(f);
      return;
    case KIND_CHOICE:
      printChoice(f);
      return;
    case KIND_SEQOF_ARRAY:
    case KIND_SEQOF_LIST:
    case KIND_SEQOF_PTR_ARRAY:
    case KIND_SETOF_ARRAY:
    case KIND_SETOF_LIST:
    case KIND_SETOF_PTR_ARRAY:
    case KIND_SEQOF_LIST2:
    case KIND_SETOF_LIST2:
      printSequenceOf(f);
      return;
    default:
      // printMember has tried the scalar kinds of a value not held through
      // an address.
      if ((t.typeFlags & TYPE_BY_POINTER) != 0 && printHeldScalar(f)) return;
      if (t.kind <= KIND_OID_ENCODED) printStringValue(f);
      return;
  }
}

// Entered with printDepth already counting the value.
void printFramed(const CtlTbl *ctl, const TypeDesc *td, PrintCursor *cursor, uint8_t inList) {
  Env *env = cursor->env;
  WalkFrame f(ctl, td, cursor, inList);

  if ((td->typeFlags & TYPE_BY_POINTER) != 0) {
    void *p = loadAddress(valueAddress(*cursor));
    f.own.env = cursor->env;
    f.own.blockRef = p;
    f.own.offset = 0;
    if (p != nullptr) {
      f.moved = true;
      f.own.blockSize = td->size;
      f.own.base = remapValue(env, cursor->blockRef, p, td->size);
    } else {
      f.own.base = nullptr;
    }
    f.current = &f.own;
  }

  f.s = valueAddress(*f.current);
  if (f.s != nullptr) dispatch(f);

  if (f.moved)
    cursor->base = remapValue(env, f.own.blockRef, cursor->blockRef, cursor->blockSize);
  --env->workArea.printDepth;
}

}  // namespace

void printValue(const CtlTbl *ctl, const TypeDesc *td, PrintCursor *cursor, uint8_t inList) {
  printMember(ctl, td, cursor, inList);
}

}  // namespace zur
