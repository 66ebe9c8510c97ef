// The guard tests' executable also serves as the second process that holds
// "globlist" (see GloblistHolder).
#include <gtest/gtest.h>

#include "tests/guard/guard_support.h"

int main(int argc, char **argv) {
  if (const std::optional<int> holderExit = zurtest::runHolderMode(argc, argv)) return *holderExit;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
