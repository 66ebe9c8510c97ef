// What this library imports from the sibling run-time (zurcore): declared in
// the stand-in's public header, since a replacement sibling provides it too.
#ifndef ZURBASE_FRAME_SIBLING_H
#define ZURBASE_FRAME_SIBLING_H

#include "zurbase/zurcore.h"

#endif
