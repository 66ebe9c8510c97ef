// zurasn1: compiles ASN.1 modules into the value printer's control table and
// zurcore's codec tables (docs/zurasn1.md). Each command is a row of
// kCommands.
#include <cstdio>
#include <iostream>

#include "commands.h"
#include "zurasn1/zurasn1.h"

namespace zurasn1tool {
namespace {

constexpr Command kCommands[] = {
    {"check", "MODULE...", "parse and resolve the modules; print the module and PDU counts", runCheck},
    {"c", "[-o DIR] MODULE...",
     "write <module>.h for each module and the tables of all of them to the first one's .c, in DIR "
     "(default: the current directory)",
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
               "for a usage error; decode and convert: 0 when every value decoded (and\n"
               "encoded), 1 when one was malformed (its row and offset on standard error),\n"
               "2 for a usage error, modules that do not compile, an input that cannot be\n"
               "read or output that cannot be written.\n";
}

}  // namespace

int usageError(const std::string &what) {
  std::cerr << "zurasn1: " << what << " (try zurasn1 --help)\n";
  return USAGE;
}

}  // namespace zurasn1tool

int main(int argc, char **argv) {
  using namespace zurasn1tool;
  if (argc < 2) return usageError("no command");
  const std::string first = argv[1];
  if (first == "-h" || first == "--help") {
    printHelp();
    return OK;
  }
  if (first == "--version") {
    std::cout << zurasn1::version() << "\n";
    return OK;
  }
  for (const Command &c : kCommands)
    if (first == c.name) return c.run(Args(argv + 2, argv + argc));
  return usageError("unknown command " + first);
}
