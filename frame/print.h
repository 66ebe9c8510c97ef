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

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "frame/force_inline.h"
#include "frame/text_sinks.h"
#include "zurbase/env.h"

namespace zur {

// Text bound for standard output, gathered while an entry point runs. The
// scope of the innermost running entry point of a thread is the current one;
// it is handed to stdout in one write when the entry point returns, before
// the library calls out (services, memory, codecs: the callee may write to
// stdout itself) except to a remapValue marked quiet (remapIsQuiet), and
// when a print is left through its emergency exit. The text goes through
// stdio, so it stays in order with what the application writes there between
// two calls; a failed write sets stdout's error flag as stdio's own buffering
// would.
class OutputScope : public StagedOutput<16384> {
 public:
  OutputScope() noexcept;
  ~OutputScope();

  // After the emergency exit left a print: drops the text of an apiPrint
  // call that was cut short (a call's text is all or nothing, as on the hook
  // path) and hands the rest on. Scopes of entry points that the jump
  // skipped are never current again: this scope's destructor, which follows,
  // makes its outer one current.
  void resume() noexcept;

 private:
  OutputScope *outer_;
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

// The format argument of apiPrint. A literal is read at compile time: when
// all its conversions, up to eight, are written without the C library (no
// floating-point or address conversion), the standard-output path appends
// its text without parsing; with at most one conversion every field is a
// constant at the call site. Any other format is read by the word formatter
// at run time.
class PrintFormat {
 public:
  static constexpr int kMaxConversions = 8;

  consteval PrintFormat(const char *format) : text(format) {
    std::size_t at = 0;
    for (;; ++count) {
      while (format[at] != '\0' && format[at] != '%') ++at;
      if (format[at] == '\0') break;
      if (count == kMaxConversions) return;
      Conversion c;
      starts[count] = static_cast<std::uint16_t>(at);
      at = static_cast<std::size_t>(parseConversion(format + at + 1, c) - format);
      if (writerOf(c.letter) != Writer::Here) return;
      ends[count] = static_cast<std::uint16_t>(at);
      if (count == 0) conversion = c;
    }
    length = static_cast<std::uint16_t>(at);
    compiled = at <= 0xFFFF;
  }

  const char *text;
  bool compiled = false;
  int count = 0;
  // Where each conversion starts and ends in the text, and the text's length.
  std::uint16_t starts[kMaxConversions] = {};
  std::uint16_t ends[kMaxConversions] = {};
  std::uint16_t length = 0;
  Conversion conversion;  // the first
};

struct PrintWords {
  ApiWord w[kPrintWords];
};

// Formats at run time into the current scope, or straight to stdout when no
// entry point is running.
int printParsed(OutputScope *out, const char *format, PrintWords words);

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

// The ten words of a call's arguments, unused ones zero.
template <class... Args>
ZUR_FORCE_INLINE inline PrintWords packWords(Args... args) {
  static_assert((0 + ... + wordsFor<Args>()) <= kPrintWords,
                "apiPrint takes at most ten argument words");
  PrintWords words{};
  [[maybe_unused]] int n = 0;
  (pack(words.w, n, args), ...);
  return words;
}

// The run-time formatter's call, packing the words again: out of line, the
// words of the inlined paths need no memory.
template <class... Args>
[[gnu::noinline]] int printPacked(OutputScope *out, const char *format, Args... args) {
  return printParsed(out, format, packWords(args...));
}

// A compiled format of several conversions.
int appendSeveral(OutputScope &out, const PrintFormat &f, const ApiWord *w);

// A compiled format; with at most one conversion every field is a constant.
ZUR_FORCE_INLINE inline int appendCompiled(OutputScope &out, const PrintFormat &f,
                                                 const ApiWord *w) {
  if (f.count > 1) return appendSeveral(out, f, w);
  const std::size_t head = f.count == 0 ? f.length : f.starts[0];
  const std::size_t tail = f.count == 0 ? f.length : f.ends[0];
  // Only a text conversion reads the caller's memory and can fault; the text
  // before it must then not stay behind.
  const bool marked = f.count == 1 && f.conversion.letter == 's' && head != 0;
  if (marked) out.beginCall();
  StagedSink sink(out);
  sink.put(f.text, head);
  if (f.count == 1) {
    WordReader args(w);
    Conversion c = f.conversion;
    readCounts(c, args);
    writeConversion(sink, c, args);
  }
  sink.put(f.text + tail, f.length - tail);
  if (marked) out.endCall();
  return sink.result();
}

}  // namespace detail

// The application's print hook of env, or null: looked up for every call,
// since a hook, or a service the printer calls, may install another.
inline PrintHookFn printHookOf(const Env *env) {
  return env->hooks != nullptr ? env->hooks->print : nullptr;
}

// The standard-output scope that apiPrint appends this Env's text to, where
// a run of calls may be written as one: none when a hook takes the text (it
// sees every call), standard output is forbidden or no entry point runs.
inline OutputScope *directOutput(const Env *env) {
  if (printHookOf(env) != nullptr || env->hookOnly != 0) return nullptr;
  return currentOutput;
}

// One apiPrint call handed to the hook: the format and the ten words.
template <class... Args>
ZUR_FORCE_INLINE inline int callPrintHook(PrintHookFn hook, Env *env, const char *format,
                                          Args... args) {
  const PrintWords words = detail::packWords(args...);
  const ApiWord *w = words.w;
  return hook(env, format, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9]);
}

template <class... Args>
ZUR_FORCE_INLINE inline int apiPrint(Env *env, const PrintFormat &format, Args... args) {
  // No standard-output text can be pending here: the hook table changes only
  // outside the library, and every call out flushes first.
  if (PrintHookFn hook = printHookOf(env); hook != nullptr)
    return callPrintHook(hook, env, format.text, args...);
  if (env->hookOnly != 0) return 0;
  // Packed here rather than by packWords: words returned in a struct stay
  // in memory, some ten stores a call (callgrind: 8% more instructions on
  // the printer's standard-output path).
  ApiWord w[kPrintWords] = {};
  [[maybe_unused]] int n = 0;
  (detail::pack(w, n, args), ...);
  OutputScope *out = currentOutput;
  if (out != nullptr && format.compiled) return detail::appendCompiled(*out, format, w);
  return detail::printPacked(out, format.text, args...);
}

}  // namespace zur

#endif
