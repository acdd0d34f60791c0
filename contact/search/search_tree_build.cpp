// Builds the bounding-box tree of a master surface's facets: facet boxes and centroids, then a
// breadth-first sweep over the build records (the work area is its own queue) that splits each
// node twice at the mean centroid along its widest axis, giving up to four children. The
// finished records go into the process's deformable tree or into the caller's rigid block.

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "contact/search/search_tree_checks.h"
#include "geometry/support/geometry_report.h"
#include "runtime/address_space.h"
#include "runtime/record.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/eqc_messages.h"
#include "storage/db_units/work_room.h"
#include "zmx/contact/search.h"
#include "zmx/storage/db_units.h"
#include "zmx/storage/sets.h"

namespace {

constexpr Real kFar = 1e36;
constexpr Real kSpread = 2.22e-16;
constexpr int kFacetWords = 10;
constexpr int kNodeWords = 10;
constexpr int kHeaderWords = 4;

// The work area: 8-byte words addressed from 1. The deformable build keeps it in temporary
// blocks (a larger block and a copy when it must grow); the rigid build in the caller's block
// itself, grown through DBCORE, and moves the finished tree to the block's front.
class WorkArea {
 public:
  virtual ~WorkArea() = default;
  // Makes room for `required` words; `suggested` is the size a new block takes. False on refusal.
  virtual bool reserve(long long required, long long suggested) = 0;
  Real* slots = nullptr;
  long long size = 0;

  Int i(long long k) const { return rec::slotI(slots, k); }
  void setI(long long k, Int v) { rec::setSlotI(slots, k, v); }
  Real r(long long k) const { return slots[k - 1]; }
  void setR(long long k, Real v) { slots[k - 1] = v; }
};

class TemporaryArea : public WorkArea {
 public:
  ~TemporaryArea() override { release(); }
  bool reserve(long long required, long long suggested) override {
    if (required <= size) return true;
    Int words = static_cast<Int>(std::max(required, suggested));
    const Int word = RDM_ALLOCATETEMPORARY(&words);
    if (word == 0) return false;
    Real* fresh = mem32::at<Real>(word, static_cast<std::size_t>(words));
    if (fresh == nullptr) return false;
    if (slots != nullptr) std::memcpy(fresh, slots, static_cast<std::size_t>(size) * sizeof(Real));
    release();
    word_ = word, slots = fresh, size = words;
    return true;
  }
  void release() {
    if (word_ != 0) RDM_RELEASETEMPORARY(&word_);
    word_ = 0, slots = nullptr, size = 0;
  }

 private:
  Int word_ = 0;
};

class BlockArea : public WorkArea {
 public:
  BlockArea(Real* block, Int* capacity) : capacity_(capacity), room_(block, *capacity) { slots = block; }
  // The block itself is the work area. Whenever it must reach a length, DBCORE is asked for that
  // length against the capacity; the block is written only within its room.
  bool reserve(long long required, long long) override {
    if (required > size) {
      refused = !room_.growOrRefuse(required, capacity_);
      if (refused) return false;
      size = required;
    }
    return true;
  }
  long long room() const { return room_.units(); }
  bool refused = false;  // the memory could not be had (reported)

 private:
  Int* capacity_;
  zmx::units::WorkRoom room_;
};

struct Box {
  Real lo[3] = {kFar, kFar, kFar}, hi[3] = {-kFar, -kFar, -kFar};
};

// A facet's centroid, box and number, copied from its facet record. The split passes run over a
// compact array of these in which every node's facets lie together in increasing number, so the
// passes read memory in order instead of jumping between scattered facet records.
struct Item {
  Real c[3], lo[3], hi[3];
  Int j;
};

// The item arrays are large (80 bytes a facet) and fresh for every build. Where they span 2 MB or
// more they are taken in 2 MB pages where the system offers them: filling them then costs a few
// page faults instead of one for every 4 KB, which took a quarter of a build's time. Null when
// the memory cannot be had.
struct FreeItems {
  void operator()(Item* items) const { std::free(items); }
};
using ItemArray = std::unique_ptr<Item[], FreeItems>;

ItemArray itemArray(std::size_t n) {
  constexpr std::size_t kLargePage = std::size_t{2} << 20;
  const std::size_t bytes = std::max<std::size_t>(n, 1) * sizeof(Item);
  if (bytes < kLargePage) return ItemArray(static_cast<Item*>(std::malloc(bytes)));
  const std::size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  void* items = std::aligned_alloc(kLargePage, rounded);
  if (items != nullptr) madvise(items, rounded, MADV_HUGEPAGE);
  return ItemArray(static_cast<Item*>(items));
}

class Build {
 public:
  Build(WorkArea& area, long long facetBase, Int n) : a_(area), facetBase_(facetBase), n_(n) {}

