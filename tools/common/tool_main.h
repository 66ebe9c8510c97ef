// The entry point the tools share: the system's main takes the command line
// in its own form and hands it to toolMain as UTF-8 words, with the standard
// streams set up (docs/zurasn1.md, docs/zurtrace.md).
#ifndef ZURBASE_TOOLS_COMMON_TOOL_MAIN_H
#define ZURBASE_TOOLS_COMMON_TOOL_MAIN_H

#include <string>
#include <vector>

// Each tool defines it; args[0] is the program's name.
int toolMain(const std::vector<std::string> &args);

#endif
