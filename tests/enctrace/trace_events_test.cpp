#include <gtest/gtest.h>

#include "frame/entry_points.h"
#include "tests/enctrace/trace_capture.h"
#include "tests/support/captured_output.h"

namespace {

using zurtest::tagLen;
using zurtest::traceText;
using zurtest::TraceEvent;

TEST(TraceEvents, EocLinesOnePerDepth) {
  TraceEvent e;
  e.rec.eventKind = TRACE_EOC;
  const int32_t depths[] = {0, 2};
  e.rec.tags = depths;
  e.rec.tagCount = 2;
  EXPECT_EQ(traceText(e.rec), "EOC\n    EOC\n");
  EXPECT_EQ(zurtest::seenFormats(), (std::vector<std::string>{"%*s\n", "%*s\n"}));
  e.rec.tagCount = 0;
  EXPECT_EQ(traceText(e.rec), "");
  EXPECT_EQ(traceText(e.rec, 1), "");
  e.rec.tagCount = 1;
  EXPECT_EQ(traceText(e.rec, 2), "EOC\n");  // whatever the rules
}

TEST(TraceEvents, FreeTextIsPrintedAsGivenWithoutNewLine) {
  TraceEvent e;
  e.rec.eventKind = TRACE_TEXT;
  e.setText("100% free");
  EXPECT_EQ(traceText(e.rec, 3), "100% free");
  EXPECT_EQ(zurtest::seenFormats(), std::vector<std::string>{"%s"});
}

TEST(TraceEvents, UnknownKindsPrintNothing) {
  TraceEvent e;
  e.rec.eventKind = 4;
  e.setText("text");
  EXPECT_EQ(traceText(e.rec), "");
  e.rec.eventKind = 0xFFFFFFFFu;
  EXPECT_EQ(traceText(e.rec), "");
}

TEST(TraceEvents, ComponentKindsFollowTheRules) {
  const TagLen tag = tagLen(0, 2, 1);
  TraceEvent e;
  e.rec.tags = &tag;
  e.rec.tagCount = 1;
  e.rec.caption = "INTEGER";
  e.rec.formFlags = TRACE_PRIMITIVE;
  e.rec.perItem = PER_INDEX;
  e.rec.perValue = 4;
  const std::string ber = "INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n";
  const std::string per = "INTEGER [index = 4]\n";
  for (uint32_t kind : {TRACE_COMPONENT, TRACE_COMPONENT2}) {
    e.rec.eventKind = kind;
    EXPECT_EQ(traceText(e.rec, 0), ber);
    EXPECT_EQ(traceText(e.rec, 4), ber);
    EXPECT_EQ(traceText(e.rec, 1), per);
    EXPECT_EQ(traceText(e.rec, 2), per);
    for (int32_t rules : {3, 5, -1}) {
      EXPECT_EQ(traceText(e.rec, rules), "") << "rules " << rules;
      EXPECT_TRUE(zurtest::seenFormats().empty());
    }
  }
}

TEST(TraceEvents, StandardOutputWithoutHook) {
  zurtest::TestEnv env;
  const TagLen tag = tagLen(2, 3, 0);
  TraceEvent e;
  e.rec.eventKind = TRACE_COMPONENT;
  e.rec.tags = &tag;
  e.rec.tagCount = 1;
  e.rec.formFlags = TRACE_PRIMITIVE;
  e.rec.depth = 2;
  std::string out;
  {
    zurtest::StdoutCapture capture;
    zur::apiTraceEncoding(env.get(), &e.rec, 0);
    out = capture.text();
  }
  EXPECT_EQ(out, "    tag = [3] primitive; length = 0\n");
}

}  // namespace
