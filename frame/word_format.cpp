#include "frame/word_format.h"

#include <charconv>
#include <cinttypes>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace zur {
namespace {

// Reads the argument words in order; words past the tenth read as 0.
class WordReader {
 public:
  explicit WordReader(const ApiWord *words) : words_(words) {}
  ApiWord next() { return index_ < kPrintWords ? words_[index_++] : 0; }
  // Gives back the word that next() just read.
  void unread() { --index_; }
  std::uint64_t next64() {
    if constexpr (sizeof(ApiWord) >= 8) {
      return next();
    } else {
      std::uint64_t low = next();
      std::uint64_t high = next();
      return low | (high << 32);
    }
  }
  double nextDouble() {
    std::uint64_t bits = next64();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

 private:
  const ApiWord *words_;
  int index_ = 0;
};

// Most pieces of printed text are a few characters long: those are copied
// in line rather than through a library call.
inline void copySmall(char *dst, const char *src, std::size_t n) {
  if (n > 8) {
    std::memcpy(dst, src, n);
    return;
  }
  for (std::size_t i = 0; i < n; ++i) dst[i] = src[i];
}

// Bounded output into a caller's buffer, counting what would be written.
class BufferSink {
 public:
  BufferSink(char *buf, std::size_t cap) : buf_(buf), cap_(cap) {}
  void put(const char *s, std::size_t n) {
    if (used_ + n < cap_) {
      copySmall(buf_ + used_, s, n);
    } else if (used_ + 1 < cap_) {
      std::memcpy(buf_ + used_, s, cap_ - 1 - used_);
    }
    used_ += n;
  }
  void fill(char c, std::size_t n) {
    if (used_ + 1 < cap_) {
      std::size_t room = cap_ - 1 - used_;
      std::memset(buf_ + used_, c, n < room ? n : room);
    }
    used_ += n;
  }
  int finish() {
    if (cap_ > 0) buf_[used_ < cap_ ? used_ : cap_ - 1] = '\0';
    return static_cast<int>(used_);
  }

 private:
  char *buf_;
  std::size_t cap_;
  std::size_t used_ = 0;
};

// Stream output gathered in a stack buffer, so a short text is one fwrite.
class StreamSink {
 public:
  explicit StreamSink(std::FILE *stream) : stream_(stream) {}
  void put(const char *s, std::size_t n) {
    if (n > sizeof chunk_ - len_) {
      flush();
      if (n > sizeof chunk_) {
        write(s, n);
        return;
      }
    }
    std::memcpy(chunk_ + len_, s, n);
    len_ += n;
  }
  void fill(char c, std::size_t n) {
    while (n > 0) {
      if (len_ == sizeof chunk_) flush();
      std::size_t k = sizeof chunk_ - len_;
      if (k > n) k = n;
      std::memset(chunk_ + len_, c, k);
      len_ += k;
      n -= k;
    }
  }
  int finish() {
    flush();
    return failed_ ? -1 : static_cast<int>(total_);
  }

