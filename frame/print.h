// apiPrint: printf-like output with Env first. The arguments are packed into
// exactly ten words, as a 32-bit stack would hold them (generalised to the
// word size), and handed to the print hook or to standard output.
//
// Standard output is the fast path: text is gathered in the buffer of the
// entry point that is running (OutputScope) and a literal format is taken
// apart at compile time, so a call appends its text without parsing. What a
// hook receives does not depend on either: the same format pointer and the
// same ten words.
#ifndef ZURBASE_FRAME_PRINT_H
#define ZURBASE_FRAME_PRINT_H

#include <charconv>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "frame/word_format.h"
#include "zurbase/env.h"

namespace zur {

// Text bound for standard output, gathered while an entry point runs. The
// scope of the innermost running entry point of a thread is the current one;
// it is handed to stdout in one write when the entry point returns, before
// the library calls out (services, memory, codecs: the callee may write to
// stdout itself), and when a print is left through its emergency exit. The
// text goes through stdio, so it stays in order with what the application
// writes there between two calls; a failed write sets stdout's error flag as
// stdio's own buffering would.
class OutputScope {
 public:
  static constexpr std::size_t kSize = 8192;

  OutputScope() noexcept;
  ~OutputScope();
  OutputScope(const OutputScope &) = delete;
  OutputScope &operator=(const OutputScope &) = delete;

  // After the emergency exit left a print: drops the text of an apiPrint
  // call that was cut short (a call's text is all or nothing, as on the hook
  // path) and hands the rest on. Scopes of entry points that the jump
  // skipped are never current again: this scope's destructor, which follows,
  // makes its outer one current.
  void resume() noexcept;
  void flush() noexcept;
  bool empty() const { return len_ == 0; }
  void beginCall() { callStart_ = len_; }
  void endCall() { callStart_ = kNoCall; }

  // Appends the characters, writing larger texts straight through.
  void put(const char *s, std::size_t n) {
    if (n <= kSize - len_) {
      std::memcpy(data_ + len_, s, n);
      len_ += n;
    } else {
      putLarge(s, n);
    }
  }
  void fill(char c, std::size_t n);
  // Room for at least n characters (n <= kSize), flushing when needed.
  char *reserve(std::size_t n) {
    if (n > kSize - len_) flush();
    return data_ + len_;
  }
  void commit(std::size_t n) { len_ += n; }
  std::size_t room() const { return kSize - len_; }

 private:
  void putLarge(const char *s, std::size_t n) noexcept;

  static constexpr std::size_t kNoCall = ~std::size_t{0};
  OutputScope *outer_;
  std::size_t len_ = 0;
  std::size_t callStart_ = kNoCall;
  char data_[kSize];
};

// On ELF targets the pointer lives in the static TLS block: one instruction
// to reach it, where a shared object's default model calls __tls_get_addr on
// every print. Eight bytes fit the space the loader keeps for objects loaded
// later.
#if defined(__ELF__)
#define ZURBASE_TLS_FAST [[gnu::tls_model("initial-exec")]]
#else
#define ZURBASE_TLS_FAST
#endif
ZURBASE_TLS_FAST extern constinit thread_local OutputScope *currentOutput;

// Hands buffered standard-output text on; called before the library calls
// out of itself while an entry point runs.
inline void flushOutput() noexcept {
  if (OutputScope *out = currentOutput; out != nullptr && !out->empty()) out->flush();
}

// A conversion of a compiled format.
enum class Piece : std::uint8_t {
  None, Str, Char, Int, UInt, Long, ULong, Hex2, Int64, UInt64, PadStr, PrecStr
};

// The format argument of apiPrint. A literal is read at compile time: when
// all its conversions are among those printed values are made of ("%s",
// "%c", "%d", "%0Nd" (N < 10), "%u", "%ld", "%lu", "%02X", "%I64d", "%I64u",
// "%*s", "%.*s"), they are noted here, up to eight, and the standard-output path
// appends the text without parsing it. Text, at most one conversion, text is
// the common case: for it every field is a constant that the compiler folds
// at the call site. Any other format is left to the word formatter.
class PrintFormat {
 public:
  static constexpr int kMaxConversions = 8;
  enum class Shape : std::uint8_t { Parsed, Single, Several };

