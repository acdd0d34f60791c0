// Surface geometry: the facet catalogue, node coordinates by label and the facet shape functions.
#pragma once

#include "zmx/record_types.h"
#include "zmx/types.h"

// ---- Facet catalogue ----------------------------------------------------------------------------
//
// CSURFACEDEF: the constant catalogue of surface facets of the 182 element classes, 3,424 words,
// read by the surface routines, the output-database writer, the sibling libraries and the hosts.
// It is filled when the library is built and never written. Its arrays stand one after another;
// a class-indexed array holds class K (1 to 182) at word first + K - 1.
ZMX_RECORD_TYPE(CSURFACEDEF, 3424);

namespace zmx::catalogue {
inline constexpr int kClasses = 182;
// First word of each array and its number of entries.
inline constexpr int kEltype = 1;       // 358 element type codes, grouped by class
inline constexpr int kNeltyp = 359;     // codes per class
inline constexpr int kFaceNodes = 541;  // 835 facet node-list entries
inline constexpr int kNfacet = 1376;    // facets per element
inline constexpr int kIfacet = 1558;    // position in the node lists of a class's first facet
inline constexpr int kNnfacet = 1740;   // nodes per facet, the stride of the class's facets
inline constexpr int kNcorner = 1922;   // corner nodes of a facet
inline constexpr int kLinear = 2104;    // -1 when the facets have no midside nodes, else 0
inline constexpr int kEdgeNodes = 2286; // 47 edge-node entries of the facet shapes
inline constexpr int kNfcorner = 2333;  // corners of the facet shape
inline constexpr int kIedge = 2515;     // position in the edge-node lists of the shape's edges
inline constexpr int kIorder = 2697;    // facet order code
inline constexpr int kKind = 2879;      // class kind 1 to 4 (3: three-dimensional)
inline constexpr int kSubkind = 3061;   // sub-kind 0 to 5
inline constexpr int kFacetType = 3243; // facet type 0 to 14 (13, 14: cylindrical facets)
inline constexpr int kEltypeEntries = 358;
inline constexpr int kFaceNodeEntries = 835;
inline constexpr int kEdgeNodeEntries = 47;
}  // namespace zmx::catalogue

extern "C" {

ZMX_EXPORT extern const CSURFACEDEF_t CSURFACEDEF;

// The queries take an element class in 1 to 182; any other class is reported at level -3 and
// gives a blank label, zeros and false flags.
//
// label := the 8-character label of facet number facet of the class ("S1" .. "S6", "SPOS",
// "SNEG", "E1" .. "E4", "TWOSIDED", or blank), padded or cut to labelLength.
ZMX_EXPORT void GETSURFACEFACETLABEL(const Int* elementClass, const Int* facet, char* label, Int labelLength);
// number := the label number (1 to 13) of face number face of the class, 0 when there is none.
ZMX_EXPORT void GETSURFACEFACETNUM(const Int* elementClass, const Int* face, Int* number);
// facetType := the class's facet type.
ZMX_EXPORT void GETSURFACEFACETTYPE(const Int* elementClass, Int* facetType);
// shape := the shape code of a three-dimensional facet of nodes nodes: 1 3-node triangle, 2 4-node
// quadrilateral, 3 6-node triangle of facet type 9, 4 6-node triangle, 5 8-node quadrilateral,
// 6 9-node quadrilateral, 7 and 8 the 6- and 9-node cylindrical facets, 0 none.
ZMX_EXPORT void SHR_GET3DFACETSHAPE(const Int* elementClass, const Int* nodes, Int* shape);
// shell := the class is a three-dimensional shell-like class; edge := shell and facet is one of
// its edge facets ("E1" .. "E4").
ZMX_EXPORT void SHR_ISSHELL3DELEM(const Int* elementClass, const Int* facet, Logical* shell, Logical* edge);
// The sub-triangles of a triangle whose sides are divided into n parts (n cut to largest and
// written back; nothing for n < 1): n^2 records (running number, three point numbers), points
// numbered row by row from the apex.
ZMX_EXPORT void FILICN(const Int* largest, Int* n, Int* table);

// ---- Node coordinates by label ------------------------------------------------------------------
//
// Coordinates (3 reals a column) of count nodes given by their labels, each label in the low 4
// bytes of an 8-byte slot. A label below 1 is an empty place: 1e36 in its three coordinates. A
// positive label the list or map lacks is reported at level -3 and treated as an empty place.
//
// The column of a label by an ordered search in the list of the array's columns (length
// listLength), each search starting from the position of the previous one.
ZMX_EXPORT void GETNODECOORDS(const Int* columnLabels, const Real* coords, const Int* listLength, const void* labels,
                              const Int* count, Real* out);
// The same, with the column of each label in positions (0 for an empty place).
ZMX_EXPORT void GETNODECOORDSPOS(const Int* columnLabels, const Real* coords, const Int* listLength,
                                 const void* labels, const Int* count, Real* out, Int* positions);
// The column of a label from the integer map (label to column) of handle map.
ZMX_EXPORT void GETNODECOORDSHASH(const Int* map, const Real* coords, const void* labels, const Int* count, Real* out);
// The same, with the real of each node's column copied from columnValues to labelValues (1e36
// for an empty place).
ZMX_EXPORT void GETNODECOORDSDIST(const Int* map, const Real* coords, const void* labels, const Int* count, Real* out,
                                  const Real* columnValues, Real* labelValues);

// ---- Facet shape functions ------------------------------------------------------------------------
//
// Facet coordinates: triangles in the area coordinates (xi, eta) of vertices 2 and 3,
// quadrilaterals on [-1, 1]^2 with corners 1 to 4 at (-1, -1), (1, -1), (1, 1), (-1, 1), midside
// nodes 5 to 8 on eta = -1, xi = 1, eta = 1, xi = -1 and node 9 at the centre; midside nodes 4, 5,
// 6 of a triangle on the sides 1-2, 2-3, 3-1. A shape-function array of n nodes holds, in mode 1,
// the n derivatives by xi and then the n by eta; in any other mode the n values before them.
//
// A 6-node triangle is also taken as three bilinear sub-quadrilaterals, sub-region k with corners
// vertex k, the midside node after k, the centroid and the midside node before k; an 8- or
// 9-node quadrilateral as four quarters, quarter k holding corner k.
//
// Mode-0 array of the facet of n nodes: 3- and 4-node, 6-node (through sub-region k when
// subRegion is true), 8-node and, for any other n, 9-node functions.
ZMX_EXPORT void FACET_3D_SHAPEVALUES(const Real* xi, const Real* eta, const Int* n, const Logical* subRegion,
                                     const Int* k, Real* shape);
// result := point (1-3), d/dxi (4-6), d/deta (7-9), d2/dxi2 (10-12), d2/deta dxi (13-15) and
// d2/deta2 (16-18) of the facet of n nodes with coordinates x (3 by n) at (xi, eta). A 6-node
// triangle goes through sub-region k when k >= 1; a cylindrical facet (6 or 9 nodes) uses its
// angle record cylinder. Any other n of a plain facet: level -2 message and a zero result.
ZMX_EXPORT void FACET_DERIV(const Real* x, const Int* n, const Real* xi, const Real* eta, Real* result, const Int* k,
                            const Logical* cylindrical, const Real* cylinder);
// 6-node triangle through sub-quadrilateral k (1, 2, any other 3); derivatives by the
// sub-quadrilateral's own coordinates.
ZMX_EXPORT void INTT6C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode);
// 8- and 9-node quadrilaterals through quarter k (1, 2, 3, any other 4), (xi, eta) and the
// derivatives in the facet's own coordinates.
ZMX_EXPORT void INTQ8C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode);
ZMX_EXPORT void INTQ9C(const Int* k, const Real* xi, const Real* eta, Real* shape, const Int* mode);
// 6-node triangle (coordinates x, 3 by 6) through sub-quadrilateral k, averaged over the
// sub-quadrilaterals that meet at the point, with derivatives along the triangle's area
// coordinates per unit length.
ZMX_EXPORT void INTT6C_M(const Int* k, const Real* xi, const Real* eta, const Real* x, Real* shape, const Int* mode);

