// Filling CDWSP: the word layout and the helpers that element and nodal descriptors share.
#pragma once

#include <initializer_list>

#include "runtime/counts.h"
#include "runtime/fortran_types.h"

namespace zmx::descriptors {

inline constexpr int kCountWord = 1;
inline constexpr int kFirstSizeWord = 121;   // + entry
inline constexpr int kSecondSizeWord = 161;  // + entry
inline constexpr int kThirdSizeWord = 201;   // + entry
inline constexpr int kElementWord = 242;
inline constexpr int kWorkSpaceWord = 243;
inline constexpr Int kMaxEntries = 40;

using counts::Wide;

// Starts a fill: the element flag, the work-space difference (capped to a word), no entries,
// words 2 to 201 zero.
void clearForFill(Int isElement, Wide workSpaceDifference);
// Adds one entry with its three sizes, each held within 0 and the largest 4-byte integer; count is
// the running number of entries (word 1 follows it). An entry beyond the 40 slots of each size
// column writes no size and gives false.
bool addEntry(Int& count, Wide first, Wide second, Wide third);
// The first size of a vector entry: 2 in a two-dimensional model (CEOSZ word 12 at most 2), else 3.
Int vectorSize();
// The caller's counts an element variable's component count is made of; NTENS in 64 bits, since
// EJODBO forms it as NDI + NSHR.
struct ComponentArguments {
  Int ndi, nshr;
  Wide ntens;
  Int x7, x8, x9, x10, x11, etype;
};
// The component count of element variable `key` as ELOPS1 gives it (doubled where the run asks),
// in 64 bits before it is held within a word.
Wide elementComponents(Int key, const ComponentArguments& a, bool* ok = nullptr);
Int cldof(int word);
Int highestActive(int first, int last);
bool among(Int key, std::initializer_list<Int> keys);
bool within(Int key, Int low, Int high);

}  // namespace zmx::descriptors
