// Used jog rows and the jog row selection, checked against plain scans over
// small bands on random data.
#include "render_edges/jog_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "render_edges/interval_pass.h"
#include "render_edges/placed_labels.h"

namespace vantri {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

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
      ASSERT_EQ(fast.first_free_down_from(r), up);
      std::optional<std::uint64_t> down = r;
      while (down && used.contains(*down)) down = *down == 0 ? std::nullopt : std::optional(*down - 1);
      ASSERT_EQ(fast.first_free_up_from(r), down);
      const auto next = used.upper_bound(r);
      ASSERT_EQ(fast.next_used_below(r),
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

}  // namespace
}  // namespace vantri
