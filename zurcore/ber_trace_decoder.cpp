// The stand-in's BER decoder: it decodes no values, it walks the TLVs of its
// input and reports every element to apiTraceEncoding, so that the library
// can be seen tracing real encodings. As a codec it traces tags and lengths;
// for a tool (zurcoreTraceBer) it also shows contents, looks inside
// encapsulated DER, follows truncated elements and takes 64-bit lengths.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "ber/header.h"
#include "ber_value_text.h"
#include "codec/report.h"
#include "codec/rows.h"
#include "core_env.h"
#include "zurbase/status.h"

namespace zurcore {
namespace {

enum Failure {
  TAG_TOO_LONG,
  LENGTH_TOO_LONG,
  NON_STANDARD_EOC,
  INCONSISTENT_LENGTHS,
  EXPECTED_EOC,
  PRIMITIVE_INDEFINITE,
  PREMATURE_END,
  UNEXPECTED_EOC,
  RESERVED_TAG,
  MALFORMED_CONTENTS,
  NULL_INPUT,
  OUT_OF_MEMORY
};

// The error-table rows of the failures.
constexpr int kRows[] = {ROW_TAG_TOO_LONG,         ROW_LENGTH_TOO_LONG,   ROW_NON_STANDARD_EOC,
                         ROW_INCONSISTENT_LENGTHS, ROW_EXPECTED_EOC,      ROW_PRIMITIVE_INDEFINITE,
                         ROW_PREMATURE_END,        ROW_UNEXPECTED_EOC,    ROW_TAG_MISMATCH,
                         ROW_MISENCODED,           ROW_NULL_IN_INPUT,     ROW_OUT_OF_MEMORY};
static_assert(std::size(kRows) == OUT_OF_MEMORY + 1, "one row per failure");

// Writes the row as the library does, 'D', the text, its argument (a tag's
// or a length's size in octets, the reserved tag [UNIVERSAL 0]), the detail
// in parentheses, ".\n", into `copy` and the message buffer.
int reportRow(char *msgBuf, Failure failure, long argument, char *copy, const char *detail = nullptr) {
  ReportArg arg{};
  if (failure == TAG_TOO_LONG || failure == LENGTH_TOO_LONG) arg = ReportArg::of(argument);
  if (failure == RESERVED_TAG) arg = ReportArg::tag(0);
  const int code = report(nullptr, copy, 0, 'D', kRows[failure], arg, detail, ReportPlace{});
  if (msgBuf != nullptr) std::strcpy(msgBuf, copy);
  return code;
}

// Tag numbers must fit the 14 bits of TagLen.tag.
constexpr uint32_t kMaxTagNumber = 0x3FFF;
constexpr uint32_t kDecodeFlagPrintErrors = 0x2;
constexpr std::size_t kTextRoom = kValueTextRoom + 512;
// Indentation of the free-text lines, capped so that a line at any depth
// (--max-depth goes to 100000) still fits kTextRoom with its text.
constexpr int kMaxTextIndent = 200;
int textIndent(int64_t columns) {
  return static_cast<int>(columns < kMaxTextIndent ? columns : kMaxTextIndent);
}
// Element and EOC lines are indented two blanks a level up to this depth, so
// that the trace grows linearly with its input at any depth; deeper elements
// name their depth.
constexpr int32_t kMaxIndentDepth = kMaxTextIndent / 2;
int32_t indentDepth(int32_t depth) { return depth < kMaxIndentDepth ? depth : kMaxIndentDepth; }
// The walk tells how far it has come when it has moved on this far, or back.
constexpr std::size_t kPassedStep = std::size_t{1} << 20;
// Encapsulated DER is looked for no deeper than this inside one string.
constexpr std::size_t kMaxEncapsulatedNesting = 64;
// Room for what makes an element malformed.
constexpr std::size_t kWhyRoom = 96;
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

// What a walk does beyond tracing tags and lengths.
struct WalkOptions {
  bool values = false;          // primitive contents as extra text
  bool encapsulated = false;    // trace DER inside OCTET STRING and BIT STRING
  bool enterTruncated = false;  // trace a constructed element cut short as far as it goes
  bool longLengths = false;     // up to 8 length octets; lengths past INT32_MAX
  int32_t maxDepth = INT32_MAX;
  void (*passed)(void *, uint64_t) = nullptr;  // told the lowest offset still to be read
  void *context = nullptr;
  bool offsets = false;                        // offset and header length on each line
  const char *(*oidName)(void *, const unsigned char *, uint64_t) = nullptr;
  void *oidContext = nullptr;
  bool contents = false;  // show what is malformed past the headers, fail at the end
};

// One constructed element whose contents are being walked.
struct Level {
  std::size_t end;  // end of the contents, or of the enclosing contents when indefinite
  bool indefinite;
  int32_t depth;    // depth of the elements inside
  int32_t children;
  bool truncated;   // the element claimed more than `end` leaves it
  uint32_t string;  // the universal string type whose segments are inside; 0: none
};

struct Header {
  uint8_t tagClass;
  bool constructed;
  uint32_t number;
  bool definite;
  uint64_t length;
  std::size_t size;  // octets of tag and length
};

// Universal types whose encoding is primitive under any rules.
bool alwaysPrimitive(uint32_t number) {
  return number == 1 || number == 2 || number == 5 || number == 6 || number == 9 || number == 10 ||
         number == 13;
}

// A segment of a constructed string is of the string's own type, or an
// OCTET STRING in any but a BIT STRING.
bool isSegmentOf(const Header &h, uint32_t string) {
  return h.tagClass == 0 && (h.number == string || (h.number == 4 && string != 3));
}

const char *const kClassNames[] = {"UNIVERSAL ", "APPLICATION ", "", "PRIVATE "};

class Walker {
 public:
  Walker(Env *env, const unsigned char *in, std::size_t size, uint32_t flags, char *msgBuf,
         const WalkOptions &options)
      : env_(env), in_(in), size_(size), flags_(flags), msgBuf_(msgBuf), options_(options),
        trace_(reinterpret_cast<ApiTraceEncodingFn>(zurcoreApiTbl(env)[SLOT_TRACE_ENCODING])) {}

