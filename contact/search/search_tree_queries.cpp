// Queries of the contact search trees: the facets whose leaf boxes hold a point (breadth-first),
// and the facets of the boxes nearest to it (level by level, keeping every box no farther than the
// far corner of the level's nearest box). The deformable tree is held by the process in compact
// per-node arrays; a rigid tree is read in place from the caller's block. The queue and distance
// arrays live on between calls and are made again only for a larger tree.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "contact/search/search_tree_checks.h"
#include "geometry/support/geometry_report.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "contact/search/search_stamps.h"
#include "zmx/contact/search.h"

namespace {

constexpr Real kFar = 1e36;
constexpr Real kNoGap = std::numeric_limits<Real>::infinity();

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

// A mark per node that tells whether a walk has met it: a node met twice (a sibling link back into
// its own chain, a child link to an ancestor) is a damaged tree, found before its leaf is taken
// again. Each walk starts a new epoch, so nothing has to be reset between walks.
class Marks {
 public:
  bool ready(Int count) {
    if (count <= capacity_) return true;
    release();
    stamps_ = new (std::nothrow) std::uint32_t[static_cast<std::size_t>(count)]();
    capacity_ = stamps_ != nullptr ? count : 0;
    return stamps_ != nullptr;
  }
  void begin() {
    if (++epoch_ == 0) {
      std::fill_n(stamps_, capacity_, 0u);
      epoch_ = 1;
    }
  }
  // Marks node r (in 1..capacity); false when this walk met it already.
  bool enter(Int r) {
    std::uint32_t& stamp = stamps_[r - 1];
    if (stamp == epoch_) return false;
    stamp = epoch_;
    return true;
  }
  void release() {
    delete[] stamps_;
    stamps_ = nullptr;
    capacity_ = 0;
  }

