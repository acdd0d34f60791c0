// The point of a facet whose smoothed normal passes through a given point: damped Newton steps on
// the tangential components of x(xi, eta) - P in the local directions of the interpolated nodal
// normal field, from a fixed set of starts per facet shape (then per quarter of an 8- or 9-node
// facet, cylindrical ones included, or per sub-region of a 6-node triangle worked as
// sub-quadrilaterals).

#include <algorithm>
#include <cmath>

#include "geometry/feet/feet_common.h"
#include "geometry/support/line_search.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/feet.h"

namespace {

using namespace zmx::geometry;

constexpr Real kFlatCosine = 0.999048221582;  // cos 2.5 degrees
constexpr Real kAxisCosine = 0.999998476913;  // cos 0.1 degree
constexpr Real kQ = 0.577;
constexpr int kPlainSteps = 10;

// The reference system handed to the normal-field evaluator; it may turn the reference normal and
// the first direction round, and keeps them so from call to call.
constinit Real referenceNormal[3] = {0.0, 0.0, 1.0};
constinit Real firstDirection[3] = {1.0, 0.0, 0.0};
constinit Real secondDirection[3] = {0.0, 1.0, 0.0};

struct Param {
  Real xi, eta;
};

struct Facet {
  const Real *x, *nn;
  Int ldx, ldn, n;
  Logical subRegion;  // the element class's facets are 6-node triangles worked in sub-regions
  bool cylindrical;
  const Real* record;  // the caller's angle record of a cylindrical facet, handed on whole
  Real c;              // its first word, the extent along eta
  Real length;
  Real tol;

