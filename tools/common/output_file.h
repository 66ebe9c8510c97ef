// Files the tools write, named in UTF-8.
#ifndef ZURBASE_TOOLS_COMMON_OUTPUT_FILE_H
#define ZURBASE_TOOLS_COMMON_OUTPUT_FILE_H

#include <cstdio>
#include <string>

namespace zur::platform {

// Creates or truncates the file for binary writing; null, with the reason
// in error ("Is a directory", the system's reason), when it cannot.
std::FILE *createOutput(const std::string &name, std::string &error);

}  // namespace zur::platform

#endif