 private:
  void flush() {
    write(chunk_, len_);
    len_ = 0;
  }
  void write(const char *s, std::size_t n) {
    if (n == 0) return;
    if (std::fwrite(s, 1, n, stream_) != n) failed_ = true;
    total_ += n;
  }
  std::FILE *stream_;
  char chunk_[512];
  std::size_t len_ = 0;
  std::size_t total_ = 0;
  bool failed_ = false;
};

enum class Length { None, Char, Short, Long, LongLong, Size, LongDouble };

struct Conversion {
  char flags[6];
  int flagCount = 0;
  bool leftAlign = false;
  int width = -1;
  int precision = -1;
  Length length = Length::None;
  char letter = 0;  // the conversion letter: d, u, x, s, ...
};

bool isFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }

// Builds "%<flags><width>.<precision>" into out; returns its length.
std::size_t conversionPrefix(const Conversion &conv, char *out, bool withWidth) {
  std::size_t n = 0;
  out[n++] = '%';
  for (int i = 0; i < conv.flagCount; ++i) out[n++] = conv.flags[i];
  if (withWidth && conv.width >= 0) n += std::snprintf(out + n, 16, "%d", conv.width);
  if (conv.precision >= 0) n += std::snprintf(out + n, 16, ".%d", conv.precision);
  return n;
}

template <class Sink>
void putPadded(Sink &sink, const Conversion &conv, const char *s, std::size_t n) {
  std::size_t pad = conv.width > 0 && static_cast<std::size_t>(conv.width) > n
                        ? static_cast<std::size_t>(conv.width) - n
                        : 0;
  if (!conv.leftAlign) sink.fill(' ', pad);
  sink.put(s, n);
  if (conv.leftAlign) sink.fill(' ', pad);
}

bool onlyPaddingFlags(const Conversion &conv) {
  for (int i = 0; i < conv.flagCount; ++i)
    if (conv.flags[i] != '0' && conv.flags[i] != '-') return false;
  return true;
}

// Integers without precision and without the '+', ' ' and '#' flags are
// written here: the values the printers emit most, at no C-library cost.
template <class Sink, class T>
void putInteger(Sink &sink, const Conversion &conv, T value) {
  const char c = conv.letter;
  const int base = c == 'x' || c == 'X' ? 16 : c == 'o' ? 8 : 10;
  char digits[72];
  char *end = std::to_chars(digits, digits + sizeof digits, value, base).ptr;
  if (c == 'X')
    for (char *q = digits; q != end; ++q)
      if (*q >= 'a' && *q <= 'f') *q = static_cast<char>(*q - 'a' + 'A');
  auto n = static_cast<std::size_t>(end - digits);
  // Without '-', the only flag left is '0'.
  const bool zeroPad = !conv.leftAlign && conv.flagCount > 0 && conv.width > 0 &&
                       static_cast<std::size_t>(conv.width) > n;
  if (!zeroPad) {
    putPadded(sink, conv, digits, n);
    return;
  }
  const char *d = digits;
  if (*d == '-') {
    sink.put(d, 1);
    ++d;
  }
  sink.fill('0', static_cast<std::size_t>(conv.width) - n);
  sink.put(d, static_cast<std::size_t>(end - d));
}

// Hands one numeric conversion to the C library. The text is first made with
// the width; when that does not fit the local buffer, it is made without the
// width and padded here (digits never exceed the buffer for precision < 400).
template <class Sink, class T>
void putNumber(Sink &sink, const Conversion &conv, const char *letters, T value) {
  if constexpr (std::is_integral_v<T>) {
    if (conv.precision < 0 && onlyPaddingFlags(conv) && conv.width < 400) {
      putInteger(sink, conv, value);
      return;
    }
  }
  char fmt[64];
  char text[512];
  std::size_t n = conversionPrefix(conv, fmt, true);
  std::strcpy(fmt + n, letters);
  int len = std::snprintf(text, sizeof text, fmt, value);
  if (len < 0) return;
  if (static_cast<std::size_t>(len) < sizeof text) {
    sink.put(text, static_cast<std::size_t>(len));
    return;
  }
  n = conversionPrefix(conv, fmt, false);
  std::strcpy(fmt + n, letters);
  len = std::snprintf(text, sizeof text, fmt, value);
  if (len < 0) return;
  std::size_t shown = static_cast<std::size_t>(len) < sizeof text ? len : sizeof text - 1;
  putPadded(sink, conv, text, shown);
}

template <class Sink>
void putSigned(Sink &sink, const Conversion &conv, WordReader &args) {
  switch (conv.length) {
    case Length::LongLong:
      putNumber(sink, conv, PRId64, static_cast<std::int64_t>(args.next64()));
      return;
    case Length::Long:
      putNumber(sink, conv, "ld", static_cast<long>(args.next()));
      return;
    case Length::Size:
      putNumber(sink, conv, "td", static_cast<std::ptrdiff_t>(args.next()));
      return;
    case Length::Short:
      putNumber(sink, conv, "d", static_cast<int>(static_cast<short>(args.next())));
      return;
    case Length::Char:
      putNumber(sink, conv, "d", static_cast<int>(static_cast<signed char>(args.next())));
      return;
    default:
      putNumber(sink, conv, "d", static_cast<int>(args.next()));
      return;
  }
}

template <class Sink>
void putUnsigned(Sink &sink, const Conversion &conv, WordReader &args) {
  const char c = conv.letter;
  const char *c64 = c == 'u' ? PRIu64 : c == 'o' ? PRIo64 : c == 'x' ? PRIx64 : PRIX64;
  char plain[3] = {c, 0, 0};
  char withL[3] = {'l', c, 0};
  switch (conv.length) {
    case Length::LongLong:
      putNumber(sink, conv, c64, static_cast<std::uint64_t>(args.next64()));
      return;
    case Length::Long:
      putNumber(sink, conv, withL, static_cast<unsigned long>(args.next()));
      return;
    case Length::Size:
      putNumber(sink, conv, "zu", static_cast<std::size_t>(args.next()));
      return;
    case Length::Short:
      putNumber(sink, conv, plain,
                static_cast<unsigned>(static_cast<unsigned short>(args.next())));
      return;
    case Length::Char:
      putNumber(sink, conv, plain,
                static_cast<unsigned>(static_cast<unsigned char>(args.next())));
      return;
    default:
      putNumber(sink, conv, plain, static_cast<unsigned>(args.next()));
      return;
  }
}

template <class Sink>
void putString(Sink &sink, const Conversion &conv, const char *s) {
  if (s == nullptr) s = "(null)";
  std::size_t n = conv.precision >= 0 ? strnlen(s, static_cast<std::size_t>(conv.precision))
                                      : std::strlen(s);
  putPadded(sink, conv, s, n);
}

template <class Sink>
void putChar(Sink &sink, const Conversion &conv, int c) {
  char ch = static_cast<char>(c);
  putPadded(sink, conv, &ch, 1);
}

// Reads a decimal number or '*' at p; returns the value, or -1 for none.
int readCount(const char *&p, WordReader &args, bool &fromArgs) {
  fromArgs = false;
  if (*p == '*') {
    ++p;
    fromArgs = true;
    return static_cast<int>(args.next());
  }
  if (*p < '0' || *p > '9') return -1;
  int v = 0;
  while (*p >= '0' && *p <= '9') {
    if (v < 100000000) v = v * 10 + (*p - '0');
    ++p;
  }
  return v;
}

Length readLength(const char *&p) {
  switch (*p) {
    case 'h':
      if (p[1] == 'h') {
        p += 2;
        return Length::Char;
      }
      ++p;
      return Length::Short;
    case 'l':
      if (p[1] == 'l') {
        p += 2;
        return Length::LongLong;
      }
      ++p;
      return Length::Long;
    case 'I':
      if (p[1] == '6' && p[2] == '4') {
        p += 3;
        return Length::LongLong;
      }
      if (p[1] == '3' && p[2] == '2') {
        p += 3;
        return Length::None;
      }
      ++p;
      return Length::Size;
    case 'q':
    case 'j':
      ++p;
      return Length::LongLong;
    case 'z':
    case 't':
      ++p;
      return Length::Size;
    case 'L':
      ++p;
      return Length::LongDouble;
    default:
      return Length::None;
  }
}

// The conversions that printed values are made of, written without the
// general flag and width parsing: "%s", "%*s", "%c", "%d", "%u", "%02X",
// "%I64d" and "%I64u". On a match p is moved past the conversion.
template <class Sink>
bool putCommonConversion(Sink &sink, const char *&p, WordReader &args) {
  char digits[24];
  switch (p[0]) {
    case 's': {
      const char *s = reinterpret_cast<const char *>(args.next());
      if (s == nullptr) s = "(null)";
      sink.put(s, std::strlen(s));
      p += 1;
      return true;
    }
    case 'c': {
      const char c = static_cast<char>(args.next());
      sink.put(&c, 1);
      p += 1;
      return true;
    }
    case 'd': {
      char *end = std::to_chars(digits, digits + sizeof digits, static_cast<int>(args.next())).ptr;
      sink.put(digits, static_cast<std::size_t>(end - digits));
      p += 1;
      return true;
    }
    case 'u': {
      char *end =
          std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(args.next())).ptr;
      sink.put(digits, static_cast<std::size_t>(end - digits));
      p += 1;
      return true;
    }
    case '0':
      if (p[1] == '2' && p[2] == 'X') {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const auto v = static_cast<unsigned>(args.next());
        if (v > 0xFF) {
          args.unread();
          return false;
        }
        const char pair[2] = {kHex[v >> 4], kHex[v & 0xF]};
        sink.put(pair, 2);
        p += 3;
        return true;
      }
      return false;
    case '*':
      if (p[1] == 's') {
        auto width = static_cast<int>(args.next());
        const char *s = reinterpret_cast<const char *>(args.next());
        if (s == nullptr) s = "(null)";
        const std::size_t n = std::strlen(s);
        const std::size_t pad =
            width > 0 && static_cast<std::size_t>(width) > n ? static_cast<std::size_t>(width) - n
                                                             : 0;
        if (width >= 0) sink.fill(' ', pad);
        sink.put(s, n);
        if (width < 0 && static_cast<std::size_t>(-static_cast<int64_t>(width)) > n)
          sink.fill(' ', static_cast<std::size_t>(-static_cast<int64_t>(width)) - n);
        p += 2;
        return true;
      }
      return false;
    case 'I':
      if (p[1] == '6' && p[2] == '4' && (p[3] == 'd' || p[3] == 'u')) {
        const std::uint64_t v = args.next64();
        char *end = p[3] == 'd' ? std::to_chars(digits, digits + sizeof digits,
                                                static_cast<std::int64_t>(v))
                                      .ptr
                                : std::to_chars(digits, digits + sizeof digits, v).ptr;
        sink.put(digits, static_cast<std::size_t>(end - digits));
        p += 4;
        return true;
      }
      return false;
    default:
      return false;
  }
}

