// The conversions the printer emits most are written by the ten-word
// formatter without the C library; they must read as printf writes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "frame/word_format.h"

namespace zur {
namespace {

std::string format(const char *fmt, std::initializer_list<ApiWord> args) {
  ApiWord words[kPrintWords] = {};
  std::copy(args.begin(), args.end(), words);
  char buf[256];
  formatWords(buf, sizeof buf, fmt, words);
  return buf;
}

template <class... T>
std::string printfText(const char *fmt, T... v) {
  char buf[256];
  std::snprintf(buf, sizeof buf, fmt, v...);
  return buf;
}

ApiWord word(int v) { return static_cast<ApiWord>(static_cast<unsigned>(v)); }

TEST(FormatterFastPaths, IntegersMatchPrintf) {
  for (int v : {0, 7, -7, 255, -350000, 2147483647, -2147483647 - 1})
    for (const char *f : {"%d", "%5d", "%-5d|", "%05d", "%-05d|", "%02X", "%x", "%08X", "%u", "%3u",
                          "%o", "%i", "%1d", "%02d"})
      EXPECT_EQ(format(f, {word(v)}), printfText(f, v)) << f << " " << v;
}

TEST(FormatterFastPaths, SixtyFourBitWordsAndOctets) {
  const uint64_t big = 18446744073709551615ull;
  ApiWord low = static_cast<ApiWord>(big), high = static_cast<ApiWord>(big >> 32);
  if constexpr (sizeof(ApiWord) >= 8) {
    EXPECT_EQ(format("%I64u", {low}), "18446744073709551615");
    EXPECT_EQ(format("%I64d", {low}), "-1");
  } else {
    EXPECT_EQ(format("%I64u", {low, high}), "18446744073709551615");
    EXPECT_EQ(format("%I64d|%d", {low, high, 5}), "-1|5");
  }
  EXPECT_EQ(format("%02X%02X", {0x0A, 0xFF}), "0AFF");
  // Above one octet the text is wider, and the following word is still read
  // in its place.
  EXPECT_EQ(format("%02X %d", {0x1FF, 9}), "1FF 9");
  EXPECT_EQ(format("%s-%c-%s", {reinterpret_cast<ApiWord>("ab"), 'x', 0}), "ab-x-(null)");
}

TEST(FormatterFastPaths, StarWidthStringsMatchPrintf) {
  for (int width : {0, 1, 2, 5, -1, -5}) {
    EXPECT_EQ(format("\n%*s|", {word(width), reinterpret_cast<ApiWord>("ab")}),
              "\n" + printfText("%*s|", width, "ab"))
        << width;
    EXPECT_EQ(format("%*s|", {word(width), reinterpret_cast<ApiWord>("")}),
              printfText("%*s|", width, ""))
        << width;
  }
}

}  // namespace
}  // namespace zur
