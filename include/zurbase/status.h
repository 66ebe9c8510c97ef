/* zurbase: the status codes that entry points return. A status is 0 or the
   code of an error-table row; the codes the library produces itself, or that
   callers test for, have names here. */
#ifndef ZURBASE_STATUS_H
#define ZURBASE_STATUS_H

/* The call did what it was asked. */
#define ZURBASE_STATUS_OK 0
/* A null Env, a null or out-of-range argument, or no services to forward to;
   also the code of the null-argument row. */
#define ZURBASE_STATUS_BAD_ARGUMENT 6
/* A value too long to handle (the too-long size row); a print is left with
   it at a list that comes back on itself or at nesting too deep. */
#define ZURBASE_STATUS_TOO_LONG 10
/* A print was left after a memory violation (the memory-violation row). */
#define ZURBASE_STATUS_MEMORY_VIOLATION 14
/* The "globlist" mutex could not be created, taken or released, so the
   print could not register (the serialisation row). */
#define ZURBASE_STATUS_SERIALIZATION 19
/* Encoding rules other than BER, PER and DER were selected. */
#define ZURBASE_STATUS_UNKNOWN_RULES 22
/* The codec of the selected rules is not linked. */
#define ZURBASE_STATUS_RULES_NOT_LINKED 23

/* apiOpenTraceWindow: a trace window or store exists already, or no window
   could be made. */
#define ZURBASE_STATUS_TRACE_EXISTS 24
/* apiOpenTraceWindow: no temporary file could be opened; the window exists,
   without a store. */
#define ZURBASE_STATUS_NO_TEMP_FILE 27

#endif
