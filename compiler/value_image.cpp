#include "compiler/value_image.h"

#include <cstring>
#include <string>

#include "zurbase/ctltbl.h"

namespace zurasn1 {
namespace {

void appendBase128(std::vector<uint8_t> &out, uint64_t v) {
  uint8_t digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(digits[--n] | 0x80));
  out.push_back(digits[0]);
}

// Fewest two's-complement octets that hold v, most significant first.
std::vector<uint8_t> twosComplement(int64_t v) {
  std::vector<uint8_t> out;
  for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
  std::size_t skip = 0;
  while (skip + 1 < out.size() &&
         ((out[skip] == 0x00 && (out[skip + 1] & 0x80) == 0) ||
          (out[skip] == 0xFF && (out[skip + 1] & 0x80) != 0)))
    ++skip;
  out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(skip));
  return out;
}

void appendUtf8(std::vector<uint8_t> &out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<uint8_t>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<uint8_t>(0xC0 | c >> 6));
    out.push_back(static_cast<uint8_t>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<uint8_t>(0xE0 | c >> 12));
    out.push_back(static_cast<uint8_t>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<uint8_t>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<uint8_t>(0xF0 | c >> 18));
    out.push_back(static_cast<uint8_t>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<uint8_t>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<uint8_t>(0x80 | (c & 0x3F)));
  }
}

// Reads `count` decimal digits at `pos`; false when they are not there.
bool digits(const std::u32string &s, std::size_t &pos, int count, int16_t &out) {
  int v = 0;
  for (int i = 0; i < count; ++i, ++pos) {
    if (pos >= s.size() || s[pos] < U'0' || s[pos] > U'9') return false;
    v = v * 10 + static_cast<int>(s[pos] - U'0');
  }
  out = static_cast<int16_t>(v);
  return true;
}

// UTCTime "YYMMDDhhmm[ss](Z|+hhmm|-hhmm)" with its two-digit year;
// GeneralizedTime "YYYYMMDDhh[mm[ss[.fff]]][Z|+hhmm|-hhmm]", the fraction
// kept to milliseconds. Z sets `utc` for both.
bool parseTime(bool generalized, const std::u32string &s, TimeValue &t) {
  std::size_t pos = 0;
  if (!digits(s, pos, generalized ? 4 : 2, t.year) || !digits(s, pos, 2, t.month) ||
      !digits(s, pos, 2, t.day) || !digits(s, pos, 2, t.hour))
    return false;
  const bool minutesOptional = generalized;
  if (!digits(s, pos, 2, t.minute) && !minutesOptional) return false;
  if (pos < s.size() && s[pos] >= U'0' && s[pos] <= U'9' && !digits(s, pos, 2, t.second))
    return false;
  if (generalized && pos < s.size() && (s[pos] == U'.' || s[pos] == U',')) {
    ++pos;
    int scale = 100, fraction = 0, n = 0;
    for (; pos < s.size() && s[pos] >= U'0' && s[pos] <= U'9'; ++pos, ++n, scale /= 10)
      fraction += static_cast<int>(s[pos] - U'0') * scale;
    if (n == 0) return false;
    t.millisec = static_cast<int16_t>(fraction);
  }
  if (pos < s.size() && s[pos] == U'Z') {
    t.utc = 1;
    ++pos;
  } else if (pos < s.size() && (s[pos] == U'+' || s[pos] == U'-')) {
    const int sign = s[pos++] == U'-' ? -1 : 1;
    int16_t h, m;
    if (!digits(s, pos, 2, h) || !digits(s, pos, 2, m)) return false;
    t.mindiff = static_cast<int16_t>(sign * (h * 60 + m));
  } else if (!generalized) {
    return false;
  }
  return pos == s.size() && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 &&
         t.hour <= 23 && t.minute <= 59 && t.second <= 60;
}

class ImageMaker {
 public:
  ImageMaker(const Model &model, const Layout &layout, const SourcePos &pos, Problems &problems)
      : model_(model), layout_(layout), at_(&pos), problems_(problems) {}

