// The Bezier set-up record, evaluation of triangular patches, the quadratic interpolation
// between three points, and the search of a point over every patch of a surface.

#include <cmath>
#include <cstddef>

#include "geometry/bezier/bezier_layout.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/geometry/bezier.h"
#include "zmx/numerics/sorting.h"

constinit CBZIER_t CBZIER{};

namespace {

using namespace zmx::bezier;


void setWords(int first, std::initializer_list<Int> values) {
  int k = first;
  for (Int v : values) rec::i(CBZIER, k++) = v;
}

// The words both kinds set: the per-node stride, the record length and the words nothing reads.
void setCommonWords(bool plane) {
  rec::i(CBZIER, kNodeStride) = 4;
  rec::i(CBZIER, kPatchDataStride) = plane ? 3 : 4;
  rec::i(CBZIER, kRecordSlots) = plane ? 7 : 20;
  setWords(24, {1, 2, 3, 4, 5});
  rec::i(CBZIER, kEdgeStride) = 5;
  rec::i(CBZIER, 39) = plane ? 0 : 27;
  rec::i(CBZIER, 71) = plane ? 8 : 16;
}

void setPatchWords() {
  for (int k = 1; k <= 19; ++k) rec::i(CBZIER, offsetWord(k)) = k;
  rec::i(CBZIER, 30) = 0;
  for (int k = 31; k <= 38; ++k) rec::i(CBZIER, k) = 3 * (k - 30);
  // The offsets 0, 3, ..., 90 of the 31 samples of the subdivision.
  for (int k = 0; k <= 30; ++k) rec::i(CBZIER, kFirstSampleOffset + k) = 3 * k;
}

void setSegmentWords() {
  setWords(4, {1, 2});
  setWords(kSegmentQ0, {3, 4, 5, 6});
}

// Point of a triangular patch of control points B(15, 3) as the weighted sum of its rows.
template <std::size_t N>
void combineRows(const Real* b, const Real (&weights)[N], Real* x) {
  for (int c = 0; c < 3; ++c) {
    Real sum = 0.0;
    for (std::size_t m = 0; m < N; ++m) sum += weights[m] * b[15 * c + static_cast<int>(m)];
    x[c] = sum;
  }
}

Real nodeDistance(const Real* nodes, Int node, const Real* p) {
  const Real* x = nodePoint(nodes, node);
  const Real d[3] = {x[0] - p[0], x[1] - p[1], x[2] - p[2]};
  return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

// The corners of every patch (offsets 4 to 6) are among the nv nodes whose distances the search
// keeps, and its other control points (7 to 13) name nodes at all: the node table may hold more
// than nv nodes.
bool patchNodesKnown(const void* patches, Int np, Int nv) {
  for (Int k = 1; k <= np; ++k)
    for (int offset = 4; offset <= 13; ++offset) {
      const Int node = recordEntry(patches, k, offsetWord(offset));
      if (node < 1 || (offset <= 6 && node > nv)) return false;
    }
  return true;
}

// Outputs of the surface search before anything is found.
void resetSearchResult(Real* foot, Real* frame, Real* distance, Int* patch) {
  const Real zero = 0.0;
  const Int three = 3, twelve = 12;
  ASET(foot, &zero, &three);
  ASET(frame, &zero, &twelve);
  *distance = kNotFound;
  *patch = 0;
}

}  // namespace

extern "C" {

void BEZCMN(const Int* flag) {
  const bool plane = *flag != 0;
  setCommonWords(plane);
  if (plane)
    setSegmentWords();
  else
    setPatchWords();
}

void BEZIER(const Int* type, const Real* b, const Real* u, const Real* v, Real* x) {
  const Real a = *u, c = *v, w = 1.0 - a - c;
  switch (*type) {
    case 1: {
      const Real weights[3] = {a, c, w};
      combineRows(b, weights, x);
      break;
    }
    case 3: {
      const Real weights[10] = {a * a * a,         c * c * c,         w * w * w,         3.0 * a * a * c,
                                3.0 * a * a * w,   3.0 * a * c * c,   3.0 * c * c * w,   3.0 * a * w * w,
                                3.0 * c * w * w,   6.0 * a * c * w};
      combineRows(b, weights, x);
      break;
    }
    case 4: {
      const Real a2 = a * a, c2 = c * c, w2 = w * w;
      const Real weights[15] = {a2 * a2,           4.0 * a2 * a * c,  4.0 * a2 * a * w,  6.0 * a2 * c2,
                                12.0 * a2 * c * w, 6.0 * a2 * w2,     4.0 * a * c2 * c,  12.0 * a * c2 * w,
                                12.0 * a * c * w2, 4.0 * a * w2 * w,  c2 * c2,           4.0 * c2 * c * w,
                                6.0 * c2 * w2,     4.0 * c * w2 * w,  w2 * w2};
      combineRows(b, weights, x);
      break;
    }
    default:
      break;
  }
}

void BPARAB(const Real* a, const Real* bp, const Real* m, Real* x, const Real* s, const Int* flag) {
  const Real t = *s;
  const Real wa = 0.5 * t * (t - 1.0), wm = 1.0 - t * t, wb = 0.5 * t * (t + 1.0);
  for (int c = 0; c < 3; ++c) x[c] = wa * a[c] + wm * m[c] + wb * bp[c];
  if (*flag == 0) return;
  for (int c = 3; c < 6; ++c) x[c] = 0.5 * ((1.0 + t) * bp[c] + (1.0 - t) * a[c]);
}

void BEZIERSEARCH3D(const Real* nodes, const void* patches, const Real* reach, Real* nodeDist, Real* work,
                    const Int* np, const Int* nv, const Int* table, const Real* p, Real* foot, Real* frame,
                    Real* distance, Int* patch, const Real* length, Int* status) {
  const Int nPatches = *np;
  if (!patchNodesKnown(patches, nPatches, *nv)) {
    resetSearchResult(foot, frame, distance, patch);
    *status = 1;
    return;
  }
  Real dmin = kUnset;
  for (Int j = 1; j <= *nv; ++j) {
    nodeDist[j - 1] = nodeDistance(nodes, j, p);
    if (nodeDist[j - 1] < dmin) dmin = nodeDist[j - 1];
  }
  const Real d0 = dmin <= kTie ? kTie : dmin;
  const Real radius = std::fmin(3.0 * dmin, dmin + 0.25 * *length);

  // Bounds in work(1 .. np), the patch numbers as integers in the slots after them.
  void* numbers = work + (nPatches > 0 ? nPatches : 0);
  for (Int k = 1; k <= nPatches; ++k) {
    Real nearest = kUnset;
    for (int corner = 0; corner < 3; ++corner)
      nearest = std::fmin(nearest, nodeDist[recordEntry(patches, k, kCornerC1 + corner) - 1]);
    work[k - 1] = nearest - reach[k - 1];
    rec::setSlotI(numbers, k, k);
  }
  // The sort moves the low words of the slots (stride 2 integers) with their bounds.
  const Int stride = 2;
  ASORT4(work, static_cast<Int*>(numbers), &stride, np, status);

  resetSearchResult(foot, frame, distance, patch);
  Real coefficients[45], uvw[3], x[3], localFrame[12], d = 0.0;
  Int list[4], found = 0;
  for (Int i = 1; i <= nPatches; ++i) {
    if (work[i - 1] > d0 || work[i - 1] > radius) break;
    const Int k = rec::slotI(numbers, i);
    if (k == *patch) continue;
    LOSRCH(nodes, patches, table, coefficients, &k, p, &found, list, uvw, length);
    if (found != 1) continue;
    DSTNCE(p, coefficients, uvw, x, localFrame, &d);
    if (std::fabs(*distance) > std::fabs(d) + kTie) {
      const Int three = 3, twelve = 12;
      ACOPY(x, foot, &three);
      ACOPY(localFrame, frame, &twelve);
      *distance = d;
      *patch = k;
    }
  }

  if (*patch == 0) {
    *status = 1;
  } else if (*distance <= kTie || *distance <= d0 + kTie) {
    *status = 0;
  } else {
    resetSearchResult(foot, frame, distance, patch);
    *status = 1;
  }
}

}  // extern "C"
