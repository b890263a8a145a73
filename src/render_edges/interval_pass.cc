// Block decomposition behind IntervalPass.
#include "render_edges/interval_pass.h"

#include <algorithm>

#include "grid/cell_arith.h"

namespace vantri {
namespace {

bool contains(const IntervalPass::Interval& interval, std::uint64_t m) {
  return interval.lo <= m && m <= interval.hi;
}

bool lo_less(const IntervalPass::Interval& a, const IntervalPass::Interval& b) {
  return a.lo < b.lo;
}

}  // namespace

void IntervalPass::append(std::uint64_t lo, std::uint64_t hi) {
  items_.push_back({lo, hi});
  // Every block that ends at the new size is now complete.
  const std::size_t n = items_.size();
  for (std::size_t level = 0; n % block_size(level) == 0; ++level) {
    build_block(level, n / block_size(level) - 1);
  }
}

void IntervalPass::build_block(std::size_t level, std::size_t block) {
  if (levels_.size() <= level) levels_.resize(level + 1);
  Level& out = levels_[level];
  const std::size_t size = block_size(level);
  const std::size_t first = block * size;
  out.by_lo.resize(first + size);
  out.max_hi.resize(first + size);
  const auto dest = out.by_lo.begin() + static_cast<std::ptrdiff_t>(first);
  if (level == 0) {
    std::copy_n(items_.begin() + static_cast<std::ptrdiff_t>(first), size, dest);
    std::sort(dest, dest + static_cast<std::ptrdiff_t>(size), lo_less);
  } else {
    // The two halves are the complete blocks of the level below.
    const auto half = static_cast<std::ptrdiff_t>(size / 2);
    const auto source = levels_[level - 1].by_lo.begin() + static_cast<std::ptrdiff_t>(first);
    std::merge(source, source + half, source + half, source + 2 * half, dest, lo_less);
  }
  std::uint64_t running = 0;
  for (std::size_t i = first; i < first + size; ++i) {
    running = std::max(running, out.by_lo[i].hi);
    out.max_hi[i] = running;
  }
}

bool IntervalPass::block_contains(std::size_t level, std::size_t block,
                                  std::uint64_t m) const {
  const Level& in = levels_[level];
  const std::size_t size = block_size(level);
  const auto begin = in.by_lo.begin() + static_cast<std::ptrdiff_t>(block * size);
  const auto end = begin + static_cast<std::ptrdiff_t>(size);
  // Among the intervals starting at or before m, one contains m exactly
  // when the greatest hi among them reaches m.
  const auto past = std::upper_bound(begin, end, Interval{m, 0}, lo_less);
  if (past == begin) return false;
  return in.max_hi[static_cast<std::size_t>(past - in.by_lo.begin()) - 1] >= m;
}

std::optional<std::size_t> IntervalPass::scan(std::size_t first, std::size_t last,
                                              std::uint64_t m) const {
  for (std::size_t i = first; i < last; ++i) {
    if (contains(items_[i], m)) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> IntervalPass::first_containing(std::size_t from,
                                                          std::uint64_t m) const {
  const std::size_t n = items_.size();
  std::size_t pos = from;
  while (pos < n) {
    // The largest complete block starting at pos; single positions while
    // pos is not aligned to a leaf block or too few positions remain.
    if (pos % kLeafBlock != 0 || pos + kLeafBlock > n) {
      if (contains(items_[pos], m)) return pos;
      ++pos;
      continue;
    }
    std::size_t level = 0;
    while (level + 1 < levels_.size() && pos % block_size(level + 1) == 0 &&
           pos + block_size(level + 1) <= n) {
      ++level;
    }
    std::size_t block = pos / block_size(level);
    if (!block_contains(level, block, m)) {
      pos += block_size(level);
      continue;
    }
    // Descend to the leftmost leaf block holding a match.
    while (level > 0) {
      --level;
      block = block_contains(level, 2 * block, m) ? 2 * block : 2 * block + 1;
    }
    return scan(block * kLeafBlock, (block + 1) * kLeafBlock, m);
  }
  return std::nullopt;
}

std::uint64_t IntervalPass::push_past(std::uint64_t m) const {
  std::size_t from = 0;
  while (auto hit = first_containing(from, m)) {
    m = add_sat(items_[*hit].hi, 1);
    from = *hit + 1;
  }
  return m;
}

}  // namespace vantri
