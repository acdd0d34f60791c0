// The common end of a job for every kind of program, and two small run switches.
#include <cstdlib>
#include <string>

#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/eqc_labels.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/run_services.h"
#include "siblings/eqc/records.h"
#include "zmx/storage.h"

extern "C" {

void SHR_XIT() {
  char label[80];
  std::string(sizeof label, ' ').copy(label, sizeof label);
  const Int jobExit = 7;
  Int status = 0;
  LABELACCESS(&jobExit, label, sizeof label, &status);
  Int& kind = rec::i(CPROG, eqc_records::kProgramKind);
  if (kind == -1) kind = 0;
  if (kind == 1) {
    SHR_CLOSESUBSTRODB();
  } else if (kind == 0) {
    const Int moveToDatabase = 3, none = 0;
    MSGACCESSADB(&moveToDatabase, &none, &none);
  }
  if (kind == 2) {
    const Int normalEnd = 0;
    BCU_EXIT(&normalEnd);
  }
  XITMSG();
  XITJOB();
}

Int SHR_GETSPARSEFLAG(Int* flag) {
  // Only whether the variable exists counts, even with an empty value.
  const Int value = std::getenv("VTQ_USE_SPARSE_OPERATORS") != nullptr ? 1 : 0;
  if (flag != nullptr) *flag = value;
  return value;
}

void DBED() {}

}  // extern "C"
