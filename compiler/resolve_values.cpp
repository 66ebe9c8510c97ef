// Value notation (X.680 clauses 17-41), read once the governing type is
// known, and checked against the type's constraints.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <limits>

#include "compiler/oid_arc_names.h"
#include "compiler/resolver.h"

namespace zurasn1 {

namespace {

bool isCharacterString(Builtin b) {
  switch (b) {
    case Builtin::ObjectDescriptor:
    case Builtin::Utf8String:
    case Builtin::NumericString:
    case Builtin::PrintableString:
    case Builtin::TeletexString:
    case Builtin::VideotexString:
    case Builtin::Ia5String:
    case Builtin::UtcTime:
    case Builtin::GeneralizedTime:
    case Builtin::GraphicString:
    case Builtin::VisibleString:
    case Builtin::GeneralString:
    case Builtin::UniversalString:
    case Builtin::BmpString: return true;
    default: return false;
  }
}

// A digit of a bstring or hstring: the lexer lets in between them any of
// X.680's white space, vertical tab and form feed too.
bool isHexDigit(char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

// The octets of an hstring, a last odd digit taken as the high half of an
// octet.
std::vector<uint8_t> hexOctets(std::string_view text) {
  std::vector<uint8_t> out;
  bool high = true;
  for (char c : text.substr(1, text.size() - 3)) {
    if (!isHexDigit(c)) continue;
    const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    if (high) out.push_back(static_cast<uint8_t>(digit << 4));
    else out.back() |= static_cast<uint8_t>(digit);
    high = !high;
  }
  return out;
}

// The octets of an hstring that stands for octets as the printer shows
// them (an encoding, an INTEGER's two's complement), where a last odd digit
// would be a guess.
std::vector<uint8_t> wholeOctets(Parser &parser, const Token &string, const std::string &what) {
  const auto digits = std::count_if(string.text.begin() + 1, string.text.end() - 2, isHexDigit);
  if (digits % 2 != 0) parser.fail(string, "the hstring of " + what + " has an odd number of digits");
  return hexOctets(string.text);
}

// `value` as written at `pos`: a copy when it was written elsewhere (a
// referenced value, the value after an open type's "Type :").
ValuePtr writtenAt(const ValuePtr &value, SourcePos pos) {
  if (value->pos.file == pos.file && value->pos.line == pos.line && value->pos.col == pos.col) return value;
  auto copy = std::make_shared<Value>(*value);
  copy->pos = pos;
  return copy;
}

bool compatible(Builtin a, Builtin b) {
  return a == b || (isCharacterString(a) && isCharacterString(b));
}

// The characters a cstring stands for: quotes doubled inside, and no
// white-space around the ends of its lines (X.680 12.14), where a line ends
// at any of X.680's newline characters and white-space is any of its
// white-space characters (12.1.6).
bool decodeCString(std::string_view text, std::u32string &out) {
  const auto newline = [](char32_t c) { return c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
  const auto space = [&](char32_t c) { return newline(c) || c == ' ' || c == '\t'; };
  text = text.substr(1, text.size() - 2);
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"') {
      out.push_back('"');
      i += 2;
      continue;
    }
    if (newline(c)) {
      while (!out.empty() && space(out.back())) out.pop_back();
      while (i < text.size() && space(static_cast<unsigned char>(text[i]))) ++i;
      continue;
    }
    // UTF-8
    int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    char32_t code = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const unsigned char more = static_cast<unsigned char>(text[i + k]);
      if ((more & 0xC0) != 0x80) return false;
      code = (code << 6) | (more & 0x3F);
    }
    // An overlong form would read as another text's characters (C0 80 as
    // U+0000); a surrogate or a number past U+10FFFF is no character.
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    out.push_back(code);
    i += length;
  }
  return true;
}

// The character sets of X.680 41 that a value of these types keeps to.
bool allowedCharacter(Builtin b, char32_t c) {
  switch (b) {
    case Builtin::NumericString: return c == ' ' || (c >= '0' && c <= '9');
    case Builtin::PrintableString:
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
             std::u32string_view(U" '()+,-./:=?").find(c) != std::u32string_view::npos;
    case Builtin::Ia5String: return c <= 0x7F;
    case Builtin::VisibleString: return c >= 0x20 && c <= 0x7E;
    case Builtin::BmpString: return c <= 0xFFFF;
    case Builtin::Utf8String: return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    default: return true;
  }
}

std::string hexText(const std::vector<uint8_t> &octets) {
  std::string text;
  for (uint8_t octet : octets) text += {"0123456789ABCDEF"[octet >> 4], "0123456789ABCDEF"[octet & 15]};
  return text;
}

std::string bounds(const std::optional<int64_t> &lower, const std::optional<int64_t> &upper) {
  return (lower ? std::to_string(*lower) : "MIN") + ".." + (upper ? std::to_string(*upper) : "MAX");
}

// The values between bounds but for the gaps, as a union: "1 | 5..MAX"
// ("1..5" without gaps).
std::string valuesText(const std::optional<int64_t> &lower, const std::optional<int64_t> &upper,
                       const std::vector<Gap> &gaps) {
  if (gaps.empty()) return bounds(lower, upper);
  std::string text;
  auto piece = [&](const std::optional<int64_t> &from, const std::optional<int64_t> &to) {
    text += (text.empty() ? "" : " | ") + (from && to && *from == *to ? std::to_string(*from) : bounds(from, to));
  };
  std::optional<int64_t> from = lower;
  for (const Gap &g : gaps) {
    if (!from || *from < g.first) piece(from, g.first - 1);
    from = g.last + 1;
  }
  if (!upper || !from || *from <= *upper) piece(from, upper);
  return text;
}

bool inGap(const std::vector<Gap> &gaps, int64_t n) {
  return std::any_of(gaps.begin(), gaps.end(), [&](const Gap &g) { return n >= g.first && n <= g.last; });
}

}  // namespace

