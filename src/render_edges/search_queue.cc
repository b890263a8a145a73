// Buckets over a sliding range of estimates, and a heap for the rest.
#include "render_edges/search_queue.h"

#include <algorithm>

namespace vantri {
namespace {

bool costlier(const SearchQueue::Entry& a, const SearchQueue::Entry& b) { return a.f > b.f; }

}  // namespace

SearchQueue::SearchQueue() : heads_(kBuckets, kNone) {}

void SearchQueue::clear() {
  if (in_buckets_ != 0) {
    for (std::uint32_t f = low_;; ++f) {
      heads_[f & kMask] = kNone;
      if (f == high_) break;
    }
  }
  in_buckets_ = 0;
  nodes_.clear();
  far_.clear();
}

void SearchQueue::push(const Entry& entry) {
  const std::uint32_t f = entry.f;
  if (in_buckets_ == 0) {
    low_ = high_ = f;
  } else if (f < low_) {
    // The range slides down when what is bucketed still fits in it.
    if (high_ - f >= kBuckets) {
      far_.push_back(entry);
      std::push_heap(far_.begin(), far_.end(), costlier);
      return;
    }
    low_ = f;
  } else if (f - low_ >= kBuckets) {
    far_.push_back(entry);
    std::push_heap(far_.begin(), far_.end(), costlier);
    return;
  }
  high_ = std::max(high_, f);
  std::uint32_t& head = heads_[f & kMask];
  nodes_.push_back({entry, head});
  head = static_cast<std::uint32_t>(nodes_.size() - 1);
  ++in_buckets_;
}

std::uint32_t SearchQueue::lowest() {
  if (in_buckets_ == 0) return far_.front().f;
  while (heads_[low_ & kMask] == kNone) ++low_;
  return far_.empty() ? low_ : std::min(low_, far_.front().f);
}

SearchQueue::Entry SearchQueue::pop() {
  if (in_buckets_ != 0) {
    while (heads_[low_ & kMask] == kNone) ++low_;
    if (far_.empty() || far_.front().f >= low_) {
      std::uint32_t& head = heads_[low_ & kMask];
      const Entry entry = nodes_[head].entry;
      head = nodes_[head].next;
      // With nothing left in the buckets, the range starts afresh.
      if (--in_buckets_ == 0) nodes_.clear();
      return entry;
    }
  }
  std::pop_heap(far_.begin(), far_.end(), costlier);
  const Entry entry = far_.back();
  far_.pop_back();
  return entry;
}

}  // namespace vantri
