#include "siblings/eqc/records.h"

static_assert(sizeof(CLINES_t) == 4000);
static_assert(sizeof(CPROG_t) == 4000);
static_assert(sizeof(CJBPAR_t) == 9 * 256 + 500 * 80);
static_assert(sizeof(CHEAD_t) == 288);
static_assert(sizeof(CWORK_t) == 4000);
static_assert(sizeof(CSP_t) == 4000);
static_assert(sizeof(CBUFFA_t) == 4000);
static_assert(sizeof(CGN_t) == 4000);
static_assert(sizeof(CGM_t) == 4000);
static_assert(sizeof(CNS_t) == 4000);
static_assert(sizeof(CLDOF_t) == 4000);
static_assert(sizeof(CONTRO_t) == 8000);
static_assert(sizeof(COUNT_t) == 4000);
static_assert(sizeof(CEOSZ_t) == 4000);
static_assert(sizeof(CSLEF_t) == 4000);
static_assert(sizeof(CSLNF_t) == 4000);
static_assert(sizeof(CSLES_t) == 4000);
static_assert(sizeof(CSLNS_t) == 4000);
static_assert(sizeof(CSLV_t) == 4000);
static_assert(sizeof(CNDEXS_t) == 36000);

extern "C" {
constinit CLINES_t CLINES{};
constinit CPROG_t CPROG{};
constinit CJBPAR_t CJBPAR{};
constinit CHEAD_t CHEAD{};
constinit CWORK_t CWORK{};
constinit CSP_t CSP{};
constinit CBUFFA_t CBUFFA{};
constinit CGN_t CGN{};
constinit CGM_t CGM{};
constinit CNS_t CNS{};
constinit CLDOF_t CLDOF{};
constinit CONTRO_t CONTRO{};
constinit COUNT_t COUNT{};
constinit CEOSZ_t CEOSZ{};
constinit CSLEF_t CSLEF{};
constinit CSLNF_t CSLNF{};
constinit CSLES_t CSLES{};
constinit CSLNS_t CSLNS{};
constinit CSLV_t CSLV{};
constinit CWARN_t CWARN{};
constinit CERROR_t CERROR{};
constinit CENEGY_t CENEGY{};
constinit CAVRGK_t CAVRGK{};
constinit CNDEXS_t CNDEXS{};
constinit CDSINX_t CDSINX{};
constinit CDSMNX_t CDSMNX{};
}
