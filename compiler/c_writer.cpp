#include "compiler/c_writer.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "compiler/c_names.h"
#include "compiler/c_reserved.h"
#include "zurasn1/zurasn1.h"

namespace zurasn1 {
namespace {

std::string str(uint64_t v) { return std::to_string(v); }

std::string unsignedLiteral(uint64_t v) { return std::to_string(v) + "u"; }

std::string hexLiteral(uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%" PRIX64 "u", v);
  return buf;
}

std::string int64Literal(int64_t v) {
  if (v == INT64_MIN) return "(-INT64_C(9223372036854775807) - 1)";
  if (v >= INT32_MIN + 1 && v <= INT32_MAX) return std::to_string(v);
  return "INT64_C(" + std::to_string(v) + ")";
}

std::string int32Literal(int32_t v) { return v == INT32_MIN ? "(-2147483647 - 1)" : std::to_string(v); }

// A C string literal; octal escapes keep every octet as it is.
std::string cString(const std::string &s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\' || c == '?') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    }
  }
  return out + "\"";
}

const char *kindName(uint32_t kind) {
  switch (kind) {
    case KIND_INTEGER: return "KIND_INTEGER";
    case KIND_BITS_PTR: return "KIND_BITS_PTR";
    case KIND_NULL: return "KIND_NULL";
    case KIND_ENUMERATED: return "KIND_ENUMERATED";
    case KIND_REAL: return "KIND_REAL";
    case KIND_BOOLEAN: return "KIND_BOOLEAN";
    case KIND_OCTETS_PTR: return "KIND_OCTETS_PTR";
    case KIND_SEQUENCE: return "KIND_SEQUENCE";
    case KIND_SET: return "KIND_SET";
    case KIND_CHOICE: return "KIND_CHOICE";
    case KIND_SEQOF_PTR_ARRAY: return "KIND_SEQOF_PTR_ARRAY";
    case KIND_SETOF_PTR_ARRAY: return "KIND_SETOF_PTR_ARRAY";
    case KIND_OCTETS_PTR2: return "KIND_OCTETS_PTR2";
    case KIND_CHARS_PTR: return "KIND_CHARS_PTR";
    case KIND_OID_PTR: return "KIND_OID_PTR";
    case KIND_UTC_TIME: return "KIND_UTC_TIME";
    case KIND_GENERALIZED_TIME: return "KIND_GENERALIZED_TIME";
    case KIND_ENCODED: return "KIND_ENCODED";
    case KIND_BMP_STRING: return "KIND_BMP_STRING";
    case KIND_UNIVERSAL_STRING: return "KIND_UNIVERSAL_STRING";
    case KIND_SEQUENCE_EXT: return "KIND_SEQUENCE_EXT";
    case KIND_SET_EXT: return "KIND_SET_EXT";
    case KIND_OID_ENCODED: return "KIND_OID_ENCODED";
  }
  return nullptr;  // the layout uses no other kind
}

const char *builtinName(uint8_t builtin) {
  switch (static_cast<Builtin>(builtin)) {
    case Builtin::Boolean: return "ZB_BOOLEAN";
    case Builtin::Integer: return "ZB_INTEGER";
    case Builtin::BitString: return "ZB_BIT_STRING";
    case Builtin::OctetString: return "ZB_OCTET_STRING";
    case Builtin::Null: return "ZB_NULL";
    case Builtin::ObjectIdentifier: return "ZB_OBJECT_IDENTIFIER";
    case Builtin::ObjectDescriptor: return "ZB_OBJECT_DESCRIPTOR";
    case Builtin::Real: return "ZB_REAL";
    case Builtin::Enumerated: return "ZB_ENUMERATED";
    case Builtin::Utf8String: return "ZB_UTF8_STRING";
    case Builtin::RelativeOid: return "ZB_RELATIVE_OID";
    case Builtin::Sequence: return "ZB_SEQUENCE";
    case Builtin::Set: return "ZB_SET";
    case Builtin::NumericString: return "ZB_NUMERIC_STRING";
    case Builtin::PrintableString: return "ZB_PRINTABLE_STRING";
    case Builtin::TeletexString: return "ZB_TELETEX_STRING";
    case Builtin::VideotexString: return "ZB_VIDEOTEX_STRING";
    case Builtin::Ia5String: return "ZB_IA5_STRING";
    case Builtin::UtcTime: return "ZB_UTC_TIME";
    case Builtin::GeneralizedTime: return "ZB_GENERALIZED_TIME";
    case Builtin::GraphicString: return "ZB_GRAPHIC_STRING";
    case Builtin::VisibleString: return "ZB_VISIBLE_STRING";
    case Builtin::GeneralString: return "ZB_GENERAL_STRING";
    case Builtin::UniversalString: return "ZB_UNIVERSAL_STRING";
    case Builtin::BmpString: return "ZB_BMP_STRING";
    case Builtin::Choice: return "ZB_CHOICE";
    case Builtin::SequenceOf: return "ZB_SEQUENCE_OF";
    case Builtin::SetOf: return "ZB_SET_OF";
    case Builtin::OpenType: return "ZB_OPEN_TYPE";
  }
  return "0";
}

// Flag bits by name, "0" for none.
std::string flagNames(uint32_t flags, std::initializer_list<std::pair<uint32_t, const char *>> names) {
  std::string out;
  for (const auto &[bit, name] : names)
    if ((flags & bit) != 0) out += (out.empty() ? "" : " | ") + std::string(name);
  return out.empty() ? "0" : out;
}

std::string tagName(uint16_t tag) {
  static const char *const classes[] = {"ZUR_TAG_UNIVERSAL", "ZUR_TAG_APPLICATION", "ZUR_TAG_CONTEXT",
                                        "ZUR_TAG_PRIVATE"};
  return std::string(classes[tag >> 14]) + " | " + str(ZUR_TAG_NUMBER(tag));
}

bool isArray(uint32_t kind) { return kind == KIND_SEQOF_PTR_ARRAY || kind == KIND_SETOF_PTR_ARRAY; }

class Writer {
 public:
  Writer(const Model &model, const Layout &layout, const Tables &tables, const std::string &prefix)
      : model_(model), layout_(layout), tables_(tables), prefix_(prefix), c_(nameCTypes(model, layout, prefix)) {
    for (const CType &c : c_.types)
      if (!c.name.empty()) macroNames_.insert(c.name);
    macroNames_.insert(c_.tables);
  }

