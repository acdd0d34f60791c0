// Surface geometry: every area's public header.
#pragma once

#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/normals.h"
#include "zmx/geometry/projection.h"
