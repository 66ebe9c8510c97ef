#include "tests/compiler/model_text.h"

#include <fstream>
#include <sstream>

namespace zurtest {

using namespace zurasn1;

Compiled compile(const std::vector<ModuleText> &modules) {
  Diagnostics diagnostics;
  Compiled compiled;
  compiled.model = buildModel(modules, diagnostics);
  std::ostringstream out;
  diagnostics.print(out);
  compiled.diagnostics = out.str();
  return compiled;
}

std::vector<ModuleText> readModules(const std::vector<std::string> &paths) {
  std::vector<ModuleText> modules;
  for (const std::string &path : paths) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::ostringstream text;
    text << file.rdbuf();
    modules.push_back({path, text.str()});
  }
  return modules;
}

namespace {

const char *builtinText(Builtin b) {
  switch (b) {
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
    case Builtin::OpenType: return "open type";
  }
  return "?";
}

std::string bound(const std::optional<int64_t> &value, const char *none) {
  return value ? std::to_string(*value) : none;
}

void append(const Model &model, TypeId id, std::string &out, int depth) {
  const Type &type = model.types[id];
  static const char *const classes[] = {"U", "A", "C", "P"};
  for (const Tag &tag : type.tags)
    out += "[" + std::string(classes[static_cast<int>(tag.cls)]) + std::to_string(tag.number) +
           (tag.isExplicit ? "e" : "") + "] ";
  out += builtinText(type.builtin);
  if (type.valueRange)
    out += " (" + bound(type.valueRange->lower, "MIN") + ".." + bound(type.valueRange->upper, "MAX") +
           (type.valueRange->extensible ? ",..." : "") + ")";
  if (type.size)
    out += " SIZE(" + std::to_string(type.size->lower) + ".." +
           (type.size->upper ? std::to_string(*type.size->upper) : "MAX") +
           (type.size->extensible ? ",..." : "") + ")";
  if (type.alphabet) {
    out += " FROM(";
    for (std::size_t i = 0; i < type.alphabet->ranges.size(); ++i)
      out += (i ? "," : "") + std::to_string(type.alphabet->ranges[i].first) + "-" +
             std::to_string(type.alphabet->ranges[i].last);
    out += ")";
  }
  if (!type.named.empty()) {
    out += " {";
    for (std::size_t i = 0; i < type.named.size(); ++i) {
      if (type.builtin == Builtin::Enumerated && i == type.rootEnumerators) out += " ...";
      out += (i ? " " : "") + type.named[i].name + "=" + std::to_string(type.named[i].value);
    }
    out += "}";
  }
  if (type.extensible) out += " ...";
  auto member = [&](TypeId member) {
    if (!model.types[member].name.empty() || depth > 6)
      out += model.types[member].name;
    else
      append(model, member, out, depth + 1);
  };
  if (type.builtin == Builtin::SequenceOf || type.builtin == Builtin::SetOf) {
    out += " ";
    member(type.element);
  }
  if (type.builtin == Builtin::Sequence || type.builtin == Builtin::Set ||
      type.builtin == Builtin::Choice) {
    out += " {";
    for (std::size_t i = 0; i < type.components.size(); ++i) {
      const Component &c = type.components[i];
      out += (i ? ", " : " ") + c.name + (c.optional ? " OPTIONAL" : "") +
             (c.defaultValue ? " DEFAULT" : "") +
             (c.addition ? " +" + std::to_string(c.addition) : "") + " ";
      member(c.type);
    }
    out += " }";
  }
  if (type.link) {
    out += " <- up " + std::to_string(type.link->up) + " path";
    for (uint32_t step : type.link->path) out += " " + std::to_string(step);
    out += ", " + std::to_string(type.link->objects.size()) + " objects" +
           (type.link->extensible ? " ..." : "");
  }
}

}  // namespace

std::string typeText(const Model &model, TypeId id) {
  std::string out;
  append(model, id, out, 0);
  return out;
}

std::string pduText(const Model &model, std::string_view name) {
  for (const Pdu &pdu : model.pdus)
    if (pdu.name == name || model.modules[pdu.module] + "." + pdu.name == name)
      return typeText(model, pdu.type);
  return "no PDU " + std::string(name);
}

}  // namespace zurtest