template <class Sink>
void format(Sink &sink, const char *p, const ApiWord *words) {
  WordReader args(words);
  while (*p != '\0') {
    const char *run = p;
    while (*p != '\0' && *p != '%') ++p;
    if (p != run) sink.put(run, static_cast<std::size_t>(p - run));
    if (*p == '\0') break;

    const char *start = p++;
    if (putCommonConversion(sink, p, args)) continue;
    Conversion conv;
    while (isFlag(*p)) {
      if (*p == '-') conv.leftAlign = true;
      if (conv.flagCount < static_cast<int>(sizeof conv.flags)) conv.flags[conv.flagCount++] = *p;
      ++p;
    }
    bool starred = false;
    conv.width = readCount(p, args, starred);
    if (starred && conv.width < 0) {
      // A negative '*' width means left alignment, as in printf.
      conv.leftAlign = true;
      conv.width = conv.width == INT32_MIN ? 0 : -conv.width;
      if (conv.flagCount < static_cast<int>(sizeof conv.flags)) conv.flags[conv.flagCount++] = '-';
    }
    if (*p == '.') {
      ++p;
      conv.precision = readCount(p, args, starred);
      if (conv.precision < 0 && !starred) conv.precision = 0;
    }
    conv.length = readLength(p);
    conv.letter = *p;
    if (*p != '\0') ++p;

    switch (conv.letter) {
      case 'd':
      case 'i':
        putSigned(sink, conv, args);
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        putUnsigned(sink, conv, args);
        break;
      case 'c':
        putChar(sink, conv, static_cast<int>(args.next()));
        break;
      case 's':
        putString(sink, conv, reinterpret_cast<const char *>(args.next()));
        break;
      case 'p':
        putNumber(sink, conv, "p", reinterpret_cast<void *>(args.next()));
        break;
      case 'e':
      case 'E':
      case 'f':
      case 'F':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        char letters[2] = {conv.letter, 0};
        putNumber(sink, conv, letters, args.nextDouble());
        break;
      }
      case '%':
        sink.put("%", 1);
        break;
      case 'n':
        // Writing through an argument word is never honoured.
        args.next();
        break;
      default:
        // Not a conversion: the text stands as it was written.
        sink.put(start, static_cast<std::size_t>(p - start));
        break;
    }
  }
}

