// The integer tables are installed with the library's headers.
#pragma once

#include "zmx/int_table.h"
