// Counting overlapping guarded prints, so that the process-wide handler stays
// in place until the last of them ends.
#include <mutex>

#include "platform/fault_trap.h"

namespace zur::platform {
namespace {

std::mutex countLock;
int guardedPrints = 0;

}  // namespace

void installFaultHandler(FaultHandler handler) {
  detail::prepareThread();
  const std::lock_guard hold(countLock);
  if (guardedPrints++ == 0) detail::installHandlers(handler);
}

void restoreFaultHandler() {
  const std::lock_guard hold(countLock);
  if (--guardedPrints == 0) detail::restoreHandlers();
}

}  // namespace zur::platform
