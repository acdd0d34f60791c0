#include "siblings/eqc/writer_services.h"

#include <cstring>

#include "runtime/fortran_chars.h"

static_assert(sizeof(CNODE_t) == 400);
static_assert(sizeof(CMATYP_t) == 400);

extern "C" {
constinit CNODE_t CNODE{};
constinit CMATYP_t CMATYP{};
}

namespace {

struct WriterServices {
  std::vector<eqc_testing::JobMonitorMessage> monitor;
  std::vector<Int> storedCounts;
};

constinit WriterServices* gServices = nullptr;

WriterServices& services() {
  if (gServices == nullptr) gServices = new WriterServices();  // lives until the process ends
  return *gServices;
}

}  // namespace

extern "C" {

Int LFC_XUT_AND(const Int* a, const Int* b) { return *a & *b; }

void IPM_MESSAGE(const char* kind, Int kindLength, const char* format, Int formatLength, const Int* first,
                 const Int* second, const char* text, Int textLength, Int* status) {
  services().monitor.push_back({fchar::toString(kind, kindLength), fchar::toString(format, formatLength),
                                fchar::toString(text, textLength), *first, *second});
  *status = 0;
}

}  // extern "C"

namespace eqc_detail {

void readStoredModelCounts(void* array, Int capacity, Int* status) {
  const std::vector<Int>& words = services().storedCounts;
  *status = 1;
  if (words.empty() || static_cast<long long>(words.size()) > capacity) return;
  std::memcpy(array, words.data(), words.size() * sizeof(Int));
  *status = 0;
}

}  // namespace eqc_detail

namespace eqc_testing {

std::vector<JobMonitorMessage> jobMonitorMessages() { return services().monitor; }
void clearJobMonitorMessages() { services().monitor.clear(); }
void setStoredModelCounts(const std::vector<Int>& words) { services().storedCounts = words; }

}  // namespace eqc_testing
