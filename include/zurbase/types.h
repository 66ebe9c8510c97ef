/* zurbase: basic types shared by every public header. */
#ifndef ZURBASE_TYPES_H
#define ZURBASE_TYPES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One argument word: an unsigned integer as wide as an address. On the
   32-bit targets every shared record has the 32-bit layout, asserted field
   by field below each record. */
typedef uintptr_t ApiWord;

#if UINTPTR_MAX == 0xffffffffu
#define ZURBASE_WORD32 1
#else
#define ZURBASE_WORD32 0
#endif

#ifdef __cplusplus
#define ZURBASE_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define ZURBASE_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif

/* Layout checks that only hold where addresses are 32 bits wide. */
#if ZURBASE_WORD32
#define ZURBASE_ASSERT_OFFSET(T, f, off) \
  ZURBASE_STATIC_ASSERT(offsetof(T, f) == (off), #T "." #f " offset")
#define ZURBASE_ASSERT_SIZE(T, n) ZURBASE_STATIC_ASSERT(sizeof(T) == (n), "sizeof " #T)
#else
#define ZURBASE_ASSERT_OFFSET(T, f, off) ZURBASE_STATIC_ASSERT(1, "64-bit natural layout")
#define ZURBASE_ASSERT_SIZE(T, n) ZURBASE_STATIC_ASSERT(1, "64-bit natural layout")
#endif

typedef struct Env Env;
typedef struct CtlTbl CtlTbl;

#ifdef __cplusplus
}
#endif

#endif