ValuePtr Resolver::readValue(TypeId type, Scope scope, ast::TokenRange range) {
  Parser parser = parserFor(scope, range);
  ValuePtr value = readValueAt(type, scope, parser);
  if (!parser.atEnd())
    parser.fail(parser.peek(), "unexpected '" + std::string(parser.peek().text) + "' after a value");
  return value;
}

int64_t Resolver::readInteger(Scope scope, ast::TokenRange range) {
  return readValue(hiddenType(Builtin::Integer), scope, range)->integer;
}

ValuePtr Resolver::valueOfAssignment(AssignmentState &state) {
  const ast::Assignment &assignment = *state.assignment;
  const bool done = resolveAssignment(state, [&] {
    const Scope scope{state.module, nullptr};
    const TypeId type = resolveType(*assignment.type, scope);
    if (!complete_[type]) circular(state, assignment.pos);
    state.type = type;
    state.value = readValue(type, scope, assignment.value);
  });
  if (!done) circular(state, assignment.pos);
  return state.value;
}

ValuePtr Resolver::referencedValue(TypeId type, Scope scope, Parser &parser) {
  const ast::Reference ref = parser.parseReference();
  const std::string name(ref.name);
  const Target target = lookup(ref, scope);
  ValuePtr value;
  TypeId valueType = kNoType;
  if (target.builtinClass != nullptr) error(ref.pos, name + " is a class, not a value");
  if (parser.atFieldReference()) {
    value = objectFieldValue(ref, target, parser, valueType);
  } else if (target.argument != nullptr) {
    if (target.argument->kind != Argument::Kind::Value)
      error(ref.pos, name + " is a parameter that is not a value");
    value = target.argument->value;
    valueType = target.argument->type;
  } else {
    AssignmentState &state = *target.state;
    switch (state.entity) {
      case Entity::Value:
        if (ref.instance) {
          if (!state.assignment->parameterized) error(ref.pos, name + " has no parameters");
          value = instanceValue(state, ref, scope, valueType);
        } else {
          if (state.assignment->parameterized) error(ref.pos, name + " needs its actual parameters");
          value = valueOfAssignment(state);
          valueType = state.type;
        }
        break;
      case Entity::Broken: throw Abandoned{};
      case Entity::Object: error(ref.pos, name + " is an object, not a value");
      case Entity::ObjectSet: error(ref.pos, name + " is an object set, not a value");
      case Entity::Class: error(ref.pos, name + " is a class, not a value");
      default: error(ref.pos, name + " is a type, not a value");
    }
  }
  const Builtin wanted = types_[type].builtin, found = types_[valueType].builtin;
  if (!compatible(wanted, found))
    error(ref.pos, name + " is a value of " + builtinNotation(found) + ", not of " + builtinNotation(wanted));
  // A value of another type of the same kind: its components and
  // enumerators must be the type's.
  if (valueType != type) {
    const std::string misfit = misfitOf(type, *value);
    if (!misfit.empty()) error(ref.pos, name + " is not a value of the type: " + misfit);
  }
  return value;
}

// Why `value`, read for a type of the same kind, is no value of `type`; empty
// when it is one.
std::string Resolver::misfitOf(TypeId type, const Value &value) const {
  const Type &t = types_[type];
  // A type being defined has no components yet; an open type's value is one
  // of the type that an object gives it.
  if (!complete_[type] || t.builtin == Builtin::OpenType) return {};
  switch (value.kind) {
    case Value::Kind::Enumerated:
      for (const NamedNumber &n : t.named)
        if (n.value == value.integer) return {};
      return "it has no enumerator numbered " + std::to_string(value.integer);
    case Value::Kind::SequenceOf:
      for (const ValuePtr &element : value.elements)
        if (std::string misfit = misfitOf(t.element, *element); !misfit.empty()) return misfit;
      return {};
    case Value::Kind::Sequence:
    case Value::Kind::Choice: {
      std::size_t next = 0;  // members come in the order of the type's components
      for (const Value::Member &member : value.members) {
        std::size_t i = next;
        while (i < t.components.size() && t.components[i].name != member.name) ++i;
        if (i == t.components.size()) return "it has no component " + member.name + " there";
        if (std::string misfit = misfitOf(t.components[i].type, *member.value); !misfit.empty()) return misfit;
        next = i + 1;
      }
      if (value.kind == Value::Kind::Choice) return {};
      for (const Component &c : t.components) {
        const bool given = std::any_of(value.members.begin(), value.members.end(),
                                       [&](const Value::Member &m) { return m.name == c.name; });
        if (!given && !c.optional && !c.defaultValue) return "its component " + c.name + " is missing";
      }
      return {};
    }
    default:
      return {};
  }
}

