#include "ber_value_text.h"

#include <charconv>
#include <cstring>

#include "zurbase/zurcore.h"

namespace zurcore {
namespace {

// Hexadecimal shows this many octets, strings this many characters; then the count.
constexpr uint64_t kHexOctets = 32;
constexpr uint64_t kStringOctets = 256;
// Integers are shown whole up to this size (a 8192-bit modulus and its sign
// octet), in hexadecimal; longer ones are cut as other octets are.
constexpr uint64_t kIntegerOctets = 1025;

constexpr char kDigits[] = "0123456789ABCDEF";

// Appends to a fixed buffer; the limits above keep every text inside it.
class Out {
 public:
  explicit Out(char *buf) : p_(buf) {}
  ~Out() { *p_ = '\0'; }
  void put(char c) { *p_++ = c; }
  void put(const char *s) {
    while (*s != '\0') *p_++ = *s++;
  }
  void number(uint64_t v) { p_ = std::to_chars(p_, p_ + 24, v).ptr; }
  void signedNumber(int64_t v) { p_ = std::to_chars(p_, p_ + 24, v).ptr; }
  void hex(const unsigned char *p, uint64_t n) {
    for (uint64_t k = 0; k < n; ++k) {
      *p_++ = kDigits[p[k] >> 4];
      *p_++ = kDigits[p[k] & 0xF];
    }
  }
  // A character of `width` octets: \xNN for an octet, \uXXXX or \UXXXXXXXX
  // for the wider characters of BMPString and UniversalString.
  void escaped(uint32_t code, unsigned width) {
    if (code >= 0x20 && code < 0x7F && code != '"' && code != '\\') {
      put(static_cast<char>(code));
      return;
    }
    put('\\');
    const int digits = width == 1 ? 2 : code <= 0xFFFF ? 4 : 8;
    put(digits == 2 ? 'x' : digits == 4 ? 'u' : 'U');
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) put(kDigits[(code >> shift) & 0xF]);
  }
  void moreOctets(uint64_t shown, uint64_t total) {
    if (shown == total) return;
    put(" ... (");
    number(total);
    put(" octets)");
  }

 private:
  char *p_;
};

void hexText(Out &out, const unsigned char *p, uint64_t n) {
  const uint64_t shown = n < kHexOctets ? n : kHexOctets;
  out.hex(p, shown);
  out.moreOctets(shown, n);
}

// Two's complement, most significant octet first: decimal while it fits 64
// bits, else the octets in hexadecimal.
void integerText(Out &out, const unsigned char *p, uint64_t n) {
  if (n > 8) {
    out.put("0x");
    return n > kIntegerOctets ? hexText(out, p, n) : out.hex(p, n);
  }
  uint64_t v = (p[0] & 0x80) != 0 ? ~uint64_t{0} : 0;
  for (uint64_t k = 0; k < n; ++k) v = (v << 8) | p[k];
  out.signedNumber(static_cast<int64_t>(v));
}

// Characters of `width` octets (1, 2 for BMPString, 4 for UniversalString),
// quoted, with anything but printable ASCII escaped.
void stringText(Out &out, const unsigned char *p, uint64_t n, unsigned width, bool quoted) {
  const uint64_t shown = n < kStringOctets ? n : kStringOctets;
  if (quoted) out.put('"');
  uint64_t k = 0;
  for (; k + width <= shown; k += width) {
    uint32_t code = 0;
    for (unsigned b = 0; b < width; ++b) code = (code << 8) | p[k + b];
    out.escaped(code, width);
  }
  for (; k < shown; ++k) out.escaped(p[k], 1);  // a partial last character
  if (quoted) out.put('"');
  out.moreOctets(shown, n);
}

// Arcs too large for 64 bits, or too many for the room, show as octets.
void objectIdText(Env *env, Out &out, const unsigned char *p, uint64_t n) {
  OidInput in{static_cast<uint16_t>(n), 0, p};
  OidOutput text{0, nullptr};
  const int result = n <= UINT16_MAX ? zurcoreOidToText(env, &in, &text) : OID_MALFORMED;
  if (result == OID_COMPLETE && std::strlen(text.text) < kValueTextRoom) {
    out.put(text.text);
  } else {
    hexText(out, p, n);
  }
  if (text.text != nullptr) env->memFree(text.text);
}

}  // namespace