  std::vector<GeneratedFile> run() {
    std::vector<GeneratedFile> files;
    for (uint32_t m = 0; m < model_.modules.size(); ++m)
      files.push_back({file(m, ".h"), header(m)});
    if (!model_.modules.empty()) files.push_back({file(0, ".c"), source()});
    return files;
  }

 private:
  const CType &ct(CtlType t) const { return c_.types[t]; }

  std::string file(uint32_t module, const char *extension) const {
    return prefixed(prefix_, model_.modules[module]) + extension;
  }

  // A name of the .c file's own: prefixed too, so that two sets' sources
  // also share one translation unit (unity builds).
  std::string local(const std::string &name) const { return prefixed(prefix_, name); }

  // ---- the header of one module

  std::string header(uint32_t module) {
    const std::string guard = prefixed(prefix_, "ZURASN1_" + c_.moduleNames[module] + "_H");
    std::string h = "/* " + file(module, ".h") + ": the values of the ASN.1 module " +
                    model_.modules[module] + ", made by " + std::string(version()) +
                    " (docs/zurasn1.md). */\n";
    h += "#ifndef " + guard + "\n#define " + guard + "\n\n";
    h += "#include \"zurbase/codec_tables.h\"\n#include \"zurbase/values.h\"\n";
    for (uint32_t other : c_.includes[module]) h += "#include \"" + file(other, ".h") + "\"\n";
    h += "\n#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n";
    h += "/* The tables of the modules compiled together with this one. */\n";
    h += "extern const ZurTables " + c_.tables + ";\n";
    if (c_.headerOf[module] == module) {
      for (CtlType t : c_.declarations)
        if (c_.headerOf[ct(t).module] == module) h += "\n" + declaration(t);
    }
    h += macros(module);
    h += "\n#ifdef __cplusplus\n}\n#endif\n\n#endif\n";
    return h;
  }

