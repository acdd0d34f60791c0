// Surface geometry: every area's public header.
#pragma once

#include "zmx/geometry/sharp_folds.h"
