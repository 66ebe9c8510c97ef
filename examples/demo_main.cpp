// zurbase demo: an application's view of the library.
#include "demo.h"

int main(int argc, char **argv) {
  std::printf("zurbase demo: %d entry points in apiTbl\n", API_SLOT_COUNT);
  demo::showHexDump(demo::defaultEncoding());
  demo::showCodecs();
  demo::showValues();
  demo::showFaultSafePrint();
  if (!demo::showTrace(argc > 1 ? argv[1] : nullptr)) return 1;
  return 0;
}
