// Extrapolation of integration-point values to the nodes (or the element centre): ELNEX chooses the
// matrix rule of an element from its type code, point count, node count, dimension and selector;
// ELNEXT applies the matrix to every value set of the element; ELNEXTRB accumulates rebar values
// with the matrix's first column.
//
// ELNEX hands each rule only the nip x max(nodes, 3) reals of W that its callers provide (ELNEXT's
// work array holds that much), so a rule whose own point or node count exceeds what the caller
// gave drops the entries that do not fit.
#include <algorithm>
#include <cstring>

#include "elements/extrapolation/rule_support.h"
#include "runtime/format.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_arrays.h"
#include "siblings/eqc/eqc_job.h"
#include "siblings/eqc/import_services.h"
#include "siblings/eqc/records.h"
#include "zmx/elements/extrapolation.h"

namespace zmx_extrapolation {
namespace {

bool within(Int value, Int low, Int high) { return value >= low && value <= high; }

bool infiniteCode(Int type) { return within(type, 81, 104); }

// Everything ELNEX is given, by value.
struct Request {
  Real* W;
  long long capacity;
  bool toNodes;
  long long layers;
  long long layerNodes;
  long long nip;
  long long perPlane;
  Int type;
  long long nn;
  Int dimension;
  Int selector;
  const Real* cylinder;
};

// W(1, n) = 1: every node takes the value of point 1.
void constantRule(const Request& r, long long columns) {
  const Matrix w{r.W, r.nip, r.capacity};
  for (long long n = 1; n <= columns; ++n) w.set(1, n, 1.0);
}

// Node p and node p + o both take point p.
void onePointPerNode(const Request& r) {
  const Matrix w{r.W, r.nip, r.capacity};
  if (!r.toNodes) {
    if (r.nip == 1)
      w.set(1, 1, 1.0);
    else if (r.nip == 3)
      w.set(2, 1, 1.0);
    else if (r.nip == 9)
      w.set(9, 1, 1.0);
    else
      for (long long p = 1; p <= r.nip; ++p) w.set(p, 1, 1.0 / static_cast<Real>(r.nip));
    return;
  }
  long long offset = r.layerNodes == r.nip ? 0 : r.nip;
  long long count = r.nip;
  if (r.nip == 9 && r.nn != 9) {
    w.set(9, 17, 1.0);
    w.set(9, 18, 1.0);
    count = 8;
    offset = 8;
  }
  for (long long p = 1; p <= count; ++p) {
    w.set(p, p, 1.0);
    w.set(p, p + offset, 1.0);
  }
}

void sixNodeTriangle(const Request& r) {
  const long long m = (r.type == 442 || r.type == 375) ? 6 : r.nn;
  lxtri6(r.W, r.capacity, r.nip, m, r.toNodes);
}

void brickRules(const Request& r) {
  if (r.nn == 3)
    lx2(r.W, r.capacity, r.nip, r.toNodes);
  else if (r.nip == 1)
    constantRule(r, r.nn);
  else if (r.nip == 27 && infiniteCode(r.type))
    lx333i(r.W, r.capacity, r.nn, r.toNodes);
  else if (r.nip == 27)
    lx333(r.W, r.capacity, r.nn, r.toNodes);
  else if (infiniteCode(r.type))
    lx222i(r.W, r.capacity, r.nn, r.toNodes, r.type);
  else if (r.nip == 14)
    lx222r(r.W, r.capacity, r.nn, r.toNodes);
  else
    lx222(r.W, r.capacity, r.nn, r.toNodes);
}

void planarRules(const Request& r) {
  if (r.nip == 1)
    constantRule(r, r.nn);
  else if (r.nip == 2 && r.nn == 3)
    lx2(r.W, r.capacity, r.nip, r.toNodes);
  else if (r.nip == 4 && infiniteCode(r.type))
    lx22i(r.W, r.capacity, r.nn, r.toNodes, r.type);
  else if (r.nip == 4)
    lx22(r.W, r.capacity, r.nn, r.toNodes);
  else if (r.nip == 3)
    sixNodeTriangle(r);
  else if (infiniteCode(r.type))
    lx33i(r.W, r.capacity, r.nn, r.toNodes);
  else
    lx33(r.W, r.capacity, r.nn, r.toNodes);
}

bool planarCode(Int t) {
  constexpr Int kPlanar[] = {5,   8,   11,  34,  36,  55,  305, 308, 311, 334, 336, 355,
                             375, 405, 408, 412, 434, 436, 442, 455, 458, 462, 484, 486};
  return std::find(std::begin(kPlanar), std::end(kPlanar), t) != std::end(kPlanar);
}

// Codes below 1000 and the ranges that share their rules.
void smallCodeRules(const Request& r) {
  const Int t = r.type;
  if (within(t, 151, 169) || within(t, 3551, 3570)) {
    if (r.nip == 1) return constantRule(r, r.nn);
    if (r.nip == 4) return lx22(r.W, r.capacity, r.nn, r.toNodes);
    if (r.nip == 3) return sixNodeTriangle(r);
    if (r.nip == 9) return lx33(r.W, r.capacity, r.nn, r.toNodes);
  }
  if (within(t, 500, 699)) return brickRules(r);
  if (within(t, 201, 299)) return onePointPerNode(r);
  if (within(t, 741, 799) || within(t, 831, 869) || within(t, 931, 969))
    return lxsola(r.W, r.capacity, r.nip, r.toNodes, r.layers, r.layerNodes, r.perPlane);
  if (within(t, 370, 373) || within(t, 440, 443) || t == 445) return lxtri6c(r.W, r.capacity, r.nn, r.toNodes);
  if (t == 374 || t == 444) return lxtet10c(r.W, r.capacity, r.nn, r.toNodes);
  if (within(t % 100, 41, 47)) {
    if (r.nip == 4) return lxtt4(r.W, r.capacity, r.nn, r.toNodes);
    if (r.nip == 2) return lxtp2r(r.W, r.capacity, r.nn, r.toNodes);
    if (r.nip == 9) return lxtp9r(r.W, r.capacity, r.nn, r.toNodes);
    if (r.nip == 15) return lxtt15(r.W, r.capacity, r.nn, r.toNodes);
    return constantRule(r, r.nn);
  }
  if (within(t, 70, 77)) return lxtp9r(r.W, r.capacity, r.nn, r.toNodes);
  if (r.dimension != 3 || planarCode(t)) return planarRules(r);
  if (r.nn == 2) return constantRule(r, r.nn);
  brickRules(r);
}

// Codes 4001 to 4999.
void code4000Rules(const Request& r) {
  const Int t = r.type;
  if (within(t, 4201, 4299)) return onePointPerNode(r);
  if (t == 4109 || t == 4111) return lxtr66(r.W, r.capacity, r.nip, r.nn, r.toNodes);
  if (t == 4104 || t == 4108) return lxtr3n(r.W, r.capacity, r.nn, r.toNodes);
  if (t == 4022 || t == 4026) return lx33(r.W, r.capacity, r.nn, r.toNodes);
  if (t == 4021) return lx2(r.W, r.capacity, r.nip, r.toNodes);
  if (within(t, 4001, 4004) || t == 4141 || t == 4143) return lx222n(r.W, r.capacity, r.nn, r.toNodes, t, r.nip);
  if (t == 4142) return lxtt15(r.W, r.capacity, r.nn, r.toNodes);
  if (t == 4144) return lxtp9(r.W, r.capacity, r.nn, r.toNodes);
  if (t == 4030) return lx333(r.W, r.capacity, r.nn, r.toNodes);
  if (t == 4301 || t == 4302 || t == 4311 || t == 4312) return constantRule(r, r.nn);
  if (t == 4321 || t == 4322 || t == 4331 || t == 4332) return lx22(r.W, r.capacity, r.nn, r.toNodes);
  if (t == 4341 || t == 4342) {
    if (r.nip == 14) return lx222r(r.W, r.capacity, r.nn, r.toNodes);
    return lx222(r.W, r.capacity, r.nn, r.toNodes);
  }
  // Any other code of this range has no rule: W stays zero.
}

bool cylinderShape(Int t, CylinderShape& shape) {
  if (t == 1501 || t == 1502 || t == 1553 || t == 1554)
    shape = CylinderShape::Quad4;
  else if (t == 1551 || t == 1552)
    shape = CylinderShape::Quad9;
  else if (t == 1576 || t == 1577)
    shape = CylinderShape::Triangle1;
  else if (t == 1578 || t == 1579)
    shape = CylinderShape::Triangle3;
  else if (t == 156 || t == 3565)
    shape = CylinderShape::Point;
  else if (t == 157 || t == 3566)
    shape = CylinderShape::Line2;
  else
    return false;
  return true;
}

void chooseRule(const Request& r, long long columns) {
  const Int t = r.type;
  if (r.selector != 0) {
    if (r.nip == 1) return constantRule(r, columns);
    if (r.nip == 4) return lsol2(r.W, r.capacity, r.nn, r.toNodes, r.selector);
    if (r.nip == 5) return lsol5(r.W, r.capacity, t, r.nn, r.toNodes, r.selector);
    return lsol3(r.W, r.capacity, t, r.nn, r.toNodes, r.selector);
  }
  CylinderShape shape{};
  if (cylinderShape(t, shape)) return cylinderRule(r.W, r.capacity, shape, r.nn, r.cylinder, r.toNodes);
  if (t < 1000 || within(t, 7001, 7099) || within(t, 3551, 3570)) return smallCodeRules(r);
  if (t < 2000 || within(t, 2101, 2109)) {
    const Int rest = std::min(t % 10, 3);
    if (rest == 2) return lx2(r.W, r.capacity, r.nip, r.toNodes);
    if (rest == 3) return lx3(r.W, r.capacity, 3, r.toNodes);
    return constantRule(r, r.nn);
  }
  if (t == 2511) return lx2(r.W, r.capacity, r.nip, r.toNodes);
  if (t == 3651 || t == 3652) {
    const Matrix w{r.W, r.nip, r.capacity};
    if (!r.toNodes) return w.set(3, 3, 1.0);
    for (long long n = 1; n <= r.nn; ++n) w.set(n, n, 1.0);
    return;
  }
  if (within(t, 3801, 3999)) return lxtgasket(r.W, r.capacity, r.nn, r.nip, r.toNodes, t);
  if (within(t, 3621, 3632)) return lxpsi(r.W, r.capacity, r.nip, r.toNodes);
  if (t <= 4000) {
    if (r.nip == 1) return constantRule(r, r.nn);
    if (t == 2001) return lxtri3(r.W, r.capacity, r.toNodes);
    if (t == 2003) return sixNodeTriangle(r);
    if (within(t, 2601, 2699)) return lxsaxa(r.W, r.capacity, r.nip, r.toNodes, r.layers, r.layerNodes, r.perPlane);
    return lx22(r.W, r.capacity, r.nn, r.toNodes);
  }
  if (t >= 5000) {
    if (t == 5001 || t == 5101) return lx222n(r.W, r.capacity, r.nn, r.toNodes, t, r.nip);
    if (t == 5002) return lx33(r.W, r.capacity, r.nn, r.toNodes);
    if (t == 5011) return lxtri3(r.W, r.capacity, r.toNodes);
    if (t == 5012) return lxtr66(r.W, r.capacity, r.nip, r.nn, r.toNodes);
    return lx3(r.W, r.capacity, 3, r.toNodes);
  }
  code4000Rules(r);
}

}  // namespace

// Codes whose matrix has three columns whatever the node count.
bool threeColumnCode(Int type) { return type == 1003 || type == 1013 || type == 1103 || type == 1113; }

long long clearedColumns(Int type, long long nn) { return threeColumnCode(type) ? 3 : nn; }

void elnex(Real* W, long long capacity, Int flag, Int layers, Int layerNodes, Int nip, Int perPlane, Int type, Int nn,
           Int dimension, Int selector, const Real* cylinder) {
  const Request r{W, capacity, flag != 0, layers, layerNodes, nip, perPlane, type, nn, dimension, selector, cylinder};
  const long long columns = clearedColumns(type, nn);
  if (nip > 0 && columns > 0) {
    const long long reals = std::min<long long>(static_cast<long long>(nip) * columns, capacity);
    std::fill(W, W + reals, 0.0);
  }
  chooseRule(r, columns);
}

}  // namespace zmx_extrapolation