  consteval PrintFormat(const char *format) : text(format) {
    int i = 0;
    int count = 0;
    while (format[i] != '\0') {
      if (format[i] != '%') {
        ++i;
        continue;
      }
      const char *c = format + i + 1;
      Piece piece = Piece::None;
      int n = 1;
      int w = 0;
      if (c[0] == '0' && c[1] == '2' && c[2] == 'X') {
        piece = Piece::Hex2;
        n = 3;
      } else if (c[0] == '0' && c[1] >= '1' && c[1] <= '9' && c[2] == 'd') {
        piece = Piece::Int;
        w = c[1] - '0';
        n = 3;
      } else if (c[0] == '*' && c[1] == 's') {
        piece = Piece::PadStr;
        n = 2;
      } else if (c[0] == '.' && c[1] == '*' && c[2] == 's') {
        piece = Piece::PrecStr;
        n = 3;
      } else if (c[0] == 'I' && c[1] == '6' && c[2] == '4' && (c[3] == 'd' || c[3] == 'u')) {
        piece = c[3] == 'd' ? Piece::Int64 : Piece::UInt64;
        n = 4;
      } else if (c[0] == 'l' && (c[1] == 'd' || c[1] == 'u')) {
        piece = c[1] == 'd' ? Piece::Long : Piece::ULong;
        n = 2;
      } else if (c[0] == 's') {
        piece = Piece::Str;
      } else if (c[0] == 'c') {
        piece = Piece::Char;
      } else if (c[0] == 'd' || c[0] == 'i') {
        piece = Piece::Int;
      } else if (c[0] == 'u') {
        piece = Piece::UInt;
      }
      if (piece == Piece::None || count == kMaxConversions) return;
      if (count == 0) {
        headLen = static_cast<std::uint16_t>(i);
        conversion = piece;
        width = static_cast<std::uint8_t>(w);
      }
      pieces |= static_cast<std::uint32_t>(piece) << (4 * count);
      widths |= static_cast<std::uint32_t>(w) << (4 * count);
      starts[count] = static_cast<std::uint16_t>(i);
      i += 1 + n;
      ends[count] = static_cast<std::uint16_t>(i);
      ++count;
    }
    if (i > 0xFFFF) return;
    conversions = static_cast<std::uint8_t>(count);
    if (count == 0) headLen = static_cast<std::uint16_t>(i);
    tailLen = static_cast<std::uint16_t>(count == 0 ? 0 : i - ends[count - 1]);
    shape = count <= 1 ? Shape::Single : Shape::Several;
  }

