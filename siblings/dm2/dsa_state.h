// The design-sensitivity state of the analysis database: one object for the run, reached through
// omi_Singleton<adb_dsaGlobal>::Instance, with its model part, its design space and the design
// parameters. The library keeps its own objects here as untyped pointers.
//
// Design-parameter numbers run from 1 to NumDesPar(); steps from 0 on. A number or step outside
// is reported at level -3: a read gives 0 (or null), a write changes nothing.
#pragma once

#include <map>
#include <vector>

#include "runtime/fortran_types.h"
#include "zmx/singleton.h"

// Kind of work-space access: the two real work spaces (0 and 2) and the integer one (1).
enum dsaAcc : int { dsaAccReal0 = 0, dsaAccInteger = 1, dsaAccReal2 = 2 };

// Difference type of a design parameter in a step, passed as an integer.
enum dsa_Dtyp : int { dsa_DtypNone = 0, dsa_DtypForward = 1, dsa_DtypCentral = 2 };

// Per-step settings of one design parameter.
struct adb_dsaStepSettings {
  Real tolerance = 0;
  Int sizingFrequency = 0;
  bool verification = false;
  Int differenceType = 0;
  Real perturbation = 0;
  bool userPerturbation = false;
};

class ZMX_EXPORT adb_dsaPar {
 public:
  Real desVal = 0;        // the design value
  Int nodalColumn = 0;    // column of the parameter's nodal derivative vector, 0 for none
  Int shapeId = 0;        // shape design parameter: its shape id, else 0
  // What the last setDesPar gave this parameter.
  Int controlA = 0;
  Int controlB = 0;
  Real controlValue = 0;
  Int controlK = 0;

  Real Tolerance(Int step) const;
  Int SizingFrequency(Int step) const;
  bool Verification(Int step) const;
  dsa_Dtyp DiffType(Int step) const;
  Real Perturbation(Int step) const;
  bool UserPerturbation(Int step) const;
  void setTolerance(Int step, Real value);
  void setSizingFrequency(Int step, Int value);
  void setVerification(Int step, bool value);
  void setDiffType(Int step, dsa_Dtyp value);
  void setPerturbation(Int step, Real value);
  void setUserPerturbation(Int step, bool value);

  std::map<Int, adb_dsaStepSettings> steps;

 private:
  const adb_dsaStepSettings* readStep(Int step) const;
  adb_dsaStepSettings* writeStep(Int step);
};

// The model part: its integers (word 9 the perturbation mode) and the pre-perturbation real.
class ZMX_EXPORT adb_dsaModel {
 public:
  Int word6 = 0;
  Int word7 = 0;  // 0 or 1: selects the data of the element verification loop
  Int word8 = 0;
  Int perturbationMode = 0;  // word 9: 1 or 2
  Int word10 = 0;
  Int word11 = 0;
  Real prePert = 0;  // words 14 and 15
  void setPrePert(Real value) { prePert = value; }
};

// The design space: its integers, the design parameters and the work spaces.
class ZMX_EXPORT adb_dsaSpace {
 public:
  Int word16 = 0;
  Int word17 = 0;
  Int word18 = 0;
  Int word19 = 0;
  std::vector<adb_dsaPar> parameters;  // word 21 the count, word 22 the records
  Int currentStep = 0;
  std::map<Int, Int> maxResEl;
  std::map<Int, Real> maxPln;

  Int NumDesPar() const { return static_cast<Int>(parameters.size()); }
  // Parameter number from 1; null (reported) outside.
  adb_dsaPar* DesPar(Int number);
  void addDesPar(Real value);
  void addShpDesPar(Int shapeId);
  void setDesVal(Int number, Real value);
  // Control of the parameter at position (from 0).
  void setDesPar(Int position, Int a, Int b, Real x, Int k);
  Int MaxResEl(Int i) const;
  void setMaxResEl(Int i, Int j) { maxResEl[i] = j; }
  Real MaxPln(Int i) const;
  void setMaxPln(Int i, Real x) { maxPln[i] = x; }
  // Shape id of design parameter i as a real (0 for a parameter that is not a shape one).
  Real Shpname(Int i);
  void setCurrentStep(Int step) { currentStep = step; }

  // Address words of the work spaces (reals for kinds 0 and 2, integers for kind 1); a word
  // stays valid until resetAccess of its kind.
  Int dblAccess(dsaAcc kind);
  Int intAccess(dsaAcc kind);
  void resetAccess(dsaAcc kind);

  std::vector<Real> realSpace[3];
  std::vector<Int> intSpace;
  Int accessWord[3] = {0, 0, 0};
  std::vector<int> resets;  // kinds reset, in call order
};

class ZMX_EXPORT adb_dsaGlobal {
 public:
  void* contactDb = nullptr;   // word 0: the library's contact-gradient table
  Int word1 = 0;               // word 1
  void* varStorage = nullptr;  // word 2: the library's storage of the current element
  Int eigenModes = 0;          // word 3
  Real* eigenBuffer = nullptr; // word 4: the library's eigen-sensitivity buffer
  adb_dsaModel model;          // words 6 to 15
  adb_dsaSpace space;          // words 16 on

  // Number of reals that HardenObject writes.
  Int MarshalSize() const;
  // Writes the state into n reals (refused, reported, when n is too small).
  void HardenObject(Real* array, Int n) const;
  // Rebuilds the state from n reals written by HardenObject (refused, reported, when they do
  // not hold a whole state).
  void FormObject(const Real* array, Int n);

 private:
  friend class omi_Singleton<adb_dsaGlobal>;
  friend class omi_SingletonBase<adb_dsaGlobal>;
  adb_dsaGlobal() = default;
};

extern template class omi_SingletonBase<adb_dsaGlobal>;
extern template class omi_Singleton<adb_dsaGlobal>;

namespace dm2_dsa_testing {
// Sizes of the work spaces (reals of kinds 0 and 2, integers of kind 1); their words turn stale.
ZMX_EXPORT void setWorkSpaces(std::size_t reals0, std::size_t integers, std::size_t reals2);
// Drops the state (the library's pointers with it: the caller frees what they held first).
ZMX_EXPORT void resetState();
}  // namespace dm2_dsa_testing