 private:
  std::uint32_t* stamps_ = nullptr;
  Int capacity_ = 0;
  std::uint32_t epoch_ = 0;
};

// A queue of node numbers (two to a word) and a real per node, kept for trees of up to capacity
// nodes, with the walk's marks.
struct Scratch {
  Block queue, distances;
  Marks marks;
  bool ready(Int count, bool withDistances) {
    if (queue.word == 0 || (queue.words - 0) * 2 < count) {
      release(queue);
      if (!make(queue, (count - 1) / 2 + 1)) return false;
    }
    if (withDistances && (distances.word == 0 || distances.words < count)) {
      release(distances);
      if (!make(distances, count)) return false;
    }
    if (!marks.ready(count)) return false;
    marks.begin();
    return true;
  }
  void clear() {
    release(queue);
    release(distances);
    marks.release();
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

// A walk's queue with the checks that keep it inside a malformed tree: every node met is one of
// the tree's and met once, so the queue stays within its length and every leaf is taken at most
// once, which keeps the output within the room of one entry per leaf.
struct Queue {
  Int* entries;
  Int count;  // nodes of the tree: links and the queue's length stay within it
  Marks& marks;
  Int size = 0;
  bool valid = true;
  bool enter(Int r) {
    if (r < 1 || r > count || !marks.enter(r)) return valid = false;
    return true;
  }
  // Queues node r, which the walk has entered.
  bool push(Int r) {
    if (size >= count) return valid = false;
    entries[size++] = r;
    return true;
  }
};

// Appends the node's children to the queue.
template <class Nodes>
bool pushChildren(const Nodes& t, Queue& q, Int r) {
  for (Int c = t.child(r); c != 0; c = t.sibling(c))
    if (!q.enter(c) || !q.push(c)) return false;
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
bool containing(const Nodes& t, Int count, const Real* p, Int dimension, Int* queue, Marks& marks, Int* items,
                Int* itemCount) {
  Queue q{queue, count, marks};
  const bool withZ = dimension != 2;
  const auto meet = [&](Int r) {
    if (!inside(t.box(r), p, withZ)) return true;
    if (t.leaf(r) == 0) return q.push(r);
    items[(*itemCount)++] = t.leaf(r);
    return true;
  };
  if (q.enter(1)) meet(1);
  for (Int k = 0; k < q.size && q.valid; ++k) {
    const Int r = q.entries[k];
    // The build makes a node's children (up to four) one after another: fetching them together
    // saves following the sibling links one memory wait at a time.
    const Int first = t.child(r);
    for (Int c = first; c >= 1 && c <= count && c - first < 4; ++c) t.prefetch(c);
    // A link is followed only from a node the walk has entered, so a wild one is never read.
    for (Int c = first; c != 0; c = t.sibling(c))
      if (!q.enter(c) || !meet(c)) return q.valid = false;
  }
  return q.valid;
}

template <class Nodes>
bool nearest(const Nodes& t, Int count, const Real* p, Int dimension, Int* queue, Marks& marks, Real* gaps,
             Int* items, Int* itemCount) {
  Queue q{queue, count, marks};
  if (q.enter(1)) q.push(1);
  const int axes = dimension >= 3 ? 3 : 2;
  for (Int first = 0, last = q.size; first < last && q.valid; first = last, last = q.size) {
    // The gaps are squared: a point 1e18 or more from every box has gaps of 1e36 and more, and
    // its nearest box must still be found. A gap that is not finite names no box.
    Real best = kNoGap;
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

constexpr const char* kInvalidDeformableTree = "SYSTEM ERROR IN PRE_CONTACTSEARCHDB - INVALID SEARCH TREE.";

// Loads count records of `length` words into the compact arrays. Records too short to hold a
// node, or more of them than the arrays' words can count, load nothing (reported).
void load(const Real* records, Int length, Int count) {
  gDeformable.clear();
  if (count < 1) return;
  constexpr long long kMostWords = 2147483647;
  if (length < zmx::contact::kTreeRecordWords || 6LL * count > kMostWords) return systemError(kInvalidDeformableTree);
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

// Rigid records are read in place: each must hold a node's words, and all of them must lie in
// the caller's block where its room is known.
bool rigidRecordsFit(const Real* records, Int length, Int count) {
  if (length < zmx::contact::kTreeRecordWords) return false;
  const long long bytes = zmx::contact::knownBytes(records);
  return bytes < 0 || static_cast<long long>(length) * count <= bytes / static_cast<long long>(sizeof(Real));
}

}  // namespace

namespace zmx::contact {

void reportInvalidRigidTree() { systemError("SYSTEM ERROR IN PRE_CONTACTSRCHDBDEFVSRIGID - INVALID SEARCH TREE."); }

long long knownBytes(const void* p) {
  const Int word = mem32::wordOf(p);
  return word != 0 ? static_cast<long long>(mem32::bytesFrom(word)) : -1;
}

}  // namespace zmx::contact

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
      Marks& marks = gDeformable.scratch.marks;
      const bool valid = far ? nearest(nodes, n, point, *dimension, queue, marks,
                                       data<Real>(gDeformable.scratch.distances), items, itemCount)
                             : containing(nodes, n, point, *dimension, queue, marks, items, itemCount);
      if (!valid) {
        systemError(kInvalidDeformableTree);
        *itemCount = 0;
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
      if (!rigidRecordsFit(recordReals, *recordLength, n)) return zmx::contact::reportInvalidRigidTree();
      if (!gRigid.ready(n, far)) return;
      const RecordNodes nodes{recordReals, *recordLength};
      Int* queue = data<Int>(gRigid.queue);
      const bool valid =
          far ? nearest(nodes, n, point, *dimension, queue, gRigid.marks, data<Real>(gRigid.distances), items, itemCount)
              : containing(nodes, n, point, *dimension, queue, gRigid.marks, items, itemCount);
      if (!valid) {
        zmx::contact::reportInvalidRigidTree();
        *itemCount = 0;
      }
      return;
    }
    default:
      systemError("SYSTEM ERROR IN PRE_CONTACTSRCHDBDEFVSRIGID - UNKNOWN OPERATION CODE.");
  }
}

}  // extern "C"
