// The displacement of a small-sliding pair's nodes and the stored normals of one-dof nodes.

#include "contact/small_sliding/one_dof_nodes.h"

#include <cstring>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/eqc_services.h"
#include "siblings/eqc/records.h"

namespace zmx::small_sliding {
namespace {
constexpr Int kRecordListOperation = 1;
constexpr int kNormalsFirstWord = 12;  // CSLNF: first address of the nodal-normal records
constexpr int kNormalsEndWord = 7;     // CSLNF: end (exclusive) of those records
constexpr Int kSystemError = -3;
}  // namespace

void storedNormal(const Int* ndb, Int node, int dim, Real* /*rec*/, const char* missingText, Real* normal) {
  const Int handle = ADB_GETNODE(ndb, &node);
  Int count = 0;
  const Int listWord = ADB_NODEACCESS(&kRecordListOperation, &handle, &count);
  const Int* addresses = count > 0 ? mem32::at<Int>(listWord, static_cast<std::size_t>(count)) : nullptr;
  const Int first = rec::i(CSLNF, kNormalsFirstWord), end = rec::i(CSLNF, kNormalsEndWord);
  for (Int j = 0; addresses != nullptr && j < count; ++j) {
    if (addresses[j] >= first && addresses[j] < end) {
      // The record is read into storage of its own: the caller's work array has no stated room.
      std::vector<Real> record;
      eqc::readSlideLineRecord(addresses[j], record, 1 + static_cast<std::size_t>(dim));
      for (int c = 0; c < dim; ++c) normal[c] = record[1 + c];
      return;
    }
  }
  const Int zero = 0;
  const Real zeroReal = 0.0;
  KVXERR(&kSystemError, missingText, static_cast<Int>(std::strlen(missingText)), &zero, &zeroReal, " ", 1);
  for (int c = 0; c < dim; ++c) normal[c] = 0.0;
}

void PairDisplacements::slave(Real* d) const {
  for (int c = 0; c < dim; ++c) d[c] = slaveOneDof ? u[0] * slaveNormal[c] : u[c];
}

void PairDisplacements::master(Int i, const Real* normal, Real* d) const {
  const Int start = slaveOneDof ? 1 : stride;
  if (mastersOneDof) {
    const Real s = u[start + i - 1];
    for (int c = 0; c < dim; ++c) d[c] = s * normal[c];
  } else {
    const Real* ui = u + start + (i - 1) * stride;
    for (int c = 0; c < dim; ++c) d[c] = ui[c];
  }
}

}  // namespace zmx::small_sliding
