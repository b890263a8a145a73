// The label index checked against the plain conflict scan, on random data.
#include "render_edges/placed_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

namespace vantri {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

bool plain_conflict(const LabelRect& r, const LabelBlock& b) {
  return r.bottom + 1 >= b.row && r.top <= b.row + std::max<std::uint64_t>(b.lines, 1) &&
         r.right + 3 >= b.col && r.left <= b.col + (b.width == 0 ? 0 : b.width - 1) + 3;
}

TEST(PlacedLabels, ConflictsAgreeWithThePlainScan) {
  std::mt19937_64 rng(9);
  for (int round = 0; round < 30; ++round) {
    PlacedLabels fast;
    std::vector<LabelRect> list;
    const std::uint64_t rows = 10 + rng() % 100, cols = 10 + rng() % 300;
    for (int step = 0; step < 300; ++step) {
      if (rng() % 3 == 0) {
        const std::uint64_t top = rng() % rows, left = rng() % cols;
        // Now and then one too large for the buckets.
        const std::uint64_t tall = rng() % 40 == 0 ? 5000 : rng() % 4;
        LabelRect rect{top, top + tall, left, left + rng() % 20};
        if (!list.empty() && rng() % 3 == 0) {
          // Stacked on an earlier label's corner, narrower or wider.
          rect = list[rng() % list.size()];
          rect.right = rect.left + (rng() % 30 == 0 ? 20000 : rng() % 40);
        }
        fast.add(rect);
        list.push_back(rect);
      }
      const LabelBlock block{rng() % rows, rng() % cols, rng() % 4, rng() % 25};
      std::optional<std::uint64_t> lowest;
      for (const LabelRect& r : list) {
        if (plain_conflict(r, block)) lowest = std::max(lowest.value_or(0), r.bottom);
      }
      const auto found = fast.lowest_conflict(block);
      ASSERT_EQ(found.has_value(), lowest.has_value());
      if (found) {
        ASSERT_EQ(found->bottom, *lowest);
        ASSERT_TRUE(plain_conflict(*found, block));
      }
      // Sliding down row by row, giving up once a row past the end failed.
      const std::uint64_t start = rng() % rows, last_row = rng() % (rows + 5);
      std::uint64_t expected = start;
      for (LabelBlock b = block;; ++expected) {
        b.row = expected;
        if (std::none_of(list.begin(), list.end(),
                         [&](const LabelRect& r) { return plain_conflict(r, b); })) {
          break;
        }
        if (expected >= last_row) {
          expected = std::max(last_row, start);
          break;
        }
      }
      ASSERT_EQ(fast.first_free_row(block, start, last_row), expected);
    }
    ASSERT_EQ(fast.rects(), list);
  }
}

}  // namespace
}  // namespace vantri
