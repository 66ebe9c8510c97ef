#include <gtest/gtest.h>

#include "tests/enctrace/trace_capture.h"

namespace {

using zurtest::tagLen;
using zurtest::traceText;
using zurtest::TraceEvent;

TraceEvent component(const TagLen *tags, int32_t count) {
  TraceEvent e;
  e.rec.eventKind = TRACE_COMPONENT;
  e.rec.tags = tags;
  e.rec.tagCount = count;
  return e;
}

TEST(BerLines, OuterTagLineThenInnermostLineOneLevelDeeper) {
  const TagLen tags[] = {tagLen(2, 0, 5), tagLen(0, 2, 1)};
  TraceEvent e = component(tags, 2);
  e.rec.fieldName = "a";
  e.rec.caption = "INTEGER";
  e.rec.depth = 1;
  e.rec.formFlags = TRACE_PRIMITIVE;
  EXPECT_EQ(traceText(e.rec),
            "  a tag = [0] constructed; length = 5\n"
            "    INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n");
  EXPECT_EQ(zurtest::seenFormats(),
            (std::vector<std::string>{"%*s", "%s ", "tag = [%s%d] constructed; length = ", "%ld",
                                      "\n%*s", "%s", ": ", "tag = [%s%d] %s; length = ", "%ld",
                                      "\n"}));
}

TEST(BerLines, ThreeTagsIndentEachFurtherLine) {
  const TagLen tags[] = {tagLen(1, 3, 9), tagLen(2, 1, 7, false), tagLen(0, 16, 5)};
  TraceEvent e = component(tags, 3);
  EXPECT_EQ(traceText(e.rec),
            "tag = [APPLICATION 3] constructed; length = 9\n"
            "  tag = [1] constructed; length = indef\n"
            "    tag = [UNIVERSAL 16] constructed; length = 5\n");
}

TEST(BerLines, OneTagIsOneLine) {
  const TagLen tag = tagLen(0, 1, 1);
  TraceEvent e = component(&tag, 1);
  e.rec.index = 3;
  e.rec.caption = "BOOLEAN";
  e.rec.formFlags = TRACE_PRIMITIVE;
  EXPECT_EQ(traceText(e.rec), "#3 BOOLEAN: tag = [UNIVERSAL 1] primitive; length = 1\n");
}

TEST(BerLines, ClassNamesStandBeforeTheNumber) {
  const TagLen outer[] = {tagLen(1, 7, 3), tagLen(3, 16383, 1)};
  TraceEvent e = component(outer, 2);
  EXPECT_EQ(traceText(e.rec),
            "tag = [APPLICATION 7] constructed; length = 3\n"
            "  tag = [PRIVATE 16383] constructed; length = 1\n");
  const TagLen context = tagLen(2, 42, 0);
  TraceEvent c = component(&context, 1);
  c.rec.formFlags = TRACE_PRIMITIVE;
  EXPECT_EQ(traceText(c.rec), "tag = [42] primitive; length = 0\n");
}

TEST(BerLines, IndefiniteLengthPrintsIndef) {
  const TagLen tag = tagLen(0, 17, 123, false);
  TraceEvent e = component(&tag, 1);
  e.rec.caption = "SET";
  EXPECT_EQ(traceText(e.rec), "SET: tag = [UNIVERSAL 17] constructed; length = indef\n");
  EXPECT_EQ(zurtest::seenFormats().back(), "\n");
  EXPECT_EQ(zurtest::seenFormats()[zurtest::seenFormats().size() - 2], "indef");
}

TEST(BerLines, ZeroTagWordPrintsOnlyTheNameParts) {
  const TagLen tag = tagLen(0, 0, 2);
  TraceEvent e = component(&tag, 1);
  e.rec.index = 2;
  e.rec.label = "lbl";
  e.rec.caption = "NULL";
  EXPECT_EQ(traceText(e.rec), "#2 lbl NULL\n");
  TraceEvent none = component(nullptr, 0);
  none.rec.fieldName = "f";
  none.rec.depth = 2;
  EXPECT_EQ(traceText(none.rec), "    f \n");
}

TEST(BerLines, NumberSeparatorsFollowIndexAndNoIndexOnly) {
  const TagLen tags[] = {tagLen(2, 0, 4), tagLen(0, 4, 2)};
  TraceEvent named = component(tags, 2);
  named.rec.fieldName = "f";
  named.rec.index = 2;
  EXPECT_EQ(traceText(named.rec),
            "f : tag = [0] constructed; length = 4\n"
            "  : tag = [UNIVERSAL 4] constructed; length = 2\n");

  TraceEvent numbered = component(tags + 1, 1);
  numbered.rec.index = 5;
  numbered.rec.formFlags = TRACE_PRIMITIVE;
  EXPECT_EQ(traceText(numbered.rec), "#5 : tag = [UNIVERSAL 4] primitive; length = 2\n");

  numbered.rec.noIndex = 1;
  EXPECT_EQ(traceText(numbered.rec), "tag = [UNIVERSAL 4] primitive; length = 2\n");
  TraceEvent hidden = component(tags, 2);
  hidden.rec.index = 5;
  hidden.rec.noIndex = 1;
  hidden.rec.label = "L";
  EXPECT_EQ(traceText(hidden.rec),
            "tag = [0] constructed; length = 4\n"
            "  L tag = [UNIVERSAL 4] constructed; length = 2\n");
}

TEST(BerLines, ExtraTextStandsOneLevelBelowTheLastTagLine) {
  const TagLen tags[] = {tagLen(2, 1, 3), tagLen(0, 2, 1)};
  TraceEvent e = component(tags, 2);
  e.rec.depth = 1;
  e.rec.caption = "INTEGER";
  e.rec.formFlags = TRACE_PRIMITIVE;
  e.setText("value 5");
  EXPECT_EQ(traceText(e.rec),
            "  tag = [1] constructed; length = 3\n"
            "    INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
            "      value 5\n");
  EXPECT_EQ(zurtest::seenFormats()[zurtest::seenFormats().size() - 2], "\n%*s%s");
}

TEST(BerLines, NegativeLengthsPrintAsSigned) {
  const TagLen tag = tagLen(0, 4, -2);
  TraceEvent e = component(&tag, 1);
  EXPECT_EQ(traceText(e.rec), "tag = [UNIVERSAL 4] constructed; length = -2\n");
}

}  // namespace