  // A problem with the value itself is reported at the position given with
  // it (its assignment, the component it is the DEFAULT of); one inside it
  // where the innermost value around the problem is written.
  bool make(CtlType type, const Value &value, Image &image) {
    image.type = type;
    const TypeLayout &t = layout_.types[type];
    const Type &model = model_.types[t.model];
    switch (t.kind) {
      case KIND_BOOLEAN:
        return expect(value, Value::Kind::Boolean, model) && (image.integer = value.boolean, true);
      case KIND_NULL:
        return expect(value, Value::Kind::Null, model);
      case KIND_INTEGER:
        return expect(value, Value::Kind::Integer, model) && (image.integer = value.integer, true);
      case KIND_ENUMERATED:
        if (!expect(value, Value::Kind::Enumerated, model)) return false;
        image.integer = value.integer;
        return value.integer >= INT32_MIN && value.integer <= INT32_MAX ? true : fail("an ENUMERATED value beyond 32 bits");
      case KIND_REAL:
        return expect(value, Value::Kind::Real, model) && (image.real = value.real, true);
      case KIND_OCTETS_PTR2:  // huge INTEGER
        if (!expect(value, Value::Kind::Integer, model)) return false;
        image.octets = value.octets.empty() ? twosComplement(value.integer) : value.octets;
        return true;
      case KIND_BITS_PTR:
        if (!expect(value, Value::Kind::BitString, model)) return false;
        image.octets = value.octets;
        image.octets.resize((value.bitCount + 7) / 8);
        image.bitCount = value.bitCount;
        return true;
      case KIND_OCTETS_PTR:
        return expect(value, Value::Kind::OctetString, model) && (image.octets = value.octets, true);
      case KIND_CHARS_PTR:
        return expect(value, Value::Kind::CharString, model) && chars(model, value, image);
      case KIND_BMP_STRING:
      case KIND_UNIVERSAL_STRING:
        if (!expect(value, Value::Kind::CharString, model)) return false;
        for (char32_t c : value.chars) {
          if (t.kind == KIND_BMP_STRING && c > 0xFFFF) return fail("a character beyond 16 bits in a BMPString value");
          image.units.push_back(c);
        }
        return true;
      case KIND_OID_ENCODED: {
        if (!expect(value, Value::Kind::ObjectIdentifier, model)) return false;
        auto contents = oidContents(value.arcs);
        if (!contents) return fail("an OBJECT IDENTIFIER value whose first arcs cannot be encoded");
        image.octets = std::move(*contents);
        return true;
      }
      case KIND_OID_PTR:
        if (!expect(value, Value::Kind::RelativeOid, model)) return false;
        if (value.arcs.size() > 0x7FFF) return fail("a RELATIVE-OID value of more than 32767 arcs");
        for (uint64_t arc : value.arcs) {
          if (arc > UINT32_MAX) return fail("a RELATIVE-OID arc beyond 32 bits");
          image.units.push_back(static_cast<uint32_t>(arc));
        }
        return true;
      case KIND_UTC_TIME:
      case KIND_GENERALIZED_TIME:
        if (!expect(value, Value::Kind::CharString, model)) return false;
        return parseTime(t.kind == KIND_GENERALIZED_TIME, value.chars, image.time)
                   ? true
                   : fail(std::string("a ") + builtinNotation(model.builtin) + " value that is not a valid time");
      case KIND_SEQUENCE:
      case KIND_SET:
      case KIND_SEQUENCE_EXT:
      case KIND_SET_EXT: {
        if (!expect(value, Value::Kind::Sequence, model)) return false;
        const Enclosing in(enclosing_, value, t.model);
        return sequence(t, value, image);
      }
      case KIND_CHOICE: {
        if (model.builtin == Builtin::OpenType) return selected(t, model, value, image);
        if (!expect(value, Value::Kind::Choice, model)) return false;
        const Enclosing in(enclosing_, value, t.model);
        return choice(t, value, image);
      }
      case KIND_SEQOF_PTR_ARRAY:
      case KIND_SETOF_PTR_ARRAY: {
        if (!expect(value, Value::Kind::SequenceOf, model)) return false;
        const Enclosing in(enclosing_, value, t.model);
        for (const ValuePtr &element : value.elements) {
          image.elements.emplace_back();
          if (!inner(t.element, *element, image.elements.back())) return false;
        }
        return true;
      }
      default:  // KIND_ENCODED: only as its encoding, which would otherwise depend on the rules
        if (value.kind != Value::Kind::Encoded) return fail("a value of an open type that no object set selects other than as its encoding ('..'H)");
        image.octets = value.octets;
        return true;
    }
  }

