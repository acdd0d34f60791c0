// Sensitivity state access: the items of the analysis database's sensitivity state, chosen by
// operation code, its work spaces, the design parameters' per-step settings and the
// eigen-sensitivity buffer kept across a restart.
#pragma once

#include "zmx/types.h"

extern "C" {
ZMX_EXPORT Int DSA_INT(const Int* op, const Int* i);
ZMX_EXPORT void DSA_SET(const Int* op, const Int* i, const Int* j, const Real* x);
ZMX_EXPORT Real DSA_DBL(const Int* op, const Int* i);
// Address word of a work space (0 and 2 reals, 1 integers); 0 for another op.
ZMX_EXPORT Int DSA_ACCESS(const Int* op);
ZMX_EXPORT Int DSA_RELEASE(const Int* op);
ZMX_EXPORT void DSA_DESPARGETITEM(const Int* op, const Int* step, const Int* par, Int* ival, Real* rval);
ZMX_EXPORT void DSA_DESPARSETITEM(const Int* op, const Int* step, const Int* par, const Int* ival, const Real* rval);
ZMX_EXPORT void DSA_DESPARDATA(const Int* step, const Int* par, Int* dtype, Int* method, Real* pert, Int* userpert);
ZMX_EXPORT void DSA_SETDSACNTRL(const Int* a, const Int* b, const Real* r, const Int* k);
ZMX_EXPORT void DSA_MARSHALL(const Int* flag, Real* array, const Int* n);
// a: n records of stride 8-byte slots, record k's first slot its mode number (low word), slots 2
// to m + 1 its values.
ZMX_EXPORT void DSA_STOREEIGENSENS(const Real* a, const Int* n, const Int* m, const Int* stride);
ZMX_EXPORT void DSA_RESTARTEIGENSENS(Int* modes, Real* values, Int* n, const Int* m);
}
