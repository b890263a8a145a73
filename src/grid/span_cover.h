// The stretches of one row or column of cells that a drawing pass has
// already dealt with.
//
// Drawing code that lays many long runs over the same cells (edges sharing
// a row out to their lanes, cluster frames on the same rows) uses it to
// visit only the part of each run that no earlier run reached, so the work
// follows the cells drawn rather than runs times their length.
#ifndef VANTRI_GRID_SPAN_COVER_H_
#define VANTRI_GRID_SPAN_COVER_H_

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>

namespace vantri {

class SpanCover {
 public:
  /// Calls visit(a, b) for every maximal stretch [a, b] of [first, last]
  /// (inclusive, first ≤ last < 2^64 − 1) not marked before, in order, then
  /// marks all of [first, last].
  template <class Visit>
  void mark(std::uint64_t first, std::uint64_t last, Visit visit) {
    auto it = spans_.upper_bound(first);
    if (it != spans_.begin()) {
      const auto before = std::prev(it);
      if (before->second + 1 >= first) it = before;  // overlapping or adjacent
    }
    std::uint64_t merged_first = first;
    std::uint64_t merged_last = last;
    std::uint64_t next = first;  // the first cell not known to be marked
    while (it != spans_.end() && it->first <= last + 1) {
      if (it->first > next) visit(next, it->first - 1);
      next = std::max(next, it->second + 1);
      merged_first = std::min(merged_first, it->first);
      merged_last = std::max(merged_last, it->second);
      it = spans_.erase(it);
    }
    if (next <= last) visit(next, last);
    spans_.emplace(merged_first, merged_last);
  }

  /// Whether cell `i` is marked.
  bool contains(std::uint64_t i) const {
    const auto it = spans_.upper_bound(i);
    return it != spans_.begin() && std::prev(it)->second >= i;
  }

 private:
  // first → last, disjoint and never adjacent (neighbours are merged).
  std::map<std::uint64_t, std::uint64_t> spans_;
};

}  // namespace vantri

#endif  // VANTRI_GRID_SPAN_COVER_H_
