// Current section axes of a beam element: the nodal reference directions of the cross-section
// turned by the nodal rotations and averaged over the element's nodes. In space the axes are the
// averaged second direction and the vector product of the averaged first and second directions; in
// a plane the averaged in-plane axis and that axis turned by -90 degrees. The averages are not
// normalised.

#include <algorithm>
#include <cmath>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/records.h"
#include "zmx/model/records.h"
#include "zmx/numerics.h"

namespace {

constexpr Int kSpaceBeams = 1100;
constexpr Int kNoAxesFirst = 2201, kNoAxesLast = 2302;
constexpr Int kReferenceDirections = 18, kInitialRotations = 20, kInitialRotationsStored = 26;
constexpr Int kNodeRotations = 12;
constexpr int kDisplacementOffset = 2;  // CNS
constexpr int kFlagEncoding = 17;       // CONTRO
constexpr Int kHalvedFlags = 4;
constexpr int kFlagsPerNode = 4;        // CGN

bool withoutAxes(Int type) { return type >= kNoAxesFirst && type <= kNoAxesLast; }

// Component c (from 1) of node k (from 1) of the nodal solution.
Real component(const Real* u, Int ld, Int offset, Int k, int c) {
  return u[static_cast<long>(k - 1) * ld + offset + c - 1];
}

// Axis (a1, a2) turned by theta in the plane.
void turn(const Real* a, Real theta, Real* sum) {
  const Real c = std::cos(theta), s = std::sin(theta);
  sum[0] += a[0] * c - a[1] * s;
  sum[1] += a[0] * s + a[1] * c;
}

// Averages the sums and completes BSAX.
void finishSpace(Real* s1, Real* bsax, Int nnode) {
  for (int i = 0; i < 3; ++i) {
    s1[i] /= nnode;
    bsax[i] /= nnode;
  }
  AXPRD(s1, bsax, bsax + 3);
}

void finishPlane(Real* bsax, Int nnode) {
  bsax[0] /= nnode;
  bsax[1] /= nnode;
  bsax[2] = bsax[1];
  bsax[3] = -bsax[0];
}

// Adds the node's two reference vectors turned by r (then by r2, when given) to s1 and bsax.
void addTurnedVectors(const Real* reference, const Real* r, const Real* r2, Real* s1, Real* bsax) {
  const Int two = 2;
  Real turned[6];
  SHR_ANROT(reference, turned, r, &two);
  if (r2 != nullptr) SHR_ANROT(turned, turned, r2, &two);
  for (int i = 0; i < 3; ++i) {
    s1[i] += turned[i];
    bsax[i] += turned[3 + i];
  }
}

// Reduces the node's constraint flags to one bit per degree of freedom.
void reduceFlags(Int* iflags) {
  const bool halved = rec::i(CONTRO, kFlagEncoding) == kHalvedFlags;
  for (Int k = 0; k < rec::i(CGN, kFlagsPerNode); ++k) iflags[k] = halved ? iflags[k] / 2 : iflags[k] & 1;
}

}  // namespace

