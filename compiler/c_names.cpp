#include "compiler/c_names.h"

#include <algorithm>
#include <map>
#include <set>

#include "compiler/c_reserved.h"
#include "zurbase/ctltbl.h"

namespace zurasn1 {
namespace {

bool isConstructedKind(uint32_t kind) { return scalarCTypeOfKind(kind) == nullptr; }

bool isArray(uint32_t kind) { return kind == KIND_SEQOF_PTR_ARRAY || kind == KIND_SETOF_PTR_ARRAY; }

class Namer {
 public:
  Namer(const Model &model, const Layout &layout, const std::string &prefix)
      : model_(model), layout_(layout), prefix_(prefix) {}

  CNames run() {
    const std::size_t n = layout_.types.size();
    c_.types.resize(n);
    for (const std::string &m : model_.modules) c_.moduleNames.push_back(cIdentifier(m));
    if (!c_.moduleNames.empty()) c_.tables = prefixed(prefix_, c_.moduleNames[0] + "_tables");
    assignModules();
    aliasCopies();
    nameAssigned();
    mergeNamedNumbers();
    nameAnonymous();
    resolveAliases();
    order();
    groupHeaders();
    return std::move(c_);
  }

 private:
  CtlType original(CtlType t) const { return layout_.types[t].original; }
  // Copies are pointer-held or renamed PDU types.
  bool isPduCopy(CtlType t) const {
    return original(t) != t && (layout_.types[t].typeFlags & TYPE_BY_POINTER) == 0;
  }

  void assignModules() {
    for (CtlType t = 0; t < layout_.types.size(); ++t) c_.types[t].module = model_.types.empty() ? 0 : model_.types[layout_.types[t].model].module;
    for (std::size_t p = 0; p < model_.pdus.size(); ++p) c_.types[layout_.pduTypes[p]].module = model_.pdus[p].module;
  }

  // An anonymous copy of an assigned type (tagged, constrained) laid out as
  // that type is declared as it.
  void aliasCopies() {
    for (CtlType t = 0; t < model_.types.size(); ++t) {
      const std::optional<TypeId> copied = model_.types[t].copied;
      if (layout_.types[t].name.empty() && copied && layoutShape(t) == layoutShape(*copied)) alias_[t] = *copied;
    }
  }

  // Assigned types and renamed PDUs keep their names. The instances of a
  // parameterized type share its name: those laid out alike are one
  // declaration, the others are numbered (_2, _3, ...). A name that two
  // modules assign, or that the included headers or the table set's
  // variable have, gets its module's name in front.
  void nameAssigned() {
    std::map<std::string, std::vector<CtlType>> byName;
    for (CtlType t = 0; t < layout_.types.size(); ++t) {
      const TypeLayout &l = layout_.types[t];
      if (l.name.empty() || (original(t) != t && !isPduCopy(t))) continue;
      std::vector<CtlType> &same = byName[cIdentifier(l.name)];
      auto twin = std::find_if(same.begin(), same.end(), [&](CtlType e) {
        return original(t) == t && original(e) == e && c_.types[e].module == c_.types[t].module &&
               alike(e) == alike(t);
      });
      if (twin == same.end())
        same.push_back(t);
      else
        aliasAlike(t, *twin);
    }
    std::vector<CtlType> plain, marked;
    for (const auto &[base, types] : byName) {
      bool severalModules = isTaken(prefixed(prefix_, base));
      for (CtlType t : types) severalModules |= c_.types[t].module != c_.types[types.front()].module;
      std::map<uint32_t, int> counts;
      for (CtlType t : types) {
        CType &c = c_.types[t];
        const int n = ++counts[c.module];
        c.name = (severalModules ? c_.moduleNames[c.module] + "_" : "") + base + (n > 1 ? "_" + std::to_string(n) : "");
        c.isStruct = c.structure = isConstructedKind(layout_.types[t].kind) && original(t) == t;
        (c.name == base ? plain : marked).push_back(t);
      }
    }
    // A module's name in front, or a number behind, can spell another
    // name (A.B-C and A-B.C): the later one in the modules gets "_".
    std::sort(plain.begin(), plain.end());
    std::sort(marked.begin(), marked.end());
    plain.insert(plain.end(), marked.begin(), marked.end());
    for (CtlType t : plain) {
      CType &c = c_.types[t];
      c.expr = c.macroPrefix = c.name = claim(prefixed(prefix_, c.name));
    }
    for (CtlType t = 0; t < layout_.types.size(); ++t) {
      CType &c = c_.types[t];
      const TypeLayout &l = layout_.types[t];
      if (isConstructedKind(l.kind)) continue;
      c.scalar = scalarCTypeOfKind(l.kind);
      if (c.expr.empty()) c.expr = c.scalar;
    }
  }

