// Element library: every area's public header.
#pragma once

#include "zmx/elements/geometry.h"
#include "zmx/elements/extrapolation.h"
#include "zmx/elements/interface.h"
#include "zmx/elements/line.h"
#include "zmx/elements/shells.h"
#include "zmx/elements/special.h"