constexpr char kBlanks[] =
    "                                                                "
    "                                                                ";
constexpr std::size_t kMaxBlanks = sizeof kBlanks - 1;

// Kept out of line: the general path for whatever the whole formats below
// do not take.
[[gnu::noinline]] int formatParsed(char *buf, std::size_t cap, const char *fmt,
                                   const ApiWord *words) {
  BufferSink sink(buf, cap);
  if (fmt != nullptr) format(sink, fmt, words);
  return sink.finish();
}

// The whole formats that printed values are mostly made of, one function
// each, entered by a tail call from formatWords so that each pays only for
// itself. Each hands the format to formatParsed when it is not exactly its
// own or the text might not fit (a format opening with a new line or a quote
// may still be a literal).

// A literal of up to 16 characters without a conversion.
[[gnu::noinline]] int formatLiteral(char *buf, std::size_t cap, const char *fmt,
                                    const ApiWord *words) {
  std::size_t n = 0;
  while (n < 16 && fmt[n] != '\0' && fmt[n] != '%') ++n;
  if (fmt[n] != '\0' || n >= cap) return formatParsed(buf, cap, fmt, words);
  copySmall(buf, fmt, n);
  buf[n] = '\0';
  return static_cast<int>(n);
}

// "\n%*s" with an empty text: the indentation of value notation.
[[gnu::noinline]] int formatIndent(char *buf, std::size_t cap, const char *fmt,
                                   const ApiWord *words) {
  const auto *text = reinterpret_cast<const char *>(words[1]);
  const auto width = static_cast<int>(words[0]);
  if (fmt[1] != '%' || fmt[2] != '*' || fmt[3] != 's' || fmt[4] != '\0' || text == nullptr ||
      text[0] != '\0' || width < 0 || static_cast<std::size_t>(width) > kMaxBlanks ||
      static_cast<std::size_t>(width) + 1 >= cap)
    return formatLiteral(buf, cap, fmt, words);
  buf[0] = '\n';
  std::memcpy(buf + 1, kBlanks, static_cast<std::size_t>(width));
  buf[width + 1] = '\0';
  return width + 1;
}

