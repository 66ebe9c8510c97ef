#include <gtest/gtest.h>

#include "tests/enctrace/trace_capture.h"

namespace {

using zurtest::traceText;
using zurtest::TraceEvent;

TraceEvent perEvent(int32_t item, int32_t value) {
  TraceEvent e;
  e.rec.eventKind = TRACE_COMPONENT;
  e.rec.perItem = item;
  e.rec.perValue = value;
  e.rec.fragment = -1;
  return e;
}

std::string per(const TraceEvent &e) { return traceText(e.rec, 1); }

TEST(PerLines, TotalLengthIgnoresEveryNamePart) {
  TraceEvent e = perEvent(PER_TOTAL_LENGTH, 19);
  e.rec.fieldName = "f";
  e.rec.caption = "T";
  e.rec.depth = 3;
  e.setText("x");
  EXPECT_EQ(per(e), "Total PDV length = 2.3\n");
  EXPECT_EQ(zurtest::seenFormats(), std::vector<std::string>{"Total PDV length = %ld.%ld\n"});
}

TEST(PerLines, LengthItemShowsOctetsAndBits) {
  TraceEvent e = perEvent(PER_LENGTH, 16);
  e.rec.fieldName = "data";
  e.rec.caption = "OCTET STRING";
  EXPECT_EQ(per(e), "data OCTET STRING [length (not encoded) = 2.0]\n");
  e.rec.encoded = 1;
  e.rec.fragment = 2;
  e.rec.perValue = 8 * 1000 + 7;
  EXPECT_EQ(per(e), "data OCTET STRING [length = 1000.7 fragment = 2]\n");
  e.rec.fragment = 0;
  e.rec.perValue = 0;
  EXPECT_EQ(per(e), "data OCTET STRING [length = 0.0 fragment = 0]\n");
}

TEST(PerLines, NegativeBitCountsTruncateTowardZero) {
  TraceEvent e = perEvent(PER_LENGTH, -9);
  e.rec.encoded = 1;
  EXPECT_EQ(per(e), " [length = -1.-1]\n");
  e.rec.perValue = -2;
  EXPECT_EQ(per(e), " [length = 0.-2]\n");
  TraceEvent total = perEvent(PER_TOTAL_LENGTH, -17);
  EXPECT_EQ(per(total), "Total PDV length = -2.-1\n");
}

TEST(PerLines, CountIndexAndFieldCountItems) {
  TraceEvent e = perEvent(PER_COUNT, 3);
  e.rec.index = 2;
  EXPECT_EQ(per(e), "#2  [count (not encoded) = 3]\n");
  e.rec.encoded = 1;
  EXPECT_EQ(per(e), "#2  [count = 3]\n");
  TraceEvent index = perEvent(PER_INDEX, 1);
  index.rec.label = "choice";
  EXPECT_EQ(per(index), "choice  [index = 1]\n");
  TraceEvent fields = perEvent(PER_FIELD_COUNT, 4);
  fields.rec.encoded = 1;  // a field count always shows as not encoded
  fields.rec.caption = "SEQUENCE";
  EXPECT_EQ(per(fields), "SEQUENCE [fieldcount (not encoded) = 4]\n");
}

TEST(PerLines, NotEncodedAndErrorMarks) {
  TraceEvent e = perEvent(PER_NOT_ENCODED, 0);
  e.rec.fieldName = "opt";
  EXPECT_EQ(per(e), "opt  [not encoded]\n");
  e.rec.perValue = -1;
  EXPECT_EQ(per(e), "opt \n");
  for (int32_t item : {0, 1, 2, 4, 6}) {
    TraceEvent bad = perEvent(item, -1);
    bad.rec.caption = "T";
    EXPECT_EQ(per(bad), "T [encode/decode error]\n") << "item " << item;
  }
  TraceEvent other = perEvent(6, 5);
  other.rec.caption = "T";
  EXPECT_EQ(per(other), "T\n");
}

TEST(PerLines, IndentationAndExtraText) {
  TraceEvent e = perEvent(PER_INDEX, 0);
  e.rec.caption = "C";
  e.setText("more");
  EXPECT_EQ(per(e), "C [index = 0]\n  more\n");
  e.rec.depth = 2;
  e.rec.fieldName = "n";
  e.rec.index = 7;  // not shown beside an identifier
  EXPECT_EQ(per(e), "    n C [index = 0]\n      more\n");
  EXPECT_EQ(zurtest::seenFormats().front(), "%*s");
}

TEST(PerLines, NumberHiddenByNoIndexAndNoTags) {
  TraceEvent e = perEvent(PER_INDEX, 9);
  e.rec.index = 4;
  e.rec.noIndex = 1;
  e.rec.tagCount = 5;  // a PER line never reads the tags
  EXPECT_EQ(traceText(e.rec, 2), " [index = 9]\n");
}

}  // namespace
