// Counting overlapping guarded prints, so that the process-wide handler stays
// in place until the last of them ends.
#include "platform/fault_trap.h"

namespace zur::platform {
namespace {

int guardedPrints = 0;

class CountHold {
 public:
  CountHold() { detail::lockCount(); }
  ~CountHold() { detail::unlockCount(); }
  CountHold(const CountHold &) = delete;
  CountHold &operator=(const CountHold &) = delete;
};

}  // namespace

void installFaultHandler(FaultHandler handler) noexcept {
  detail::prepareThread();
  const CountHold hold;
  if (guardedPrints++ == 0) detail::installHandlers(handler);
}

void restoreFaultHandler() noexcept {
  const CountHold hold;
  if (--guardedPrints == 0) detail::restoreHandlers();
}

}  // namespace zur::platform