 private:
  bool inner(CtlType type, const Value &value, Image &image) {
    const SourcePos *outer = at_;
    if (value.pos.line != 0) at_ = &value.pos;
    const bool made = make(type, value, image);
    at_ = outer;
    return made;
  }

  // The constructed values around the one being laid out, innermost last,
  // for an open type's link to find the value that selects its type.
  struct Around {
    const Value *value;
    TypeId type;
  };
  struct Enclosing {
    Enclosing(std::vector<Around> &stack, const Value &value, TypeId type) : stack_(stack) {
      stack_.push_back({&value, type});
    }
    ~Enclosing() { stack_.pop_back(); }
    std::vector<Around> &stack_;
  };

  // An open type's value is laid out as the alternative of the object whose
  // id the selecting component holds.
  bool selected(const TypeLayout &t, const Type &type, const Value &value, Image &image) {
    if (value.kind == Value::Kind::Encoded) {  // the last alternative, `encoded`
      image.choice = static_cast<uint32_t>(t.members.size());
      image.members.emplace_back();
      return inner(t.members.back().type, value, image.members.back());
    }
    const OpenTypeLink &link = *type.link;
    if (link.up >= enclosing_.size()) return fail("an open type's value whose selecting component lies outside it");
    Around at = enclosing_[enclosing_.size() - 1 - link.up];
    for (uint32_t step : link.path) {
      const Type &holder = model_.types[at.type];
      const Value *member = nullptr;
      if (step < holder.components.size()) {
        for (const Value::Member &m : at.value->members)
          if (m.name == holder.components[step].name) member = m.value.get();
        if (member == nullptr) member = holder.components[step].defaultValue.get();
      }
      if (member == nullptr) return fail("an open type's value whose selecting component is absent");
      at = {member, holder.components[step].type};
    }
    for (std::size_t j = 0; j < link.objects.size(); ++j) {
      if (!sameValue(*link.objects[j].id, *at.value)) continue;
      image.choice = t.objectAlternatives[j];
      image.members.emplace_back();
      return inner(t.members[image.choice - 1].type, value, image.members.back());
    }
    return fail("an open type's value whose id no object of its set has");
  }

  bool fail(std::string what) {
    problems_.push_back({*at_, "cannot lay out " + what});
    return false;
  }

  bool expect(const Value &value, Value::Kind kind, const Type &type) {
    if (value.kind == kind) return true;
    return fail(std::string("this value as a ") + builtinNotation(type.builtin) + " value");
  }

  // 8-bit strings hold their octets as encoded: UTF-8 for UTF8String, one
  // octet per character for the others.
  bool chars(const Type &type, const Value &value, Image &image) {
    for (char32_t c : value.chars) {
      if (type.builtin == Builtin::Utf8String) {
        appendUtf8(image.octets, c);
      } else if (c > 0xFF) {
        return fail(std::string("a character beyond 8 bits in a ") + builtinNotation(type.builtin) + " value");
      } else {
        image.octets.push_back(static_cast<uint8_t>(c));
      }
    }
    return true;
  }

  bool sequence(const TypeLayout &t, const Value &value, Image &image) {
    for (const MemberLayout &m : t.members) {
      const Value *given = nullptr;
      for (const Value::Member &vm : value.members)
        if (vm.name == m.name) given = vm.value.get();
      image.present.push_back(given != nullptr);
      image.members.emplace_back();
      Image &member = image.members.back();
      if (given == nullptr && m.component->defaultValue) given = m.component->defaultValue.get();
      if (given == nullptr) {
        member.absent = true;
      } else if (!inner(m.type, *given, member)) {
        return false;
      }
    }
    return true;
  }

