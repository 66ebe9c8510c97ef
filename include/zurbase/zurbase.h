/* zurbase: umbrella header. */
#ifndef ZURBASE_ZURBASE_H
#define ZURBASE_ZURBASE_H

#include "zurbase/types.h"
#include "zurbase/status.h"
#include "zurbase/env.h"
#include "zurbase/ctltbl.h"
#include "zurbase/values.h"
#include "zurbase/trace.h"
#include "zurbase/api.h"

#endif