// "o.&a.&b": the value that object o holds in value field &b of the object
// in its object field &a; its type in `valueType`.
ValuePtr Resolver::objectFieldValue(const ast::Reference &ref, const Target &target, Parser &parser,
                                    TypeId &valueType) {
  const std::string name(ref.name);
  const ObjectInfo *object = nullptr;
  if (target.argument != nullptr) {
    if (target.argument->kind != Argument::Kind::Object) error(ref.pos, name + " is a parameter that is not an object");
    object = target.argument->object;
  } else {
    if (target.state->entity == Entity::Broken) throw Abandoned{};
    if (target.state->entity != Entity::Object || ref.instance) error(ref.pos, name + " is not an object");
    object = objectOfAssignment(*target.state);
  }
  for (;;) {
    parser.next();
    const Token &field = parser.next();
    const std::string fieldName(field.text);
    const FieldInfo *info = object->cls->field(field.text);
    if (info == nullptr) parser.fail(field, "class " + object->cls->name + " has no field " + fieldName);
    const Setting *setting = settingOf(*object, field.text);
    if (setting == nullptr) parser.fail(field, "the object has no " + fieldName);
    if (parser.atFieldReference()) {
      if (info->kind != FieldKind::Object) parser.fail(field, fieldName + " is not an object field");
      object = setting->object;
      continue;
    }
    if (info->kind == FieldKind::FixedValue) {
      valueType = info->type;
      return setting->value;
    }
    if (info->kind != FieldKind::VariableValue) parser.fail(field, fieldName + " is not a value field");
    const Setting *type = settingOf(*object, info->spec->typeField);
    if (type == nullptr) parser.fail(field, "the object has no type for " + fieldName);
    valueType = type->type;
    if (setting->value != nullptr) return setting->value;
    // The class's DEFAULT, which is read for no object, is read here as a
    // value of this object's type.
    return readValue(valueType, object->cls->scope, info->spec->defaultSetting);
  }
}

// Whether `name` is a parameter, or an assignment of the module or one it
// imports.
bool Resolver::namesEntity(std::string_view name, Scope scope) const {
  if (scope.bindings != nullptr && scope.bindings->find(name) != nullptr) return true;
  if (scope.module == &inputScope_)
    return std::any_of(scopes_.begin(), scopes_.end(), [&](const ModuleScope &m) { return m.defined.contains(name); });
  return scope.module->defined.contains(name) || scope.module->imported.contains(name);
}

