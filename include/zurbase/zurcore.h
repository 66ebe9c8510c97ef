/* zurcore: stand-in for the sibling run-time. It makes Env records, links
   codecs for the encoding rules, converts OBJECT IDENTIFIER contents to text
   and supplies the services table. The last part of this header is what
   zurbase itself imports from the sibling run-time, which a replacement
   must provide under the same ordinals. */
#ifndef ZURBASE_ZURCORE_H
#define ZURBASE_ZURCORE_H

#include "zurbase/zurbase.h"

#ifdef __cplusplus
extern "C" {
#endif

/* On Windows the exports come from zurcore.def, by name or ordinal. */
#if defined(__GNUC__) && !defined(_WIN32)
#define ZURCORE_EXPORT __attribute__((visibility("default")))
#else
#define ZURCORE_EXPORT
#endif

/* The functions of this part do nothing (or return null) for a null Env,
   as free() does for a null block; zurcoreFreeValue returns 6. */
/* Makes an Env bound to the entry table of the loaded zurbase (pass apiTbl);
   null when memory runs out. Its memAlloc/memFree are malloc/free, its
   services table is filled (see the API reference), no print hook is
   installed. Until zurcoreSetCodecs is called, BER and DER rules link
   zurcore's BER/DER codec and PER rules link zurcore's PER codec (rules 1
   UNALIGNED, 2 ALIGNED). */
ZURCORE_EXPORT Env *zurcoreCreateEnv(const ApiWord *apiTbl);
/* Frees an Env made by zurcoreCreateEnv, with the blocks its encoders keep
   (not what its fields point to outside zurcore, such as a trace window's
   file). */
ZURCORE_EXPORT void zurcoreDestroyEnv(Env *env);
/* The entry table the Env was made with. */
ZURCORE_EXPORT const ApiWord *zurcoreApiTbl(Env *env);
/* Registers the codecs that linking installs for BER/DER (ber) and PER
   (per); null registers none for those rules. The tables are copied; the
   Env's codecA/codecB change only when apiSetEncodingRules links again. */
ZURCORE_EXPORT void zurcoreSetCodecs(Env *env, const CodecEntry *ber, const CodecEntry *per);
/* Installs a print hook in the Env's own hook table and points Env.hooks at
   it; null removes the hook and clears Env.hooks. */
ZURCORE_EXPORT void zurcoreSetPrintHook(Env *env, PrintHookFn hook);

/* What the stand-in's operations 16, 31, 35 and 37 saw last. */
typedef struct ZurcoreServiceCall {
  int32_t op;        /* operation number, 0 before any call */
  ApiWord a;         /* first argument word (16, 31, 37) */
  ApiWord b;         /* second argument word (16) */
  const CtlTbl *ctl; /* control table passed to 16 */
  int32_t callCount; /* calls of 16, 31, 35 and 37 on this Env so far */
} ZurcoreServiceCall;
ZURCORE_EXPORT void zurcoreLastServiceCall(Env *env, ZurcoreServiceCall *out);

/* Deferred-value storage kinds (operation 32's kind argument). */
enum { ZURCORE_DEFER_MEMORY = 0, ZURCORE_DEFER_TMP_FILE = 1, ZURCORE_DEFER_SOCKET = 2 };

/* A codec that decodes no values: it traces the tags and lengths of any BER
   input through apiTraceEncoding, without tables (register it for BER with
   zurcoreSetCodecs; its encode is null). Malformed input gives its decoding
   row in the message buffer (without the offset; the trace shows the octets
   not parsed). */
ZURCORE_EXPORT const CodecEntry *zurcoreTraceCodec(void);

/* Tracing a whole BER/DER input of any size, as a tool does. The codec linked
   for BER traces through apiDecode, whose lengths are 32-bit; this entry takes
   64-bit sizes and the tool's options. */
typedef struct ZurcoreTraceOptions {
  /* Non-zero: each primitive's contents go to the trace as the event's
     extra text. */
  int32_t values;
  /* Elements nested deeper than this are skipped; the first one is reported
     in the trace. 0 means no limit. */
  int32_t maxDepth;
  /* Called now and then with the lowest offset the walk reads before it
     calls again (a later call may name a lower one), so that a caller can
     give back what lies before it; may be null. */
  void (*passed)(void *context, uint64_t offset);
  void *context;  /* handed to passed */
  /* Non-zero: each element's line shows its offset and the length of its
     identifier and length octets ("@120 hl=4") before its type, an EOC
     line its offset ("@130 hl=2 EOC"). */
  int32_t offsets;
  /* Names an OBJECT IDENTIFIER by its contents octets, or answers null;
     the name follows the value's arcs in parentheses. May be null. */
  const char *(*oidName)(void *context, const unsigned char *contents, uint64_t length);
  void *oidContext; /* handed to oidName */
} ZurcoreTraceOptions;

/* Traces the size octets at data through apiTraceEncoding of the Env's entry
   table: every element, an OCTET STRING or BIT STRING that holds a complete
   DER encoding one level deeper, a truncated constructed element as far as
   its contents go. Lines are indented two blanks a level up to depth 100;
   deeper elements stand at that indentation with "(depth N)" before their
   type, so the trace grows linearly with the input. Contents that break BER
   (a BOOLEAN of two octets, a constructed NULL) are shown as
   "malformed (...)" in place of the value and the walk goes on. Returns 0,
   or the code of the decoding row written to Env.msgBuf with *faultOffset
   set to the offset of the fault: a fault that ends the walk, else the
   first malformed contents (D0037E, the fault in parentheses). Null options
   trace with none (no values, no depth limit, no callbacks); a null
   faultOffset is not set; a null Env gives 6. */
ZURCORE_EXPORT int zurcoreTraceBer(Env *env, const void *data, uint64_t size,
                                   const ZurcoreTraceOptions *options, uint64_t *faultOffset);

/* --- zurcore's codecs: BER and DER (linked by zurcoreLinkBer), PER. --- */

/* Codec flag bit (in Env.encFlags and Env.decFlags; apiEncode and apiDecode
   pass it on): the codec hands one trace event per element to
   apiTraceEncoding while it encodes or decodes. */
#define ZURCORE_FLAG_TRACE 0x800u

/* Bounds on what one decode may do with a hostile input. */
typedef struct ZurcoreLimits {
  /* Most nested levels of encodings and values one decode enters (a
     constructed element, an explicit tag, a value inside another); default
     64, at most 1024. */
  uint32_t maxDepth;
  /* Most bytes one decode takes from Env.memAlloc for the decoded value;
     default 64 MiB. */
  uint32_t maxAllocation;
} ZurcoreLimits;
#define ZURCORE_DEFAULT_MAX_DEPTH 64u
#define ZURCORE_LIMIT_MAX_DEPTH 1024u
#define ZURCORE_DEFAULT_MAX_ALLOCATION (64u << 20)

/* Sets the Env's limits; a field of 0 restores its default, a depth above
   ZURCORE_LIMIT_MAX_DEPTH is taken as that; null limits restore every
   default. */
ZURCORE_EXPORT void zurcoreSetLimits(Env *env, const ZurcoreLimits *limits);
ZURCORE_EXPORT void zurcoreGetLimits(Env *env, ZurcoreLimits *limits);

/* Frees everything one decode allocated, given the root value it returned
   (not a value laid out in a caller's area, which stays the caller's).
   Returns 0, or the code of the "unrecognized memory object" row, written to
   Env.msgBuf, for an address inside a decoded value that is not its root
   (the header before the address is read: other addresses must not be
   given); ZURBASE_STATUS_BAD_ARGUMENT (6), with nothing freed, for a null
   Env and a value. Encodings that an encoder allocated are freed with
   Env.memFree. */
ZURCORE_EXPORT int zurcoreFreeValue(Env *env, void *value);

/* --- What zurbase imports from the sibling run-time. --- */

/* Input of the OBJECT IDENTIFIER converter: contents octets of an encoding. */
typedef struct OidInput {
  uint16_t length;              /* number of contents octets */
  uint16_t unset;               /* not read */
  const unsigned char *octets;  /* the contents octets, no tag or length */
} OidInput;
ZURBASE_ASSERT_OFFSET(OidInput, octets, 4);

/* Output of the converter. */
typedef struct OidOutput {
  uint32_t word;  /* not read */
  char *text;     /* "{ 1 2 840 }" text allocated with Env.memAlloc; the
                     caller frees it with Env.memFree */
} OidOutput;
ZURBASE_ASSERT_OFFSET(OidOutput, text, 4);

/* Converter results. */
enum OidResult {
  OID_COMPLETE = 0,   /* text holds every arc */
  OID_INCOMPLETE = 1, /* the last arc is cut off; text holds the whole arcs */
  OID_MALFORMED = 2   /* no text */
};

/* Links the codec of BER/DER rules into Env.codecA (ordinal 5) or of PER
   rules into Env.codecB (ordinal 6), null when none is registered; returns
   1 when a codec was linked, 0 otherwise. On Windows these three are
   exported by ordinal only. */
int zurcoreLinkBer(Env *env);                                          /* ordinal 5 */
int zurcoreLinkPer(Env *env);                                          /* ordinal 6 */
int zurcoreOidToText(Env *env, const OidInput *in, OidOutput *out);    /* ordinal 48 */

#ifdef __cplusplus
}
#endif

#endif
