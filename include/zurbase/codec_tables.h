/* zurbase: the tables that the module compiler (zurasn1) makes beside the
   control table, and that zurcore's BER/DER and PER codecs walk: tags,
   PER-visible constraints, DEFAULT values, extension additions and the links
   of open types. The format is zurcore's own and changes with
   ZUR_TABLES_VERSION; applications take the tables from zurasn1, in memory or
   as generated C, and never fill them by hand.

   Every array below is indexed from 0, and index 0 of the arrays that other
   records refer to by index (ranges, sizes, alphabets, enums, named,
   openTypes, defaults) is a filler entry, so that 0 means "none". Layout
   facts (offsets, sizes, printer kinds, presence bits) are not repeated here,
   but for ZUR_T_BY_POINTER: the codecs read them from the control table. */
#ifndef ZURBASE_CODEC_TABLES_H
#define ZURBASE_CODEC_TABLES_H

#include "zurbase/ctltbl.h"

#ifdef __cplusplus
extern "C" {
#endif

/* CtlTbl.reserved0 of compiled tables: the magic "zurT", then the version as
   a little-endian 16-bit number; the rest is 0. The codecs refuse a control
   table without the magic (error row 34) or of another version (row 6). */
#define ZUR_TABLES_MAGIC "zurT"
#define ZUR_TABLES_VERSION 4

struct ZurCodecTbl;

/* What zurasn1 makes: the control table, with the codec tables directly
   behind it (the value printer reads nothing beyond the control table). A
   codec given &tables->ctl reaches tables->codec. */
typedef struct ZurTables {
  CtlTbl ctl;
  const struct ZurCodecTbl *codec;
} ZurTables;

/* Built-in types; a universal type carries its universal tag number. */
enum ZurBuiltin {
  ZB_BOOLEAN = 1,
  ZB_INTEGER = 2,
  ZB_BIT_STRING = 3,
  ZB_OCTET_STRING = 4,
  ZB_NULL = 5,
  ZB_OBJECT_IDENTIFIER = 6,
  ZB_OBJECT_DESCRIPTOR = 7,
  ZB_REAL = 9,
  ZB_ENUMERATED = 10,
  ZB_UTF8_STRING = 12,
  ZB_RELATIVE_OID = 13,
  ZB_SEQUENCE = 16,
  ZB_SET = 17,
  ZB_NUMERIC_STRING = 18,
  ZB_PRINTABLE_STRING = 19,
  ZB_TELETEX_STRING = 20,
  ZB_VIDEOTEX_STRING = 21,
  ZB_IA5_STRING = 22,
  ZB_UTC_TIME = 23,
  ZB_GENERALIZED_TIME = 24,
  ZB_GRAPHIC_STRING = 25,
  ZB_VISIBLE_STRING = 26,
  ZB_GENERAL_STRING = 27,
  ZB_UNIVERSAL_STRING = 28,
  ZB_BMP_STRING = 30,
  ZB_CHOICE = 32,
  ZB_SEQUENCE_OF = 33,
  ZB_SET_OF = 34,
  /* ANY, ANY DEFINED BY or a class's type field: the complete encoding of a
     value of some type. Laid out as an encoded value (kind 51) when no
     object set selects its type, else as a CHOICE (kind 13) of the types the
     set names, whose last alternative is the encoded value. */
  ZB_OPEN_TYPE = 35
};

/* Tag classes in the top two bits of ZurTag.tag, as in TagLen.tag. */
#define ZUR_TAG_UNIVERSAL 0x0000u
#define ZUR_TAG_APPLICATION 0x4000u
#define ZUR_TAG_CONTEXT 0x8000u
#define ZUR_TAG_PRIVATE 0xC000u
#define ZUR_TAG_NUMBER(t) ((t) & 0x3FFFu)
#define ZUR_TAG_CLASS(t) ((t) & 0xC000u)

/* One tag: class and number (numbers up to 16383). */
typedef struct ZurTag {
  uint16_t tag;
  /* ZUR_TAG_EXPLICIT: the tag is a constructed wrapper around the encoding
     of the tags behind it. Clear on a type's innermost tag, which is the
     type's own (implicit tagging replaces it). A CHOICE or an open type has
     no tag of its own: all its tags are explicit. */
  uint16_t flags;
} ZurTag;
#define ZUR_TAG_EXPLICIT 0x1u

/* ZurType.flags */
#define ZUR_T_EXTENSIBLE 0x1u  /* SEQUENCE, SET, CHOICE or ENUMERATED with an extension marker */
#define ZUR_T_NAMED_BITS 0x2u  /* BIT STRING with named bits: DER and PER drop trailing 0 bits */
#define ZUR_T_OWN_TAG 0x4u     /* the type has one tag, its own (tagCount 1, not explicit): a BER
                                  decoder reads its contents right behind that tag */
#define ZUR_T_BY_POINTER 0x8u  /* the control table's TYPE_BY_POINTER, repeated so that a decoder
                                  finds how to reach a value in the record it dispatches on */

/* The codec's view of one type; types[i] belongs to the control table's
   types[i] (pointer-held copies of a type have their own entry). */
typedef struct ZurType {
  uint8_t builtin;       /* enum ZurBuiltin */
  uint8_t flags;         /* ZUR_T_... */
  uint8_t tagCount;      /* the type's tags at tags[firstTag], outermost first; 0 for an
                            untagged CHOICE or open type */
  /* ZUR_T_OWN_TAG with a tag number below 31: the identifier octet of the
     type's encoding in the form DER gives it (constructed for SEQUENCE,
     SET, SEQUENCE OF and SET OF, else primitive), so that a BER decoder
     matches the usual header with one comparison; else 0. */
  uint8_t identifier;
  uint16_t firstTag;
  /* The outermost tags an encoding of the type can begin with, at
     tags[firstMatch]: the first of its own tags, or for an untagged CHOICE
     those of all its alternatives. 0 for an untagged open type, which begins
     with any tag. */
  uint16_t matchCount;
  uint16_t firstMatch;
  uint16_t valueRange;   /* INTEGER: index in ranges; ENUMERATED: index in enums */
  uint16_t sizeRange;    /* strings, SEQUENCE OF, SET OF: index in sizes */
  uint16_t alphabet;     /* known-multiplier character strings: index in alphabets;
                            0: the type's own alphabet */
  /* SET and CHOICE: index in order of the components in the canonical order
     of their tags (the order of a SET's PER encoding and of a CHOICE's PER
     index); SET OF: 0. */
  uint16_t order;
  uint16_t named;        /* INTEGER named numbers, BIT STRING named bits: index in named */
  uint16_t openType;     /* ZB_OPEN_TYPE: index in openTypes, 0 when no object set
                            selects the type */
  uint16_t startTag;     /* matchCount 1: that match tag, so that a BER decoder tells
                            whether a component is present with one load; else 0 */
  uint16_t presence;     /* SEQUENCE: index in presences, 0 when its presence bits are
                            not laid out as ZurPresence describes */
} ZurType;

/* ZurRange.flags, ZurSize.flags, ZurAlphabet.flags */
#define ZUR_R_LOWER 0x1u       /* the lower bound is set (ZurRange only) */
#define ZUR_R_UPPER 0x2u       /* the upper bound is set; clear: MAX */
#define ZUR_R_EXTENSIBLE 0x4u  /* the constraint has an extension marker */
/* ZurRange, ZurSize: not extensible, and some values (sizes) between the
   bounds are not permitted: `gaps` entries right after this one hold them,
   each a range (lower, upper) with both bounds set, ascending. PER encodes
   within the bounds all the same; the encoder refuses a value in a gap, the
   decoder takes it. */
#define ZUR_R_GAPS 0x8u

/* A PER-visible value range of an INTEGER (the root's, when extensible). */
typedef struct ZurRange {
  int64_t lower;
  int64_t upper;
  uint32_t flags;
  uint32_t gaps;  /* ZUR_R_GAPS: how many entries after this one are gaps */
} ZurRange;

/* A PER-visible size constraint. */
typedef struct ZurSize {
  uint32_t lower;
  uint32_t upper;
  uint32_t flags;
  uint32_t gaps;  /* as ZurRange.gaps */
} ZurSize;

/* A PER-visible permitted alphabet: characters in rangeCount ranges at
   charRanges[2 * firstRange], each a pair (first, last) of code points in
   ascending order. */
typedef struct ZurAlphabet {
  uint32_t rangeCount;
  uint32_t firstRange;
  uint32_t flags;
} ZurAlphabet;

/* The enumerators of an ENUMERATED type, stored in values by their value:
   rootCount root values in ascending order (their PER index is their
   position), then extCount extension values in the order of the module. */
typedef struct ZurEnum {
  uint16_t rootCount;
  uint16_t extCount;
  uint32_t firstValue;   /* index in enumValues */
} ZurEnum;

/* A list of named numbers or bits: count entries from named[index + 1]
   (named[index] holds the count in its value and no name). */
typedef struct ZurNamed {
  const char *name;
  int64_t value;
} ZurNamed;

/* ZurComponent.flags */
#define ZUR_C_OPTIONAL 0x1u   /* may be absent; presence bit in the parent's mask */
#define ZUR_C_DEFAULT 0x2u    /* has a DEFAULT value (and a presence bit) */
#define ZUR_C_EXTENSION 0x4u  /* an extension addition */
#define ZUR_C_BRACKET 0x8u    /* an extension addition inside a version bracket, which PER
                                 encodes as a SEQUENCE of its components even when alone */

/* The codec's view of one component of a SEQUENCE, SET or CHOICE;
   components[i] belongs to the control table's fields[i]. */
typedef struct ZurComponent {
  uint8_t flags;         /* ZUR_C_... */
  /* The component type's ZurType.identifier when its value lies in place
     in the parent (not ZUR_T_BY_POINTER), else 0: a BER decoder tells a
     component in its usual form from the input and this record alone. */
  uint8_t identifier;
  /* Extension additions: the addition's number from 1 in the order of the
     module; the components of one version bracket share it. 0 in the root. */
  uint16_t addition;
  /* DEFAULT: index in defaults of the default value, laid out as the
     component's value. The decoder copies it in when the component is
     absent (its presence bit stays clear); DER and PER leave out a value
     equal to it. */
  uint32_t defaultValue;
} ZurComponent;

/* A table-constrained open type: the component it depends on, reached by
   going `up` enclosing constructed values (SEQUENCE, SET, CHOICE, SEQUENCE
   OF, SET OF) from the innermost one around the open type (0: that one
   itself), then down pathLength components (indexes among each level's
   components, from 0) at paths[firstPath]. The referenced value is compared
   with the id of each object at objects[firstObject]. */
typedef struct ZurOpenType {
  uint16_t up;
  uint16_t pathLength;
  uint32_t firstPath;
  uint32_t objectCount;
  uint32_t firstObject;
  uint32_t flags;        /* ZUR_R_EXTENSIBLE: the object set is extensible */
} ZurOpenType;

/* One object of a constraining set. */
typedef struct ZurObject {
  const void *id;        /* the id field's value, laid out as the referenced component */
  uint16_t alternative;  /* the open type's CHOICE alternative, from 1 */
  uint16_t type;         /* type index of that alternative */
} ZurObject;

/* A SEQUENCE of at most 64 components, none DEFAULT, whose presence mask is
   an integer (at most 32 bits) giving the root components' bits before any
   extension addition's: the first rootBits bits of its mask are, in order,
   the presence bits of a PER encoding, and component i (from 0, in the
   module's order) has the presence bit numbered by its rank among the
   components set in `components`. A PER encoder takes them from the mask at
   once rather than component by component. */
typedef struct ZurPresence {
  uint64_t components;   /* bit i (1 << i): component i has a presence bit */
  uint64_t additions;    /* bit i: component i is an extension addition */
  uint32_t rootBits;     /* root components with a presence bit */
} ZurPresence;

typedef struct ZurCodecTbl {
  uint32_t typeCount;             /* entries in types: the control table's type count */
  uint32_t componentCount;        /* entries in components: the control table's field count */
  const ZurType *types;
  const ZurComponent *components;
  const ZurTag *tags;
  const ZurRange *ranges;
  const ZurSize *sizes;
  const ZurAlphabet *alphabets;
  const uint32_t *charRanges;
  const ZurEnum *enums;
  const int32_t *enumValues;
  const ZurNamed *named;
  const uint16_t *order;          /* component positions from 0, per SET or CHOICE */
  const void *const *defaults;
  const ZurOpenType *openTypes;
  const uint16_t *paths;
  const ZurObject *objects;
  const ZurPresence *presences;
} ZurCodecTbl;

/* The codec tables of a control table, or null when it carries no magic. */
static inline const ZurCodecTbl *zurCodecTables(const CtlTbl *ctl) {
  if (ctl == NULL || memcmp(ctl->reserved0, ZUR_TABLES_MAGIC, 4) != 0) return NULL;
  return ((const ZurTables *)ctl)->codec;
}

/* The version the tables carry. */
static inline uint16_t zurTablesVersion(const CtlTbl *ctl) {
  return (uint16_t)(ctl->reserved0[4] | ctl->reserved0[5] << 8);
}

#ifdef __cplusplus
}
#endif

#endif
