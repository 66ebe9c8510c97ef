// The stand-in's BER decoder: it decodes no values, it walks the TLVs of its
// input and reports every element to apiTraceEncoding, so that the library
// can be seen tracing real encodings.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core_env.h"

namespace zurcore {
namespace {

// The decoding rows this decoder raises, in the library's message format.
struct DecodeRow {
  int row;
  const char *message;
  int code;
  bool takesLong;  // the message is followed by a "%ld" argument
};

enum Failure {
  TAG_TOO_LONG,
  LENGTH_TOO_LONG,
  NON_STANDARD_EOC,
  INCONSISTENT_LENGTHS,
  EXPECTED_EOC,
  PRIMITIVE_INDEFINITE,
  PREMATURE_END,
  UNEXPECTED_EOC,
  NULL_INPUT,
  OUT_OF_MEMORY
};

constexpr DecodeRow kRows[] = {
    {73, "0019E: Tag too long: ", 10, true},
    {79, "0026S: Length too long: ", 10, false},
    {81, "0028E: Non-standard EOC octets", 5, false},
    {83, "0031S: Inconsistent lengths", 5, false},
    {100, "0050S: Expected EOC octets", 5, false},
    {101, "0051S: Found primitive encoding with indefinite length", 5, false},
    {105, "0055S: Premature end of input buffer", 4, false},
    {108, "0058E: Expected tag, found EOC octets", 5, false},
    {62, "0011S: Unexpected NULL pointer in input", 11, false},
    {7, "0008S: Out of memory; bytes requested: ", 8, false},
};
static_assert(std::size(kRows) == OUT_OF_MEMORY + 1, "one row per failure");

// Writes the row as the library does: 'D', the text, its argument, ".\n".
int reportRow(char *msgBuf, Failure failure, long argument, char *copy, std::size_t copySize) {
  const DecodeRow &row = kRows[failure];
  if (row.takesLong)
    std::snprintf(copy, copySize, "D%s%ld.\n", row.message, argument);
  else
    std::snprintf(copy, copySize, "D%s.\n", row.message);
  if (msgBuf != nullptr) std::strcpy(msgBuf, copy);
  return row.code;
}

// Tag numbers must fit the 14 bits of TagLen.tag.
constexpr uint32_t kMaxTagNumber = 0x3FFF;
constexpr uint32_t kDecodeFlagPrintErrors = 0x2;
constexpr std::size_t kTextRoom = 160;
// BER events carry no PER item; under PER rules they print the names only.
constexpr int32_t kNoPerItem = -1;

const char *universalName(uint32_t number) {
  static constexpr const char *names[] = {
      nullptr,          "BOOLEAN",           "INTEGER",         "BIT STRING",
      "OCTET STRING",   "NULL",              "OBJECT IDENTIFIER", "ObjectDescriptor",
      "EXTERNAL",       "REAL",              "ENUMERATED",      "EMBEDDED PDV",
      "UTF8String",     "RELATIVE-OID",      "TIME",            nullptr,
      "SEQUENCE",       "SET",               "NumericString",   "PrintableString",
      "TeletexString",  "VideotexString",    "IA5String",       "UTCTime",
      "GeneralizedTime", "GraphicString",    "VisibleString",   "GeneralString",
      "UniversalString", "CHARACTER STRING", "BMPString",       "DATE",
      "TIME-OF-DAY",    "DATE-TIME",         "DURATION",        "OID-IRI",
      "RELATIVE-OID-IRI"};
  return number < std::size(names) ? names[number] : nullptr;
}

// A trace record with room for its inline text behind it.
struct TraceEvent {
  TraceRec rec;
  char room[kTextRoom];
};

// One constructed element whose contents are being walked.
struct Level {
  std::size_t end;  // end of the contents, or of the enclosing contents when indefinite
  bool indefinite;
  int32_t depth;    // depth of the elements inside
  int32_t children;
};

struct Header {
  uint8_t tagClass;
  bool constructed;
  uint32_t number;
  bool definite;
  uint32_t length;
  std::size_t size;  // octets of tag and length
};

class Walker {
 public:
  Walker(Env *env, const unsigned char *in, std::size_t size, uint32_t flags, char *msgBuf)
      : env_(env), in_(in), size_(size), flags_(flags), msgBuf_(msgBuf),
        trace_(reinterpret_cast<ApiTraceEncodingFn>(zurcoreApiTbl(env)[SLOT_TRACE_ENCODING])) {}

