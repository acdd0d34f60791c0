// Points on a circular arc through two end points about a centre. The set-up call keeps the arc
// in CIRGEN; evaluation calls give the point (and on request a unit direction) at a parameter
// from -1 (first end point) to 1 (second end point).

#include <algorithm>
#include <cmath>

#include "model/support/model_report.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/model/records.h"

CIRGEN_t CIRGEN{};

namespace {

// CIRGEN: reals in words 2k-1, 2k; vectors of three reals.
constexpr int kE1 = 1, kE2 = 7, kCentre = 13, kRadius = 19, kAngle = 21, kG1 = 23, kG2 = 29, kG3 = 35, kG4 = 41,
              kNormal = 47;

constexpr Real kTiny = 2.22e-16;
constexpr Real kFullCircle = 6.28318530717958;
constexpr Real kHalfPi = 1.570796326794895;

struct Vec {
  Real x[3];
  Real operator[](int i) const { return x[i]; }
};

Vec load(int word) { return {{rec::r(CIRGEN, word), rec::r(CIRGEN, word + 2), rec::r(CIRGEN, word + 4)}}; }
void store(int word, const Vec& v) {
  for (int i = 0; i < 3; ++i) rec::setR(CIRGEN, word + 2 * i, v[i]);
}
Vec of(const Real* p) { return {{p[0], p[1], p[2]}}; }
Vec minus(const Vec& a, const Vec& b) { return {{a[0] - b[0], a[1] - b[1], a[2] - b[2]}}; }
Vec scaled(const Vec& a, Real s) { return {{a[0] * s, a[1] * s, a[2] * s}}; }
Real dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Real norm(const Vec& a) { return std::sqrt(dot(a, a)); }
Vec cross(const Vec& a, const Vec& b) {
  return {{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}

void fail(Int level, const char* text) { zmx::model::report(level, text); }

// Unit directions at the ends and the four vectors the evaluation blends.
void setUpDirections(Real* p1, Real* p2, const Vec& e1, const Vec& e2, const Vec& n, const Vec& u2, Real theta) {
  const Int three = 3;
  Int status = 0;
  ANORM(p1 + 3, &three, &status);
  ANORM(p2 + 3, &three, &status);
  const Vec a = of(p1 + 3), b = of(p2 + 3);
  const Real ae1 = dot(a, e1);
  store(kG1, scaled(e1, ae1));
  store(kG2, scaled(e2, ae1 + (dot(b, u2) - ae1) * kHalfPi / theta));
  store(kG3, scaled(n, dot(a, n)));
  store(kG4, scaled(n, dot(b, n)));
}

void setUp(Real* p1, Real* p2, const Real* pc, const Int* ireq, Int* ierr) {
  *ierr = 0;
  const Vec centre = of(pc);
  const Vec r1 = minus(of(p1), centre), r2 = minus(of(p2), centre);
  const Real l1 = norm(r1), l2 = norm(r2);
  if (l1 < kTiny || l2 < kTiny) {
    fail(zmx::model::kError, "ONE OF THE END POINTS OF THE ARC HAS THE SAME COORDINATES AS THE CENTER OF THE CIRCLE");
    *ierr = 1;
    return;
  }
  const Real radius = (l1 + l2) / 2.0;
  if (radius > kTiny && std::fabs(l1 - l2) / radius > 0.1) {
    fail(zmx::model::kWarning, "THE END POINTS OF THE ARC MUST BE MOVED MORE THAN 5 PERCENT TO LIE ON A CIRCLE");
    *ierr = 2;
  }
  const Vec e1 = scaled(r1, 1.0 / l1), u2 = scaled(r2, 1.0 / l2);
  Real theta = std::acos(std::clamp(dot(e1, u2), -1.0, 1.0));
  const Vec given = of(pc + 3), spanned = cross(e1, r2);
  Vec normal = given;
  if (given[0] == 0.0 && given[1] == 0.0 && given[2] == 0.0) {
    if (theta < 0.01 || theta > 3.13159265358979) {
      fail(zmx::model::kError, "THE THREE NODES DEFINING A CIRCLE LIE ON A LINE. A NORMAL DIRECTION MUST BE GIVEN");
      *ierr = 1;
      return;
    }
    normal = spanned;
  } else if (theta < 1e-6) {
    theta = kFullCircle;
  } else if (dot(given, spanned) < 0.0) {
    theta = kFullCircle - theta;
  }
  const Vec n = scaled(normal, 1.0 / norm(normal));
  const Vec e2 = cross(n, e1);
  store(kE1, e1);
  store(kE2, e2);
  store(kCentre, centre);
  store(kNormal, n);
  rec::setR(CIRGEN, kRadius, radius);
  rec::setR(CIRGEN, kAngle, theta);
  if (*ireq != 0) setUpDirections(p1, p2, e1, e2, n, u2, theta);
}

Real zeroed(Real v) { return std::fabs(v) < kTiny ? 0.0 : v; }

void evaluate(Real* xout, Real xi, const Int* ireq) {
  const Real t = (xi + 1.0) * 0.5 * rec::r(CIRGEN, kAngle), radius = rec::r(CIRGEN, kRadius);
  const Real c = std::cos(t), s = std::sin(t);
  const Vec centre = load(kCentre), e1 = load(kE1), e2 = load(kE2);
  for (int i = 0; i < 3; ++i) xout[i] = zeroed(centre[i] + radius * (c * e1[i] + s * e2[i]));
  if (*ireq == 0) return;
  const Vec g1 = load(kG1), g2 = load(kG2), g3 = load(kG3), g4 = load(kG4);
  for (int i = 0; i < 3; ++i)
    xout[3 + i] = zeroed(c * g1[i] + s * g2[i] + 0.5 * ((1.0 - xi) * g3[i] + (1.0 + xi) * g4[i]));
  const Int three = 3;
  Int status = 0;
  ANORM(xout + 3, &three, &status);
}

}  // namespace

extern "C" {

void BCIR(Real* p1, Real* p2, const Real* pc, Real* xout, const Real* xi, const Int* ireq, const Int* imode,
          Int* ierr) {
  if (*imode != 0) {
    setUp(p1, p2, pc, ireq, ierr);
    return;
  }
  evaluate(xout, *xi, ireq);
}

}  // extern "C"
