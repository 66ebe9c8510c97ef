#include <algorithm>

#include "compiler/model.h"

namespace zurasn1 {

const char *builtinNotation(Builtin builtin) {
  switch (builtin) {
    case Builtin::Boolean: return "BOOLEAN";
    case Builtin::Integer: return "INTEGER";
    case Builtin::BitString: return "BIT STRING";
    case Builtin::OctetString: return "OCTET STRING";
    case Builtin::Null: return "NULL";
    case Builtin::ObjectIdentifier: return "OBJECT IDENTIFIER";
    case Builtin::ObjectDescriptor: return "ObjectDescriptor";
    case Builtin::Real: return "REAL";
    case Builtin::Enumerated: return "ENUMERATED";
    case Builtin::Utf8String: return "UTF8String";
    case Builtin::RelativeOid: return "RELATIVE-OID";
    case Builtin::Sequence: return "SEQUENCE";
    case Builtin::Set: return "SET";
    case Builtin::NumericString: return "NumericString";
    case Builtin::PrintableString: return "PrintableString";
    case Builtin::TeletexString: return "TeletexString";
    case Builtin::VideotexString: return "VideotexString";
    case Builtin::Ia5String: return "IA5String";
    case Builtin::UtcTime: return "UTCTime";
    case Builtin::GeneralizedTime: return "GeneralizedTime";
    case Builtin::GraphicString: return "GraphicString";
    case Builtin::VisibleString: return "VisibleString";
    case Builtin::GeneralString: return "GeneralString";
    case Builtin::UniversalString: return "UniversalString";
    case Builtin::BmpString: return "BMPString";
    case Builtin::Choice: return "CHOICE";
    case Builtin::SequenceOf: return "SEQUENCE OF";
    case Builtin::SetOf: return "SET OF";
    case Builtin::OpenType: return "ANY";
  }
  return "?";
}

std::string alternativeName(const Type &type) {
  std::string name = type.name.empty() ? builtinNotation(type.builtin) : type.name;
  std::replace(name.begin(), name.end(), ' ', '-');
  return name;
}

bool isHugeInteger(const Type &type) {
  return type.builtin == Builtin::Integer && type.named.empty() &&
         !(type.valueRange && type.valueRange->lower && type.valueRange->upper);
}

}  // namespace zurasn1
