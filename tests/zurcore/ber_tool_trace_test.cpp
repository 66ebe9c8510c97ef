// The decoder as zurtrace drives it: values, encapsulated DER, truncated
// constructed elements, lengths beyond 32 bits and the depth limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "tests/support/test_env.h"
#include "zurbase/zurcore.h"

namespace {

using Octets = std::vector<unsigned char>;

struct Traced {
  int status;
  std::string trace;
  uint64_t fault;
};

Traced trace(const Octets &in, int32_t values = 1, int32_t maxDepth = 0) {
  zurtest::TestEnv env;
  env.captureWithHook();
  const ZurcoreTraceOptions options{values, maxDepth, nullptr, nullptr, 0, nullptr, nullptr};
  uint64_t fault = 99;
  int status = zurcoreTraceBer(env.get(), in.data(), in.size(), &options, &fault);
  return {status, zurtest::hookText(), fault};
}

// The value line of a single primitive element.
std::string valueOf(const Octets &in) {
  const std::string t = trace(in).trace;
  const std::size_t line = t.find('\n');
  return line + 1 < t.size() ? t.substr(line + 3, t.size() - line - 4) : "";
}

TEST(BerToolTrace, ValuesOfPrimitives) {
  Octets long33(35, 0xAB);
  long33[0] = 0x04;
  long33[1] = 33;
  Octets long1026 = {0x02, 0x82, 0x04, 0x02};
  long1026.resize(4 + 1026, 0x11);
  const std::string cut1026 = "0x" + std::string(64, '1') + " ... (1026 octets)";
  const struct {
    Octets in;
    const char *value;
  } cases[] = {
      {{0x02, 0x01, 0xFF}, "-1"},
      {{0x02, 0x02, 0x00, 0x80}, "128"},
      {{0x02, 0x08, 0x80, 0, 0, 0, 0, 0, 0, 0}, "-9223372036854775808"},
      {{0x02, 0x08, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "9223372036854775807"},
      {{0x02, 0x09, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "0x00FFFFFFFFFFFFFFFF"},
      {long1026, cut1026.c_str()},
      {{0x0A, 0x01, 0x05}, "5"},
      {{0x01, 0x01, 0x00}, "FALSE"},
      {{0x01, 0x01, 0x01}, "TRUE"},
      {{0x01, 0x02, 0x01, 0x01}, "malformed (BOOLEAN of more than one octet): 0101"},
      {{0x01, 0x00}, "malformed (BOOLEAN without contents octets)"},
      {{0x02, 0x00}, "malformed (INTEGER without contents octets)"},
      {{0x05, 0x00}, ""},
      {{0x05, 0x01, 0x07}, "malformed (NULL with contents octets): 07"},
      // The first subidentifier splits into two arcs; malformed identifiers
      // show their octets, as do arcs beyond 64 bits.
      {{0x06, 0x06, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D}, "{ 1 2 840 113549 }"},
      {{0x06, 0x01, 0x00}, "{ 0 0 }"},
      {{0x06, 0x03, 0x55, 0x04, 0x03}, "{ 2 5 4 3 }"},
      {{0x06, 0x03, 0x88, 0x37, 0x01}, "{ 2 999 1 }"},
      {{0x06, 0x0A, 0x81, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00},
       "{ 2 9223372036854775728 }"},
      {{0x06, 0x02, 0x55, 0x84}, "malformed (OBJECT IDENTIFIER with an unfinished last sub-identifier): 5584"},
      {{0x06, 0x01, 0x86}, "malformed (OBJECT IDENTIFIER with an unfinished last sub-identifier): 86"},
      {{0x06, 0x03, 0x2A, 0x80, 0x01}, "malformed (OBJECT IDENTIFIER with a sub-identifier led by 80): 2A8001"},
      {{0x06, 0x00}, "malformed (OBJECT IDENTIFIER without contents octets)"},
      {{0x06, 0x0B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F},
       "FFFFFFFFFFFFFFFFFFFF7F"},
      {{0x13, 0x04, 'a', '"', '\\', 'b'}, R"("a\x22\x5Cb")"},
      {{0x0C, 0x03, 'x', 0x0A, 0xC3}, R"("x\x0A\xC3")"},
      {{0x1E, 0x05, 0x00, 'A', 0x20, 0xAC, 0x00}, R"("A\u20AC\x00")"},
      {{0x1E, 0x04, 0x00, 0xE9, 0x00, 0x41}, R"("\u00E9A")"},
      {{0x1C, 0x04, 0x00, 0x01, 0xF6, 0x00}, R"("\U0001F600")"},
      {{0x17, 0x0D, '2', '5', '0', '1', '0', '1', '0', '0', '0', '0', '0', '0', 'Z'},
       "250101000000Z"},
      {{0x03, 0x03, 0x06, 0x40, 0x01}, "(6 unused bits) 4001"},
      {{0x03, 0x01, 0x00}, ""},
      {{0x03, 0x02, 0x08, 0x00}, "malformed (BIT STRING of more than 7 unused bits): 0800"},
      {{0x03, 0x01, 0x07}, "malformed (BIT STRING of unused bits but no bits): 07"},
      {{0x81, 0x02, 0x12, 0x34}, "1234"},
      {long33, "ABABABABABABABABABABABABABABABABABABABABABABABABABABABABABABABAB ... (33 octets)"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(valueOf(c.in), c.value);
  }
}

TEST(BerToolTrace, TreesAndFaults) {
  const struct {
    const char *name;
    Octets in;
    int32_t maxDepth;
    int status;
    uint64_t fault;
    const char *trace;
  } cases[] = {
      {"DER in an OCTET STRING is traced one level deeper",
       {0x04, 0x05, 0x30, 0x03, 0x02, 0x01, 0x07}, 0, 0, 7,
       "#1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 5\n"
       "  #1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 3\n"
       "    #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
       "      7\n"},
      {"and in a BIT STRING without unused bits", {0x03, 0x03, 0x00, 0x05, 0x00}, 0, 0, 5,
       "#1 BIT STRING: tag = [UNIVERSAL 3] primitive; length = 3\n"
       "  #1 NULL: tag = [UNIVERSAL 5] primitive; length = 0\n"},
      {"octets that are not one DER element stay octets",
       {0x04, 0x04, 0x05, 0x00, 0x05, 0x00}, 0, 0, 6,
       "#1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 4\n  05000500\n"},
      {"nor one whose contents DER forbids: BOOLEAN TRUE not FF", {0x04, 0x03, 0x01, 0x01, 0x01}, 0, 0, 5,
       "#1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 3\n  010101\n"},
      {"INTEGER in more octets than needed", {0x04, 0x04, 0x02, 0x02, 0x00, 0x01}, 0, 0, 6,
       "#1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 4\n  02020001\n"},
      {"padding bits not zero", {0x04, 0x04, 0x03, 0x02, 0x07, 0x8F}, 0, 0, 6,
       "#1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 4\n  0302078F\n"},
      {"indefinite lengths are not DER", {0x04, 0x04, 0x30, 0x80, 0x00, 0x00}, 0, 0, 6,
       "#1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 4\n  30800000\n"},
      {"nor a primitive SEQUENCE", {0x04, 0x04, 0x10, 0x02, 0x05, 0x00}, 0, 0, 6,
       "#1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 4\n  10020500\n"},
      {"a truncated constructed element is traced as far as it goes",
       {0x30, 0x0A, 0x02, 0x01, 0x01, 0x04, 0x05, 0x01}, 0, 4, 5,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 10\n"
       "  #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
       "    1\n"
       "not parsed: 3 octets from offset 5: 04 05 01\n"
       "D0055S: Premature end of input buffer.\n"},
      {"lengths beyond 32 bits",
       {0x30, 0x88, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00}, 0, 4, 12,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 4294967296\n"
       "  #1 NULL: tag = [UNIVERSAL 5] primitive; length = 0\n"
       "not parsed: 0 octets from offset 12:\n"
       "D0055S: Premature end of input buffer.\n"},
      {"[UNIVERSAL 0] outside the EOC octets", {0x30, 0x80, 0x20, 0x00, 0x00, 0x00}, 0, 5, 2,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
       "not parsed: 4 octets from offset 2: 20 00 00 00\n"
       "D0033E: Tag mismatch or tag not expected: [UNIVERSAL 0].\n"},
      {"malformed contents are shown, the walk goes on, the first one fails it",
       {0x30, 0x09, 0x21, 0x03, 0x01, 0x01, 0x00, 0x3E, 0x02, 0x0C, 0x00, 0x05, 0x00}, 0, 5, 2,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 9\n"
       "  #1 BOOLEAN: tag = [UNIVERSAL 1] constructed; length = 3\n"
       "    malformed (BOOLEAN in the constructed form)\n"
       "    #1 BOOLEAN: tag = [UNIVERSAL 1] primitive; length = 1\n"
       "      FALSE\n"
       "  #2 BMPString: tag = [UNIVERSAL 30] constructed; length = 2\n"
       "    #1 UTF8String: tag = [UNIVERSAL 12] primitive; length = 0\n"
       "      malformed (not a segment of a BMPString)\n"
       "#2 NULL: tag = [UNIVERSAL 5] primitive; length = 0\n"},
      {"nine length octets are too many",
       {0x04, 0x89, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0, 10, 0, nullptr},
      {"past the depth limit: reported once, skipped to the EOC",
       {0x30, 0x80, 0x30, 0x80, 0x30, 0x80, 0x05, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00,
        0x00, 0x00},
       1, 0, 16,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
       "  #1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
       "    depth limit 1 passed at offset 4: contents not traced\n"
       "    EOC\n"
       "  EOC\n"},
      {"DER in a string at the depth limit is shown as octets",
       {0x30, 0x04, 0x04, 0x02, 0x30, 0x00}, 1, 0, 6,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 4\n"
       "  #1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 2\n"
       "    3000\n"},
      {"a fault while skipping is reported",
       {0x30, 0x80, 0x30, 0x80, 0x30, 0x80, 0x04, 0x80}, 1, 5, 6, nullptr},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Traced t = trace(c.in, 1, c.maxDepth);
    EXPECT_EQ(t.status, c.status);
    EXPECT_EQ(t.fault, c.fault);
    if (c.trace != nullptr) {
      EXPECT_EQ(t.trace, c.trace);
    }
  }
}

// Lines stop indenting at depth 100; deeper elements name their depth, and
// their EOC lines stand at the same place.
TEST(BerToolTrace, DeepLinesStopIndentingAtDepth100) {
  Octets in;
  for (int i = 0; i < 102; ++i) in.insert(in.end(), {0x30, 0x80});
  in.insert(in.end(), {0x05, 0x00});
  in.insert(in.end(), 2 * 102, 0x00);
  const std::string t = trace(in, 1).trace;
  const std::string at100(200, ' ');
  const std::string tail =
      at100 + "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n" + at100 +
      "#1 (depth 101) SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n" + at100 +
      "#1 (depth 102) NULL: tag = [UNIVERSAL 5] primitive; length = 0\n" + at100 + "EOC\n" +
      at100 + "EOC\n" + at100 + "EOC\n" + std::string(198, ' ') + "EOC\n";
  ASSERT_GT(t.size(), tail.size());
  EXPECT_EQ(t.substr(t.find("\n" + at100) + 1, tail.size()), tail);
}

#ifndef _WIN32
// The walk tells how far it has come, and reads nothing before the offset it
// told last: the pages before it are made unreadable as it goes, also while
// it looks ahead into a large OCTET STRING that turns out not to hold DER at
// its last element, and comes back to show its value.
TEST(BerToolTrace, ReadsNothingBeforeTheOffsetItTold) {
  // An OCTET STRING of 2 MiB whose contents are DER but for the last element,
  // then elements not looked into.
  Octets in = {0x30, 0x80, 0x04, 0x83, 0x20, 0x00, 0x05, 0x30, 0x83, 0x20, 0x00, 0x00};
  in.resize(in.size() + (1u << 21), 0x04);
  in[in.size() - 2] = in.back() = 0x00;
  for (int i = 0; i < 6000; ++i) {
    in.insert(in.end(), {0x02, 0x82, 0x01, 0x00});
    in.resize(in.size() + 0x100, 0x00);
  }
  in.insert(in.end(), {0x00, 0x00});
  struct Pages {
    unsigned char *base;
    std::size_t page, closed;
    std::vector<uint64_t> told;
  } pages{nullptr, static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), 0, {}};
  const std::size_t mapped = (in.size() / pages.page + 1) * pages.page;
  void *area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(area, MAP_FAILED);
  pages.base = static_cast<unsigned char *>(area);
  std::copy(in.begin(), in.end(), pages.base);
  ZurcoreTraceOptions options{1, 0, nullptr, &pages, 0, nullptr, nullptr};
  options.passed = [](void *context, uint64_t offset) {
    auto &p = *static_cast<Pages *>(context);
    p.told.push_back(offset);
    const std::size_t end = offset / p.page * p.page;
    if (end != p.closed)
      mprotect(p.base + std::min(end, p.closed), end > p.closed ? end - p.closed : p.closed - end,
               end > p.closed ? PROT_NONE : PROT_READ);
    p.closed = end;
  };
  zurtest::TestEnv env;
  env->hookOnly = 1;
  uint64_t fault = 0;
  EXPECT_EQ(zurcoreTraceBer(env.get(), pages.base, in.size(), &options, &fault), 0);
  munmap(area, mapped);
  // Ahead through the string, back to its contents, then on to the end.
  ASSERT_GE(pages.told.size(), 5u);
  EXPECT_EQ(std::count(pages.told.begin(), pages.told.end(), 7u), 1);
  EXPECT_GT(pages.told.back(), in.size() - (1u << 20) - 300);
}
#endif

// Options and the fault's offset may be left out: no values are shown and
// the status alone tells a fault.
TEST(BerToolTrace, NoValues) {
  EXPECT_EQ(trace({0x02, 0x01, 0x05}, 0).trace, "#1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n");
  zurtest::TestEnv env;
  env.captureWithHook();
  const Octets good{0x02, 0x01, 0x05}, cut{0x02, 0x05, 0x01};
  EXPECT_EQ(zurcoreTraceBer(env.get(), good.data(), good.size(), nullptr, nullptr), 0);
  EXPECT_EQ(zurtest::hookText(), "#1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n");
  EXPECT_NE(zurcoreTraceBer(env.get(), cut.data(), cut.size(), nullptr, nullptr), 0);
  EXPECT_EQ(zurcoreTraceBer(nullptr, good.data(), good.size(), nullptr, nullptr), ZURBASE_STATUS_BAD_ARGUMENT);
}

}  // namespace