ValuePtr Resolver::readValueAt(TypeId type, Scope scope, Parser &parser) {
  Parser::DepthGuard guard(parser);
  const Token &first = parser.peek();
  const SourcePos pos = parser.posOf(first);
  const Builtin builtin = types_[type].builtin;
  auto value = std::make_shared<Value>();
  value->pos = pos;
  auto named = [&](std::string_view name) -> const NamedNumber * {
    for (const NamedNumber &n : types_[type].named)
      if (n.name == name) return &n;
    return nullptr;
  };
  auto expected = [&](const char *what) {
    parser.fail(first, std::string("expected ") + what + ", found '" + std::string(describe(first)) + "'");
  };
  if (first.kind == TokenKind::Identifier && !parser.at(TokenKind::Colon, 1) &&
      !((builtin == Builtin::Integer || builtin == Builtin::Enumerated) && named(first.text))) {
    // Of an ENUMERATED type, an identifier other than its enumerators can
    // only be a value (or object) reference.
    if (builtin == Builtin::Enumerated && !parser.at(TokenKind::Dot, 1) && !namesEntity(first.text, scope))
      parser.fail(first, std::string(first.text) + " is not an enumerator of the type");
    ValuePtr referenced = referencedValue(type, scope, parser);
    checkValue(type, *referenced, pos);
    return writtenAt(referenced, pos);
  }
  if (first.kind == TokenKind::TypeReference && parser.at(TokenKind::Dot, 1) &&
      parser.at(TokenKind::Identifier, 2)) {
    ValuePtr referenced = referencedValue(type, scope, parser);
    checkValue(type, *referenced, pos);
    return writtenAt(referenced, pos);
  }
  // A signed number, as INTEGER, REAL and the arcs read it: the digits,
  // after the '-' that was there (or null).
  auto readNumber = [&](const Token *minus, const Token &digits) -> int64_t {
    const bool negative = minus != nullptr;
    const uint64_t magnitude = numberOf(digits);
    // SignedNumber's hyphen stands before a positive number only.
    if (negative && magnitude == 0) parser.fail(*minus, "zero is written 0, without a '-'");
    const uint64_t limit = negative ? uint64_t{1} << 63 : uint64_t{INT64_MAX};
    if (magnitude > limit)
      parser.fail(digits, "integer " + std::string(negative ? "-" : "") + std::string(digits.text) +
                              " is beyond 64 bits");
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  };
  auto minusSign = [&]() -> const Token * { return parser.at(TokenKind::Minus) ? &parser.next() : nullptr; };
  switch (builtin) {
    case Builtin::Boolean:
      value->kind = Value::Kind::Boolean;
      if (parser.acceptKeyword(Keyword::True)) value->boolean = true;
      else if (!parser.acceptKeyword(Keyword::False)) expected("TRUE or FALSE");
      break;
    case Builtin::Null:
      value->kind = Value::Kind::Null;
      if (!parser.acceptKeyword(Keyword::Null)) expected("NULL");
      break;
    case Builtin::Integer:
    case Builtin::Enumerated: {
      value->kind = builtin == Builtin::Integer ? Value::Kind::Integer : Value::Kind::Enumerated;
      if (first.kind == TokenKind::Identifier) {
        const NamedNumber *number = named(first.text);
        if (number == nullptr)
          parser.fail(first, std::string(first.text) + " is not " +
                                 (builtin == Builtin::Integer ? "a named number" : "an enumerator") +
                                 " of the type");
        parser.next();
        value->integer = number->value;
        break;
      }
      if (builtin == Builtin::Enumerated) {
        // By its number too, as the printer shows one.
        const Token *minus = minusSign();
        if (!parser.at(TokenKind::Number)) expected("an enumerator");
        const Token &digits = parser.peek();
        value->integer = readNumber(minus, parser.next());
        const auto &enumerators = types_[type].named;
        if (std::none_of(enumerators.begin(), enumerators.end(),
                         [&](const NamedNumber &n) { return n.value == value->integer; }))
          parser.fail(digits, std::to_string(value->integer) + " is not the number of an enumerator of the type");
        break;
      }
      if (parser.at(TokenKind::HString) && isHugeInteger(types_[type])) {
        // As the printer shows such an INTEGER: its two's complement, in
        // the fewest octets, as every rules encodes it.
        const Token &string = parser.next();
        value->octets = wholeOctets(parser, string, "an INTEGER");
        if (value->octets.empty()) parser.fail(string, "an INTEGER in hexadecimal needs an octet at least");
        const bool negative = (value->octets[0] & 0x80) != 0;
        std::size_t skip = 0;
        while (skip + 1 < value->octets.size() && value->octets[skip] == (negative ? 0xFF : 0x00) &&
               ((value->octets[skip + 1] & 0x80) != 0) == negative)
          ++skip;
        value->octets.erase(value->octets.begin(), value->octets.begin() + static_cast<std::ptrdiff_t>(skip));
        if (value->octets.size() > 8) {
          value->integer = negative ? INT64_MIN : INT64_MAX;
        } else {
          uint64_t bits = negative ? UINT64_MAX : 0;
          for (uint8_t octet : value->octets) bits = bits << 8 | octet;
          value->integer = static_cast<int64_t>(bits);
        }
        break;
      }
      const Token *minus = minusSign();
      if (!parser.at(TokenKind::Number)) expected("an integer");
      value->integer = readNumber(minus, parser.next());
      break;
    }
    case Builtin::Real: {
      value->kind = Value::Kind::Real;
      // Past a double's ends (value->real holding the sign): a module's
      // value is the infinity or the 0 it comes to, as a DEFAULT always was;
      // a value given to encode would be encoded as that other value, so it
      // is refused.
      const auto beyondDouble = [&](bool large) {
        if (scope.module == &inputScope_)
          parser.fail(first, "a REAL beyond the range of a double (past its largest value, or rounding to 0)");
        value->real = std::copysign(large ? std::numeric_limits<double>::infinity() : 0.0, value->real);
      };
      if (parser.acceptKeyword(Keyword::PlusInfinity)) {
        value->real = std::numeric_limits<double>::infinity();
      } else if (parser.acceptKeyword(Keyword::MinusInfinity)) {
        value->real = -std::numeric_limits<double>::infinity();
      } else if (parser.acceptKeyword(Keyword::NotANumber)) {
        value->real = std::numeric_limits<double>::quiet_NaN();
      } else if (parser.accept(TokenKind::LeftBrace)) {
        // {mantissa m, base 2|10, exponent e} or {m, b, e}: m is an INTEGER.
        // The printer writes it with a fraction, { 1.562, 10, -1 }, which
        // only the values given to encode are read in.
        int64_t parts[3];
        std::string mantissa;
        const char *names[3] = {"mantissa", "base", "exponent"};
        for (int i = 0; i < 3; ++i) {
          if (i > 0) parser.expect(TokenKind::Comma, "','");
          if (parser.at(TokenKind::Identifier)) {
            if (parser.peek().text != names[i]) parser.failExpected(names[i]);
            parser.next();
          }
          const Token *minus = minusSign();
          if (i == 0 && parser.at(TokenKind::RealNumber)) {
            if (scope.module != &inputScope_)
              parser.fail(parser.peek(),
                          "expected an integer mantissa, found '" + std::string(parser.peek().text) + "'");
            mantissa = std::string(minus != nullptr ? "-" : "") + std::string(parser.next().text);
            parts[0] = 0;
            continue;
          }
          parts[i] = readNumber(minus, parser.expect(TokenKind::Number, "an integer"));
        }
        parser.expect(TokenKind::RightBrace, "'}'");
        if (parts[1] != 2 && parts[1] != 10) parser.fail(first, "the base of a REAL is 2 or 10");
        if (!mantissa.empty() && parts[1] != 10) parser.fail(first, "a mantissa with a fraction needs base 10");
        if (parts[1] == 2) {
          const int64_t exponent = std::clamp<int64_t>(parts[2], -100000, 100000);  // past both ends of double
          value->real = std::ldexp(static_cast<double>(parts[0]), static_cast<int>(exponent));
          if (std::isinf(value->real) || (value->real == 0 && parts[0] != 0)) beyondDouble(std::isinf(value->real));
        } else {
          // Read as the decimal text m"e"e, so that the value is rounded once, correctly:
          // 314159 * 10^-5 multiplied out is one unit in the last place above 3.14159.
          const std::string decimal =
              (mantissa.empty() ? std::to_string(parts[0]) : mantissa) + "e" + std::to_string(parts[2]);
          if (std::from_chars(decimal.data(), decimal.data() + decimal.size(), value->real).ec != std::errc{}) {
            value->real = decimal[0] == '-' ? -1.0 : 1.0;
            beyondDouble(parts[2] > 0);
          } else if (value->real == 0) {
            value->real = 0;  // a zero mantissa is 0 whatever its sign ("-0.0"): minus zero is no m * b^e
          }
        }
      } else {
        const bool negative = parser.accept(TokenKind::Minus);
        if (!parser.at(TokenKind::Number) && !parser.at(TokenKind::RealNumber)) expected("a REAL value");
        const std::string_view text = parser.next().text;
        value->real = negative ? -1.0 : 1.0;
        double magnitude = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), magnitude).ec != std::errc{}) {
          const std::size_t e = text.find_first_of("eE");
          beyondDouble(e == std::string_view::npos || e + 1 == text.size() || text[e + 1] != '-');
        } else {
          value->real = negative ? -magnitude : magnitude;
        }
      }
      break;
    }
    case Builtin::BitString:
    case Builtin::OctetString: {
      const bool bits = builtin == Builtin::BitString;
      value->kind = bits ? Value::Kind::BitString : Value::Kind::OctetString;
      if (parser.atKeyword(Keyword::Containing))
        parser.fail(first, "CONTAINING values are not supported");
      if (parser.at(TokenKind::BString) || parser.at(TokenKind::HString)) {
        const Token &string = parser.next();
        const bool hex = string.kind == TokenKind::HString;
        uint32_t count = 0;
        for (char c : string.text.substr(1, string.text.size() - 3)) {
          if (!isHexDigit(c)) continue;
          const int digit = hex ? (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10) : c - '0';
          for (int k = hex ? 3 : 0; k >= 0; --k) {
            if (count % 8 == 0) value->octets.push_back(0);
            if ((digit >> k) & 1) value->octets.back() |= static_cast<uint8_t>(0x80 >> (count % 8));
            ++count;
          }
        }
        value->bitCount = bits ? count : 0;
        break;
      }
      if (!bits || !parser.accept(TokenKind::LeftBrace)) expected(bits ? "a BIT STRING value" : "an hstring or bstring");
      // {named-bit, ...}
      while (!parser.at(TokenKind::RightBrace)) {
        const Token &name = parser.expect(TokenKind::Identifier, "a named bit");
        const NamedNumber *bit = named(name.text);
        if (bit == nullptr) parser.fail(name, std::string(name.text) + " is not a named bit of the type");
        const uint32_t position = static_cast<uint32_t>(bit->value);
        if (position >= value->bitCount) {
          value->bitCount = position + 1;
          value->octets.resize((value->bitCount + 7) / 8);
        }
        value->octets[position / 8] |= static_cast<uint8_t>(0x80 >> (position % 8));
        if (!parser.acceptListComma(TokenKind::RightBrace, "a named bit")) break;
      }
      parser.expect(TokenKind::RightBrace, "'}'");
      // Named bits under a SIZE constraint take the 0 bits that reach its
      // smallest size they fit: past its lower bound and any gap (one of a
      // sane size: a larger one stays an error).
      if (const auto &size = types_[type].size; size) {
        int64_t count = std::max<int64_t>(value->bitCount, size->lower);
        for (const Gap &g : size->gaps)  // ascending
          if (count >= g.first && count <= g.last) count = g.last + 1;
        if (count != value->bitCount && count <= 65536) {
          value->bitCount = static_cast<uint32_t>(count);
          value->octets.resize((value->bitCount + 7) / 8);
        }
      }
      break;
    }
    case Builtin::ObjectIdentifier:
    case Builtin::RelativeOid: {
      const bool relative = builtin == Builtin::RelativeOid;
      value->kind = relative ? Value::Kind::RelativeOid : Value::Kind::ObjectIdentifier;
      parser.expect(TokenKind::LeftBrace, "'{'");
      // Where each arc is written (those a reference brings, at the
      // reference), so that a wrong one is reported there.
      std::vector<SourcePos> written;
      SourcePos at{};
      while (!parser.at(TokenKind::RightBrace)) {
        written.resize(value->arcs.size(), at);
        const Token &arc = parser.peek();
        at = parser.posOf(arc);
        if (arc.kind == TokenKind::Number) {
          value->arcs.push_back(static_cast<uint64_t>(readNumber(nullptr, parser.next())));
        } else if (arc.kind == TokenKind::Identifier && parser.at(TokenKind::LeftParen, 1)) {
          parser.next();
          parser.next();
          const int64_t number = parser.at(TokenKind::Number)
                                     ? readNumber(nullptr, parser.next())
                                     : readValueAt(hiddenType(Builtin::Integer), scope, parser)->integer;
          if (number < 0) parser.fail(arc, "an arc is not negative");
          // The number is the arc; a name X.660 gives another arc there
          // says something else, most likely by mistake.
          if (uint64_t known;
              !relative && namedArc(value->arcs, arc.text, known) && known != static_cast<uint64_t>(number))
            diagnostics_.warning(at, misnamedArc(arc.text, known, static_cast<uint64_t>(number)));
          value->arcs.push_back(static_cast<uint64_t>(number));
          parser.expect(TokenKind::RightParen, "')'");
        } else if (uint64_t known; !relative && arc.kind == TokenKind::Identifier &&
                                   namedArc(value->arcs, arc.text, known)) {
          parser.next();
          value->arcs.push_back(known);
        } else if (arc.kind == TokenKind::Identifier || arc.kind == TokenKind::TypeReference) {
          // A value of OBJECT IDENTIFIER first, of RELATIVE-OID anywhere, or
          // of INTEGER as one arc.
          const ast::Reference ref = parser.parseReference();
          const Target target = lookup(ref, scope);
          const std::string name(ref.name);
          ValuePtr part;
          Builtin partType = Builtin::Null;
          if (target.argument != nullptr && target.argument->kind == Argument::Kind::Value) {
            part = target.argument->value;
            partType = types_[target.argument->type].builtin;
          } else if (target.state != nullptr && target.state->entity == Entity::Value &&
                     !ref.instance) {
            part = valueOfAssignment(*target.state);
            partType = types_[target.state->type].builtin;
          } else if (target.state != nullptr && target.state->entity == Entity::Broken) {
            throw Abandoned{};
          } else {
            error(ref.pos, name + " is not an OBJECT IDENTIFIER or RELATIVE-OID value");
          }
          if (partType == Builtin::Integer) {
            if (part->integer < 0 || part->octets.size() > 8)
              error(ref.pos, name + " is " + (part->integer < 0 ? "negative" : "beyond 64 bits") + ", not an arc");
            value->arcs.push_back(static_cast<uint64_t>(part->integer));
            continue;
          }
          const bool fits = partType == Builtin::RelativeOid ||
                            (partType == Builtin::ObjectIdentifier && !relative && value->arcs.empty());
          if (!fits)
            error(ref.pos, name + " is a value of " + builtinNotation(partType) + ", which cannot stand here");
          value->arcs.insert(value->arcs.end(), part->arcs.begin(), part->arcs.end());
        } else {
          parser.failExpected("an arc");
        }
      }
      written.resize(value->arcs.size(), at);
      parser.next();
      if (!relative) {
        // Its encoding joins the first two arcs in one number.
        if (value->arcs.size() < 2) parser.fail(first, kTooFewArcs);
        if (const auto fault = firstArcsFault(value->arcs)) error(written[fault->arc], fault->why);
      }
      break;
    }
    case Builtin::Sequence:
    case Builtin::Set: {
      value->kind = Value::Kind::Sequence;
      if (parser.at(TokenKind::LeftBrace) && parser.at(TokenKind::Identifier, 1) &&
          parser.peek(1).text == "identification" && isExternal(type)) {
        readExternalValue(type, scope, parser, *value);
        break;
      }
      const std::vector<Component> components = types_[type].components;
      std::vector<ValuePtr> given(components.size());
      std::size_t next = 0;
      parser.expect(TokenKind::LeftBrace, "'{'");
      while (!parser.at(TokenKind::RightBrace)) {
        const Token &name = parser.expect(TokenKind::Identifier, "a component name");
        std::size_t index = 0;
        while (index < components.size() && components[index].name != name.text) ++index;
        if (index == components.size())
          parser.fail(name, std::string(name.text) + " is not a component of the type");
        if (given[index]) parser.fail(name, std::string(name.text) + " is given twice");
        if (builtin == Builtin::Sequence && index < next)
          parser.fail(name, std::string(name.text) + " comes before the components given before it");
        next = index + 1;
        given[index] = readValueAt(components[index].type, scope, parser);
        if (!parser.acceptListComma(TokenKind::RightBrace, "a component name")) break;
      }
      parser.expect(TokenKind::RightBrace, "'}'");
      for (std::size_t i = 0; i < components.size(); ++i) {
        if (given[i]) value->members.push_back({components[i].name, given[i]});
        else if (components[i].addition == 0 && !components[i].optional && !components[i].defaultValue)
          parser.fail(first, "the value lacks component " + components[i].name);
      }
      break;
    }
    case Builtin::SequenceOf:
    case Builtin::SetOf: {
      value->kind = Value::Kind::SequenceOf;
      const TypeId element = types_[type].element;
      parser.expect(TokenKind::LeftBrace, "'{'");
      while (!parser.at(TokenKind::RightBrace)) {
        value->elements.push_back(readValueAt(element, scope, parser));
        if (!parser.acceptListComma(TokenKind::RightBrace, "a value")) break;
      }
      parser.expect(TokenKind::RightBrace, "'}'");
      break;
    }
    case Builtin::Choice: {
      value->kind = Value::Kind::Choice;
      const Token &name = parser.expect(TokenKind::Identifier, "an alternative");
      parser.expect(TokenKind::Colon, "':'");
      const std::vector<Component> &alternatives = types_[type].components;
      std::size_t index = 0;
      while (index < alternatives.size() && alternatives[index].name != name.text) ++index;
      if (index == alternatives.size())
        parser.fail(name, std::string(name.text) + " is not an alternative of the type");
      const TypeId alternative = alternatives[index].type;
      const std::string member = alternatives[index].name;
      value->members.push_back({member, readValueAt(alternative, scope, parser)});
      break;
    }
    case Builtin::OpenType: {
      // Its encoding, as the printer shows one not decoded, alone or as
      // the alternative `encoded` of a table-selected one.
      const std::optional<OpenTypeLink> &link = types_[type].link;
      if (link && parser.at(TokenKind::Identifier) && parser.peek().text == "encoded" && parser.at(TokenKind::Colon, 1)) {
        parser.next();
        parser.next();
        if (!parser.at(TokenKind::HString)) expected("the encoding ('..'H) of the alternative encoded");
      }
      if (parser.at(TokenKind::HString)) {
        value->kind = Value::Kind::Encoded;
        value->octets = wholeOctets(parser, parser.next(), "an encoding");
        return value;
      }
      // The printer names a selected type that has no name by its notation
      // (SEQUENCE-OF : {...}).
      if (link && parser.at(TokenKind::TypeReference) && parser.at(TokenKind::Colon, 1) &&
          !namesEntity(parser.peek().text, scope))
        for (const OpenTypeLink::Object &object : link->objects)
          if (alternativeName(types_[object.type]) == parser.peek().text) {
            parser.next();
            parser.next();
            return writtenAt(readValueAt(object.type, scope, parser), pos);
          }
      // Type : Value, the value as of its type.
      parsedTypes_.push_back(parser.parseType());
      const TypeId actual = resolveType(*parsedTypes_.back(), scope);
      parser.expect(TokenKind::Colon, "':' after the type of an open type's value");
      return writtenAt(readValueAt(actual, scope, parser), pos);
    }
    default: {
      // Character strings and times: a cstring, or a list of strings,
      // Quadruples {g, p, r, c} and Tuples {column, row}.
      value->kind = Value::Kind::CharString;
      auto cell = [&]() {
        // After "{": a Tuple or a Quadruple, if only numbers follow.
        std::vector<int64_t> numbers;
        do {
          numbers.push_back(readNumber(nullptr, parser.expect(TokenKind::Number, "a number")));
        } while (parser.accept(TokenKind::Comma));
        parser.expect(TokenKind::RightBrace, "'}'");
        if (numbers.size() == 2 && numbers[0] <= 7 && numbers[1] <= 15)
          value->chars.push_back(static_cast<char32_t>(numbers[0] * 16 + numbers[1]));
        else if (numbers.size() == 4 && numbers[0] <= 127 && numbers[1] <= 255 && numbers[2] <= 255 &&
                 numbers[3] <= 255)
          value->chars.push_back(static_cast<char32_t>((numbers[0] << 24) | (numbers[1] << 16) |
                                                       (numbers[2] << 8) | numbers[3]));
        else
          parser.fail(first, "a Quadruple is {group, plane, row, cell}, a Tuple {column, row}");
      };
      auto cstring = [&](const Token &string) {
        if (!decodeCString(string.text, value->chars)) parser.fail(string, "a cstring is not valid UTF-8");
      };
      const bool time = builtin == Builtin::UtcTime || builtin == Builtin::GeneralizedTime;
      const bool wide = builtin == Builtin::BmpString || builtin == Builtin::UniversalString;
      if (wide && parser.at(TokenKind::HString)) {
        // As the printer shows them: each character's 2 or 4 octets.
        const Token &string = parser.next();
        const std::vector<uint8_t> octets = hexOctets(string.text);
        const std::size_t width = builtin == Builtin::BmpString ? 2 : 4;
        const auto digits = std::count_if(string.text.begin() + 1, string.text.end() - 2, isHexDigit);
        if (static_cast<std::size_t>(digits) % (2 * width) != 0)
          parser.fail(string, "the hstring of a " + std::string(builtinNotation(builtin)) + " value has " +
                                  std::to_string(width) + " octets a character");
        for (std::size_t i = 0; i < octets.size(); i += width) {
          char32_t c = 0;
          for (std::size_t k = 0; k < width; ++k) c = c << 8 | octets[i + k];
          value->chars.push_back(c);
        }
      } else if (parser.at(TokenKind::CString)) {
        cstring(parser.next());
      } else if (!time && parser.accept(TokenKind::LeftBrace)) {
        if (parser.at(TokenKind::Number)) {
          cell();
          break;
        }
        while (!parser.at(TokenKind::RightBrace)) {
          if (parser.at(TokenKind::CString)) {
            cstring(parser.next());
          } else if (parser.accept(TokenKind::LeftBrace)) {
            cell();
          } else {
            const ValuePtr part = referencedValue(type, scope, parser);
            value->chars += part->chars;
          }
          if (!parser.acceptListComma(TokenKind::RightBrace, "a cstring")) break;
        }
        parser.expect(TokenKind::RightBrace, "'}'");
      } else {
        expected("a cstring");
      }
      break;
    }
  }
  checkValue(type, *value, pos);
  return value;
}

