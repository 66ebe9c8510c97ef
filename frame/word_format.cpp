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

int formatWords(char *buf, std::size_t cap, const char *format, const ApiWord *words) {
  BufferSink sink(buf, cap);
  if (format != nullptr) formatText(sink, format, words);
  return sink.finish();
}

int formatWordsTo(std::FILE *stream, const char *format, const ApiWord *words) {
  StagedOutput<512> out(stream);
  StagedSink sink(out);
  if (format != nullptr) formatText(sink, format, words);
  out.flush();
  return out.failed() ? -1 : sink.result();
}

}  // namespace zur
