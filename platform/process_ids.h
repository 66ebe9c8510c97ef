// Identifiers of the calling process and thread, as the system numbers them.
// Both are async-signal-safe: the memory-violation handler uses them.
#ifndef ZURBASE_PLATFORM_PROCESS_IDS_H
#define ZURBASE_PLATFORM_PROCESS_IDS_H

#include "zurbase/types.h"

namespace zur::platform {

ApiWord currentProcessId();
ApiWord currentThreadId();

}  // namespace zur::platform

#endif
