// The names X.660 gives the top arcs of the OBJECT IDENTIFIER tree, and the
// rule its encoding puts on the first two arcs: shared by the value reader
// and the module header's OBJECT IDENTIFIER.
#ifndef ZURASN1_OID_ARC_NAMES_H
#define ZURASN1_OID_ARC_NAMES_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zurasn1 {

// The arc that `name` stands for below the arcs `above`, when X.660 names it
// there (so that a value may give it by name alone).
bool namedArc(const std::vector<uint64_t> &above, std::string_view name, uint64_t &arc);

// The warning for name(number) where X.660 gives the name to another arc:
// the number is the arc, the name only says something else.
std::string misnamedArc(std::string_view name, uint64_t named, uint64_t given);

inline constexpr const char *kTooFewArcs = "an OBJECT IDENTIFIER has two arcs at least";

// The encoding joins the first two arcs in one number: which of them (0 or
// 1) breaks that, and how. Takes two arcs at least.
struct ArcFault {
  std::size_t arc;
  const char *why;
};
std::optional<ArcFault> firstArcsFault(const std::vector<uint64_t> &arcs);

}  // namespace zurasn1

#endif