  // Walks every top-level element; returns 0 or the code of a decoding row.
  int run() {
    if (size_ == 0) return fail(PREMATURE_END);
    levels_.push_back(Level{size_, false, 0, 0});
    while (!levels_.empty()) {
      int status = step();
      if (status != 0) return status;
    }
    return 0;
  }

 private:
  int step() {
    Level &level = levels_.back();
    if (level.indefinite) {
      if (pos_ + 1 < level.end && in_[pos_] == 0) {
        if (in_[pos_ + 1] != 0) return fail(NON_STANDARD_EOC);
        emitEoc(level.depth);
        pos_ += 2;
        levels_.pop_back();
        return 0;
      }
      if (pos_ >= level.end) return fail(level.end == size_ ? PREMATURE_END : EXPECTED_EOC);
    } else if (pos_ == level.end) {
      levels_.pop_back();
      return 0;
    }
    if (in_[pos_] == 0 && !level.indefinite) return fail(UNEXPECTED_EOC);

    Header h{};
    int status = readHeader(level.end, h);
    if (status != 0) return status;
    const std::size_t contents = pos_ + h.size;
    if (h.definite && h.length > level.end - contents) return fail(overrun(level.end));
    if (!h.definite && !h.constructed) return fail(PRIMITIVE_INDEFINITE);

    emitElement(h, level.depth, ++level.children);
    pos_ = contents;
    if (!h.constructed)
      pos_ += h.length;
    else if (h.definite)
      levels_.push_back(Level{contents + h.length, false, level.depth + 1, 0});
    else
      levels_.push_back(Level{level.end, true, level.depth + 1, 0});
    return 0;
  }

  // An element that does not fit: the buffer ran out, or its parent's length.
  Failure overrun(std::size_t limit) const {
    return limit == size_ ? PREMATURE_END : INCONSISTENT_LENGTHS;
  }

  int readHeader(std::size_t limit, Header &h) {
    std::size_t p = pos_;
    const unsigned char first = in_[p++];
    h.tagClass = first >> 6;
    h.constructed = (first & 0x20) != 0;
    h.number = first & 0x1F;
    if (h.number == 0x1F) {
      h.number = 0;
      long octets = 1;
      for (;;) {
        if (p >= limit) return fail(overrun(limit));
        const unsigned char b = in_[p++];
        ++octets;
        h.number = (h.number << 7) | (b & 0x7F);
        if (h.number > kMaxTagNumber) return fail(TAG_TOO_LONG, octets);
        if ((b & 0x80) == 0) break;
      }
    }
    if (p >= limit) return fail(overrun(limit));
    const unsigned char lead = in_[p++];
    h.definite = lead != 0x80;
    h.length = lead;
    if (lead > 0x80) {
      const std::size_t count = lead & 0x7F;
      if (count > 4) return fail(LENGTH_TOO_LONG);
      if (count > limit - p) return fail(overrun(limit));
      uint64_t length = 0;
      for (std::size_t k = 0; k < count; ++k) length = (length << 8) | in_[p++];
      if (length > INT32_MAX) return fail(LENGTH_TOO_LONG);
      h.length = static_cast<uint32_t>(length);
    } else if (lead == 0x80) {
      h.length = 0;
    }
    h.size = p - pos_;
    return 0;
  }

