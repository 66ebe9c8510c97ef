#include "compiler/c_reserved.h"

#include <set>

namespace zurasn1 {
namespace {

// C and C++ keywords (C23, C++20 and its alternative tokens, GNU's typeof and
// asm), the C library's object-like macros of lower case that an ASN.1
// identifier can spell, and "mask", the presence mask's member in every
// SEQUENCE and SET.
const std::set<std::string> kKeywords = {
    "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor", "bool", "break", "case",
    "catch", "char", "char16_t", "char32_t", "char8_t", "class", "co_await", "co_return", "co_yield",
    "compl", "concept", "const", "const_cast", "consteval", "constexpr", "constinit", "continue",
    "decltype", "default", "delete", "do", "double", "dynamic_cast", "else", "enum", "errno",
    "explicit", "export", "extern", "false", "float", "for", "friend", "goto", "i386", "if", "inline",
    "int", "linux", "long", "mask", "mutable", "namespace", "new", "noexcept", "not", "not_eq",
    "nullptr", "operator", "or", "or_eq", "private", "protected", "public", "register",
    "reinterpret_cast", "requires", "restrict", "return", "short", "signed", "sizeof", "static",
    "static_assert", "static_cast", "stderr", "stdin", "stdout", "struct", "switch", "template",
    "this", "thread_local", "throw", "true", "try", "typedef", "typeid", "typename", "typeof",
    "typeof_unqual", "union", "unix", "unsigned", "using", "virtual", "void", "volatile", "wchar_t",
    "while", "xor", "xor_eq",
};

// Every name of upper case in the code of include/zurbase/*.h (the
// compiler tests check that no new one is missing), and the macros and
// types of upper case of the standard headers that they and the generated
// C include: <stddef.h>, <stdint.h>, <stdio.h>, <string.h>, <math.h>.
const std::set<std::string> kLibraryNames = {
    "API_SLOT_COUNT", "API_TBL_WORDS", "AbortJumpFn", "ApiDecodeDirectFn", "ApiDecodeFn",
    "ApiDeferredKindFn", "ApiEncodeDirectFn", "ApiEncodeFn", "ApiGetDeferredLocatorFn",
    "ApiGetErrorMsgFn", "ApiGetWorkValueFn", "ApiGetterFn", "ApiMakeDeferredHandleFn",
    "ApiOpenTraceWindowFn", "ApiPrintHexFn", "ApiPrintPduFn", "ApiReadTraceLineFn", "ApiResetTraceFn",
    "ApiSaveTraceFn", "ApiService16Fn", "ApiService31Fn", "ApiService35Fn", "ApiService37Fn",
    "ApiSetEncodingRulesFn", "ApiSetterFn", "ApiSlot", "ApiTraceEncodingFn", "ApiTracePrintFn",
    "ApiWord", "CTL_ANONYMOUS", "CTL_ENUM_AS_INDEX", "CTL_NO_LINK_BER", "CTL_NO_LINK_PER",
    "CodecEntry", "CtlTbl", "DecodeFn", "DeferredKindFn", "EncBuf", "EncRules", "EncodeFn",
    "EncodedValue", "Env", "FIELD_DEFAULT", "FIELD_NAMED", "FIELD_OPTIONAL", "FILE", "FieldDesc",
    "GetDeferredLocatorFn", "HookTbl", "KIND_BITS_FIXED", "KIND_BITS_INLINE", "KIND_BITS_IN_INT",
    "KIND_BITS_PTR", "KIND_BMP_STRING", "KIND_BOOLEAN", "KIND_CHARS_FIXED", "KIND_CHARS_INLINE",
    "KIND_CHARS_NUL", "KIND_CHARS_PTR", "KIND_CHOICE", "KIND_ENCODED", "KIND_ENUMERATED",
    "KIND_ENUMERATED_UNSIGNED", "KIND_GENERALIZED_TIME", "KIND_INTEGER", "KIND_MIXED_REAL",
    "KIND_NULL", "KIND_OCTETS_INLINE", "KIND_OCTETS_INLINE2", "KIND_OCTETS_PTR", "KIND_OCTETS_PTR2",
    "KIND_OCTETS_PTR3", "KIND_OID_ARRAY", "KIND_OID_ENCODED", "KIND_OID_LIST", "KIND_OID_PTR",
    "KIND_REAL", "KIND_REAL_TEXT", "KIND_SEG2_BITS_INLINE", "KIND_SEG2_BITS_PTR",
    "KIND_SEG2_CHARS_INLINE", "KIND_SEG2_CHARS_NUL", "KIND_SEG2_CHARS_PTR", "KIND_SEG2_OCTETS_INLINE",
    "KIND_SEG2_OCTETS_PTR", "KIND_SEG2_OCTETS_PTR_B", "KIND_SEG_BITS_INLINE", "KIND_SEG_BITS_PTR",
    "KIND_SEG_CHARS_INLINE", "KIND_SEG_CHARS_NUL", "KIND_SEG_CHARS_PTR", "KIND_SEG_OCTETS_INLINE",
    "KIND_SEG_OCTETS_PTR", "KIND_SEG_OCTETS_PTR_B", "KIND_SEQOF_ARRAY", "KIND_SEQOF_LIST",
    "KIND_SEQOF_LIST2", "KIND_SEQOF_PTR_ARRAY", "KIND_SEQUENCE", "KIND_SEQUENCE_EXT", "KIND_SET",
    "KIND_SETOF_ARRAY", "KIND_SETOF_LIST", "KIND_SETOF_LIST2", "KIND_SETOF_PTR_ARRAY", "KIND_SET_EXT",
    "KIND_UNIVERSAL_STRING", "KIND_UNREAD49", "KIND_UNREAD50", "KIND_UNREAD52", "KIND_UNREAD61",
    "KIND_UNSIGNED", "KIND_UTC_TIME", "LineBlock", "MakeDeferredHandleFn", "MapValueFn", "MemAllocFn",
    "MemFreeFn", "MixedReal", "NULL", "OID_COMPLETE", "OID_INCOMPLETE", "OID_MALFORMED", "OidInput",
    "OidOutput", "OidResult", "PER_COUNT", "PER_FIELD_COUNT", "PER_INDEX", "PER_LENGTH",
    "PER_NOT_ENCODED", "PER_TOTAL_LENGTH", "PerItem", "PrintHookFn", "RULES_BER", "RULES_DER",
    "RULES_PER", "RULES_PER_ALIGNED", "RemapValueFn", "SLOT_DECODE", "SLOT_DECODE_DIRECT",
    "SLOT_DECODE_WITH_MSG", "SLOT_DEFERRED_KIND", "SLOT_ENCODE", "SLOT_ENCODE_DIRECT",
    "SLOT_ENCODE_WITH_MSG", "SLOT_GET_DECODE_BUF_LEN", "SLOT_GET_DECODING_FLAGS",
    "SLOT_GET_DEFERRED_LOCATOR", "SLOT_GET_ENCODING_FLAGS", "SLOT_GET_ENCODING_RULES",
    "SLOT_GET_ERROR_MSG", "SLOT_GET_WORK_VALUE", "SLOT_MAKE_DEFERRED_HANDLE", "SLOT_OPEN_TRACE_WINDOW",
    "SLOT_PRINT_HEX", "SLOT_PRINT_PDU", "SLOT_READ_TRACE_LINE", "SLOT_RESET_TRACE", "SLOT_SAVE_TRACE",
    "SLOT_SERVICE16", "SLOT_SERVICE31", "SLOT_SERVICE35", "SLOT_SERVICE37", "SLOT_SET_DECODE_BUF_LEN",
    "SLOT_SET_DECODING_FLAGS", "SLOT_SET_ENCODING_FLAGS", "SLOT_SET_ENCODING_RULES", "SLOT_SET_FLAGS",
    "SLOT_TRACE_ENCODING", "SLOT_TRACE_PRINT", "START_PROCESS_ATTACH", "START_PROCESS_DETACH",
    "START_THREAD_ATTACH", "START_THREAD_DETACH", "SVC_DEFERRED_KIND", "SVC_GET_DEFERRED_LOCATOR",
    "SVC_MAKE_DEFERRED_HANDLE", "SVC_MAP_VALUE", "SVC_REMAP_VALUE", "SVC_SERVICE16", "SVC_SERVICE31",
    "SVC_SERVICE35", "SVC_SERVICE37", "SVC_UNMAP_VALUE", "Service16Fn", "Service31Fn", "Service35Fn",
    "Service37Fn", "StartReason", "SvcOp", "SvcTbl", "T", "TAGLEN_DEFINITE", "TRACE_COMPONENT",
    "TRACE_COMPONENT2", "TRACE_EOC", "TRACE_PRIMITIVE", "TRACE_TEXT", "TYPE_BY_POINTER",
    "TYPE_MAY_DEFER", "TagLen", "TimeValue", "TraceEventKind", "TraceRec", "TraceStore", "TypeDesc",
    "TypeKind", "UINTPTR_MAX", "UnmapValueFn", "WorkArea", "ZB_BIT_STRING", "ZB_BMP_STRING",
    "ZB_BOOLEAN", "ZB_CHOICE", "ZB_ENUMERATED", "ZB_GENERALIZED_TIME", "ZB_GENERAL_STRING",
    "ZB_GRAPHIC_STRING", "ZB_IA5_STRING", "ZB_INTEGER", "ZB_NULL", "ZB_NUMERIC_STRING",
    "ZB_OBJECT_DESCRIPTOR", "ZB_OBJECT_IDENTIFIER", "ZB_OCTET_STRING", "ZB_OPEN_TYPE",
    "ZB_PRINTABLE_STRING", "ZB_REAL", "ZB_RELATIVE_OID", "ZB_SEQUENCE", "ZB_SEQUENCE_OF", "ZB_SET",
    "ZB_SET_OF", "ZB_TELETEX_STRING", "ZB_UNIVERSAL_STRING", "ZB_UTC_TIME", "ZB_UTF8_STRING",
    "ZB_VIDEOTEX_STRING", "ZB_VISIBLE_STRING", "ZURBASE_API_H", "ZURBASE_ASSERT_OFFSET",
    "ZURBASE_ASSERT_SIZE", "ZURBASE_ASSERT_SVC", "ZURBASE_BUILDING", "ZURBASE_CODEC_TABLES_H",
    "ZURBASE_CTLTBL_H", "ZURBASE_DEC_FLAG_MASK", "ZURBASE_ENC_FLAG_MASK", "ZURBASE_ENV_H",
    "ZURBASE_EXPORT", "ZURBASE_FLAG_CALLER_AREA", "ZURBASE_FLAG_NO_PRINT_GUARD",
    "ZURBASE_FLAG_PRINT_ERRORS", "ZURBASE_FORMAT_H", "ZURBASE_HOOK_PRINT", "ZURBASE_LINES_PER_BLOCK",
    "ZURBASE_MSG_BUF_SIZE", "ZURBASE_STATIC", "ZURBASE_STATIC_ASSERT", "ZURBASE_STATUS_BAD_ARGUMENT",
    "ZURBASE_STATUS_H", "ZURBASE_STATUS_MEMORY_VIOLATION", "ZURBASE_STATUS_NO_TEMP_FILE",
    "ZURBASE_STATUS_OK", "ZURBASE_STATUS_RULES_NOT_LINKED", "ZURBASE_STATUS_SERIALIZATION",
    "ZURBASE_STATUS_TOO_LONG", "ZURBASE_STATUS_TRACE_EXISTS", "ZURBASE_STATUS_UNKNOWN_RULES",
    "ZURBASE_TRACE_H", "ZURBASE_TYPES_H", "ZURBASE_VALUES_H", "ZURBASE_WORD32",
    "ZURBASE_WORK_AREA_SIZE", "ZURBASE_ZURBASE_H", "ZURBASE_ZURCORE_H",
    "ZURCORE_DEFAULT_MAX_ALLOCATION", "ZURCORE_DEFAULT_MAX_DEPTH", "ZURCORE_DEFER_MEMORY",
    "ZURCORE_DEFER_SOCKET", "ZURCORE_DEFER_TMP_FILE", "ZURCORE_EXPORT", "ZURCORE_FLAG_TRACE",
    "ZURCORE_LIMIT_MAX_DEPTH", "ZUR_C_BRACKET", "ZUR_C_DEFAULT", "ZUR_C_EXTENSION", "ZUR_C_OPTIONAL",
    "ZUR_PRINT_WORDS", "ZUR_R_EXTENSIBLE", "ZUR_R_GAPS", "ZUR_R_LOWER", "ZUR_R_UPPER",
    "ZUR_TABLES_MAGIC", "ZUR_TABLES_VERSION", "ZUR_TAG_APPLICATION", "ZUR_TAG_CLASS", "ZUR_TAG_CONTEXT",
    "ZUR_TAG_EXPLICIT", "ZUR_TAG_NUMBER", "ZUR_TAG_PRIVATE", "ZUR_TAG_UNIVERSAL", "ZUR_T_BY_POINTER",
    "ZUR_T_EXTENSIBLE", "ZUR_T_NAMED_BITS", "ZUR_T_OWN_TAG", "ZurAlphabet", "ZurBits", "ZurBmpChars",
    "ZurBuiltin", "ZurChars", "ZurCodecTbl", "ZurComponent", "ZurEnum", "ZurHugeInt", "ZurNamed",
    "ZurObject", "ZurOctets", "ZurOid", "ZurOpenType", "ZurPresence", "ZurRange", "ZurRelativeOid", "ZurSize",
    "ZurTables", "ZurTag", "ZurType", "ZurUniversalChars", "ZurcoreLimits", "ZurcoreServiceCall",
    "ZurcoreTraceOptions",
    "BUFSIZ", "DOMAIN", "EOF", "FILENAME_MAX", "FOPEN_MAX", "FP_FAST_FMA", "FP_FAST_FMAF",
    "FP_FAST_FMAL", "FP_ILOGB0", "FP_ILOGBNAN", "FP_INFINITE", "FP_NAN", "FP_NORMAL", "FP_SUBNORMAL",
    "FP_ZERO", "HUGE_VAL", "HUGE_VALF", "HUGE_VALL", "INFINITY", "INT16_C", "INT16_MAX", "INT16_MIN",
    "INT16_WIDTH", "INT32_C", "INT32_MAX", "INT32_MIN", "INT32_WIDTH", "INT64_C", "INT64_MAX",
    "INT64_MIN", "INT64_WIDTH", "INT8_C", "INT8_MAX", "INT8_MIN", "INT8_WIDTH", "INTMAX_C",
    "INTMAX_MAX", "INTMAX_MIN", "INTMAX_WIDTH", "INTPTR_MAX", "INTPTR_MIN", "INTPTR_WIDTH",
    "INT_FAST16_MAX", "INT_FAST16_MIN", "INT_FAST16_WIDTH", "INT_FAST32_MAX", "INT_FAST32_MIN",
    "INT_FAST32_WIDTH", "INT_FAST64_MAX", "INT_FAST64_MIN", "INT_FAST64_WIDTH", "INT_FAST8_MAX",
    "INT_FAST8_MIN", "INT_FAST8_WIDTH", "INT_LEAST16_MAX", "INT_LEAST16_MIN", "INT_LEAST16_WIDTH",
    "INT_LEAST32_MAX", "INT_LEAST32_MIN", "INT_LEAST32_WIDTH", "INT_LEAST64_MAX", "INT_LEAST64_MIN",
    "INT_LEAST64_WIDTH", "INT_LEAST8_MAX", "INT_LEAST8_MIN", "INT_LEAST8_WIDTH", "L_ctermid",
    "L_tmpnam", "MATH_ERREXCEPT", "MATH_ERRNO", "M_1_PI", "M_2_PI", "M_2_SQRTPI", "M_E", "M_LN10",
    "M_LN2", "M_LOG10E", "M_LOG2E", "M_PI", "M_PI_2", "M_PI_4", "M_SQRT1_2", "M_SQRT2", "NAN",
    "OVERFLOW", "PLOSS", "PTRDIFF_MAX", "PTRDIFF_MIN", "PTRDIFF_WIDTH", "P_tmpdir", "SEEK_CUR",
    "SEEK_END", "SEEK_SET", "SIG_ATOMIC_MAX", "SIG_ATOMIC_MIN", "SIG_ATOMIC_WIDTH", "SING", "SIZE_MAX",
    "SIZE_WIDTH", "TLOSS", "TMP_MAX", "UINT16_C", "UINT16_MAX", "UINT16_WIDTH", "UINT32_C",
    "UINT32_MAX", "UINT32_WIDTH", "UINT64_C", "UINT64_MAX", "UINT64_WIDTH", "UINT8_C", "UINT8_MAX",
    "UINT8_WIDTH", "UINTMAX_C", "UINTMAX_MAX", "UINTMAX_WIDTH", "UINTPTR_WIDTH", "UINT_FAST16_MAX",
    "UINT_FAST16_WIDTH", "UINT_FAST32_MAX", "UINT_FAST32_WIDTH", "UINT_FAST64_MAX",
    "UINT_FAST64_WIDTH", "UINT_FAST8_MAX", "UINT_FAST8_WIDTH", "UINT_LEAST16_MAX",
    "UINT_LEAST16_WIDTH", "UINT_LEAST32_MAX", "UINT_LEAST32_WIDTH", "UINT_LEAST64_MAX",
    "UINT_LEAST64_WIDTH", "UINT_LEAST8_MAX", "UINT_LEAST8_WIDTH", "UNDERFLOW", "WCHAR_MAX",
    "WCHAR_MIN", "WCHAR_WIDTH", "WINT_MAX", "WINT_MIN", "WINT_WIDTH"};

}  // namespace

bool isReservedMember(const std::string &name) { return kKeywords.count(name) != 0; }

bool libraryDeclares(const std::string &name) { return kLibraryNames.count(name) != 0; }

}  // namespace zurasn1
