#include "contact/search/search_core.h"

#include <algorithm>
#include <cmath>

#include "geometry/facets/facet_properties.h"
#include "siblings/eqc/eqc_messages.h"

namespace zmx::contact {

using zmx::geometry::dot3;

namespace {
constexpr Real kEps = 2.22e-16;
constexpr Real kTiny = 1e-36;
}  // namespace

bool replaces(const FaceRecord& r, Real distance, Real g, bool failed) {
  const Real a = std::fabs(distance), held = std::fabs(r.distance);
  if (held > a + kEps) return true;
  if (std::fabs(held - a) > kEps) return false;
  if (g + kEps < r.g) return true;
  if (std::fabs(r.g - g) > kEps) return false;
  return (distance > 0 && r.distance < 0) ||
         (!failed && r.failed && ((distance > 0 && r.distance >= 0) || (distance <= 0 && r.distance < 0)));
}

void facetMessage(Int element, const char* surfaceName, bool retry) {
  static constexpr char kFirst[] =
      "A FACET OF SURFACE %S WITH UNDERLYING ELEMENT %I HAS A ZERO NORMAL VECTOR OR COINCIDENT TANGENT VECTORS. "
      "CHECK CONNECTIVITY OF THE UNDERLYING ELEMENT.";
  static constexpr char kSecond[] =
      "A FACET OF SURFACE %S WITH UNDERLYING ELEMENT %I HAS A ZERO TANGENT VECTOR OR COINCIDENT TANGENT VECTORS. "
      "CHECK CONNECTIVITY OF THE UNDERLYING ELEMENT.";
  const Int level = -2, key = retry ? -2123 : -2124, file = 1;
  const Real zero = 0.0;
  const char* text = retry ? kSecond : kFirst;
  const Int length = static_cast<Int>(retry ? sizeof kSecond - 1 : sizeof kFirst - 1);
  KVXNERR(&level, text, length, &element, &zero, surfaceName, 8);
  MSGACCESS(&file, &element, &key);
}

bool footWithinBoundary(Int edges, const bool* freeEdge, Real xi, Real eta, Int sub, bool failed, Real cylinderAngle) {
  const auto boundary = [&](Int k) { return k >= 1 && k <= edges && freeEdge[k - 1]; };
  bool found = true;
  if (edges == 2) {
    if (!failed && sub > 0) {
      if (xi < -1.002) {
        if (sub == 1) found = found && boundary(1);
      } else if (xi > 1.002 && sub == 2) {
        found = found && boundary(2);
      }
    } else if (xi < -1.002) {
      found = boundary(1);
    } else if (xi > 1.002) {
      found = boundary(2);
    }
  } else if (edges == 3) {
    if (!failed && sub > 0) {
      static constexpr Int kAcross[4] = {2, 3, 1, 2};
      if (xi < -1.002) found = found && boundary(kAcross[sub <= 3 ? sub : 0]);
      if (eta < -1.002) found = found && boundary(sub);
    } else {
      if (xi < -0.001) found = found && boundary(3);
      if (eta < -0.001) found = found && boundary(1);
      if (1.0 - xi - eta < -0.001) found = found && boundary(2);
    }
  } else if (edges == 4) {
    if (xi < -1.002)
      found = found && boundary(4);
    else if (xi > 1.002)
      found = found && boundary(2);
    // A cylindrical facet's eta is an angle from 0 to W.
    const bool angular = std::fabs(cylinderAngle) > kEps;
    const Real low = angular ? -0.001 * cylinderAngle : -1.002, high = angular ? 1.001 * cylinderAngle : 1.002;
    if (eta < low)
      found = found && boundary(1);
    else if (eta > high)
      found = found && boundary(3);
  }
  return found;
}

Real segmentParameter(const Real* p, const Real* a, const Real* b) {
  Real num = 0.0, den = 0.0;
  for (int i = 0; i < 3; ++i) num += (p[i] - a[i]) * (b[i] - a[i]), den += (b[i] - a[i]) * (b[i] - a[i]);
  return den <= kTiny ? 0.0 : num / den;
}

void centreOf(const Real* x, Real* c) {
  for (int i = 0; i < 3; ++i) c[i] = (x[i] + x[3 + i] + x[6 + i]) / 12.0 + (x[9 + i] + x[12 + i] + x[15 + i]) / 4.0;
}

// The distance from p to the triangle a b c, by the region of its barycentric coordinates that
// holds the foot of p.
Real triangleDistance(const Real* p, const Real* a, const Real* b, const Real* c) {
  Real ab[3], ac[3], ap[3], bp[3], cp[3], q[3];
  for (int i = 0; i < 3; ++i) ab[i] = b[i] - a[i], ac[i] = c[i] - a[i], ap[i] = p[i] - a[i], bp[i] = p[i] - b[i],
                              cp[i] = p[i] - c[i];
  const auto at = [&](const Real* from, const Real* along, Real t) {
    for (int i = 0; i < 3; ++i) q[i] = from[i] + t * along[i];
  };
  const Real d1 = zmx::geometry::dot3(ab, ap), d2 = zmx::geometry::dot3(ac, ap), d3 = zmx::geometry::dot3(ab, bp), d4 = zmx::geometry::dot3(ac, bp), d5 = zmx::geometry::dot3(ab, cp),
             d6 = zmx::geometry::dot3(ac, cp);
  const Real va = d3 * d6 - d5 * d4, vb = d5 * d2 - d1 * d6, vc = d1 * d4 - d3 * d2;
  if (d1 <= 0 && d2 <= 0) {
    at(a, ab, 0.0);
  } else if (d3 >= 0 && d4 <= d3) {
    at(b, ab, 0.0);
  } else if (d6 >= 0 && d5 <= d6) {
    at(c, ab, 0.0);
  } else if (vc <= 0 && d1 >= 0 && d3 <= 0) {
    at(a, ab, d1 / (d1 - d3));
  } else if (vb <= 0 && d2 >= 0 && d6 <= 0) {
    at(a, ac, d2 / (d2 - d6));
  } else if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) {
    const Real bc[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
    at(b, bc, (d4 - d3) / ((d4 - d3) + (d5 - d6)));
  } else {
    const Real sum = va + vb + vc;
    for (int i = 0; i < 3; ++i) q[i] = a[i] + (vb * ab[i] + vc * ac[i]) / sum;
  }
  Real squared = 0.0;
  for (int i = 0; i < 3; ++i) squared += (p[i] - q[i]) * (p[i] - q[i]);
  return std::sqrt(squared);
}

Real boxDistance(const Real* p, const Real* x, Int nn, Int dim) {
  Real squared = 0.0;
  for (Int i = 0; i < dim; ++i) {
    Real lo = x[i], hi = x[i];
    for (Int k = 1; k < nn; ++k) lo = std::min(lo, x[3 * k + i]), hi = std::max(hi, x[3 * k + i]);
    const Real gap = std::max({lo - p[i], p[i] - hi, 0.0});
    squared += gap * gap;
  }
  return std::sqrt(squared);
}

Int keepWithin(Real* bound, Int* candidates, Int first, Int count, Real limit) {
  Int kept = first;
  for (Int i = first; i < count; ++i) {
    if (!(bound[i] <= limit)) continue;
    bound[kept] = bound[i], candidates[kept] = candidates[i];
    ++kept;
  }
  return kept - first;
}

bool sideWithin(const Real* p, const Real* a, const Real* b, Real reach) {
  const Real toA[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]}, toB[3] = {p[0] - b[0], p[1] - b[1], p[2] - b[2]};
  const Real side[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const Real num = dot3(toA, side), den = dot3(side, side), squaredReach = reach * reach;
  // With t = num / den the parameter of the foot on the side, the squared distance is that of
  // the nearer end beyond the side's ends and |p - a|^2 - num^2 / den between them.
  if (num <= 0.0) return dot3(toA, toA) <= squaredReach;
  if (num >= den) return dot3(toB, toB) <= squaredReach;
  return dot3(toA, toA) * den - num * num <= squaredReach * den;
}

}  // namespace zmx::contact
