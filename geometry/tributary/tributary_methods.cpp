// Method choice, length shares, shape tables and integration of the tributary-area routines.

#include "geometry/tributary/tributary_methods.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "geometry/cylinders/cylinder_functions.h"
#include "geometry/support/geometry_report.h"
#include "numerics/kernels/kernel_support.h"
#include "runtime/record.h"
#include "siblings/eqc/circular_arcs.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/facet_shapes.h"
#include "zmx/geometry/cylinders.h"
#include "zmx/geometry/facets.h"
#include "zmx/geometry/tributary.h"

namespace zmx::tributary {

namespace {

using zmx_numerics::cross3;
using zmx_numerics::dot3;

constexpr Real kGauss2 = 0.57735026918963;
constexpr Real kGauss3 = 0.77459666924148;
constexpr Real kGauss3Points[3] = {-kGauss3, 0.0, kGauss3};
constexpr Real kGauss3Weights[3] = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};

bool among(Int value, std::initializer_list<Int> set) { return std::find(set.begin(), set.end(), value) != set.end(); }

// Unit vector of v, or zeros when v has no length.
void unit(const Real* v, Real* out) {
  const Real length = std::sqrt(dot3(v, v));
  for (int c = 0; c < 3; ++c) out[c] = length > 0.0 && std::isfinite(length) ? v[c] / length : 0.0;
}

Real distance(const Real* coords, int a, int b, int dims) {
  Real sum = 0.0;
  for (int c = 0; c < dims; ++c) {
    const Real d = coords[3 * b + c] - coords[3 * a + c];
    sum += d * d;
  }
  return std::sqrt(sum);
}

// The straight line from node a to node b (1-based) in dims coordinates: half its length to each
// end, or in an axisymmetric model its revolved area split pi L (2 r_a + r_b)/3 and
// pi L (2 r_b + r_a)/3 (r: coordinate 1). Returns the length.
Real straightShares(const Real* coords, int a, int b, int dims, bool axisymmetric, Real* s) {
  const Real length = distance(coords, a - 1, b - 1, dims);
  const Real ra = coords[3 * (a - 1)], rb = coords[3 * (b - 1)];
  s[a - 1] = axisymmetric ? kPi * length * (2.0 * ra + rb) / 3.0 : length / 2.0;
  s[b - 1] = axisymmetric ? kPi * length * (2.0 * rb + ra) / 3.0 : length / 2.0;
  return length;
}

Choice surfaceRule(Int rule, Int nodes, Int points) { return Choice{Method::surface, rule, nodes, points}; }

// Who last built which table where: the table's address and its rule, node and point count.
struct TableKey {
  const Real* table;
  Int rule, nodes, points;
};
constexpr int kKeys = 8;
constinit TableKey gKeys[kKeys] = {};
constinit int gNextKey = 0;

}  // namespace

FacetClass lookUp(Int elementClass, Int face) {
  FacetClass f;
  f.elementClass = elementClass;
  f.face = face;
  if (elementClass < 1 || elementClass > catalogue::kClasses) return f;
  auto word = [&](int first) { return rec::i(CSURFACEDEF, first + elementClass - 1); };
  f.known = true;
  f.nodesPerFacet = word(catalogue::kNnfacet);
  f.linear = word(catalogue::kLinear) != 0;
  f.kind = word(catalogue::kKind);
  f.type = word(catalogue::kFacetType);
  return f;
}

bool isShellEdge(const FacetClass& f) {
  if (!f.known) return false;
  Logical shell = kFalse, edge = kFalse;
  SHR_ISSHELL3DELEM(&f.elementClass, &f.face, &shell, &edge);
  return edge != kFalse;
}

bool enoughNodes(const char* text, const Choice& choice, Int elementClass, Int nnode) {
  if (nnode >= choice.nodes) return true;
  geometry::report(geometry::kSystemError, text, {elementClass, nnode});
  return false;
}

