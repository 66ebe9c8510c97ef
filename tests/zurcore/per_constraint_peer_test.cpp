// What PER sees of constraints, against Erlang's asn1ct on the host build:
// a seeded module of a few hundred constraint shapes on INTEGER, on the
// sizes of OCTET STRING, BIT STRING, IA5String and SEQUENCE OF and on the
// permitted alphabets of IA5String and VisibleString (ranges, single values,
// unions, intersections, extension markers with and without additions, two
// or three constraints applied one after another, references to constrained
// types and value sets, MIN, MAX, `<` bounds). Every bound of each type, one
// either side of it and some random values are encoded by Erlang and here
// under per and uper: both refuse a value or both write the same octets, and
// each decodes the other's.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/codec_harness.h"
#ifdef ZUR_PEERS
#include "tests/support/erlang_agreement.h"
#endif

namespace {

#ifdef ZUR_PEERS

using zurtest::CodecHarness;
using zurtest::fromHex;
using zurtest::toHex;

// One value tried on a type: as asn1ct's term and in value notation.
struct Probe {
  std::string type, term, notation;
};

// The generated module. Each type has a witness, a value (a size and a
// character for strings) inside the root of every constraint it gets, so
// that no intersection or serial constraint leaves no value, and a core, an
// interval of its values around the witness (of sizes, of characters), in
// which every number a constraint applied to it names lies, as a value of
// the type it constrains.
//
// Left out, where asn1ct is wrong:
// - a value set with an extension marker, a constraint applied to a value
//   set's type, FROM constraints as extension additions, additions after
//   INTEGER (T) and a marker after an extensible T: asn1ct fails on them;
// - a reference to an extensible type, or to one of serial constraints,
//   among other elements or with a marker: asn1ct drops the whole
//   constraint of `INTEGER (X | 30)` and of `INTEGER (Y, ...)`, where X's
//   and Y's ranges are as PER-visible as 30 is;
// - serial constraints where asn1ct keeps one of them and ignores the
//   others, though the type's values are those that all of them permit:
//   of two SIZE or FROM constraints after a string type it keeps the first
//   (OCTET STRING (SIZE (1..14)) (SIZE (8)) takes 2 octets); after a
//   reference to a type whose constraint is not extensible, and to a
//   SEQUENCE OF, it keeps the type's (X (5..20) takes 50 for an X of
//   0..100); after another reference it keeps the new one (Y (MIN..-3)
//   takes -4 for a Y of (-3, ...)); of INTEGER (0..10, ..., 11..20) (0..15)
//   it keeps the first (12 goes as an extension); of two constraints after
//   a reference it drops the second. So serial constraints on INTEGER have
//   no marker but on the last, and after a reference there is one, to an
//   extensible INTEGER or a string type, within the values of that type
//   (up to what its additions add, which is what differs from its root);
// - an extension marker after a fixed SIZE: asn1ct takes (SIZE (4), ...)
//   for no constraint, where it takes (SIZE (1..4), ...) and (SIZE (4, ...))
//   for extensible ones; the SIZE constraints here have their markers
//   inside;
// - an extensible SIZE up to MAX: asn1ct writes no extension bit for
//   (SIZE (1..MAX, ...)), though the type is extensible (nor for
//   INTEGER (MIN..MAX, ...), but for INTEGER (0..MAX, ...));
// - an extension marker after FROM and SIZE together: asn1ct drops the
//   SIZE of (FROM ("a".."d") ^ SIZE (1..4), ...) with the FROM, which is
//   not PER-visible as extensible, where the SIZE is.
class Shapes {
 public:
  explicit Shapes(uint32_t seed) : rng_(seed) {}

  std::string module(int count) {
    std::string text = "Shapes DEFINITIONS AUTOMATIC TAGS ::= BEGIN\n";
    for (int i = 0; i < count; ++i) text += type();
    return text + "END\n";
  }
  const std::vector<Probe> &probes() const { return probes_; }

