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

// ---- Shell state extraction -------------------------------------------------------------------
// Stored arrays of one segment hold n rows (elements), column-major; the answer has one row per
// element of (direct + shear) values. Rotation pairs R and drill pairs D are (sin, cos) of the
// half angle; P the transfer coefficients (cosine, sine, then a, b, d); type 13316 or 25090; the
// small-stretch flag 1 when set.
extern "C" {
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLSECTFORCE(const Int* n, const Int* type, const Int* small, const Int* direct,
                                              const Int* shear, const float* forces, const float* transverse,
                                              const float* rotation, float* answer, const Int* rotate,
                                              const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTSECTMOMENT(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                          const Int* small, const float* rotation, const float* moments, float* answer,
                                          const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTCURVATURE(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                         const Int* small, const float* rotation, const float* curvatures,
                                         float* answer, const Int* rotate, const float* transfer);
// W is the caller's (n, 4) stretch work array.
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLSECTSTRAIN(const Int* n, const Int* direct, const Int* shear, const Int* type,
                                               const Int* small, const float* gradient, const float* drill,
                                               const float* transverse, const float* rotation, float* stretch,
                                               float* answer, const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTTRANSF(const Int* n, const Int* type, const Int* small, const Int* direct,
                                      const Int* shear, const float* forces, const float* rotation, float* answer,
                                      const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTTRANSTRN(const Int* n, const Int* type, const Int* small, const Int* direct,
                                        const Int* shear, const float* strains, const float* rotation, float* answer,
                                        const Int* rotate, const float* transfer);
ZMX_EXPORT void ACC_SDB_EXTRACTTHININGSTRAIN(const Int* n, const Int* type, const float* gradient, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLMEMJACOBIAN(const Int* n, const Int* direct, const Int* shear,
                                                const Int* fullDirect, const Int* type, const Int* small,
                                                const float* gradient, const float* drill, float* stretch,
                                                float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLINPLANEROT(const Int* n, const Int* direct, const Int* shear,
                                               const float* rotation, float* answer, const Int* rotate);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLELEMDIR(const Int* n, const Int* direct, const Int* shear,
                                            const float* quaternions, const float* drill, float* answer);
ZMX_EXPORT void ACC_SDB_EXTRACTSHELLLOCALDIR(const Int* n, const Int* direct, const Int* shear,
                                             const float* quaternions, const float* drill, const float* rotation,
                                             float* answer, const Int* rotate);
// Unit normals at the four mid-side points of each element from corners X (n, 4, 3).
ZMX_EXPORT void ACC_SDB_EXTRACTMIDSIDENORMAL(const Int* n, float* answer, const float* corners);
}
