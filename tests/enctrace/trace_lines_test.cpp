// apiTraceEncoding on records built from the fields a test sets, traced
// through a print hook that also keeps every format it is handed.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "library/entry_points.h"
#include "tests/support/test_env.h"

namespace {

std::string formats;  // of the last trace, each followed by '|'

int recordingHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  (formats += format) += '|';
  return zurtest::appendingHook(env, format, w0, w1, w2, w3, w4, w5, w6, w7, w8, w9);
}

// A BER tag/length entry: cls 0..3, definite unless indefinite is asked.
TagLen tagLen(unsigned cls, unsigned number, int32_t length, bool definite = true) {
  return TagLen{length, static_cast<uint16_t>((cls << 14) | number), 0,
                static_cast<uint8_t>(definite ? TAGLEN_DEFINITE : 0), {}};
}

// The TraceRec fields a test sets, in the order designated initializers need.
struct Rec {
  uint32_t kind = TRACE_COMPONENT;
  const char *field = nullptr, *label = nullptr, *caption = nullptr;
  int32_t index = 0, noIndex = 0, depth = 0;
  std::vector<TagLen> tags = {};
  bool primitive = false;
  int32_t perItem = 0, perValue = 0, encoded = 0, fragment = -1;
  const char *text = "";
  std::vector<int32_t> eocDepths = {};  // the tags of an EOC event
  int32_t tagCount = -1;                // -1: as many as tags or eocDepths hold
};

// The text that reaches the print hook under the given rules.
std::string traceText(const Rec &r, int32_t rules) {
  struct {
    TraceRec rec;
    char room[128];  // the inline text runs on past rec.text
  } e{};
  const bool eoc = r.kind == TRACE_EOC;
  const auto count = static_cast<int32_t>(eoc ? r.eocDepths.size() : r.tags.size());
  // TraceRec's fields in their order, the reserved ones 0.
  e.rec = {r.kind, 0, r.field, r.label, r.caption, 0, r.tagCount != -1 ? r.tagCount : count,
           eoc ? static_cast<const void *>(r.eocDepths.data()) : r.tags.data(), r.perItem,
           static_cast<uint8_t>(r.encoded), {}, r.perValue, r.fragment, r.noIndex, r.index,
           r.depth, r.primitive ? uint8_t{TRACE_PRIMITIVE} : uint8_t{0}, {}, {}};
  std::memcpy(reinterpret_cast<char *>(&e) + offsetof(TraceRec, text), r.text,
              std::strlen(r.text) + 1);
  zurtest::TestEnv env;
  env->encRules = rules;
  formats.clear();
  env.captureWithHook();
  zurcoreSetPrintHook(env.get(), recordingHook);
  zur::apiTraceEncoding(env.get(), &e.rec, 0);
  return zurtest::hookText();
}

