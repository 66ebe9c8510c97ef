// The PER building blocks against X.691's rules, octet for octet, in both
// variants; every encoding row is also decoded back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "zurbase/codec_tables.h"
#include "zurcore/codec/oid_arcs.h"
#include "zurcore/per/char_alphabet.h"
#include "zurcore/per/length_pieces.h"

namespace {

using namespace zurcore;
using namespace zurcore::per;

std::string hex(const uint8_t *data, std::size_t n) {
  std::string s;
  char two[4];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(two, sizeof two, i ? " %02X" : "%02X", data[i]);
    s += two;
  }
  return s;
}
std::string hex(const BitWriter &w) { return hex(w.data(), w.octetLength()); }

std::vector<uint8_t> octets(const std::string &text) {
  std::vector<uint8_t> v;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3)
    v.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  return v;
}

enum Variant { U, A };
enum Form { CONSTRAINED, SEMI, UNCONSTRAINED, SMALL, SMALL_LENGTH, LENGTH };

// One number, after a leading 1 bit when `prefixed`, which shows alignment.
struct NumberCase {
  Form form;
  Variant variant;
  bool prefixed;
  int64_t lower, upper;  // bounds of CONSTRAINED and LENGTH (upper < lower: unbounded)
  int64_t value;
  const char *octets;
  uint64_t bits;
};

constexpr int64_t kMin = INT64_MIN, kMax = INT64_MAX;
const NumberCase kNumbers[] = {
    {CONSTRAINED, A, true, 5, 5, 5, "80", 1},
    {CONSTRAINED, U, true, 0, 7, 5, "D0", 4},
    {CONSTRAINED, A, true, -5, 5, -5, "80", 5},
    {CONSTRAINED, A, true, 0, 254, 1, "80 80", 9},
    {CONSTRAINED, A, true, 0, 255, 1, "80 01", 16},
    {CONSTRAINED, U, true, 0, 255, 1, "80 80", 9},
    {CONSTRAINED, A, true, 0, 256, 256, "80 01 00", 24},
    {CONSTRAINED, A, true, 0, 65535, 0x1234, "80 12 34", 24},
    {CONSTRAINED, A, true, 0, 65536, 1, "80 01", 16},
    {CONSTRAINED, A, true, 0, 65536, 65536, "C0 01 00 00", 32},
    {CONSTRAINED, U, true, 0, 65536, 65536, "C0 00 00", 18},
    {CONSTRAINED, A, false, 1, 4294967296, 4294967296, "C0 FF FF FF FF", 40},
    {CONSTRAINED, A, false, kMin, kMax, kMax, "E0 FF FF FF FF FF FF FF FF", 72},
    {CONSTRAINED, U, false, kMin, kMax, kMin, "00 00 00 00 00 00 00 00", 64},
    {SEMI, A, true, 0, 0, 0, "80 01 00", 24},
    {SEMI, U, true, 0, 0, 256, "81 00 80 00", 25},
    {UNCONSTRAINED, A, false, 0, 0, -1, "01 FF", 16},
    {UNCONSTRAINED, A, false, 0, 0, 128, "02 00 80", 24},
    {UNCONSTRAINED, A, true, 0, 0, -129, "80 02 FF 7F", 32},
    {UNCONSTRAINED, U, true, 0, 0, -1, "80 FF 80", 17},
    {UNCONSTRAINED, A, false, 0, 0, kMin, "08 80 00 00 00 00 00 00 00", 72},
    {SMALL, U, false, 0, 0, 5, "0A", 7},
    {SMALL, A, false, 0, 0, 63, "7E", 7},
    {SMALL, A, false, 0, 0, 64, "80 01 40", 24},
    {SMALL, U, false, 0, 0, 64, "80 A0 00", 17},
    {SMALL_LENGTH, U, false, 0, 0, 1, "00", 7},
    {SMALL_LENGTH, U, false, 0, 0, 64, "7E", 7},
    {SMALL_LENGTH, A, false, 0, 0, 65, "80 41", 16},
    {LENGTH, U, true, 0, 10, 3, "98", 5},
    {LENGTH, A, true, 1, 300, 300, "80 01 2B", 24},
    {LENGTH, A, true, 0, 65535, 2, "80 00 02", 24},
    {LENGTH, A, true, 0, 65536, 2, "80 02", 16},
    {LENGTH, U, true, 0, -1, 5, "82 80", 9},
    {LENGTH, A, false, 3, -1, 200, "80 C8", 16},
    {LENGTH, A, false, 0, -1, 16383, "BF FF", 16},
    {LENGTH, U, false, 0, -1, 16384, "C1", 8},
    {LENGTH, A, false, 0, -1, 70000, "C4", 8},
};

