// Cylindrical facets: the circular-arc interpolation through three nodes, the shape functions of
// the 6- and 9-node cylindrical facets, the angle record of a facet and of every facet of a
// surface (facets that share curved edges brought to one total angle), and the angles of a
// facet's edge.

#include <algorithm>
#include <cmath>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/support/geometry_report.h"
#include "runtime/record.h"
#include "siblings/eqc/bounded_reads.h"
#include "siblings/eqc/circular_arcs.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/facets.h"
#include "zmx/numerics/sorting.h"
#include "zmx/storage/sets.h"

namespace zmx::geometry {

namespace {

constexpr Real kZeroSpan = 1e-36;
// Below this half span an arc from 0 with its middle node exactly halfway is evaluated on the arc
// by a series in the half span; everywhere else (off-centre middle nodes, angles beyond the ends,
// where the truncated series drifts) the product form is used.
constexpr Real kSeriesSpan = 0.005;

void zeroArc(bool second, Real* n, Real* dn, Real* d2n) {
  for (int i = 0; i < 3; ++i) {
    n[i] = dn[i] = 0.0;
    if (second) d2n[i] = 0.0;
  }
}

// Expansion in the half span a for nodes at 0, a and 2a only.
void arcSeries(Real a, Real theta, bool second, Real* n, Real* dn, Real* d2n) {
  const Real s = theta / a - 1.0, q = s * s, c = a * a / 24.0, r = (1.0 - q) * c, u = s * r;
  n[0] = (s - 2.0) * u + s * (s - 1.0) / 2.0;
  n[1] = 1.0 - (2.0 * r + 1.0) * q;
  n[2] = (s + 2.0) * u + s * (s + 1.0) / 2.0;
  dn[0] = ((-4.0 * s * q + 6.0 * q + 2.0 * s - 2.0) * c + s - 0.5) / a;
  dn[1] = (-2.0 * s - 4.0 * c * (s - 2.0 * s * q)) / a;
  dn[2] = ((-4.0 * s * q - 6.0 * q + 2.0 * s + 2.0) * c + s + 0.5) / a;
  if (!second) return;
  const Real aa = a * a;
  if (aa < kZeroSpan) {
    d2n[0] = d2n[1] = d2n[2] = 0.0;
    return;
  }
  d2n[0] = ((6.0 * s - 6.0 * q + 1.0) * 2.0 * c + 1.0) / aa;
  d2n[1] = (-2.0 - 4.0 * c * (1.0 - 6.0 * q)) / aa;
  d2n[2] = ((-6.0 * s - 6.0 * q + 1.0) * 2.0 * c + 1.0) / aa;
}

// The interpolant through three nodes on an arc in product form: N_k is the product of
// sin((theta - t_j) / 2) over the two other nodes j, divided by the same product at theta = t_k.
// Each product of two such sines is a combination of 1, cos(theta) and sin(theta), so this is
// the circle-exact interpolant; every factor comes from an angle difference, so no digits cancel
// however short the arc or however far off-centre its middle node. With d sin(h)/dtheta =
// cos(h) / 2 the derivatives of sin(h_i) sin(h_j) are (cos h_i sin h_j + sin h_i cos h_j) / 2 and
// (cos h_i cos h_j - sin h_i sin h_j) / 2.
//
// Its terms: sine and cosine of (theta - t_k) / 2 and the sines of the half node gaps
// (t1 - t2, t2 - t3, t3 - t1) / 2.
struct ArcTerms {
  Real s[3], c[3], gap[3];
};

void setPoint(ArcTerms& a, int k, Real theta, Real node) {
  const Real h = 0.5 * (theta - node);
  a.s[k] = std::sin(h), a.c[k] = std::cos(h);
}
void setGap(ArcTerms& a, int k, const Real* t) { a.gap[k] = std::sin(0.5 * (t[k] - t[(k + 1) % 3])); }

// No arc passes through the nodes when a half gap's sine vanishes: two nodes on one angle, or
// nodes a full turn apart, where the sine is rounding of the order of the angle's own.
bool noArc(const Real* t, const ArcTerms& a) {
  for (int k = 0; k < 3; ++k)
    if (!(std::fabs(a.gap[k]) > 4.0 * 2.22e-16 * std::fabs(0.5 * (t[k] - t[(k + 1) % 3])))) return true;
  return false;
}

// Inlined: the facet functions call it once per line of nodes.
[[gnu::always_inline]] inline void arcFromTerms(const Real* t, const ArcTerms& a, bool second, Real* n, Real* dn,
                                                Real* d2n) {
  if (noArc(t, a)) {
    zeroArc(second, n, dn, d2n);
    return;
  }
  const Real *s = a.s, *c = a.c, *g = a.gap;
  // The product of the half-gap sines from node k to the two others.
  const Real at[3] = {-g[0] * g[2], -g[0] * g[1], -g[1] * g[2]};
  const Real inverses[3] = {1.0 / at[0], 1.0 / at[1], 1.0 / at[2]};
#pragma GCC unroll 3
  for (int k = 0; k < 3; ++k) {
    const int i = k == 0 ? 1 : 0, j = k == 2 ? 1 : 2;
    n[k] = s[i] * s[j] * inverses[k];
    dn[k] = 0.5 * (c[i] * s[j] + s[i] * c[j]) * inverses[k];
  }
  if (!second) return;
#pragma GCC unroll 3
  for (int k = 0; k < 3; ++k) {
    const int i = k == 0 ? 1 : 0, j = k == 2 ? 1 : 2;
    d2n[k] = 0.5 * (c[i] * c[j] - s[i] * s[j]) * inverses[k];
  }
}

void arcProductForm(const Real* t, Real theta, bool second, Real* n, Real* dn, Real* d2n) {
  ArcTerms a;
  for (int k = 0; k < 3; ++k) setPoint(a, k, theta, t[k]), setGap(a, k, t);
  arcFromTerms(t, a, second, n, dn, d2n);
}

// The arcs of one facet at the angle theta: every line of nodes runs from 0 to the total angle,
// only its midside angle differs, so the terms of the end angles are shared.
void facetArcs(int lines, const Real* middles, Real total, Real theta, bool second, Real (*h)[3], Real (*dh)[3],
               Real (*ddh)[3]) {
  if (!(std::fabs(0.5 * total) >= kSeriesSpan)) {
    for (int l = 0; l < lines; ++l) {
      const Real t[3] = {0.0, middles[l], total};
      arcFunctions(t, theta, second, h[l], dh[l], ddh[l]);
    }
    return;
  }
  ArcTerms a;
  setPoint(a, 0, theta, 0.0);
  setPoint(a, 2, theta, total);
  const Real ends[3] = {0.0, 0.0, total};  // the gap from the end back to 0 is every line's
  setGap(a, 2, ends);
  for (int l = 0; l < lines; ++l) {
    const Real t[3] = {0.0, middles[l], total};
    setPoint(a, 1, theta, t[1]);
    setGap(a, 0, t);
    setGap(a, 1, t);
    arcFromTerms(t, a, second, h[l], dh[l], ddh[l]);
  }
}

// Quadratic Lagrange functions through -1, 0, 1 with their first and second derivatives.
void lagrange(Real s, Real* f, Real* d, Real* dd) {
  f[0] = s * (s - 1.0) / 2.0;
  f[1] = 1.0 - s * s;
  f[2] = s * (s + 1.0) / 2.0;
  d[0] = s - 0.5;
  d[1] = -2.0 * s;
  d[2] = s + 0.5;
  dd[0] = 1.0;
  dd[1] = -2.0;
  dd[2] = 1.0;
}

// The line of nodes along eta (0: xi = -1, then towards xi = 1) and the station on it (0 at
// eta = 0, 1 the middle, 2 the end) of each node.
constexpr int kLine6[6] = {0, 1, 1, 0, 1, 0};
constexpr int kStation6[6] = {0, 0, 2, 2, 1, 1};
constexpr int kLine9[9] = {0, 2, 2, 0, 1, 2, 1, 0, 1};
constexpr int kStation9[9] = {0, 0, 2, 2, 0, 1, 2, 1, 1};

}  // namespace

void arcFunctions(const Real* angles, Real theta, bool second, Real* n, Real* dn, Real* d2n) {
  const Real a = 0.5 * (angles[2] - angles[0]);
  if (!(std::fabs(a) >= kZeroSpan))
    zeroArc(second, n, dn, d2n);
  else if (std::fabs(a) < kSeriesSpan && angles[0] == 0.0 && angles[1] == a &&
           std::fabs(theta - a) <= std::fabs(a))
    arcSeries(a, theta, second, n, dn, d2n);
  else
    arcProductForm(angles, theta, second, n, dn, d2n);
}

void cylinderFunctions(int nodes, Real xi, Real eta, const Real* cylinder, bool second, FacetFunctions& out) {
  const int lines = nodes == 6 ? 2 : 3;
  // Factors across the lines (functions of xi) and along them (functions of eta).
  Real g[3], dg[3], ddg[3];
  if (lines == 2) {
    g[0] = 0.5 * (1.0 - xi);
    g[1] = 0.5 * (1.0 + xi);
    dg[0] = -0.5;
    dg[1] = 0.5;
    ddg[0] = ddg[1] = 0.0;
  } else {
    lagrange(xi, g, dg, ddg);
  }
  Real h[3][3], dh[3][3], ddh[3][3];
  if (cylinder[0] > kFlatAngle)
    facetArcs(lines, cylinder + 1, cylinder[0], eta, second, h, dh, ddh);
  else
    for (int line = 0; line < lines; ++line) lagrange(eta, h[line], dh[line], ddh[line]);
  const int* lineOf = lines == 2 ? kLine6 : kLine9;
  const int* stationOf = lines == 2 ? kStation6 : kStation9;
  for (int j = 0; j < nodes; ++j) {
    const int l = lineOf[j], s = stationOf[j];
    out.f[j] = h[l][s] * g[l];
    out.fx[j] = h[l][s] * dg[l];
    out.fe[j] = dh[l][s] * g[l];
    if (!second) continue;
    out.fxx[j] = h[l][s] * ddg[l];
    out.fxe[j] = dh[l][s] * dg[l];
    out.fee[j] = ddh[l][s] * g[l];
  }
}

}  // namespace zmx::geometry

