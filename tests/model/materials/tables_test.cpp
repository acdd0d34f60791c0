// Table interpolation on grids of random multilinear functions (which linear interpolation in each
// variable reproduces exactly), the one-variable edges, the option flag table, the failure indices
// and the soil constants.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "runtime/record.h"
#include "siblings/eqc/records.h"
#include "siblings/eqc/testing.h"
#include "tests/model/model_support.h"
#include "zmx/import.h"
#include "zmx/model.h"

namespace {

using modeltest::Slots;

// f(x) = sum over subsets S of the variables of c_S * prod_{j in S} x_j.
struct Multilinear {
  int d;
  std::vector<double> c;
  Multilinear(int dims, std::mt19937& rng) : d(dims), c(std::size_t{1} << dims) {
    std::uniform_real_distribution<double> u(-2.0, 2.0);
    for (double& x : c) x = u(rng);
  }
  double value(const std::vector<double>& x) const {
    double sum = 0;
    for (std::size_t s = 0; s < c.size(); ++s) {
      double term = c[s];
      for (int j = 0; j < d; ++j)
        if (s >> j & 1) term *= x[j];
      sum += term;
    }
    return sum;
  }
  double partial(const std::vector<double>& x, int m) const {
    double sum = 0;
    for (std::size_t s = 0; s < c.size(); ++s) {
      if (!(s >> m & 1)) continue;
      double term = c[s];
      for (int j = 0; j < d; ++j)
        if (j != m && (s >> j & 1)) term *= x[j];
      sum += term;
    }
    return sum;
  }
};

// A table record of V functions on a grid (first variable fastest); a variable with one grid
// value and flag 0 is one the rows do not vary with.
struct Grid {
  std::vector<std::vector<double>> axes;
  std::vector<Int> flags;
  std::vector<Multilinear> f;
  Slots record;

