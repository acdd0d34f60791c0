// Import of an earlier explicit analysis: element operators. Pure single-precision block
// kernels over the elements of a block: deformation gradients, logarithmic strains, rotations,
// director triads, hourglass nodal forces and shell section helpers. Every argument by pointer;
// element arrays are columns with the leading dimension given (or the element count); node
// arrays hold ldn words per node. Gradients: planar F11, F22, F33, F12, F21; three-dimensional
// F11, F22, F33, F12, F23, F31, F21, F32, F13. Rotation pairs (sin, cos of the half angle);
// quaternions vector part first, scalar part fourth. Any number of elements is served.
#pragma once

#include "zmx/types.h"

extern "C" {
// ---- Plane and axisymmetric quadrilaterals ----------------------------------------------------

// Mean gradient of elements first..last from reference and current node coordinates; F33 is
// taken from the stored gradient. A non-zero copy flag copies the stored gradient instead.
ZMX_EXPORT void EDI_OPE_C2DQ4STRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                                    const Int* connectivity, const float* reference, const float* current,
                                    const float* stored, float* gradient);
// The same for axisymmetric elements (r, z), with the volume-averaged hoop stretch as F33.
ZMX_EXPORT void EDI_OPE_CAXQ4STRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                                    const Int* connectivity, const float* reference, const float* current,
                                    const float* stored, float* gradient);
// Gradient of n elements and, with the strain flag, the logarithmic strain (11, 22, 33, 12) and
// the rotation pairs; node k of element i is connectivity(start + (i - 1) + (k - 1) n).
ZMX_EXPORT void EDI_UTI_C2DSTRAIN(const Int* axisymmetric, const Int* copy, const Int* strainFlag, const Int* n,
                                  const float* storedPairs, const float* storedGradient, const float* referenceStretches,
                                  const Int* rotate, const Int* connectivity, const Int* ldn, const Int* start,
                                  const float* current, const float* reference, float* strain, float* gradient,
                                  float* pairs);
// Right stretch U = R^T F (11, 22, 33, 12) of elements first..last.
ZMX_EXPORT void EDI_UTI_STRETCHU2D(const Int* first, const Int* last, const Int* ld, const float* pairs,
                                   const float* gradient, float* stretch);
// Director triads (3, 3, n) by columns: identity unless rotated (solids), always rotated (shells).
ZMX_EXPORT void EDI_OPE_DIRECTORC2D(const Int* n, const float* pairs, float* triads, const Int* rotated);
ZMX_EXPORT void EDI_OPE_DIRECTORS2D(const Int* n, const float* pairs, float* triads);
// Hourglass nodal forces (2, 4, n) in global axes from the co-rotational components (n, 2), the
// corner coordinates (n, 8: x1..x4, y1..y4) and the area (plane) or volume per radian (axisymmetric).
ZMX_EXPORT void EDI_UTI_C2DQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* area,
                                     float* forces, const float* pairs);
ZMX_EXPORT void EDI_UTI_CAXQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* volume,
                                     float* forces, const float* pairs);

// ---- Reduced-integration hexahedra ------------------------------------------------------------

// Gradient averaged over the element volume: F = (1/V) sum x_I (x) b_I of the field values.
ZMX_EXPORT void EDI_OPE_C3D8RSTRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                                    const Int* connectivity, const float* reference, const float* field,
                                    const float* stored, float* gradient);
// Gradient at the element centre of a displacement field, plus the identity.
ZMX_EXPORT void EDI_OPE_C3D8RCSTRAIN(const Int* copy, const Int* first, const Int* last, const Int* ld, const Int* ldn,
                                     const Int* connectivity, const float* reference, const float* field,
                                     const float* stored, float* gradient);
// Gradient of n elements (centre form when the centre flag is set) and, with the strain flag,
// the logarithmic strain (11, 22, 33, 12, 23, 13) and the quaternions.
ZMX_EXPORT void EDI_UTI_C3DH8STRAIN(const Int* copy, const Int* centre, const Int* strainFlag, const Int* n,
                                    const float* storedQuaternions, const float* storedGradient,
                                    const float* referenceStretches, const Int* rotate, const Int* connectivity,
                                    const Int* ldn, const Int* start, const float* field, const float* reference,
                                    float* strain, float* gradient, float* quaternions);
ZMX_EXPORT void EDI_OPE_DIRECTORC3D(const Int* n, const float* quaternions, float* triads, const Int* rotated);
// Hourglass nodal forces (3, 8, n) from the four modes' components (n, 12), corners (n, 24) and volume.
ZMX_EXPORT void EDI_UTI_C3DH8HGFORCE(const Int* n, const float* components, const float* corners, const float* volume,
                                     float* forces, const float* quaternions);

// ---- Shells and membranes ---------------------------------------------------------------------

ZMX_EXPORT void EDI_OPE_DIRECTORM3D(const Int* n, const float* drill, const float* quaternions, float* triads);
ZMX_EXPORT void EDI_OPE_DIRECTORS3D(const Int* n, const float* drill, const float* quaternions, float* triads,
                                    const float* orientation, const Int* orientationFlag);
// Hourglass nodal forces (3, 4, n) of membranes (three components) and shells (two).
ZMX_EXPORT void EDI_UTI_M3DQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* area,
                                     float* forces, const float* pairs, const float* quaternions);
ZMX_EXPORT void EDI_UTI_S3DQ4HGFORCE(const Int* n, const float* components, const float* corners, const float* area,
                                     float* forces, const float* pairs, const float* quaternions);
// Nodal drilling moments (n, 4) as vectors (3, 4, n) along the element normal.
ZMX_EXPORT void EDI_UTI_S3DQ4DRILLMOMENT(const Int* n, const float* moments, float* vectors, const float* quaternions);
// Two rotational hourglass measures (2, n) from the corners (n, 12), the element flags and the
// nodal quaternions (n, 16: q1 of nodes 1-4, q2, q3, then q4).
ZMX_EXPORT void EDI_UTI_S3DQ4ROTHGMAGNITUDE(const Int* n, const float* corners, float* measures, const float* flags,
                                            const float* nodalQuaternions);
// U11 = F11, U22 = F22, U33 = F33, U12 = (F12 + F21)/2 of elements first..last.
ZMX_EXPORT void EDI_UTI_SHELLSMALLSTRETCH(const Int* first, const Int* last, const Int* ld, const float* gradient,
                                          float* stretch);
// In-plane transfer of element i's vector by the coefficients in columns 3, 4 and 5; layout 31
// (11, 22, 33, 12), 21 (11, 22, 12) or any other (11, 22, 33, 12, 21).
ZMX_EXPORT void EDI_UTI_SHELLSMALLTRANSFER(const Int* n, const Int* element, const Int* layout, const float* factor,
                                           const float* coefficients, float* vector);
}