LengthBounds boundsOf(const NumberCase &c) {
  LengthBounds b;
  b.lower = static_cast<uint32_t>(c.lower);
  b.bounded = c.upper >= c.lower;
  b.upper = b.bounded ? static_cast<uint32_t>(c.upper) : 0;
  return b;
}

TEST(PerWholeNumbers, EncodeAndDecodeAsX691Says) {
  for (const NumberCase &c : kNumbers) {
    SCOPED_TRACE(std::string(c.octets) + (c.variant == A ? " aligned" : " unaligned"));
    BitWriter w(c.variant == A);
    if (c.prefixed) w.putBit(true);
    uint64_t span = static_cast<uint64_t>(c.upper) - static_cast<uint64_t>(c.lower);
    uint64_t offset = static_cast<uint64_t>(c.value) - static_cast<uint64_t>(c.lower);
    uint64_t expectedBack = static_cast<uint64_t>(c.value);
    switch (c.form) {
      case CONSTRAINED: putConstrained(w, offset, span); expectedBack = offset; break;
      case SEMI: putSemiConstrained(w, offset); expectedBack = offset; break;
      case UNCONSTRAINED: putUnconstrained(w, c.value); break;
      case SMALL: putSmallNumber(w, static_cast<uint64_t>(c.value)); break;
      case SMALL_LENGTH: putSmallLength(w, static_cast<uint32_t>(c.value)); break;
      case LENGTH:
        expectedBack = putLength(w, boundsOf(c), static_cast<uint64_t>(c.value));
        break;
    }
    EXPECT_EQ(w.bitLength(), c.bits);
    EXPECT_EQ(hex(w), c.octets);

    std::vector<uint8_t> in = octets(c.octets);
    BitReader r(in.data(), in.size(), c.variant == A);
    bool bit = false;
    if (c.prefixed) {
      ASSERT_TRUE(r.getBit(bit));
    }
    uint64_t back = 0;
    int64_t signedBack = 0;
    uint32_t length = 0;
    bool fragment = false, ok = false;
    switch (c.form) {
      case CONSTRAINED: ok = getConstrained(r, span, back); break;
      case SEMI: ok = getSemiConstrained(r, back); break;
      case UNCONSTRAINED: ok = getUnconstrained(r, signedBack); back = static_cast<uint64_t>(signedBack); break;
      case SMALL: ok = getSmallNumber(r, back); break;
      case SMALL_LENGTH: ok = getSmallLength(r, length); back = length; break;
      case LENGTH:
        ok = getLength(r, boundsOf(c), length, fragment);
        back = length;
        EXPECT_EQ(fragment, isFragment(boundsOf(c), length));
        break;
    }
    ASSERT_TRUE(ok);
    EXPECT_EQ(back, expectedBack);
    EXPECT_EQ(r.position(), c.bits);
  }
}

// Malformed or cut-off input: the row and the bit offset where it shows.
struct FaultCase {
  Form form;
  Variant variant;
  const char *octets;
  int row;
  uint64_t bitOffset;
};

const FaultCase kFaults[] = {
    {CONSTRAINED, U, "", ROW_PREMATURE_END, 0},
    {UNCONSTRAINED, A, "03 01 02", ROW_PREMATURE_END, 8},
    {UNCONSTRAINED, A, "00", ROW_MISENCODED, 8},
    {UNCONSTRAINED, A, "09 01 02 03 04 05 06 07 08 09", ROW_INTEGER_TOO_LONG, 8},
    {SEMI, U, "C1", ROW_INTEGER_TOO_LONG, 8},
    {LENGTH, A, "C5", ROW_MISENCODED, 8},
    {LENGTH, U, "80", ROW_PREMATURE_END, 8},
    {SMALL_LENGTH, U, "80 00", ROW_MISENCODED, 9},
    {SMALL, A, "80 00", ROW_MISENCODED, 16},
};