// ---- Facet properties -------------------------------------------------------------------------------
//
// status is 0, or non-zero when no unit normal can be formed (a zero tangent or normal).
//
// Line facet of a two-dimensional surface (n 2 or 3; halves: one straight half of a 3-node line,
// half 1 or any other 2), coordinates x (leading dimension ld): point, unit normal (-t_y, t_x),
// tangent and, when noSecond is 0, the second derivative (2 reals each).
ZMX_EXPORT void FACET_2D_FACETFACE_PROP(const Int* noSecond, const Real* xi, const Int* n, const Logical* halves,
                                        const Int* half, const Real* x, const Int* ld, Real* point, Real* normal,
                                        Real* tangent, Real* second, Int* status);
// The same without the second derivative; mode 1 writes the point only.
ZMX_EXPORT void FACET_2D_LINETOFACE_PROP(const Int* mode, const Real* xi, const Int* n, const Logical* halves,
                                         const Int* half, const Real* x, const Int* ld, Real* point, Real* normal,
                                         Real* tangent, Int* status);
// Facet of a three-dimensional surface: point, unit normal, tangents (3 x 2) and, unless mode is
// 1, the second derivatives d2/dxi2, d2/dxi deta, d2/deta dxi, d2/deta2 (3 reals each).
ZMX_EXPORT void FACET_3D_FACETFACE_PROP(const Int* mode, const Real* xi, const Real* eta, const Int* n,
                                        const Logical* subRegion, const Int* k, const Logical* cylindrical,
                                        const Real* cylinder, const Real* x, const Int* ld, Real* point, Real* normal,
                                        Real* tangents, Real* second, Int* status);
// The same without second derivatives and cylindrical facets; mode 1 writes the point only.
ZMX_EXPORT void FACET_3D_LINETOFACE_PROP(const Int* mode, const Real* xi, const Real* eta, const Int* n,
                                         const Logical* subRegion, const Int* k, const Real* x, const Int* ld,
                                         Real* point, Real* normal, Real* tangents, Int* status);
// The smoothed normal field of nodal normals v (3 x n): point and, when mode is 0, tangents;
// unit normal; the reference directions carried onto it (ROTATE_ORIENTATION, which may turn the
// reference normal and first direction round); when mode is 0 the normal's derivatives and the
// curvature terms -(d1 . dn/dxi) n, -(d2 . dn/dxi) n, -(d1 . dn/deta) n, -(d2 . dn/deta) n.
// status 1, and nothing after the point and tangents, when the interpolated normal vanishes.
ZMX_EXPORT void FACET_3D_FACE_PROP(const Int* mode, const Real* xi, const Real* eta, const Int* n,
                                   const Logical* subRegion, const Int* k, const Logical* cylindrical,
                                   const Real* cylinder, const Real* x, const Int* ldx, const Real* v, const Int* ldv,
                                   Real* referenceNormal, Real* firstDirection, const Real* secondDirection,
                                   Real* point, Real* tangents, Real* normal, Real* normalDerivatives,
                                   Real* directions, Real* curvature, Int* status);

}  // extern "C"
