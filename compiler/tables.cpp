#include "compiler/tables.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace zurasn1 {
namespace {

constexpr uint16_t kTagClass[] = {ZUR_TAG_UNIVERSAL, ZUR_TAG_APPLICATION, ZUR_TAG_CONTEXT,
                                  ZUR_TAG_PRIVATE};
constexpr uint32_t kMaxTagNumber = 0x3FFF;

class TablesBuilder {
 public:
  TablesBuilder(const Model &model, const Layout &layout, Problems &problems)
      : model_(model), layout_(layout), problems_(problems), out_(std::make_unique<Tables>()) {}

  std::unique_ptr<Tables> run() {
    Tables &o = *out_;
    o.info.push_back(0);
    o.infoNames.emplace_back();
    // Index 0 of every array that records refer to by index means "none".
    o.ranges.push_back({});
    o.sizes.push_back({});
    o.alphabets.push_back({});
    o.enums.push_back({});
    o.named.push_back({});
    o.order.push_back(0);
    o.defaults.push_back(nullptr);
    o.defaultImages.emplace_back();
    o.openTypes.push_back({});
    o.presences.push_back({});
    parents_.resize(model_.types.size());
    for (TypeId id = 0; id < model_.types.size(); ++id) {
      const Type &t = model_.types[id];
      for (uint32_t i = 0; i < t.components.size(); ++i) parents_[t.components[i].type].push_back({id, i});
      if (t.builtin == Builtin::SequenceOf || t.builtin == Builtin::SetOf)
        parents_[t.element].push_back({id, 0});
    }
    o.types.resize(layout_.types.size());
    o.codecTypes.resize(layout_.types.size());
    firstField_.assign(layout_.types.size(), 0);
    for (CtlType i = 0; i < layout_.types.size(); ++i)
      if (layout_.types[i].original == i) describe(i);
    for (CtlType i = 0; i < layout_.types.size(); ++i) {
      const CtlType original = layout_.types[i].original;
      if (original == i) continue;
      o.types[i] = typeDesc(i, firstField_[original]);
      o.codecTypes[i] = o.codecTypes[original];
    }
    for (CtlType i = 0; i < layout_.types.size(); ++i)
      if ((o.types[i].typeFlags & TYPE_BY_POINTER) != 0) o.codecTypes[i].flags |= ZUR_T_BY_POINTER;
    for (std::size_t k = 0; k < o.fields.size(); ++k) {
      const ZurType &type = o.codecTypes[o.fields[k].type];
      if ((type.flags & ZUR_T_BY_POINTER) == 0) o.components[k].identifier = type.identifier;
    }
    for (CtlType t : layout_.pduTypes) o.pduTypes.push_back(static_cast<uint16_t>(t));
    if (failed_) return nullptr;
    finish();
    return std::move(out_);
  }

 private:
  void problem(const SourcePos &pos, std::string message) {
    problems_.push_back({pos, std::move(message)});
    failed_ = true;
  }

  // An index that a 16-bit field of the tables holds.
  uint16_t index16(std::size_t index, const char *what) {
    if (index > 0xFFFF) {
      if (!tooLarge_) problem({}, std::string("the modules need more ") + what + " than the tables' 16-bit indexes reach");
      tooLarge_ = true;
      return 0;
    }
    return static_cast<uint16_t>(index);
  }

  TypeDesc typeDesc(CtlType i, uint16_t firstField) {
    const TypeLayout &t = layout_.types[i];
    TypeDesc d{};
    d.maxLen = t.maxLen;
    // Traces show an anonymous copy of an assigned type (`[2] Name`) by
    // that type's name; prints name only PDUs, which are assigned.
    const std::string &shown = t.name.empty() ? t.caption : t.name;
    d.name = shown.empty() ? nullptr : out_->strings.emplace_back(shown).c_str();
    d.size = t.size;
    d.count = t.count;
    d.lenSize = t.lenSize;
    d.dataOffset = t.dataOffset;
    d.typeFlags = t.typeFlags;
    d.ref = t.kind == KIND_SEQOF_PTR_ARRAY || t.kind == KIND_SETOF_PTR_ARRAY
                ? static_cast<uint16_t>(t.element)
                : firstField;
    d.kind = t.kind;
    return d;
  }

