#include <unistd.h>

#include "platform/process_ids.h"

namespace zur::platform {

ApiWord currentProcessId() { return static_cast<ApiWord>(getpid()); }
ApiWord currentThreadId() { return static_cast<ApiWord>(gettid()); }

}  // namespace zur::platform
