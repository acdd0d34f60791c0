// Named records of the import interface.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// The import option, filled by the host: word 2 the direction (3 or more from a Standard analysis
// to an explicit one, less reads a previous explicit analysis); word 5 nonzero while an import
// is under way.
ZMX_RECORD_TYPE(CIMPORT, 16);
extern "C" ZMX_EXPORT CIMPORT_t CIMPORT;