TEST(PerWholeNumbers, MalformedInputNamesItsRowAndBit) {
  for (const FaultCase &c : kFaults) {
    SCOPED_TRACE(c.octets);
    std::vector<uint8_t> in = octets(c.octets);
    BitReader r(in.data(), in.size(), c.variant == A, 0);
    uint64_t v;
    int64_t s;
    uint32_t n;
    bool fragment, ok = true;
    switch (c.form) {
      case CONSTRAINED: ok = getConstrained(r, 7, v); break;
      case SEMI: ok = getSemiConstrained(r, v); break;
      case UNCONSTRAINED: ok = getUnconstrained(r, s); break;
      case SMALL: ok = getSmallNumber(r, v); break;
      case SMALL_LENGTH: ok = getSmallLength(r, n); break;
      case LENGTH: ok = getLength(r, kUnboundedLength, n, fragment); break;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(r.fault().row, c.row);
    EXPECT_EQ(r.fault().bitOffset, c.bitOffset);
  }
}

// Octet strings of every size class behind an unbounded length: the
// determinants of 16K fragments, and the final one that may be empty.
TEST(PerLengthPieces, FragmentsOfSixteenK) {
  const struct {
    uint64_t count;
    std::vector<std::pair<uint64_t, std::string>> determinants;  // octet offset, octets
    uint64_t totalOctets;
  } cases[] = {
      {0, {{0, "00"}}, 1},
      {16384, {{0, "C1"}, {16385, "00"}}, 16386},
      {32768 + 5, {{0, "C2"}, {32769, "05"}}, 32775},
      {65536 + 16384 + 200, {{0, "C4"}, {65537, "C1"}, {81922, "80 C8"}}, 82124},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.count);
    std::vector<uint8_t> data(c.count);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
    BitWriter w(true);
    putPieces(w, kUnboundedLength, c.count, true,
              [&](uint64_t first, uint32_t n) { w.putOctets(data.data() + first, n); });
    ASSERT_EQ(w.octetLength(), c.totalOctets);
    for (const auto &[at, text] : c.determinants)
      EXPECT_EQ(hex(w.data() + at, text.size() / 3 + 1), text);

    BitReader r(w.data(), w.octetLength(), true);
    uint64_t total;
    BitReader after(r);
    ASSERT_TRUE(countPieces(r, kUnboundedLength, true, 8, total, after));
    EXPECT_EQ(total, c.count);
    EXPECT_EQ(after.position(), w.bitLength());
    std::vector<uint8_t> back(total);
    ASSERT_TRUE(getPieces(r, kUnboundedLength, true, [&](uint64_t first, uint32_t n) {
      return r.getOctets(back.data() + first, n);
    }));
    EXPECT_EQ(back, data);
  }
}

TEST(PerBits, UnalignedOctetsAndBitStrings) {
  const uint8_t bits[] = {0xAB, 0xCD, 0xE0};
  BitWriter w(false);
  w.putBits(5, 3);
  w.putOctets(bits, 2);
  w.putBitString(bits, 19);
  w.align();
  EXPECT_EQ(hex(w), "B5 79 B5 79 BC");
  EXPECT_EQ(w.bitLength(), 38u);
  w.complete();
  EXPECT_EQ(w.bitLength(), 40u);

  BitReader r(w.data(), w.octetLength(), false);
  uint64_t three;
  uint8_t two[2], nineteen[3];
  ASSERT_TRUE(r.getBits(3, three) && r.getOctets(two, 2) && r.getBitString(nineteen, 19));
  EXPECT_EQ(hex(two, 2), "AB CD");
  EXPECT_EQ(hex(nineteen, 3), "AB CD E0");
  EXPECT_FALSE(r.getBitString(nineteen, 3));
  EXPECT_EQ(r.fault().bitOffset, 38u);

  BitWriter empty(true);
  empty.complete();
  EXPECT_EQ(hex(empty), "00");
}