Choice choose(const FacetClass& f, bool shellEdge, bool linearOnly) {
  const bool planar = f.kind == 2 || f.kind == 4;
  const bool edge = shellEdge || (f.kind == 3 && among(f.type, {3, 4, 7}));
  const bool endFace = f.face < 3;
  if (f.linear && planar) return Choice{Method::segment, 0, 2, 0, false, true};
  if (edge && f.linear) return Choice{Method::straightEdge, 0, 2, 0, true, true};
  if (edge || (planar && !among(f.type, {8, 9, 12})))
    return Choice{linearOnly ? Method::chord : Method::curvedLine, 0, 3, 0, edge, true};
  if (planar) return Choice{Method::contactLine, 0, 3, 0, false, true};
  if (linearOnly && among(f.type, {13, 14})) return Choice{Method::refused, 0, 0, 0};
  if (among(f.elementClass, {21, 37, 80, 146, 158}) && endFace) return surfaceRule(1, 3, 1);
  if (f.nodesPerFacet == 3 && f.linear && f.kind == 3) return surfaceRule(1, 3, 1);
  // The flat ends of the cylindrical classes: 4-, 8-, 3- and 6-node faces.
  if (f.elementClass == 169 && endFace) return surfaceRule(2, 4, 4);
  if (f.elementClass == 170 && endFace) return surfaceRule(4, 8, 9);
  if (f.elementClass == 173 && endFace) return surfaceRule(1, 3, 1);
  if (f.elementClass == 174 && endFace) return surfaceRule(3, 6, 3);
  if (f.nodesPerFacet == 4) return surfaceRule(2, 4, 4);
  if (among(f.type, {13, 14})) return Choice{Method::cylinder, 0, f.nodesPerFacet, f.linear ? 6 : 9};
  const bool sixNodeTriangle = (f.nodesPerFacet == 6 && !among(f.type, {8, 9})) ||
                               (among(f.elementClass, {17, 40, 69, 83, 161, 162}) && endFace);
  if (sixNodeTriangle) return linearOnly ? surfaceRule(1, 3, 1) : surfaceRule(3, 6, 3);
  if (among(f.type, {8, 9})) return Choice{Method::contactTriangle, 0, 6, 0};
  if (f.nodesPerFacet == 8) return linearOnly ? surfaceRule(2, 4, 4) : surfaceRule(4, 8, 9);
  if (f.nodesPerFacet == 9) return linearOnly ? surfaceRule(2, 4, 4) : surfaceRule(5, 9, 9);
  if (f.kind == 1) return Choice{Method::point, 0, 0, 0};
  return Choice{Method::unsupported, 0, 0, 0};
}

Real lineShares(const Choice& choice, const FacetClass& f, const Real* coords, Int nnode, Real* s) {
  const bool axisymmetric = f.kind == 4;
  auto r = [&](int node) { return coords[3 * (node - 1)]; };  // coordinate 1 of a node
  const int dims = choice.edge ? 3 : 2;
  switch (choice.method) {
    case Method::segment:
      return straightShares(coords, 1, 2, 2, axisymmetric, s);
    case Method::straightEdge:
      return straightShares(coords, 1, 2, 3, false, s);
    case Method::chord:
      return straightShares(coords, 1, 3, dims, axisymmetric && !choice.edge, s);
    case Method::curvedLine: {
      Real length = 0.0;
      for (int p = 0; p < 3; ++p) {
        const Real g = kGauss3Points[p];
        const Real n[3] = {(g * g - g) / 2.0, 1.0 - g * g, (g * g + g) / 2.0};
        const Real dn[3] = {g - 0.5, -2.0 * g, g + 0.5};
        Real tangent[3] = {0.0, 0.0, 0.0};
        for (int i = 0; i < 3; ++i)
          for (int c = 0; c < dims; ++c) tangent[c] += dn[i] * coords[3 * i + c];
        const Real j = std::sqrt(dot3(tangent, tangent));
        length += kGauss3Weights[p] * j;
        const Real measure = axisymmetric ? j * 2.0 * kPi * (n[0] * r(1) + n[1] * r(2) + n[2] * r(3)) : j;
        for (int i = 0; i < 3; ++i) s[i] += kGauss3Weights[p] * n[i] * measure;
      }
      return length;
    }
    case Method::contactLine: {
      const Int ldx = 3, axisymmetricSwitch = axisymmetric ? 1 : 0;
      Real length = 0.0;
      LCONTACTAREA6C(coords, &ldx, &axisymmetricSwitch, s, &length);
      return length;
    }
    case Method::contactTriangle: {
      const Int unused = 3;
      LCONTACTAREA10C(coords, &unused, s);
      return 0.0;
    }
    case Method::point:
      for (Int k = 0; k < std::min<Int>(nnode, kMostNodes); ++k) s[k] = 1.0;
      return 0.0;
    default:  // no method for the class (the surface methods never come here)
      geometry::report(geometry::kError, "SYSTEM - UNDERLYING ELEMENT OF CLASS %I IS NOT CURRENTLY SUPPORTED",
                       {f.elementClass});
      // A facet of fewer than three nodes has no triangle to fall back on.
      if (nnode >= 3) BTRIBUTARYTRI(coords, coords + 3, coords + 6, &s[0], &s[1], &s[2]);
      return 0.0;
  }
}

