// Output-database writer: every area's public header.
#pragma once

#include "zmx/odb/sets.h"
#include "zmx/odb/state.h"
#include "zmx/odb/surfaces.h"
#include "zmx/odb/writer.h"
