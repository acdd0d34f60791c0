// Drivers around the element manipulators: perturbation of nodal arrays, the design-sensitivity
// lists of the slide-line database, node updates, element set-up and the verification loop.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// Switches of a sensitivity run: word 2 = 1 verification with bit-vector operation 22; word 5
// = 1 node update after element set-up; word 6 = 1 second nodal perturbation.
ZMX_RECORD_TYPE(CDSAFLAGS, 20);
extern "C" ZMX_EXPORT CDSAFLAGS_t CDSAFLAGS;

namespace zmx::dsa_flags {
inline constexpr int kVerifyWithBitVector = 2;
inline constexpr int kUpdateNodes = 5;
inline constexpr int kSecondNodalPerturbation = 6;
}  // namespace zmx::dsa_flags

extern "C" {
ZMX_EXPORT void DSAANDRPERTDP(Real* y, const Real* X, const Int* k, const Real* dv, const Int* ld, const Int* n);
ZMX_EXPORT void DSADBNDPERT(Real* x, const Real* dv, const Int* ctl, const Int* na, const Int* m, const Int* nb,
                            const Int* eint, Real* w, const Int* ld, const Int* nodes, const Int* pkg);
ZMX_EXPORT void SHR_DSADBSLACT(const Int* address, Int* active);
// record: a design-sensitivity record of 8-byte slots; out(1) the number of entries collected.
ZMX_EXPORT void SHR_DSAGETALLNICS(const Real* record, Int* out, const Int* offset);
ZMX_EXPORT void SHR_DSANMODIF(Real* x, const Int* flags, const Int* node);
// E: a buffer of CGM word 41 slots.
ZMX_EXPORT void SHR_ELDSAINIT(const Int* element, Int* eint, Int* eflag, Real* E, Int* n, const Int* nodedb);
ZMX_EXPORT void SHR_ELDSAMODREF(Real* E, const Int* element, const Int* nodedb);
ZMX_EXPORT void SHR_ELDSASETNPDBVEC(Real* dst, const Int* off, const Real* src, const Int* map, const Int* stride,
                                    const Int* nrow, const Int* ncol, const Int* nval, const Int* ld);
ZMX_EXPORT void SHR_ELSET1(Real* x, const Int* layout, Int* work, const Int* pkg, const Int* nodedb);
ZMX_EXPORT void SHR_ELSET(Real* x, Int* edof, Int* dmap, const Int* n, Real* E, Real* E2, const Int* layout,
                          Int* work, Real* w, const Int* len, const Int* pkg, const Int* nodedb);
ZMX_EXPORT void SHR_ELDSAVER(Real* x, const Real* y, const Int* dmap, const Int* n, const Int* elemdb);
}
