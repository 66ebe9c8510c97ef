#include "compiler/layout.h"

#include <algorithm>
#include <cstddef>
#include <map>

#include "zurbase/ctltbl.h"
#include "zurbase/values.h"

namespace zurasn1 {
namespace {

// Alignment of T as a structure member, which on i386 Linux is below
// alignof for 8-byte integers and doubles in some compilers' eyes.
template <class T>
constexpr uint32_t memberAlign() {
  struct Probe {
    char c;
    T t;
  };
  return offsetof(Probe, t);
}

// The SEQUENCE OF and SET OF value: a count and the address of the array.
struct ArrayValue {
  uint32_t count;
  void *value;
};

// Largest value laid out: offsets and sizes stay well inside 32 bits.
constexpr uint64_t kMaxSize = uint64_t{1} << 30;

uint64_t alignUp(uint64_t v, uint32_t a) { return (v + a - 1) / a * a; }

// Length (or count) and the address of the data.
template <class T>
void lengthAndAddress(TypeLayout &t, uint32_t kind) {
  t.kind = kind;
  t.size = sizeof(T);
  t.align = memberAlign<T>();
  t.lenSize = 4;
  t.dataOffset = offsetof(T, value);
}

template <class T>
void scalar(TypeLayout &t, uint32_t kind, uint16_t lenSize) {
  t.kind = kind;
  t.size = sizeof(T);
  t.align = memberAlign<T>();
  t.lenSize = lenSize;
}

void layOutLeaf(const Type &type, TypeLayout &t) {
  switch (type.builtin) {
    case Builtin::Boolean:
      scalar<uint8_t>(t, KIND_BOOLEAN, 0);
      break;
    case Builtin::Null:
      scalar<uint8_t>(t, KIND_NULL, 0);
      break;
    case Builtin::Integer:
      // Both bounds or named numbers: a 64-bit integer; otherwise any
      // length (serial numbers, moduli).
      if (!isHugeInteger(type)) {
        scalar<int64_t>(t, KIND_INTEGER, sizeof(int64_t));
      } else {
        lengthAndAddress<ZurHugeInt>(t, KIND_OCTETS_PTR2);
        t.hugeInteger = true;
      }
      break;
    case Builtin::Enumerated:
      scalar<int32_t>(t, KIND_ENUMERATED, sizeof(int32_t));
      break;
    case Builtin::Real:
      scalar<double>(t, KIND_REAL, 0);
      break;
    case Builtin::BitString:
      lengthAndAddress<ZurBits>(t, KIND_BITS_PTR);
      break;
    case Builtin::OctetString:
      lengthAndAddress<ZurOctets>(t, KIND_OCTETS_PTR);
      break;
    case Builtin::ObjectIdentifier:
      lengthAndAddress<ZurOid>(t, KIND_OID_ENCODED);
      t.maxLen = -1;
      break;
    case Builtin::RelativeOid:
      lengthAndAddress<ZurRelativeOid>(t, KIND_OID_PTR);
      t.lenSize = sizeof(uint32_t);  // the width of one arc
      break;
    case Builtin::BmpString:
      lengthAndAddress<ZurBmpChars>(t, KIND_BMP_STRING);
      break;
    case Builtin::UniversalString:
      lengthAndAddress<ZurUniversalChars>(t, KIND_UNIVERSAL_STRING);
      break;
    case Builtin::UtcTime:
      scalar<TimeValue>(t, KIND_UTC_TIME, 0);
      break;
    case Builtin::GeneralizedTime:
      scalar<TimeValue>(t, KIND_GENERALIZED_TIME, 0);
      break;
    case Builtin::OpenType:
      scalar<EncodedValue>(t, KIND_ENCODED, 0);
      break;
    default:  // the 8-bit character strings and ObjectDescriptor
      lengthAndAddress<ZurChars>(t, KIND_CHARS_PTR);
      break;
  }
}

bool isConstructed(Builtin b) {
  return b == Builtin::Sequence || b == Builtin::Set || b == Builtin::Choice;
}

// An open type that an object set with objects selects: laid out as a CHOICE.
bool isSelectedOpenType(const Type &type) {
  return type.builtin == Builtin::OpenType && type.link && !type.link->objects.empty();
}

// Anonymous types of one shape (an OBJECT IDENTIFIER written in two objects)
// are one alternative of an open type: their signature is equal.
std::string signature(const Model &model, TypeId id) {
  const Type &t = model.types[id];
  if (!t.name.empty() || t.builtin == Builtin::OpenType) return "#" + std::to_string(id);
  std::string s = std::to_string(static_cast<int>(t.builtin));
  for (const Tag &tag : t.tags)
    s += "|t" + std::to_string(static_cast<int>(tag.cls)) + ":" + std::to_string(tag.number) +
         (tag.isExplicit ? "e" : "");
  auto bound = [](const std::optional<int64_t> &b) { return b ? std::to_string(*b) : "-"; };
  auto gaps = [](const std::vector<Gap> &g) {
    std::string text;
    for (const Gap &gap : g) text += "g" + std::to_string(gap.first) + ":" + std::to_string(gap.last);
    return text;
  };
  if (t.valueRange)
    s += "|r" + bound(t.valueRange->lower) + ":" + bound(t.valueRange->upper) +
         (t.valueRange->extensible ? "e" : "") + gaps(t.valueRange->gaps);
  if (t.size)
    s += "|s" + std::to_string(t.size->lower) + ":" +
         (t.size->upper ? std::to_string(*t.size->upper) : "-") + (t.size->extensible ? "e" : "") +
         gaps(t.size->gaps);
  if (t.alphabet) {
    s += "|a";
    for (const CharRange &r : t.alphabet->ranges)
      s += std::to_string(r.first) + "-" + std::to_string(r.last) + ",";
    s += t.alphabet->extensible ? "e" : "";
  }
  s += t.extensible ? "|x" : "";
  for (const NamedNumber &n : t.named) s += "|n" + n.name + "=" + std::to_string(n.value);
  s += "|root" + std::to_string(t.rootEnumerators);
  for (const Component &c : t.components)
    s += "|c" + c.name + ":" + std::to_string(c.type) + (c.optional ? "o" : "") +
         (c.defaultValue ? "d" + std::to_string(reinterpret_cast<uintptr_t>(c.defaultValue.get())) : "") +
         "+" + std::to_string(c.addition);
  if (t.builtin == Builtin::SequenceOf || t.builtin == Builtin::SetOf)
    s += "|e" + std::to_string(t.element);
  return s;
}

// The distinct types that the objects of a selected open type name, as its
// alternatives; `objectAlternatives` gets each object's alternative.
std::vector<TypeId> openAlternatives(const Model &model, const Type &type,
                                     std::vector<uint16_t> &objectAlternatives) {
  std::vector<TypeId> alternatives;
  std::map<std::string, uint16_t> bySignature;
  for (const OpenTypeLink::Object &object : type.link->objects) {
    auto [it, added] = bySignature.try_emplace(signature(model, object.type),
                                               static_cast<uint16_t>(alternatives.size() + 1));
    if (added) alternatives.push_back(object.type);
    objectAlternatives.push_back(it->second);
  }
  return alternatives;
}

// Every name distinct: a second "OCTET-STRING" becomes "OCTET-STRING-2".
void makeNamesDistinct(std::vector<MemberLayout> &members) {
  std::map<std::string, int> seen;
  for (MemberLayout &m : members) {
    int &n = seen[m.name];
    if (++n > 1) m.name += "-" + std::to_string(n);
  }
}

// Strongly connected components of the graph of types held inline (the
// components and open-type alternatives of each type), closed in Tarjan's
// order: a component's successors are closed before it. Iterative, so deep
// nesting does not exhaust the stack.
struct Components {
  std::vector<std::vector<TypeId>> closed;
  std::vector<bool> containsItself;
};

Components stronglyConnected(const std::vector<std::vector<TypeId>> &edges) {
  const std::size_t n = edges.size();
  Components result;
  result.containsItself.assign(n, false);
  std::vector<int64_t> index(n, -1), low(n, 0);
  std::vector<bool> onStack(n, false);
  std::vector<TypeId> stack;
  struct Frame {
    TypeId v;
    std::size_t next;
  };
  std::vector<Frame> frames;
  int64_t counter = 0;
  for (TypeId root = 0; root < n; ++root) {
    if (index[root] >= 0) continue;
    frames.push_back({root, 0});
    index[root] = low[root] = counter++;
    stack.push_back(root);
    onStack[root] = true;
    while (!frames.empty()) {
      Frame &f = frames.back();
      if (f.next < edges[f.v].size()) {
        const TypeId w = edges[f.v][f.next++];
        if (w == f.v) result.containsItself[w] = true;
        if (index[w] < 0) {
          index[w] = low[w] = counter++;
          stack.push_back(w);
          onStack[w] = true;
          frames.push_back({w, 0});
        } else if (onStack[w]) {
          low[f.v] = std::min(low[f.v], index[w]);
        }
        continue;
      }
      const TypeId v = f.v;
      frames.pop_back();
      if (!frames.empty()) low[frames.back().v] = std::min(low[frames.back().v], low[v]);
      if (low[v] != index[v]) continue;
      std::vector<TypeId> component;
      TypeId w;
      do {
        w = stack.back();
        stack.pop_back();
        onStack[w] = false;
        component.push_back(w);
      } while (w != v);
      if (component.size() > 1)
        for (TypeId c : component) result.containsItself[c] = true;
      result.closed.push_back(std::move(component));
    }
  }
  return result;
}

class LayoutBuilder {
 public:
  LayoutBuilder(const Model &model, Problems &problems) : model_(model), problems_(problems) {}

