#include "frame/word_format.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "frame/force_inline.h"
#include "frame/text_sinks.h"
#include "zurbase/format.h"

namespace zur {
namespace {

template <class T>
int byLibrary(char *buf, std::size_t room, const char *format, T value) {
#if defined(_WIN32)
  // _snprintf gives -1 for a text longer than room; _scprintf measures it.
  const int n = _snprintf(buf, room, format, value);
  return n >= 0 ? n : _scprintf(format, value);
#else
  return std::snprintf(buf, room, format, value);
#endif
}

template <class T>
int toStream(std::FILE *stream, const char *format, T value) {
#if defined(_WIN32)
  return __ms_fprintf(stream, format, value);
#else
  return std::fprintf(stream, format, value);
#endif
}

}  // namespace

int formatByLibrary(char *buf, std::size_t room, const char *format, double value) {
  return byLibrary(buf, room, format, value);
}

int formatByLibrary(char *buf, std::size_t room, const char *format, const void *value) {
  return byLibrary(buf, room, format, value);
}

int printByLibrary(std::FILE *stream, const char *format, double value) {
  return toStream(stream, format, value);
}

int printByLibrary(std::FILE *stream, const char *format, const void *value) {
  return toStream(stream, format, value);
}

namespace {

// A format of text, one conversion and text, small enough to be a template
// argument: each one the library prints most gets a function of its own.
struct WholeFormat {
  char head[4] = {};
  std::size_t headLen = 0;
  Conversion conversion;
  char tail[4] = {};
  std::size_t tailLen = 0;
};

consteval WholeFormat whole(const char *f) {
  WholeFormat w;
  for (; *f != '%'; ++f) w.head[w.headLen++] = *f;
  f = parseConversion(f + 1, w.conversion);
  for (; *f != '\0'; ++f) w.tail[w.tailLen++] = *f;
  return w;
}

template <WholeFormat F>
[[gnu::noinline]] int formatWhole(char *buf, std::size_t cap, const ApiWord *words) {
  BufferSink sink(buf, cap);
  WordReader args(words);
  sink.put(F.head, F.headLen);
  writeWithCounts(sink, F.conversion, args);
  sink.put(F.tail, F.tailLen);
  return sink.finish();
}

[[gnu::noinline]] int formatParsed(char *buf, std::size_t cap, const char *format,
                                   const ApiWord *words) {
  BufferSink sink(buf, cap);
  if (format != nullptr) formatText(sink, format, words);
  return sink.finish();
}

// Text without a conversion, n characters long.
[[gnu::noinline]] int formatPlain(char *buf, std::size_t cap, const char *text, std::size_t n) {
  if (n < cap) {
    copyText(buf, text, n);
    buf[n] = '\0';
    return static_cast<int>(n);
  }
  BufferSink sink(buf, cap);
  sink.put(text, n);
  return sink.finish();
}

// Text of up to 16 characters without a conversion.
[[gnu::noinline]] int formatLiteral(char *buf, std::size_t cap, const char *format,
                                    const ApiWord *words) {
  std::size_t n = 0;
  while (n < 16 && format[n] != '\0' && format[n] != '%') ++n;
  if (format[n] != '\0') return formatParsed(buf, cap, format, words);
  return formatPlain(buf, cap, format, n);
}

// The formats of the walker's hexadecimal dumps, line breaks and names below
// are written straight into the buffer when their text is short and fits;
// any other word takes the general path of the format.

// "%02X" of an octet.
[[gnu::noinline]] int formatOctet(char *buf, std::size_t cap, const char *, const ApiWord *words) {
  const auto v = static_cast<unsigned>(words[0]);
  if (v > 0xFF || cap < 3) return formatWhole<whole("%02X")>(buf, cap, words);
  std::memcpy(buf, kUpperHexPairs + 2 * v, 2);
  buf[2] = '\0';
  return 2;
}

constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};

// "%I64d": a number of at most 32 bits' magnitude written in place when the
// buffer holds any such number; its digits counted from its bit length.
[[gnu::noinline]] int formatSigned(char *buf, std::size_t cap, const char *, const ApiWord *words) {
  WordReader args(words);
  const auto v = static_cast<std::int64_t>(args.next64());
  const std::uint64_t m = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  if (m > 0xFFFFFFFF || cap < 12) return formatWhole<whole("%I64d")>(buf, cap, words);
  const auto u = static_cast<std::uint32_t>(m) | 1;
  const auto log = static_cast<std::size_t>((32 - std::countl_zero(u)) * 1233 >> 12);
  const std::size_t n = log + (u >= kPowersOfTen[log] ? 1 : 0);
  buf[0] = '-';
  char *p = buf + (v < 0 ? 1 : 0);
  writeDigits(p + n, m, 'd');
  p[n] = '\0';
  return static_cast<int>(p + n - buf);
}

// The start of an indented line and its end with the NUL, eight characters
// each, and blanks between.
constexpr char kLineHead[] = "\n       ";
constexpr char kLineTail[] = "       ";
constexpr char kBlanks[] = "        ";

// "\n%*s" of an empty text: a new line and an indentation. The text and its
// NUL, size characters, are copied from the head and the tail of a line and
// blanks between, in stores that overlap and end at the NUL: no call and no
// loop for the usual indentations. The stores are the widest whose tail
// stays clear of the new line.
[[gnu::noinline]] int formatIndent(char *buf, std::size_t cap, const char *, const ApiWord *words) {
  const auto width = static_cast<std::int32_t>(words[0]);
  const char *s = reinterpret_cast<const char *>(words[1]);
  if (s == nullptr || *s != '\0' || width < 0 || width > 64 ||
      static_cast<std::size_t>(width) + 1 >= cap)
    return formatWhole<whole("\n%*s")>(buf, cap, words);
  const std::size_t size = static_cast<std::size_t>(width) + 2;
  if (size > 8) {
    std::memcpy(buf, kLineHead, 8);
    for (std::size_t at = 8; at + 8 < size; at += 8) std::memcpy(buf + at, kBlanks, 8);
    std::memcpy(buf + size - 8, kLineTail, 8);
  } else if (size > 4) {
    std::memcpy(buf, kLineHead, 4);
    std::memcpy(buf + size - 4, kLineTail + 4, 4);
  } else if (size > 2) {
    std::memcpy(buf, kLineHead, 2);
    std::memcpy(buf + size - 2, kLineTail + 6, 2);
  } else {
    std::memcpy(buf, "\n", 2);
  }
  return width + 1;
}

// "%s" (Blank 0) or "%s " (Blank 1) of the text s, n characters long:
// written in place when it fits and is short, else by the general path.
template <std::size_t Blank>
ZUR_FORCE_INLINE inline int putName(char *buf, std::size_t cap, const ApiWord *words,
                                          const char *s, std::size_t n) {
  if (s == nullptr || n + Blank >= cap || n > 64)
    return Blank != 0 ? formatWhole<whole("%s ")>(buf, cap, words)
                      : formatWhole<whole("%s")>(buf, cap, words);
  copyText(buf, s, n);
  if constexpr (Blank != 0) buf[n] = ' ';
  buf[n + Blank] = '\0';
  return static_cast<int>(n + Blank);
}

template <std::size_t Blank>
[[gnu::noinline]] int formatLongName(char *buf, std::size_t cap, const ApiWord *words) {
  const char *s = reinterpret_cast<const char *>(words[0]);
  return putName<Blank>(buf, cap, words, s, std::strlen(s));
}

// "%s" (Blank 0) or "%s " (Blank 1) of a text. Texts longer than sixteen
// characters go out of line, so the short ones need no saved registers.
template <std::size_t Blank>
[[gnu::noinline]] int formatName(char *buf, std::size_t cap, const char *, const ApiWord *words) {
  const char *s = reinterpret_cast<const char *>(words[0]);
  std::size_t n = 0;
  if (s != nullptr) {
    while (n < 16 && s[n] != '\0') ++n;
    if (n == 16 && s[16] != '\0') return formatLongName<Blank>(buf, cap, words);
  }
  return putName<Blank>(buf, cap, words, s, n);
}

// "\"%.*s\"" of a text cut at a precision of at most 64, written in place
// when the precision fits the buffer; a null text or any other precision
// takes the general path.
[[gnu::noinline]] int formatQuoted(char *buf, std::size_t cap, const char *, const ApiWord *words) {
  const auto precision = static_cast<std::int32_t>(words[0]);
  const char *s = reinterpret_cast<const char *>(words[1]);
  if (s == nullptr || precision < 0 || precision > 64 ||
      static_cast<std::size_t>(precision) + 2 >= cap)
    return formatWhole<whole("\"%.*s\"")>(buf, cap, words);
  const std::size_t n = strnlen(s, static_cast<std::size_t>(precision));
  buf[0] = '"';
  copyText(buf + 1, s, n);
  buf[n + 1] = '"';
  buf[n + 2] = '\0';
  return static_cast<int>(n + 2);
}

// A format of one character and no conversion: the printer's brackets and
// commas.
[[gnu::noinline]] int formatCharacter(char *buf, std::size_t cap, const char *f, const ApiWord *) {
  if (cap < 2) return formatPlain(buf, cap, f, 1);
  buf[0] = *f;
  buf[1] = '\0';
  return 1;
}

// format is the text, its NUL included.
template <std::size_t N>
ZUR_FORCE_INLINE inline bool is(const char *format, const char (&text)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (format[i] != text[i]) return false;
  return true;
}

// Any format but the library's own copies of the common ones.
[[gnu::noinline]] int formatByContent(char *buf, std::size_t cap, const char *f,
                                      const ApiWord *words) {
  if (f == nullptr) return formatParsed(buf, cap, f, words);
  switch (f[0]) {
    case '%':
      if (is(f, "%02X")) return formatOctet(buf, cap, f, words);
      if (is(f, "%c")) return formatWhole<whole("%c")>(buf, cap, words);
      if (is(f, "%s ")) return formatName<1>(buf, cap, f, words);
      if (is(f, "%s")) return formatName<0>(buf, cap, f, words);
      if (is(f, "%I64d")) return formatSigned(buf, cap, f, words);
      if (is(f, "%I64u")) return formatWhole<whole("%I64u")>(buf, cap, words);
      if (is(f, "%d")) return formatWhole<whole("%d")>(buf, cap, words);
      break;
    case '\n':
      if (is(f, "\n%*s")) return formatIndent(buf, cap, f, words);
      break;
    case '"':
      if (is(f, "\"%.*s\"")) return formatQuoted(buf, cap, f, words);
      break;
    default:
      return formatLiteral(buf, cap, f, words);
  }
  return formatParsed(buf, cap, f, words);
}

using Formatter = int (*)(char *, std::size_t, const char *, const ApiWord *);

// The formatter of each byte of kFormats, reached by the format's address
// in one indirect jump; an address inside one of the texts is read by its
// content.
constexpr std::array<Formatter, sizeof(CommonFormats)> kByAddress = [] {
  std::array<Formatter, sizeof(CommonFormats)> t{};
  t.fill(formatByContent);
  t[offsetof(CommonFormats, octet)] = formatOctet;
  t[offsetof(CommonFormats, indent)] = formatIndent;
  t[offsetof(CommonFormats, name)] = formatName<1>;
  t[offsetof(CommonFormats, text)] = formatName<0>;
  t[offsetof(CommonFormats, signed64)] = formatSigned;
  t[offsetof(CommonFormats, quoted)] = formatQuoted;
  t[offsetof(CommonFormats, open)] = formatCharacter;
  t[offsetof(CommonFormats, comma)] = formatCharacter;
  t[offsetof(CommonFormats, close)] = formatCharacter;
  return t;
}();

ZUR_FORCE_INLINE inline int formatByAddress(char *buf, std::size_t cap, const char *f,
                                            const ApiWord *words) {
  const auto at = reinterpret_cast<std::uintptr_t>(f) - reinterpret_cast<std::uintptr_t>(&kFormats);
  if (at < kByAddress.size()) return kByAddress[at](buf, cap, f, words);
  return formatByContent(buf, cap, f, words);
}

}  // namespace

int formatWords(char *buf, std::size_t cap, const char *f, const ApiWord *words) {
  return formatByAddress(buf, cap, f, words);
}

int formatWordsTo(std::FILE *stream, const char *format, const ApiWord *words) {
  StagedOutput<512> out(stream);
  StagedSink sink(out);
  if (format != nullptr) formatText(sink, format, words);
  out.flush();
  return out.failed() ? -1 : sink.result();
}

}  // namespace zur

// The hooks' formatter, defined beside the dispatch: a hook calls it once per
// apiPrint call, and it reaches the formatter of the format in one jump.
extern "C" int zurFormatWords(char *buf, size_t size, const char *format,
                              const ApiWord words[ZUR_PRINT_WORDS]) {
  return zur::formatByAddress(buf, size, format, words);
}
