// Element set-up for sensitivity work: the element's degree-of-freedom list and map, its node
// data, the counts of its degrees of freedom by kind, and the scatter of nodal vectors.
#include <algorithm>
#include <array>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "sensitivity/drivers/slide_line_records.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/eqc/records.h"
#include "zmx/model.h"
#include "zmx/sensitivity.h"
#include "zmx/storage.h"

namespace {

constexpr Int kNodeOrderVariable = 53;
constexpr Int kNodeData = 2;

// Order of the eight nodes of family 216 by the element's integer variable 53.
constexpr std::array<std::array<Int, 8>, 4> kNodeOrder = {{{1, 2, 3, 4, 5, 6, 7, 8},
                                                           {1, 2, 3, 4, 5, 6, 7, 8},
                                                           {1, 4, 8, 5, 2, 3, 7, 6},
                                                           {1, 5, 6, 2, 4, 8, 7, 3}}};

// A list that ELEMACCESS hands back, as integers; empty when there is none.
std::vector<Int> elementList(Int operation, const Int* element) {
  Int count = 0;
  const Int word = ELEMACCESS(&operation, element, &count);
  if (word == 0 || count <= 0) return {};
  const Int* values = mem32::at<Int>(word, static_cast<std::size_t>(count), dm2::kDataTag);
  return values ? std::vector<Int>(values, values + count) : std::vector<Int>{};
}

Int nodeOrderRow(const Int* layout) {
  const Int word = GETVARIR(layout, &kNodeOrderVariable);
  const Int* value = word ? mem32::at<Int>(word, 1, dm2::kDataTag) : nullptr;
  const Int row = value ? *value : 0;
  return row >= 0 && row <= 3 ? row : 0;
}

// Kind (1 to 4) of a degree-of-freedom code; 0 for a code that is not counted.
struct Counter {
  const Int* P;
  bool marked;
  bool switched = false;

  Int word(int k) const { return P[k - 1]; }
  Int kind(Int code) {
    if (code < 8) return switched ? 2 : 1;
    if (code == 8) return kindOfCode8();
    if (code == 9) return 3;
    if (code >= 11 && code <= 30) return 4;
    return 0;
  }
  Int kindOfCode8() {
    if (word(62) >= 1) return 4;
    if (marked) return 1;
    if (word(4) < 100 && word(13) != 0 && !switched) {
      switched = true;
      const Int nodes = word(36), dimension = word(7);
      const bool second = nodes == 7 || (nodes == 4 && dimension == 2) || (dimension == 3 && (nodes == 11 || nodes == 8));
      return second ? 2 : 1;
    }
    switched = true;
    return 2;
  }
};

}  // namespace

