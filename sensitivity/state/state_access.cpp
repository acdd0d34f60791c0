// Upper-case face of the sensitivity state of the analysis database.
#include <algorithm>
#include <cmath>
#include <new>

#include "runtime/record.h"
#include "siblings/dm2/dsa_state.h"
#include "siblings/eqc/eqc_messages.h"
#include "zmx/sensitivity.h"

namespace {

adb_dsaGlobal& state() { return *omi_Singleton<adb_dsaGlobal>::Instance(); }
adb_dsaSpace& space() { return state().space; }
adb_dsaModel& model() { return state().model; }

// Values per mode of the buffer held, beside the mode count that the state keeps.
constinit Int gEigenValues = 0;

void freeEigenBuffer() {
  delete[] state().eigenBuffer;
  state().eigenBuffer = nullptr;
  state().eigenModes = 0;
  gEigenValues = 0;
}

// The buffer for n modes of m values read from records stride reals apart, or null when the
// counts are negative, a record would lie before the array, the caller's array or the buffer
// could not exist (more bytes than a process can address) or the memory is not there; the
// buffer held so far is kept then.
Real* eigenBufferFor(Int n, Int m, Int stride) {
  constexpr long long kAddressableReals = (1LL << 47) / 8;
  if (n < 0 || m < 0 || (n > 1 && stride < 0)) return nullptr;
  const long long span = (n > 1 ? (n - 1LL) * stride : 0) + m + 1;
  const long long words = (m + 1LL) * n + 1;
  if (span > kAddressableReals || words > kAddressableReals) return nullptr;
  return new (std::nothrow) Real[static_cast<std::size_t>(words)];
}

}  // namespace