// Whether `type` is EXTERNAL, or a copy of it (tagged, constrained, assigned).
bool Resolver::isExternal(TypeId type) const {
  const auto external = predefined_.find("EXTERNAL");
  if (external == predefined_.end()) return false;
  for (std::optional<TypeId> at = type; at; at = types_[*at].copied)
    if (*at == external->second.type) return true;
  return false;
}

// An EXTERNAL value in the form of X.680's associated type, { identification
// ..., data-value-descriptor ... (optional), data-value ... }, read as the
// X.208 record that the type is and that BER and PER encode: syntax is the
// direct-reference, presentation-context-id the indirect-reference,
// context-negotiation both, and data-value the octet-aligned encoding. The
// record has no place for the other identifications.
void Resolver::readExternalValue(TypeId type, Scope scope, Parser &parser, Value &value) {
  const std::vector<Component> components = types_[type].components;
  auto typeOf = [&](const std::vector<Component> &within, std::string_view name) {
    return std::find_if(within.begin(), within.end(), [&](const Component &c) { return c.name == name; })->type;
  };
  auto name = [&](const char *wanted) {
    if (!parser.at(TokenKind::Identifier) || parser.peek().text != wanted) parser.failExpected(wanted);
    parser.next();
  };
  ValuePtr direct, indirect, descriptor, encoding;
  parser.expect(TokenKind::LeftBrace, "'{'");
  name("identification");
  const Token &alternative = parser.expect(TokenKind::Identifier, "an alternative of identification");
  parser.expect(TokenKind::Colon, "':'");
  if (alternative.text == "syntax") {
    direct = readValueAt(typeOf(components, "direct-reference"), scope, parser);
  } else if (alternative.text == "presentation-context-id") {
    indirect = readValueAt(typeOf(components, "indirect-reference"), scope, parser);
  } else if (alternative.text == "context-negotiation") {
    parser.expect(TokenKind::LeftBrace, "'{'");
    name("presentation-context-id");
    indirect = readValueAt(typeOf(components, "indirect-reference"), scope, parser);
    parser.expect(TokenKind::Comma, "','");
    name("transfer-syntax");
    direct = readValueAt(typeOf(components, "direct-reference"), scope, parser);
    parser.expect(TokenKind::RightBrace, "'}'");
  } else if (alternative.text == "syntaxes" || alternative.text == "transfer-syntax" || alternative.text == "fixed") {
    parser.fail(alternative, "an EXTERNAL value cannot be identified by " + std::string(alternative.text) +
                                 ", only by syntax, presentation-context-id or context-negotiation");
  } else {
    parser.fail(alternative, std::string(alternative.text) + " is not an alternative of identification");
  }
  parser.expect(TokenKind::Comma, "','");
  if (parser.at(TokenKind::Identifier) && parser.peek().text == "data-value-descriptor") {
    parser.next();
    descriptor = readValueAt(typeOf(components, "data-value-descriptor"), scope, parser);
    parser.expect(TokenKind::Comma, "','");
  }
  name("data-value");
  const TypeId octets = typeOf(types_[typeOf(components, "encoding")].components, "octet-aligned");
  auto choice = std::make_shared<Value>();
  choice->kind = Value::Kind::Choice;
  choice->members.push_back({"octet-aligned", readValueAt(octets, scope, parser)});
  encoding = choice;
  parser.expect(TokenKind::RightBrace, "'}'");
  const std::pair<const char *, ValuePtr> record[] = {{"direct-reference", direct},
                                                       {"indirect-reference", indirect},
                                                       {"data-value-descriptor", descriptor},
                                                       {"encoding", encoding}};
  for (const auto &[member, given] : record)
    if (given) value.members.push_back({member, given});
}