// Every width at every bit offset, three times over so that reads come
// both from the middle of the input and from its last octets, against the
// same bits set one by one.
TEST(PerBits, EveryWidthAtEveryOffset) {
  const uint64_t pattern = 0xF3A5C3968E1D2B47;
  for (unsigned offset = 0; offset < 8; ++offset) {
    for (unsigned width = 0; width <= 64; ++width) {
      const uint64_t value = width == 64 ? pattern : pattern & ((uint64_t{1} << width) - 1);
      const uint64_t lead = (pattern >> 9) & ((1u << offset) - 1);
      std::vector<uint8_t> expected((3 * (offset + width) + 7) / 8);
      uint64_t at = 0;
      auto set = [&](uint64_t v, unsigned n) {
        for (unsigned i = n; i-- > 0; ++at)
          if ((v >> i) & 1) expected[at / 8] |= static_cast<uint8_t>(0x80u >> (at % 8));
      };
      BitWriter w(false);
      for (int round = 0; round < 3; ++round) {
        w.putBits(lead, offset);
        w.putBits(value, width);
        set(lead, offset);
        set(value, width);
      }
      ASSERT_EQ(hex(w), hex(expected.data(), expected.size())) << offset << " " << width;
      BitReader r(w.data(), w.octetLength(), false);
      for (int round = 0; round < 3; ++round) {
        uint64_t gotLead, got;
        ASSERT_TRUE(r.getBits(offset, gotLead) && r.getBits(width, got)) << offset << " " << width;
        EXPECT_EQ(gotLead, lead);
        EXPECT_EQ(got, value) << offset << " " << width << " round " << round;
      }
    }
  }
}

// Runs of octets at every bit offset, short and long, as the same octets
// put one by one; read back from the middle of the input and from its end,
// and refused where the input stops an octet short.
TEST(PerBits, OctetRunsAtEveryOffset) {
  std::vector<uint8_t> data(40);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA5 ^ (i * 37));
  for (unsigned offset = 0; offset < 8; ++offset) {
    for (std::size_t count : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 33, 40}) {
      SCOPED_TRACE(std::to_string(offset) + " " + std::to_string(count));
      BitWriter run(false), one(false);
      for (BitWriter *w : {&run, &one}) w->putBits(0x5A, offset);
      run.putOctets(data.data(), count);
      for (std::size_t i = 0; i < count; ++i) one.putBits(data[i], 8);
      EXPECT_EQ(hex(run), hex(one));
      EXPECT_EQ(run.bitLength(), offset + 8 * count);
      for (unsigned after : {0u, 24u}) {
        BitWriter w(false);
        w.putBits(0x5A, offset);
        w.putOctets(data.data(), count);
        w.putBits(0xFFFFFF, after);
        BitReader r(w.data(), w.octetLength(), false);
        uint64_t lead, rest;
        std::vector<uint8_t> back(count);
        ASSERT_TRUE(r.getBits(offset, lead) && r.getOctets(back.data(), count) && r.getBits(after, rest));
        EXPECT_EQ(back, std::vector<uint8_t>(data.begin(), data.begin() + count));
        EXPECT_EQ(rest, 0xFFFFFFu >> (24 - after));
      }
      BitReader shortOne(run.data(), (offset + 8 * count) / 8 - (offset == 0 ? 1 : 0), false);
      uint64_t lead;
      uint8_t back[40];
      ASSERT_TRUE(shortOne.getBits(offset, lead));
      EXPECT_FALSE(shortOne.getOctets(back, count));
      EXPECT_EQ(shortOne.fault().row, ROW_PREMATURE_END);
      EXPECT_EQ(shortOne.fault().bitOffset, offset);
    }
  }
}

