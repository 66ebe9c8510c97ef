// The ten-word formatter, into a buffer and onto a stream, and apiPrint's
// compiled standard-output path agree with the C library for the
// conversions the library and its hooks use, with the arguments packed into
// words as apiPrint packs them.
#include <gtest/gtest.h>

#include <array>
#include <cinttypes>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frame/print.h"
#include "tests/support/test_env.h"

namespace {

using Words = std::array<ApiWord, zur::kPrintWords>;

struct Case {
  std::string format;
  Words words;
  std::string want;
};

template <class... A>
Words packed(A... args) {
  Words words{};
  [[maybe_unused]] int n = 0;
  (zur::detail::pack(words.data(), n, args), ...);
  return words;
}

// fmt given to the formatter, libcFmt (its spelling for the C library) to
// snprintf, with the same arguments.
template <class... A>
Case like(const char *fmt, const char *libcFmt, A... args) {
  char buf[2048];
  std::snprintf(buf, sizeof buf, libcFmt, args...);
  return {fmt, packed(args...), buf};
}

template <class... A>
Case same(const char *fmt, A... args) {
  return like(fmt, fmt, args...);
}

ApiWord text(const char *s) { return reinterpret_cast<ApiWord>(s); }

std::vector<Case> cases() {
  std::vector<Case> all;
  for (int v : {0, 1, -1, 7, -7, 42, 255, -350000, 2147483647, -2147483647 - 1}) {
    for (const char *f : {"%d", "[%5d]", "[%-6i|", "%+d", "% d", "%05d", "%-05d|", "%.3d", "%1d",
                          "%02d", "%i"})
      all.push_back(same(f, v));
    const auto u = static_cast<unsigned>(v);
    for (const char *f : {"%u", "%3u", "%x %X", "%#o", "%#x", "%o", "%08X", "%02X"})
      all.push_back(same(f, u, u));
    all.push_back(same("%ld", static_cast<long>(v)));
    all.push_back(same("%lu", static_cast<unsigned long>(u)));
    all.push_back(same("%hd", static_cast<short>(v)));
    all.push_back(same("%hu", static_cast<unsigned short>(v)));
    all.push_back(same("%hhd", static_cast<signed char>(v)));
  }
  for (long long v : {0LL, -1LL, 9223372036854775807LL, -9223372036854775807LL - 1,
                      0x1122334455667788LL, 4294967296LL}) {
    const auto s = static_cast<int64_t>(v);
    all.insert(all.end(), {like("%I64d", "%" PRId64, s), like("%I64u", "%" PRIu64, uint64_t(s)),
                           like("<%20I64d>", "<%20" PRId64 ">", s),
                           like("%I64d|%d", "%" PRId64 "|%d", s, 5), same("%lld", v),
                           same("%llx", static_cast<unsigned long long>(v))});
  }
  for (double d : {0.0, -0.0, 1.5, -2.25, 3.14159265358979, 1e-300, 1e300, 12345.678, 1e-5}) {
    for (const char *f : {"%f", "%.3lf", "%e", "%E", "%g", "%G", "%10.2f|", "%-12.4e|"})
      all.push_back(same(f, d));
  }
  all.push_back(same("{ %.3lf, 10, %d }", 1.2345678, 4));
  for (int width : {0, 1, 2, 5, 6, -1, -5}) {
    all.insert(all.end(), {same("\n%*s", width, ""), same("\n%*s|", width, "ab"),
                           same("[%*s]", width, "ab"), same("%*s\n", width, "EOC")});
  }
  for (const char *s : {"", "abc", "abcdefghijklmnopq"}) {
    for (const char *f : {"%s", "%s ", "[%8s]", "[%-8s]", "[%.2s]", "\"%.*s\"", "\"%.*s ...\""})
      all.push_back(std::string(f).find('*') != std::string::npos ? same(f, 3, s) : same(f, s));
  }
  all.push_back(same("\"%*s\"", 9, "tmp.name"));
  all.push_back(same("[%*.*s]", 7, 2, "abcdef"));
  all.push_back(same("%c%c%c", 'a', 10, ' '));
  all.push_back(same("[%3c]", 'z'));
  all.push_back(same("100%% %s", "sure"));
  all.push_back(same("{"));
  all.push_back(same("tag = [%s%d] %s; length = ", "UNIVERSAL ", 2, "primitive"));
  // Four doubles and two ints fill ten words on 32-bit targets.
  all.push_back(same("%f %d %f %d %f %f", 1.0, 2, 3.5, 4, 5.25, 6.125));
  all.push_back(like("%I64d %s %I64u %c", "%" PRId64 " %s %" PRIu64 " %c", int64_t{-5}, "x",
                     uint64_t{7}, 'q'));
  all.push_back(same("%d %d %d %d %d %d %d %d %d %d", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10));
  all.push_back(same("[%700d]", 12));
  all.push_back(same("[%-650.3f]", 2.5));
  all.push_back(same("%*s|", 600, ""));
  // Above one octet "%02X" is wider, and the next word is read in its place.
  all.push_back(same("%02X %d", 0x1FFu, 9));
  // What the C library leaves undefined stays readable.
  all.push_back({"%s-%c-%s", {text("ab"), 'x', 0}, "ab-x-(null)"});
  all.push_back({"trailing %", {}, "trailing %"});
  all.push_back({"%y and %d", {5}, "%y and 5"});
  all.push_back({"%d %d", {1}, "1 0"});  // words not given read as 0
  return all;
}

std::string throughStream(const Case &c) {
  std::FILE *f = std::tmpfile();
  if (f == nullptr) return "(no tmpfile)";
  const int n = zur::formatWordsTo(f, c.format.c_str(), c.words.data());
  std::rewind(f);
  std::string got(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  const std::size_t read = std::fread(got.data(), 1, got.size(), f);
  std::fclose(f);
  got.resize(read);
  return got;
}

// In a buffer of exactly the text's size, one character short (the text is
// cut, its full length still reported), none at all, and on a stream.
TEST(WordFormat, AgreesWithTheCLibraryInABufferAndOnAStream) {
  for (const Case &c : cases()) {
    const char *fmt = c.format.c_str();
    const auto size = static_cast<int>(c.want.size());
    std::vector<char> buf(c.want.size() + 1, '#');
    EXPECT_EQ(zur::formatWords(buf.data(), buf.size(), fmt, c.words.data()), size) << fmt;
    EXPECT_EQ(buf.data(), c.want) << fmt;
    if (size > 0) {
      EXPECT_EQ(zur::formatWords(buf.data(), c.want.size(), fmt, c.words.data()), size) << fmt;
      EXPECT_EQ(buf.data(), c.want.substr(0, c.want.size() - 1)) << fmt;
    }
    EXPECT_EQ(zur::formatWords(nullptr, 0, fmt, c.words.data()), size) << fmt;
    EXPECT_EQ(throughStream(c), c.want) << fmt;
  }
}

// apiPrint resolves literal formats at compile time; on standard output they
// must give what the formatter gives for the same words. The formats of
// printed values with their everyday values are compared with the hook's text
// in the printer's hook-call tests; these are the edges.
#define COMPILED(fmt, ...) \
  {[](Env *e) { zur::apiPrint(e, fmt, __VA_ARGS__); }, same(fmt, __VA_ARGS__)}
#define COMPILED_LIKE(fmt, libcFmt, ...) \
  {[](Env *e) { zur::apiPrint(e, fmt, __VA_ARGS__); }, like(fmt, libcFmt, __VA_ARGS__)}

TEST(PrintFormat, CompiledFormatsPrintAsTheFormatter) {
  const std::vector<std::pair<std::function<void(Env *)>, Case>> table = {
      COMPILED("%05d", -42),
      COMPILED("%02X", 0x1FFu),
      COMPILED("[%*s]", -5, "ab"),
      COMPILED("%*s\n", 7, "EOC"),
      COMPILED("\n%*s%s", 4, "", "text"),
      COMPILED("\"%.*s\"", 3, "abcdef"),
      COMPILED("%.*s|", -1, "abc"),
      COMPILED("%ld", -7L),
      COMPILED("%lu", 4000000000UL),
      COMPILED("%u", 4294967295u),
      COMPILED_LIKE("%I64d", "%" PRId64, int64_t{-5}),
      COMPILED_LIKE("%I64u", "%" PRIu64, ~uint64_t{0}),
      COMPILED_LIKE("%I64d|%d", "%" PRId64 "|%d", int64_t{-9223372036854775807LL - 1}, 5),
  };
  zurtest::TestEnv env;
  std::string want;
  zurtest::StdoutCapture out;
  {
    zur::OutputScope scope;
    for (const auto &[print, c] : table) {
      print(env.get());
      zur::apiPrint(env.get(), "|");
      want += c.want + "|";
    }
  }
  EXPECT_EQ(out.text(), want);
}

}  // namespace
