// Closest point of a slave node on rigid surfaces of Bezier patches (a global search whose
// candidate list the caller keeps between calls, refined patch by patch) and of planar cubic
// Bezier segments (a Newton foot on every segment against the open ends of the chain).

#include <cmath>
#include <cstring>

#include "runtime/format.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_messages.h"
#include "siblings/eqc/message_paging.h"
#include "siblings/eqc/records.h"
#include "zmx/contact/bezier_search.h"
#include "zmx/contact/rigid_surfaces.h"
#include "zmx/geometry/bezier.h"

namespace {

constexpr Real kUnset = 1e36;
constexpr Int kMostStored = 48;
constexpr int kFrameReals = 12;
constexpr Int kInformation = 1, kWarning = -1, kFileEntity = 1;
constexpr Int kCountKey = -3015, kTooManyKey = -3016, kFallbackKey = -3017;
constexpr char kCountText[] = "SEARCH - NUMBER OF CANDIDATES IS %I FOR NODE %I (%R,%R,%R) ON THE BEZIER SURFACE";
constexpr char kTooManyText[] = "SEARCH - NUMBER OF CANDIDATE IS %I FOR NODE %I (%R,%R,%R) ON THE BEZIER SURFACE";
constexpr char kFallbackText[] =
    "FINE SEARCH OVER THE BEZIER SURFACE FAILED TO YIELD THE SHORTEST PERPENDICULAR DISTANCE FOR SLAVE NODE %I "
    "(%R,%R,%R). THE DISTANCE IS COMPUTED BY ASSUMING FACETED SURFACE INSTEAD AND FOUND TO BE %R.";

// A message of SEARCH, then the node filed under its key.
void report(Int level, const char* text, const Int* integers, const Real* reals, const Int* node, Int key) {
  KVXNERR(&level, text, static_cast<Int>(std::strlen(text)), integers, reals, " ", 1);
  MSGACCESS(&kFileEntity, node, &key);
}

// The arguments of SEARCH that the global search takes.
struct Surface {
  const Real* nodes;
  const void* patches;
  const Real* patchData;
  const Int* edges;
  const Int* nodePatches;
  const Int* patchEdges;
  const Int* ne;
  const Int* ld;
  Real* bounds;
  Real* work;
  const Int* np;
  const Int* nv;
  const Real* p;
  const Real* fine;
  const Real* reuse;
};

struct Found {
  Real* foot;
  Real* frame;
  Real* distance;
  Int* patch;
};

// GLBSCH over the listed patches (listLength 0: all, and the list is written); returns F.
Int globalSearch(const Surface& s, Int* list, Int& listLength, const Found& out) {
  Int flag = 0;
  GLBSCH(s.nodes, s.patches, s.patchData, s.edges, s.nodePatches, s.patchEdges, s.ne, s.ld, s.p, list, &listLength,
         s.np, s.nv, s.bounds, out.distance, &flag, s.reuse, s.work, out.foot, out.frame, s.fine, out.patch);
  return flag;
}

}  // namespace

