// The elastic-plastic joint of a footing that penetrates the seabed: its geometry (cone angle and
// the bearing diameter reached at a penetration), the soil constants of sand, clay or a membrane
// law, and the vertical bearing capacity as a function of penetration.

#include <cmath>
#include <string_view>

#include "model/support/model_report.h"
#include "runtime/format.h"
#include "runtime/record.h"
#include "siblings/eqc/eqc_job.h"
#include "zmx/model/materials.h"
#include "zmx/storage.h"

namespace {

// Joint flags.
enum Flag : int { kPlastic = 1, kSand, kClay, kMembrane, kSpud, kDebug1, kDebug2, kFootingKind, kSpudFlag, kElement };
constexpr int kFlags = 10;
// Joint constants.
enum Constant : int { kD0 = 1, kThetaR, kVi, kDiamI, kTanHalf, kCotHalf, kUnused7, kVbarStar, kMaxPlast };
constexpr int kConstants = 9;
// Sand values: the given five, then the derived four.
enum Sand : int { kPhi = 4, kGamma = 5, kNq = 6, kNgamma = 7, kAlpha = 8, kBeta = 9 };
// Clay values.
enum Clay : int { kA = 2, kB = 3, kC = 4 };

constexpr Real kDegree = 0.017453292519943278;
constexpr Real kPi = 3.14159265358979;
constexpr Real kQuarterPi = 0.7853981633974475;

// Words of the section data.
constexpr int kSectionSpudFlag = 9, kSectionDebug1 = 19, kSectionDebug2 = 21;
constexpr int kSectionD0 = 6, kSectionAngle = 7, kSectionVbarStar = 8, kSectionMaxPlast = 9;

struct View {
  Int* flags;
  Real* constants;
  Int& f(int word) const { return flags[word - 1]; }
  Real& c(int slot) const { return constants[slot - 1]; }
};

// ---- Debug print ---------------------------------------------------------------------------

Int dumpUnit() { return rec::i(CDWFIL, 1); }

void dumpInteger(std::string_view label, Int value) {
  static const fio::Format& line = fio::format("(1X,A,\" = \",I12)");
  fio::write(dumpUnit(), line, {label, value});
}

void dumpReal(std::string_view label, Real value) {
  static const fio::Format& line = fio::format("(1X,A,\" = \",1PE22.14)");
  fio::write(dumpUnit(), line, {label, value});
}

void dumpValues(std::string_view label, const Real* values, std::size_t n) {
  static const fio::Format& line = fio::format("(1X,A,1P5E22.14)");
  fio::write(dumpUnit(), line, {label, fio::outArray(values, n)});
}

void flushDump() {
  const Int unit = dumpUnit();
  DBFLUS(&unit);
}

void printConstants(const View& j, const Real* soil) {
  const Int element = j.f(kElement);
  const std::string_view head = "++ matepj constants spill: U element no";
  DW2I(head.data(), static_cast<Int>(head.size()), &element, &element);
  if (dumpUnit() < 0) return;
  static constexpr std::string_view kFlagLabels[kFlags] = {
      "jepfl(ijepfl_lepjplas)", "jepfl(ijepfl_lepsand)", "jepfl(ijepfl_lepclay)", "jepfl(ijepfl_lmembr)",
      "jepfl(ijepfl_lespud)",   "jepfl(ijepfl_dbg1)",    "jepfl(ijepfl_dbg2)",    "jepfl(ijepfl_ndimel)",
      "jepfl(ijepfl_spudflag)", "jepfl(ijepfl_jel)"};
  for (int k = 1; k <= kFlags; ++k) dumpInteger(kFlagLabels[k - 1], j.f(k));
  struct Named {
    int slot;
    std::string_view label;
  };
  static constexpr Named kConstantLabels[] = {
      {kD0, "csec(icsec_D0)"},           {kVi, "csec(icsec_vi)"},
      {kDiamI, "csec(icsec_diami)"},     {kThetaR, "csec(icsec_thetar)"},
      {kTanHalf, "csec(icsec_tantheta2)"}, {kVbarStar, "csec(icsec_VbarStar)"},
      {kMaxPlast, "csec(icsec_aMaxplast)"}, {kCotHalf, "csec(icsec_otantheta2)"}};
  for (const Named& n : kConstantLabels) dumpReal(n.label, j.c(n.slot));
  flushDump();
  if (j.f(kSand) != 0) {
    dumpValues(" SAND: Vtsand,ZLamb1,ZLamb2,Phi,Gamma: ", soil, 5);
    dumpValues(" SAND: zNq, zNgamma,alpha,beta ", soil + 5, 4);
  }
  if (j.f(kClay) != 0) dumpValues(" CLAY: Su,aa,bb,cc : ", soil, 4);
  if (j.f(kMembrane) != 0) {
    static const fio::Format& line = fio::format("(1X,A,1P3E22.14,I12)");
    fio::write(dumpUnit(), line,
               {std::string_view(" MEMBR: Vcmemb, Vtmemb, Hu, Mu: "), fio::outArray(soil, 3),
                static_cast<Int>(soil[3])});
  }
  flushDump();
}

// ---- Set-up steps --------------------------------------------------------------------------

void setGeometry(const View& j, const Real* sectionReals, const Real* vi) {
  j.c(kD0) = sectionReals[kSectionD0 - 1];
  j.c(kThetaR) = sectionReals[kSectionAngle - 1] * kDegree;
  j.c(kVi) = *vi;
  j.c(kVbarStar) = sectionReals[kSectionVbarStar - 1];
  j.c(kMaxPlast) = sectionReals[kSectionMaxPlast - 1];
  if (j.c(kThetaR) != 0.0) {
    j.c(kTanHalf) = std::tan(j.c(kThetaR) * 0.5);
    j.c(kCotHalf) = 1.0 / j.c(kTanHalf);
  }
  Real ddiam = 0.0;
  Int full = 0;
  MATEPJSETD(&j.c(kDiamI), &ddiam, &full, j.constants, &j.c(kVi));
}

// Walks the options: footing options fix the kind and the footing table, soil options the soil
// table. Returns the two table locations (0 when absent).
struct Tables {
  Int footing = 0;
  Int soil = 0;
};

Tables readOptions(const View& j, const Int* imaterial) {
  Tables t;
  const Int count = rec::slotI(imaterial, 3);
  Int kind = 0;
  for (Int k = 1; k <= count; ++k) {
    const Int code = rec::slotI(imaterial, 4 + 2LL * k), location = rec::slotI(imaterial, 5 + 2LL * k);
    switch (code) {
      case 1031:
      case 1032:
      case 1033:
      case 1034:
        if (code <= 1032) j.f(kSpud) = 1;
        kind = code == 1031 || code == 1033 ? 2 : 3;
        t.footing = location;
        break;
      case 1041:
      case 1042:
      case 1043:
        j.f(kPlastic) = 1;
        j.f(code == 1041 ? kSand : code == 1042 ? kClay : kMembrane) = 1;
        t.soil = location;
        break;
      default:
        zmx::model::report(zmx::model::kSystemError, "SYSTEM error in SELGEP ");
    }
  }
  j.f(kFootingKind) = kind;
  return t;
}

void evaluateTable(const Real* material, Int location, const Real* x, Real* work, Real* values, Real* slopes) {
  if (location < 1) return;
  const Real* table = material + (location - 1);
  TABVAL(reinterpret_cast<const Int*>(table), table, values, x, work, slopes);
}

void deriveSandConstants(Real* soil) {
  const Real phi = soil[kPhi - 1];
  const Real tanPhi = std::tan(phi * kDegree);
  const Real t = std::tan((45.0 + phi * 0.5) * kDegree);
  soil[kNq - 1] = std::exp(kPi * tanPhi) * t * t;
  soil[kNgamma - 1] = 2.0 * (soil[kNq - 1] + 1.0) * tanPhi;
  soil[kAlpha - 1] = 1.954e-9 * std::pow(phi, 6.129);
  soil[kBeta - 1] = 0.71 - 0.014 * phi;
}

}  // namespace