namespace {

using zmx::geometry::FacetFunctions;

void storeShape(const FacetFunctions& s, int n, Real* shape, Int mode) {
  Real* out = shape;
  if (mode != 1)
    for (int j = 0; j < n; ++j) *out++ = s.f[j];
  for (int j = 0; j < n; ++j) *out++ = s.fx[j];
  for (int j = 0; j < n; ++j) *out++ = s.fe[j];
}

constexpr Real kFlatAngle = zmx::geometry::kFlatAngle;

// Column c (1-based) of coordinates with leading dimension ld.
const Real* column(const Real* x, Int ld, int c) { return x + static_cast<long long>(c - 1) * ld; }

// ---- Surface constants ---------------------------------------------------------------------------

// Word k of the surface record (8-byte words, the integer in the low 4 bytes).
Int surfaceWord(const void* surface, long long k) { return rec::slotI(surface, k); }

constexpr int kDimensionWord = 3;
constexpr int kFirstFacetWord = 6;
// Words of a facet record after its position p.
constexpr int kFacetKindWord = 2;
constexpr int kClassWord = 3;
constexpr int kNodeCountWord = 5;
constexpr int kLabelsWord = 6;
constexpr int kMostFacetNodes = 9;

// The n x 5 edge table (leading dimension ld) and the facets x 2 group table, 1-based.
struct Table {
  Int* at;
  long long ld;
  Int& operator()(long long row, int col) const { return at[(col - 1) * ld + row - 1]; }
};

// Column 1 facet, 2 and 3 the smaller and larger corner label, 4 the row's own number, 5 the
// sort key.
enum EdgeColumn { kEdgeFacet = 1, kSmaller = 2, kLarger = 3, kRow = 4, kKey = 5 };
enum GroupColumn { kGroupFacet = 1, kGroupNumber = 2 };

void sortRows(Int* keys, Int* rows, Int n) {
  Int status = 0;
  ASORT2(keys, rows, &n, &status);
}

// Gives both facets one group, merging two groups into the smaller number.
void joinGroups(const Table& groups, Int facets, Int a, Int b, Int& lastGroup) {
  Int& ga = groups(a, kGroupNumber);
  Int& gb = groups(b, kGroupNumber);
  if (ga == 0 && gb == 0) {
    ga = gb = ++lastGroup;
  } else if (ga == 0) {
    ga = gb;
  } else if (gb == 0) {
    gb = ga;
  } else if (ga != gb) {
    const Int keep = std::min(ga, gb), drop = std::max(ga, gb);
    for (Int f = 1; f <= facets; ++f)
      if (groups(f, kGroupNumber) == drop) groups(f, kGroupNumber) = keep;
  }
}

// Runs of rows [first, last] with equal key: calls each(first, last) for every run.
template <class Each>
void forRuns(const Table& t, int col, Int first, Int last, Each each) {
  for (Int i = first; i <= last;) {
    Int j = i;
    while (j < last && t(j + 1, col) == t(i, col)) ++j;
    each(i, j);
    i = j + 1;
  }
}

// Joins the groups of the facets that share a curved edge; an edge of more than two facets is
// reported and joins nothing.
Int groupByEdges(const Table& edges, Int rows, const Table& groups, Int facets) {
  Int lastGroup = 0;
  sortRows(&edges(1, kKey), &edges(1, kRow), rows);
  forRuns(edges, kKey, 1, rows, [&](Int first, Int last) {
    for (Int r = first; r <= last; ++r) edges(r, kKey) = edges(edges(r, kRow), kLarger);
    sortRows(&edges(first, kKey), &edges(first, kRow), last - first + 1);
    forRuns(edges, kKey, first, last, [&](Int a, Int b) {
      const Int sharing = b - a + 1;
      if (sharing == 2) {
        joinGroups(groups, facets, edges(edges(a, kRow), kEdgeFacet), edges(edges(b, kRow), kEdgeFacet), lastGroup);
      } else if (sharing > 2) {
        zmx::geometry::reportCounted(zmx::geometry::kSystemError,
                                     "SYSTEM ERROR IN THE CALCULATION OF THE CONSTANTS FOR CYLINDRICAL FACETS - %I "
                                     "ELEMENTS SHARE THE SAME EDGE.",
                                     {sharing});
      }
    });
  });
  return lastGroup;
}

// Brings every run of two or more facets of one group to the run's largest total angle.
void commonAngles(const Table& groups, Int facets, Real* cylinders) {
  sortRows(&groups(1, kGroupNumber), &groups(1, kGroupFacet), facets);
  forRuns(groups, kGroupNumber, 1, facets, [&](Int first, Int last) {
    if (groups(first, kGroupNumber) < 1 || last == first) return;
    Real total = 0.0;
    for (Int r = first; r <= last; ++r) total = std::max(total, cylinders[4 * (groups(r, kGroupFacet) - 1)]);
    for (Int r = first; r <= last; ++r) {
      Real* record = cylinders + 4 * (groups(r, kGroupFacet) - 1);
      if (!(record[0] > kFlatAngle)) continue;
      const Real scale = total / record[0];
      for (int i = 1; i < 4; ++i) record[i] *= scale;
      record[0] = total;
    }
  });
}

}  // namespace