// Bit strings of every length up to over a window at every bit offset,
// ones behind them: read back with the unused bits of the last octet
// cleared, the reader then at the ones.
TEST(PerBits, BitStringsAtEveryOffset) {
  const uint8_t pattern[] = {0xC6, 0x5B, 0xE9, 0x37, 0xA4, 0x1D, 0xF2, 0x8E, 0x63, 0xB5};
  for (unsigned offset = 0; offset < 8; ++offset) {
    for (unsigned count = 0; count <= 8 * sizeof pattern; ++count) {
      SCOPED_TRACE(std::to_string(offset) + " " + std::to_string(count));
      BitWriter w(false);
      w.putBits(0, offset);
      w.putBitString(pattern, count);
      w.putBits(0xFFFF, 16);
      BitReader r(w.data(), w.octetLength(), false);
      uint64_t lead, ones;
      uint8_t back[sizeof pattern];
      std::memset(back, 0xFF, sizeof back);
      ASSERT_TRUE(r.getBits(offset, lead) && r.getBitString(back, count) && r.getBits(16, ones));
      EXPECT_EQ(ones, 0xFFFFu);
      for (unsigned k = 0; k < (count + 7) / 8; ++k) {
        const unsigned used = std::min(8u, count - 8 * k);
        EXPECT_EQ(back[k], pattern[k] & (0xFF00u >> used)) << k;
      }
    }
  }
}

struct AlphabetCase {
  uint8_t builtin;              // the type's own alphabet, or 0 for `ranges`
  std::vector<uint32_t> ranges;
  Variant variant;
  unsigned bits;
  bool indexed;
  uint32_t ch, code;
};

const AlphabetCase kAlphabets[] = {
    {ZB_NUMERIC_STRING, {}, U, 4, true, '5', 6},
    {ZB_NUMERIC_STRING, {}, A, 4, true, ' ', 0},
    {ZB_PRINTABLE_STRING, {}, U, 7, false, 'z', 'z'},
    {ZB_PRINTABLE_STRING, {}, A, 8, false, '?', '?'},
    {ZB_IA5_STRING, {}, U, 7, false, 0x7F, 0x7F},
    {ZB_GENERALIZED_TIME, {}, A, 8, false, 'Z', 'Z'},
    {ZB_BMP_STRING, {}, U, 16, false, 0x20AC, 0x20AC},
    {ZB_UNIVERSAL_STRING, {}, A, 32, false, 0x1F600, 0x1F600},
    {0, {'A', 'Z'}, U, 5, true, 'C', 2},
    {0, {'A', 'Z'}, A, 8, false, 'C', 'C'},
    {0, {'0', '9'}, A, 4, true, '9', 9},
    {0, {' ', ' ', '0', '9', 'a', 'f'}, U, 5, true, 'b', 12},
    {0, {0x100, 0x1FF}, A, 8, true, 0x1FF, 255},
    {0, {'a', 'c'}, A, 2, true, 'c', 2},
};

TEST(PerCharacters, EffectiveAlphabetsChooseBitsAndIndexes) {
  for (const AlphabetCase &c : kAlphabets) {
    SCOPED_TRACE(testing::Message() << int(c.builtin) << " " << c.ch);
    const uint32_t *ranges = c.ranges.data();
    uint32_t count = static_cast<uint32_t>(c.ranges.size() / 2);
    if (c.builtin != 0) {
      ASSERT_TRUE(canonicalAlphabet(c.builtin, ranges, count));
    }
    CharCoding coding = charCoding(ranges, count, c.variant == A);
    EXPECT_EQ(coding.bits, c.bits);
    EXPECT_EQ(coding.indexed, c.indexed);
    uint32_t code = 0, ch = 0;
    ASSERT_TRUE(encodeChar(coding, c.ch, code));
    EXPECT_EQ(code, c.code);
    ASSERT_TRUE(decodeChar(coding, c.code, ch));
    EXPECT_EQ(ch, c.ch);
    uint32_t outside = ranges[2 * count - 1] + 1;
    EXPECT_EQ(encodeChar(coding, outside, code), outside == 0);
  }
  const uint32_t *none = nullptr;
  uint32_t noneCount = 0;
  EXPECT_FALSE(canonicalAlphabet(ZB_UTF8_STRING, none, noneCount));
}

