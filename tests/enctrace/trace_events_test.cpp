#include <gtest/gtest.h>

#include "tests/enctrace/trace_capture.h"

namespace {

using zurtest::seenFormats;
using zurtest::tagLen;
using zurtest::traceText;

TEST(TraceEvents, EocLinesOnePerDepthWhateverTheRules) {
  EXPECT_EQ(traceText({.kind = TRACE_EOC, .eocDepths = {0, 2}}), "EOC\n    EOC\n");
  EXPECT_EQ(seenFormats(), (std::vector<std::string>{"%*s\n", "%*s\n"}));
  EXPECT_EQ(traceText({.kind = TRACE_EOC}), "");
  EXPECT_EQ(traceText({.kind = TRACE_EOC}, 1), "");
  EXPECT_EQ(traceText({.kind = TRACE_EOC, .eocDepths = {0}}, 2), "EOC\n");
}

TEST(TraceEvents, FreeTextIsPrintedAsGivenWithoutNewLine) {
  EXPECT_EQ(traceText({.kind = TRACE_TEXT, .text = "100% free"}, 3), "100% free");
  EXPECT_EQ(seenFormats(), std::vector<std::string>{"%s"});
  for (uint32_t kind : {4u, 0xFFFFFFFFu})  // unknown kinds print nothing
    EXPECT_EQ(traceText({.kind = kind, .text = "text"}), "") << kind;
}

TEST(TraceEvents, ComponentKindsFollowTheRules) {
  const std::string ber = "INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n";
  const std::string per = "INTEGER [index = 4]\n";
  for (uint32_t kind : {TRACE_COMPONENT, TRACE_COMPONENT2}) {
    const zurtest::Rec rec{.kind = kind, .caption = "INTEGER", .tags = {tagLen(0, 2, 1)},
                           .primitive = true, .perItem = PER_INDEX, .perValue = 4};
    for (int32_t rules : {0, 1, 2, 3, 4, 5, -1}) {
      const bool isBer = rules == 0 || rules == 4, isPer = rules == 1 || rules == 2;
      EXPECT_EQ(traceText(rec, rules), isBer ? ber : isPer ? per : "") << kind << " " << rules;
      EXPECT_EQ(seenFormats().empty(), !isBer && !isPer);
    }
  }
}

}  // namespace
