#include "siblings/eqc/restart_record.h"

static_assert(sizeof(CREST_t) == 400);

extern "C" {
constinit CREST_t CREST{};
}
