// Storage, files and module frame: every area's public header.
#pragma once

#include "zmx/storage/frame.h"
#include "zmx/storage/scratch.h"
#include "zmx/storage/scratch_partitions.h"
#include "zmx/storage/sets.h"
#include "zmx/storage/units.h"
#include "zmx/storage/results.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/substructures.h"
#include "zmx/storage/records.h"