bool mixedFaces(Int elementClass) {
  return among(elementClass, {21, 37, 80, 146, 158, 17, 40, 83, 162, 69, 169, 170, 173, 174});
}

void forgetOtherFaceShape(Int elementClass, Int face, Int* lastclass, const Int* lastface) {
  if (!mixedFaces(elementClass) || *lastclass != elementClass) return;
  if ((*lastface > 2 && face < 3) || (*lastface < 3 && face >= 3)) *lastclass = 0;
}

void addSize(const FacetClass& f, const Choice& choice, Real length, Real shareSum, Real* total, Int* count) {
  if (f.kind == 1) return;
  if (f.kind == 4)
    *total += length;
  else if (choice.direct)
    *total += shareSum;
  else if (shareSum >= 0.0)
    *total += std::sqrt(shareSum);
  *count += 1;
}

// ---- Shape tables ----------------------------------------------------------------------------------

bool ruleShape(Int rule, Int& nodes, Int& points) {
  constexpr Int kShapes[5][2] = {{3, 1}, {4, 4}, {6, 3}, {8, 9}, {9, 9}};
  if (rule < 1 || rule > 5) return false;
  nodes = kShapes[rule - 1][0];
  points = kShapes[rule - 1][1];
  return true;
}

bool tableHeld(const Real* table, Int rule, Int nodes, Int points) {
  if (rule == 0) return false;
  for (const TableKey& key : gKeys)
    if (key.table == table) return key.rule == rule && key.nodes == nodes && key.points == points;
  return false;
}

void noteTable(const Real* table, Int rule, Int nodes, Int points) {
  TableKey* slot = nullptr;
  for (TableKey& key : gKeys)
    if (key.table == table) slot = &key;
  if (slot == nullptr) {
    slot = &gKeys[gNextKey];
    gNextKey = (gNextKey + 1) % kKeys;
  }
  *slot = TableKey{table, rule, nodes, points};
}

void buildTable(Int rule, Real* table) {
  const Int two = 2, three = 3, valuesFirst = 0;
  switch (rule) {
    case 1: EQC_INTTR3(table); break;
    case 2: EQC_INTOCA(table, &two); break;
    case 3: EQC_INTTR6(table); break;
    case 4:
      for (int p = 0; p < 9; ++p) EQC_INTQ8(&kGauss3Points[p % 3], &kGauss3Points[p / 3], table + 24 * p, &valuesFirst);
      break;
    case 5: EQC_INTTC9(table, &three); break;
  }
}

Real ruleWeight(Int rule, int p) {
  switch (rule) {
    case 1: return 0.5;
    case 2: return 1.0;
    case 3: return 1.0 / 6.0;
    default: return kGauss3Weights[p % 3] * kGauss3Weights[p / 3];
  }
}

void frames(const Real* table, Int nnode, Int npt, const Real* coords, PointFrames& out) {
  for (Int p = 0; p < npt; ++p) {
    const Real* dXi = table + 3 * nnode * p + nnode;
    const Real* dEta = dXi + nnode;
    Real t1[3] = {0.0, 0.0, 0.0}, t2[3] = {0.0, 0.0, 0.0}, normal[3];
    for (Int i = 0; i < nnode; ++i)
      for (int c = 0; c < 3; ++c) {
        t1[c] += dXi[i] * coords[3 * i + c];
        t2[c] += dEta[i] * coords[3 * i + c];
      }
    cross3(t1, t2, normal);
    out.da[p] = std::sqrt(dot3(normal, normal));
    unit(normal, out.normal[p]);
    unit(t1, out.t1[p]);
    unit(t2, out.t2[p]);
  }
}

void plainShares(const Real* table, Int nnode, Int npt, const Real* weight, const Real* da, Real* shares) {
  for (Int k = 0; k < nnode; ++k) {
    Real sum = 0.0;
    for (Int p = 0; p < npt; ++p) sum += table[3 * nnode * p + k] * weight[p] * da[p];
    shares[k] = sum;
  }
}