  Grid(std::vector<std::vector<double>> a, std::vector<Int> fl, int v, std::mt19937& rng)
      : axes(std::move(a)), flags(std::move(fl)) {
    const int d = static_cast<int>(axes.size());
    for (int k = 0; k < v; ++k) f.emplace_back(d, rng);
    std::vector<std::vector<double>> rows;
    std::vector<std::size_t> index(axes.size(), 0);
    for (;;) {
      std::vector<double> x(axes.size()), row;
      for (int j = 0; j < d; ++j) x[j] = axes[j][index[j]];
      for (const auto& fk : f) row.push_back(fk.value(x));
      row.insert(row.end(), x.begin(), x.end());
      rows.push_back(row);
      int j = 0;
      while (j < d && ++index[j] == axes[j].size()) index[j++] = 0;
      if (j == d) break;
    }
    modeltest::appendTable(record, flags, v, rows);
  }
  long rows() const { return record.integerAt(static_cast<long>(flags.size()) + 2); }
};

// IVARS of the bare-row form with every flag slot set.
Slots allFlagsSet() {
  Slots ivars;
  for (int s = 0; s < 8; ++s) ivars.integer(1);
  return ivars;
}

// n ascending abscissae from lo to hi.
std::vector<double> fine(int n, double lo, double hi) {
  std::vector<double> axis;
  for (int i = 0; i < n; ++i) axis.push_back(lo + (hi - lo) * i / (n - 1));
  return axis;
}

TEST(Tables, MultilinearGridsAreReproducedWithTheirPartials) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const std::vector<double> a1 = {-1.0, -0.2, 0.5, 1.3, 2.0}, a2 = {0.0, 1.0, 2.5, 3.0}, a3 = {-3.0, 0.0, 4.0};
  struct Shape {
    std::vector<std::vector<double>> axes;
    std::vector<Int> flags;
  };
  const Shape shapes[] = {{{a1}, {1}}, {{a1, a2}, {1, 1}}, {{a1, a2, a3}, {1, 1, 1}},
                          {{a1, {0.7}, a3}, {1, 0, 1}},  // the middle variable skipped
                          {{{0.4}, a2}, {0, 1}},         // the first variable skipped
                          {{fine(60, -1.0, 2.0), fine(30, 0.0, 3.0)}, {1, 1}}};  // more rows than the stack holds
  for (const Shape& shape : shapes) {
    const int d = static_cast<int>(shape.axes.size()), v = 3;
    Grid g(shape.axes, shape.flags, v, rng);
    std::vector<double> work(static_cast<std::size_t>(g.rows() * (d + 1)) + 8);
    for (int trial = 0; trial < 20; ++trial) {
      std::vector<double> x(d);
      for (int j = 0; j < d; ++j) {
        const auto& ax = shape.axes[j];
        x[j] = ax.front() + (ax.back() - ax.front()) * u(rng);
      }
      std::vector<double> val(v), dval(v), val2(v), dval2(v * d);
      TABVAL(g.record.asIntegers(), g.record.s.data(), val.data(), x.data(), work.data(), dval.data());
      TABVAL2(g.record.asIntegers(), g.record.s.data(), val2.data(), x.data(), work.data(), dval2.data());
      for (int k = 0; k < v; ++k) {
        const double want = g.f[k].value(x);
        EXPECT_NEAR(val[k], want, 1e-12 * (1 + std::fabs(want)));
        EXPECT_NEAR(val2[k], want, 1e-12 * (1 + std::fabs(want)));
        const double d1 = shape.flags[0] != 0 ? g.f[k].partial(x, 0) : 0.0;
        EXPECT_NEAR(dval[k], d1, 1e-10 * (1 + std::fabs(d1))) << "d = " << d;
        for (int m = 0; m < d; ++m) {
          const double dm = shape.flags[m] != 0 ? g.f[k].partial(x, m) : 0.0;
          EXPECT_NEAR(dval2[k + m * v], dm, 1e-10 * (1 + std::fabs(dm))) << "d = " << d << " variable " << m;
        }
      }
      // The workers on the run table of each value, twice over the same rows: they agree with
      // their parents and leave the rows as given.
      for (int k = 0; k < v; ++k) {
        std::vector<double> sub;
        for (long row = 0; row < g.rows(); ++row) {
          const double* at = g.record.s.data() + d + 3 + row * (v + d);
          sub.push_back(at[k]);
          sub.insert(sub.end(), at + v, at + v + d);
        }
        const std::vector<double> given = sub;
        const Int dd = d, vv = v, r = static_cast<Int>(g.rows()), kk = k + 1;
        std::vector<double> scratch1(work.size(), -7.0), scratch2(work.size()), scratch3(work.size());
        for (int call = 0; call < 2; ++call) {
          double one = 0, slope = 0;
          std::vector<double> some(v, -1.0), slopes(v * d, -1.0);
          TABINT1(sub.data(), &one, x.data(), &dd, &r, &slope, g.record.asIntegers(), scratch1.data());
          TABINT2(sub.data(), some.data(), x.data(), &dd, &vv, &r, slopes.data(), &kk, g.record.asIntegers(),
                  scratch1.data(), scratch2.data(), scratch3.data());
          EXPECT_EQ(one, val[k]) << "call " << call;
          EXPECT_EQ(slope, dval[k]) << "call " << call;
          EXPECT_EQ(some[k], val2[k]) << "call " << call;
          for (int m = 0; m < d; ++m) EXPECT_EQ(slopes[k + m * v], dval2[k + m * v]) << "call " << call;
          EXPECT_EQ(sub, given);
        }
      }
      if (d < 2) continue;
      // The bare-row form: value 2 with the flags from IVARS slots 7 onward.
      Slots ivars;
      for (int s = 0; s < 6 + d; ++s) ivars.integer(s >= 6 && shape.flags[s - 6] != 0 ? 1 : 0);
      const Int r = static_cast<Int>(g.rows()), w = v + d, k = 2, vv = v, dd = d, unused = 0;
      const double* rows = g.record.s.data() + d + 3;
      double one = 0;
      TABVAL3(ivars.s.data(), &unused, rows, &r, &w, &one, &k, &vv, x.data(), &dd);
      EXPECT_NEAR(one, g.f[1].value(x), 1e-12 * (1 + std::fabs(one)));
    }
    // Outside the range the values are held at the nearest grid point with no slope there.
    std::vector<double> x(d), clamped(d);
    for (int j = 0; j < d; ++j) x[j] = clamped[j] = shape.axes[j][shape.axes[j].size() / 2];
    x[0] = shape.axes[0].back() + 5.0;
    clamped[0] = shape.axes[0].back();
    std::vector<double> val(v), dval2(v * d);
    TABVAL2(g.record.asIntegers(), g.record.s.data(), val.data(), x.data(), work.data(), dval2.data());
    EXPECT_NEAR(val[0], g.f[0].value(clamped), 1e-12);
    EXPECT_EQ(dval2[0], 0.0);
  }
}

