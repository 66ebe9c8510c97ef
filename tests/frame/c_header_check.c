/* The public headers are plain C: this file is compiled as C11 with
   -pedantic -Werror, and its function is called by the layout tests. */
#include "zurbase/zurbase.h"

size_t zurbaseEnvSizeSeenFromC(void) { return sizeof(Env); }
