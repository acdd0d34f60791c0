// Circle geometry of the eqc stand-in: the circle through three points and the circumferential
// integration rule of cylindrical elements.

#include "siblings/eqc/circular_arcs.h"

#include <cmath>
#include <numbers>

namespace {

using Vec = Real[3];

Real dot(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void cross(const Real* a, const Real* b, Real* c) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

// Points whose sides span a parallelogram smaller than this fraction of the product of the side
// lengths count as collinear: no circle through them can be formed to working accuracy.
constexpr Real kCollinearSine = 1e-12;

// Angle of v about the unit normal n, measured from u, in [0, 2 pi).
Real angleFrom(const Real* u, const Real* v, const Real* n) {
  Vec w;
  cross(u, v, w);
  Real angle = std::atan2(dot(w, n), dot(u, v));
  if (angle < 0.0) angle += 2.0 * std::numbers::pi;
  return angle;
}

}  // namespace

extern "C" {

void BCU_TRICIRCUMCENTER3D(const Real* p1, const Real* p2, const Real* p3, Real* centre, Real* angles,
                           Int* error) {
  for (int i = 0; i < 3; ++i) centre[i] = angles[i] = 0.0;
  *error = 1;
  const Vec a = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
  const Vec b = {p3[0] - p1[0], p3[1] - p1[1], p3[2] - p1[2]};
  Vec n;
  cross(a, b, n);
  const Real aa = dot(a, a), bb = dot(b, b), nn = dot(n, n);
  if (!(nn > kCollinearSine * kCollinearSine * aa * bb) || !std::isfinite(nn)) return;
  // The centre relative to p1: (|a|^2 b - |b|^2 a) x (a x b) / (2 |a x b|^2).
  const Vec m = {aa * b[0] - bb * a[0], aa * b[1] - bb * a[1], aa * b[2] - bb * a[2]};
  Vec c;
  cross(m, n, c);
  for (int i = 0; i < 3; ++i) c[i] /= 2.0 * nn;
  const Real length = std::sqrt(nn);
  const Vec unit = {n[0] / length, n[1] / length, n[2] / length};
  const Vec r1 = {-c[0], -c[1], -c[2]};
  const Vec r2 = {a[0] - c[0], a[1] - c[1], a[2] - c[2]};
  const Vec r3 = {b[0] - c[0], b[1] - c[1], b[2] - c[2]};
  for (int i = 0; i < 3; ++i) centre[i] = c[i];
  angles[1] = angleFrom(r1, r2, unit);
  angles[2] = angleFrom(r1, r3, unit);
  *error = 0;
}

void EQC_CCYLWEIGHTS(Real* weights, Real* angles, const Real* nodalAngles) {
  const Real mid = 0.5 * (nodalAngles[0] + nodalAngles[2]);
  const Real half = 0.5 * (nodalAngles[2] - nodalAngles[0]);
  const Real offset = std::sqrt(0.6) * std::fabs(half);
  angles[0] = mid - offset;
  angles[1] = mid;
  angles[2] = mid + offset;
  weights[0] = weights[2] = half * 5.0 / 9.0;
  weights[1] = half * 8.0 / 9.0;
}

}  // extern "C"
