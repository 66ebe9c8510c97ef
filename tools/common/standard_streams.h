// Standard input, output and error as the tools use them.
#ifndef ZURBASE_TOOLS_COMMON_STANDARD_STREAMS_H
#define ZURBASE_TOOLS_COMMON_STANDARD_STREAMS_H

#include <string>

namespace zur::platform {

// The three streams carry octets unchanged (no text mode, so output is the
// same on every system), and standard output gets a full buffer: values and
// traces leave in many small pieces, and a console would otherwise take
// each octet in a call of its own. Whoever writes standard error first
// flushes standard output, to keep the order of what was printed.
void prepareStandardStreams();

// Why standard output did not take what was written, after errno of the
// failed write or flush.
std::string writeFailure(int error);

}  // namespace zur::platform

#endif
