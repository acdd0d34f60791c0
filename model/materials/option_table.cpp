// The material option table: the flag table the solvers index by option code with its summary
// words, the failure indices of the two composite failure options, and the soil constants of the
// pipe-soil interaction material.
//
// A material record is an array of 8-byte slots: slot 3 the option count n, then for option k its
// code in slot 4 + 2k and the slot where its data begin in slot 5 + 2k. Every option's data is a
// table record.

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "model/support/model_report.h"
#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "zmx/import.h"
#include "zmx/model/materials.h"

namespace {

constexpr int kFlagWords = 1400;
constexpr int kLocatedCodes = 1300;

// Summary words of the flag table.
enum Summary : int {
  kW1301 = 1301, kW1302, kW1303, kW1304, kW1305, kW1306, kW1307, kW1308, kW1309,
  kW1310, kW1311, kW1312, kW1313, kW1314, kW1315, kW1316, kW1317,
};

// Words of the imported records that the summary rules read.
constexpr int kAnalysisSwitch = 13;   // CONTRO
constexpr int kSwitch24 = 24;         // CONTRO
constexpr int kSwitch83 = 83;         // CONTRO
constexpr int kImportOption = 5;      // CIMPORT
constexpr int kWorkSwitch = 39;       // CWORK
constexpr int kCountFirst = 1;        // COUNT
constexpr int kCountSecond = 27;      // COUNT

// The option list of a material record.
struct Options {
  const Real* record;
  Int count;