  // Whether a name, prefix and all, is given already: a prefix keeps no
  // name clear of the headers' (ZUR + TAG-EXPLICIT spells ZUR_TAG_EXPLICIT).
  bool isTaken(const std::string &name) const {
    return declared_.count(name) != 0 || libraryDeclares(name) || name == c_.tables;
  }

  // `name`, or with "_" behind it as often as another declaration has it.
  std::string claim(std::string name) {
    while (isTaken(name)) name += "_";
    declared_.insert(name);
    return name;
  }

  // Types of one layout: structures of the same shape, scalars of the same
  // value type.
  std::string layoutShape(CtlType t) const {
    const TypeLayout &l = layout_.types[t];
    return isConstructedKind(l.kind) ? shape(t) : scalarCTypeOfKind(l.kind);
  }

  // What a member contributes to its parent's shape: a scalar by its value
  // type, anything else by its type.
  std::string memberShape(CtlType t) const {
    const TypeLayout &l = layout_.types[t];
    return isConstructedKind(l.kind) ? "#" + std::to_string(original(t)) : scalarCTypeOfKind(l.kind);
  }

  std::string shape(CtlType t) const {
    const TypeLayout &l = layout_.types[t];
    std::string s = std::to_string(l.kind);
    for (const MemberLayout &m : l.members) s += "|" + m.name + (m.byPointer ? "*" : "") + memberShape(m.type);
    if (isArray(l.kind)) s += "|" + memberShape(l.element);
    return s;
  }

  // The layout of a structure down to the declarations it names: its
  // anonymous structures count by their own layout, so that two instances
  // of a parameterized type compare alike.
  std::string alike(CtlType t) {
    const TypeLayout &l = layout_.types[t];
    if (!isConstructedKind(l.kind)) return scalarCTypeOfKind(l.kind);
    if (auto it = alike_.find(t); it != alike_.end()) return it->second;
    alike_[t] = "#" + std::to_string(t);  // what a type holding itself sees
    auto member = [&](CtlType m) {
      m = original(m);
      if (alias_.count(m) != 0) return "#" + std::to_string(representative(m));
      return !layout_.types[m].name.empty() && isConstructedKind(layout_.types[m].kind) ? "#" + std::to_string(m)
                                                                                       : "{" + alike(m) + "}";
    };
    std::string s = std::to_string(l.kind);
    for (const MemberLayout &m : l.members) s += "|" + m.name + (m.byPointer ? "*" : "") + member(m.type);
    if (isArray(l.kind)) s += "|" + member(l.element);
    return alike_[t] = s;
  }

  CtlType representative(CtlType t) const {
    for (auto it = alias_.find(t); it != alias_.end(); it = alias_.find(t)) t = it->second;
    return t;
  }

  // `t` is declared as `rep`, which is laid out alike, and so are the
  // anonymous structures inside them.
  void aliasAlike(CtlType t, CtlType rep) {
    alias_[t] = rep;
    const TypeLayout &l = layout_.types[t];
    const TypeLayout &r = layout_.types[rep];
    auto pair = [&](CtlType a, CtlType b) {
      a = original(a);
      b = original(b);
      if (a != b && layout_.types[a].name.empty() && isConstructedKind(layout_.types[a].kind) && alias_.count(a) == 0)
        aliasAlike(a, b);
    };
    for (std::size_t i = 0; i < l.members.size(); ++i) pair(l.members[i].type, r.members[i].type);
    if (isArray(l.kind)) pair(l.element, r.element);
  }

  // An anonymous INTEGER, ENUMERATED or BIT STRING with the named numbers
  // of an assigned one is declared as that one: many assigned types are a
  // plain INTEGER, so scalars count as one by their named numbers only.
  void mergeNamedNumbers() {
    auto numbers = [&](CtlType t) {
      const TypeLayout &l = layout_.types[t];
      if (isConstructedKind(l.kind) || t >= model_.types.size() || model_.types[l.model].named.empty()) return std::string();
      std::string s = std::to_string(l.kind);
      for (const NamedNumber &n : model_.types[l.model].named) s += "|" + n.name + "=" + std::to_string(n.value);
      return s;
    };
    std::map<std::string, CtlType> assigned;
    for (CtlType t = 0; t < layout_.types.size(); ++t)
      if (!c_.types[t].name.empty() && original(t) == t) assigned.try_emplace(numbers(t), t);
    assigned.erase(std::string());
    for (CtlType t = 0; t < layout_.types.size(); ++t) {
      if (original(t) != t || !c_.types[t].name.empty() || alias_.count(t) != 0) continue;
      if (auto it = assigned.find(numbers(t)); it != assigned.end()) alias_[t] = it->second;
    }
  }

