// Element library: extrapolation of integration-point values to the nodes, the extrapolation
// matrices per element shape and integration rule, midside-node interpolation and the point
// utilities of solid elements.
//
// An extrapolation matrix W(nip, nodes) is column-major with the rule's point count as leading
// dimension: W(p, n) is the weight of integration point p in the value at node n. With the node
// flag zero the columns are output positions instead (column 1 the element centre; for layered
// elements one column per integration plane). Each rule writes only the entries it sets.
#pragma once

#include "zmx/types.h"

extern "C" {

// ---- Extrapolation to nodes --------------------------------------------------------------------

// Builds W of one element from its type code, point count, node count, dimension and selector
// (nonzero: values constant through the thickness, the selector naming the thickness direction);
// clears W(1..nip, 1..c) first, c = 3 for codes 1003, 1013, 1103, 1113, else the node count.
// cylinder: the element's three nodal angles (first, middle, last), for the cylindrical codes.
// Writes nothing past the first nip x max(nn, 3) reals of W.
ZMX_EXPORT void ELNEX(Real* W, const Int* nodeFlag, const Int* layers, const Int* layerNodes, const Int* nip,
                      const Int* perPlane, const Int* type, const Int* nn, const Int* dimension, const Int* selector,
                      const Real* cylinder);
// Applies ELNEX's matrix to V(ld, K nip) (value set k of point p in column k + (p - 1) K) and writes
// O(ld, K nout), rows 1..ncomp only. W is a work array of nip x max(nn, 3) reals. With the node flag
// and selector set and warningKey 6 the constant-through-thickness warning is written on the
// printed-output unit when printSwitch is 2, and 3 lines are paged in either case.
ZMX_EXPORT void ELNEXT(const Real* V, Real* O, Real* W, const Int* ld, const Int* ncomp, const Int* nip,
                       const Int* K, const Int* nodeFlag, const Int* layers, const Int* layerNodes,
                       const Int* perPlane, const Int* type, const Int* nn, const Int* dimension,
                       const Int* printSwitch, const Int* warningKey, const Int* selector, const Real* cylinder);
// Accumulates rebar values V (row ld of each column an 8-byte identifier) into O(ld, nc) with the
// first column of ELNEX's matrix; output column c of point p reads source column k + (c - 1) stride.
ZMX_EXPORT void ELNEXTRB(const Real* V, Real* O, Real* W, const Int* ld, const Int* ncomp, const Int* nip,
                         const Int* nc, const Int* stride, const Int* nodeFlag, const Int* layers,
                         const Int* layerNodes, const Int* perPlane, const Int* type, const Int* nn,
                         const Int* dimension, const Int* selector, const Real* cylinder);

// ---- Extrapolation matrices (flag: nonzero to the nodes, zero to the centre) ----------------------
//
// Tensor rules, point lattices with the first direction fastest; a node beyond a rule's node list
// takes node 1's weights. Two-point rules extrapolate linearly, three-point rules quadratically.
ZMX_EXPORT void LX2(Real* W, const Int* n, const Int* nip, const Int* flag);  // 3 line nodes: -1, 0, +1
ZMX_EXPORT void LX3(Real* W, const Int* n, const Int* flag);  // nodes -1, +1, then 0
ZMX_EXPORT void LX22(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LX22I(Real* W, const Int* nn, const Int* flag, const Int* T);
ZMX_EXPORT void LX33(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LX33I(Real* W, const Int* nn, const Int* flag, const Int* T);
ZMX_EXPORT void LX222(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LX222I(Real* W, const Int* nn, const Int* flag, const Int* T);
ZMX_EXPORT void LX333(const Int* T, Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LX333I(Real* W, const Int* nn, const Int* flag);
// Fourteen-point brick: the eight corner points (numbered as brick corners) carry the weights.
ZMX_EXPORT void LX222R(const Int* T, Real* W, const Int* nn, const Int* flag);
// Copy maps.
ZMX_EXPORT void LX222N(Real* W, const Int* nn, const Int* flag, const Int* T, const Int* nip);
ZMX_EXPORT void LXPSI(Real* W, const Int* nip, const Int* flag);
ZMX_EXPORT void LXTGASKET(Real* W, const Int* nn, const Int* nip, const Int* flag, const Int* T);
ZMX_EXPORT void LXTR3N(Real* W, const Int* nn, const Int* flag);
// Triangles, tetrahedra and wedges.
ZMX_EXPORT void LXTRI3(Real* W, const Int* flag);
ZMX_EXPORT void LXTRI6(Real* W, const Int* nip, const Int* m, const Int* flag);
ZMX_EXPORT void LXTRI6C(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LXTR66(Real* W, const Int* nip, const Int* nn, const Int* flag);
ZMX_EXPORT void LXTT4(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LXTET10C(Real* W, const Int* nn, const Int* flag);
// Fifteen-point tetrahedron: quadratic through points 2-5 and 10-15; nodes 11 to 15 are the
// centroid and the centroids of the faces (1, 3, 2), (1, 2, 4), (2, 3, 4), (3, 1, 4).
ZMX_EXPORT void LXTT15(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LXTP2R(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LXTP9R(Real* W, const Int* nn, const Int* T, const Int* flag);
ZMX_EXPORT void LXTP9(Real* W, const Int* nn, const Int* T, const Int* flag);
ZMX_EXPORT void LXTP2(Real* W, const Int* nn, const Int* flag);
// Layered elements: node layers from 2 x layers integration planes of perPlane points each.
ZMX_EXPORT void LXSOLA(Real* W, const Int* nip, const Int* flag, const Int* layers, const Int* nodes,
                       const Int* nip2, const Int* perPlane);
ZMX_EXPORT void LXSAXA(Real* W, const Int* nip, const Int* flag, const Int* layers, const Int* nodes,
                       const Int* nip2, const Int* perPlane);
// Constant through the thickness; selector 1, 2 or 3 names the thickness direction.
ZMX_EXPORT void LSOL2(Real* W, const Int* nn, const Int* flag, const Int* selector);
ZMX_EXPORT void LSOL3(const Int* T, Real* W, const Int* nn, const Int* flag, const Int* selector);
ZMX_EXPORT void LSOL5(const Int* T, Real* W, const Int* nn, const Int* flag, const Int* selector);
// Cylindrical elements: in-plane rule x three angular stations; data holds the nodal angles.
ZMX_EXPORT void SHR_LX2THETA(Real* W, const Int* nn, const Real* data, const Int* flag);
ZMX_EXPORT void SHR_LX3THETA(Real* W, const Int* nn, const Real* data, const Int* flag);
ZMX_EXPORT void SHR_LX22THETA(Real* W, const Int* nn, const Real* data, const Int* flag);
ZMX_EXPORT void SHR_LX33THETA(Real* W, const Int* nn, const Real* data, const Int* flag);
ZMX_EXPORT void SHR_LXTRI9THETA(Real* W, const Int* nn, const Real* data, const Int* flag);
ZMX_EXPORT void SHR_LXTRI18THETA(Real* W, const Int* nn, const Real* data, const Int* flag);
// Pyramids: no rule; nothing is written.
ZMX_EXPORT void LXPY2(Real* W, const Int* nn, const Int* flag);
ZMX_EXPORT void LXPY3(Real* W, const Int* nn, const Int* flag);

// ---- Midside-node interpolation ------------------------------------------------------------------
//
// X(3, nn) node coordinates; F(ld, nn) the nodal field, ld = CGN word 7. Beam and shell routines
// interpolate rows 1..ld, the solid routines row 1.

// order: 0 none, 1 first, 2 second order interpolation.
ZMX_EXPORT void TFV1OR2ORDER(const Int* dimension, const Int* k1, const Int* k2, const Int* nn, const Int* kind,
                             const Int* k3, const Int* type, Int* order);
ZMX_EXPORT void TFVMIDELEM(const Int* codedName, const Real* X, Real* F, const Int* type, const Int* nn,
                           const Int* k1, const Int* dimension, const Int* kind, const Int* k3, const Int* k2,
                           const Int* shellNodes);
ZMX_EXPORT void TFVMIDBEAM(const Real* X, Real* F, const Int* nn, const Int* ld);
ZMX_EXPORT void TFVMID3DSOL(const Real* X, Real* F, const Int* nn, const Int* ld);
ZMX_EXPORT void TFVMID3D15TO18(const Real* X, Real* F, const Int* nn, const Int* ld);
ZMX_EXPORT void TFVMID3D20TO27(const Real* X, Real* F, const Int* nn, const Int* ld);
ZMX_EXPORT void TFVMID3DSHLORPLN(const Real* X, Real* F, const Int* nn, const Int* type, const Int* ld,
                                 const Int* codedName);
// P: x of (a, m, b), then y, then z; V(2) := the value at m between V(1) at a and V(3) at b.
ZMX_EXPORT void TFVMIDINTER(const Real* P, Real* V);
// Inscribed and circumscribed radii of the tetrahedron X(3, 4); a degenerate (or inverted)
// tetrahedron gives 0 and 1e36.
ZMX_EXPORT void TETRADII(const Real* X, Real* inscribed, Real* circumscribed);

// ---- Point utilities of solid elements ---------------------------------------------------------

// Weights and natural coordinates of point `point` of a layered element (section point fastest);
// section: 8-byte slots (6 orientation, 7 layers, 8 section points, then per layer 4 slots:
// thickness fraction, point count). Odd layer counts integrate by Simpson's rule, even ones by the
// trapezoid rule.
ZMX_EXPORT void LBRICPTS(const Int* point, const Int* nip, const void* section, Real* thicknessWeight,
                         Real* weight1, Real* weight2, Real* thicknessCoordinate, Real* xi, Real* eta);
// Circumferential interpolation through n = 2..5 stations: H(1..n) values, H(n + 1..2n) their
// angle derivatives; S(k) = sin k theta, Co(k) = cos k theta for k = 1..n - 1.
ZMX_EXPORT void LSOA8J(const Int* stations, const Int* index, Real* H, Real* S, Real* Co, const Int* flag);
// At point `point` (1-8) of the 2 x 2 x 2 rule of the brick X(3, 8): writes out(26..73), six groups
// of eight corrected mixed second derivatives weighted by products of A(3, 3); D(9..32) the nodal
// data of the correction.
ZMX_EXPORT void LC3DGC(const Real* X, const Real* A, Real* out, const Real* D, const Int* point);

}  // extern "C"