TEST(TraceLines, EveryLineFormUnderTheRulesThatPrintIt) {
  const struct {
    const char *name;
    int32_t rules;
    Rec rec;
    const char *want;
    const char *formats = nullptr;  // checked when given
  } cases[] = {
      {"BER: outer tag line, then the innermost one level deeper", 0,
       {.field = "a", .caption = "INTEGER", .depth = 1, .tags = {tagLen(2, 0, 5), tagLen(0, 2, 1)},
        .primitive = true},
       "  a tag = [0] constructed; length = 5\n"
       "    INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n",
       "%*s|%s |tag = [%s%d] constructed; length = |%ld|\n%*s|%s|: |tag = [%s%d] %s; length = "
       "|%ld|\n|"},
      {"BER: three tags indent each further line; lengths are signed", 0,
       {.tags = {tagLen(1, 3, 9), tagLen(2, 1, 7, false), tagLen(0, 16, -2)}},
       "tag = [APPLICATION 3] constructed; length = 9\n"
       "  tag = [1] constructed; length = indef\n"
       "    tag = [UNIVERSAL 16] constructed; length = -2\n"},
      {"BER: indefinite length prints indef", 0,
       {.caption = "SET", .tags = {tagLen(0, 17, 123, false)}},
       "SET: tag = [UNIVERSAL 17] constructed; length = indef\n",
       "%s|: |tag = [%s%d] %s; length = |indef|\n|"},
      {"BER: extra text one level below the last tag line", 0,
       {.caption = "INTEGER", .depth = 1, .tags = {tagLen(2, 1, 3), tagLen(0, 2, 1)},
        .primitive = true, .text = "value 5"},
       "  tag = [1] constructed; length = 3\n"
       "    INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
       "      value 5\n",
       "%*s|tag = [%s%d] constructed; length = |%ld|\n%*s|%s|: |tag = [%s%d] %s; length = "
       "|%ld|\n%*s%s|\n|"},
      {"BER: zero tag word prints only the name parts", 0,
       {.label = "lbl", .caption = "NULL", .index = 2, .tags = {tagLen(0, 0, 2)}}, "#2 lbl NULL\n"},
      {"BER: no tags", 0, {.field = "f", .depth = 2}, "    f \n"},
      {"BER: separator after the name and after the number", 0,
       {.field = "f", .index = 2, .tags = {tagLen(2, 0, 4), tagLen(0, 4, 2)}},
       "f : tag = [0] constructed; length = 4\n"
       "  : tag = [UNIVERSAL 4] constructed; length = 2\n"},
      {"BER: noIndex hides number and separators", 0,
       {.label = "L", .index = 5, .noIndex = 1, .tags = {tagLen(2, 0, 4), tagLen(0, 4, 2)}},
       "tag = [0] constructed; length = 4\n"
       "  L tag = [UNIVERSAL 4] constructed; length = 2\n"},
      {"PER: total length ignores every name part", 1,
       {.field = "f", .caption = "T", .depth = 3, .perItem = PER_TOTAL_LENGTH, .perValue = 19,
        .text = "x"},
       "Total PDV length = 2.3\n", "Total PDV length = %ld.%ld\n|"},
      {"PER: length not encoded; negative bits truncate toward zero", 1,
       {.perItem = PER_LENGTH, .perValue = -9}, " [length (not encoded) = -1.-1]\n"},
      {"PER: length with fragment 0", 1,
       {.perItem = PER_LENGTH, .perValue = 8 * 1000 + 7, .encoded = 1, .fragment = 0},
       " [length = 1000.7 fragment = 0]\n"},
      {"PER: count not encoded", 1, {.index = 2, .perItem = PER_COUNT, .perValue = 3},
       "#2  [count (not encoded) = 3]\n"},
      {"PER: count", 1, {.index = 2, .perItem = PER_COUNT, .perValue = 3, .encoded = 1},
       "#2  [count = 3]\n"},
      {"PER: index", 1, {.label = "choice", .perItem = PER_INDEX, .perValue = 1},
       "choice  [index = 1]\n"},
      {"PER: a field count always shows as not encoded", 1,
       {.caption = "SEQUENCE", .perItem = PER_FIELD_COUNT, .perValue = 4, .encoded = 1},
       "SEQUENCE [fieldcount (not encoded) = 4]\n"},
      {"PER: not encoded", 1, {.field = "opt", .perItem = PER_NOT_ENCODED}, "opt  [not encoded]\n"},
      {"PER: not encoded, value -1", 1,
       {.field = "opt", .perItem = PER_NOT_ENCODED, .perValue = -1}, "opt \n"},
      {"PER: unknown item", 1, {.caption = "T", .perItem = 6, .perValue = 5}, "T\n"},
      {"PER: indented text; no number beside an identifier", 1,
       {.field = "n", .caption = "C", .index = 7, .depth = 2, .perItem = PER_INDEX, .text = "more"},
       "    n C [index = 0]\n      more\n", "%*s|%s |%s| [index = %d]|\n%*s%s|\n|"},
      {"PER: noIndex hides the number; tags are never read", 2,
       {.index = 4, .noIndex = 1, .perItem = PER_INDEX, .perValue = 9, .tagCount = 5},
       " [index = 9]\n"},
      {"EOC: one line per depth whatever the rules", 2,
       {.kind = TRACE_EOC, .eocDepths = {0, 2}}, "EOC\n    EOC\n", "%*s\n|%*s\n|"},
      {"EOC: no depths", 0, {.kind = TRACE_EOC}, ""},
      {"free text as given without new line", 3, {.kind = TRACE_TEXT, .text = "100% free"},
       "100% free", "%s|"},
      {"unknown kind 4", 0, {.kind = 4, .text = "text"}, ""},
      {"unknown kind 0xFFFFFFFF", 0, {.kind = 0xFFFFFFFFu, .text = "text"}, ""},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(traceText(c.rec, c.rules), c.want) << c.name;
    if (c.formats != nullptr) {
      EXPECT_EQ(formats, c.formats) << c.name;
    }
  }
  for (int32_t item : {0, 1, 2, 4, 6})
    EXPECT_EQ(traceText({.caption = "T", .perItem = item, .perValue = -1}, 1),
              "T [encode/decode error]\n")
        << "item " << item;
  // Component events under every rules code.
  for (uint32_t kind : {TRACE_COMPONENT, TRACE_COMPONENT2}) {
    for (int32_t rules : {0, 1, 2, 3, 4, 5, -1}) {
      const bool ber = rules == 0 || rules == 4, per = rules == 1 || rules == 2;
      EXPECT_EQ(traceText({.kind = kind, .caption = "INTEGER", .tags = {tagLen(0, 2, 1)},
                           .primitive = true, .perItem = PER_INDEX, .perValue = 4},
                          rules),
                ber   ? "INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
                : per ? "INTEGER [index = 4]\n"
                      : "")
          << kind << " " << rules;
      EXPECT_EQ(formats.empty(), !ber && !per);
    }
  }
}

}  // namespace

