// Queries of the contact search trees: the facets whose leaf boxes hold a point (breadth-first),
// and the facets of the boxes nearest to it (level by level, keeping every box no farther than the
// far corner of the level's nearest box). The deformable tree is held by the process in compact
// per-node arrays; a rigid tree is read in place from the caller's block. The queue and distance
// arrays live on between calls and are made again only for a larger tree.

#include <cmath>
#include <cstring>

#include "geometry/support/geometry_report.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "contact/search/search_stamps.h"
#include "zmx/contact/search.h"

namespace {

constexpr Real kFar = 1e36;

// A temporary block of 8-byte words and its address word (0: none).
struct Block {
  Int word = 0;
  Int words = 0;
};

bool make(Block& b, Int words) {
  b.word = RDM_ALLOCATETEMPORARY(&words);
  b.words = b.word != 0 ? words : 0;
  return b.word != 0;
}

void release(Block& b) {
  if (b.word != 0) RDM_RELEASETEMPORARY(&b.word);
  b = Block{};
}

template <class T>
T* data(const Block& b) {
  return b.word == 0 ? nullptr : mem32::at<T>(b.word, static_cast<std::size_t>(b.words) * 8 / sizeof(T));
}

// A queue of node numbers (two to a word) and a real per node, kept for trees of up to capacity nodes.
struct Scratch {
  Block queue, distances;
  bool ready(Int count, bool withDistances) {
    if (queue.word == 0 || (queue.words - 0) * 2 < count) {
      release(queue);
      if (!make(queue, (count - 1) / 2 + 1)) return false;
    }
    if (withDistances && (distances.word == 0 || distances.words < count)) {
      release(distances);
      if (!make(distances, count)) return false;
    }
    return true;
  }
  void clear() {
    release(queue);
    release(distances);
  }
};

// The deformable tree: links (parent, next sibling, first child, leaf facet) and boxes per node.
struct DeformableTree {
  Int count = 0;
  Block links, boxes;
  Scratch scratch;
  void clear() {
    release(links);
    release(boxes);
    scratch.clear();
    count = 0;
  }
};

constinit DeformableTree gDeformable{};
constinit Scratch gRigid{};

// What the walks read of a node.
struct CompactNodes {
  const Int* links;
  const Real* boxes;
  Int sibling(Int r) const { return links[4 * (r - 1) + 1]; }
  Int child(Int r) const { return links[4 * (r - 1) + 2]; }
  Int leaf(Int r) const { return links[4 * (r - 1) + 3]; }
  const Real* box(Int r) const { return boxes + 6 * (r - 1); }
  void prefetch(Int r) const {
    __builtin_prefetch(links + 4 * (r - 1));
    __builtin_prefetch(box(r));
  }
};

struct RecordNodes {
  const Real* records;
  Int length;
  Int word(Int r, int k) const { return rec::slotI(records, static_cast<long long>(r - 1) * length + k); }
  Int sibling(Int r) const { return word(r, 2); }
  Int child(Int r) const { return word(r, 3); }
  Int leaf(Int r) const { return word(r, 10); }
  const Real* box(Int r) const { return records + static_cast<long long>(r - 1) * length + 3; }
  void prefetch(Int r) const {
    const Real* first = records + static_cast<long long>(r - 1) * length;
    __builtin_prefetch(first);
    __builtin_prefetch(first + length - 1);
  }
};

// A walk's queue with the checks that keep it inside a malformed tree.
struct Queue {
  Int* entries;
  Int count;     // nodes of the tree: links and the queue's length stay within it
  Int size = 0;
  bool valid = true;
  bool push(Int r) {
    if (r < 1 || r > count || size >= count) return valid = false;
    entries[size++] = r;
    return true;
  }
};

// Appends the node's children to the queue.
template <class Nodes>
bool pushChildren(const Nodes& t, Queue& q, Int r) {
  Int pushed = 0;
  for (Int c = t.child(r); c != 0; c = t.sibling(c)) {
    if (!q.push(c) || ++pushed > q.count) return q.valid = false;
  }
  return true;
}

bool inside(const Real* box, const Real* p, bool withZ) {
  for (int i = 0; i < (withZ ? 3 : 2); ++i)
    if (!(box[i] <= p[i] && p[i] <= box[3 + i])) return false;
  return true;
}

// Every node's box is tested as the node is met, in breadth-first order: only inner nodes whose
// boxes hold the point join the queue, and a leaf's facet is taken at once (the order a queue of
// every node would give).
template <class Nodes>
bool containing(const Nodes& t, Int count, const Real* p, Int dimension, Int* queue, Int* items, Int* itemCount) {
  Queue q{queue, count};
  const bool withZ = dimension != 2;
  const auto meet = [&](Int r) {
    if (r < 1 || r > count) return q.valid = false;
    if (!inside(t.box(r), p, withZ)) return true;
    if (t.leaf(r) == 0) return q.push(r);
    items[(*itemCount)++] = t.leaf(r);
    return true;
  };
  meet(1);
  for (Int k = 0; k < q.size && q.valid; ++k) {
    const Int r = q.entries[k];
    // The build makes a node's children (up to four) one after another: fetching them together
    // saves following the sibling links one memory wait at a time.
    const Int first = t.child(r);
    for (Int c = first; c >= 1 && c <= count && c < first + 4; ++c) t.prefetch(c);
    Int met = 0;
    for (Int c = first; c != 0 && q.valid; c = t.sibling(c))
      if (!meet(c) || ++met > count) q.valid = false;
  }
  return q.valid;
}

template <class Nodes>
bool nearest(const Nodes& t, Int count, const Real* p, Int dimension, Int* queue, Real* gaps, Int* items,
             Int* itemCount) {
  Queue q{queue, count};
  q.push(1);
  const int axes = dimension >= 3 ? 3 : 2;
  for (Int first = 0, last = q.size; first < last && q.valid; first = last, last = q.size) {
    Real best = kFar;
    Int bestNode = 0;
    for (Int k = first; k < last; ++k) {
      const Int r = q.entries[k];
      const Real* box = t.box(r);
      Real gap = 0.0;
      for (int i = 0; i < axes; ++i) {
        const Real a = std::fabs(p[i] - box[i]), b = std::fabs(p[i] - box[3 + i]);
        const Real g = box[i] <= p[i] && p[i] <= box[3 + i] ? 0.0 : std::fmin(a, b);
        gap += g * g;
      }
      gaps[r - 1] = gap;
      if (gap < best) best = gap, bestNode = r;
    }
    Real threshold = -kFar;
    if (bestNode != 0) {
      threshold = 0.0;
      const Real* box = t.box(bestNode);
      for (int i = 0; i < axes; ++i) {
        const Real far = std::fmax(std::fabs(p[i] - box[i]), std::fabs(p[i] - box[3 + i]));
        threshold += far * far;
      }
    }
    for (Int k = first; k < last && q.valid; ++k) {
      const Int r = q.entries[k];
      if (!(gaps[r - 1] <= threshold)) continue;
      if (t.leaf(r) != 0)
        items[(*itemCount)++] = t.leaf(r);
      else
        pushChildren(t, q, r);
    }
  }
  return q.valid;
}

void systemError(const char* text) { zmx::geometry::reportCounted(zmx::geometry::kSystemError, text, {}); }

// Loads count records of `length` words into the compact arrays.
void load(const Real* records, Int length, Int count) {
  gDeformable.clear();
  if (count < 1) return;
  if (!make(gDeformable.links, 2 * count) || !make(gDeformable.boxes, 6 * count)) {
    gDeformable.clear();
    return;
  }
  Int* links = data<Int>(gDeformable.links);
  Real* boxes = data<Real>(gDeformable.boxes);
  for (Int r = 1; r <= count; ++r) {
    const long long base = static_cast<long long>(r - 1) * length;
    static constexpr int kLinkWords[4] = {1, 2, 3, 10};
    for (int k = 0; k < 4; ++k) links[4 * (r - 1) + k] = rec::slotI(records, base + kLinkWords[k]);
    for (int k = 0; k < 6; ++k) boxes[6 * (r - 1) + k] = rec::slotR(records, base + 4 + k);
  }
  gDeformable.count = count;
}

}  // namespace