 private:
  enum Kind { kInteger, kOctets, kBits, kIa5, kVisible, kList, kKinds };
  struct Interval {
    int64_t lo, hi;
  };
  struct Made {
    std::string name;
    Kind kind;
    int64_t witness;
    Interval core;
    Interval whole;  // the core and what extension additions add to it
    char witnessChar;
    Interval chars;
    bool extensible, valueSet;
    bool simple;  // of one constraint on the builtin type
  };
  static constexpr int64_t kFar = int64_t{1} << 40;
  // asn1ct's scanner does not take a quotation mark in a cstring (""),
  // so the alphabets have none.
  static constexpr Interval kPrintable{0x23, 0x7E};

  int below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }

  // How far a bound lies from the witness: mostly near, now and then at
  // the edges of one and two octets or far (sizes stay below 300).
  int64_t spread(bool sizes) {
    static const int64_t far[] = {250, 256, 65535, 70000, int64_t{1} << 33};
    return chance(85) ? below(12) : far[below(sizes ? 2 : 5)];
  }
  int64_t inCore(int64_t n) const { return std::clamp(n, core_.lo, core_.hi); }
  std::string number(int64_t n) {
    numbers_.push_back(n);
    return std::to_string(n);
  }

  // An element of numbers (sizes when `sizes`) that holds `p`, inside the
  // core, up to MAX when `toMax`; `held` narrows to values it holds around
  // `p`.
  std::string element(int64_t p, bool sizes, bool toMax, Interval &held) {
    const int64_t lo = inCore(p - spread(sizes)), hi = reach_ ? core_.hi : inCore(p + spread(sizes));
    held = {p, p};
    int form = below(sizes ? 4 : 6);
    if ((form == 3 && !toMax) || (form >= 3 && form <= 4 && !ends_)) form = 1;
    switch (form) {
      case 0: return number(p);
      case 1: held = {lo, hi}; return number(lo) + ".." + number(hi);
      case 2:
        if (lo < p) return held = {lo + 1, hi}, number(lo) + "<.." + number(hi);
        if (hi > p) return held = {lo, hi - 1}, number(lo) + "..<" + number(hi);
        return number(p);
      case 3: held = {lo, core_.hi}; return number(lo) + "..MAX";
      case 4: held = {core_.lo, hi}; return "MIN.." + number(hi);
      default: {
        const int64_t lo2 = inCore(p - spread(sizes)), hi2 = inCore(p + spread(sizes));
        held = {std::max(lo, lo2), std::min(hi, hi2)};
        return number(lo) + ".." + number(hi) + " ^ " + number(lo2) + ".." + number(hi2);
      }
    }
  }
  // A union of elements, the first holding `p`, the others anywhere near.
  // asn1ct fails on a union of numbers with an element up to MAX (Erlang's
  // asn1ct_check:seq/2 has no clause for MAX), so there is none; nor is
  // there a size up to MAX (asn1ct encodes a BIT STRING (SIZE (9..MAX)) of
  // 8 bits, and so on for every kind).
  std::string elements(int64_t p, bool sizes, Interval &held) {
    const int more = below(3);
    const bool toMax = !sizes && more == 0;
    std::string set = element(p, sizes, toMax, held);
    Interval ignored;
    for (int n = more; n > 0; --n) {
      std::string other = !sizes && chance(25) ? reference() : "";
      set += " | " + (other.empty() ? element(inCore(p + (chance(50) ? 1 : -1) * (2 + spread(sizes))), sizes, toMax,
                                              ignored)
                                    : other);
    }
    return set;
  }
  // A constraint's element sets around `p` (sizes when `sizes`): a union
  // of elements, or when it is extensible (when `may`, sometimes), one
  // element, and maybe additions. asn1ct takes a value in a gap of the
  // root (8 of 1..5 | 10..12, ...) for one past the root, so there is no
  // gap. `held` is as elements' and `whole` is it widened by the additions.
  std::string elementSets(int64_t p, bool sizes, bool may, Interval &held, Interval &whole) {
    const int form = may ? below(4) : 3;
    Interval added{kFar, -kFar};
    std::string text = form < 2 ? element(p, sizes, !sizes, held) : elements(p, sizes, held);
    if (form == 0) text += ", ...";
    if (form == 1) {
      const int64_t q = sizes ? p + 1 + spread(true) : p + (chance(50) ? 1 : -1) * (3 + spread(false));
      text += ", ..., " + elements(inCore(q), sizes, added);
    }
    whole = {std::min(held.lo, added.lo), std::max(held.hi, added.hi)};
    return text;
  }