const char *contentsFault(uint32_t number, const unsigned char *p, uint64_t n, bool der) {
  switch (number) {
    case 1:  // BOOLEAN
      if (n == 0) return "BOOLEAN without contents octets";
      if (n > 1) return "BOOLEAN of more than one octet";
      return der && p[0] != 0 && p[0] != 0xFF ? "DER: TRUE not FF" : nullptr;
    case 2:   // INTEGER
    case 10:  // ENUMERATED
      if (n == 0) return number == 2 ? "INTEGER without contents octets" : "ENUMERATED without contents octets";
      // The first nine bits all zeros or all ones: the first octet is not needed.
      if (der && n > 1 && ((p[0] == 0 && p[1] < 0x80) || (p[0] == 0xFF && p[1] >= 0x80)))
        return "DER: more octets than needed";
      return nullptr;
    case 3:  // BIT STRING: the unused-bits count first
      if (n == 0) return "BIT STRING without contents octets";
      if (p[0] > 7) return "BIT STRING of more than 7 unused bits";
      if (n == 1 && p[0] != 0) return "BIT STRING of unused bits but no bits";
      if (der && (p[n - 1] & ((1u << p[0]) - 1)) != 0) return "DER: padding bits not zero";
      return nullptr;
    case 5:  // NULL
      return n != 0 ? "NULL with contents octets" : nullptr;
    case 6:  // OBJECT IDENTIFIER
      if (n == 0) return "OBJECT IDENTIFIER without contents octets";
      if ((p[n - 1] & 0x80) != 0) return "OBJECT IDENTIFIER with an unfinished last sub-identifier";
      for (uint64_t k = 0; k < n; ++k)
        if (p[k] == 0x80 && (k == 0 || (p[k - 1] & 0x80) == 0))
          return "OBJECT IDENTIFIER with a sub-identifier led by 80";
      return nullptr;
    default:
      return nullptr;
  }
}

void malformedText(const char *why, const unsigned char *contents, uint64_t size, bool octets,
                   char *buf) {
  Out out(buf);
  out.put("malformed (");
  out.put(why);
  out.put(')');
  if (!octets || size == 0) return;
  out.put(": ");
  hexText(out, contents, size);
}

void valueText(Env *env, bool universal, uint32_t number, const unsigned char *contents,
               uint64_t size, char *buf) {
  Out out(buf);
  if (!universal) return hexText(out, contents, size);
  switch (number) {
    case 1:  // BOOLEAN
      return out.put(contents[0] != 0 ? "TRUE" : "FALSE");
    case 2:   // INTEGER
    case 10:  // ENUMERATED
      return integerText(out, contents, size);
    case 3:  // BIT STRING: the unused-bits count, then the bits
      if (contents[0] != 0) {
        out.put('(');
        out.number(contents[0]);
        out.put(" unused bits) ");
      }
      return hexText(out, contents + 1, size - 1);
    case 5:  // NULL has no contents to show
      return;
    case 6:
      return objectIdText(env, out, contents, size);
    case 7: case 12: case 18: case 19: case 20: case 21: case 22: case 25: case 26: case 27:
      return stringText(out, contents, size, 1, true);
    case 23: case 24:  // UTCTime, GeneralizedTime: their own text
      return stringText(out, contents, size, 1, false);
    case 28:  // UniversalString
      return stringText(out, contents, size, 4, true);
    case 30:  // BMPString
      return stringText(out, contents, size, 2, true);
    default:
      return hexText(out, contents, size);
  }
}

}  // namespace zurcore
