// Model, material and procedure data: every area's public header.
#pragma once

#include "zmx/model/outputs.h"
#include "zmx/model/printers.h"