  // An INTEGER type made before that a union may name (of one constraint,
  // not extensible nor up to MAX; a value set too), or "". Such a type is no value of a narrower type, so
  // only constraints on INTEGER itself name one.
  std::string reference() {
    if (core_.lo != -kFar || core_.hi != kFar) return "";
    std::vector<const Made *> fit;
    for (const Made &m : made_)
      if (m.kind == kInteger && !m.extensible && m.core.hi != kFar && (m.simple || m.valueSet)) fit.push_back(&m);
    if (fit.empty()) return "";
    const Made &m = *fit[below(static_cast<int>(fit.size()))];
    numbers_.push_back(m.witness);
    return m.name;
  }
  // A type of `kind` made before, or null; one a constraint is applied to
  // when `serial`, one of a single constraint when `simple`.
  const Made *madeOf(Kind kind, bool serial, bool simple = false) {
    std::vector<const Made *> fit;
    for (const Made &m : made_)
      if (m.kind == kind && !(serial && (m.valueSet || kind == kList || (kind == kInteger && !m.extensible))) &&
          !(simple && !m.simple))
        fit.push_back(&m);
    return fit.empty() ? nullptr : fit[below(static_cast<int>(fit.size()))];
  }

  char inChars(int c) const { return static_cast<char>(std::clamp<int64_t>(c, chars_.lo, chars_.hi)); }
  std::string character(char c) {
    named_.push_back(c);
    return std::string("\"") + c + "\"";
  }
  // A permitted alphabet that holds `c` and the character after it (asn1ct's
  // UNALIGNED code of an alphabet of one character does not compile), of
  // characters in the core; `held` narrows to characters it holds around
  // `c`.
  std::string alphabet(char c, Interval &held) {
    auto one = [&](char at, Interval &around) {
      const char next = inChars(at + 1);
      around = {at, next};
      switch (below(3)) {
        case 0: return character(at) + ".." + character(next);
        case 1: {
          const char lo = inChars(at - below(6)), hi = inChars(next + below(6));
          around = {lo, hi};
          return character(lo) + ".." + character(hi);
        }
        default: {
          std::string s = {'"', at, next};
          for (int n = below(3); n > 0; --n) s += inChars(at + below(21) - 10);
          named_ += s.substr(1);
          return s + "\"";
        }
      }
    };
    std::string set = one(c, held);
    Interval other;
    if (chance(25)) {
      set += " ^ " + one(c, other);
      held = {std::max(held.lo, other.lo), std::min(held.hi, other.hi)};
    }
    for (int n = below(3); n > 0; --n) set += " | " + one(inChars(c + below(41) - 20), other);
    return "FROM (" + set + ")";
  }

  std::string integerType(Made &made) {
    const Made *base = chance(30) ? madeOf(kInteger, true) : nullptr;
    made.witness = base ? base->witness : below(3) == 0 ? below(600) - 300 : below(40) - 10;
    core_ = base ? base->whole : Interval{-kFar, kFar};
    ends_ = !base;
    // Now and then up to the end of what the base type's additions add.
    reach_ = base && chance(50);
    Interval held;
    if (!base && chance(8)) {
      // A value set, referenced later.
      made.valueSet = true;
      return "INTEGER ::= { " + elements(made.witness, false, held) + " }";
    }
    std::string text = base ? base->name : "INTEGER";
    if (const Made *whole = !base && chance(12) ? madeOf(kInteger, false, true) : nullptr) {
      // INTEGER (T): its witness and core are T's.
      made.witness = whole->witness;
      made.extensible = whole->extensible;
      made.core = made.whole = whole->core;
      numbers_.push_back(made.witness);
      // asn1ct fails on additions after it (INTEGER (T, ..., 1..5)) and on
      // a marker after an extensible T.
      return "::= INTEGER (" + whole->name + (!whole->extensible && chance(30) ? ", ...)" : ")");
    }
    const int64_t p = made.witness;
    numbers_.push_back(p);
    made.simple = !base;
    for (int count = base ? 1 : 1 + (chance(35) ? 1 + below(2) : 0); count > 0; --count) {
      Interval root, whole;
      text += " (" + elementSets(p, false, count == 1, root, whole) + ")";
      made.whole = {std::max(core_.lo, whole.lo), std::min(core_.hi, whole.hi)};
      core_ = {std::max(core_.lo, root.lo), std::min(core_.hi, root.hi)};
      made.simple = made.simple && count == 1;
    }
    made.core = core_;
    return "::= " + text;
  }