void projectedShares(const Real* table, Int nnode, Int npt, const Real* weight, const Real* da,
                     const Real (*pointVectors)[3], const Real (*nodeVectors)[3], Real* shares) {
  for (Int k = 0; k < nnode; ++k) {
    Real sum[3] = {0.0, 0.0, 0.0};
    for (Int p = 0; p < npt; ++p) {
      const Real factor = table[3 * nnode * p + k] * weight[p] * da[p];
      for (int c = 0; c < 3; ++c) sum[c] += factor * pointVectors[p][c];
    }
    shares[k] = dot3(sum, nodeVectors[k]);
  }
}

// ---- Cylindrical facets ------------------------------------------------------------------------------

bool cylinderFits(Int nnode, Int npt) { return (nnode == 6 && npt == 6) || (nnode == 9 && npt == 9); }

void buildCylinder(Real* table, Int nnode, Int npt, const Real* coords, const Real* cylpar, CylinderRule& rule) {
  const bool nine = nnode == 9;
  const auto shapes = nine ? INTSCYL9 : INTSCYL6;
  rule.curved = std::fabs(cylpar[0]) > geometry::kFlatAngle;

  // Along xi 2 (6 nodes) or 3 (9 nodes) Gauss points; along eta the circumferential rule of the
  // arc through the first edge's nodes, or 3 Gauss points on a flat facet.
  const int alongXi = nine ? 3 : 2;
  const Real xiPoints2[2] = {-kGauss2, kGauss2}, xiWeights2[2] = {1.0, 1.0};
  const Real* xiPoints = nine ? kGauss3Points : xiPoints2;
  const Real* xiWeights = nine ? kGauss3Weights : xiWeights2;
  Real etaPoints[3], etaWeights[3];
  if (rule.curved) {
    const Real nodalAngles[3] = {0.0, cylpar[1], cylpar[0]};
    EQC_CCYLWEIGHTS(etaWeights, etaPoints, nodalAngles);
  } else {
    std::copy_n(kGauss3Points, 3, etaPoints);
    std::copy_n(kGauss3Weights, 3, etaWeights);
  }
  const Int valuesFirst = 0, derivativesOnly = 1;
  for (Int p = 0; p < npt; ++p) {
    const int i = p % alongXi, j = p / alongXi;
    shapes(&xiPoints[i], &etaPoints[j], cylpar, table + 3 * nnode * p, &valuesFirst);
    rule.weight[p] = xiWeights[i] * etaWeights[j];
  }

  for (Int k = 0; k < nnode; ++k)
    for (int c = 0; c < 3; ++c) rule.nodeNormal[k][c] = rule.nodeT1[k][c] = rule.nodeT2[k][c] = 0.0;
  if (!rule.curved) return;
  // Facet coordinates (xi, eta) of the nodes; the record of a 6-node facet holds three angles.
  const Real a = cylpar[0];
  Real nodeAt[kMostNodes][2];
  if (nine) {
    const Real at[9][2] = {{-1, 0},        {1, 0}, {1, a},          {-1, a},       {0, 0},
                           {1, cylpar[3]}, {0, a}, {-1, cylpar[1]}, {0, cylpar[2]}};
    std::copy_n(&at[0][0], 18, &nodeAt[0][0]);
  } else {
    const Real at[6][2] = {{-1, 0}, {1, 0}, {1, a}, {-1, a}, {1, cylpar[2]}, {-1, cylpar[1]}};
    std::copy_n(&at[0][0], 12, &nodeAt[0][0]);
  }
  for (Int k = 0; k < nnode; ++k) {
    const Real* at = nodeAt[k];
    Real derivatives[2 * kMostNodes];
    shapes(&at[0], &at[1], cylpar, derivatives, &derivativesOnly);
    Real t1[3] = {0.0, 0.0, 0.0}, t2[3] = {0.0, 0.0, 0.0}, normal[3];
    for (Int i = 0; i < nnode; ++i)
      for (int c = 0; c < 3; ++c) {
        t1[c] += derivatives[i] * coords[3 * i + c];
        t2[c] += derivatives[nnode + i] * coords[3 * i + c];
      }
    cross3(t1, t2, normal);
    unit(normal, rule.nodeNormal[k]);
    if (dot3(rule.nodeNormal[k], rule.nodeNormal[k]) == 0.0) continue;  // no normal: no node vectors
    unit(t1, rule.nodeT1[k]);
    unit(t2, rule.nodeT2[k]);
  }
}

}  // namespace zmx::tributary