extern "C" {

void MATEPJSET(const Int* ltab, Int* jepfl, Real* csec, Real* soilv, Real* footv, Real* dsoil, Real* dfoot,
               const Real* material, const Int* imaterial, const Real* sectionReals, const Int* sectionIntegers,
               Real* work, const Real* x, const Real* vi, const Int* element) {
  const View j{jepfl, csec};
  for (int k = 1; k <= kFlags; ++k) j.f(k) = 0;
  for (int k = 1; k <= kConstants; ++k) j.c(k) = 0.0;
  j.f(kSpudFlag) = sectionIntegers[kSectionSpudFlag - 1];
  if (j.f(kSpudFlag) != 0) setGeometry(j, sectionReals, vi);
  j.f(kElement) = *element;
  j.f(kDebug1) = sectionIntegers[kSectionDebug1 - 1];
  j.f(kDebug2) = sectionIntegers[kSectionDebug2 - 1];
  const bool debug = j.f(kDebug2) != 0;
  if (debug) {
    const std::string_view blank = " ", head = " ++ matepj.., element ";
    DWCH(blank.data(), static_cast<Int>(blank.size()));
    DW2I(head.data(), static_cast<Int>(head.size()), element, &j.f(kDebug2));
  }
  const Tables tables = readOptions(j, imaterial);
  if (*ltab == 0) return;
  // Only a footing option names a footing table; nothing is read at location 0.
  evaluateTable(material, tables.footing, x, work, footv, dfoot);
  if (j.f(kPlastic) != 0) evaluateTable(material, tables.soil, x, work, soilv, dsoil);
  if (j.f(kSand) != 0) deriveSandConstants(soilv);
  if (debug) printConstants(j, soilv);
}

void MATEPJSETD(Real* diam, Real* ddiam, Int* ifull, const Real* csec, const Real* v) {
  const Real d0 = csec[kD0 - 1];
  *diam = d0;
  *ddiam = 0.0;
  *ifull = 1;
  if (*v < 0.0) {
    *diam = 0.0;
    *ifull = 0;
  } else if (csec[kThetaR - 1] != 0.0 && *v <= d0 * csec[kCotHalf - 1] * 0.5) {
    *diam = 2.0 * *v * csec[kTanHalf - 1];
    *ddiam = 2.0 * csec[kTanHalf - 1];
    *ifull = 0;
  }
}

void MATEPJSETVC(Real* vc, Real* dvc, const Real* v, const Int* jepfl, const Real* csec, const Real* soilv) {
  const Real d0 = csec[kD0 - 1], theta = csec[kThetaR - 1], tanHalf = csec[kTanHalf - 1];
  const Real h = theta != 0.0 ? d0 * csec[kCotHalf - 1] * 0.5 : 0.0;
  const bool inCone = theta != 0.0 && *v < h;
  const auto s = [soilv](int k) { return soilv[k - 1]; };
  if (jepfl[kSand - 1] != 0) {
    const Real gamma = s(kGamma), nq = s(kNq), ng = s(kNgamma), alpha = s(kAlpha), beta = s(kBeta);
    if (!inCone) {
      const Real z = *v - h + beta * h;
      const Real q = kQuarterPi * gamma * d0 * d0 * d0;
      const Real e = std::exp(-alpha * z / d0);
      *vc = q * (0.3 * ng * (1.0 - e) + nq * z / d0);
      *dvc = q * (nq + 0.3 * alpha * ng * e) / d0;
    } else {
      const Real d = 2.0 * *v * tanHalf;
      const Real t = 1.0 / (2.0 * tanHalf);
      const Real k = kQuarterPi * gamma * (0.3 * ng * (1.0 - std::exp(-alpha * beta * t)) + beta * nq * t);
      *vc = k * d * d * d;
      *dvc = 3.0 * k * d * d * 2.0 * tanHalf;
    }
    return;
  }
  if (jepfl[kClay - 1] != 0) {
    const Real a = s(kA), b = s(kB), c = s(kC);
    if (theta != 0.0) {
      const Real r = 1.0 / (a + b * *v);
      *vc = (*v - c) * r;
      *dvc = r - (*v - c) * b * r * r;
    } else {
      *vc = a + b * *v;
      *dvc = b;
    }
    return;
  }
  *vc = 0.0;
  *dvc = 0.0;
  zmx::model::report(zmx::model::kSystemError, "SYSTEM ERROR IN MATEPJSETVC");
}

}  // extern "C"
