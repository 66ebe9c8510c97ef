// Where formatted text goes: the caller's buffer (BufferSink), or a stream
// through a staging buffer (StagedOutput, written to by StagedSink). A sink
// counts the text of one call and stops at the first piece that would take
// it past INT_MAX: nothing more is written and the call returns -1.
#ifndef ZURBASE_FRAME_TEXT_SINKS_H
#define ZURBASE_FRAME_TEXT_SINKS_H

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "frame/conversions.h"
#include "frame/force_inline.h"

namespace zur {

class TextCount {
 public:
  // Counts n more characters, or refuses them and everything after.
  ZUR_FORCE_INLINE bool take(std::size_t n) {
    if (n <= limit_ - count_) {
      count_ += n;
      return true;
    }
    limit_ = count_;
    over_ = true;
    return false;
  }
  std::size_t count() const { return count_; }
  int result() const { return over_ ? -1 : static_cast<int>(count_); }

 private:
  std::size_t count_ = 0;
  std::size_t limit_ = kMaxText;
  bool over_ = false;
};

// The C library's text of a conversion that is not written here.
template <class T>
int libraryText(char *buf, std::size_t room, const Conversion &c, T value) {
  char format[kLibraryFormatSize];
  libraryFormat(c, format);
  return formatByLibrary(buf, room, format, value);
}

// The caller's buffer, filled as snprintf fills it: at most cap - 1
// characters and a NUL; the count goes on past its end.
class BufferSink {
 public:
  BufferSink(char *buf, std::size_t cap) : buf_(buf), cap_(cap) {}
  ZUR_FORCE_INLINE void put(const char *s, std::size_t n) {
    const std::size_t at = count_.count();
    if (!count_.take(n)) return;
    if (at + n < cap_)
      copyText(buf_ + at, s, n);
    else if (at + 1 < cap_)
      std::memcpy(buf_ + at, s, cap_ - 1 - at);
  }
  ZUR_FORCE_INLINE void fill(char c, std::size_t n) {
    const std::size_t at = count_.count();
    if (n == 0 || !count_.take(n) || at + 1 >= cap_) return;
    fillText(buf_ + at, c, n < cap_ - 1 - at ? n : cap_ - 1 - at);
  }
  template <class T>
  void library(const Conversion &c, T value) {
    const std::size_t at = count_.count();
    const int n = libraryText(at < cap_ ? buf_ + at : nullptr, at < cap_ ? cap_ - at : 0, c, value);
    count_.take(n < 0 ? SIZE_MAX : static_cast<std::size_t>(n));
  }
  void refuse() { count_.take(SIZE_MAX); }
  int finish() {
    const std::size_t at = count_.count();
    if (cap_ > 0) buf_[at < cap_ ? at : cap_ - 1] = '\0';
    return count_.result();
  }

 private:
  char *buf_;
  std::size_t cap_;
  TextCount count_;
};

// Text bound for a stream, gathered so that it leaves in large writes. A
// call may mark where its text starts, so that a call cut short can be
// dropped (standard output's scope does).
template <std::size_t Size>
class StagedOutput {
 public:
  static constexpr std::size_t kSize = Size;

  explicit StagedOutput(std::FILE *stream) : stream_(stream) {}
  StagedOutput(const StagedOutput &) = delete;
  StagedOutput &operator=(const StagedOutput &) = delete;