extern "C" {

void SHR_CONTACTSRCHDBDEFVSDEF(const Int* operation, const Real* records, const Int* recordLength, const Int* count,
                               const Real* point, const Int* dimension, Int* items, Int* itemCount, Int* error) {
  *error = 0;
  switch (*operation) {
    case 1:
      load(records, *recordLength, *count);
      return;
    case 6:
      gDeformable.clear();
      return;
    case 0:
    case 2: {
      *itemCount = 0;
      const Int n = gDeformable.count;
      if (n == 0) {
        *error = 1;
        return;
      }
      const bool far = *operation == 2;
      if (!gDeformable.scratch.ready(n, far)) {
        *error = 1;
        return;
      }
      const CompactNodes nodes{data<Int>(gDeformable.links), data<Real>(gDeformable.boxes)};
      Int* queue = data<Int>(gDeformable.scratch.queue);
      const bool valid = far ? nearest(nodes, n, point, *dimension, queue, data<Real>(gDeformable.scratch.distances),
                                       items, itemCount)
                             : containing(nodes, n, point, *dimension, queue, items, itemCount);
      if (!valid) {
        systemError("SYSTEM ERROR IN PRE_CONTACTSEARCHDB - INVALID SEARCH TREE.");
        *error = 1;
      }
      return;
    }
    default:
      systemError("SYSTEM ERROR IN PRE_CONTACTSEARCHDB - UNKNOWN OPERATION CODE.");
      *error = 1;
  }
}

void SHR_CONTACTSRCHDBDEFVSRIGID(const Int* operation, const Real* point, const Int* dimension, Int* items,
                                 Int* itemCount, const Int*, const Real* recordReals, const Int* recordLength,
                                 const Int* count) {
  switch (*operation) {
    case 6:
      gRigid.clear();
      zmx::contact::releaseRigidSearchStamps();
      return;
    case 0:
    case 2: {
      *itemCount = 0;
      const Int n = *count;
      if (n <= 0) return;
      const bool far = *operation == 2;
      if (!gRigid.ready(n, far)) return;
      const RecordNodes nodes{recordReals, *recordLength};
      Int* queue = data<Int>(gRigid.queue);
      const bool valid =
          far ? nearest(nodes, n, point, *dimension, queue, data<Real>(gRigid.distances), items, itemCount)
              : containing(nodes, n, point, *dimension, queue, items, itemCount);
      if (!valid) systemError("SYSTEM ERROR IN PRE_CONTACTSRCHDBDEFVSRIGID - INVALID SEARCH TREE.");
      return;
    }
    default:
      systemError("SYSTEM ERROR IN PRE_CONTACTSRCHDBDEFVSRIGID - UNKNOWN OPERATION CODE.");
  }
}

}  // extern "C"