  // The descriptors, components and codec entry of a type that is no copy.
  void describe(CtlType i) {
    Tables &o = *out_;
    const TypeLayout &t = layout_.types[i];
    const uint16_t firstField = t.members.empty() ? 0 : index16(o.fields.size(), "components");
    firstField_[i] = firstField;
    o.types[i] = typeDesc(i, firstField);
    ZurType &z = o.codecTypes[i];
    if (i == layout_.encodedType) {  // no model type: untagged and unconstrained
      z.builtin = ZB_OPEN_TYPE;
      return;
    }
    const Type &type = model_.types[t.model];
    for (uint32_t k = 0; k < t.members.size(); ++k) {
      o.fieldOwners.push_back({i, k});
      member(t.members[k]);
    }
    z.builtin = static_cast<uint8_t>(type.builtin);
    if (type.extensible) z.flags |= ZUR_T_EXTENSIBLE;
    tags(type, z);
    constraints(type, z);
    if (!type.named.empty() && type.builtin != Builtin::Enumerated) {
      z.named = index16(o.named.size(), "named numbers");
      o.named.push_back({nullptr, static_cast<int64_t>(type.named.size())});
      for (const NamedNumber &n : type.named)
        o.named.push_back({o.strings.emplace_back(n.name).c_str(), n.value});
      if (type.builtin == Builtin::BitString) z.flags |= ZUR_T_NAMED_BITS;
    }
    if (type.builtin == Builtin::Enumerated) enumerators(type, z);
    if (type.builtin == Builtin::Sequence) presence(t, firstField, z);
    if (type.builtin == Builtin::Set || (type.builtin == Builtin::Choice && !t.members.empty()))
      canonicalOrder(type, z);
    if (!t.objectAlternatives.empty()) openType(i, type, z);
  }

  void member(const MemberLayout &m) {
    Tables &o = *out_;
    FieldDesc f{};
    f.offset = m.offset;
    f.type = index16(m.type, "types");
    f.presenceBit = m.presenceBit;
    f.nameIdx = nameIndex(m.name);
    if (!m.name.empty()) f.fieldFlags |= FIELD_NAMED;
    ZurComponent z{};
    if (const Component *c = m.component) {
      if (m.presenceBit >= 0 && (c->optional || c->addition > 0)) f.fieldFlags |= FIELD_OPTIONAL;
      if (c->optional) z.flags |= ZUR_C_OPTIONAL;
      if (c->addition > 0) z.flags |= ZUR_C_EXTENSION;
      if (c->inBracket) z.flags |= ZUR_C_BRACKET;
      z.addition = static_cast<uint16_t>(std::min<uint32_t>(c->addition, 0xFFFF));
      if (c->defaultValue) {
        f.fieldFlags |= FIELD_DEFAULT;
        z.flags |= ZUR_C_DEFAULT;
        std::optional<Image> image = makeImage(model_, layout_, m.type, *c->defaultValue, c->pos, problems_);
        if (!image) {
          failed_ = true;
        } else {
          z.defaultValue = static_cast<uint32_t>(o.defaultImages.size());
          o.defaultImages.push_back(std::move(*image));
        }
      }
    }
    o.fields.push_back(f);
    o.components.push_back(z);
  }

  // The presence record of a SEQUENCE whose mask a PER encoder may copy
  // (ZurPresence), read from the components and fields just described;
  // none for the others, whose components it looks at one by one.
  void presence(const TypeLayout &t, uint16_t firstField, ZurType &z) {
    Tables &o = *out_;
    if (t.members.size() > 64 || (t.lenSize != 1 && t.lenSize != 2 && t.lenSize != 4)) return;
    ZurPresence p{};
    int rank = 0;
    for (uint32_t k = 0; k < t.members.size(); ++k) {
      const ZurComponent &c = o.components[firstField + k];
      if ((c.flags & (ZUR_C_OPTIONAL | ZUR_C_DEFAULT | ZUR_C_EXTENSION)) == 0) continue;
      // A DEFAULT value equal to its default stays out, which its bit does not tell.
      if ((c.flags & ZUR_C_DEFAULT) != 0 || o.fields[firstField + k].presenceBit != rank++) return;
      p.components |= uint64_t{1} << k;
      if ((c.flags & ZUR_C_EXTENSION) != 0) {
        p.additions |= uint64_t{1} << k;
      } else if (p.additions != 0) {  // a root component after the additions
        return;
      } else {
        ++p.rootBits;
      }
    }
    z.presence = index16(o.presences.size(), "presence records");
    o.presences.push_back(p);
  }