  Int nodes = 1;
  long long rootPosition = 0, freePosition = 0;
  bool failed = false;

  long long facet(Int j) const { return facetBase_ + static_cast<long long>(kFacetWords) * (j - 1); }

  void readBox(long long first, Box& b) const {
    for (int i = 0; i < 3; ++i) b.lo[i] = a_.r(first + i), b.hi[i] = a_.r(first + 3 + i);
  }

  // The root after the facet records: every facet under the overall box.
  void root(const Box& overall) {
    rootPosition = facetBase_ + static_cast<long long>(kFacetWords) * n_;
    const long long p = rootPosition;
    a_.setI(p + 1, 11 + n_);
    a_.setI(p + 2, 0), a_.setI(p + 3, 0), a_.setI(p + 4, 0);
    writeBox(p, overall);
    a_.setI(p + 11, n_);
    a_.setI(p + 12, 1);
    freePosition = p + 11 + n_;
    links_.assign(1, Links{});
  }

  // The links of finished record r (1-based) as record numbers: parent, next sibling, first child.
  struct Links {
    Int parent = 0, sibling = 0, child = 0;
  };
  const Links& links(Int r) const { return links_[static_cast<std::size_t>(r - 1)]; }

  // The sweep over the records in creation order; record r's facets start at starts_[r].
  void sweep() {
    // Left uninitialised: every item is written before it is read.
    items_ = itemArray(static_cast<std::size_t>(n_));
    spare_ = itemArray(static_cast<std::size_t>(n_));
    if (!items_ || !spare_) return fail();
    for (Int j = 1; j <= n_; ++j) {
      Item& item = items_[static_cast<std::size_t>(j - 1)];
      const Real* record = a_.slots + facet(j);  // words 2.. of the facet record
      std::memcpy(item.c, record + 1, 9 * sizeof(Real));
      item.j = j;
    }
    starts_.assign(1, 0);
    std::size_t r = 0;
    for (long long p = rootPosition; p < freePosition && !failed; p += a_.i(p + 1), ++r)
      if (a_.i(p + 11) >= 2) split(p, static_cast<Int>(r + 1), starts_[r]);
  }

 private:
  void writeBox(long long p, const Box& b) {
    for (int i = 0; i < 3; ++i) a_.setR(p + 5 + i, b.lo[i]), a_.setR(p + 8 + i, b.hi[i]);
  }

  // The axis to split the items from `first` along and the mean centroid on it (the spread test
  // over up to three attempts unless skipped).
  int chooseAxis(const Box& box, std::size_t first, Int count, bool skipSpread, Real& mean) const {
    Real extent[3];
    for (int i = 0; i < 3; ++i) extent[i] = box.hi[i] - box.lo[i];
    const Item* items = items_.get() + first;
    int axis = 0;
    for (int attempt = 1; attempt <= 3; ++attempt) {
      axis = extent[0] >= std::max(extent[1], extent[2]) ? 0 : extent[1] >= std::max(extent[0], extent[2]) ? 1 : 2;
      // The range starts at the first centroid, so that centroids beyond any fixed bound count.
      Real sum = 0.0, lo = items[0].c[axis], hi = lo;
      for (Int k = 0; k < count; ++k) {
        const Real c = items[k].c[axis];
        sum += c, lo = std::min(lo, c), hi = std::max(hi, c);
      }
      mean = sum / count;
      if (skipSpread || hi - lo > kSpread * std::max(extent[0], extent[1])) break;
      extent[axis] = 0.0;
    }
    return axis;
  }

