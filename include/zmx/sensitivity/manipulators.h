// Element data manipulators: walks over the present variables of the current element's storage
// that perturb, difference, initialise, store, restore, transfer and verify them.
#pragma once

#include "zmx/types.h"

class Layout;
class ElementLayout;
class VarBlock;
struct adb_dsaVars;
enum VarBlockTypeKey : int;
class dsa_Var;
struct dsa_VarAccess;
struct dsa_VarPlace;

class ZMX_EXPORT dsa_DataManip {
 public:
  // entry names the routine in reports.
  dsa_DataManip(ElementLayout* layout, const Int* control1, const Int* control2, Real factor, const char* entry);
  virtual ~dsa_DataManip() = default;
  dsa_DataManip(const dsa_DataManip&) = delete;
  dsa_DataManip& operator=(const dsa_DataManip&) = delete;

  // Every present variable of the storage held by the state, in walk order.
  void doManip();
  // The listed ids of blocks of one kind (0 element, 1 section points, 3 their material points).
  void doManip(const Int* ids, VarBlockTypeKey kind, Int n);
  // Calls manip for every variable of one block, with the places found when it was formed.
  void visit(const Layout& layout, const dsa_Var& var);
  virtual void manip(const Layout& layout, Int storageClass, Int id, const adb_dsaVars& vars,
                     const VarBlock& block) = 0;

  Int DebugLevel() const { return debug_; }

 protected:
  // Values of a variable in one copy: where they start and how many there are.
  struct Span {
    Real* values = nullptr;
    Int count = 0;
    Int size() const { return count; }
  };
  // The variable (id) or a companion in copy of the layout; false (reported) when the layout
  // lacks it.
  bool span(const Layout& layout, Int id, int copy, Span& out) const;
  // The variable (which = kSelf) or its companion d[which] in copy, from the places found when
  // the storage was formed (or looked up when the walk has none).
  static constexpr int kSelf = -1;
  inline bool span(const Layout& layout, Int id, const adb_dsaVars& vars, int which, int copy, Span& out) const;
  inline bool spanAt(const Layout& layout, const dsa_VarPlace& place, int copy, Span& out) const;
  // Block p of a derivative store shaped like the variable; null (reported) when the block lies
  // outside the store.
  inline Real* block(const Span& store, const Span& variable, Int p) const;
  // The whole companion, which must hold at least the variable's values; null (reported) else.
  Real* whole(const Span& store, const Span& variable) const;
  void report() const;
  Int parameter() const { return control2_ ? control2_[7] : 0; }

  ElementLayout* layout_;
  const Int* control1_;
  const Int* control2_;
  Real factor_;
  Int debug_ = 0;
  const char* debugText_ = nullptr;
  const char* entry_;
  const dsa_VarAccess* current_ = nullptr;  // places of the variable being handled

  template <class M>
  friend void dsaWalk(M& m);
  friend struct dsa_WalkRules;
};

class ZMX_EXPORT dsa_FiniteDiff : public dsa_DataManip {
 public:
  dsa_FiniteDiff(ElementLayout* layout, const Int* c1, const Int* c2, Int a, Int b, Int c, Real factor,
                 const char* entry = "ELDSAFINITEDIFF");
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;

 protected:
  // The store T (companion and copy) and the copy of S of the difference rules; false when the
  // class takes no part.
  inline bool choose(Int storageClass, Int id, int& companion, int& storeCopy, int& sourceCopy) const;
  Int a_, b_, c_;
  friend struct dsa_WalkRules;
};

class ZMX_EXPORT dsa_Init : public dsa_DataManip {
 public:
  dsa_Init(ElementLayout* layout, const Int* c1, const Int* c2);
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;
};

class ZMX_EXPORT dsa_InitDeriv : public dsa_FiniteDiff {
 public:
  dsa_InitDeriv(ElementLayout* layout, const Int* c1, const Int* c2, Int a, Int b, Int c, Real factor);
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;

 private:
  Int mode_;
};

class ZMX_EXPORT dsa_Perturb : public dsa_DataManip {
 public:
  dsa_Perturb(ElementLayout* layout, const Int* c1, const Int* c2, Real factor, const char* entry = "ELDSAPERTURB");
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;

