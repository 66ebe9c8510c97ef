// The resolver: from the parsed modules to the Model. It looks names up
// across modules, reads values, objects and object sets once their type or
// class is known, instantiates parameterized assignments, applies tagging
// modes, expands COMPONENTS OF, reduces constraints to their PER-visible
// effect and links open types to their object sets. One class, its
// stages in separate files: resolve_types.cpp, resolve_values.cpp,
// reduce_constraints.cpp, resolve_classes.cpp, resolve_parameters.cpp,
// table_links.cpp; resolver.cpp runs them and assembles the Model.
#ifndef ZURASN1_RESOLVER_H
#define ZURASN1_RESOLVER_H

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "compiler/ast.h"
#include "compiler/diagnostics.h"
#include "compiler/model.h"
#include "compiler/parser.h"

namespace zurasn1 {

constexpr TypeId kNoType = UINT32_MAX;

// Thrown where an assignment needs a name that no module given defines.
struct MissingName {
  std::string name;
  std::string module;  // the module it is imported from; empty: defined nowhere
  SourcePos pos;       // where it was imported, or used
};

// Thrown once an error has been reported: the assignment is dropped.
struct Abandoned {};

struct ModuleScope {
  const ast::Module *ast = nullptr;
  uint32_t index = 0;  // in Model::modules
  std::unordered_map<std::string_view, const ast::Assignment *> defined;
  struct Import {
    ModuleScope *from = nullptr;  // null: the module was not given
    std::string_view module;
    SourcePos pos;
    bool ambiguous = false;  // imported from two modules: only "Module.name" tells
    bool broken = false;     // reported at the import: uses say nothing more
  };
  std::unordered_map<std::string_view, Import> imported;
};

struct ClassInfo;
struct ObjectInfo;
struct ObjectSetInfo;
struct Bindings;

// Where a construct was written: its module, and the actual parameters
// when it lies in the body of a parameterized assignment.
struct Scope {
  ModuleScope *module = nullptr;
  const Bindings *bindings = nullptr;
};

enum class FieldKind : uint8_t {
  Type,
  FixedValue,
  VariableValue,
  FixedValueSet,
  VariableValueSet,
  Object,
  ObjectSet,
};

struct FieldInfo {
  std::string_view name;
  FieldKind kind = FieldKind::Type;
  const ast::FieldSpec *spec = nullptr;
  TypeId type = kNoType;           // FixedValue, FixedValueSet
  const ClassInfo *cls = nullptr;  // Object, ObjectSet
  bool optional = false;
};

struct ClassInfo {
  std::string name;
  const ast::ClassDefinition *definition = nullptr;
  Scope scope;
  std::vector<FieldInfo> fields;
  const FieldInfo *field(std::string_view name) const {
    for (const FieldInfo &f : fields)
      if (f.name == name) return &f;
    return nullptr;
  }
};

struct Setting {
  TypeId type = kNoType;
  ValuePtr value;
  const ObjectInfo *object = nullptr;
  const ObjectSetInfo *set = nullptr;
};

struct ObjectInfo {
  const ClassInfo *cls = nullptr;
  std::unordered_map<std::string_view, Setting> settings;
};

struct ObjectSetInfo {
  const ClassInfo *cls = nullptr;
  std::vector<const ObjectInfo *> objects;
  bool extensible = false;
};

// What a dummy reference of an instance stands for.
struct Argument {
  enum class Kind : uint8_t { Type, Value, ValueSet, Class, Object, ObjectSet };
  const ast::Parameter *parameter = nullptr;
  Kind kind = Kind::Type;
  TypeId type = kNoType;  // Type, ValueSet; Value: the value's type
  ValuePtr value;
  const ClassInfo *cls = nullptr;
  const ObjectInfo *object = nullptr;
  const ObjectSetInfo *set = nullptr;
};

struct Bindings {
  std::vector<Argument> arguments;
  const Argument *find(std::string_view name) const {
    for (const Argument &a : arguments)
      if (a.parameter->name == name) return &a;
    return nullptr;
  }
};

class Resolver {
 public:
  Resolver(std::vector<ast::Module> &modules, Diagnostics &diagnostics);
  // The model; nothing when an error was reported.
  std::optional<Model> run();

 private:
  // --- resolver.cpp: names and assignments
  enum class Entity : uint8_t { Type, Value, ValueSet, Class, Object, ObjectSet, Broken };
  struct AssignmentState {
    enum class Status : uint8_t { Unvisited, InProgress, Done, Failed, LeftOut };
    Status status = Status::Unvisited;
    Entity entity = Entity::Broken;
    const ast::Assignment *assignment = nullptr;
    ModuleScope *module = nullptr;
    TypeId type = kNoType;  // Type, ValueSet; Value: the value's type
    ValuePtr value;
    const ClassInfo *cls = nullptr;
    const ObjectInfo *object = nullptr;
    const ObjectSetInfo *set = nullptr;
    std::optional<MissingName> missing;
    std::vector<AssignmentState *> uses;
  };
  using Status = AssignmentState::Status;
  struct Target {
    AssignmentState *state = nullptr;    // an assignment
    const Argument *argument = nullptr;  // a dummy reference
    const ClassInfo *builtinClass = nullptr;
  };