extern "C" {

Int DSA_INT(const Int* op, const Int* i) {
  switch (*op) {
    case 0: return model().word7;
    case 1: return model().perturbationMode;
    case 2: return model().word10;
    case 3: return model().word8;
    case 4: return model().word11;
    case 5: return space().NumDesPar();
    case 6: return space().word18;
    case 7: return space().word17;
    case 8: return space().word19;
    case 9: return space().word16;
    case 10: return space().MaxResEl(*i);
    case 11: {
      const adb_dsaPar* p = space().DesPar(*i);
      return p ? p->nodalColumn : 0;
    }
    case 12: return model().word6;
    default:
      cfi_WriteMessage(-3, "SYSTEM ERROR 1 in dsa_int, invalid op code");
      return 0;
  }
}

void DSA_SET(const Int* op, const Int* i, const Int* j, const Real* x) {
  switch (*op) {
    case 0: model().word7 = *i; break;
    case 1: model().perturbationMode = *i; break;
    case 2: model().word10 = *i; break;
    case 3: model().word8 = *i; break;
    case 4: model().word11 = *i; break;
    case 5: space().addDesPar(*x); break;
    case 6: space().addShpDesPar(*i); break;
    case 7: if (*i > space().word18) space().word18 = *i; break;
    case 8: if (*i > space().word17) space().word17 = *i; break;
    case 9: space().word16 = *i; break;
    case 10: state().word1 = *i; break;
    case 11: model().setPrePert(*x); break;
    case 12: space().setMaxPln(*i, *x); break;
    case 13: space().setMaxResEl(*i, *j); break;
    case 14: model().word6 = *i; break;
    case 15: space().setCurrentStep(*i); break;
    default: cfi_WriteMessage(-3, "SYSTEM ERROR 1 in dsa_set, invalid op code");
  }
}

Real DSA_DBL(const Int* op, const Int* i) {
  switch (*op) {
    case 0: return model().prePert;
    case 1: return space().MaxPln(*i);
    case 2: return space().Shpname(*i);
    default: return 0;
  }
}

Int DSA_ACCESS(const Int* op) {
  switch (*op) {
    case 0: return space().dblAccess(dsaAccReal0);
    case 1: return space().intAccess(dsaAccInteger);
    case 2: return space().dblAccess(dsaAccReal2);
    default: return 0;
  }
}

Int DSA_RELEASE(const Int* op) {
  if (*op >= 0 && *op <= 2) space().resetAccess(static_cast<dsaAcc>(*op));
  return 0;
}

void DSA_DESPARGETITEM(const Int* op, const Int* step, const Int* par, Int* ival, Real* rval) {
  *ival = 0;
  *rval = 0;
  if (*op < 0 || *op > 6) {
    cfi_WriteMessage(-3, "System error in dsa_despargetitem: invalid op code");
    return;
  }
  if (*op == 6 && *step != 0) {
    cfi_WriteMessage(-3,
                     "System error in dsa_despargetitem: step value must be 0 when getting design parameter value");
    return;
  }
  const adb_dsaPar* p = space().DesPar(*par);
  if (p == nullptr) return;
  switch (*op) {
    case 0: *rval = p->Tolerance(*step); break;
    case 1: *ival = p->SizingFrequency(*step); break;
    case 2: *ival = p->Verification(*step) ? 1 : 0; break;
    case 3: *ival = p->DiffType(*step); break;
    case 4: *rval = p->Perturbation(*step); break;
    case 5: *ival = p->UserPerturbation(*step) ? 1 : 0; break;
    default: *rval = p->desVal;
  }
}

void DSA_DESPARSETITEM(const Int* op, const Int* step, const Int* par, const Int* ival, const Real* rval) {
  if (*op < 0 || *op > 6) {
    cfi_WriteMessage(-3, "System error in dsa_desparsetitem: invalid op code");
    return;
  }
  if (*op == 6) {
    if (*step != 0)
      cfi_WriteMessage(-3,
                       "System error in dsa_desparsetitem: step value must be 0 when setting design parameter value");
    else
      space().setDesVal(*par, *rval);
    return;
  }
  adb_dsaPar* p = space().DesPar(*par);
  if (p == nullptr) return;
  switch (*op) {
    case 0: p->setTolerance(*step, *rval); break;
    case 1: p->setSizingFrequency(*step, *ival); break;
    case 2: p->setVerification(*step, *ival != 0); break;
    case 3: p->setDiffType(*step, static_cast<dsa_Dtyp>(*ival)); break;
    case 4: p->setPerturbation(*step, *rval); break;
    default: p->setUserPerturbation(*step, *ival != 0);
  }
}

void DSA_DESPARDATA(const Int* step, const Int* par, Int* dtype, Int* method, Real* pert, Int* userpert) {
  const adb_dsaPar* p = space().DesPar(*par);
  if (p == nullptr) return;
  *userpert = p->UserPerturbation(*step) ? 1 : 0;
  if (*userpert == 1) *dtype = p->DiffType(*step);
  if (*dtype == 1) *method = 1;
  if (*dtype == 2) *method = 2;
  *pert = p->Perturbation(*step);
}

void DSA_SETDSACNTRL(const Int* a, const Int* b, const Real* r, const Int* k) {
  adb_dsaSpace& s = space();
  for (Int position = 0; position < s.NumDesPar(); ++position) {
    const Real value = s.parameters[static_cast<std::size_t>(position)].desVal;
    s.setDesPar(position, *a, *b, value != 0 ? *r * value : *r, *k);
  }
}

void DSA_MARSHALL(const Int* flag, Real* array, const Int* n) {
  if (*flag != 0)
    state().FormObject(array, *n);
  else
    state().HardenObject(array, *n);
}

void DSA_STOREEIGENSENS(const Real* a, const Int* n, const Int* m, const Int* stride) {
  Real* buffer = eigenBufferFor(*n, *m, *stride);
  if (buffer == nullptr) {
    cfi_WriteMessage(-3, "SYSTEM ERROR IN DSA_STOREEIGENSENS");
    return;
  }
  freeEigenBuffer();
  const std::size_t modes = static_cast<std::size_t>(*n), values = static_cast<std::size_t>(*m);
  for (std::size_t k = 0; k < modes; ++k) {
    const Real* record = a + k * static_cast<std::size_t>(*stride);
    buffer[k] = static_cast<Real>(rec::slotI(record, 1));
    for (std::size_t v = 0; v < values; ++v) buffer[modes + k * values + v] = record[v + 1];
  }
  state().eigenBuffer = buffer;
  state().eigenModes = *n;
  gEigenValues = *m;
}

// The n·m reals after the mode numbers, as they lie in the buffer; no further than the buffer
// holds when m is larger than the count stored.
void DSA_RESTARTEIGENSENS(Int* modes, Real* values, Int* n, const Int* m) {
  *n = state().eigenModes;
  const Real* buffer = state().eigenBuffer;
  if (buffer != nullptr) {
    const std::size_t count = static_cast<std::size_t>(*n);
    const std::size_t stored = count * static_cast<std::size_t>(gEigenValues);
    const std::size_t asked = count * (*m > 0 ? static_cast<std::size_t>(*m) : 0);
    for (std::size_t k = 0; k < count; ++k) modes[k] = static_cast<Int>(std::trunc(buffer[k]));
    std::copy(buffer + count, buffer + count + std::min(asked, stored), values);
  }
  freeEigenBuffer();
}

}  // extern "C"
