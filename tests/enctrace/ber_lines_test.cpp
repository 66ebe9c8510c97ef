#include <gtest/gtest.h>

#include "tests/enctrace/trace_capture.h"

namespace {

using zurtest::tagLen;
using zurtest::traceText;

TEST(BerLines, OuterTagLineThenInnermostLineOneLevelDeeper) {
  EXPECT_EQ(traceText({.field = "a", .caption = "INTEGER", .depth = 1,
                       .tags = {tagLen(2, 0, 5), tagLen(0, 2, 1)}, .primitive = true}),
            "  a tag = [0] constructed; length = 5\n"
            "    INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n");
  EXPECT_EQ(zurtest::seenFormats(),
            (std::vector<std::string>{"%*s", "%s ", "tag = [%s%d] constructed; length = ", "%ld",
                                      "\n%*s", "%s", ": ", "tag = [%s%d] %s; length = ", "%ld",
                                      "\n"}));
}

TEST(BerLines, Corners) {
  const TagLen ctx0 = tagLen(2, 0, 4), octets = tagLen(0, 4, 2);
  const struct {
    const char *name;
    zurtest::Rec rec;
    const char *want;
    const char *formatBeforeLast = nullptr;
  } cases[] = {
      {"three tags indent each further line",
       {.tags = {tagLen(1, 3, 9), tagLen(2, 1, 7, false), tagLen(0, 16, 5)}},
       "tag = [APPLICATION 3] constructed; length = 9\n"
       "  tag = [1] constructed; length = indef\n"
       "    tag = [UNIVERSAL 16] constructed; length = 5\n"},
      {"indefinite length prints indef", {.caption = "SET", .tags = {tagLen(0, 17, 123, false)}},
       "SET: tag = [UNIVERSAL 17] constructed; length = indef\n", "indef"},
      {"extra text one level below the last tag line",
       {.caption = "INTEGER", .depth = 1, .tags = {tagLen(2, 1, 3), tagLen(0, 2, 1)},
        .primitive = true, .text = "value 5"},
       "  tag = [1] constructed; length = 3\n"
       "    INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
       "      value 5\n",
       "\n%*s%s"},
      {"negative length prints signed", {.tags = {tagLen(0, 4, -2)}},
       "tag = [UNIVERSAL 4] constructed; length = -2\n"},
      {"zero tag word prints only the name parts",
       {.label = "lbl", .caption = "NULL", .index = 2, .tags = {tagLen(0, 0, 2)}}, "#2 lbl NULL\n"},
      {"no tags", {.field = "f", .depth = 2}, "    f \n"},
      {"separator after the name and after the number",
       {.field = "f", .index = 2, .tags = {ctx0, octets}},
       "f : tag = [0] constructed; length = 4\n"
       "  : tag = [UNIVERSAL 4] constructed; length = 2\n"},
      {"noIndex hides number and separator",
       {.index = 5, .noIndex = 1, .tags = {octets}, .primitive = true},
       "tag = [UNIVERSAL 4] primitive; length = 2\n"},
      {"noIndex with a label", {.label = "L", .index = 5, .noIndex = 1, .tags = {ctx0, octets}},
       "tag = [0] constructed; length = 4\n"
       "  L tag = [UNIVERSAL 4] constructed; length = 2\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(traceText(c.rec), c.want);
    const auto &formats = zurtest::seenFormats();
    EXPECT_EQ(formats.back(), "\n");
    if (c.formatBeforeLast != nullptr) {
      EXPECT_EQ(formats[formats.size() - 2], c.formatBeforeLast);
    }
  }
}

}  // namespace
