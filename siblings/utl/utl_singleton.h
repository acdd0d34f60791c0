// The single-object templates are installed with the library's headers.
#pragma once

#include "zmx/singleton.h"
