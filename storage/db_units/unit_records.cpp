// The named records of the page pools and the record units.

#include "zmx/storage.h"

extern "C" {
constinit CDBPP_t CDBPP{};
constinit CDM_t CDM{};
constinit CDME_t CDME{};
constinit CDSUS_t CDSUS{};
constinit CDHY_t CDHY{};
constinit CDND_t CDND{};
constinit CDRR_t CDRR{};
constinit CDRW_t CDRW{};
constinit CSIZE_t CSIZE{};
constinit CDNDIC_t CDNDIC{};
constinit CDSSIC_t CDSSIC{};
constinit CDRRIC_t CDRRIC{};
constinit CDRWIC_t CDRWIC{};
constinit CDSUPS_t CDSUPS{};
constinit CDCM_t CDCM{};
constinit CTFV_t CTFV{};
constinit CMLADR_t CMLADR{};
}
