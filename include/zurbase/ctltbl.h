/* zurbase: the compiler-generated control table that describes the
   application's types, as the value printer reads it. */
#ifndef ZURBASE_CTLTBL_H
#define ZURBASE_CTLTBL_H

#include <string.h>

#include "zurbase/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* CtlTbl.flags bits. */
#define CTL_ENUM_AS_INDEX 0x2u
#define CTL_NO_LINK_PER 0x4u
#define CTL_NO_LINK_BER 0x8u

/* One type of the application's ASN.1 module (40 bytes). */
typedef struct TypeDesc {
  int32_t maxLen;       /* bits (kinds 1, 2), characters (22), most octets or -1 (63) */
  uint32_t reserved4;
  uint32_t reserved8;
  const char *name;     /* null: "<anonymous>" */
  uint32_t size;        /* bytes of the value where its parent holds it; float or
                           double for kind 7 (4 or less: float); width of the
                           holding integer for kind 1; one link word for lists */
  /* count, by kind: SEQUENCE and SET (11, 12, 56, 57) the number of components;
     CHOICE (13) the number of alternatives, or 0 or less when the compiler
     leaves it out (the selector is then not bounded above); SEQUENCE OF and
     SET OF arrays (14, 16, 17, 19) the distance in bytes between elements;
     lists (15, 18, 47, 48) and the arc list (27) the size of the element or
     arc in a node. Not read for other kinds. */
  int32_t count;
  uint16_t lenSize;     /* width (1, 2, 4, 8) of the leading integer: the value,
                           selector, presence mask, length or count; arc width
                           for kinds 26 to 28 */
  uint16_t dataOffset;  /* offset of the data (or of its address) in the value or
                           list node */
  uint16_t typeFlags;   /* TYPE_BY_POINTER, TYPE_MAY_DEFER */
  uint16_t ref;         /* first component in fields (SEQUENCE, SET, CHOICE),
                           element type (SEQUENCE OF, SET OF), enumeration pair
                           in infoTable (kinds 6, 58; 0: none) */
  uint32_t kind;        /* enum TypeKind */
  uint32_t reserved36;
} TypeDesc;
ZURBASE_ASSERT_OFFSET(TypeDesc, maxLen, 0);
ZURBASE_ASSERT_OFFSET(TypeDesc, name, 12);
ZURBASE_ASSERT_OFFSET(TypeDesc, size, 16);
ZURBASE_ASSERT_OFFSET(TypeDesc, count, 20);
ZURBASE_ASSERT_OFFSET(TypeDesc, lenSize, 24);
ZURBASE_ASSERT_OFFSET(TypeDesc, dataOffset, 26);
ZURBASE_ASSERT_OFFSET(TypeDesc, typeFlags, 28);
ZURBASE_ASSERT_OFFSET(TypeDesc, ref, 30);
ZURBASE_ASSERT_OFFSET(TypeDesc, kind, 32);
ZURBASE_ASSERT_SIZE(TypeDesc, 40);

/* TypeDesc.typeFlags bits. */
#define TYPE_BY_POINTER 0x1u
#define TYPE_MAY_DEFER 0x2u

/* One component of a SEQUENCE, SET or CHOICE type (12 bytes). */
typedef struct FieldDesc {
  uint32_t offset;      /* offset of the component inside the parent value */
  uint16_t type;        /* type index of the component */
  int16_t presenceBit;  /* bit in the parent's presence mask, 0 = most significant;
                           negative: present when the address word at offset is
                           non-zero */
  uint16_t nameIdx;     /* infoTable index of the component's name */
  uint8_t fieldFlags;   /* FIELD_OPTIONAL, FIELD_NAMED, FIELD_DEFAULT */
  uint8_t reserved11;
} FieldDesc;
ZURBASE_ASSERT_OFFSET(FieldDesc, type, 4);
ZURBASE_ASSERT_OFFSET(FieldDesc, presenceBit, 6);
ZURBASE_ASSERT_OFFSET(FieldDesc, nameIdx, 8);
ZURBASE_ASSERT_OFFSET(FieldDesc, fieldFlags, 10);
ZURBASE_STATIC_ASSERT(sizeof(FieldDesc) == 12, "sizeof FieldDesc");

/* FieldDesc.fieldFlags bits. */
#define FIELD_OPTIONAL 0x1u
#define FIELD_NAMED 0x2u
#define FIELD_DEFAULT 0x8u

