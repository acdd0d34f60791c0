// A surface normal that varies smoothly over a faceted surface: inside a facet it is interpolated
// over the facet's regions between the normals the caller keeps at the facet's nodes and at its
// normal points, so that it is continuous across facets and gives the stored normal at each node.
// Also the lookup of stored node normals by node number.

#include <cmath>

#include "geometry/facets/facet_record.h"
#include "geometry/normals/facet_regions.h"
#include "geometry/support/geometry_report.h"
#include "runtime/record.h"
#include "zmx/geometry/normals.h"
#include "zmx/numerics/sorting.h"

namespace zmx::geometry {

namespace {

using regions::Shape;

constexpr Real kLeast = 1e-36;

Shape shapeOf(Int corners) {
  if (corners == 2) return Shape::kLine;
  return corners == 3 ? Shape::kTriangle : Shape::kQuadrilateral;
}

int candidateCount(Shape shape) {
  switch (shape) {
    case Shape::kLine: return 4;
    case Shape::kTriangle: return 8;
    default: return 10;
  }
}

// The first corner region of the shape: always defined, whatever the width.
int firstCorner(Shape shape) {
  switch (shape) {
    case Shape::kLine: return 2;
    case Shape::kTriangle: return 5;
    default: return 6;
  }
}

// The normal used at one point: the stored one, or stored plus factor times its increment.
struct NormalField {
  const Real* normals;
  const Real* increments;
  long long ld;
  Real factor;
  bool incremented;

  Real at(Int point, int row) const {
    const long long k = (static_cast<long long>(point) - 1) * ld + row;
    return incremented ? normals[k] + factor * increments[k] : normals[k];
  }
};

}  // namespace

}  // namespace zmx::geometry

using namespace zmx::geometry;

extern "C" {

void NORMAL_ON_FACETED_SURF(const Real* point, const Int* corner, const Int* record, const Real* normals,
                            const Int* ld, Real* width, const Int* candidates, Real* normal, Real* dxi, Real* deta,
                            Int* region, const Real* increments, const Real* factor, const Int* incrementFlag) {
  const Real d = regions::clampWidth(*width);
  *width = d;
  const FacetRecord facet{record};
  const Shape shape = shapeOf(facet.family());
  Real x1 = point[0], x2 = 0.0;
  if (shape != Shape::kLine) {
    x2 = point[1];
    regions::subFacetToTriangle(*corner, x1, x2);
  }

  regions::LocalPoint p;
  int tried = 0;
  bool found = false;
  for (int i = 0; i < candidateCount(shape) && !found; ++i) {
    const int r = candidates[i];
    if (!regions::usable(shape, r, d)) continue;
    *region = tried = r;
    found = regions::locate(shape, r, d, x1, x2, p);
  }
  if (!found) {
    report(kSystemError, "SYSTEM ERROR IN normal_on_faceted_surf - FAILURE TO FIND THE REGION ON THE FACET");
    if (tried == 0) *region = tried = firstCorner(shape);
    p = regions::LocalPoint{};
    regions::localDerivatives(shape, tried, d, p);
  }

  int points[4];
  Real w[4], w1[4], w2[4];
  const int count = regions::regionPoints(shape, tried, facet.nodes(), points);
  regions::regionWeights(shape, tried, p, w, w1, w2);

  const int dim = shape == Shape::kLine ? 2 : 3;
  const NormalField field{normals, increments, *ld, *factor, *incrementFlag == 1};
  Real m[3] = {0, 0, 0}, m1[3] = {0, 0, 0}, m2[3] = {0, 0, 0};
  for (int i = 0; i < count; ++i) {
    const Int at = facet.point(points[i]);
    for (int c = 0; c < dim; ++c) {
      const Real n = field.at(at, c);
      m[c] += w[i] * n, m1[c] += w1[i] * n, m2[c] += w2[i] * n;
    }
  }
  Real length = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
  if (length < kLeast) {
    report(kSystemError,
           "THE NORMAL VECTOR ON THE SURFACE IS ZERO. THE FACET IS DISTORTED. EXAMINE THE SURFACE TOPOLOGY.");
    length = 1.0;
  }
  Real u[3], along1 = 0.0, along2 = 0.0;
  for (int c = 0; c < dim; ++c) u[c] = m[c] / length;
  for (int c = 0; c < dim; ++c) along1 += u[c] * m1[c], along2 += u[c] * m2[c];
  for (int c = 0; c < dim; ++c) {
    normal[c] = u[c];
    dxi[c] = (m1[c] - u[c] * along1) / length;
    if (dim == 3) deta[c] = (m2[c] - u[c] * along2) / length;
  }
}

void GETNODENORMALS(const Int* list, const Real* masterNormals, const Int* length, const void* requested,
                    const Int* count, Real* normals) {
  Int position = 0;
  for (Int i = 0; i < *count; ++i) {
    Real* out = normals + 3LL * i;
    out[0] = out[1] = out[2] = 0.0;
    Int node = rec::slotI(requested, i + 1);
    if (node <= 0) continue;
    Int missing = 1;
    HUNTI(list, length, &node, &position, &missing);
    if (missing != 0 || position < 1) {
      report(kError, "SYSTEM ERROR IN GetNodeNormals - UNABLE TO FIND NODE %I IN THE MASTER LIST", {node});
      continue;
    }
    const Real* from = masterNormals + 3LL * (position - 1);
    out[0] = from[0], out[1] = from[1], out[2] = from[2];
  }
}

}  // extern "C"
