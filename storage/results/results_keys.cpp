// The key table of the ASCII results form and the item layout of each record class.
#include <array>
#include <cstdint>

#include "siblings/eqc/eqc_arrays.h"
#include "storage/results/results_internal.h"

namespace zmx::results {
namespace {

constexpr int kHighestKey = 2001;
constexpr std::uint8_t kAbsent = 0xFF;

struct KeyRun {
  int first, last, keyClass;
};

// Every key of the table by class; a run stands for first..last.
constexpr KeyRun kKeyRuns[] = {
    // class 0: a layout of its own per key
    {1, 1, 0}, {22, 22, 0}, {31, 31, 0}, {45, 45, 0}, {463, 463, 0}, {473, 473, 0}, {499, 499, 0},
    {1001, 1001, 0}, {1041, 1041, 0}, {1501, 1501, 0}, {1503, 1503, 0}, {1580, 1581, 0}, {1601, 1605, 0},
    {1608, 1608, 0}, {1900, 1900, 0}, {1910, 1911, 0}, {1921, 1922, 0}, {1931, 1931, 0}, {1933, 1933, 0},
    {1940, 1940, 0}, {1991, 1993, 0}, {1995, 1996, 0}, {2000, 2001, 0},
    // class 1
    {2, 2, 1}, {5, 6, 1}, {8, 9, 1}, {11, 14, 1}, {16, 21, 1}, {23, 30, 1}, {32, 32, 1}, {35, 36, 1},
    {38, 44, 1}, {46, 66, 1}, {70, 79, 1}, {83, 83, 1}, {85, 91, 1}, {94, 97, 1}, {231, 236, 1},
    {301, 303, 1}, {305, 310, 1}, {401, 416, 1}, {421, 425, 1}, {441, 449, 1}, {462, 462, 1}, {464, 464, 1},
    {475, 475, 1}, {495, 498, 1}, {500, 526, 1}, {1011, 1012, 1}, {1021, 1022, 1}, {1031, 1031, 1},
    {1511, 1511, 1}, {1521, 1550, 1}, {1570, 1578, 1}, {1582, 1592, 1}, {1606, 1607, 1}, {1999, 1999, 1},
    // class 2
    {10, 10, 2}, {15, 15, 2}, {101, 139, 2}, {145, 145, 2}, {201, 201, 2}, {204, 204, 2}, {206, 206, 2},
    {214, 214, 2}, {221, 221, 2}, {237, 237, 2}, {426, 427, 2}, {1042, 1042, 2}, {1901, 1901, 2},
    {1980, 1980, 2},
    // class 3
    {1002, 1005, 3}, {1043, 1043, 3}, {1502, 1502, 3}, {1504, 1504, 3}, {1609, 1610, 3}, {1902, 1902, 3},
    {1932, 1932, 3}, {1934, 1934, 3}, {1990, 1990, 3},
    // class 4
    {3, 4, 4}, {7, 7, 4}, {33, 34, 4}, {1032, 1032, 4},
    // class 7
    {304, 304, 7},
};

constexpr auto kClassOfKey = [] {
  std::array<std::uint8_t, kHighestKey + 1> table{};
  table.fill(kAbsent);
  for (const KeyRun& run : kKeyRuns)
    for (int key = run.first; key <= run.last; ++key) table[static_cast<std::size_t>(key)] = static_cast<std::uint8_t>(run.keyClass);
  return table;
}();

constexpr int countKeys() {
  int n = 0;
  for (std::uint8_t c : kClassOfKey) n += c != kAbsent ? 1 : 0;
  return n;
}
static_assert(countKeys() == 321, "the key table lists 321 keys");

// Items first..last (inclusive) of a run; last may count from the end of the record.
struct Run {
  char tag;
  int first;
  int last;  // > 0: an item number; <= 0: L + last
};

constexpr int fromEnd(int back) { return -back; }
constexpr int kToEnd = 0;

char tagOfRuns(std::initializer_list<Run> runs, Int length, Int item) {
  for (const Run& run : runs) {
    const int last = run.last > 0 ? run.last : length + run.last;
    if (item >= run.first && item <= last) return run.tag;
  }
  return kRealTag;
}

constexpr char I = kIntegerTag, D = kRealTag, A = kTextTag;

// Tail items (counted from the end) go before the runs they cut short.
char ownLayoutTag(Int key, Int length, Int item, const Real* record) {
  switch (key) {
    case 1: return tagOfRuns({{I, 1, 6}, {A, 7, 7}, {I, 8, kToEnd}}, length, item);
    case 22:
      if (item == length) return D;
      return tagOfRuns({{I, 1, 2}, {A, length - 1, length - 1}, {D, 3, fromEnd(2)}}, length, item);
    case 31: return tagOfRuns({{I, 1, 2}, {A, 3, 3}, {D, 4, kToEnd}}, length, item);
    case 45:
      if (item <= 2) return I;
      return item >= 4 && item <= 10 && item % 2 == 0 ? A : D;
    case 463: return tagOfRuns({{I, 1, 2}, {A, length - 1, length}, {D, 3, fromEnd(2)}}, length, item);
    case 473: return tagOfRuns({{I, 1, 2}, {D, 3, 3}, {A, 4, 4}}, length, item);
    case 499:
    case 1922: return tagOfRuns({{I, 1, 2}, {A, 3, kToEnd}}, length, item);
    case 1001:
    case 1041:
    case 1602:
    case 1900: return tagOfRuns({{I, 1, 3}, {A, 4, 4}, {I, 5, kToEnd}}, length, item);
    case 1501: {
      Int selector = 0;
      const bool allIntegers = length >= 5 && integerOfWord(record + 4, selector) && selector == 2;
      if (allIntegers) return tagOfRuns({{I, 1, 2}, {A, 3, 3}, {I, 4, kToEnd}}, length, item);
      return tagOfRuns({{I, 1, 2}, {A, 3, 3}, {I, 4, 7}, {A, 8, kToEnd}}, length, item);
    }
    case 1503:
    case 1580:
    case 1601:
    case 1603:
    case 1605:
    case 1608:
    case 1911:
    case 1940: return tagOfRuns({{I, 1, 3}, {A, 4, kToEnd}}, length, item);
    case 1581: return tagOfRuns({{I, 1, 2}, {A, 3, 3}, {I, 4, 5}, {D, 6, kToEnd}}, length, item);
    case 1604: return tagOfRuns({{I, 1, 4}, {D, 5, kToEnd}}, length, item);
    case 1910: return tagOfRuns({{I, 1, 4}, {A, 5, 5}, {I, 6, kToEnd}}, length, item);
    case 1921:
      if (item == length) return item <= 2 ? I : D;
      return tagOfRuns({{I, 1, 2}, {I, length - 2, length - 1}, {A, 3, fromEnd(3)}}, length, item);
    case 1931:
    case 1933: return tagOfRuns({{I, 1, 2}, {A, 3, 3}, {I, 4, kToEnd}}, length, item);
    case 1991:
    case 1992: return tagOfRuns({{I, 1, 3}, {A, 4, 4}, {I, 5, 5}, {D, 6, kToEnd}}, length, item);
    case 1993: return tagOfRuns({{I, 1, 3}, {A, 4, 5}, {I, 6, 8}, {D, 9, kToEnd}}, length, item);
    case 2000: return tagOfRuns({{I, 1, 2}, {D, 3, 6}, {I, 7, 10}, {D, 11, 13}, {A, 14, kToEnd}}, length, item);
    default:  // 1995 and 1996 have no layout of their own: written as class 1
      return tagOfRuns({{I, 1, 2}}, length, item);
  }
}

}  // namespace

int keyClass(Int key) {
  if (key < 0 || key > kHighestKey) return kNoClass;
  const std::uint8_t c = kClassOfKey[static_cast<std::size_t>(key)];
  return c == kAbsent ? kNoClass : c;
}

char itemTag(Int key, int keyClass, Int length, Int item, const Real* record) {
  if (item <= 2) return I;  // the length and the key
  switch (keyClass) {
    case 1: return D;
    case 2: return item <= 3 ? I : D;
    case 3: return I;
    case 4: return item == 3 ? A : D;
    case 7: return item <= 3 ? I : (item == length ? A : D);
    default: return ownLayoutTag(key, length, item, record);  // class 0: no key has class 5 or 6
  }
}

}  // namespace zmx::results
