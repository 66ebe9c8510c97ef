// PEM input: text blocks "-----BEGIN label-----" ... "-----END label-----"
// holding base64 of DER, several to a file in a bundle.
#ifndef ZURBASE_TOOLS_ZURTRACE_PEM_H
#define ZURBASE_TOOLS_ZURTRACE_PEM_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zurtrace {

// True when a "-----BEGIN " line comes before any octet that is not text
// (printable ASCII, tab, CR, LF, or a character of well-formed UTF-8), after
// a UTF-8 byte-order mark if there is one, so binary encodings are not taken
// for PEM.
bool looksLikePem(const unsigned char *data, uint64_t size);

struct PemBlock {
  std::string label;
  std::vector<unsigned char> octets;
  std::string error;  // why the block is malformed; empty when it decoded
};

// Reads the blocks one by one; text between them is ignored.
class PemReader {
 public:
  PemReader(const unsigned char *data, uint64_t size);
  // The next block, or false after the last.
  bool next(PemBlock &block);
  // Offset of the first octet not read yet.
  uint64_t position() const { return pos_; }

 private:
  // The line starting at pos_ (without its end of line), pos_ moved past it.
  std::string_view line();

  const unsigned char *data_;
  uint64_t size_;
  uint64_t pos_;
  uint64_t lineNumber_ = 0;
};

}  // namespace zurtrace

#endif
