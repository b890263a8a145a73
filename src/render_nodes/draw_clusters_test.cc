// Tests of cluster frames and titles as drawn text.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "render_nodes/draw_nodes.h"
#include "render_nodes/test_layout.h"

namespace vantri {
namespace {

using testing::cell_transform;
using testing::cluster_at;

std::string draw(std::uint64_t width, std::uint64_t height,
                 const std::vector<LayoutCluster>& clusters) {
  CharGrid grid(width, height);
  draw_clusters(grid, clusters, cell_transform());
  return grid.to_text();
}

TEST(DrawClusters, DashedFrameWithTitle) {
  // The top edge is drawn one row below the mapped top.
  EXPECT_EQ(draw(12, 6, {cluster_at(0, 0, 4, 9, "ab")}),
            "\n"
            "┌ ab ╌╌╌╌┐\n"
            "╎        ╎\n"
            "╎        ╎\n"
            "└╌╌╌╌╌╌╌╌┘\n");
  // Measured in bytes, written one column per character.
  EXPECT_EQ(draw(12, 6, {cluster_at(0, 0, 3, 8, "é")}),
            "\n"
            "┌ é  ╌╌╌┐\n"
            "╎       ╎\n"
            "└╌╌╌╌╌╌╌┘\n");
}

TEST(DrawClusters, TitleWidthLimits) {
  // Exactly filling the space: the corner takes the place of the last blank.
  EXPECT_EQ(draw(8, 5, {cluster_at(0, 0, 3, 5, "abc")}),
            "\n"
            "┌ abc┐\n"
            "╎    ╎\n"
            "└╌╌╌╌┘\n");
  const std::string unbroken =
      "\n"
      "┌╌╌╌╌┐\n"
      "╎    ╎\n"
      "└╌╌╌╌┘\n";
  EXPECT_EQ(draw(8, 5, {cluster_at(0, 0, 3, 5, "abcd")}), unbroken);
  EXPECT_EQ(draw(8, 5, {cluster_at(0, 0, 3, 5, "")}), unbroken);
  EXPECT_EQ(draw(8, 5, {cluster_at(0, 0, 3, 5, "ééé")}), unbroken);
}

TEST(DrawClusters, TooSmallFramesAreSkipped) {
  EXPECT_EQ(draw(8, 8, {cluster_at(0, 0, 5, 1, "a")}), "\n");  // too narrow
  EXPECT_EQ(draw(8, 8, {cluster_at(0, 0, 2, 6, "a")}), "\n");  // too low
  EXPECT_EQ(draw(8, 8, {cluster_at(2, 5, 0, 0, "a")}), "\n");  // inverted
  EXPECT_EQ(draw(8, 8, {cluster_at(0, 0, 3, 2)}),
            "\n"
            "┌╌┐\n"
            "╎ ╎\n"
            "└╌┘\n");
}

TEST(DrawClusters, FramesAreText) {
  CharGrid grid(8, 5);
  grid.put(1, 4, Cell::text(U'x'));
  grid.put(2, 0, Cell::node(U'N'));
  draw_clusters(grid, std::vector{cluster_at(0, 0, 3, 5, "")},
                cell_transform());
  grid.put(2, 5, Cell::line({.left = true, .right = true}));
  grid.put(3, 2, Cell::arrow(U'▲'));
  EXPECT_EQ(grid.to_text(),
            "\n"
            "┌╌╌╌╌┐\n"
            "N    ╎\n"
            "└╌▲╌╌┘\n");
  // Later clusters overwrite earlier ones.
  EXPECT_EQ(draw(8, 6, {cluster_at(0, 0, 3, 5), cluster_at(1, 3, 4, 7)}),
            "\n"
            "┌╌╌╌╌┐\n"
            "╎  ┌╌╌╌┐\n"
            "└╌╌╎╌┘ ╎\n"
            "   └╌╌╌┘\n");
}

// Without clipping, each of these frames would take 2^63 steps to draw.
TEST(DrawClusters, HugeBoundsDrawOnlyWhatIsOnTheGrid) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(draw(6, 4, {cluster_at(-inf, -inf, inf, inf, "title")}),
            "\n"
            "┌ titl\n"
            "╎\n"
            "╎\n");
  EXPECT_EQ(draw(6, 4, {cluster_at(nan, nan, 1e300, 1e300)}),
            "\n"
            "┌╌╌╌╌╌\n"
            "╎\n"
            "╎\n");
  EXPECT_EQ(draw(6, 4, {cluster_at(1e15, 1e15, inf, inf, "far"),
                        cluster_at(0, 1e15, 3, inf),
                        cluster_at(1e15, 0, inf, 3)}),
            "\n");
}

}  // namespace
}  // namespace vantri
