// Interpolation of tabular material data in one or several independent variables.
//
// A table record holds D, one dependence flag per variable, the row count R, the row length W
// (V values, then the D variables) and R rows, the first variable varying fastest. Values are held
// constant beyond both ends of a variable's range with a zero derivative; at an interior breakpoint
// the left interval is used.
//
// Several variables are reduced one at a time: the rows that share the values of all later
// variables form a run; each run is interpolated in the current variable and compacted into one
// row that carries the value, the derivatives found so far (interpolated in the later variables
// like the value) and the later variables. The first pass reads the caller's rows and writes one
// compacted row per run into the scratch the caller gives; later passes compact the scratch in
// place, front to back. The caller's rows are only read.

#include <algorithm>
#include <vector>

#include "model/support/model_report.h"
#include "runtime/record.h"
#include "zmx/model/materials.h"

namespace {

// Where one interpolation point falls among the rows lo..hi of a run: the value is
// (wlo * row(lo) + whi * row(hi)) * s and the slope (row(hi) - row(lo)) * s. A point held at a
// single row has lo = hi, wlo = 1, whi = 0, s = 1 and no slope.
struct Bracket {
  long lo = 0;
  long hi = 0;
  double wlo = 1.0;
  double whi = 0.0;
  double s = 1.0;
  bool sloped = false;

  double value(double a, double b) const { return (wlo * a + whi * b) * s; }
  double slope(double a, double b) const { return sloped ? (b - a) * s : 0.0; }
};

// The interval of xx among n abscissae x(k) = at(first + k), k = 0..n-1.
template <class At>
Bracket bracket(At at, long first, long n, double xx) {
  Bracket b;
  b.lo = b.hi = first;
  if (n <= 1 || xx < at(first)) return b;
  for (long i = first + 1; i < first + n; ++i) {
    const double xi = at(i);
    if (xx > xi) continue;
    const double xl = at(i - 1);
    b.lo = i - 1;
    if (xi == xl) {  // zero-length interval: the left row, no slope
      b.hi = i - 1;
      return b;
    }
    b.hi = i;
    b.s = 1.0 / (xi - xl);
    b.wlo = xi - xx;
    b.whi = xx - xl;
    b.sloped = true;
    return b;
  }
  b.lo = b.hi = first + n - 1;
  return b;
}

// A table of rows seen through its columns: column 0 the value, column m (1..D) variable m or,
// once variable m has been reduced, the derivative with respect to it.
struct Rows {
  const double* base;
  long stride;
  long valueColumn;
  long variableColumn;  // column of variable 1

