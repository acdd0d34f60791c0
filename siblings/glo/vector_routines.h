// Single-precision vector and small eigenvalue routines of the glo stand-in, as the import
// element operators call them. Upper-case convention: every argument by pointer, arrays
// column-major with the given leading dimension.
#pragma once

#include "runtime/fortran_types.h"

extern "C" {
// sum(k) = a(k) + b(k), k = 1 .. n.
ZMX_EXPORT void GLO_UTI_VADDR(const Int* n, float* sum, const float* a, const float* b);

// to(k) = factor * from(k), k = 1 .. n.
ZMX_EXPORT void GLO_UTI_VSCALER(const Int* n, const float* factor, const float* from, float* to);

// Gathers of nodal values for count element nodes named by an index list (one node number per
// element node, nodes numbered from 1; the list runs node by node over the elements, so a
// segment's list is the node-major connectivity of its elements). Column block k of the result
// (count words) holds component k of every listed node: for n elements of four nodes the result
// is (n, 4 components) x1..x4, y1..y4, z1..z4 with elements fastest.
// GENGATHERR: components values of each node, nodes stride words apart in from; nodes is the
// number of nodes in from (an index beyond it gathers zeros).
ZMX_EXPORT void GLO_UTI_GENGATHERR(const Int* count, const Int* stride, const Int* components, const Int* nodes,
                                   const Int* indexes, float* to, const float* from);
// GATHERR of nodal quaternions stored scalar part first (width 4): the vector part goes to blocks
// 1 to 3 and the scalar part to block 4.
ZMX_EXPORT void GLO_UTI_GATHERR(const Int* count, const Int* width, const Int* nodes, const Int* indexes, float* to,
                                const float* from);

// Eigenvalues of one symmetric 2 x 2 matrix (11, 22, 12): the larger first, and its principal
// direction as a rotation pair (sin, cos of half its angle from the first axis).
ZMX_EXPORT void GLO_UTI_EIG21S(const float* matrix, float* values, float* pair);

// Eigenvalues and unit eigenvectors of n symmetric 3 x 3 matrices held as columns 11, 22, 33,
// 12, 23, 13 of a (ld, 6): the values come back in columns 1 to 3 of a, the vector of value k in
// columns 3k-2 .. 3k of v (ld, 9). The vectors are orthonormal; the order of the pairs is free.
ZMX_EXPORT void GLO_UTI_GENEIG33(const Int* ld, const Int* n, float* a, float* v);
}
