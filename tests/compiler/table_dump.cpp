#include "tests/compiler/table_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "zurcore/codec/raw_access.h"

namespace zurtest {

using zurcore::load;

namespace {

std::string hex(const void *data, std::size_t n) {
  if (data == nullptr) return n == 0 ? "''H" : "null";
  std::string out = "'";
  char buf[4];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", static_cast<const unsigned char *>(data)[i]);
    out += buf;
  }
  return out + "'H";
}

std::string text(const char *s) { return s == nullptr ? "null" : "\"" + std::string(s) + "\""; }

std::string dump(const CtlTbl &ctl, uint16_t type, const unsigned char *p);

std::string member(const CtlTbl &ctl, const FieldDesc &f, const unsigned char *s) {
  const unsigned char *at = s + f.offset;
  if ((ctl.types[f.type].typeFlags & TYPE_BY_POINTER) == 0) return dump(ctl, f.type, at);
  const auto *held = load<const unsigned char *>(at);
  return held == nullptr ? "null" : "&" + dump(ctl, f.type, held);
}

// Length and data at dataOffset, `unit` bytes a length unit (0: bits).
std::string lengthAndData(const TypeDesc &t, const unsigned char *p, uint32_t unit) {
  const uint32_t n = load<uint32_t>(p);
  const auto *data = load<const unsigned char *>(p + t.dataOffset);
  return std::to_string(n) + ":" + hex(data, unit == 0 ? (n + 7) / 8 : std::size_t{n} * unit);
}

std::string dump(const CtlTbl &ctl, uint16_t type, const unsigned char *p) {
  const TypeDesc &t = ctl.types[type];
  switch (t.kind) {
    case KIND_BOOLEAN:
    case KIND_NULL:
      return std::to_string(*p);
    case KIND_INTEGER:
      return std::to_string(load<int64_t>(p));
    case KIND_ENUMERATED:
      return std::to_string(load<int32_t>(p));
    case KIND_REAL: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", load<double>(p));
      return buf;
    }
    case KIND_BITS_PTR:
      return lengthAndData(t, p, 0);
    case KIND_OCTETS_PTR:
    case KIND_OCTETS_PTR2:
    case KIND_OID_ENCODED:
      return lengthAndData(t, p, 1);
    case KIND_CHARS_PTR: {
      const uint32_t n = load<uint32_t>(p);
      const auto *data = load<const char *>(p + t.dataOffset);
      return std::to_string(n) + ":" + (data == nullptr ? "null" : "\"" + std::string(data, n) + "\"");
    }
    case KIND_BMP_STRING:
      return lengthAndData(t, p, 2);
    case KIND_UNIVERSAL_STRING:
      return lengthAndData(t, p, 4);
    case KIND_OID_PTR: {
      const int16_t n = load<int16_t>(p);
      return std::to_string(n) + ":" + hex(load<const unsigned char *>(p + t.dataOffset), n * 4u);
    }
    case KIND_UTC_TIME:
    case KIND_GENERALIZED_TIME: {
      const auto v = load<TimeValue>(p);
      char buf[80];
      std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d.%d %+d%s", v.year, v.month, v.day, v.hour, v.minute,
                    v.second, v.millisec, v.mindiff, v.utc != 0 ? " Z" : "");
      return buf;
    }
    case KIND_ENCODED: {
      const auto v = load<EncodedValue>(p);
      return std::to_string(v.length) + ":" + hex(v.octets, v.length);
    }
    case KIND_CHOICE: {
      const int32_t choice = load<int32_t>(p);
      if (choice < 1 || choice > t.count) return "choice " + std::to_string(choice);
      const FieldDesc &f = ctl.fields[t.ref + choice - 1];
      return text(ctlComponentName(&ctl, &f)) + ":" + member(ctl, f, p);
    }
    case KIND_SEQOF_PTR_ARRAY:
    case KIND_SETOF_PTR_ARRAY: {
      const uint32_t n = load<uint32_t>(p);
      const auto *elements = load<const unsigned char *>(p + t.dataOffset);
      std::string out = "[";
      for (uint32_t i = 0; i < n; ++i)
        out += (i == 0 ? "" : ", ") + dump(ctl, t.ref, elements + std::size_t{i} * static_cast<uint32_t>(t.count));
      return out + "]";
    }
    case KIND_SEQUENCE:
    case KIND_SET:
    case KIND_SEQUENCE_EXT:
    case KIND_SET_EXT: {
      std::string out = "{mask " + hex(p, t.lenSize);
      for (int32_t i = 0; i < t.count; ++i) {
        const FieldDesc &f = ctl.fields[t.ref + i];
        out += ", " + std::string(ctlComponentName(&ctl, &f)) + " " + member(ctl, f, p);
      }
      return out + "}";
    }
  }
  return "kind " + std::to_string(t.kind);
}