  // Where the walk stopped: the end, or the offset of its fault.
  std::size_t position() const { return pos_; }

  // Walks every top-level element; returns 0 or the code of a decoding row.
  int run() {
    if (size_ == 0) return fail(PREMATURE_END);
    levels_.push_back(Level{size_, false, 0, 0, false, 0});
    while (!levels_.empty()) {
      int status = step();
      if (status != 0) return status;
    }
    if (malformedAt_ == SIZE_MAX) return 0;
    pos_ = malformedAt_;
    char message[kTextRoom];
    return reportRow(msgBuf_, MALFORMED_CONTENTS, 0, message, malformed_);
  }

 private:
  // Before reading from offset on: tells the caller when the walk has moved
  // kPassedStep beyond what it told last, or back before it.
  void reach(std::size_t offset) {
    if (offset - passed_ < kPassedStep) return;
    passed_ = offset;
    if (options_.passed != nullptr) options_.passed(options_.context, offset);
  }

  int step() {
    reach(pos_);
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
      if (level.truncated) return fail(overrun(level.end));
      levels_.pop_back();
      return 0;
    }
    if (in_[pos_] == 0 && !level.indefinite) return fail(UNEXPECTED_EOC);

    Header h{};
    int status = readHeader(level.end, h);
    if (status != 0) return status;
    const std::size_t contents = pos_ + h.size;
    const bool truncated = h.definite && h.length > level.end - contents;
    if (truncated && !(h.constructed && options_.enterTruncated)) return fail(overrun(level.end));
    if (!h.definite && !h.constructed) return fail(PRIMITIVE_INDEFINITE);