  uint16_t nameIndex(const std::string &name) {
    if (name.empty()) return 0;
    auto [it, added] = names_.try_emplace(name, 0);
    if (added) {
      it->second = index16(out_->infoNames.size(), "component names");
      out_->infoNames.push_back(name);
      out_->info.push_back(0);  // the address is set once the names stop moving
    }
    return it->second;
  }

  ZurTag zurTag(const Tag &tag, const SourcePos &pos) {
    if (tag.number > kMaxTagNumber) {
      problem(pos, "tag number " + std::to_string(tag.number) + " is beyond the tables' 16383");
      return {};
    }
    return {static_cast<uint16_t>(kTagClass[static_cast<int>(tag.cls)] | tag.number),
            static_cast<uint16_t>(tag.isExplicit ? ZUR_TAG_EXPLICIT : 0)};
  }

  // The one identifier octet of a type's own tag, in DER's form; 0 when
  // the number takes more octets.
  static uint8_t identifierOctet(Builtin builtin, uint16_t tag) {
    const uint16_t number = ZUR_TAG_NUMBER(tag);
    if (number >= 0x1F) return 0;
    const bool constructed = builtin == Builtin::Sequence || builtin == Builtin::Set ||
                             builtin == Builtin::SequenceOf || builtin == Builtin::SetOf;
    return static_cast<uint8_t>((tag >> 14) << 6 | (constructed ? 0x20 : 0) | number);
  }

  void tags(const Type &type, ZurType &z) {
    Tables &o = *out_;
    if (type.tags.size() > 0xFF) {
      problem(type.pos, "more than 255 tags on one type");
      return;
    }
    z.tagCount = static_cast<uint8_t>(type.tags.size());
    z.firstTag = index16(o.tags.size(), "tags");
    for (const Tag &tag : type.tags) o.tags.push_back(zurTag(tag, type.pos));
    if (type.tags.size() == 1 && (o.tags[z.firstTag].flags & ZUR_TAG_EXPLICIT) == 0) {
      z.flags |= ZUR_T_OWN_TAG;
      z.identifier = identifierOctet(type.builtin, o.tags[z.firstTag].tag);
    }
    std::vector<ZurTag> match;
    if (!matchTags(type, match, 0)) return;  // any tag: matchCount 0
    if (type.tags.size() > 0) {
      z.matchCount = 1;
      z.firstMatch = z.firstTag;
      z.startTag = o.tags[z.firstTag].tag;
      return;
    }
    z.matchCount = index16(match.size(), "tags");
    z.firstMatch = index16(o.tags.size(), "tags");
    if (match.size() == 1) z.startTag = match.front().tag;
    o.tags.insert(o.tags.end(), match.begin(), match.end());
  }

  // The outermost tags an encoding of `type` can begin with; false when it
  // can begin with any (an untagged open type, here or in an untagged
  // CHOICE). `depth` stops a CHOICE that holds itself untagged.
  bool matchTags(const Type &type, std::vector<ZurTag> &out, int depth) {
    if (!type.tags.empty()) {
      out.push_back(zurTag(type.tags.front(), type.pos));
      return true;
    }
    if (type.builtin != Builtin::Choice || depth > 64) return false;
    for (const Component &c : type.components)
      if (!matchTags(model_.types[c.type], out, depth + 1)) return false;
    return true;
  }

