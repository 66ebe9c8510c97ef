// printf conversions, one writer each, over any sink (text_sinks.h): the
// caller's buffer, a stream, standard output's scope. Integers, characters,
// texts and '%' are written here with every flag, width and precision; the
// floating-point conversions and '%p' go to the C library whole. A format is
// read by one parser, at run time by formatText and at compile time by
// apiPrint's compiled formats.
#ifndef ZURBASE_FRAME_CONVERSIONS_H
#define ZURBASE_FRAME_CONVERSIONS_H

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "frame/force_inline.h"
#include "frame/word_format.h"

namespace zur {

// The digits: upper-case hexadecimal, lower-case hexadecimal, the decimal
// pairs "00" to "99", then the upper-case hexadecimal pairs "00" to "FF".
inline constexpr auto kDigits = [] {
  std::array<char, 744> t{};
  for (int i = 0; i < 16; ++i) {
    t[i] = "0123456789ABCDEF"[i];
    t[16 + i] = "0123456789abcdef"[i];
  }
  for (int i = 0; i < 200; ++i)
    t[32 + i] = static_cast<char>('0' + (i % 2 == 0 ? i / 20 : i / 2 % 10));
  for (int i = 0; i < 256; ++i) {
    t[232 + 2 * i] = t[i >> 4];
    t[233 + 2 * i] = t[i & 0xF];
  }
  return t;
}();
inline constexpr const char *kUpperHex = kDigits.data();
inline constexpr const char *kLowerHex = kDigits.data() + 16;
inline constexpr const char *kDecimalPairs = kDigits.data() + 32;
inline constexpr const char *kUpperHexPairs = kDigits.data() + 232;

// The longest text a call may make: its length is returned as an int.
inline constexpr std::size_t kMaxText = INT_MAX;

// Length modifiers, by what they make a conversion read: "hh", "h", none or
// "I32", "l", "z", "t" or "I", and "ll", "I64", "q", "j" or "L".
enum class Length : std::uint8_t { Int, Char, Short, Long, Size, LongLong };

enum ConversionFlag : std::uint8_t { kLeft = 1, kPlus = 2, kBlank = 4, kAlternate = 8, kZero = 16 };

struct Conversion {
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;      // no precision
  static constexpr std::uint32_t kFromWord = 0xFFFFFFFE;  // '*'
  // Counts above INT_MAX read as 2^31: a text that wide cannot be returned.
  std::uint32_t width = 0;
  std::uint32_t precision = kNone;
  std::uint8_t flags = 0;
  Length length = Length::Int;
  char letter = 0;  // '\0' when the format ends inside the conversion
};

constexpr const char *parseCount(const char *p, std::uint32_t &count) {
  if (*p == '*') {
    count = Conversion::kFromWord;
    return p + 1;
  }
  if (*p < '0' || *p > '9') return p;
  std::uint32_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + static_cast<std::uint32_t>(*p - '0');
    if (v > 0x80000000u) v = 0x80000000u;
  }
  count = v;
  return p;
}

constexpr const char *parseLength(const char *p, Length &length) {
  switch (*p) {
    case 'h':
      length = p[1] == 'h' ? Length::Char : Length::Short;
      return p[1] == 'h' ? p + 2 : p + 1;
    case 'l':
      length = p[1] == 'l' ? Length::LongLong : Length::Long;
      return p[1] == 'l' ? p + 2 : p + 1;
    case 'I':
      if (p[1] == '6' && p[2] == '4') {
        length = Length::LongLong;
        return p + 3;
      }
      if (p[1] == '3' && p[2] == '2') return p + 3;
      length = Length::Size;
      return p + 1;
    case 'z':
    case 't':
      length = Length::Size;
      return p + 1;
    case 'q':
    case 'j':
    case 'L':
      length = Length::LongLong;
      return p + 1;
    default:
      return p;
  }
}

// Reads the conversion that follows a '%'; returns the position after it.
constexpr const char *parseConversion(const char *p, Conversion &c) {
  for (;; ++p) {
    switch (*p) {
      case '-':
        c.flags |= kLeft;
        continue;
      case '+':
        c.flags |= kPlus;
        continue;
      case ' ':
        c.flags |= kBlank;
        continue;
      case '#':
        c.flags |= kAlternate;
        continue;
      case '0':
        c.flags |= kZero;
        continue;
    }
    break;
  }
  p = parseCount(p, c.width);
  if (*p == '.') {
    c.precision = 0;
    p = parseCount(p + 1, c.precision);
  }
  p = parseLength(p, c.length);
  c.letter = *p;
  return *p != '\0' ? p + 1 : p;
}