  // Splits the items from `first` at the mean, keeping their order within each half (the lower
  // half first); the sizes and boxes of the halves.
  void halve(std::size_t first, Int count, int axis, Real mean, Int (&sizes)[2], Box (&boxes)[2]) {
    boxes[0] = boxes[1] = Box{};
    Item* items = items_.get() + first;
    Int low = 0, high = 0;
    for (Int k = 0; k < count; ++k) {
      const Item& item = items[k];
      const int h = item.c[axis] <= mean ? 0 : 1;
      for (int i = 0; i < 3; ++i) {
        boxes[h].lo[i] = std::min(boxes[h].lo[i], item.lo[i]);
        boxes[h].hi[i] = std::max(boxes[h].hi[i], item.hi[i]);
      }
      if (h == 0)
        items[low++] = item;
      else
        spare_[static_cast<std::size_t>(high++)] = item;
    }
    std::copy(spare_.get(), spare_.get() + high, items + low);
    sizes[0] = low, sizes[1] = high;
  }

  // A child record of the node at `parent` (record number `parentNumber`) with the items from
  // `first` and the box given; linked in, by position in the build records and by number for the
  // finished ones. Of its facets only the first is written: a leaf's one facet is all that is
  // read back.
  bool child(long long parent, Int parentNumber, std::size_t first, Int count, const Box& box, long long& previous) {
    const long long p = freePosition;
    a_.setI(p + 1, 11 + count);
    a_.setI(p + 2, static_cast<Int>(parent)), a_.setI(p + 3, 0), a_.setI(p + 4, 0);
    writeBox(p, box);
    a_.setI(p + 11, count);
    a_.setI(p + 12, items_[first].j);
    freePosition = p + 11 + count;
    starts_.push_back(first);
    const Int number = nodes + 1;
    Links& up = links_[static_cast<std::size_t>(parentNumber - 1)];
    if (a_.i(parent + 4) == 0) {
      a_.setI(parent + 4, static_cast<Int>(p));
      up.child = number;
    } else if (previous == 0) {  // a parent split a second time: never by this build's own walk
      return failed = true, false;
    } else {
      a_.setI(previous + 3, static_cast<Int>(p));
      links_[static_cast<std::size_t>(number - 2)].sibling = number;
    }
    links_.push_back({parentNumber, 0, 0});
    previous = p;
    ++nodes;
    return true;
  }

  void split(long long p, Int number, std::size_t first) {
    const Int m = a_.i(p + 11);
    Box box;
    readBox(p + 5, box);
    Real mean;
    const int axis = chooseAxis(box, first, m, false, mean);
    Box halfBox[2];
    Int sizes[2];
    halve(first, m, axis, mean, sizes, halfBox);
    long long previous = 0;
    if (sizes[0] == 0 || sizes[1] == 0) {
      const int h = sizes[0] == 0 ? 1 : 0;
      const Int s = sizes[h];
      if (!a_.reserve(freePosition + 12LL * s, 12LL * n_ + freePosition)) return fail();
      for (Int k = 0; k < s; ++k)
        if (!child(p, number, first + static_cast<std::size_t>(k), 1, halfBox[h], previous)) return;
      return;
    }
    std::size_t halfFirst = first;
    for (int h = 0; h < 2; ++h) {
      const Int count = sizes[h];
      Real halfMean;
      const int halfAxis = chooseAxis(halfBox[h], halfFirst, count, count == 1, halfMean);
      Box subBox[2];
      Int subSizes[2];
      halve(halfFirst, count, halfAxis, halfMean, subSizes, subBox);
      std::size_t subFirst = halfFirst;
      for (int s = 0; s < 2; ++s) {
        const Int t = subSizes[s];
        if (t < 1) continue;
        if (!a_.reserve(freePosition + t + 11, freePosition + 100LL * t + 1100)) return fail();
        if (!child(p, number, subFirst, t, subBox[s], previous)) return;
        subFirst += static_cast<std::size_t>(t);
      }
      halfFirst += static_cast<std::size_t>(count);
    }
  }

  void fail() { failed = true; }

