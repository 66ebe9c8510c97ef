// Where no DllMain runs (shared objects on POSIX, statically linked
// programs), the table is filled once at load, as a process attach would.
#include "library/entry_points.h"

namespace {

__attribute__((constructor)) void onLoad() { zur::zurbaseStart(START_PROCESS_ATTACH); }

}  // namespace