namespace {

std::vector<int32_t> widths;  // the width words of the "%*s" calls of the last trace

int widthHook(Env *, const char *format, ApiWord w0, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord,
              ApiWord, ApiWord, ApiWord) {
  if (std::strstr(format, "%*s") != nullptr) widths.push_back(static_cast<int32_t>(w0));
  return 0;
}

// The indentation is two blanks a level worked out as a 32-bit word: a depth
// no codec reaches wraps instead of overflowing. An event without an Env,
// itself or its tags prints nothing.
TEST(TraceLines, IndentationWrapsAsAThirtyTwoBitWord) {
  for (int32_t rules : {RULES_BER, RULES_PER}) {
    TagLen tags[2] = {tagLen(2, 1, 5), tagLen(0, 2, 3)};
    struct {
      TraceRec rec;
      char room[8];
    } e{};
    e.rec.eventKind = TRACE_COMPONENT;
    e.rec.tagCount = 2;
    e.rec.tags = tags;
    e.rec.depth = 0x40000001;
    std::memcpy(reinterpret_cast<char *>(&e) + offsetof(TraceRec, text), "v", 2);
    zurtest::TestEnv env;
    env->encRules = rules;
    zurcoreSetPrintHook(env.get(), widthHook);
    widths.clear();
    zur::apiTraceEncoding(nullptr, &e.rec, 0);  // neither an Env nor an event:
    zur::apiTraceEncoding(env.get(), nullptr, 0);  // nothing, rather than a fault
    e.rec.tags = nullptr;  // read under BER only
    if (rules == RULES_BER) zur::apiTraceEncoding(env.get(), &e.rec, 0);
    e.rec.tags = tags;
    zur::apiTraceEncoding(env.get(), &e.rec, 0);
    const std::vector<int32_t> want = rules == RULES_BER ? std::vector<int32_t>{-2147483646, -2147483644, -2147483642}
                                                         : std::vector<int32_t>{-2147483646, -2147483644};
    EXPECT_EQ(widths, want) << rules;
  }
}

}  // namespace
