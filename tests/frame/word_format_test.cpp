// The formatter agrees with the C library for the conversions the library
// and its hooks use, with arguments packed into words as apiPrint packs them.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "frame/print.h"

namespace {

template <class... A>
std::string viaWords(const char *fmt, A... args) {
  ApiWord words[zur::kPrintWords] = {};
  [[maybe_unused]] int n = 0;
  (zur::detail::pack(words, n, args), ...);
  char buf[2048];
  int len = zur::formatWords(buf, sizeof buf, fmt, words);
  EXPECT_EQ(static_cast<std::size_t>(len), std::string(buf).size()) << fmt;
  return buf;
}

template <class... A>
std::string viaLibc(const char *fmt, A... args) {
  char buf[2048];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

#define SAME(fmt, ...) EXPECT_EQ(viaWords(fmt, __VA_ARGS__), viaLibc(fmt, __VA_ARGS__)) << fmt

TEST(WordFormat, IntegersMatchTheCLibrary) {
  for (int v : {0, 1, -1, 42, -42, 2147483647, -2147483647 - 1}) {
    SAME("%d", v);
    SAME("[%5d]", v);
    SAME("[%-6i|", v);
    SAME("%+d", v);
    SAME("% d", v);
    SAME("%05d", v);
    SAME("%.3d", v);
    SAME("%u", static_cast<unsigned>(v));
    SAME("%x %X", static_cast<unsigned>(v), static_cast<unsigned>(v));
    SAME("%#o", static_cast<unsigned>(v));
    SAME("%#x", static_cast<unsigned>(v));
    SAME("%ld", static_cast<long>(v));
    SAME("%lu", static_cast<unsigned long>(static_cast<unsigned>(v)));
    SAME("%hd", static_cast<short>(v));
    SAME("%hu", static_cast<unsigned short>(v));
    SAME("%hhd", static_cast<signed char>(v));
    SAME("%02X", static_cast<unsigned>(v & 0xFF));
  }
}

TEST(WordFormat, SixtyFourBitIntegersPrintWithI64AndLl) {
  for (long long v : {0LL, -1LL, 9223372036854775807LL, -9223372036854775807LL - 1,
                      0x1122334455667788LL, 4294967296LL}) {
    EXPECT_EQ(viaWords("%I64d", v), viaLibc("%" PRId64, static_cast<int64_t>(v)));
    EXPECT_EQ(viaWords("%I64u", static_cast<unsigned long long>(v)),
              viaLibc("%" PRIu64, static_cast<uint64_t>(v)));
    EXPECT_EQ(viaWords("<%20I64d>", v), viaLibc("<%20" PRId64 ">", static_cast<int64_t>(v)));
    SAME("%lld", v);
    SAME("%llx", static_cast<unsigned long long>(v));
  }
  EXPECT_EQ(viaWords("%I64u", 18446744073709551615ULL), "18446744073709551615");
}

TEST(WordFormat, DoublesMatchTheCLibrary) {
  for (double d : {0.0, -0.0, 1.5, -2.25, 3.14159265358979, 1e-300, 1e300, 12345.678, 1e-5}) {
    SAME("%f", d);
    SAME("%.3lf", d);
    SAME("%e", d);
    SAME("%E", d);
    SAME("%g", d);
    SAME("%G", d);
    SAME("%10.2f|", d);
    SAME("%-12.4e|", d);
  }
  SAME("{ %.3lf, 10, %d }", 1.2345678, 4);
}

TEST(WordFormat, StringsWidthsAndPrecisionsFromWords) {
  SAME("%s", "abc");
  SAME("[%8s]", "abc");
  SAME("[%-8s]", "abc");
  SAME("[%.2s]", "abcdef");
  SAME("\n%*s", 6, "");
  SAME("\n%*s", 0, "");
  SAME("[%*s]", -5, "ab");
  SAME("\"%.*s\"", 3, "abcdef");
  SAME("\"%.*s ...\"", 2, "abcdef");
  SAME("\"%*s\"", 9, "tmp.name");
  SAME("[%*.*s]", 7, 2, "abcdef");
  SAME("%c%c%c", 'a', 10, ' ');
  SAME("[%3c]", 'z');
  SAME("100%% %s", "sure");
}

TEST(WordFormat, MixedArgumentsUseAllTenWords) {
  // Four doubles and two ints fill ten words on 32-bit targets.
  SAME("%f %d %f %d %f %f", 1.0, 2, 3.5, 4, 5.25, 6.125);
  EXPECT_EQ(viaWords("%I64d %s %I64u %c", -5LL, "x", 7ULL, 'q'),
            viaLibc("%" PRId64 " %s %" PRIu64 " %c", int64_t{-5}, "x", uint64_t{7}, 'q'));
  SAME("%d %d %d %d %d %d %d %d %d %d", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
}

TEST(WordFormat, WordsArePackedLowWordFirst) {
  ApiWord words[zur::kPrintWords] = {};
  [[maybe_unused]] int n = 0;
  zur::detail::pack(words, n, 0x1122334455667788LL);
  zur::detail::pack(words, n, -3);
  if (sizeof(ApiWord) == 4) {
    ASSERT_EQ(n, 3);
    EXPECT_EQ(words[0], 0x55667788u);
    EXPECT_EQ(words[1], 0x11223344u);
    EXPECT_EQ(words[2], 0xFFFFFFFDu);
  } else {
    ASSERT_EQ(n, 2);
    EXPECT_EQ(words[0], static_cast<ApiWord>(0x1122334455667788LL));
    EXPECT_EQ(static_cast<int>(words[1]), -3);
  }
}

TEST(WordFormat, OddFormatsStayReadable) {
  EXPECT_EQ(viaWords("%s", static_cast<const char *>(nullptr)), "(null)");
  EXPECT_EQ(viaWords("trailing %"), "trailing %");
  EXPECT_EQ(viaWords("%y and %d", 5), "%y and 5");
  EXPECT_EQ(viaWords("%d %d", 1), "1 0");  // words not given read as 0
}

TEST(WordFormat, BufferIsBoundedAndTheFullLengthReported) {
  ApiWord words[zur::kPrintWords] = {reinterpret_cast<ApiWord>("abcdefgh")};
  char buf[5];
  EXPECT_EQ(zur::formatWords(buf, sizeof buf, "<%s>", words), 10);
  EXPECT_STREQ(buf, "<abc");
  EXPECT_EQ(zur::formatWords(buf, 0, "<%s>", words), 10);
  std::string wide(600, ' ');
  char big[1200];
  ApiWord widthWord[zur::kPrintWords] = {600, reinterpret_cast<ApiWord>("")};
  EXPECT_EQ(zur::formatWords(big, sizeof big, "%*s|", widthWord), 601);
  EXPECT_EQ(std::string(big), wide + "|");
}

TEST(WordFormat, LongNumericWidthsArePaddedExactly) {
  SAME("[%700d]", 12);
  SAME("[%-650.3f]", 2.5);
}

}  // namespace
