// The resolved modules: what the front end (lexer, parser, resolver,
// constraints) hands to the back end (layout, tables, C writer). Every
// reference is resolved, parameterized types are instantiated, COMPONENTS OF
// is expanded, tagging modes are applied and constraints are reduced to what
// the codecs can use. Nothing here depends on the target: sizes and offsets
// are the layout stage's business.
#ifndef ZURASN1_MODEL_H
#define ZURASN1_MODEL_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zurasn1 {

// Where something was written: the file's index in Model::files, 1-based
// line and column.
struct SourcePos {
  uint32_t file = 0;
  uint32_t line = 0;
  uint32_t col = 0;
};

using TypeId = uint32_t;  // index in Model::types

// The same numbers as enum ZurBuiltin of zurbase/codec_tables.h.
enum class Builtin : uint8_t {
  Boolean = 1,
  Integer = 2,
  BitString = 3,
  OctetString = 4,
  Null = 5,
  ObjectIdentifier = 6,
  ObjectDescriptor = 7,
  Real = 9,
  Enumerated = 10,
  Utf8String = 12,
  RelativeOid = 13,
  Sequence = 16,
  Set = 17,
  NumericString = 18,
  PrintableString = 19,
  TeletexString = 20,
  VideotexString = 21,
  Ia5String = 22,
  UtcTime = 23,
  GeneralizedTime = 24,
  GraphicString = 25,
  VisibleString = 26,
  GeneralString = 27,
  UniversalString = 28,
  BmpString = 30,
  Choice = 32,
  SequenceOf = 33,
  SetOf = 34,
  OpenType = 35,  // ANY, ANY DEFINED BY, a class's type field
};

enum class TagClass : uint8_t { Universal = 0, Application = 1, Context = 2, Private = 3 };

struct Tag {
  TagClass cls = TagClass::Context;
  uint32_t number = 0;
  // A constructed wrapper around what follows. False on a type's innermost
  // tag, its own one; every tag of a CHOICE or an open type is explicit.
  bool isExplicit = false;
};

// Values (sizes) between a range's bounds that its constraint leaves out:
// (1 | 5) is 1..5 without 2..4.
struct Gap {
  int64_t first = 0;
  int64_t last = 0;
};

// PER-visible constraints, already combined (serial application,
// intersections, unions) into the effective root constraint and its
// extensibility. Absent optionals mean "no constraint of that sort". PER
// encodes within the bounds; the gaps are for checking values.
struct ValueRange {
  std::optional<int64_t> lower;  // none: MIN
  std::optional<int64_t> upper;  // none: MAX
  bool extensible = false;
  std::vector<Gap> gaps;  // ascending, disjoint, not adjacent, within the bounds
};

struct SizeRange {
  uint32_t lower = 0;
  std::optional<uint32_t> upper;  // none: MAX
  bool extensible = false;
  std::vector<Gap> gaps;  // as ValueRange's
};

struct CharRange {
  uint32_t first = 0;
  uint32_t last = 0;
};

struct Alphabet {
  std::vector<CharRange> ranges;  // ascending, disjoint, not adjacent
  bool extensible = false;
};

// INTEGER named numbers, BIT STRING named bits, ENUMERATED enumerators.
struct NamedNumber {
  std::string name;
  int64_t value = 0;
};

struct Value;
using ValuePtr = std::shared_ptr<const Value>;

// A value of a known type, as the module wrote it, resolved.
struct Value {
  enum class Kind : uint8_t {
    Boolean,
    Integer,
    Real,
    Null,
    BitString,
    OctetString,
    CharString,        // chars; any character string type and the time types
    ObjectIdentifier,  // arcs
    RelativeOid,       // arcs
    Enumerated,        // integer: the enumerator's value
    Sequence,          // members: the components given, in the type's order (SET too)
    SequenceOf,        // elements (SET OF too)
    Choice,            // members: exactly one
    Encoded,           // octets: an open type's value given as its encoding
  };
  Kind kind = Kind::Null;
  bool boolean = false;
  int64_t integer = 0;  // an Integer given by its octets: saturated at the 64-bit ends
  double real = 0;
  // OctetString; BitString bits, first bit the top bit of octets[0]; an
  // Integer written as '..'H (a huge one, as printed): its two's complement
  std::vector<uint8_t> octets;
  uint32_t bitCount = 0;        // BitString
  std::u32string chars;         // CharString, one code point per element
  std::vector<uint64_t> arcs;   // ObjectIdentifier, RelativeOid
  struct Member {
    std::string name;
    ValuePtr value;
  };
  std::vector<Member> members;
  std::vector<ValuePtr> elements;
  SourcePos pos;  // where it is written (line 0 for none), for problems found past reading
};

// Whether two values of one type are the same value.
bool sameValue(const Value &a, const Value &b);

