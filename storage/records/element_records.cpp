// The element work-array layout record, filled by the hosts.
#include "zmx/storage/records.h"

CELGI_t CELGI{};
