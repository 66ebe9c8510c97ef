#include <windows.h>

#include "platform/process_ids.h"

namespace zur::platform {

ApiWord currentProcessId() { return static_cast<ApiWord>(GetCurrentProcessId()); }
ApiWord currentThreadId() { return static_cast<ApiWord>(GetCurrentThreadId()); }

}  // namespace zur::platform