  std::optional<Layout> run() {
    const std::size_t n = model_.types.size();
    layout_.types.resize(n);
    std::vector<std::vector<TypeId>> inlineEdges(n);
    std::vector<std::vector<TypeId>> openAlts(n);
    for (TypeId id = 0; id < n; ++id) {
      const Type &type = model_.types[id];
      TypeLayout &t = layout_.types[id];
      t.model = t.original = id;
      t.name = type.name;
      t.caption = type.caption;
      if (isConstructed(type.builtin)) {
        for (const Component &c : type.components) inlineEdges[id].push_back(c.type);
      } else if (isSelectedOpenType(type)) {
        openAlts[id] = openAlternatives(model_, type, t.objectAlternatives);
        inlineEdges[id] = openAlts[id];
      }
    }
    const Components sccs = stronglyConnected(inlineEdges);
    containsItself_ = sccs.containsItself;
    layout_.encodedType = addEncodedType();
    // A type that contains itself lies on a cycle, so some member holds it:
    // its pointer-held copy exists before any member refers to it.
    for (TypeId id = 0; id < n; ++id) {
      if (!containsItself_[id]) continue;
      pointerCopies_[id] = static_cast<CtlType>(layout_.types.size());
      layout_.types.emplace_back();
    }
    for (const std::vector<TypeId> &component : sccs.closed)
      for (TypeId id : component) layOutType(id, openAlts[id]);
    for (TypeLayout &t : layout_.types)
      if (t.kind == KIND_SEQOF_PTR_ARRAY || t.kind == KIND_SETOF_PTR_ARRAY)
        t.count = static_cast<int32_t>(layout_.types[t.element].size);
    fillPointerCopies();
    addPdus();
    if (layout_.types.size() > 0x10000)
      problem({}, "the modules need " + std::to_string(layout_.types.size()) +
                      " type descriptors; a control table holds at most 65536");
    if (failed_) return std::nullopt;
    return std::move(layout_);
  }

