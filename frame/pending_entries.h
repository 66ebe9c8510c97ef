// Entry points whose subsystem has not landed yet answer through here: the
// caller gets a message in Env.msgBuf and on standard error, never silence.
#ifndef ZURBASE_FRAME_PENDING_ENTRIES_H
#define ZURBASE_FRAME_PENDING_ENTRIES_H

#include "zurbase/env.h"

namespace zur {

// Returns -1 after reporting that `name` is not implemented yet.
int reportNotImplemented(Env *env, const char *name);

}  // namespace zur

#endif