  explicit Options(const Real* r) : record(r), count(std::max<Int>(rec::slotI(r, 3), 0)) {}
  Int code(Int k) const { return rec::slotI(record, 4 + 2LL * k); }
  Int location(Int k) const { return rec::slotI(record, 5 + 2LL * k); }
  bool has(Int c) const {
    for (Int k = 1; k <= count; ++k)
      if (code(k) == c) return true;
    return false;
  }
  bool hasAny(std::initializer_list<Int> codes) const {
    return std::any_of(codes.begin(), codes.end(), [this](Int c) { return has(c); });
  }
  // The integer three slots into an option's data; 0 when the option has no data.
  Int dataInteger(Int k) const {
    const Int l = location(k);
    return l >= 1 ? rec::slotI(record, l + 3LL) : 0;
  }
  // Location of the last option of the code, 0 when there is none.
  Int lastLocation(Int c) const {
    Int found = 0;
    for (Int k = 1; k <= count; ++k)
      if (code(k) == c) found = location(k);
    return found;
  }
};

bool contro(int word) { return rec::i(CONTRO, word) != 0; }

void applySummaryRule(const Options& options, Int k, Int* flags) {
  const Int c = options.code(k);
  const auto w = [flags](int word) -> Int& { return flags[word - 1]; };
  const bool analysis = contro(kAnalysisSwitch);
  const auto markAnalysis = [&] {
    if (analysis) w(kW1309) = 1;
  };
  if (c <= 3 || c == 8 || c == 10) {
    w(kW1301) = c;
  } else if (c >= 4 && c <= 6) {
    w(kW1302) = c;
  } else if (c == 11 || (c >= 16 && c <= 18)) {
    w(kW1303) = c;
  } else if (c == 19 || c == 20) {
    w(kW1304) = 3;
    w(kW1305) = c - 18;
  } else if (c >= 21 && c <= 26) {
    if (w(kW1305) == 0) w(kW1304) = c - 20;
    if (c == 24) w(kW1303) = 24;
  } else if (c == 31 || c == 32 || c == 33 || c == 35 || c == 36) {
    w(kW1306) = c == 31 ? 3 : c == 32 ? 2 : c == 33 ? 1 : c == 35 ? 4 : 5;
  } else if (c == 41 || c == 42 || c == 44 || c == 45 || c == 46 || c == 49) {
    w(kW1307) = c == 41 ? 1 : c == 42 ? 2 : c == 44 ? 5 : c == 45 ? 6 : c == 46 ? 7 : 8;
  } else if (c == 43) {
    w(kW1308) = 1;
    if (w(kW1307) == 1) w(kW1307) = 4;
  } else if (c == 75) {
    w(kW1310) = options.dataInteger(k);
  } else if (c == 82) {
    markAnalysis();
  } else if (c == 107 || c == 108 || c == 109 || c == 112) {
    if (analysis) w(kW1311) = 1;
  } else if (c == 110) {
    if (contro(kSwitch83)) markAnalysis();
    if (analysis) w(kW1311) = 1;
  } else if (c == 127) {
    w(kW1302) = 127;
  } else if (c == 211 || c == 212 || c == 213 || c == 214 || c == 217 || c == 218 || c == 221 || c == 222) {
    w(kW1312) = 1;
  } else if (c == 303 || c == 313) {
    w(kW1302) = 1;
  } else if (c >= 341 && c <= 344) {
    w(kW1304) = 2;
  } else if (c == 401 || c == 402 || c == 411 || c == 412) {
    w(kW1313) = 1;
    markAnalysis();
  } else if (c == 421) {
    w(kW1304) = 11;
    markAnalysis();
  } else if (c == 423) {
    w(kW1304) = 21;
    w(kW1309) = 1;
  } else if (c == 427) {
    w(kW1304) = 427;
    w(kW1303) = 427;
    markAnalysis();
  } else if (c == 428 || c == 429) {
    w(kW1303) = c;
    markAnalysis();
  } else if (c >= 400 && c <= 429) {
    markAnalysis();
  } else if (c >= 430 && c <= 435) {
    w(kW1304) = 430;
    markAnalysis();
  } else if (c == 442) {
    markAnalysis();
  } else if (c >= 451 && c <= 461) {
    w(kW1315) = c;
  } else if (c == 501 || c == 502) {
    w(kW1313) = 2;
    w(kW1301) = c;
  } else if (c == 521 || c == 522) {
    w(kW1314) = 1;
  } else if (c == 531 || c == 540) {
    w(kW1314) = 2;
  } else if (c == 523) {
    w(kW1314) = 3;
  } else if (c == 601 || c == 651 || c == 1271) {
    w(kW1309) = options.dataInteger(k);
  } else if (c >= 1000 && c <= 1009) {
    markAnalysis();
  } else if (c == 1018 || c == 1073) {
    w(kW1303) = c;
  } else if (c == 1071) {
    w(kW1304) = 2;
    markAnalysis();
  } else if (c == 1074) {
    w(kW1304) = 2;
    w(kW1303) = 1074;
  } else if (c == 1075) {
    if (w(kW1304) < 1) w(kW1304) = 1;
    markAnalysis();
  } else if (c == 1076) {
    w(kW1304) = w(kW1304) == 4 ? 8 : 7;
  } else if (c == 1086) {
    if (!contro(kSwitch24)) markAnalysis();
  } else if (c == 1088 || c == 1090 || c == 1092 || c == 1094 || c == 1096 || c == 1098 || c == 1099) {
    markAnalysis();
  } else if (c == 1268) {
    w(kW1301) = 1268;
  } else if (c == 1269) {
    w(kW1302) = 1269;
  } else if (c >= 1273 && c <= 1293) {
    w(kW1304) = 1;
    w(kW1317) = 1;
    markAnalysis();
  }
}

bool plasticityWithoutItsCompanion(const Options& o, const Int* flags) {
  const Int w1304 = flags[kW1304 - 1];
  const bool hardening = (flags[kW1306 - 1] != 0 && !o.has(34)) || (flags[kW1307 - 1] != 0 && !o.has(43));
  const bool law = ((w1304 == 1 || w1304 == 2) && !o.has(12)) || o.has(427) || o.has(422);
  return hardening && law;
}

bool dropsTheLaw(const Options& o) {
  const bool imported = rec::i(CIMPORT, kImportOption) != 0;
  const bool work = rec::i(CWORK, kWorkSwitch) != 0;
  const bool switched = contro(kSwitch24) && o.hasAny({421, 422, 423, 427, 430, 442});
  const Int count1 = rec::i(COUNT, kCountFirst), count27 = rec::i(COUNT, kCountSecond);
  const bool counted = count1 == 0 || (count1 == 1 && count27 == 1);
  return !imported && !o.has(430) && !work && !switched && !contro(kSwitch83) && counted;
}

// Up to wanted values of the table record at location l of the material record (missing ones 0).
template <int N>
void optionValues(const Real* record, Int l, const Real* x, Real* work, Real (&values)[N]) {
  std::fill(values, values + N, 0.0);
  const Real* table = record + (l - 1);
  const Int* itab = reinterpret_cast<const Int*>(table);
  const Int d = std::max<Int>(rec::slotI(table, 1), 0);
  const long long v = rec::slotI(table, d + 3LL) - static_cast<long long>(d);
  if (v < 1) return;
  // The table may hold more values than asked for: evaluate into room for all of them, on the
  // stack for usual tables.
  constexpr std::size_t kRoom = 64;
  const std::size_t room = std::max(static_cast<std::size_t>(v), kRoom);
  Real stack[2 * kRoom];
  std::vector<Real> wide;
  Real* all = stack;
  if (room > kRoom) {
    if (!zmx::model::withMemory([&] { wide.resize(2 * room); })) return;
    all = wide.data();
  }
  TABVAL(itab, table, all, x, work, all + room);
  std::copy_n(all, std::min<long long>(v, N), values);
}

Real largestRatio(Real a, Real la, Real b, Real lb, Real c, Real lc) {
  return std::max({a / la, b / lb, std::fabs(c / lc)});
}

Real rootAboveFloor(Real q) { return q > 1e-36 ? std::sqrt(q) : q; }

}  // namespace

