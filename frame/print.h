// apiPrint: printf-like output with Env first. The arguments are packed into
// exactly ten words, as a 32-bit stack would hold them (generalised to the
// word size), and handed to the print hook or to standard output.
#ifndef ZURBASE_FRAME_PRINT_H
#define ZURBASE_FRAME_PRINT_H

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "frame/word_format.h"
#include "zurbase/env.h"

namespace zur {

// Routes a format and its ten words: hook, else standard output unless
// Env.hookOnly forbids it.
int printWords(Env *env, const char *format, const ApiWord *words);

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

}  // namespace detail

template <class... Args>
inline int apiPrint(Env *env, const char *format, Args... args) {
  static_assert((0 + ... + detail::wordsFor<Args>()) <= kPrintWords,
                "apiPrint takes at most ten argument words");
  ApiWord words[kPrintWords] = {};
  [[maybe_unused]] int n = 0;
  (detail::pack(words, n, args), ...);
  return printWords(env, format, words);
}

}  // namespace zur

#endif
