// zurasn1: compiles ASN.1 modules into the value printer's control table and
// zurcore's codec tables (docs/zurasn1.md). Each command is a row of
// kCommands.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

#include "commands.h"
#include "standard_streams.h"
#include "tool_main.h"
#include "zurasn1/zurasn1.h"

namespace zurasn1tool {
namespace {

constexpr const char *kWriteFailure = "zurasn1: writing standard output";

constexpr Command kCommands[] = {
    {"check", "MODULE...", "parse and resolve the modules; print the module and PDU counts", runCheck},
    {"c", "[-o DIR] [-p PREFIX] MODULE...",
     "write <module>.h for each module and the tables of all of them to the first one's .c, in DIR "
     "(default: the current directory); -p (--prefix) PREFIX (letters, digits and _, starting with a "
     "letter, no __) puts PREFIX_ in front of the files' names and of every type, macro, include "
     "guard and tables name, so that sets compiled with different prefixes link into one program",
     runC},
    {"decode", "-m MODULE [-m MODULE]... -t TYPE [-r RULES] [--trace] [FILE|-]",
     "decode the values of TYPE in FILE (binary, or PEM; default: standard input) under RULES "
     "(ber, the default, der, per for ALIGNED PER or uper for UNALIGNED PER) and print them in "
     "value notation; --trace shows the codec's "
     "trace of each first",
     runDecode},
    {"convert", "-m MODULE... -t TYPE -i RULES -o RULES IN OUT",
     "decode the values of TYPE in IN under the rules -i and write them encoded under the rules -o "
     "to OUT (- for standard input or output)",
     runConvert},
    {"encode", "-m MODULE [-m MODULE]... -t TYPE [-o RULES] [IN] OUT",
     "read values of TYPE in value notation from IN (default: standard input), as decode prints "
     "them or as a module writes them, and write them encoded under RULES (ber, the default, der, "
     "per, uper) to OUT (- for standard output); nothing is written when one is wrong",
     runEncode},
};

void printHelp() {
  std::cout << "usage: zurasn1 COMMAND [options] MODULE...\n"
               "Compiles ASN.1 modules (files) given together.\n\nCommands:\n";
  for (const Command &c : kCommands) {
    const std::string head = std::string("  ") + c.name + " " + c.synopsis;
    std::cout << head << "\n      " << c.summary << "\n";
  }
  std::cout << "\n  -h, --help   this help\n"
               "  --version    the version\n\n"
               "Exit status: check and c: 0 when the modules compile, 1 when they do not, 2\n"
               "for a usage error; decode, convert and encode: 0 when every value decoded\n"
               "(or was read) and encoded, 1 when one was malformed (its row and offset, or\n"
               "its line and column, on standard error), 2 for a usage error, modules that\n"
               "do not compile, an input that cannot be read or output that cannot be\n"
               "written.\n";
}

int run(const std::vector<std::string> &args) {
  if (args.size() < 2) return usageError("no command");
  const std::string &first = args[1];
  if (first == "-h" || first == "--help") {
    printHelp();
    return OK;
  }
  if (first == "--version") {
    std::cout << zurasn1::version() << "\n";
    return OK;
  }
  for (const Command &c : kCommands)
    if (first == c.name) return c.run(Args(args.begin() + 2, args.end()));
  return usageError("unknown command " + first);
}

// Standard output flushed; false, with the reason on standard error, when
// what was printed did not all reach it (a full disk, a closed pipe).
bool outputWritten() {
  std::fflush(stdout);
  return !zur::platform::outputFailed(kWriteFailure);
}

}  // namespace

void stopIfOutputFailed() {
  if (zur::platform::outputFailed(kWriteFailure)) std::exit(USAGE);
}

int usageError(const std::string &what) {
  std::cerr << "zurasn1: " << what << " (try zurasn1 --help)\n";
  return USAGE;
}

}  // namespace zurasn1tool

int toolMain(const std::vector<std::string> &args) {
  using namespace zurasn1tool;
  try {
    const int status = run(args);
    // Every command's output, the help and the version alike.
    return outputWritten() ? status : USAGE;
  } catch (const std::bad_alloc &) {
    std::cerr << "zurasn1: out of memory\n";
    return USAGE;
  }
}