// The look-up tables of the built-in alphabets of several ranges give what
// their ranges give, for every code and character.
TEST(PerCharacters, TablesAgreeWithRanges) {
  for (uint8_t builtin : {ZB_NUMERIC_STRING, ZB_PRINTABLE_STRING}) {
    for (bool aligned : {false, true}) {
      SCOPED_TRACE(testing::Message() << int(builtin) << (aligned ? " aligned" : " unaligned"));
      const CharCoding &tabled = *canonicalCoding(builtin, aligned);
      ASSERT_NE(tabled.charOf, nullptr);
      const uint32_t *ranges = nullptr;
      uint32_t count = 0;
      ASSERT_TRUE(canonicalAlphabet(builtin, ranges, count));
      const CharCoding plain = charCoding(ranges, count, aligned);
      for (uint32_t k = 0; k < 0x110; ++k) {
        uint32_t a = 0, b = 0;
        const bool known = decodeCharInRanges(plain, k, b);
        ASSERT_EQ(decodeChar(tabled, k, a), known) << k;
        if (known) {
          EXPECT_EQ(a, b) << k;
        }
        const bool inRanges = encodeCharInRanges(plain, k, b);
        ASSERT_EQ(encodeChar(tabled, k, a), inRanges) << k;
        if (inRanges) {
          EXPECT_EQ(a, b) << k;
        }
      }
    }
  }
}

// The eight-at-a-time helpers against one character at a time, on random
// codes with every character near the edges of random ranges.
TEST(PerCharacters, EightSevenBitCodesAtATime) {
  std::mt19937_64 random(11);
  for (int round = 0; round < 200000; ++round) {
    const auto lo = static_cast<uint8_t>(random() % 0x80), hi = static_cast<uint8_t>(lo + random() % (0x80 - lo));
    uint64_t octets = 0, packed = 0;
    bool within = true;
    for (int k = 0; k < 8; ++k) {
      const uint64_t draw = random();
      auto ch = static_cast<uint8_t>(draw % 4 == 0 ? (draw >> 8) % 0x80 : (draw % 2 ? lo : hi) + int(draw >> 8) % 3 - 1);
      ch &= 0x7F;
      within = within && ch >= lo && ch <= hi;
      octets = octets << 8 | ch;
      packed = packed << 7 | ch;
    }
    ASSERT_EQ(octetsWithin(octets, lo, hi), within) << std::hex << octets << " " << int(lo) << ".." << int(hi);
    ASSERT_EQ(gatherSevens(octets), packed);
    ASSERT_EQ(spreadSevens(packed), octets);
  }
}

TEST(PerContents, RelativeOidArcs) {
  const uint32_t arcs[] = {0, 127, 128, 16384, UINT32_MAX};
  uint8_t buf[sizeof arcs / sizeof arcs[0] * kArcRoom];
  std::size_t n = 0;
  for (uint32_t arc : arcs) n += arcContents(arc, buf + n);
  EXPECT_EQ(hex(buf, n), "00 7F 81 00 81 80 00 8F FF FF FF 7F");
  uint32_t back[5];
  const ArcCheck good = checkArcs(buf, n, true);
  ASSERT_EQ(good.row, 0);
  ASSERT_EQ(good.count, 5u);
  arcsFromContents(buf, n, back);
  EXPECT_TRUE(std::equal(back, back + 5, arcs));
  // OBJECT IDENTIFIER contents are kept as they are, so their arcs may pass
  // 32 bits; a RELATIVE-OID's are held as 32-bit numbers.
  struct Case {
    const char *contents;
    bool relative;
    int row;
    std::size_t offset;
    int64_t argument;
  };
  for (const Case &c : {Case{"", true, 0, 0, 0}, Case{"", false, ROW_BAD_OID, 0, 0},
                        Case{"2A 81", false, ROW_BAD_OID, 1, 1}, Case{"2A 80 01", false, ROW_SUBID_NEEDLESSLY_LONG, 1, 0},
                        Case{"2A 05 80 01", true, ROW_SUBID_NEEDLESSLY_LONG, 2, 0}, Case{"2A 90 80 80 80 00", false, 0, 0, 0},
                        Case{"2A 90 80 80 80 00", true, ROW_SUBID_TOO_LONG, 1, 5}}) {
    std::vector<uint8_t> in = octets(c.contents);
    const ArcCheck check = checkArcs(in.data(), in.size(), c.relative);
    EXPECT_EQ(check.row, c.row) << c.contents << c.relative;
    EXPECT_EQ(check.offset, c.offset) << c.contents << c.relative;
    EXPECT_EQ(check.argument, c.argument) << c.contents << c.relative;
  }
}

}  // namespace