  std::string declaration(CtlType t) {
    const TypeLayout &l = layout_.types[t];
    const CType &c = ct(t);
    if (!c.isStruct) return "typedef " + (l.original != t ? ct(l.original).expr : std::string(scalarCTypeOfKind(l.kind))) + " " + c.name + ";\n";
    std::string d = "typedef struct " + c.name + " " + c.name + ";\nstruct " + c.name + " {\n";
    if (isArray(l.kind)) {
      d += "  uint32_t count;\n  " + c_.memberDeclaration(l.element, true, "value") + ";\n";
    } else if (l.kind == KIND_CHOICE) {
      d += "  int32_t choice;  /* the alternative from 1; 0: an unknown extension */\n  union {\n";
      for (std::size_t i = 0; i < l.members.size(); ++i)
        d += "    " + c_.memberDeclaration(l.members[i].type, l.members[i].byPointer, memberName(l.members[i], i)) + ";\n";
      d += "  } u;\n";
    } else {
      d += l.lenSize <= 4 ? "  uint" + str(8 * l.lenSize) + "_t mask;\n" : "  uint8_t mask[" + str(l.lenSize) + "];\n";
      for (std::size_t i = 0; i < l.members.size(); ++i)
        d += "  " + c_.memberDeclaration(l.members[i].type, l.members[i].byPointer, memberName(l.members[i], i)) + ";\n";
    }
    return d + "};\n";
  }

  // PDU numbers, presence bits, alternatives and named numbers of the
  // module's types. A macro that would name a declared type (Msg_PDU of Msg
  // beside an assigned Msg-PDU), an earlier macro, or a name of the included
  // headers (SLOT_PRINT_PDU of SLOT-PRINT) gets "_" behind it.
  std::string macros(uint32_t module) {
    auto define = [&](std::string &out, std::string name, const std::string &value) {
      while (libraryDeclares(name) || !macroNames_.insert(name).second) name += "_";
      out += "#define " + name + " " + value + "\n";
    };
    std::string pdus, more;
    for (std::size_t p = 0; p < model_.pdus.size(); ++p)
      if (model_.pdus[p].module == module) define(pdus, ct(layout_.pduTypes[p]).name + "_PDU", str(p + 1));
    for (CtlType t = 0; t < model_.types.size(); ++t) {
      const CType &c = ct(t);
      if (c.module != module || c.macroPrefix.empty()) continue;
      const TypeLayout &l = layout_.types[t];
      for (std::size_t i = 0; i < l.members.size(); ++i) {
        const MemberLayout &m = l.members[i];
        const std::string name = c.macroPrefix + "_" + memberName(m, i);
        if (l.kind == KIND_CHOICE) {
          define(more, name + "_CHOSEN", str(i + 1));
        } else if (m.presenceBit >= 0 && l.lenSize <= 4) {
          define(more, name + "_PRESENT", hexLiteral(uint64_t{1} << (8 * l.lenSize - 1 - m.presenceBit)));
        } else if (m.presenceBit >= 0) {
          define(more, name + "_PRESENT_BYTE", str(m.presenceBit / 8));
          define(more, name + "_PRESENT_BIT", hexLiteral(0x80u >> m.presenceBit % 8));
        }
      }
      for (const NamedNumber &n : model_.types[t].named)
        define(more, c.macroPrefix + "_" + cIdentifier(n.name), int64Literal(n.value));
    }
    std::string out;
    if (!pdus.empty()) out += "\n/* PDU numbers */\n" + pdus;
    if (!more.empty()) out += "\n/* Presence bits (in mask), alternatives (choice), named numbers and bits */\n" + more;
    return out;
  }

  // ---- the tables

  std::string source() {
    std::string s = "/* " + file(0, ".c") + ": the control table and codec tables of the ASN.1 modules";
    for (const std::string &m : model_.modules) s += " " + m;
    s += ", made by " + std::string(version()) + " (docs/zurasn1.md). */\n";
    s += "#include <stddef.h>\n";
    std::string body;
    images(body);
    s += needsMath_ ? "#include <math.h>\n" : "";
    for (uint32_t m = 0; m < model_.modules.size(); ++m) s += "#include \"" + file(m, ".h") + "\"\n";
    s += "\nZURBASE_STATIC_ASSERT(ZUR_TABLES_VERSION == " + str(ZUR_TABLES_VERSION) +
         ", \"tables made for codec tables version " + str(ZUR_TABLES_VERSION) + "\");\n";
    s += body;
    s += controlTable();
    s += codecTables();
    const CtlTbl &ctl = tables_.tables.ctl;
    std::string magic;
    for (uint8_t b : ctl.reserved0) magic += (magic.empty() ? "" : ", ") + hexLiteral(b);
    s += "\nconst ZurTables " + c_.tables + " = {\n    {{" + magic + "}, " + str(ctl.flags) + ", " +
         str(ctl.pduCount) + ", 0, " + pduArray_ + ", " + local("zur_types") + ", " + fieldArray_ + ", " + local("zur_info") +
         "},\n    &" + local("zur_codec") + "};\n";
    return s;
  }

