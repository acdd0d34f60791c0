// Closest point of a point on one cubic triangular patch. The patch is split into three quartic
// sub-triangles that meet at its centre; the foot is found by damped Newton in the sub-triangle of
// the nearest sample and, when it falls outside, in its neighbours.

#include <array>
#include <cmath>
#include <limits>

#include "geometry/bezier/bezier_layout.h"
#include "geometry/bezier/patch_polynomial.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/geometry/bezier.h"

namespace {

using namespace zmx::bezier;

constexpr int kSamples = 31;
constexpr int kGridPoints = 15;
// A foot this far outside its sub-triangle (in u, v or w) still counts as inside.
constexpr Real kInsideSlack = -0.001;

// Grid of a quartic triangle: grid point m is the control point b_ijk with i = 4u, j = 4v.
constexpr int kGridI[kGridPoints] = {4, 3, 3, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr int kGridJ[kGridPoints] = {0, 1, 0, 2, 1, 0, 3, 2, 1, 0, 4, 3, 2, 1, 0};

// Samples of the three sub-triangles in grid order (sample 31 is the shared apex at grid (1, 0);
// the patch boundary lies on u = 0).
constexpr int kSubTriangleSamples[45] = {31, 28, 29, 25, 22, 26, 13, 14, 15, 16, 1,  2,  3,  4,  5,
                                         31, 29, 30, 26, 23, 27, 16, 17, 18, 19, 5,  6,  7,  8,  9,
                                         31, 30, 28, 27, 24, 25, 19, 20, 21, 13, 9, 10, 11, 12, 1};

// Where the search starts for each nearest sample: its grid point and sub-triangle.
constexpr int kStartGrid[kSamples] = {11, 12, 13, 14, 15, 12, 13, 14, 15, 12, 13, 14, 7, 8, 9, 10,
                                      8,  9,  10, 8,  9,  5,  5,  5,  4,  6,  6,  2,  3, 3, 1};
constexpr int kStartSubTriangle[kSamples] = {1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 1, 1, 1, 1,
                                             2, 2, 2, 3, 3, 1, 2, 3, 1, 1, 2, 1, 1, 2, 1};

// Restart points of the Newton search, taken from the last to the first.
constexpr Real kRestartU[6] = {0.10128, 0.79743, 0.10128, 0.47014, 0.47014, 0.05971};
constexpr Real kRestartV[6] = {0.10128, 0.10128, 0.79743, 0.05971, 0.47014, 0.47014};

constexpr int factorial(int n) { return n <= 1 ? 1 : n * factorial(n - 1); }

constexpr int monomialIndex(int p, int q) {
  for (int m = 0; m < kMonomials; ++m)
    if (kPowerU[m] == p && kPowerV[m] == q) return m;
  return -1;
}

// T(monomial, grid point): the power-basis coefficient of each monomial is the sum over the grid
// of T times the control point. From 4!/(i! j! k!) u^i v^j w^k with w^k = (1 - u - v)^k expanded.
constexpr std::array<std::array<Real, kGridPoints>, kMonomials> powerBasisTable() {
  std::array<std::array<Real, kGridPoints>, kMonomials> t{};
  for (int g = 0; g < kGridPoints; ++g) {
    const int i = kGridI[g], j = kGridJ[g], k = 4 - i - j;
    const int outer = factorial(4) / (factorial(i) * factorial(j) * factorial(k));
    for (int b = 0; b <= k; ++b)
      for (int c = 0; b + c <= k; ++c) {
        const int inner = factorial(k) / (factorial(k - b - c) * factorial(b) * factorial(c));
        const int sign = (b + c) % 2 == 0 ? 1 : -1;
        t[monomialIndex(i + b, j + c)][g] += static_cast<Real>(sign * outer * inner);
      }
  }
  return t;
}
constexpr auto kPowerBasis = powerBasisTable();

Real squaredDistance(const Real* a, const Real* b) {
  const Real d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
}

// Node coordinates of the entry at record offset `offset` of the patch.
const Real* patchPoint(const Real* nodes, const void* patches, Int patch, int offset) {
  return nodePoint(nodes, recordEntry(patches, patch, offsetWord(offset)));
}

// Grid index (1-based) in the group whose sample is nearest to P; the first of equal ones.
int nearestGridPoint(const Real* p, const Int* group, const Real* samples) {
  int best = 1;
  Real bestDistance = kUnset;
  for (int m = 1; m <= kGridPoints; ++m) {
    const Real d = squaredDistance(samples + group[m - 1], p);
    if (d < bestDistance) {
      bestDistance = d;
      best = m;
    }
  }
  return best;
}

struct NewtonResult {
  bool converged = false;
  Real u = 0.0, v = 0.0, distance = 0.0;
};

bool outsideRange(Real u, Real v) { return std::fabs(u) >= 10.0 || std::fabs(v) >= 10.0; }

// Damped Newton on the gradient of half the squared distance, from (u, v), at most 15 steps.
NewtonResult newtonFrom(Real u, Real v, const Real* p, const Real* coefficients, Real stepTolerance,
                        Real distanceTolerance) {
  NewtonResult result;
  PatchJet jet;
  bool evaluated = false;  // the jet already holds (u, v): the accepted trial of the last step
  for (int step = 0; step < 15; ++step) {
    result.u = u;
    result.v = v;
    if (outsideRange(u, v)) return result;
    if (!evaluated) evaluatePatch(coefficients, u, v, true, jet);
    const Real r[3] = {jet.x[0] - p[0], jet.x[1] - p[1], jet.x[2] - p[2]};
    const Real rn = norm3(r);
    const Real gu = dot3(r, jet.xu), gv = dot3(r, jet.xv);
    result.distance = rn;
    if (rn <= distanceTolerance ||
        (std::fabs(gu) <= 1e-6 * rn * norm3(jet.xu) && std::fabs(gv) <= 1e-6 * rn * norm3(jet.xv))) {
      result.converged = true;
      return result;
    }
    const Real huu = dot3(jet.xu, jet.xu) + dot3(r, jet.xuu);
    const Real huv = dot3(jet.xu, jet.xv) + dot3(r, jet.xuv);
    const Real hvv = dot3(jet.xv, jet.xv) + dot3(r, jet.xvv);
    const Real largestH = std::fmax(std::fabs(huu), std::fmax(std::fabs(huv), std::fabs(hvv)));
    if (!(largestH < 1e13) || !(std::fmax(std::fabs(gu), std::fabs(gv)) < 1e13)) return result;
    const Real det = huu * hvv - huv * huv;
    Real du = -gu, dv = -gv;
    if (std::fabs(det) > kTiny) {
      du = -(hvv * gu - huv * gv) / det;
      dv = -(huu * gv - huv * gu) / det;
      if (std::fmax(std::fabs(du), std::fabs(dv)) <= stepTolerance) {
        result.converged = true;
        return result;
      }
    }
    if (!std::isfinite(du) || !std::isfinite(dv)) return result;

    // Backtracking on f = (gu^2 + gv^2) / 2 along the step.
    const Real f0 = 0.5 * (gu * gu + gv * gv);
    const Real slope = gu * (huu * du + huv * dv) + gv * (huv * du + hvv * dv);
    const Real test = std::fmax(std::fabs(du) / std::fmax(std::fabs(u), 1.0), std::fabs(dv) / std::fmax(std::fabs(v), 1.0));
    const Real lambdaMin = 1e-7 / test;
    Backtrack line;
    Real tu, tv;
    while (true) {
      tu = u + line.lambda() * du;
      tv = v + line.lambda() * dv;
      if (outsideRange(tu, tv)) return result;
      // The full step is usually taken: its second derivatives then serve the next step.
      evaluated = line.reductions() == 0;
      evaluatePatch(coefficients, tu, tv, evaluated, jet);
      const Real rt[3] = {jet.x[0] - p[0], jet.x[1] - p[1], jet.x[2] - p[2]};
      const Real g1u = dot3(rt, jet.xu), g1v = dot3(rt, jet.xv);
      const Real f1 = 0.5 * (g1u * g1u + g1v * g1v);
      if (!std::isfinite(f1)) return result;
      if (line.lambda() < lambdaMin || f1 <= f0 + 1e-4 * line.lambda() * slope ||
          line.reductions() >= kMaxReductions)
        break;
      line.reduce(f0, slope, f1);
    }
    u = tu;
    v = tv;
  }
  result.u = u;
  result.v = v;
  return result;
}

bool insideSubTriangle(Real u, Real v) {
  return u >= kInsideSlack && v >= kInsideSlack && 1.0 - u - v >= kInsideSlack;
}

void cross3(const Real* a, const Real* b, Real* c) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

// The sub-triangles in the order the local search tries them, by the one it starts in.
struct SubTriangleOrder {
  int t1, t2, t3;
};
constexpr SubTriangleOrder kOrder[3] = {{1, 2, 3}, {2, 3, 1}, {3, 1, 2}};

}  // namespace

extern "C" {

void INITBZ(const Int* type, const Int* patch, const Real* nodes, const void* patches, const Real* control,
            const Int* index, Real* b) {
  if (*type == 4) {
    for (int m = 0; m < 15; ++m)
      for (int c = 0; c < 3; ++c) b[m + 15 * c] = control[index[m] + c];
    return;
  }
  // Rows in the order of the cubic's Bernstein terms: the u, v and w corners C3, C1, C2, then the
  // edge points and the centre.
  constexpr int kCubicRows[10] = {6, 4, 5, 11, 10, 12, 7, 9, 8, 13};
  const int rows = *type == 3 ? 10 : 3;
  for (int m = 0; m < rows; ++m) {
    const Real* x = patchPoint(nodes, patches, *patch, kCubicRows[m]);
    for (int c = 0; c < 3; ++c) b[m + 15 * c] = x[c];
  }
}

void INITMN(Int* table) {
  for (int k = 0; k < 45; ++k) table[k] = 3 * (kSubTriangleSamples[k] - 1);
}

void SUBDIV(const Int* patch, const Real* nodes, const void* patches, Real* samples) {
  const Real* cp[10];
  for (int k = 0; k < 10; ++k) cp[k] = patchPoint(nodes, patches, *patch, 4 + k);
  // Offset nodes add their coordinates to the inner samples; an empty entry adds nothing.
  Real offsets[6][3] = {};
  for (int k = 0; k < 6; ++k) {
    const Int node = recordEntry(patches, *patch, offsetWord(14 + k));
    if (node <= 0) continue;
    const Real* e = nodePoint(nodes, node);
    for (int c = 0; c < 3; ++c) offsets[k][c] = e[c];
  }
  for (int c = 0; c < 3; ++c) {
    const Real c1 = cp[0][c], c2 = cp[1][c], c3 = cp[2][c], c4 = cp[3][c], c5 = cp[4][c], c6 = cp[5][c],
               c7 = cp[6][c], c8 = cp[7][c], c9 = cp[8][c], c10 = cp[9][c];
    const Real g1 = (c1 + c4 + c9) / 3.0, g2 = (c4 + c5 + c10) / 3.0, g3 = (c5 + c6 + c2) / 3.0,
               g4 = (c6 + c7 + c10) / 3.0, g5 = (c7 + c8 + c3) / 3.0, g6 = (c8 + c9 + c10) / 3.0;
    const Real h1 = (g2 + g1 + g6) / 3.0, h2 = (g3 + g2 + g4) / 3.0, h3 = (g5 + g4 + g6) / 3.0;
    Real s[32];
    s[1] = c1;
    s[5] = c2;
    s[9] = c3;
    s[2] = (3.0 * c4 + c1) / 4.0;
    s[3] = (c4 + c5) / 2.0;
    s[4] = (3.0 * c5 + c2) / 4.0;
    s[6] = (3.0 * c6 + c2) / 4.0;
    s[7] = (c6 + c7) / 2.0;
    s[8] = (3.0 * c7 + c3) / 4.0;
    s[10] = (3.0 * c8 + c3) / 4.0;
    s[11] = (c8 + c9) / 2.0;
    s[12] = (3.0 * c9 + c1) / 4.0;
    s[13] = (3.0 * g1 + c1) / 4.0;
    s[16] = (3.0 * g3 + c2) / 4.0;
    s[19] = (3.0 * g5 + c3) / 4.0;
    s[14] = (c4 + 2.0 * g2 + g1) / 4.0 + offsets[0][c];
    s[15] = (c5 + 2.0 * g2 + g3) / 4.0 + offsets[1][c];
    s[17] = (c6 + 2.0 * g4 + g3) / 4.0 + offsets[2][c];
    s[18] = (c7 + 2.0 * g4 + g5) / 4.0 + offsets[3][c];
    s[20] = (c8 + 2.0 * g6 + g5) / 4.0 + offsets[4][c];
    s[21] = (c9 + 2.0 * g6 + g1) / 4.0 + offsets[5][c];
    s[22] = (h1 + 2.0 * g2 + h2) / 4.0;
    s[23] = (h2 + 2.0 * g4 + h3) / 4.0;
    s[24] = (h3 + 2.0 * g6 + h1) / 4.0;
    s[25] = (s[13] + s[14] + s[21]) / 3.0;
    s[26] = (s[15] + s[16] + s[17]) / 3.0;
    s[27] = (s[18] + s[19] + s[20]) / 3.0;
    s[28] = (s[25] + s[22] + s[24]) / 3.0;
    s[29] = (s[22] + s[26] + s[23]) / 3.0;
    s[30] = (s[23] + s[27] + s[24]) / 3.0;
    s[31] = (s[28] + s[29] + s[30]) / 3.0;
    for (int k = 1; k <= kSamples; ++k) samples[3 * (k - 1) + c] = s[k];
  }
}

void GCOEFF(const Int* group, const Real* samples, Real* coefficients) {
  for (int m = 0; m < kMonomials; ++m) {
    Real sum[3] = {0.0, 0.0, 0.0};
    for (int g = 0; g < kGridPoints; ++g) {
      const Real t = kPowerBasis[m][g];
      if (t == 0.0) continue;
      const Real* b = samples + group[g];
      for (int c = 0; c < 3; ++c) sum[c] += t * b[c];
    }
    for (int c = 0; c < 3; ++c) coefficients[3 * m + c] = sum[c];
  }
}

void UNEWT(const Real* stepTolerance, const Real* distanceTolerance, const Real* p, const Int* group,
           const Real* samples, Real* coefficients, const Int* startMode, const Int* startIndex, Real* uv,
           Int* status) {
  // A given start must name one of the grid points, and the group one of the samples for each: any
  // other is a failed search.
  bool known = *startMode != 1 || (*startIndex >= 1 && *startIndex <= kGridPoints);
  for (int m = 0; m < kGridPoints; ++m) known = known && group[m] >= 0 && group[m] <= 3 * (kSamples - 1);
  if (!known) {
    *status = 1;
    return;
  }
  GCOEFF(group, samples, coefficients);
  const int grid = *startMode == 1 ? *startIndex : nearestGridPoint(p, group, samples);
  Real u = 0.25 * kGridI[grid - 1], v = 0.25 * kGridJ[grid - 1];
  // A foot that converges outside the sub-triangle is kept while the other starts are tried: when
  // none converges inside, the nearest of them is the answer, so the local search can walk on.
  bool outsideFound = false;
  NewtonResult nearestOutside;
  for (int restart = 6; restart >= 0; --restart) {
    const NewtonResult r = newtonFrom(u, v, p, coefficients, *stepTolerance, *distanceTolerance);
    if (r.converged && insideSubTriangle(r.u, r.v)) {
      uv[0] = r.u;
      uv[1] = r.v;
      *status = 0;
      return;
    }
    if (r.converged && (!outsideFound || r.distance < nearestOutside.distance)) {
      outsideFound = true;
      nearestOutside = r;
    }
    uv[0] = r.u;
    uv[1] = r.v;
    if (restart > 0) {
      u = kRestartU[restart - 1];
      v = kRestartV[restart - 1];
    }
  }
  if (outsideFound) {
    uv[0] = nearestOutside.u;
    uv[1] = nearestOutside.v;
    *status = 0;
  } else {
    *status = 1;
  }
}

void LOSRCH(const Real* nodes, const void* patches, const Int* table, Real* coefficients, const Int* patch,
            const Real* p, Int* found, Int* list, Real* uvw, const Real* length) {
  *found = 0;
  const Real distanceTolerance = kTie * *length;
  if (*patch <= 0) return;
  Real samples[3 * kSamples];
  SUBDIV(patch, nodes, patches, samples);
  int nearest = 0;
  Real bestDistance = kUnset;
  for (int s = 0; s < kSamples; ++s) {
    const Real d = squaredDistance(samples + 3 * s, p);
    if (d < bestDistance) {
      bestDistance = d;
      nearest = s;
    }
  }
  const Int startGrid = kStartGrid[nearest];
  const SubTriangleOrder order = kOrder[kStartSubTriangle[nearest] - 1];

  list[0] = 0;
  int current = order.t1, attempts = 0;
  bool t3FromT2 = false;
  const Real stepTolerance = 1e-7;
  while (true) {
    ++attempts;
    const Int mode = attempts;
    Int status = 1;
    Real uv[2];
    UNEWT(&stepTolerance, &distanceTolerance, p, table + 15 * (current - 1), samples, coefficients, &mode,
          &startGrid, uv, &status);
    const Real u = uv[0], v = uv[1], w = 1.0 - u - v;
    uvw[0] = u;
    uvw[1] = v;
    uvw[2] = w;
    bool fallBack = status != 0;
    if (status == 0) {
      if (u < kInsideSlack) {
        // The foot lies beyond the patch boundary.
        list[++list[0]] = current;
        fallBack = true;
      } else if (v < kInsideSlack && v <= w) {
        if (current == order.t1) {
          current = order.t2;
        } else if (current == order.t2) {
          t3FromT2 = true;
          current = order.t3;
        } else {
          fallBack = true;
        }
      } else if (w < kInsideSlack && w <= v) {
        if (current == order.t1)
          current = order.t3;
        else if (current == order.t3 && !t3FromT2)
          current = order.t2;
        else
          fallBack = true;
      } else {
        *found = 1;
        return;
      }
    }
    if (!fallBack) continue;
    if (attempts == 1) {
      current = order.t2;
    } else if (attempts == 2) {
      if (current == order.t2) {
        t3FromT2 = true;
        current = order.t3;
      } else {
        current = order.t2;
      }
    } else {
      return;
    }
  }
}

void DSTNCE(const Real* p, const Real* coefficients, const Real* uv, Real* x, Real* frame, Real* distance) {
  PatchJet jet;
  evaluatePatch(coefficients, uv[0], uv[1], true, jet);
  for (int c = 0; c < 3; ++c) x[c] = jet.x[c];
  const Real zero = 0.0;
  const Int twelve = 12;
  ASET(frame, &zero, &twelve);
  Real* n = frame + 6;
  cross3(jet.xu, jet.xv, n);
  const Real length = norm3(n);
  if (!(length > kTiny)) {
    ASET(frame, &zero, &twelve);
    *distance = kNotFound;
    return;
  }
  for (int c = 0; c < 3; ++c) n[c] /= length;
  const Real r[3] = {x[0] - p[0], x[1] - p[1], x[2] - p[2]};
  *distance = dot3(r, n);
  ALOCAL(frame);

  // Curvature in the tangent axes: with (du, dv) = A (s1, s2), A the inverse of J.
  const Real* t1 = frame;
  const Real* t2 = frame + 3;
  const Real j11 = dot3(jet.xu, t1), j12 = dot3(jet.xv, t1), j21 = dot3(jet.xu, t2), j22 = dot3(jet.xv, t2);
  const Real det = j11 * j22 - j12 * j21;
  if (!(std::fabs(det) > kTiny)) return;
  const Real a1[2] = {j22 / det, -j21 / det}, a2[2] = {-j12 / det, j11 / det};
  const Real l11 = dot3(jet.xuu, n), l12 = dot3(jet.xuv, n), l22 = dot3(jet.xvv, n);
  auto form = [&](const Real* a, const Real* b) {
    return a[0] * (l11 * b[0] + l12 * b[1]) + a[1] * (l12 * b[0] + l22 * b[1]);
  };
  frame[9] = form(a1, a1);
  frame[10] = form(a1, a2);
  frame[11] = form(a2, a2);
}

void PATCHPERPDIST(const Real* nodes, const void* patches, const Real* patchData, const Real* p, const Int* patch,
                   Real* distance, Int* status, Real* vector, const Real* radius) {
  const Real* c1 = nodePoint(nodes, recordEntry(patches, *patch, kCornerC1));
  const Real* c2 = nodePoint(nodes, recordEntry(patches, *patch, kCornerC1 + 1));
  const Real* c3 = nodePoint(nodes, recordEntry(patches, *patch, kCornerC1 + 2));
  const Real e1[3] = {c1[0] - c3[0], c1[1] - c3[1], c1[2] - c3[2]};
  const Real e2[3] = {c2[0] - c3[0], c2[1] - c3[1], c2[2] - c3[2]};
  const Real q[3] = {p[0] - c3[0], p[1] - c3[1], p[2] - c3[2]};
  const Real a11 = dot3(e1, e1), a22 = dot3(e2, e2), a12 = dot3(e1, e2);
  const Real b1 = dot3(e1, q), b2 = dot3(e2, q);
  const Real det = a11 * a22 - a12 * a12;
  auto outside = [&] {
    *distance = kNotFound;
    *status = 0;
    vector[0] = vector[1] = vector[2] = 0.0;
  };
  if (!(std::fabs(det) > kTiny)) {
    outside();
    return;
  }
  const Real bary[3] = {(b1 * a22 - b2 * a12) / det, (b2 * a11 - b1 * a12) / det, 0.0};
  const Real coords[3] = {bary[0], bary[1], 1.0 - bary[0] - bary[1]};
  const Real* data = patchData + static_cast<long long>(*patch - 1) * word(kPatchDataStride);
  Real along = 0.0;
  for (int c = 0; c < 3; ++c) {
    const Real f = coords[0] * c1[c] + coords[1] * c2[c] + coords[2] * c3[c];
    vector[c] = f - p[c];
    along += vector[c] * data[c];
  }
  const Real gap = norm3(vector);
  *distance = along < 0.0 ? -gap : gap;
  if (coords[0] >= 0.0 && coords[1] >= 0.0 && coords[2] >= 0.0) {
    *status = 1;
    return;
  }
  // Lengths of the edges on which each coordinate vanishes: C2-C3, C3-C1, C1-C2.
  const Real d12[3] = {c1[0] - c2[0], c1[1] - c2[1], c1[2] - c2[2]};
  const Real edgeLength[3] = {norm3(e2), norm3(e1), norm3(d12)};
  const Real area = data[3], r = *radius;
  int smallest = 0;
  for (int k = 0; k < 3; ++k) {
    if (coords[k] < -edgeLength[k] * (0.5 * r) / area) {
      outside();
      return;
    }
    if (coords[k] < coords[smallest]) smallest = k;
  }
  *status = 2;
  const Real x = 2.0 * area * std::fabs(coords[smallest]) / edgeLength[smallest];
  *distance = std::fmax(0.0, gap - std::sqrt(std::fmax(0.0, r * r - x * x)));
}

}  // extern "C"