  double at(long row, long column) const { return base[row * stride + offset(column)]; }
  long offset(long column) const { return column == 0 ? valueColumn : variableColumn + column - 1; }
};

// The reduction of one value in D variables. derivatives 1 carries only the derivative with
// respect to variable 1 (in column 1); derivatives D carries one per variable.
struct Reduction {
  long d;
  long derivatives;
  const double* x;
  double* scratch;  // rows of D + 1 reals, room for one row per run of the first pass
};

bool sameLaterVariables(const Rows& t, long a, long b, long j, long d) {
  for (long m = j + 1; m <= d; ++m)
    if (t.at(a, m) != t.at(b, m)) return false;
  return true;
}

constexpr long kTracked = 64;  // variables whose reduction is remembered; more are never met

// Reduces variable j over the rows of 'from' into 'to' (which may be the same storage, laid out
// as scratch rows); returns the number of rows left. 'reducedBefore' tells which columns below j
// already hold derivatives.
long reduceVariable(const Rows& from, long rows, double* to, const Reduction& r, long j, const bool* reducedBefore) {
  const long width = r.d + 1;
  long out = 0;
  for (long start = 0; start < rows; ++out) {
    long end = start + 1;
    while (end < rows && sameLaterVariables(from, start, end, j, r.d)) ++end;
    const Bracket b = bracket([&](long i) { return from.at(i, j); }, start, end - start, r.x[j - 1]);
    // Every output column is formed from rows lo and hi before it is written, so writing row
    // 'out' (never past 'start') is safe when 'to' is the storage being read.
    double* row = to + out * width;
    const double slope = b.slope(from.at(b.lo, 0), from.at(b.hi, 0));
    const long carried = std::min(j - 1, r.derivatives);
    for (long m = 1; m <= carried; ++m)
      row[m] = m < kTracked && reducedBefore[m] ? b.value(from.at(b.lo, m), from.at(b.hi, m)) : 0.0;
    row[0] = b.value(from.at(b.lo, 0), from.at(b.hi, 0));
    if (j <= r.derivatives) row[j] = slope;
    for (long m = j + 1; m <= r.d; ++m) row[m] = from.at(start, m);
    start = end;
  }
  return out;
}

// Value and derivatives of one value column of a table; flags(j) false skips variable j.
// ---- Direct evaluation ----------------------------------------------------------------------------
//
// When every variable is reduced, the result depends only on the runs that bracket the point in
// each variable; they are found from the top variable down by binary and galloping searches over
// the ordered rows, and combined with the same arithmetic the run-by-run reduction uses. The cost
// is logarithmic in the table instead of linear.

constexpr long kDirectVariables = 8;

// First row r in [lo, hi) with column value >= x (the column ascends over [lo, hi)).
long lowerBound(const Rows& t, long column, long lo, long hi, double x) {
  const double* c = t.base + t.offset(column);
  // Written without a branch on the comparison, which the data make unpredictable.
  for (long n = hi - lo; n > 0;) {
    const long half = n / 2;
    const bool below = c[(lo + half) * t.stride] < x;
    lo = below ? lo + half + 1 : lo;
    n = below ? n - half - 1 : half;
  }
  return lo;
}

// End of the run of rows equal to row start in the column, searched forward up to limit.
long runEnd(const Rows& t, long column, long start, long limit) {
  const double v = t.at(start, column);
  long known = start, step = 1, hi = limit;
  while (known + step < limit) {
    if (t.at(known + step, column) != v) {
      hi = known + step;
      break;
    }
    known += step;
    step *= 2;
  }
  for (long lo = known + 1; lo < hi;) {
    const long mid = lo + (hi - lo) / 2;
    if (t.at(mid, column) == v)
      lo = mid + 1;
    else
      hi = mid;
  }
  return hi;
}

// Start of the run of rows equal to row last in the column, searched backward down to floor.
long runStart(const Rows& t, long column, long last, long floor) {
  const double v = t.at(last, column);
  long known = last, step = 1, lo = floor;
  while (known - step >= floor) {
    if (t.at(known - step, column) != v) {
      lo = known - step + 1;
      break;
    }
    known -= step;
    step *= 2;
  }
  for (long hi = known; lo < hi;) {
    const long mid = lo + (hi - lo) / 2;
    if (t.at(mid, column) == v)
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

// Value (out[0]) and derivatives in variables 1..j (out[1..j]) over the rows [a, b), which share
// variables j + 1 to D.
void evaluateRuns(const Rows& t, long j, long a, long b, const double* x, double* out) {
  const double xx = x[j - 1];
  if (j == 1) {
    // Rows are the units: the one-variable rule.
    Bracket br;
    br.lo = br.hi = a;
    if (b - a > 1 && xx >= t.at(a, 1)) {
      const long i = lowerBound(t, 1, a + 1, b, xx);
      if (i == b) {
        br.lo = br.hi = b - 1;
      } else {
        const double xi = t.at(i, 1), xl = t.at(i - 1, 1);
        br.lo = br.hi = i - 1;
        if (xi != xl) {
          br.hi = i;
          br.s = 1.0 / (xi - xl);
          br.wlo = xi - xx;
          br.whi = xx - xl;
          br.sloped = true;
        }
      }
    }
    out[0] = br.value(t.at(br.lo, 0), t.at(br.hi, 0));
    out[1] = br.slope(t.at(br.lo, 0), t.at(br.hi, 0));
    return;
  }
  // Units are the runs of equal variable j. The unit at or above the point is found first; only a
  // point at or below the first unit needs that unit's end.
  long p = lowerBound(t, j, a, b, xx);
  if (p == a) {
    const long firstEnd = runEnd(t, j, a, b);
    if (firstEnd == b || xx < t.at(a, j)) {
      evaluateRuns(t, j - 1, a, firstEnd, x, out);
      out[j] = 0.0;
      return;
    }
    p = firstEnd;
  }
  if (p == b) {
    evaluateRuns(t, j - 1, runStart(t, j, b - 1, a), b, x, out);
    out[j] = 0.0;
    return;
  }
  const double xi = t.at(p, j), xl = t.at(p - 1, j);
  // Units of a full grid have one length: the unit below is tried at the length of the unit above
  // before it is searched for.
  const long highEnd = runEnd(t, j, p, b), guess = p - (highEnd - p);
  const bool guessed = guess >= a && t.at(guess, j) == xl && (guess == a || t.at(guess - 1, j) != xl);
  double low[kDirectVariables + 1];
  evaluateRuns(t, j - 1, guessed ? guess : runStart(t, j, p - 1, a), p, x, low);
  if (xi == xl) {
    std::copy_n(low, j, out);
    out[j] = 0.0;
    return;
  }
  double high[kDirectVariables + 1];
  evaluateRuns(t, j - 1, p, highEnd, x, high);
  Bracket br;
  br.s = 1.0 / (xi - xl);
  br.wlo = xi - xx;
  br.whi = xx - xl;
  br.sloped = true;
  for (long m = 1; m < j; ++m) out[m] = br.value(low[m], high[m]);
  out[0] = br.value(low[0], high[0]);
  out[j] = br.slope(low[0], high[0]);
}

template <class Flag>
void reduce(const Rows& source, long rows, const Reduction& r, Flag flag, double* value, double* derivative,
            long derivativeStride) {
  bool everyVariable = r.d >= 1 && r.d <= kDirectVariables;
  for (long j = 1; j <= r.d && everyVariable; ++j) everyVariable = flag(j);
  if (everyVariable) {
    double out[kDirectVariables + 1];
    evaluateRuns(source, r.d, 0, rows, r.x, out);
    *value = out[0];
    for (long m = 1; m <= r.derivatives; ++m) derivative[(m - 1) * derivativeStride] = out[m];
    return;
  }
  bool reduced[kTracked] = {};
  const long tracked = std::min(r.d, kTracked - 1);
  Rows current = source;
  bool inScratch = false;
  for (long j = 1; j <= r.d; ++j) {
    if (!flag(j)) continue;
    rows = reduceVariable(current, rows, r.scratch, r, j, reduced);
    if (j <= tracked) reduced[j] = true;
    if (!inScratch) {
      current = Rows{r.scratch, r.d + 1, 0, 1};
      inScratch = true;
    }
  }
  *value = current.at(0, 0);
  for (long m = 1; m <= r.derivatives; ++m)
    derivative[(m - 1) * derivativeStride] = inScratch && m <= tracked && reduced[m] ? current.at(0, m) : 0.0;
}

// The header of a table record: D, flags, R, W; rows from slot D + 4.
struct TableHeader {
  long d;
  long rows;
  long width;
  long values;
};

TableHeader header(const void* itab) {
  TableHeader h{};
  h.d = std::max<Int>(rec::slotI(itab, 1), 0);
  h.rows = rec::slotI(itab, h.d + 2);
  h.width = rec::slotI(itab, h.d + 3);
  h.values = h.width - h.d;
  return h;
}

const double* rowsOf(const double* tab, const TableHeader& h) { return tab + h.d + 3; }

void holdFirstRow(const double* rows, long values, double* val, double* dval, long derivatives) {
  for (long k = 0; k < values; ++k) val[k] = rows != nullptr ? rows[k] : 0.0;
  std::fill(dval, dval + values * derivatives, 0.0);
}

// All values of a table record and their derivatives (one variable, or every variable).
void tableValues(const Int* itab, const double* tab, double* val, const double* x, double* work, double* dval,
                 bool everyVariable) {
  const TableHeader h = header(itab);
  const double* rows = rowsOf(tab, h);
  const long derivatives = everyVariable ? h.d : 1;
  if (h.values < 1) return;
  if (h.rows < 1) return holdFirstRow(nullptr, h.values, val, dval, derivatives);
  if (h.rows == 1 || h.d == 0) return holdFirstRow(rows, h.values, val, dval, derivatives);
  if (h.d == 1) {
    const Int w = static_cast<Int>(h.width), v = static_cast<Int>(h.values), r = static_cast<Int>(h.rows);
    TABINT(rows, val, x, &w, &v, &r, dval);
    return;
  }
  const Reduction red{h.d, everyVariable ? h.d : 1, x, work};
  const auto flag = [itab](long j) { return rec::slotI(itab, j + 1) != 0; };
  for (long k = 0; k < h.values; ++k) {
    const Rows source{rows, h.width, k, h.values};
    reduce(source, h.rows, red, flag, &val[k], &dval[k], h.values);
  }
}

}  // namespace

extern "C" {

void TABINT(const Real* tab, Real* val, const Real* xx, const Int* w, const Int* v, const Int* r, Real* dval) {
  const long width = *w, values = std::max<Int>(*v, 0);
  const Bracket b = bracket([&](long i) { return tab[i * width + values]; }, 0, std::max<Int>(*r, 1), *xx);
  const Real* lo = tab + b.lo * width;
  const Real* hi = tab + b.hi * width;
  for (long k = 0; k < values; ++k) {
    val[k] = b.value(lo[k], hi[k]);
    dval[k] = b.slope(lo[k], hi[k]);
  }
}

void TABINT1(Real* sub, Real* val, const Real* x, const Int* d, const Int* r, Real* dval, const Int* itab,
             Real* work) {
  const long variables = std::max<Int>(*d, 0);
  if (*r < 1) return;
  const Reduction red{variables, 1, x, work};
  const Rows source{sub, variables + 1, 0, 1};
  reduce(source, *r, red, [itab](long j) { return rec::slotI(itab, j + 1) != 0; }, val, dval, 1);
}

void TABINT2(Real* sub, Real* val, const Real* x, const Int* d, const Int* v, const Int* r, Real* dval,
             const Int* k, const Int* itab, Real* scratch1, Real* /*scratch2*/, Real* /*scratch3*/) {
  const long variables = std::max<Int>(*d, 0);
  if (*r < 1 || *k < 1) return;
  // The run tables of every pass fit in the first scratch area; the other two are not needed.
  const Reduction red{variables, variables, x, scratch1};
  const Rows source{sub, variables + 1, 0, 1};
  reduce(source, *r, red, [itab](long j) { return rec::slotI(itab, j + 1) != 0; }, &val[*k - 1], &dval[*k - 1],
         *v);
}

void TABVAL(const Int* itab, const Real* tab, Real* val, const Real* x, Real* work, Real* dval) {
  tableValues(itab, tab, val, x, work, dval, false);
}

void TABVAL2(const Int* itab, const Real* tab, Real* val, const Real* x, Real* work, Real* dval) {
  tableValues(itab, tab, val, x, work, dval, true);
}

void TABVAL3(const void* ivars, const Int* /*unused*/, const Real* tab, const Int* r, const Int* w, Real* val,
             const Int* k, const Int* v, const Real* x, const Int* d) {
  if (*r < 1 || *k < 1) return;
  const long variables = std::max<Int>(*d, 0);
  if (*r == 1 || variables == 0) {
    *val = tab[*k - 1];
    return;
  }
  // One compacted row per run of the first pass at most: on the stack for usual tables.
  constexpr long kStackReals = 4096;
  double stack[kStackReals];
  std::vector<double> heap;
  double* scratch = stack;
  const long need = static_cast<long>(*r) * (variables + 1);
  if (need > kStackReals) {
    if (!zmx::model::withMemory([&] { heap.resize(static_cast<std::size_t>(need)); })) return;
    scratch = heap.data();
  }
  const Reduction red{variables, 1, x, scratch};
  const Rows source{tab, *w, *k - 1, *v};
  double derivative = 0.0;
  reduce(source, *r, red, [ivars](long j) { return rec::slotI(ivars, 6 + j) == 1; }, val, &derivative, 1);
}

}  // extern "C"
