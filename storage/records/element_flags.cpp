#include "zmx/storage/records.h"

static_assert(sizeof(CELFLG_t) == 400);

extern "C" {
constinit CELFLG_t CELFLG{};
}
