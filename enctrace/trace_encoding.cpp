// apiTraceEncoding: turns one codec event into trace text.
#include <span>

#include "enctrace/trace_lines.h"
#include "frame/print.h"
#include "library/entry_points.h"

namespace zur {
namespace {

// One end-of-contents line per depth, each indented two blanks per level.
void traceEoc(Env *env, const TraceRec *rec) {
  const auto *depths = static_cast<const int32_t *>(rec->tags);
  if (depths == nullptr) return;
  for (int32_t j = 0; j < rec->tagCount; ++j) apiPrint(env, "%*s\n", indentWidth(depths[j], 3), "EOC");
}

void traceComponent(Env *env, const TraceRec *rec) {
  switch (env->encRules) {
    case RULES_BER:
    case RULES_DER:
      if (rec->tagCount > 0 && rec->tags == nullptr) break;  // a line without its tags
      traceBer(env, rec);
      break;
    case RULES_PER:
    case RULES_PER_ALIGNED:
      tracePer(env, rec);
      break;
    default:
      break;
  }
}

}  // namespace

void apiTraceEncoding(Env *env, const TraceRec *rec, ApiWord) {
  if (env == nullptr || rec == nullptr) return;  // no event to print, or nowhere to
  OutputScope output;
  switch (rec->eventKind) {
    case TRACE_EOC:
      traceEoc(env, rec);
      break;
    case TRACE_COMPONENT:
    case TRACE_COMPONENT2:
      traceComponent(env, rec);
      break;
    case TRACE_TEXT:
      apiPrint(env, "%s", rec->text);
      break;
    default:
      break;
  }
}

void printComponentName(Env *env, const TraceRec *rec) {
  if (rec->fieldName != nullptr)
    apiPrint(env, "%s ", rec->fieldName);
  else if (showsIndex(rec))
    apiPrint(env, "#%d ", rec->index);
}

}  // namespace zur
