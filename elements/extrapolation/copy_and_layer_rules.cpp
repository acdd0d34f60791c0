// Extrapolation matrices that copy points to nodes (one point per node, gaskets, pipe-soil
// interfaces), and the layered rules that build node layers from the integration planes of a
// layered solid or axisymmetric line element.
#include "elements/extrapolation/rule_support.h"
#include "zmx/elements/extrapolation.h"

namespace zmx_extrapolation {
namespace {

// Centre weights 1/nip on points 1..nip.
void equalCentre(const Matrix& w, long long nip) {
  for (long long p = 1; p <= nip; ++p) w.set(p, 1, 1.0 / static_cast<Real>(nip));
}

// Share and target node layer of integration plane L of 2 NL planes; false when the plane
// contributes nothing.
bool planeLayer(long long L, long long layers, Real& share, long long& layer) {
  const bool odd = layers % 2 == 1;
  if (L == 1) {
    share = 1.0, layer = 1;
  } else if (L == 2 * layers) {
    share = 1.0, layer = layers;
  } else if (odd && (L == layers || L == layers + 1)) {
    share = 0.5, layer = (layers + 1) / 2;
  } else if (layers == 4 && (L == 3 || L == 4)) {
    share = L == 3 ? 2.0 / 3.0 : 1.0 / 3.0, layer = 2;
  } else if (layers == 4 && (L == 5 || L == 6)) {
    share = L == 5 ? 1.0 / 3.0 : 2.0 / 3.0, layer = 3;
  } else if (layers == 5 && (L == 3 || L == 4)) {
    share = L == 3 ? 0.75 : 0.25, layer = 2;
  } else if (layers == 5 && (L == 7 || L == 8)) {
    share = L == 7 ? 0.25 : 0.75, layer = 4;
  } else {
    return false;
  }
  return true;
}

// Largest in-plane matrix a layered rule builds: 9 points by this many nodes per layer.
constexpr long long kMaxLayerNodes = 64;

enum class LayerPlane { Solid, Line };

// W of a layered element from its in-plane matrix Wp (points per plane x nodes per layer).
void layered(const Matrix& w, long long nip, bool toNodes, long long layers, long long nodes, long long perPlane,
             LayerPlane plane) {
  if (layers < 1 || perPlane < 1) return;
  long long perLayer = nodes / layers;
  if (perLayer > kMaxLayerNodes) perLayer = kMaxLayerNodes;
  Real wp[9 * kMaxLayerNodes] = {};
  long long ldp = 9;
  if (perPlane == 1) {
    ldp = 1;
    const Matrix one{wp, 1};
    if (plane == LayerPlane::Solid) {
      for (long long n = 1; n <= perLayer; ++n) one.set(1, n, 1.0);
    } else {
      one.set(1, 1, 1.0);
      one.set(1, 2, 1.0);
    }
  } else if (plane == LayerPlane::Line) {
    ldp = 2;
    lx2(wp, 9 * kMaxLayerNodes, 2, toNodes);
  } else if (perPlane == 4) {
    ldp = 4;
    lx22(wp, 9 * kMaxLayerNodes, perLayer, toNodes);
  } else {
    lx33(wp, 9 * kMaxLayerNodes, perLayer, toNodes);
  }
  const Matrix in{wp, ldp};
  const long long rows = perPlane < ldp ? perPlane : ldp;
  if (!toNodes) {
    for (long long p = 1; p <= nip; ++p) {
      const long long L = (p - 1) / perPlane + 1;
      const long long l = p - (L - 1) * perPlane;
      if (l <= rows) w.set(p, L, in.get(l, 1));
    }
    return;
  }
  for (long long L = 1; L <= 2 * layers; ++L) {
    Real share = 0.0;
    long long layer = 0;
    if (!planeLayer(L, layers, share, layer)) continue;
    for (long long l = 1; l <= rows; ++l)
      for (long long n = 1; n <= perLayer; ++n)
        w.set((L - 1) * perPlane + l, (layer - 1) * perLayer + n, share * in.get(l, n));
  }
}

}  // namespace

void lx222n(Real* W, long long capacity, long long nn, bool toNodes, Int type, long long nip) {
  const Matrix w{W, nip, capacity};
  if (!toNodes) {
    if (nip == 1)
      w.set(1, 1, 1.0);
    else
      equalCentre(w, nip);
    return;
  }
  if (type == 4141 || type == 4143) {
    for (long long n = 1; n <= 6; ++n) w.set(n, n, 1.0);
  } else if (nip == 1) {
    for (long long n = 1; n <= nn; ++n) w.set(1, n, 1.0);
  } else {
    // Each node takes the lattice corner nearest to it.
    constexpr int kNearest[8] = {1, 2, 4, 3, 5, 6, 8, 7};
    for (long long n = 1; n <= nn && n <= 8; ++n) w.set(kNearest[n - 1], n, 1.0);
  }
}

void lxpsi(Real* W, long long capacity, long long nip, bool toNodes) {
  const Matrix w{W, nip, capacity};
  if (!toNodes) {
    equalCentre(w, nip);
    return;
  }
  w.set(1, 1, 1.0);
  w.set(1, 4, 1.0);
  w.set(2, 2, 1.0);
  w.set(2, 3, 1.0);
  if (nip == 3) {
    w.set(3, 5, 1.0);
    w.set(3, 6, 1.0);
  }
}

void lxtgasket(Real* W, long long capacity, long long /*nn*/, long long nip, bool toNodes, Int type) {
  const Matrix w{W, nip, capacity};
  if (toNodes) {
    for (long long p = 1; p <= nip; ++p) {
      w.set(p, p, 1.0);
      w.set(p, p + nip, 1.0);
    }
    return;
  }
  const bool middlePoint = type == 3804 || type == 3805 || type == 3806 || type == 3815 || type == 3853 ||
                           type == 3854 || type == 3863;
  if (nip == 1)
    w.set(1, 1, 1.0);
  else if (nip == 3 && middlePoint)
    w.set(2, 1, 1.0);
  else if (nip == 9)
    w.set(9, 1, 1.0);
  else
    equalCentre(w, nip);
}

void lxsola(Real* W, long long capacity, long long nip, bool toNodes, long long layers, long long nodes,
            long long perPlane) {
  layered(Matrix{W, nip, capacity}, nip, toNodes, layers, nodes, perPlane, LayerPlane::Solid);
}

void lxsaxa(Real* W, long long capacity, long long nip, bool toNodes, long long layers, long long nodes,
            long long perPlane) {
  layered(Matrix{W, nip, capacity}, nip, toNodes, layers, nodes, perPlane, LayerPlane::Line);
}

}  // namespace zmx_extrapolation

