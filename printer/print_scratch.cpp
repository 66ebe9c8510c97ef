#include "printer/print_scratch.h"

#include "printer/service_calls.h"

namespace zur {
namespace {

// The record of the innermost print running on this thread; null while the
// walker runs without the driver.
thread_local PrintScratch *current = nullptr;

}  // namespace

PrintScratch::PrintScratch() noexcept : outer_(current) { current = this; }

PrintScratch::~PrintScratch() {
  if (block_ != nullptr) release(env_, block_);
  current = outer_;
}

void *PrintScratch::take(Env *env, uint32_t size) {
  void *block = allocate(env, size);
  if (current != nullptr) {
    current->env_ = env;
    current->block_ = block;
  }
  return block;
}

void PrintScratch::giveBack(Env *env, void *block) {
  if (current != nullptr) current->block_ = nullptr;
  release(env, block);
}

}  // namespace zur
