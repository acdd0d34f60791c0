// The element verification loop of a sensitivity run: every supported element is set up and
// handed to the verification manipulator with its nodal data.
#include <algorithm>
#include <array>

#include "runtime/address_space.h"
#include "runtime/record.h"
#include "sensitivity/drivers/slide_line_records.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/dm2/element_loops.h"
#include "siblings/dm2/element_memory.h"
#include "siblings/dm2/model_parts.h"
#include "siblings/dm2/node_packages.h"
#include "siblings/eqc/records.h"
#include "zmx/sensitivity.h"
#include "zmx/storage/records.h"

namespace {

constexpr Int kNodeData = 2;
constexpr Int kNodeValues = 6;
constexpr Int kNodeDerivatives = 33;
constexpr int kRequestWords = 62;

struct NodePackage {
  std::array<Int, kRequestWords> open{};
  std::array<Int, kRequestWords> close{};
  void request(Int id) {
    open[static_cast<std::size_t>(id - 1)] = 2;
    close[static_cast<std::size_t>(id - 1)] = 1;
  }
};

// Nodal variable id of the node (internal index), count reals; null when it has none.
const Real* nodal(const Int* pkg, Int node, Int id, Int count) {
  const Int address = ADB_GETVARNDR(pkg, &node, &id);
  return address ? mem32::at<Real>(address, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
}

std::vector<Int> nodesOf(Int element) {
  static constexpr Int kNodes = 1;
  Int count = 0;
  const Int word = ELEMACCESS(&kNodes, &element, &count);
  const Int* nodes = word && count > 0 ? mem32::at<Int>(word, static_cast<std::size_t>(count), dm2::kDataTag) : nullptr;
  return nodes ? std::vector<Int>(nodes, nodes + count) : std::vector<Int>{};
}

Int typeCode(Int element) {
  static constexpr Int kTypeRecord = 2;
  Int count = 0;
  const Int word = ELEMACCESS(&kTypeRecord, &element, &count);
  const Int* record = word && count > 0 ? mem32::at<Int>(word, 1, dm2::kDataTag) : nullptr;
  return record ? record[0] : -1;
}

}  // namespace

extern "C" {

void SHR_ELDSAVER(Real* x, const Real* y, const Int* dmap, const Int* n, const Int* elemdb) {
  static constexpr Int kModeOp = 1, kVerifyOp = 0, kNone = 0;
  const Int w7 = DSA_INT(&kVerifyOp, &kNone);
  Int operation = 22;
  if (rec::i(CDSAFLAGS, zmx::dsa_flags::kVerifyWithBitVector) != 1) {
    if (w7 != 0) return;
    operation = rec::i(CONTRO, 24) == 0 ? 5 : 9;
  }
  (void)DSA_INT(&kModeOp, &kNone);
  ADB_BVHDLOP(&operation, elemdb);

  const bool fromNodes = rec::i(CPROG, 1) > 0;
  NodePackage package;
  package.request(kNodeData);
  if (fromNodes) package.request(w7 == 1 ? kNodeDerivatives : kNodeValues);
  const Int nodedb = ADB_GETNDB(elemdb);
  const Int pkg = ADB_OPENNDPKG(&nodedb, package.open.data());

  static constexpr Int kNoInts = 0;
  static constexpr Int kParametersOp = 5;
  const Int parameters = DSA_INT(&kParametersOp, &kNone);
  const Int column = rec::i(CGM, 37), ld = rec::i(CGM, 4), perNode = rec::i(CGN, 8);
  const Int rows = *n;
  for (Int entry = 1; entry <= rec::i(CGN, 3); ++entry) {
    const Int element = ADB_ELEMGET(&entry);
    if (element == 0) continue;
    Int answer = 1;
    const Int type = typeCode(element);
    DSAELEMCHK(&type, &answer);
    if (answer != 0) continue;
    Int layout = ADB_ELEMOPEN(&element);
    if (layout == 0) continue;
    ELDSAFORMSTORAGE(&layout);
    Int work[15] = {};
    SHR_ELSET1(x, &layout, work, &pkg, &nodedb);
    const Int ndof = work[4];
    const std::vector<Int> nodes = nodesOf(element);
    const Int nodeCount = static_cast<Int>(nodes.size());
    if (!fromNodes) {
      ELDSAVERIF(&layout, nullptr, nullptr, &ndof, &kNoInts, &kNoInts, &parameters);
    } else {
      const Int sets = w7 == 1 ? parameters : 1;
      const Int reals = 2 * ndof * sets;
      Int buffer = ADB_MEMOPEN(&element, &reals);
      Real* values = buffer ? mem32::at<Real>(buffer, static_cast<std::size_t>(reals), dm2::kBlockTag) : nullptr;
      if (values != nullptr) {
        Real* first = values;
        Real* second = values + static_cast<std::size_t>(ndof) * static_cast<std::size_t>(sets);
        const Real* nodeArray = x + (rec::i(CELGI, 4) - 1);
        // The first count rows of the node's map column take the source's values.
        auto scatter = [&](Int r, Int p, const Real* source, Int count, Real* into) {
          for (Int c = 1; c <= count; ++c) {
            const Int d = dmap[(c - 1) + static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(rows)];
            if (d >= 1 && d <= ndof) into[(p - 1) * ndof + d - 1] = source[c - 1];
          }
        };
        if (w7 == 1) {
          static constexpr Int kOneValue = 1;
          for (Int p = 1; p <= parameters; ++p) {
            const Int off = rec::i(CNS, 10) + (p - 1) * ld;
            SHR_ELDSASETNPDBVEC(first + (p - 1) * ndof, &off, nodeArray, dmap, &ndof, &nodeCount, &rows, &kOneValue,
                                &column);
            // Variable 33 holds perNode values per parameter: the rows beyond them read nothing.
            for (Int r = 1; r <= nodeCount; ++r)
              if (const Real* g = nodal(&pkg, nodes[static_cast<std::size_t>(r - 1)], kNodeDerivatives, perNode * p))
                scatter(r, p, g + (p - 1) * perNode, std::min(rows, perNode), second);
          }
          ELDSAVERIF(&layout, first, second, &ndof, &rec::i(COUNT, 1), &rec::i(COUNT, 19), &parameters);
        } else {
          for (Int r = 1; r <= nodeCount; ++r) {
            scatter(r, 1, y + static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(column) + (rec::i(CNS, 2) - 1),
                    rows, first);
            if (const Real* v = nodal(&pkg, nodes[static_cast<std::size_t>(r - 1)], kNodeValues, rows))
              scatter(r, 1, v, rows, second);
          }
          ELDSAVERIF(&layout, first, second, &ndof, &rec::i(COUNT, 1), &rec::i(COUNT, 19), &kNoInts);
        }
      }
      if (buffer != 0) ADB_MEMCLOSE(&buffer);
    }
    ELDSADELSTORAGE();
    ADB_ELEMCLOSE(&layout);
  }
  ADB_CLOSENDPKG(&nodedb, package.close.data());
  static constexpr Int kEndLoop = 1;
  ADB_BVHDLOP(&kEndLoop, elemdb);
}

}  // extern "C"
