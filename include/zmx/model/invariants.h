// Stress invariants and strain measures for element output. Tensors hold NDI direct and NSHR
// shear components (direct first, engineering shears).
#pragma once

#include "zmx/types.h"

extern "C" {
// One invariant of a stress: KIND 1 Mises, 3 pressure (-mean), 4 the signed cube root of 4.5 times
// the third-order product of the deviator; any other KIND the largest minus the smallest
// principal value.
ZMX_EXPORT void ELOTKE(const Int* kind, const Real* s, Real* out, const Int* ndi, const Int* nshr);
// Principal stretches of a squared-stretch tensor T (MODE 0), nominal strains (1, 3) or
// logarithmic strains (2, 4); MODE 1 and 2 also rebuild the tensor E (6 reals) and rotate it by
// ROT when ROTATE is nonzero (ROT transposed when X8 is 0, else its in-plane block completed with
// a unit third row and column). NEG := 1 when T has a negative principal value.
ZMX_EXPORT void ELOTDG2(const Real* t, Real* prin, Real* e, const Real* rot, const Int* ndi, const Int* nshr,
                        const Int* rotate, const Int* x8, const Int* mode, Int* neg);
}