  void buildScopes();
  Target lookup(const ast::Reference &ref, Scope scope);
  // "a type", "an object set"...: what an assignment defines, for an error
  // that expected something else.
  static const char *entityNoun(Entity entity);
  bool namesEntity(std::string_view name, Scope scope) const;
  [[noreturn]] void unknown(const ast::Reference &ref, const std::string &what);
  bool namesClass(const ast::Type &type, Scope scope);
  AssignmentState &stateOf(const ast::Assignment &assignment, ModuleScope &module);
  // Runs `body` once for the assignment, marks what it became, and records
  // that the assignment being resolved uses it. False while in progress.
  bool resolveAssignment(AssignmentState &state, const std::function<void()> &body);
  void noteUse(AssignmentState &state);
  [[noreturn]] void circular(const AssignmentState &state, SourcePos pos);
  void resolveEverything();
  void resolveInput();
  ModuleScope *anyModuleScope(const ast::Reference &ref);
  void leaveOutDependents();
  void reportLeftOut();
  [[noreturn]] void error(SourcePos pos, const std::string &what);
  Parser parserFor(Scope scope, ast::TokenRange range);

  // --- resolve_types.cpp
  TypeId typeOfAssignment(AssignmentState &state);
  TypeId resolveType(const ast::Type &node, Scope scope, TypeId slot = kNoType);
  TypeId referencedType(const ast::Type &node, Scope scope);
  TypeId newType(const ast::Type &node, Scope scope, Builtin builtin, TypeId slot);
  TypeId copyType(TypeId source, SourcePos pos, Scope scope, TypeId slot);
  struct Shape {
    Builtin builtin;
    std::vector<Tag> tags;
  };
  Shape shapeOf(const ast::Type &node, Scope scope);
  std::vector<Tag> tagged(const ast::Type &node, Scope scope, const Shape &inner, bool innerIsDummy);
  void resolveComponents(const ast::Type &node, Scope scope, TypeId id);
  void applyAutomaticTags(std::vector<Component> &components, const std::vector<bool> &dummies);
  // A copy of `type` with the automatic tag [number] (explicit where the
  // type has no tag to replace or is a parameter).
  TypeId automaticallyTagged(TypeId type, uint32_t number, bool dummy, SourcePos pos);
  void resolveEnumerated(const ast::Type &node, Scope scope, TypeId id);
  void resolveNamedNumbers(const ast::Type &node, Scope scope, TypeId id);
  TypeId classFieldType(const ast::Type &node, Scope scope, TypeId slot);
  bool isDummyType(const ast::Type &node, Scope scope) const;
  void completeDeferredCopies();
  // An unconstrained type of the builtin, in no module: what sizes and
  // patterns are read as.
  TypeId hiddenType(Builtin builtin);
  TypeId predefinedType(std::string_view name, Scope user);
  TypeId instanceOfType(const ast::Type &node, Scope scope, TypeId slot);
  TypeId selectedType(const ast::Type &node, Scope scope);
  TypeId alternativeAhead(const ast::Type &node, Scope scope);

  // --- resolve_values.cpp
  ValuePtr readValue(TypeId type, Scope scope, ast::TokenRange range);
  ValuePtr readValueAt(TypeId type, Scope scope, Parser &parser);
  ValuePtr referencedValue(TypeId type, Scope scope, Parser &parser);
  bool isExternal(TypeId type) const;
  void readExternalValue(TypeId type, Scope scope, Parser &parser, Value &value);
  ValuePtr objectFieldValue(const ast::Reference &ref, const Target &target, Parser &parser,
                            TypeId &valueType);
  ValuePtr valueOfAssignment(AssignmentState &state);
  int64_t readInteger(Scope scope, ast::TokenRange range);
  void checkValue(TypeId type, const Value &value, SourcePos pos);
  std::string misfitOf(TypeId type, const Value &value) const;

  // --- reduce_constraints.cpp
  struct Reduced;
  void applyConstraints(TypeId id, const std::vector<const ast::Constraint *> &constraints,
                        Scope scope);
  Reduced reduceConstraint(const ast::Constraint &constraint, TypeId base, Scope scope, int context);
  Reduced reduceElements(const ast::ElementSet &set, TypeId base, Scope scope, int context);