  // Writes `static const <type> <name>[] = {...};` and returns the name, or
  // returns "0" for no entries (C has no empty arrays).
  template <class T, class F>
  std::string array(std::string &out, const char *type, const char *unprefixed, const std::vector<T> &v, F entry) {
    if (v.empty()) return "0";
    const std::string name = local(unprefixed);
    out += "\nstatic const " + std::string(type) + " " + name + "[] = {\n";
    for (std::size_t i = 0; i < v.size(); ++i) out += "    " + entry(v[i], i) + ",\n";
    out += "};\n";
    return name;
  }

  std::string controlTable() {
    std::string s;
    pduArray_ = array(s, "uint16_t", "zur_pdu_types", tables_.pduTypes,
                      [](uint16_t t, std::size_t) { return str(t); });
    array(s, "TypeDesc", "zur_types", tables_.types, [&](const TypeDesc &d, std::size_t i) { return typeDesc(d, i); });
    fieldArray_ = array(s, "FieldDesc", "zur_fields", tables_.fields,
                        [&](const FieldDesc &f, std::size_t i) { return fieldDesc(f, i); });
    array(s, "ApiWord", "zur_info", tables_.infoNames, [](const std::string &name, std::size_t i) {
      return i == 0 ? std::string("0") : "(ApiWord)" + cString(name);
    });
    return s;
  }

  // "/* 12 */ {...}": the index, for readers who follow a ref.
  std::string typeDesc(const TypeDesc &d, std::size_t i) {
    const TypeLayout &l = layout_.types[i];
    const std::string &expr = ct(static_cast<CtlType>(i)).expr;
    const std::string count = isArray(l.kind) ? "(int32_t)sizeof(" + ct(l.element).expr + ")" : std::to_string(d.count);
    std::string dataOffset = "0";
    if (isArray(l.kind))
      dataOffset = "offsetof(" + expr + ", value)";
    else if (d.dataOffset != 0)
      dataOffset = "offsetof(" + std::string(scalarCTypeOfKind(l.kind)) + ", value)";
    return "/* " + str(i) + " */ {" + std::to_string(d.maxLen) + ", 0, 0, " + (d.name != nullptr ? cString(d.name) : "0") +
           ", sizeof(" + expr + "), " + count + ", " + str(d.lenSize) + ", " + dataOffset + ", " +
           flagNames(d.typeFlags, {{TYPE_BY_POINTER, "TYPE_BY_POINTER"}}) + ", " + str(d.ref) + ", " +
           kindName(d.kind) + ", 0}";
  }

  std::string fieldDesc(const FieldDesc &f, std::size_t i) {
    const auto [owner, member] = tables_.fieldOwners[i];
    const TypeLayout &l = layout_.types[owner];
    const std::string place = l.kind == KIND_CHOICE ? "u" : memberName(l.members[member], member);
    return "/* " + str(i) + " */ {offsetof(" + ct(owner).expr + ", " + place + "), " + str(f.type) + ", " + std::to_string(f.presenceBit) +
           ", " + str(f.nameIdx) + ", " +
           flagNames(f.fieldFlags, {{FIELD_OPTIONAL, "FIELD_OPTIONAL"}, {FIELD_NAMED, "FIELD_NAMED"}, {FIELD_DEFAULT, "FIELD_DEFAULT"}}) +
           ", 0}";
  }

