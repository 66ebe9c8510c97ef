// The abstract syntax tree: plain records of what a module says, as the
// parser reads it. Names are views into the module text. Values, objects,
// object sets and actual parameters stay token ranges: their notation reads
// differently for each type or class, which only the resolver knows.
#ifndef ZURASN1_AST_H
#define ZURASN1_AST_H

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "compiler/model.h"
#include "compiler/token.h"

namespace zurasn1::ast {

using Name = std::string_view;

// Tokens [begin, end) of the module file's token vector.
struct TokenRange {
  uint32_t begin = 0;
  uint32_t end = 0;
  bool empty() const { return begin == end; }
};

// A reference to a type, value, class, object or set: "name" or
// "Module.name", with actual parameters when it names an instance.
struct Reference {
  Name module;
  Name name;
  SourcePos pos;
  bool instance = false;                // "{...}" followed the name
  std::vector<TokenRange> arguments;   // one per actual parameter
};

struct Type;
using TypePtr = std::unique_ptr<Type>;
struct Constraint;
struct ElementSet;
using ElementSetPtr = std::unique_ptr<ElementSet>;

enum class TagDefault : uint8_t { Explicit, Implicit, Automatic };

struct Tag {
  enum class Mode : uint8_t { Default, Explicit, Implicit };
  TagClass cls = TagClass::Context;
  TokenRange number;  // a number or an INTEGER value reference
  Mode mode = Mode::Default;
  SourcePos pos;
};

// "name(value)" of INTEGER and BIT STRING, or an ENUMERATED item whose
// value may be absent.
struct NamedNumber {
  Name name;
  SourcePos pos;
  TokenRange value;  // empty: none given
};

// One entry of a SEQUENCE, SET or CHOICE body, in the order written.
struct ComponentEntry {
  enum class Kind : uint8_t { Named, ComponentsOf, Ellipsis, BracketOpen, BracketClose };
  Kind kind = Kind::Named;
  Name name;
  SourcePos pos;
  TypePtr type;  // Named, ComponentsOf
  bool optional = false;
  TokenRange defaultValue;  // DEFAULT value; empty when none
};

// X.682 "@a.b", "@.a" or "@..a": `level` is 0 for "@", else the number of dots.
struct AtNotation {
  uint32_t level = 0;
  std::vector<Name> components;
  SourcePos pos;
};

// One parenthesized constraint "( ... )".
struct Constraint {
  enum class Kind : uint8_t {
    ElementSets,        // root [, ... [, additions]]
    Braced,             // "( { ... } )": an object set or a single value, by the type
    ComponentRelation,  // "({Set}{@a})"
    Containing,         // CONTAINING Type [ENCODED BY value], or ENCODED BY alone
    UserDefined,        // CONSTRAINED BY { ... }
  };
  Kind kind = Kind::ElementSets;
  SourcePos pos;
  ElementSetPtr root;
  bool extensible = false;
  ElementSetPtr additions;
  TokenRange braced;                // Braced, ComponentRelation: the set's "{...}"
  std::vector<AtNotation> relation; // ComponentRelation
  TypePtr contained;                // Containing (may be null with ENCODED BY alone)
};

struct ElementSet {
  enum class Kind : uint8_t {
    Union,
    Intersection,
    Value,       // a single value
    Range,       // lower .. upper
    Size,        // SIZE (constraint)
    From,        // FROM (constraint)
    Contained,   // a type: INCLUDES Type, or a type or value set reference
    InnerType,   // WITH COMPONENT(S): not PER-visible
    Pattern,     // PATTERN value: not PER-visible
  };
  Kind kind = Kind::Value;
  SourcePos pos;
  std::vector<ElementSetPtr> operands;  // Union, Intersection
  TokenRange value;                     // Value; Range: lower
  TokenRange upper;                     // Range
  bool lowerMin = false, upperMax = false;
  bool lowerOpen = false, upperOpen = false;  // "<" beside ".."
  std::unique_ptr<Constraint> inner;          // Size, From
  TypePtr type;                               // Contained
  std::vector<std::pair<Name, SourcePos>> components;  // InnerType: the names written
};

struct Type {
  enum class Kind : uint8_t {
    Builtin,     // `builtin`, no body
    Reference,   // `ref`
    Integer,     // INTEGER with named numbers
    BitString,   // BIT STRING with named bits
    Enumerated,
    Sequence,
    Set,
    Choice,
    SequenceOf,
    SetOf,
    Tagged,      // `tag` on `inner`
    ClassField,  // `ref`.&a.&b
    Any,         // ANY [DEFINED BY definedBy]
    Predefined,  // EXTERNAL, EMBEDDED PDV or CHARACTER STRING, named by `ref.name`
    InstanceOf,  // INSTANCE OF `ref` (a class)
    Selection,   // `elementName` < `inner`: the type of that alternative of a CHOICE
  };
  Kind kind = Kind::Builtin;
  SourcePos pos;
  Builtin builtin = Builtin::Null;
  Reference ref;
  std::vector<Name> fields;             // ClassField: "&a", "&B"
  std::vector<NamedNumber> named;       // Integer, BitString; Enumerated root
  std::vector<NamedNumber> additions;   // Enumerated additions
  bool extensible = false;              // Enumerated with "..."
  std::vector<ComponentEntry> components;
  TypePtr inner;                        // SequenceOf, SetOf: the element; Tagged
  Name elementName;                     // SEQUENCE OF name Type
  Tag tag;
  Name definedBy;
  std::vector<Constraint> constraints;  // applied one after the other
};

// "Governor : Name" or "Name" of a parameter list (X.683).
struct Parameter {
  TypePtr governor;  // a type or a class reference; null when none
  Name name;
  SourcePos pos;
};

// One field of a CLASS. What it is follows from the case of its name and
// from its `type`, which may name a class (X.681 9).
struct FieldSpec {
  Name name;  // with its "&"
  SourcePos pos;
  TypePtr type;          // null for a type field
  Name typeField;        // "&T" of a variable-type value (set) field
  bool unique = false;
  bool optional = false;
  TokenRange defaultSetting;  // empty when none
};

struct SyntaxItem {
  enum class Kind : uint8_t { Literal, Field, OptionalGroup };
  Kind kind = Kind::Literal;
  Name text;  // the word, ",", or the field name
  SourcePos pos;
  std::vector<SyntaxItem> group;
};

struct ClassDefinition {
  std::vector<FieldSpec> fields;
  bool hasSyntax = false;
  std::vector<SyntaxItem> syntax;
};

struct Assignment {
  enum class Kind : uint8_t {
    Type,     // Name ::= Type; a class when the type is a reference to one
    Value,    // name Governor ::= value: a value, or an object when the governor is a class
    Set,      // Name Governor ::= {...}: a value set, or an object set when the governor is a class
    Class,    // Name ::= CLASS {...}
    Broken,   // could not be read; its name is known, so uses say nothing more
  };
  Kind kind = Kind::Broken;
  Name name;
  SourcePos pos;
  bool parameterized = false;
  std::vector<Parameter> parameters;
  TypePtr type;                           // Type: the type; Value, Set: the governor
  TokenRange value;                       // Value, Set: the right-hand side
  std::unique_ptr<ClassDefinition> classDefinition;
};

struct Symbol {
  Name name;
  SourcePos pos;
};

struct ImportClause {
  std::vector<Symbol> symbols;
  Name module;
  SourcePos modulePos;
  // The module's OBJECT IDENTIFIER when written with numbers and names
  // alone (empty otherwise: it may refer to values), and where.
  std::vector<uint64_t> oid;
  SourcePos oidPos;
};

struct Module {
  uint32_t file = 0;
  const std::vector<Token> *tokens = nullptr;
  Name name;
  SourcePos pos;
  std::vector<uint64_t> oid;  // from the header; empty when none is given
  TagDefault tagDefault = TagDefault::Explicit;
  bool extensibilityImplied = false;
  bool exportsAll = true;
  std::vector<Symbol> exports;
  std::vector<ImportClause> imports;
  std::vector<Assignment> assignments;
  // Value assignments read in the scope of every module (no header, no END,
  // names that may repeat): the values `zurasn1 encode` is given.
  bool valueInput = false;
};

}  // namespace zurasn1::ast

#endif
