// The 32-bit layout of the shared records is asserted field by field at
// compile time in the public headers; what is left to run is that a C
// translation unit sees the same records as C++.
#include <gtest/gtest.h>

#include <cstddef>

#include "zurbase/zurbase.h"

extern "C" std::size_t zurbaseEnvSizeSeenFromC(void);

namespace {

TEST(Layout, CAndCppSeeOneEnv) { EXPECT_EQ(zurbaseEnvSizeSeenFromC(), sizeof(Env)); }

}  // namespace