    const int32_t depth = level.depth;
    const int32_t index = ++level.children;
    const uint32_t string = level.string;
    if (depth > options_.maxDepth)
      return truncated ? fail(overrun(level.end)) : skipPastDepthLimit(h, level.end);
    const std::size_t end = !h.definite || truncated
                                ? level.end
                                : contents + static_cast<std::size_t>(h.length);
    // `level` is not used below: pushing may move it.
    const std::size_t inner = h.constructed ? contents : encapsulatedStart(h, depth, contents, end);
    char why[kWhyRoom] = "";
    if (options_.contents) malformation(h, contents, string, why);
    emitElement(h, depth, index, inner == 0 ? in_ + contents : nullptr, why);
    if (inner != 0) {
      pos_ = inner;
      const bool segments = h.constructed && h.tagClass == 0 && h.number < 31 &&  // low numbers: the cast keeps them
                            isUniversalStringTag(static_cast<uint16_t>(h.number));
      levels_.push_back(Level{end, !h.definite, depth + 1, 0, truncated, segments ? h.number : 0});
    } else {
      pos_ = end;
    }
    return 0;
  }

  // Where the DER inside an OCTET STRING or BIT STRING starts; 0 when the
  // contents are not one complete DER element, or not looked into. DER that
  // the depth limit would skip is not looked into: the string's octets are
  // shown instead.
  std::size_t encapsulatedStart(const Header &h, int32_t depth, std::size_t contents, std::size_t end) {
    if (!options_.encapsulated || h.tagClass != 0 || depth >= options_.maxDepth) return 0;
    std::size_t start = contents;
    if (h.number == 3) {
      if (contents == end || in_[contents] != 0) return 0;  // bits left unused: not octets
      ++start;
    } else if (h.number != 4) {
      return 0;
    }
    const bool der = isOneDerElement(start, end);
    reach(contents);  // the element's own line reads its contents
    return der ? start : 0;
  }

  // A single universal element of a known type filling [p, end) exactly,
  // with definite, minimal lengths and the contents DER gives the universal
  // types all the way down: what dumpasn1 and people take for an
  // encapsulated encoding.
  bool isOneDerElement(std::size_t p, const std::size_t end) {
    if (p == end || (in_[p] & 0xC0) != 0 || universalName(in_[p] & 0x1F) == nullptr) return false;
    std::size_t ends[kMaxEncapsulatedNesting];
    std::size_t open = 0;
    std::size_t limit = end;
    for (bool top = true;; top = false) {
      while (p == limit) {
        if (open == 0) return !top;
        limit = ends[--open];
      }
      reach(p);
      const unsigned char first = in_[p++];
      if (first == 0) return false;
      // DER fixes the form of universal types: SEQUENCE, SET and the types
      // built on them (EXTERNAL, EMBEDDED PDV, CHARACTER STRING) are
      // constructed, all others primitive.
      uint32_t number = first & 0x1F;
      if ((first & 0xC0) == 0) {
        const bool constructed =
            number == 16 || number == 17 || number == 8 || number == 11 || number == 29;
        if (((first & 0x20) != 0) != constructed) return false;
      }
      if (number == 0x1F) {
        if (p == limit || in_[p] == 0x80) return false;
        number = 0;
        do {
          if (p == limit || number > kMaxTagNumber) return false;
          number = (number << 7) | (in_[p] & 0x7F);
        } while ((in_[p++] & 0x80) != 0);
        if (number < 0x1F || number > kMaxTagNumber) return false;
      }
      if (p == limit) return false;
      const unsigned char lead = in_[p++];
      uint64_t length = lead;
      if (lead >= 0x80) {
        const std::size_t count = lead & 0x7F;
        if (count == 0 || count > 8 || count > limit - p || in_[p] == 0) return false;
        length = 0;
        for (std::size_t k = 0; k < count; ++k) length = (length << 8) | in_[p++];
        if (length < 0x80) return false;
      }
      if (length > limit - p || (top && length != limit - p)) return false;
      if ((first & 0x20) == 0) {
        if ((first & 0xC0) == 0 && contentsFault(number, in_ + p, length, true) != nullptr) return false;
        p += static_cast<std::size_t>(length);
        continue;
      }
      if (open == kMaxEncapsulatedNesting) return false;
      ends[open++] = limit;
      limit = p + static_cast<std::size_t>(length);
    }
  }