TEST(Tables, IrregularRunsInterpolateRunByRun) {
  // Runs of different lengths and breakpoints: the value is each bracketing run interpolated in
  // the first variable, then those two interpolated in the second.
  const std::vector<std::vector<double>> runs = {{0.0, 1.0}, {-1.0, 0.5, 2.0, 3.0}, {0.2, 0.4, 0.6}};
  const std::vector<double> second = {1.0, 2.0, 4.0};
  std::vector<std::vector<double>> rows;
  std::vector<std::vector<double>> runTables;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    std::vector<double> table;
    for (double x1 : runs[r]) {
      const double v = std::sin(3 * x1 + r) + 0.1 * r;
      rows.push_back({v, x1, second[r]});
      table.insert(table.end(), {v, x1});
    }
    runTables.push_back(table);
  }
  // The same rows with a third variable they do not vary with: reduced run by run.
  Slots t, skipped;
  modeltest::appendTable(t, {1, 1}, 1, rows);
  for (auto& row : rows) row.push_back(0.0);
  modeltest::appendTable(skipped, {1, 1, 0}, 1, rows);
  std::vector<double> work(64);
  for (const double x1 : {-2.0, 0.0, 0.3, 0.45, 1.7, 5.0})
    for (const double x2 : {0.5, 1.0, 1.5, 2.0, 3.1, 4.0, 9.0}) {
      double run[3], slope[3];
      for (int r = 0; r < 3; ++r) {
        const Int w = 2, v = 1, n = static_cast<Int>(runs[r].size());
        TABINT(runTables[r].data(), &run[r], &x1, &w, &v, &n, &slope[r]);
      }
      // The runs' values and slopes as a table in the second variable.
      const double outer[6] = {run[0], second[0], run[1], second[1], run[2], second[2]};
      const double slopes[6] = {slope[0], second[0], slope[1], second[1], slope[2], second[2]};
      const Int w = 2, v = 1, n = 3;
      double want, d2, wantSlope, unused;
      TABINT(outer, &want, &x2, &w, &v, &n, &d2);
      TABINT(slopes, &wantSlope, &x2, &w, &v, &n, &unused);
      const double x[3] = {x1, x2, 0.0};
      for (const Slots* table : {&t, &skipped}) {
        double val, dval[3];
        TABVAL2(table->asIntegers(), table->s.data(), &val, x, work.data(), dval);
        EXPECT_NEAR(val, want, 1e-14) << x1 << " " << x2;
        EXPECT_NEAR(dval[0], wantSlope, 1e-13) << x1 << " " << x2;
        EXPECT_NEAR(dval[1], d2, 1e-13) << x1 << " " << x2;
      }
    }
}