  bool split6() const { return n == 6 && isTrueLowBit(subRegion); }
  bool quadratic8or9() const { return !cylindrical && (n == 8 || n == 9); }
  // The facets whose search goes on over the quarters once their own starts fail: 8- and 9-node
  // quadrilaterals, and 9-node cylindrical facets (which keep their own step cap and inside test).
  bool walksQuarters() const { return n == 8 || n == 9; }
};

// Everything the iteration needs at one point of the facet.
struct Evaluation {
  Real point[3], tangents[6], normal[3], dn[6], directions[6], curvature[12];
};

bool evaluate(const Facet& f, Int mode, Real xi, Real eta, Int k, Evaluation& e) {
  const Logical cyl = f.cylindrical ? kTrue : kFalse;
  Int status = 0;
  FACET_3D_FACE_PROP(&mode, &xi, &eta, &f.n, &f.subRegion, &k, &cyl, f.record, f.x, &f.ldx, f.nn, &f.ldn,
                     referenceNormal, firstDirection, secondDirection, e.point, e.tangents, e.normal, e.dn,
                     e.directions, e.curvature, &status);
  return status == 0;
}

Real dot3(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Tangential residuals F_i = -(d . t_i) with d = x - P, and their Jacobian.
struct Residual {
  Real d[3], gap, f[2], j[2][2];
};

Residual residual(const Evaluation& e, const Real* pt, bool jacobian) {
  Residual r{};
  for (int i = 0; i < 3; ++i) r.d[i] = e.point[i] - pt[i];
  r.gap = std::sqrt(dot3(r.d, r.d));
  for (int i = 0; i < 2; ++i) r.f[i] = -dot3(r.d, e.directions + 3 * i);
  if (jacobian)
    for (int i = 0; i < 2; ++i)
      for (int jj = 0; jj < 2; ++jj)
        r.j[i][jj] = dot3(e.directions + 3 * i, e.tangents + 3 * jj) + dot3(r.d, e.curvature + 3 * (2 * jj + i));
  return r;
}

bool insideExtended(const Facet& f, Param p) {  // test E
  const Real w = 2.0 * f.tol + 1.0;
  if (f.cylindrical && std::fabs(f.c) > kFlat)
    return p.eta <= (f.tol + 1.0) * f.c && std::fabs(p.xi) <= w && p.eta >= -f.tol * f.c;
  if (f.cylindrical || f.n == 4 || f.n == 8 || f.n == 9 || f.split6()) return std::fabs(p.xi) <= w && std::fabs(p.eta) <= w;
  return zmx::geometry::insideTriangle(p.xi, p.eta, f.tol);
}

// Test W. Only the starts of a step cap above ten reach it: those of curved 6-node triangles (whole
// or in sub-regions) and of the quarters of curved 8- and 9-node quadrilaterals.
bool withinWideBounds(const Facet& f, Param p) {
  if (f.n == 6 && !f.split6()) return zmx::geometry::insideTriangle(p.xi, p.eta, 3.0 * f.tol);
  const Real w6 = 6.0 * f.tol + 1.0;
  return std::fabs(p.xi) <= w6 && std::fabs(p.eta) <= w6;
}

Real excess(Real v) { return std::fabs(v) > kInside ? 0.5 * (std::fabs(v) - 1.0) : 0.0; }

// Triangle test on area coordinates; overshoot the largest of the negated coordinates below -e.
bool triangleInside(Real a, Real b, Real tol, Real& over) {
  if (!zmx::geometry::insideTriangle(a, b, tol)) return false;
  over = 0.0;
  for (Real v : {a, b, 1.0 - a - b})
    if (v < -kFlat) over = std::max(over, -v);
  return true;
}

// Test I with the overshoot of an accepted point.
bool acceptFoot(const Facet& f, Param p, Int k, Int q, const Evaluation& e, Real gap, Real& over) {
  const Real w = 2.0 * f.tol + 1.0;
  over = 0.0;
  // A triangle or 4-node quadrilateral is tested as one whatever its class.
  if (f.n == 3) return triangleInside(p.xi, p.eta, f.tol, over);
  if (f.cylindrical && f.n != 4 && std::fabs(f.c) > kFlat) {
    if (!(p.eta <= (f.tol + 1.0) * f.c && std::fabs(p.xi) <= w && p.eta >= -f.tol * f.c)) return false;
    if (p.eta <= 1.0000000000000002 * f.c && std::fabs(p.xi) <= kInside && p.eta >= -kFlat * f.c) return true;
    over = excess(p.xi);
    if (p.eta > f.c) over = std::max(over, (p.eta - f.c) / f.c);
    if (p.eta < 0.0) over = std::max(over, -p.eta / f.c);
    return true;
  }
  if (f.cylindrical || f.n == 4) {
    if (!(std::fabs(p.xi) <= w && std::fabs(p.eta) <= w)) return false;
    over = std::max(excess(p.xi), excess(p.eta));
    return true;
  }
  if (f.split6()) {
    if (p.xi > 1.005 || p.eta > 1.005) return false;
    const zmx::geometry::AreaPoint a = zmx::geometry::subRegionToArea(k, p.xi, p.eta);
    return triangleInside(a.a, a.b, f.tol, over);
  }
  if (f.n == 8 || f.n == 9) {
    const Real s = std::max(1e-6 * gap, 1e-10 * f.length);
    const Real lx = std::sqrt(dot3(e.tangents, e.tangents)), le = std::sqrt(dot3(e.tangents + 3, e.tangents + 3));
    const Real sx = s / (lx <= kTiny ? 1.0 : lx), se = s / (le <= kTiny ? 1.0 : le);
    bool in = false;
    switch (q) {
      case 1: in = p.xi <= sx && p.eta <= se && p.xi >= -w && p.eta >= -w; break;
      case 2: in = p.eta <= se && p.xi >= -sx && p.xi <= w && p.eta >= -w; break;
      case 3: in = p.xi >= -sx && p.eta >= -se && p.xi <= w && p.eta <= w; break;
      default: in = p.xi <= sx && p.eta >= -se && p.xi >= -w && p.eta <= w; break;
    }
    if (!in) return false;
    over = std::max(excess(p.xi), excess(p.eta));
    return true;
  }
  return triangleInside(p.xi, p.eta, f.tol, over);
}

// Start points: the first, then the table entries from the last listed to the first.
struct Starts {
  Param first;
  Param table[6];
  int count = 0;
  int cap = kPlainSteps;
};

// The nodal normals of the first m nodes lie within 2.5 degrees of their normalised sum.
bool flatNormals(const Facet& f, Int m) {
  Real sum[3] = {0.0, 0.0, 0.0};
  for (Int j = 0; j < m; ++j)
    for (int i = 0; i < 3; ++i) sum[i] += f.nn[j * static_cast<long long>(f.ldn) + i];
  const Int three = 3;
  Int status = 0;
  ANORM(sum, &three, &status);
  if (status != 0) return false;
  Real smallest = 1.0;
  for (Int j = 0; j < m; ++j) smallest = std::min(smallest, dot3(sum, f.nn + j * static_cast<long long>(f.ldn)));
  return smallest >= kFlatCosine;
}

Starts quarterStarts(int q, bool flat) {
  static constexpr Param kFirst[4] = {{-0.75, -0.75}, {0.25, -0.75}, {0.25, 0.25}, {-0.75, 0.25}};
  static constexpr Param kEntries[4][3] = {{{-0.75, -0.25}, {-0.25, -0.25}, {-0.25, -0.75}},
                                           {{0.25, -0.25}, {0.75, -0.25}, {0.75, -0.75}},
                                           {{0.25, 0.75}, {0.75, 0.75}, {0.75, 0.25}},
                                           {{-0.75, 0.75}, {-0.25, 0.75}, {-0.25, 0.25}}};
  static constexpr Param kFlatStart[4] = {{-kQ, -kQ}, {kQ, -kQ}, {kQ, kQ}, {-kQ, kQ}};
  Starts s;
  if (flat) {
    s.first = kFlatStart[q - 1];
    return s;
  }
  s.first = kFirst[q - 1];
  std::copy_n(kEntries[q - 1], 3, s.table);
  s.count = 3;
  s.cap = 15;
  return s;
}

Starts splitStarts(bool flat) {
  Starts s;
  if (flat) {
    s.first = {0.0, 0.0};
    return s;
  }
  s.first = {-kQ, -kQ};
  const Param entries[4] = {{kQ, -kQ}, {kQ, kQ}, {-kQ, kQ}, {0.0, 0.0}};
  std::copy_n(entries, 4, s.table);
  s.count = 4;
  s.cap = 15;
  return s;
}

Starts triangleStarts() {
  Starts s;
  s.first = {0.1666, 0.1666};
  s.table[0] = {2.0 / 3.0, 0.1666};
  s.table[1] = {0.1666, 2.0 / 3.0};
  s.count = 2;
  return s;
}

struct Outcome {
  enum Kind { kFailed, kFound, kDegenerate } kind;
  Param p;
  Real over;
  Evaluation e;
  Residual r;
};

// Newton steps with backtracking from one start point.
Outcome search(const Facet& f, const Real* pt, Param start, int cap, Int k, Int q) {
  Outcome out{Outcome::kFailed, start, 0.0, {}, {}};
  Param p = start;
  for (int it = 1;; ++it) {
    Evaluation e;
    if (!evaluate(f, 0, p.xi, p.eta, k, e)) {
      if (insideExtended(f, p)) out.kind = Outcome::kDegenerate;
      return out;
    }
    const Residual r = residual(e, pt, true);
    bool converged = r.gap <= 1e-10 * f.length || std::max(std::fabs(r.f[0]), std::fabs(r.f[1])) <= 1e-6 * r.gap;
    if (!converged) {
      const Real det = r.j[0][0] * r.j[1][1] - r.j[1][0] * r.j[0][1];
      if (!(std::fabs(det) > kTiny)) return out;
      const Real step[2] = {(r.f[0] * r.j[1][1] - r.f[1] * r.j[0][1]) / det,
                            (r.f[1] * r.j[0][0] - r.f[0] * r.j[1][0]) / det};
      converged = std::fabs(step[0]) <= 1e-10 && std::fabs(step[1]) <= 1e-10;
      if (!converged) {
        const Real f0 = 0.5 * (r.f[0] * r.f[0] + r.f[1] * r.f[1]);
        const Real slope = -((r.j[0][0] * step[0] + r.j[0][1] * step[1]) * r.f[0] +
                             (r.j[1][0] * step[0] + r.j[1][1] * step[1]) * r.f[1]);
        Real x[2] = {p.xi, p.eta};
        auto value = [&](const Real(&trial)[2], Real& fv) {
          Evaluation t;
          if (!evaluate(f, 1, trial[0], trial[1], k, t)) return false;
          const Residual rt = residual(t, pt, false);
          fv = 0.5 * (rt.f[0] * rt.f[0] + rt.f[1] * rt.f[1]);
          return true;
        };
        if (!zmx::geometry::backtrack(x, step, f0, slope, value)) return out;
        p = {x[0], x[1]};
        if (std::fabs(p.xi) >= 60.0 || std::fabs(p.eta) >= 60.0) return out;
        if (it <= kPlainSteps) {
          if (f.cylindrical && std::fabs(p.xi) > 1.0 + f.tol) {
            if (it == 1)
              p.xi = start.xi;
            else if (it == 2)
              p.xi = std::copysign(1.0, p.xi);
            else
              p.xi = std::copysign(std::min(std::fabs(p.xi), 6.0 * f.tol + 1.0), p.xi);
          }
        } else if (it > cap || !withinWideBounds(f, p)) {
          return out;
        }
        continue;
      }
    }
    if (!acceptFoot(f, p, k, q, e, r.gap, out.over)) return out;
    out.kind = Outcome::kFound;
    out.p = p;
    out.e = e;
    out.r = r;
    return out;
  }
}

void notFound(Real* xi, Real* eta, Logical* found, Real* distance, Real* t, Real* normal, Real* foot, Real* over) {
  *found = kFalse;
  *xi = *eta = 0.0;
  *distance = kNoDistance;
  *over = kNone;
  std::fill(t, t + 6, 0.0);
  std::fill(normal, normal + 3, 0.0);
  std::fill(foot, foot + 3, 0.0);
}

}  // namespace

extern "C" {

ZMX_EXPORT void FNDNORMALDISTTOSURF(const Real* x, const Int* ldx, const Real* nn, const Int* ldn, const Real* pt,
                                    Real* xi, Real* eta, const Int* n, const Real* tol, Logical* found,
                                    Real* distance, Real* t, const char* name, Int nameLength, Real* normal,
                                    Real* foot, Real* overshoot, Int* k, const Int* elementClass, const Real* c,
                                    Int* degenerate) {
  *found = kFalse;
  *xi = *eta = 0.0;
  *overshoot = kNone;
  *distance = kNoDistance;
  *degenerate = 0;
  referenceNormal[2] = 1.0;
  secondDirection[1] = 1.0;
  Int type = 0;
  GETSURFACEFACETTYPE(elementClass, &type);
  const Int nodes = *n;
  const bool cylinderType = type == 13 || type == 14;
  Facet f{x, nn, *ldx, *ldn, nodes, type == 9 ? kTrue : kFalse,
          cylinderType && (nodes != 9 || std::fabs(*c) > kFlat), c, *c, 0.0, *tol};
  // Triangles and 4-node quadrilaterals of a cylindrical class (the end faces of its solids) keep
  // their own starts and functions.
  const bool supported = nodes == 3 || nodes == 4 ||
                         (f.cylindrical ? (nodes == 6 || nodes == 9) : (nodes == 6 || nodes == 8 || nodes == 9));
  if (!supported) {
    reportNodeCount("SYSTEM ERROR IN fndNormalDistToSurf - A SURFACE FACET OF MASTER %S CANNOT HAVE %I NODES", name,
                    nameLength, nodes);
    notFound(xi, eta, found, distance, t, normal, foot, overshoot);
    return;
  }

  const Real d12[3] = {x[0] - x[*ldx], x[1] - x[*ldx + 1], x[2] - x[*ldx + 2]};
  f.length = std::sqrt(dot3(d12, d12));
  Starts s;
  int q = 0;
  bool flat = false;
  if (nodes == 3) {
    s = triangleStarts();
  } else if (nodes == 4) {
    s.first = {-kQ, -kQ};
    s.table[0] = {kQ, -kQ}, s.table[1] = {kQ, kQ}, s.table[2] = {-kQ, kQ};
    s.count = 3;
  } else if (f.cylindrical) {
    const Real cc = f.c;
    if (nodes == 6 && std::fabs(cc) <= kFlat) {
      s.first = {0.0, 0.0};
      s.table[0] = {0.0, -kQ}, s.table[1] = {0.0, kQ};
      s.count = 2;
    } else if (nodes == 6) {
      s.first = {0.0, cc / 2.0};
      s.table[0] = {0.0, cc / 6.0}, s.table[1] = {0.0, 5.0 * cc / 6.0};
      s.count = 2;
    } else {
      s.first = {-kQ, cc / 6.0};
      const Param e[6] = {{-kQ, cc / 2.0}, {-kQ, 5.0 * cc / 6.0}, {kQ, cc / 6.0},
                          {kQ, cc / 2.0},  {kQ, 5.0 * cc / 6.0},  {}};
      std::copy_n(e, 5, s.table);
      s.count = 5;
    }
  } else if (nodes == 6) {
    flat = flatNormals(f, 3);
    if (f.split6()) {
      s = splitStarts(flat);
      *k = 1;
    } else if (flat) {
      s = triangleStarts();
    } else {
      s.first = {1.0 / 3.0, 1.0 / 3.0};
      const Param e[6] = {{0.05971, 0.47014}, {0.47014, 0.47014}, {0.47014, 0.05971},
                          {0.10128, 0.79743}, {0.79743, 0.10128}, {0.10128, 0.10128}};
      std::copy_n(e, 6, s.table);
      s.count = 6;
      s.cap = 15;
    }
  } else {
    flat = flatNormals(f, nodes);
    q = 1;
    s = quarterStarts(q, flat);
  }

  Param start = s.first;
  int remaining = s.count;
  for (;;) {
    const Int evaluatorK = f.quadratic8or9() ? q : *k;
    const Outcome o = search(f, pt, start, s.cap, evaluatorK, q);
    if (o.kind == Outcome::kDegenerate) {
      *degenerate = 1;
      notFound(xi, eta, found, distance, t, normal, foot, overshoot);
      return;
    }
    if (o.kind == Outcome::kFound) {
      *found = kTrue;
      *xi = o.p.xi, *eta = o.p.eta;
      *overshoot = o.over;
      const Real* nv = o.e.normal;
      std::copy_n(nv, 3, normal);
      std::copy_n(o.e.point, 3, foot);
      *distance = dot3(o.r.d, nv);
      Real t1[3];
      if (std::fabs(nv[0]) >= kAxisCosine)
        t1[0] = -nv[2] * nv[0], t1[1] = -nv[2] * nv[1], t1[2] = 1.0 - nv[2] * nv[2];
      else
        t1[0] = 1.0 - nv[0] * nv[0], t1[1] = -nv[0] * nv[1], t1[2] = -nv[0] * nv[2];
      const Int three = 3;
      Int status = 0;
      ANORM(t1, &three, &status);
      std::copy_n(t1, 3, t);
      AXPRD(nv, t1, t + 3);
      return;
    }
    if (remaining > 0) {
      start = s.table[--remaining];
    } else if (f.split6() && *k < 3) {
      ++*k;
      s = splitStarts(flat);
      start = s.first, remaining = s.count;
    } else if (f.walksQuarters() && q < 4) {
      s = quarterStarts(++q, flat);
      if (f.cylindrical) s.cap = kPlainSteps;
      start = s.first, remaining = s.count;
    } else {
      notFound(xi, eta, found, distance, t, normal, foot, overshoot);
      return;
    }
  }
}

}  // extern "C"