/* The control table header: the application's PDUs and types. */
struct CtlTbl {
  uint8_t reserved0[10];
  uint16_t flags;            /* CTL_ENUM_AS_INDEX, CTL_NO_LINK_PER, CTL_NO_LINK_BER */
  uint16_t pduCount;         /* PDU numbers run from 1 to pduCount */
  uint16_t reserved14;
  const uint16_t *pduTypes;  /* type index of each PDU, PDU n at n - 1 */
  const TypeDesc *types;     /* type descriptors by type index */
  const FieldDesc *fields;   /* component records by component index */
  const ApiWord *infoTable;  /* component name addresses and enumeration pairs
                                (count, address of int32_t values) */
};
ZURBASE_ASSERT_OFFSET(CtlTbl, flags, 10);
ZURBASE_ASSERT_OFFSET(CtlTbl, pduCount, 12);
ZURBASE_ASSERT_OFFSET(CtlTbl, pduTypes, 16);
ZURBASE_ASSERT_OFFSET(CtlTbl, types, 20);
ZURBASE_ASSERT_OFFSET(CtlTbl, fields, 24);
ZURBASE_ASSERT_OFFSET(CtlTbl, infoTable, 28);
ZURBASE_ASSERT_SIZE(CtlTbl, 32);

/* Kind codes of TypeDesc.kind. */
enum TypeKind {
  KIND_INTEGER = 0,
  KIND_BITS_IN_INT = 1,
  KIND_BITS_FIXED = 2,
  KIND_BITS_PTR = 3,
  KIND_BITS_INLINE = 4,
  KIND_NULL = 5,
  KIND_ENUMERATED = 6,
  KIND_REAL = 7,
  KIND_BOOLEAN = 8,
  KIND_OCTETS_INLINE = 9,
  KIND_OCTETS_PTR = 10,
  KIND_SEQUENCE = 11,
  KIND_SET = 12,
  KIND_CHOICE = 13,
  KIND_SEQOF_ARRAY = 14,
  KIND_SEQOF_LIST = 15,
  KIND_SEQOF_PTR_ARRAY = 16,
  KIND_SETOF_ARRAY = 17,
  KIND_SETOF_LIST = 18,
  KIND_SETOF_PTR_ARRAY = 19,
  KIND_OCTETS_PTR2 = 20,
  KIND_OCTETS_INLINE2 = 21,
  KIND_CHARS_FIXED = 22,
  KIND_CHARS_INLINE = 23,
  KIND_CHARS_NUL = 24,
  KIND_CHARS_PTR = 25,
  KIND_OID_ARRAY = 26,
  KIND_OID_LIST = 27,
  KIND_OID_PTR = 28,
  KIND_UTC_TIME = 29,
  KIND_GENERALIZED_TIME = 30,
  KIND_SEG_OCTETS_PTR = 31,
  KIND_SEG_OCTETS_INLINE = 32,
  KIND_SEG_BITS_PTR = 33,
  KIND_SEG_BITS_INLINE = 34,
  KIND_SEG_CHARS_INLINE = 35,
  KIND_SEG_CHARS_NUL = 36,
  KIND_SEG_CHARS_PTR = 37,
  KIND_SEG2_OCTETS_PTR = 38,
  KIND_SEG2_OCTETS_INLINE = 39,
  KIND_SEG2_BITS_PTR = 40,
  KIND_SEG2_BITS_INLINE = 41,
  KIND_SEG2_CHARS_INLINE = 42,
  KIND_SEG2_CHARS_NUL = 43,
  KIND_SEG2_CHARS_PTR = 44,
  KIND_SEG_OCTETS_PTR_B = 45,
  KIND_SEG2_OCTETS_PTR_B = 46,
  KIND_SEQOF_LIST2 = 47,
  KIND_SETOF_LIST2 = 48,
  KIND_UNREAD49 = 49,
  KIND_UNREAD50 = 50,
  KIND_ENCODED = 51,
  KIND_UNREAD52 = 52,
  KIND_BMP_STRING = 53,
  KIND_UNIVERSAL_STRING = 54,
  KIND_UNSIGNED = 55,
  KIND_SEQUENCE_EXT = 56,
  KIND_SET_EXT = 57,
  KIND_ENUMERATED_UNSIGNED = 58,
  KIND_REAL_TEXT = 59,
  KIND_MIXED_REAL = 60,
  KIND_UNREAD61 = 61,
  KIND_OCTETS_PTR3 = 62,
  KIND_OID_ENCODED = 63
};


/* Lookups that the value printer makes in a control table. */

#define CTL_ANONYMOUS "<anonymous>"

/* Type of PDU number n, 1 <= n <= pduCount. */
static inline const TypeDesc *ctlPduType(const CtlTbl *ctl, int32_t n) {
  return &ctl->types[ctl->pduTypes[n - 1]];
}

