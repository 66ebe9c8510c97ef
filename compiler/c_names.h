// The C declarations of the value types, for the C writer: each type's C
// name, which header declares it and in which order. Target-independent:
// sizes and offsets stay sizeof and offsetof in the generated C.
#ifndef ZURASN1_C_NAMES_H
#define ZURASN1_C_NAMES_H

#include <string>
#include <vector>

#include "compiler/layout.h"

namespace zurasn1 {

struct CType {
  // What a member holding the value is declared as: the type's own name,
  // or for an anonymous scalar the value type (int64_t, ZurOctets, ...).
  std::string expr;
  // The declaration's name, when this control-table type declares one.
  std::string name;
  // It declares a structure of that name.
  bool isStruct = false;
  // `expr` names a structure (its own or an assigned type's of the same
  // layout), which an address can hold before it is declared.
  bool structure = false;
  // The value type of a scalar ("ZurOctets" for a typedef of it); empty for
  // a structure.
  std::string scalar;
  // The prefix of the macros about the type (PDU number, presence bits,
  // alternatives, named numbers): its name, or the path to it for an
  // anonymous type.
  std::string macroPrefix;
  uint32_t module = 0;  // whose header declares it
};

struct CNames {
  std::vector<CType> types;                 // by control-table type index
  std::vector<std::string> moduleNames;     // C identifiers of the modules
  std::string tables;                       // the table set's variable, [<prefix>_]<first module>_tables
  // The header each module's declarations go to: its own, or the first
  // module of a group that holds each other's types by value.
  std::vector<uint32_t> headerOf;
  // Control-table types that declare a name, in an order where everything
  // a declaration holds by value is declared before it.
  std::vector<CtlType> declarations;
  // Headers that each module's header includes.
  std::vector<std::vector<uint32_t>> includes;

  // The member declaration for a value of `type` named `member`, held
  // inline or through an address.
  std::string memberDeclaration(CtlType type, bool byPointer, const std::string &member) const;
};

// Every type name, macro prefix and the tables' name carry `prefix`
// (joined as prefixed() joins it); "" names them as before.
CNames nameCTypes(const Model &model, const Layout &layout, const std::string &prefix = "");

// `name` with `prefix` in front, joined by "_" unless the prefix ends in
// one; `name` itself for no prefix.
std::string prefixed(const std::string &prefix, const std::string &name);

// A C identifier for an ASN.1 name: hyphens become underscores, and a name
// that C or C++ reserves gets an underscore behind it.
std::string cIdentifier(const std::string &asn1Name);

// The C value type of a scalar kind ("int64_t", "ZurOctets", ...); null for
// the kinds laid out as structures.
const char *scalarCTypeOfKind(uint32_t kind);

// The C member name of a member: componentN for a component without a name;
// one that C, C++ or the included headers have gets "_" behind it.
std::string memberName(const MemberLayout &m, std::size_t index);

}  // namespace zurasn1

#endif
