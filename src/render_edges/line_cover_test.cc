// LineCover draws what plain runs draw, and paints shared stretches once.
#include "render_edges/line_cover.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace vantri {
namespace {

TEST(LineCover, DrawsWhatThePlainRunsDraw) {
  // Random runs, with stronger cells put in between, drawn cell by cell on
  // one grid and through a LineCover on the other; some runs reach past
  // the grid.
  std::mt19937_64 rng(5);
  for (int round = 0; round < 30; ++round) {
    const std::uint64_t width = 1 + rng() % 40, height = 1 + rng() % 40;
    CharGrid plain(width, height), fast(width, height);
    LineCover cover;
    for (int step = 0; step < 200; ++step) {
      const std::uint64_t at = rng() % (width + 2), other = rng() % (height + 2);
      const std::uint64_t first = rng() % (width + height);
      const std::uint64_t last = first + rng() % (rng() % 10 == 0 ? 1000 : 12);
      switch (rng() % 4) {
        case 0:
          for (std::uint64_t c = first; c <= last; ++c) {
            plain.put(other, c, Cell::line({.left = true, .right = true}));
          }
          cover.horizontal(fast, other, first, last);
          break;
        case 1:
          for (std::uint64_t r = first; r <= last; ++r) {
            plain.put(r, at, Cell::line({.up = true, .down = true}));
          }
          cover.vertical(fast, at, first, last);
          break;
        case 2:
          plain.put(other, at, Cell::text(U'x'));
          fast.put(other, at, Cell::text(U'x'));
          break;
        default:
          plain.put(other, at, Cell::line({.down = true}));
          fast.put(other, at, Cell::line({.down = true}));
      }
    }
    for (std::uint64_t r = 0; r < height; ++r) {
      for (std::uint64_t c = 0; c < width; ++c) ASSERT_EQ(fast.at(r, c), plain.at(r, c));
    }
  }
}

TEST(LineCover, ManyRunsOverOneLongStretch) {
  // 3000 runs of 4 million cells along one row and one column: painted
  // cell by cell that would be 24 billion writes.
  constexpr std::uint64_t kLong = 4'000'000;
  CharGrid wide(kLong, 3), tall(3, kLong);
  LineCover cover;
  for (std::uint64_t i = 0; i < 3000; ++i) {
    cover.horizontal(wide, 1, i % 7, kLong - 1 - i);
    cover.vertical(tall, 1, i % 5, kLong - 1 - i);
  }
  EXPECT_EQ(wide.at(1, 0), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(wide.at(1, kLong - 1), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(wide.at(0, 5), Cell::empty());
  EXPECT_EQ(tall.at(kLong / 2, 1), Cell::line({.up = true, .down = true}));
  EXPECT_EQ(tall.at(kLong / 2, 2), Cell::empty());
}

}  // namespace
}  // namespace vantri