  bool choice(const TypeLayout &t, const Value &value, Image &image) {
    if (value.members.size() != 1) return fail("a CHOICE value without exactly one alternative");
    for (std::size_t i = 0; i < t.members.size(); ++i) {
      if (t.members[i].name != value.members[0].name) continue;
      image.choice = static_cast<uint32_t>(i + 1);
      image.members.emplace_back();
      return inner(t.members[i].type, *value.members[0].value, image.members.back());
    }
    return fail("a CHOICE value of the unknown alternative " + value.members[0].name);
  }

  const Model &model_;
  const Layout &layout_;
  const SourcePos *at_;
  Problems &problems_;
  std::vector<Around> enclosing_;
};

template <class T>
void put(unsigned char *at, T v) {
  std::memcpy(at, &v, sizeof v);
}

template <class T>
T get(const unsigned char *at) {
  T v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

}  // namespace

bool sameValue(const Value &a, const Value &b) {
  if (a.kind != b.kind || a.boolean != b.boolean || a.integer != b.integer || a.octets != b.octets ||
      a.bitCount != b.bitCount || a.chars != b.chars || a.arcs != b.arcs || a.members.size() != b.members.size() ||
      a.elements.size() != b.elements.size() || !(a.real == b.real || (a.real != a.real && b.real != b.real)))
    return false;
  for (std::size_t i = 0; i < a.members.size(); ++i)
    if (a.members[i].name != b.members[i].name || !sameValue(*a.members[i].value, *b.members[i].value)) return false;
  for (std::size_t i = 0; i < a.elements.size(); ++i)
    if (!sameValue(*a.elements[i], *b.elements[i])) return false;
  return true;
}

std::optional<std::vector<uint8_t>> oidContents(const std::vector<uint64_t> &arcs) {
  if (arcs.size() < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] >= 40) ||
      arcs[1] > UINT64_MAX - 80)
    return std::nullopt;
  std::vector<uint8_t> out;
  appendBase128(out, arcs[0] * 40 + arcs[1]);
  for (std::size_t i = 2; i < arcs.size(); ++i) appendBase128(out, arcs[i]);
  return out;
}

std::optional<Image> makeImage(const Model &model, const Layout &layout, CtlType type,
                               const Value &value, const SourcePos &pos, Problems &problems) {
  Image image;
  if (!ImageMaker(model, layout, pos, problems).make(type, value, image)) return std::nullopt;
  return image;
}