  // A SIZE constraint that holds `length`; `whole` widens `held` by what
  // its additions hold.
  // asn1ct writes the length of a value past an extensible root that goes
  // past 126 in two octets (80 02 for 2), so such a root ends before.
  std::string sizeConstraint(int64_t length, Interval &held, Interval &whole) {
    const bool may = length < 100 && chance(35);
    const Interval core = core_;
    if (may) core_.hi = std::min<int64_t>(core_.hi, 100);
    std::string text = elementSets(length, true, may, held, whole);
    core_ = core;
    return "SIZE (" + text + ")";
  }

  std::string stringType(Made &made) {
    static const char *const builtin[] = {"", "OCTET STRING", "BIT STRING", "IA5String", "VisibleString"};
    const bool characters = made.kind == kIa5 || made.kind == kVisible;
    const Made *base = chance(30) ? madeOf(made.kind, true) : nullptr;
    made.witness = base ? base->witness : chance(90) ? below(12) : 256;
    made.witnessChar = base ? base->witnessChar : static_cast<char>(chance(70) ? 'a' + below(25) : '0' + below(9));
    core_ = base ? base->whole : Interval{0, 300};
    reach_ = base && chance(50);
    chars_ = base ? base->chars : kPrintable;
    std::string text = base ? base->name : made.kind == kList ? "SEQUENCE" : builtin[made.kind];
    std::string root;
    Interval sizes = core_, letters = chars_, whole = core_;
    if (characters && chance(50)) {
      const std::string size = sizeConstraint(made.witness, sizes, whole), from = alphabet(made.witnessChar, letters);
      switch (below(4)) {
        case 0: root = size + " ^ " + from; break;
        case 1: root = from + " ^ " + size; break;
        case 2: root = from; sizes = whole = core_; break;
        default: root = from + " | " + size; sizes = whole = core_; letters = chars_; break;
      }
      if (root == from && chance(30)) root += ", ...";
    } else if (const Made *named = characters && !base && chance(10) ? madeOf(made.kind, false) : nullptr) {
      made.witness = named->witness;
      made.witnessChar = named->witnessChar;
      root = named->name;
      sizes = whole = named->core;
      letters = named->chars;
    } else {
      root = sizeConstraint(made.witness, sizes, whole);
    }
    made.whole = {std::max(core_.lo, whole.lo), std::min(core_.hi, whole.hi)};
    core_ = {std::max(core_.lo, sizes.lo), std::min(core_.hi, sizes.hi)};
    chars_ = {std::max(chars_.lo, letters.lo), std::min(chars_.hi, letters.hi)};
    text += made.kind == kList && !base ? " (" + root + ") OF BOOLEAN" : " (" + root + ")";
    numbers_.push_back(made.witness);
    named_.push_back(made.witnessChar);
    made.core = core_;
    made.chars = chars_;
    return "::= " + text;
  }

  std::string type() {
    Made made{"T" + std::to_string(made_.size() + 1), static_cast<Kind>(below(kKinds)), 0, {}, {}, 'a', {}, false, false, false};
    numbers_.clear();
    named_.clear();
    std::string text = made.kind == kInteger ? integerType(made) : stringType(made);
    made.extensible = made.extensible || text.find("...") != std::string::npos;
    if (made.valueSet) made.name = "V" + made.name.substr(1);
    made_.push_back(made);
    if (!made.valueSet) addProbes(made);
    return made.name + " " + text + "\n";
  }

