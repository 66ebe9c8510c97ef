#include <string>
#include <vector>

#include "compiler/model_passes.h"

namespace zurasn1 {

namespace {

// The outermost tags a value of a type may start with: its own, or those of
// an untagged CHOICE's alternatives; `any` for an untagged open type.
struct FirstTags {
  std::vector<Tag> tags;
  bool any = false;
};

void collect(const Model &model, TypeId id, FirstTags &out, std::vector<bool> &visiting) {
  const Type &type = model.types[id];
  if (!type.tags.empty()) {
    out.tags.push_back(type.tags.front());
    return;
  }
  if (type.builtin != Builtin::Choice) {
    out.any = true;
    return;
  }
  if (visiting[id]) return;
  visiting[id] = true;
  for (const Component &alternative : type.components) collect(model, alternative.type, out, visiting);
  visiting[id] = false;
}

FirstTags firstTags(const Model &model, TypeId id) {
  FirstTags out;
  std::vector<bool> visiting(model.types.size());
  collect(model, id, out, visiting);
  return out;
}

std::string tagText(const Tag &tag) {
  static const char *const classes[] = {"UNIVERSAL ", "APPLICATION ", "", "PRIVATE "};
  return "[" + std::string(classes[static_cast<int>(tag.cls)]) + std::to_string(tag.number) + "]";
}

// The tag two components share, if any; "" for an open type's unknown one.
std::optional<std::string> clash(const FirstTags &a, const FirstTags &b) {
  if ((a.any && (b.any || !b.tags.empty())) || (b.any && !a.tags.empty())) return std::string();
  for (const Tag &x : a.tags)
    for (const Tag &y : b.tags)
      if (x.cls == y.cls && x.number == y.number) return tagText(x);
  return std::nullopt;
}

}  // namespace

void checkTags(const Model &model, Diagnostics &diagnostics) {
  for (const Type &type : model.types) {
    const bool sequence = type.builtin == Builtin::Sequence;
    if (!sequence && type.builtin != Builtin::Set && type.builtin != Builtin::Choice) continue;
    const std::vector<Component> &components = type.components;
    std::vector<FirstTags> tags;
    for (const Component &c : components) tags.push_back(firstTags(model, c.type));
    for (std::size_t i = 0; i < components.size(); ++i) {
      const Component &a = components[i];
      const bool mayBeAbsent = a.optional || a.defaultValue || a.addition != 0;
      if (sequence && !mayBeAbsent) continue;
      for (std::size_t j = i + 1; j < components.size(); ++j) {
        const Component &b = components[j];
        if (const std::optional<std::string> tag = clash(tags[i], tags[j])) {
          std::string what;
          if (tag->empty())
            what = (tags[i].any ? a.name : b.name) + " is an untagged open type: its tag may be the tag of " +
                   (tags[i].any ? b.name : a.name);
          else if (type.builtin == Builtin::Choice)
            what = "alternatives " + a.name + " and " + b.name + " have the same tag " + *tag;
          else if (!sequence)
            what = "components " + a.name + " and " + b.name + " of a SET have the same tag " + *tag;
          else
            what = "component " + b.name + " has the tag " + *tag + " of " + a.name +
                   ", which may be absent before it";
          diagnostics.error(b.pos, what);
        }
        if (sequence && !b.optional && !b.defaultValue && b.addition == 0) break;
      }
    }
  }
}

}  // namespace zurasn1
