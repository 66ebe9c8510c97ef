// zurbase demo: an application's view of the library.
#include <cstring>

#include "demo.h"

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--window") == 0) {
    const bool save = argc > 3 && std::strcmp(argv[2], "--save") == 0;
    // The name is typed into the window's save dialog, whose field holds 15
    // characters: a longer one would be saved under its first 15.
    if (save && std::strlen(argv[3]) > 15) {
      std::fprintf(stderr, "demo: --save %s: the save dialog takes names of up to 15 characters\n", argv[3]);
      return 2;
    }
    return demo::showWindowTrace(save ? argv[3] : nullptr);
  }
  if (argc > 1) {
    std::fprintf(stderr, "usage: demo [--window [--save FILE]]  (files: zurtrace FILE)\n");
    return 2;
  }
  std::printf("zurbase demo: %d entry points in apiTbl\n", API_SLOT_COUNT);
  demo::showHexDump(demo::defaultEncoding());
  demo::showCodecs();
  demo::showValues();
  demo::showFaultSafePrint();
  demo::showTrace();
  return 0;
}
