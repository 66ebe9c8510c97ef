#include "frame/word_format.h"

#include "frame/text_sinks.h"

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

// Text of up to 16 characters without a conversion.
[[gnu::noinline]] int formatLiteral(char *buf, std::size_t cap, const char *format,
                                    const ApiWord *words) {
  std::size_t n = 0;
  while (n < 16 && format[n] != '\0' && format[n] != '%') ++n;
  if (format[n] != '\0') return formatParsed(buf, cap, format, words);
  BufferSink sink(buf, cap);
  sink.put(format, n);
  return sink.finish();
}

// format is the text, its NUL included.
template <std::size_t N>
[[gnu::always_inline]] inline bool is(const char *format, const char (&text)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (format[i] != text[i]) return false;
  return true;
}

}  // namespace

int formatWords(char *buf, std::size_t cap, const char *f, const ApiWord *words) {
  if (f == nullptr) return formatParsed(buf, cap, f, words);
  switch (f[0]) {
    case '%':
      if (is(f, "%02X")) return formatWhole<whole("%02X")>(buf, cap, words);
      if (is(f, "%c")) return formatWhole<whole("%c")>(buf, cap, words);
      if (is(f, "%s ")) return formatWhole<whole("%s ")>(buf, cap, words);
      if (is(f, "%s")) return formatWhole<whole("%s")>(buf, cap, words);
      if (is(f, "%I64d")) return formatWhole<whole("%I64d")>(buf, cap, words);
      if (is(f, "%I64u")) return formatWhole<whole("%I64u")>(buf, cap, words);
      if (is(f, "%d")) return formatWhole<whole("%d")>(buf, cap, words);
      break;
    case '\n':
      if (is(f, "\n%*s")) return formatWhole<whole("\n%*s")>(buf, cap, words);
      break;
    case '"':
      if (is(f, "\"%.*s\"")) return formatWhole<whole("\"%.*s\"")>(buf, cap, words);
      break;
    default:
      return formatLiteral(buf, cap, f, words);
  }
  return formatParsed(buf, cap, f, words);
}

int formatWordsTo(std::FILE *stream, const char *format, const ApiWord *words) {
  StagedOutput<512> out(stream);
  StagedSink sink(out);
  if (format != nullptr) formatText(sink, format, words);
  out.flush();
  return out.failed() ? -1 : sink.result();
}

}  // namespace zur
