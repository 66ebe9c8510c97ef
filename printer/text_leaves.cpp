// Line breaks, hexadecimal octets, number lists and quoted texts.
#include <cstdint>
#include <cstring>

#include "frame/print.h"
#include "printer/leaf_format.h"

namespace zur {

namespace {

// Out of line: the usual path below then saves no registers for it.
[[gnu::noinline]] void printIndentLine(Env *env, int32_t indent) {
  apiPrint(env, kFormats.indent, 2 * indent, "");
}

// A line break for the hook, out of line: a tail call from printNewline,
// which then sets up no frame for it.
[[gnu::noinline]] void hookIndentLine(PrintHookFn hook, Env *env, int32_t indent) {
  callPrintHook(hook, env, kFormats.indent, 2 * indent, "");
}

}  // namespace

void printNewline(Env *env, int back) {
  // A line break comes several times per value printed: a hook is called
  // here, without a second look-up, and standard output takes the text of
  // the format without it.
  const int32_t indent = newlineIndent(env->workArea, back);
  if (PrintHookFn hook = printHookOf(env); hook != nullptr)
    hookIndentLine(hook, env, indent);
  else if (OutputScope *out = directOutput(env); out != nullptr && indent >= 0 && indent <= kDirectIndent)
    out->putLineBreak(2 * static_cast<std::size_t>(indent));
  else
    printIndentLine(env, indent);
}

void printHexOctets(Env *env, const char *prefix, const unsigned char *octets, int count,
                    const char *suffix) {
  int n = env->printLimit != 0 && static_cast<int64_t>(env->printLimit) < count
              ? static_cast<int>(env->printLimit)
              : count;
  if (prefix != nullptr) apiPrint(env, kFormats.text, prefix);
  if (OutputScope *out = directOutput(env); out != nullptr && n > 0)
    out->putHexOctets(octets, static_cast<std::size_t>(n));
  else
    for (int i = 0; i < n; ++i) apiPrint(env, kFormats.octet, static_cast<unsigned>(octets[i]));
  if (suffix == nullptr) return;
  if (n < count)
    apiPrint(env, " ...%s", suffix);
  else
    apiPrint(env, kFormats.text, suffix);
}

// Every width from 1 to 8 is read as an unsigned integer of exactly that
// many bytes in machine order, of which the low 32 bits are printed (" %lu"
// for width 8, as for the other widths " %u"); any other width prints nothing.
void printNumberList(Env *env, const void *elements, uint16_t count, int16_t width) {
  if (width < 1 || width > 8) return;
  auto *p = static_cast<const unsigned char *>(elements);
  const PrintFormat format = width == 8 ? PrintFormat(" %lu") : PrintFormat(" %u");
  const auto w = static_cast<std::size_t>(width);
  for (unsigned i = 0; i < count; ++i, p += w) {
    uint32_t low = 0;
    std::memcpy(&low, p, w < sizeof low ? w : sizeof low);
    apiPrint(env, format, low);
  }
}

void printQuotedString(Env *env, const char *s) {
  apiPrint(env, "\"%s\"", s != nullptr ? s : "NULL");
}

}  // namespace zur
