// Model, material and procedure data: every area's public header.
#pragma once

#include "zmx/model/materials.h"
#include "zmx/model/invariants.h"
#include "zmx/model/merging.h"
#include "zmx/model/records.h"
#include "zmx/model/outputs.h"
#include "zmx/model/printers.h"
