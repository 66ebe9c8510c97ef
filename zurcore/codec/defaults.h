// DEFAULT values: the image zurasn1 lays out for a component, copied in by
// decoders when the component is absent, and compared with by the encoders
// that leave a default value out (DER, PER).
#ifndef ZURCORE_CODEC_DEFAULTS_H
#define ZURCORE_CODEC_DEFAULTS_H

#include "tables.h"

namespace zurcore {

// The default image of a component, or null when it has none.
inline const void *defaultImage(const Schema &s, uint32_t component) {
  const uint32_t index = s.component(component).defaultValue;
  return (s.component(component).flags & ZUR_C_DEFAULT) != 0 && index != 0 ? s.codec->defaults[index]
                                                                           : nullptr;
}

// Copies the component's default into its place in the parent value at
// `parent` (a component held through an address gets the image's address).
void copyDefault(const Schema &s, uint32_t component, unsigned char *parent);

// True when the component's value in the parent at `parent` equals its
// default.
bool equalsDefault(const Schema &s, uint32_t component, const unsigned char *parent);

}  // namespace zurcore

#endif
