#include "siblings/dm2/dsa_state.h"

#include <cstring>
#include <string>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_memory.h"

template class omi_SingletonBase<adb_dsaGlobal>;
template class omi_Singleton<adb_dsaGlobal>;

namespace {

constexpr mem32::Tag kWorkSpaceTag = mem32::tag("DSAW");

bool validStep(Int step, const char* routine) {
  if (step >= 0) return true;
  std::string text = "SYSTEM ERROR IN ";
  text += routine;
  text += " - INVALID STEP %I";
  adb_Kvxerr1(-3, text.c_str(), step);
  return false;
}

}  // namespace

const adb_dsaStepSettings* adb_dsaPar::readStep(Int step) const {
  if (!validStep(step, "ADB_DSAPAR")) return nullptr;
  const auto found = steps.find(step);
  return found == steps.end() ? nullptr : &found->second;
}

adb_dsaStepSettings* adb_dsaPar::writeStep(Int step) { return validStep(step, "ADB_DSAPAR") ? &steps[step] : nullptr; }

Real adb_dsaPar::Tolerance(Int step) const {
  const adb_dsaStepSettings* s = readStep(step);
  return s ? s->tolerance : 0;
}
Int adb_dsaPar::SizingFrequency(Int step) const {
  const adb_dsaStepSettings* s = readStep(step);
  return s ? s->sizingFrequency : 0;
}
bool adb_dsaPar::Verification(Int step) const {
  const adb_dsaStepSettings* s = readStep(step);
  return s ? s->verification : false;
}
dsa_Dtyp adb_dsaPar::DiffType(Int step) const {
  const adb_dsaStepSettings* s = readStep(step);
  return s ? static_cast<dsa_Dtyp>(s->differenceType) : dsa_DtypNone;
}
Real adb_dsaPar::Perturbation(Int step) const {
  const adb_dsaStepSettings* s = readStep(step);
  return s ? s->perturbation : 0;
}
bool adb_dsaPar::UserPerturbation(Int step) const {
  const adb_dsaStepSettings* s = readStep(step);
  return s ? s->userPerturbation : false;
}
void adb_dsaPar::setTolerance(Int step, Real value) {
  if (adb_dsaStepSettings* s = writeStep(step)) s->tolerance = value;
}
void adb_dsaPar::setSizingFrequency(Int step, Int value) {
  if (adb_dsaStepSettings* s = writeStep(step)) s->sizingFrequency = value;
}
void adb_dsaPar::setVerification(Int step, bool value) {
  if (adb_dsaStepSettings* s = writeStep(step)) s->verification = value;
}
void adb_dsaPar::setDiffType(Int step, dsa_Dtyp value) {
  if (adb_dsaStepSettings* s = writeStep(step)) s->differenceType = value;
}
void adb_dsaPar::setPerturbation(Int step, Real value) {
  if (adb_dsaStepSettings* s = writeStep(step)) s->perturbation = value;
}
void adb_dsaPar::setUserPerturbation(Int step, bool value) {
  if (adb_dsaStepSettings* s = writeStep(step)) s->userPerturbation = value;
}

adb_dsaPar* adb_dsaSpace::DesPar(Int number) {
  if (number >= 1 && number <= NumDesPar()) return &parameters[static_cast<std::size_t>(number - 1)];
  adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_DSASPACE - NO DESIGN PARAMETER %I", number);
  return nullptr;
}

void adb_dsaSpace::addDesPar(Real value) {
  adb_dsaPar p;
  p.desVal = value;
  parameters.push_back(p);
}

void adb_dsaSpace::addShpDesPar(Int shapeId) {
  adb_dsaPar p;
  p.shapeId = shapeId;
  parameters.push_back(p);
}

void adb_dsaSpace::setDesVal(Int number, Real value) {
  if (adb_dsaPar* p = DesPar(number)) p->desVal = value;
}

void adb_dsaSpace::setDesPar(Int position, Int a, Int b, Real x, Int k) {
  adb_dsaPar* p = DesPar(position + 1);
  if (p == nullptr) return;
  p->controlA = a;
  p->controlB = b;
  p->controlValue = x;
  p->controlK = k;
}

Int adb_dsaSpace::MaxResEl(Int i) const {
  const auto found = maxResEl.find(i);
  return found == maxResEl.end() ? 0 : found->second;
}

Real adb_dsaSpace::MaxPln(Int i) const {
  const auto found = maxPln.find(i);
  return found == maxPln.end() ? 0 : found->second;
}

Real adb_dsaSpace::Shpname(Int i) {
  const adb_dsaPar* p = DesPar(i);
  return p ? static_cast<Real>(p->shapeId) : 0;
}

Int adb_dsaSpace::dblAccess(dsaAcc kind) {
  if (kind != dsaAccReal0 && kind != dsaAccReal2) return 0;
  Int& word = accessWord[kind];
  if (word == 0) word = mem32::map(realSpace[kind].data(), realSpace[kind].size() * sizeof(Real), kWorkSpaceTag);
  return word;
}

