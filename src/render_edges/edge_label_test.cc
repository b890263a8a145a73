// Edge-label placement in the original drawing: wrap width, rows beside the route,
// sides tried in turn, sliding past earlier labels, shortening.
#include "render_edges/edge_label.h"

#include <gtest/gtest.h>

#include <string>

#include "render_edges/draw_path.h"

namespace vantri {
namespace {

constexpr LineFlags kVertical{.up = true, .down = true};

// Places `text` beside `path` and writes it, as the original drawing does;
// the rectangle recorded for it.
std::optional<LabelRect> label(CharGrid& grid, const EdgePath& path, std::string_view text,
                               PlacedLabels& placed,
                               std::optional<std::uint64_t> max_label = std::nullopt) {
  auto placed_label = place_edge_label(grid.width(), grid.height(), path, text,
                                       TrimStrategy::End, max_label, placed);
  if (!placed_label) return std::nullopt;
  write_label(grid, *placed_label);
  return placed.rects().back();
}

// Draws the route with an arrowhead on its last point, then its label.
std::optional<LabelRect> draw(CharGrid& grid, const EdgePath& path, std::string_view text,
                              PlacedLabels& placed,
                              std::optional<std::uint64_t> max_label = std::nullopt) {
  draw_path(grid, path);
  const GridPoint q = path.back();
  const GridPoint p = path[path.size() - 2];
  const Toward last_leg = q.row > p.row   ? Toward::Down
                          : q.row < p.row ? Toward::Up
                          : q.col > p.col ? Toward::Right
                                          : Toward::Left;
  grid.put(q.row, q.col, Cell::arrow(arrowhead_toward(last_leg)));
  return label(grid, path, text, placed, max_label);
}

TEST(EdgeLabel, BesideAStraightRunFromItsTop) {
  CharGrid grid(12, 8);
  PlacedLabels placed;
  const auto rect = draw(grid, {{1, 2}, {6, 2}}, "lbl", placed);
  EXPECT_EQ(grid.to_text(),
            "\n"
            "  │lbl\n"
            "  │\n"
            "  │\n"
            "  │\n"
            "  │\n"
            "  ▼\n");
  EXPECT_EQ(rect, (LabelRect{1, 1, 3, 5}));
  EXPECT_EQ(placed.rects(), std::vector<LabelRect>{*rect});
}

TEST(EdgeLabel, StraightRunSlidesDownPastAnEarlierLabel) {
  CharGrid grid(12, 10);
  PlacedLabels placed;
  placed.add({1, 2, 5, 8});  // within three columns of column 3
  const auto rect = draw(grid, {{1, 2}, {8, 2}}, "lbl", placed);
  // Rows 1 to 3 are within one row of the earlier label.
  EXPECT_EQ(rect, (LabelRect{4, 4, 3, 5}));
  // Far enough to the right, the earlier label is no obstacle.
  PlacedLabels far;
  far.add({1, 2, 9, 9});
  EXPECT_EQ(draw(grid, {{1, 2}, {8, 2}}, "lbl", far), (LabelRect{1, 1, 3, 5}));
}

TEST(EdgeLabel, StraightRunWrapsToTheSpaceOnItsRight) {
  CharGrid grid(10, 6);
  PlacedLabels placed;
  const auto rect = draw(grid, {{0, 5}, {4, 5}}, "abcdefgh", placed);
  EXPECT_EQ(grid.to_text(),
            "     │abcd\n"
            "     │efgh\n"
            "     │\n"
            "     │\n"
            "     ▼\n");
  EXPECT_EQ(rect, (LabelRect{0, 1, 6, 9}));
  // A run in the last column has no room: no lines, but a rectangle.
  CharGrid edge(10, 6);
  PlacedLabels fresh;
  EXPECT_EQ(draw(edge, {{0, 9}, {4, 9}}, "abc", fresh), (LabelRect{0, 0, 10, 10}));
  EXPECT_EQ(edge.to_text().find_first_of("abc"), std::string::npos);
}

// A side edge leaving its tail in row 10, up its lane in column 12 to a
// head in row 3.
const EdgePath kSideEdge{{10, 5}, {10, 12}, {3, 12}, {3, 5}};

TEST(EdgeLabel, SideEdgeLabelEndsAboveTheTailRowBesideTheLane) {
  CharGrid grid(30, 16);
  PlacedLabels placed;
  // Wrapped at 17 columns (the room right of the lane) into two lines.
  EXPECT_EQ(draw(grid, kSideEdge, "abcdefghij klmnopq", placed),
            (LabelRect{8, 9, 13, 22}));
  const std::string text = grid.to_text();
  EXPECT_NE(text.find("│abcdefghij\n"), std::string::npos);
  EXPECT_NE(text.find("│klmnopq\n"), std::string::npos);
}

TEST(EdgeLabel, SideEdgeLabelMovesLeftOfTheLaneWhenTheRightIsTaken) {
  CharGrid grid(30, 16);
  PlacedLabels placed;
  placed.add({9, 9, 16, 20});
  // Ends two columns left of the lane.
  EXPECT_EQ(draw(grid, kSideEdge, "abcdefghij klmnopq", placed),
            (LabelRect{8, 9, 1, 10}));
}

// A downward edge: first leg in column 5 down to row 4, jog to column 12,
// last leg down to row 14.
const EdgePath kJogged{{2, 5}, {4, 5}, {4, 12}, {14, 12}};

TEST(EdgeLabel, JoggedEdgeLabelCentredOnTheLastLeg) {
  CharGrid grid(30, 16);
  PlacedLabels placed;
  EXPECT_EQ(draw(grid, kJogged, "lbl", placed), (LabelRect{9, 9, 13, 15}));
  // Taken on the right: left of the leg when that side is free.
  PlacedLabels right;
  right.add({9, 9, 16, 18});
  EXPECT_EQ(draw(grid, kJogged, "lbl", right), (LabelRect{9, 9, 8, 10}));
  // Taken on both sides: slides down on the right, past the nearest label.
  PlacedLabels both;
  both.add({9, 9, 13, 15});
  EXPECT_EQ(draw(grid, kJogged, "lbl", both), (LabelRect{11, 11, 13, 15}));
}

TEST(EdgeLabel, ShortLastLegPutsTheLabelLevelWithTheFirstLeg) {
  CharGrid grid(30, 16);
  PlacedLabels placed;
  // The last leg has one row, not more than the label's one line: the
  // label is centred on rows 2 to 8, still beside column 12.
  EXPECT_EQ(draw(grid, {{2, 5}, {8, 5}, {8, 12}, {9, 12}}, "lbl", placed),
            (LabelRect{5, 5, 13, 15}));
}

TEST(EdgeLabel, WrapWidthIsAtLeastTen) {
  CharGrid grid(8, 10);
  PlacedLabels placed;
  // Only 4 columns right of column 3 and 3 left of it: wrapped at 10.
  EXPECT_EQ(draw(grid, {{1, 1}, {1, 3}, {8, 3}, {8, 1}}, "abcdefghijkl", placed),
            (LabelRect{0, 1, 4, 13}));
}

TEST(EdgeLabel, LongLabelsAreShortenedToMaxLabel) {
  CharGrid grid(20, 8);
  PlacedLabels placed;
  EXPECT_EQ(draw(grid, {{0, 2}, {6, 2}}, "abcdefghijkl", placed, 5), (LabelRect{0, 0, 3, 7}));
  EXPECT_EQ(draw(grid, {{0, 12}, {6, 12}}, "vwxyz", placed, 5), (LabelRect{0, 0, 13, 17}));
  EXPECT_EQ(grid.to_text().substr(0, grid.to_text().find('\n')), "  │ab...    │vwxyz");
}

TEST(EdgeLabel, NeverOverBoxesOrArrowheads) {
  CharGrid grid(10, 4);
  grid.put(1, 4, Cell::node(U'│'));
  grid.put(1, 5, Cell::arrow(U'▼'));
  PlacedLabels placed;
  EXPECT_EQ(draw(grid, {{1, 2}, {3, 2}}, "xyzw", placed), (LabelRect{1, 1, 3, 6}));
  EXPECT_EQ(grid.to_text(),
            "\n"
            "  │x│▼w\n"
            "  │\n"
            "  ▼\n");
  // An arrowhead drawn later replaces label text.
  grid.put(1, 6, Cell::arrow(U'▼'));
  EXPECT_EQ(grid.at(1, 6), Cell::arrow(U'▼'));
}

TEST(EdgeLabel, NothingForAnEmptyLabelOrAShortPath) {
  CharGrid grid(10, 4);
  PlacedLabels placed;
  EXPECT_EQ(label(grid, {{0, 2}, {3, 2}}, "", placed), std::nullopt);
  EXPECT_EQ(label(grid, {{0, 2}}, "x", placed), std::nullopt);
  EXPECT_TRUE(placed.rects().empty());
  EXPECT_EQ(grid.to_text(), "\n");
}

}  // namespace
}  // namespace vantri