TEST(Tables, WorkersReadTheirRowsWithoutChangingThem) {
  // Two rows at the same second variable, which is skipped: below the first abscissa the value
  // of row 1 with no slope, and the same again from the same rows.
  std::vector<double> sub = {4.40483, 0.200584, -1.25631, 4.52595, 1.38019, -1.25631};
  const std::vector<double> given = sub;
  Slots itab;
  for (const Int w : {2, 1, 0}) itab.integer(w);
  const double x[2] = {0.00101, -1.25631};
  const Int d = 2, r = 2, v = 1, k = 1;
  double work[6], s2[6], s3[6];
  for (int call = 0; call < 2; ++call) {
    double val = 0, dval = -1, dval2[2] = {-1, -1};
    TABINT1(sub.data(), &val, x, &d, &r, &dval, itab.asIntegers(), work);
    EXPECT_EQ(val, 4.40483) << "call " << call;
    EXPECT_EQ(dval, 0.0) << "call " << call;
    TABINT2(sub.data(), &val, x, &d, &v, &r, dval2, &k, itab.asIntegers(), work, s2, s3);
    EXPECT_EQ(val, 4.40483) << "call " << call;
    EXPECT_EQ(dval2[0], 0.0) << "call " << call;
    EXPECT_EQ(dval2[1], 0.0) << "call " << call;
    EXPECT_EQ(sub, given);
  }
}

TEST(Tables, ABareRowTableTooLargeToReduceIsAMemoryFailure) {
  // Counts whose run table could never be held: reported, nothing read or written.
  eqc_testing::clearMessages();
  const Slots ivars = allFlagsSet();
  const double rows[] = {3.0, 4.0};
  const Int r = 2147483647, width = 2, values = 1, k = 1, d = 2147483647, unused = 0;
  const double x[2] = {0.5, 0.5};
  double val = -3.0;
  TABVAL3(ivars.s.data(), &unused, rows, &r, &width, &val, &k, &values, x, &d);
  EXPECT_EQ(val, -3.0);
  EXPECT_TRUE(eqc_testing::printed("MEMORY FAILURE."));
}

TEST(Tables, OneVariableEdges) {
  // Rows (value, x): x = 1, 2, 2, 4.
  const double tab[] = {10, 1, 20, 2, 30, 2, 50, 4};
  const Int w = 2, v = 1, r = 4;
  double val = 0, dval = 0;
  const auto at = [&](double xx) {
    TABINT(tab, &val, &xx, &w, &v, &r, &dval);
  };
  // X, the value and the slope: the first abscissa gives row 1 with the slope of the first
  // interval; below, row 1 and above, the last row, with no slope; an interior breakpoint takes
  // the left interval.
  const double points[][3] = {
      {1.0, 10.0, 10.0}, {0.5, 10.0, 0.0}, {9.0, 50.0, 0.0}, {2.0, 20.0, 10.0}, {3.0, 40.0, 10.0}};
  for (const auto& [xx, want, slope] : points) {
    at(xx);
    EXPECT_EQ(val, want) << xx;
    EXPECT_EQ(dval, slope) << xx;
  }
  // A zero-length interval at the point: the left row, derivative 0, never NaN.
  const double flat[] = {7, 1, 9, 1, 11, 3};
  const Int three = 3;
  const double xx = 1.0;
  TABINT(flat, &val, &xx, &w, &v, &three, &dval);
  EXPECT_EQ(val, 7.0);
  EXPECT_EQ(dval, 0.0);
  // One row, or no variable: row 1 and zero derivatives whatever X holds.
  Slots single;
  modeltest::appendTable(single, {1}, 2, {{3.0, 4.0, 100.0}});
  double two[2], slopes[2] = {9, 9}, x = -50.0, work[8];
  TABVAL(single.asIntegers(), single.s.data(), two, &x, work, slopes);
  EXPECT_EQ(two[0], 3.0);
  EXPECT_EQ(two[1], 4.0);
  EXPECT_EQ(slopes[1], 0.0);
  // The bare-row form with one row, or with no variable: value K of row 1.
  const Slots ivars = allFlagsSet();
  const double rows[] = {3.0, 4.0, 100.0, 5.0, 6.0, 200.0};
  for (const auto& [r, d] : {std::pair<Int, Int>{1, 1}, {2, 0}}) {
    const Int width = 3, values = 2, k = 2, unused = 0;
    double one = 0;
    TABVAL3(ivars.s.data(), &unused, rows, &r, &width, &one, &k, &values, &x, &d);
    EXPECT_EQ(one, 4.0) << r << " " << d;
  }
}