// A component of a SEQUENCE or SET, or an alternative of a CHOICE.
struct Component {
  std::string name;
  TypeId type = 0;
  bool optional = false;
  ValuePtr defaultValue;  // DEFAULT: the value, of the component's type
  // 0 in the root (root components after a second extension marker
  // included); for an extension addition its number from 1 in the order of
  // the module, shared by the components of one version bracket.
  uint32_t addition = 0;
  bool inBracket = false;  // an extension addition inside a version bracket
  SourcePos pos;
};

// Where a table-constrained open type finds the value that selects its type.
struct OpenTypeLink {
  // Constructed values (SEQUENCE, SET, CHOICE, SEQUENCE OF, SET OF) to go up
  // from the innermost one around the open type, then component indexes
  // down from there to the referenced component.
  uint32_t up = 0;
  std::vector<uint32_t> path;
  struct Object {
    ValuePtr id;  // the object's value of the referenced field, typed as the referenced component
    TypeId type;  // the object's value of the open type's field
  };
  std::vector<Object> objects;  // the objects whose id and type resolved
  bool extensible = false;      // the object set has an extension marker
};

struct Type {
  std::string name;    // the type reference for assigned types, else empty
  // An anonymous copy of an assigned type (tagged, constrained, selected):
  // that type's name, which traces show for it; else empty.
  std::string caption;
  // That assigned type, which the C writer declares such a copy as.
  std::optional<TypeId> copied;
  uint32_t module = 0;  // index in Model::modules of the module it was written in
  Builtin builtin = Builtin::Null;
  std::vector<Tag> tags;  // outermost first; empty for an untagged CHOICE or open type
  std::optional<ValueRange> valueRange;  // INTEGER
  std::optional<SizeRange> size;         // strings, SEQUENCE OF, SET OF
  std::optional<Alphabet> alphabet;      // known-multiplier character strings
  // When the last constraint has extension additions: the hull of its root
  // and additions, the values (sizes) that a constraint applied after it
  // narrows.
  std::optional<ValueRange> valuesWithAdditions;
  std::optional<SizeRange> sizesWithAdditions;
  bool extensible = false;               // SEQUENCE, SET, CHOICE, ENUMERATED with "..."
  // INTEGER named numbers, BIT STRING named bits, or ENUMERATED enumerators
  // (the root ones first, in the module's order, then the additions).
  std::vector<NamedNumber> named;
  uint32_t rootEnumerators = 0;          // ENUMERATED: how many of `named` are in the root
  std::vector<Component> components;     // SEQUENCE, SET, CHOICE, in the module's order
  TypeId element = 0;                    // SEQUENCE OF, SET OF
  std::optional<OpenTypeLink> link;      // OpenType with a table constraint
  SourcePos pos;
};

struct Pdu {
  TypeId type = 0;  // the type assignment's type
  std::string name;
  uint32_t module = 0;
};

// A value assignment of a module (for instance an OBJECT IDENTIFIER name).
struct NamedValue {
  std::string name;
  uint32_t module = 0;
  TypeId type = 0;
  ValuePtr value;
};

// A value given to encode (zurasn1 encode), in the order given.
struct InputValue {
  TypeId type = 0;  // its governor
  ValuePtr value;
  SourcePos pos;    // of its assignment
};

// An assignment the model leaves out because it needs, directly or through
// other assignments, a name that none of the modules given defines: one
// imported from a module that was not given, or (for an assignment that no
// compiled type needs) a name defined nowhere. The front end reports them
// together in one warning; asking for such a type by name is an error that
// names `missing`.
struct LeftOut {
  std::string name;           // the assignment's reference
  uint32_t module = 0;        // index in Model::modules
  std::string missing;        // the name not found
  std::string missingModule;  // the module it is imported from; empty when not imported
};

struct Model {
  std::vector<std::string> files;    // paths as given
  std::vector<std::string> modules;  // module names, in the order given
  std::vector<Type> types;
  std::vector<Pdu> pdus;             // every compiled type assignment, modules in order
  std::vector<NamedValue> values;    // every value assignment that resolved
  std::vector<LeftOut> leftOut;      // in module order
  std::vector<InputValue> inputs;    // the values to encode, when given
};

// The name of an open type's alternative of this type, as the printer shows
// it: the type's name, or its built-in notation with hyphens
// ("OBJECT-IDENTIFIER").
std::string alternativeName(const Type &type);

// An INTEGER held as octets of any length (ZurHugeInt) rather than in 64
// bits: one without both bounds and without named numbers.
bool isHugeInteger(const Type &type);

// "OBJECT IDENTIFIER" for Builtin::ObjectIdentifier, and so on; "ANY" for
// an open type.
const char *builtinNotation(Builtin builtin);

}  // namespace zurasn1

#endif
