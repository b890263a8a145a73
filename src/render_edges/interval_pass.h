// One sweep of a value through an ordered list of row intervals.
//
// Jog rows are pushed off label rectangles and off node boxes by the same
// kind of pass: visit the intervals [lo, hi] in list order, once each, and
// whenever the current row m lies inside one, move m to hi + 1. The result
// depends on the order, so the pass cannot simply look m up in a set of
// rows. Scanning the whole list for every jog would be quadratic on large
// graphs; this structure finds the next interval (in list order) that
// contains m in polylogarithmic time, so a pass costs time in proportion to
// the number of intervals it actually hits. Intervals may be appended
// between passes.
#ifndef VANTRI_RENDER_EDGES_INTERVAL_PASS_H_
#define VANTRI_RENDER_EDGES_INTERVAL_PASS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantri {

class IntervalPass {
 public:
  struct Interval {
    std::uint64_t lo = 0;
    std::uint64_t hi = 0;
  };

  /// Adds [lo, hi] at the end of the list; an interval with lo > hi
  /// contains nothing.
  void append(std::uint64_t lo, std::uint64_t hi);

  std::size_t size() const { return items_.size(); }

  /// The position of the first interval at or after `from` that contains
  /// `m`.
  std::optional<std::size_t> first_containing(std::size_t from, std::uint64_t m) const;

  /// m after visiting every interval in list order, once, moving m to
  /// hi + 1 (saturating) whenever it lies inside.
  std::uint64_t push_past(std::uint64_t m) const;

 private:
  // Intervals are grouped in aligned blocks of 16 << k positions for every
  // level k; each complete block keeps its intervals sorted by lo with the
  // running maximum of hi, which tells in one binary search whether any
  // interval of the block contains m. Blocks of the lowest level are
  // scanned directly.
  struct Level {
    std::vector<Interval> by_lo;
    std::vector<std::uint64_t> max_hi;
  };
  static constexpr std::size_t kLeafBlock = 16;

  static std::size_t block_size(std::size_t level) { return kLeafBlock << level; }
  bool block_contains(std::size_t level, std::size_t block, std::uint64_t m) const;
  std::optional<std::size_t> scan(std::size_t first, std::size_t last,
                                  std::uint64_t m) const;
  void build_block(std::size_t level, std::size_t block);

  std::vector<Interval> items_;
  std::vector<Level> levels_;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_INTERVAL_PASS_H_
