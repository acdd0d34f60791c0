#include "siblings/eqc/unit_records.h"

extern "C" {
constinit CDSEL_t CDSEL{};
constinit CDSELF_t CDSELF{};
constinit CDML_t CDML{};
constinit CDSL_t CDSL{};
constinit CDIC_t CDIC{};
constinit CDMLIX_t CDMLIX{};
constinit CDSPIC_t CDSPIC{};
constinit CODBP_t CODBP{};
}
