// BER tag/length lines: one line per tag of a component, outer tags as
// "constructed" lines, each one level deeper than the one before.
#include "enctrace/trace_lines.h"
#include "frame/print.h"

namespace zur {
namespace {

constexpr const char *kClassNames[4] = {"UNIVERSAL ", "APPLICATION ", "", "PRIVATE "};

const char *className(const TagLen &t) { return kClassNames[(t.tag >> 14) & 0x3]; }
int tagNumber(const TagLen &t) { return t.tag & 0x3FFF; }

void printLength(Env *env, const TagLen &t) {
  if (t.lenFlags & TAGLEN_DEFINITE)
    apiPrint(env, "%ld", t.length);
  else
    apiPrint(env, "indef");
}

}  // namespace

void traceBer(Env *env, const TraceRec *rec) {
  const auto *tags = static_cast<const TagLen *>(rec->tags);
  const int32_t last = rec->tagCount != 0 ? rec->tagCount - 1 : 0;
  int32_t i = 0;

  if (rec->depth != 0) apiPrint(env, "%*s", indentWidth(rec->depth), "");
  printComponentName(env, rec);
  if (last != 0) {
    if (showsIndex(rec)) apiPrint(env, ": ");
    while (i < last) {
      apiPrint(env, "tag = [%s%d] constructed; length = ", className(tags[i]), tagNumber(tags[i]));
      printLength(env, tags[i]);
      ++i;
      apiPrint(env, "\n%*s", indentWidth(rec->depth, 2 * i), "");
    }
  }
  if (rec->label != nullptr) apiPrint(env, "%s ", rec->label);
  if (rec->caption != nullptr) apiPrint(env, "%s", rec->caption);
  if (rec->tagCount != 0 && tags[i].tag != 0) {
    if (rec->caption != nullptr || showsIndex(rec)) apiPrint(env, ": ");
    apiPrint(env, "tag = [%s%d] %s; length = ", className(tags[i]), tagNumber(tags[i]),
             (rec->formFlags & TRACE_PRIMITIVE) ? "primitive" : "constructed");
    printLength(env, tags[i]);
  }
  if (rec->text[0] != '\0') apiPrint(env, "\n%*s%s", indentWidth(rec->depth, 2 * i + 2), "", rec->text);
  apiPrint(env, "\n");
}

}  // namespace zur
