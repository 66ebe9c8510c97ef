// The ten-word formatter against the host C library: seeded random formats
// of every conversion, flag, '*' width and precision and length modifier it
// reads, with random words, compared in text and length in a buffer (whole,
// cut, none), on a stream and on standard output's scope. The reference
// formats each conversion alone with the words turned back into C arguments;
// on Windows it is the C run-time's _snprintf, which reads "%I64" itself.
// Then what C leaves open, texts past INT_MAX, apiPrint's compiled formats
// against the formatter, and the printer's line breaks on a staged buffer.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdarg>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "frame/print.h"
#include "tests/support/test_env.h"
#include "zurbase/format.h"

namespace {

#ifdef _WIN32
const char *const kInt64 = "I64";
#else
const char *const kInt64 = "ll";
#endif

std::string reference(const char *format, ...) {
  char buf[4096];
  va_list args;
  va_start(args, format);
#ifdef _WIN32
  const int n = _vsnprintf(buf, sizeof buf, format, args);
#else
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
#endif
  va_end(args);
  return n < 0 ? std::string("(no reference)") : std::string(buf, static_cast<std::size_t>(n));
}

struct Case {
  std::string format, want;
  std::vector<ApiWord> words;
};

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  Case next() {
    Case c;
    for (int k = pick(1, 3); k > 0 && c.words.size() + 4 <= zur::kPrintWords; --k) {
      literal(c);
      conversion(c);
    }
    literal(c);
    c.words.resize(zur::kPrintWords);
    return c;
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  template <class T>
  T any(std::initializer_list<T> v) {
    return v.begin()[pick(0, static_cast<int>(v.size()) - 1)];
  }

  void literal(Case &c) {
    const std::string text = any<std::string>({"", "", "ab", " = ", "%%", "\n  "});
    c.format += text;
    c.want += text == "%%" ? "%" : text;
  }

  // Absent, a number (also past the old 512-character buffer) or '*' with a
  // word, negative down to low.
  void count(Case &c, std::string &spelled, std::vector<int> &stars, int low) {
    const int size = pick(0, 3) == 0 ? pick(400, 700) : pick(0, 20);
    const int kind = pick(0, 2);
    if (kind == 0) spelled += std::to_string(size);
    if (kind != 1) return;
    spelled += "*";
    stars.push_back(pick(0, 1) != 0 ? size : pick(low, 0));
    c.words.push_back(static_cast<ApiWord>(static_cast<intptr_t>(stars.back())));
  }

  // One word, or two, low first, for a 64-bit value on 32-bit targets.
  static void push(Case &c, std::uint64_t v, bool wide) {
    c.words.push_back(static_cast<ApiWord>(v));
    if (wide && sizeof(ApiWord) < 8) c.words.push_back(static_cast<ApiWord>(v >> 32));
  }

  template <class T>
  void expect(Case &c, const std::string &ours, const std::string &theirs,
              const std::vector<int> &stars, T value) {
    c.format += ours;
    const char *f = theirs.c_str();
    c.want += stars.empty()       ? reference(f, value)
              : stars.size() == 1 ? reference(f, stars[0], value)
                                  : reference(f, stars[0], stars[1], value);
  }

  void conversion(Case &c) {
    const char letter = "diuoxXcspeEfFgGaA%"[pick(0, 17)];
    if (letter == '%') return literal(c);
    const bool isSigned = letter == 'd' || letter == 'i';
    const bool isInteger = std::string("diuoxX").find(letter) != std::string::npos;
    const bool isReal = !isInteger && std::string("csp").find(letter) == std::string::npos;
    // Only the flags whose meaning C defines for the conversion.
    const std::string allowed = isSigned ? "-+ 0" : isInteger ? "-#0" : isReal ? "-+ #0" : "-";
    std::string flags, counts;
    for (int k = pick(0, 3); k > 0; --k) flags += allowed[pick(0, int(allowed.size()) - 1)];
    std::vector<int> stars;
    count(c, counts, stars, -30);
    if ((isInteger || isReal || letter == 's') && pick(0, 1) != 0) {
      counts += ".";
#ifdef _WIN32
      // Wine's run-time pads with zeros also when a precision is given,
      // prints nothing for "%#.0o" of 0 and does not take a negative '*'
      // precision as none, against C and the run-time's own documentation.
      if (isInteger) std::erase(flags, '0');
      if (letter == 'o') std::erase(flags, '#');
      count(c, counts, stars, 0);
#else
      count(c, counts, stars, -5);
#endif
    }
    const std::string theirs = "%" + flags + counts;
    const std::uint64_t bits = std::uniform_int_distribution<std::uint64_t>()(rng_);
    const std::uint64_t v = any<std::uint64_t>(
        {0, 1, ~0ull, 0x7FFFFFFF, 0x80000000, 1ull << 63, bits, bits >> 33, bits >> 56});
    if (isInteger) {
      // The modifier, and how many bits of the words it makes the conversion read.
      const int kind = pick(0, 12);
      const char *const lengths[] = {"",  "I32", "hh",  "h", "l", "z", "t",
                                     "I", "ll",  "I64", "q", "j", "L"};
      const int width = kind == 2   ? 8
                        : kind == 3 ? 16
                        : kind == 4 ? 8 * sizeof(long)
                        : kind >= 8 ? 64
                        : kind >= 5 ? 8 * sizeof(ApiWord)
                                    : 32;
      push(c, v, width == 64);
      std::uint64_t m = width == 64 ? v : v & ((std::uint64_t{1} << width) - 1);
      if (isSigned && width < 64 && (m >> (width - 1)) != 0) m |= ~std::uint64_t{0} << width;
      const std::string ours = theirs + lengths[kind] + letter;
      const std::string their64 = theirs + kInt64 + letter;
      if (isSigned) return expect(c, ours, their64, stars, static_cast<long long>(m));
      return expect(c, ours, their64, stars, static_cast<unsigned long long>(m));
    }
    if (isReal) {
      const double d = any<double>({0.0, -0.0, 0.1, -2.5, 123456.789, 1e-300, 1e300, HUGE_VAL,
                                    std::nan(""), std::ldexp(double(bits >> 11), pick(-120, 20))});
      std::uint64_t dbits;
      std::memcpy(&dbits, &d, sizeof dbits);
      push(c, dbits, true);
      return expect(c, theirs + any<std::string>({"", "l", "L"}) + letter, theirs + letter, stars,
                    d);
    }
    static const std::string wide(600, 'w');
    const char *s = any<const char *>({"", "a", "two words", wide.c_str()});
    push(c, letter == 's' ? reinterpret_cast<ApiWord>(s) : v, false);
    const std::string ours = theirs + letter;
    const auto word = static_cast<ApiWord>(v);
    if (letter == 'c')
      return expect(c, ours, ours, stars, static_cast<int>(static_cast<char>(word)));
    if (letter == 'p') return expect(c, ours, ours, stars, reinterpret_cast<void *>(word));
    expect(c, ours, ours, stars, s);
  }

  std::mt19937_64 rng_;
};

std::string fileText(std::FILE *f) {
  std::string text;
  std::rewind(f);
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  return text;
}

TEST(WordFormat, AgreesWithTheCLibraryOnEveryPath) {
  Generator generate(20);
  std::vector<Case> cases(3000);
  std::FILE *file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::string all;
  for (Case &c : cases) {
    c = generate.next();
    const char *fmt = c.format.c_str();
    const std::string shown = ::testing::PrintToString(c.format);
    const auto size = static_cast<int>(c.want.size());
    std::string buf(c.want.size() + 1, '#');
    ASSERT_EQ(zur::formatWords(buf.data(), buf.size(), fmt, c.words.data()), size) << shown;
    ASSERT_EQ(buf, c.want + '\0') << shown;
    const std::size_t cut = c.want.size() / 2 + 1;
    EXPECT_EQ(zur::formatWords(buf.data(), cut, fmt, c.words.data()), size) << shown;
    EXPECT_EQ(buf.substr(0, cut), c.want.substr(0, cut - 1) + '\0') << shown;
    EXPECT_EQ(zur::formatWords(nullptr, 0, fmt, c.words.data()), size) << shown;
    EXPECT_EQ(zur::formatWordsTo(file, fmt, c.words.data()), size) << shown;
    all += c.want;
  }
  EXPECT_TRUE(fileText(file) == all);
  std::fclose(file);
  std::vector<int> results;
  zurtest::StdoutCapture out;
  {
    zur::OutputScope scope;
    for (const Case &c : cases) {
      zur::PrintWords w;
      std::copy(c.words.begin(), c.words.end(), w.w);
      results.push_back(zur::printParsed(&scope, c.format.c_str(), w));
    }
  }
  EXPECT_TRUE(out.text() == all);
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(results[i], static_cast<int>(cases[i].want.size())) << cases[i].format;
}

template <class... A>
zur::PrintWords words(A... args) {
  zur::PrintWords w{};
  [[maybe_unused]] int n = 0;
  (zur::detail::pack(w.w, n, args), ...);
  return w;
}

// What C leaves open, and texts longer than INT_MAX: -1, and nothing written
// from the piece that would cross it on (a text of INT_MAX is only counted).
TEST(WordFormat, EdgesOnEveryPath) {
  const struct {
    const char *format;
    zur::PrintWords words;
    int result;
    const char *text;
  } cases[] = {
      {"%s-%c-%s", words("ab", 'x', nullptr), 11, "ab-x-(null)"},
      {"trailing %", {}, 10, "trailing %"},
      {"%y and %d", words(5), 8, "%y and 5"},
      {"%d %d", words(1), 3, "1 0"},  // words not given read as 0
      {"%02X %d", words(0x1FFu, 9), 5, "1FF 9"},
      {"%n%d", words(nullptr, 3), 1, "3"},
      {"%*d", words(INT_MAX, 5), INT_MAX, nullptr},
      {"%.*u", words(INT_MAX, 5u), INT_MAX, nullptr},
      {"%*s|%*s", words(0x40000000, "", 0x40000000, ""), -1, nullptr},
      {"ab%*dcd", words(INT_MAX, 5), -1, "ab"},
      {"ab%.*xcd", words(INT_MAX, 5u), -1, "ab"},
      {"x%*d", words(INT_MIN, 5), -1, "x"},
      {"x%2147483648d", words(5), -1, "x"},
      {"y%.2147483648s", words("z"), -1, "y"},
      {"y%*f", words(INT_MIN, 1.0), -1, "y"},
  };
  for (const auto &c : cases) {
    // Counted only: a broken limit stops here, before gigabytes are written.
    ASSERT_EQ(zur::formatWords(nullptr, 0, c.format, c.words.w), c.result) << c.format;
    if (c.text == nullptr) continue;
    char buf[16] = "#";
    EXPECT_EQ(zur::formatWords(buf, sizeof buf, c.format, c.words.w), c.result) << c.format;
    EXPECT_STREQ(buf, c.text) << c.format;
    std::FILE *file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(zur::formatWordsTo(file, c.format, c.words.w), c.result) << c.format;
    EXPECT_EQ(fileText(file), c.text) << c.format;
    std::fclose(file);
    zurtest::StdoutCapture out;
    {
      zur::OutputScope scope;
      EXPECT_EQ(zur::printParsed(&scope, c.format, c.words), c.result) << c.format;
    }
    EXPECT_EQ(out.text(), c.text) << c.format;
  }
}

// The formats the walker prints most are written by paths of their own,
// reached by content or by the address of the library's own copy: with words
// each path takes and words it leaves to the general one, every buffer size
// gives the text cut as snprintf cuts it, and nothing past it.
TEST(WordFormat, WalkerFormatsInEveryBufferSize) {
  const std::string wide(70, 'w'), spaces(65, ' '), w16(16, 'w'), w40(40, 'w');
  struct Row {
    const char *format;
    zur::PrintWords words;
    std::string want;
  };
  std::vector<Row> cases = {
      {zur::kFormats.octet, words(0xAu), "0A"}, {"%02X", words(0x1FFu), "1FF"},
      {"%02X", {{static_cast<ApiWord>(0x1000000F5ULL)}}, "F5"},
      {"\n%*s", words(0, ""), "\n"}, {zur::kFormats.indent, words(64, ""), "\n" + spaces.substr(1)},
      {"\n%*s", words(65, ""), "\n" + spaces}, {"\n%*s", words(-3, ""), "\n   "},
      {zur::kFormats.indent, words(20, ""), "\n" + spaces.substr(45)},
      {"%s", words(w16.c_str()), w16}, {zur::kFormats.name, words(w40.c_str()), w40 + " "},
      {"\n%*s", words(4, "ab"), "\n  ab"}, {"\n%*s", words(7, nullptr), "\n (null)"},
      {zur::kFormats.name, words("name"), "name "}, {"%s ", words(wide.c_str()), wide + " "},
      {"%s ", words(nullptr), "(null) "}, {"%s", words(""), ""}, {"%s", words("TRUE"), "TRUE"},
      {",", {}, ","}, {zur::kFormats.close, {}, "}"}, {"sixteen letters.", {}, "sixteen letters."},
      {"seventeen letters", {}, "seventeen letters"}, {"100%%", {}, "100%"},
      {zur::kFormats.signed64, words(int64_t{0}), "0"}, {"%I64d", words(int64_t{-7}), "-7"},
      {zur::kFormats.signed64, words(int64_t{99999999}), "99999999"},
      {zur::kFormats.signed64, words(int64_t{-100000000}), "-100000000"},
      {zur::kFormats.signed64, words(int64_t{-4294967295}), "-4294967295"},
      {"%I64d", words(int64_t{4294967296}), "4294967296"}, {"%I64d", words(int64_t{9}), "9"},
      {"%I64d", words(int64_t{-9223372036854775807LL - 1}), "-9223372036854775808"},
      {zur::kFormats.signed64, words(int64_t{9223372036854775807LL}), "9223372036854775807"},
  };
  // Every indentation the line breaks' own path writes, and the first it leaves.
  for (int width = 0; width <= 65; ++width)
    cases.push_back({zur::kFormats.indent, words(width, ""), "\n" + std::string(width, ' ')});
  // Quoted texts cut at every precision the quoted path takes and the first it
  // leaves, at or before their end; a negative precision is none.
  for (int precision = -1; precision <= 65; ++precision) {
    const std::size_t whole = precision < 0 ? wide.size() : static_cast<std::size_t>(precision);
    cases.push_back({zur::kFormats.quoted, words(precision, wide.c_str()),
                     '"' + wide.substr(0, whole) + '"'});
    cases.push_back({"\"%.*s\"", words(precision, "name"),
                     '"' + std::string("name").substr(0, whole) + '"'});
  }
  // The library's entry and the hooks' one, which has the dispatch of its own.
  for (auto *format : {zur::formatWords, zurFormatWords}) {
    for (const auto &c : cases) {
      // Up to a buffer that holds any number, where numbers take a path of their own.
      for (std::size_t cap = 0; cap <= std::max<std::size_t>(c.want.size() + 2, 22); ++cap) {
        std::string buf(cap + 1, '#');
        std::string want = cap == 0 ? "" : c.want.substr(0, cap - 1) + '\0';
        want.resize(cap + 1, '#');
        EXPECT_EQ(format(buf.data(), cap, c.format, c.words.w), static_cast<int>(c.want.size()))
            << c.format << " in " << cap;
        EXPECT_EQ(buf, want) << c.format << " in " << cap;
      }
    }
  }
}

// apiPrint writes literal formats without parsing them; on standard output
// they give what the formatter gives for the same words.
#define COMPILED(fmt, ...)                                                             \
  {                                                                                    \
    [](Env *e) { return zur::apiPrint(e, fmt, __VA_ARGS__); }, fmt, words(__VA_ARGS__) \
  }

TEST(PrintFormat, CompiledFormatsPrintAsTheFormatter) {
  const struct {
    std::function<int(Env *)> print;
    const char *format;
    zur::PrintWords words;
  } table[] = {
      COMPILED("%05d", -42),
      COMPILED("<%-+8.3d>", 7),
      COMPILED("%#o", 8u),
      COMPILED("100%%", 0),
      COMPILED("%02X", 0x1FFu),
      COMPILED("[%*s]", -5, "ab"),
      COMPILED("\"%.*s\"", 3, "abcdef"),
      COMPILED("%#hhx", 0x1234),
      COMPILED("[%3c]", 'z'),
      COMPILED("%lu", 4000000000UL),
      COMPILED("%I64d|%d|%s", int64_t{-9223372036854775807LL - 1}, 5, "x"),
      COMPILED("ab%*dcd", INT_MAX, 5),
  };
  zurtest::TestEnv env;
  std::string want;
  std::vector<int> results, lengths;
  zurtest::StdoutCapture out;
  {
    zur::OutputScope scope;
    for (const auto &c : table) {
      char buf[64];
      results.push_back(c.print(env.get()));
      lengths.push_back(zur::formatWords(buf, sizeof buf, c.format, c.words.w));
      zur::apiPrint(env.get(), "|");
      want += std::string(buf) + "|";
    }
  }
  EXPECT_EQ(out.text(), want);
  EXPECT_EQ(results, lengths);
}

// A line break of any width, alone and with a mark after it, at every fill of
// a staged buffer: the short ones store past their end, the others are
// written piece by piece.
TEST(StagedOutput, LineBreaksAtEveryFill) {
  std::FILE *file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::string want;
  {
    zur::StagedOutput<64> out(file);
    const std::string filler(64, 'x');
    for (std::size_t fill = 0; fill <= 64; ++fill) {
      for (std::size_t blanks : {0, 1, 2, 7, 8, 15, 16, 17, 40, 100}) {
        out.put(filler.data(), fill);
        out.putLineBreak(blanks);
        out.put("|", 1);
        want += filler.substr(0, fill) + "\n" + std::string(blanks, ' ') + "|";
        out.put(filler.data(), fill);
        out.putLineBreakThen('}', blanks);
        want += filler.substr(0, fill) + "\n" + std::string(blanks, ' ') + "}";
      }
    }
    out.flush();
  }
  EXPECT_EQ(fileText(file), want);
  std::fclose(file);
}

}  // namespace