namespace x = zmx_extrapolation;

namespace {

// Room of ELNEXT's work array: nip x max(node count, 3) reals.
long long workCapacity(Int nip, Int nn) {
  return nip > 0 ? static_cast<long long>(nip) * std::max<long long>(nn, 3) : 0;
}

// The block written when the through-thickness variation is dropped.
void printConstantThicknessWarning() {
  const Int unit = rec::i(CLINES, eqc_records::kPrintUnit);
  fio::write(unit,
             "(' ***WARNING: THE VARIATION OF OUTPUT VARIABLES ARE ','ASSUMED TO BE CONSTANT THROUGH THE'/"
             "'             THICKNESS IN THE EXTRAPOLATION TO THE ','NODES FOR THIS OUTPUT REQUEST'/)",
             {});
}

// Two reals handled as one: the compiler keeps them in one vector register where it can.
using Pair = Real __attribute__((vector_size(16)));

inline Pair loadPair(const Real* p) {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void storePair(Real* p, Pair v) { std::memcpy(p, &v, sizeof v); }

// out(r) = sum over p of weights(p) values(r, p) for `rows` rows of a column-major block whose
// columns are `stride` reals apart: eight rows at a time with the sums held in registers.
void combineColumns(const Real* values, long long stride, const Real* weights, long long points, long long rows,
                    Real* out) {
  long long r = 0;
  for (; r + 8 <= rows; r += 8) {
    Pair s0{}, s1{}, s2{}, s3{};
    for (long long p = 0; p < points; ++p) {
      const Pair w = {weights[p], weights[p]};
      const Real* v = values + r + p * stride;
      s0 += w * loadPair(v);
      s1 += w * loadPair(v + 2);
      s2 += w * loadPair(v + 4);
      s3 += w * loadPair(v + 6);
    }
    storePair(out + r, s0);
    storePair(out + r + 2, s1);
    storePair(out + r + 4, s2);
    storePair(out + r + 6, s3);
  }
  for (; r + 2 <= rows; r += 2) {
    Pair s{};
    for (long long p = 0; p < points; ++p) {
      const Pair w = {weights[p], weights[p]};
      s += w * loadPair(values + r + p * stride);
    }
    storePair(out + r, s);
  }
  if (r < rows) {
    Real sum = 0.0;
    for (long long p = 0; p < points; ++p) sum += weights[p] * values[r + p * stride];
    out[r] = sum;
  }
}

// O(., k + (m - 1) K) = sum over p of W(p, m) V(., k + (p - 1) K) for rows 1..ncomp. When the
// rows fill the leading dimension, the K value sets of a point form one run of K ncomp reals.
void applyMatrix(const Real* V, Real* O, const Real* W, long long ld, long long ncomp, long long nip, long long K,
                 long long nout) {
  if (ncomp == ld) {
    const long long run = K * ld;
    for (long long m = 0; m < nout; ++m) combineColumns(V, run, W + m * nip, nip, run, O + m * run);
    return;
  }
  for (long long m = 0; m < nout; ++m)
    for (long long k = 0; k < K; ++k)
      combineColumns(V + k * ld, K * ld, W + m * nip, nip, ncomp, O + (k + m * K) * ld);
}

}  // namespace

extern "C" {

void ELNEX(Real* W, const Int* flag, const Int* layers, const Int* layerNodes, const Int* nip, const Int* perPlane,
           const Int* type, const Int* nn, const Int* dimension, const Int* selector, const Real* cylinder) {
  x::elnex(W, workCapacity(*nip, *nn), *flag, *layers, *layerNodes, *nip, *perPlane, *type, *nn, *dimension,
           *selector, cylinder);
}

void ELNEXT(const Real* V, Real* O, Real* W, const Int* ld, const Int* ncomp, const Int* nip, const Int* K,
            const Int* flag, const Int* layers, const Int* layerNodes, const Int* perPlane, const Int* type,
            const Int* nn, const Int* dimension, const Int* printSwitch, const Int* warningKey, const Int* selector,
            const Real* cylinder) {
  const long long capacity = workCapacity(*nip, *nn);
  const long long capacityColumns = std::max<Int>(*nn, 3);
  long long nout = *flag != 0 ? *nn : (*layers != 0 ? 2LL * *layers : 1);
  if (x::threeColumnCode(*type)) nout = 3;
  nout = std::min(nout, capacityColumns);  // never read past the work array
  // Columns the matrix rule may leave alone beyond those ELNEX clears are read as zero.
  const long long cleared = std::min<long long>(x::clearedColumns(*type, *nn), capacityColumns);
  if (*nip > 0 && nout > cleared) std::fill(W + cleared * *nip, W + nout * *nip, 0.0);
  x::elnex(W, capacity, *flag, *layers, *layerNodes, *nip, *perPlane, *type, *nn, *dimension, *selector, cylinder);

  if (*flag == 0 && (*type == 3651 || *type == 3652)) {
    // The value of point 3 carries the centre, scaled by the third column's sum.
    if (*nip >= 1 && static_cast<long long>(*K) * *nip >= 3) {
      Real sum = 0.0;
      for (long long p = 0; p < *nip; ++p) sum += W[p + 2LL * *nip];
      for (long long k = 0; k < *K; ++k)
        for (long long i = 0; i < *ncomp; ++i) O[i + k * *ld] = V[i + 2LL * *ld] * sum;
    }
  } else if (*ld > 0 && *ncomp > 0 && *K > 0 && *nip > 0) {
    applyMatrix(V, O, W, *ld, std::min(*ncomp, *ld), *nip, *K, nout);
  }

  if (*flag != 0 && *selector != 0 && *warningKey == 6) {
    if (*printSwitch == 2) printConstantThicknessWarning();
    const Int lines = 3;
    PAGING(&lines);
  }
}

void ELNEXTRB(const Real* V, Real* O, Real* W, const Int* ld, const Int* ncomp, const Int* nip, const Int* nc,
              const Int* stride, const Int* flag, const Int* layers, const Int* layerNodes, const Int* perPlane,
              const Int* type, const Int* nn, const Int* dimension, const Int* selector, const Real* cylinder) {
  ELNEX(W, flag, layers, layerNodes, nip, perPlane, type, nn, dimension, selector, cylinder);
  const long long L = *ld;
  for (long long c = 0; c < *nc; ++c)
    for (long long i = 0; i < *ncomp; ++i) O[i + c * L] = 0.0;
  const Int one = 1;
  long long k = 1;  // source column of the current point
  for (long long p = 1; p <= *nip; ++p) {
    Real first = 0.0, last = 0.0;
    ACOPY(&V[(L - 1) + (k - 1) * L], &first, &one);
    const Real weight = W[p - 1];
    for (long long i = 0; i < *ncomp; ++i)
      for (long long c = 0; c < *nc; ++c) O[i + c * L] += weight * V[i + (k - 1 + c * *stride) * L];
    const long long lastColumn = *nc < 1 ? k : k + (*nc - 1) * static_cast<long long>(*stride);
    ACOPY(&V[(L - 1) + (lastColumn - 1) * L], &last, &one);
    // The sibling's comparison of two 8-character fields gives 0 when they are equal.
    char firstId[8], lastId[8];
    std::memcpy(firstId, &first, 8);
    std::memcpy(lastId, &last, 8);
    const bool same = BCU_ACOMP(firstId, 8, lastId, 8) == 0;
    k = (!same && first != 0.0) ? lastColumn + *stride + 1 : lastColumn + 1;
  }
}

}  // extern "C"
