#include "compiler/oid_arc_names.h"

namespace zurasn1 {
namespace {

struct NamedArc {
  const char *name;
  uint64_t arc;
};
constexpr NamedArc kRootArcs[] = {{"itu-t", 0}, {"ccitt", 0}, {"iso", 1}, {"joint-iso-itu-t", 2},
                                  {"joint-iso-ccitt", 2}};
constexpr NamedArc kItuArcs[] = {{"recommendation", 0}, {"question", 1}, {"administration", 2},
                                 {"network-operator", 3}, {"identified-organization", 4}};
constexpr NamedArc kIsoArcs[] = {{"standard", 0}, {"registration-authority", 1},
                                 {"member-body", 2}, {"identified-organization", 3}};

}  // namespace

bool namedArc(const std::vector<uint64_t> &above, std::string_view name, uint64_t &arc) {
  auto find = [&](const auto &table) {
    for (const NamedArc &entry : table)
      if (name == entry.name) {
        arc = entry.arc;
        return true;
      }
    return false;
  };
  if (above.empty()) return find(kRootArcs);
  if (above.size() == 1 && above[0] == 0) return find(kItuArcs);
  if (above.size() == 1 && above[0] == 1) return find(kIsoArcs);
  // The series of ITU-T Recommendations, a(1) to z(26), below recommendation.
  if (above.size() == 2 && above[0] == 0 && above[1] == 0 && name.size() == 1 && name[0] >= 'a' &&
      name[0] <= 'z') {
    arc = static_cast<uint64_t>(name[0] - 'a' + 1);
    return true;
  }
  return false;
}

std::string misnamedArc(std::string_view name, uint64_t named, uint64_t given) {
  const std::string number = std::to_string(given);
  return std::string(name) + " is the name of arc " + std::to_string(named) + ", not of " + number +
         ": the arc is " + number;
}

std::optional<ArcFault> firstArcsFault(const std::vector<uint64_t> &arcs) {
  if (arcs[0] > 2) return ArcFault{0, "the first arc of an OBJECT IDENTIFIER is 0, 1 or 2"};
  if (arcs[0] < 2 && arcs[1] > 39) return ArcFault{1, "the second arc under 0 or 1 is below 40"};
  return std::nullopt;
}

}  // namespace zurasn1
