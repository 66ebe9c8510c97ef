#include <unistd.h>

#include "platform/process_ids.h"

namespace zur::platform {

ApiWord currentProcessId() noexcept { return static_cast<ApiWord>(getpid()); }
ApiWord currentThreadId() noexcept { return static_cast<ApiWord>(gettid()); }

}  // namespace zur::platform
