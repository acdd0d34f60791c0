// Numerical utilities: every area's public header.
#pragma once

#include "zmx/numerics/sorting.h"
#include "zmx/numerics/dense.h"
#include "zmx/numerics/kernels.h"
#include "zmx/numerics/rotations.h"