 private:
  void problem(const SourcePos &pos, std::string message) {
    problems_.push_back({pos, std::move(message)});
    failed_ = true;
  }

  CtlType addEncodedType() {
    TypeLayout t;
    scalar<EncodedValue>(t, KIND_ENCODED, 0);
    t.original = static_cast<CtlType>(layout_.types.size());
    t.model = 0;
    layout_.types.push_back(std::move(t));
    return layout_.types.back().original;
  }

  // The member for a value of type `id`: inline, or through an address when
  // the type contains itself.
  MemberLayout member(std::string name, TypeId id, const Component *component) {
    MemberLayout m;
    m.name = std::move(name);
    m.component = component;
    m.byPointer = containsItself_[id];
    m.type = m.byPointer ? pointerCopies_.at(id) : id;
    return m;
  }

  void layOutType(TypeId id, const std::vector<TypeId> &openAlternativeTypes) {
    const Type &type = model_.types[id];
    TypeLayout &t = layout_.types[id];
    switch (type.builtin) {
      case Builtin::Sequence:
      case Builtin::Set:
        layOutSequence(type, t);
        break;
      case Builtin::Choice:
        for (const Component &c : type.components) t.members.push_back(member(c.name, c.type, &c));
        layOutChoice(type, t);
        break;
      case Builtin::SequenceOf:
      case Builtin::SetOf:
        lengthAndAddress<ArrayValue>(t, type.builtin == Builtin::SequenceOf ? KIND_SEQOF_PTR_ARRAY
                                                                            : KIND_SETOF_PTR_ARRAY);
        t.element = type.element;
        break;
      case Builtin::OpenType:
        if (openAlternativeTypes.empty()) {
          layOutLeaf(type, t);
          break;
        }
        for (TypeId alt : openAlternativeTypes)
          t.members.push_back(member(alternativeName(model_.types[alt]), alt, nullptr));
        t.members.push_back({.name = "encoded", .type = layout_.encodedType});
        makeNamesDistinct(t.members);
        layOutChoice(type, t);
        break;
      default:
        layOutLeaf(type, t);
        break;
    }
  }

