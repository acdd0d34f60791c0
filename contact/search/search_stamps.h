// Stamps that tell which entries of a caller's work array belong to the current search: one per
// node entry and one per facet. A search starts a new epoch; an entry is this search's when its
// stamp equals the epoch, so nothing has to be reset between searches. When the epoch counter
// would wrap, every stamp is cleared and counting starts again.
#pragma once

#include <cstdint>
#include <vector>

namespace zmx::contact {

class SearchStamps {
 public:
  explicit constexpr SearchStamps(std::uint32_t lastEpoch = UINT32_MAX) : last_(lastEpoch) {}

  // A new search over nodes node entries and facets facets.
  void begin(long long nodes, long long facets) {
    if (nodes > static_cast<long long>(node_.size())) node_.resize(static_cast<std::size_t>(nodes), 0);
    if (facets > static_cast<long long>(facet_.size())) facet_.resize(static_cast<std::size_t>(facets), 0);
    if (epoch_ == last_) {
      std::fill(node_.begin(), node_.end(), 0);
      std::fill(facet_.begin(), facet_.end(), 0);
      epoch_ = 0;
    }
    ++epoch_;
  }
  // Entry j (1-based) is this search's.
  bool nodeCurrent(long long j) const { return node_[static_cast<std::size_t>(j - 1)] == epoch_; }
  void markNode(long long j) { node_[static_cast<std::size_t>(j - 1)] = epoch_; }
  // Marks facet f; false when it was marked in this search already.
  bool markFacet(long long f) {
    auto& s = facet_[static_cast<std::size_t>(f - 1)];
    if (s == epoch_) return false;
    s = epoch_;
    return true;
  }
  void release() {
    std::vector<std::uint32_t>().swap(node_);
    std::vector<std::uint32_t>().swap(facet_);
    epoch_ = 0;
  }
  std::uint32_t epoch() const { return epoch_; }

 private:
  std::uint32_t last_;
  std::uint32_t epoch_ = 0;
  std::vector<std::uint32_t> node_, facet_;
};

// The stamps of the faceted rigid-surface search; released with the rigid tree queries' scratch.
SearchStamps& rigidSearchStamps();
void releaseRigidSearchStamps();

}  // namespace zmx::contact