class OptionTable : public ::testing::Test {
 protected:
  void SetUp() override {
    rec::clear(CONTRO);
    rec::clear(CPROG);
    rec::clear(CIMPORT);
    rec::clear(CWORK);
    rec::clear(COUNT);
  }
  std::vector<Int> flags(const std::vector<modeltest::Option>& options) {
    const Slots m = modeltest::material(options);
    std::vector<Int> f(1402, -9);
    MATFLAGSET(m.s.data(), f.data());
    EXPECT_EQ(f[1400], -9) << "written past the table";
    return f;
  }
  static modeltest::Option option(Int code) { return {code, {}, 1, {{0.0}}}; }
  // The flags of a material of one-value options of the codes, in that order.
  std::vector<Int> flagsOf(const std::vector<Int>& codes) {
    std::vector<modeltest::Option> options;
    for (const Int code : codes) options.push_back(option(code));
    return flags(options);
  }
};

TEST_F(OptionTable, LocationsAndSummaryWords) {
  auto f = flags({});
  EXPECT_TRUE(std::all_of(f.begin(), f.begin() + 1400, [](Int w) { return w == 0; }));
  // A code from 21 to 26 changes word 1304 only while word 1305 is 0.
  f = flags({option(19), option(22)});
  EXPECT_EQ(f[1303], 3);
  EXPECT_EQ(f[1304], 1);
  EXPECT_GT(f[18], 0);
  EXPECT_GT(f[21], 0);
  // Codes outside 1 to 1300 get no location word; their summary rules still apply.
  f = flags({option(0), option(1301), option(-4), option(1273)});
  EXPECT_EQ(f[1300], -4);  // "3 and below" takes the last such code
  EXPECT_EQ(f[1303], 1);
  EXPECT_EQ(f[1316], 1);
  for (int w = 1317; w < 1400; ++w) EXPECT_EQ(f[w], 0);
  // Word 1316: plasticity without its companion option.
  f = flags({option(31), option(1273)});
  EXPECT_EQ(f[1315], 1);
  f = flags({option(31), option(34), option(1273)});
  EXPECT_EQ(f[1315], 0);
  // The integer three slots into an option's data.
  Slots m = modeltest::material({option(75)});
  m.setInteger(m.integerAt(7) + 3, 42);
  MATFLAGSET(m.s.data(), f.data());
  EXPECT_EQ(f[1309], 42);
  // Analysis switch.
  rec::i(CONTRO, 13) = 1;
  f = flags({option(1000)});
  EXPECT_EQ(f[1308], 1);
  // Outside the pre-processor the law is dropped unless something keeps it.
  rec::i(CPROG, 1) = 1;
  f = flags({option(1071)});
  EXPECT_EQ(f[1303], 0);
  rec::i(CIMPORT, 5) = 1;
  f = flags({option(1071)});
  EXPECT_EQ(f[1303], 2);
}

