// Stamps that tell which entries of a caller's work array belong to the current search: one per
// node entry and one per facet, and one per node entry for the nodes whose facets the search has
// gathered; and what the search noted of each candidate facet. A search starts a new epoch; an
// entry is this search's when its stamp equals the epoch, so nothing has to be reset between
// searches. When the epoch counter would wrap, every stamp is cleared and counting starts again.
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
    if (nodes > static_cast<long long>(gathered_.size())) gathered_.resize(static_cast<std::size_t>(nodes), 0);
    if (facets > static_cast<long long>(reach_.size())) reach_.resize(static_cast<std::size_t>(facets));
    if (epoch_ == last_) {
      std::fill(node_.begin(), node_.end(), 0);
      std::fill(facet_.begin(), facet_.end(), 0);
      std::fill(gathered_.begin(), gathered_.end(), 0);
      epoch_ = 0;
    }
    ++epoch_;
  }
  // Entry j (1-based) is this search's.
  bool nodeCurrent(long long j) const { return node_[static_cast<std::size_t>(j - 1)] == epoch_; }
  void markNode(long long j) { node_[static_cast<std::size_t>(j - 1)] = epoch_; }
  // Marks facet f; false when it was marked in this search already.
  bool markFacet(long long f) { return mark(facet_[static_cast<std::size_t>(f - 1)]); }
  // Whether node entry j was gathered in this search.
  bool gatheredCurrent(long long j) const { return gathered_[static_cast<std::size_t>(j - 1)] == epoch_; }
  // Marks node entry j as gathered; false when it was in this search already.
  bool markGathered(long long j) { return mark(gathered_[static_cast<std::size_t>(j - 1)]); }
  // What the search noted of facet f's distance from the point when f became a candidate (written
  // before it is read, so it needs no stamp).
  struct FacetReach {
    double near;   // never above the facet's distance from the point (exact once worked out)
    double plane;  // never above a distance the facet can give the search
    double tight;  // the same when the facet has no boundary edge (worked out with near)
    double span;   // a flat triangle's longest side squared (0 for other facets)
    bool pending;  // near and tight wait for the exact distance of a flat triangle
  };
  FacetReach& reach(long long f) { return reach_[static_cast<std::size_t>(f - 1)]; }
  void release() {
    std::vector<std::uint32_t>().swap(node_);
    std::vector<std::uint32_t>().swap(facet_);
    std::vector<std::uint32_t>().swap(gathered_);
    std::vector<FacetReach>().swap(reach_);
    epoch_ = 0;
  }
  std::uint32_t epoch() const { return epoch_; }

 private:
  std::uint32_t last_;
  std::uint32_t epoch_ = 0;
  bool mark(std::uint32_t& stamp) const {
    if (stamp == epoch_) return false;
    stamp = epoch_;
    return true;
  }

  std::vector<std::uint32_t> node_, facet_, gathered_;
  std::vector<FacetReach> reach_;
};

// The stamps of the faceted rigid-surface search; released with the rigid tree queries' scratch.
SearchStamps& rigidSearchStamps();
void releaseRigidSearchStamps();

}  // namespace zmx::contact