 protected:
  // Adds factor times block p of the companion's copy to the variable's copy 0.
  void perturbFrom(const Layout& layout, Int id, const adb_dsaVars& vars, int companion, int copy);
  Int mode_;
  Int control11_;
  friend struct dsa_WalkRules;
};

class ZMX_EXPORT dsa_PerturbElout : public dsa_Perturb {
 public:
  using dsa_Perturb::dsa_Perturb;
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;
};

class ZMX_EXPORT dsa_PerturbSigin : public dsa_Perturb {
 public:
  using dsa_Perturb::dsa_Perturb;
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;
};

class ZMX_EXPORT dsa_RestoreInitState : public dsa_DataManip {
 public:
  explicit dsa_RestoreInitState(ElementLayout* layout);
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;
  void manip();
};

class ZMX_EXPORT dsa_StoreInitState : public dsa_DataManip {
 public:
  dsa_StoreInitState(ElementLayout* layout, const Int* c1, const Int* c2);
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;
};

class ZMX_EXPORT dsa_Transfer : public dsa_DataManip {
 public:
  dsa_Transfer(ElementLayout* layout, const Int* c1, const Int* c2, Int direction);
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override;

 private:
  Int direction_;
};

class ZMX_EXPORT dsa_Verif : public dsa_DataManip {
 public:
  dsa_Verif(ElementLayout* layout, const Real* first, const Real* second, Int i1, Int i2, Int i3, Int i4);
  void manip(const Layout&, Int, Int, const adb_dsaVars&, const VarBlock&) override {}
  void elVecPrint() {}
  void varPrint() {}
  void dVarPrint() {}

 private:
  const Real* first_;
  const Real* second_;
  Int ints_[4];
};

class ZMX_EXPORT dsa_VerifElVector {
 public:
  dsa_VerifElVector(const Real* first, const Real* second, Int i1, Int i2, Int i3, Int i4, const char* name,
                    Int nameLength);
  void elVecPrint() {}
  void varPrint() {}
  void dVarPrint() {}

 private:
  const Real* first_;
  const Real* second_;
  Int ints_[4];
  const char* name_;
  Int nameLength_;
};

extern "C" {
ZMX_EXPORT void ELDSAPERTURB(const Int* layout, const Int* control1, const Int* control2, const Real* factor,
                             const Int* unused);
ZMX_EXPORT void SIGINDSAPERTURB(const Int* layout, const Int* control1, const Int* control2, const Real* factor,
                                const Int* unused);
ZMX_EXPORT void ELDSAFINITEDIFF(const Int* layout, const Int* control1, const Int* control2, const Int* a,
                                const Int* b, const Int* c, const Real* factor);
ZMX_EXPORT void ELDSAINITDERIV(const Int* layout, const Int* control1, const Int* control2, const Int* a,
                               const Int* b, const Int* c, const Real* factor);
ZMX_EXPORT void DSA_ZEROUPSTATE(const Int* layout, const Int* control1, const Int* control2);
ZMX_EXPORT void DSASTOREINITSTATE(const Int* layout, const Int* control1, const Int* control2);
ZMX_EXPORT void ELDSARESTOREDATA(const Int* layout, const Int* element, const Int* flag1, const Int* flag2);
ZMX_EXPORT void DSATRANSFER(const Int* layout, const Int* control1, const Int* control2, const Int* direction);
ZMX_EXPORT void ELDSAVERIF(const Int* layout, const Real* first, const Real* second, const Int* i1, const Int* i2,
                           const Int* i3, const Int* i4);
ZMX_EXPORT void DSA_STDVERIFELVECTOR(const Real* first, const Real* second, const Int* i1, const Int* i2,
                                     const Int* i3, const Int* i4, const char* name, Int nameLength);
ZMX_EXPORT void DSA_MASSTORE(const Int* layout, const Real* values, const Int* n);
ZMX_EXPORT void DSA_PERTCONTCTA(const Int* layout, const Int* n, const Int* j, const Int* unused, const Real* dv);
}