  void constraints(const Type &type, ZurType &z) {
    Tables &o = *out_;
    if (type.valueRange && type.builtin == Builtin::Integer) {
      const ValueRange &r = *type.valueRange;
      ZurRange range{r.lower.value_or(0), r.upper.value_or(0), 0, 0};
      if (r.lower) range.flags |= ZUR_R_LOWER;
      if (r.upper) range.flags |= ZUR_R_UPPER;
      if (r.extensible) range.flags |= ZUR_R_EXTENSIBLE;
      // Any value in the hull of an extensible root is encoded as in the
      // root: its gaps matter to nothing the codecs do.
      const bool gaps = !r.extensible && !r.gaps.empty();
      if (gaps) range.flags |= ZUR_R_GAPS;
      range.gaps = gaps ? static_cast<uint32_t>(r.gaps.size()) : 0;
      z.valueRange = index16(o.ranges.size(), "value ranges");
      o.ranges.push_back(range);
      if (gaps)
        for (const Gap &g : r.gaps) o.ranges.push_back({g.first, g.last, ZUR_R_LOWER | ZUR_R_UPPER, 0});
    }
    if (type.size) {
      const SizeRange &s = *type.size;
      ZurSize size{s.lower, s.upper.value_or(0), 0, 0};
      if (s.upper) size.flags |= ZUR_R_UPPER;
      if (s.extensible) size.flags |= ZUR_R_EXTENSIBLE;
      const bool gaps = !s.extensible && !s.gaps.empty();
      if (gaps) size.flags |= ZUR_R_GAPS;
      size.gaps = gaps ? static_cast<uint32_t>(s.gaps.size()) : 0;
      z.sizeRange = index16(o.sizes.size(), "size constraints");
      o.sizes.push_back(size);
      if (gaps)
        for (const Gap &g : s.gaps)
          o.sizes.push_back({static_cast<uint32_t>(g.first), static_cast<uint32_t>(g.last), ZUR_R_UPPER, 0});
    }
    if (type.alphabet) {
      const Alphabet &a = *type.alphabet;
      z.alphabet = index16(o.alphabets.size(), "permitted alphabets");
      o.alphabets.push_back({static_cast<uint32_t>(a.ranges.size()),
                             static_cast<uint32_t>(o.charRanges.size() / 2),
                             a.extensible ? ZUR_R_EXTENSIBLE : 0u});
      for (const CharRange &r : a.ranges) {
        o.charRanges.push_back(r.first);
        o.charRanges.push_back(r.last);
      }
    }
  }

  void enumerators(const Type &type, ZurType &z) {
    Tables &o = *out_;
    std::vector<int32_t> values;
    for (const NamedNumber &n : type.named) {
      if (n.value < INT32_MIN || n.value > INT32_MAX) {
        problem(type.pos, "the enumerator " + n.name + " is beyond 32 bits");
        return;
      }
      values.push_back(static_cast<int32_t>(n.value));
    }
    const std::size_t root = std::min<std::size_t>(type.rootEnumerators, values.size());
    std::sort(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(root));
    z.valueRange = index16(o.enums.size(), "enumerations");
    o.enums.push_back({index16(root, "enumerators"), index16(values.size() - root, "enumerators"),
                       static_cast<uint32_t>(o.enumValues.size())});
    o.enumValues.insert(o.enumValues.end(), values.begin(), values.end());
  }

  // The tag a component sorts by: its own outermost one, or for an untagged
  // CHOICE the smallest of its alternatives'; an untagged open type last.
  uint32_t sortTag(const Type &type) {
    std::vector<ZurTag> match;
    if (!matchTags(type, match, 0) || match.empty()) return 0x10000;
    uint32_t smallest = 0x10000;
    for (const ZurTag &t : match) smallest = std::min<uint32_t>(smallest, t.tag);
    return smallest;
  }

  // Root components in the canonical order of their tags, then the
  // extension additions: sorted too for a CHOICE (its PER index), in the
  // module's order for a SET.
  void canonicalOrder(const Type &type, ZurType &z) {
    Tables &o = *out_;
    std::vector<uint16_t> root, additions;
    std::vector<uint32_t> keys;
    for (std::size_t i = 0; i < type.components.size(); ++i) {
      (type.components[i].addition == 0 ? root : additions).push_back(index16(i, "components in one type"));
      keys.push_back(sortTag(model_.types[type.components[i].type]));
    }
    auto byTag = [&](uint16_t a, uint16_t b) { return keys[a] < keys[b]; };
    std::stable_sort(root.begin(), root.end(), byTag);
    if (type.builtin == Builtin::Choice) std::stable_sort(additions.begin(), additions.end(), byTag);
    z.order = index16(o.order.size(), "component orders");
    o.order.insert(o.order.end(), root.begin(), root.end());
    o.order.insert(o.order.end(), additions.begin(), additions.end());
  }

