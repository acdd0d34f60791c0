// The results file in binary form: records of 8-byte words packed into blocks of 512 words,
// and the block layer DBSEQ that the other sequential data-base units share.
#include "zmx/storage.h"

extern "C" {
constinit CDFILE_t CDFILE{};
constinit CDFILR_t CDFILR{};
constinit CDFILS_t CDFILS{};
constinit COUTF_t COUTF{};
}
