// The import option record, filled by the host.
#include "zmx/import/records.h"

CIMPORT_t CIMPORT{};
