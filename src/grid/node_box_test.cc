// Tests of the size and placement of node boxes.
#include "grid/node_box.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/cell_layout.h"
#include "support/field_trees.h"

namespace vantri {
namespace {

using testing::cell_transform;
using testing::node_at;

NodeBox box_of(double row, double col, std::string_view label,
               NodeShape shape = NodeShape::Box) {
  return node_box(cell_transform(), node_at(row, col, shape), label);
}

TEST(NodeBox, SizedToTheLabelAroundTheCentre) {
  EXPECT_EQ(box_of(10, 20, "A"), (NodeBox{18, 9, 5, 3}));
  EXPECT_EQ(box_of(10, 20, "ab\ncdef"), (NodeBox{16, 8, 8, 4}));
  EXPECT_EQ(box_of(10, 20, ""), (NodeBox{18, 9, 4, 3}));
  // Widths in terminal columns.
  EXPECT_EQ(box_of(10, 20, "é"), (NodeBox{18, 9, 5, 3}));
  EXPECT_EQ(box_of(10, 20, "日本"), (NodeBox{16, 9, 8, 3}));
  EXPECT_EQ(box_of(10, 20, "A", NodeShape::Other), box_of(10, 20, "A"));
  EXPECT_EQ(box_of(10, 20, "A").right(), 22u);
  EXPECT_EQ(box_of(10, 20, "A").bottom(), 11u);
}

TEST(NodeBox, LineEndings) {
  const NodeBox lf = box_of(10, 20, "ab\ncdef");
  EXPECT_EQ(box_of(10, 20, "ab\r\ncdef"), lf);
  EXPECT_EQ(box_of(10, 20, "ab\ncdef\n"), lf);
  EXPECT_EQ(box_of(10, 20, "ab\r\ncdef\r\n"), lf);
  // Blank lines in the middle count.
  EXPECT_EQ(box_of(10, 20, "a\n\nb").height, 5u);
}

TEST(NodeBox, ClampedAtTheTopLeft) {
  EXPECT_EQ(box_of(0, 1, "A"), (NodeBox{0, 0, 5, 3}));
  EXPECT_EQ(box_of(1, 2, "A"), (NodeBox{0, 0, 5, 3}));
  EXPECT_EQ(box_of(-50, -50, "A"), (NodeBox{0, 0, 5, 3}));
}

// A record's box is sized to its fields, and a port's field is found on
// the grid by the port name, whatever compass point follows it.
TEST(NodeBox, RecordFieldsAndTheirPorts) {
  const FieldLayout fields = lay_out_fields(testing::a_beside_b_over_c(
      testing::text_field("a", "p"), testing::text_field("b"), testing::text_field("c", "q")));
  const NodeBox box = node_box(cell_transform(), node_at(10, 20, NodeShape::Record), "", fields);
  EXPECT_EQ(box, (NodeBox{16, 8, 9, 5}));
  EXPECT_EQ(field_rect(box, fields, "q"), (CellRect{20, 10, 24, 12}));
  EXPECT_EQ(field_rect(box, fields, "q:se"), (CellRect{20, 10, 24, 12}));
  EXPECT_EQ(field_rect(box, fields, "p"), (CellRect{16, 8, 20, 12}));
  EXPECT_EQ(field_rect(box, fields, "s"), std::nullopt);
  EXPECT_EQ(field_rect(box, FieldLayout{}, "p"), std::nullopt);
}

TEST(NodeBox, PointIsOneCellADoubleCircleABox) {
  EXPECT_EQ(box_of(10, 20, "long label", NodeShape::Point), (NodeBox{20, 10, 1, 1}));
  EXPECT_EQ(box_of(0, 0, "", NodeShape::Point), (NodeBox{0, 0, 1, 1}));
  EXPECT_EQ(box_of(10, 20, "LR_4", NodeShape::DoubleCircle), box_of(10, 20, "LR_4"));
}

TEST(NodeBox, HostileCoordinatesSaturate) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr std::uint64_t big = std::numeric_limits<std::int64_t>::max();
  const NodeBox far = node_box(cell_transform(), node_at(inf, inf), "A");
  EXPECT_EQ(far, (NodeBox{big - 2, big - 1, 5, 3}));
  EXPECT_EQ(far.right(), big + 2);  // no wrap-around in 64 bits
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(node_box(cell_transform(), node_at(nan, nan), "A"),
            (NodeBox{0, 0, 5, 3}));
}

}  // namespace
}  // namespace vantri