// How many entries of an array the table's records refer to.
template <class Record, class F>
std::size_t extent(const Record *records, std::size_t n, F end) {
  std::size_t e = 0;
  for (std::size_t i = 0; i < n; ++i) e = std::max<std::size_t>(e, end(records[i]));
  return e;
}

// The type of the component that selects an open type's type: up from
// the first type that holds the open type, then down the path.
int parentOf(const CtlTbl &ctl, uint32_t typeCount, uint16_t child) {
  for (uint32_t i = 0; i < typeCount; ++i) {
    const TypeDesc &t = ctl.types[i];
    if (t.kind == KIND_SEQOF_PTR_ARRAY || t.kind == KIND_SETOF_PTR_ARRAY) {
      if (t.ref == child) return static_cast<int>(i);
      continue;
    }
    if (t.kind != KIND_SEQUENCE && t.kind != KIND_SET && t.kind != KIND_SEQUENCE_EXT && t.kind != KIND_SET_EXT &&
        t.kind != KIND_CHOICE)
      continue;
    for (int32_t k = 0; k < t.count; ++k)
      if (ctl.fields[t.ref + k].type == child) return static_cast<int>(i);
  }
  return -1;
}

int referencedType(const CtlTbl &ctl, uint16_t openType, const ZurOpenType &o, const uint16_t *paths) {
  const uint32_t typeCount = zurCodecTables(&ctl)->typeCount;
  int at = parentOf(ctl, typeCount, openType);
  for (uint32_t level = 0; at >= 0 && level < o.up; ++level) at = parentOf(ctl, typeCount, static_cast<uint16_t>(at));
  for (uint32_t k = 0; at >= 0 && k < o.pathLength; ++k) at = ctl.fields[ctl.types[at].ref + paths[o.firstPath + k]].type;
  return at;
}

}  // namespace

std::string dumpValue(const CtlTbl &ctl, uint16_t type, const void *value) {
  return dump(ctl, type, static_cast<const unsigned char *>(value));
}