  WorkArea& a_;
  long long facetBase_;
  Int n_;
  ItemArray items_, spare_;
  std::vector<std::size_t> starts_;
  std::vector<Links> links_;
};

void reportFailure() {
  zmx::geometry::report(zmx::geometry::kSystemError, "SYSTEM ERROR IN pre_createsearchdb - FAILURE TO CREATE SEARCH TREE.");
}

// Facet records and the overall box; false for a facet the build cannot take.
bool facetRecords(WorkArea& a, long long base, Int n, const Int* table, Int ld, Int offset, const Real* coords,
                  Int coordLd, int dim, bool deformable, Real margin, Box& overall) {
  for (Int j = 1; j <= n; ++j) {
    const Int* column = table + static_cast<long long>(j - 1) * ld;
    const Int c = column[1];
    if (std::max<Int>(c, 1) > static_cast<long long>(ld) - 7 || c < (deformable ? 0 : 1)) return false;
    const long long p = base + static_cast<long long>(kFacetWords) * (j - 1);
    a.setI(p + 1, j);
    Real sum[3] = {0, 0, 0};
    Box b;
    for (Int k = 0; k < c; ++k) {
      const long long index = static_cast<long long>(column[7 + k]) - offset;
      if (index < 1) {
        if (k == 0 || !deformable) return false;
        continue;  // later nodes below the offset add nothing
      }
      const Real* x = coords + (index - 1) * coordLd;
      for (int i = 0; i < dim; ++i) {  // the box starts at the first node, whatever its size
        sum[i] += x[i];
        b.lo[i] = k == 0 ? x[i] : std::min(b.lo[i], x[i]);
        b.hi[i] = k == 0 ? x[i] : std::max(b.hi[i], x[i]);
      }
    }
    // A deformable facet of no nodes still reads its first node, which stands for the facet:
    // undivided, without the margin, and leaving the overall box as it is.
    const bool whole = c >= 1;
    if (!whole) {
      const long long index = static_cast<long long>(column[7]) - offset;
      if (index < 1) return false;
      const Real* x = coords + (index - 1) * coordLd;
      for (int i = 0; i < dim; ++i) sum[i] = b.lo[i] = b.hi[i] = x[i];
    }
    const Real divisor = whole ? c : 1, widen = whole ? margin : 0.0;
    for (int i = 0; i < 3; ++i) {
      const bool used = i < dim;
      a.setR(p + 2 + i, used ? sum[i] / divisor : 0.0);
      a.setR(p + 5 + i, used ? b.lo[i] - widen : 0.0);
      a.setR(p + 8 + i, used ? b.hi[i] + widen : 0.0);
    }
    if (!whole) continue;
    for (int i = 0; i < dim; ++i) {
      overall.lo[i] = std::min(overall.lo[i], b.lo[i] - margin);
      overall.hi[i] = std::max(overall.hi[i], b.hi[i] + margin);
    }
  }
  if (dim == 2) overall.lo[2] = overall.hi[2] = 0.0;
  return true;
}

// The finished records (10 words a node, links as record numbers) from the build records of a,
// written from word `to` + 1 of out.
void finish(const WorkArea& a, const Build& b, WorkArea& out, long long to) {
  long long p = b.rootPosition;
  for (Int r = 1; r <= b.nodes; ++r, p += a.i(p + 1)) {
    const Build::Links& links = b.links(r);
    const long long q = to + static_cast<long long>(kNodeWords) * (r - 1);
    out.setI(q + 1, links.parent), out.setI(q + 2, links.sibling), out.setI(q + 3, links.child);
    for (int k = 0; k < 6; ++k) out.setR(q + 4 + k, a.r(p + 5 + k));
    out.setI(q + 10, a.i(p + 11) == 1 ? a.i(p + 12) : 0);
  }
}

// The depth of a full 4-ary tree for n facets and the first size of the deformable work area.
long long firstSize(Int n) {
  long long k = std::lround(std::log(static_cast<Real>(n)) / 1.386294361);
  long long power = 1;
  for (long long i = 0; i < k; ++i) power *= 4;
  while (power < n) ++k, power *= 4;
  const long long nodes = (power * 4 - 1) / 3;
  return 10LL * n + 11 * nodes + (k + 1) * n;
}

// The two partition lists of n words each that the build claims from temporary or global-memory
// blocks while it sweeps; a refusal fails the build as before. The splits themselves now work in
// the compact item arrays.
struct PartitionLists {
  bool deformable = false;
  Int words[2] = {0, 0};
  bool open(Int n) {
    for (Int& w : words) {
      Int size = deformable ? n : 2 * n;
      w = deformable ? RDM_ALLOCATETEMPORARY(&size) : ADB_GLOBALMEMOPENI(&size);
      if (w == 0) return false;
    }
    return true;
  }
  void close() {
    for (Int& w : words) {
      if (w != 0) deformable ? RDM_RELEASETEMPORARY(&w) : ADB_MEMCLOSE(&w);
      w = 0;
    }
  }
};

// The build over the area: facet records, root, sweep; false on a failure (reported by the caller).
bool buildTree(WorkArea& a, Build& b, long long base, Int n, const Int* table, Int ld, Int offset, const Real* coords,
               Int coordLd, int dim, bool deformable, Real margin) {
  Box overall;
  if (!facetRecords(a, base, n, table, ld, offset, coords, coordLd, dim, deformable, margin, overall)) return false;
  b.root(overall);
  PartitionLists lists;
  lists.deformable = deformable;
  if (!lists.open(n)) {
    lists.close();
    return false;
  }
  b.sweep();
  lists.close();
  return !b.failed;
}

}  // namespace