// Who writes a conversion: nobody (the letter starts none), this file, or the
// C library.
enum class Writer : std::uint8_t { None, Here, Library };
constexpr Writer writerOf(char letter) {
  switch (letter) {
    case 'd':
    case 'i':
    case 'u':
    case 'o':
    case 'x':
    case 'X':
    case 'c':
    case 's':
    case '%':
    case 'n':
      return Writer::Here;
    case 'p':
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      return Writer::Library;
    default:
      return Writer::None;
  }
}

consteval Conversion spelled(const char *s) {
  Conversion c;
  parseConversion(s, c);
  return c;
}

// Reads the argument words in order, as a 32-bit stack holds arguments
// (generalised to the word size); words past the tenth read as 0.
class WordReader {
 public:
  explicit WordReader(const ApiWord *words) : words_(words) {}
  ApiWord next() { return index_ < kPrintWords ? words_[index_++] : 0; }
  std::uint64_t next64() {
    if constexpr (sizeof(ApiWord) >= 8) {
      return next();
    } else {
      const std::uint64_t low = next();
      return low | (std::uint64_t{next()} << 32);
    }
  }
  double nextDouble() {
    const std::uint64_t bits = next64();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

 private:
  const ApiWord *words_;
  int index_ = 0;
};

// Inlined with a constant text, these helpers keep branches for lengths the
// text cannot have, and GCC warns about the reads there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overread"

// strlen, without a call for the short texts printed values are made of.
ZUR_FORCE_INLINE inline std::size_t textLength(const char *s) {
  for (std::size_t i = 0; i < 8; ++i)
    if (s[i] == '\0') return i;
  return 8 + std::strlen(s + 8);
}

[[gnu::noinline]] inline void copyLong(char *d, const char *s, std::size_t n) {
  std::memcpy(d, s, n);
}
[[gnu::noinline]] inline void fillLong(char *d, char c, std::size_t n) { std::memset(d, c, n); }

// Copies or fills a text that is mostly a few characters long without a
// library call; stores overlap, none goes past d + n.
ZUR_FORCE_INLINE inline void copyText(char *d, const char *s, std::size_t n) {
  if (n > 16) {
    copyLong(d, s, n);
  } else if (n >= 8) {
    std::memcpy(d, s, 8);
    std::memcpy(d + n - 8, s + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(d, s, 4);
    std::memcpy(d + n - 4, s + n - 4, 4);
  } else if (n > 0) {
    d[0] = s[0];
    d[n / 2] = s[n / 2];
    d[n - 1] = s[n - 1];
  }
}
ZUR_FORCE_INLINE inline void fillText(char *d, char c, std::size_t n) {
  const std::uint64_t eight = 0x0101010101010101u * static_cast<unsigned char>(c);
  if (n > 16) {
    fillLong(d, c, n);
  } else if (n >= 8) {
    std::memcpy(d, &eight, 8);
    std::memcpy(d + n - 8, &eight, 8);
  } else if (n >= 4) {
    std::memcpy(d, &eight, 4);
    std::memcpy(d + n - 4, &eight, 4);
  } else if (n > 0) {
    d[0] = c;
    d[n / 2] = c;
    d[n - 1] = c;
  }
}

#pragma GCC diagnostic pop

// Digits of m, written backwards so that they end at end; returns their start.
ZUR_FORCE_INLINE inline char *writeDigits(char *end, std::uint64_t m, char letter) {
  if (letter == 'x' || letter == 'X') {
    const char *digits = letter == 'X' ? kUpperHex : kLowerHex;
    do {
      *--end = digits[m & 0xF];
      m >>= 4;
    } while (m != 0);
  } else if (letter == 'o') {
    do {
      *--end = static_cast<char>('0' + (m & 7));
      m >>= 3;
    } while (m != 0);
  } else {
    for (; m > 0xFFFFFFFF; m /= 10) *--end = static_cast<char>('0' + m % 10);
    auto v = static_cast<std::uint32_t>(m);
    for (; v >= 100; v /= 100) {
      end -= 2;
      std::memcpy(end, kDecimalPairs + 2 * (v % 100), 2);
    }
    if (v >= 10) {
      end -= 2;
      std::memcpy(end, kDecimalPairs + 2 * v, 2);
    } else {
      *--end = static_cast<char>('0' + v);
    }
  }
  return end;
}

// The conversion as the C library reads it, without a length modifier:
// "%", flags, width, precision, letter, NUL.
inline constexpr std::size_t kLibraryFormatSize = 32;
inline void libraryFormat(const Conversion &c, char *out) {
  *out++ = '%';
  for (int i = 0; i < 5; ++i)
    if ((c.flags & (1 << i)) != 0) *out++ = "-+ #0"[i];
  char digits[12];
  char *end = digits + sizeof digits;
  if (c.width != 0) {
    const char *p = writeDigits(end, c.width, 'u');
    std::memcpy(out, p, static_cast<std::size_t>(end - p));
    out += end - p;
  }
  if (c.precision != Conversion::kNone) {
    *out++ = '.';
    const char *p = writeDigits(end, c.precision, 'u');
    std::memcpy(out, p, static_cast<std::size_t>(end - p));
    out += end - p;
  }
  *out++ = c.letter;
  *out = '\0';
}

template <class Sink>
ZUR_FORCE_INLINE inline void writePadded(Sink &sink, const Conversion &c, const char *s,
                                               std::size_t n) {
  const std::size_t padding = c.width > n ? c.width - n : 0;
  if ((c.flags & kLeft) == 0) sink.fill(' ', padding);
  sink.put(s, n);
  if ((c.flags & kLeft) != 0) sink.fill(' ', padding);
}

// d, i, u, o, x and X of the magnitude m.
template <class Sink>
ZUR_FORCE_INLINE inline void writeInteger(Sink &sink, const Conversion &c, std::uint64_t m,
                                                bool negative) {
  const char letter = c.letter;
  // Digits, then zeros and prefix before them while they fit: one piece.
  char buf[64];
  char *const end = buf + sizeof buf;
  char *p = m == 0 && c.precision == 0 ? end : writeDigits(end, m, letter);
  const auto n = static_cast<std::size_t>(end - p);
  std::size_t prefixLen = 0;
  char prefix[2] = {'0', letter};
  if (letter == 'd' || letter == 'i') {
    if (negative || (c.flags & (kPlus | kBlank)) != 0) {
      prefix[0] = negative ? '-' : (c.flags & kPlus) != 0 ? '+' : ' ';
      prefixLen = 1;
    }
  } else if ((c.flags & kAlternate) != 0 && m != 0 && (letter == 'x' || letter == 'X')) {
    prefixLen = 2;
  }
  std::size_t zeros = c.precision != Conversion::kNone && c.precision > n ? c.precision - n : 0;
  if ((c.flags & kAlternate) != 0 && letter == 'o' && zeros == 0 && (n == 0 || *p != '0'))
    zeros = 1;
  const std::size_t body = prefixLen + zeros + n;
  std::size_t padding = c.width > body ? c.width - body : 0;
  if ((c.flags & (kZero | kLeft)) == kZero && c.precision == Conversion::kNone) {
    zeros += padding;
    padding = 0;
  }
  if ((c.flags & kLeft) == 0) sink.fill(' ', padding);
  if (zeros <= static_cast<std::size_t>(p - buf) - 2) {
    p -= zeros;
    fillText(p, '0', zeros);
    p -= prefixLen;
    copyText(p, prefix, prefixLen);
  } else {
    sink.put(prefix, prefixLen);
    sink.fill('0', zeros);
  }
  sink.put(p, static_cast<std::size_t>(end - p));
  if ((c.flags & kLeft) != 0) sink.fill(' ', padding);
}

template <class Sink>
ZUR_FORCE_INLINE inline void writeSigned(Sink &sink, const Conversion &c, std::int64_t v) {
  const auto magnitude = static_cast<std::uint64_t>(v);
  writeInteger(sink, c, v < 0 ? 0 - magnitude : magnitude, v < 0);
}

inline std::int64_t readSigned(WordReader &args, Length length) {
  switch (length) {
    case Length::LongLong:
      return static_cast<std::int64_t>(args.next64());
    case Length::Long:
      return static_cast<long>(args.next());
    case Length::Size:
      return static_cast<std::ptrdiff_t>(args.next());
    case Length::Short:
      return static_cast<short>(args.next());
    case Length::Char:
      return static_cast<signed char>(args.next());
    default:
      return static_cast<int>(args.next());
  }
}

inline std::uint64_t readUnsigned(WordReader &args, Length length) {
  switch (length) {
    case Length::LongLong:
      return args.next64();
    case Length::Long:
      return static_cast<unsigned long>(args.next());
    case Length::Size:
      return static_cast<std::size_t>(args.next());
    case Length::Short:
      return static_cast<unsigned short>(args.next());
    case Length::Char:
      return static_cast<unsigned char>(args.next());
    default:
      return static_cast<unsigned>(args.next());
  }
}

// Takes '*' width and precision from the words: a negative width means left
// alignment, a negative precision none.
inline void readCounts(Conversion &c, WordReader &args) {
  if (c.width == Conversion::kFromWord) {
    const auto w = static_cast<std::int32_t>(args.next());
    c.width = w < 0 ? 0u - static_cast<std::uint32_t>(w) : static_cast<std::uint32_t>(w);
    if (w < 0) c.flags |= kLeft;
  }
  if (c.precision == Conversion::kFromWord) {
    const auto p = static_cast<std::int32_t>(args.next());
    c.precision = p < 0 ? Conversion::kNone : static_cast<std::uint32_t>(p);
  }
}

// One conversion whose '*' counts are read; its argument comes from args.
template <class Sink>
ZUR_FORCE_INLINE inline void writeConversion(Sink &sink, const Conversion &c,
                                                   WordReader &args) {
  if (c.width > kMaxText || (c.precision != Conversion::kNone && c.precision > kMaxText))
    return sink.refuse();
  switch (c.letter) {
    case 'd':
    case 'i':
      writeSigned(sink, c, readSigned(args, c.length));
      return;
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      writeInteger(sink, c, readUnsigned(args, c.length), false);
      return;
    case 'c': {
      const std::size_t padding = c.width > 1 ? c.width - 1 : 0;
      if ((c.flags & kLeft) == 0) sink.fill(' ', padding);
      sink.fill(static_cast<char>(args.next()), 1);
      if ((c.flags & kLeft) != 0) sink.fill(' ', padding);
      return;
    }
    case 's': {
      const char *s = reinterpret_cast<const char *>(args.next());
      const std::size_t limit = c.precision;  // kNone: no limit
      if (s == nullptr)
        writePadded(sink, c, "(null)", limit < 6 ? limit : 6);
      else
        writePadded(sink, c, s, limit == Conversion::kNone ? textLength(s) : strnlen(s, limit));
      return;
    }
    case 'p':
      sink.library(c, reinterpret_cast<const void *>(args.next()));
      return;
    case '%':
      sink.put("%", 1);
      return;
    case 'n':
      // Writing through an argument word is never honoured.
      args.next();
      return;
    default:
      sink.library(c, args.nextDouble());
      return;
  }
}

template <class Sink>
ZUR_FORCE_INLINE inline void writeWithCounts(Sink &sink, Conversion c, WordReader &args) {
  readCounts(c, args);
  writeConversion(sink, c, args);
}

// The spellings that printed values are mostly made of, each written with
// its fields known to the compiler. Returns the length of the spelling at p
// (after the '%'), or 0 when it is none of them.
template <class Sink>
ZUR_FORCE_INLINE inline std::size_t writeCommon(Sink &sink, const char *p, WordReader &args) {
  switch (p[0]) {
    case 's':
      writeWithCounts(sink, spelled("s"), args);
      return 1;
    case 'c':
      writeWithCounts(sink, spelled("c"), args);
      return 1;
    case 'd':
      writeWithCounts(sink, spelled("d"), args);
      return 1;
    case 'u':
      writeWithCounts(sink, spelled("u"), args);
      return 1;
    case 'l':
      if (p[1] != 'd') return 0;
      writeWithCounts(sink, spelled("ld"), args);
      return 2;
    case '*':
      if (p[1] != 's') return 0;
      writeWithCounts(sink, spelled("*s"), args);
      return 2;
    case '.':
      if (p[1] != '*' || p[2] != 's') return 0;
      writeWithCounts(sink, spelled(".*s"), args);
      return 3;
    case '0':
      if (p[1] != '2' || p[2] != 'X') return 0;
      writeWithCounts(sink, spelled("02X"), args);
      return 3;
    case 'I':
      if (p[1] != '6' || p[2] != '4' || (p[3] != 'd' && p[3] != 'u')) return 0;
      if (p[3] == 'd')
        writeWithCounts(sink, spelled("I64d"), args);
      else
        writeWithCounts(sink, spelled("I64u"), args);
      return 4;
    default:
      return 0;
  }
}

// The conversion whose '%' is at start; returns the position after it. One
// that is none stands as written.
template <class Sink>
ZUR_FORCE_INLINE inline const char *writeSpelled(Sink &sink, const char *start,
                                                       WordReader &args) {
  if (const std::size_t n = writeCommon(sink, start + 1, args); n != 0) return start + 1 + n;
  Conversion c;
  const char *end = parseConversion(start + 1, c);
  readCounts(c, args);
  if (writerOf(c.letter) != Writer::None)
    writeConversion(sink, c, args);
  else
    sink.put(start, static_cast<std::size_t>(end - start));
  return end;
}

// The whole format.
template <class Sink>
ZUR_FORCE_INLINE inline void formatText(Sink &sink, const char *p, const ApiWord *words) {
  WordReader args(words);
  for (;;) {
    const char *run = p;
    while (*p != '%' && *p != '\0') ++p;
    sink.put(run, static_cast<std::size_t>(p - run));
    if (*p == '\0') return;
    p = writeSpelled(sink, p, args);
  }
}

}  // namespace zur

#endif
