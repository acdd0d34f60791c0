// Message catalogue: the exported routines of subsystem 7.
#pragma once

#include "zmx/messages/catalogue.h"
#include "zmx/messages/drain.h"
#include "zmx/messages/lines.h"
