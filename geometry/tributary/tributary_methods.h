// The pieces the tributary-area routines share: what the facet catalogue says of a class, the
// choice of method for one facet, the shares of the methods that measure length, the shape
// tables of the integration rules and who built them, and the integration over plain and
// cylindrical facets. Fixed local storage throughout.
#pragma once

#include "runtime/fortran_types.h"

namespace zmx::tributary {

inline constexpr Real kPi = 3.14159265358979;
inline constexpr int kMostNodes = 9;
inline constexpr int kMostPoints = 9;
inline constexpr int kMostTable = 3 * kMostNodes * kMostPoints;  // reals of the largest shape table

// The catalogue's view of one facet: its class and face, and for a class in 1 to 182 the nodes
// per facet, the linear-facet flag, the class kind and the facet type (all 0 otherwise).
struct FacetClass {
  Int elementClass = 0;
  Int face = 0;
  bool known = false;
  Int nodesPerFacet = 0;
  bool linear = false;
  Int kind = 0;
  Int type = 0;
};
FacetClass lookUp(Int elementClass, Int face);

enum class Method {
  segment,          // straight 2-D segment
  straightEdge,     // straight line facet in 3-D
  curvedLine,       // 3-node line, 3-point Gauss rule
  chord,            // 3-node line taken as the chord of its end nodes
  contactLine,      // 3-node segment of facet types 8, 9, 12
  contactTriangle,  // 6-node triangle of facet types 8, 9
  surface,          // integration rule `rule` on `nodes` nodes and `points` points
  cylinder,         // cylindrical facet on `nodes` nodes and `points` points
  point,            // every node's share 1
  refused,          // cylindrical facet taken as linear
  unsupported,      // reported; flat triangle of nodes 1-3 when there are three
};

struct Choice {
  Method method = Method::unsupported;
  Int rule = 0;
  Int nodes = 3;    // nodes the method reads
  Int points = 0;
  bool edge = false;    // a line facet in 3-D
  bool direct = false;  // the method measures length
};

// The face is an edge of a 3-D shell (false for a class outside the catalogue).
bool isShellEdge(const FacetClass& facet);

// The method for a facet. shellEdge: the face is an edge of a 3-D shell. linearOnly: every facet
// taken on its corner nodes.
Choice choose(const FacetClass& facet, bool shellEdge, bool linearOnly);

// A facet of nnode nodes can give its method the nodes it reads; else the text (with "%I" for
// the class and the node count) is reported at level -3.
bool enoughNodes(const char* text, const Choice& choice, Int elementClass, Int nnode);

// Shares s(1..) of the length-measuring methods, the point method and the unsupported fallback;
// returns the facet's length (0 where there is none).
Real lineShares(const Choice& choice, const FacetClass& facet, const Real* coords, Int nnode, Real* s);

// Classes whose faces 1-2 and faces 3 on have different shapes: before such a face is
// integrated, a table built for the other shape no longer describes the class.
bool mixedFaces(Int elementClass);
void forgetOtherFaceShape(Int elementClass, Int face, Int* lastclass, const Int* lastface);

// Size sum and count of one facet (not for point-like classes): the length in axisymmetric
// models, the share sum of a length method, else the square root of the share sum.
void addSize(const FacetClass& facet, const Choice& choice, Real length, Real shareSum, Real* total, Int* count);

// ---- Shape tables ----------------------------------------------------------------------------------

// The rule's node and point counts (rules 1 to 5), or false.
bool ruleShape(Int rule, Int& nodes, Int& points);
// True when this library last built the table at `table` for the rule, nodes and points; a
// cylindrical table (rule 0) is never reused.
bool tableHeld(const Real* table, Int rule, Int nodes, Int points);
void noteTable(const Real* table, Int rule, Int nodes, Int points);

// The shape table of a plain rule at its points and the rule's weight of point p (0-based).
void buildTable(Int rule, Real* table);
Real ruleWeight(Int rule, int p);

// Per point p: tangents by the two facet coordinates, da[p] := |t1 x t2| and, when wanted, the
// unit normal and unit tangents (zero vectors for zero lengths).
struct PointFrames {
  Real da[kMostPoints];
  Real normal[kMostPoints][3];
  Real t1[kMostPoints][3];
  Real t2[kMostPoints][3];
};
void frames(const Real* table, Int nnode, Int npt, const Real* coords, PointFrames& out);

// ---- Cylindrical facets ------------------------------------------------------------------------------

// The table of the cylindrical facet of nnode (6, 9) nodes at its npt (6, 9) points with their
// weights, and whether the facet is curved; for a curved facet also the unit normal and unit
// tangents at the nodes (zero where the normal has zero length).
struct CylinderRule {
  bool curved = false;
  Real weight[kMostPoints];
  Real nodeNormal[kMostNodes][3];
  Real nodeT1[kMostNodes][3];
  Real nodeT2[kMostNodes][3];
};
void buildCylinder(Real* table, Int nnode, Int npt, const Real* coords, const Real* cylpar, CylinderRule& rule);
// The cylinder rule fits nnode and npt.
bool cylinderFits(Int nnode, Int npt);

// share(k) = sum over points of N_k W DA.
void plainShares(const Real* table, Int nnode, Int npt, const Real* weight, const Real* da, Real* shares);
// share(k) = (sum over points of N_k W DA v_p) . v_k for unit vectors v at the points and nodes.
void projectedShares(const Real* table, Int nnode, Int npt, const Real* weight, const Real* da,
                     const Real (*pointVectors)[3], const Real (*nodeVectors)[3], Real* shares);

}  // namespace zmx::tributary
