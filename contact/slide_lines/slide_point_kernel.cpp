// The contact frame of a slave node at the master point found on a rigid slide line: the point,
// the unit normal towards the slave node, the tangent and binormal, the clearance and, on curved
// segments, the curvature terms. The master point is a vertex node of the line or an
// interpolated point of a segment given by its nodes and shape-function values.
//
// For type codes up to 280 the normal points at the slave node and the clearance is the distance
// less the offset (normal turned over for a negative offset); above 280 the normal keeps the side
// given by the line's direction and the clearance is signed by the side the slave node is on.

#include <algorithm>
#include <cmath>

#include "contact/slide_lines/slide_slots.h"
#include "runtime/record.h"
#include "zmx/contact/slide_lines.h"

namespace {

using namespace zmx_slide;

constexpr Int kOneSidedAbove = 280;

struct Coordinates {
  const Real* x;
  long ld;
  Real at(int row, Int node) const { return x[(row - 1) + (static_cast<long>(node) - 1) * ld]; }
};

// Result slot k (1-based).
struct Result {
  Real* r;
  Real& operator[](int k) const { return r[k - 1]; }
};

// Frame at a vertex node of the line; returns the signed distance H.
Real vertexFrame(const void* points, const Result& res, const Coordinates& x, int n, Real l2, Real length,
                 Real& off, Int first, Int last, Int type, Real offset) {
  const Real rL = 1.0 / length;
  const Int vertex = rec::slotI(points, kSlotNode1), slave = rec::slotI(points, kSlotSlave);
  const Int from = rec::slotI(points, kSlotNode2), to = rec::slotI(points, kSlotNode3);
  Real d[3] = {};
  for (int i = 1; i <= n; ++i) {
    res[i] = x.at(i, vertex);
    res[3 + i] = (x.at(i, slave) - x.at(i, vertex)) * rL;
    d[i - 1] = x.at(i, to) - x.at(i, from);
    res[6 + i] = d[i - 1];
  }
  Real h = length;
  const bool endNode = vertex == first || vertex == last;
  if (type > kOneSidedAbove) {
    if (endNode) {
      h = kUnset;
    } else if (l2 == 0.0) {
      h = 0.0;
      const Real dLength = std::sqrt(std::max(d[0] * d[0] + d[1] * d[1], kTiny));
      res[4] = -d[1] / dLength;
      res[5] = d[0] / dLength;
    } else if (res[4] * d[1] - res[5] * d[0] > 0.0) {
      h = -h;
      res[4] = -res[4];
      res[5] = -res[5];
    }
    res[12] = -1.0;
    res[7] = res[5];
    res[8] = -res[4];
    return h;
  }
  if (endNode) {
    h = offset > 0.0 ? -kUnset : kUnset;
    off = 0.0;
  }
  if (n == 2) {
    const Real s = res[4] * d[1] - res[5] * d[0] < 0.0 ? -1.0 : 1.0;
    res[12] = s;
    res[7] = -s * res[5];
    res[8] = s * res[4];
    return h;
  }
  const Real a[3] = {res[4], res[5], res[6]};
  const Real c[3] = {a[1] * d[2] - a[2] * d[1], a[2] * d[0] - a[0] * d[2], a[0] * d[1] - a[1] * d[0]};
  const Real rc = 1.0 / std::sqrt(std::max(c[0] * c[0] + c[1] * c[1] + c[2] * c[2], kTiny));
  const Real b[3] = {c[0] * rc, c[1] * rc, c[2] * rc};
  res[10] = b[0];
  res[11] = b[1];
  res[12] = b[2];
  res[7] = b[1] * a[2] - b[2] * a[1];
  res[8] = b[2] * a[0] - b[0] * a[2];
  res[9] = b[0] * a[1] - b[1] * a[0];
  return h;
}

// Frame at an interpolated point of m nodes; returns the signed distance H.
Real interpolatedFrame(const void* points, const Result& res, const Coordinates& x, int n, int m, const Real* d2N,
                       Real length, Int type) {
  const Real rL = 1.0 / length;
  const Int slave = rec::slotI(points, kSlotSlave);
  Int nodes[kMaxPointNodes];
  for (int k = 0; k < m; ++k) nodes[k] = rec::slotI(points, kSlotNode1 + k);
  Real squared = 0.0;
  for (int i = 1; i <= n; ++i) {
    Real p = 0.0, dp = 0.0;
    for (int k = 0; k < m; ++k) {
      p += res[kSlotShape + k] * x.at(i, nodes[k]);
      dp += res[kSlotShapeDerivative + k] * x.at(i, nodes[k]);
    }
    res[i] += p;
    res[6 + i] += dp;
    // A type code of exactly 280 takes the two-sided rules, as everywhere else.
    if (type <= kOneSidedAbove) res[3 + i] = (x.at(i, slave) - res[i]) * rL;
    squared += res[6 + i] * res[6 + i];
  }
  const Real r2 = 1.0 / std::max(squared, kTiny);
  const Real r = std::sqrt(r2);
  res[7] *= r;
  res[8] *= r;
  Real h = length;
  if (type > kOneSidedAbove) {
    res[4] = -res[8];
    res[5] = res[7];
    h = (x.at(1, slave) - res[1]) * (-res[8]) + (x.at(2, slave) - res[2]) * res[7];
    res[12] = -1.0;
  } else if (n == 2) {
    res[12] = res[4] * res[8] - res[5] * res[7];
  } else {
    res[9] *= r;
    res[10] = res[5] * res[9] - res[6] * res[8];
    res[11] = res[6] * res[7] - res[4] * res[9];
    res[12] = res[4] * res[8] - res[5] * res[7];
  }
  for (int k = 0; k < m; ++k) res[kSlotShapeDerivative + k] *= r;
  if (m > 2) {
    for (int j = 1; j <= n; ++j) {
      Real v = 0.0;
      for (int k = 0; k < m; ++k) v += d2N[k] * x.at(j, nodes[k]);
      v *= r2;
      res[15] -= v * res[3 + j];
      if (n == 3) res[16] -= v * res[9 + j];
    }
  }
  return h;
}

}  // namespace

extern "C" ZMX_EXPORT void RSLIDE(const void* POINTS, Real* RESULT, const Real* X, const Int* LD, const Real* D2N,
                                  const Int* NDIR, const Real* L2, const Real* OFFSET, const Int* FIRST,
                                  const Int* LAST, const Int* TYPE) {
  const Result res{RESULT};
  const Coordinates x{X, *LD};
  const int n = std::clamp(*NDIR, 1, 3);
  const int m = std::clamp(rec::slotI(POINTS, kSlotCount), 0, kMaxPointNodes);
  const Real l2 = *L2, offset = *OFFSET;
  const Real length = std::sqrt(std::max(l2, kTiny));
  Real off = offset;
  Real h = m == 1 ? vertexFrame(POINTS, res, x, n, l2, length, off, *FIRST, *LAST, *TYPE, offset)
                  : interpolatedFrame(POINTS, res, x, n, m, D2N, length, *TYPE);
  if (*TYPE > kOneSidedAbove) {
    res[13] = -h - off;
    return;
  }
  if (offset < 0.0) {
    h = -h;
    for (int i = 4; i <= 6; ++i) res[i] = -res[i];
  }
  res[13] = h - off;
  res[14] = offset;
}