  // Anonymous structures are named after the path from an assigned type:
  // Parent_member, Parent_element; what no assigned type reaches after its
  // module and number. A path that names another declaration already (an
  // assigned Parent-member) gets "_" behind it.
  void nameAnonymous() {
    std::vector<CtlType> stack;
    auto visit = [&](CtlType t, std::string path) {
      t = original(t);
      CType &c = c_.types[t];
      if (!c.macroPrefix.empty() || alias_.count(t) != 0) return;
      const bool structure = isConstructedKind(layout_.types[t].kind);
      if (structure) path = claim(path);
      c.macroPrefix = path;
      if (!structure) return;
      c.name = c.expr = path;
      c.isStruct = c.structure = true;
      stack.push_back(t);
    };
    auto walk = [&]() {
      while (!stack.empty()) {
        const CtlType t = stack.back();
        stack.pop_back();
        const TypeLayout &l = layout_.types[t];
        const std::string prefix = c_.types[t].macroPrefix + "_";
        for (std::size_t i = 0; i < l.members.size(); ++i)
          visit(l.members[i].type, prefix + memberName(l.members[i], i));
        if (isArray(l.kind)) visit(l.element, prefix + "element");
      }
    };
    for (CtlType t = 0; t < layout_.types.size(); ++t) {
      if (c_.types[t].name.empty() || original(t) != t) continue;
      stack.push_back(t);
      walk();
    }
    for (CtlType t = 0; t < layout_.types.size(); ++t) {
      if (original(t) != t || !isConstructedKind(layout_.types[t].kind)) continue;
      visit(t, prefixed(prefix_, c_.moduleNames[c_.types[t].module] + "_T" + std::to_string(t)));
      walk();
    }
  }

  // A type declared as another takes the name that one ends up with; a
  // pointer-held copy is its original.
  void resolveAliases() {
    for (auto &[t, rep] : alias_) {
      rep = representative(rep);
      c_.types[t].expr = c_.types[rep].name;
      c_.types[t].structure = c_.types[rep].isStruct;
    }
    for (CtlType t = 0; t < layout_.types.size(); ++t) {
      if (original(t) == t || isPduCopy(t)) continue;
      c_.types[t] = c_.types[original(t)];
    }
  }

  // The declaration a value of `t` needs before it is held inline.
  std::optional<CtlType> declaring(CtlType t) const {
    if (!c_.types[t].name.empty()) return t;
    if (auto it = alias_.find(original(t)); it != alias_.end()) return it->second;
    if (original(t) != t && !c_.types[original(t)].name.empty()) return original(t);
    return std::nullopt;
  }

  // Declarations a declaration needs first: what its members hold inline,
  // and scalar types named behind its addresses.
  std::vector<CtlType> needs(CtlType t) const {
    std::vector<CtlType> out;
    auto need = [&](CtlType m, bool byAddress) {
      if (auto d = declaring(m); d && (!byAddress || !c_.types[*d].isStruct)) out.push_back(*d);
    };
    const TypeLayout &l = layout_.types[t];
    if (isPduCopy(t)) {
      need(original(t), false);
      return out;
    }
    if (!c_.types[t].isStruct) return out;
    for (const MemberLayout &m : l.members) need(m.type, m.byPointer);
    if (isArray(l.kind)) need(l.element, true);
    return out;
  }

  void order() {
    std::vector<uint8_t> state(layout_.types.size(), 0);  // 1 open, 2 declared
    for (CtlType root = 0; root < layout_.types.size(); ++root) {
      if (c_.types[root].name.empty() || state[root] != 0 || (original(root) != root && !isPduCopy(root))) continue;
      std::vector<std::pair<CtlType, std::size_t>> stack{{root, 0}};
      std::vector<std::vector<CtlType>> pending{needs(root)};
      state[root] = 1;
      while (!stack.empty()) {
        auto &[t, next] = stack.back();
        if (next < pending.back().size()) {
          const CtlType d = pending.back()[next++];
          if (state[d] != 0) continue;
          state[d] = 1;
          stack.push_back({d, 0});
          pending.push_back(needs(d));
          continue;
        }
        state[t] = 2;
        c_.declarations.push_back(t);
        stack.pop_back();
        pending.pop_back();
      }
    }
  }

