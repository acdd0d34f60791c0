// Surface geometry: every area's public header.
#pragma once

#include "zmx/geometry/bezier.h"
#include "zmx/geometry/bspline.h"
#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/planes.h"
#include "zmx/geometry/feet.h"
#include "zmx/geometry/sharp_folds.h"
#include "zmx/geometry/tributary.h"
#include "zmx/geometry/normals.h"
#include "zmx/geometry/projection.h"