  // Elements past the depth limit are not traced: the first is reported,
  // and each is stepped over, an indefinite one by counting to its EOC.
  int skipPastDepthLimit(const Header &h, std::size_t limit) {
    if (!depthReported_) {
      depthReported_ = true;
      char text[kTextRoom];
      std::snprintf(text, sizeof text,
                    "%*sdepth limit %ld passed at offset %llu: contents not traced\n",
                    textIndent(2 * int64_t{options_.maxDepth} + 2), "",
                    static_cast<long>(options_.maxDepth),
                    static_cast<unsigned long long>(pos_));
      emitText(text);
    }
    pos_ += h.size;
    if (h.definite) {
      pos_ += static_cast<std::size_t>(h.length);
      return 0;
    }
    for (uint64_t open = 1; open != 0;) {
      reach(pos_);
      if (pos_ + 1 < limit && in_[pos_] == 0) {
        if (in_[pos_ + 1] != 0) return fail(NON_STANDARD_EOC);
        pos_ += 2;
        --open;
        continue;
      }
      if (pos_ >= limit) return fail(limit == size_ ? PREMATURE_END : EXPECTED_EOC);
      Header inner{};
      int status = readHeader(limit, inner);
      if (status != 0) return status;
      const std::size_t contents = pos_ + inner.size;
      if (!inner.definite && !inner.constructed) return fail(PRIMITIVE_INDEFINITE);
      if (inner.definite && inner.length > limit - contents) return fail(overrun(limit));
      pos_ = contents + static_cast<std::size_t>(inner.length);
      if (!inner.definite) ++open;
    }
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
    // [UNIVERSAL 0] belongs to the EOC octets alone; the trace line has no
    // way to show it as a tag.
    if (h.tagClass == 0 && h.number == 0) return fail(RESERVED_TAG);
    if (p >= limit) return fail(overrun(limit));
    const unsigned char lead = in_[p++];
    h.definite = lead != 0x80;
    h.length = lead;
    if (lead > 0x80) {
      const std::size_t count = lead & 0x7F;
      if (count > (options_.longLengths ? 8u : 4u)) return fail(LENGTH_TOO_LONG, static_cast<long>(count));
      if (count > limit - p) return fail(overrun(limit));
      uint64_t length = 0;
      for (std::size_t k = 0; k < count; ++k) length = (length << 8) | in_[p++];
      if (length > (options_.longLengths ? UINT64_MAX : INT32_MAX))
        return fail(LENGTH_TOO_LONG, static_cast<long>(count));
      h.length = length;
    } else if (lead == 0x80) {
      h.length = 0;
    }
    h.size = p - pos_;
    return 0;
  }

  // What stands before an element's type: "(depth N)" past the indentation
  // cap, "@offset hl=N" when asked for; blank-separated, empty for none.
  void elementLabel(const Header &h, int32_t depth, char (&label)[64]) const {
    int n = 0;
    label[0] = '\0';
    if (depth > kMaxIndentDepth)
      n = std::snprintf(label, sizeof label, "(depth %ld)", static_cast<long>(depth));
    if (options_.offsets)
      std::snprintf(label + n, sizeof label - n, "%s@%llu hl=%u", n != 0 ? " " : "",
                    static_cast<unsigned long long>(pos_), static_cast<unsigned>(h.size));
  }

  // An OBJECT IDENTIFIER's name, when the caller knows one, behind its arcs.
  void nameObjectId(const unsigned char *contents, uint64_t length, char *text) const {
    if (options_.oidName == nullptr) return;
    const char *name = options_.oidName(options_.oidContext, contents, length);
    if (name == nullptr) return;
    const std::size_t used = std::strlen(text);
    std::snprintf(text + used, kValueTextRoom - used, " (%s)", name);
  }

