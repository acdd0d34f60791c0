#include "zmx/storage/records.h"

static_assert(sizeof(CPROC_t) == 400);

extern "C" {
constinit CPROC_t CPROC{};
}