  std::string codecTables() {
    std::string s;
    const Tables &t = tables_;
    const std::string types = array(s, "ZurType", "zur_codec_types", t.codecTypes, [](const ZurType &z, std::size_t) {
      return "{" + std::string(builtinName(z.builtin)) + ", " +
             flagNames(z.flags, {{ZUR_T_EXTENSIBLE, "ZUR_T_EXTENSIBLE"}, {ZUR_T_NAMED_BITS, "ZUR_T_NAMED_BITS"}, {ZUR_T_OWN_TAG, "ZUR_T_OWN_TAG"}, {ZUR_T_BY_POINTER, "ZUR_T_BY_POINTER"}}) + ", " +
             str(z.tagCount) + ", " + str(z.identifier) + ", " + str(z.firstTag) + ", " + str(z.matchCount) + ", " + str(z.firstMatch) + ", " +
             str(z.valueRange) + ", " + str(z.sizeRange) + ", " + str(z.alphabet) + ", " + str(z.order) + ", " +
             str(z.named) + ", " + str(z.openType) + ", " + tagName(z.startTag) + ", " + str(z.presence) + "}";
    });
    const std::string components = array(s, "ZurComponent", "zur_components", t.components, [](const ZurComponent &z, std::size_t) {
      return "{" +
             flagNames(z.flags, {{ZUR_C_OPTIONAL, "ZUR_C_OPTIONAL"}, {ZUR_C_DEFAULT, "ZUR_C_DEFAULT"}, {ZUR_C_EXTENSION, "ZUR_C_EXTENSION"}, {ZUR_C_BRACKET, "ZUR_C_BRACKET"}}) +
             ", " + str(z.identifier) + ", " + str(z.addition) + ", " + str(z.defaultValue) + "}";
    });
    // Here and in zur_named, "{" + text would draw GCC 12's false -Wrestrict
    // warning at -O3; appending to a string says the same.
    const std::string tags = array(s, "ZurTag", "zur_tags", t.tags, [](const ZurTag &z, std::size_t) {
      return std::string("{").append(tagName(z.tag)) + ", " + flagNames(z.flags, {{ZUR_TAG_EXPLICIT, "ZUR_TAG_EXPLICIT"}}) + "}";
    });
    auto rangeFlags = [](uint32_t f) {
      return flagNames(f, {{ZUR_R_LOWER, "ZUR_R_LOWER"}, {ZUR_R_UPPER, "ZUR_R_UPPER"}, {ZUR_R_EXTENSIBLE, "ZUR_R_EXTENSIBLE"},
                            {ZUR_R_GAPS, "ZUR_R_GAPS"}});
    };
    const std::string ranges = array(s, "ZurRange", "zur_ranges", t.ranges, [&](const ZurRange &r, std::size_t) {
      return "{" + int64Literal(r.lower) + ", " + int64Literal(r.upper) + ", " + rangeFlags(r.flags) + ", " + str(r.gaps) + "}";
    });
    const std::string sizes = array(s, "ZurSize", "zur_sizes", t.sizes, [&](const ZurSize &z, std::size_t) {
      return "{" + unsignedLiteral(z.lower) + ", " + unsignedLiteral(z.upper) + ", " + rangeFlags(z.flags) + ", " +
             str(z.gaps) + "}";
    });
    const std::string alphabets = array(s, "ZurAlphabet", "zur_alphabets", t.alphabets, [&](const ZurAlphabet &a, std::size_t) {
      return "{" + str(a.rangeCount) + ", " + str(a.firstRange) + ", " + rangeFlags(a.flags) + "}";
    });
    const std::string charRanges = array(s, "uint32_t", "zur_char_ranges", t.charRanges,
                                         [](uint32_t c, std::size_t) { return unsignedLiteral(c); });
    const std::string enums = array(s, "ZurEnum", "zur_enums", t.enums, [](const ZurEnum &e, std::size_t) {
      return "{" + str(e.rootCount) + ", " + str(e.extCount) + ", " + str(e.firstValue) + "}";
    });
    const std::string enumValues = array(s, "int32_t", "zur_enum_values", t.enumValues,
                                         [](int32_t v, std::size_t) { return int32Literal(v); });
    const std::string named = array(s, "ZurNamed", "zur_named", t.named, [](const ZurNamed &n, std::size_t) {
      return std::string("{").append(n.name != nullptr ? cString(n.name) : std::string("0")) + ", " + int64Literal(n.value) + "}";
    });
    const std::string order = array(s, "uint16_t", "zur_order", t.order, [](uint16_t v, std::size_t) { return str(v); });
    const std::string defaults = array(s, "void *const", "zur_defaults", t.defaults, [&](const void *, std::size_t i) {
      return i == 0 ? std::string("0") : "&" + local("zur_default" + str(i));
    });
    const std::string openTypes = array(s, "ZurOpenType", "zur_open_types", t.openTypes, [&](const ZurOpenType &o, std::size_t) {
      return "{" + str(o.up) + ", " + str(o.pathLength) + ", " + str(o.firstPath) + ", " + str(o.objectCount) + ", " +
             str(o.firstObject) + ", " + rangeFlags(o.flags) + "}";
    });
    const std::string paths = array(s, "uint16_t", "zur_paths", t.paths, [](uint16_t v, std::size_t) { return str(v); });
    const std::string objects = array(s, "ZurObject", "zur_objects", t.objects, [&](const ZurObject &o, std::size_t i) {
      return "{&" + local("zur_object_id" + str(i)) + ", " + str(o.alternative) + ", " + str(o.type) + "}";
    });
    const std::string presences = array(s, "ZurPresence", "zur_presences", t.presences, [](const ZurPresence &p, std::size_t) {
      return "{" + hexLiteral(p.components) + ", " + hexLiteral(p.additions) + ", " + str(p.rootBits) + "}";
    });
    s += "\nstatic const ZurCodecTbl " + local("zur_codec") + " = {\n    " + str(t.codecTypes.size()) + ", " + str(t.components.size()) + ", " +
         types + ", " + components + ", " + tags + ",\n    " + ranges + ", " + sizes + ", " + alphabets + ", " + charRanges +
         ", " + enums + ", " + enumValues + ",\n    " + named + ", " + order + ", " + defaults + ", " + openTypes + ", " +
         paths + ", " + objects + ", " + presences + "};\n";
    return s;
  }