  // What is malformed in an element past its header, into `why` (empty when
  // nothing is): its form, its place in a constructed string, its contents.
  // The first one found is kept for the walk's result.
  void malformation(const Header &h, std::size_t contents, uint32_t string, char (&why)[kWhyRoom]) {
    if (string != 0 && !isSegmentOf(h, string)) {
      std::snprintf(why, sizeof why, "not a segment of a %s", universalName(string));
    } else if (h.constructed && h.tagClass == 0 && alwaysPrimitive(h.number)) {
      std::snprintf(why, sizeof why, "%s in the constructed form", universalName(h.number));
    } else if (!h.constructed && h.tagClass == 0) {
      const char *fault = contentsFault(h.number, in_ + contents, h.length, false);
      if (fault != nullptr) std::snprintf(why, sizeof why, "%s", fault);
    }
    if (why[0] == '\0' || malformedAt_ != SIZE_MAX) return;
    malformedAt_ = pos_;
    std::snprintf(malformed_, sizeof malformed_, "%s", why);
  }

  // One element's line; `contents`, when given, are shown as its value, and
  // `why`, when not empty, tells what is malformed in it.
  void emitElement(const Header &h, int32_t depth, int32_t index, const unsigned char *contents,
                   const char *why) {
    TraceRec &rec = event_.rec;
    rec = TraceRec{};
    char *text = reinterpret_cast<char *>(&event_) + offsetof(TraceRec, text);
    if (why[0] != '\0') {
      malformedText(why, contents, h.length, options_.values && contents != nullptr, text);
    } else if (options_.values && contents != nullptr && !h.constructed) {
      valueText(env_, h.tagClass == 0, h.number, contents, h.length, text);
      if (h.tagClass == 0 && h.number == 6) nameObjectId(contents, h.length, text);
    }
    char label[64];
    elementLabel(h, depth, label);
    if (h.length > INT32_MAX) return emitLongElement(h, depth, index, label);
    TagLen tag{};
    tag.length = static_cast<int32_t>(h.length);
    tag.tag = static_cast<uint16_t>((h.tagClass << 14) | h.number);
    tag.lenFlags = h.definite ? TAGLEN_DEFINITE : 0;
    rec.eventKind = TRACE_COMPONENT;
    rec.caption = h.tagClass == 0 ? universalName(h.number) : nullptr;
    rec.tagCount = 1;
    rec.tags = &tag;
    rec.perItem = kNoPerItem;
    rec.index = index;
    rec.depth = indentDepth(depth);
    if (label[0] != '\0') rec.label = label;
    rec.formFlags = h.constructed ? 0 : TRACE_PRIMITIVE;
    trace_(env_, &rec, 0);
  }

  // TagLen holds lengths up to INT32_MAX: a longer element's line, the same
  // as the library prints for the others, goes as free text.
  void emitLongElement(const Header &h, int32_t depth, int32_t index, const char *label) {
    const char *caption = h.tagClass == 0 ? universalName(h.number) : nullptr;
    const char *value = reinterpret_cast<char *>(&event_) + offsetof(TraceRec, text);
    char line[kTextRoom];
    std::snprintf(line, sizeof line, "%*s#%ld %s%s%s: tag = [%s%lu] %s; length = %llu%s%*s%s\n",
                  textIndent(2 * int64_t{depth}), "", static_cast<long>(index), label,
                  label[0] != '\0' ? " " : "", caption != nullptr ? caption : "",
                  kClassNames[h.tagClass], static_cast<unsigned long>(h.number),
                  h.constructed ? "constructed" : "primitive",
                  static_cast<unsigned long long>(h.length), value[0] != '\0' ? "\n" : "",
                  value[0] != '\0' ? textIndent(2 * int64_t{depth} + 2) : 0, "", value);
    emitText(line);
  }

  void emitEoc(int32_t depth) {
    depth = indentDepth(depth);
    TraceRec &rec = event_.rec;
    rec = TraceRec{};
    if (options_.offsets) {
      // An EOC event has no room for a label; an element event without a
      // tag prints only its label and caption: "@10 hl=2 EOC".
      char label[32];
      std::snprintf(label, sizeof label, "@%llu hl=2", static_cast<unsigned long long>(pos_));
      const TagLen none{};
      rec.eventKind = TRACE_COMPONENT;
      rec.label = label;
      rec.caption = "EOC";
      rec.tagCount = 1;
      rec.tags = &none;
      rec.perItem = kNoPerItem;
      rec.depth = depth;
      trace_(env_, &rec, 0);
      return;
    }
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
    int n = std::snprintf(text, sizeof text, "not parsed: %llu octets from offset %llu:",
                          static_cast<unsigned long long>(size_ - pos_),
                          static_cast<unsigned long long>(pos_));
    for (std::size_t k = pos_; k < size_ && k < pos_ + 8 && n < 140; ++k)
      n += std::snprintf(text + n, sizeof text - n, " %02X", in_[k]);
    std::snprintf(text + n, sizeof text - n, "%s\n", size_ - pos_ > 8 ? " ..." : "");
    emitText(text);

    char message[kTextRoom];
    const int code = reportRow(msgBuf_, failure, argument, message);
    if (flags_ & kDecodeFlagPrintErrors) emitText(message);
    return code;
  }

