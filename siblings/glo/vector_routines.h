// Single-precision vector and small eigenvalue routines of the glo stand-in, as the import
// element operators call them. Upper-case convention: every argument by pointer, arrays
// column-major with the given leading dimension.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// sum(k) = a(k) + b(k), k = 1 .. n.
ZMX_EXPORT void GLO_UTI_VADDR(const Int* n, float* sum, const float* a, const float* b);

// Eigenvalues of one symmetric 2 x 2 matrix (11, 22, 12): the larger first, and its principal
// direction as a rotation pair (sin, cos of half its angle from the first axis).
ZMX_EXPORT void GLO_UTI_EIG21S(const float* matrix, float* values, float* pair);

// Eigenvalues and unit eigenvectors of n symmetric 3 x 3 matrices held as columns 11, 22, 33,
// 12, 23, 13 of a (ld, 6): the values come back in columns 1 to 3 of a, the vector of value k in
// columns 3k-2 .. 3k of v (ld, 9). The vectors are orthonormal; the order of the pairs is free.
ZMX_EXPORT void GLO_UTI_GENEIG33(const Int* ld, const Int* n, float* a, float* v);
}