TEST_F(OptionTable, SummaryWordsOfEveryCodeRule) {
  // Options in list order, the CONTRO switches 13, 24 and 83, and the summary words 1301 to 1317
  // that are not 0 afterwards.
  struct Case {
    std::vector<Int> codes;
    Int analysis, switch24, switch83;
    std::vector<std::pair<int, Int>> words;
  };
  std::vector<Case> cases = {
      {{20}, 0, 0, 0, {{1304, 3}, {1305, 2}}},
      {{24}, 0, 0, 0, {{1304, 4}, {1303, 24}}},
      {{41, 43}, 0, 0, 0, {{1307, 4}, {1308, 1}}},
      {{42, 43}, 0, 0, 0, {{1307, 2}, {1308, 1}}},
      {{82}, 0, 0, 0, {}},
      {{110}, 1, 0, 1, {{1309, 1}, {1311, 1}}},
      {{110}, 0, 0, 1, {}},
      {{411}, 1, 0, 0, {{1313, 1}, {1309, 1}}},
      {{421}, 1, 0, 0, {{1304, 11}, {1309, 1}}},
      {{423}, 0, 0, 0, {{1304, 21}, {1309, 1}}},
      {{427}, 1, 0, 0, {{1304, 427}, {1303, 427}, {1309, 1}}},
      {{429}, 1, 0, 0, {{1303, 429}, {1309, 1}}},
      {{415}, 0, 0, 0, {}},
      {{433}, 1, 0, 0, {{1304, 430}, {1309, 1}}},
      {{502}, 0, 0, 0, {{1313, 2}, {1301, 502}}},
      {{986, 987}, 1, 0, 0, {}},
      {{1071}, 1, 0, 0, {{1304, 2}, {1309, 1}}},
      {{1074}, 0, 0, 0, {{1304, 2}, {1303, 1074}}},
      {{1075}, 1, 0, 0, {{1304, 1}, {1309, 1}}},
      {{23, 1075}, 0, 0, 0, {{1304, 3}}},
      {{24, 1076}, 0, 0, 0, {{1304, 8}, {1303, 24}}},
      {{1086}, 1, 1, 0, {}},
      {{1290}, 0, 0, 0, {{1304, 1}, {1317, 1}}},
      // Word 1316: hardening without its companion option, with a law that needs it.
      {{33, 21}, 0, 0, 0, {{1306, 1}, {1304, 1}, {1316, 1}}},
      {{33, 21, 12}, 0, 0, 0, {{1306, 1}, {1304, 1}}},
      {{44, 422}, 0, 0, 0, {{1307, 5}, {1316, 1}}},
      {{45, 43, 427}, 0, 0, 0, {{1307, 6}, {1308, 1}, {1304, 427}, {1303, 427}}},
  };
  // Codes with one word each: the code, the word and its value; with the analysis switch off, then on.
  const Int plain[][3] = {{4, 1302, 4}, {6, 1302, 6}, {8, 1301, 8}, {10, 1301, 10}, {11, 1303, 11}, {17, 1303, 17},
      {26, 1304, 6}, {127, 1302, 127}, {303, 1302, 1}, {342, 1304, 2}, {456, 1315, 456}, {522, 1314, 1},
      {540, 1314, 2}, {523, 1314, 3}, {1018, 1303, 1018}, {1076, 1304, 7}, {1268, 1301, 1268}, {1269, 1302, 1269}};
  const Int analysis[][3] = {{82, 1309, 1}, {108, 1311, 1}, {110, 1311, 1}, {415, 1309, 1}, {442, 1309, 1},
      {1086, 1309, 1}, {1094, 1309, 1}};
  for (const auto& [code, word, value] : plain) cases.push_back({{code}, 0, 0, 0, {{word, value}}});
  for (const auto& [code, word, value] : analysis) cases.push_back({{code}, 1, 0, 0, {{word, value}}});
  // Codes with one word each, by the rule's value.
  const std::pair<Int, Int> hardening[] = {{31, 3}, {32, 2}, {33, 1}, {35, 4}, {36, 5}};
  for (const auto& [code, value] : hardening) cases.push_back({{code}, 0, 0, 0, {{1306, value}}});
  const std::pair<Int, Int> plastic[] = {{41, 1}, {42, 2}, {44, 5}, {45, 6}, {46, 7}, {49, 8}};
  for (const auto& [code, value] : plastic) cases.push_back({{code}, 0, 0, 0, {{1307, value}}});
  for (const Int code : {107, 109, 112}) cases.push_back({{code}, 1, 0, 0, {{1311, 1}}});
  for (const Int code : {211, 212, 213, 214, 217, 218, 221, 222}) cases.push_back({{code}, 0, 0, 0, {{1312, 1}}});
  for (const Int code : {1000, 1009, 1088, 1099}) cases.push_back({{code}, 1, 0, 0, {{1309, 1}}});
  for (const Case& c : cases) {
    rec::i(CONTRO, 13) = c.analysis;
    rec::i(CONTRO, 24) = c.switch24;
    rec::i(CONTRO, 83) = c.switch83;
    const std::vector<Int> f = flagsOf(c.codes);
    std::vector<Int> want(17, 0);
    for (const auto& [word, value] : c.words) want[static_cast<std::size_t>(word - 1301)] = value;
    EXPECT_EQ(std::vector<Int>(f.begin() + 1300, f.begin() + 1317), want) << "first code " << c.codes.front();
  }
  // The integer three slots into the data of options 601, 651 and 1271.
  for (const Int code : {601, 651, 1271}) {
    Slots m = modeltest::material({option(code)});
    m.setInteger(m.integerAt(7) + 3, 17);
    std::vector<Int> f(1400);
    MATFLAGSET(m.s.data(), f.data());
    EXPECT_EQ(f[1308], 17) << code;
  }
  // Outside the pre-processor: each of these keeps the law.
  rec::i(CONTRO, 13) = 0;
  rec::i(CONTRO, 24) = 0;
  rec::i(CONTRO, 83) = 0;
  rec::i(CPROG, 1) = 1;
  const auto kept = [&](const std::vector<Int>& codes) { return flagsOf(codes)[1303]; };
  EXPECT_EQ(kept({21}), 0);
  EXPECT_EQ(kept({21, 430}), 430);
  rec::i(CONTRO, 24) = 1;
  EXPECT_EQ(kept({21}), 0);
  EXPECT_EQ(kept({421, 21}), 1);
  rec::i(CONTRO, 24) = 0;
  rec::i(CONTRO, 83) = 1;
  EXPECT_EQ(kept({21}), 1);
  rec::i(CONTRO, 83) = 0;
  rec::i(CWORK, 39) = 1;
  EXPECT_EQ(kept({21}), 1);
  rec::i(CWORK, 39) = 0;
  rec::i(COUNT, 1) = 1;
  rec::i(COUNT, 27) = 1;
  EXPECT_EQ(kept({21}), 0);
  rec::i(COUNT, 27) = 2;
  EXPECT_EQ(kept({21}), 1);
}