  // Modules whose declarations hold each other's inline share the first
  // one's header; the others include it.
  void groupHeaders() {
    const std::size_t m = model_.modules.size();
    std::vector<std::vector<bool>> reach(m, std::vector<bool>(m, false));
    for (CtlType t : c_.declarations)
      for (CtlType d : needs(t)) reach[c_.types[t].module][c_.types[d].module] = true;
    for (std::size_t k = 0; k < m; ++k)
      for (std::size_t i = 0; i < m; ++i)
        if (reach[i][k])
          for (std::size_t j = 0; j < m; ++j)
            if (reach[k][j]) reach[i][j] = true;
    c_.headerOf.resize(m);
    for (std::size_t i = 0; i < m; ++i) {
      c_.headerOf[i] = static_cast<uint32_t>(i);
      for (std::size_t j = 0; j < i; ++j)
        if (reach[i][j] && reach[j][i]) {
          c_.headerOf[i] = c_.headerOf[j];
          break;
        }
    }
    c_.includes.resize(m);
    for (std::size_t i = 0; i < m; ++i) {
      std::set<uint32_t> headers;
      if (c_.headerOf[i] != i) headers.insert(c_.headerOf[i]);
      for (std::size_t j = 0; j < m; ++j)
        if (reach[i][j] && c_.headerOf[j] != c_.headerOf[i]) headers.insert(c_.headerOf[j]);
      c_.includes[i].assign(headers.begin(), headers.end());
    }
  }

  const Model &model_;
  const Layout &layout_;
  const std::string prefix_;
  CNames c_;
  // A type declared as another: an anonymous one laid out as an assigned
  // one, an instance laid out as an earlier instance of its name.
  std::map<CtlType, CtlType> alias_;
  std::map<CtlType, std::string> alike_;  // alike() of the structures met
  std::set<std::string> declared_;        // the names given so far
};

}  // namespace

std::string memberName(const MemberLayout &m, std::size_t index) {
  if (m.name.empty()) return "component" + std::to_string(index + 1);
  // An open type's alternative is named after its type: NULL, EOF, ...
  const std::string s = cIdentifier(m.name);
  return libraryDeclares(s) ? s + "_" : s;
}

std::string cIdentifier(const std::string &asn1Name) {
  std::string s = asn1Name;
  for (char &c : s)
    if (c == '-' || c == ' ') c = '_';  // the blank of EMBEDDED PDV and CHARACTER STRING
  if (isReservedMember(s)) s += '_';
  return s;
}

const char *scalarCTypeOfKind(uint32_t kind) {
  switch (kind) {
    case KIND_BOOLEAN:
    case KIND_NULL:
      return "uint8_t";
    case KIND_INTEGER:
      return "int64_t";
    case KIND_OCTETS_PTR2:
      return "ZurHugeInt";
    case KIND_ENUMERATED:
      return "int32_t";
    case KIND_REAL:
      return "double";
    case KIND_BITS_PTR:
      return "ZurBits";
    case KIND_OCTETS_PTR:
      return "ZurOctets";
    case KIND_OID_ENCODED:
      return "ZurOid";
    case KIND_OID_PTR:
      return "ZurRelativeOid";
    case KIND_CHARS_PTR:
      return "ZurChars";
    case KIND_BMP_STRING:
      return "ZurBmpChars";
    case KIND_UNIVERSAL_STRING:
      return "ZurUniversalChars";
    case KIND_UTC_TIME:
    case KIND_GENERALIZED_TIME:
      return "TimeValue";
    case KIND_ENCODED:
      return "EncodedValue";
    default:  // SEQUENCE, SET, CHOICE, SEQUENCE OF, SET OF: structures
      return nullptr;
  }
}

std::string CNames::memberDeclaration(CtlType type, bool byPointer, const std::string &member) const {
  const CType &c = types[type];
  // A structure behind an address needs no declaration before it. An
  // open type's alternative is named as its type: C++ takes "T T;" in a
  // class for a change of T's meaning, and "struct T T;" for none.
  if (c.structure && (byPointer || member == c.expr)) return "struct " + c.expr + (byPointer ? " *" : " ") + member;
  return (member == c.expr ? c.scalar : c.expr) + (byPointer ? " *" : " ") + member;
}

CNames nameCTypes(const Model &model, const Layout &layout, const std::string &prefix) {
  return Namer(model, layout, prefix).run();
}

std::string prefixed(const std::string &prefix, const std::string &name) {
  if (prefix.empty()) return name;
  return prefix.back() == '_' ? prefix + name : prefix + "_" + name;
}

}  // namespace zurasn1
