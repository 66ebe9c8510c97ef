#include <gtest/gtest.h>

#include "tests/enctrace/trace_capture.h"

namespace {

using zurtest::traceText;

TEST(PerLines, EveryItemForm) {
  const struct {
    const char *name;
    zurtest::Rec rec;
    const char *want;
    int32_t rules = 1;
  } cases[] = {
      {"total length ignores every name part",
       {.field = "f", .caption = "T", .depth = 3, .perItem = PER_TOTAL_LENGTH, .perValue = 19,
        .text = "x"},
       "Total PDV length = 2.3\n"},
      {"length not encoded",
       {.field = "data", .caption = "OCTET STRING", .perItem = PER_LENGTH, .perValue = 16},
       "data OCTET STRING [length (not encoded) = 2.0]\n"},
      {"length with fragment",
       {.field = "data", .caption = "OCTET STRING", .perItem = PER_LENGTH,
        .perValue = 8 * 1000 + 7, .encoded = 1, .fragment = 2},
       "data OCTET STRING [length = 1000.7 fragment = 2]\n"},
      {"fragment 0 shows",
       {.field = "data", .caption = "OCTET STRING", .perItem = PER_LENGTH, .encoded = 1,
        .fragment = 0},
       "data OCTET STRING [length = 0.0 fragment = 0]\n"},
      {"negative bits truncate toward zero", {.perItem = PER_LENGTH, .perValue = -9, .encoded = 1},
       " [length = -1.-1]\n"},
      {"negative bits under an octet", {.perItem = PER_LENGTH, .perValue = -2, .encoded = 1},
       " [length = 0.-2]\n"},
      {"count not encoded", {.index = 2, .perItem = PER_COUNT, .perValue = 3},
       "#2  [count (not encoded) = 3]\n"},
      {"count", {.index = 2, .perItem = PER_COUNT, .perValue = 3, .encoded = 1},
       "#2  [count = 3]\n"},
      {"index", {.label = "choice", .perItem = PER_INDEX, .perValue = 1}, "choice  [index = 1]\n"},
      {"a field count always shows as not encoded",
       {.caption = "SEQUENCE", .perItem = PER_FIELD_COUNT, .perValue = 4, .encoded = 1},
       "SEQUENCE [fieldcount (not encoded) = 4]\n"},
      {"not encoded", {.field = "opt", .perItem = PER_NOT_ENCODED}, "opt  [not encoded]\n"},
      {"not encoded, value -1", {.field = "opt", .perItem = PER_NOT_ENCODED, .perValue = -1},
       "opt \n"},
      {"unknown item", {.caption = "T", .perItem = 6, .perValue = 5}, "T\n"},
      {"extra text", {.caption = "C", .perItem = PER_INDEX, .text = "more"},
       "C [index = 0]\n  more\n"},
      {"indented; no number beside an identifier",
       {.field = "n", .caption = "C", .index = 7, .depth = 2, .perItem = PER_INDEX, .text = "more"},
       "    n C [index = 0]\n      more\n"},
      {"noIndex hides the number; tags are never read",
       {.index = 4, .noIndex = 1, .perItem = PER_INDEX, .perValue = 9, .tagCount = 5},
       " [index = 9]\n", 2},
  };
  for (const auto &c : cases) EXPECT_EQ(traceText(c.rec, c.rules), c.want) << c.name;
  for (int32_t item : {0, 1, 2, 4, 6})
    EXPECT_EQ(traceText({.caption = "T", .perItem = item, .perValue = -1}, 1),
              "T [encode/decode error]\n")
        << "item " << item;
}

TEST(PerLines, Formats) {
  traceText({.caption = "C", .depth = 2, .perItem = PER_INDEX}, 1);
  EXPECT_EQ(zurtest::seenFormats().front(), "%*s");
  traceText({.field = "f", .depth = 3, .perItem = PER_TOTAL_LENGTH, .perValue = 19}, 1);
  EXPECT_EQ(zurtest::seenFormats(), std::vector<std::string>{"Total PDV length = %ld.%ld\n"});
}

}  // namespace
