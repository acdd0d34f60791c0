// Element library, line elements: the input-time geometry of trusses, beams, frames and the beam
// orientation points, and the section points of a beam section for output.
//
// X holds one column per node in element order, leading dimension ldim: rows 1-2 (planar) or 1-3
// (spatial) the position, rows 4-5 or 4-6 the user's nodal normal, which the beam routines may
// reverse in place. handle is the element handle of the analysis database; status the check
// status word handed to the checks unchanged. Every beam routine writes element variable 18 of the
// element and, per section point k (sub-layout k), copies what its checks leave in variables 17 and
// 27 into 53 and 52. Beams of more than 3 nodes (or fewer than 2) are a system error ("SYSTEM
// ERROR IN <routine>: %I NODES") and nothing is done.
#pragma once

#include "zmx/types.h"

extern "C" {
// Orientation point of the element from the type-23 records: flag 0 and the point written when
// the element has one, flag 1 otherwise (the records are in ascending element number).
ZMX_EXPORT void NGNORX(Real* point, const Int* element, Int* flag);
// Truss check; adds the measure to CPHCON unless the section address lies in the excluded range
// (CSLEF words 31 to 13). At most 3 nodes.
ZMX_EXPORT void LTRUSG(const Int* element, const Int* sectionAddress, const Int* rec, Int* status, const Real* X,
                       const Int* ldim);
// Planar beams: normals turned to the side of (-dy, dx) of the axis, stored 2 per node.
ZMX_EXPORT void LBG002(Real* X, const Int* ldim, const Int* handle, Int* status);
ZMX_EXPORT void LTHBM2D(Real* X, const Int* ldim, Real* data, const Int* handle, Int* status);
// Spatial beams: first section direction b and normal n per node (6 reals); section the
// element's section record (LBG102 reads the element's slide-line record into it).
ZMX_EXPORT void LBG102(Real* X, const Int* ldim, Real* section, const Int* handle, Int* status);
ZMX_EXPORT void LTHBM(const Real* section, Real* X, const Int* ldim, Real* data, const Int* handle, Int* status);
// Frame: the orientation vector at right angles to the axis, 3 reals per node (zeros without an
// orientation point).
ZMX_EXPORT void SHR_FRAMEG(const Real* X, const Int* ldim, const Real* section, const Int* handle, Int* status);
// Section points of a beam section (8-byte slots) for output: numbers into output slots 11, ...
// and their number into count. For kind 12 a non-zero count given on entry bounds what is written.
ZMX_EXPORT void ESXBM(const void* section, void* output, Int* count);
}