  // --- resolve_classes.cpp
  const ClassInfo *classOf(const ast::Reference &ref, Scope scope);
  const ClassInfo *classOfAssignment(AssignmentState &state);
  const ClassInfo *defineClass(const ast::ClassDefinition &definition, Scope scope,
                               std::string name, ClassInfo *info);
  const ObjectInfo *objectOfAssignment(AssignmentState &state);
  const ObjectSetInfo *objectSetOfAssignment(AssignmentState &state);
  const ObjectInfo *readObject(const ClassInfo &cls, Scope scope, Parser &parser);
  const ObjectSetInfo *readObjectSet(const ClassInfo &cls, Scope scope, Parser &parser);
  void readObjectSetElements(const ClassInfo &cls, Scope scope, Parser &parser, ObjectSetInfo &set);
  void readSetting(const FieldInfo &field, Scope scope, Parser &parser, ObjectInfo &object,
                   std::vector<std::pair<const FieldInfo *, ast::TokenRange>> &later);
  void readDefinedSyntax(const std::vector<ast::SyntaxItem> &items, const ClassInfo &cls,
                         Scope scope, Parser &parser, ObjectInfo &object,
                         std::vector<std::pair<const FieldInfo *, ast::TokenRange>> &later,
                         std::vector<std::string_view> &follow);
  const Setting *settingOf(const ObjectInfo &object, std::string_view field);
  const ClassInfo *builtinClass(std::string_view name);

  // --- resolve_parameters.cpp
  const Bindings &bind(const ast::Assignment &assignment, ModuleScope &module,
                       const ast::Reference &ref, Scope caller, std::string &signature);
  TypeId instanceType(AssignmentState &state, const ast::Reference &ref, Scope caller);
  ValuePtr instanceValue(AssignmentState &state, const ast::Reference &ref, Scope caller,
                         TypeId &type);
  const ObjectSetInfo *instanceObjectSet(AssignmentState &state, const ast::Reference &ref,
                                         Scope caller);

  // --- table_links.cpp
  struct PendingTable {
    AssignmentState *owner = nullptr;
    Scope scope;
    const ast::Constraint *constraint = nullptr;
    const ClassInfo *cls = nullptr;
    std::vector<std::string_view> fields;
    TypeId openType = kNoType;
    std::vector<TypeId> frames;  // constructed types around, outermost first
  };
  void addTableConstraint(const ast::Constraint &constraint, Scope scope, TypeId id);
  void resolveTables();
  void resolveTable(PendingTable &pending);
  void setLink(TypeId id, const OpenTypeLink &link);

  // --- state
  std::vector<ast::Module> &modules_;
  Diagnostics &diagnostics_;
  std::deque<ModuleScope> scopes_;
  ModuleScope inputScope_;  // the values to encode, when given
  std::unordered_map<std::string_view, ModuleScope *> moduleByName_;
  std::unordered_map<const ast::Assignment *, AssignmentState> states_;
  std::vector<AssignmentState *> stack_;  // assignments being resolved, innermost last
  bool lenient_ = false;  // unknown names leave the assignment out instead of failing it

  std::vector<Type> types_;
  std::vector<uint8_t> complete_;  // types_[i] has its final content
  struct DeferredCopy {
    TypeId target, source;
  };
  std::vector<DeferredCopy> deferredCopies_;
  std::vector<TypeId> frames_;  // constructed types being read in the current assignment
  std::map<Builtin, TypeId> hiddenTypes_;
  // EXTERNAL, EMBEDDED PDV and CHARACTER STRING, read from their own text.
  struct Predefined {
    std::vector<Token> tokens;
    ast::Module module;
    ModuleScope scope;
    ast::TypePtr node;
    TypeId type = kNoType;
  };
  std::map<std::string_view, Predefined> predefined_;
  struct FieldOrigin {
    const ClassInfo *cls;
    std::vector<std::string_view> fields;
  };
  std::unordered_map<TypeId, FieldOrigin> fieldOrigins_;
  std::unordered_map<TypeId, std::vector<TypeId>> linkCopies_;
  std::vector<PendingTable> pendingTables_;
  std::map<std::pair<const void *, std::string>, TypeId> typeInstances_;
  std::map<std::pair<const void *, std::string>, std::pair<ValuePtr, TypeId>> valueInstances_;
  std::map<std::pair<const void *, std::string>, const ObjectSetInfo *> setInstances_;
  int instanceDepth_ = 0;
  // Assignments and instances begun so far.
  uint64_t readsStarted_ = 0;
  // Alternatives of CHOICEs being defined that alternativeAhead is reading,
  // with readsStarted_ when each began.
  struct AheadAlternative {
    const ast::ComponentEntry *entry;
    uint64_t readsStarted;
  };
  std::vector<AheadAlternative> aheadAlternatives_;
  int classifying_ = 0;  // nested classifications: classes that name each other stop
  int depth_ = 0;

  // Everything below lives as long as the resolver: pointers into these stay valid.
  std::deque<ClassInfo> classes_;
  std::deque<ObjectInfo> objects_;
  std::deque<ObjectSetInfo> objectSets_;
  std::deque<Bindings> bindings_;
  std::deque<ast::TypePtr> parsedTypes_;
  std::map<std::pair<const ClassInfo *, std::string_view>, Setting> classDefaults_;
  std::deque<ast::Constraint> parsedConstraints_;
  std::deque<std::vector<Token>> builtinTokens_;
  std::deque<ModuleScope> builtinScope_;
  std::deque<ast::Module> builtinModule_;
  std::deque<ast::ClassDefinition> builtinDefinitions_;
  std::unordered_map<std::string_view, const ClassInfo *> builtinClasses_;
};

}  // namespace zurasn1

#endif