  // ---- values: DEFAULT values and the ids of objects

  void images(std::string &out) {
    for (std::size_t i = 1; i < tables_.defaultImages.size(); ++i) {
      const Image &image = tables_.defaultImages[i];
      const std::string init = initializer(image, out);
      out += "static const " + ct(image.type).expr + " " + local("zur_default" + str(i)) + " = " + init + ";\n";
    }
    for (std::size_t i = 0; i < tables_.objectIds.size(); ++i) {
      const Image &image = tables_.objectIds[i];
      const std::string init = initializer(image, out);
      out += "static const " + ct(image.type).expr + " " + local("zur_object_id" + str(i)) + " = " + init + ";\n";
    }
    if (!out.empty()) out = "\n" + out;
  }

  // A static array of the data behind a value's address, written to `out`;
  // the initializer of the (length, address) pair.
  template <class T>
  std::string data(std::string &out, const char *type, uint64_t length, const std::vector<T> &items) {
    if (items.empty()) return "{" + str(length) + ", 0}";
    const std::string name = local("zur_data" + str(dataCount_++));
    out += "static const " + std::string(type) + " " + name + "[] = {";
    for (std::size_t i = 0; i < items.size(); ++i)
      out += (i == 0 ? "" : ", ") + (sizeof(T) == 1 ? hexLiteral(items[i]) : str(items[i]));
    out += "};\n";
    return "{" + str(length) + ", (" + type + " *)" + name + "}";
  }

