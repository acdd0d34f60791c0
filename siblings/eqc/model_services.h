// Services of eqc that the model-data routines call: tensor rotation and the substructure-use record.
#pragma once

#include "runtime/fortran_types.h"
#include "runtime/record.h"

extern "C" {
// E := R E R^T for a symmetric tensor of NDI direct and NSHR engineering shear components (order
// 11, 22, 33, 12, 13, 23 of those present); the components the tensor does not hold count as 0
// and are not written back. R is 3 x 3, column-major; work is not used.
ZMX_EXPORT void BCU_ROTSIG(Real* e, const Real* r, Real* work, const Int* ndi, const Int* nshr);
}

// Substructure use of the current model: word 4 is nonzero while substructures are in use.
ZMX_RECORD_TYPE(CSUP, 100);
extern "C" ZMX_EXPORT CSUP_t CSUP;
