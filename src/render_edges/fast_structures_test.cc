// The indexed structures behind jog rows and label placement, checked
// against the plain list scans they stand in for, on random data.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "render_edges/interval_pass.h"
#include "render_edges/jog_rows.h"
#include "render_edges/line_cover.h"
#include "render_edges/placed_labels.h"

namespace vantri {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

struct Interval {
  std::uint64_t lo, hi;
};

std::uint64_t plain_pass(const std::vector<Interval>& list, std::uint64_t m) {
  for (const Interval& i : list) {
    if (i.lo <= m && m <= i.hi) m = i.hi == kMax ? kMax : i.hi + 1;
  }
  return m;
}

TEST(IntervalPass, AgreesWithThePlainScan) {
  std::mt19937_64 rng(11);
  for (int round = 0; round < 40; ++round) {
    IntervalPass fast;
    std::vector<Interval> list;
    const std::uint64_t domain = 20 + rng() % 400;
    const std::size_t target = rng() % 600;
    while (list.size() < target) {
      std::uint64_t lo = rng() % domain;
      std::uint64_t hi = lo + rng() % 8;
      if (rng() % 20 == 0) hi = lo - 1 - rng() % 3;  // empty
      if (rng() % 50 == 0) hi = kMax;
      fast.append(lo, hi);
      list.push_back({lo, hi});
      ASSERT_EQ(fast.size(), list.size());
      for (int q = 0; q < 3; ++q) {
        const std::uint64_t m = rng() % (domain + 10);
        ASSERT_EQ(fast.run(m), plain_pass(list, m)) << "m " << m << " n " << list.size();
        const std::size_t from = rng() % (list.size() + 1);
        std::optional<std::size_t> expected;
        for (std::size_t j = from; j < list.size(); ++j) {
          if (list[j].lo <= m && m <= list[j].hi) {
            expected = j;
            break;
          }
        }
        ASSERT_EQ(fast.first_containing(from, m), expected);
      }
    }
  }
}

TEST(IntervalPass, VisitsEachIntervalOnceInListOrder) {
  IntervalPass pass;
  pass.append(16, 19);
  pass.append(12, 15);
  EXPECT_EQ(pass.run(14), 16);  // not pushed again by the earlier interval
  EXPECT_EQ(pass.run(17), 20);
  EXPECT_EQ(pass.run(11), 11);
  IntervalPass chained;
  chained.append(5, 9);
  chained.append(10, 12);
  EXPECT_EQ(chained.run(7), 13);
}

TEST(UsedJogRows, AgreesWithAPlainSet) {
  std::mt19937_64 rng(5);
  for (int round = 0; round < 50; ++round) {
    UsedJogRows fast;
    std::set<std::uint64_t> used;
    const std::uint64_t domain = 5 + rng() % 200;
    for (int step = 0; step < 400; ++step) {
      const std::uint64_t r = rng() % domain;
      if (rng() % 2 == 0) {
        fast.add(r);
        used.insert(r);
      }
      std::uint64_t up = r;
      while (used.contains(up)) ++up;
      ASSERT_EQ(fast.first_free_at_or_above(r), up);
      std::optional<std::uint64_t> down = r;
      while (down && used.contains(*down)) down = *down == 0 ? std::nullopt : std::optional(*down - 1);
      ASSERT_EQ(fast.first_free_at_or_below(r), down);
      const auto next = used.upper_bound(r);
      ASSERT_EQ(fast.smallest_above(r),
                next == used.end() ? std::nullopt : std::optional(*next));
      ASSERT_EQ(fast.contains(r), used.contains(r));
    }
  }
}

struct Box {
  std::uint64_t top, height;
};

// The jog row rules as plain scans over small bands.
std::uint64_t plain_jog_row(std::uint64_t m, JogBand band,
                            const std::set<std::uint64_t>& used,
                            const std::vector<LabelRect>& labels,
                            const std::vector<Box>& boxes, bool has_label) {
  const std::uint64_t sr = band.start_row, er = band.end_row;
  if (used.contains(m)) {
    bool found = false;
    for (std::uint64_t r = m + 1; r + 1 <= er && !found; ++r) {
      if (!used.contains(r)) m = r, found = true;
    }
    for (std::uint64_t r = m; r > sr + 1 && !found;) {
      --r;
      if (!used.contains(r)) m = r, found = true;
    }
    if (!found) m = sr + 1;
  }
  for (const LabelRect& rect : labels) {
    const std::uint64_t top = rect.top == 0 ? 0 : rect.top - 1;
    if (top <= m && m <= rect.bottom + 1) m = rect.bottom + 2;
  }
  if (has_label) m = std::min(m, er < 3 ? 0 : er - 3);
  for (const Box& box : boxes) {
    if (box.top <= m && m + 1 <= box.top + box.height) m = box.top + box.height;
  }
  return std::min(std::max(m, sr + 1), er - 1);
}

TEST(JogRowSelection, AgreesWithThePlainScans) {
  std::mt19937_64 rng(3);
  for (int round = 0; round < 300; ++round) {
    UsedJogRows used;
    std::set<std::uint64_t> used_set;
    IntervalPass label_rows, box_rows;
    std::vector<LabelRect> labels;
    std::vector<Box> boxes;
    for (int i = 0, n = static_cast<int>(rng() % 40); i < n; ++i) {
      const std::uint64_t top = rng() % 60, bottom = top + rng() % 3;
      labels.push_back({top, bottom, 0, 0});
      label_rows.append(top == 0 ? 0 : top - 1, bottom + 1);
    }
    for (int i = 0, n = static_cast<int>(rng() % 40); i < n; ++i) {
      const Box box{rng() % 60, 1 + rng() % 5};
      boxes.push_back(box);
      box_rows.append(box.top, box.top + box.height - 1);
    }
    for (int edge = 0; edge < 20; ++edge) {
      const std::uint64_t sr = rng() % 50;
      const JogBand band{sr, sr + 1 + rng() % 12};
      const std::uint64_t candidate =
          std::min(std::max(sr + rng() % 14, sr + 1), band.end_row - 1);
      const bool has_label = rng() % 2 == 0;
      const std::uint64_t expected =
          plain_jog_row(candidate, band, used_set, labels, boxes, has_label);
      ASSERT_EQ(select_jog_row(candidate, band, used, label_rows, box_rows, has_label),
                expected);
      used.add(expected);
      used_set.insert(expected);
    }
  }
}

TEST(JogRowSelection, RulesInOrder) {
  UsedJogRows used;
  IntervalPass none;
  const JogBand band{10, 20};
  EXPECT_EQ(select_jog_row(14, band, used, none, none, false), 14);
  used.add(14);
  used.add(15);
  EXPECT_EQ(select_jog_row(14, band, used, none, none, false), 16);  // next free below
  for (std::uint64_t r = 16; r <= 19; ++r) used.add(r);
  EXPECT_EQ(select_jog_row(14, band, used, none, none, false), 13);  // then above
  for (std::uint64_t r = 11; r <= 13; ++r) used.add(r);
  EXPECT_EQ(select_jog_row(14, band, used, none, none, false), 11);  // all taken
  UsedJogRows fresh;
  IntervalPass label_rows;
  label_rows.append(13, 16);  // a label in rows 14 to 15
  EXPECT_EQ(select_jog_row(14, band, fresh, label_rows, none, false), 17);
  EXPECT_EQ(select_jog_row(18, band, fresh, none, none, true), 17);  // room for its label
  IntervalPass box_rows;
  box_rows.append(12, 15);
  EXPECT_EQ(select_jog_row(13, band, fresh, none, box_rows, false), 16);
  box_rows.append(16, 30);  // pushed past the band, then clamped back
  EXPECT_EQ(select_jog_row(13, band, fresh, none, box_rows, false), 19);
}

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

TEST(LineCover, ManyRunsOverOneLongStretchPaintItOnce) {
  // 3000 runs of 4 million cells along one row and one column: painted
  // cell by cell that would be 24 billion writes.
  constexpr std::uint64_t kLong = 4'000'000;
  CharGrid wide(kLong, 3), tall(3, kLong);
  LineCover cover;
  const auto start = std::chrono::steady_clock::now();
  for (std::uint64_t i = 0; i < 3000; ++i) {
    cover.horizontal(wide, 1, i % 7, kLong - 1 - i);
    cover.vertical(tall, 1, i % 5, kLong - 1 - i);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(wide.at(1, 0), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(wide.at(1, kLong - 1), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(wide.at(0, 5), Cell::empty());
  EXPECT_EQ(tall.at(kLong / 2, 1), Cell::line({.up = true, .down = true}));
  EXPECT_EQ(tall.at(kLong / 2, 2), Cell::empty());
}

}  // namespace
}  // namespace vantri