  void probe(const Made &made, const std::string &term, const std::string &notation) {
    if (std::none_of(probes_.end() - std::min<std::size_t>(probes_.size(), 40), probes_.end(),
                     [&](const Probe &p) { return p.type == made.name && p.term == term; }))
      probes_.push_back({made.name, term, notation});
  }
  // Every number named and one either side, a few random ones among them.
  void addProbes(const Made &made) {
    std::vector<int64_t> around;
    for (int64_t n : numbers_)
      for (int64_t d : {-1, 0, 1}) around.push_back(n + d);
    const auto [lo, hi] = std::minmax_element(around.begin(), around.end());
    const int64_t low = *lo, width = std::min<int64_t>(*hi - *lo + 1, 1 << 20);
    for (int k = 0; k < 3; ++k) around.push_back(low + static_cast<int64_t>(rng_() % width));
    if (made.kind == kInteger) {
      around.push_back(int64_t{1} << 40);
      around.push_back(-(int64_t{1} << 40));
      for (int64_t n : around) probe(made, std::to_string(n), std::to_string(n));
      return;
    }
    std::string letters(1, made.witnessChar);
    for (char c : named_)
      for (int d : {-1, 0, 1}) letters.push_back(static_cast<char>(std::clamp(c + d, 0x21, 0x7E)));
    for (int64_t n : around) {
      if (n < 0 || n > 300) continue;
      const std::size_t length = static_cast<std::size_t>(n);
      switch (made.kind) {
        case kOctets: {
          std::string term = "<<", hex;
          for (std::size_t i = 0; i < length; ++i) {
            const unsigned v = rng_() & 0xFF;
            term += (i ? "," : "") + std::to_string(v);
            hex += toHex(std::vector<unsigned char>{static_cast<unsigned char>(v)});
          }
          probe(made, term + ">>", "'" + hex + "'H");
          break;
        }
        case kBits:
        case kList: {
          const bool bits = made.kind == kBits;
          std::string term = bits ? "<<" : "[", text = bits ? "'" : "{";
          for (std::size_t i = 0; i < length; ++i) {
            const bool one = rng_() & 1;
            term += std::string(i ? "," : "") + (bits ? (one ? "1:1" : "0:1") : (one ? "true" : "false"));
            text += bits ? (one ? "1" : "0") : std::string(i ? ", " : " ") + (one ? "TRUE" : "FALSE");
          }
          probe(made, term + (bits ? ">>" : "]"), text + (bits ? "'B" : " }"));
          break;
        }
        default:
          // The witness character throughout, then characters named and
          // their neighbours.
          for (int variant = 0; variant < 2; ++variant) {
            std::string term = "\"", text = "\"";
            for (std::size_t i = 0; i < length; ++i) {
              const char c = variant == 0 ? made.witnessChar : letters[rng_() % letters.size()];
              term += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
              text += c == '"' ? std::string("\"\"") : std::string(1, c);
            }
            probe(made, term + "\"", text + "\"");
          }
      }
    }
  }

  std::mt19937 rng_;
  std::vector<Made> made_;
  std::vector<int64_t> numbers_;  // what the type being made names
  std::string named_;  // the characters it names
  Interval core_{}, chars_{};  // of the type being made
  bool ends_ = true;           // whether its elements may go to MIN or MAX
  bool reach_ = false;         // whether they go up to the end of the core
  std::vector<Probe> probes_;
};

// Our encoding of a value read from value notation, or "error WHY" when
// it is refused (read or encoded); its DER encoding beside.
struct Ours {
  std::string answer, der;
};

Ours encodeHere(CodecHarness &h, const Probe &p, int32_t rules) {
  std::ostringstream diagnostics;
  const std::unique_ptr<zurasn1::Compilation> read =
      h.compiled().readValues({"in.txt", "v " + p.type + " ::= " + p.notation + "\n"}, h.pdu(p.type), diagnostics);
  if (!read) return {"error " + diagnostics.str(), ""};
  Env *env = h.env();
  const CtlTbl *own = env->ctlTbl;
  env->ctlTbl = read->ctlTbl();
  const zurtest::Encoded e = h.encode(p.type, rules, read->values().at(0));
  const zurtest::Encoded der = h.encode(p.type, RULES_DER, read->values().at(0));
  env->ctlTbl = own;
  if (e.status != 0) return {"error " + e.message, ""};
  return {toHex(e.octets), toHex(der.octets)};
}

