#include "tests/compiler/model_text.h"

#include <cstdio>
#include <filesystem>
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

Compiled compileModule(const std::string &defaults, const std::string &body) {
  return compile({{"t.asn1", "M DEFINITIONS " + defaults + " ::= BEGIN\n" + body + "\nEND\n"}});
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

std::string erlangModule(const std::string &application, const std::string &module) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (const fs::directory_entry &entry : fs::directory_iterator(ZURASN1_ERLANG_LIB, error)) {
    const fs::path file = entry.path() / "asn1" / (module + ".asn1");
    if (entry.path().filename().string().rfind(application + "-", 0) == 0 && fs::exists(file, error))
      return file.generic_string();
  }
  return "";
}

namespace {

const char *builtinText(Builtin b) { return b == Builtin::OpenType ? "open type" : builtinNotation(b); }

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

std::string valueText(const Value &value) {
  char text[48];
  std::string out;
  switch (value.kind) {
    case Value::Kind::Boolean: return value.boolean ? "TRUE" : "FALSE";
    case Value::Kind::Integer:
    case Value::Kind::Enumerated: return std::to_string(value.integer);
    case Value::Kind::Real:
      std::snprintf(text, sizeof text, "%.17g", value.real);
      return text;
    case Value::Kind::Null: return "NULL";
    case Value::Kind::BitString:
      for (uint32_t i = 0; i < value.bitCount; ++i) out += (value.octets[i / 8] >> (7 - i % 8)) & 1 ? '1' : '0';
      return "'" + out + "'B";
    case Value::Kind::OctetString:
    case Value::Kind::Encoded:
      for (uint8_t octet : value.octets) {
        std::snprintf(text, sizeof text, "%02X", octet);
        out += text;
      }
      return "'" + out + "'H";
    case Value::Kind::CharString:
      for (char32_t c : value.chars) {
        if (c >= 0x20 && c < 0x7F) {
          out += static_cast<char>(c);
        } else {
          std::snprintf(text, sizeof text, "<U+%04X>", static_cast<unsigned>(c));
          out += text;
        }
      }
      return "\"" + out + "\"";
    case Value::Kind::ObjectIdentifier:
    case Value::Kind::RelativeOid:
      for (uint64_t arc : value.arcs) out += " " + std::to_string(arc);
      return "{" + out + " }";
    case Value::Kind::Sequence:
      for (const Value::Member &member : value.members)
        out += (out.empty() ? " " : ", ") + member.name + " " + valueText(*member.value);
      return "{" + out + " }";
    case Value::Kind::SequenceOf:
      for (const ValuePtr &element : value.elements) out += (out.empty() ? " " : ", ") + valueText(*element);
      return "{" + out + " }";
    case Value::Kind::Choice: return value.members[0].name + " : " + valueText(*value.members[0].value);
  }
  return "?";
}

}  // namespace zurtest
