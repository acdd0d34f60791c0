// The library's use-counted start and end, and its small process-wide switches.
#include <csignal>

#include "siblings/bdo/bdo_module.h"
#include "siblings/dm2/dm2_memory.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/glo/glo_module.h"
#include "siblings/inp/inp_module.h"
#include "siblings/utl/utl_module.h"
#include "zmx/import.h"
#include "zmx/sensitivity.h"
#include "zmx/storage.h"

namespace {
// Neither counter is clamped: an unmatched shr_finalize drives the use count below 0, and the
// next shr_initialize then only counts back up.
constinit int gUseCount = 0;
constinit int gMemoryTallyInPre = 1;
// Written from a signal handler, so of the one type such a handler may safely store to.
constinit volatile std::sig_atomic_t gSignalReceived = 0;
}  // namespace

void shr_initialize(int& counter) {
  const int previous = gUseCount++;
  if (previous != 0) return;
  ++counter;
  utl_initialize(counter);
  bdo_initialize(counter);
  inp_initialize(counter);
  eqc_initialize(counter);
  glo_initialize(counter);
  dm2_initialize(counter);
  edi_initialize(counter);
  dsa_initialize(counter);
  SHR_COMMON();
}

void shr_finalize(int& counter) {
  if (--gUseCount != 0) return;
  --counter;
  omi_SingletonBase<shr_SurfaceDb>::Finalize();
  dsa_finalize(counter);
  edi_finalize(counter);
  dm2_finalize(counter);
  glo_finalize(counter);
  eqc_finalize(counter);
  inp_finalize(counter);
  bdo_finalize(counter);
  utl_finalize(counter);
}

int shr_getMemoryTallyInPre() { return gMemoryTallyInPre; }
void shr_setMemoryTallyInPre(int value) { gMemoryTallyInPre = value; }

void shr_signalHandler(int /*signal*/) { gSignalReceived = 1; }
int zmx::signalReceived() { return gSignalReceived; }

// The scratch database installs its own new-handler; this one is kept for hosts that name it.
void MemoryExhaustedHandler() {}
void SHR_COMMON() {}

void dummy_nec_shr_abubblesort() {}
void dummy_nec_shr_aqsort2() {}
void dummy_rs6000_shr_sysparams() {}
void dummy_vpp_shr_vmemcpy_1() {}
void dummy_vpp_shr_vmemcpy_2() {}
void dummy_vpp_shr_vmemset() {}
