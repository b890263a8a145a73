// Tests of cluster frames and titles as drawn text.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

#include "render_nodes/draw_clusters.h"
#include "grid/put_text.h"
#include "support/cell_layout.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

using testing::cell_transform;
using testing::cluster_at;

std::string draw(std::uint64_t width, std::uint64_t height,
                 const std::vector<LayoutCluster>& clusters,
                 TrimStrategy trim = TrimStrategy::End) {
  CharGrid grid(width, height);
  draw_clusters(grid, clusters, cell_transform(), trim);
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
  // Measured in terminal columns: a wide character takes two cells, a
  // combining mark none.
  EXPECT_EQ(draw(12, 6, {cluster_at(0, 0, 3, 8, "é")}),
            "\n"
            "┌ é ╌╌╌╌┐\n"
            "╎       ╎\n"
            "└╌╌╌╌╌╌╌┘\n");
  EXPECT_EQ(draw(12, 6, {cluster_at(0, 0, 3, 8, "中e\u0301")}),
            "\n"
            "┌ 中e\u0301 ╌╌┐\n"
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
  EXPECT_EQ(draw(8, 5, {cluster_at(0, 0, 3, 5, "")}), unbroken);
  EXPECT_EQ(draw(8, 5, {cluster_at(0, 0, 3, 5, "ééé")}),
            "\n"
            "┌ ééé┐\n"
            "╎    ╎\n"
            "└╌╌╌╌┘\n");
  // Wider than the frame: shortened with the render's strategy, never
  // dropped; in a frame too narrow for any of it, only dots are left.
  EXPECT_EQ(draw(16, 5, {cluster_at(0, 0, 3, 13, "cluster_of_nodes")}, TrimStrategy::Smart),
            "\n"
            "┌ cluster... ┐\n"
            "╎            ╎\n"
            "└╌╌╌╌╌╌╌╌╌╌╌╌┘\n");
  EXPECT_EQ(draw(16, 5, {cluster_at(0, 0, 3, 13, "cluster_of_nodes")}, TrimStrategy::End),
            "\n"
            "┌ cluster_...┐\n"
            "╎            ╎\n"
            "└╌╌╌╌╌╌╌╌╌╌╌╌┘\n");
  EXPECT_EQ(draw(12, 5, {cluster_at(0, 0, 3, 9, "下駄配列の派生図")}, TrimStrategy::End),
            "\n"
            "┌ 下駄...┐\n"
            "╎        ╎\n"
            "└╌╌╌╌╌╌╌╌┘\n");
  EXPECT_EQ(draw(8, 5, {cluster_at(0, 0, 3, 5, "abcd")}),
            "\n"
            "┌ ...┐\n"
            "╎    ╎\n"
            "└╌╌╌╌┘\n");
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
                cell_transform(), TrimStrategy::Smart);
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

// Clusters drawn first to last, every write over the ones before: what
// draw_clusters must give, however it gets there.
std::string draw_forwards(std::uint64_t width, std::uint64_t height,
                          const std::vector<LayoutCluster>& clusters) {
  CharGrid grid(width, height);
  for (const LayoutCluster& c : clusters) {
    const std::uint64_t top = row_of(cell_transform(), c.bb.y1);
    const std::uint64_t bottom = row_of(cell_transform(), c.bb.y0);
    const std::uint64_t left = column_of(cell_transform(), c.bb.x0);
    const std::uint64_t right = column_of(cell_transform(), c.bb.x1);
    if (right <= left + 1 || bottom <= top + 2) continue;
    const auto run = [&](std::uint64_t row, std::uint64_t first, std::uint64_t end,
                         char32_t ch) {
      for (std::uint64_t col = first; col < end; ++col) grid.put(row, col, Cell::text(ch));
    };
    const std::uint64_t edge = top + 1;
    grid.put(edge, left, Cell::text(U'┌').drawn());
    const std::string title = trim_label(c.label, right - left - 2, TrimStrategy::End);
    if (!title.empty()) {
      const std::uint64_t length = text_width(title);
      grid.put(edge, left + 1, Cell::text(U' '));
      put_text(grid, edge, left + 2, title, &Cell::text);
      grid.put(edge, left + 2 + length, Cell::text(U' '));
      run(edge, left + 3 + length, right, U'╌');
    } else {
      run(edge, left + 1, right, U'╌');
    }
    grid.put(edge, right, Cell::text(U'┐').drawn());
    for (std::uint64_t row = top + 2; row < bottom; ++row) {
      grid.put(row, left, Cell::text(U'╎').drawn());
      grid.put(row, right, Cell::text(U'╎').drawn());
    }
    grid.put(bottom, left, Cell::text(U'└').drawn());
    run(bottom, left + 1, right, U'╌');
    grid.put(bottom, right, Cell::text(U'┘').drawn());
  }
  return grid.to_text();
}

TEST(DrawClusters, OverlappingFramesDrawAsIfPaintedInOrder) {
  std::mt19937_64 rng(3);
  const std::vector<std::string> titles = {"", "a", "ab", "he\u0301llo", "中文", "abcdefgh",
                                           "a中b中c中d"};
  for (int round = 0; round < 300; ++round) {
    const std::uint64_t width = 4 + rng() % 30, height = 4 + rng() % 20;
    std::vector<LayoutCluster> clusters;
    for (std::uint64_t k = rng() % 12; k > 0; --k) {
      const double top = static_cast<double>(rng() % height);
      const double left = static_cast<double>(rng() % width);
      clusters.push_back(cluster_at(top, left, top + static_cast<double>(rng() % 14),
                                    left + static_cast<double>(rng() % 30),
                                    titles[rng() % titles.size()]));
    }
    ASSERT_EQ(draw(width, height, clusters), draw_forwards(width, height, clusters))
        << "round " << round;
  }
}

TEST(DrawClusters, ThousandsOfFramesOnAWideCanvas) {
  // 4000 frames on the same rows of a 2-million-column canvas, widening
  // one column at a time: painted one over the other that is 16 billion
  // cell writes.
  std::vector<LayoutCluster> clusters;
  for (int i = 0; i < 4000; ++i) {
    clusters.push_back(cluster_at(0, 0, 3, 2'000'000.0 - i, i % 2 ? "title" : ""));
  }
  CharGrid grid(2'000'000, 5);
  draw_clusters(grid, clusters, cell_transform(), TrimStrategy::Smart);
  // The last frame (titled, the narrowest) shows over the others; beside
  // it the corners and sides of the one before.
  constexpr std::uint64_t kRight = 2'000'000 - 3999;
  EXPECT_EQ(grid.at(1, 0), Cell::text(U'┌').drawn());
  EXPECT_EQ(grid.at(1, 2), Cell::text(U't'));
  EXPECT_EQ(grid.at(1, 8), Cell::text(U'╌').drawn());
  EXPECT_EQ(grid.at(1, kRight), Cell::text(U'┐').drawn());
  EXPECT_EQ(grid.at(1, kRight + 1), Cell::text(U'┐').drawn());
  EXPECT_EQ(grid.at(2, kRight), Cell::text(U'╎').drawn());
  EXPECT_EQ(grid.at(2, kRight + 1), Cell::text(U'╎').drawn());
  EXPECT_EQ(grid.at(3, kRight), Cell::text(U'┘').drawn());
  EXPECT_EQ(grid.at(3, 1'000'000), Cell::text(U'╌').drawn());
}

}  // namespace
}  // namespace vantri
