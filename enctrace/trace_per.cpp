// PER field lines: the component's name parts and, in brackets, the PER item
// encoded or decoded for it. Bit counts show as octets.bits.
#include "enctrace/trace_lines.h"
#include "frame/print.h"

namespace zur {
namespace {

// Truncating signed division, so -9 bits show as -1.-1.
void printBits(Env *env, PrintFormat format, int32_t bits) {
  apiPrint(env, format, bits / 8, bits % 8);
}

void printItem(Env *env, const TraceRec *rec) {
  if (rec->perItem == PER_NOT_ENCODED) {
    if (rec->perValue != -1) apiPrint(env, " [not encoded]");
    return;
  }
  if (rec->perValue == -1) {
    apiPrint(env, " [encode/decode error]");
    return;
  }
  switch (rec->perItem) {
    case PER_LENGTH:
      apiPrint(env, " [length ");
      if (rec->encoded == 0) apiPrint(env, "(not encoded) ");
      printBits(env, "= %ld.%ld", rec->perValue);
      if (rec->fragment != -1)
        apiPrint(env, " fragment = %d]", rec->fragment);
      else
        apiPrint(env, "]");
      break;
    case PER_FIELD_COUNT:
      apiPrint(env, " [fieldcount (not encoded) = %d]", rec->perValue);
      break;
    case PER_COUNT:
      apiPrint(env, " [count ");
      if (rec->encoded == 0) apiPrint(env, "(not encoded) ");
      apiPrint(env, "= %d]", rec->perValue);
      break;
    case PER_INDEX:
      apiPrint(env, " [index = %d]", rec->perValue);
      break;
    default:
      break;
  }
}

}  // namespace

void tracePer(Env *env, const TraceRec *rec) {
  if (rec->perItem == PER_TOTAL_LENGTH) {
    printBits(env, "Total PDV length = %ld.%ld\n", rec->perValue);
    return;
  }
  if (rec->depth != 0) apiPrint(env, "%*s", indentWidth(rec->depth), "");
  printComponentName(env, rec);
  if (rec->label != nullptr) apiPrint(env, "%s ", rec->label);
  if (rec->caption != nullptr) apiPrint(env, "%s", rec->caption);
  printItem(env, rec);
  if (rec->text[0] != '\0') apiPrint(env, "\n%*s%s", indentWidth(rec->depth, 2), "", rec->text);
  apiPrint(env, "\n");
}

}  // namespace zur