// Erlang's answers for `lines` of `script` (asn1_encode_term or asn1_peer).
std::vector<std::string> askErlang(const std::string &script, const std::string &rules, const std::string &file,
                                   const std::vector<std::string> &lines) {
  const std::string dir = zurtest::peerDir("shapes-" + script + "-" + rules);
  std::vector<std::string> answers = zurtest::askPeer(
      "escript " + std::string(ZURBASE_SOURCE_DIR) + "/tests/support/" + script + ".escript " + rules + " " + dir +
          " " + file,
      dir, lines);
  answers.resize(lines.size());
  return answers;
}

// Every value is refused by both or written alike by both, under per and
// uper, and each side's octets decode on the other to the same value. asn1ct's
// ALIGNED code writes a character its alphabet does not permit when the
// alphabet's characters go as their own codes ("a" of FROM ("k".."u") as
// 61), where its UNALIGNED code refuses it; and asn1ct writes any value (size)
// between the bounds of a union, 3 of (1 | 5) too, which is no value of the
// type: those are not compared.
TEST(PerPeers, ErlangAgreesOnGeneratedConstraints) {
  for (uint32_t seed : {1u, 2u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Shapes shapes(seed);
    const std::string file = zurtest::peerDir("shapes-module") + "/Shapes.asn1";
    std::ofstream(file) << shapes.module(150);
    CodecHarness h(std::vector<std::string>{file});
    std::vector<std::string> terms;
    for (const Probe &p : shapes.probes()) terms.push_back(p.type + " " + p.term);
    const std::vector<std::string> unaligned = askErlang("asn1_encode_term", "uper", file, terms);
    for (int32_t rules : {RULES_PER_ALIGNED, RULES_PER}) {
      const std::string rulesName = zurtest::erlangRules(rules);
      const std::vector<std::string> theirs =
          rules == RULES_PER ? unaligned : askErlang("asn1_encode_term", rulesName, file, terms);
      std::vector<std::string> ourLines;
      std::vector<std::size_t> ourProbes;
      std::size_t encoded = 0, refused = 0, gaps = 0;
      for (std::size_t i = 0; i < terms.size(); ++i) {
        const Probe &p = shapes.probes()[i];
        SCOPED_TRACE(rulesName + " " + terms[i] + " (" + p.notation + ")");
        const Ours ours = encodeHere(h, p, rules);
        const bool weRefuse = ours.answer.starts_with("error"), theyRefuse = theirs[i].starts_with("error");
        if (rules == RULES_PER_ALIGNED && weRefuse && !theyRefuse && unaligned[i].starts_with("error") &&
            ours.answer.find("which its type does not permit") != std::string::npos)
          continue;
        // The type's values named as a union: the value lies in a gap.
        if (weRefuse && !theyRefuse && ours.answer.find(" | ") != std::string::npos) {
          ++gaps;
          continue;
        }
        EXPECT_EQ(weRefuse, theyRefuse) << "ours: " << ours.answer << "\nErlang's: " << theirs[i];
        if (weRefuse || theyRefuse) {
          refused += weRefuse && theyRefuse;
          continue;
        }
        EXPECT_EQ(ours.answer, theirs[i]);
        const zurtest::Decoded back = h.decode(p.type, rules, fromHex(theirs[i]));
        EXPECT_EQ(back.status, 0) << back.message;
        if (back.status == 0) {
          EXPECT_EQ(zurtest::derOf(h, p.type, back.value), ours.der);
        }
        ourLines.push_back("Shapes " + p.type + " " + ours.answer);
        ourProbes.push_back(i);
        ++encoded;
      }
      const std::vector<std::string> decoded = askErlang("asn1_peer", rulesName, file, ourLines);
      for (std::size_t k = 0; k < ourLines.size(); ++k)
        EXPECT_EQ(decoded[k], "ok " + ourLines[k].substr(ourLines[k].rfind(' ') + 1)) << terms[ourProbes[k]];
      // Both kinds of answer are many.
      EXPECT_GT(encoded, terms.size() / 3) << rulesName;
      EXPECT_GT(refused, terms.size() / 10) << rulesName;
      EXPECT_GT(gaps, 0u) << rulesName;
    }
  }
}

#endif

}  // namespace