std::vector<std::string> dumpTables(const ZurTables &tables) {
  std::vector<std::string> out;
  auto line = [&](const std::string &what, std::size_t i, const std::string &fields) {
    out.push_back(what + "[" + std::to_string(i) + "] " + fields);
  };
  auto n = [](auto v) { return std::to_string(v); };
  const CtlTbl &ctl = tables.ctl;
  out.push_back("reserved0 " + hex(ctl.reserved0, sizeof ctl.reserved0) + " flags " + n(ctl.flags) + " pduCount " +
                n(ctl.pduCount));
  for (uint16_t i = 0; i < ctl.pduCount; ++i) line("pduTypes", i, n(ctl.pduTypes[i]));
  const ZurCodecTbl &z = *tables.codec;
  for (uint32_t i = 0; i < z.typeCount; ++i) {
    const TypeDesc &t = ctl.types[i];
    line("types", i,
         "maxLen " + n(t.maxLen) + " name " + text(t.name) + " size " + n(t.size) + " count " + n(t.count) +
             " lenSize " + n(t.lenSize) + " dataOffset " + n(t.dataOffset) + " typeFlags " + n(t.typeFlags) +
             " ref " + n(t.ref) + " kind " + n(t.kind) + " reserved " + n(t.reserved4) + n(t.reserved8) +
             n(t.reserved36));
  }
  for (uint32_t i = 0; i < z.componentCount; ++i) {
    const FieldDesc &f = ctl.fields[i];
    line("fields", i,
         "offset " + n(f.offset) + " type " + n(f.type) + " presenceBit " + n(f.presenceBit) + " name " +
             text(reinterpret_cast<const char *>(ctl.infoTable[f.nameIdx])) + " at " + n(f.nameIdx) + " flags " +
             n(f.fieldFlags) + " reserved " + n(f.reserved11));
  }
  out.push_back("infoTable[0] " + n(ctl.infoTable[0]));
  for (uint32_t i = 0; i < z.typeCount; ++i) {
    const ZurType &t = z.types[i];
    line("codec.types", i,
         "builtin " + n(t.builtin) + " flags " + n(t.flags) + " tags " + n(t.tagCount) + "@" + n(t.firstTag) +
             " match " + n(t.matchCount) + "@" + n(t.firstMatch) + " valueRange " + n(t.valueRange) + " sizeRange " +
             n(t.sizeRange) + " alphabet " + n(t.alphabet) + " order " + n(t.order) + " named " + n(t.named) +
             " openType " + n(t.openType) + " startTag " + n(t.startTag) + " identifier " + n(t.identifier) + " presence " + n(t.presence));
  }
  for (uint32_t i = 0; i < z.componentCount; ++i) {
    const ZurComponent &c = z.components[i];
    std::string value = "none";
    if (c.defaultValue != 0) value = dumpValue(ctl, ctl.fields[i].type, z.defaults[c.defaultValue]);
    line("codec.components", i,
         "flags " + n(c.flags) + " addition " + n(c.addition) + " default " + n(c.defaultValue) + " " + value +
             " identifier " + n(c.identifier));
  }
  const std::size_t tagCount = extent(z.types, z.typeCount, [](const ZurType &t) {
    return std::max(t.firstTag + t.tagCount, t.firstMatch + t.matchCount);
  });
  for (std::size_t i = 0; i < tagCount; ++i) line("tags", i, n(z.tags[i].tag) + " " + n(z.tags[i].flags));
  // Records that others refer to by index: as many as the highest index
  // referred to, for the types of the given builtins.
  auto referred = [&](uint16_t ZurType::*member, std::initializer_list<int> builtins) {
    return extent(z.types, z.typeCount, [&](const ZurType &t) {
      return std::find(builtins.begin(), builtins.end(), t.builtin) != builtins.end() ? t.*member + 1u : 0u;
    });
  };
  const std::initializer_list<int> kStrings = {ZB_BIT_STRING, ZB_OCTET_STRING, ZB_UTF8_STRING, ZB_NUMERIC_STRING,
      ZB_PRINTABLE_STRING, ZB_TELETEX_STRING, ZB_VIDEOTEX_STRING, ZB_IA5_STRING, ZB_GRAPHIC_STRING, ZB_VISIBLE_STRING,
      ZB_GENERAL_STRING, ZB_UNIVERSAL_STRING, ZB_BMP_STRING, ZB_OBJECT_DESCRIPTOR, ZB_SEQUENCE_OF, ZB_SET_OF};
  // A range's gaps follow it.
  const std::size_t ranges = extent(z.types, z.typeCount, [&](const ZurType &t) {
    return t.builtin == ZB_INTEGER && t.valueRange != 0 ? t.valueRange + 1u + z.ranges[t.valueRange].gaps : 0u;
  });
  for (std::size_t i = 0; i < ranges; ++i) {
    const ZurRange &r = z.ranges[i];
    line("ranges", i, n(r.lower) + ".." + n(r.upper) + " flags " + n(r.flags) + " gaps " + n(r.gaps));
  }
  const std::size_t sizes = extent(z.types, z.typeCount, [&](const ZurType &t) {
    return std::find(kStrings.begin(), kStrings.end(), t.builtin) != kStrings.end() && t.sizeRange != 0
               ? t.sizeRange + 1u + z.sizes[t.sizeRange].gaps
               : 0u;
  });
  for (std::size_t i = 0; i < sizes; ++i)
    line("sizes", i,
         n(z.sizes[i].lower) + ".." + n(z.sizes[i].upper) + " flags " + n(z.sizes[i].flags) + " gaps " +
             n(z.sizes[i].gaps));
  std::size_t charRanges = 0;
  for (std::size_t i = 0; i < referred(&ZurType::alphabet, kStrings); ++i) {
    const ZurAlphabet &a = z.alphabets[i];
    line("alphabets", i, n(a.rangeCount) + "@" + n(a.firstRange) + " flags " + n(a.flags));
    charRanges = std::max<std::size_t>(charRanges, 2 * (a.firstRange + a.rangeCount));
  }
  for (std::size_t i = 0; i < charRanges; ++i) line("charRanges", i, n(z.charRanges[i]));
  std::size_t enumValues = 0;
  for (std::size_t i = 0; i < referred(&ZurType::valueRange, {ZB_ENUMERATED}); ++i) {
    const ZurEnum &e = z.enums[i];
    line("enums", i, n(e.rootCount) + "+" + n(e.extCount) + "@" + n(e.firstValue));
    enumValues = std::max<std::size_t>(enumValues, e.firstValue + e.rootCount + e.extCount);
  }
  for (std::size_t i = 0; i < enumValues; ++i) line("enumValues", i, n(z.enumValues[i]));
  std::size_t named = 0;
  for (uint32_t i = 0; i < z.typeCount; ++i)
    if (z.types[i].named != 0)
      named = std::max<std::size_t>(named, z.types[i].named + 1 + z.named[z.types[i].named].value);
  for (std::size_t i = 0; i < named; ++i) line("named", i, text(z.named[i].name) + " " + n(z.named[i].value));
  std::size_t order = 0;
  for (uint32_t i = 0; i < z.typeCount; ++i)
    if (z.types[i].order != 0) order = std::max<std::size_t>(order, z.types[i].order + ctl.types[i].count);
  for (std::size_t i = 0; i < order; ++i) line("order", i, n(z.order[i]));
  for (uint32_t i = 0; i < z.typeCount; ++i) {
    if (z.types[i].openType == 0) continue;
    const ZurOpenType &o = z.openTypes[z.types[i].openType];
    line("openTypes", z.types[i].openType,
         "up " + n(o.up) + " path " + n(o.pathLength) + "@" + n(o.firstPath) + " objects " + n(o.objectCount) + "@" +
             n(o.firstObject) + " flags " + n(o.flags));
    for (uint32_t k = 0; k < o.pathLength; ++k) line("paths", o.firstPath + k, n(z.paths[o.firstPath + k]));
    const int id = referencedType(ctl, static_cast<uint16_t>(i), o, z.paths);
    for (uint32_t k = 0; k < o.objectCount; ++k) {
      const ZurObject &object = z.objects[o.firstObject + k];
      line("objects", o.firstObject + k,
           "alternative " + n(object.alternative) + " type " + n(object.type) + " id " +
               (id < 0 ? "?" : dumpValue(ctl, static_cast<uint16_t>(id), object.id)));
    }
  }
  for (std::size_t i = 0; i < referred(&ZurType::presence, {ZB_SEQUENCE}); ++i) {
    const ZurPresence &p = z.presences[i];
    line("presences", i, n(p.components) + " additions " + n(p.additions) + " root " + n(p.rootBits));
  }
  return out;
}

}  // namespace zurtest