extern "C" {

void SEARCH(const Real* nodes, const void* patches, const Real* patchData, const Int* edges, const Int* nodePatches,
            const Int* patchEdges, const Int* ne, const Int* ld, Real* bounds, Int* list, Real* work, const Int* np,
            const Int* nv, const Int* table, const Real* p, Real* foot, Real* frame, Real* distance, Int* state,
            const Real* fine, const Real* reuse, Real* storedPoint, Int* storedList, const Int* reportFlag,
            const Int* node, Int* patch) {
  const Surface s{nodes, patches, patchData, edges, nodePatches, patchEdges, ne, ld, bounds, work, np, nv, p,
                  fine, reuse};
  const Found out{foot, frame, distance, patch};
  if (*state != 0) {
    const Real d[3] = {p[0] - storedPoint[0], p[1] - storedPoint[1], p[2] - storedPoint[2]};
    if (std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) > *reuse) *state = 0;
  }
  const bool reused = *state != 0;
  Int count = 0, flag = 0;
  if (!reused) {
    flag = globalSearch(s, list, count, out);
    if (count <= kMostStored) {
      for (int c = 0; c < 3; ++c) storedPoint[c] = p[c];
      for (Int j = 0; j < count; ++j) storedList[j] = list[j];
      *state = std::fabs(*distance) <= *reuse + *fine ? -count : count;
    }
    if (*reportFlag == 1) {
      const Int integers[2] = {count, *node};
      const bool stored = count <= kMostStored;
      report(stored ? kInformation : kWarning, stored ? kCountText : kTooManyText, integers, foot, node,
             stored ? kCountKey : kTooManyKey);
    }
    if (flag == 0 || std::fabs(*distance) >= *fine) return;
  } else {
    count = *state < 0 ? -*state : *state;
    for (Int j = 0; j < count; ++j) list[j] = storedList[j];
  }
  if (*state > 0) {
    globalSearch(s, list, count, out);
    return;
  }

  Real best = -kUnset, bestFoot[3] = {}, bestFrame[kFrameReals] = {};
  for (Int j = 0; j < count; ++j) {
    Int candidate = list[j], found = 0;
    Int beyond[64];
    Real coefficients[45], uvw[3];
    LOSRCH(nodes, patches, table, coefficients, &candidate, p, &found, beyond, uvw, fine);
    if (found != 1) continue;
    Real d = 0.0, x[3], f[kFrameReals] = {};
    DSTNCE(p, coefficients, uvw, x, f, &d);
    if (std::fabs(d) < std::fabs(best)) {
      best = d;
      std::memcpy(bestFoot, x, sizeof bestFoot);
      std::memcpy(bestFrame, f, sizeof bestFrame);
      *patch = candidate;
    }
  }
  if (std::fabs(best) < kUnset) {
    *distance = best;
    std::memcpy(foot, bestFoot, sizeof bestFoot);
    std::memcpy(frame, bestFrame, sizeof bestFrame);
    return;
  }
  if (reused) flag = globalSearch(s, list, count, out);
  if (flag != 0 && std::fabs(*distance) < *fine) {
    const Real reals[4] = {p[0], p[1], p[2], std::fabs(*distance)};
    report(kWarning, kFallbackText, node, reals, node, kFallbackKey);
  }
}

void SEARCH_BEZIER(const Real* nodes, const void* patches, const Real* reach, Real* nodeDistance, Real* work,
                   const Int* np, const Int* nv, const Int* table, const Real* p, Real* foot, Real* frame,
                   Real* distance, const Real* length, Int* patch, Int* count) {
  *distance = -kUnset;
  for (int c = 0; c < 3; ++c) foot[c] = 0.0;
  for (int c = 0; c < kFrameReals; ++c) frame[c] = 0.0;
  bool found = false;
  if (*patch > 0) {
    Int success = 0, beyond[64];
    Real coefficients[45], uvw[3];
    LOSRCH(nodes, patches, table, coefficients, patch, p, &success, beyond, uvw, length);
    if (success == 1) {
      found = true;
      *distance = 0.0;
      DSTNCE(p, coefficients, uvw, foot, frame, distance);
    }
  } else {
    *count = 0;
  }
  *count += 1;
  if (found) return;
  Int status = 0;
  BEZIERSEARCH3D(nodes, patches, reach, nodeDistance, work, np, nv, table, p, foot, frame, distance, patch, length,
                 &status);
  if (status != 0) *count = *patch = 0;
}

void SRCH2D(const Real* nodes, const void* segments, const Int* n, const Real* p, Real* foot, Real* frame,
            Real* distance, const Int* debug, const Real* length) {
  const Real newtonTolerance = 2.22e-16 * *length, stepTolerance = 1e-8;
  constexpr Int plain = 0, full = 1;
  Real best = kUnset, bestT = 0.0, k[8];
  Int bestSegment = 0;
  for (Int i = 1; i <= *n; ++i) {
    Int positions[4], status = 1;
    Real t = 0.0;
    COEF2D(nodes, segments, &i, k, positions);
    UNEWT2(&stepTolerance, &newtonTolerance, nodes, positions, p, k, &t, &status);
    if (status != 0 || !(t > -1e-7 && t < 1.0000001)) continue;
    Real d = 0.0, x[2], f[kFrameReals];
    DSTN2D(segments, nodes, p, k, &t, &d, x, f, &plain, &i, n);
    if (std::fabs(d) < std::fabs(best)) {
      best = d;
      bestT = t;
      bestSegment = i;
    }
  }
  *distance = -kUnset;
  if (bestSegment > 0) {
    Real end = 0.0;
    ENDPTD(segments, nodes, p, n, &end);
    if (std::fabs(best) <= end) DSTN2D(segments, nodes, p, k, &bestT, distance, foot, frame, &full, &bestSegment, n);
    return;
  }
  if (*debug == 1) {
    const Int unit = rec::i(CLINES, eqc_records::kMessageUnit);
    fio::write(unit, "(10X,'SEARCH FAILED FOR POINT (',2(1X,1P,G12.5),' )')", {p[0], p[1]});
    constexpr Int one = 1;
    PAGMES(&one);
  }
}

}  // extern "C"