TEST_F(OptionTable, FailureIndices) {
  const double xt = 1500, xc = -1200, yt = 50, yc = -200, s = 70, fs = -0.5, sb = 0;
  const Slots m = modeltest::material({{986, {}, 7, {{xt, xc, yt, yc, s, fs, sb}}},
                                       {987, {}, 5, {{0.01, -0.008, 0.005, -0.02, 0.03}}}});
  double findex[5], x[1] = {0}, work[16];
  const double zero[3] = {0, 0, 0};
  MATPCF(zero, zero, m.s.data(), findex, x, work);
  for (double v : findex) EXPECT_EQ(v, 0.0);
  const double stress[3] = {800, -90, 30}, strain[3] = {0.004, -0.012, 0.006};
  MATPCF(stress, strain, m.s.data(), findex, x, work);
  EXPECT_DOUBLE_EQ(findex[0], std::max({800 / xt, -90 / yc, 30 / s}));
  EXPECT_DOUBLE_EQ(findex[4], std::max({0.004 / 0.01, -0.012 / -0.02, 0.006 / 0.03}));
  // Tsai-Wu: the strength ratio R solves A R^2 + B R = 1 and the index is 1/R.
  const double f1 = 1 / xt + 1 / xc, f11 = -1 / (xt * xc), f2 = 1 / yt + 1 / yc, f22 = -1 / (yt * yc);
  const double f12 = fs * std::sqrt(f11 * f22);
  const double a = f11 * 800 * 800 + f22 * 90 * 90 + 30 * 30 / (s * s) + 2 * f12 * 800 * -90;
  const double b = f1 * 800 + f2 * -90;
  const double ratio = (-b + std::sqrt(b * b + 4 * a)) / (2 * a);
  EXPECT_NEAR(findex[2], 1 / ratio, 1e-12);
  // At the tensile limit alone the stress indices are 1.
  const double limit[3] = {xt, 0, 0};
  MATPCF(limit, zero, m.s.data(), findex, x, work);
  EXPECT_DOUBLE_EQ(findex[0], 1.0);
  EXPECT_DOUBLE_EQ(findex[1], 1.0);
  EXPECT_DOUBLE_EQ(findex[3], 1.0);
  // A limit table with many more values than the seven it needs is read the same way.
  std::vector<double> wideRow{xt, xc, yt, yc, s, fs, sb};
  wideRow.resize(100, 9.0);
  const Slots wide = modeltest::material({{986, {}, 100, {wideRow}}});
  MATPCF(limit, zero, wide.s.data(), findex, x, work);
  EXPECT_DOUBLE_EQ(findex[0], 1.0);
  EXPECT_DOUBLE_EQ(findex[1], 1.0);
}