namespace x = zmx_extrapolation;

extern "C" {

void LX222N(Real* W, const Int* nn, const Int* flag, const Int* T, const Int* nip) {
  x::lx222n(W, x::kUnbounded, *nn, *flag != 0, *T, *nip);
}
void LXPSI(Real* W, const Int* nip, const Int* flag) { x::lxpsi(W, x::kUnbounded, *nip, *flag != 0); }
void LXTGASKET(Real* W, const Int* nn, const Int* nip, const Int* flag, const Int* T) {
  x::lxtgasket(W, x::kUnbounded, *nn, *nip, *flag != 0, *T);
}
void LXSOLA(Real* W, const Int* nip, const Int* flag, const Int* layers, const Int* nodes, const Int* /*nip*/,
            const Int* perPlane) {
  x::lxsola(W, x::kUnbounded, *nip, *flag != 0, *layers, *nodes, *perPlane);
}
void LXSAXA(Real* W, const Int* nip, const Int* flag, const Int* layers, const Int* nodes, const Int* /*nip*/,
            const Int* perPlane) {
  x::lxsaxa(W, x::kUnbounded, *nip, *flag != 0, *layers, *nodes, *perPlane);
}
void LXPY2(Real* /*W*/, const Int* /*nn*/, const Int* /*flag*/) {}
void LXPY3(Real* /*W*/, const Int* /*nn*/, const Int* /*flag*/) {}

}  // extern "C"
