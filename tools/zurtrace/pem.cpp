#include "pem.h"

#include <cstring>

namespace zurtrace {
namespace {

constexpr std::string_view kBegin = "-----BEGIN ";
constexpr std::string_view kEnd = "-----END ";
constexpr std::string_view kDashes = "-----";

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isText(unsigned char c) { return (c >= 0x20 && c < 0x7F) || c == '\n' || c == '\r' || c == '\t'; }

// The octets of the well-formed UTF-8 character beyond ASCII that p starts,
// or 0: no overlong forms, surrogates or code points past U+10FFFF, so that
// binary octets rarely pass for text.
uint64_t utf8Length(const unsigned char *p, uint64_t size) {
  uint64_t n;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second octet
  if (p[0] >= 0xC2 && p[0] <= 0xDF) {
    n = 2;
  } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
    n = 3;
    if (p[0] == 0xE0) low = 0xA0;
    if (p[0] == 0xED) high = 0x9F;
  } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
    n = 4;
    if (p[0] == 0xF0) low = 0x90;
    if (p[0] == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (size < n || p[1] < low || p[1] > high) return 0;
  for (uint64_t k = 2; k < n; ++k)
    if (p[k] < 0x80 || p[k] > 0xBF) return 0;
  return n;
}

// Past the byte-order mark that some editors put before UTF-8 text.
uint64_t textStart(const unsigned char *data, uint64_t size) {
  const bool marked =
      size >= kByteOrderMark.size() && std::memcmp(data, kByteOrderMark.data(), kByteOrderMark.size()) == 0;
  return marked ? kByteOrderMark.size() : 0;
}

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool looksLikePem(const unsigned char *data, uint64_t size) {
  bool lineStart = true;
  for (uint64_t i = textStart(data, size); i < size;) {
    if (lineStart && size - i >= kBegin.size() && std::memcmp(data + i, kBegin.data(), kBegin.size()) == 0)
      return true;
    lineStart = data[i] == '\n';
    const uint64_t n = isText(data[i]) ? 1 : utf8Length(data + i, size - i);
    if (n == 0) return false;
    i += n;
  }
  return false;
}

PemReader::PemReader(const unsigned char *data, uint64_t size)
    : data_(data), size_(size), pos_(textStart(data, size)) {}

std::string_view PemReader::line() {
  const uint64_t start = pos_;
  while (pos_ < size_ && data_[pos_] != '\n') ++pos_;
  uint64_t end = pos_;
  if (pos_ < size_) ++pos_;
  if (end > start && data_[end - 1] == '\r') --end;
  ++lineNumber_;
  return {reinterpret_cast<const char *>(data_ + start), static_cast<std::size_t>(end - start)};
}

bool PemReader::next(PemBlock &block) {
  block = PemBlock{};
  std::string_view s;
  do {
    if (pos_ >= size_) return false;
    s = line();
  } while (!s.starts_with(kBegin));
  s.remove_prefix(kBegin.size());
  block.label = std::string(s.substr(0, s.find(kDashes)));
  const uint64_t beginLine = lineNumber_;

  unsigned bits = 0;
  int count = 0;
  bool padded = false;
  while (pos_ < size_) {
    s = line();
    if (s.starts_with(kEnd)) {
      // The END line names the label its BEGIN line gave.
      s.remove_prefix(kEnd.size());
      if (s.substr(0, s.find(kDashes)) != block.label && block.error.empty())
        block.error = "the END line " + std::to_string(lineNumber_) + " closes no " + block.label + " block";
      return true;
    }
    // Header lines of encrypted blocks ("Proc-Type: ...") carry no octets.
    if (s.find(':') != std::string_view::npos) continue;
    for (char c : s) {
      if (c == ' ' || c == '\t') continue;
      if (c == '=') {
        padded = true;
        continue;
      }
      const int v = base64Value(c);
      if (v < 0 || padded) {
        if (block.error.empty())
          block.error = "not base64 on line " + std::to_string(lineNumber_);
        continue;
      }
      bits = (bits << 6) | static_cast<unsigned>(v);
      count += 6;
      if (count >= 8) {
        count -= 8;
        block.octets.push_back(static_cast<unsigned char>(bits >> count));
        bits &= (1u << count) - 1;
      }
    }
  }
  if (block.error.empty())
    block.error = "no END line for the BEGIN line " + std::to_string(beginLine);
  return true;
}

}  // namespace zurtrace