Int adb_dsaSpace::intAccess(dsaAcc kind) {
  if (kind != dsaAccInteger) return 0;
  Int& word = accessWord[kind];
  if (word == 0) word = mem32::map(intSpace.data(), intSpace.size() * sizeof(Int), kWorkSpaceTag);
  return word;
}

void adb_dsaSpace::resetAccess(dsaAcc kind) {
  if (kind < 0 || kind > 2) return;
  resets.push_back(kind);
  if (accessWord[kind] != 0) mem32::unmap(accessWord[kind]);
  accessWord[kind] = 0;
}

// The marshalled state: the model and space integers and reals, the parameter count, then per
// parameter its fixed fields, its step count and per step the step and six settings.
namespace {
constexpr Int kHeadReals = 13;
constexpr Int kParameterReals = 8;
constexpr Int kStepReals = 7;
}  // namespace

Int adb_dsaGlobal::MarshalSize() const {
  Int n = kHeadReals;
  for (const adb_dsaPar& p : space.parameters) n += kParameterReals + kStepReals * static_cast<Int>(p.steps.size());
  return n;
}

void adb_dsaGlobal::HardenObject(Real* array, Int n) const {
  if (n < MarshalSize()) {
    adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_DSAGLOBAL::HARDENOBJECT - %I REALS ARE TOO FEW", n);
    return;
  }
  Real* out = array;
  for (Real v : {Real(word1), Real(model.word6), Real(model.word7), Real(model.word8), Real(model.perturbationMode),
                 Real(model.word10), Real(model.word11), model.prePert, Real(space.word16), Real(space.word17),
                 Real(space.word18), Real(space.word19), Real(space.NumDesPar())})
    *out++ = v;
  for (const adb_dsaPar& p : space.parameters) {
    for (Real v : {p.desVal, Real(p.nodalColumn), Real(p.shapeId), Real(p.controlA), Real(p.controlB),
                   p.controlValue, Real(p.controlK), Real(p.steps.size())})
      *out++ = v;
    for (const auto& [step, s] : p.steps)
      for (Real v : {Real(step), s.tolerance, Real(s.sizingFrequency), s.verification ? 1.0 : 0.0,
                     Real(s.differenceType), s.perturbation, s.userPerturbation ? 1.0 : 0.0})
        *out++ = v;
  }
}

void adb_dsaGlobal::FormObject(const Real* array, Int n) {
  auto refuse = [n] { adb_Kvxerr1(-3, "SYSTEM ERROR IN ADB_DSAGLOBAL::FORMOBJECT - %I REALS HOLD NO STATE", n); };
  if (n < kHeadReals) return refuse();
  // Check the whole image first, so that a short one changes nothing.
  Int need = kHeadReals;
  const Int count = static_cast<Int>(array[kHeadReals - 1]);
  for (Int k = 0; k < count; ++k) {
    if (need + kParameterReals > n) return refuse();
    need += kParameterReals + kStepReals * static_cast<Int>(array[need + kParameterReals - 1]);
  }
  if (count < 0 || need > n) return refuse();
  const Real* in = array;
  auto next = [&in] { return *in++; };
  auto nextInt = [&in] { return static_cast<Int>(*in++); };
  word1 = nextInt();
  model.word6 = nextInt();
  model.word7 = nextInt();
  model.word8 = nextInt();
  model.perturbationMode = nextInt();
  model.word10 = nextInt();
  model.word11 = nextInt();
  model.prePert = next();
  space.word16 = nextInt();
  space.word17 = nextInt();
  space.word18 = nextInt();
  space.word19 = nextInt();
  next();
  space.parameters.assign(static_cast<std::size_t>(count), adb_dsaPar{});
  for (adb_dsaPar& p : space.parameters) {
    p.desVal = next();
    p.nodalColumn = nextInt();
    p.shapeId = nextInt();
    p.controlA = nextInt();
    p.controlB = nextInt();
    p.controlValue = next();
    p.controlK = nextInt();
    const Int steps = nextInt();
    for (Int k = 0; k < steps; ++k) {
      adb_dsaStepSettings& s = p.steps[nextInt()];
      s.tolerance = next();
      s.sizingFrequency = nextInt();
      s.verification = next() != 0;
      s.differenceType = nextInt();
      s.perturbation = next();
      s.userPerturbation = next() != 0;
    }
  }
}

namespace dm2_dsa_testing {

void setWorkSpaces(std::size_t reals0, std::size_t integers, std::size_t reals2) {
  adb_dsaSpace& s = omi_Singleton<adb_dsaGlobal>::Instance()->space;
  for (int kind = 0; kind < 3; ++kind)
    if (s.accessWord[kind] != 0) {
      mem32::unmap(s.accessWord[kind]);
      s.accessWord[kind] = 0;
    }
  s.realSpace[0].assign(reals0, 0.0);
  s.intSpace.assign(integers, 0);
  s.realSpace[2].assign(reals2, 0.0);
}

void resetState() {
  setWorkSpaces(0, 0, 0);
  omi_SingletonBase<adb_dsaGlobal>::Finalize();
}

}  // namespace dm2_dsa_testing
