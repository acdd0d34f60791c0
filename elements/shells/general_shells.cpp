// General shells: checks, nodal normals, transverse-shear tying data of the six- and nine-node
// shells, per-section geometry and the centre node of the nine-node shell; the surface measure of
// the line shells.
#include <algorithm>
#include <cmath>

#include "elements/geometry/element_records.h"
#include "elements/geometry/element_support.h"
#include "elements/geometry/interior_nodes.h"
#include "elements/shells/shell_support.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/element_checks.h"
#include "siblings/eqc/line_shell_checks.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/shells.h"

namespace {

using namespace zmx_elements;
using namespace zmx_elements::typeword;
using namespace zmx_shells;

const Int* program() { return &rec::i(CPROG, eqc_records::kProgramKind); }

Real reciprocalLength(V3 v) {
  const Real q = dot(v, v);
  return q <= 1.0e-36 ? 1.0 : 1.0 / std::sqrt(q);
}

// Normals of rows 4 to 3 + dims of each node, node by node.
void copyNormals(const Real* X, Int ldim, Int nodes, int dims, Real* out) {
  for (int j = 1; j <= nodes; ++j)
    for (int r = 0; r < dims; ++r) out[dims * (j - 1) + r] = at(X, ldim, 4 + r, j);
}

void storeVariable(Int layout, Int id, const Real* values, Int count) {
  if (Real* v = realVariable(layout, id, count)) std::copy_n(values, count, v);
}

// Tangent and interpolated normal of a three-node line (ends a, b, middle m) at xi.
struct LinePoint {
  V3 t, n;
};
LinePoint linePoint(const Real* X, Int ld, const Real* normals, int a, int b, int m, Real xi) {
  LinePoint p;
  p.t = (xi - 0.5) * column(X, ld, a) + (xi + 0.5) * column(X, ld, b) + (-2.0 * xi) * column(X, ld, m);
  p.n = (0.5 * xi * (xi - 1.0)) * load(&normals[3 * (a - 1)]) + (0.5 * xi * (xi + 1.0)) * load(&normals[3 * (b - 1)]) +
        (1.0 - xi * xi) * load(&normals[3 * (m - 1)]);
  return p;
}

void storeShearPoint(V3 n, V3 t, Real third, Real* out) {
  const Real inverse = reciprocalLength(t);
  out[0] = dot(n, t) * inverse;
  out[1] = inverse;
  out[2] = third;
}

constexpr Real kCentreWeights[8] = {-0.25, -0.25, -0.25, -0.25, 0.5, 0.5, 0.5, 0.5};

}  // namespace

