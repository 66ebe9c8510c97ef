#include "frame/print.h"

#include <cstdio>

namespace zur {

ZURBASE_TLS_FAST constinit thread_local OutputScope *currentOutput = nullptr;

OutputScope::OutputScope() noexcept : outer_(currentOutput) {
  // Text of the caller's entry point comes first.
  if (outer_ != nullptr) outer_->flush();
  currentOutput = this;
}

OutputScope::~OutputScope() {
  flush();
  currentOutput = outer_;
}

void OutputScope::resume() noexcept {
  if (callStart_ != kNoCall) len_ = callStart_;
  callStart_ = kNoCall;
  flush();
}

void OutputScope::flush() noexcept {
  if (len_ == 0) return;
  std::fwrite(data_, 1, len_, stdout);
  len_ = 0;
  // What a call had written so far is out now: keep its remainder.
  if (callStart_ != kNoCall) callStart_ = 0;
}

void OutputScope::putLarge(const char *s, std::size_t n) noexcept {
  flush();
  if (n <= kSize) {
    std::memcpy(data_, s, n);
    len_ = n;
  } else {
    std::fwrite(s, 1, n, stdout);
  }
}

void OutputScope::fill(char c, std::size_t n) {
  while (n > 0) {
    if (len_ == kSize) flush();
    const std::size_t k = n < kSize - len_ ? n : kSize - len_;
    std::memset(data_ + len_, c, k);
    len_ += k;
    n -= k;
  }
}

namespace detail {

int appendSeveral(OutputScope &out, const PrintFormat &f, const ApiWord *w) {
  std::size_t total = 0;
  std::size_t at = 0;
  int k = 0;
  out.beginCall();
  for (int i = 0; i < f.conversions; ++i) {
    total += putText(out, f.text + at, f.starts[i] - at);
    const auto piece = static_cast<Piece>((f.pieces >> (4 * i)) & 0xF);
    total += putConversion(out, piece, static_cast<int>((f.widths >> (4 * i)) & 0xF), w, k);
    at = f.ends[i];
  }
  total += putText(out, f.text + at, f.tailLen);
  out.endCall();
  return static_cast<int>(total);
}

}  // namespace detail

int printParsed(OutputScope *out, const char *format, const ApiWord *words) {
  if (out == nullptr) return formatWordsTo(stdout, format, words);
  int n = formatWords(out->reserve(0), out->room(), format, words);
  if (n < 0) return n;
  if (static_cast<std::size_t>(n) >= out->room()) {
    if (static_cast<std::size_t>(n) >= OutputScope::kSize) {
      out->flush();
      return formatWordsTo(stdout, format, words);
    }
    n = formatWords(out->reserve(static_cast<std::size_t>(n) + 1), out->room(), format, words);
  }
  out->commit(static_cast<std::size_t>(n));
  return n;
}

}  // namespace zur