extern "C" {

void SHR_CCYLTHETA(Real* n, Real* dn, Real* d2n, const Real* angles, const Real* theta, const Logical* second) {
  zmx::geometry::arcFunctions(angles, *theta, isTrueLowBit(*second), n, dn, d2n);
}

void INTSCYL6(const Real* xi, const Real* eta, const Real* cylinder, Real* shape, const Int* mode) {
  FacetFunctions s;
  zmx::geometry::cylinderFunctions(6, *xi, *eta, cylinder, false, s);
  storeShape(s, 6, shape, *mode);
}

void INTSCYL9(const Real* xi, const Real* eta, const Real* cylinder, Real* shape, const Int* mode) {
  if (!(cylinder[0] > kFlatAngle)) {
    EQC_INTQ9(xi, eta, shape, mode);
    return;
  }
  FacetFunctions s;
  zmx::geometry::cylinderFunctions(9, *xi, *eta, cylinder, false, s);
  storeShape(s, 9, shape, *mode);
}

void SHR_MCYLNODALANGLES2(const Real* x, const Int* ld, const Int* n, Real* cylinder, Int* error) {
  // The arcs (first node, midside node, end node) and the record entry of each midside angle.
  static constexpr int kArcs6[2][3] = {{1, 6, 4}, {2, 5, 3}};
  static constexpr int kArcs9[3][3] = {{1, 8, 4}, {5, 9, 7}, {2, 6, 3}};
  const bool six = *n == 6;
  const int arcs = six ? 2 : 3;
  const auto& list = six ? kArcs6 : kArcs9;
  Real middle[3], total[3];
  for (int k = 0; k < arcs; ++k) {
    Real centre[3], angles[3];
    BCU_TRICIRCUMCENTER3D(column(x, *ld, list[k][0]), column(x, *ld, list[k][1]), column(x, *ld, list[k][2]), centre,
                          angles, error);
    if (*error != 0) {
      for (int i = 0; i <= arcs; ++i) cylinder[i] = 0.0;
      return;
    }
    middle[k] = angles[1];
    total[k] = angles[2];
  }
  const Real largest = *std::max_element(total, total + arcs);
  cylinder[0] = largest;
  for (int k = 0; k < arcs; ++k) cylinder[1 + k] = middle[k] * largest / total[k];
}

void SHR_MCYLSURFCONST(const void* surface, const Real* coords, Int* edges, Real* cylinders, const Int* nodeMap,
                       const Int* facets, Int* groups, const Int* facetOfRecord, Int* size) {
  *size = 0;
  const Int nf = *facets;
  if (surfaceWord(surface, kDimensionWord) != 3 || nf <= 0) return;
  const Table edgeTable{edges, 2LL * nf};
  const Table groupTable{groups, nf};
  Int rows = 0;
  // A facet position the record's steps lead to lies in the record: from word 1, and within its
  // block when the record lies in the address space. Any step that stays there is followed (a
  // length of 0 reads the same facet again; the facet count bounds the walk); one that leaves it
  // ends the walk, reported.
  const long long room = eqc::knownRoom(surface);
  const auto holds = [room](long long first, long long count) {
    return first >= 1 && (room < 0 || rec::spanInside(first, count, room));
  };
  const auto outside = [](Int f) {
    zmx::geometry::report(zmx::geometry::kSystemError, "SYSTEM ERROR IN SHR_MCYLSURFCONST - FACET %I OUTSIDE THE RECORD",
                          {f});
  };
  long long p = surfaceWord(surface, kFirstFacetWord), step = 0;
  for (Int f = 1; f <= nf; ++f, p += step) {
    if (holds(p, kLabelsWord)) step = surfaceWord(surface, p);
    if (!holds(p, kLabelsWord) ||
        !holds(p + kLabelsWord, std::clamp(surfaceWord(surface, p + kNodeCountWord), 0, kMostFacetNodes)))
      return outside(f);
    groupTable(f, kGroupFacet) = f;
    groupTable(f, kGroupNumber) = 0;
    Int type = 0;
    const Int elementClass = surfaceWord(surface, p + kClassWord);
    GETSURFACEFACETTYPE(&elementClass, &type);
    if (!(type == 14 || (type == 13 && surfaceWord(surface, p + kFacetKindWord) > 2))) continue;
    // The curved edges read corners 1 to 4 whatever the node count word says.
    if (!holds(p + kLabelsWord, 4)) return outside(f);
    const Int position = static_cast<Int>(p);
    SHR_MAPINT2INTINSERT(*facetOfRecord, &position, &f);
    if (*size == 0) {
      *size = 4 * nf;
      std::fill_n(cylinders, 4LL * nf, 0.0);
    }
    const void* labels = static_cast<const char*>(surface) + 8 * (p + kLabelsWord - 1);
    const Int nodes = std::clamp(surfaceWord(surface, p + kNodeCountWord), 0, kMostFacetNodes);
    Real x[3 * kMostFacetNodes] = {};
    GETNODECOORDSHASH(nodeMap, coords, labels, &nodes, x);
    const Int three = 3;
    Int error = 0;
    SHR_MCYLNODALANGLES2(x, &three, &nodes, cylinders + 4 * (f - 1), &error);
    // The curved edges 1-4 and 2-3 by their corner labels.
    for (const auto& [a, b] : {std::pair{1, 4}, std::pair{2, 3}}) {
      const Int la = rec::slotI(labels, a), lb = rec::slotI(labels, b);
      ++rows;
      edgeTable(rows, kEdgeFacet) = f;
      edgeTable(rows, kSmaller) = std::min(la, lb);
      edgeTable(rows, kLarger) = std::max(la, lb);
      edgeTable(rows, kRow) = rows;
      edgeTable(rows, kKey) = std::min(la, lb);
    }
  }
  if (*size == 0 || nf < 2) return;
  if (groupByEdges(edgeTable, rows, groupTable, nf) > 0) commonAngles(groupTable, nf, cylinders);
}

void SHR_GETCYLEDGEANGLES(const Int* corners, const Int* cornerLd, const Int* n, const Int* edgeLabels,
                          const Int* edgeLd, const Int* edgeNodes, const Real* cylinder, Real* pair, Logical* curved) {
  pair[0] = pair[1] = 0.0;
  *curved = kFalse;
  const Int count = *edgeNodes;
  const auto edgeLabel = [&](Int j) { return edgeLabels[static_cast<long long>(j - 1) * *edgeLd]; };
  if (count <= 2 || edgeLabel(1) <= 0 || edgeLabel(3) <= 0) return;
  int ends[2];
  int found = 0;
  for (Int j = 1; j <= count; j += 2) {
    const Int label = edgeLabel(j);
    if (label <= 0) continue;
    for (int k = 1; k <= 4; ++k) {
      if (corners[static_cast<long long>(k - 1) * *cornerLd] != label) continue;
      if (found == 2) return;
      ends[found++] = k;
      break;
    }
  }
  if (found != 2) return;
  const Real total = cylinder[0];
  const Real middle23 = *n == 6 ? cylinder[2] : cylinder[3];
  pair[0] = total;
  *curved = kTrue;
  if (ends[0] == 2 && ends[1] == 3)
    pair[1] = middle23;
  else if (ends[0] == 3 && ends[1] == 2)
    pair[1] = total - middle23;
  else if (ends[0] == 1 && ends[1] == 4)
    pair[1] = cylinder[1];
  else if (ends[0] == 4 && ends[1] == 1)
    pair[1] = total - cylinder[1];
  else
    *curved = kFalse;
}

}  // extern "C"
