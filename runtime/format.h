// Formatted transfers: edit-descriptor formats, list-directed output and internal files.
//
// A format text such as "(1X,A,2E15.8)" is parsed once and cached by its text; `format` hands
// back the parsed form, which callers may keep (the cache lives as long as the process). The
// descriptors understood: nX, Tn, TLn, TRn, A and Aw, Iw and Iw.m, Fw.d, Ew.d, Ew.dEe, Dw.d, Gw.d,
// kP, quoted text ('...' or "..." with doubled quotes, parentheses and slashes allowed inside),
// nH text, "/", ":", repeat counts and nested groups. Output follows gfortran: a field too narrow
// for its value is filled with '*', an exponent beyond 99 drops its letter ("0.1+100"), the
// optional leading zero is dropped when the field has no room for it. When the items run out,
// output stops at the next data descriptor; when the format runs out with items left, a new record
// starts and the format reverts to the last top-level group (with its repeat count), or to the
// whole format when it has none. A malformed format gives kBadFormat, never a crash.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/fortran_types.h"
#include "runtime/units.h"

namespace fio {

class Format;

// The parsed form of the text, from the cache (parsed on first use).
ZMX_EXPORT const Format& format(std::string_view text);
// Whether the text parsed; a format that did not parse makes every transfer give kBadFormat.
ZMX_EXPORT bool isValid(const Format& f);

enum class ItemKind : unsigned char { Integer, Real, Chars };

// One item of an output list: a scalar, or `count` elements `stride` elements apart (a row of
// a column-major matrix has the leading dimension as its stride). Character elements are
// `length` characters each. Scalars are held by value, so temporaries are fine.
struct OutItem {
  ItemKind kind;
  const void* data = nullptr;  // null: the scalar held in value
  std::size_t count = 1;
  std::size_t length = 0;  // characters of each element (Chars)
  std::size_t stride = 1;  // in elements
  union {
    Int i;
    Real r;
  } value{};

  OutItem(Int v) : kind(ItemKind::Integer) { value.i = v; }  // NOLINT(google-explicit-constructor)
  OutItem(Real v) : kind(ItemKind::Real) { value.r = v; }    // NOLINT(google-explicit-constructor)
  OutItem(std::string_view s)                                  // NOLINT(google-explicit-constructor)
      : kind(ItemKind::Chars), data(s.data()), length(s.size()) {}
  OutItem(const char* s) : OutItem(std::string_view(s)) {}  // NOLINT(google-explicit-constructor)
  OutItem(ItemKind k, const void* p, std::size_t n, std::size_t len, std::size_t step)
      : kind(k), data(p), count(n), length(len), stride(step) {}
};

inline OutItem outArray(const Int* p, std::size_t n, std::size_t stride = 1) {
  return {ItemKind::Integer, p, n, 0, stride};
}
inline OutItem outArray(const Real* p, std::size_t n, std::size_t stride = 1) {
  return {ItemKind::Real, p, n, 0, stride};
}
// n character elements of `length` characters each, laid one after another.
inline OutItem outChars(const char* p, std::size_t n, std::size_t length) {
  return {ItemKind::Chars, p, n, length, 1};
}

// One item of an input list, read into caller memory.
struct InItem {
  ItemKind kind;
  void* data;
  std::size_t count = 1;
  std::size_t length = 0;
  std::size_t stride = 1;
};
inline InItem in(Int& v) { return {ItemKind::Integer, &v}; }
inline InItem in(Real& v) { return {ItemKind::Real, &v}; }
inline InItem in(char* p, std::size_t length) { return {ItemKind::Chars, p, 1, length, 1}; }
inline InItem inArray(Int* p, std::size_t n, std::size_t stride = 1) { return {ItemKind::Integer, p, n, 0, stride}; }
inline InItem inArray(Real* p, std::size_t n, std::size_t stride = 1) { return {ItemKind::Real, p, n, 0, stride}; }

using OutList = std::span<const OutItem>;
using InList = std::span<const InItem>;

// ---- external units ---------------------------------------------------------------------------

// Writes the items to the unit through the format (one or more records).
ZMX_EXPORT int write(Int unit, const Format& f, OutList items);
inline int write(Int unit, const Format& f, std::initializer_list<OutItem> items) {
  return write(unit, f, OutList(items.begin(), items.size()));
}
inline int write(Int unit, std::string_view formatText, std::initializer_list<OutItem> items) {
  return write(unit, format(formatText), items);
}

// List-directed output: one record that begins with a blank; texts as they are, integers
// right-aligned in 12 columns, reals in 26 columns as gfortran writes double precision. An empty
// list writes an empty record.
ZMX_EXPORT int writeList(Int unit, OutList items);
inline int writeList(Int unit, std::initializer_list<OutItem> items) {
  return writeList(unit, OutList(items.begin(), items.size()));
}

// Reads the items from the unit through the format. Iw, Fw.d, Ew.d, Dw.d, Gw.d read numbers
// (blanks are ignored, a field without a point takes d decimals), Aw and A read text.
ZMX_EXPORT int read(Int unit, const Format& f, InList items);
inline int read(Int unit, const Format& f, std::initializer_list<InItem> items) {
  return read(unit, f, InList(items.begin(), items.size()));
}

// ---- internal files ----------------------------------------------------------------------------

// An internal file is `records` records of `length` characters each, laid one after another in
// buffer. Writing pads each record with blanks; a record that would overflow gives kWriteFailed
// (what fits is written).
ZMX_EXPORT int writeInternal(char* buffer, Int length, Int records, const Format& f, OutList items);
inline int writeInternal(char* buffer, Int length, const Format& f, std::initializer_list<OutItem> items) {
  return writeInternal(buffer, length, 1, f, OutList(items.begin(), items.size()));
}
inline int writeInternal(char* buffer, Int length, Int records, const Format& f,
                         std::initializer_list<OutItem> items) {
  return writeInternal(buffer, length, records, f, OutList(items.begin(), items.size()));
}
ZMX_EXPORT int readInternal(const char* buffer, Int length, Int records, const Format& f, InList items);
inline int readInternal(const char* buffer, Int length, Int records, const Format& f,
                        std::initializer_list<InItem> items) {
  return readInternal(buffer, length, records, f, InList(items.begin(), items.size()));
}
inline int readInternal(const char* buffer, Int length, const Format& f, std::initializer_list<InItem> items) {
  return readInternal(buffer, length, 1, f, InList(items.begin(), items.size()));
}

// The records the format makes of the items, each as one string (no newlines).
ZMX_EXPORT std::vector<std::string> formatRecords(const Format& f, OutList items, int* iostat = nullptr);
inline std::vector<std::string> formatRecords(const Format& f, std::initializer_list<OutItem> items,
                                              int* iostat = nullptr) {
  return formatRecords(f, OutList(items.begin(), items.size()), iostat);
}

}  // namespace fio
