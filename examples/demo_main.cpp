// zurbase demo: an application's view of the library.
#include "examples/demo.h"

int main() {
  std::printf("zurbase demo: %d entry points in apiTbl\n", API_SLOT_COUNT);
  demo::showHexDump(demo::defaultEncoding());
  demo::showCodecs();
  return 0;
}
