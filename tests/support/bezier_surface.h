// Test builder of Bezier rigid surfaces in the layouts the Bezier kernels read, and a test-side
// de Casteljau evaluator of triangular Bezier nets as their oracle.
//
// A surface is made from a triangle mesh and a lifting map: every mesh triangle becomes a cubic
// patch whose control points are the lifted points of the flat triangle at the cubic's grid
// positions, so neighbouring patches share their corner and edge control points. Corner nodes are
// numbered first (1 .. corners), then the edge points, then the centres.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "zmx/types.h"

namespace zmxtest {

using Vec3 = std::array<Real, 3>;

struct BezierSurface {
  std::vector<Real> nodes;       // 4 reals per node: 0, x, y, z
  std::vector<double> patches;   // 20 slots per patch (integers in the low 4 bytes)
  std::vector<Real> patchData;   // 4 reals per patch: unit normal of the corner triangle, its area
  std::vector<Real> reach;       // per patch: no point of it is farther than this from its nearest corner
  std::vector<Int> edges;        // 5 integers per edge: 0, end nodes, first and second patch
  std::vector<Int> nodePatches;  // ld integers per node: its patches, 0 after the last
  std::vector<Int> patchEdges;   // 3 per patch: edges C1-C2, C2-C3, C3-C1
  Int patchCount = 0, nodeCount = 0, cornerCount = 0, edgeCount = 0, ld = 0;

  Vec3 node(Int n) const { return {nodes[4 * (n - 1) + 1], nodes[4 * (n - 1) + 2], nodes[4 * (n - 1) + 3]}; }
  Int patchEntry(Int patch, int offset) const;
  void setPatchEntry(Int patch, int offset, Int value);
  // Appends a node and returns its number.
  Int addNode(const Vec3& x);
};

// Flat mesh: corner points and counter-clockwise triangles (0-based corner indices).
struct TriangleMesh {
  std::vector<Vec3> points;
  std::vector<std::array<int, 3>> triangles;
};

BezierSurface buildBezierSurface(const TriangleMesh& mesh, const std::function<Vec3(const Vec3&)>& lift);

// A height field z = f(x, y) over [0, lx] x [0, ly], nx by ny cells of two triangles each.
TriangleMesh gridMesh(int nx, int ny, Real lx, Real ly);
// An icosahedron with each face split into n x n triangles, on the unit sphere's scale (the
// flat points; lift them with a radial projection).
TriangleMesh icosphereMesh(int n);
// A double pyramid of `sides` triangles round each of its two poles.
TriangleMesh bipyramidMesh(int sides);

// Degree-n triangular Bezier net, control point (i, j, k = n - i - j) at index(i, j); (u, v) are
// the weights of i and j, w = 1 - u - v that of k.
struct TriangleNet {
  int degree = 0;
  std::vector<Vec3> points;
  static int index(int n, int i, int j);  // position of (i, j) in a net of degree n
  Vec3& at(int i, int j) { return points[static_cast<std::size_t>(index(degree, i, j))]; }
  const Vec3& at(int i, int j) const { return points[static_cast<std::size_t>(index(degree, i, j))]; }
  // de Casteljau point.
  Vec3 point(Real u, Real v) const;
  // Net of d/du (with w = 1 - u - v), one degree lower.
  TriangleNet du() const;
  TriangleNet dv() const;
};

// The three quartic sub-triangle nets of a patch, from the 31 samples of SUBDIV and the 45
// offsets of INITMN.
std::array<TriangleNet, 3> subTriangleNets(const std::vector<Real>& samples, const Int* table);

// Nearest point to p on a net by dense sampling and a Newton polish kept inside the triangle.
struct NetFoot {
  Real u = 0, v = 0, distance = 1e300;
  Vec3 x{};
};
NetFoot nearestOnNet(const TriangleNet& net, const Vec3& p, int samplesPerSide = 40);

Real distance(const Vec3& a, const Vec3& b);

}  // namespace zmxtest
