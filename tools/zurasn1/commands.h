// The commands of zurasn1: each takes the words after its name and returns
// the exit status.
#ifndef ZURASN1_TOOL_COMMANDS_H
#define ZURASN1_TOOL_COMMANDS_H

#include <string>
#include <vector>

namespace zurasn1tool {

enum ExitStatus { OK = 0, FAILED = 1, USAGE = 2 };

using Args = std::vector<std::string>;

struct Command {
  const char *name;
  const char *synopsis;  // the words after the name, for the help
  const char *summary;
  int (*run)(const Args &args);
};

// A usage error: the complaint on standard error, status USAGE.
int usageError(const std::string &what);

// Ends zurasn1 with USAGE once standard output has failed, saying why: a
// reader that has gone takes no more values.
void stopIfOutputFailed();

int runCheck(const Args &args);
int runC(const Args &args);
int runDecode(const Args &args);
int runConvert(const Args &args);
int runEncode(const Args &args);

}  // namespace zurasn1tool

#endif
