// Import of an earlier explicit analysis: moving stored element tensors into the caller's order.
// Arrays are component-major (n points down each column), 4-byte single precision.
#pragma once

#include "zmx/types.h"

extern "C" {
// Point-major copy, m + k words per point: the m direct columns, then k shear columns starting
// after the j0 stored direct ones; with k = 3 the second and third shears change places.
ZMX_EXPORT void ACC_GDB_COPYR(const Int* n, const Int* m, const Int* k, const Int* j0, const Int* storedShears,
                              const float* source, float* destination);
// result = table(a(2)) for material code 601, else 0.
ZMX_EXPORT void ACC_GDB_GETSVDNUMBER(const Int* a, const Int* materialCode, const Int* table, Int* result);
// R S R^T of symmetric tensors (11, 22, 12), (11, 22, 33, 12) by rotation pairs (sin, cos of the
// half angle), and (11, 22, 33, 12, 23, 13) by quaternions (vector part, then scalar part); the
// inverse flag non-zero turns by the inverse rotation. Source and result may be one array.
ZMX_EXPORT void ACC_GDB_SYMROTS21S21(const Int* n, const Int* inverse, const float* rotation, const float* source,
                                     float* result);
ZMX_EXPORT void ACC_GDB_SYMROTS31S31(const Int* n, const Int* inverse, const float* rotation, const float* source,
                                     float* result);
ZMX_EXPORT void ACC_GDB_SYMROTS33S33(const Int* n, const Int* inverse, const float* rotation, const float* source,
                                     float* result);
}