extern "C" {

void SHR_CREATESRCHDBDEFVSDEF(const Int* n, const Int* facets, const Int* facetLd, const Int* offset,
                              const Real* coords, const Int* ld, const Real* margin) {
  if (*n <= 0) return;
  TemporaryArea area, finished;
  Build build(area, 0, *n);
  bool ok = area.reserve(firstSize(*n), firstSize(*n)) &&
            buildTree(area, build, 0, *n, facets, *facetLd, *offset, coords, *ld, 3, true, *margin) &&
            finished.reserve(static_cast<long long>(kNodeWords) * build.nodes, 0);
  Int zero = 0, none = 0, error = 0;
  const Int length = kNodeWords;
  if (ok) {
    finish(area, build, finished, 0);
    area.release();
    const Int one = 1, count = build.nodes;
    SHR_CONTACTSRCHDBDEFVSDEF(&one, finished.slots, &length, &count, nullptr, &zero, &none, &none, &error);
    return;
  }
  // No tree: the searches then take every facet.
  reportFailure();
  const Int six = 6;
  SHR_CONTACTSRCHDBDEFVSDEF(&six, nullptr, &length, &zero, nullptr, &zero, &none, &none, &error);
}

void SHR_CREATESRCHDBDEFVSRIGID(const Int* n, const Int* facets, const Int* facetLd, const Int* offset,
                                const Real* coords, const Int* d, Real* blockReals, Int* blockInts, Int* capacity,
                                const Real* margin) {
  (void)blockInts;
  BlockArea area(blockReals, capacity);
  const auto emptyHeader = [&] {
    if (area.room() < kHeaderWords) return;
    const Int header[4] = {kHeaderWords, kNodeWords, 0, kHeaderWords + 1};
    for (int k = 0; k < 4; ++k) rec::setSlotI(blockReals, k + 1, header[k]);
  };
  if (*n <= 0) return emptyHeader();
  const int dim = *d == 2 ? 2 : 3;
  Build build(area, kHeaderWords, *n);
  const long long start = kHeaderWords + static_cast<long long>(kFacetWords) * *n + 11 + *n;
  bool ok = area.reserve(start, start) &&
            buildTree(area, build, kHeaderWords, *n, facets, *facetLd, *offset, coords, *d, dim, false, *margin);
  const long long finishedAt = build.freePosition;
  ok = ok && area.reserve(finishedAt + static_cast<long long>(kNodeWords) * build.nodes, 0);
  if (!ok) {
    if (!area.refused) reportFailure();
    return emptyHeader();
  }
  finish(area, build, area, finishedAt);
  const Int words = kNodeWords * build.nodes;
  ACOPY1(area.slots + finishedAt, area.slots + kHeaderWords, &words);
  area.setI(1, kHeaderWords + words);
  area.setI(2, kNodeWords);
  area.setI(3, build.nodes);
  area.setI(4, kHeaderWords + 1);
}

}  // extern "C"