// A value outside the type's constraints, or with a character its type
// does not have, is an error.
void Resolver::checkValue(TypeId type, const Value &value, SourcePos pos) {
  const Type &t = types_[type];
  if (value.kind == Value::Kind::Integer && t.valueRange && !t.valueRange->extensible) {
    const ValueRange &range = *t.valueRange;
    // One given by more than 8 octets lies past every 64-bit bound on its
    // side; its saturated number is not what was written.
    const bool huge = value.octets.size() > 8, negative = huge && (value.octets[0] & 0x80) != 0;
    if ((range.lower && (huge ? negative : value.integer < *range.lower)) ||
        (range.upper && (huge ? !negative : value.integer > *range.upper)) ||
        (!huge && inGap(range.gaps, value.integer)))
      error(pos, "value " +
                     (huge ? "'" + hexText(value.octets) + "'H, which does not fit 64 bits,"
                           : std::to_string(value.integer)) +
                     " is outside the type's " + (range.gaps.empty() ? "range " : "values ") +
                     valuesText(range.lower, range.upper, range.gaps));
  }
  if (t.size && !t.size->extensible) {
    std::optional<uint64_t> count;
    switch (value.kind) {
      case Value::Kind::CharString: count = value.chars.size(); break;
      case Value::Kind::BitString: count = value.bitCount; break;
      case Value::Kind::OctetString: count = value.octets.size(); break;
      case Value::Kind::SequenceOf: count = value.elements.size(); break;
      default: break;
    }
    if (count && (*count < t.size->lower || (t.size->upper && *count > *t.size->upper) ||
                  inGap(t.size->gaps, static_cast<int64_t>(*count))))
      error(pos, "value of size " + std::to_string(*count) + " is outside the type's SIZE " +
                     valuesText(int64_t{t.size->lower},
                                t.size->upper ? std::optional<int64_t>(*t.size->upper) : std::nullopt,
                                t.size->gaps));
  }
  if (value.kind != Value::Kind::CharString) return;
  for (char32_t c : value.chars) {
    bool permitted = allowedCharacter(t.builtin, c);
    if (permitted && t.alphabet && !t.alphabet->extensible) {
      permitted = false;
      for (const CharRange &range : t.alphabet->ranges) permitted = permitted || (c >= range.first && c <= range.last);
    }
    if (!permitted) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      error(pos, std::string("value has the character ") + code + ", which its type does not permit");
    }
  }
}

}  // namespace zurasn1