unsigned char *ImageStore::block(std::size_t size) {
  const std::size_t n = (size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
  blocks_.push_back(std::make_unique<std::max_align_t[]>(n == 0 ? 1 : n));
  // Zeroed whole: value-initialising max_align_t may leave the padding
  // behind its long double unset, where a presence mask can lie.
  auto *at = reinterpret_cast<unsigned char *>(blocks_.back().get());
  std::memset(at, 0, (n == 0 ? 1 : n) * sizeof(std::max_align_t));
  return at;
}

const void *ImageStore::place(const Layout &layout, const Image &image) {
  unsigned char *at = block(layout.types[image.type].size);
  write(layout, image, at);
  return at;
}

void ImageStore::write(const Layout &layout, const Image &image, unsigned char *at) {
  const TypeLayout &t = layout.types[image.type];
  // Length and address of data that lies in a block of its own; no data,
  // no address.
  auto data = [&](uint32_t length, const void *source, std::size_t bytes) {
    unsigned char *d = nullptr;
    if (bytes != 0) std::memcpy(d = block(bytes), source, bytes);
    put<uint32_t>(at, length);
    put<void *>(at + t.dataOffset, d);
  };
  switch (t.kind) {
    case KIND_BOOLEAN:
      *at = static_cast<unsigned char>(image.integer);
      break;
    case KIND_INTEGER:
      put<int64_t>(at, image.integer);
      break;
    case KIND_ENUMERATED:
      put<int32_t>(at, static_cast<int32_t>(image.integer));
      break;
    case KIND_REAL:
      put<double>(at, image.real);
      break;
    case KIND_BITS_PTR:
      data(image.bitCount, image.octets.data(), image.octets.size());
      break;
    case KIND_CHARS_PTR: {
      std::vector<uint8_t> withNul = image.octets;
      withNul.push_back(0);
      data(static_cast<uint32_t>(image.octets.size()), withNul.data(), withNul.size());
      break;
    }
    case KIND_OCTETS_PTR:
    case KIND_OCTETS_PTR2:
    case KIND_OID_ENCODED:
      data(static_cast<uint32_t>(image.octets.size()), image.octets.data(), image.octets.size());
      break;
    case KIND_BMP_STRING: {
      std::vector<uint16_t> units(image.units.begin(), image.units.end());
      data(static_cast<uint32_t>(units.size()), units.data(), units.size() * 2);
      break;
    }
    case KIND_UNIVERSAL_STRING:
      data(static_cast<uint32_t>(image.units.size()), image.units.data(), image.units.size() * 4);
      break;
    case KIND_OID_PTR:  // the count is 16 bits wide
      data(0, image.units.data(), image.units.size() * 4);
      put<int16_t>(at, static_cast<int16_t>(image.units.size()));
      break;
    case KIND_UTC_TIME:
    case KIND_GENERALIZED_TIME:
      std::memcpy(at, &image.time, sizeof image.time);
      break;
    case KIND_ENCODED: {
      EncodedValue v{};
      v.length = static_cast<ApiWord>(image.octets.size());
      if (!image.octets.empty())
        v.octets = static_cast<const unsigned char *>(std::memcpy(block(image.octets.size()), image.octets.data(), image.octets.size()));
      std::memcpy(at, &v, sizeof v);
      break;
    }
    case KIND_SEQUENCE:
    case KIND_SET:
    case KIND_SEQUENCE_EXT:
    case KIND_SET_EXT:
      for (std::size_t i = 0; i < t.members.size(); ++i) {
        const MemberLayout &m = t.members[i];
        if (image.present[i] && m.presenceBit >= 0) {
          const int k = m.presenceBit;
          if (t.lenSize > 4) {
            at[k / 8] |= static_cast<unsigned char>(0x80 >> k % 8);
          } else if (t.lenSize == 4) {
            put<uint32_t>(at, get<uint32_t>(at) | uint32_t{1} << (31 - k));
          } else if (t.lenSize == 2) {
            put<uint16_t>(at, static_cast<uint16_t>(get<uint16_t>(at) | 1u << (15 - k)));
          } else {
            *at |= static_cast<unsigned char>(0x80 >> k);
          }
        }
        const Image &member = image.members[i];
        if (member.absent) continue;
        if (m.byPointer)
          put<const void *>(at + m.offset, place(layout, member));
        else
          write(layout, member, at + m.offset);
      }
      break;
    case KIND_CHOICE: {
      const MemberLayout &m = t.members[image.choice - 1];
      put<int32_t>(at, static_cast<int32_t>(image.choice));
      if (m.byPointer)
        put<const void *>(at + m.offset, place(layout, image.members[0]));
      else
        write(layout, image.members[0], at + m.offset);
      break;
    }
    case KIND_SEQOF_PTR_ARRAY:
    case KIND_SETOF_PTR_ARRAY: {
      const uint32_t stride = layout.types[t.element].size;
      unsigned char *elements = image.elements.empty() ? nullptr : block(std::size_t{stride} * image.elements.size());
      for (std::size_t i = 0; i < image.elements.size(); ++i)
        write(layout, image.elements[i], elements + i * stride);
      put<uint32_t>(at, static_cast<uint32_t>(image.elements.size()));
      put<void *>(at + t.dataOffset, elements);
      break;
    }
    default:  // NULL
      break;
  }
}

}  // namespace zurasn1