extern "C" {

void MATFLAGSET(const Real* material, Int* flags) {
  std::fill(flags, flags + kFlagWords, 0);
  const Options options(material);
  for (Int k = 1; k <= options.count; ++k) {
    const Int c = options.code(k);
    if (c >= 1 && c <= kLocatedCodes) flags[c - 1] = options.location(k);
  }
  for (Int k = 1; k <= options.count; ++k) applySummaryRule(options, k, flags);
  if (plasticityWithoutItsCompanion(options, flags)) flags[kW1316 - 1] = 1;
  if (rec::i(CPROG, eqc_records::kProgramKind) == 0) return;
  if (dropsTheLaw(options)) flags[kW1304 - 1] = 0;
}

void MATPCF(const Real* stress, const Real* stran, const Real* material, Real* findex, const Real* x, Real* work) {
  std::fill(findex, findex + 5, 0.0);
  const Options options(material);
  const Real s11 = stress[0], s22 = stress[1], t12 = stress[2];
  if (const Int l = options.lastLocation(986); l >= 1) {
    Real limits[7];
    optionValues(material, l, x, work, limits);
    const Real xt = limits[0], xc = limits[1], yt = limits[2], yc = limits[3], s = limits[4], f = limits[5],
               sb = limits[6];
    const Real lx = s11 >= 0.0 ? xt : xc, ly = s22 >= 0.0 ? yt : yc;
    findex[0] = largestRatio(s11, lx, s22, ly, t12, s);
    const Real shear = (s22 / ly) * (s22 / ly) + (t12 / s) * (t12 / s);
    findex[1] = rootAboveFloor((s11 * s11 - s11 * s22) / (lx * lx) + shear);
    const Real f1 = 1.0 / xt + 1.0 / xc, f11 = -1.0 / (xt * xc);
    const Real f2 = 1.0 / yt + 1.0 / yc, f22 = -1.0 / (yt * yc), f66 = 1.0 / (s * s);
    const Real f12 = sb == 0.0 ? f * std::sqrt(f11 * f22) : 0.5 * ((1.0 / sb - f1 - f2) / sb - f11 - f22);
    const Real a = f11 * s11 * s11 + f22 * s22 * s22 + f66 * t12 * t12 + 2.0 * f12 * s11 * s22;
    const Real b = f1 * s11 + f2 * s22;
    if (a > 1e-36) {
      const Real r = b / (2.0 * a);
      findex[2] = 1.0 / (std::sqrt(r * r + 1.0 / a) - r);
    }
    findex[3] = rootAboveFloor((s11 * s11 - std::fabs(s11 * s22)) / (lx * lx) + shear);
  }
  if (const Int l = options.lastLocation(987); l >= 1) {
    Real limits[5];
    optionValues(material, l, x, work, limits);
    const Real e11 = stran[0], e22 = stran[1], g12 = stran[2];
    const Real lx = e11 >= 0.0 ? limits[0] : limits[1], ly = e22 >= 0.0 ? limits[2] : limits[3];
    findex[4] = largestRatio(e11, lx, e22, ly, g12, limits[4]);
  }
}

void PSIMATASCE(const Int* isoil, const Int* idir, const Int* loc, Real* p, const Real* material, const Real* x,
                Real* work, Real* dval) {
  constexpr Real kPi = 3.14159265358979, kHalfPi = 1.570796326794895;
  const Int soil = *isoil, dir = *idir;
  const bool known = (soil == 3 || soil == 4) && dir >= 1 && dir <= 3;
  if (!known) {
    std::fill(p, p + 4, 0.0);
    return;
  }
  // The caller's constants, as many as the case reads, before the table writes over them.
  const int used = soil == 3 ? 4 : dir == 1 ? 7 : dir == 2 ? 6 : 2;
  Real c[8] = {};
  std::copy_n(p, used, c + 1);
  if (dir != 1) {
    const Real* table = material + (*loc - 1);
    TABVAL(reinterpret_cast<const Int*>(table), table, p, x, work, dval);
  }
  Real t[8] = {};  // t[i]: the i-th table value, which the table wrote into p
  if (dir != 1) std::copy_n(p, soil == 3 ? 3 : 7, t + 1);
  Real p1 = 0.0, p2 = 0.0, p3 = 0.0, p4 = 0.0;
  if (soil == 3 && dir == 1) {
    p1 = p2 = kPi * c[1] * c[2] * c[3];
    p3 = p4 = c[4];
  } else if (soil == 3 && dir == 2) {
    p1 = t[1] * c[1] * t[3];
    p2 = t[1] * c[2] * t[3];
    p3 = c[3];
    p4 = c[4];
  } else if (soil == 3) {
    p1 = p2 = t[1] * c[1] * t[3];
    p3 = p4 = c[2];
  } else if (dir == 1) {
    p1 = p2 = kHalfPi * c[1] * c[4] * c[7] * (1.0 + c[2]) * std::tan(c[3] * kPi / 180.0);
    p3 = p4 = c[5];
  } else if (dir == 2) {
    p1 = 0.5 * c[1] * c[3] * t[4] * t[4] + t[1] * t[7] * c[2] * t[4];
    p2 = t[1] * t[7] * c[4] * t[4];
    p3 = c[5];
    p4 = c[6];
  } else {
    p1 = p2 = t[1] * t[7] * c[1] * t[4];
    p3 = p4 = c[2];
  }
  p[0] = p1;
  p[1] = p2;
  p[2] = p3;
  p[3] = p4;
}

}  // extern "C"
