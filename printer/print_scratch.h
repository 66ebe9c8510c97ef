// The block a print holds from Env.memAlloc while it converts wide
// characters. A fault or abortJump that leaves the print while the block is
// held skips the handler's own release; the driver keeps a PrintScratch for
// the length of each print and gives such a block back when the print ends.
#ifndef ZURBASE_PRINTER_PRINT_SCRATCH_H
#define ZURBASE_PRINTER_PRINT_SCRATCH_H

#include <cstdint>

#include "zurbase/env.h"

namespace zur {

class PrintScratch {
 public:
  PrintScratch() noexcept;
  ~PrintScratch();
  PrintScratch(const PrintScratch &) = delete;
  PrintScratch &operator=(const PrintScratch &) = delete;

  // A block of size bytes from env's memAlloc, or null; held for the print
  // that runs on this thread until giveBack.
  static void *take(Env *env, uint32_t size);
  static void giveBack(Env *env, void *block);

 private:
  Env *env_ = nullptr;
  void *block_ = nullptr;
  // The record of a print further out on this thread (a hook may print).
  PrintScratch *outer_;
};

}  // namespace zur

#endif
