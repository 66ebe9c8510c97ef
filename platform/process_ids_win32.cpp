#include <windows.h>

#include "platform/process_ids.h"

namespace zur::platform {

ApiWord currentProcessId() noexcept { return static_cast<ApiWord>(GetCurrentProcessId()); }
ApiWord currentThreadId() noexcept { return static_cast<ApiWord>(GetCurrentThreadId()); }

}  // namespace zur::platform