TEST_F(OptionTable, SoilConstants) {
  const Slots m = modeltest::material({{1, {}, 7, {{2.0, 0, 5.0, 3.0, 0, 0, 7.0}}}});
  const Int loc = m.integerAt(7), sand = 4, clay = 3, one = 1, two = 2, three = 3;
  double x[1] = {0}, work[16], dval[8];
  double p[8] = {1.5, 0.2, 30.0, 2.0, 9.0, 8.0, 0.5, 0};
  PSIMATASCE(&sand, &one, &loc, p, m.s.data(), x, work, dval);
  EXPECT_NEAR(p[0], 1.570796326794895 * 1.5 * 2.0 * 0.5 * 1.2 * std::tan(M_PI / 6), 1e-12);
  EXPECT_EQ(p[1], p[0]);
  EXPECT_EQ(p[2], 9.0);
  double q[8] = {1.5, 0.2, 4.0, 2.0, 9.0, 8.0, 0, 0};
  PSIMATASCE(&sand, &two, &loc, q, m.s.data(), x, work, dval);
  EXPECT_DOUBLE_EQ(q[0], 0.5 * 1.5 * 4.0 * 3.0 * 3.0 + 2.0 * 7.0 * 0.2 * 3.0);
  EXPECT_DOUBLE_EQ(q[1], 2.0 * 7.0 * 2.0 * 3.0);
  EXPECT_EQ(q[2], 9.0);
  EXPECT_EQ(q[3], 8.0);
  double r[8] = {1.5, 0.25, 0, 0, 0, 0, 0, 0};
  PSIMATASCE(&clay, &three, &loc, r, m.s.data(), x, work, dval);
  EXPECT_DOUBLE_EQ(r[0], 2.0 * 1.5 * 5.0);
  EXPECT_EQ(r[2], 0.25);
  // The table's values t1 = 2, t3 = 5, t4 = 3, t7 = 7 and the caller's c1 ... on entry.
  const struct {
    Int soil, dir;
    double want[4];
  } rows[] = {
      {3, 1, {3.14159265358979 * 1.5 * 0.2 * 4.0, 3.14159265358979 * 1.5 * 0.2 * 4.0, 2.0, 2.0}},
      {3, 2, {2.0 * 1.5 * 5.0, 2.0 * 0.2 * 5.0, 4.0, 2.0}},
      {4, 3, {2.0 * 7.0 * 1.5 * 3.0, 2.0 * 7.0 * 1.5 * 3.0, 0.2, 0.2}},
      {5, 2, {0, 0, 0, 0}},
      {3, 4, {0, 0, 0, 0}},
  };
  for (const auto& row : rows) {
    double c[8] = {1.5, 0.2, 4.0, 2.0, 9.0, 8.0, 0.5, 0};
    PSIMATASCE(&row.soil, &row.dir, &loc, c, m.s.data(), x, work, dval);
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(c[i], row.want[i]) << row.soil << " " << row.dir << " " << i;
  }
}

}  // namespace