  void openType(CtlType i, const Type &type, ZurType &z) {
    Tables &o = *out_;
    const TypeLayout &t = layout_.types[i];
    const OpenTypeLink &link = *type.link;
    const std::optional<TypeId> referenced = referencedType(t.model, link);
    if (!referenced) {
      problem(type.pos, "the component that selects this open type's type is not found");
      return;
    }
    z.openType = index16(o.openTypes.size(), "open types");
    o.openTypes.push_back({index16(link.up, "levels"), index16(link.path.size(), "path steps"),
                           static_cast<uint32_t>(o.paths.size()),
                           static_cast<uint32_t>(link.objects.size()),
                           static_cast<uint32_t>(o.objects.size()),
                           link.extensible ? ZUR_R_EXTENSIBLE : 0u});
    for (uint32_t step : link.path) o.paths.push_back(index16(step, "components"));
    for (std::size_t j = 0; j < link.objects.size(); ++j) {
      std::optional<Image> id = makeImage(model_, layout_, *referenced, *link.objects[j].id, type.pos, problems_);
      if (!id) {
        failed_ = true;
        return;
      }
      const uint16_t alternative = t.objectAlternatives[j];
      o.objects.push_back({nullptr, alternative, static_cast<uint16_t>(t.members[alternative - 1].type)});
      o.objectIds.push_back(std::move(*id));
    }
  }

  // The type of the component an open type's link refers to: up from the
  // value around the open type, then down the path.
  std::optional<TypeId> referencedType(TypeId openType, const OpenTypeLink &link) {
    if (parents_[openType].empty()) return std::nullopt;
    TypeId at = parents_[openType].front().first;
    for (uint32_t level = 0; level < link.up; ++level) {
      if (parents_[at].empty()) return std::nullopt;
      at = parents_[at].front().first;
    }
    for (uint32_t step : link.path) {
      const Type &t = model_.types[at];
      if (step >= t.components.size()) return std::nullopt;
      at = t.components[step].type;
    }
    return at;
  }

  // Points everything at the arrays now that they stop growing.
  void finish() {
    Tables &o = *out_;
    for (std::size_t i = 1; i < o.info.size(); ++i)
      o.info[i] = reinterpret_cast<ApiWord>(o.infoNames[i].c_str());
    for (std::size_t i = 1; i < o.defaultImages.size(); ++i)
      o.defaults.push_back(o.images.place(layout_, o.defaultImages[i]));
    for (std::size_t i = 0; i < o.objects.size(); ++i) o.objects[i].id = o.images.place(layout_, o.objectIds[i]);
    o.codec = ZurCodecTbl{static_cast<uint32_t>(o.codecTypes.size()),
                          static_cast<uint32_t>(o.components.size()),
                          o.codecTypes.data(),
                          o.components.data(),
                          o.tags.data(),
                          o.ranges.data(),
                          o.sizes.data(),
                          o.alphabets.data(),
                          o.charRanges.data(),
                          o.enums.data(),
                          o.enumValues.data(),
                          o.named.data(),
                          o.order.data(),
                          o.defaults.data(),
                          o.openTypes.data(),
                          o.paths.data(),
                          o.objects.data(),
                          o.presences.data()};
    CtlTbl &ctl = o.tables.ctl;
    std::memcpy(ctl.reserved0, ZUR_TABLES_MAGIC, 4);
    ctl.reserved0[4] = ZUR_TABLES_VERSION & 0xFF;
    ctl.reserved0[5] = ZUR_TABLES_VERSION >> 8;
    ctl.pduCount = static_cast<uint16_t>(o.pduTypes.size());
    ctl.pduTypes = o.pduTypes.data();
    ctl.types = o.types.data();
    ctl.fields = o.fields.data();
    ctl.infoTable = o.info.data();
    o.tables.codec = &o.codec;
  }

  const Model &model_;
  const Layout &layout_;
  Problems &problems_;
  std::unique_ptr<Tables> out_;
  std::vector<std::vector<std::pair<TypeId, uint32_t>>> parents_;
  std::vector<uint16_t> firstField_;
  std::map<std::string, uint16_t> names_;
  bool failed_ = false;
  bool tooLarge_ = false;
};

}  // namespace

std::unique_ptr<Tables> buildTables(const Model &model, const Layout &layout, Problems &problems) {
  return TablesBuilder(model, layout, problems).run();
}

}  // namespace zurasn1