extern "C" {

void LSG8(const Real* X, const Int* ldim, Real* a3, const Int* a4, const Int* nodes, const Int* handle, Int* a7,
          Real* a8, const Int* a9, const Int* nodeList, Real* a11, Real* a12, const Int* a13, const Int* a14,
          Int* a15, const Int* a16, const Int* cgn7, const Int* a18, const Int* cgn15, Real* a20) {
  const ElementView e = viewElement(*handle);
  const Int type = word(e.rec, kType), family = word(e.rec, kFamily), w9 = word(e.rec, kRadialNodes);
  const Int w14 = word(e.rec, kPoints), w48 = word(e.rec, 48), n = *nodes;
  // The shape table of the section points is formed before anything is written: an element whose
  // node count or point count has no in-plane rule is reported and left alone.
  if (!hasShapeFunctions(n)) return systemError("SYSTEM ERROR IN LSG8: %I NODES", n);
  Real table[kMaxShellNodes * 3 * kMaxShellNodes] = {};
  if (w14 != 0 && !shapeTable(n, w14, table)) return systemError("SYSTEM ERROR IN LSG8: %I SECTION POINTS", w14);
  EQC_LSG8(X, a3, ldim, nodes, &w9, &w14, &e.number, a7, a4, program(), &type, a11, a12, a13, a15);
  Real normals[3 * kMaxShellNodes];
  copyNormals(X, *ldim, n, 3, normals);
  storeVariable(e.layout, 18, normals, 3 * n);
  *a7 = 1;
  Real shear[12] = {};
  const Real noThickness = 0.0;
  THICKSHELLSHEARNORM(X, ldim, normals, &type, shear, &noThickness, nodes);
  if (family != 202) {
    storeVariable(e.layout, 23, shear, 12);
    storeVariable(e.layout, 22, shear, 12);
  }
  Real areas[kMaxShellNodes] = {};
  for (Int i = 1; i <= w14; ++i) {
    Real area = 0.0, point[9] = {}, matrix[4] = {}, curvature[4] = {}, a13o[2], a14o[2], a15o[2], a16o[2];
    Real derivatives[18], a18o[kMaxShellNodes], a19o[4], a20o[4], a21o, a22o[2], a23o[4];
    LHSG02GEOM(X, ldim, table, nodes, &i, normals, a7, handle, &area, point, matrix, curvature, a13o, a14o, a15o,
               a16o, derivatives, a18o, a19o, a20o, &a21o, a22o, a23o, a14, a15);
    areas[i - 1] = area;
    const Int sub = subLayout(*handle, i);
    if (family == 202) {
      if (n == 9) storeVariable(sub, 24, &area, 1);
      continue;
    }
    Int count = 4, perEdge = 0;
    SETNUMSHEARPOINT(nodes, &w48, &family, &count, &perEdge);
    storeVariable(sub, 17, matrix, 4);
    static constexpr Real kUnit[5] = {1.0, 1.0, 0.0, 0.0, 1.0}, kZero[2] = {0.0, 0.0};
    storeVariable(sub, 29, kUnit, 5);
    storeVariable(sub, 28, kZero, 2);
  }
  if (n == 9) {
    Real points[36], a6[36], a7w[36];
    LSGS9(areas, X, ldim, normals, points, a6, a7w);
  } else if (n == 6) {
    const Real sum = areas[0] + areas[1] + areas[2];
    storeVariable(e.layout, 24, &sum, 1);
    Real points[18], interior[18], constants[27];
    LSGS6(&sum, X, ldim, normals, points, interior, constants);
  }
  EQC_2NDORDER_DISTORTIONCHECK(&e.number, X, ldim, nodes, a15);
  // The centre node belongs to the type codes 2006 and 2023, whatever node count the caller gives:
  // the value array and the node list always hold nine nodes.
  if (programKind() != 0 || (type != 2006 && type != 2023)) return;
  interiorNodeData(NodalData{a8, *a9, nodeList, a16, *cgn7, *a18, *cgn15, a20, nullptr, false}, 9, kCentreWeights, 8,
                   true);
}

void LSGS6(const Real* area, const Real* X, const Int* ldim, const Real* normals, Real* points, Real* interior,
           Real* table) {
  static constexpr int kEdges[3][3] = {{1, 2, 4}, {2, 3, 5}, {1, 3, 6}};
  int p = 0;
  for (const auto& edge : kEdges)
    for (const Real xi : {-kGauss2, kGauss2}) {
      const LinePoint q = linePoint(X, *ldim, normals, edge[0], edge[1], edge[2], xi);
      storeShearPoint(q.n, q.t, 0.2 * *area, &points[3 * p++]);
    }
  static constexpr Real kInterior[3][2] = {{1.0 / 6.0, 1.0 / 6.0}, {2.0 / 3.0, 1.0 / 6.0}, {1.0 / 6.0, 2.0 / 3.0}};
  for (int k = 0; k < 3; ++k) {
    const Real r = kInterior[k][0], w = 1.0 - kInterior[k][0] - kInterior[k][1];
    const Real values[6] = {0.0, 1.0 - 4.0 * r, 3.0 - 4.0 * r - 4.0 * w, -4.0 * w, 8.0 * r - 4.0 + 4.0 * w, 4.0 * w};
    std::copy_n(values, 6, &interior[6 * k]);
  }
  constexpr Real a = 0.7663460352256, b = -0.09967936855889, third = 1.0 / 3.0, c = -1.0 / 6.0, d = 4.0 / 3.0;
  static constexpr Real kTable[27] = {a, b, third, b, a, third, c, c, d, b, a, third, c, c, d,
                                      a, b, third, c, c, d, a, b, third, b, a, third};
  std::copy_n(kTable, 27, table);
}

void LSGS9(const Real* areas, const Real* X, const Int* ldim, const Real* normals, Real* points, Real* /*a6*/,
           Real* /*a7*/) {
  static constexpr int kLines[6][3] = {{1, 2, 5}, {6, 8, 9}, {3, 4, 7}, {1, 4, 8}, {5, 7, 9}, {2, 3, 6}};
  static constexpr int kFallback[6][3] = {{4, 3, 7}, {8, 6, 9}, {2, 1, 5}, {2, 3, 6}, {5, 7, 9}, {1, 4, 8}};
  const Real A1 = areas[0], A2 = areas[1], A3 = areas[2], A4 = areas[3];
  const Int ld = *ldim;
  for (int line = 0; line < 6; ++line) {
    const bool inner = line == 1 || line == 4;
    Real xi = -kGauss2 * (inner ? 1.01 : 1.0);
    if (line == 1 || line == 2) xi = -xi;
    Real sums[2];
    if (line == 0)
      sums[0] = A1 + A3, sums[1] = A2 + A4;
    else if (line <= 2)
      sums[0] = A2 + A4, sums[1] = A1 + A3;
    else
      sums[0] = A1 + A2, sums[1] = A3 + A4;
    const int a = kLines[line][0], b = kLines[line][1], m = kLines[line][2];
    for (int q = 0; q < 2; ++q) {
      const Real at = q == 0 ? xi : -xi;
      const Real V = (inner ? 2.0 / 3.0 : 1.0 / 6.0) * sums[q];
      LinePoint p = linePoint(X, ld, normals, a, b, m, at);
      if (dot(p.t, p.t) <= 1.0e-6 * V) {
        // A collapsed line: its tangent from points moved a tenth towards the opposite line.
        auto blend = [&](int original, int other) { return 0.1 * column(X, ld, other) + 0.9 * column(X, ld, original); };
        const int* f = kFallback[line];
        p.t = (at - 0.5) * blend(a, f[0]) + (at + 0.5) * blend(b, f[1]) + (-2.0 * at) * blend(m, f[2]);
      }
      storeShearPoint(p.n, p.t, V, &points[3 * (2 * line + q)]);
    }
  }
}

Int LSG002(const Int* element, const Real* X, const Int* ldim, const Int* rec, const Int* handle, Real* a6,
           Int* nodes, const Int* a8, Real* a9, Real* a10, const Int* a11, Int* a12) {
  *nodes = word(rec, kNodeCount);
  if (*nodes < 1 || *nodes > kMaxShellNodes) {
    systemError("SYSTEM ERROR IN LSG002: %I NODES", *nodes);
    return 0;
  }
  const Int w1 = word(rec, kType), w8 = word(rec, kWord8), w14 = word(rec, kPoints), w4 = word(rec, kFamily);
  const Int c212 = 212;
  Real local[256] = {};
  EQC_LSG002(X, a6, ldim, local, element, a8, &w1, nodes, &w8, &w14, &w4, &c212, a9, a10, a11, program(), a12);
  Int section = 0, slideLine = 0;
  const Int layout = ELAYOACCESS(handle, &section, &slideLine);
  Real normals[3 * kMaxShellNodes];
  copyNormals(X, *ldim, *nodes, 3, normals);
  storeVariable(layout, 18, normals, 3 * *nodes);
  EQC_2NDORDER_DISTORTIONCHECK(element, X, ldim, nodes, a12);
  return 0;
}

void LSG001(const Real* X, const Int* ldim, Real* a3, const Logical* a4, Real* a5, Real* a6, const Int* a7,
            const Int* handle, const Int* nodes, Int* a10) {
  const ElementView e = viewElement(*handle);
  if (*nodes < 1 || *nodes > kMaxShellNodes) return systemError("SYSTEM ERROR IN LSG001: %I NODES", *nodes);
  const Int w14 = word(e.rec, kPoints), zero = 0;
  EQC_LSG001(X, a3, a5, a6, a7, ldim, nodes, &e.recordLength, &w14, &zero, program(), a4, &e.slideLine, a10);
  if (*nodes == 3) {
    const Int two = 2;
    EQC_3NLINE_ERRWARN(X, ldim, &two, &e.number, a10, &zero);
  }
  Real normals[2 * kMaxShellNodes];
  copyNormals(X, *ldim, *nodes, 2, normals);
  storeVariable(e.layout, 18, normals, 2 * *nodes);
}

void LSG001SURF(Real* measure, const Real* X, const Int* p, const Int* ldim, const Int* rec) {
  const int n = word(rec, kNodeCount) == 3 ? 3 : 2;
  Real N[3], dN[3];
  lineShape(n, gaussAbscissa(n, *p), N, dN);
  Real r = 0.0, z = 0.0, dr = 0.0, dz = 0.0;
  for (int k = 1; k <= n; ++k) {
    r += N[k - 1] * at(X, *ldim, 1, k), z += N[k - 1] * at(X, *ldim, 2, k);
    dr += dN[k - 1] * at(X, *ldim, 1, k), dz += dN[k - 1] * at(X, *ldim, 2, k);
  }
  Real J = std::sqrt(dr * dr + dz * dz);
  // The Gauss weights apply to the three-point rule only; the two-point weights are 1.
  if (word(rec, 60) == 1) {
    if (n == 3) J *= gauss3Weight(*p);
    *measure = J * kTwoPi * r;
    return;
  }
  if (word(rec, kPoints) == 2 && n == 3) J *= gauss3Weight(*p);
  if (word(rec, kRadialNodes) == n)
    *measure = J * kTwoPi * r;
  else
    *measure = J * (1.0 + (z - at(X, *ldim, 2, n + 1)) / 24.0);
}

}  // extern "C"