  std::string realLiteral(double v) {
    if (std::isnan(v) || std::isinf(v)) {
      needsMath_ = true;
      return std::isnan(v) ? "NAN" : v > 0 ? "HUGE_VAL" : "(-HUGE_VAL)";
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%a", v);
    return buf;
  }

  std::string pointerTo(const Image &image, std::string &out) {
    const std::string init = initializer(image, out);
    const std::string name = local("zur_data" + str(dataCount_++));
    out += "static const " + ct(image.type).expr + " " + name + " = " + init + ";\n";
    return "(" + c_.memberDeclaration(image.type, true, "") + ")&" + name;
  }

  std::string initializer(const Image &image, std::string &out) {
    const TypeLayout &l = layout_.types[image.type];
    switch (l.kind) {
      case KIND_BOOLEAN:
      case KIND_NULL:
        return str(static_cast<uint64_t>(image.integer));
      case KIND_INTEGER:
        return int64Literal(image.integer);
      case KIND_ENUMERATED:
        return int32Literal(static_cast<int32_t>(image.integer));
      case KIND_REAL:
        return realLiteral(image.real);
      case KIND_BITS_PTR:
        return data(out, "uint8_t", image.bitCount, image.octets);
      case KIND_OCTETS_PTR:
      case KIND_OCTETS_PTR2:
      case KIND_OID_ENCODED:
        return data(out, "uint8_t", image.octets.size(), image.octets);
      case KIND_CHARS_PTR:
        return "{" + str(image.octets.size()) + ", (char *)" +
               cString(std::string(image.octets.begin(), image.octets.end())) + "}";
      case KIND_BMP_STRING:
        return data(out, "uint16_t", image.units.size(), image.units);
      case KIND_UNIVERSAL_STRING:
      case KIND_OID_PTR:
        return data(out, "uint32_t", image.units.size(), image.units);
      case KIND_UTC_TIME:
      case KIND_GENERALIZED_TIME: {
        const TimeValue &t = image.time;
        return "{" + std::to_string(t.year) + ", " + std::to_string(t.month) + ", " + std::to_string(t.day) + ", " +
               std::to_string(t.hour) + ", " + std::to_string(t.minute) + ", " + std::to_string(t.second) + ", " +
               std::to_string(t.millisec) + ", " + std::to_string(t.mindiff) + ", " + std::to_string(t.utc) + "}";
      }
      case KIND_ENCODED:  // EncodedValue: a word not read, then the length and the octets
        return "{0, " + data(out, "unsigned char", image.octets.size(), image.octets).substr(1);
      case KIND_CHOICE: {
        const std::size_t k = image.choice - 1;
        const MemberLayout &m = l.members[k];
        const std::string value = m.byPointer ? pointerTo(image.members[0], out) : initializer(image.members[0], out);
        return "{" + str(image.choice) + ", {." + memberName(m, k) + " = " + value + "}}";
      }
      default:
        break;
    }
    if (isArray(l.kind)) {
      if (image.elements.empty()) return "{0, 0}";
      std::string elements;
      for (const Image &e : image.elements) elements += (elements.empty() ? "" : ", ") + initializer(e, out);
      const std::string name = local("zur_data" + str(dataCount_++));
      out += "static const " + ct(l.element).expr + " " + name + "[] = {" + elements + "};\n";
      return "{" + str(image.elements.size()) + ", (" + c_.memberDeclaration(l.element, true, "") + ")" + name + "}";
    }
    // SEQUENCE, SET: the mask, then every member
    std::vector<uint8_t> mask(l.lenSize, 0);
    for (std::size_t i = 0; i < l.members.size(); ++i)
      if (image.present[i] && l.members[i].presenceBit >= 0)
        mask[l.members[i].presenceBit / 8] |= static_cast<uint8_t>(0x80 >> l.members[i].presenceBit % 8);
    std::string init;
    if (l.lenSize <= 4) {
      uint64_t word = 0;
      for (uint8_t b : mask) word = word << 8 | b;
      init = "{" + hexLiteral(word);
    } else {
      init = "{{";
      for (std::size_t i = 0; i < mask.size(); ++i) init += (i == 0 ? "" : ", ") + hexLiteral(mask[i]);
      init += "}";
    }
    for (std::size_t i = 0; i < l.members.size(); ++i) {
      const Image &m = image.members[i];
      if (m.absent)
        init += l.members[i].byPointer ? ", 0" : ", {0}";
      else
        init += ", " + (l.members[i].byPointer ? pointerTo(m, out) : initializer(m, out));
    }
    return init + "}";
  }

  const Model &model_;
  const Layout &layout_;
  const Tables &tables_;
  const std::string prefix_;
  CNames c_;
  std::set<std::string> macroNames_;  // declared types' names and the macros defined so far
  std::string pduArray_, fieldArray_;
  std::size_t dataCount_ = 0;
  bool needsMath_ = false;
};

}  // namespace

std::vector<GeneratedFile> generateC(const Model &model, const Layout &layout, const Tables &tables,
                                     const std::string &prefix) {
  return Writer(model, layout, tables, prefix).run();
}

}  // namespace zurasn1
