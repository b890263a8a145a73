// Tests of node boxes, labels and shapes as drawn text.
#include "render_nodes/draw_nodes.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "support/cell_layout.h"
#include "support/field_trees.h"

namespace vantri {
namespace {

using testing::cell_transform;
using testing::node_at;

// Draws the nodes with their labels on a fresh grid and returns its text.
std::string draw(std::uint64_t width, std::uint64_t height,
                 const std::vector<LayoutNode>& nodes,
                 const std::vector<std::string>& labels,
                 ColorMode color = ColorMode::Off) {
  CharGrid grid(width, height);
  draw_nodes(grid, nodes, labels, {}, cell_transform(), color);
  return grid.to_text();
}

TEST(DrawNodes, BoxWithCentredLabel) {
  EXPECT_EQ(draw(8, 4, {node_at(1, 3)}, {"A"}),
            " ┌───┐\n"
            " │ A │\n"
            " └───┘\n");
  EXPECT_EQ(draw(10, 5, {node_at(2, 4)}, {"ab\ncdef"}),
            "┌──────┐\n"
            "│  ab  │\n"
            "│ cdef │\n"
            "└──────┘\n");

  // The example box around (10, 20) sits in columns 18 to 22.
  CharGrid grid(30, 15);
  draw_nodes(grid, std::vector{node_at(10, 20)}, std::vector<std::string>{"A"}, {},
             cell_transform(), ColorMode::Off);
  EXPECT_EQ(grid.at(9, 18), Cell::node(U'┌').drawn());
  EXPECT_EQ(grid.at(10, 19), Cell::node(U' '));
  EXPECT_EQ(grid.at(10, 20), Cell::node(U'A'));
  EXPECT_EQ(grid.at(11, 22), Cell::node(U'┘').drawn());
  EXPECT_EQ(grid.at(10, 23), Cell::empty());
}

TEST(DrawNodes, LabelForms) {
  const std::string two_lines = draw(10, 5, {node_at(2, 4)}, {"ab\ncdef"});
  EXPECT_EQ(draw(10, 5, {node_at(2, 4)}, {"ab\r\ncdef"}), two_lines);
  EXPECT_EQ(draw(10, 5, {node_at(2, 4)}, {"ab\ncdef\n"}), two_lines);

  EXPECT_EQ(draw(6, 4, {node_at(1, 2)}, {""}),
            "┌──┐\n"
            "│  │\n"
            "└──┘\n");
  // Sized and centred in terminal columns: é (two bytes) takes one, 日
  // two, a combining mark none; every right border lines up.
  EXPECT_EQ(draw(8, 4, {node_at(1, 2)}, {"é"}),
            "┌───┐\n"
            "│ é │\n"
            "└───┘\n");
  EXPECT_EQ(draw(10, 5, {node_at(2, 3)}, {"日\nab"}),
            "┌────┐\n"
            "│ 日 │\n"
            "│ ab │\n"
            "└────┘\n");
  EXPECT_EQ(draw(12, 5, {node_at(2, 4)}, {"日本語\ne\u0301"}),
            "┌────────┐\n"
            "│ 日本語 │\n"
            "│   e\u0301    │\n"
            "└────────┘\n");
}

TEST(DrawNodes, Placement) {
  // Clamped at the top-left corner.
  EXPECT_EQ(draw(8, 4, {node_at(0, 1)}, {"A"}),
            "┌───┐\n"
            "│ A │\n"
            "└───┘\n");
  // Cut off at the grid's right and bottom edges.
  EXPECT_EQ(draw(4, 2, {node_at(1, 3)}, {"A"}),
            " ┌──\n"
            " │ A\n");
  // A later node covers an earlier one; extra nodes without a label are
  // not drawn.
  EXPECT_EQ(draw(10, 4, {node_at(1, 2), node_at(1, 5), node_at(1, 8)},
                 {"A", "B"}),
            "┌──┌───┐\n"
            "│ A│ B │\n"
            "└──└───┘\n");
}

// A double circle (an accepting state) keeps its label in a double frame,
// in a colour's line style with double corners; a point is one dot; an
// invisible node leaves its place empty.
TEST(DrawNodes, ShapesDoubleCirclePointInvisible) {
  const LayoutNode accepting = node_at(1, 3, NodeShape::DoubleCircle);
  EXPECT_EQ(draw(8, 3, {accepting}, {"LR"}),
            "╔════╗\n"
            "║ LR ║\n"
            "╚════╝\n");
  const LayoutNode red = node_at(1, 3, NodeShape::DoubleCircle, "red");
  EXPECT_EQ(draw(8, 3, {red}, {"LR"}, ColorMode::BoxStyles),
            "╔╌╌╌╌╗\n"
            "╎ LR ╎\n"
            "╚╌╌╌╌╝\n");
  EXPECT_EQ(draw(8, 3, {red}, {"LR"}, ColorMode::Ansi), draw(8, 3, {accepting}, {"LR"}));
  const LayoutNode green = node_at(1, 3, NodeShape::DoubleCircle, "green");
  EXPECT_EQ(draw(8, 3, {green}, {"LR"}, ColorMode::BoxStyles), draw(8, 3, {accepting}, {"LR"}));

  EXPECT_EQ(draw(5, 3, {node_at(1, 2, NodeShape::Point)}, {"ignored label"}), "\n  ●\n");
  // The dot replaces whatever was there.
  CharGrid grid(5, 3);
  grid.put(1, 2, Cell::line({.left = true, .right = true}));
  draw_nodes(grid, std::vector{node_at(1, 2, NodeShape::Point)},
             std::vector<std::string>{"x"}, {}, cell_transform(), ColorMode::Off);
  EXPECT_EQ(grid.at(1, 2), Cell::node(U'●').drawn());

  LayoutNode hidden = node_at(1, 2);
  hidden.invisible = true;
  EXPECT_EQ(draw(8, 3, {hidden, node_at(1, 6, NodeShape::Point)}, {"A", ""}), "\n      ●\n");
}

// A record is one box divided into its fields as the field layout says:
// lines between them, joined to the frame and to each other, each field's
// text centred in it. Mrecords round their corners; a line style's frame
// takes its own junctions.
TEST(DrawNodes, RecordsAreDividedIntoTheirFields) {
  const std::vector<FieldLayout> fields = {lay_out_fields(testing::a_beside_b_over_c(
      testing::text_field("a"), testing::text_field("b"), testing::text_field("c\nd")))};
  const auto draw_record = [&](NodeShape shape, std::optional<std::string> fill, ColorMode mode) {
    CharGrid grid(10, 6);
    draw_nodes(grid, std::vector{node_at(3, 4, shape, std::move(fill))},
               std::vector<std::string>{""}, fields, cell_transform(), mode);
    return grid.to_text();
  };
  EXPECT_EQ(draw_record(NodeShape::Record, std::nullopt, ColorMode::Off),
            "┌───┬───┐\n"
            "│   │ b │\n"
            "│ a ├───┤\n"
            "│   │ c │\n"
            "│   │ d │\n"
            "└───┴───┘\n");
  EXPECT_EQ(draw_record(NodeShape::MRecord, std::nullopt, ColorMode::Off),
            "╭───┬───╮\n"
            "│   │ b │\n"
            "│ a ├───┤\n"
            "│   │ c │\n"
            "│   │ d │\n"
            "╰───┴───╯\n");
  EXPECT_EQ(draw_record(NodeShape::MRecord, "black", ColorMode::BoxStyles),
            "┏━━━┯━━━┓\n"
            "┃   │ b ┃\n"
            "┃ a ├───┨\n"
            "┃   │ c ┃\n"
            "┃   │ d ┃\n"
            "┗━━━┷━━━┛\n");
}

TEST(DrawNodes, BoxStylesFollowFillColour) {
  const LayoutNode red = node_at(1, 2, NodeShape::Box, "red");
  const LayoutNode black = node_at(1, 2, NodeShape::Other, "black");
  const LayoutNode uncoloured = node_at(1, 2);
  EXPECT_EQ(draw(6, 3, {red}, {"A"}, ColorMode::BoxStyles),
            "┌╌╌╌┐\n"
            "╎ A ╎\n"
            "└╌╌╌┘\n");
  EXPECT_EQ(draw(6, 3, {black}, {"A"}, ColorMode::BoxStyles),
            "┏━━━┓\n"
            "┃ A ┃\n"
            "┗━━━┛\n");
  const std::string light =
      "┌───┐\n"
      "│ A │\n"
      "└───┘\n";
  EXPECT_EQ(draw(6, 3, {uncoloured}, {"A"}, ColorMode::BoxStyles), light);
  EXPECT_EQ(draw(6, 3, {red}, {"A"}, ColorMode::Ansi), light);
  EXPECT_EQ(draw(6, 3, {black}, {"A"}, ColorMode::Ansi), light);
}

TEST(DrawNodes, FarAwayNodesDrawNothing) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(draw(6, 3, {node_at(inf, inf), node_at(1, 1e300),
                        node_at(1e300, 1)},
                 {"A", "B", std::string(1000, 'x')}),
            "\n");
  // Not a number maps to 0: clamped into the top-left corner.
  EXPECT_EQ(draw(6, 3, {node_at(nan, nan)}, {"A"}),
            "┌───┐\n"
            "│ A │\n"
            "└───┘\n");
}

}  // namespace
}  // namespace vantri
