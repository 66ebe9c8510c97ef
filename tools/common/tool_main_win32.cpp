// Linked with -municode: the C run-time hands wmain the command line as
// UTF-16, so that names outside the ANSI code page arrive whole.
#include "standard_streams.h"
#include "tool_main.h"
#include "wide_names_win32.h"

int wmain(int argc, wchar_t **argv) {
  zur::platform::prepareStandardStreams();
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(zur::platform::utf8(argv[i]));
  return toolMain(args);
}