  // Size and alignment of a member as its parent holds it.
  std::pair<uint32_t, uint32_t> held(const MemberLayout &m) const {
    if (m.byPointer) return {sizeof(void *), memberAlign<void *>()};
    const TypeLayout &t = layout_.types[m.type];
    return {t.size, t.align};
  }

  void layOutSequence(const Type &type, TypeLayout &t) {
    const bool set = type.builtin == Builtin::Set;
    t.kind = type.extensible ? (set ? KIND_SET_EXT : KIND_SEQUENCE_EXT) : (set ? KIND_SET : KIND_SEQUENCE);
    int bits = 0;
    for (const Component &c : type.components) {
      t.members.push_back(member(c.name, c.type, &c));
      if (!c.optional && !c.defaultValue && c.addition == 0) continue;
      if (bits > 0x7FFF) {
        problem(type.pos, "more than 32768 OPTIONAL, DEFAULT and extension components in one type");
        return;
      }
      t.members.back().presenceBit = static_cast<int16_t>(bits++);
    }
    // The mask: an integer of 1, 2 or 4 bytes, or bytes for more bits.
    if (bits <= 8) {
      t.lenSize = t.align = 1;
    } else if (bits <= 16) {
      t.lenSize = t.align = memberAlign<uint16_t>();
    } else if (bits <= 32) {
      t.lenSize = t.align = memberAlign<uint32_t>();
    } else {
      t.lenSize = static_cast<uint16_t>((bits + 7) / 8);
      t.align = 1;
    }
    uint64_t offset = t.lenSize;
    for (MemberLayout &m : t.members) {
      const auto [size, align] = held(m);
      offset = alignUp(offset, align);
      m.offset = static_cast<uint32_t>(std::min(offset, kMaxSize));
      offset += size;
      t.align = std::max(t.align, align);
    }
    t.count = static_cast<int32_t>(t.members.size());
    finishSize(type, t, offset);
  }

  // { int32_t choice; union { ... } u; }
  void layOutChoice(const Type &type, TypeLayout &t) {
    t.kind = KIND_CHOICE;
    t.lenSize = sizeof(int32_t);
    uint32_t unionAlign = 1;
    uint64_t unionSize = 0;
    for (const MemberLayout &m : t.members) {
      const auto [size, align] = held(m);
      unionAlign = std::max(unionAlign, align);
      unionSize = std::max<uint64_t>(unionSize, size);
    }
    const uint64_t unionOffset = alignUp(sizeof(int32_t), unionAlign);
    for (MemberLayout &m : t.members) m.offset = static_cast<uint32_t>(unionOffset);
    t.align = std::max(memberAlign<int32_t>(), unionAlign);
    t.count = static_cast<int32_t>(t.members.size());
    finishSize(type, t, unionOffset + alignUp(unionSize, unionAlign));
  }

  void finishSize(const Type &type, TypeLayout &t, uint64_t end) {
    const uint64_t size = alignUp(end, t.align);
    if (size >= kMaxSize) {
      problem(type.pos, "the value of " + (type.name.empty() ? std::string("a type") : type.name) +
                            " would take more than 2^30 bytes");
      return;
    }
    t.size = static_cast<uint32_t>(size);
  }

  void fillPointerCopies() {
    for (const auto &[id, copy] : pointerCopies_) {
      TypeLayout t = layout_.types[id];
      t.typeFlags |= TYPE_BY_POINTER;
      t.original = id;
      layout_.types[copy] = std::move(t);
    }
  }

  // Every type assignment is a PDU named as the module names it; a PDU whose
  // type carries another name (an assignment of one type reference to
  // another) gets a copy under its own name.
  void addPdus() {
    for (const Pdu &pdu : model_.pdus) {
      if (layout_.types[pdu.type].name == pdu.name) {
        layout_.pduTypes.push_back(pdu.type);
        continue;
      }
      TypeLayout t = layout_.types[pdu.type];
      t.name = pdu.name;
      t.original = pdu.type;
      layout_.pduTypes.push_back(static_cast<CtlType>(layout_.types.size()));
      layout_.types.push_back(std::move(t));
    }
    if (layout_.pduTypes.size() > 0xFFFF)
      problem({}, "the modules have " + std::to_string(layout_.pduTypes.size()) +
                      " type assignments; a control table numbers at most 65535 PDUs");
  }

  const Model &model_;
  Problems &problems_;
  Layout layout_;
  std::vector<bool> containsItself_;
  std::map<TypeId, CtlType> pointerCopies_;
  bool failed_ = false;
};

}  // namespace

std::optional<Layout> layOut(const Model &model, Problems &problems) {
  return LayoutBuilder(model, problems).run();
}

}  // namespace zurasn1
