// Element library: every area's public header.
#pragma once

#include "zmx/elements/geometry.h"
#include "zmx/elements/extrapolation.h"