extern "C" {

void SHR_BSECT(const Int* nnode, const Int* itype, const Int* nv, const Int* ld, Real* bsax, const Int* layout,
               const Real* u) {
  std::fill(bsax, bsax + std::max<Int>(2 * *nv, 0), 0.0);
  if (withoutAxes(*itype) || *nnode < 1) return;
  const Int nodes = *nnode, offset = rec::i(CNS, kDisplacementOffset);
  const bool space = *itype >= kSpaceBeams;
  const Int perNode = space ? 6 : 2;
  const Real* reference = mem32::at<Real>(GETVARDR(layout, &kReferenceDirections), static_cast<std::size_t>(nodes) * perNode);
  if (reference == nullptr) return;
  // Initial rotations, when stored: an equal share of variable 20 per node.
  const Real* initial = nullptr;
  Int share = 0;
  Int stored = 0;
  Int rows = 0, columns = 0;
  if (QUERYVAR(layout, &kInitialRotationsStored, &rows, &columns) != kFalse) {
    const Int* flag = mem32::at<Int>(GETVARIR(layout, &kInitialRotationsStored), 1);
    stored = flag != nullptr ? *flag : 0;
  }
  if (stored != 0) {
    share = QUERYVARLENE(layout, &kInitialRotations) / nodes;
    if (share >= (space ? 6 : 3))
      initial = mem32::at<Real>(GETVARDR(layout, &kInitialRotations), static_cast<std::size_t>(share * nodes));
  }
  if (space) {
    Real s1[3] = {};
    for (Int k = 1; k <= nodes; ++k) {
      Real r[3];
      for (int c = 0; c < 3; ++c) r[c] = component(u, *ld, offset, k, 4 + c);
      if (initial != nullptr) {
        const Real* init = initial + static_cast<long>(k - 1) * share + 3;
        const Real negated[3] = {-init[0], -init[1], -init[2]};
        Real composed[3];
        COMPROT(r, negated, composed);
        std::copy_n(composed, 3, r);
      }
      addTurnedVectors(reference + static_cast<long>(k - 1) * 6, r, nullptr, s1, bsax);
    }
    finishSpace(s1, bsax, nodes);
    return;
  }
  const bool rotate = rec::i(CONTRO, eqc_records::kFiniteRotations) != 0;
  for (Int k = 1; k <= nodes; ++k) {
    const Real* axis = reference + static_cast<long>(k - 1) * 2;
    Real theta = 0.0;
    if (rotate) {
      theta = component(u, *ld, offset, k, 3);
      if (initial != nullptr) theta -= initial[static_cast<long>(k - 1) * share + 2];
    }
    turn(axis, theta, bsax);
  }
  finishPlane(bsax, nodes);
}

void SHR_BSECTMOD(const Int* nnode, const Int* itype, const Int* nv, const Int* ld, const Int* nodeOffset, Real* bsax,
                  const Real* u, Real* slrec, Int* ilast, const Real* reference, Int* iflags, const Int* nodeList,
                  const Int* nodeDatabase) {
  std::fill(bsax, bsax + std::max<Int>(2 * *nv, 0), 0.0);
  if (withoutAxes(*itype) || *nnode < 1) return;
  const Int nodes = *nnode, offset = *nodeOffset;
  const bool space = *itype >= kSpaceBeams;
  const bool rotate = rec::i(CONTRO, eqc_records::kFiniteRotations) != 0;
  Real s1[3] = {};
  for (Int k = 1; k <= nodes; ++k) {
    const Int index = nodeList[k - 1];
    const Int node = ADB_GETNODE(nodeDatabase, &index);
    SHR_NODBC(slrec, iflags, ilast, &node);
    reduceFlags(iflags);
    const Int components = space ? 6 : 3;
    const Real* rotations = mem32::at<Real>(ADB_GETVARNDR(nodeDatabase, &index, &kNodeRotations), components);
    const auto nodeRotation = [&](int c) {
      return rotations != nullptr && rec::i(CGN, kFlagsPerNode) >= c && iflags[c - 1] == 0 ? rotations[c - 1] : 0.0;
    };
    if (space) {
      Real r[3], r2[3];
      for (int c = 0; c < 3; ++c) {
        r[c] = component(u, *ld, offset, k, 4 + c);
        r2[c] = nodeRotation(4 + c);
      }
      addTurnedVectors(reference + static_cast<long>(k - 1) * 6, r, r2, s1, bsax);
    } else {
      const Real theta = (rotate ? component(u, *ld, offset, k, 3) : 0.0) + nodeRotation(3);
      turn(reference + static_cast<long>(k - 1) * 2, theta, bsax);
    }
  }
  if (space)
    finishSpace(s1, bsax, nodes);
  else
    finishPlane(bsax, nodes);
}

}  // extern "C"