  void emitElement(const Header &h, int32_t depth, int32_t index) {
    TagLen tag{};
    tag.length = static_cast<int32_t>(h.length);
    tag.tag = static_cast<uint16_t>((h.tagClass << 14) | h.number);
    tag.lenFlags = h.definite ? TAGLEN_DEFINITE : 0;
    TraceRec &rec = event_.rec;
    rec = TraceRec{};
    rec.eventKind = TRACE_COMPONENT;
    rec.caption = h.tagClass == 0 ? universalName(h.number) : nullptr;
    rec.tagCount = 1;
    rec.tags = &tag;
    rec.perItem = kNoPerItem;
    rec.index = index;
    rec.depth = depth;
    rec.formFlags = h.constructed ? 0 : TRACE_PRIMITIVE;
    trace_(env_, &rec, 0);
  }

  void emitEoc(int32_t depth) {
    TraceRec &rec = event_.rec;
    rec = TraceRec{};
    rec.eventKind = TRACE_EOC;
    rec.tagCount = 1;
    rec.tags = &depth;
    trace_(env_, &rec, 0);
  }

  void emitText(const char *text) {
    TraceRec &rec = event_.rec;
    rec = TraceRec{};
    rec.eventKind = TRACE_TEXT;
    char *dst = reinterpret_cast<char *>(&event_) + offsetof(TraceRec, text);
    std::snprintf(dst, sizeof(TraceEvent) - offsetof(TraceRec, text), "%s", text);
    trace_(env_, &rec, 0);
  }

  // Reports the octets left unparsed as free text, writes the row into the
  // message buffer (printing it too when the decoder flags ask), and returns
  // the row's code.
  int fail(Failure failure, long argument = 0) {
    char text[kTextRoom];
    int n = std::snprintf(text, sizeof text, "not parsed: %ld octets from offset %ld:",
                          static_cast<long>(size_ - pos_), static_cast<long>(pos_));
    for (std::size_t k = pos_; k < size_ && k < pos_ + 8 && n < 140; ++k)
      n += std::snprintf(text + n, sizeof text - n, " %02X", in_[k]);
    std::snprintf(text + n, sizeof text - n, "%s\n", size_ - pos_ > 8 ? " ..." : "");
    emitText(text);

    char message[kTextRoom];
    const int code = reportRow(msgBuf_, failure, argument, message, sizeof message);
    if (flags_ & kDecodeFlagPrintErrors) emitText(message);
    return code;
  }

  Env *env_;
  const unsigned char *in_;
  std::size_t size_;
  uint32_t flags_;
  char *msgBuf_;
  ApiTraceEncodingFn trace_;
  std::size_t pos_ = 0;
  std::vector<Level> levels_;
  TraceEvent event_{};
};

int decodeTrace(Env *env, int32_t *, void **inPtr, int32_t *inLen, void **, uint32_t *,
                const CtlTbl *, uint32_t flags, char *msgBuf) {
  char message[kTextRoom];
  if (inPtr == nullptr || *inPtr == nullptr || inLen == nullptr || *inLen < 0)
    return reportRow(msgBuf, NULL_INPUT, 0, message, sizeof message);
  Walker walker(env, static_cast<const unsigned char *>(*inPtr), static_cast<std::size_t>(*inLen),
                flags, msgBuf);
  int status;
  try {
    status = walker.run();
  } catch (const std::bad_alloc &) {
    return reportRow(msgBuf, OUT_OF_MEMORY, 0, message, sizeof message);
  }
  // The whole input is taken when it decodes; on failure it is left as given.
  if (status == 0) {
    *inPtr = static_cast<unsigned char *>(*inPtr) + *inLen;
    *inLen = 0;
  }
  return status;
}

}  // namespace

const CodecEntry &builtinBerCodec() {
  static constexpr CodecEntry codec{nullptr, decodeTrace};
  return codec;
}

}  // namespace zurcore