  // Appends the characters, writing larger texts straight through.
  ZUR_FORCE_INLINE void put(const char *s, std::size_t n) {
    if (n <= Size - len_) {
      copyText(data_ + len_, s, n);
      len_ += n;
    } else {
      putLarge(s, n);
    }
  }
  ZUR_FORCE_INLINE void fill(char c, std::size_t n) {
    if (n <= Size - len_) {
      fillText(data_ + len_, c, n);
      len_ += n;
    } else {
      fillLarge(c, n);
    }
  }
  std::size_t room() const { return Size - len_; }
  char *tail() { return data_ + len_; }
  void advance(std::size_t n) { len_ += n; }
  bool empty() const { return len_ == 0; }
  bool failed() const { return failed_; }
  // A text longer than the buffer, written by the C library.
  template <class T>
  void printWhole(const char *format, T value) {
    flush();
    if (printByLibrary(stream_, format, value) < 0) failed_ = true;
  }
  // Octets in upper-case hexadecimal, each the text of its own "%02X" call:
  // the digits of the octets read so far are kept before more are read, so
  // a fault in reading them leaves what those calls would have left. Memory
  // is protected in pages of 4 KiB or multiples of them: eight octets within
  // one such page are all readable or the first is not, so they are read at
  // once.
  void putHexOctets(const unsigned char *octets, std::size_t n) {
    constexpr std::uintptr_t kPage = 4096;
    while (n > 0) {
      if (Size - len_ < 16) flush();
      const std::size_t k = n < (Size - len_) / 2 ? n : (Size - len_) / 2;
      for (std::size_t i = 0; i < k;) {
        char *d = data_ + len_;
        if (k - i >= 8 && (reinterpret_cast<std::uintptr_t>(octets + i) & (kPage - 1)) <= kPage - 8) {
          unsigned char block[8];
          std::memcpy(block, octets + i, 8);
          for (int j = 0; j < 8; ++j) std::memcpy(d + 2 * j, kUpperHexPairs + 2 * block[j], 2);
          len_ += 16;
          i += 8;
        } else {
          std::memcpy(d, kUpperHexPairs + 2 * octets[i], 2);
          len_ += 2;
          ++i;
        }
        std::atomic_signal_fence(std::memory_order_seq_cst);
      }
      octets += k;
      n -= k;
    }
  }
  // A line break and `blanks` blanks. The usual break, of at most sixteen
  // blanks, stores sixteen, the ones past its end still inside the buffer
  // where the next text overwrites them: no branch on the number and no
  // call, so the callers set up no frame.
  ZUR_FORCE_INLINE void putLineBreak(std::size_t blanks) {
    if (const std::size_t at = len_; blanks <= 16 && Size - at >= 17) {
      // The length first: stores of characters could alias it.
      len_ = at + blanks + 1;
      data_[at] = '\n';
      std::memcpy(data_ + at + 1, "                ", 16);
    } else {
      putLongLineBreak(blanks);
    }
  }
  // A mark such as "," before the line break, stored with it.
  ZUR_FORCE_INLINE void putMarkedLineBreak(char mark, std::size_t blanks) {
    if (const std::size_t at = len_; blanks <= 16 && Size - at >= 18) {
      len_ = at + blanks + 2;
      data_[at] = mark;
      data_[at + 1] = '\n';
      std::memcpy(data_ + at + 2, "                ", 16);
    } else {
      putLongMarkedLineBreak(mark, blanks);
    }
  }
  // A line break and `blanks` blanks, then a mark such as "}", stored with it.
  ZUR_FORCE_INLINE void putLineBreakThen(char mark, std::size_t blanks) {
    if (const std::size_t at = len_; blanks <= 16 && Size - at >= 18) {
      len_ = at + blanks + 2;
      data_[at] = '\n';
      std::memcpy(data_ + at + 1, "                ", 16);
      data_[at + 1 + blanks] = mark;
    } else {
      putLongLineBreakThen(mark, blanks);
    }
  }
  void beginCall() { callStart_ = len_; }
  void endCall() { callStart_ = kNoCall; }

  [[gnu::noinline]] void flush() {
    if (len_ == 0) return;
    if (std::fwrite(data_, 1, len_, stream_) != len_) failed_ = true;
    len_ = 0;
    // What a call had written so far is out now: keep its remainder.
    if (callStart_ != kNoCall) callStart_ = 0;
  }

 protected:
  static constexpr std::size_t kNoCall = ~std::size_t{0};
  std::size_t len_ = 0;
  std::size_t callStart_ = kNoCall;

 private:
  [[gnu::noinline]] void putLarge(const char *s, std::size_t n) {
    flush();
    if (n <= Size) {
      std::memcpy(data_, s, n);
      len_ = n;
    } else if (std::fwrite(s, 1, n, stream_) != n) {
      failed_ = true;
    }
  }
  [[gnu::noinline]] void putLongLineBreak(std::size_t blanks) {
    put("\n", 1);
    fill(' ', blanks);
  }
  [[gnu::noinline]] void putLongMarkedLineBreak(char mark, std::size_t blanks) {
    put(&mark, 1);
    putLongLineBreak(blanks);
  }
  [[gnu::noinline]] void putLongLineBreakThen(char mark, std::size_t blanks) {
    putLongLineBreak(blanks);
    put(&mark, 1);
  }
  [[gnu::noinline]] void fillLarge(char c, std::size_t n) {
    while (n > 0) {
      if (len_ == Size) flush();
      const std::size_t k = n < Size - len_ ? n : Size - len_;
      std::memset(data_ + len_, c, k);
      len_ += k;
      n -= k;
    }
  }

  std::FILE *stream_;
  bool failed_ = false;
  char data_[Size];
};

// One call's text on a staged output.
template <class Out>
class StagedSink {
 public:
  explicit StagedSink(Out &out) : out_(out) {}
  ZUR_FORCE_INLINE void put(const char *s, std::size_t n) {
    if (count_.take(n)) out_.put(s, n);
  }
  ZUR_FORCE_INLINE void fill(char c, std::size_t n) {
    if (n != 0 && count_.take(n)) out_.fill(c, n);
  }
  // Most texts fit what is left of the buffer; a longer one is measured
  // there first, and one longer than the buffer is written by the C library.
  template <class T>
  void library(const Conversion &c, T value) {
    const std::size_t room = out_.room();
    const int n = libraryText(out_.tail(), room, c, value);
    if (!count_.take(n < 0 ? SIZE_MAX : static_cast<std::size_t>(n))) return;
    const auto len = static_cast<std::size_t>(n);
    if (len >= Out::kSize) {
      char format[kLibraryFormatSize];
      libraryFormat(c, format);
      out_.printWhole(format, value);
      return;
    }
    if (len >= room) {
      out_.flush();
      libraryText(out_.tail(), out_.room(), c, value);
    }
    out_.advance(len);
  }
  void refuse() { count_.take(SIZE_MAX); }
  int result() const { return count_.result(); }

 private:
  Out &out_;
  TextCount count_;
};

}  // namespace zur

#endif
