// What the line, shell, special and interface element routines share: element variables fetched
// with their size checked, the element's number and type record, messages with one integer, and
// small 3-vector arithmetic. Not exported.
#pragma once

#include <cmath>

#include "runtime/fortran_types.h"

namespace zmx_elements {

// Real (or integer) element variable id of the layout when it holds at least count values;
// null otherwise, so that nothing is written past a variable.
Real* realVariable(Int layout, Int id, Int count);
Int* integerVariable(Int layout, Int id, Int count);
// The k-th sub-layout of the element (GETSUBLAYOUT operation 0).
Int subLayout(Int element, Int k);

// The element's layout, user element number and a zero-padded copy of its type record.
struct ElementView {
  Int layout = 0;
  Int number = 0;
  Int recordLength = 0;  // what ELEMACCESS operation 2 writes beside the record
  Int slideLine = 0;     // the second output of ELAYOACCESS
  Int rec[80] = {};
};
ElementView viewElement(Int handle);
// The same from a layout handle (without ELAYOACCESS).
ElementView viewLayout(Int layout);

// A message at the level whose "%I" takes the value (KVXERR, or KVXNERR when a key is filed).
void message(Int level, const char* text, Int value);
// KVXNERR with the value, then the entity filed under the message key.
void messageFiled(Int level, const char* text, Int value, Int entity, Int key);

// Coordinate r (from 1) of node j (from 1) of X with leading dimension ld.
inline Real& at(Real* X, Int ld, int r, int j) { return X[static_cast<long long>(ld) * (j - 1) + (r - 1)]; }
inline Real at(const Real* X, Int ld, int r, int j) { return X[static_cast<long long>(ld) * (j - 1) + (r - 1)]; }

struct V3 {
  Real x = 0.0, y = 0.0, z = 0.0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(Real s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline Real dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline Real norm(V3 a) { return std::sqrt(dot(a, a)); }
// Rows first..first+2 of node j.
inline V3 column(const Real* X, Int ld, int j, int first = 1) {
  return {at(X, ld, first, j), at(X, ld, first + 1, j), at(X, ld, first + 2, j)};
}
inline void store(V3 v, Real* out) {
  out[0] = v.x;
  out[1] = v.y;
  out[2] = v.z;
}
inline V3 load(const Real* p) { return {p[0], p[1], p[2]}; }
// v / |v|, or v unchanged when its squared length is at most 1e-36.
inline V3 unitOrSame(V3 v) {
  const Real q = dot(v, v);
  return q > 1.0e-36 ? (1.0 / std::sqrt(q)) * v : v;
}

}  // namespace zmx_elements
