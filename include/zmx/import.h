// Import of an earlier explicit analysis: every area of the module.
#pragma once

#include "zmx/import/frame.h"
#include "zmx/import/operators.h"
#include "zmx/import/reader.h"
#include "zmx/import/state.h"
