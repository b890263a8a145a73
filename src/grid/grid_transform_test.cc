#include "grid/grid_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vantri {
namespace {

GridTransform unit_transform(std::int64_t margin = 0) {
  GridTransform t;
  t.bbox = {0, 0, 100, 100};
  t.column_scale = 1.0;
  t.row_scale = 1.0;
  t.margin = margin;
  return t;
}

TEST(GridTransform, RoundsHalvesAwayFromZero) {
  const GridTransform t = unit_transform(0);
  EXPECT_EQ(column_of(t, 2.5), 3u);
  EXPECT_EQ(column_of(t, 2.49), 2u);
  EXPECT_EQ(column_of(t, 3.5), 4u);  // not to even
  // Row 0 is the top edge, y1.
  EXPECT_EQ(row_of(t, 100.0), 0u);
  EXPECT_EQ(row_of(t, 97.5), 3u);
}

TEST(GridTransform, MarginThenClampAtZero) {
  GridTransform t = unit_transform(2);
  EXPECT_EQ(column_of(t, 0.0), 2u);
  EXPECT_EQ(column_of(t, -3.0), 0u);  // -3 + 2 = -1, clamped
  EXPECT_EQ(column_of(t, -2.5), 0u);  // rounds to -3
  EXPECT_EQ(column_of(t, -1.5), 0u);  // rounds to -2, plus 2
  EXPECT_EQ(column_of(t, -1.4), 1u);
}

TEST(GridTransform, SaturatesHostileValues) {
  GridTransform t = unit_transform(1);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(column_of(t, nan), 1u);  // NaN maps to the margin
  EXPECT_EQ(column_of(t, inf), static_cast<std::uint64_t>(
                                   std::numeric_limits<std::int64_t>::max()));
  EXPECT_EQ(column_of(t, 1e300), static_cast<std::uint64_t>(
                                     std::numeric_limits<std::int64_t>::max()));
  EXPECT_EQ(column_of(t, -inf), 0u);
  t.margin = -5;
  EXPECT_EQ(column_of(t, nan), 0u);
  EXPECT_EQ(saturating_to_unsigned(-1.0), 0u);
  EXPECT_EQ(saturating_to_unsigned(nan), 0u);
  EXPECT_EQ(saturating_to_unsigned(1e30), std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(saturating_to_unsigned(7.9), 7u);
}

TEST(GridTransform, ScalesByColumnAndRow) {
  GridTransform t;
  t.bbox = {10, 0, 110, 80};
  t.column_scale = 10.8;
  t.row_scale = 21.6;
  t.margin = 1;
  EXPECT_EQ(column_of(t, 10 + 10.8 * 4), 5u);
  EXPECT_EQ(row_of(t, 80 - 21.6 * 2), 3u);
}

}  // namespace
}  // namespace vantri
