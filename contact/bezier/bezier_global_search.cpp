// The global stage of the closest-point search over a surface of triangular Bezier patches: the
// point is measured against every node, edge and patch corner triangle (or those of a candidate
// list), the closest entity is chosen, its distance, foot and frame returned, every patch given a
// lower bound of its distance, and the candidate patches for the local search listed.

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/bezier/bezier_layout.h"
#include "siblings/eqc/eqc_arrays.h"
#include "zmx/contact/bezier_search.h"
#include "zmx/geometry.h"
#include "zmx/numerics/kernels.h"
#include "zmx/numerics/sorting.h"

namespace {

using namespace zmx::bezier;

constexpr Real kEdgeWindow = 0.01;  // foot parameters from -0.01 to 1.01 count as on the edge
constexpr int kMostCandidates = 10;

Real pointDistance(const Real* a, const Real* b) {
  const Real d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

// The surface as GLBSCH receives it, with 1-based accessors.
struct Surface {
  const Real* nodes;
  const void* patches;
  const Real* patchData;
  const Int* edges;
  const Int* nodePatches;
  const Int* patchEdges;
  Int ld;

  Int edgeEntry(Int edge, int k) const { return edges[static_cast<long long>(edge - 1) * word(kEdgeStride) + k - 1]; }
  bool boundaryEdge(Int edge) const { return edgeEntry(edge, 5) == 0; }
  Int corner(Int patch, int k) const { return recordEntry(patches, patch, kCornerC1 + k); }
  Int neighbour(Int patch, int side) const { return recordEntry(patches, patch, kNeighbourC1C2 + side); }
  Int patchEdge(Int patch, int k) const { return patchEdges[3 * static_cast<long long>(patch - 1) + k]; }
  const Real* normal(Int patch) const { return patchData + static_cast<long long>(patch - 1) * word(kPatchDataStride); }
  const Int* patchesAt(Int node) const { return nodePatches + static_cast<long long>(node - 1) * ld; }

  // Corner k (0-2) lies on sides k (C1-C2, C2-C3, C3-C1 for k = 0, 1, 2) and k - 1.
  bool boundaryCorner(Int patch, int k) const { return neighbour(patch, k) == 0 || neighbour(patch, (k + 2) % 3) == 0; }

  // A node is a boundary vertex when it is one for any of its patches, whatever their numbers.
  bool boundaryVertex(Int node) const {
    const Int* list = patchesAt(node);
    for (Int k = 0; k < ld; ++k) {
      if (list[k] <= 0) continue;
      for (int c = 0; c < 3; ++c)
        if (corner(list[k], c) == node && boundaryCorner(list[k], c)) return true;
    }
    return false;
  }
};

// Foot parameter and distance of P on the straight edge X1-X2, by the curve projection.
struct EdgeFoot {
  Real s, distance;
};

EdgeFoot edgeFoot(const Real* segment, const Real* p) {
  Real roots[3] = {0.0, 0.0, 0.0}, distances[3] = {0.0, 0.0, 0.0}, lengthTolerance = 0.0;
  const Real window = kEdgeWindow, angles[2] = {0.0, 0.0};
  const Logical straight = kTrue, planar = kFalse, filter = kFalse, cylindrical = kFalse;
  Logical found = kFalse;
  Int count = 0;
  FNDPERPDISTTOCURVE(segment, p, roots, &count, &straight, &window, &planar, &filter, &cylindrical, angles, &found);
  GETPERPDISTTOCURVE(segment, p, roots, &count, distances, &window, &lengthTolerance, &straight, &planar,
                     &cylindrical, angles);
  return {roots[0], distances[0]};
}

void edgeSegment(const Surface& s, Int edge, Real* segment) {
  const Real* x1 = nodePoint(s.nodes, s.edgeEntry(edge, 2));
  const Real* x2 = nodePoint(s.nodes, s.edgeEntry(edge, 3));
  std::copy(x1, x1 + 3, segment);
  std::copy(x2, x2 + 3, segment + 3);
}

// The best edge so far: a new one wins when nearer, or as near (to a relative 2.22e-16) while
// the best is a boundary edge.
struct BestEdge {
  Real distance = kUnset;
  Int edge = 0;
  bool boundary = false;

  void offer(Real d, Int e, bool onBoundary) {
    if (d >= kUnset) return;
    const bool tie = std::fabs(d - distance) <= kTie * std::fmax(d, distance);
    if (edge == 0 || d < distance || (tie && boundary)) {
      distance = d;
      edge = e;
      boundary = onBoundary;
    }
  }
};

// Frame of a contact: the unit normal in reals 7-9, the tangent axes from ALOCAL, no curvature.
void contactFrame(const Real* normal, Real* frame) {
  const Real zero = 0.0;
  const Int twelve = 12;
  ASET(frame, &zero, &twelve);
  std::copy(normal, normal + 3, frame + 6);
  ALOCAL(frame);
}

// Unit sum of the normals of the listed patches (0 entries skipped).
void averageNormal(const Surface& s, const Int* patches, Int count, Real* n) {
  n[0] = n[1] = n[2] = 0.0;
  const Int three = 3;
  for (Int k = 0; k < count; ++k)
    if (patches[k] > 0) AADD(n, s.normal(patches[k]), n, &three);
  Int status = 0;
  ANORM(n, &three, &status);
}

Real signedBy(const Real* n, const Real* r, Real distance) {
  return n[0] * r[0] + n[1] * r[1] + n[2] * r[2] < 0.0 ? -distance : distance;
}

// The list of the patches of an entity; the number of entries.
Int entityPatches(const Surface& s, Int kind, Int vertex, Int edge, Int patch, Int* list) {
  Int count = 0;
  if (kind == 3) {
    list[count++] = patch;
  } else if (kind == 2) {
    list[count++] = s.edgeEntry(edge, 4);
    if (s.edgeEntry(edge, 5) != 0) list[count++] = s.edgeEntry(edge, 5);
  } else if (vertex > 0) {
    const Int* at = s.patchesAt(vertex);
    for (Int k = 0; k < s.ld; ++k)
      if (at[k] > 0) list[count++] = at[k];
  }
  return count;
}

Int entityPatchCount(const Surface& s, Int kind, Int vertex, Int edge) {
  if (kind == 3) return 1;
  if (kind == 2) return s.edgeEntry(edge, 5) != 0 ? 2 : 1;
  Int count = 0;
  if (vertex > 0)
    for (Int k = 0; k < s.ld; ++k) count += s.patchesAt(vertex)[k] > 0;
  return count;
}

}  // namespace

extern "C" {

void GLBSCH(const Real* nodes, const void* patches, const Real* patchData, const Int* edges, const Int* nodePatches,
            const Int* patchEdges, const Int* ne, const Int* ld, const Real* p, Int* list, Int* listLength,
            const Int* np, const Int* nv, Real* bounds, Real* distance, Int* kind, const Real* radius, Real* work,
            Real* foot, Real* frame, const Real* margin, Int* resultPatch) {
  const Surface s{nodes, patches, patchData, edges, nodePatches, patchEdges, *ld};
  const Int nEdges = *ne, nNodes = *nv, nPatches = *np;
  const Real r = *radius;
  const bool restricted = *listLength > 0;
  *resultPatch = 0;
  Real* nodeDistance = work;
  Real* edgeDistance = work + nNodes;
  Real* edgeBound = work + nNodes + nEdges;

  for (Int i = 1; i <= nNodes; ++i) nodeDistance[i - 1] = pointDistance(p, nodePoint(nodes, i));

  // Edges to measure: all, or those of the listed patches.
  if (restricted) {
    std::fill(edgeDistance, edgeDistance + nEdges, kUnset);
    for (Int k = 0; k < *listLength; ++k)
      for (int e = 0; e < 3; ++e) edgeDistance[s.patchEdge(list[k], e) - 1] = 0.0;
  }
  Real lengthSum = 0.0;
  Real segment[6];
  for (Int e = 1; e <= nEdges; ++e) {
    if (restricted && edgeDistance[e - 1] >= kUnset) continue;
    edgeSegment(s, e, segment);
    const Real length = pointDistance(segment, segment + 3);
    lengthSum += length;
    const EdgeFoot f = edgeFoot(segment, p);
    const Real d = std::fabs(f.distance);
    edgeBound[e - 1] = kUnset;
    if (-r / length <= f.s && f.s <= 1.0 + r / length) {
      const Real outside = f.s < 0.0 ? length * f.s : (f.s > 1.0 ? length * (f.s - 1.0) : 0.0);
      const Real reach = std::sqrt(std::fmax(0.0, r * r - outside * outside));
      edgeBound[e - 1] = std::fmax(d - reach, 0.0);
    }
    edgeDistance[e - 1] = (-kEdgeWindow <= f.s && f.s <= 1.0 + kEdgeWindow) ? d : kUnset;
  }
  const Real edgeTolerance = nEdges > 0 ? kEdgeWindow * lengthSum / nEdges : 0.0;

  // Every patch (or listed patch): its corner, edges and corner plane.
  Real vertexDistance = kUnset, patchDistance = kUnset;
  Int vertex = 0, nearestPatch = 0;
  bool vertexOnBoundary = false;
  BestEdge running;
  const Int count = restricted ? *listLength : nPatches;
  for (Int k = 0; k < count; ++k) {
    const Int patch = restricted ? list[k] : k + 1;
    int c = 0;
    for (int j = 1; j < 3; ++j)
      if (nodeDistance[s.corner(patch, j) - 1] < nodeDistance[s.corner(patch, c) - 1]) c = j;
    const Int node = s.corner(patch, c);
    const Real cornerBound = std::fmax(nodeDistance[node - 1] - r, 0.0);
    if (nodeDistance[node - 1] < vertexDistance) {
      vertexDistance = nodeDistance[node - 1];
      vertex = node;
      vertexOnBoundary = s.boundaryVertex(node);
    }

    Real edgesBound = kUnset;
    BestEdge own;
    for (int j = 0; j < 3; ++j) {
      const Int e = s.patchEdge(patch, j);
      edgesBound = std::fmin(edgesBound, edgeBound[e - 1]);
      own.offer(edgeDistance[e - 1], e, s.boundaryEdge(e));
    }
    if (own.edge != 0) running.offer(own.distance, own.edge, own.boundary);

    Real d = 0.0, vector[3];
    Int status = 0;
    PATCHPERPDIST(nodes, patches, patchData, p, &patch, &d, &status, vector, radius);
    Real planeBound = kUnset;
    if (status == 1) {
      planeBound = std::fmax(std::fabs(d) - r, 0.0);
      if (planeBound < patchDistance) {
        patchDistance = planeBound;
        nearestPatch = patch;
      }
    } else if (status == 2) {
      planeBound = std::fabs(d);
    }
    bounds[patch - 1] = std::fmin(edgesBound, std::fmin(cornerBound, planeBound));
  }

  const Logical f1 = toLogical(vertexOnBoundary), f2 = toLogical(running.boundary);
  *kind = 0;
  FNDCLOSESTENTITY(&patchDistance, &running.distance, &vertexDistance, &edgeTolerance, &edgeTolerance, &f1, &f2, kind);
  // The choice weighs distances only: an entity that was never recorded (no node, edge or patch
  // nearer than 1e36, as with a point or nodes that are not numbers) wins a tie of unset
  // distances. Nothing was found then.
  if ((*kind == 1 && vertex == 0) || (*kind == 2 && running.edge == 0) || (*kind == 3 && nearestPatch == 0)) *kind = 0;

  const Real zero = 0.0;
  const Int three = 3, twelve = 12;
  Real n[3], rv[3];
  switch (*kind) {
    case 1: {
      const Real* x = nodePoint(nodes, vertex);
      for (int c = 0; c < 3; ++c) rv[c] = x[c] - p[c];
      averageNormal(s, s.patchesAt(vertex), s.ld, n);
      *distance = signedBy(n, rv, vertexDistance);
      std::copy(x, x + 3, foot);
      contactFrame(n, frame);
      break;
    }
    case 2: {
      edgeSegment(s, running.edge, segment);
      const Real t = edgeFoot(segment, p).s;
      for (int c = 0; c < 3; ++c) rv[c] = (1.0 - t) * segment[c] + t * segment[3 + c] - p[c];
      const Int sides[2] = {s.edgeEntry(running.edge, 4), s.edgeEntry(running.edge, 5)};
      averageNormal(s, sides, 2, n);
      *distance = signedBy(n, rv, running.distance);
      AADD(p, rv, foot, &three);
      contactFrame(n, frame);
      break;
    }
    case 3: {
      Int status = 0;
      PATCHPERPDIST(nodes, patches, patchData, p, &nearestPatch, distance, &status, rv, radius);
      AADD(p, rv, foot, &three);
      contactFrame(s.normal(nearestPatch), frame);
      *resultPatch = nearestPatch;
      break;
    }
    default:
      *distance = kNotFound;
      ASET(foot, &zero, &three);
      ASET(frame, &zero, &twelve);
      break;
  }

  if (restricted) return;
  // Candidates for the local search: every patch whose bound reaches the chosen entity's
  // distance, or, when that lies beyond the radius, the entity's own patches (at most ten).
  const Real reachOfEntity = *kind >= 1 ? std::fabs(*distance)
                                        : std::fmin(patchDistance, std::fmin(running.distance, vertexDistance));
  Int length = 0;
  if (r + *margin >= reachOfEntity) {
    for (Int patch = 1; patch <= nPatches; ++patch)
      if (bounds[patch - 1] <= reachOfEntity) list[length++] = patch;
  } else if (entityPatchCount(s, *kind, vertex, running.edge) <= kMostCandidates) {
    length = entityPatches(s, *kind, vertex, running.edge, nearestPatch, list);
  } else {
    // The ten patches of smallest bound, sorted on a copy so that every patch keeps its bound.
    std::vector<Real> heapCopy;
    Real* keys = work + nNodes;
    if (2 * static_cast<long long>(nEdges) < nPatches) {
      heapCopy.resize(static_cast<std::size_t>(nPatches));
      keys = heapCopy.data();
    }
    std::copy(bounds, bounds + nPatches, keys);
    for (Int patch = 1; patch <= nPatches; ++patch) list[patch - 1] = patch;
    const Int stride = 1;
    Int status = 0;
    ASORT4(keys, list, &stride, np, &status);
    length = kMostCandidates;
  }
  *listLength = length;
}

}  // extern "C"
