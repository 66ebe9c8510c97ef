// The PER codec on compiled modules: what it reports, where, and what its
// trace shows.
#include <gtest/gtest.h>

#include "tests/support/codec_harness.h"

namespace {

using zurtest::CodecHarness;
using zurtest::fromHex;
using zurtest::toHex;

}  // namespace