// "\"%.*s\"": a quoted string of at most the given length.
[[gnu::noinline]] int formatQuoted(char *buf, std::size_t cap, const char *fmt,
                                   const ApiWord *words) {
  const auto *text = reinterpret_cast<const char *>(words[1]);
  const auto precision = static_cast<int>(words[0]);
  if (std::strcmp(fmt + 1, "%.*s\"") != 0 || text == nullptr || precision < 0)
    return formatLiteral(buf, cap, fmt, words);
  const std::size_t n = strnlen(text, static_cast<std::size_t>(precision));
  if (n + 2 >= cap) return formatParsed(buf, cap, fmt, words);
  buf[0] = '"';
  copySmall(buf + 1, text, n);
  buf[n + 1] = '"';
  buf[n + 2] = '\0';
  return static_cast<int>(n + 2);
}

// "%02X" of one octet and "%c".
[[gnu::noinline]] int formatOctetOrChar(char *buf, std::size_t cap, const char *fmt,
                                        const ApiWord *words) {
  if (cap >= 3 && fmt[1] == '0' && fmt[2] == '2' && fmt[3] == 'X' && fmt[4] == '\0' &&
      words[0] <= 0xFF) {
    buf[0] = "0123456789ABCDEF"[words[0] >> 4];
    buf[1] = "0123456789ABCDEF"[words[0] & 0xF];
    buf[2] = '\0';
    return 2;
  }
  if (cap >= 2 && fmt[1] == 'c' && fmt[2] == '\0') {
    buf[0] = static_cast<char>(words[0]);
    buf[1] = '\0';
    return 1;
  }
  return formatParsed(buf, cap, fmt, words);
}

// "%s" and "%s ".
[[gnu::noinline]] int formatString(char *buf, std::size_t cap, const char *fmt,
                                   const ApiWord *words) {
  const auto *text = reinterpret_cast<const char *>(words[0]);
  if ((fmt[2] != '\0' && (fmt[2] != ' ' || fmt[3] != '\0')) || text == nullptr)
    return formatParsed(buf, cap, fmt, words);
  const std::size_t n = std::strlen(text);
  const std::size_t blank = fmt[2] == ' ' ? 1 : 0;
  if (n + blank >= cap) return formatParsed(buf, cap, fmt, words);
  copySmall(buf, text, n);
  if (blank != 0) buf[n] = ' ';
  buf[n + blank] = '\0';
  return static_cast<int>(n + blank);
}

// "%d", "%I64d" and "%I64u": at most 20 digits and a sign.
[[gnu::noinline]] int formatNumber(char *buf, std::size_t cap, const char *fmt,
                                   const ApiWord *words) {
  const bool wide = fmt[1] == 'I';
  if (cap < 22 || (wide ? fmt[2] != '6' || fmt[3] != '4' || (fmt[4] != 'd' && fmt[4] != 'u') ||
                              fmt[5] != '\0'
                        : fmt[2] != '\0'))
    return formatParsed(buf, cap, fmt, words);
  WordReader args(words);
  char *end = !wide ? std::to_chars(buf, buf + 21, static_cast<int>(args.next())).ptr
              : fmt[4] == 'd'
                  ? std::to_chars(buf, buf + 21, static_cast<std::int64_t>(args.next64())).ptr
                  : std::to_chars(buf, buf + 21, args.next64()).ptr;
  *end = '\0';
  return static_cast<int>(end - buf);
}

}  // namespace

int formatWords(char *buf, std::size_t cap, const char *fmt, const ApiWord *words) {
  if (fmt == nullptr) return formatParsed(buf, cap, fmt, words);
  switch (fmt[0]) {
    case '\n':
      return formatIndent(buf, cap, fmt, words);
    case '"':
      return formatQuoted(buf, cap, fmt, words);
    case '%':
      switch (fmt[1]) {
        case '0':
        case 'c':
          return formatOctetOrChar(buf, cap, fmt, words);
        case 's':
          return formatString(buf, cap, fmt, words);
        case 'd':
        case 'I':
          return formatNumber(buf, cap, fmt, words);
        default:
          return formatParsed(buf, cap, fmt, words);
      }
    default:
      return formatLiteral(buf, cap, fmt, words);
  }
}

int formatWordsTo(std::FILE *stream, const char *fmt, const ApiWord *words) {
  StreamSink sink(stream);
  if (fmt != nullptr) format(sink, fmt, words);
  return sink.finish();
}

}  // namespace zur