static inline const TypeDesc *ctlType(const CtlTbl *ctl, uint16_t index) {
  return &ctl->types[index];
}

/* Component i (from 0) of a SEQUENCE, SET or CHOICE type. */
static inline const FieldDesc *ctlComponent(const CtlTbl *ctl, const TypeDesc *t, int32_t i) {
  return &ctl->fields[t->ref + i];
}

/* Element type of a SEQUENCE OF or SET OF type. */
static inline const TypeDesc *ctlElementType(const CtlTbl *ctl, const TypeDesc *t) {
  return &ctl->types[t->ref];
}

static inline const char *ctlComponentName(const CtlTbl *ctl, const FieldDesc *c) {
  return (c->fieldFlags & FIELD_NAMED) != 0 ? (const char *)ctl->infoTable[c->nameIdx]
                                            : CTL_ANONYMOUS;
}

static inline const char *ctlTypeName(const TypeDesc *t) {
  return t->name != NULL ? t->name : CTL_ANONYMOUS;
}

/* An ENUMERATED value stored as an index becomes the enumerator's value when
   the table says so and the index lies inside the type's pair; any other
   value stands as stored. */
static inline int64_t ctlMapEnum(const CtlTbl *ctl, const TypeDesc *t, int64_t v) {
  if (t->ref == 0 || (ctl->flags & CTL_ENUM_AS_INDEX) == 0 || v < 0 || v >= 0x100000000LL)
    return v;
  const ApiWord *pair = &ctl->infoTable[t->ref];
  if ((uint64_t)v >= (uint32_t)pair[0]) return v;
  return ((const int32_t *)pair[1])[v];
}

/* Bit bitNo of a presence mask `width` bytes wide; bit 0 is the most
   significant. Masks up to 4 bytes are integers in machine order, wider
   ones byte strings. */
static inline uint8_t ctlMaskBit(const unsigned char *mask, int bitNo, uint16_t width) {
  if (bitNo < 0) return 0;
  if (width > 4) return (uint8_t)((mask[bitNo / 8] >> (7 - bitNo % 8)) & 1);
  uint32_t v;
  if (width < 2) {
    v = mask[0];
  } else if (width < 4) {
    uint16_t h;
    memcpy(&h, mask, 2);
    v = h;
  } else {
    memcpy(&v, mask, 4);
  }
  return (uint8_t)((v >> (8 * width - 1 - bitNo)) & 1);
}

/* Presence of component c in the SEQUENCE or SET value at s: tested only for
   components that may be absent, by the mask bit, or for a negative bit
   number by the address held at the component's place. */
static inline int ctlComponentPresent(const FieldDesc *c, const unsigned char *s,
                                      uint16_t maskWidth, const unsigned char *component) {
  if ((c->fieldFlags & (FIELD_OPTIONAL | FIELD_DEFAULT)) == 0) return 1;
  if (c->presenceBit >= 0) return ctlMaskBit(s, c->presenceBit, maskWidth);
  ApiWord held;
  memcpy(&held, component, sizeof held);
  return held != 0;
}

/* Size of the link words that begin each node of a list or segment value,
   0 for every kind that is not a chain of nodes. */
static inline uint32_t ctlLinkSize(const TypeDesc *t) {
  switch (t->kind) {
    case KIND_SEQOF_LIST:
    case KIND_SETOF_LIST:
    case KIND_OID_LIST:
    case KIND_SEG_OCTETS_PTR:
    case KIND_SEG_OCTETS_INLINE:
    case KIND_SEG_BITS_PTR:
    case KIND_SEG_BITS_INLINE:
    case KIND_SEG_CHARS_INLINE:
    case KIND_SEG_CHARS_NUL:
    case KIND_SEG_CHARS_PTR:
    case KIND_SEG_OCTETS_PTR_B:
      return t->size;
    case KIND_SEG2_OCTETS_PTR:
    case KIND_SEG2_OCTETS_INLINE:
    case KIND_SEG2_BITS_PTR:
    case KIND_SEG2_BITS_INLINE:
    case KIND_SEG2_CHARS_INLINE:
    case KIND_SEG2_CHARS_NUL:
    case KIND_SEG2_CHARS_PTR:
    case KIND_SEG2_OCTETS_PTR_B:
    case KIND_SEQOF_LIST2:
    case KIND_SETOF_LIST2:
      return 2 * t->size;
    default:
      return 0;
  }
}

#ifdef __cplusplus
}
#endif

#endif
