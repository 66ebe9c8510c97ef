// Constraints reduced to what PER sees of them (X.691 clause 9.3 and B.2):
// the bounds of an INTEGER's values, of sizes, and the permitted alphabet
// of known-multiplier character strings, each with its extensibility.
// Single values bound by their hull, whose gaps are kept for checking
// values; unions and intersections combine the parts that their operands
// constrain; a constraint PER does not see (inner subtyping, CONTAINING,
// user-defined, an extensible FROM) leaves its part unconstrained. Values
// are still read and checked everywhere.
#include <algorithm>

#include "compiler/resolver.h"

namespace zurasn1 {

namespace {

// What the values of an element set are: the type's own, sizes, characters.
enum Context : int { kOwn = 0, kSizes = 1, kCharacters = 2 };

struct Bounds {
  bool constrained = false;
  bool empty = false;
  std::optional<int64_t> lower, upper;
  bool extensible = false;
  std::vector<Gap> gaps;
};

struct Characters {
  bool constrained = false;
  std::vector<CharRange> ranges;  // ascending, disjoint, not adjacent
  bool extensible = false;
};

std::vector<CharRange> normalized(std::vector<CharRange> ranges) {
  std::sort(ranges.begin(), ranges.end(),
            [](const CharRange &a, const CharRange &b) { return a.first < b.first; });
  std::vector<CharRange> merged;
  for (const CharRange &r : ranges) {
    if (!merged.empty() && r.first <= merged.back().last + 1)
      merged.back().last = std::max(merged.back().last, r.last);
    else
      merged.push_back(r);
  }
  return merged;
}

// A range the model holds, as the bounds reduction works on.
Bounds boundsOf(const ValueRange &r) { return {true, false, r.lower, r.upper, r.extensible, r.gaps}; }
Bounds boundsOf(const SizeRange &r) {
  return {true, false, int64_t{r.lower}, r.upper ? std::optional<int64_t>(*r.upper) : std::nullopt, r.extensible,
          r.gaps};
}

// The values of bounds as ascending, disjoint ranges (MIN and MAX as the
// 64-bit ends), and the values of a hull that such ranges leave out.
std::vector<Gap> piecesOf(const Bounds &b) {
  std::vector<Gap> pieces;
  int64_t from = b.lower.value_or(INT64_MIN);
  for (const Gap &g : b.gaps) {
    if (g.first > from) pieces.push_back({from, g.first - 1});
    from = g.last + 1;
  }
  const int64_t to = b.upper.value_or(INT64_MAX);
  if (b.gaps.empty() || b.gaps.back().last < to) pieces.push_back({from, to});
  return pieces;
}
std::vector<Gap> gapsWithin(const Bounds &hull, std::vector<Gap> pieces) {
  std::sort(pieces.begin(), pieces.end(), [](const Gap &x, const Gap &y) { return x.first < y.first; });
  std::vector<Gap> gaps;
  int64_t from = hull.lower.value_or(INT64_MIN);
  const int64_t to = hull.upper.value_or(INT64_MAX);
  bool done = false;
  for (const Gap &p : pieces) {
    if (done || p.last < from) continue;
    if (p.first > from) gaps.push_back({from, std::min(p.first - 1, to)});
    if (p.last >= to) done = true;
    else from = std::max(from, p.last + 1);
  }
  if (!done) gaps.push_back({from, to});
  return gaps;
}

Bounds unite(const Bounds &a, const Bounds &b) {
  if (!a.constrained || !b.constrained) return {};
  if (a.empty) return b;
  if (b.empty) return a;
  Bounds r{true, false, std::nullopt, std::nullopt, a.extensible || b.extensible, {}};
  if (a.lower && b.lower) r.lower = std::min(*a.lower, *b.lower);
  if (a.upper && b.upper) r.upper = std::max(*a.upper, *b.upper);
  std::vector<Gap> pieces = piecesOf(a), more = piecesOf(b);
  pieces.insert(pieces.end(), more.begin(), more.end());
  r.gaps = gapsWithin(r, std::move(pieces));
  return r;
}

// The bounds stay those of the operands' hulls, as PER sees them, though
// a gap may then reach one: (0..10 | 20 | 30) ^ 5..25 is 5..25 without
// 11..19 and 21..25.
Bounds intersect(const Bounds &a, const Bounds &b) {
  if (!a.constrained) return b;
  if (!b.constrained) return a;
  Bounds r{true, a.empty || b.empty, a.lower, a.upper, a.extensible && b.extensible, {}};
  if (b.lower && (!r.lower || *b.lower > *r.lower)) r.lower = b.lower;
  if (b.upper && (!r.upper || *b.upper < *r.upper)) r.upper = b.upper;
  if (r.lower && r.upper && *r.lower > *r.upper) r.empty = true;
  if (r.empty) return r;
  std::vector<Gap> common;
  for (const Gap &x : piecesOf(a))
    for (const Gap &y : piecesOf(b))
      if (std::max(x.first, y.first) <= std::min(x.last, y.last))
        common.push_back({std::max(x.first, y.first), std::min(x.last, y.last)});
  r.empty = common.empty();
  if (!r.empty) r.gaps = gapsWithin(r, std::move(common));
  return r;
}

Characters unite(const Characters &a, const Characters &b) {
  if (!a.constrained || !b.constrained) return {};
  std::vector<CharRange> all = a.ranges;
  all.insert(all.end(), b.ranges.begin(), b.ranges.end());
  return {true, normalized(std::move(all)), a.extensible || b.extensible};
}

Characters intersect(const Characters &a, const Characters &b) {
  if (!a.constrained) return b;
  if (!b.constrained) return a;
  std::vector<CharRange> common;
  for (const CharRange &x : a.ranges)
    for (const CharRange &y : b.ranges) {
      const uint32_t first = std::max(x.first, y.first), last = std::min(x.last, y.last);
      if (first <= last) common.push_back({first, last});
    }
  return {true, normalized(std::move(common)), a.extensible && b.extensible};
}

bool knownMultiplier(Builtin b) {
  switch (b) {
    case Builtin::NumericString:
    case Builtin::PrintableString:
    case Builtin::Ia5String:
    case Builtin::VisibleString:
    case Builtin::UniversalString:
    case Builtin::BmpString: return true;
    default: return false;
  }
}

bool characterString(Builtin b) {
  switch (b) {
    case Builtin::Utf8String:
    case Builtin::TeletexString:
    case Builtin::VideotexString:
    case Builtin::GraphicString:
    case Builtin::GeneralString:
    case Builtin::ObjectDescriptor: return true;
    default: return knownMultiplier(b);
  }
}

bool sized(Builtin b) {
  return characterString(b) || b == Builtin::BitString || b == Builtin::OctetString ||
         b == Builtin::SequenceOf || b == Builtin::SetOf;
}

}  // namespace

struct Resolver::Reduced {
  Bounds value;
  Bounds size;
  Characters alphabet;
  // With extension additions (here or in a SIZE): the hulls of root and
  // additions together.
  bool additions = false;
  Bounds valueWithAdditions;
  Bounds sizeWithAdditions;

