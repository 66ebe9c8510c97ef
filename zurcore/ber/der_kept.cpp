// Kept octets of an open type (from a BER decode, or set by the application)
// written under DER. Their type is unknown, but what DER says of every
// element can still be done: lengths definite and minimal, and strings of
// UNIVERSAL tags in one primitive segment. The rest of DER depends on the
// type (SET order, BOOLEAN octets) and stays as the octets have it.
//
// Written without recursion, since the octets may nest as deep as they are
// long: a forward pass reads the headers into nodes in document order and
// adds up each node's new length; writing the nodes last first then puts
// every node's header after (in front of) its contents.
#include <cstring>

#include "ber_encoder.h"
#include "header.h"
#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

enum class Role : uint8_t {
  kPrimitive,    // contents and header
  kConstructed,  // header over its children
  kString,       // a constructed string joined: one primitive header
  kSegment,      // a primitive segment of a joined string: contents only
  kSegments,     // a constructed segment: nothing of its own
};

struct KeptNode {
  uint32_t contentsAt;  // of a primitive node, past a segment's unused-bits octet
  uint32_t length;      // contents as written
  uint32_t parent;
  uint32_t string;      // a segment's joined string
  uint32_t end;         // where the contents end (indefinite: where the parent's do)
  uint16_t tag;
  Role role;
  bool indefinite;
  uint8_t unused;       // a joined BIT STRING's unused bits: its last segment's
};

constexpr uint32_t kNone = UINT32_MAX;
constexpr uint16_t kBitStringTag = 3, kOctetStringTag = 4;

std::size_t headerSize(uint16_t tag, std::size_t length) {
  std::size_t n = 2;
  if ((tag & 0x3FFFu) >= 0x1F)
    for (unsigned number = tag & 0x3FFFu; number != 0; number >>= 7) ++n;
  if (length >= 0x80)
    for (; length != 0; length >>= 8) ++n;
  return n;
}

// The contents of a node as written: a joined BIT STRING's begin with its
// unused bits.
std::size_t contentsSize(const KeptNode &c) {
  return c.length + (c.role == Role::kString && c.tag == kBitStringTag ? 1 : 0);
}

// The octets a node adds to its parent's contents.
std::size_t writtenSize(const KeptNode &c) {
  if (c.role == Role::kSegment || c.role == Role::kSegments) return c.length;
  return headerSize(c.tag, contentsSize(c)) + contentsSize(c);
}

}  // namespace

bool Encoder::growKeptNodes(uint32_t need) {
  const uint64_t bytes = uint64_t{need} * sizeof(KeptNode);
  if (bytes <= scratch_.sliceBytes) return true;
  unsigned char *block = nullptr;
  uint32_t size = scratch_.sliceBytes;
  if (!growBlock(env_, block, size, bytes, limit_ * 2))
    return fail(ROW_ALLOCATION_FAILED, ReportArg::of(static_cast<int64_t>(bytes)));
  if (scratch_.slices != nullptr) {
    std::memcpy(block, scratch_.slices, scratch_.sliceBytes);
    env_->memFree(scratch_.slices);
  }
  scratch_.slices = block;
  scratch_.sliceBytes = size;
  return true;
}

bool Encoder::putKeptAsDer(const unsigned char *in, std::size_t n) {
  Header first;
  HeaderFault fault;
  // Most kept values (names' attribute values, NULL parameters) are one
  // primitive element with a DER length: they go out as they are.
  if (readHeader(in, 0, n, n, true, first, fault) && !first.constructed && first.size + first.length == n)
    return putOctets(in, n);
  uint32_t count = 0, cur = kNone;
  std::size_t pos = 0;
  auto nodes = [this] { return reinterpret_cast<KeptNode *>(scratch_.slices); };
  // A node's contents are done: its size goes to its parent's length.
  auto close = [&](uint32_t k) {
    const KeptNode &c = nodes()[k];
    if (c.parent != kNone) nodes()[c.parent].length += static_cast<uint32_t>(writtenSize(c));
    return c.parent;
  };
  do {
    while (cur != kNone) {  // close what ends here
      const KeptNode &c = nodes()[cur];
      if (c.indefinite) {
        if (pos + 2 > c.end || in[pos] != 0 || in[pos + 1] != 0) break;
        pos += 2;
      } else if (pos != c.end) {
        break;
      }
      cur = close(cur);
    }
    if (cur == kNone && count != 0) break;
    const std::size_t limit = cur == kNone ? n : nodes()[cur].end;
    Header h;
    HeaderFault fault;
    if (pos >= limit || in[pos] == 0 || !readHeader(in, pos, limit, n, false, h, fault) ||
        (!h.definite && !h.constructed))
      return fail(ROW_MISENCODED);
    if (!growKeptNodes(count + 1)) return false;
    const Role outer = cur == kNone ? Role::kConstructed : nodes()[cur].role;
    const bool inString = outer == Role::kString || outer == Role::kSegments;
    KeptNode node{};
    node.string = outer == Role::kString ? cur : inString ? nodes()[cur].string : kNone;
    const bool bits = inString && nodes()[node.string].tag == kBitStringTag;
    // Segments are OCTET STRINGs, but those of a BIT STRING.
    if (inString && h.tag != (bits ? kBitStringTag : kOctetStringTag)) return fail(ROW_MISENCODED);
    node.parent = cur;
    node.tag = h.tag;
    node.indefinite = !h.definite;
    pos += h.size;
    if (h.constructed) {
      node.role = inString ? Role::kSegments : isUniversalStringTag(h.tag) ? Role::kString : Role::kConstructed;
      node.end = static_cast<uint32_t>(h.definite ? pos + h.length : limit);
      nodes()[count] = node;
      cur = count++;
      continue;
    }
    node.role = inString ? Role::kSegment : Role::kPrimitive;
    node.contentsAt = static_cast<uint32_t>(pos);
    node.length = h.length;
    if (bits) {
      // Only the last segment may leave bits unused, and an empty one none.
      KeptNode &string = nodes()[node.string];
      if (h.length == 0 || string.unused != 0 || in[pos] > 7 || (h.length == 1 && in[pos] != 0))
        return fail(ROW_MISENCODED);
      string.unused = in[pos];
      ++node.contentsAt;
      --node.length;
    }
    pos += h.length;
    nodes()[count] = node;
    close(count++);
  } while (cur != kNone);
  if (pos != n) return fail(ROW_MISENCODED);

  if (!reserve(writtenSize(nodes()[0]))) return false;
  for (uint32_t k = count; k-- != 0;) {
    const KeptNode &c = nodes()[k];
    switch (c.role) {
      case Role::kSegment:
      case Role::kPrimitive:
        out_.put(in + c.contentsAt, c.length);
        if (c.role == Role::kPrimitive && !out_.header(c.tag, false, c.length)) return failWriter();
        break;
      case Role::kString:
        if (c.tag == kBitStringTag) out_.put(c.unused);
        if (!out_.header(c.tag, false, contentsSize(c))) return failWriter();
        break;
      case Role::kConstructed:
        if (!out_.header(c.tag, true, c.length)) return failWriter();
        break;
      case Role::kSegments:
        break;
    }
  }
  return true;
}

}  // namespace zurcore
