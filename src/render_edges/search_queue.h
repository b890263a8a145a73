// The route search's waiting states, cheapest estimate first.
//
// A search's estimates are small whole numbers that rise as it goes: a
// step towards the target lowers a state's estimate by a few at most, and
// no step raises it by more than a few hundred. So the states wait in
// buckets, one per estimate, over a sliding range of values; taking the
// next is a look at the lowest bucket rather than a heap's climb down a
// tree. The rare state that falls outside the range (far above it, or too
// far below it for the range to slide down) waits in a heap beside them.
// Among states of one estimate, the last one queued comes out first.
#ifndef VANTRI_RENDER_EDGES_SEARCH_QUEUE_H_
#define VANTRI_RENDER_EDGES_SEARCH_QUEUE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantri {

class SearchQueue {
 public:
  /// A waiting state: estimated total cost, cost so far, the state.
  struct Entry {
    std::uint32_t f, g, state;
  };

  SearchQueue();

  /// Empties the queue, keeping its memory for the next search.
  void clear();
  bool empty() const { return in_buckets_ == 0 && far_.empty(); }
  std::size_t size() const { return in_buckets_ + far_.size(); }

  void push(const Entry& entry);
  /// Takes out an entry of the lowest `f`; the queue must not be empty.
  Entry pop();
  /// The lowest `f` waiting; the queue must not be empty.
  std::uint32_t lowest();

 private:
  static constexpr std::uint32_t kBuckets = 4096;
  static constexpr std::uint32_t kMask = kBuckets - 1;
  static constexpr std::uint32_t kNone = ~std::uint32_t{0};

  struct Node {
    Entry entry;
    std::uint32_t next;
  };

  // Each bucket is a list through `nodes_`, newest first; `heads_[f &
  // kMask]` starts the one for `f`. Every bucketed entry has its `f` in
  // [low_, high_], and high_ - low_ < kBuckets.
  std::vector<std::uint32_t> heads_;
  std::vector<Node> nodes_;
  std::size_t in_buckets_ = 0;
  std::uint32_t low_ = 0;
  std::uint32_t high_ = 0;
  // Entries outside the range, a heap on `f`.
  std::vector<Entry> far_;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_SEARCH_QUEUE_H_
