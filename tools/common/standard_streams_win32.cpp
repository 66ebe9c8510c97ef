#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "standard_streams.h"

namespace zur::platform {
namespace {

// The console's output code page before the tool set its own; 0 when
// unchanged.
UINT consoleCodePage = 0;

void restoreCodePage() {
  if (consoleCodePage != 0) SetConsoleOutputCP(consoleCodePage);
}

// Ctrl+C and closing the window end the process without atexit handlers.
BOOL WINAPI restoreOnBreak(DWORD) {
  restoreCodePage();
  return FALSE;  // the default handler then ends the process
}

bool isConsole(DWORD stream) {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

// A console shows the octets written to it in its output code page; the
// tools write UTF-8, so a console shows names and values whole only under
// CP_UTF8. Files and pipes take the same octets whatever the code page.
// The code page belongs to the console, shared with the shell that started
// the tool, so it is given back at exit.
void useUtf8Console() {
  if (!isConsole(STD_OUTPUT_HANDLE) && !isConsole(STD_ERROR_HANDLE)) return;
  const UINT previous = GetConsoleOutputCP();
  if (previous == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
  consoleCodePage = previous;
  std::atexit(restoreCodePage);
  SetConsoleCtrlHandler(restoreOnBreak, TRUE);
  // Unbuffered, the printf of the C++ run-time writes an octet at a time, and
  // the console decodes each write on its own: a character of two octets
  // would show as two replacement marks. Each message is flushed whole
  // (std::cerr flushes after each insertion).
  if (isConsole(STD_ERROR_HANDLE)) {
    static char buffer[4096];
    std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
  }
}

}  // namespace

void prepareStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  useUtf8Console();
}

// The C run-time reports a write to a pipe whose reader has gone as EINVAL.
std::string writeFailure(int error) {
  if (error == EINVAL && GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE)
    return "Broken pipe";
  return std::strerror(error);
}

}  // namespace zur::platform
