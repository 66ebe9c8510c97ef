#include "zurcore/core_env.h"

namespace zurcore {

// No built-in codec yet: BER and DER link only what is registered.
const CodecEntry &builtinBerCodec() {
  static constexpr CodecEntry none{};
  return none;
}

}  // namespace zurcore
