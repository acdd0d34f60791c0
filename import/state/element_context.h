// What the element-state readers share: the request for one state key of one class at the open
// increment, the class's stored blocks read segment by segment, the point group of the point
// ordinal, and the answer's place in the temporary package.
#pragma once

#include <vector>

#include "import/frame/block_views.h"

namespace zmx::imp {

inline constexpr int kNoState = 0;

// One request of ACC_SDB_ELEMKEY, as the kind routines receive it.
struct ClassRequest {
  Request& request;
  Words table;  // integer model table
  Words reals;  // real model table
  Int elementClass = 0;
  long long record = 0;  // table word of class-record word 1
  Int key = 0, point = 0;
  Int referenceSwitch = 0, thicknessSwitch = 0;
  Int K1 = 0, K2 = 0, K2second = 0;
  const float* summed = nullptr;       // K1 x K2: reference plus displacement
  const float* displacement = nullptr;  // K1 x K2: the displacement alone
  const float* firstRead = nullptr;    // K1 x K2: reference coordinates
  const float* secondState = nullptr;  // 4 x K2second: nodal quaternions (shells)
  Int* direct = nullptr;
  Int* shear = nullptr;
  Int* index = nullptr;  // package position, without the index offset
  Int* status = nullptr;

  Int CR(int word) const { return table.i(record + word - 1); }
  Int TR(int word) const { return table.i(0LL + CR(2) + word - 1); }
};

// The point group that holds the point ordinal: its number, the point within it and the table
// word of its 23-word record; group 0 when none.
struct GroupPick {
  Int group = 0, point = 0;
  long long record = 0;
};
GroupPick findGroup(const ClassRequest& r);

// The four stored blocks of a class (202 integers, 202 reals, 501, 502), each of its words per
// segment times the block multiplier, and the segment count and length.
struct ClassBlocks {
  explicit ClassBlocks(Request& request) : integers(request), domain(request), state(request), shared(request) {}
  Block integers, domain, state, shared;
  Int words[4] = {0, 0, 0, 0};
  Int segments = 0, length = 0;
  bool read(const ClassRequest& r);
  // Pointer to the rows of an array in segment s (from 0) of a block, checked to hold n x columns
  // words from offset; null (reported) otherwise.
  float* at(const Block& block, int which, Int segment, long long offset, long long words) const;
};

// The tables of a point group: its layout record (20 words at layout, word i at layout + i), its
// own table with the flag table F, its material record with the position table P, and its
// group variable table.
struct GroupTables {
  long long layout = 0, own = 0, material = 0, variables = 0, flags = 0, positions = 0;
};
// Reads them for the group and checks that every word the workers read lies in the model table
// (reported otherwise).
bool readGroupTables(const ClassRequest& r, long long layout, GroupTables& g);
// The number of stored state variables (key 6500) of the group's material.
Int stateVariableCount(const ClassRequest& r, const GroupTables& g);
// True when the point's 501 region lies in segment s and so does every material variable the
// material's routine reads for the key (widest words per variable), with the positions in extra
// read besides.
bool materialInside(const ClassRequest& r, const ClassBlocks& blocks, const GroupTables& g, Int segment,
                    long long point501, long long widest, const std::vector<int>& extra = {});
// The positions of the position table P (from 1) that the routine of a material code reads for a
// key, given its flag table F; none for a code without a routine.
std::vector<int> materialPositions(Int code, Int key, const Int* F);
// The keys whose values a point's material routine may form at a point ordinal (30000 only at
// points other than 0; 9302 only in shells): the only keys that read the material block.
bool readsMaterial(Int key, Int point);
// Keys 14001, 14002, 14004: component 1, 2 or 4 of a point array times a point factor (1 without).
void pointProduct(Int key, Int n, const float* values, const float* factor, float* out);

// True when the count local node numbers of a gather all name nodes 1 to nodes and the nodal
// blocks hold the components read of each node (K1 at least); reported otherwise.
bool gatherInside(const ClassRequest& r, const Int* numbers, long long count, Int nodes, Int components);

// Scratch blocks of the request, zero-filled.
bool makeScratch(Request& request, Block& block, long long words);

// The answer of c values per element for N elements in the temporary package, from the fill
// counter on: its start (null when no package is made or the values do not fit).
float* packageAnswer(const ClassRequest& r, long long words);
// Moves the fill counter on by the words of a served answer.
void advancePackage(long long words);

}  // namespace zmx::imp