  // The values (sizes) it permits, its additions included.
  const Bounds &values() const { return additions ? valueWithAdditions : value; }
  const Bounds &sizes() const { return additions ? sizeWithAdditions : size; }
};

Resolver::Reduced Resolver::reduceConstraint(const ast::Constraint &constraint, TypeId base,
                                             Scope scope, int context) {
  const Builtin builtin = types_[base].builtin;
  switch (constraint.kind) {
    case ast::Constraint::Kind::ElementSets: {
      Reduced reduced = reduceElements(*constraint.root, base, scope, context);
      if (constraint.additions) {
        const Reduced added = reduceElements(*constraint.additions, base, scope, context);
        reduced.valueWithAdditions = unite(reduced.values(), added.values());
        reduced.sizeWithAdditions = unite(reduced.sizes(), added.sizes());
        reduced.additions = true;
      }
      if (constraint.extensible) {
        reduced.value.extensible = reduced.value.constrained;
        reduced.size.extensible = reduced.size.constrained;
        reduced.alphabet.extensible = reduced.alphabet.constrained;
      }
      return reduced;
    }
    case ast::Constraint::Kind::Braced: {
      // A single value in braces (an OBJECT IDENTIFIER, a SEQUENCE value).
      ast::ElementSet single;
      single.kind = ast::ElementSet::Kind::Value;
      single.pos = constraint.pos;
      single.value = constraint.braced;
      return reduceElements(single, base, scope, context);
    }
    case ast::Constraint::Kind::ComponentRelation:
      error(constraint.pos, "a table constraint applies to a field of a class");
    case ast::Constraint::Kind::Containing:
      if (builtin != Builtin::BitString && builtin != Builtin::OctetString)
        error(constraint.pos, "CONTAINING applies to BIT STRING and OCTET STRING");
      if (constraint.contained) resolveType(*constraint.contained, scope);
      return {};
    case ast::Constraint::Kind::UserDefined: return {};
  }
  return {};
}

Resolver::Reduced Resolver::reduceElements(const ast::ElementSet &set, TypeId base, Scope scope,
                                           int context) {
  const Builtin builtin = types_[base].builtin;
  Reduced reduced;
  switch (set.kind) {
    case ast::ElementSet::Kind::Union:
    case ast::ElementSet::Kind::Intersection: {
      const bool union_ = set.kind == ast::ElementSet::Kind::Union;
      reduced = reduceElements(*set.operands[0], base, scope, context);
      for (std::size_t i = 1; i < set.operands.size(); ++i) {
        const Reduced next = reduceElements(*set.operands[i], base, scope, context);
        if (reduced.additions || next.additions) {
          const Bounds values = union_ ? unite(reduced.values(), next.values()) : intersect(reduced.values(), next.values());
          const Bounds sizes = union_ ? unite(reduced.sizes(), next.sizes()) : intersect(reduced.sizes(), next.sizes());
          reduced.valueWithAdditions = values;
          reduced.sizeWithAdditions = sizes;
          reduced.additions = true;
        }
        if (union_) {
          reduced.value = unite(reduced.value, next.value);
          reduced.size = unite(reduced.size, next.size);
          reduced.alphabet = unite(reduced.alphabet, next.alphabet);
        } else {
          reduced.value = intersect(reduced.value, next.value);
          reduced.size = intersect(reduced.size, next.size);
          reduced.alphabet = intersect(reduced.alphabet, next.alphabet);
        }
      }
      return reduced;
    }
    case ast::ElementSet::Kind::Value: {
      const TypeId valueType = context == kSizes ? hiddenType(Builtin::Integer) : base;
      const ValuePtr value = readValue(valueType, scope, set.value);
      if (context == kCharacters) {
        std::vector<CharRange> ranges;
        for (char32_t c : value->chars) ranges.push_back({c, c});
        reduced.alphabet = {true, normalized(std::move(ranges)), false};
      } else if (context == kSizes || builtin == Builtin::Integer) {
        reduced.value = {true, false, value->integer, value->integer, false, {}};
      }
      return reduced;
    }
    case ast::ElementSet::Kind::Range: {
      if (context == kCharacters) {
        auto bound = [&](const ast::TokenRange &range, bool isMin, bool isMax, uint32_t fallback) {
          if (isMin || isMax) return fallback;
          const ValuePtr value = readValue(base, scope, range);
          if (value->chars.size() != 1) error(set.pos, "a bound of a character range is one character");
          return static_cast<uint32_t>(value->chars[0]);
        };
        uint32_t first = bound(set.value, set.lowerMin, false, 0);
        uint32_t last = bound(set.upper, false, set.upperMax, 0x10FFFF);
        if (set.lowerOpen) ++first;
        if (set.upperOpen && last > 0) --last;
        if (first > last) error(set.pos, "the character range is empty");
        reduced.alphabet = {true, {{first, last}}, false};
        return reduced;
      }
      if (context == kOwn && builtin != Builtin::Integer) {
        if (builtin != Builtin::Real)
          error(set.pos, "a value range applies to INTEGER and REAL, and to characters in FROM");
        if (!set.lowerMin) readValue(base, scope, set.value);
        if (!set.upperMax) readValue(base, scope, set.upper);
        return reduced;
      }
      const TypeId valueType = context == kSizes ? hiddenType(Builtin::Integer) : base;
      Bounds &bounds = reduced.value;
      bounds.constrained = true;
      if (!set.lowerMin) {
        const int64_t lower = readValue(valueType, scope, set.value)->integer;
        if (set.lowerOpen && lower == INT64_MAX) error(set.pos, "the value range is empty");
        bounds.lower = set.lowerOpen ? lower + 1 : lower;
      }
      if (!set.upperMax) {
        const int64_t upper = readValue(valueType, scope, set.upper)->integer;
        if (set.upperOpen && upper == INT64_MIN) error(set.pos, "the value range is empty");
        bounds.upper = set.upperOpen ? upper - 1 : upper;
      }
      if (bounds.lower && bounds.upper && *bounds.lower > *bounds.upper)
        error(set.pos, "the value range is empty");
      return reduced;
    }
    case ast::ElementSet::Kind::Size: {
      if (context != kOwn) error(set.pos, "SIZE cannot stand inside SIZE or FROM");
      if (!sized(builtin))
        error(set.pos, "SIZE applies to strings, SEQUENCE OF and SET OF");
      const Reduced sizes = reduceConstraint(*set.inner, hiddenType(Builtin::Integer), scope, kSizes);
      reduced.size = sizes.value;
      reduced.additions = sizes.additions;
      reduced.sizeWithAdditions = sizes.valueWithAdditions;
      if (reduced.size.lower && *reduced.size.lower < 0) error(set.pos, "a size is not negative");
      if (reduced.size.upper && *reduced.size.upper > UINT32_MAX)
        error(set.pos, "a size is beyond 32 bits");
      return reduced;
    }
    case ast::ElementSet::Kind::From: {
      if (context != kOwn) error(set.pos, "FROM cannot stand inside SIZE or FROM");
      if (!characterString(builtin)) error(set.pos, "FROM applies to character string types");
      // Its characters are of the string type, whatever SIZE the type has
      // (one character is no value of SIZE (8)).
      reduced.alphabet = reduceConstraint(*set.inner, hiddenType(builtin), scope, kCharacters).alphabet;
      return reduced;
    }
    case ast::ElementSet::Kind::Contained: {
      const TypeId contained = resolveType(*set.type, scope);
      const Type &t = types_[contained];
      const Builtin wanted = context == kSizes ? Builtin::Integer : builtin;
      if (t.builtin != wanted && !(characterString(t.builtin) && characterString(wanted)))
        error(set.pos, "the type in this constraint is not of the type it constrains");
      if (context == kCharacters) {
        if (t.alphabet) reduced.alphabet = {true, t.alphabet->ranges, t.alphabet->extensible};
        return reduced;
      }
      if (t.valueRange) reduced.value = boundsOf(*t.valueRange);
      reduced.additions = t.valuesWithAdditions || t.sizesWithAdditions;
      reduced.valueWithAdditions = t.valuesWithAdditions ? boundsOf(*t.valuesWithAdditions) : reduced.value;
      if (t.size) reduced.size = boundsOf(*t.size);
      reduced.sizeWithAdditions = t.sizesWithAdditions ? boundsOf(*t.sizesWithAdditions) : reduced.size;
      if (t.alphabet) reduced.alphabet = {true, t.alphabet->ranges, t.alphabet->extensible};
      return reduced;
    }
    case ast::ElementSet::Kind::Pattern:
      if (context != kOwn || !characterString(builtin))
        error(set.pos, "PATTERN applies to character string types");
      readValue(hiddenType(Builtin::UniversalString), scope, set.value);
      return reduced;
    case ast::ElementSet::Kind::InnerType: {
      const bool structured = builtin == Builtin::Sequence || builtin == Builtin::Set ||
                              builtin == Builtin::Choice;
      const bool collection = builtin == Builtin::SequenceOf || builtin == Builtin::SetOf;
      if (!(set.components.empty() ? collection : structured))
        error(set.pos, set.components.empty()
                           ? "WITH COMPONENT applies to SEQUENCE OF and SET OF"
                           : "WITH COMPONENTS applies to SEQUENCE, SET and CHOICE");
      for (const std::pair<ast::Name, SourcePos> &written : set.components) {
        const std::vector<Component> &components = types_[base].components;
        if (std::none_of(components.begin(), components.end(),
                         [&](const Component &c) { return c.name == written.first; }))
          error(written.second, "the type has no component " + std::string(written.first));
      }
      return reduced;
    }
  }
  return reduced;
}

void Resolver::applyConstraints(TypeId id, const std::vector<const ast::Constraint *> &constraints,
                                Scope scope) {
  for (const ast::Constraint *constraint : constraints) {
    const Builtin builtin = types_[id].builtin;
    const bool table = constraint->kind == ast::Constraint::Kind::Braced ||
                       constraint->kind == ast::Constraint::Kind::ComponentRelation;
    if (table && fieldOrigins_.count(id)) {
      addTableConstraint(*constraint, scope, id);
      continue;
    }
    if (builtin == Builtin::OpenType)
      error(constraint->pos, fieldOrigins_.count(id)
                                 ? "an open type takes a table constraint only"
                                 : "a constraint on ANY is not supported");
    const Reduced reduced = reduceConstraint(*constraint, id, scope, kOwn);
    // Serial application: the root is the intersection with every value the
    // type had (its root and extension additions), extensible as the last
    // constraint is; the additions of that one are kept for the next.
    Type &type = types_[id];
    if (builtin == Builtin::Integer && reduced.value.constrained) {
      Bounds before;
      if (const std::optional<ValueRange> &had = type.valuesWithAdditions ? type.valuesWithAdditions : type.valueRange)
        before = boundsOf(*had);
      Bounds after = intersect(before, reduced.value);
      if (after.empty) error(constraint->pos, "the constraints leave no value");
      after.extensible = reduced.value.extensible;
      if (after.lower || after.upper || after.extensible || !after.gaps.empty())
        type.valueRange = ValueRange{after.lower, after.upper, after.extensible, after.gaps};
      else
        type.valueRange.reset();
      type.valuesWithAdditions.reset();
      if (reduced.additions) {
        const Bounds whole = intersect(before, reduced.valueWithAdditions);
        type.valuesWithAdditions = ValueRange{whole.lower, whole.upper, true, whole.gaps};
      }
    }
    const bool perSized = knownMultiplier(builtin) || (sized(builtin) && !characterString(builtin));
    if (perSized && reduced.size.constrained) {
      Bounds before;
      if (const std::optional<SizeRange> &had = type.sizesWithAdditions ? type.sizesWithAdditions : type.size)
        before = boundsOf(*had);
      Bounds after = intersect(before, reduced.size);
      if (after.empty) error(constraint->pos, "the constraints leave no size");
      after.extensible = reduced.size.extensible;
      const uint32_t lower = after.lower ? static_cast<uint32_t>(*after.lower) : 0;
      if (lower > 0 || after.upper || after.extensible || !after.gaps.empty())
        type.size = SizeRange{lower,
                              after.upper ? std::optional<uint32_t>(static_cast<uint32_t>(*after.upper))
                                          : std::nullopt,
                              after.extensible, after.gaps};
      else
        type.size.reset();
      type.sizesWithAdditions.reset();
      if (reduced.additions) {
        const Bounds whole = intersect(before, reduced.sizeWithAdditions);
        type.sizesWithAdditions = SizeRange{static_cast<uint32_t>(whole.lower.value_or(0)),
                                            whole.upper ? std::optional<uint32_t>(static_cast<uint32_t>(*whole.upper))
                                                        : std::nullopt,
                                            true, whole.gaps};
      }
    }
    // An extensible permitted alphabet is not PER-visible.
    if (knownMultiplier(builtin) && reduced.alphabet.constrained && !reduced.alphabet.extensible) {
      Characters before;
      if (type.alphabet) before = {true, type.alphabet->ranges, false};
      const Characters after = intersect(before, reduced.alphabet);
      if (after.ranges.empty()) error(constraint->pos, "the constraints leave no character");
      type.alphabet = Alphabet{after.ranges, false};
    }
  }
}

}  // namespace zurasn1
