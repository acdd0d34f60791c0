// Angular routines of cylindrical elements: nodal angles and axis of an element, the
// circumferential weighting of per-node arrays at integration points, and radial vectors.

#include <cmath>
#include <span>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/support/geometry_report.h"
#include "siblings/eqc/circular_arcs.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/geometry/cylinders.h"

namespace {

using zmx::geometry::kSystemError;
using zmx::geometry::report;

// ---- Angular stations ------------------------------------------------------------------------------

// The station (1 to 3) of each node, and the nodes of stations 1, 2 and 3 one after another.
struct StationTable {
  std::span<const int> stationOfNode;
  std::span<const int> nodesByStation;
};

constexpr int kShell6Of[] = {1, 1, 3, 3, 2, 2};
constexpr int kShell6By[] = {1, 2, 6, 5, 4, 3};
constexpr int kShell9Of[] = {1, 1, 3, 3, 1, 2, 3, 2, 2};
constexpr int kShell9By[] = {1, 2, 5, 8, 6, 9, 4, 3, 7};
constexpr int kSolid9Of[] = {1, 1, 1, 3, 3, 3, 2, 2, 2};
constexpr int kSolid9By[] = {1, 2, 3, 7, 8, 9, 4, 5, 6};
constexpr int kSolid12Of[] = {1, 1, 1, 1, 3, 3, 3, 3, 2, 2, 2, 2};
constexpr int kSolid12By[] = {1, 2, 3, 4, 9, 10, 11, 12, 5, 6, 7, 8};
constexpr int kSolid18Of[] = {1, 1, 1, 3, 3, 3, 2, 2, 2, 1, 1, 1, 3, 3, 3, 2, 2, 2};
constexpr int kSolid18By[] = {1, 2, 3, 10, 11, 12, 7, 8, 9, 16, 17, 18, 4, 5, 6, 13, 14, 15};
constexpr int kSolid24Of[] = {1, 1, 1, 1, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 3, 3, 3, 3, 2, 2, 2, 2};
constexpr int kSolid24By[] = {1, 2, 3, 4, 13, 14, 15, 16, 9, 10, 11, 12, 21, 22, 23, 24, 5, 6, 7, 8, 17, 18, 19, 20};

StationTable stationTable(bool solid, Int n) {
  if (!solid) return n == 6 ? StationTable{kShell6Of, kShell6By} : StationTable{kShell9Of, kShell9By};
  switch (n) {
    case 9: return {kSolid9Of, kSolid9By};
    case 12: return {kSolid12Of, kSolid12By};
    case 18: return {kSolid18Of, kSolid18By};
    default: return {kSolid24Of, kSolid24By};
  }
}

bool tableHolds(const StationTable& table, Int n) { return n >= 1 && n <= static_cast<Int>(table.stationOfNode.size()); }

void reportNodeCount(const char* text, Int n) { report(kSystemError, text, {n}); }

// ---- Vectors ---------------------------------------------------------------------------------------

Real dot(const Real* a, const Real* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The unit direction from the first axis point to the second; false, with zero, without an axis.
bool axisDirection(const Real* axis, Real* e) {
  Real length = 0.0;
  for (int i = 0; i < 3; ++i) {
    e[i] = axis[3 + i] - axis[i];
    length += e[i] * e[i];
  }
  length = std::sqrt(length);
  if (!(length >= 1e-36)) {
    e[0] = e[1] = e[2] = 0.0;
    return false;
  }
  for (int i = 0; i < 3; ++i) e[i] /= length;
  return true;
}

// ---- Integration points ------------------------------------------------------------------------------

// Words of the element-type record.
constexpr int kFirstKindPoints = 14;
constexpr int kSecondKindPoints = 15;
constexpr int kNodeCountWord = 36;
constexpr int kPointsPerStation = 49;
constexpr int kPointOffset = 56;

Int elementWord(const Int* element, int k) { return element[k - 1]; }

// Applies the circumferential weighting to `points` points starting at point index `first`, the
// point i at station i / perStation + 1; a point beyond the third station is left unchanged and
// reported once.
void weightPoints(Real* values, const Real* angles, Int n, bool solid, const Real* pointAngles, long long first,
                  Int points, Int perStation, const char* routine) {
  const Int block = (solid ? 4 : 3) * n;
  const Logical flag = toLogical(solid);
  bool reported = false;
  for (Int i = 0; i < points; ++i) {
    const Int station = i / perStation + 1;
    if (station > 3) {
      if (!reported) report(kSystemError, routine, {i + 1});
      reported = true;
      continue;
    }
    SHR_CCYLANORMIT(values + (first + i) * block, angles, &n, nullptr, &flag, &pointAngles[station - 1]);
  }
}

}  // namespace

extern "C" {

void SHR_COMPUTEVECTOR(const Real* axis, Real* radial, const Real* point) {
  Real e[3];
  const bool hasAxis = axisDirection(axis, e);
  const Real w[3] = {point[0] - axis[0], point[1] - axis[1], point[2] - axis[2]};
  const Real along = dot(w, e);
  for (int i = 0; i < 3; ++i) radial[i] = hasAxis ? w[i] - along * e[i] : 0.0;
}

void SHR_CCYLNODALANGLES(Real* angles, const Real* x, const Int* n, const Int* ld, const Logical* solid, Real* axis,
                         Int* error) {
  for (int i = 0; i < 6; ++i) axis[i] = 0.0;
  const StationTable table = stationTable(isTrueLowBit(*solid), *n);
  const Int perStation = *n / 3;
  const auto stationNodes = [&](int s) { return table.nodesByStation.subspan(s * table.nodesByStation.size() / 3, perStation); };
  bool fits = perStation >= 1 && static_cast<std::size_t>(perStation) <= table.nodesByStation.size() / 3;
  for (int s = 0; fits && s < 3; ++s)
    for (int node : stationNodes(s)) fits = fits && node <= *n;
  if (!fits) {
    reportNodeCount("SYSTEM ERROR IN SHR_CCYLNODALANGLES - NO ANGULAR STATIONS FOR AN ELEMENT OF %I NODES.", *n);
    angles[0] = angles[1] = angles[2] = 0.0;
    *error = 1;
    return;
  }
  // The centroids of the three stations.
  Real c[3][3] = {};
  for (int s = 0; s < 3; ++s) {
    for (int node : stationNodes(s))
      for (int i = 0; i < 3; ++i) c[s][i] += x[static_cast<long long>(node - 1) * *ld + i];
    for (int i = 0; i < 3; ++i) c[s][i] /= perStation;
  }
  Real centre[3];
  BCU_TRICIRCUMCENTER3D(c[0], c[1], c[2], centre, angles, error);
  if (*error != 0) {
    // Collinear centroids: angles for which the element behaves as a flat one.
    angles[1] = std::sqrt(2.22e-16);
    angles[2] = 2.0 * std::sqrt(2.22e-16);
    return;
  }
  constexpr Real kPi = 3.14159265358979;
  const Real o[3] = {c[0][0] + centre[0], c[0][1] + centre[1], c[0][2] + centre[2]};
  const Real r2[3] = {c[1][0] - o[0], c[1][1] - o[1], c[1][2] - o[2]};
  const Real gap = angles[2] - angles[1];
  Real from[3];
  if (angles[1] >= gap && gap < kPi) {
    for (int i = 0; i < 3; ++i) from[i] = c[2][i] - o[i];
  } else if (angles[1] < gap && angles[1] < kPi) {
    for (int i = 0; i < 3; ++i) from[i] = o[i] - c[0][i];
  } else {
    return;
  }
  Real d[3];
  AXPRD(from, r2, d);
  const Int three = 3;
  Int status = 0;
  ANORM(d, &three, &status);
  if (status != 0) return;
  for (int i = 0; i < 3; ++i) {
    axis[i] = o[i];
    axis[3 + i] = o[i] + d[i];
  }
}

void SHR_CCYLANORMIT(Real* values, const Real* angles, const Int* n, const void*, const Logical* solid,
                     const Real* theta) {
  const bool isSolid = isTrueLowBit(*solid);
  const StationTable table = stationTable(isSolid, *n);
  if (*n < 1) return;
  if (!tableHolds(table, *n)) {
    reportNodeCount("SYSTEM ERROR IN SHR_CCYLANORMIT - NO ANGULAR STATIONS FOR AN ELEMENT OF %I NODES.", *n);
    return;
  }
  Real f[3], df[3], unused[3];
  zmx::geometry::arcFunctions(angles, *theta, false, f, df, unused);
  const int blocks = isSolid ? 3 : 2;
  const long long nodes = *n;
  for (int b = 0; b <= blocks; ++b) {
    const Real* factor = b < blocks ? f : df;
    for (long long j = 0; j < nodes; ++j) values[b * nodes + j] *= factor[table.stationOfNode[j] - 1];
  }
}

void SHR_MCYLANORMIT1(Real* values, const Real* angles, const void*, const Int* element, const void*) {
  Real weights[3], pointAngles[3];
  EQC_CCYLWEIGHTS(weights, pointAngles, angles);
  const Int n = elementWord(element, kNodeCountWord);
  const Int perStation = elementWord(element, kPointsPerStation);
  if (perStation < 1) {
    report(kSystemError, "SYSTEM ERROR IN SHR_MCYLANORMIT1 - %I INTEGRATION POINTS PER ANGULAR STATION.", {perStation});
    return;
  }
  if (!tableHolds(stationTable(false, n), n)) {
    reportNodeCount("SYSTEM ERROR IN SHR_MCYLANORMIT1 - NO ANGULAR STATIONS FOR AN ELEMENT OF %I NODES.", n);
    return;
  }
  const char* beyond = "SYSTEM ERROR IN SHR_MCYLANORMIT1 - INTEGRATION POINT %I LIES BEYOND THE THIRD ANGULAR STATION.";
  const Int first = elementWord(element, kFirstKindPoints);
  weightPoints(values, angles, n, false, pointAngles, 0, first, perStation, beyond);
  weightPoints(values, angles, n, false, pointAngles, first, elementWord(element, kSecondKindPoints), perStation + 1,
               beyond);
}

void SHR_CYLANORMI1(Real* values, const Real* angles, Real* radial, const Real* axisData, Real* radii, Real* axial,
                    const Real* x, const Int* element, const Int* ld) {
  const Real* axis = axisData + 2;
  Real e[3];
  axisDirection(axis, e);
  for (int i = 0; i < 3; ++i) radial[i] = 0.0;
  SHR_COMPUTEVECTOR(axis, radial, x);
  Real weights[3], pointAngles[3];
  EQC_CCYLWEIGHTS(weights, pointAngles, angles);
  const Int n = elementWord(element, kNodeCountWord);
  const Int firstKind = elementWord(element, kFirstKindPoints);
  const Int secondKind = elementWord(element, kSecondKindPoints);
  const Int perStation = elementWord(element, kPointsPerStation);
  const Int offset = elementWord(element, kPointOffset);
  const char* beyond = "SYSTEM ERROR IN SHR_CYLANORMI1 - INTEGRATION POINT %I LIES BEYOND THE THIRD ANGULAR STATION.";
  if (!tableHolds(stationTable(true, n), n)) {
    reportNodeCount("SYSTEM ERROR IN SHR_CYLANORMI1 - NO ANGULAR STATIONS FOR AN ELEMENT OF %I NODES.", n);
  } else if (perStation < 1) {
    report(kSystemError, "SYSTEM ERROR IN SHR_CYLANORMI1 - %I INTEGRATION POINTS PER ANGULAR STATION.", {perStation});
  } else if (firstKind == secondKind && offset < 0) {
    report(kSystemError, "SYSTEM ERROR IN SHR_CYLANORMI1 - INTEGRATION POINT OFFSET %I.", {offset});
  } else {
    weightPoints(values, angles, n, true, pointAngles, firstKind == secondKind ? offset : 0, firstKind, perStation,
                 beyond);
  }
  if (firstKind != secondKind && tableHolds(stationTable(true, n), n)) {
    // Points of the second kind: as many per station as the element has nodes per station.
    const Int divisor = n == 9 ? 3 : n == 12 ? 4 : n == 18 ? 6 : n == 24 ? 9 : 0;
    if (divisor == 0)
      reportNodeCount("SYSTEM ERROR IN SHR_CYLANORMI1 - NO CIRCUMFERENTIAL RULE FOR AN ELEMENT OF %I NODES.", n);
    else
      weightPoints(values, angles, n, true, pointAngles, firstKind, secondKind, divisor, beyond);
  }
  if (n != 12) return;
  for (int j = 0; j < 12; ++j) {
    const Real* xj = x + static_cast<long long>(j) * *ld;
    Real r[3];
    SHR_COMPUTEVECTOR(axis, r, xj);
    const Real w[3] = {xj[0] - axis[0], xj[1] - axis[1], xj[2] - axis[2]};
    const int slot = (j % 4) * 3 + j / 4;
    radii[slot] = std::sqrt(dot(r, r));
    axial[slot] = dot(e, w);
  }
}

}  // extern "C"