  const char *text;
  Shape shape = Shape::Parsed;
  // The first conversion (None for none), the text before it, and the text
  // after the last one.
  Piece conversion = Piece::None;
  std::uint8_t width = 0;
  std::uint16_t headLen = 0;
  std::uint16_t tailLen = 0;
  // Every conversion, four bits each in order, its zero-padded width, and
  // where it starts and ends in the text.
  std::uint8_t conversions = 0;
  std::uint32_t pieces = 0;
  std::uint32_t widths = 0;
  std::uint16_t starts[kMaxConversions] = {};
  std::uint16_t ends[kMaxConversions] = {};
};

// Formats at run time into the current scope, or straight to stdout when no
// entry point is running.
int printParsed(OutputScope *out, const char *format, const ApiWord *words);

namespace detail {

template <class T>
constexpr int wordsFor() {
  if constexpr (std::is_floating_point_v<T>)
    return sizeof(double) / sizeof(ApiWord);
  else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
    return sizeof(T) > sizeof(ApiWord) ? 2 : 1;
  else
    return 1;
}

inline void pack64(ApiWord *w, int &n, std::uint64_t v) {
  if constexpr (sizeof(ApiWord) >= 8) {
    w[n++] = static_cast<ApiWord>(v);
  } else {
    w[n++] = static_cast<ApiWord>(v);
    w[n++] = static_cast<ApiWord>(v >> 32);
  }
}

template <class T>
inline void pack(ApiWord *w, int &n, T v) {
  if constexpr (std::is_floating_point_v<T>) {
    double d = static_cast<double>(v);
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    pack64(w, n, bits);
  } else if constexpr (std::is_enum_v<T>) {
    pack(w, n, static_cast<std::underlying_type_t<T>>(v));
  } else if constexpr (std::is_integral_v<T>) {
    if constexpr (sizeof(T) > sizeof(ApiWord))
      pack64(w, n, static_cast<std::uint64_t>(v));
    else if constexpr (std::is_signed_v<T>)
      w[n++] = static_cast<ApiWord>(static_cast<std::intptr_t>(v));
    else
      w[n++] = static_cast<ApiWord>(v);
  } else if constexpr (std::is_null_pointer_v<T>) {
    w[n++] = 0;
  } else {
    static_assert(std::is_pointer_v<T>, "apiPrint takes integers, doubles and addresses");
    w[n++] = reinterpret_cast<ApiWord>(v);
  }
}

inline std::uint64_t word64(const ApiWord *w, int &k) {
  if constexpr (sizeof(ApiWord) >= 8) {
    return w[k++];
  } else {
    std::uint64_t low = w[k++];
    std::uint64_t high = w[k++];
    return low | (high << 32);
  }
}

inline const char *textOf(ApiWord w) {
  const char *s = reinterpret_cast<const char *>(w);
  return s != nullptr ? s : "(null)";
}

// Decimal or hexadecimal digits of v; a negative number is zero-padded after
// its sign, as printf does.
template <class T>
inline std::size_t putNumber(OutputScope &out, T v, int base = 10, int width = 0) {
  char *p = out.reserve(24);
  char *end = std::to_chars(p, p + 24, v, base).ptr;
  auto n = static_cast<std::size_t>(end - p);
  if (base == 16)
    for (char *q = p; q != end; ++q)
      if (*q >= 'a') *q = static_cast<char>(*q - 'a' + 'A');
  if (static_cast<std::size_t>(width) > n) {
    const std::size_t pad = static_cast<std::size_t>(width) - n;
    char *digits = *p == '-' ? p + 1 : p;
    std::memmove(digits + pad, digits, static_cast<std::size_t>(end - digits));
    std::memset(digits, '0', pad);
    n += pad;
  }
  out.commit(n);
  return n;
}

inline std::size_t putText(OutputScope &out, const char *s, std::size_t n) {
  out.put(s, n);
  return n;
}

// One conversion of a compiled format, reading its words at k.
[[gnu::always_inline]] inline std::size_t putConversion(OutputScope &out, Piece piece, int width,
                                                        const ApiWord *w, int &k) {
  switch (piece) {
    case Piece::None:
      return 0;
    case Piece::Str: {
      const char *t = textOf(w[k++]);
      return putText(out, t, std::strlen(t));
    }
    case Piece::Char: {
      const char c = static_cast<char>(w[k++]);
      return putText(out, &c, 1);
    }
    case Piece::Int:
      return putNumber(out, static_cast<int>(w[k++]), 10, width);
    case Piece::UInt:
      return putNumber(out, static_cast<unsigned>(w[k++]));
    case Piece::Long:
      return putNumber(out, static_cast<long>(w[k++]));
    case Piece::ULong:
      return putNumber(out, static_cast<unsigned long>(w[k++]));
    case Piece::Hex2: {
      const auto v = static_cast<unsigned>(w[k++]);
      if (v > 0xFF) return putNumber(out, v, 16);
      static constexpr char kHex[] = "0123456789ABCDEF";
      const char pair[2] = {kHex[v >> 4], kHex[v & 0xF]};
      return putText(out, pair, 2);
    }
    case Piece::Int64:
      return putNumber(out, static_cast<std::int64_t>(word64(w, k)));
    case Piece::UInt64:
      return putNumber(out, word64(w, k));
    case Piece::PadStr: {
      const auto fieldWidth = static_cast<std::int64_t>(static_cast<int>(w[k++]));
      const char *t = textOf(w[k++]);
      const auto n = static_cast<std::int64_t>(std::strlen(t));
      const std::int64_t pad = (fieldWidth < 0 ? -fieldWidth : fieldWidth) - n;
      if (fieldWidth >= 0 && pad > 0) out.fill(' ', static_cast<std::size_t>(pad));
      out.put(t, static_cast<std::size_t>(n));
      if (fieldWidth < 0 && pad > 0) out.fill(' ', static_cast<std::size_t>(pad));
      return static_cast<std::size_t>(pad > 0 ? n + pad : n);
    }
    case Piece::PrecStr: {
      const int precision = static_cast<int>(w[k++]);
      const char *t = textOf(w[k++]);
      const std::size_t n =
          precision < 0 ? std::strlen(t) : strnlen(t, static_cast<std::size_t>(precision));
      return putText(out, t, n);
    }
  }
  return 0;
}

// Text, one conversion, text: every field is a constant at the call site.
[[gnu::always_inline]] inline int appendSingle(OutputScope &out, const PrintFormat &f,
                                               const ApiWord *w) {
  // Only a conversion that reads the caller's text can fault, and only text
  // before it can be left behind.
  const bool readsText = f.conversion == Piece::Str || f.conversion == Piece::PadStr ||
                         f.conversion == Piece::PrecStr;
  const bool marked = readsText && f.headLen != 0;
  if (marked) out.beginCall();
  std::size_t total = std::size_t{f.headLen} + f.tailLen;
  if (f.headLen != 0) out.put(f.text, f.headLen);
  int k = 0;
  total += putConversion(out, f.conversion, f.width, w, k);
  if (f.tailLen != 0) out.put(f.text + f.ends[0], f.tailLen);
  if (marked) out.endCall();
  return static_cast<int>(total);
}

// Formats of several conversions.
int appendSeveral(OutputScope &out, const PrintFormat &f, const ApiWord *w);

}  // namespace detail

template <class... Args>
[[gnu::always_inline]] inline int apiPrint(Env *env, const PrintFormat &format, Args... args) {
  static_assert((0 + ... + detail::wordsFor<Args>()) <= kPrintWords,
                "apiPrint takes at most ten argument words");
  ApiWord w[kPrintWords] = {};
  [[maybe_unused]] int n = 0;
  (detail::pack(w, n, args), ...);
  // No standard-output text can be pending here: the hook table changes only
  // outside the library, and every call out flushes first.
  if (env->hooks != nullptr && env->hooks->print != nullptr)
    return env->hooks->print(env, format.text, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7],
                             w[8], w[9]);
  if (env->hookOnly != 0) return 0;
  OutputScope *out = currentOutput;
  if (out != nullptr && format.shape == PrintFormat::Shape::Single)
    return detail::appendSingle(*out, format, w);
  if (out != nullptr && format.shape == PrintFormat::Shape::Several)
    return detail::appendSeveral(*out, format, w);
  return printParsed(out, format.text, w);
}

}  // namespace zur

#endif