extern "C" {

void SHR_ELDSASETNPDBVEC(Real* dst, const Int* off, const Real* src, const Int* map, const Int* stride,
                         const Int* nrow, const Int* ncol, const Int* nval, const Int* ld) {
  for (Int r = 1; r <= *nrow; ++r)
    for (Int c = 1; c <= *ncol; ++c) {
      const Int id = map[(c - 1) + static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(*ncol)];
      if (id <= 0 || id > *stride) continue;
      for (Int t = 1; t <= *nval; ++t)
        dst[(id - 1) + static_cast<std::size_t>(t - 1) * static_cast<std::size_t>(*stride)] =
            src[(*off + c - 1 + (t - 1) * *ncol - 1) + static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(*ld)];
    }
}

void SHR_ELSET1(Real* x, const Int* layout, Int* work, const Int* pkg, const Int* nodedb) {
  auto section = [x](int word) { return x + (rec::i(CELGI, word) - 1); };
  // The degree-of-freedom list and map are integer sections of the element work array.
  Int* edof = reinterpret_cast<Int*>(section(6));
  Int* dmap = reinterpret_cast<Int*>(section(100));
  const Int n = rec::i(CGN, 4), len = rec::i(CGN, 8);
  SHR_ELSET(section(4), edof, dmap, &n, section(3), section(30), layout, work, section(99), &len, pkg, nodedb);
}

void SHR_ELSET(Real* x, Int* edof, Int* dmap, const Int* n, Real* E, Real* E2, const Int* layout, Int* work, Real* w,
               const Int* len, const Int* pkg, const Int* nodedb) {
  static constexpr char kRoutine[] = "SHR_ELSET";
  Int section = 0, recordAddress = 0;
  const Int element = ELAYOACCESS(layout, &section, &recordAddress);
  // The element-type record is worked on in a copy: ELSEL writes its count into word 25.
  std::vector<Int> P = elementList(2, &element);
  if (P.size() < static_cast<std::size_t>(dm2::kTypeRecordWords)) return zmx::dsa::systemError(kRoutine);
  auto word = [&P](int k) -> Int& { return P[static_cast<std::size_t>(k - 1)]; };
  const std::vector<Int> slideLines = elementList(10, &element);
  const std::vector<Int> nodes = elementList(1, &element);
  const std::vector<Int> entries = elementList(13, &element);
  const Int room = rec::i(CGM, 41);
  if (recordAddress != 0) zmx::dsa::readRecord(recordAddress, E, room, kRoutine);

  // Degree-of-freedom list.
  const Int code = word(4);
  std::vector<Int> order(nodes.size());
  for (std::size_t j = 0; j < nodes.size(); ++j) order[j] = static_cast<Int>(j + 1);
  if (code == 216) {
    const auto& row = kNodeOrder[static_cast<std::size_t>(nodeOrderRow(layout))];
    Int count = 0;
    for (std::size_t j = 0; j < std::min<std::size_t>(8, nodes.size()); ++j) {
      const Int node = row[j];
      order[j] = node;
      for (Int t = 0; t < 3; ++t) {
        const std::size_t e = static_cast<std::size_t>((node - 1) * 3 + t);
        if (e < entries.size()) edof[count++] = entries[e];
      }
    }
    word(25) = count;
  } else {
    const Int count = std::min<Int>(word(25), static_cast<Int>(entries.size()));
    std::copy(entries.begin(), entries.begin() + std::max<Int>(count, 0), edof);
    if (code == 413) SHR_SUPACT(edof, &word(25), &word(9));
  }

  // Node records and node data, one column per node.
  const Int column = rec::i(CGM, 37);
  static constexpr Int kRead = 0;
  for (std::size_t j = 0; j < order.size(); ++j) {
    const Int node = nodes[static_cast<std::size_t>(order[j] - 1)];
    DBND(&kRead, x + j * static_cast<std::size_t>(column), &node);
    const Int address = ADB_GETVARNDR(pkg, &node, &kNodeData);
    const Real* data = address ? mem32::at<Real>(address, static_cast<std::size_t>(*len), dm2::kDataTag) : nullptr;
    if (data != nullptr) std::copy(data, data + *len, w + j * static_cast<std::size_t>(*len));
  }

  bool marked = false;
  if (code == 205 || code == 206) {
    Int count = 0;
    ELSEL(reinterpret_cast<const Int*>(E), edof, &word(9), &word(1), &count, &word(25));
    marked = true;
  } else if (code == 202) {
    Int count = 0;
    for (Int node = 0; node < word(36); ++node)
      for (Int d = 1; d <= 6; ++d) edof[count++] = 100 * node + d;
    word(25) = count;
  }

  // Map: row CLDOF(code) of the node's column takes the entry's position.
  const Int columns = word(66) + word(8);
  std::fill(dmap, dmap + static_cast<std::size_t>(std::max<Int>(*n, 0)) * static_cast<std::size_t>(std::max<Int>(columns, 0)), 0);
  Counter counter{P.data(), marked};
  Int kinds[5] = {0, 0, 0, 0, 0};
  for (Int e = 1; e <= word(25); ++e) {
    const Int d = edof[e - 1];
    const Int m = (d - 1) / 100 + 1;
    const Int l = d - 100 * (m - 1);
    if (l >= 1 && l <= 30) {
      const Int row = rec::i(CLDOF, l);
      if (row >= 1 && row <= *n && m >= 1 && m <= columns)
        dmap[(row - 1) + static_cast<std::size_t>(m - 1) * static_cast<std::size_t>(*n)] = e;
    }
    ++kinds[counter.kind(l)];
  }
  DOFCOUNT(work, &kinds[1], &kinds[2], &kinds[3], &kinds[4]);
  work[8] = word(33);
  work[10] = word(66);

  if (code != 410 && code != 413 && rec::i(CSLEF, 31) < rec::i(CSLEF, 13)) {
    static constexpr Int kAddress = 3;
    Int out = 0;
    const Int address = ELEMACCESS(&kAddress, &element, &out);
    if (address >= rec::i(CSLEF, 31) && address < rec::i(CSLEF, 13)) work[12] = word(31) == 0 && word(29) == 0 ? 1 : 2;
  }
  for (Int address : slideLines)
    if (address == rec::i(CSLES, 54) && address < rec::i(CSLES, 57) &&
        zmx::dsa::readRecord(address, E2, room, kRoutine))
      work[13] = rec::slotI(E2, 2);

  if (rec::i(CDSAFLAGS, zmx::dsa_flags::kUpdateNodes) == 1)
    for (std::size_t j = 0; j < order.size(); ++j) {
      const Int node = ADB_GETNODE(nodedb, &nodes[static_cast<std::size_t>(order[j] - 1)]);
      SHR_DSANMODIF(x + j * static_cast<std::size_t>(column), dmap + j * static_cast<std::size_t>(*n), &node);
    }
}

}  // extern "C"