  Env *env_;
  const unsigned char *in_;
  std::size_t size_;
  uint32_t flags_;
  char *msgBuf_;
  WalkOptions options_;
  ApiTraceEncodingFn trace_;
  std::size_t pos_ = 0;
  bool depthReported_ = false;
  std::size_t passed_ = 0;
  // The first malformed element's offset (SIZE_MAX: none yet) and what is.
  std::size_t malformedAt_ = SIZE_MAX;
  char malformed_[kWhyRoom] = "";
  std::vector<Level> levels_;
  TraceEvent event_{};
};

int decodeTrace(Env *env, int32_t *, void **inPtr, int32_t *inLen, void **, uint32_t *,
                const CtlTbl *, uint32_t flags, char *msgBuf) {
  char message[kTextRoom];
  if (inPtr == nullptr || *inPtr == nullptr || inLen == nullptr || *inLen < 0)
    return reportRow(msgBuf, NULL_INPUT, 0, message);
  Walker walker(env, static_cast<const unsigned char *>(*inPtr), static_cast<std::size_t>(*inLen),
                flags, msgBuf, WalkOptions{});
  int status;
  try {
    status = walker.run();
  } catch (const std::bad_alloc &) {
    return reportRow(msgBuf, OUT_OF_MEMORY, 0, message);
  }
  // The whole input is taken when it decodes; on failure it is left as given.
  if (status == 0) {
    *inPtr = static_cast<unsigned char *>(*inPtr) + *inLen;
    *inLen = 0;
  }
  return status;
}

}  // namespace

}  // namespace zurcore

extern "C" ZURCORE_EXPORT const CodecEntry *zurcoreTraceCodec(void) {
  static constexpr CodecEntry codec{nullptr, zurcore::decodeTrace};
  return &codec;
}

extern "C" ZURCORE_EXPORT int zurcoreTraceBer(Env *env, const void *data, uint64_t size,
                                              const ZurcoreTraceOptions *options,
                                              uint64_t *faultOffset) {
  using namespace zurcore;
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  static constexpr ZurcoreTraceOptions kDefaults{};
  if (options == nullptr) options = &kDefaults;
  uint64_t unasked;
  if (faultOffset == nullptr) faultOffset = &unasked;
  char message[kTextRoom];
  *faultOffset = 0;
  if (data == nullptr && size != 0)
    return reportRow(env->msgBuf, NULL_INPUT, 0, message);
  if (size > SIZE_MAX) return reportRow(env->msgBuf, OUT_OF_MEMORY, 0, message);
  WalkOptions walk;
  walk.values = options->values != 0;
  walk.encapsulated = walk.enterTruncated = walk.longLengths = true;
  walk.maxDepth = options->maxDepth > 0 ? options->maxDepth : INT32_MAX;
  walk.passed = options->passed;
  walk.context = options->context;
  walk.offsets = options->offsets != 0;
  walk.oidName = options->oidName;
  walk.oidContext = options->oidContext;
  walk.contents = true;
  Walker walker(env, static_cast<const unsigned char *>(data), static_cast<std::size_t>(size),
                kDecodeFlagPrintErrors, env->msgBuf, walk);
  try {
    const int status = walker.run();
    *faultOffset = walker.position();
    return status;
  } catch (const std::bad_alloc &) {
    *faultOffset = walker.position();
    return reportRow(env->msgBuf, OUT_OF_MEMORY, 0, message);
  }
}
