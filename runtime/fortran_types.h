// The ABI's scalar types live with the installed headers; the run-time and the stand-ins reach
// them under this name too.
#pragma once

#include "zmx/types.h"
